#!/usr/bin/env bash
# The language library: with the profile value language "Eng" (or "Japan") and
# .\language\TesmoraOrluRemocon<code>.dll present, the dialogs and strings come from the library;
# with no profile value the pad's default (HKLM) chooses, and the profile's value wins over it;
# with the library missing, the remote runs in Korean. The texts are read from the login dialog and
# from the message box it shows for an empty teacher ID (whose text is drawn: see the screenshots).
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"

e2e_setup language-library
e2e_install TesmoraOrluRemocon.exe language

# check_texts NAME LABEL CONNECT CANCEL OK: starts the remote, compares the login dialog's label and
# buttons and the message box's OK button, saves screenshots NAME-login and NAME-message, and ends it.
check_texts() {
    local name=$1 label=$2 connect=$3 cancel=$4 ok=$5
    e2e_step "$name"
    e2e_start_program "$E2E_PROGRAM_DIR" TesmoraOrluRemocon.exe
    local remote=$E2E_PID login box controls
    login=$(e2e_wait_login "$remote")
    [ -n "$login" ] || e2e_fail "no login dialog"
    controls=$(e2e_probe children --hwnd "$login")
    e2e_expect_equal "teacher ID label" "$(e2e_control_field "$controls" 1000 text)" "$label"
    e2e_expect_equal "connect button" "$(e2e_control_field "$controls" 1 text)" "$connect"
    e2e_expect_equal "cancel button" "$(e2e_control_field "$controls" 2 text)" "$cancel"
    e2e_screenshot --hwnd "$login" "$(e2e_windows_path "$E2E_DIR/$name-login.png")"

    # Connecting without a teacher ID asks for one (string 1103) in the message box.
    e2e_probe set-text --hwnd "$login" --id 1036 '' >/dev/null
    e2e_probe click --hwnd "$login" --id 1 >/dev/null
    box=$(e2e_wait_message_box "$remote")
    [ -n "$box" ] || e2e_fail "no message box for the empty teacher ID"
    controls=$(e2e_probe children --hwnd "$box")
    e2e_expect_equal "message box OK button" "$(e2e_control_field "$controls" 1 text)" "$ok"
    e2e_expect_equal "message box OK button shown" "$(e2e_control_field "$controls" 1 visible)" 1
    e2e_screenshot --hwnd "$box" "$(e2e_windows_path "$E2E_DIR/$name-message.png")"
    e2e_probe key --hwnd "$box" enter >/dev/null
    e2e_probe wait-gone --hwnd "$box" --timeout 5000 >/dev/null || e2e_fail "the message box stayed"

    e2e_probe key --hwnd "$login" esc >/dev/null
    e2e_expect_equal "exit code" "$(e2e_exit_code "$remote")" 0
}

e2e_set_profile_value language Eng
check_texts english "Teacher ID" "Connect" "Cancel" "OK"

e2e_set_profile_value language Japan
check_texts japanese "先生 ID" "接続" "キャンセル" "OK"

# The pad's default, which the installer writes for every account: an account with no value of its
# own (one the installer did not run under) gets it; a value of the account's own still wins.
pad_key='HKLM\Software\TesmoraOrlu\TesmoraOrluRemocon\config'
trap 'status=$?; e2e_wine reg delete "$pad_key" /v language /f >/dev/null 2>&1 || true; (exit $status); e2e_end' EXIT
e2e_wine reg add "$pad_key" /v language /t REG_SZ /d Eng /f >/dev/null 2>&1 || e2e_fail "could not set the pad's default"
e2e_wine reg delete "$E2E_PROFILE_KEY" /v language /f >/dev/null 2>&1 || e2e_fail "could not clear the profile's value"
check_texts pad-default "Teacher ID" "Connect" "Cancel" "OK"
e2e_set_profile_value language Kor
check_texts profile-over-pad-default "선생님 ID" "연결" "취소" "확인"
e2e_wine reg delete "$pad_key" /v language /f >/dev/null 2>&1 || true

# The code names a library that is not there: Korean, from the program itself.
e2e_set_profile_value language Eng
mv "$E2E_PROGRAM_DIR/language" "$E2E_PROGRAM_DIR/language-away"
check_texts missing-library "선생님 ID" "연결" "취소" "확인"
