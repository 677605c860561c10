#!/usr/bin/env bash
# The one harness of the end-to-end scenarios (sourced by every script under tests/e2e and by
# scripts/demo): a fresh folder per scenario with a private copy of the programs, its own simulated
# classroom on free ports, the remote started under Wine with its debugger output kept, the programs
# started through the UI probe, the login, waits on what the classroom received and on the messages
# the remote showed, profile values set and put back, and the end of every process the scenario
# started (and only those), whatever happens.
#
# Environment (ctest sets them; the defaults fit a checkout built with the presets):
#   TESMORA_BIN        the Windows build's bin folder (TesmoraOrluRemocon.exe, tesmora-probe.exe, ...)
#   TESMORA_CLASSROOM  the native tesmora-classroom
#   TESMORA_E2E_WORK   where each scenario keeps its files (a folder per scenario)
# An X display must be there (scripts/with-display); without one, or without the classroom where a
# scenario needs it, the scenario is skipped (exit code 77).
set -euo pipefail
# Wine converts arguments from the locale's character set, and the scripts compare UTF-8 texts.
export LANG=C.UTF-8 LC_ALL=C.UTF-8

E2E_SOURCE=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$E2E_SOURCE/scripts/wine-arch"
# The desk ctest gave this scenario (scripts/wine-ctest): desk N is a display and a prefix of its
# own; without one (a scenario started by hand), the current display and the build's prefix.
E2E_DESK=$(sed -n 's/^id:\([0-9]*\),.*/\1/p' <<<"${CTEST_RESOURCE_GROUP_0_DESKS:-}")
E2E_PREFIX=${TESMORA_WINEPREFIX:-$E2E_SOURCE/build/$TESMORA_BUILD_FOLDER/wineprefix}
if [ -n "$E2E_DESK" ] && [ "$E2E_DESK" != 0 ]; then
    desk_display=TESMORA_DESK_DISPLAY_$E2E_DESK
    export DISPLAY=${!desk_display:?"desk $E2E_DESK has no display (run through scripts/wine-ctest)"}
    E2E_PREFIX=$E2E_PREFIX-desk$E2E_DESK
fi
export TESMORA_WINEPREFIX=$E2E_PREFIX WINEPREFIX=$E2E_PREFIX
E2E_BIN=${TESMORA_BIN:-$E2E_SOURCE/build/$TESMORA_BUILD_FOLDER/bin}
E2E_CLASSROOM=${TESMORA_CLASSROOM:-$E2E_SOURCE/build/native/tools/classroom/tesmora-classroom}
E2E_WINE_RUN=$E2E_SOURCE/scripts/wine-run
E2E_SKIP=77
# How long a window may take to come, in ms (a cold Wine start of a program takes a few seconds).
E2E_WINDOW_TIMEOUT=20000

E2E_NAME=""
E2E_DIR=""
E2E_PROGRAM_DIR=""
E2E_CLASSROOM_PID=""
E2E_REMOTE_PID=""
E2E_LOOKUP_PORT=""
E2E_LOGIN_PORT=""
E2E_PID=""
E2E_STARTED=()
E2E_BACKGROUND=()
E2E_PROFILE_RESTORE=()
E2E_CREATED_KEY=""

e2e_log() { printf '[%s] %s\n' "$E2E_NAME" "$*" >&2; }
e2e_step() { e2e_log "--- $*"; }
e2e_fail() {
    e2e_log "FAIL: $*"
    if [ -f "$E2E_DIR/classroom.log" ]; then
        e2e_log "classroom log (last lines):"
        tail -n 25 "$E2E_DIR/classroom.log" >&2 2>/dev/null || true
    fi
    if [ -f "$E2E_DIR/remote.err" ]; then
        e2e_log "messages shown by the remote:"
        e2e_messages >&2 || true
    fi
    exit 1
}
# e2e_expect_equal WHAT ACTUAL EXPECTED
e2e_expect_equal() {
    [ "$2" = "$3" ] || e2e_fail "$1: got \"$2\", expected \"$3\""
    e2e_log "ok: $1 = \"$2\""
}

# The UI probe, with its output on stdout; never inherits the caller's pipes beyond this call.
e2e_probe() { "$E2E_WINE_RUN" "$E2E_BIN/tesmora-probe.exe" "$@" </dev/null 2>>"$E2E_DIR/probe.err"; }
# A Windows tool (reg, ...) in the project's prefix.
e2e_wine() { "$E2E_WINE_RUN" "$@" </dev/null; }

