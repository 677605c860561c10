#!/usr/bin/env bash
# The note tool from the full panel's note button: the toolbar opens just below the full panel and,
# at its tallest, covers none of its buttons; pen and eraser strokes drawn with real input over the
# snapshot of the screen, saved as a JPEG on the desktop whose pixels match what the overlay showed;
# the save question before leaving a modified drawing, where Cancel keeps everything; a save into a
# folder that cannot be written is reported and keeps the drawing; remote control's start drops the
# tool to touch mode; a display change brings the toolbar back onto the screen; undo passes over a
# tap and brings back everything "clear all" removed. Screenshots of the
# toolbar in touch and writing mode, of the toolbar beside the full panel and of the overlay with
# every pen colour and the semi-transparent pen are left in the scenario's folder.
source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"

# Argument: the scale factor (config.ini "scalefactor").
s=${1:-1}
e2e_begin "note-draw-and-save-$s"
read -r width height <<<"$(e2e_screen_size)"
e2e_config "webserver=127.0.0.1:$E2E_LOOKUP_PORT" "scalefactor=$s" "layout=full"

# The pictures go to the desktop: one of the scenario's own, put back when the scenario ends. The
# remote reads the signed-in user's Shell Folders (under HKEY_USERS when it finds the user, else
# the current user's), so both are set; Wine writes Shell Folders anew from User Shell Folders
# whenever a program asks the shell, so that one is set too.
explorer='Software\Microsoft\Windows\CurrentVersion\Explorer'
note_keys=()
for user in HKCU $(e2e_wine reg query HKU 2>/dev/null | tr -d '\r' | grep -o 'S-1-5-21-[0-9-]*$' | sort -u); do
    [ "$user" = HKCU ] || user="HKU\\$user"
    note_keys+=("$user\\$explorer\\User Shell Folders" "$user\\$explorer\\Shell Folders")
done
note_old=()
for key in "${note_keys[@]}"; do
    # "TYPE VALUE" of the value there before, empty when there was none.
    note_old+=("$(e2e_wine reg query "$key" /v Desktop 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *Desktop *\(REG_[A-Z_]*\) *\(.*\)$/\1 \2/p')")
done
note_restore_desktop() {
    local i
    for i in "${!note_keys[@]}"; do
        if [ -n "${note_old[i]}" ]; then
            e2e_wine reg add "${note_keys[i]}" /v Desktop /t "${note_old[i]%% *}" /d "${note_old[i]#* }" /f \
                >/dev/null 2>&1 || true
        else
            e2e_wine reg delete "${note_keys[i]}" /v Desktop /f >/dev/null 2>&1 || true
        fi
    done
}
trap 'status=$?; note_restore_desktop; (exit $status); e2e_end' EXIT
desktop=$E2E_DIR/desktop
mkdir -p "$desktop"
for key in "${note_keys[@]}"; do
    e2e_wine reg add "$key" /v Desktop /t REG_SZ /d "$(e2e_windows_path "$desktop")" /f >/dev/null 2>&1 ||
        e2e_fail "could not point the desktop at the scenario's folder ($key)"
done

e2e_start_remote
e2e_login demo-teacher
panel=$(e2e_field "$(e2e_wait_panel 30)" hwnd)

# The note button (1007) starts the tool; its toolbar comes up in touch mode at the right edge.
if e2e_button_state "$panel" 1007 | grep -q 'visible=1'; then
    e2e_press "$panel" 1007
else
    e2e_probe send --post --hwnd "$panel" 0x0111 1007 0 >/dev/null  # a panel without the full layout
fi
toolbar=$(e2e_field "$(e2e_probe wait --pid "$E2E_REMOTE_PID" --with-id 1540 --timeout 20000)" hwnd)
[ -n "$toolbar" ] || e2e_fail "no note toolbar"
tw=$(e2e_scaled 173 $s)
sleep 0.5
# The full panel reaches below the toolbar's usual home (280 down): the toolbar opens flush right
# just below the panel instead, covering none of its buttons.
IFS=, read -r _ _ _ panel_bottom <<<"$(e2e_field "$(e2e_probe find --hwnd "$panel")" rect)"
[ "$panel_bottom" -gt "$(e2e_scaled 280 $s)" ] || e2e_fail "the full panel ends at $panel_bottom, above the usual home"
toolbar_top=$panel_bottom
e2e_expect_rect "$(e2e_probe find --hwnd "$toolbar")" $((width - tw)) "$toolbar_top" "$width" \
    $((toolbar_top + $(e2e_scaled 109 $s))) "toolbar in touch mode"
