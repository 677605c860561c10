#!/usr/bin/env bash
# The default sound device changes while sound is uploaded: Windows tells the remote (an endpoint
# notification) and the capture moves to the new default device by itself. The teacher hears no
# stop and no new start, the sound button stays checked, and blocks go on arriving. Wine tells of a
# new default device when the device chosen for Wine changes (the DefaultInput value of its sound
# driver's key, which this scenario sets and removes again).
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"
source "$(dirname "${BASH_SOURCE[0]}")/sound_pulse.sh"

driver_key='HKCU\Software\Wine\Drivers\winepulse.drv'
e2e_begin sound-device-change
e2e_config "webserver=127.0.0.1:$E2E_LOOKUP_PORT" "layout=full"
e2e_start_null_sink
pactl load-module module-null-sink sink_name=other sink_properties=device.description=Other >/dev/null ||
    e2e_fail "no second sink"
forget_choice() { e2e_wine reg delete "$driver_key" /v DefaultInput /f >/dev/null 2>&1 || true; }
forget_choice
end_scenario() {
    local status=$?
    forget_choice
    (exit $status)
    e2e_end
}
trap end_scenario EXIT
e2e_start_remote
e2e_login demo-teacher
panel=$(e2e_field "$(e2e_wait_panel 30)" hwnd)

blocks() { e2e_count_events '"event":"sound_block"'; }
more_blocks() {  # N: at least N more blocks within 10 s
    local want=$(($(blocks) + $1)) deadline=$((SECONDS + 10))
    until [ "$(blocks)" -ge "$want" ]; do
        [ $SECONDS -lt $deadline ] || e2e_fail "fewer than $1 more sound blocks within 10 s"
        sleep 0.2
    done
}

e2e_press "$panel" 1005
e2e_wait_event '"tag":"\[RC00011\]","payload":"start"' 10
more_blocks 2

e2e_step "another default device"
e2e_wine reg add "$driver_key" /v DefaultInput /d "Monitor of Other" /f >/dev/null
deadline=$((SECONDS + 10))
until grep -aq 'Remocon sound upload: restart on the default device' "$E2E_DIR/remote.err"; do
    [ $SECONDS -lt $deadline ] || e2e_fail "the capture did not move to the new default device"
    sleep 0.2
done
e2e_log "$(grep -a 'default device changed' "$E2E_DIR/remote.err" | sed 's/.*Remocon/Remocon/' | head -n 1)"
more_blocks 3
e2e_button_state "$panel" 1005 | grep -q 'checked=1' || e2e_fail "the sound button unchecked"
[ "$(e2e_count_events '"tag":"\[RC00011\]"')" = 1 ] || e2e_fail "the teacher heard more than the start"
[ "$(e2e_message_count "소리 올림이 멈췄습니다. 재생 장치를 확인해 주세요.")" = 0 ] || e2e_fail "a notice showed"
e2e_log "the capture moved to the new default device; the teacher heard nothing of it"
