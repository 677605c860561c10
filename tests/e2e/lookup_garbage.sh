#!/usr/bin/env bash
# A relay lookup that answers 64 KiB of random bytes over https and http: the remote takes the relay
# it remembers, logs in through it, and leaves the remembered relay in setting.ini as it was.
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"

e2e_begin lookup-garbage --set lookup.reply=garbage
{ printf '[default]\r\nrsip=127.0.0.1\r\nrsport=%s\r\n' "$E2E_LOGIN_PORT"; } | iconv -f UTF-8 -t UTF-16LE |
    { printf '\xff\xfe'; cat; } >"$E2E_PROGRAM_DIR/setting.ini"
e2e_start_remote
e2e_login demo-teacher
e2e_wait_event '"event":"lookup"' 30
e2e_wait_panel 40 >/dev/null
e2e_expect_equal "rsip kept" "$(e2e_setting rsip)" 127.0.0.1
e2e_expect_equal "rsport kept" "$(e2e_setting rsport)" "$E2E_LOGIN_PORT"
[ -z "$(e2e_messages)" ] || e2e_fail "the remote showed: $(e2e_messages)"
e2e_log "the garbage answer was taken for no answer; logged in through the remembered relay"
