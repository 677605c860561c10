#!/usr/bin/env bash
# The school's installer under Wine, one course per run (the first argument):
#   silent_install  a silent install puts every file in place, writes config.ini (UTF-16LE with its
#                   mark), the profile's language and the pad's default one as the switches ask, the
#                   menu shortcuts, the sign-in task (and no Run entry), the folder's permissions, the
#                   entry in Programs and Features and the setup log; a wrong language switch installs nothing and ends
#                   with exit code 2
#   second_install  an install over the first keeps the teacher's setting.ini and the addresses
#                   config.ini holds when no switch names them, and removes the updater's leftover
#                   staged and partial downloads
#   uninstall       the uninstaller leaves no program file, staged download, shortcut, task,
#                   uninstall entry or pad default language; setting.ini and the profile stay, and
#                   /PURGE removes them; run in place (_?=) it is done when it returns
#   running         a silent install over a running remote ends it and replaces its files; a program
#                   file held by a process taskkill cannot end makes the install and the uninstall fail
#                   with exit code 3, the earlier version still registered
#   downgrade       an older installer over a newer remote stops with exit code 4; /ALLOWDOWNGRADE
#                   installs it
#   msi             the Windows Installer package, silent: installed with every property (files,
#                   config.ini, the task, the profile's and the pad's language), upgraded by a newer
#                   package (the updater's leftovers removed), refused over the newer one, removed
#                   without a trace
#   signed_release  scripts/release with a throwaway code-signing certificate: every program, library,
#                   the installer, the uninstaller it installs and the package carry a signature that
#                   verifies, and the signed installer still installs; without a certificate the
#                   release says plainly that it is unsigned
#   updater_login   the installed updater, started as the sign-in task starts it (in another
#                   current folder), finds the release current, starts the remote, and it logs in
#   pages           screenshots of every page of the installer and the uninstaller, in Korean and
#                   English (installer-<lang>-<n>.png in the work folder); the settings page shows an
#                   earlier install's values, and an address emptied and a box ticked there reach
#                   config.ini; over a running remote the installer asks before it ends it
# Each course installs into its own work folder (/D), and uninstalls again when it ends. Wine cannot
# show two things a real Windows does: its icacls changes no permissions (the log shows the call and
# its answer), and its task scheduler keeps neither the sign-in trigger nor the highest privileges of
# a task (the definition the installer registered is checked instead).
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

course=$1
SETUP=$(ls "$E2E_BIN"/../installer/TesmoraOrluRemoconSetup-*.exe 2>/dev/null | head -n 1)
[ -n "$SETUP" ] || { echo "no installer built (makensis missing?)" >&2; exit $E2E_SKIP; }
e2e_setup "installer-$course"
INSTALL_DIR=$E2E_PROGRAM_DIR
INSTALL_WIN=$(e2e_windows_path "$INSTALL_DIR")
MENU="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tesmora Orlu Remocon"
RUN_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
TASK="$WINEPREFIX/drive_c/windows/system32/tasks/TesmoraOrlu/TesmoraOrluUpdaterR"
SETUP_LOG="$WINEPREFIX/drive_c/ProgramData/TesmoraOrlu/TesmoraOrluRemoconSetup.log"
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TesmoraOrluRemocon'
# The pad's default language, for accounts whose profile has none (in the programs' registry view).
PAD_KEY='HKLM\Software\TesmoraOrlu\TesmoraOrluRemocon\config'
INSTALLED=(TesmoraOrluRemocon.exe TesmoraOrluUpdaterR.exe language/TesmoraOrluRemoconEng.dll
    language/TesmoraOrluRemoconJapan.dll config.ini uninstall.exe autostart-task.xml)

# Whatever the course leaves installed is uninstalled (the profile the harness puts back itself).
cleanup() {
    [ -f "$INSTALL_DIR/uninstall.exe" ] || return 0
    e2e_wine "$INSTALL_DIR/uninstall.exe" /S >/dev/null 2>&1 || true
    wait_uninstalled 30 || true
}
trap 'status=$?; cleanup; (exit $status); e2e_end' EXIT
# The harness puts the profile's language back as it found it.
e2e_set_profile_value language Kor

