// The note toolbar's decisions, free of windows: whether a mode command runs at all, whether it must
// first ask to save a modified drawing, what each answer to that question leads to, and the name of
// a saved picture. Pure functions: any thread (the note thread uses them).
#pragma once

#include <span>
#include <string>

namespace tesmora {

enum class NoteMode { Touch = 0, Writing = 1, Whiteboard = 2 };
// The commands that change the mode; Close is Enter or the close button (touch mode, then hidden).
enum class NoteModeCommand { Touch, Writing, Whiteboard, Close };

struct NoteSwitchPlan {
    bool run = false;  // false: the command does nothing at all
    bool ask = false;  // ask whether to save the modified drawing first
    bool operator==(const NoteSwitchPlan&) const = default;
};

// Nothing runs while a custom message box is open anywhere, nor a drawing mode that is already the
// current one; the question comes only for an overlay with unsaved pen strokes.
NoteSwitchPlan PlanModeSwitch(NoteMode mode, NoteModeCommand command, bool messageBoxOpen, bool overlayExists,
                              bool overlayModified);

// What follows the answer to the save question (the message box's codes: 2 Cancel, 6 Yes, 7 No;
// -1 when another box was open, 1 for Enter).
enum class NoteAnswerStep {
    Stay,            // Cancel: mode and drawing stay as they were
    SaveThenSwitch,  // Yes: save, and leave the mode only if the picture was written
    Switch,          // No or anything else: leave the mode, the drawing is discarded
};
NoteAnswerStep StepAfterSaveQuestion(int answer);

// The file name of a picture saved at a local time: "YYYYMMDD_hhmmss.jpg", 19 characters.
std::wstring NotePictureName(int year, int month, int day, int hour, int minute, int second);

}  // namespace tesmora

namespace tesmora {

// A display's rectangle in screen pixels.
struct NoteDisplay {
    int left, top, right, bottom;
    bool operator==(const NoteDisplay&) const = default;
};
// The display the overlay covers: the first in device order whose left edge is 0, else the primary
// screen (0, 0)-(screenWidth, screenHeight).
NoteDisplay ChooseOverlayDisplay(std::span<const NoteDisplay> displays, int screenWidth, int screenHeight);

}  // namespace tesmora
