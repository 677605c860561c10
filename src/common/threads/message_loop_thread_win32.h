// MessageLoopThread: a thread that makes a window and runs the message loop of the windows it makes,
// with one owner, over a Worker. The owner starts it, may wait until its window exists, asks that
// window to close (which ends the loop) and joins the thread while serving the messages the thread
// sends meanwhile. The thread runs the derived class's Run; a derived destructor therefore calls
// CloseAndJoin first, so that the thread has ended before the members it reads go.
// Start, Go, RequestClose, JoinServing, CloseAndJoin: owner's thread. Settled, Ready, Window,
// Running, Ended, PostToThread: any thread. The protected helpers: the loop's own thread.
#pragma once

#include <windows.h>

#include <atomic>

#include "common/threads/worker.h"

namespace tesmora {

class MessageLoopThread {
public:
    MessageLoopThread(const MessageLoopThread&) = delete;
    MessageLoopThread& operator=(const MessageLoopThread&) = delete;

    // Starts the thread. False while an earlier thread has not been joined, or when the system
    // refuses one.
    bool Start();
    // The loop's window was made, or the thread gave up making it.
    bool Settled() const { return settled_.load(); }
    // The loop's window was made (it may be gone again since).
    bool Ready() const { return ready_.load(); }
    // The loop's window while the loop runs, else null.
    HWND Window() const { return window_.load(); }
    // Started and not joined yet.
    bool Running() const { return worker_.Running(); }
    // The thread has returned: JoinServing will not block.
    bool Ended() const { return worker_.Finished(); }

    // Lets a thread that waits for its go (WaitForGo) enter its message loop.
    void Go() { go_.store(true); }
    bool PostToThread(UINT message, WPARAM wParam, LPARAM lParam);
    // Asks the loop's window to close, which ends the loop. Waits first, serving sent messages, until
    // the window exists or the thread gave up; nothing once the window is gone.
    void RequestClose();
    // Waits for the thread to end while serving the messages other threads send to this one.
    void JoinServing();
    // A running thread is asked to close and let go, then joined serving sent messages.
    void CloseAndJoin();

protected:
    MessageLoopThread() = default;
    ~MessageLoopThread() { CloseAndJoin(); }

    // The thread's work: make the windows, MarkReady, RunLoop, then destroy them. Returning without
    // MarkReady means the thread gave up.
    virtual void Run() = 0;
    // A message posted to the thread itself (no window); true when it was taken. Others are dropped.
    virtual bool OnThreadMessage(const MSG&) { return false; }

    // The loop's window exists: the owner's waits end and RequestClose closes it.
    void MarkReady(HWND window);
    // Waits until the owner says go (the owner links the threads' windows first).
    void WaitForGo() const;
    // Dispatches the thread's messages, after the windows' own look at them, until the quit message.
    void RunLoop();

private:
    void Body();

    std::atomic<bool> settled_{false};
    std::atomic<bool> ready_{false};
    std::atomic<bool> go_{false};
    std::atomic<HWND> window_{nullptr};
    std::atomic<DWORD> threadId_{0};
    Worker worker_;
};

}  // namespace tesmora
