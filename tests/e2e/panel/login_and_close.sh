#!/usr/bin/env bash
# The whole way in: login dialog, relay lookup, login server, teacher program; the panel appears at
# the top-right corner in its size for the screen's scale factor. Then closing: Escape asks the
# question (answered No: the remote stays), the close button asks again (Yes: the remote ends).
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

e2e_begin login-and-close
read -r width height <<<"$(e2e_screen_size)"
s=$(e2e_screen_factor "$width" "$height")
e2e_start_remote
e2e_login demo-teacher
e2e_wait_event '"event":"identified".*"valid":true' 30
record=$(e2e_wait_panel 30)
e2e_screenshot "$E2E_DIR/panel.png"
w=$(e2e_scaled 65 "$s")
h=$(e2e_scaled 106 "$s")
e2e_expect_rect "$record" $((width - w)) 0 "$width" "$h" "panel at s=$s"

# The teacher heard our version first, then the answer to its screen-size question.
first=$(grep '"peer":"teacher".*"event":"recv"' "$E2E_DIR/events.jsonl" | head -n 1)
[[ $first == *'"tag":"[RC00001]","payload":"2.0.1.1028"'* ]] || e2e_fail "first text to the teacher: $first"
e2e_wait_event "\"tag\":\"\\[RC00010\\]\",\"payload\":\"$width,$height\"" 10

hwnd=$(e2e_field "$record" hwnd)
e2e_probe key --hwnd "$hwnd" esc >/dev/null
e2e_answer_message 1247 "Tesmora Orlu Remocon 종료 확인"
sleep 1
[ "$(e2e_field "$(e2e_panel)" visible)" = 1 ] || e2e_fail "the panel went away after No"

# The click waits for its handler, which waits for the answer.
e2e_probe click --hwnd "$hwnd" --id 1628 >/dev/null &
clicker=$!
e2e_answer_message 1246 "Tesmora Orlu Remocon 종료 확인"
wait $clicker || true
e2e_wait_exit 15
grep -q '"peer":"teacher".*"event":"disconnected"' "$E2E_DIR/events.jsonl" ||
    e2e_fail "the teacher connection was not closed"
e2e_log "panel $(e2e_field "$record" rect) at s=$s; closed after the question"
