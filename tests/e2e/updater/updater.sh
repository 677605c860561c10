#!/usr/bin/env bash
# The updater against the simulated update service, one course per run (the first argument):
#   normal          an out-of-date program folder is brought up to date: one file per tick, the old
#                   files kept as dated backups, the remote started (and it logs in), the updater ended
#   unreachable     308 and 309, the remote started at once, the check repeated hidden until it answers
#   run_now         Esc and Alt+F4 do nothing; Enter (the run-now button) starts the remote and hides
#                   the window for good; the update goes on hidden
#   newer_updater   the newer updater is downloaded, the batch replaces the program and the new one runs
#   busy            busy answers (305) are retried on later ticks
#   second_copy     a second copy starts the remote unless it runs, and touches no file
#   cut_short       a download cut short is not applied and is fetched again on a later tick
#   stalled         a download that stops halfway and stays silent ends at the read time-out, is not
#                   applied and is fetched again on a later tick
#   outside_folder  an entry whose directory climbs out with "..\" is ignored; nothing is written outside
#   stale_staged    a file staged by an earlier run that is older than the installed one is removed, not
#                   applied (no downgrade)
#   same_path       an entry whose staging name is its installed file is refused: the file stays
#   broken          a download without a length that breaks off is a failed download, never staged
#   support_log     with logfile=1 the update run's lines, dated, in the user's TesmoraOrluUpdaterR.log
#                   (normal checks that without the key no log file appears)
#   cut_list        a file list cut short is no list (324): nothing is fetched from it, the next pass goes on
#   scaled          the window's controls where the screen's scale factor puts them (updater-WxH.png)
#   strict          strictcertificates=1: the classroom's self-made certificate is refused (320, then 308
#                   and 309 as when unreachable, the remote started, nothing asked over http); once the
#                   prefix trusts it, a new updater fetches and applies the files over https only
# Screenshots of the updater's window (Korean in normal, English in run_now) stay in the work folder.
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

course=$1
shift
[ -x "$E2E_CLASSROOM" ] || { echo "the simulated classroom is not built" >&2; exit $E2E_SKIP; }
e2e_setup "updater-$course"
trap 'status=$?; stop_batch; (exit $status); e2e_end' EXIT
RELEASE=$E2E_DIR/release
mkdir -p "$RELEASE/files"
: >"$RELEASE/filelist.txt"
UPDATER_PID=""
UPDATER_KEY='HKCU\Software\TesmoraOrlu\TesmoraOrluUpdaterR'

# offer PROGRAM_KEY TYPE TARGET DIRECTORY VERSION STAGING FILE: one entry of the release.
offer() {
    cp "$7" "$RELEASE/files/$2"
    printf 'file:%s,%s,%s,%s,%s,%s,x,%s\n' "$1" "$2" "$3" "$4" "$(stat -c %s "$7")" "$5" "$6" >>"$RELEASE/filelist.txt"
}

