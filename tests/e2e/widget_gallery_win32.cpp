// A test-only program that shows one of the remote's dialogs, for screenshots and for looking at them:
//   widget_gallery msg <type> <scale> [text]   the custom message box; prints its answer
//   widget_gallery wait <scale>                the wait dialog with "저장되었습니다."
//   widget_gallery loading <scale>             the loading dialog with its animation
// The wait and loading dialogs stay until the window is closed (WM_CLOSE) or 30 s have passed.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "common/ui/handles_win32.h"
#include "common/ui/resource_module_win32.h"
#include "common/ui/scale.h"
#include "common/widgets/message_box_dialog_win32.h"
#include "common/widgets/loading_dialog_win32.h"
#include "common/widgets/wait_dialog_win32.h"
#include "resource.h"

using namespace tesmora;

namespace {

void PumpFor(DWORD milliseconds, HWND window) {
    DWORD start = ::GetTickCount();
    MSG message;
    while (::GetTickCount() - start < milliseconds && ::IsWindow(window) && ::IsWindowVisible(window)) {
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_CLOSE || message.message == WM_QUIT) return;
            if (!Window::PreTranslateChain(message)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fwprintf(stderr,
                      L"usage: widget_gallery msg <type> <scale> [text] | wait <scale> | loading <scale>\n");
        return 2;
    }
    ::CoInitialize(nullptr);
    GdiplusSession gdiplus;
    std::wstring what = argv[1];
    if (what == L"msg" && argc >= 4) {
        SetScaleFactor(static_cast<float>(_wtof(argv[3])));
        std::wstring text = argc >= 5 ? argv[4] : LoadResourceString(IDS_CLOSE_QUESTION);
        int answer =
            ShowCustomMessage(text.c_str(), LoadResourceString(IDS_CLOSE_CAPTION).c_str(), _wtoi(argv[2]));
        std::printf("%d\n", answer);
        return 0;
    }
    SetScaleFactor(static_cast<float>(_wtof(argv[2])));
    if (what == L"wait") {
        WaitDialog wait;
        wait.ShowNotice(nullptr, LoadResourceString(IDS_SAVED));
        ::SetWindowTextW(wait.Handle(), L"Gallery wait");
        PumpFor(30000, wait.Handle());
        return 0;
    }
    if (what == L"loading") {
        LoadingDialog loading;
        loading.ShowProgress(nullptr, LoadResourceString(IDS_CONNECTING_TEACHER));
        ::SetWindowTextW(loading.Handle(), L"Gallery loading");
        PumpFor(30000, loading.Handle());
        return 0;
    }
    return 2;
}
