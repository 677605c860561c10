// Helpers of the widget tests: running a message box on a thread of its own while the test finds and
// drives its window, and a plain parent window for controls. Test thread only, except as noted.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "common/widgets/message_box_dialog_win32.h"

using namespace tesmora;

// A ShowCustomMessage call on a thread of its own; its answer once it has ended.
class MessageBoxThread {
public:
    MessageBoxThread(std::wstring text, std::wstring caption, int type)
        : thread_([this, text, caption, type] {
              answer_ = ShowCustomMessage(text.c_str(), caption.c_str(), type);
              done_ = true;
          }) {}
    ~MessageBoxThread() {
        if (thread_.joinable()) thread_.join();
    }
    // Waits for this process's box with `caption` to be shown; null after the time-out. Only our own
    // windows count: other tests (in other processes on the same display) show boxes with the same
    // captions at the same time.
    static HWND FindBox(const std::wstring& caption, int milliseconds = 5000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < deadline) {
            if (HWND box = FindOwnDialog(caption)) return box;
            ::Sleep(10);
        }
        return nullptr;
    }
    // A shown dialog of this process with `caption`, or null.
    static HWND FindOwnDialog(const std::wstring& caption) {
        OwnDialogSearch search{&caption, nullptr};
        ::EnumWindows(MatchOwnDialog, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    // Waits for the call to return; its answer, or -100 after the time-out.
    int Answer(int milliseconds = 5000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (!done_ && std::chrono::steady_clock::now() < deadline) ::Sleep(5);
        if (!done_) return -100;
        thread_.join();
        return answer_;
    }

private:
    struct OwnDialogSearch {
        const std::wstring* caption;
        HWND found;
    };
    static BOOL CALLBACK MatchOwnDialog(HWND window, LPARAM context) {
        auto* search = reinterpret_cast<OwnDialogSearch*>(context);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        wchar_t name[16]{}, title[256]{};
        ::GetClassNameW(window, name, 16);
        ::GetWindowTextW(window, title, 256);
        if (pid != ::GetCurrentProcessId() || !::IsWindowVisible(window) || std::wstring(name) != L"#32770" ||
            *search->caption != title) {
            return TRUE;
        }
        search->found = window;
        return FALSE;
    }

    std::atomic<bool> done_{false};
    std::atomic<int> answer_{0};
    std::thread thread_;
};

// A child control's rectangle in its parent's client coordinates.
inline RECT ChildRect(HWND parent, HWND child) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
