// MessageBoxDialog and ShowCustomMessage: the remote's own modal message box (never the system's),
// drawn in the product's colours and scaled by the UI scale factor, with the answer buttons of its
// type; and the process-wide guard that allows one box at a time. ShowCustomMessage: any thread (the
// panel's and the note thread); a MessageBoxDialog object belongs to the thread that runs it.
#pragma once

#include <windows.h>

#include <string>

#include "common/ui/dialog_win32.h"
#include "common/widgets/widget_resource.h"
#include "common/ui/handles_win32.h"
#include "common/widgets/image_button_win32.h"
#include "common/widgets/message_box_layout.h"

namespace tesmora {

inline constexpr UINT kMsgBoxTemplateId = IDD_CUSTOM_MSG;
inline constexpr UINT kMsgBoxTimerId = 2;
inline constexpr UINT kFontFaceStringId = 2607;
inline constexpr wchar_t kDefaultMessageCaption[] = L"Tesmora Orlu Remocon";

// Shows `text` in a custom message box of `type` (0 OK; 3 Yes, No, Cancel; 4 Yes, No; others no answer
// buttons) and answers the platform's code of what ended it (1 OK or Enter, 2 Cancel, Esc or the close
// button, 6 Yes, 7 No). While another box is open anywhere in the process it shows nothing and answers
// -1 at once; a box that cannot be made answers 2. Null or empty caption: "Tesmora Orlu Remocon".
// The box is modal to `owner` (the panel, the login dialog): the owner takes no input until it is
// answered. Any thread.
int ShowCustomMessage(const wchar_t* text, const wchar_t* caption = nullptr, int type = kMsgBoxTypeOk,
                      HWND owner = nullptr);
// True while a custom message box is open (commands that must not run meanwhile test this). Any thread.
bool IsCustomMessageOpen();

class MessageBoxDialog : public Dialog {
public:
    MessageBoxDialog(std::wstring text, std::wstring caption, int type);
    ~MessageBoxDialog() override;

    const MessageBoxLayout& Layout() const { return layout_; }
    bool PreTranslateMessage(MSG& message) override;

protected:
    BOOL OnInitDialog() override;
    std::span<const MessageEntry> MessageTable() const override;
    bool OnUnhandledCommand(UINT id, UINT code) override;

private:
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnEraseBackground(WPARAM, LPARAM);
    LRESULT OnNcHitTest(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnCtlColorStatic(WPARAM, LPARAM);
    void MakeDrawingTools();

    std::wstring text_;
    std::wstring caption_;
    int type_;
    MessageBoxLayout layout_;
    ImageButton ok_, yes_, no_, cancel_;
    UniqueMemoryDc canvasDc_;
    UniqueBitmap canvasBitmap_;
    HGDIOBJ canvasPrevious_ = nullptr;
    UniqueBitmap icon_;
    UniquePen outlinePen_, titlePen_, panelPen_;
    UniqueBrush whiteBrush_, titleBrush_, panelBrush_;
    UniqueFont titleFont_, bodyFont_;
    std::wstring fontFace_;
    ImageButton close_;
};

}  // namespace tesmora