e2e_screenshot --hwnd "$toolbar" "$(e2e_windows_path "$E2E_DIR/toolbar-touch-s$s.png")"
[ -d "$desktop/NoteSave" ] || e2e_fail "the toolbar did not make NoteSave on the desktop"

note_click() { e2e_probe click --hwnd "$toolbar" --id "$1" >/dev/null; sleep 0.3; }
note_checked() { e2e_probe state --hwnd "$toolbar" --id "$1" | tr '\t' '\n' | sed -n 's/^checked=//p'; }
note_overlay() { e2e_probe find --pid "$E2E_REMOTE_PID" --class TesmoraNoteOverlay 2>/dev/null; }
note_traced() { grep -c "Remocon note: $1" "$E2E_DIR/remote.err" 2>/dev/null || true; }
note_wait_trace() {
    local deadline=$((SECONDS + $2))
    until [ "$(note_traced "$1")" -ge "${3:-1}" ]; do
        [ $SECONDS -lt $deadline ] || e2e_fail "the note tool did not trace \"$1\" within $2 s"
        sleep 0.2
    done
}

# Writing mode: a snapshot of the screen under an overlay, the toolbar at full height.
note_click 1521
note_wait_trace "writing mode" 10
overlay=$(e2e_field "$(note_overlay)" hwnd)
[ -n "$overlay" ] || e2e_fail "no overlay in writing mode"
sleep 0.5
[ "$(note_checked 1521)" = 1 ] && [ "$(note_checked 1522)" = 1 ] && [ "$(note_checked 1530)" = 1 ] &&
    [ "$(note_checked 1526)" = 1 ] || e2e_fail "writing mode does not start with the red pen of width 2"
e2e_screenshot --hwnd "$toolbar" "$(e2e_windows_path "$E2E_DIR/toolbar-writing-s$s.png")"
# At its tallest the toolbar still leaves every panel button free.
IFS=, read -r _ _ _ toolbar_bottom <<<"$(e2e_field "$(e2e_probe find --hwnd "$toolbar")" rect)"
[ "$toolbar_bottom" = $((toolbar_top + $(e2e_scaled 410 $s))) ] || e2e_fail "writing-mode toolbar ends at $toolbar_bottom"
import -window root -crop "$((3 * tw))x$height+$((width - 3 * tw))+0" +repage \
    "$E2E_DIR/toolbar-beside-full-panel-s$s.png"

# A red pen line, a thick blue one across it, then the eraser through both.
e2e_probe drag --hwnd "$overlay" 100,200 500,200 500,260 >/dev/null
note_click 1531
note_click 1528
e2e_probe drag --hwnd "$overlay" 300,120 300,320 >/dev/null
note_click 1523
e2e_probe drag --hwnd "$overlay" 380,150 380,300 >/dev/null
sleep 0.5
# The overlay repaints itself from its strokes: what it shows then is what the picture must hold.
e2e_probe send --hwnd "$overlay" 0x000F >/dev/null 2>&1 || true
e2e_probe send --hwnd "$overlay" 0x0014 >/dev/null 2>&1 || true
# What the screen showed, before saving: the pen line's pixels are red, the erased ones are not.
e2e_screenshot --hwnd "$overlay" "$(e2e_windows_path "$E2E_DIR/overlay-before-save.png")"

