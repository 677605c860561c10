// CUIThread: a user-interface thread with its own message queue. The creator makes it suspended,
// gives it its parameters, then resumes it; the thread runs InitInstance, then (when that succeeds)
// its message loop until WM_QUIT, then ExitInstance. Thread messages (posted to the thread, not to a
// window) reach PreTranslateThreadMessage. Create, Resume and the object's lifetime belong to the
// creating thread; InitInstance, the loop and ExitInstance run on the new thread.
#pragma once

#include <windows.h>

#include "common/ui/handles_win32.h"

class CUIThread {
public:
    CUIThread() = default;
    CUIThread(const CUIThread&) = delete;
    CUIThread& operator=(const CUIThread&) = delete;
    // The thread must have ended (see WaitForEnd) before its object goes.
    virtual ~CUIThread() = default;

    // Creating thread.
    bool CreateSuspended();
    void Resume();
    // Waits up to `milliseconds` for the thread to end; true when it has.
    bool WaitForEnd(DWORD milliseconds);

    // Any thread.
    DWORD ThreadId() const { return threadId_; }
    HANDLE ThreadHandle() const { return handle_.Get(); }
    bool PostThreadMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // The loop's exit code (the WM_QUIT value, or what ExitInstance answers).
    DWORD ExitCode() const;

protected:
    // The new thread: set-up before the loop; false ends the thread without a loop.
    virtual bool InitInstance() = 0;
    // The new thread: clean-up after the loop (also after a failed InitInstance).
    virtual int ExitInstance(int loopResult) { return loopResult; }
    // The new thread: a message posted to the thread; true when handled.
    virtual bool PreTranslateThreadMessage(MSG& /*message*/) { return false; }

private:
    static unsigned __stdcall ThreadStart(void* self);
    int Run();

    UniqueHandle handle_;
    DWORD threadId_ = 0;
};

// A message loop for the calling thread with the framework's pre-translation; answers the WM_QUIT
// value.
int RunMessageLoop();
