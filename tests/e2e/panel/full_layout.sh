#!/usr/bin/env bash
# The full panel (config.ini layout=full) at a scale factor: every command button in a taller panel,
# none overlapping; the upload hides the remote-control button while it runs and brings it back
# when it stops; the logo keeps the mode's buttons.
#   full_layout.sh SCALE
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

s=$1
e2e_begin "full-layout-$s"
read -r width height <<<"$(e2e_screen_size)"
e2e_config "webserver=127.0.0.1:$E2E_LOOKUP_PORT" "scalefactor=$s" "layout=full"
e2e_start_remote
e2e_login demo-teacher
record=$(e2e_wait_panel 30)
panel=$(e2e_field "$record" hwnd)
w=$(e2e_scaled 65 "$s")
h=$(e2e_scaled 348 "$s")
e2e_expect_rect "$record" $((width - w)) 0 "$width" "$h" "full panel at s=$s"

# expect_shown "IDS SHOWN" "IDS HIDDEN" WHAT
expect_shown() {
    local id controls
    controls=$(e2e_probe children --hwnd "$panel")
    for id in $1; do
        [ "$(e2e_control_field "$controls" "$id" visible)" = 1 ] || e2e_fail "$3: button $id hidden"
    done
    for id in $2; do
        [ "$(e2e_control_field "$controls" "$id" visible)" = 0 ] || e2e_fail "$3: button $id shown"
    done
    e2e_log "ok: $3"
}
expect_shown "1001 1004 1007 1005 1008 1006 1628" "1003 1630" "connected"
sleep 0.5
e2e_screenshot --hwnd "$panel" "$E2E_DIR/full-panel.png"

e2e_press "$panel" 1004
e2e_wait_event '"tag":"\[RC00009\]","payload":"start"' 10
expect_shown "1004 1007 1005 1008 1006" "1001 1003 1630" "uploading"
e2e_screenshot --hwnd "$panel" "$E2E_DIR/full-panel-uploading.png"

# Collapsed while uploading and restored: the uploading mode's buttons, not the usual panel's.
e2e_probe send --hwnd "$panel" 0x0111 1629 0 >/dev/null
sleep 0.3
expect_shown "" "1001 1004 1007 1005 1008 1006 1003 1630" "logo"
e2e_probe send --hwnd "$panel" 0x0111 1629 0 >/dev/null
sleep 0.3
expect_shown "1004 1007 1005 1008 1006" "1001 1003 1630" "restored while uploading"

e2e_press "$panel" 1004
e2e_wait_event '"tag":"\[RC00009\]","payload":"stop"' 10
expect_shown "1001 1004 1007 1005 1008 1006" "1003 1630" "upload stopped"
