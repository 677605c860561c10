// PumpWait over PeekMessageW and Sleep.
#include "common/platform/pump_wait_win32.h"

#include <windows.h>

#include "common/platform/clock.h"

namespace tesmora {

namespace {

constexpr DWORD kSleepStep = 5;

// Dispatches one waiting message. False when the message was a quit request, which is put back so
// that the thread's message loop still ends.
bool DispatchOne(bool& handled) {
    MSG msg;
    handled = PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE;
    if (!handled) {
        return true;
    }
    if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

}  // namespace

void PumpWait(unsigned milliseconds, PumpMode mode) {
    const uint64_t start = MonotonicMilliseconds();
    const unsigned steps = milliseconds / kSleepStep;
    unsigned counter = 0;
    for (;;) {
        bool handled = false;
        if (mode == PumpMode::kOneMessagePerStep) {
            if (!DispatchOne(handled)) {
                return;
            }
        } else {
            do {
                if (!DispatchOne(handled)) {
                    return;
                }
            } while (handled);
        }
        Sleep(kSleepStep);
        ++counter;
        if (counter > steps) {
            return;
        }
        if (mode == PumpMode::kOneMessagePerStep && MonotonicMilliseconds() - start > milliseconds) {
            return;
        }
    }
}

}  // namespace tesmora
