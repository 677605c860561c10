#!/usr/bin/env bash
# The demo's tour of everything a teacher can do with the remote, run by scripts/demo (which builds
# and prepares Wine first) and, through it, by the test suite: the full panel (layout=full) against
# the simulated classroom, driven only as a user drives it (the panel's buttons, the note toolbar, a
# tap on the view) and checked only by what the classroom received and what the screen shows. Each
# step prints one line; the contact sheet (tour.png) and the page (tour.html) are left in DEMO_OUT.
#   DEMO_OUT  where the tour leaves its files (the harness's folder is DEMO_OUT/session)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
[ -z "${DEMO_XTRACE:-}" ] || { PS4='+ ${SECONDS}s '; set -x; }
source "$here/../harness.sh"
source "$here/../panel/sound_pulse.sh"
source "$here/tour_setup.sh"
source "$here/tour_steps.sh"

demo_finish() {
    local status=$?
    if [ -n "$DEMO_STEP" ] && ! demo_recorded; then
        demo_record FAILED "ended unexpectedly (exit $status; details: $DEMO_OUT/tour.log)"
    fi
    [ $status = 0 ] || demo_close_keyboard
    e2e_end_all
    demo_restore_desktop
    demo_remove_keyboard
    if [ -s "$DEMO_TOUR/steps.tsv" ]; then
        python3 "$here/contact_sheet.py" "$DEMO_OUT" >>"$DEMO_OUT/tour.log" 2>&1 ||
            { echo "demo: the contact sheet could not be made (see $DEMO_OUT/tour.log)"; status=1; }
    fi
    exit $status
}

[ -x "$E2E_CLASSROOM" ] || { echo "the simulated classroom is not built" >&2; exit $E2E_SKIP; }
export TESMORA_E2E_WORK=$DEMO_OUT
e2e_setup session
trap demo_finish EXIT
e2e_install TesmoraOrluRemocon.exe language
read -r screen_w screen_h <<<"$(e2e_screen_size)"
# The teacher's PC has two monitors the size of the pad's screen, in different colours; drawn while the
# note tool's desktop is set up.
python3 "$E2E_SOURCE/tests/e2e/panel/remote_desktop.py" "$E2E_DIR/desktop" "$screen_w" "$screen_h" &
drawing=$!
demo_point_desktop "$E2E_DIR/notes-desktop"
wait $drawing || e2e_fail "the teacher's desktop could not be drawn"
e2e_start_classroom --set "teacher.desktop=$E2E_DIR/desktop/desktop.ppm" \
    --set "teacher.monitors=${screen_w}x${screen_h},${screen_w}x${screen_h}+${screen_w}+0"
e2e_config "webserver=127.0.0.1:$E2E_LOOKUP_PORT" "layout=full"
demo_install_keyboard
sound_missing=$(demo_sound_missing)
[ -n "$sound_missing" ] || e2e_start_null_sink

checked() { e2e_button_state "$panel" "$1" | grep -q "checked=$2"; }
# shown "IDS" VISIBLE: whether each of the panel's buttons IDS is shown (1) or hidden (0).
shown() {
    local controls id
    controls=$(e2e_probe children --hwnd "$panel")
    for id in $1; do [ "$(e2e_control_field "$controls" "$id" visible)" = "$2" ] || return 1; done
}

demo_begin login "Login"
e2e_start_remote
login=$(e2e_wait_login "$E2E_REMOTE_PID")
[ -n "$login" ] || e2e_fail "no login dialog"
e2e_probe set-text --hwnd "$login" --id 1036 demo-teacher >/dev/null
demo_shot login-dialog --hwnd "$login"
e2e_probe click --hwnd "$login" --id 1 >/dev/null
e2e_wait_event '"event":"identified"' 40
identified=$(grep -m1 '"event":"identified"' "$E2E_DIR/events.jsonl" |
    sed 's/.*"teacher_id":"\([^"]*\)".*/\1/')
[ "$identified" = demo-teacher ] || e2e_fail "the login server identified \"$identified\""
panel=$(e2e_field "$(e2e_wait_panel 40)" hwnd)
shown "1001 1004 1007 1005 1008 1006 1628" 1 || e2e_fail "not every button of the full panel is shown"
sleep 0.5
demo_shot panel --hwnd "$panel"
demo_pass "demo-teacher typed into the login dialog; the full panel came up at the top-right" \
    "the login server identified demo-teacher, the teacher accepted the pad, all 7 buttons shown"

