// The note toolbar's geometry in design pixels: its buttons with their pictures, places and tooltips,
// the pen colours behind the colour buttons, the window's size by mode, and where it sits on the
// screen. Constant data and pure functions: any thread (the note thread uses them).
#pragma once

#include <cstdint>
#include <span>

#include "note/note_modes.h"

namespace tesmora {

inline constexpr int kNoteToolbarWidth = 173;
inline constexpr int kNoteToolbarTouchHeight = 109;  // the title band and the mode row
inline constexpr int kNoteToolbarFullHeight = 410;   // with the drawing options
inline constexpr int kNoteTitleBandHeight = 34;      // the toolbar is dragged by this band
inline constexpr int kNoteOptionsTop = 109, kNoteOptionsBottom = 351;
inline constexpr int kNoteHomeY = 280;
inline constexpr int kNoteTitleX = 6, kNoteTitleY = 12, kNoteTitleWidth = 131, kNoteTitleHeight = 22;
inline constexpr int kNoteFontHeight = 12;

struct NoteButtonPlace {
    int id;
    bool checkBox;
    int width, height;
    int x, y;
    unsigned normal, hover, disabled, checked;  // bitmap ids
    int tooltip;                                // string id, 0 for none
};

// Every button of the toolbar in the order it creates them.
std::span<const NoteButtonPlace> NoteToolbarButtons();

inline constexpr uint32_t kNoteStartColour = 0x0000E6;  // red, every new drawing begins with it
// The colour button of a pen colour; the first one for a colour not on the toolbar.
int NoteColourButton(uint32_t colour);
// The pen colour of a colour button; false for another id.
bool NoteColourOfButton(int id, uint32_t& colour);

// The window's height in design pixels: the mode row only in touch mode.
int NoteToolbarHeight(NoteMode mode);

struct NoteScreenRect {
    int left, top, right, bottom;
};
// True when the toolbar's bottom-right corner lies on the screen; a toolbar flush with the right or
// bottom edge (as it is at home) is on the screen.
bool NoteToolbarCornerOnScreen(NoteScreenRect window, int screenWidth, int screenHeight);

struct NoteScreenPoint {
    int x, y;
    bool operator==(const NoteScreenPoint&) const = default;
};
// Where the toolbar of `width` x `height` (its tallest, with the drawing options, so that a mode
// change cannot grow it over the panel) first shows on a `screenWidth` x `screenHeight` screen
// beside the panel at `panel`: at home (flush with the right edge, `homeY` down) when that covers
// no part of the panel, as beside the usual panel; else flush right just below the panel when it
// fits there (the full panel is tall); else left of the panel at the home height; else at home.
NoteScreenPoint NoteToolbarHome(NoteScreenRect panel, int width, int height, int homeY, int screenWidth,
                                int screenHeight);

}  // namespace tesmora
