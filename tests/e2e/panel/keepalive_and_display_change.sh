#!/usr/bin/env bash
# Once connected the remote keeps the connection alive (a keep-alive every 10 s, each answered) for
# more than 30 s, and a resolution change tells the teacher PC the new screen ("[RC00008]" with the
# upload settings, "[RC00010]") and brings the panel back onto the smaller screen.
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

e2e_begin keepalive-and-display-change
read -r width height <<<"$(e2e_screen_size)"
s=$(e2e_screen_factor "$width" "$height")
e2e_start_remote
e2e_login demo-teacher
record=$(e2e_wait_panel 30)
hwnd=$(e2e_field "$record" hwnd)

# 1280 x 720 in the message's low and high words.
e2e_probe send --hwnd "$hwnd" 0x007E 32 $(((720 << 16) | 1280)) >/dev/null
e2e_wait_event '"tag":"\[RC00008\]","payload":"1280,720,full,resize"' 10
e2e_wait_event '"tag":"\[RC00010\]","payload":"1280,720"' 10
w=$(e2e_scaled 65 "$s")
h=$(e2e_scaled 106 "$s")
e2e_expect_rect "$(e2e_panel)" $((1280 - w)) 0 1280 "$h" "panel after the change"

e2e_wait_event '"tag":"\[RC00003\]"' 15
start=$SECONDS
while [ $((SECONDS - start)) -lt 31 ]; do
    sleep 2
    [ -z "$(e2e_messages)" ] || e2e_fail "the remote showed: $(e2e_messages)"
done
sent=$(e2e_count_events '"event":"recv","type":1,"tag":"\[RC00003\]"')
answered=$(e2e_count_events '"event":"send","type":1,"tag":"\[RH10002\]"')
[ "$sent" -ge 4 ] || e2e_fail "only $sent keep-alives in more than 30 s"
[ "$answered" -ge 3 ] || e2e_fail "only $answered keep-alives answered"
[ "$(e2e_field "$(e2e_panel)" visible)" = 1 ] || e2e_fail "the panel is gone"
e2e_log "$sent keep-alives, $answered answers, no message"
