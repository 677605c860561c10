#!/usr/bin/env python3
"""Reads the simulated classroom's event log (JSON lines) for the screen-upload scenarios and
answers one question per call; prints the answer, or a reason on stderr and exits 1.

  frames EVENTS                 every placed frame: "t frame parts", one per line
  all-parts EVENTS              the part count of the grid from the latest upload settings
  after EVENTS TAG PAYLOAD      frames placed after the last text TAG+PAYLOAD from the remote
  window EVENTS                 the acknowledgement pause: "paused_from withheld highest_before
                                highest_after", where highest_before is the highest frame placed
                                before the acknowledgements resumed
"""
import json
import sys


def events(path):
    with open(path, encoding="utf-8") as log:
        for line in log:
            line = line.strip()
            if line:
                yield json.loads(line)


def placed(path):
    return [e for e in events(path) if e["event"] == "frame_placed"]


def all_parts(path):
    settings = [e for e in events(path) if e["event"] == "upload_settings"]
    if not settings:
        sys.exit("no upload settings")
    last = settings[-1]
    return (last["width"] // last["part_width"]) * (last["height"] // last["part_height"])


def after(path, tag, payload):
    seen = None
    count = 0
    for e in events(path):
        if e["event"] == "recv" and e.get("tag") == tag and e.get("payload") == payload:
            seen = e["t"]
            count = 0
        elif e["event"] == "frame_placed" and seen is not None:
            count += 1
    if seen is None:
        sys.exit(f"no {tag}{payload} from the remote")
    return count


def window(path):
    withheld = [e for e in events(path) if e["event"] == "ack_withheld"]
    resumed = [e for e in events(path) if e["event"] == "ack_resumed"]
    if not withheld or not resumed:
        sys.exit("the acknowledgements were not paused and resumed")
    resumed_at = resumed[0]["t"]
    frames = placed(path)
    before = max(f["frame"] for f in frames if f["t"] <= resumed_at)
    later = [f["frame"] for f in frames if f["t"] > resumed_at]
    return f"{withheld[0]['frame']} {resumed[0]['withheld']} {before} {max(later) if later else -1}"


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    question, path = argv[1], argv[2]
    if question == "frames":
        for f in placed(path):
            print(f"{f['t']} {f['frame']} {f['parts']}")
    elif question == "all-parts":
        print(all_parts(path))
    elif question == "after" and len(argv) == 5:
        print(after(path, argv[3], argv[4]))
    elif question == "window":
        print(window(path))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
