#!/usr/bin/env bash
# Remote control from the panel's remote-control button: the view shows the teacher's desktop (a
# screenshot of the view matches the teacher's own picture of the shown monitor, within what JPEG
# allows) and every frame is acknowledged; the next-monitor button shows the second monitor and taps
# land on it; a click, a key, a character composed with no key held and a modifier held while the
# view loses the focus reach the teacher as the right records; a button held as the view loses the
# focus is released on the teacher PC too; when the pad's screen changes size the view follows it,
# shows a smooth downscale of the teacher's monitor and maps taps onto the new size; stopping hands the
# connection back (the panel's keep-alive and the upload work over it again) and remote control
# starts again; a switch pressed while the connection goes back reaches the teacher once.
#   remote_control.sh [again|handshake]   the teacher tells its screen size again when remote control
#                                         starts (again, the default) or only at the handshake
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

[ -x "$E2E_CLASSROOM" ] || { echo "the simulated classroom is not built" >&2; exit $E2E_SKIP; }
kind=${1:-again}
size_again=on
[ "$kind" = handshake ] && size_again=off
e2e_setup "remote-control-$kind"
e2e_install TesmoraOrluRemocon.exe language
read -r screen_w screen_h <<<"$(e2e_screen_size)"
python3 "$E2E_SOURCE/tests/e2e/panel/remote_desktop.py" "$E2E_DIR/desktop" "$screen_w" "$screen_h"
e2e_start_classroom --set "teacher.desktop=$E2E_DIR/desktop/desktop.ppm" \
    --set "teacher.monitors=${screen_w}x${screen_h},${screen_w}x${screen_h}+${screen_w}+0" \
    --set "teacher.size-on-remote-control=$size_again"
e2e_config "webserver=127.0.0.1:$E2E_LOOKUP_PORT" "layout=full"
e2e_start_remote
e2e_login demo-teacher
panel=$(e2e_field "$(e2e_wait_panel 30)" hwnd)

# The full panel shows the button; the shipped one does not, and then the command is sent instead.
press() {
    if e2e_button_state "$panel" "$1" | grep -q 'visible=1'; then
        e2e_press "$panel" "$1"
    else
        e2e_log "button $1 is not shown (no full layout here): sending its command"
        e2e_probe send --hwnd "$panel" WM_COMMAND "$1" 0 >/dev/null
    fi
}
view_window() {
    e2e_field "$(e2e_probe wait --pid "$E2E_REMOTE_PID" --class TesmoraRemoteView --timeout 10000)" hwnd
}
# Waits until the teacher has had its frames acknowledged and sends no more (the picture is still).
settle_frames() {
    local last="" now deadline=$((SECONDS + 20))
    while :; do
        now=$(e2e_count_events '"tag":"\[RC00006\]"')
        [ "$now" = "$last" ] && [ "$now" -gt 0 ] && break
        [ $SECONDS -lt $deadline ] || e2e_fail "the frames never settled"
        last=$now
        sleep 1.5
    done
}
wait_count() {  # PATTERN COUNT SECONDS
    local deadline=$((SECONDS + $3))
    until [ "$(e2e_count_events "$1")" -ge "$2" ]; do
        [ $SECONDS -lt $deadline ] || e2e_fail "fewer than $2 events matching $1 within $3 s"
        sleep 0.2
    done
}
compare_view() {  # MONITOR [EXPECTED_PICTURE]
    local expected=${2:-$E2E_DIR/desktop/monitor-$1.bmp}
    e2e_screenshot --hwnd "$view" "$E2E_DIR/view-$1.png"
    comparison=$(e2e_probe compare "$(e2e_windows_path "$expected")" \
        "$(e2e_windows_path "$E2E_DIR/view-$1.png")" --limit 6) ||
        e2e_fail "the view differs from the teacher's monitor $1: $comparison"
    e2e_log "view against $(basename "$expected"): $comparison"
}
# Both end the view's notion of the pad's screen: the display-change message every top-level window
# gets, here given to the view and the channel's window.
display_change() {  # WIDTH HEIGHT
    local comm
    comm=$(e2e_field "$(e2e_probe wait --pid "$E2E_REMOTE_PID" --class TesmoraRemoteControlComm --any --timeout 5000)" hwnd)
    local told="\"tag\":\"\\[RC00010\\]\",\"payload\":\"$1,$2\""
    local before
    before=$(e2e_count_events "$told")
    for window in "$view" "$comm"; do
        e2e_probe send --post --hwnd "$window" 0x007E 32 $((($2 << 16) | $1)) >/dev/null
    done
    wait_count "$told" $((before + 1)) 10
}

e2e_step "start from the button"
press 1001
e2e_wait_event '"tag":"\[RC00004\]"' 10
e2e_button_state "$panel" 1001 | grep -q 'checked=1' || e2e_fail "the remote-control button is not checked"
e2e_button_state "$panel" 1004 | grep -q 'visible=0' || e2e_fail "the upload button is shown during remote control"
for shown in 1003 1630; do
    e2e_button_state "$panel" $shown | grep -q 'visible=1' || e2e_fail "button $shown is hidden during remote control"
done
e2e_screenshot --hwnd "$panel" "$E2E_DIR/panel-during-remote-control.png"
view=$(view_window)
[ -n "$view" ] || e2e_fail "no remote view"
settle_frames
compare_view 0
e2e_screenshot "$E2E_DIR/screen-during-remote-control.png"

e2e_step "a tap, a key, a composed character"
e2e_probe click --mouse --hwnd "$view" --at 100,50 >/dev/null
e2e_wait_event '"event":"pointer_events".*"message":514' 10
grep '"event":"pointer_events"' "$E2E_DIR/events.jsonl" | grep -q '"message":513,"flags":1,"x":100,"y":50' ||
    e2e_fail "no left-button down at 100,50 on the teacher PC"
