#!/usr/bin/env bash
# The remote runs once per program file: while it runs, a second start ends at once without showing
# anything and leaves the first alone; once the first has ended, a new start runs normally.
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"

cp "$bin/TesmoraOrluRemocon.exe" "$work/"

step "the first start shows the login dialog"
start_program "$work" TesmoraOrluRemocon.exe
first=$e2e_pid
login=$(wait_login "$first")
[ -n "$login" ] || fail "no login dialog"

step "a second start ends at once, without a window"
# It would wait in its own login dialog if it ran; the probe ends it after the time-out and fails.
second=$(probe start --wait --timeout 5000 --dir "$winwork" TesmoraOrluRemocon.exe) ||
    fail "the second start did not end by itself"
expect_equal "exit code of the second start" "$(field exit <<<"$second")" 0
expect_equal "windows of the remote" "$(probe find --class '#32770' --with-id 1036 | field hwnd)" "$login"
expect_equal "the first's login dialog is still shown" "$(probe state --hwnd "$login" | field visible)" 1

step "cancelling the login ends the first"
probe key --hwnd "$login" esc
expect_equal "exit code of the first" "$(wait_exit "$first")" 0

step "a start after the first has ended runs"
start_program "$work" TesmoraOrluRemocon.exe
third=$e2e_pid
login=$(wait_login "$third")
[ -n "$login" ] || fail "the start after the first ended shows no login dialog"
probe key --hwnd "$login" esc
expect_equal "exit code of the new start" "$(wait_exit "$third")" 0
