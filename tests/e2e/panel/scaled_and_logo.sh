#!/usr/bin/env bash
# The panel at scale 1.4 (from config.ini's scalefactor, or from a screen wider than 2000 pixels),
# collapsed into the logo and restored by a quick tap on it.
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

e2e_begin scaled-and-logo
read -r width height <<<"$(e2e_screen_size)"
s=1.4
if [ "$(e2e_screen_factor "$width" "$height")" != 1.4 ]; then
    e2e_config "webserver=127.0.0.1:$E2E_LOOKUP_PORT" "scalefactor=1.4"
fi
e2e_start_remote
e2e_login demo-teacher
record=$(e2e_wait_panel 30)
w=$(e2e_scaled 65 $s)
h=$(e2e_scaled 106 $s)
left=$((width - w))
e2e_expect_rect "$record" $left 0 "$width" "$h" "panel at s=$s"
sleep 0.5
e2e_screenshot "$E2E_DIR/panel.png"

hwnd=$(e2e_field "$record" hwnd)
e2e_probe send --hwnd "$hwnd" 0x0111 1629 0 >/dev/null
logo=$(e2e_scaled 70 $s)
sleep 0.5
e2e_expect_rect "$(e2e_panel)" $left 0 $((left + logo)) "$logo" "logo"
e2e_screenshot "$E2E_DIR/logo.png"
for id in 1004 1628 1629; do
    [ "$(e2e_probe state --hwnd "$hwnd" --id $id | tr '\t' '\n' | sed -n 's/^visible=//p')" = 0 ] ||
        e2e_fail "button $id is visible on the logo"
done

# A quick tap on the logo (real input) restores the panel, pulled inside the screen.
e2e_probe click --input --hwnd "$hwnd" --at $((logo / 2)),$((logo / 2)) >/dev/null
sleep 0.5
e2e_expect_rect "$(e2e_panel)" $left 0 "$width" "$h" "restored panel"
[ "$(e2e_probe state --hwnd "$hwnd" --id 1004 | tr '\t' '\n' | sed -n 's/^visible=//p')" = 1 ] ||
    e2e_fail "the upload button did not come back"
e2e_screenshot "$E2E_DIR/restored.png"
e2e_log "panel ${w}x$h, logo ${logo}x$logo, restored by a tap"
