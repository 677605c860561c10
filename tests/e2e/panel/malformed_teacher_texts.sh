#!/usr/bin/env bash
# A teacher whose screen-size message lacks a field: the remote ignores it (no answer, no message)
# and stays connected.
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

e2e_begin malformed-teacher-texts --set teacher.malformed=rh00001
e2e_start_remote
e2e_login demo-teacher
e2e_wait_panel 30 >/dev/null
e2e_wait_event '"event":"send","type":1,"tag":"\[RH00001\]"' 10
e2e_wait_event '"tag":"\[RC00003\]"' 15
[ "$(e2e_count_events '"tag":"\[RC00010\]"')" = 0 ] || e2e_fail "the malformed question was answered"
[ -z "$(e2e_messages)" ] || e2e_fail "the remote showed: $(e2e_messages)"
[ "$(e2e_field "$(e2e_panel)" visible)" = 1 ] || e2e_fail "the panel is gone"
e2e_log "ignored, still connected"
