#!/usr/bin/env bash
# A relay lookup whose reply never arrives whole, over https and http, one course per run (the first
# argument is the classroom's lookup.reply):
#   cut          the whole length announced, the lines broken off inside the relay's address
#   cut-chunked  the same sent in chunks, closed before the last one
#   trickle      a byte a second without end: each attempt is left at the request's deadline
# Either way the remote takes it for no answer, logs in through the relay setting.ini remembers, and
# leaves that relay as it was (a fragment such as "rsip=127" is never written).
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"

reply=$1
e2e_begin "lookup-$reply" --set "lookup.reply=$reply"
{ printf '[default]\r\nrsip=127.0.0.1\r\nrsport=%s\r\n' "$E2E_LOGIN_PORT"; } | iconv -f UTF-8 -t UTF-16LE |
    { printf '\xff\xfe'; cat; } >"$E2E_PROGRAM_DIR/setting.ini"
e2e_start_remote
e2e_login demo-teacher
started=$SECONDS
e2e_wait_event '"event":"lookup"' 30
# A cut reply ends its attempt at once; a trickle takes two attempts of 30 s each. Then the login
# and the teacher.
e2e_wait_panel $([ "$reply" = trickle ] && echo 100 || echo 40) >/dev/null
e2e_log "panel shown $((SECONDS - started)) s after the login"
[ $((SECONDS - started)) -lt 90 ] || e2e_fail "the lookup held the login for $((SECONDS - started)) s"
e2e_expect_equal "lookup attempts" "$(e2e_count_events '"event":"lookup"')" 2
e2e_expect_equal "rsip kept" "$(e2e_setting rsip)" 127.0.0.1
e2e_expect_equal "rsport kept" "$(e2e_setting rsport)" "$E2E_LOGIN_PORT"
[ -z "$(e2e_messages)" ] || e2e_fail "the remote showed: $(e2e_messages)"
e2e_log "the $reply answer was taken for no answer; logged in through the remembered relay"
