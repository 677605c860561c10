#!/usr/bin/env bash
# A teacher that sends 1,000 unusable frames in a row (unknown packet types, fields and image data
# that run past the frame, unknown tags, screen sizes that are no size), once on the panel's
# connection and again when remote control starts: the remote ignores them all, shows nothing, keeps
# the connection alive and, in remote control, goes on acknowledging every frame it is sent.
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

e2e_begin junk-frames --set teacher.junk-frames=1000
e2e_config "webserver=127.0.0.1:$E2E_LOOKUP_PORT" "layout=full"
e2e_start_remote
e2e_login demo-teacher
panel=$(e2e_field "$(e2e_wait_panel 30)" hwnd)
e2e_wait_event '"event":"junk_sent"' 10
# The first keep-alive comes 10 s after acceptance, well after the junk.
e2e_wait_event '"tag":"\[RC00003\]"' 20
# Only the one real screen-size question, sent before the junk, is answered.
[ "$(e2e_count_events '"tag":"\[RC00010\]"')" = 1 ] || e2e_fail "a screen size that is no size was answered"

e2e_probe send --hwnd "$panel" WM_COMMAND 1001 0 >/dev/null
e2e_wait_event '"tag":"\[RC00004\]"' 10
e2e_probe wait --pid "$E2E_REMOTE_PID" --class TesmoraRemoteView --timeout 10000 >/dev/null ||
    e2e_fail "no remote view"
deadline=$((SECONDS + 30))
until [ "$(e2e_count_events '"event":"junk_sent"')" -ge 2 ] && [ "$(e2e_count_events '"tag":"\[RC00006\]"')" -ge 30 ]; do
    [ $SECONDS -lt $deadline ] || e2e_fail "remote control stalled after the junk"
    sleep 0.5
done
sleep 2
read -r sent acked <<<"$(python3 - "$E2E_DIR/events.jsonl" <<'PY'
import json, sys
sent, acked = set(), set()
for line in open(sys.argv[1], encoding="utf-8"):
    e = json.loads(line)
    if e["event"] == "send" and e.get("type") == 12 and "frame" in e:
        sent.add(e["frame"])
    elif e["event"] == "recv" and e.get("tag") == "[RC00006]":
        acked.add(int(e["payload"]))
print(len(sent), len(sent & acked))
PY
)"
[ $((sent - acked)) -le 4 ] || e2e_fail "$sent frames sent, only $acked acknowledged"
[ -z "$(e2e_messages)" ] || e2e_fail "the remote showed: $(e2e_messages)"
[ "$(e2e_field "$(e2e_panel)" visible)" != "" ] || e2e_fail "the panel is gone"
e2e_log "2 x 1000 unusable frames ignored; $sent desktop frames sent, $acked acknowledged"
