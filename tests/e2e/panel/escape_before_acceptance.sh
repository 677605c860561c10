#!/usr/bin/env bash
# Escape while the remote still waits for the login server closes it at once: no question, no
# message.
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

e2e_begin escape-before-acceptance --set login.greeting=silent
e2e_start_remote
e2e_login demo-teacher
e2e_wait_event '"peer":"login","conn":[0-9]*,"event":"connected"' 20
record=$(e2e_panel)
[ "$(e2e_field "$record" visible)" = 0 ] || e2e_fail "the panel is visible before acceptance"
e2e_probe key --hwnd "$(e2e_field "$record" hwnd)" esc >/dev/null
e2e_wait_exit 15
[ -z "$(e2e_messages)" ] || e2e_fail "messages were shown: $(e2e_messages)"
e2e_log "ended without a question"
