// CNoteThread: the note tool's own user-interface thread, owned by the control panel through a
// Worker. The thread makes a hidden frame (its anchor, which the panel posts to) and the toolbar, and
// runs their message loop until the panel closes it; then the toolbar, the overlay and the frame are
// destroyed on the thread that made them. The panel reaches the tool only by posting: show the
// toolbar, drop to touch mode, close. Start, ShowToolbar, DropToTouchMode, Close and the destructor:
// panel thread; Toolbar and HidingPanel: any thread.
#pragma once

#include <windows.h>

#include <atomic>

#include "common/threads/worker.h"

namespace tesmora {

class CNoteThread {
public:
    explicit CNoteThread(HWND panel) : panel_(panel) {}
    CNoteThread(const CNoteThread&) = delete;
    CNoteThread& operator=(const CNoteThread&) = delete;
    ~CNoteThread() { Close(); }

    // Starts the thread; false when the system refuses one.
    bool Start();
    // Asks the toolbar to show itself and re-place itself (after the note button, a display change).
    void ShowToolbar();
    // Asks the tool to close its drawing without the question, go to touch mode and hide.
    void DropToTouchMode();
    // Closes the tool and waits for its thread to end, meanwhile answering the messages the thread
    // sends to the panel (it hides and shows the panel around a snapshot).
    void Close();

    bool Running() const { return worker_.Running(); }
    // The toolbar's window once the thread made it, else null.
    HWND Toolbar() const { return toolbar_.load(); }
    // True while the note tool hides the panel for a snapshot: the panel must not show itself again.
    bool HidingPanel() const { return hidingPanel_.load(); }

private:
    void Run();
    void PostToFrame(UINT message);
    static void SetHidingPanel(void* self, bool hiding);

    HWND panel_;
    std::atomic<HWND> frame_{nullptr};
    std::atomic<HWND> toolbar_{nullptr};
    std::atomic<bool> ready_{false};  // the frame exists, or the thread gave up making it
    std::atomic<bool> hidingPanel_{false};
    Worker worker_;  // last: joined before the values its thread reads go
};

}  // namespace tesmora