# install ARGS...: the installer, silent, into the work folder; prints its exit code.
install() {
    local record
    record=$(e2e_probe start --wait --timeout 60000 "$(e2e_windows_path "$SETUP")" /S "$@" "/D=$INSTALL_WIN")
    e2e_field "$record" exit
}
# The uninstaller copies itself away and returns at once; it is done when its own file is gone.
wait_uninstalled() {
    local deadline=$((SECONDS + $1))
    while [ -f "$INSTALL_DIR/uninstall.exe" ]; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.3
    done
}
uninstall() {
    e2e_wine "$INSTALL_DIR/uninstall.exe" /S "$@" >/dev/null 2>&1 || e2e_fail "the uninstaller did not start"
    wait_uninstalled 30 || e2e_fail "the uninstaller did not finish within 30 s"
}
# The setup log's lines written since the course began.
log_lines() { iconv -f UTF-16 -t UTF-8 "$SETUP_LOG" 2>/dev/null | tr -d '\r' | tail -n +$((LOG_START + 1)); }
LOG_START=0
[ ! -f "$SETUP_LOG" ] || LOG_START=$(iconv -f UTF-16 -t UTF-8 "$SETUP_LOG" | wc -l)
expect_logged() {
    log_lines | grep -qF -- "$1" || e2e_fail "the setup log has no \"$1\": $(log_lines | tail -n 5)"
    e2e_log "ok: logged \"$1\""
}
# A config.ini key: in UTF-16 as the programs and the installer keep it, or in the ANSI code page as
# Windows Installer writes a new file.
config_value() {
    local decode=(cat)
    [ "$(head -c 2 "$INSTALL_DIR/config.ini" | xxd -p)" != fffe ] || decode=(iconv -f UTF-16 -t UTF-8)
    "${decode[@]}" <"$INSTALL_DIR/config.ini" | tr -d '\r' | sed -n "s/^$1=//p"
}
# reg_value KEY NAME: a string value, empty when absent.
reg_value() {
    e2e_wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
expect_installed() {
    local file
    for file in "${INSTALLED[@]}"; do
        [ -n "$file" ] || continue
        [ -f "$INSTALL_DIR/$file" ] || e2e_fail "$file is not installed"
    done
    cmp -s "$INSTALL_DIR/TesmoraOrluRemocon.exe" "$E2E_BIN/TesmoraOrluRemocon.exe" ||
        e2e_fail "the installed remote is not the build's"
    e2e_log "ok: every file in place"
}

case $course in
silent_install)
    e2e_step "a wrong language switch"
    e2e_expect_equal "exit code" "$(install /LANGUAGE=French)" 2
    e2e_expect_equal "files installed" "$(find "$INSTALL_DIR" -type f | wc -l)" 0
    expect_logged "failed (exit code 2): /LANGUAGE=French"
    e2e_step "a silent install with every switch"
    e2e_expect_equal "exit code" "$(install /LANGUAGE=Eng /WEBSERVER=web.school.example:8443 \
        /UPDATESERVER=127.0.0.1:18080 /SCALEFACTOR=1.4 /LAYOUT=full /STRICTCERTIFICATES=1 /LOGFILE=1)" 0
    expect_installed
    expect_logged "installed: $INSTALL_WIN\TesmoraOrluRemocon.exe"
    expect_logged "installed 2.0.1.1028"
    expect_logged "icacls.exe\" \"$INSTALL_WIN\" /inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX"
    e2e_expect_equal logfile "$(config_value logfile)" 1
    e2e_expect_equal "config.ini's mark" "$(head -c 2 "$INSTALL_DIR/config.ini" | xxd -p)" fffe
    e2e_expect_equal "config.ini's section" "$(iconv -f UTF-16 -t UTF-8 "$INSTALL_DIR/config.ini" | head -n 1 | tr -d '\r')" \
        "[default]"
    e2e_expect_equal webserver "$(config_value webserver)" web.school.example:8443
    e2e_expect_equal updateserver "$(config_value updateserver)" 127.0.0.1:18080
    e2e_expect_equal scalefactor "$(config_value scalefactor)" 1.4
    e2e_expect_equal layout "$(config_value layout)" full
    e2e_expect_equal strictcertificates "$(config_value strictcertificates)" 1
    e2e_expect_equal language "$(reg_value "$E2E_PROFILE_KEY" language)" Eng
    e2e_expect_equal "pad default language" "$(reg_value "$PAD_KEY" language)" Eng
    e2e_expect_equal "Run entry" "$(reg_value "$RUN_KEY" TesmoraOrluUpdaterR)" ""
    [ -f "$TASK" ] || e2e_fail "no scheduled task registered"
    e2e_log "ok: the scheduled task is registered"
    # What Wine's scheduler does not keep, the definition the installer gave it says.
    python3 - "$INSTALL_DIR/autostart-task.xml" "$INSTALL_WIN" <<'PY' || e2e_fail "the task definition is not as expected"