# e2e_setup NAME: a fresh folder for the scenario (its programs go to program/), ended by e2e_end.
e2e_setup() {
    E2E_NAME=$1
    if [ -z "${DISPLAY:-}" ]; then
        echo "no X display: run under scripts/with-display" >&2
        exit $E2E_SKIP
    fi
    e2e_take_desk
    E2E_DIR=${TESMORA_E2E_WORK:-$E2E_SOURCE/build/$TESMORA_BUILD_FOLDER/e2e}/$E2E_NAME
    E2E_PROGRAM_DIR=$E2E_DIR/program
    rm -rf "$E2E_DIR"
    mkdir -p "$E2E_PROGRAM_DIR"
    trap e2e_end EXIT
}

# One scenario at a time per desk, also when ctest runs without the desks' resource file. A folder
# as the lock (an open lock file would be inherited by the Wine processes that outlive the scenario);
# a lock whose owner is gone (a scenario killed at its time-out) is taken over.
E2E_DESK_LOCK=""
e2e_take_desk() {
    local lock=$E2E_PREFIX.desk-lock owner
    mkdir -p "$(dirname "$lock")"
    until mkdir "$lock" 2>/dev/null; do
        owner=$(cat "$lock/pid" 2>/dev/null || true)
        if [ -n "$owner" ] && ! kill -0 "$owner" 2>/dev/null; then
            rm -rf "$lock"
            continue
        fi
        sleep 0.2
    done
    echo $$ >"$lock/pid"
    E2E_DESK_LOCK=$lock
}
e2e_leave_desk() {
    [ -n "$E2E_DESK_LOCK" ] && [ "$(cat "$E2E_DESK_LOCK/pid" 2>/dev/null)" = $$ ] && rm -rf "$E2E_DESK_LOCK"
    E2E_DESK_LOCK=""
}

# e2e_install FILE...: copies files or folders of the build's bin folder into the program folder.
e2e_install() {
    local file
    for file in "$@"; do cp -r "$E2E_BIN/$file" "$E2E_PROGRAM_DIR/"; done
}

# e2e_begin NAME [classroom options...]: fresh folder, program copy, classroom on free ports.
e2e_begin() {
    if [ ! -x "$E2E_CLASSROOM" ]; then
        echo "the simulated classroom is not built ($E2E_CLASSROOM): build the native preset first" >&2
        exit $E2E_SKIP
    fi
    e2e_setup "$1"
    shift
    e2e_install TesmoraOrluRemocon.exe language
    e2e_start_classroom "$@"
    e2e_config "webserver=127.0.0.1:$E2E_LOOKUP_PORT"
}

# e2e_port SERVICE: the port the classroom listens on for SERVICE, from its event log.
e2e_port() {
    grep -o "\"service\":\"$1\",\"address\":\"[^\"]*\",\"port\":[0-9]*" "$E2E_DIR/events.jsonl" 2>/dev/null |
        grep -o '[0-9]*$' || true
}

# e2e_start_classroom [options...]: the classroom on free ports (E2E_LOOKUP_PORT, E2E_LOGIN_PORT),
# its events in events.jsonl; a classroom started before is ended, its events moved to events-N.jsonl.
e2e_start_classroom() {
    local n=1
    e2e_stop_classroom
    if [ -f "$E2E_DIR/events.jsonl" ]; then
        while [ -f "$E2E_DIR/events-$n.jsonl" ]; do n=$((n + 1)); done
        mv "$E2E_DIR/events.jsonl" "$E2E_DIR/events-$n.jsonl"
    fi
    "$E2E_CLASSROOM" --lookup-port 0 --lookup-http-port 0 --login-port 0 --teacher-port 0 \
        --events "$E2E_DIR/events.jsonl" --out "$E2E_DIR/teacher" --exit-after 300 "$@" \
        </dev/null >>"$E2E_DIR/classroom.log" 2>&1 &
    E2E_CLASSROOM_PID=$!
    E2E_LOOKUP_PORT="" E2E_LOGIN_PORT=""
    local deadline=$((SECONDS + 10))
    while [ -z "$E2E_LOOKUP_PORT" ] || [ -z "$E2E_LOGIN_PORT" ]; do
        [ $SECONDS -lt $deadline ] || e2e_fail "the classroom did not start"
        E2E_LOOKUP_PORT=$(e2e_port 'lookup (https and http)')
        E2E_LOGIN_PORT=$(e2e_port login)
        sleep 0.1
    done
}
e2e_stop_classroom() {
    if [ -n "$E2E_CLASSROOM_PID" ]; then
        kill "$E2E_CLASSROOM_PID" 2>/dev/null || true
        wait "$E2E_CLASSROOM_PID" 2>/dev/null || true
        E2E_CLASSROOM_PID=""
    fi
}

