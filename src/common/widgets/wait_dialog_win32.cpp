// The wait dialog (see wait_dialog_win32.h). UI thread only.
#include "common/widgets/wait_dialog_win32.h"

#include "common/ui/drawing_win32.h"
#include "common/ui/resource_module_win32.h"
#include "common/ui/scale.h"
#include "common/widgets/message_box_dialog_win32.h"

namespace tesmora {

BOOL WaitDialog::OnInitDialog() {
    fontFace_ = LoadResourceString(kFontFaceStringId);
    font_.Reset(CreateUiFont(fontFace_, Scaled(12), FW_NORMAL));
    HWND text = Item(kWaitTextId);
    ::SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
    int width = Scaled(400);
    int height = Scaled(50);
    ::SetWindowPos(Item(kWaitFrameId), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(Handle(), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT window{};
    ::GetWindowRect(Handle(), &window);
    int lineHeight = Scaled(23);
    ::SetWindowPos(text, nullptr, 0, (window.bottom - window.top - lineHeight) / 2, width, lineHeight,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

bool WaitDialog::ShowNotice(HWND parent, const std::wstring& text) {
    if (!Handle() && !Create(parent)) return false;
    ::SetDlgItemTextW(Handle(), kWaitTextId, text.c_str());
    CenterOnScreen();
    ::ShowWindow(Handle(), SW_SHOW);
    ::UpdateWindow(Handle());
    return true;
}

}  // namespace tesmora