import sys, xml.etree.ElementTree as ET
ns = {"t": "http://schemas.microsoft.com/windows/2004/02/mit/task"}
task = ET.fromstring(open(sys.argv[1], "rb").read().decode("utf-16"))
want = {
    "t:Triggers/t:LogonTrigger/t:Enabled": "true",
    "t:Principals/t:Principal/t:GroupId": "S-1-5-32-545",
    "t:Principals/t:Principal/t:RunLevel": "HighestAvailable",
    "t:Settings/t:DisallowStartIfOnBatteries": "false",
    "t:Settings/t:ExecutionTimeLimit": "PT0S",
    "t:Actions/t:Exec/t:Command": '"%s\\TesmoraOrluUpdaterR.exe"' % sys.argv[2],
    "t:Actions/t:Exec/t:Arguments": "/autostart",
}
bad = [(path, task.findtext(path, namespaces=ns), value) for path, value in want.items()
       if task.findtext(path, namespaces=ns) != value]
for path, got, value in bad:
    print("%s: %r, not %r" % (path, got, value), file=sys.stderr)
sys.exit(1 if bad else 0)
PY
    e2e_log "ok: the task starts the updater with /autostart at any sign-in, with the highest privileges"
    e2e_expect_equal "uninstall entry" "$(reg_value "$UNINSTALL_KEY" UninstallString)" \
        "\"$INSTALL_WIN\\uninstall.exe\""
    e2e_expect_equal "shortcuts" "$(ls "$MENU" | tr '\n' ' ')" "Tesmora Orlu Remocon.lnk Uninstall.lnk "
    grep -aq "TesmoraOrluUpdaterR.exe" "$MENU/Tesmora Orlu Remocon.lnk" || e2e_fail "the shortcut does not start the updater"
    ;;
second_install)
    e2e_expect_equal "first install" "$(install /LANGUAGE=Japan /WEBSERVER=web.school.example)" 0
    e2e_step "the remote's own files from the first install's life"
    printf '\xff\xfe' >"$INSTALL_DIR/setting.ini"
    printf '[default]\r\nrsip=10.1.2.3\r\nrsport=7000\r\n' | iconv -t UTF-16LE >>"$INSTALL_DIR/setting.ini"
    cp "$INSTALL_DIR/setting.ini" "$E2E_DIR/setting.before"
    # Downloads of an updater run that never applied them, which would put themselves back over
    # what the next install copies.
    stale=(TesmoraOrluRemocon.exe_new TesmoraOrluUpdaterR.exe_new.part language/TesmoraOrluRemoconEng.dll_new
        language/TesmoraOrluRemoconJapan.dll_new.part)
    for file in "${stale[@]}"; do echo stale >"$INSTALL_DIR/$file"; done
    e2e_step "the second install, only a new update server"
    e2e_expect_equal "second install" "$(install /LANGUAGE=Kor /UPDATESERVER=updates.school.example)" 0
    expect_installed
    cmp -s "$INSTALL_DIR/setting.ini" "$E2E_DIR/setting.before" || e2e_fail "setting.ini changed"
    e2e_log "ok: setting.ini kept"
    for file in "${stale[@]}"; do [ ! -e "$INSTALL_DIR/$file" ] || e2e_fail "$file is still there"; done
    e2e_log "ok: the staged and partial downloads are gone"
    e2e_expect_equal webserver "$(config_value webserver)" web.school.example
    e2e_expect_equal updateserver "$(config_value updateserver)" updates.school.example
    e2e_expect_equal language "$(reg_value "$E2E_PROFILE_KEY" language)" Kor
    # The first install's uninstall shortcut was named in Japanese.
    e2e_expect_equal "shortcuts" "$(ls "$MENU" | tr '\n' ' ')" "Tesmora Orlu Remocon.lnk 제거.lnk "
    ;;
