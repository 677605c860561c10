// The panel's side of the note tool (see note_control_win32.h). UI thread only.
#include "panel/note_control_win32.h"

namespace tesmora {

void NoteControl::OnNoteButton(HWND panel) {
    if (thread_) {
        thread_->ShowToolbar();
        return;
    }
    auto thread = std::make_unique<NoteThread>(panel);
    if (thread->Start()) thread_ = std::move(thread);
}

void NoteControl::OnDisplayChange() {
    if (thread_) thread_->ShowToolbar();
}

void NoteControl::DropToTouchMode() {
    if (thread_) thread_->DropToTouchMode();
}

void NoteControl::Close() {
    if (!thread_) return;
    thread_->Close();
    thread_.reset();
}

}  // namespace tesmora