demo_begin upload "Screen upload"
e2e_press "$panel" 1004
e2e_wait_event '"tag":"\[RC00009\]","payload":"start"' 10
e2e_wait_event '"event":"frame_placed"' 20
parts=$(e2e_upload all-parts)
read -r _ first count <<<"$(e2e_upload frames | head -n 1)"
[ "$first" = 0 ] && [ "$count" = "$parts" ] || e2e_fail "the first frame ($first) had $count of $parts parts"
e2e_probe move-window --seconds 1.5 >/dev/null
e2e_probe_background move-window --seconds 30 --step 0,0 --size 800x400
still=$E2E_LAST_BACKGROUND
frame_count() { e2e_upload frames | wc -l; }
demo_settle frame_count
saved=$(e2e_count_events '"event":"file_saved","kind":"screen"')
kill -USR1 "$E2E_CLASSROOM_PID"
e2e_screenshot "$(e2e_windows_path "$E2E_DIR/pad.png")"
demo_more '"event":"file_saved","kind":"screen"' "$saved" 10 "the teacher did not save its picture"
# The teacher saves again when the upload stops: keep the one taken beside the screenshot.
cp "$(ls "$E2E_DIR"/teacher/screen-*.png | head -n 1)" "$E2E_DIR/teacher.png"
comparison=$(e2e_probe compare "$(e2e_windows_path "$E2E_DIR/teacher.png")" \
    "$(e2e_windows_path "$E2E_DIR/pad.png")" --limit 5) ||
    e2e_fail "the teacher's picture differs from the pad: $comparison"
e2e_stop_background "$still"
e2e_press "$panel" 1004
e2e_wait_event '"tag":"\[RC00009\]","payload":"stop"' 10
demo_keep "$E2E_DIR/pad.png" pad
demo_keep "$E2E_DIR/teacher.png" teacher-pc
demo_pass "the pad's screen went to the teacher PC while a window moved on it ($(frame_count) frames); the button stopped it" \
    "first frame all $parts parts, then only changed ones; the teacher's picture matches the pad's screenshot (mean error $(printf '%.1f' "$(e2e_field "$comparison" max)") of 255); [RC00009]stop arrived"

demo_begin remote-control "Remote control"
rc_acks() { e2e_count_events '"tag":"\[RC00006\]"'; }
# compare_view MONITOR: the view against the teacher's own picture of that monitor.
compare_view() {
    e2e_screenshot --hwnd "$view" "$(e2e_windows_path "$E2E_DIR/view-$1.png")"
    comparison=$(e2e_probe compare "$(e2e_windows_path "$E2E_DIR/desktop/monitor-$1.bmp")" \
        "$(e2e_windows_path "$E2E_DIR/view-$1.png")" --limit 6) ||
        e2e_fail "the view differs from the teacher's monitor $((1 + $1)): $comparison"
}
e2e_press "$panel" 1001
e2e_wait_event '"tag":"\[RC00004\]"' 10
view=$(e2e_field "$(e2e_probe wait --pid "$E2E_REMOTE_PID" --class TesmoraRemoteView --timeout 10000)" hwnd)
[ -n "$view" ] || e2e_fail "no remote view"
shown "1003 1630" 1 || e2e_fail "the keyboard and monitor buttons are hidden during remote control"
demo_settle rc_acks
compare_view 0
e2e_probe click --mouse --hwnd "$view" --at 100,50 >/dev/null
e2e_wait_event '"event":"pointer_events".*"message":514' 10
grep '"event":"pointer_events"' "$E2E_DIR/events.jsonl" | grep -q '"message":513,"flags":1,"x":100,"y":50' ||
    e2e_fail "the tap at 100,50 did not arrive at 100,50 on the teacher PC"
