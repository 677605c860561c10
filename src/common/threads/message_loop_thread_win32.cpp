// The message-loop thread (see message_loop_thread_win32.h).
#include "common/threads/message_loop_thread_win32.h"

#include "common/threads/join_serving_win32.h"
#include "common/ui/window_win32.h"

namespace tesmora {

namespace {

constexpr DWORD kPollMilliseconds = 5;
constexpr DWORD kGoPollMilliseconds = 10;

}  // namespace

bool MessageLoopThread::Start() {
    if (worker_.Running()) return false;
    settled_.store(false);
    ready_.store(false);
    go_.store(false);
    window_.store(nullptr);
    threadId_.store(0);
    return worker_.Start([this](std::stop_token) { Body(); });
}

void MessageLoopThread::Body() {
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists from here
    threadId_.store(::GetCurrentThreadId());
    Run();
    window_.store(nullptr);
    settled_.store(true);
}

void MessageLoopThread::MarkReady(HWND window) {
    window_.store(window);
    ready_.store(true);
    settled_.store(true);
}

void MessageLoopThread::WaitForGo() const {
    while (!go_.load()) ::Sleep(kGoPollMilliseconds);
}

void MessageLoopThread::RunLoop() {
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr) {
            OnThreadMessage(message);
            continue;
        }
        if (Window::PreTranslateChain(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    window_.store(nullptr);
}

bool MessageLoopThread::PostToThread(UINT message, WPARAM wParam, LPARAM lParam) {
    const DWORD id = threadId_.load();
    return id != 0 && !worker_.Finished() && ::PostThreadMessageW(id, message, wParam, lParam);
}

void MessageLoopThread::RequestClose() {
    if (!worker_.Running()) return;
    while (!settled_.load() && !worker_.Finished()) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMilliseconds, QS_SENDMESSAGE);
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // sent messages only
    }
    // Posted, not sent: the window closes from its own loop, never inside a call of ours.
    if (HWND window = window_.load()) ::PostMessageW(window, WM_CLOSE, 0, 0);
}

void MessageLoopThread::JoinServing() {
    JoinServingSentMessages(worker_);
}

void MessageLoopThread::CloseAndJoin() {
    if (worker_.Running() && !worker_.Finished()) {
        RequestClose();
        Go();
    }
    JoinServing();
}

}  // namespace tesmora
