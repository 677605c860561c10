// The panel's side of the note tool (see note_control_win32.h). UI thread only.
#include "panel/note_control_win32.h"

namespace tesmora {

void CNoteControl::OnNoteButton(HWND panel) {
    if (thread_) {
        thread_->ShowToolbar();
        return;
    }
    auto thread = std::make_unique<CNoteThread>(panel);
    if (thread->Start()) thread_ = std::move(thread);
}

void CNoteControl::OnDisplayChange() {
    if (thread_) thread_->ShowToolbar();
}

void CNoteControl::DropToTouchMode() {
    if (thread_) thread_->DropToTouchMode();
}

void CNoteControl::Close() {
    if (!thread_) return;
    thread_->Close();
    thread_.reset();
}

}  // namespace tesmora