e2e_press "$panel" 1630
sleep 1
demo_settle rc_acks
compare_view 1
e2e_probe click --mouse --hwnd "$view" --at 100,50 >/dev/null
e2e_wait_event "\"message\":514,\"flags\":0,\"x\":$((screen_w + 100)),\"y\":50" 10
e2e_press "$panel" 1003
keyboard=$(e2e_field "$(e2e_probe wait --class TesmoraStandInKeyboard --timeout 10000)" hwnd)
[ -n "$keyboard" ] || e2e_fail "the keyboard button opened no on-screen keyboard"
sleep 0.5
demo_shot screen
e2e_probe send --hwnd "$keyboard" WM_CLOSE >/dev/null 2>&1 || true
keepalives=$(e2e_count_events '"tag":"\[RC00003\]"')
e2e_press "$panel" 1001
e2e_wait_event '"tag":"\[RC00005\]"' 10
e2e_probe wait-gone --pid "$E2E_REMOTE_PID" --class TesmoraRemoteView --timeout 10000 >/dev/null ||
    e2e_fail "the view did not close"
# The panel's keep-alive (every 10 s) goes over the connection remote control handed back.
demo_more '"tag":"\[RC00003\]"' "$keepalives" 15 "no keep-alive from the panel after remote control"
demo_pass "the teacher's desktop filled the pad; a tap, the next monitor, the keyboard button, stop" \
    "view matches each of the teacher's 2 monitors; taps arrived at 100,50 and $((screen_w + 100)),50; an on-screen keyboard opened; [RC00005] and a keep-alive over the connection handed back"