# e2e_config KEY=VALUE...: config.ini beside the program (UTF-16LE with a byte-order mark).
e2e_config() {
    { printf '[default]\r\n'; printf '%s\r\n' "$@"; } | iconv -f UTF-8 -t UTF-16LE |
        { printf '\xff\xfe'; cat; } >"$E2E_PROGRAM_DIR/config.ini"
}
# e2e_setting KEY: a value of setting.ini beside the program (UTF-16 once the remote has prepared it).
e2e_setting() {
    iconv -f UTF-16 -t UTF-8 "$E2E_PROGRAM_DIR/setting.ini" 2>/dev/null | tr -d '\r' | sed -n "s/^$1=//p"
}

# The scenario's folder as Wine sees it.
e2e_windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# ---- Programs: started through the probe, ended (only they) when the scenario ends. ------------------

# e2e_start_program DIR PROGRAM [ARGS...]: starts PROGRAM (a file in DIR) with DIR as its current
# folder; its process id is left in E2E_PID.
e2e_start_program() {
    local windir
    windir=$(e2e_windows_path "$1")
    E2E_PID=$(e2e_field "$(e2e_probe start --dir "$windir" "$windir\\$2" "${@:3}")" pid)
    [ -n "$E2E_PID" ] || e2e_fail "could not start $2"
    E2E_STARTED+=("$E2E_PID"$'\t'"$windir\\$2")
}

# e2e_image_of PID: the image path a started process has, so that a reused process id is never ended.
e2e_image_of() {
    local entry
    for entry in "${E2E_STARTED[@]}"; do
        if [ "${entry%%$'\t'*}" = "$1" ]; then
            printf '%s' "${entry#*$'\t'}"
            return
        fi
    done
}

# e2e_exit_code PID: waits for a started program to end (10 s); prints its exit code.
e2e_exit_code() {
    e2e_field "$(e2e_probe wait-exit "$1" --image "$(e2e_image_of "$1")" --timeout 10000)" exit
}

# Starts the remote; its debugger output (the messages it shows) goes to remote.err.
e2e_start_remote() {
    local program
    program=$(e2e_windows_path "$E2E_PROGRAM_DIR")
    WINEDEBUG=-all,+debugstr "$E2E_WINE_RUN" "$E2E_BIN/tesmora-probe.exe" start --dir "$program" \
        "$program\\TesmoraOrluRemocon.exe" </dev/null >"$E2E_DIR/start.out" 2>"$E2E_DIR/remote.err"
    E2E_REMOTE_PID=$(grep -o 'pid=[0-9]*' "$E2E_DIR/start.out" | cut -d= -f2)
    [ -n "$E2E_REMOTE_PID" ] || e2e_fail "the remote did not start"
    E2E_STARTED+=("$E2E_REMOTE_PID"$'\t'"$program\\TesmoraOrluRemocon.exe")
}

# e2e_login ID: types the ID into the login dialog and connects.
e2e_login() {
    e2e_probe wait --pid "$E2E_REMOTE_PID" --title "Tesmora Orlu Remocon" --timeout 30000 >/dev/null ||
        e2e_fail "no login dialog"
    e2e_probe set-text --pid "$E2E_REMOTE_PID" --title "Tesmora Orlu Remocon" --id 1036 "$1" >/dev/null
    e2e_probe click --pid "$E2E_REMOTE_PID" --title "Tesmora Orlu Remocon" --id 1 >/dev/null
}

