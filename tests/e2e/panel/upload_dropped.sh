#!/usr/bin/env bash
# The teacher's connection drops while an uploaded screen frame is only half across: the user is told
# once that the connection was lost (229), and the remote ends when the message is answered, its
# capture thread ended on the way out and setting.ini as the login left it.
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

text="Tesmora Orlu Teacher와 연결이 끊어져 프로그램이 종료됩니다"
e2e_begin upload-dropped --set teacher.drop-mid-upload=on
e2e_start_remote
e2e_login demo-teacher
panel=$(e2e_field "$(e2e_wait_panel 30)" hwnd)
e2e_press "$panel" 1004
e2e_wait_event '"event":"disconnected","why":"scenario: dropped in the middle of a frame"' 20
e2e_wait_message "$text" 30
sleep 1
[ "$(e2e_message_count "$text")" = 1 ] || e2e_fail "\"$text\" was not shown exactly once"
e2e_answer_message 1
e2e_wait_exit 15
e2e_trace_ticks "Remocon capture:" | grep -q ' ended' || e2e_fail "the capture thread did not end"
e2e_expect_equal "the remembered relay after the drop" "$(e2e_setting rsip):$(e2e_setting rsport)" \
    "127.0.0.1:$E2E_LOGIN_PORT"
e2e_log "the drop in the middle of a frame ended the upload and the remote with message 229"