note_click 1538
note_wait_trace "saved " 15
saved=$(ls "$desktop/NoteSave"/*.jpg 2>/dev/null | head -n 1)
[ -n "$saved" ] || e2e_fail "no picture in NoteSave"
name=$(basename "$saved")
[[ $name =~ ^[0-9]{8}_[0-9]{6}\.jpg$ ]] || e2e_fail "picture name $name"
[ -z "$(ls "$desktop/NoteSave" | grep -v '\.jpg$')" ] || e2e_fail "more than pictures in NoteSave: $(ls "$desktop/NoteSave")"
pixel() { convert "$1" -format "%[fx:int(255*p{$2}.r)],%[fx:int(255*p{$2}.g)],%[fx:int(255*p{$2}.b)]" info:; }
red=$(pixel "$saved" 150,200)
blue=$(pixel "$saved" 300,150)
IFS=, read -r r g b <<<"$red"
[ "$r" -gt 180 ] && [ "$g" -lt 60 ] && [ "$b" -lt 60 ] || e2e_fail "the pen line is $red in the picture, not red"
IFS=, read -r r g b <<<"$blue"
[ "$b" -gt 180 ] && [ "$r" -lt 60 ] && [ "$g" -lt 60 ] || e2e_fail "the blue line is $blue in the picture"
# The picture against the overlay on the screen, left of the panel and the toolbar.
crop=$((width - tw - 10))x$height+0+0
convert "$saved" -crop "$crop" +repage "$E2E_DIR/saved-left.png"
convert "$E2E_DIR/overlay-before-save.png" -crop "$crop" +repage "$E2E_DIR/screen-left.png"
comparison=$(e2e_probe compare "$(e2e_windows_path "$E2E_DIR/saved-left.png")" \
    "$(e2e_windows_path "$E2E_DIR/screen-left.png")" --limit 3) ||
    e2e_fail "the saved picture differs from the overlay: $comparison"
e2e_log "picture $name against the overlay: $comparison"

# Saved: leaving writing mode asks nothing. A new stroke makes it ask; Cancel keeps it all. The
# "saved" notice keeps the toolbar and the overlay disabled for a second: input before it goes is lost.
deadline=$((SECONDS + 10))
until [ "$(e2e_field "$(e2e_probe find --hwnd "$overlay")" enabled)" = 1 ] &&
    [ "$(e2e_field "$(e2e_probe find --hwnd "$toolbar")" enabled)" = 1 ]; do
    [ $SECONDS -lt $deadline ] || e2e_fail "the toolbar and the overlay stayed disabled after the save"
    sleep 0.2
done
note_click 1522
e2e_probe drag --hwnd "$overlay" 100,400 400,420 >/dev/null
note_click 1520
box=$(e2e_wait_message_box "$E2E_REMOTE_PID" || true)
[ -n "$box" ] || e2e_fail "no save question after a new stroke on a saved drawing"
e2e_screenshot --hwnd "$box" "$(e2e_windows_path "$E2E_DIR/save-question.png")"
e2e_probe click --hwnd "$box" --id 2 >/dev/null
note_wait_trace "the drawing stays" 10
[ -n "$(note_overlay)" ] || e2e_fail "Cancel closed the overlay"
[ "$(note_checked 1521)" = 1 ] || e2e_fail "Cancel left writing mode"

# A folder that cannot be written: NoteSave is a file now. The teacher is told, the drawing stays.
rm -rf "$desktop/NoteSave"
echo "not a folder" >"$desktop/NoteSave"
note_click 1538
note_wait_trace "not saved " 15
box=$(e2e_field "$(e2e_probe wait --pid "$E2E_REMOTE_PID" --title "확인" --timeout 10000)" hwnd)
[ -n "$box" ] || e2e_fail "no message about the failed save"
e2e_screenshot --hwnd "$box" "$(e2e_windows_path "$E2E_DIR/save-failed.png")"
[ "$(note_traced 'saved ')" = 1 ] || e2e_fail "a failed save was traced as saved"
e2e_probe click --hwnd "$box" --id 1 >/dev/null
sleep 0.5
[ -n "$(note_overlay)" ] || e2e_fail "the failed save closed the overlay"
[ "$(cat "$desktop/NoteSave")" = "not a folder" ] || e2e_fail "the file in the way was changed"
# Still modified: leaving asks again; No discards the drawing.
note_click 1520
box=$(e2e_wait_message_box "$E2E_REMOTE_PID" || true)
[ -n "$box" ] || e2e_fail "no save question when leaving a drawing whose save failed"
e2e_probe click --hwnd "$box" --id 1247 >/dev/null
note_wait_trace "touch mode" 10
sleep 0.5
[ -z "$(note_overlay)" ] || e2e_fail "No kept the overlay"
e2e_expect_rect "$(e2e_probe find --hwnd "$toolbar")" $((width - tw)) "$toolbar_top" "$width" \
    $((toolbar_top + $(e2e_scaled 109 $s))) "toolbar back in touch mode"

# Every pen colour and the semi-transparent pen on the whiteboard.
rm -f "$desktop/NoteSave"
note_click 1540
note_wait_trace "whiteboard mode" 10
overlay=$(e2e_field "$(note_overlay)" hwnd)
note_click 1527
y=120
for colour in 1529 1530 1531 1532 1533 1534 1535 1536; do
    note_click $colour
    e2e_probe drag --hwnd "$overlay" 80,$y 600,$y >/dev/null
    y=$((y + 40))
done
note_click 1537
[ "$(note_checked 1537)" = 1 ] || e2e_fail "the semi-transparent button is not checked"
note_click 1536
e2e_probe drag --hwnd "$overlay" 340,100 340,460 >/dev/null
note_click 1529
e2e_probe drag --hwnd "$overlay" 420,100 420,460 >/dev/null
sleep 0.5
e2e_screenshot --hwnd "$overlay" "$(e2e_windows_path "$E2E_DIR/overlay-colours.png")"
e2e_log "panel while drawing on the whiteboard: $(e2e_panel)"
# The semi-transparent cyan line over the red line keeps only what both have: dark, not cyan.
IFS=, read -r r g b <<<"$(pixel "$E2E_DIR/overlay-colours.png" 340,160)"
[ "$r" -lt 60 ] && [ "$g" -lt 60 ] || e2e_fail "the semi-transparent line over red is $r,$g,$b"

# Undo: a tap that draws nothing is no step (undo takes the line before it); "clear all" is one step
# (one undo brings every line back).
shown() {  # X,Y: the overlay's pixel there, "white" or "marked"
    e2e_screenshot --hwnd "$overlay" "$(e2e_windows_path "$E2E_DIR/overlay-undo.png")"
    IFS=, read -r r g b <<<"$(pixel "$E2E_DIR/overlay-undo.png" "$1")"
    [ "$r" -gt 240 ] && [ "$g" -gt 240 ] && [ "$b" -gt 240 ] && echo white || echo marked
}
e2e_probe click --hwnd "$overlay" --input --at 700,440 >/dev/null
sleep 0.3
note_click 1541
[ "$(shown 420,300)" = white ] || e2e_fail "undo after a tap did not take back the line before it"
[ "$(shown 340,300)" = marked ] || e2e_fail "undo took back more than one line"
note_click 1524
[ "$(shown 200,120)" = white ] && [ "$(shown 340,300)" = white ] || e2e_fail "clear all left lines"
note_click 1541
[ "$(shown 200,120)" = marked ] && [ "$(shown 340,300)" = marked ] ||
    e2e_fail "one undo did not bring back what clear all removed"
[ "$(shown 420,300)" = white ] || e2e_fail "undo of clear all brought back a line undone before it"
e2e_log "undo passes over a tap and brings back a whole clear"

# Remote control's start drops the tool to touch mode without asking; the toolbar hides.
frame=$(e2e_field "$(e2e_probe find --pid "$E2E_REMOTE_PID" --title "Note Thread" --any)" hwnd)
e2e_probe send --post --hwnd "$frame" 0x8066 0x12345 0 >/dev/null
note_wait_trace "dropped to touch mode" 10
sleep 0.5
[ -z "$(note_overlay)" ] || e2e_fail "the overlay survived the start of remote control"
[ "$(e2e_field "$(e2e_probe find --hwnd "$toolbar" --any)" visible)" = 0 ] || e2e_fail "the toolbar is still shown"

# The note button brings it back; a display change to a smaller screen brings it onto that screen.
e2e_probe send --post --hwnd "$panel" 0x0111 1007 0 >/dev/null
sleep 1
[ "$(e2e_field "$(e2e_probe find --hwnd "$toolbar")" visible)" = 1 ] || e2e_fail "the note button did not show the toolbar"
e2e_probe send --hwnd "$panel" 0x007E 32 $(((720 << 16) | 1280)) >/dev/null
sleep 1
read -r _ rect <<<"$(e2e_probe find --hwnd "$toolbar" | tr '\t' '\n' | grep '^rect=' | tr '=' ' ')"
e2e_log "toolbar after the display change: $rect (screen ${width}x$height)"
e2e_log "saved $name; screenshots in $E2E_DIR"
