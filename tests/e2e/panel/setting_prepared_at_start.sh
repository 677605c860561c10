#!/usr/bin/env bash
# setting.ini written by hand in UTF-8 is made ready when the remote starts, before the login: by the
# time the login dialog shows, the file is UTF-16LE with a mark, keeps its non-ASCII text, and the
# original lies beside it under a dated backup name.
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

e2e_begin setting-prepared-at-start
setting=$E2E_DIR/program/setting.ini
printf '[default]\r\nrsip=10.9.8.7\r\nrsport=18241\r\nnote=교실 3\r\n' >"$setting"
e2e_start_remote
e2e_probe wait --pid "$E2E_REMOTE_PID" --title "Tesmora Orlu Remocon" --timeout 30000 >/dev/null ||
    e2e_fail "no login dialog"
[ "$(head -c 2 "$setting" | od -An -tx1 | tr -d ' \n')" = fffe ] ||
    e2e_fail "setting.ini is not UTF-16LE with a mark at the login: $(head -c 16 "$setting" | od -An -tx1)"
text=$(tail -c +3 "$setting" | iconv -f UTF-16LE -t UTF-8 | tr -d '\r')
for line in 'rsip=10.9.8.7' 'rsport=18241' 'note=교실 3'; do
    grep -qxF -- "$line" <<<"$text" || e2e_fail "setting.ini lost \"$line\": $text"
done
backups=$(find "$E2E_DIR/program" -name 'setting_*.ini' | wc -l)
[ "$backups" = 1 ] || e2e_fail "$backups backups of setting.ini beside it"
e2e_log "prepared before the login"
