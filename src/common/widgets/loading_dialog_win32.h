// LoadingDialog: the modeless dialog that shows connection progress while the remote connects to the
// teacher PC: an animated picture (GIF resource 177 of the resource module) and one line of text,
// scaled by the UI scale factor. Created on first use with the panel as parent, re-texted, centred
// and shown on every use, hidden by the connection code, destroyed with the panel; its animation runs
// from initialisation until it is destroyed. UI thread only (the panel's).
#pragma once

#include <string>

#include "common/ui/dialog_win32.h"
#include "common/widgets/widget_resource.h"
#include "common/ui/handles_win32.h"
#include "common/widgets/animated_picture_win32.h"

namespace tesmora {

inline constexpr UINT kLoadingTemplateId = IDD_LOADING;
inline constexpr int kLoadingPictureId = IDC_LOADING_PICTURE;
inline constexpr int kLoadingTextId = IDC_LOADING_TEXT;
inline constexpr UINT kLoadingGifId = 177;
inline constexpr wchar_t kLoadingGifType[] = L"GIF";

class LoadingDialog : public Dialog {
public:
    LoadingDialog() : Dialog(kLoadingTemplateId) {}
    ~LoadingDialog() override;

    // Creates the dialog on the first call (with `parent`), then sets the text, centres the dialog on
    // the screen and shows it.
    bool ShowProgress(HWND parent, const std::wstring& text);
    void HideProgress();

    const std::wstring& Text() const { return text_; }
    AnimatedPicture& Picture() { return picture_; }

protected:
    BOOL OnInitDialog() override;

private:
    std::wstring text_;
    AnimatedPicture picture_;
    UniqueFont font_;
    std::wstring fontFace_;
};

}  // namespace tesmora
