// NoteThread: the note tool's own user-interface thread, owned by the control panel as a
// MessageLoopThread. The thread makes a hidden frame (its anchor, which the panel posts to) and the
// toolbar, and runs their message loop until the panel closes the frame; then the toolbar, the overlay
// and the frame are destroyed on the thread that made them. The panel reaches the tool only by
// posting: show the toolbar, drop to touch mode, close. Start, ShowToolbar, DropToTouchMode, Close
// and the destructor: panel thread; Toolbar and HidingPanel: any thread.
#pragma once

#include <windows.h>

#include <atomic>

#include "common/threads/message_loop_thread_win32.h"

namespace tesmora {

class NoteThread : public MessageLoopThread {
public:
    explicit NoteThread(HWND panel) : panel_(panel) {}
    ~NoteThread() { Close(); }

    // Asks the toolbar to show itself and re-place itself (after the note button, a display change).
    void ShowToolbar();
    // Asks the tool to close its drawing without the question, go to touch mode and hide.
    void DropToTouchMode();
    // Closes the tool and waits for its thread to end, meanwhile answering the messages the thread
    // sends to the panel (it hides and shows the panel around a snapshot).
    void Close() { CloseAndJoin(); }

    // The toolbar's window once the thread made it, else null.
    HWND Toolbar() const { return toolbar_.load(); }
    // True while the note tool hides the panel for a snapshot: the panel must not show itself again.
    bool HidingPanel() const { return hidingPanel_.load(); }

private:
    void Run() override;
    void PostToFrame(UINT message);
    static void SetHidingPanel(void* self, bool hiding);

    HWND panel_;
    std::atomic<HWND> toolbar_{nullptr};
    std::atomic<bool> hidingPanel_{false};
};

}  // namespace tesmora