# start_updater: the installed updater, its log lines (through the debugger output) in updater.err.
start_updater() {
    local program out
    program=$(e2e_windows_path "$E2E_PROGRAM_DIR")
    out=$(WINEDEBUG=-all,+debugstr "$E2E_WINE_RUN" "$E2E_BIN/tesmora-probe.exe" start --dir "$program" \
        "$program\\TesmoraOrluUpdaterR.exe" </dev/null 2>>"$E2E_DIR/updater.err")
    UPDATER_PID=$(e2e_field "$out" pid)
    [ -n "$UPDATER_PID" ] || e2e_fail "the updater did not start"
    E2E_STARTED+=("$UPDATER_PID"$'\t'"$program\\TesmoraOrluUpdaterR.exe")
}
# The updater's log lines as "NUMBER TEXT", oldest first (every updater run of the scenario).
updater_log() { sed -n 's/.*OutputDebugStringA "Updater log: \(.*\)\\n"$/\1/p' "$E2E_DIR/updater.err" 2>/dev/null; }
log_count() { updater_log | grep -Ec "^$1( |$)" || true; }
# wait_log NUMBER SECONDS [COUNT]: until message NUMBER was logged COUNT times (default 1).
wait_log() {
    local deadline=$((SECONDS + $2))
    until [ "$(log_count "$1")" -ge "${3:-1}" ]; do
        [ $SECONDS -lt $deadline ] || { updater_log >&2; e2e_fail "no log line $1 within $2 s"; }
        sleep 0.3
    done
}
wait_updater_exit() {
    e2e_probe wait-exit "$UPDATER_PID" --image TesmoraOrluUpdaterR.exe --timeout $(($1 * 1000)) >/dev/null ||
        { updater_log >&2; e2e_fail "the updater did not end within $1 s"; }
}
# The remote the updater started: the pid of its login dialog, ended with the scenario.
wait_remote() {
    local record
    record=$(e2e_probe wait --class '#32770' --with-id 1036 --timeout "${1:-30000}") || e2e_fail "the remote did not start"
    E2E_REMOTE_PID=$(e2e_field "$record" pid)
    E2E_STARTED+=("$E2E_REMOTE_PID"$'\t'"TesmoraOrluRemocon.exe")
}
remote_count() { e2e_probe find --class '#32770' --with-id 1036 2>/dev/null | grep -c hwnd= || true; }
# The batch's command interpreter (started by the updater through the shell): found by the scenario's
# own batch path, ended by its process id.
stop_batch() {
    local pid
    for pid in $(pgrep -f -- "aUpdate[.]bat" 2>/dev/null); do
        grep -qF "$(e2e_windows_path "$E2E_PROGRAM_DIR")" "/proc/$pid/cmdline" 2>/dev/null && kill "$pid" 2>/dev/null
    done
    true
}
updater_window() { e2e_probe find --pid "$UPDATER_PID" --class '#32770' --with-id 1003 --any; }
same_file() { cmp -s "$1" "$2" || e2e_fail "$1 differs from $2"; e2e_log "ok: $(basename "$1") is the release's"; }

# The release: the remote (2.0.1.1028), an extra versioned library (the English language library),
# the updater at its own version, and an entry of another program that this updater leaves alone.
REMOTE=$E2E_BIN/TesmoraOrluRemocon.exe
LIBRARY=$E2E_BIN/language/TesmoraOrluRemoconEng.dll
offer u_remocon updater_remocon_exe TesmoraOrluUpdaterR.exe '.\' 2.0.1.1080 TesmoraOrluUpdaterR.exe_new \
    "$E2E_BIN/TesmoraOrluUpdaterR.exe"
offer u_remocon remocon_exe TesmoraOrluRemocon.exe '.\' 2.0.1.1028 TesmoraOrluRemocon.exe_new "$REMOTE"
offer u_remocon remocon_lib extra.dll 'lib\' 2.0.1.1028 extra.dll_new "$LIBRARY"
offer u_teacher teacher_exe TesmoraOrluTeacher.exe '.\' 2.0.1.1028 TesmoraOrluTeacher.exe_new "$LIBRARY"

e2e_install TesmoraOrluUpdaterR.exe TesmoraOrluRemocon.exe
mkdir -p "$E2E_PROGRAM_DIR/lib"
echo "an old library" >"$E2E_PROGRAM_DIR/lib/extra.dll"
e2e_wine reg delete "$UPDATER_KEY" /f >/dev/null 2>&1 || true
today=$(date +%Y%m%d)

classroom=(--set "update.folder=$RELEASE")
case $course in
    unreachable) classroom+=(--set update.unreachable=4) ;;
    busy) classroom+=(--set update.busy=2) ;;
    # Over https only: a fetch that fails a body short of its length then fails the download (301)
    # without a plain-http second try taking the next, whole answer in the same tick.
    cut_short) classroom+=(--set update.cut=1 --set lookup.http=off) ;;
    stalled) classroom+=(--set update.stall=1 --set lookup.hang-seconds=120 --set lookup.http=off) ;;
    run_now | scaled) classroom+=(--set update.busy=1000) ;;
    second_copy) classroom+=(--set update.unreachable=always) ;;
    newer_updater)
        # Its own release: the newer updater replaces the offered one.
        sed -i '/updater_remocon_exe/d' "$RELEASE/filelist.txt"
        offer u_remocon updater_remocon_exe TesmoraOrluUpdaterR.exe '.\' 2.0.1.1090 TesmoraOrluUpdaterR.exe_new \
            "$E2E_BIN/next/TesmoraOrluUpdaterR.exe"
        ;;
    same_path)
        offer u_remocon remocon_same same.dll 'lib\' 2.0.1.1028 same.dll "$LIBRARY"
        ;;
    broken) classroom+=(--set update.broken=1 --set lookup.http=off) ;;
    cut_list) classroom+=(--set update.cut-list=2) ;;
    outside_folder)
        offer u_remocon remocon_evil evil.dll '..\' 2.0.1.1028 evil.dll_new "$LIBRARY"
        offer u_remocon remocon_drive evil2.dll 'C:\' 2.0.1.1028 evil2.dll_new "$LIBRARY"
        ;;
