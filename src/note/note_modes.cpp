// The note toolbar's decisions (see note_modes.h). Any thread.
#include "note/note_modes.h"

#include <cwchar>

namespace tesmora {

namespace {

constexpr int kAnswerCancel = 2;
constexpr int kAnswerYes = 6;

}  // namespace

NoteSwitchPlan PlanModeSwitch(NoteMode mode, NoteModeCommand command, bool messageBoxOpen, bool overlayExists,
                              bool overlayModified) {
    if (messageBoxOpen) return {};
    if (command == NoteModeCommand::Writing && mode == NoteMode::Writing) return {};
    if (command == NoteModeCommand::Whiteboard && mode == NoteMode::Whiteboard) return {};
    return {true, overlayExists && overlayModified};
}

NoteAnswerStep StepAfterSaveQuestion(int answer) {
    if (answer == kAnswerCancel) return NoteAnswerStep::Stay;
    if (answer == kAnswerYes) return NoteAnswerStep::SaveThenSwitch;
    return NoteAnswerStep::Switch;
}

std::wstring NotePictureName(int year, int month, int day, int hour, int minute, int second) {
    wchar_t name[64] = {};
    std::swprintf(name, 64, L"%04d%02d%02d_%02d%02d%02d.jpg", year, month, day, hour, minute, second);
    return name;
}

}  // namespace tesmora

namespace tesmora {

NoteDisplay ChooseOverlayDisplay(std::span<const NoteDisplay> displays, int screenWidth, int screenHeight) {
    for (const NoteDisplay& display : displays) {
        if (display.left == 0) return display;
    }
    return {0, 0, screenWidth, screenHeight};
}

}  // namespace tesmora
