#!/usr/bin/env bash
# The crash handler, in a test-only program that links it and crashes on purpose: it writes
# RemoconDump.dmp beside the program, then tells the user in the message box (Korean, or English when
# a language library is in use), and the process ends with the exception's code. A dump file that
# cannot be written only skips the dump.
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"

e2e_setup crash-dump
e2e_install crash_provoker.exe language
access_violation=3221225477  # 0xC0000005
dump=$E2E_PROGRAM_DIR/RemoconDump.dmp

# crash NAME LANGUAGE WHERE: provokes the crash, checks the message box (screenshot NAME), dismisses it
# and checks the exit code.
crash() {
    local name=$1 language=$2 where=$3
    e2e_step "$name"
    e2e_start_program "$E2E_PROGRAM_DIR" crash_provoker.exe "$language" "$where"
    local provoker=$E2E_PID box controls
    box=$(e2e_wait_message_box "$provoker")
    [ -n "$box" ] || e2e_fail "no crash message"
    controls=$(e2e_probe children --hwnd "$box")
    e2e_expect_equal "message box caption" "$(e2e_control_field "$controls" 1011 text)" "Tesmora Orlu Remocon"
    e2e_expect_equal "OK button shown" "$(e2e_control_field "$controls" 1 visible)" 1
    e2e_expect_equal "Yes button shown" "$(e2e_control_field "$controls" 1246 visible)" 0
    e2e_screenshot --hwnd "$box" "$(e2e_windows_path "$E2E_DIR/$name.png")"
    e2e_probe click --hwnd "$box" --id 1 >/dev/null
    e2e_expect_equal "exit code" "$(e2e_exit_code "$provoker")" "$access_violation"
}

check_dump() {
    [ -f "$dump" ] || e2e_fail "no RemoconDump.dmp beside the program"
    e2e_expect_equal "dump signature" "$(head -c 4 "$dump")" "MDMP"
    [ "$(stat -c %s "$dump")" -gt 1000 ] || e2e_fail "the dump is nearly empty"
}

crash korean-main-thread Kor main
check_dump

# On a second thread, in English, with a folder where the dump would go: the file cannot be made, the
# message still comes (and, see the screenshot, does not speak of a dump).
rm -f "$dump"
mkdir "$dump"
crash english-second-thread-no-dump Eng thread
[ -d "$dump" ] || e2e_fail "the dump's place changed"
