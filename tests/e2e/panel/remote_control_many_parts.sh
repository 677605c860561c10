#!/usr/bin/env bash
# A teacher whose third remote-control frame names its parts over and over, 2,000,000 entries in an
# 8 MB frame, far more than the screen's grid has: the remote does not decode that frame (its parts
# are painted black), acknowledges it at once, and goes on showing and acknowledging the frames after
# it. (Placing every entry kept the receiver busy for minutes, and remote control froze.)
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

lie=3
e2e_begin remote-control-many-parts --set teacher.frame-lie=many-parts --set "teacher.lie-frame=$lie"
e2e_config "webserver=127.0.0.1:$E2E_LOOKUP_PORT" "layout=full"
e2e_start_remote
e2e_login demo-teacher
panel=$(e2e_field "$(e2e_wait_panel 30)" hwnd)
e2e_probe send --hwnd "$panel" WM_COMMAND 1001 0 >/dev/null
e2e_wait_event '"tag":"\[RC00004\]"' 10
e2e_probe wait --pid "$E2E_REMOTE_PID" --class TesmoraRemoteView --timeout 10000 >/dev/null ||
    e2e_fail "no remote view"
e2e_wait_event '"lie":true' 20
# Acknowledged within seconds, as every frame is; the frames after it are shown and acknowledged too.
e2e_wait_event "\"tag\":\"\\[RC00006\\]\",.*\"payload\":\"$lie\"" 10
deadline=$((SECONDS + 20))
until [ "$(e2e_count_events '"tag":"\[RC00006\]"')" -ge $((lie + 11)) ]; do
    [ $SECONDS -lt $deadline ] || e2e_fail "remote control stalled after the frame of $lie's many parts"
    sleep 0.5
done
grep -q "Remocon rc frame: n=$lie parts=2000000 outcome=1 " "$E2E_DIR/remote.err" ||
    e2e_fail "frame $lie was not treated as undecodable: $(grep "Remocon rc frame: n=$lie " "$E2E_DIR/remote.err")"
e2e_log "$(grep "Remocon rc frame: n=$lie " "$E2E_DIR/remote.err")"
[ -z "$(e2e_messages)" ] || e2e_fail "the remote showed: $(e2e_messages)"
e2e_log "a frame of 2,000,000 part entries was acknowledged at once and remote control went on"
