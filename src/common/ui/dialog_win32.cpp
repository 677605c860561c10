// Modal and modeless dialogs (see dialog_win32.h). UI thread only.
#include "common/ui/dialog_win32.h"

#include "common/ui/resource_module_win32.h"

namespace tesmora {

Dialog::~Dialog() {
    if (HWND window = Handle(); window && ::IsWindow(window)) ::DestroyWindow(window);
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM /*wParam*/, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;  // after this the object's own procedure comes first
    auto* self = reinterpret_cast<Dialog*>(lParam);
    if (!self->SubclassWindow(window)) return TRUE;
    return self->OnInitDialog();
}

bool Dialog::Create(HWND parent) {
    if (Handle()) return false;
    ended_ = false;
    HWND window = ::CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(templateId_), parent, DialogProc,
                                       reinterpret_cast<LPARAM>(this));
    return window != nullptr;
}

INT_PTR Dialog::DoModal(HWND owner) {
    if (Handle()) return -1;
    ended_ = false;
    result_ = -1;
    bool reenable = owner && ::IsWindowEnabled(owner);
    if (reenable) ::EnableWindow(owner, FALSE);

    HWND window = ::CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(templateId_), owner, DialogProc,
                                       reinterpret_cast<LPARAM>(this));
    if (window) {
        if (!ended_ && !::IsWindowVisible(window)) ::ShowWindow(window, SW_SHOWNORMAL);
        MSG message;
        while (!ended_ && ::IsWindow(window)) {
            BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
            if (got == 0) {
                ::PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            if (got == -1) break;
            if (!Window::PreTranslateChain(message)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        }
    }
    if (reenable) {
        ::EnableWindow(owner, TRUE);
        // Give the activation back to the owner before the dialog goes, so it does not go elsewhere.
        if (window && ::GetActiveWindow() == window) ::SetActiveWindow(owner);
    }
    if (window && ::IsWindow(window)) ::DestroyWindow(window);
    return result_;
}

void Dialog::EndDialog(INT_PTR result) {
    result_ = result;
    ended_ = true;
    if (Handle()) ::ShowWindow(Handle(), SW_HIDE);
}

void Dialog::DestroyDialog() {
    if (HWND window = Handle(); window && ::IsWindow(window)) ::DestroyWindow(window);
}

bool Dialog::PreTranslateMessage(MSG& message) {
    if (!Handle() || message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
    return ::IsDialogMessageW(Handle(), &message) != FALSE;
}

bool Dialog::OnUnhandledCommand(UINT id, UINT code) {
    if (code > 1) return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void Dialog::CenterOnScreen() {
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT rect{};
    ::GetWindowRect(Handle(), &rect);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    int x = work.left + (work.right - work.left - width) / 2;
    int y = work.top + (work.bottom - work.top - height) / 2;
    ::SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tesmora
