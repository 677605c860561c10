// A message-only window that records what frame sockets tell their owner, and a message pump with a
// deadline, for the socket tests. Test thread only.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "common/window_messages.h"
#include "transport/frame.h"

using namespace tesmora;

struct SocketEvent {
    unsigned message;
    void* socket;
    intptr_t value;              // connect error
    std::vector<uint8_t> frame;  // for WM_SOCKET_RECEIVE: the delivered block (L bytes)
};

class RecordingOwner {
public:
    RecordingOwner() {
        static const ATOM registered = [] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = Proc;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"TesmoraTestOwner";
            return RegisterClassW(&windowClass);
        }();
        (void)registered;
        window_ = CreateWindowExW(0, L"TesmoraTestOwner", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~RecordingOwner() {
        // Frames still queued belong to us: free them.
        MSG message;
        while (PeekMessageW(&message, window_, WM_SOCKET_RECEIVE, WM_SOCKET_RECEIVE, PM_REMOVE)) {
            FreeFrameBlock(reinterpret_cast<uint8_t*>(message.lParam));
        }
        DestroyWindow(window_);
    }
    RecordingOwner(const RecordingOwner&) = delete;
    RecordingOwner& operator=(const RecordingOwner&) = delete;

    HWND Window() const { return window_; }
    std::vector<SocketEvent> events;

    size_t Count(unsigned message, const void* socket = nullptr) const {
        size_t n = 0;
        for (const auto& e : events) n += e.message == message && (!socket || e.socket == socket);
        return n;
    }
    std::vector<std::vector<uint8_t>> Frames(const void* socket) const {
        std::vector<std::vector<uint8_t>> frames;
        for (const auto& e : events) {
            if (e.message == WM_SOCKET_RECEIVE && e.socket == socket) frames.push_back(e.frame);
        }
        return frames;
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<RecordingOwner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!self || message < WM_SOCKET_CONNECT || message > WM_SOCKET_CLOSE) {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        SocketEvent event{message, reinterpret_cast<void*>(wParam), 0, {}};
        if (message == WM_SOCKET_CONNECT) event.value = lParam;
        if (message == WM_SOCKET_RECEIVE) {
            auto* block = reinterpret_cast<uint8_t*>(lParam);
            uint32_t length = FrameBlockLength(block);
            event.frame.assign(block, block + length);
            FreeFrameBlock(block);
        }
        self->events.push_back(std::move(event));
        return 0;
    }

    HWND window_;
};

// Dispatches this thread's messages until `done` answers true or the time is up.
inline bool PumpUntil(const std::function<bool()>& done, int milliseconds = 5000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
    }
    return true;
}

inline void PumpFor(int milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}
