#!/usr/bin/env bash
# While the screen keeps changing, the upload stays within four frames of the teacher's latest
# acknowledgement: when the teacher stops acknowledging after frame 7, exactly frames 8 to 10 come,
# then nothing until the acknowledgement arrives, then frames flow again. A display change restarts
# the capture, and the teacher receives every part again.
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

pause_from=8
e2e_begin upload-window-and-restart --set teacher.ack-pause-from=$pause_from --set teacher.ack-pause-seconds=4
read -r width height <<<"$(e2e_screen_size)"
e2e_start_remote
e2e_login demo-teacher
panel=$(e2e_field "$(e2e_wait_panel 30)" hwnd)

e2e_probe_background move-window --seconds 40
e2e_press "$panel" 1004
e2e_wait_event '"event":"ack_resumed"' 30
sleep 1
read -r from withheld before later <<<"$(e2e_upload window)"
[ "$from" = $pause_from ] || e2e_fail "the pause began at frame $from"
[ "$withheld" = 3 ] && [ "$before" = $((pause_from + 2)) ] ||
    e2e_fail "$withheld frames withheld, frames up to $before before the acknowledgement (expected 3, up to $((pause_from + 2)))"
[ "$later" -gt "$before" ] || e2e_fail "no frame after the acknowledgement resumed"
e2e_log "frames $pause_from-$before while unacknowledged, then up to $later"

# Same resolution, as the virtual display cannot change its own: the capture still restarts.
settings=$(e2e_count_events '"event":"upload_settings"')
e2e_probe send --hwnd "$panel" 0x007E 32 $(((height << 16) | width)) >/dev/null
deadline=$((SECONDS + 10))
until [ "$(e2e_count_events '"event":"upload_settings"')" -gt "$settings" ]; do
    [ $SECONDS -lt $deadline ] || e2e_fail "no [RC00008] after the display change"
    sleep 0.2
done
e2e_wait_event '"tag":"\[RC00010\]"' 10
parts=$(e2e_upload all-parts)
deadline=$((SECONDS + 15))
until e2e_upload frames | tail -n +2 | awk -v all="$parts" '$3 == all { found = 1 } END { exit !found }'; do
    [ $SECONDS -lt $deadline ] || e2e_fail "no frame with all $parts parts after the display change"
    sleep 0.3
done
starts=$(e2e_trace_ticks "Remocon capture:" | grep -c ' started')
[ "$starts" = 2 ] || e2e_fail "$starts capture threads started, expected 2"
e2e_log "the capture restarted and sent all $parts parts again"
