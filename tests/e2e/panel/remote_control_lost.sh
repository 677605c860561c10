#!/usr/bin/env bash
# The teacher's connection breaks while remote control runs: the view closes, the user is told once
# that the connection to the teacher program was lost (229), and the remote ends; the socket is not
# handed back to a panel that is ending.
#   remote_control_lost.sh [NAME classroom options...]   (default: the teacher closes after 8 s)
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

text="Tesmora Orlu Teacher와 연결이 끊어져 프로그램이 종료됩니다"
if [ $# -gt 0 ]; then
    e2e_begin "$@"
else
    e2e_begin remote-control-lost --set teacher.close-after=8
fi
e2e_config "webserver=127.0.0.1:$E2E_LOOKUP_PORT" "layout=full"
e2e_start_remote
e2e_login demo-teacher
panel=$(e2e_field "$(e2e_wait_panel 30)" hwnd)
if e2e_button_state "$panel" 1001 | grep -q 'visible=1'; then
    e2e_press "$panel" 1001
else
    e2e_probe send --hwnd "$panel" WM_COMMAND 1001 0 >/dev/null
fi
e2e_wait_event '"tag":"\[RC00004\]"' 10
e2e_probe wait --pid "$E2E_REMOTE_PID" --class TesmoraRemoteView --timeout 10000 >/dev/null ||
    e2e_fail "no remote view"
e2e_wait_message "$text" 30
e2e_probe wait-gone --pid "$E2E_REMOTE_PID" --class TesmoraRemoteView --timeout 10000 >/dev/null ||
    e2e_fail "the view stayed open after the connection was lost"
sleep 1
[ "$(e2e_message_count "$text")" = 1 ] || e2e_fail "\"$text\" was not shown exactly once"
if [ "$E2E_NAME" = remote-control-flood ]; then
    grep -q "Remocon rc: the teacher left more than" "$E2E_DIR/remote.err" ||
        e2e_fail "the connection ended, but not at the bound on the inbound queue"
fi
e2e_answer_message 1
e2e_wait_exit 15
e2e_log "the lost connection ended remote control and the remote with message 229"
