#!/usr/bin/env bash
# The crash handler, in a test-only program that links it and crashes on purpose: it writes
# RemoconDump.dmp beside the program, then tells the user in the message box (Korean, or English when
# a language library is in use), and the process ends with the exception's code. A dump file that
# cannot be written only skips the dump.
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"

access_violation=3221225477  # 0xC0000005
cp "$bin/crash_provoker.exe" "$work/"
cp -r "$bin/language" "$work/"
dump=$work/RemoconDump.dmp

# crash NAME LANGUAGE WHERE: provokes the crash, checks the message box (screenshot NAME), dismisses it
# and checks the exit code.
crash() {
    local name=$1 language=$2 where=$3
    step "$name"
    start_program "$work" crash_provoker.exe "$language" "$where"
    local provoker=$e2e_pid box
    box=$(wait_message_box "$provoker")
    [ -n "$box" ] || fail "no crash message"
    local controls
    controls=$(probe children --hwnd "$box")
    expect_equal "message box caption" "$(control_field "$controls" 1011 text)" "Tesmora Orlu Remocon"
    expect_equal "OK button shown" "$(control_field "$controls" 1 visible)" 1
    expect_equal "Yes button shown" "$(control_field "$controls" 1246 visible)" 0
    screenshot "$name" --hwnd "$box"
    probe click --hwnd "$box" --id 1
    expect_equal "exit code" "$(wait_exit "$provoker")" "$access_violation"
}

check_dump() {
    [ -f "$dump" ] || fail "no RemoconDump.dmp beside the program"
    expect_equal "dump signature" "$(head -c 4 "$dump")" "MDMP"
    [ "$(stat -c %s "$dump")" -gt 1000 ] || fail "the dump is nearly empty"
}

crash korean-main-thread Kor main
check_dump

# On a second thread, in English, with a folder where the dump would go: the file cannot be made, the
# message still comes (and, see the screenshot, does not speak of a dump).
rm -f "$dump"
mkdir "$dump"
crash english-second-thread-no-dump Eng thread
[ -d "$dump" ] || fail "the dump's place changed"