esac
e2e_start_classroom "${classroom[@]}"
strict=()
[ "$course" = strict ] && strict=(strictcertificates=1)
[ "$course" = support_log ] && strict=(logfile=1)
# The support log's folder in the prefix's user profile (the prefix outlives the scenario).
SUPPORT_LOGS=$(ls -d "$E2E_PREFIX"/drive_c/users/*/AppData/Local 2>/dev/null | grep -v /Public/ | head -1)/TesmoraOrlu/Logs
rm -rf "$SUPPORT_LOGS"
e2e_config "updateserver=127.0.0.1:$E2E_LOOKUP_PORT" "webserver=127.0.0.1:$E2E_LOOKUP_PORT" "scalefactor=1" \
    "${strict[@]}"

case $course in
normal)
    # The installed remote is out of date too: a file without version.
    echo "an old remote" >"$E2E_PROGRAM_DIR/TesmoraOrluRemocon.exe"
    start_updater
    e2e_step "the window, in Korean"
    e2e_probe wait --pid "$UPDATER_PID" --class '#32770' --with-id 1003 --timeout 20000 >/dev/null ||
        e2e_fail "no updater window"
    wait_log 304 30
    e2e_screenshot --pid "$UPDATER_PID" --class '#32770' "$E2E_DIR/updater-kor.png"
    e2e_step "one file per tick, then the staged files are applied and the remote started"
    wait_updater_exit 60
    updater_log >&2
    e2e_expect_equal "downloads started" "$(log_count 300)" 2
    same_file "$E2E_PROGRAM_DIR/TesmoraOrluRemocon.exe" "$REMOTE"
    same_file "$E2E_PROGRAM_DIR/lib/extra.dll" "$LIBRARY"
    e2e_expect_equal "backup of the old remote" "$(cat "$E2E_PROGRAM_DIR/TesmoraOrluRemocon.exe_${today}_1")" \
        "an old remote"
    e2e_expect_equal "backup of the old library" "$(cat "$E2E_PROGRAM_DIR/lib/extra.dll_${today}_1")" \
        "an old library"
    e2e_expect_equal "another program's file" "$(ls "$E2E_PROGRAM_DIR" | grep -c Teacher || true)" 0
    e2e_expect_equal "staged files left" "$(find "$E2E_PROGRAM_DIR" -name '*_new' -o -name '*.part' | wc -l)" 0
    e2e_expect_equal "support log without the key" "$(ls "$SUPPORT_LOGS" 2>/dev/null | wc -l)" 0
    e2e_step "the remote it started logs in to the classroom"
    wait_remote
    login=$(e2e_wait_login "$E2E_REMOTE_PID")
    e2e_probe set-text --hwnd "$login" --id 1036 demo-teacher >/dev/null
    e2e_probe click --hwnd "$login" --id 1 >/dev/null
    e2e_wait_panel 60 >/dev/null
    ;;
unreachable)
    start_updater
    wait_log 309 30
    e2e_expect_equal "first error lines" "$(updater_log | sed -n '3,4p' | cut -d' ' -f1 | tr '\n' ' ')" "308 309 "
    wait_remote
    e2e_expect_equal "window hidden" "$(e2e_field "$(updater_window)" visible)" 0
    e2e_step "once the service answers, the files are fetched hidden and the updater ends without applying"
    wait_updater_exit 90
    e2e_expect_equal "remotes started" "$(remote_count)" 1
    e2e_expect_equal "the library is not applied" "$(cat "$E2E_PROGRAM_DIR/lib/extra.dll")" "an old library"
    same_file "$E2E_PROGRAM_DIR/lib/extra.dll_new" "$LIBRARY"
    ;;
run_now)
    e2e_set_profile_value language Eng
    e2e_wine reg add "$UPDATER_KEY\\config" /v language /t REG_SZ /d Eng /f >/dev/null 2>&1
    start_updater
    window=$(e2e_field "$(e2e_probe wait --pid "$UPDATER_PID" --class '#32770' --with-id 1003 --timeout 20000)" hwnd)
    wait_log 305 30
    e2e_screenshot --hwnd "$window" "$E2E_DIR/updater-eng.png"
    e2e_expect_equal "the log is in English" "$(updater_log | grep -c 'Many download request' || true)" 1
    e2e_step "Esc and Alt+F4 do nothing; Enter is run now: it starts the remote and hides the window"
    e2e_probe key --hwnd "$window" esc >/dev/null
    e2e_probe key --hwnd "$window" alt+f4 >/dev/null
    sleep 1
    e2e_expect_equal "shown after Esc and Alt+F4" "$(e2e_field "$(e2e_probe state --hwnd "$window")" visible)" 1
    e2e_probe key --hwnd "$window" enter >/dev/null
    wait_remote
    e2e_expect_equal "window hidden" "$(e2e_field "$(e2e_probe state --hwnd "$window")" visible)" 0
    e2e_wine reg delete "$UPDATER_KEY" /f >/dev/null 2>&1 || true
    ;;
busy)
    start_updater
    wait_updater_exit 90
    updater_log >&2
    e2e_expect_equal "busy answers" "$(log_count 305)" 2
    same_file "$E2E_PROGRAM_DIR/lib/extra.dll" "$LIBRARY"
    wait_remote
    ;;
second_copy)
    start_updater
    first=$UPDATER_PID
    wait_remote
    remote=$E2E_REMOTE_PID
    e2e_step "a second copy while the remote runs: it ends, starts nothing, asks nothing"
    before=$(log_count 314)
    start_updater
    wait_updater_exit 20
    e2e_expect_equal "remotes" "$(remote_count)" 1
    e2e_step "with the remote ended, a second copy starts it"
    e2e_probe kill "$remote" --image TesmoraOrluRemocon.exe >/dev/null
    e2e_probe wait-gone --pid "$remote" --class '#32770' --timeout 10000 >/dev/null || true
    start_updater
    wait_updater_exit 20
    wait_remote
    e2e_expect_equal "server checks by the second copies" "$(( $(log_count 314) - before <= 2 ))" 1
    e2e_expect_equal "the library untouched" "$(cat "$E2E_PROGRAM_DIR/lib/extra.dll")" "an old library"
    UPDATER_PID=$first
    ;;
cut_short | stalled)
    # 310 when the updater finds the body short of its length, 301 when the fetch itself fails it.
    start_updater
    wait_log '(310|301)' $([ "$course" = stalled ] && echo 70 || echo 30)
    e2e_expect_equal "installed library intact" "$(cat "$E2E_PROGRAM_DIR/lib/extra.dll")" "an old library"
    e2e_expect_equal "nothing staged" "$(ls "$E2E_PROGRAM_DIR/lib")" "extra.dll"
    wait_updater_exit 60
    e2e_expect_equal "downloads started" "$(log_count 300)" 2
    same_file "$E2E_PROGRAM_DIR/lib/extra.dll" "$LIBRARY"
    wait_remote
    ;;
newer_updater)
    start_updater
    wait_log 316 30
    # The batch lives at least until the old updater has ended.
    deadline=$((SECONDS + 10))
    until [ -s "$E2E_PROGRAM_DIR/aUpdate.bat" ]; do
        [ $SECONDS -lt $deadline ] || e2e_fail "no batch"
        sleep 0.1
    done
    sleep 0.2
    cp "$E2E_PROGRAM_DIR/aUpdate.bat" "$E2E_DIR/aUpdate.bat"
    e2e_expect_equal "the batch, byte for byte" "$(od -c "$E2E_DIR/aUpdate.bat" | md5sum)" \
        "$(python3 - "$(e2e_windows_path "$E2E_PROGRAM_DIR")" <<'PY' | od -c | md5sum
import sys
d = sys.argv[1]
exe, new, bat = d + '\\TesmoraOrluUpdaterR.exe', d + '\\.\\TesmoraOrluUpdaterR.exe_new', d + '\\aUpdate.bat'
lines = [':try_exe', f'IF EXIST "{new}" ( DEL "{exe}" ) ELSE ( GOTO next1)  ', f'IF EXIST "{exe}" GOTO try_exe',
         ':next1', ':copy_exe', f'IF EXIST "{new}" ( MOVE "{new}" "{exe}" ) ELSE ( GOTO next2 )',
         f'IF NOT EXIST "{exe}" GOTO copy_exe', ':next2', f'start /D "{d}" /B TesmoraOrluUpdaterR.exe ', ':try_bat',
         f'DEL "{bat}"', f'IF EXIST "{bat}" GOTO try_bat']
sys.stdout.write(''.join(line + '\r\n' for line in lines))
PY
)"
    wait_updater_exit 30
    e2e_step "the batch puts the new updater in place once the old one has ended"
    deadline=$((SECONDS + 60))
    until cmp -s "$E2E_PROGRAM_DIR/TesmoraOrluUpdaterR.exe" "$E2E_BIN/next/TesmoraOrluUpdaterR.exe"; do
        [ $SECONDS -lt $deadline ] || e2e_fail "the batch did not replace the updater"
        sleep 0.5
    done
    e2e_log "ok: the updater was replaced by the newer one"
    # Wine's start.exe does not take a quoted /D folder and its cmd holds the batch open, so there the
    # batch neither starts the new updater nor can delete itself: the scenario ends it and starts the
    # new updater itself, as the batch's start line does on Windows.
    sleep 2
    stop_batch
    start_updater
    wait_updater_exit 60
    e2e_expect_equal "the new updater took itself as current (no second updater download)" "$(log_count 317)" 1
    same_file "$E2E_PROGRAM_DIR/lib/extra.dll" "$LIBRARY"
    wait_remote
    ;;
outside_folder)
    start_updater
    wait_updater_exit 60
    updater_log >&2
    e2e_expect_equal "entries ignored (..\\ and a drive)" "$(log_count 319)" 2
    e2e_expect_equal "files outside the program folder" "$(ls "$E2E_DIR" | grep -c evil || true)" 0
    same_file "$E2E_PROGRAM_DIR/lib/extra.dll" "$LIBRARY"
    wait_remote
    ;;
stale_staged)
    # A run staged the library (2.0.1.1028) but did not apply it; then a newer one (2.0.1.1090) was
    # installed. The list still offers 2.0.1.1028: nothing to download, and the stale file must go.
    cp "$REMOTE" "$E2E_PROGRAM_DIR/TesmoraOrluRemocon.exe"
    cp "$E2E_BIN/next/TesmoraOrluUpdaterR.exe" "$E2E_PROGRAM_DIR/lib/extra.dll"
    cp "$LIBRARY" "$E2E_PROGRAM_DIR/lib/extra.dll_new"
    start_updater
    wait_updater_exit 60
    updater_log >&2
    e2e_expect_equal "stale staged files removed" "$(log_count 321)" 1
    same_file "$E2E_PROGRAM_DIR/lib/extra.dll" "$E2E_BIN/next/TesmoraOrluUpdaterR.exe"
    e2e_expect_equal "staged or backed-up files left" "$(ls "$E2E_PROGRAM_DIR/lib")" "extra.dll"
    wait_remote
    ;;
same_path)
    echo "an installed library" >"$E2E_PROGRAM_DIR/lib/same.dll"
    start_updater
    wait_updater_exit 60
    updater_log >&2
    e2e_expect_equal "entries staged over their installed file" "$(log_count 322)" 1
    e2e_expect_equal "the installed file stays" "$(cat "$E2E_PROGRAM_DIR/lib/same.dll")" "an installed library"
    e2e_expect_equal "no backup of it" "$(ls "$E2E_PROGRAM_DIR/lib" | grep -c 'same.dll_' || true)" 0
    same_file "$E2E_PROGRAM_DIR/lib/extra.dll" "$LIBRARY"
    wait_remote
    ;;
broken)
    # The first library download breaks off without a length (over https; plain http is refused): the
    # fetch reports the body as not whole, so it is not applied (310) and comes whole a tick later.
    start_updater
    wait_log 310 30
    e2e_expect_equal "completed before the failure" "$(log_count 304)" 0
    e2e_expect_equal "installed library intact" "$(cat "$E2E_PROGRAM_DIR/lib/extra.dll")" "an old library"
    e2e_expect_equal "nothing staged" "$(ls "$E2E_PROGRAM_DIR/lib")" "extra.dll"
    wait_updater_exit 60
    same_file "$E2E_PROGRAM_DIR/lib/extra.dll" "$LIBRARY"
    wait_remote
    ;;
cut_list)
    # Both tries of the first list (https, then http) are cut: that pass finds no updater entry (312)
    # and fetches nothing from the fragment; the next pass gets the whole list.
    start_updater
    wait_log 312 30
    e2e_expect_equal "downloads before the whole list" "$(updater_log | grep -Eo '^(312|300)' | head -1)" 312
    wait_updater_exit 60
    e2e_expect_equal "downloads started" "$(log_count 300)" 1
    same_file "$E2E_PROGRAM_DIR/lib/extra.dll" "$LIBRARY"
    wait_remote
    ;;
support_log)
    start_updater
    wait_updater_exit 60
    log=$SUPPORT_LOGS/TesmoraOrluUpdaterR.log
    [ -s "$log" ] || e2e_fail "no support log at $log"
    cp "$log" "$E2E_DIR/"
    stamp='^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}[.][0-9]{3} '
    e2e_expect_equal "undated lines" "$(grep -Evc "$stamp[0-9]+ " "$log" || true)" 0
    e2e_expect_equal "the run in order" "$(grep -Eo "$stamp(313|314|315|311|300|304)" "$log" | cut -d' ' -f3 | uniq |
        tr "\n" " ")" "313 314 315 311 300 304 "
    e2e_expect_equal "downloaded file named" "$(grep -c 'extra.dll_new' "$log")" 2
    same_file "$E2E_PROGRAM_DIR/lib/extra.dll" "$LIBRARY"
    wait_remote
    ;;
scaled)
    # The window's layout for the screen's scale factor (run with TESMORA_SCREEN=2560x1440 for 1.4).
    start_updater
    window=$(e2e_field "$(e2e_probe wait --pid "$UPDATER_PID" --class '#32770' --with-id 1003 --timeout 20000)" hwnd)
    wait_log 305 30
    read -r width height < <(xdotool getdisplaygeometry)
    scale=$(python3 -c "w,h=$width,$height; print(2.0 if w>3000 or h>3000 else 1.4 if w>2000 or h>2000 else 1.0)")
    scaled() { python3 -c "import struct,math; f=lambda x: struct.unpack('f',struct.pack('f',x))[0]; print(math.floor(f($1*f($scale))))"; }
    e2e_screenshot --hwnd "$window" "$E2E_DIR/updater-${width}x${height}.png"
    children=$(e2e_probe children --hwnd "$window")
    e2e_expect_equal "log list at scale $scale" "$(e2e_control_field "$children" 1003 rect)" \
        "$(scaled 18),$(scaled 57),$(( $(scaled 18) + $(scaled 531) )),$(( $(scaled 57) + $(scaled 237) ))"
    e2e_expect_equal "run-now button at scale $scale" "$(e2e_control_field "$children" 1 rect)" \
        "$(scaled 444),$(scaled 311),$(( $(scaled 444) + $(scaled 111) )),$(( $(scaled 311) + $(scaled 34) ))"
    ;;
strict)
    start_updater
    wait_log 309 30
    e2e_expect_equal "first error lines" "$(updater_log | sed -n '3,5p' | cut -d' ' -f1 | tr '\n' ' ')" "320 308 309 "
    wait_remote
    e2e_expect_equal "requests the service answered" "$(e2e_count_events '"event":"update"')" 0
    e2e_step "with the certificate trusted, a new updater fetches and applies the files over https only"
    # New processes: a process reads the trusted certificates once. Wine matches the server's name only
    # against the certificate's DNS names, hence "localhost" (the classroom's certificate names it too).
    e2e_probe kill "$UPDATER_PID" --image TesmoraOrluUpdaterR.exe >/dev/null
    e2e_probe kill "$E2E_REMOTE_PID" --image TesmoraOrluRemocon.exe >/dev/null
    e2e_probe wait-gone --pid "$E2E_REMOTE_PID" --class '#32770' --timeout 10000 >/dev/null || true
    e2e_trust_classroom
    e2e_config "updateserver=localhost:$E2E_LOOKUP_PORT" "webserver=localhost:$E2E_LOOKUP_PORT" "scalefactor=1" \
        strictcertificates=1
    start_updater
    wait_updater_exit 90
    e2e_expect_equal "requests over plain http" "$(e2e_count_events '"event":"update".*"scheme":"http"')" 0
    e2e_expect_equal "server check, list and download over https" \
        "$(e2e_count_events '"event":"update".*"scheme":"https"')" 3
    same_file "$E2E_PROGRAM_DIR/lib/extra.dll" "$LIBRARY"
    wait_remote
    ;;
*) e2e_fail "unknown course $course" ;;
esac
e2e_log "passed"