demo_begin note "Note tool"
e2e_press "$panel" 1007
toolbar=$(e2e_field "$(e2e_probe wait --pid "$E2E_REMOTE_PID" --with-id 1540 --timeout 20000)" hwnd)
[ -n "$toolbar" ] || e2e_fail "the note button showed no toolbar"
note_click() { e2e_probe click --hwnd "$toolbar" --id "$1" >/dev/null; sleep 0.3; }
note_overlay() { e2e_field "$(e2e_probe find --pid "$E2E_REMOTE_PID" --class TesmoraNoteOverlay 2>/dev/null)" hwnd; }
overlay_shown() { [ -n "$(note_overlay)" ]; }
overlay_gone() { [ -z "$(note_overlay)" ]; }
picture_saved() { compgen -G "$E2E_DIR/notes-desktop/NoteSave/*.jpg" >/dev/null; }
note_click 1521
demo_until 10 "writing mode showed no overlay" overlay_shown
overlay=$(note_overlay)
sleep 0.5
note_click 1528
x=$((screen_w / 3)) y=$((screen_h / 3))
e2e_probe drag --hwnd "$overlay" $x,$((y + 120)) $((x + 100)),$((y + 220)) $((x + 340)),$((y - 60)) >/dev/null
note_click 1533
e2e_probe drag --hwnd "$overlay" $((x - 40)),$((y + 300)) $((x + 420)),$((y + 300)) >/dev/null
sleep 0.5
demo_shot screen
note_click 1538
demo_until 15 "the saved picture is not on the desktop" picture_saved
saved=$(ls "$E2E_DIR"/notes-desktop/NoteSave/*.jpg | head -n 1)
[[ $(basename "$saved") =~ ^[0-9]{8}_[0-9]{6}\.jpg$ ]] || e2e_fail "the picture is called $(basename "$saved")"
# pixels_of COLOUR: how many of the picture's pixels have about that colour. Each stroke is a few
# hundred pixels long and 4 wide; the shape it takes depends on how the pointer's moves were sampled.
pixels_of() { convert "$saved" -fuzz 25% -fill white -opaque "$1" -fill black +opaque white -format "%[fx:int(mean*w*h)]" info:; }
red=$(pixels_of red)
yellow=$(pixels_of yellow)
[ "$red" -gt 1000 ] && [ "$yellow" -gt 1000 ] || e2e_fail "the saved picture has $red red and $yellow yellow pixels, not both strokes"
demo_keep "$saved" saved-picture
# The "saved" notice holds the toolbar for a second: a press before it goes is lost.
toolbar_enabled() { [ "$(e2e_field "$(e2e_probe find --hwnd "$toolbar")" enabled)" = 1 ]; }
demo_until 10 "the toolbar stayed disabled after the save" toolbar_enabled
note_click 1628
toolbar_hidden() { [ "$(e2e_field "$(e2e_probe find --hwnd "$toolbar" --any)" visible)" = 0 ]; }
demo_until 10 "the note tool did not close" overlay_gone
demo_until 10 "the note toolbar stayed up" toolbar_hidden
demo_pass "a red and a yellow stroke drawn over the pad's screen from the toolbar, saved, the tool closed" \
    "the picture NoteSave/$(basename "$saved") is on the desktop with both strokes ($red red, $yellow yellow pixels)"

demo_begin sound "Sound"
if [ -n "$sound_missing" ]; then
    demo_skip "skipped: no sound server can run here ($sound_missing)"
else
    e2e_tone "$E2E_DIR/tone.wav" 440 1.5
    e2e_press "$panel" 1005
    e2e_wait_event '"tag":"\[RC00011\]","payload":"start"' 10
    checked 1005 1 || e2e_fail "the sound button is not checked"
    e2e_wait_event '"event":"sound_block"' 10
    paplay --device=pad "$E2E_DIR/tone.wav" || e2e_fail "the tone could not be played on the pad"
    # Taken now, not at once: without a window manager Wine takes the note toolbar off the screen up
    # to 2 s after it hid it.
    demo_shot panel --hwnd "$panel"
    e2e_press "$panel" 1005
    e2e_wait_event '"tag":"\[RC00011\]","payload":"stop"' 10
    e2e_wait_event '"event":"sound_received"' 10
    hz=$(grep '"event":"sound_received"' "$E2E_DIR/events.jsonl" | tail -n 1 |
        python3 -c 'import json,sys; print(json.load(sys.stdin).get("dominant_hz", 0))')
    python3 -c 'import sys; sys.exit(abs(float(sys.argv[1]) - 440) > 8.8)' "$hz" ||
        e2e_fail "the teacher heard $hz Hz instead of 440 Hz"
    python3 "$here/waveform.py" "$(ls "$E2E_DIR"/teacher/sound-*.wav | tail -n 1)" "$E2E_DIR/tone.ppm" &&
        convert "$E2E_DIR/tone.ppm" "$E2E_DIR/tone.png" && demo_keep "$E2E_DIR/tone.png" teacher-pc-heard
    demo_pass "a 440 Hz tone played on the pad while the sound button was on" \
        "the teacher PC received it at $hz Hz (within 2 %) between [RC00011]start and stop"
fi

demo_begin switches "Student-pad switches"
e2e_press "$panel" 1006
e2e_wait_event '"event":"switch","name":"touch","on":true' 10
demo_until 3 "the touch button did not show the teacher's answer" checked 1006 1
e2e_press "$panel" 1008
e2e_wait_event '"event":"switch","name":"broadcast","on":true' 10
demo_until 3 "the broadcast button did not show the teacher's answer" checked 1008 1
# Each switch rests 5 s after a press (greyed): the picture shows them on once they are back.
rested() { e2e_button_state "$panel" 1008 | grep -q 'enabled=1'; }
demo_until 8 "the broadcast button rested more than 8 s" rested
demo_shot panel --hwnd "$panel"
demo_pass "the students' touch and the screen broadcast switched on from the panel" \
    "the teacher PC got [RC00013]on and [RC00012]; its answers checked both buttons"

demo_begin close "Close"
sessions=$(e2e_count_events '"event":"session_end"')
e2e_probe click --hwnd "$panel" --id 1628 >/dev/null &
clicker=$!
box=$(e2e_wait_message_box "$E2E_REMOTE_PID")
[ -n "$box" ] || e2e_fail "the close button asked nothing"
caption=$(e2e_probe text --hwnd "$box" 2>/dev/null || true)
e2e_probe state --hwnd "$box" --id 1247 | grep -q 'visible=1' || e2e_fail "the close question has no No button"
demo_shot question --hwnd "$box"
e2e_probe click --hwnd "$box" --id 1246 >/dev/null
wait $clicker || true
e2e_wait_exit 20
demo_more '"event":"session_end"' "$sessions" 10 "the teacher PC did not see the pad leave"
demo_pass "the close button asked for confirmation (\"$caption\", Yes or No); Yes ended the remote" \
    "the remote's process ended and the teacher PC saw the pad leave"
