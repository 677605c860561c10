#!/usr/bin/env bash
# Shared steps of the panel's end-to-end scenarios (sourced by each scenario): a private copy of the
# program, its own simulated classroom on free ports, the remote started under Wine with its
# debugger output kept, the login through the UI probe, waits on what the classroom received and on
# the messages the remote showed, and the end of every process the scenario started (and only
# those), whatever happens.
#
# Environment (ctest sets them; the defaults fit a checkout built with the presets):
#   TESMORA_BIN        the Windows build's bin folder (TesmoraOrluRemocon.exe, tesmora-probe.exe)
#   TESMORA_CLASSROOM  the native tesmora-classroom
#   TESMORA_E2E_WORK   where each scenario keeps its files (a folder per scenario)
set -euo pipefail

E2E_SOURCE=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
E2E_BIN=${TESMORA_BIN:-$E2E_SOURCE/build/windows/bin}
E2E_CLASSROOM=${TESMORA_CLASSROOM:-$E2E_SOURCE/build/native/tools/classroom/tesmora-classroom}
E2E_WINE_RUN=$E2E_SOURCE/scripts/wine-run
E2E_SKIP=77

E2E_NAME=""
E2E_DIR=""
E2E_CLASSROOM_PID=""
E2E_REMOTE_PID=""
E2E_LOOKUP_PORT=""
E2E_BACKGROUND=()

e2e_log() { printf '[%s] %s\n' "$E2E_NAME" "$*" >&2; }
e2e_fail() {
    e2e_log "FAIL: $*"
    e2e_log "classroom log (last lines):"
    tail -n 25 "$E2E_DIR/classroom.log" >&2 2>/dev/null || true
    e2e_log "messages shown by the remote:"
    e2e_messages >&2 || true
    exit 1
}

# The UI probe, with its output on stdout; never inherits the caller's pipes beyond this call.
e2e_probe() { "$E2E_WINE_RUN" "$E2E_BIN/tesmora-probe.exe" "$@" </dev/null 2>>"$E2E_DIR/probe.err"; }

# e2e_begin NAME [classroom options...]: fresh folder, program copy, classroom on free ports.
e2e_begin() {
    E2E_NAME=$1
    shift
    if [ ! -x "$E2E_CLASSROOM" ]; then
        echo "the simulated classroom is not built ($E2E_CLASSROOM): build the native preset first" >&2
        exit $E2E_SKIP
    fi
    if [ -z "${DISPLAY:-}" ]; then
        echo "no X display: run under scripts/with-display" >&2
        exit $E2E_SKIP
    fi
    E2E_DIR=${TESMORA_E2E_WORK:-$E2E_SOURCE/build/windows/e2e}/$E2E_NAME
    rm -rf "$E2E_DIR"
    mkdir -p "$E2E_DIR/program"
    cp "$E2E_BIN/TesmoraOrluRemocon.exe" "$E2E_DIR/program/"
    cp -r "$E2E_BIN/language" "$E2E_DIR/program/"
    trap e2e_end EXIT

    "$E2E_CLASSROOM" --lookup-port 0 --lookup-http-port 0 --login-port 0 --teacher-port 0 \
        --events "$E2E_DIR/events.jsonl" --out "$E2E_DIR/teacher" --exit-after 300 "$@" \
        </dev/null >"$E2E_DIR/classroom.log" 2>&1 &
    E2E_CLASSROOM_PID=$!
    local deadline=$((SECONDS + 10))
    while [ -z "$E2E_LOOKUP_PORT" ]; do
        [ $SECONDS -lt $deadline ] || e2e_fail "the classroom did not start"
        E2E_LOOKUP_PORT=$(grep -o '"service":"lookup (https and http)","address":"[^"]*","port":[0-9]*' \
            "$E2E_DIR/events.jsonl" 2>/dev/null | grep -o '[0-9]*$' || true)
        sleep 0.1
    done
    e2e_config "webserver=127.0.0.1:$E2E_LOOKUP_PORT"
}

# e2e_config KEY=VALUE...: config.ini beside the program (UTF-16LE with a byte-order mark).
e2e_config() {
    { printf '[default]\r\n'; printf '%s\r\n' "$@"; } | iconv -f UTF-8 -t UTF-16LE |
        { printf '\xff\xfe'; cat; } >"$E2E_DIR/program/config.ini"
}

# The scenario's folder as Wine sees it.
e2e_windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# Starts the remote; its debugger output (the messages it shows) goes to remote.err.
e2e_start_remote() {
    local program
    program=$(e2e_windows_path "$E2E_DIR/program")
    WINEDEBUG=-all,+debugstr "$E2E_WINE_RUN" "$E2E_BIN/tesmora-probe.exe" start --dir "$program" \
        "$program\\TesmoraOrluRemocon.exe" </dev/null >"$E2E_DIR/start.out" 2>"$E2E_DIR/remote.err"
    E2E_REMOTE_PID=$(grep -o 'pid=[0-9]*' "$E2E_DIR/start.out" | cut -d= -f2)
    [ -n "$E2E_REMOTE_PID" ] || e2e_fail "the remote did not start"
}

# e2e_login ID: types the ID into the login dialog and connects.
e2e_login() {
    e2e_probe wait --pid "$E2E_REMOTE_PID" --title "Tesmora Orlu Remocon" --timeout 30000 >/dev/null ||
        e2e_fail "no login dialog"
    e2e_probe set-text --pid "$E2E_REMOTE_PID" --title "Tesmora Orlu Remocon" --id 1036 "$1" >/dev/null
    e2e_probe click --pid "$E2E_REMOTE_PID" --title "Tesmora Orlu Remocon" --id 1 >/dev/null
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
# The classroom's upload questions (see upload_events.py).
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

e2e_end() {
    local status=$?
    e2e_stop_all_background
    if [ -n "$E2E_REMOTE_PID" ]; then
        e2e_probe kill "$E2E_REMOTE_PID" --image TesmoraOrluRemocon.exe >/dev/null 2>&1 || true
    fi
    if [ -n "$E2E_CLASSROOM_PID" ]; then
        kill "$E2E_CLASSROOM_PID" 2>/dev/null || true
        wait "$E2E_CLASSROOM_PID" 2>/dev/null || true
    fi
    exit $status
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
