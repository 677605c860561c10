#!/usr/bin/env bash
# A sound upload whose capture ends by itself (sound_ends_by_itself.sh [LANGUAGE]): the sound server
# goes away under the running upload; the sound button unchecks, the teacher is told
# "[RC00011]stop", and a notice in the remote's language says so (notice-LANGUAGE.png) without
# stopping anything else: the session goes on (keep-alives answered, the sound button answers) and
# the notice closes itself.
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"
source "$(dirname "${BASH_SOURCE[0]}")/sound_pulse.sh"

language=${1:-Kor}
case $language in
Kor) notice="소리 올림이 멈췄습니다. 재생 장치를 확인해 주세요." ;;
Eng) notice="Sound upload stopped. Please check the playback device." ;;
*) e2e_fail "no notice text for $language" ;;
esac

e2e_begin "sound-ends-by-itself-$language"
e2e_config "webserver=127.0.0.1:$E2E_LOOKUP_PORT" "layout=full"
[ "$language" = Kor ] || e2e_set_profile_value language "$language"
e2e_start_null_sink
e2e_start_remote
e2e_login demo-teacher
panel=$(e2e_field "$(e2e_wait_panel 30)" hwnd)

e2e_press "$panel" 1005
e2e_wait_event '"tag":"\[RC00011\]","payload":"start"' 10
e2e_wait_event '"event":"sound_block"' 10
e2e_button_state "$panel" 1005 | grep -q 'checked=1' || e2e_fail "the sound button is not checked"

e2e_step "the sound server goes away"
e2e_stop_sound_server
stopped_at=$SECONDS
e2e_wait_event '"tag":"\[RC00011\]","payload":"stop"' 20
e2e_log "the teacher heard [RC00011]stop $((SECONDS - stopped_at)) s after the sound server went away"
e2e_wait_message "$notice" 5
e2e_button_state "$panel" 1005 | grep -q 'checked=0' || e2e_fail "the sound button is still checked"
e2e_log "$(grep -a 'Remocon sound upload: ended by itself' "$E2E_DIR/remote.err" | tail -n 1)"
e2e_probe wait --pid "$E2E_REMOTE_PID" --with-id 1059 --timeout 3000 >/dev/null || e2e_fail "no notice window"
e2e_screenshot "$(e2e_windows_path "$E2E_DIR/notice-$language.png")"

# The notice asks nothing and closes itself; meanwhile the panel takes its buttons.
keepalives=$(e2e_count_events '"tag":"\[RC00003\]"')
# No sound server now: Wine still names the device, but it cannot be used, so the capture ends at
# once: start, then stop, and the notice again.
e2e_press "$panel" 1005
deadline=$((SECONDS + 5))
until [ "$(e2e_count_events '"tag":"\[RC00011\]","payload":"stop"')" -ge 2 ]; do
    [ $SECONDS -lt $deadline ] || e2e_fail "the sound button did not answer while the notice showed"
    sleep 0.2
done
e2e_button_state "$panel" 1005 | grep -q 'checked=0' || e2e_fail "the sound button is checked"
until [ "$(e2e_count_events '"tag":"\[RC00003\]"')" -gt "$keepalives" ]; do
    [ $((SECONDS - stopped_at)) -lt 30 ] || e2e_fail "no keep-alive after the sound stopped"
    sleep 0.5
done
# The notice closes itself (5 s after it last showed).
e2e_probe wait-gone --pid "$E2E_REMOTE_PID" --with-id 1059 --timeout 10000 >/dev/null ||
    e2e_fail "the notice did not close itself"
e2e_log "the session goes on: keep-alives, the sound button answers, the notice closed itself"