# e2e_wait_login PID: the login dialog (it has the teacher-ID edit 1036) in any language; prints its
# handle.
e2e_wait_login() {
    e2e_field "$(e2e_probe wait --pid "$1" --class '#32770' --with-id 1036 \
        --timeout "$E2E_WINDOW_TIMEOUT")" hwnd
}
# e2e_wait_message_box PID: the custom message box (it has the Yes button 1246); prints its handle.
e2e_wait_message_box() {
    e2e_field "$(e2e_probe wait --pid "$1" --class '#32770' --with-id 1246 \
        --timeout "$E2E_WINDOW_TIMEOUT")" hwnd
}
# e2e_control_field RECORDS ID FIELD: a field of control ID in the output of "probe children".
e2e_control_field() {
    e2e_field "$(printf '%s\n' "$1" | awk -F '\t' -v id="id=$2" '$1 == id')" "$3"
}

# Prints the panel's record (hwnd, visible, rect, ...) once it is visible; fails after `timeout` s.
e2e_wait_panel() {
    e2e_probe wait --pid "$E2E_REMOTE_PID" --title TesmoraOrluRemocon --timeout $((${1:-40} * 1000)) ||
        e2e_fail "the panel was not shown"
}

# The panel's record, shown or not.
e2e_panel() { e2e_probe find --pid "$E2E_REMOTE_PID" --title TesmoraOrluRemocon --any; }

# e2e_field RECORD NAME: one field of a probe record.
e2e_field() { printf '%s\n' "$1" | tr '\t' '\n' | sed -n "s/^$2=//p" | head -n 1; }

# e2e_wait_event REGEX SECONDS: until a line of the classroom's event log matches.
e2e_wait_event() {
    local deadline=$((SECONDS + $2))
    until grep -Eq -- "$1" "$E2E_DIR/events.jsonl" 2>/dev/null; do
        [ $SECONDS -lt $deadline ] || e2e_fail "no event matching $1 within $2 s"
        sleep 0.2
    done
}
e2e_count_events() { grep -Ec -- "$1" "$E2E_DIR/events.jsonl" 2>/dev/null || true; }

# The messages the remote has shown, one per line, as \uXXXX-escaped text.
e2e_messages() {
    sed -n 's/.*OutputDebugStringA "Remocon message: \(.*\)\\n"$/\1/p' "$E2E_DIR/remote.err" 2>/dev/null |
        sed 's/\\\\/\\/g'
}
# The escaped form of a text, as the remote traces it.
e2e_escape() {
    python3 -c 'import sys; t=sys.argv[1]; print("".join(c if 0x20 <= ord(c) < 0x7f and c != "\\" else "\\u%04X" % ord(c) for c in t))' "$1"
}
# e2e_wait_message TEXT SECONDS: until the remote has shown TEXT.
e2e_wait_message() {
    local expected deadline=$((SECONDS + $2))
    expected=$(e2e_escape "$1")
    until e2e_messages | grep -Fxq -- "$expected"; do
        [ $SECONDS -lt $deadline ] || e2e_fail "the remote did not show \"$1\" within $2 s"
        sleep 0.2
    done
}
e2e_message_count() { e2e_messages | grep -Fxc -- "$(e2e_escape "$1")" || true; }

# The message box (custom, by its caption) is answered with button `id` (1 OK, 1246 Yes, 1247 No).
e2e_answer_message() {
    local caption=${2:-Tesmora Orlu Remocon}
    e2e_probe wait --pid "$E2E_REMOTE_PID" --title "$caption" --timeout 10000 >/dev/null ||
        e2e_fail "no message box \"$caption\""
    # The login dialog has the same caption; the message box is the one with the answer button.
    local box
    box=$(e2e_probe find --pid "$E2E_REMOTE_PID" --title "$caption" | while read -r record; do
        hwnd=$(e2e_field "$record" hwnd)
        if e2e_probe state --hwnd "$hwnd" --id "$1" 2>/dev/null | grep -q 'visible=1'; then
            echo "$hwnd"
            break
        fi
    done)
    [ -n "$box" ] || e2e_fail "no message box with button $1"
    e2e_probe click --hwnd "$box" --id "$1" >/dev/null
}

# e2e_wait_exit SECONDS: until the remote has ended.
e2e_wait_exit() {
    e2e_probe wait-exit "$E2E_REMOTE_PID" --image TesmoraOrluRemocon.exe --timeout $(($1 * 1000)) >/dev/null ||
        e2e_fail "the remote did not end within $1 s"
    E2E_REMOTE_PID=""
}

# e2e_screenshot [SELECTION...] FILE: what the screen shows of the selected window (or all of it).
e2e_screenshot() { e2e_probe screenshot "$@" >/dev/null; }

