# What the tour sets up around the remote before it starts (sourced by tour.sh after the harness), each
# put back when the tour ends: the desktop the note tool saves to, the stand-in on-screen keyboard, and
# the sound server.

# The note tool saves on the desktop: one of the tour's own. The remote reads the signed-in user's
# Shell Folders (under HKEY_USERS when it finds the user, else the current user's), so both are set;
# Wine writes Shell Folders anew from User Shell Folders whenever a program asks the shell, so that
# one is set too. Without this the pictures would land in the Wine prefix's desktop, which Wine links
# to the Linux user's own.
DEMO_DESKTOP_KEYS=()
DEMO_DESKTOP_OLD=()
demo_point_desktop() {
    local explorer='Software\Microsoft\Windows\CurrentVersion\Explorer' user key
    for user in HKCU $(e2e_wine reg query HKU 2>/dev/null | tr -d '\r' | grep -o 'S-1-5-21-[0-9-]*$' | sort -u); do
        [ "$user" = HKCU ] || user="HKU\\$user"
        DEMO_DESKTOP_KEYS+=("$user\\$explorer\\User Shell Folders" "$user\\$explorer\\Shell Folders")
    done
    for key in "${DEMO_DESKTOP_KEYS[@]}"; do
        # "TYPE VALUE" of the value there before, empty when there was none.
        DEMO_DESKTOP_OLD+=("$(e2e_wine reg query "$key" /v Desktop 2>/dev/null | tr -d '\r' |
            sed -n 's/^ *Desktop *\(REG_[A-Z_]*\) *\(.*\)$/\1 \2/p')")
    done
    mkdir -p "$1"
    for key in "${DEMO_DESKTOP_KEYS[@]}"; do
        e2e_wine reg add "$key" /v Desktop /t REG_SZ /d "$(e2e_windows_path "$1")" /f >/dev/null 2>&1 ||
            e2e_fail "could not point the desktop at the tour's folder ($key)"
    done
}
demo_restore_desktop() {
    local i
    for i in "${!DEMO_DESKTOP_KEYS[@]}"; do
        if [ -n "${DEMO_DESKTOP_OLD[i]:-}" ]; then
            e2e_wine reg add "${DEMO_DESKTOP_KEYS[i]}" /v Desktop /t "${DEMO_DESKTOP_OLD[i]%% *}" \
                /d "${DEMO_DESKTOP_OLD[i]#* }" /f >/dev/null 2>&1 || true
        else
            e2e_wine reg delete "${DEMO_DESKTOP_KEYS[i]}" /v Desktop /f >/dev/null 2>&1 || true
        fi
    done
    DEMO_DESKTOP_KEYS=()
}

# The keyboard button opens the system's on-screen keyboard from Common Files, which Wine lacks: the
# stand-in goes there (only where nothing is) and is taken away again.
DEMO_KEYBOARD=""
DEMO_KEYBOARD_FOLDERS=()
demo_install_keyboard() {
    # Wine finds files whatever their case: an existing "Microsoft Shared" is the folder to use.
    local folder=$WINEPREFIX/drive_c/Program\ Files part found
    for part in "Common Files" "microsoft shared" ink; do
        found=$(find "$folder" -mindepth 1 -maxdepth 1 -type d -iname "$part" 2>/dev/null | head -n 1)
        if [ -z "$found" ]; then
            found=$folder/$part
            mkdir -p "$found"
            DEMO_KEYBOARD_FOLDERS+=("$found")
        fi
        folder=$found
    done
    [ -z "$(find "$folder" -maxdepth 1 -iname TabTip.exe)" ] || return 0
    cp "$E2E_BIN/tesmora-stand-in-keyboard.exe" "$folder/TabTip.exe"
    DEMO_KEYBOARD=$folder/TabTip.exe
}
demo_remove_keyboard() {
    local i
    [ -z "$DEMO_KEYBOARD" ] || rm -f "$DEMO_KEYBOARD"
    for ((i = ${#DEMO_KEYBOARD_FOLDERS[@]} - 1; i >= 0; i--)); do rmdir "${DEMO_KEYBOARD_FOLDERS[i]}" 2>/dev/null || true; done
    DEMO_KEYBOARD=""
}
# A tour cut short may leave the keyboard open (the remote opened it): closed, so that the next
# scenario on this display does not photograph it.
demo_close_keyboard() {
    local window
    window=$(e2e_field "$(e2e_probe find --class TesmoraStandInKeyboard 2>/dev/null)" hwnd)
    [ -z "$window" ] || e2e_probe send --hwnd "$window" WM_CLOSE >/dev/null 2>&1 || true
}

# Sound needs a sound server of the tour's own (a null sink, panel/sound_pulse.sh); the reason when
# there can be none.
demo_sound_missing() {
    local tool
    for tool in pulseaudio pactl paplay; do
        command -v "$tool" >/dev/null || { echo "$tool is not installed (scripts/deps installs it)"; return; }
    done
}
