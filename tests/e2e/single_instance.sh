#!/usr/bin/env bash
# The remote runs once per program file: while it runs, a second start ends at once without showing
# anything and leaves the first alone; once the first has ended, a new start runs normally.
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"

e2e_setup single-instance
e2e_install TesmoraOrluRemocon.exe

e2e_step "the first start shows the login dialog"
e2e_start_program "$E2E_PROGRAM_DIR" TesmoraOrluRemocon.exe
first=$E2E_PID
login=$(e2e_wait_login "$first")
[ -n "$login" ] || e2e_fail "no login dialog"

e2e_step "a second start ends at once, without a window"
# It would wait in its own login dialog if it ran; the probe ends it after the time-out and fails.
program=$(e2e_windows_path "$E2E_PROGRAM_DIR")
second=$(e2e_probe start --wait --timeout 5000 --dir "$program" "$program\\TesmoraOrluRemocon.exe") ||
    e2e_fail "the second start did not end by itself"
e2e_expect_equal "exit code of the second start" "$(e2e_field "$second" exit)" 0
e2e_expect_equal "windows of the remote" \
    "$(e2e_field "$(e2e_probe find --class '#32770' --with-id 1036)" hwnd)" "$login"
e2e_expect_equal "the first's login dialog is still shown" \
    "$(e2e_field "$(e2e_probe state --hwnd "$login")" visible)" 1

e2e_step "cancelling the login ends the first"
e2e_probe key --hwnd "$login" esc >/dev/null
e2e_expect_equal "exit code of the first" "$(e2e_exit_code "$first")" 0

e2e_step "a start after the first has ended runs"
e2e_start_program "$E2E_PROGRAM_DIR" TesmoraOrluRemocon.exe
third=$E2E_PID
login=$(e2e_wait_login "$third")
[ -n "$login" ] || e2e_fail "the start after the first ended shows no login dialog"
e2e_probe key --hwnd "$login" esc >/dev/null
e2e_expect_equal "exit code of the new start" "$(e2e_exit_code "$third")" 0