# e2e_button_state PANEL_HWND ID: the probe's state record of one panel button.
e2e_button_state() { e2e_probe state --hwnd "$1" --id "$2"; }
# e2e_press PANEL_HWND ID: presses a panel button once its cool-down is over.
e2e_press() {
    local deadline=$((SECONDS + 10))
    until e2e_button_state "$1" "$2" | grep -q 'enabled=1'; do
        [ $SECONDS -lt $deadline ] || e2e_fail "button $2 stayed disabled"
        sleep 0.2
    done
    e2e_probe click --hwnd "$1" --id "$2" >/dev/null
}
# The remote's debugger lines that start with PREFIX, with the tick count of each: "tick text".
e2e_trace_ticks() {
    sed -n "s/.*OutputDebugStringA \"$1 \(.*\) tick=\([0-9]*\).*/\2 \1/p" "$E2E_DIR/remote.err" 2>/dev/null
}
# The classroom's upload questions (see panel/upload_events.py).
e2e_upload() { python3 "$E2E_SOURCE/tests/e2e/panel/upload_events.py" "$1" "$E2E_DIR/events.jsonl" "${@:2}"; }

# e2e_probe_background ARGS...: the probe in the background (its pid in E2E_LAST_BACKGROUND), in a
# process group of its own so that the scenario's end takes it down with everything it started.
e2e_probe_background() {
    setsid "$E2E_WINE_RUN" "$E2E_BIN/tesmora-probe.exe" "$@" </dev/null >>"$E2E_DIR/background.out" \
        2>>"$E2E_DIR/probe.err" &
    E2E_LAST_BACKGROUND=$!
    E2E_BACKGROUND+=("$E2E_LAST_BACKGROUND")
}
e2e_stop_background() {
    kill -- -"$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
e2e_stop_all_background() {
    local pid
    for pid in "${E2E_BACKGROUND[@]}"; do e2e_stop_background "$pid"; done
    E2E_BACKGROUND=()
}

# ---- The remote's profile: values a scenario sets are put back when it ends. ------------------------
E2E_PROFILE_ROOT='HKCU\Software\TesmoraOrlu'
E2E_PROFILE_KEY="$E2E_PROFILE_ROOT"'\TesmoraOrluRemocon\config'

# e2e_set_profile_value NAME VALUE: a string value of the profile's section "config".
e2e_set_profile_value() {
    local name=$1 value=$2 key old
    if [ -z "$E2E_CREATED_KEY" ]; then
        for key in "$E2E_PROFILE_ROOT" "$E2E_PROFILE_ROOT"'\TesmoraOrluRemocon' "$E2E_PROFILE_KEY"; do
            if ! e2e_wine reg query "$key" >/dev/null 2>&1; then
                E2E_CREATED_KEY=$key
                break
            fi
        done
    fi
    if [ -z "$E2E_CREATED_KEY" ]; then
        if old=$(e2e_wine reg query "$E2E_PROFILE_KEY" /v "$name" 2>/dev/null); then
            old=$(printf '%s' "$old" | tr -d '\r' | sed -n "s/^ *$name *REG_SZ *//p")
            E2E_PROFILE_RESTORE+=("$name"$'\t'"present"$'\t'"$old")
        else
            E2E_PROFILE_RESTORE+=("$name"$'\t'"absent"$'\t')
        fi
    fi
    local said
    said=$(e2e_wine reg add "$E2E_PROFILE_KEY" /v "$name" /t REG_SZ /d "$value" /f 2>&1) ||
        e2e_fail "could not set $name in the profile: $said"
}

e2e_restore_profile() {
    local entry name state value i
    # Last change first, so that a value set twice gets its first old value back.
    for ((i = ${#E2E_PROFILE_RESTORE[@]} - 1; i >= 0; i--)); do
        entry=${E2E_PROFILE_RESTORE[i]}
        name=${entry%%$'\t'*}
        entry=${entry#*$'\t'}
        state=${entry%%$'\t'*}
        value=${entry#*$'\t'}
        if [ "$state" = present ]; then
            e2e_wine reg add "$E2E_PROFILE_KEY" /v "$name" /t REG_SZ /d "$value" /f >/dev/null 2>&1 || true
        else
            e2e_wine reg delete "$E2E_PROFILE_KEY" /v "$name" /f >/dev/null 2>&1 || true
        fi
    done
    E2E_PROFILE_RESTORE=()
    if [ -n "$E2E_CREATED_KEY" ]; then
        e2e_wine reg delete "$E2E_CREATED_KEY" /f >/dev/null 2>&1 || true
        E2E_CREATED_KEY=""
    fi
}

# ---- Trusted certificates. ---------------------------------------------------------------------------------

E2E_TRUSTED=()
# e2e_trust_classroom: the certificate the classroom's lookup port presents now (a new one each start)
# goes into the prefix's machine root store until the scenario ends.
e2e_trust_classroom() {
    local der=$E2E_DIR/classroom-$E2E_LOOKUP_PORT.der
    openssl s_client -connect "127.0.0.1:$E2E_LOOKUP_PORT" </dev/null 2>/dev/null |
        openssl x509 -outform DER -out "$der" 2>/dev/null || e2e_fail "no certificate from the classroom"
    e2e_trust_certificate "$der"
}
# e2e_trust_certificate DER_FILE
e2e_trust_certificate() {
    e2e_wine "$E2E_BIN/tesmora-trust-certificate.exe" "$(e2e_windows_path "$1")" \
        >/dev/null 2>>"$E2E_DIR/probe.err" || e2e_fail "could not trust $1"
    E2E_TRUSTED+=("$1")
}
# The store keeps each certificate under its SHA-1 thumbprint; deleting that key is what takes it out
# again under Wine (its store reports a deletion through the system store as done but keeps the key).
e2e_untrust_all() {
    local der thumbprint
    for der in "${E2E_TRUSTED[@]}"; do
        thumbprint=$(openssl x509 -inform DER -in "$der" -noout -fingerprint -sha1 | cut -d= -f2 | tr -d :)
        e2e_wine reg delete "HKLM\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\$thumbprint" /f \
            >/dev/null 2>&1 || true
    done
    E2E_TRUSTED=()
}

# ---- The end. -------------------------------------------------------------------------------------------

# Ends what the scenario started (background probes, programs, the classroom) and puts the profile back.
e2e_end_all() {
    local entry
    e2e_stop_all_background
    for entry in "${E2E_STARTED[@]}"; do
        e2e_probe kill "${entry%%$'\t'*}" --image "${entry#*$'\t'}" >/dev/null 2>&1 || true
    done
    E2E_STARTED=()
    E2E_REMOTE_PID=""
    e2e_stop_classroom
    e2e_untrust_all
    e2e_restore_profile
    e2e_leave_desk || true
}
e2e_end() {
    local status=$?
    e2e_end_all
    exit $status
}

# ---- The screen. ------------------------------------------------------------------------------------------

# True when a window manager runs on the display (it stacks topmost windows above the others, as
# Windows does; scripts/with-display starts one).
e2e_window_manager() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# e2e_x_above PROGRAM TITLE: true when an X window of PROGRAM (Wine names its windows' class after the
# .exe file) titled TITLE is stacked above the others by the window manager.
e2e_x_above() {
    local window
    for window in $(xdotool search --classname "^$1\$" 2>/dev/null); do
        [ "$(xdotool getwindowname "$window" 2>/dev/null)" = "$2" ] || continue
        xprop -id "$window" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_ABOVE && return 0
    done
    return 1
}

# The screen's size ("W H") and the scale factor the remote picks for it (or for config's override).
e2e_screen_size() {
    local rect
    rect=$(e2e_probe screenshot "$E2E_DIR/screen.png" | sed -n "s/.*rect=//p")
    IFS=, read -r _ _ width height <<<"$rect"
    echo "$width $height"
}
# floor(v * s) as the remote computes it (single precision).
e2e_scaled() {
    python3 -c 'import struct,math,sys; f=lambda x: struct.unpack("f", struct.pack("f", x))[0]; s=f(float(sys.argv[2])); print(math.floor(f(int(sys.argv[1]) * s)))' "$1" "$2"
}
e2e_screen_factor() {
    if [ "$1" -gt 3000 ] || [ "$2" -gt 3000 ]; then echo 2; elif [ "$1" -gt 2000 ] || [ "$2" -gt 2000 ]; then echo 1.4; else echo 1; fi
}
# e2e_expect_rect RECORD LEFT TOP RIGHT BOTTOM WHAT
e2e_expect_rect() {
    local rect
    rect=$(e2e_field "$1" rect)
    [ "$rect" = "$2,$3,$4,$5" ] || e2e_fail "$6: rect $rect, expected $2,$3,$4,$5"
}
