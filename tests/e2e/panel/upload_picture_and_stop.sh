#!/usr/bin/env bash
# The upload button sends the pad's screen: every part first, then only the parts a moving window
# changes; the teacher's picture of the pad matches a screenshot of the pad taken at the same moment
# (within what JPEG allows); stopping tells the teacher "[RC00009]stop", no frame follows it and the
# capture thread ends within about a cycle.
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

e2e_begin upload-picture-and-stop
e2e_start_remote
e2e_login demo-teacher
panel=$(e2e_field "$(e2e_wait_panel 30)" hwnd)

e2e_press "$panel" 1004
e2e_wait_event '"tag":"\[RC00009\]","payload":"start"' 10
e2e_wait_event '"event":"frame_placed"' 15
parts=$(e2e_upload all-parts)
read -r _ first count <<<"$(e2e_upload frames | head -n 1)"
[ "$first" = 0 ] && [ "$count" = "$parts" ] || e2e_fail "first frame $first with $count parts, expected 0 with $parts"
e2e_button_state "$panel" 1004 | grep -q 'checked=1' || e2e_fail "the upload button is not checked"
for hidden in 1001 1005 1007; do
    e2e_button_state "$panel" $hidden | grep -q 'visible=0' || e2e_fail "button $hidden is shown while uploading"
done

# A moving window changes a few parts per frame, never all of them.
before=$(e2e_upload frames | wc -l)
e2e_probe move-window --seconds 3 >/dev/null
sleep 0.5
moved=$(e2e_upload frames | tail -n +$((before + 1)))
[ "$(printf '%s\n' "$moved" | grep -c .)" -ge 5 ] || e2e_fail "only these frames while the window moved: $moved"
printf '%s\n' "$moved" | while read -r _ frame count; do
    [ "$count" -gt 0 ] && [ "$count" -lt "$parts" ] || e2e_fail "frame $frame of the moving window has $count parts"
done

# A still window with a pattern gives the picture something to get right: large enough that a
# picture without it would miss the limit several times over.
e2e_probe_background move-window --seconds 20 --step 0,0 --size 800x400
still=$E2E_LAST_BACKGROUND
e2e_wait_frames_settle() {
    local last="" now deadline=$((SECONDS + 15))
    while :; do
        now=$(e2e_upload frames | wc -l)
        [ "$now" = "$last" ] && break
        [ $SECONDS -lt $deadline ] || e2e_fail "the frames never settled"
        last=$now
        sleep 1.5
    done
}
sleep 1
e2e_wait_frames_settle
saved=$(e2e_count_events '"event":"file_saved","kind":"screen"')
kill -USR1 "$E2E_CLASSROOM_PID"
e2e_screenshot "$E2E_DIR/pad.png"
deadline=$((SECONDS + 10))
until [ "$(e2e_count_events '"event":"file_saved","kind":"screen"')" -gt "$saved" ]; do
    [ $SECONDS -lt $deadline ] || e2e_fail "the teacher did not save its picture"
    sleep 0.2
done
# The teacher saves again when the upload stops: keep this picture.
cp "$(ls "$E2E_DIR"/teacher/screen-*.png | head -n 1)" "$E2E_DIR/teacher.png"
teacher=$E2E_DIR/teacher.png
comparison=$(e2e_probe compare "$(e2e_windows_path "$teacher")" "$(e2e_windows_path "$E2E_DIR/pad.png")" --limit 5) ||
    e2e_fail "the teacher's picture differs from the pad: $comparison"
e2e_log "teacher's picture against the pad: $comparison"
e2e_stop_background "$still"

e2e_press "$panel" 1004
e2e_wait_event '"tag":"\[RC00009\]","payload":"stop"' 10
sleep 1
late=$(e2e_upload after '[RC00009]' stop)
[ "$late" = 0 ] || e2e_fail "$late frames after [RC00009]stop"
stopped=$(e2e_trace_ticks "Remocon upload:" | awk '$2 == "stop" { print $1 }' | tail -n 1)
ended=$(e2e_trace_ticks "Remocon capture:" | awk '$2 == "ended" { print $1 }' | tail -n 1)
[ -n "$stopped" ] && [ -n "$ended" ] || e2e_fail "no trace of the stop ($stopped) or of the capture's end ($ended)"
# A cycle is 100 ms; a frame being encoded when the stop comes finishes first.
[ $((ended - stopped)) -le 400 ] || e2e_fail "the capture ended $((ended - stopped)) ms after the stop"
e2e_button_state "$panel" 1004 | grep -q 'checked=0' || e2e_fail "the upload button is still checked"
e2e_log "$(e2e_upload frames | wc -l) frames; the capture ended $((ended - stopped)) ms after the stop"
