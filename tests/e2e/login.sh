#!/usr/bin/env bash
# The login dialog of the real remote against the simulated classroom: the remembered ID shown
# selected; a message box (and the dialog kept) for an empty ID, a forbidden character and 21
# characters; 20 characters after trimming and a Hangul ID accepted, the relay kept in setting.ini;
# with the lookup service down, the remembered relay; a refusal in the message line, looked at in
# screenshots at the scale factors 1 and 1.4 (login-refused-1.png, login-refused-1.4.png).
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"

classroom=${TESMORA_CLASSROOM:-$scripts/../build/native/tools/classroom/tesmora-classroom}
[ -x "$classroom" ] || fail "the simulated classroom is not built ($classroom): build the native preset first"
cp "$bin/TesmoraOrluRemocon.exe" "$work/"

classroom_pid=
lookup_port=
login_port=
stop_classroom() {
    if [ -n "$classroom_pid" ]; then
        kill "$classroom_pid" 2>/dev/null || true
        wait "$classroom_pid" 2>/dev/null || true
        classroom_pid=
    fi
}
trap 'e2e_cleanup; stop_classroom' EXIT

# port_of SERVICE: the port the classroom listens on for SERVICE, from its event log.
port_of() {
    grep -o "\"service\":\"$1\",\"address\":\"[^\"]*\",\"port\":[0-9]*" "$events" 2>/dev/null |
        grep -o '[0-9]*$' || true
}

# start_classroom NAME [OPTIONS...]: a classroom on free ports, its events in NAME.jsonl.
start_classroom() {
    local name=$1
    shift
    events=$work/$name.jsonl
    "$classroom" --lookup-port 0 --lookup-http-port 0 --login-port 0 --teacher-port 0 --quiet \
        --events "$events" --exit-after 240 "$@" </dev/null >/dev/null 2>&1 &
    classroom_pid=$!
    lookup_port= login_port=
    for _ in $(seq 100); do
        lookup_port=$(port_of 'lookup (https and http)')
        login_port=$(port_of login)
        [ -n "$lookup_port" ] && [ -n "$login_port" ] && return
        sleep 0.1
    done
    fail "the classroom did not start"
}

# configure KEY=VALUE...: config.ini beside the program.
configure() {
    { printf '[default]\r\n'; printf '%s\r\n' "$@"; } | iconv -f UTF-8 -t UTF-16LE |
        { printf '\xff\xfe'; cat; } >"$work/config.ini"
}

# setting KEY: a value of setting.ini (UTF-16 once the remote has prepared it).
setting() {
    iconv -f UTF-16 -t UTF-8 "$work/setting.ini" 2>/dev/null | tr -d '\r' | sed -n "s/^$1=//p"
}

# connect_as ID: types the ID (probe escapes allowed) into the login dialog and connects.
connect_as() {
    probe set-text --hwnd "$login" --id 1036 "$1" >/dev/null
    probe click --hwnd "$login" --id 1 >/dev/null
}

# refused_by_box ID: connecting shows the message box; the dialog stays with the ID's edit focused.
refused_by_box() {
    connect_as "$1"
    local box
    box=$(wait_message_box "$remote")
    [ -n "$box" ] || fail "no message box for \"$1\""
    probe key --hwnd "$box" enter >/dev/null
    probe wait-gone --hwnd "$box" --timeout 5000 >/dev/null || fail "the message box for \"$1\" stayed"
    expect_equal "dialog still shown after \"$1\"" "$(probe state --hwnd "$login" | field visible)" 1
}

# text_of ID: the text of the login dialog's control ID.
text_of() {
    probe text --hwnd "$login" --id "$1"
}

start_remote() {
    start_program "$work" TesmoraOrluRemocon.exe
    remote=$e2e_pid
    login=$(wait_login "$remote")
    [ -n "$login" ] || fail "no login dialog"
}

# wait_event PATTERN: until the classroom logged a matching event (10 s).
wait_event() {
    for _ in $(seq 100); do
        grep -Eq -- "$1" "$events" && return
        sleep 0.1
    done
    fail "no classroom event matching $1"
}

end_remote() {
    probe kill "$remote" --image "$(image_of "$remote")" >/dev/null 2>&1 || true
}

start_classroom accepting --set 'teacher-ids=demo-teacher,abcdefghij0123456789,김선생'
configure "webserver=127.0.0.1:$lookup_port" "scalefactor=1"
set_profile_value teacherid demo-teacher

step "the remembered ID is shown selected, with the focus"
start_remote
expect_equal "teacher ID" "$(text_of 1036)" demo-teacher
expect_equal "selection (start 0, end 12)" "$(probe send --hwnd "$login" --id 1036 0xB0 0 0 | field result)" \
    $((12 << 16))
for _ in $(seq 50); do
    [ "$(probe state --hwnd "$login" --id 1036 | field focused)" = 1 ] && break
    sleep 0.1
done
expect_equal "edit focused" "$(probe state --hwnd "$login" --id 1036 | field focused)" 1
expect_equal "message line" "$(text_of 1064)" ""

step "an empty ID, a slash and 21 characters are refused in a message box"
refused_by_box ''
refused_by_box '   '
refused_by_box 'ab/cd'
refused_by_box 'abcdefghij0123456789k'

step "20 characters after trimming are accepted; the relay is kept"
connect_as '  abcdefghij0123456789  '
probe wait-gone --hwnd "$login" --timeout 20000 >/dev/null || fail "the login dialog stayed"
expect_equal "rsip" "$(setting rsip)" 127.0.0.1
expect_equal "rsport" "$(setting rsport)" "$login_port"
end_remote

step "a Hangul ID is accepted"
start_remote
expect_equal "remembered ID" "$(text_of 1036)" abcdefghij0123456789
connect_as '\uAE40\uC120\uC0DD'
probe wait-gone --hwnd "$login" --timeout 20000 >/dev/null || fail "the login dialog stayed"
wait_event '"event":"lookup".*"val3":"김선생","check":"ok"'
end_remote

step "with the lookup service down the remembered relay is used"
stop_classroom
start_remote
connect_as demo-teacher
probe wait-gone --hwnd "$login" --timeout 20000 >/dev/null || fail "the login dialog stayed"
expect_equal "rsip kept" "$(setting rsip)" 127.0.0.1
expect_equal "rsport kept" "$(setting rsport)" "$login_port"
end_remote

step "a refusal is shown in the message line, at the scale factors 1 and 1.4"
start_classroom refusing --set lookup.reply=denied
for factor in 1 1.4; do
    configure "webserver=127.0.0.1:$lookup_port" "scalefactor=$factor"
    start_remote
    connect_as demo-teacher
    for _ in $(seq 100); do
        [ "$(text_of 1064)" = "잘못된 접근입니다." ] && break
        sleep 0.1
    done
    expect_equal "message line" "$(text_of 1064)" "잘못된 접근입니다."
    rect=$(probe find --hwnd "$login" | field rect)
    expect_equal "dialog size at $factor" "$(awk -F, '{print $3 - $1 "x" $4 - $2}' <<<"$rect")" \
        "$([ "$factor" = 1 ] && echo 378x304 || echo 529x425)"
    screenshot "login-refused-$factor" --hwnd "$login"
    probe key --hwnd "$login" esc >/dev/null
    expect_equal "exit code after Esc" "$(wait_exit "$remote")" 0
done