e2e_probe key --hwnd "$view" vk:0x79 >/dev/null  # F10: a key like any other
e2e_wait_event '"event":"key_events".*"key":121' 10
e2e_probe send --post --hwnd "$view" WM_CHAR 0xD55C 0 >/dev/null  # 한, composed: no key is down
e2e_wait_event '"event":"char","code":54620' 10

e2e_step "a modifier and a button held while the view loses the focus are released"
e2e_probe send --post --hwnd "$view" WM_KEYDOWN 0x11 0x001D0001 >/dev/null
e2e_wait_event '"message":256,"key":17' 10
e2e_probe send --post --hwnd "$view" 0x0201 1 $(((300 << 16) | 200)) >/dev/null  # left button down
e2e_wait_event '"message":513,"flags":1,"x":200,"y":300' 10
e2e_probe send --post --hwnd "$view" 8 0 0 >/dev/null  # WM_KILLFOCUS
e2e_wait_event '"message":257,"key":17' 10
e2e_wait_event '"message":514,"flags":0,"x":200,"y":300' 10

e2e_step "the pad's screen changes to 1280 x 800: the view follows it, smooth and mapped"
display_change 1280 800
e2e_expect_rect "$(e2e_probe wait --pid "$E2E_REMOTE_PID" --class TesmoraRemoteView --timeout 5000)" \
    0 0 1280 800 "the view after the display change"
sleep 1
settle_frames
# Area averaging as the view does it; the nearest-pixel picture is logged beside it for comparison.
convert "$E2E_DIR/desktop/monitor-0.bmp" -filter Box -resize '1280x800!' "BMP3:$E2E_DIR/monitor-0-smooth.bmp"
convert "$E2E_DIR/desktop/monitor-0.bmp" -filter Point -resize '1280x800!' "BMP3:$E2E_DIR/monitor-0-nearest.bmp"
compare_view 0 "$E2E_DIR/monitor-0-smooth.bmp"
e2e_log "against the nearest-pixel picture: $(e2e_probe compare "$(e2e_windows_path "$E2E_DIR/monitor-0-nearest.bmp")" \
    "$(e2e_windows_path "$E2E_DIR/view-0.png")" || true)"
e2e_probe click --mouse --hwnd "$view" --at 100,50 >/dev/null
# 100 x 1920 / 1280 = 150, 50 x 1080 / 800 = 67.5, truncated.
e2e_wait_event "\"message\":514,\"flags\":0,\"x\":$((100 * screen_w / 1280)),\"y\":$((50 * screen_h / 800))" 10
display_change "$screen_w" "$screen_h"
e2e_expect_rect "$(e2e_probe wait --pid "$E2E_REMOTE_PID" --class TesmoraRemoteView --timeout 5000)" \
    0 0 "$screen_w" "$screen_h" "the view after the display came back"

e2e_step "the next monitor"
acks=$(e2e_count_events '"tag":"\[RC00006\]"')
press 1630
sleep 1
settle_frames
compare_view 1
e2e_probe click --mouse --hwnd "$view" --at 100,50 >/dev/null
e2e_wait_event "\"message\":514,\"flags\":0,\"x\":$((screen_w + 100)),\"y\":50" 10

e2e_step "stop: the connection comes back"
settle_frames
press 1001
# A switch pressed while the connection changes hands still reaches the teacher, once.
e2e_probe send --post --hwnd "$panel" WM_COMMAND 1006 0 >/dev/null
e2e_wait_event '"tag":"\[RC00005\]"' 10
e2e_wait_event '"tag":"\[RC00013\]"' 10
[ "$(e2e_count_events '"event":"recv".*"tag":"\[RC00013\]"')" = 1 ] || e2e_fail "the switch did not arrive once"
for hidden in 1003 1630; do
    e2e_button_state "$panel" $hidden | grep -q 'visible=0' || e2e_fail "button $hidden is shown after remote control"
done
e2e_probe wait-gone --pid "$E2E_REMOTE_PID" --class TesmoraRemoteView --timeout 10000 >/dev/null ||
    e2e_fail "the view did not close"
sent=$(grep '"state":"stop"' "$E2E_DIR/events.jsonl" | grep -o '"frames_sent":[0-9]*' | tail -n 1 | cut -d: -f2)
acked=$(grep '"state":"stop"' "$E2E_DIR/events.jsonl" | grep -o '"last_acknowledged":[0-9]*' | tail -n 1 | cut -d: -f2)
[ "$acked" = $((sent - 1)) ] || e2e_fail "$sent frames sent, the last acknowledged is $acked"
e2e_trace_ticks "Remocon rc:" | grep -q "socket back" || e2e_fail "the socket was not handed back"
keepalives=$(e2e_count_events '"tag":"\[RC00003\]"')
deadline=$((SECONDS + 15))
until [ "$(e2e_count_events '"tag":"\[RC00003\]"')" -gt "$keepalives" ]; do
    [ $SECONDS -lt $deadline ] || e2e_fail "no keep-alive from the panel after remote control"
    sleep 0.5
done
sleep 2.2
press 1004
e2e_wait_event '"event":"frame_placed"' 15
sleep 2.2
press 1004
e2e_wait_event '"tag":"\[RC00009\]","payload":"stop"' 10

e2e_step "remote control starts again"
sleep 2.2
press 1001
wait_count '"tag":"\[RC00004\]"' 2 10
view=$(view_window)
[ -n "$view" ] || e2e_fail "no remote view the second time"
sleep 2.2
press 1001
wait_count '"tag":"\[RC00005\]"' 2 10
e2e_log "remote control ran twice; $sent frames in the first run, all acknowledged"