uninstall)
    e2e_expect_equal "install" "$(install /LANGUAGE=Eng)" 0
    # What the programs leave beside themselves: the teacher's relay, an updater backup, staged and
    # partial downloads, a crash dump.
    echo relay >"$INSTALL_DIR/setting.ini"
    echo old >"$INSTALL_DIR/TesmoraOrluRemocon.exe_$(date +%Y%m%d)_1"
    echo staged >"$INSTALL_DIR/extra.dll_new"
    echo partial >"$INSTALL_DIR/language/TesmoraOrluRemoconEng.dll_new.part"
    echo dump >"$INSTALL_DIR/RemoconDump.dmp"
    e2e_step "uninstall, keeping the teacher's settings"
    uninstall
    e2e_expect_equal "files left" "$(cd "$INSTALL_DIR" && find . -type f | tr '\n' ' ')" "./setting.ini "
    [ ! -e "$MENU" ] || e2e_fail "the menu folder is still there: $(ls "$MENU")"
    [ ! -e "$TASK" ] || e2e_fail "the scheduled task is still registered"
    e2e_log "ok: the scheduled task is gone"
    e2e_wine reg query "$UNINSTALL_KEY" >/dev/null 2>&1 && e2e_fail "the uninstall entry is still there"
    e2e_expect_equal "language kept" "$(reg_value "$E2E_PROFILE_KEY" language)" Eng
    e2e_expect_equal "pad default language" "$(reg_value "$PAD_KEY" language)" ""
    expect_logged "uninstalled from $INSTALL_WIN"
    e2e_step "install again, uninstall in place with /PURGE, waited for"
    e2e_expect_equal "install" "$(install)" 0
    e2e_expect_equal "quiet uninstall command" "$(reg_value "$UNINSTALL_KEY" QuietUninstallString)" \
        "\"$INSTALL_WIN\\uninstall.exe\" /S _?=$INSTALL_WIN"
    record=$(e2e_probe start --wait --timeout 60000 "$INSTALL_WIN\\uninstall.exe" /S /PURGE "_?=$INSTALL_WIN")
    e2e_expect_equal "exit code" "$(e2e_field "$record" exit)" 0
    # Everything but its own file is gone when it returns; that goes as soon as it has ended.
    e2e_expect_equal "files left" "$(cd "$INSTALL_DIR" 2>/dev/null && find . -type f ! -name uninstall.exe)" ""
    for _ in $(seq 50); do [ -e "$INSTALL_DIR" ] || break; sleep 0.2; done
    [ ! -e "$INSTALL_DIR" ] || e2e_fail "left behind: $(find "$INSTALL_DIR" | tr '\n' ' ')"
    e2e_log "ok: the folder is gone once the uninstaller has ended"
    e2e_expect_equal "language" "$(reg_value "$E2E_PROFILE_KEY" language)" ""
    mkdir -p "$INSTALL_DIR"
    ;;
running)
    e2e_expect_equal "install" "$(install /LANGUAGE=Eng)" 0
    e2e_step "a silent install over the running remote"
    e2e_start_program "$INSTALL_DIR" TesmoraOrluRemocon.exe
    remote=$E2E_PID
    e2e_wait_login "$remote" >/dev/null || e2e_fail "the remote did not start"
    e2e_expect_equal "exit code" "$(install /LANGUAGE=Eng)" 0
    e2e_probe wait-exit "$remote" --timeout 10000 >/dev/null || e2e_fail "the remote still runs"
    expect_installed
    expect_logged "in use: TesmoraOrluRemocon.exe"
    expect_logged "installed: $INSTALL_WIN\TesmoraOrluRemocon.exe"
    e2e_step "a program file held by a process taskkill does not know by that name"
    # The same file under another name (Wine, like Windows, keeps a running program's file whatever
    # name started it): taskkill /im cannot end it.
    e2e_wine reg add "$UNINSTALL_KEY" /v DisplayVersion /d 2.0.1.1000 /f >/dev/null
    ln "$INSTALL_DIR/TesmoraOrluRemocon.exe" "$E2E_DIR/Holder.exe"
    cp -r "$INSTALL_DIR/language" "$E2E_DIR/"
    e2e_start_program "$E2E_DIR" Holder.exe
    holder=$E2E_PID
    e2e_wait_login "$holder" >/dev/null || e2e_fail "the holder did not start"
    e2e_expect_equal "exit code" "$(install /LANGUAGE=Eng)" 3
    expect_logged "failed (exit code 3)"
    e2e_expect_equal "version registered" "$(reg_value "$UNINSTALL_KEY" DisplayVersion)" 2.0.1.1000
    e2e_step "the uninstaller, in place, fails the same way"
    record=$(e2e_probe start --wait --timeout 60000 "$INSTALL_WIN\\uninstall.exe" /S "_?=$INSTALL_WIN")
    e2e_expect_equal "exit code" "$(e2e_field "$record" exit)" 3
    e2e_expect_equal "version registered" "$(reg_value "$UNINSTALL_KEY" DisplayVersion)" 2.0.1.1000
    [ -f "$INSTALL_DIR/uninstall.exe" ] || e2e_fail "the uninstaller removed itself"
    e2e_wine taskkill /f /pid "$holder" >/dev/null 2>&1 || true
    e2e_probe wait-exit "$holder" --timeout 10000 >/dev/null || e2e_fail "the holder did not end"
    ;;
