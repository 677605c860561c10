#!/usr/bin/env bash
# Without a playback device there is nothing to capture: the sound button tells the teacher
# "[RC00011]start" and at once "[RC00011]stop", and stays unchecked.
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"
source "$(dirname "${BASH_SOURCE[0]}")/sound_pulse.sh"

e2e_begin sound-no-device
e2e_config "webserver=127.0.0.1:$E2E_LOOKUP_PORT" "layout=full"
e2e_no_sound_server
e2e_start_remote
e2e_login demo-teacher
panel=$(e2e_field "$(e2e_wait_panel 30)" hwnd)

e2e_press "$panel" 1005
e2e_wait_event '"tag":"\[RC00011\]","payload":"stop"' 10
order=$(grep -o '"tag":"\[RC00011\]","payload":"[a-z]*"' "$E2E_DIR/events.jsonl" | sed 's/.*"payload":"//; s/"$//' |
    tr '\n' ' ')
[ "$order" = "start stop " ] || e2e_fail "the teacher heard [RC00011] $order"
e2e_button_state "$panel" 1005 | grep -q 'checked=0' || e2e_fail "the sound button is checked"
e2e_log "$(e2e_trace_ticks "Remocon sound upload:" | tail -n 1)"
