// User-interface threads and the message loop (see ui_thread_win32.h).
#include "common/ui/ui_thread_win32.h"

#include <process.h>

#include "common/ui/window_win32.h"

bool CUIThread::CreateSuspended() {
    if (handle_) return false;
    unsigned id = 0;
    auto handle = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ThreadStart, this, CREATE_SUSPENDED, &id));
    if (!handle) return false;
    handle_.Reset(handle);
    threadId_ = id;
    return true;
}

void CUIThread::Resume() {
    if (handle_) ::ResumeThread(handle_.Get());
}

bool CUIThread::WaitForEnd(DWORD milliseconds) {
    return !handle_ || ::WaitForSingleObject(handle_.Get(), milliseconds) == WAIT_OBJECT_0;
}

bool CUIThread::PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return threadId_ != 0 && ::PostThreadMessageW(threadId_, message, wParam, lParam) != FALSE;
}

DWORD CUIThread::ExitCode() const {
    DWORD code = 0;
    if (handle_) ::GetExitCodeThread(handle_.Get(), &code);
    return code;
}

unsigned __stdcall CUIThread::ThreadStart(void* self) {
    return static_cast<unsigned>(static_cast<CUIThread*>(self)->Run());
}

int CUIThread::Run() {
    MSG message;
    // Make the queue before anyone posts to it.
    ::PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    int result = 0;
    if (InitInstance()) {
        while (true) {
            BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
            if (got == 0) {
                result = static_cast<int>(message.wParam);
                break;
            }
            if (got == -1) break;
            if (!message.hwnd && PreTranslateThreadMessage(message)) continue;
            if (CWindow::PreTranslateChain(message)) continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return ExitInstance(result);
}

int RunMessageLoop() {
    MSG message;
    while (true) {
        BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got == -1) return -1;
        if (CWindow::PreTranslateChain(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}
