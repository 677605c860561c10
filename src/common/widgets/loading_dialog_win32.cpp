// The loading dialog (see loading_dialog_win32.h). UI thread only.
#include "common/widgets/loading_dialog_win32.h"

#include "common/ui/drawing_win32.h"
#include "common/ui/resource_module_win32.h"
#include "common/ui/scale.h"
#include "common/widgets/message_box_dialog_win32.h"

namespace tesmora {

namespace {

constexpr int kPictureSide = 48;  // the animation's own size, not scaled

}  // namespace

LoadingDialog::~LoadingDialog() {
    DestroyDialog();  // stops the animation before the picture goes
}

BOOL LoadingDialog::OnInitDialog() {
    fontFace_ = LoadResourceString(kFontFaceStringId);
    font_.Reset(CreateUiFont(fontFace_, Scaled(12), FW_NORMAL));
    HWND text = Item(kLoadingTextId);
    ::SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
    ::SetWindowTextW(text, text_.c_str());
    ::SetWindowPos(Handle(), nullptr, 0, 0, Scaled(360), Scaled(95), SWP_NOZORDER | SWP_NOACTIVATE);

    HWND pictureWindow = Item(kLoadingPictureId);
    picture_.SubclassWindow(pictureWindow);
    const void* gif = nullptr;
    DWORD size = 0;
    if (FindResourceBytes(kLoadingGifType, kLoadingGifId, gif, size) &&
        picture_.Load(static_cast<const uint8_t*>(gif), size)) {
        picture_.Draw();  // an animation starts playing; a single picture is drawn once
    }

    RECT window{};
    ::GetWindowRect(Handle(), &window);
    int windowHeight = window.bottom - window.top;
    RECT pictureRect{};
    ::GetWindowRect(pictureWindow, &pictureRect);
    ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&pictureRect), 2);
    int pictureY = (windowHeight - kPictureSide) / 2;
    ::SetWindowPos(pictureWindow, nullptr, pictureRect.left, pictureY, kPictureSide, kPictureSide,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    int lineHeight = Scaled(23);
    ::SetWindowPos(text, nullptr, pictureRect.left + kPictureSide + Scaled(10),
                   (windowHeight - lineHeight) / 2, Scaled(250), lineHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

bool LoadingDialog::ShowProgress(HWND parent, const std::wstring& text) {
    text_ = text;
    if (!Handle() && !Create(parent)) return false;
    ::SetDlgItemTextW(Handle(), kLoadingTextId, text_.c_str());
    CenterOnScreen();
    ::ShowWindow(Handle(), SW_SHOW);
    ::UpdateWindow(Handle());
    return true;
}

void LoadingDialog::HideProgress() {
    if (Handle()) ::ShowWindow(Handle(), SW_HIDE);
}

}  // namespace tesmora
