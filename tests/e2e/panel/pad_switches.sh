#!/usr/bin/env bash
# The student-pad switches against a teacher of version VERSION (pad_switches.sh VERSION [options]):
# each press asks the teacher for the opposite of the button's state ("[RC00013]on"/"off" for the
# pads' touch, 1006; "[RC00012]" for the broadcast, 1008) and rests the button for 5 s. A teacher up
# to 2.0.1.1027 never answers, so the button toggles at once; a newer one answers and only its answer
# sets the button (with --set teacher.switches=off it never answers, and the button stays as it was).
# The same holds while remote control holds the connection: the control thread sends the text, and
# the button changes only once it went out (or the answer came).
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

version=$1
shift
e2e_begin "pad-switches-$version${1:+-quiet}" --set teacher.version="$version" "$@"
e2e_config "webserver=127.0.0.1:$E2E_LOOKUP_PORT" "layout=full"
e2e_start_remote
e2e_login demo-teacher
panel=$(e2e_field "$(e2e_wait_panel 30)" hwnd)
old=no
[[ "$version" > 2.0.1.1027 ]] || old=yes
answers=yes
[ "$old" = no ] && [ $# -eq 0 ] || answers=no

checked() { e2e_button_state "$panel" "$1" | grep -o 'checked=[01]' | cut -d= -f2; }
# press BUTTON NAME STATE: one press that asks for STATE (true or false) of switch NAME.
press() {
    local button=$1 name=$2 state=$3 before expected pressed_at heard
    local pattern="\"event\":\"switch\",\"name\":\"$name\",\"on\":$state"
    before=$(checked "$button")
    heard=$(e2e_count_events "$pattern")
    e2e_press "$panel" "$button"
    pressed_at=$SECONDS
    until [ "$(e2e_count_events "$pattern")" -gt "$heard" ]; do
        [ $((SECONDS - pressed_at)) -le 10 ] || e2e_fail "the teacher did not hear $name $state"
        sleep 0.2
    done
    e2e_button_state "$panel" "$button" | grep -q 'enabled=0' || e2e_fail "button $button is not resting"
    expected=$before
    if [ "$old" = yes ] || [ "$answers" = yes ]; then
        [ "$state" = true ] && expected=1 || expected=0
    fi
    # An answer, where one comes, arrives within a moment; where none comes, nothing changes later.
    sleep 1
    [ "$(checked "$button")" = "$expected" ] || e2e_fail "button $button is $(checked "$button") after asking for $state"
    until e2e_button_state "$panel" "$button" | grep -q 'enabled=1'; do
        [ $((SECONDS - pressed_at)) -le 8 ] || e2e_fail "button $button rests too long"
        sleep 0.2
    done
    [ $((SECONDS - pressed_at)) -ge 4 ] || e2e_fail "button $button rested only $((SECONDS - pressed_at)) s"
    e2e_log "$name $state: button $button checked=$expected, rested $((SECONDS - pressed_at)) s"
}

press 1006 touch true
# With a silent new teacher the button still shows off: the next press asks for "on" again.
if [ "$old" = no ] && [ "$answers" = no ]; then
    press 1006 touch true
else
    press 1006 touch false
fi
press 1008 broadcast true
sent=$(grep -o '"tag":"\[RC0001[23]\]","payload":"[a-z]*"' "$E2E_DIR/events.jsonl" | tr '\n' ' ')
e2e_log "teacher heard: $sent"

# The teacher's answer as it comes during remote control: WM_TOUCH_STATE / WM_SHARE_STATE from the
# remote-control receiver; one without the cross-thread check value is ignored.
if [ "$old" = no ] && [ "$answers" = yes ]; then
    touch_before=$(checked 1006)
    e2e_probe send --hwnd "$panel" WM_APP+0x12F 0x12346 $((1 - touch_before)) >/dev/null
    [ "$(checked 1006)" = "$touch_before" ] || e2e_fail "a WM_TOUCH_STATE without the check value was taken"
    e2e_probe send --hwnd "$panel" WM_APP+0x12F 0x12345 1 >/dev/null
    [ "$(checked 1006)" = 1 ] || e2e_fail "WM_TOUCH_STATE 1 left button 1006 unchecked"
    e2e_probe send --hwnd "$panel" WM_APP+0x130 0x12345 2 >/dev/null
    [ "$(checked 1008)" = 0 ] || e2e_fail "WM_SHARE_STATE 2 left button 1008 checked"
    e2e_log "WM_TOUCH_STATE and WM_SHARE_STATE set the buttons"
fi

e2e_step "the switches during remote control"
e2e_press "$panel" 1001
e2e_wait_event '"event":"remote_control","state":"start"' 15
opposite() { [ "$(checked "$1")" = 1 ] && echo false || echo true; }
press 1008 broadcast "$(opposite 1008)"
press 1006 touch "$(opposite 1006)"
grep -a 'Remocon switch:' "$E2E_DIR/remote.err" | tail -n 2 | grep -c 'control-thread' | grep -qx 2 ||
    e2e_fail "the switches did not go through the control thread: $(grep -a 'Remocon switch:' "$E2E_DIR/remote.err" | tail -n 2)"
e2e_press "$panel" 1001
e2e_wait_event '"event":"remote_control","state":"stop"' 15
e2e_log "the switches during remote control went through the control thread"
