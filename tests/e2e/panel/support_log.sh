#!/usr/bin/env bash
# The support log: without the "logfile" key the remote writes no file; with logfile=1 its traces,
# from the panel's and the capture's threads alike, go dated into the user's TesmoraOrluRemocon.log:
# the login, the session's texts by tag, an upload, the lost teacher and the message the user saw,
# and the end, each line whole and none lost.
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

e2e_begin support-log
# The log folder of the prefix's user (the prefix outlives the scenario).
logs=$(ls -d "$E2E_PREFIX"/drive_c/users/*/AppData/Local 2>/dev/null | grep -v /Public/ | head -1)/TesmoraOrlu/Logs
log=$logs/TesmoraOrluRemocon.log
rm -f "$log" "$log.1"

e2e_step "no key: no file"
e2e_start_remote
e2e_login demo-teacher
e2e_wait_panel 30 >/dev/null
e2e_probe kill "$E2E_REMOTE_PID" --image TesmoraOrluRemocon.exe >/dev/null
e2e_expect_equal "log files without the key" "$(ls "$log"* 2>/dev/null | wc -l)" 0

e2e_step "logfile=1: login, session, upload"
e2e_config "webserver=127.0.0.1:$E2E_LOOKUP_PORT" "logfile=1"
e2e_start_remote
e2e_login demo-teacher
panel=$(e2e_field "$(e2e_wait_panel 30)" hwnd)
e2e_press "$panel" 1004
e2e_wait_event '"event":"frame_placed"' 15
sleep 2
e2e_press "$panel" 1004
e2e_wait_event '"tag":"\[RC00009\]","payload":"stop"' 10
deadline=$((SECONDS + 10))
until grep -aq 'Remocon capture: ended' "$E2E_DIR/remote.err"; do
    [ $SECONDS -lt $deadline ] || e2e_fail "the capture did not end"
    sleep 0.2
done
# The teacher program goes away: the log says so, and what the user was told, readably.
lost="Tesmora Orlu Teacher와 연결이 끊어져 프로그램이 종료됩니다"
e2e_stop_classroom
e2e_wait_message "$lost" 30
e2e_answer_message 1
e2e_wait_exit 15

[ -s "$log" ] || e2e_fail "no support log at $log"
cp "$log" "$E2E_DIR/"
stamp='^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}[.][0-9]{3} '
# Threads write at once: a line cut into by another would lose its stamp or its end.
e2e_expect_equal "undated or unfinished lines" "$(grep -Evc "${stamp}Remocon .*"$'\r'"\$" "$log" || true)" 0
e2e_expect_equal "stamps of today" "$(grep -Ec "^$(date +%Y-%m-%d) " "$log")" "$(wc -l <"$log")"
# The milestones, in their order (first occurrence of each).
milestones=(
    'Remocon started: version 2.0.1.1028'
    "Remocon login: teacher ID demo-teacher, login server 127.0.0.1:$E2E_LOGIN_PORT"
    'Remocon session: to the login server \[US00001\]'
    'Remocon session: from the login server \[UR00002\]'
    'Remocon session: from the teacher \[DV00007\]'
    'Remocon session: to the teacher \[RC00001\]'
    'Remocon upload: start'
    'Remocon capture frame: number=0 '
    'Remocon upload: stop'
    'Remocon capture: ended'
    'Remocon session: the teacher connection closed'
    "Remocon message: $lost"
    'Remocon ends'
)
last=0
for milestone in "${milestones[@]}"; do
    at=$(grep -En "$stamp$milestone" "$log" | head -n 1 | cut -d: -f1 || true)
    [ -n "$at" ] || e2e_fail "the log has no \"$milestone\""
    [ "$at" -gt "$last" ] || e2e_fail "\"$milestone\" (line $at) comes before an earlier step (line $last)"
    last=$at
done
# Every frame the capture thread traced for the debugger is in the log too.
e2e_expect_equal "capture frames in the log" "$(grep -c 'Remocon capture frame:' "$log")" \
    "$(grep -ac 'Remocon capture frame:' "$E2E_DIR/remote.err")"
e2e_log "$(wc -l <"$log") lines; $(grep -c 'Remocon capture frame:' "$log") frames"
