#!/usr/bin/env bash
# The language library: with the profile value language "Eng" (or "Japan") and
# .\language\TesmoraOrluRemocon<code>.dll present, the dialogs and strings come from the library;
# with the library missing, the remote runs in Korean. The texts are read from the login dialog and
# from the message box it shows for an empty teacher ID (whose text is drawn: see the screenshots).
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"

cp "$bin/TesmoraOrluRemocon.exe" "$work/"
cp -r "$bin/language" "$work/"

# check_texts NAME LABEL CONNECT CANCEL OK: starts the remote, compares the login dialog's label and
# buttons and the message box's OK button, saves screenshots NAME-login and NAME-message, and ends it.
check_texts() {
    local name=$1 label=$2 connect=$3 cancel=$4 ok=$5
    step "$name"
    start_program "$work" TesmoraOrluRemocon.exe
    local remote=$e2e_pid login box controls
    login=$(wait_login "$remote")
    [ -n "$login" ] || fail "no login dialog"
    controls=$(probe children --hwnd "$login")
    expect_equal "teacher ID label" "$(control_field "$controls" 1000 text)" "$label"
    expect_equal "connect button" "$(control_field "$controls" 1 text)" "$connect"
    expect_equal "cancel button" "$(control_field "$controls" 2 text)" "$cancel"
    screenshot "$name-login" --hwnd "$login"

    # Connecting without a teacher ID asks for one (string 1103) in the message box.
    probe set-text --hwnd "$login" --id 1036 ''
    probe click --hwnd "$login" --id 1
    box=$(wait_message_box "$remote")
    [ -n "$box" ] || fail "no message box for the empty teacher ID"
    controls=$(probe children --hwnd "$box")
    expect_equal "message box OK button" "$(control_field "$controls" 1 text)" "$ok"
    expect_equal "message box OK button shown" "$(control_field "$controls" 1 visible)" 1
    screenshot "$name-message" --hwnd "$box"
    probe key --hwnd "$box" enter
    probe wait-gone --hwnd "$box" --timeout 5000 || fail "the message box stayed"

    probe key --hwnd "$login" esc
    expect_equal "exit code" "$(wait_exit "$remote")" 0
}

set_profile_value language Eng
check_texts english "Teacher ID" "Connect" "Cancel" "OK"

set_profile_value language Japan
check_texts japanese "先生 ID" "接続" "キャンセル" "OK"

# The code names a library that is not there: Korean, from the program itself.
set_profile_value language Eng
mv "$work/language" "$work/language-away"
check_texts missing-library "선생님 ID" "연결" "취소" "확인"
