// WaitDialog: the small modeless notice shown during a short wait (for example "저장되었습니다." after
// a note picture was saved): one centred line of text in an etched frame, scaled by the UI scale
// factor. The caller creates it, sets the text, centres and shows it, and destroys it after the wait.
// UI thread only (the caller's).
#pragma once

#include <string>

#include "common/ui/dialog_win32.h"
#include "common/widgets/widget_resource.h"
#include "common/ui/handles_win32.h"

namespace tesmora {

inline constexpr UINT kWaitTemplateId = IDD_WAIT;
inline constexpr int kWaitTextId = IDC_WAIT_TEXT;
inline constexpr int kWaitFrameId = IDC_WAIT_FRAME;

class WaitDialog : public Dialog {
public:
    WaitDialog() : Dialog(kWaitTemplateId) {}

    // Sets the notice, centres the dialog on the screen and shows it (creating it first if needed,
    // with `parent`).
    bool ShowNotice(HWND parent, const std::wstring& text);

protected:
    BOOL OnInitDialog() override;

private:
    UniqueFont font_;
    std::wstring fontFace_;
};

}  // namespace tesmora
