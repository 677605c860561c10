#!/usr/bin/env bash
# A second "[UR00002]" after the teacher accepted: the remote closes its teacher connection and opens
# it again to the address given, is accepted again and keeps going, without a message and without
# ending.
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

e2e_begin second-teacher-address --set teacher.readdress-after=3
e2e_start_remote
e2e_login demo-teacher
e2e_wait_panel 30 >/dev/null
e2e_wait_event '"peer":"teacher".*"event":"send","type":1,"tag":"\[UR00002\]"' 15
e2e_wait_event '"peer":"teacher".*"event":"disconnected"' 10
# Accepted again on a new connection: our version first, then keep-alives there.
deadline=$((SECONDS + 20))
until [ "$(e2e_count_events '"peer":"teacher".*"tag":"\[RC00001\]"')" -ge 2 ]; do
    [ $SECONDS -lt $deadline ] || e2e_fail "no second acceptance"
    sleep 0.2
done
second=$(grep '"peer":"teacher".*"tag":"\[RC00001\]"' "$E2E_DIR/events.jsonl" | sed -n 2p |
    grep -o '"conn":[0-9]*')
first=$(grep -m1 '"peer":"teacher".*"tag":"\[RC00001\]"' "$E2E_DIR/events.jsonl" | grep -o '"conn":[0-9]*')
[ "$second" != "$first" ] || e2e_fail "the second acceptance came on the first connection"
e2e_wait_event "\"peer\":\"teacher\",$second,.*\"tag\":\"\\[RC00003\\]\"" 15
[ "$(e2e_count_events '"peer":"teacher".*"event":"disconnected"')" = 1 ] ||
    e2e_fail "the new connection was lost too"
[ -z "$(e2e_messages)" ] || e2e_fail "the remote showed: $(e2e_messages)"
[ "$(e2e_field "$(e2e_panel)" visible)" = 1 ] || e2e_fail "the panel is gone"
e2e_log "reconnected on $second, still running"
