// NoteControl: the panel's side of the note tool. The note button starts the note thread once and
// afterwards only brings the toolbar back; a display change lets the toolbar re-place itself; the
// start of remote control drops the tool to touch mode (DropToTouchMode); the panel's destruction
// closes the tool and waits for its thread. UI thread only (the panel's).
#pragma once

#include <windows.h>

#include <memory>

#include "note/note_thread_win32.h"

namespace tesmora {

class NoteControl {
public:
    NoteControl() = default;
    NoteControl(const NoteControl&) = delete;
    NoteControl& operator=(const NoteControl&) = delete;
    ~NoteControl() { Close(); }

    // Command 1007.
    void OnNoteButton(HWND panel);
    void OnDisplayChange();
    // Remote control starts: any drawing is closed without the save question (its strokes are
    // discarded), the toolbar goes to touch mode and hides. Does not wait for the note thread.
    void DropToTouchMode();
    // The panel is being destroyed.
    void Close();

    // The toolbar's window while the tool runs (the panel orders itself just below it), else null.
    HWND Toolbar() const { return thread_ ? thread_->Toolbar() : nullptr; }
    // The note tool hides the panel for a snapshot: the panel must stay hidden meanwhile.
    bool HidingPanel() const { return thread_ && thread_->HidingPanel(); }

private:
    std::unique_ptr<NoteThread> thread_;
};

}  // namespace tesmora
