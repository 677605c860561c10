# Sourced by the end-to-end scripts. Runs the UI probe under the project's Wine prefix, gives each test
# a fresh work folder, starts programs through the probe and ends them (only those) when the script
# ends, and puts back the profile values a test changed. ctest passes TESMORA_BIN (the build's program
# folder), TESMORA_SCRIPTS (scripts/) and TESMORA_E2E_WORK (this test's work folder); an X display
# must be there (scripts/with-display).
set -euo pipefail
# Wine converts arguments from the locale's character set, and the scripts compare UTF-8 texts.
export LANG=C.UTF-8 LC_ALL=C.UTF-8

bin=${TESMORA_BIN:?}
scripts=${TESMORA_SCRIPTS:?}
work=${TESMORA_E2E_WORK:?}
[ -n "${DISPLAY:-}" ] || { echo "no X display: run through scripts/with-display" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work"

# How long a window may take to come (a cold Wine start of a program takes a few seconds).
window_timeout=20000

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

step() {
    echo "--- $*"
}

probe() {
    "$scripts/wine-run" "$bin/tesmora-probe.exe" "$@" </dev/null
}

wine_tool() {
    "$scripts/wine-run" "$@" </dev/null
}

# field NAME: the value of field NAME in the first record read from stdin.
field() {
    tr '\t' '\n' | sed -n "s/^$1=//p" | head -n 1
}

# expect_equal WHAT ACTUAL EXPECTED
expect_equal() {
    [ "$2" = "$3" ] || fail "$1: got \"$2\", expected \"$3\""
    echo "ok: $1 = \"$2\""
}

# The Windows form of a Unix path.
windows_path() {
    wine_tool winepath -w "$1" 2>/dev/null | tr -d '\r'
}

winwork=$(windows_path "$work")
[ -n "$winwork" ] || fail "no Windows path for $work"

# ---- Programs: started through the probe, ended on exit. ---------------------------------------------
e2e_started=()
e2e_pid=

# start_program DIR PROGRAM [ARGS...]: starts PROGRAM (a file in DIR) with DIR as its current folder;
# its process id is left in e2e_pid.
start_program() {
    local dir=$1 program=$2
    shift 2
    local windir
    windir=$(windows_path "$dir")
    e2e_pid=$(probe start --dir "$windir" "$program" "$@" | field pid)
    [ -n "$e2e_pid" ] || fail "could not start $program"
    e2e_started+=("$e2e_pid"$'\t'"$windir\\$program")
}

# The image suffix a started process must have, so that a reused process id is never ended.
image_of() {
    local entry
    for entry in "${e2e_started[@]}"; do
        if [ "${entry%%$'\t'*}" = "$1" ]; then
            printf '%s' "${entry#*$'\t'}"
            return
        fi
    done
}

# wait_exit PID: waits for a started program to end (10 s); prints its exit code.
wait_exit() {
    probe wait-exit "$1" --image "$(image_of "$1")" --timeout 10000 | field exit
}

end_started_programs() {
    local entry
    for entry in "${e2e_started[@]}"; do
        probe kill "${entry%%$'\t'*}" --image "${entry#*$'\t'}" >/dev/null 2>&1 || true
    done
}

# ---- The remote's profile: values changed by a test are put back on exit. ---------------------------
profile_root='HKCU\Software\TesmoraOrlu'
profile_key="$profile_root"'\TesmoraOrluRemocon\config'
e2e_created_key=
e2e_profile_restore=()

# set_profile_value NAME VALUE: a string value of the profile's section "config".
set_profile_value() {
    local name=$1 value=$2 key old
    if [ -z "$e2e_created_key" ]; then
        for key in "$profile_root" "$profile_root"'\TesmoraOrluRemocon' "$profile_key"; do
            if ! wine_tool reg query "$key" >/dev/null 2>&1; then
                e2e_created_key=$key
                break
            fi
        done
    fi
    if [ -z "$e2e_created_key" ]; then
        if old=$(wine_tool reg query "$profile_key" /v "$name" 2>/dev/null); then
            old=$(printf '%s' "$old" | tr -d '\r' | sed -n "s/^ *$name *REG_SZ *//p")
            e2e_profile_restore+=("$name"$'\t'"present"$'\t'"$old")
        else
            e2e_profile_restore+=("$name"$'\t'"absent"$'\t')
        fi
    fi
    wine_tool reg add "$profile_key" /v "$name" /t REG_SZ /d "$value" /f >/dev/null 2>&1 ||
        fail "could not set $name in the profile"
}

restore_profile() {
    local entry name state value i
    # Last change first, so that a value set twice gets its first old value back.
    for ((i = ${#e2e_profile_restore[@]} - 1; i >= 0; i--)); do
        entry=${e2e_profile_restore[i]}
        name=${entry%%$'\t'*}
        entry=${entry#*$'\t'}
        state=${entry%%$'\t'*}
        value=${entry#*$'\t'}
        if [ "$state" = present ]; then
            wine_tool reg add "$profile_key" /v "$name" /t REG_SZ /d "$value" /f >/dev/null 2>&1 || true
        else
            wine_tool reg delete "$profile_key" /v "$name" /f >/dev/null 2>&1 || true
        fi
    done
    if [ -n "$e2e_created_key" ]; then
        wine_tool reg delete "$e2e_created_key" /f >/dev/null 2>&1 || true
    fi
}

e2e_cleanup() {
    end_started_programs
    restore_profile
}
trap e2e_cleanup EXIT

# ---- Windows. -----------------------------------------------------------------------------------------

# screenshot NAME [SELECTION...]: saves NAME.png in the work folder (the whole screen without selection).
screenshot() {
    local name=$1
    shift
    probe screenshot "$@" "$winwork\\$name.png" >/dev/null || fail "no screenshot $name"
    echo "screenshot: $work/$name.png"
}

# ---- The remote's windows, found by the controls only they have. ----------------------------------------

# wait_login PID: the login dialog (it has the teacher-ID edit 1036); prints its handle.
wait_login() {
    probe wait --pid "$1" --class '#32770' --with-id 1036 --timeout "$window_timeout" | field hwnd
}

# wait_message_box PID: the custom message box (it has the Yes button 1246); prints its handle.
wait_message_box() {
    probe wait --pid "$1" --class '#32770' --with-id 1246 --timeout "$window_timeout" | field hwnd
}

# control_field RECORDS ID FIELD: a field of control ID in the output of "probe children".
control_field() {
    printf '%s\n' "$1" | awk -F '\t' -v id="id=$2" '$1 == id' | field "$3"
}
