// The note toolbar's layout table (see note_toolbar_layout.h).
#include "note/note_toolbar_layout.h"

#include <array>

#include "resource.h"

namespace tesmora {

namespace {

// The bottom row holds three buttons where the options above have three columns: semi-transparent,
// undo and save line up with pen, eraser and clear.
constexpr std::array<NoteButtonPlace, 22> kButtons{{
    {IDC_BTN_CLOSE, false, 39, 34, 132, 0, IDB_NOTE_CLOSE, IDB_NOTE_CLOSE, IDB_NOTE_CLOSE, IDB_NOTE_CLOSE, 0},
    {IDC_NOTE_TOUCH, true, 46, 46, 8, 57, IDB_NOTE_TOUCH, IDB_NOTE_TOUCH_HOVER, IDB_NOTE_TOUCH,
     IDB_NOTE_TOUCH_CHECKED, IDS_TIP_TOUCH_MODE},
    {IDC_NOTE_WRITING, true, 46, 46, 61, 57, IDB_NOTE_WRITING, IDB_NOTE_WRITING_HOVER, IDB_NOTE_WRITING,
     IDB_NOTE_WRITING_CHECKED, IDS_TIP_WRITING_MODE},
    {IDC_NOTE_WHITEBOARD, true, 46, 46, 116, 57, IDB_NOTE_WHITEBOARD, IDB_NOTE_WHITEBOARD_HOVER,
     IDB_NOTE_WHITEBOARD, IDB_NOTE_WHITEBOARD_CHECKED, IDS_TIP_WHITEBOARD_MODE},
    {IDC_NOTE_PEN, true, 39, 38, 11, 122, IDB_NOTE_PEN, IDB_NOTE_PEN_HOVER, IDB_NOTE_PEN,
     IDB_NOTE_PEN_CHECKED, IDS_TIP_PEN},
    {IDC_NOTE_ERASER, true, 39, 38, 66, 122, IDB_NOTE_ERASER, IDB_NOTE_ERASER_HOVER, IDB_NOTE_ERASER,
     IDB_NOTE_ERASER_CHECKED, IDS_TIP_ERASER},
    {IDC_NOTE_CLEAR, true, 39, 38, 120, 122, IDB_NOTE_CLEAR, IDB_NOTE_CLEAR_HOVER, IDB_NOTE_CLEAR,
     IDB_NOTE_CLEAR_CHECKED, IDS_TIP_CLEAR},
    {IDC_NOTE_WIDTH1, true, 77, 30, 8, 170, IDB_NOTE_WIDTH1, IDB_NOTE_WIDTH1_HOVER, IDB_NOTE_WIDTH1,
     IDB_NOTE_WIDTH1_CHECKED, 0},
    {IDC_NOTE_WIDTH2, true, 77, 30, 8, 206, IDB_NOTE_WIDTH2, IDB_NOTE_WIDTH2_HOVER, IDB_NOTE_WIDTH2,
     IDB_NOTE_WIDTH2_CHECKED, 0},
    {IDC_NOTE_WIDTH3, true, 77, 30, 88, 170, IDB_NOTE_WIDTH3, IDB_NOTE_WIDTH3_HOVER, IDB_NOTE_WIDTH3,
     IDB_NOTE_WIDTH3_CHECKED, 0},
    {IDC_NOTE_WIDTH4, true, 77, 30, 88, 206, IDB_NOTE_WIDTH4, IDB_NOTE_WIDTH4_HOVER, IDB_NOTE_WIDTH4,
     IDB_NOTE_WIDTH4_CHECKED, 0},
    {IDC_NOTE_COLOUR1, true, 39, 39, 8, 251, IDB_NOTE_BLACK, IDB_NOTE_BLACK_HOVER, IDB_NOTE_BLACK,
     IDB_NOTE_BLACK_CHECKED, 0},
    {IDC_NOTE_COLOUR2, true, 39, 39, 48, 251, IDB_NOTE_RED, IDB_NOTE_RED_HOVER, IDB_NOTE_RED,
     IDB_NOTE_RED_CHECKED, 0},
    {IDC_NOTE_COLOUR3, true, 39, 39, 89, 251, IDB_NOTE_BLUE, IDB_NOTE_BLUE_HOVER, IDB_NOTE_BLUE,
     IDB_NOTE_BLUE_CHECKED, 0},
    {IDC_NOTE_COLOUR4, true, 39, 39, 129, 251, IDB_NOTE_WHITE, IDB_NOTE_WHITE_HOVER, IDB_NOTE_WHITE,
     IDB_NOTE_WHITE_CHECKED, 0},
    {IDC_NOTE_COLOUR5, true, 39, 39, 8, 302, IDB_NOTE_YELLOW, IDB_NOTE_YELLOW_HOVER, IDB_NOTE_YELLOW,
     IDB_NOTE_YELLOW_CHECKED, 0},
    {IDC_NOTE_COLOUR6, true, 39, 39, 48, 302, IDB_NOTE_PINK, IDB_NOTE_PINK_HOVER, IDB_NOTE_PINK,
     IDB_NOTE_PINK_CHECKED, 0},
    {IDC_NOTE_COLOUR7, true, 39, 39, 89, 302, IDB_NOTE_GREEN, IDB_NOTE_GREEN_HOVER, IDB_NOTE_GREEN,
     IDB_NOTE_GREEN_CHECKED, 0},
    {IDC_NOTE_COLOUR8, true, 39, 39, 129, 302, IDB_NOTE_CYAN, IDB_NOTE_CYAN_HOVER, IDB_NOTE_CYAN,
     IDB_NOTE_CYAN_CHECKED, 0},
    {IDC_NOTE_SEMI, true, 40, 40, 11, 360, IDB_NOTE_SEMI, IDB_NOTE_SEMI_HOVER, IDB_NOTE_SEMI,
     IDB_NOTE_SEMI_CHECKED, IDS_TIP_SEMI},
    {IDC_NOTE_UNDO, false, 40, 40, 66, 360, IDB_NOTE_UNDO, IDB_NOTE_UNDO_HOVER, IDB_NOTE_UNDO,
     IDB_NOTE_UNDO_CHECKED, IDS_TIP_UNDO},
    {IDC_NOTE_SAVE, false, 40, 40, 120, 360, IDB_NOTE_SAVE, IDB_NOTE_SAVE_HOVER, IDB_NOTE_SAVE,
     IDB_NOTE_SAVE_CHECKED, IDS_TIP_SAVE},
}};

constexpr std::array<uint32_t, 8> kColours{0x141414, 0x0000E6, 0xE60000, 0xE6E6E6,
                                           0x00E6E6, 0xCC33E6, 0x00E600, 0xC7B71B};

}  // namespace

std::span<const NoteButtonPlace> NoteToolbarButtons() {
    return kButtons;
}

int NoteColourButton(uint32_t colour) {
    for (size_t i = 0; i < kColours.size(); ++i) {
        if (kColours[i] == colour) return IDC_NOTE_COLOUR1 + static_cast<int>(i);
    }
    return IDC_NOTE_COLOUR1;
}

bool NoteColourOfButton(int id, uint32_t& colour) {
    int index = id - IDC_NOTE_COLOUR1;
    if (index < 0 || index >= static_cast<int>(kColours.size())) return false;
    colour = kColours[static_cast<size_t>(index)];
    return true;
}

int NoteToolbarHeight(NoteMode mode) {
    return mode == NoteMode::Touch ? kNoteToolbarTouchHeight : kNoteToolbarFullHeight;
}

bool NoteToolbarCornerOnScreen(NoteScreenRect window, int screenWidth, int screenHeight) {
    return window.right >= 0 && window.bottom >= 0 && window.right <= screenWidth &&
           window.bottom <= screenHeight;
}

namespace {

bool Overlap(NoteScreenRect a, NoteScreenRect b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

NoteScreenPoint NoteToolbarHome(NoteScreenRect panel, int width, int height, int homeY, int screenWidth,
                                int screenHeight) {
    const NoteScreenPoint home{screenWidth - width, homeY};
    const NoteScreenPoint candidates[] = {
        home, {screenWidth - width, panel.bottom}, {panel.left - width, homeY}};
    for (const NoteScreenPoint& at : candidates) {
        NoteScreenRect toolbar{at.x, at.y, at.x + width, at.y + height};
        if (Overlap(toolbar, panel)) continue;
        // Home is where the toolbar has always opened; the others must lie wholly on the screen.
        if (at == home) return at;
        if (at.x >= 0 && at.y >= 0 && toolbar.right <= screenWidth && toolbar.bottom <= screenHeight)
            return at;
    }
    return home;
}

}  // namespace tesmora
