// CWaitMsgDlg: the small modeless notice shown during a short wait (for example "저장되었습니다." after
// a note picture was saved): one centred line of text in an etched frame, scaled by the UI scale
// factor. The caller creates it, sets the text, centres and shows it, and destroys it after the wait.
// UI thread only (the caller's).
#pragma once

#include <string>

#include "common/ui/dialog_win32.h"
#include "common/ui/handles_win32.h"

inline constexpr UINT kWaitTemplateId = 391;
inline constexpr int kWaitTextId = 1059;
inline constexpr int kWaitFrameId = 1058;

class CWaitMsgDlg : public CDialog {
public:
    CWaitMsgDlg() : CDialog(kWaitTemplateId) {}

    // Sets the notice, centres the dialog on the screen and shows it (creating it first if needed,
    // with `parent`).
    bool ShowNotice(HWND parent, const std::wstring& text);

protected:
    BOOL OnInitDialog() override;

private:
    UniqueFont font_;
    std::wstring fontFace_;
};
