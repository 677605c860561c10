#!/usr/bin/env bash
# How fast a full-screen animation on the pad reaches the teacher: the remote uploads while the
# probe's animation changes every part of the screen every 40 ms. Over SECONDS (default 20) after a
# warm-up, prints the frames a second the teacher placed (fps) and the remote sent (sent_fps), the
# remote's CPU time per frame sent (all its threads), and from the capture thread's trace the grab,
# the time until a frame was ready (grab, change detection, JPEG) and until it was written, and the
# frame size. Fails only when nothing
# arrives. Measures, so it is not one of the tests: run it with scripts/upload-speed.
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

seconds=${1:-20}
e2e_begin upload-speed
e2e_start_remote
e2e_login demo-teacher
panel=$(e2e_field "$(e2e_wait_panel 120)" hwnd)

e2e_probe_background animate --seconds $((seconds + 30))
animation=$E2E_LAST_BACKGROUND
deadline=$((SECONDS + 30))
until grep -q 'title=tesmora-probe animation' "$E2E_DIR/background.out" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || e2e_fail "the animation did not start"
    sleep 0.2
done
e2e_press "$panel" 1004
e2e_wait_event '"tag":"\[RC00009\]","payload":"start"' 10
e2e_wait_event '"event":"frame_placed"' 20

# The remote's whole CPU time (every thread of its process), in clock ticks.
cpu_ticks() {
    local p
    for p in $(pgrep -f 'TesmoraOrluRemocon.exe' || true); do
        if tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null | grep -q 'upload-speed'; then
            awk '{ print $14 + $15 }' "/proc/$p/stat"
            return
        fi
    done
    echo 0
}
traced() { grep -c 'Remocon capture frame:' "$E2E_DIR/remote.err" || true; }
sleep 3
start_placed=$(e2e_upload frames | wc -l)
start_traced=$(traced)
start_cpu=$(cpu_ticks)
sleep "$seconds"
end_cpu=$(cpu_ticks)
end_traced=$(traced)
end_placed=$(e2e_upload frames | wc -l)
e2e_press "$panel" 1004
e2e_stop_background "$animation"
all_parts=$(e2e_upload all-parts)

report=$(python3 - "$E2E_DIR/remote.err" "$start_traced" "$end_traced" "$E2E_DIR/events.jsonl" "$start_placed" \
    "$end_placed" "$((end_cpu - start_cpu))" "$(getconf CLK_TCK)" "$seconds" <<'PY'
import json, re, sys
lines = [l for l in open(sys.argv[1], errors="replace").read().splitlines() if "Remocon capture frame:" in l]
frames = lines[int(sys.argv[2]):int(sys.argv[3])]
events = [json.loads(l) for l in open(sys.argv[4], encoding="utf-8") if l.strip()]
times = [e["t"] for e in events if e["event"] == "frame_placed"][int(sys.argv[5]):int(sys.argv[6])]
ticks, hz, seconds = int(sys.argv[7]), int(sys.argv[8]), float(sys.argv[9])
# The teacher's pace from its own clock: reading its log takes a while, so the window's edges blur.
placed = len(times)
placed_fps = (placed - 1) / (times[-1] - times[0]) if placed > 1 and times[-1] > times[0] else 0
field = lambda name: [int(re.search(name + r"=(\d+)", l).group(1)) for l in frames]
avg = lambda v: sum(v) / len(v) if v else 0
cpu_ms = ticks * 1000 / hz
print("fps=%.1f sent_fps=%.1f placed=%d sent=%d cpu_ms_per_frame=%.1f cpu_share=%.0f%% grab_ms=%.1f ready_ms=%.1f sent_ms=%.1f kb_per_frame=%.0f"
      % (placed_fps, len(frames) / seconds, placed, len(frames), cpu_ms / max(len(frames), 1), cpu_ms / seconds / 10,
         avg(field("grab_us")) / 1000, avg(field("ready_us")) / 1000, avg(field("sent_us")) / 1000,
         avg(field("bytes")) / 1024))
PY
)
e2e_log "$report (a frame holds up to $all_parts parts; load average $(cut -d' ' -f1-3 /proc/loadavg))"
[ "$((end_placed - start_placed))" -gt 0 ] || e2e_fail "the teacher placed no frame"