downgrade)
    e2e_expect_equal "install" "$(install /LANGUAGE=Eng)" 0
    # The updater brought a newer remote since (the build's updater carries a newer version).
    cp "$E2E_BIN/TesmoraOrluUpdaterR.exe" "$INSTALL_DIR/TesmoraOrluRemocon.exe"
    e2e_step "the older installer, silent"
    e2e_expect_equal "exit code" "$(install /LANGUAGE=Eng)" 4
    cmp -s "$INSTALL_DIR/TesmoraOrluRemocon.exe" "$E2E_BIN/TesmoraOrluUpdaterR.exe" ||
        e2e_fail "the newer remote was replaced"
    expect_logged "failed (exit code 4): installed: 2.0.1.1080, newer than 2.0.1.1028"
    e2e_step "the same with /ALLOWDOWNGRADE"
    e2e_expect_equal "exit code" "$(install /LANGUAGE=Eng /ALLOWDOWNGRADE)" 0
    expect_installed
    ;;
msi)
    MSI=$(ls "$E2E_BIN"/../installer/TesmoraOrluRemocon-*.msi 2>/dev/null | head -n 1)
    [ -n "$MSI" ] || { e2e_log "no package built (wixl missing?)"; exit $E2E_SKIP; }
    MSI_DIR="$WINEPREFIX/drive_c/Program Files/TesmoraOrlu/TesmoraOrluRemocon"
    INSTALL_DIR=$MSI_DIR
    INSTALLED=("${INSTALLED[@]/uninstall.exe/}")
    product_code() { msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p'; }
    # msiexec ARGS...: Windows Installer's command line, silent; prints its exit code.
    msiexec() {
        e2e_field "$(e2e_probe start --wait --timeout 120000 'C:\windows\system32\msiexec.exe' "$@" /qn)" exit
    }
    OLD=$(product_code "$MSI")
    e2e_step "a newer package of the same programs"
    "$E2E_SOURCE/installer/build-msi" 2.0.1.1029 "$E2E_BIN" "$E2E_DIR/newer.msi" 2>/dev/null ||
        e2e_fail "could not build the newer package"
    NEW=$(product_code "$E2E_DIR/newer.msi")
    trap 'status=$?; msiexec /x "$(e2e_windows_path "$E2E_DIR/newer.msi")" >/dev/null;
        msiexec /x "$(e2e_windows_path "$MSI")" >/dev/null; (exit $status); e2e_end' EXIT
    e2e_step "install with every property"
    e2e_expect_equal "exit code" "$(msiexec /i "$(e2e_windows_path "$MSI")" WEBSERVER=web.school.example:8443 \
        UPDATESERVER=127.0.0.1:18080 LAYOUT=full STRICTCERTIFICATES=1 LOGFILE=1 LANGUAGE=Eng)" 0
    expect_installed
    e2e_expect_equal webserver "$(config_value webserver)" web.school.example:8443
    e2e_expect_equal updateserver "$(config_value updateserver)" 127.0.0.1:18080
    e2e_expect_equal layout "$(config_value layout)" full
    e2e_expect_equal strictcertificates "$(config_value strictcertificates)" 1
    e2e_expect_equal logfile "$(config_value logfile)" 1
    e2e_expect_equal language "$(reg_value "$E2E_PROFILE_KEY" language)" Eng
    e2e_expect_equal "pad default language" "$(reg_value "$PAD_KEY" language)" Eng
    [ -f "$TASK" ] || e2e_fail "no scheduled task registered"
    iconv -f UTF-16 -t UTF-8 "$MSI_DIR/autostart-task.xml" |
        grep -qF '<Command>"%ProgramFiles%\TesmoraOrlu\TesmoraOrluRemocon\TesmoraOrluUpdaterR.exe"</Command>' ||
        e2e_fail "the task does not start the installed updater"
    e2e_log "ok: the task is registered and starts the installed updater"
    e2e_expect_equal version "$(reg_value "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$OLD" DisplayVersion)" 2.1.1028
    # Given its properties again, as group policy gives a package its transform. (Wine's upgrade
    # removes the older package without telling it that it is being upgraded, so it deletes config.ini
    # as a removal does; Windows keeps it, and a key whose property is left out then stays.)
    e2e_step "the newer package over it"
    echo staged >"$MSI_DIR/TesmoraOrluRemocon.exe_new"
    echo partial >"$MSI_DIR/language/TesmoraOrluRemoconEng.dll_new.part"
    e2e_expect_equal "exit code" "$(msiexec /i "$(e2e_windows_path "$E2E_DIR/newer.msi")" \
        WEBSERVER=web2.school.example)" 0
    expect_installed
    e2e_wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$OLD" >/dev/null 2>&1 &&
        e2e_fail "the older package is still installed"
    e2e_expect_equal version "$(reg_value "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$NEW" DisplayVersion)" 2.1.1029
    e2e_expect_equal webserver "$(config_value webserver)" web2.school.example
    [ ! -e "$MSI_DIR/TesmoraOrluRemocon.exe_new" ] && [ ! -e "$MSI_DIR/language/TesmoraOrluRemoconEng.dll_new.part" ] ||
        e2e_fail "the staged downloads are still there"
    [ -f "$TASK" ] || e2e_fail "the upgrade lost the scheduled task"
    e2e_log "ok: upgraded, the task kept, the staged downloads gone"
    e2e_step "the older package over the newer one"
    code=$(msiexec /i "$(e2e_windows_path "$MSI")")
    [ "$code" != 0 ] || e2e_fail "the older package installed"
    e2e_log "ok: refused with exit code $code"
    e2e_step "remove"
    e2e_expect_equal "exit code" "$(msiexec /x "$(e2e_windows_path "$E2E_DIR/newer.msi")")" 0
    [ ! -e "$MSI_DIR" ] || e2e_fail "left behind: $(find "$MSI_DIR" | tr '\n' ' ')"
    [ ! -e "$TASK" ] || e2e_fail "the scheduled task is still registered"
    [ ! -e "$MENU" ] || e2e_fail "the menu folder is still there"
    e2e_expect_equal "pad default language" "$(reg_value "$PAD_KEY" language)" ""
    e2e_log "ok: nothing left"
    ;;
signed_release)
    command -v osslsigncode >/dev/null || { e2e_log "osslsigncode is missing"; exit $E2E_SKIP; }
    preset=$(basename "$(dirname "$(realpath "$E2E_BIN")")")
    verify() { osslsigncode verify -CAfile "$E2E_DIR/cert.pem" -in "$1" 2>&1 | grep -q "Signature verification: ok"; }
    e2e_step "a throwaway code-signing certificate, and the release signed with it"
    openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Tesmora Test Signing" \
        -addext "extendedKeyUsage=codeSigning" -keyout "$E2E_DIR/key.pem" -out "$E2E_DIR/cert.pem" 2>/dev/null
    "$E2E_SOURCE/scripts/release" --preset "$preset" --no-build --out "$E2E_DIR/signed" \
        --certificate "$E2E_DIR/cert.pem" --key "$E2E_DIR/key.pem" >/dev/null 2>"$E2E_DIR/release.err" ||
        e2e_fail "the signed release failed: $(cat "$E2E_DIR/release.err")"
    grep -q "signed and verified" "$E2E_DIR/release.err" || e2e_fail "the release did not say it signed"
    (cd "$E2E_DIR/signed" && sha256sum -c --quiet SHA256SUMS) || e2e_fail "the sums do not match"
    mkdir -p "$E2E_DIR/unzipped"
    (cd "$E2E_DIR/unzipped" && unzip -q "$E2E_DIR"/signed/*.zip)
    for file in "$E2E_DIR"/signed/*.exe "$E2E_DIR"/signed/*.msi $(find "$E2E_DIR/unzipped" -name '*.exe' -o -name '*.dll'); do
        verify "$file" || e2e_fail "$(basename "$file") carries no signature that verifies"
    done
    e2e_log "ok: the installer, the package and every program and library verify"
    grep -q "^Signed by CN = Tesmora Test Signing" "$E2E_DIR/signed/RELEASE-NOTES.md" || e2e_fail "the notes do not name the signer"
    e2e_step "the signed installer installs, with a signed uninstaller"
    SETUP=$(ls "$E2E_DIR"/signed/TesmoraOrluRemoconSetup-*.exe)
    e2e_expect_equal "install" "$(install /LANGUAGE=Eng)" 0
    verify "$INSTALL_DIR/TesmoraOrluRemocon.exe" || e2e_fail "the installed remote is not the signed one"
    verify "$INSTALL_DIR/uninstall.exe" || e2e_fail "the uninstaller carries no signature that verifies"
    e2e_log "ok: the installed programs and the uninstaller verify"
    e2e_step "a file changed after signing no longer verifies"
    cp "$E2E_DIR/signed/$(basename "$SETUP")" "$E2E_DIR/changed.exe"
    printf 'x' | dd of="$E2E_DIR/changed.exe" bs=1 seek=4096 conv=notrunc 2>/dev/null
    ! verify "$E2E_DIR/changed.exe" || e2e_fail "a changed installer still verifies"
    e2e_log "ok: refused"
    e2e_step "without a certificate"
    "$E2E_SOURCE/scripts/release" --preset "$preset" --no-build --out "$E2E_DIR/unsigned" >/dev/null 2>"$E2E_DIR/release.err" ||
        e2e_fail "the unsigned release failed: $(cat "$E2E_DIR/release.err")"
    grep -q "UNSIGNED release" "$E2E_DIR/release.err" || e2e_fail "the release did not say it is unsigned"
    grep -q "^UNSIGNED" "$E2E_DIR/unsigned/RELEASE-NOTES.md" || e2e_fail "the notes do not say it is unsigned"
    e2e_log "ok: the unsigned release says so"
    ;;
updater_login)
    # The release the update service offers is what is installed (the updater needs its own entry to
    # go on): nothing to fetch.
    RELEASE=$E2E_DIR/release
    mkdir -p "$RELEASE/files"
    offer() {
        cp "$E2E_BIN/$3" "$RELEASE/files/$2"
        printf 'file:u_remocon,%s,%s,%s,%s,%s,x,%s_new\n' "$2" "$3" '.\' "$(stat -c %s "$E2E_BIN/$3")" "$1" "$3" \
            >>"$RELEASE/filelist.txt"
    }
    offer 2.0.1.1080 updater_remocon_exe TesmoraOrluUpdaterR.exe
    offer 2.0.1.1028 remocon_exe TesmoraOrluRemocon.exe
    e2e_start_classroom --set "update.folder=$RELEASE"
    e2e_expect_equal "install" "$(install /LANGUAGE=Eng /WEBSERVER=127.0.0.1:$E2E_LOOKUP_PORT \
        /UPDATESERVER=127.0.0.1:$E2E_LOOKUP_PORT)" 0
    e2e_step "the updater started as the sign-in task starts it, from another current folder"
    autostart=$(iconv -f UTF-16 -t UTF-8 "$INSTALL_DIR/autostart-task.xml" | grep -o '<Command>.*</Command>')
    record=$(e2e_probe start --dir 'C:\windows' "$INSTALL_WIN\\TesmoraOrluUpdaterR.exe" /autostart)
    updater=$(e2e_field "$record" pid)
    [ -n "$updater" ] || e2e_fail "the updater did not start ($autostart)"
    E2E_STARTED+=("$updater"$'\t'"$INSTALL_WIN\\TesmoraOrluUpdaterR.exe")
    e2e_step "the remote it starts, in English, logs in"
    record=$(e2e_probe wait --class '#32770' --with-id 1036 --timeout 40000) || e2e_fail "the remote did not start"
    E2E_REMOTE_PID=$(e2e_field "$record" pid)
    E2E_STARTED+=("$E2E_REMOTE_PID"$'\t'"TesmoraOrluRemocon.exe")
    e2e_screenshot --hwnd "$(e2e_field "$record" hwnd)" "$E2E_DIR/login.png"
    # English only when the remote found its language library, that is, ran in the installed folder.
    e2e_probe children --hwnd "$(e2e_field "$record" hwnd)" | grep -q "Teacher ID" ||
        e2e_fail "the login dialog is not in English"
    e2e_log "ok: the login dialog is in English"
    e2e_probe set-text --pid "$E2E_REMOTE_PID" --class '#32770' --with-id 1036 --id 1036 demo-teacher >/dev/null
    e2e_probe click --pid "$E2E_REMOTE_PID" --class '#32770' --with-id 1036 --id 1 >/dev/null
    e2e_wait_panel 60 >/dev/null
    e2e_log "ok: the remote logged in"
    ;;
pages)
    # A page changing under a probe call on a busy machine makes the call miss its window now and
    # then: it is tried again before the scenario fails, with a message.
    again() {
        local n
        for n in 1 2 3 4 5; do "$@" && return 0; sleep 0.5; done
        return 1
    }
    shot() {
        again e2e_screenshot --pid "$setup" --class '#32770' --first "$E2E_DIR/$1.png" ||
            e2e_fail "no screenshot of page $1"
        e2e_log "screenshot $1.png"
    }
    # next: the page's Next (or Install, Finish) button, once the page after it shows.
    # Installing and removing take a moment, with the page's Next button disabled until they are done.
    wait_next() {
        local deadline=$((SECONDS + 30))
        until e2e_probe state --pid "$setup" --class '#32770' --first --id 1 | grep -q 'enabled=1'; do
            [ $SECONDS -lt $deadline ] || e2e_fail "the page stayed busy"
            sleep 0.3
        done
        sleep 0.5
    }
    next() {
        again e2e_probe click --pid "$setup" --class '#32770' --first --id 1 >/dev/null ||
            e2e_fail "could not press the page's button"
        sleep 0.8
    }
    # control TEXT: the id of the settings page's control that shows TEXT.
    control() {
        e2e_probe children --pid "$setup" --class '#32770' --first | grep -F -- "$1" | head -n 1 |
            tr '\t' '\n' | sed -n 's/^id=//p'
    }
    for language in Kor Eng; do
        e2e_step "the installer's pages in $language, over an install with an address and strict certificates"
        e2e_expect_equal "earlier install" "$(install /WEBSERVER=web.school.example /STRICTCERTIFICATES=1)" 0
        if [ $language = Eng ]; then
            # The earlier install's remote runs: the installer asks before it ends it.
            e2e_start_program "$INSTALL_DIR" TesmoraOrluRemocon.exe
            remote=$E2E_PID
            e2e_wait_login "$remote" >/dev/null || e2e_fail "the remote did not start"
        fi
        record=$(e2e_probe start "$(e2e_windows_path "$SETUP")" /LANGUAGE=$language "/D=$INSTALL_WIN")
        setup=$(e2e_field "$record" pid)
        E2E_STARTED+=("$setup"$'\t'"$(basename "$SETUP")")
        e2e_probe wait --pid "$setup" --class '#32770' --with-id 1 --timeout 20000 >/dev/null || e2e_fail "no installer window"
        sleep 0.8
        for page in 1-welcome 2-settings 3-folder; do
            shot "installer-$language-$page"
            if [ $page = 2-settings ]; then
                e2e_expect_equal "strict box" "$(e2e_probe state --pid "$setup" --class '#32770' --first \
                    --id "$(control strictcertificates=1)" | tr '\t' '\n' | sed -n 's/^checked=//p')" 1
                # The administrator empties the web server's address and asks for the full panel.
                id=$(control web.school.example)
                [ -n "$id" ] || e2e_fail "the page does not show the earlier web server"
                e2e_probe set-text --pid "$setup" --class '#32770' --first --id "$id" "" >/dev/null
                e2e_probe click --pid "$setup" --class '#32770' --first --id "$(control layout=full)" >/dev/null
                shot "installer-$language-2-settings-changed"
            fi
            next
        done
        if [ $language = Eng ]; then
            question=""
            for _ in $(seq 40); do
                for hwnd in $(e2e_probe find --pid "$setup" --class '#32770' | tr '\t' '\n' | sed -n 's/^hwnd=//p'); do
                    e2e_probe children --hwnd "$hwnd" | grep -q "closes them" && question=$hwnd
                done
                [ -z "$question" ] || break
                sleep 0.5
            done
            [ -n "$question" ] || e2e_fail "no question about the running remote"
            e2e_screenshot --hwnd "$question" "$E2E_DIR/installer-Eng-3b-running.png"
            e2e_log "screenshot installer-Eng-3b-running.png"
            e2e_probe click --hwnd "$question" --id 1 >/dev/null
            e2e_probe wait-exit "$remote" --timeout 20000 >/dev/null || e2e_fail "the remote still runs"
            e2e_log "ok: asked, then ended the running remote"
        fi
        wait_next
        shot "installer-$language-4-finish"
        next
        e2e_probe wait-exit "$setup" --timeout 20000 >/dev/null || e2e_fail "the installer did not end"
        expect_installed
        e2e_expect_equal "webserver emptied" "$(config_value webserver)" ""
        iconv -f UTF-16 -t UTF-8 "$INSTALL_DIR/config.ini" | grep -q '^webserver=' && e2e_fail "config.ini keeps webserver"
        e2e_expect_equal layout "$(config_value layout)" full
        e2e_expect_equal strictcertificates "$(config_value strictcertificates)" 1
        e2e_step "the uninstaller's pages in $language"
        record=$(e2e_probe start "$INSTALL_WIN\\uninstall.exe")
        e2e_probe wait --class '#32770' --with-id 1 --title-part Tesmora --timeout 20000 >/dev/null || e2e_fail "no uninstaller window"
        setup=$(e2e_field "$(e2e_probe wait --class '#32770' --with-id 1 --title-part Tesmora --timeout 20000)" pid)
        E2E_STARTED+=("$setup"$'\t'".exe")
        sleep 0.8
        shot "uninstaller-$language-1-confirm"
        next
        shot "uninstaller-$language-2-settings"
        next
        wait_next
        shot "uninstaller-$language-3-done"
        next
        wait_uninstalled 30 || e2e_fail "the uninstaller did not finish"
    done
    ;;
*)
    e2e_fail "no course $course"
    ;;
esac
