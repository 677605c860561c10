// LoginDialog: the first window the teacher sees. A small modal dialog (template 129), drawn by the
// program itself and scaled by the UI scale factor, in which the teacher ID is typed. Connecting
// checks the ID, looks up the relay server for it (relay_lookup.h), keeps the answer in setting.ini
// and the ID in the application profile, and ends with OK; the caller then reads the ID, the relay
// address and port. Cancel, the close button and Esc end it with Cancel. UI thread only.
#pragma once

#include <windows.h>

#include <string>

#include "common/ui/dialog_win32.h"
#include "common/ui/handles_win32.h"
#include "common/widgets/image_button_win32.h"
#include "login/login_layout.h"
#include "login/relay_reply.h"

namespace tesmora {

inline constexpr UINT_PTR kLoginTopmostTimerId = 5121;
inline constexpr UINT kLoginTopmostDelay = 500;

class LoginDialog : public Dialog {
public:
    LoginDialog();
    ~LoginDialog() override;

    // Before DoModal: the ID to offer (the one remembered in the profile); shown selected.
    void SetTeacherId(std::wstring id) { teacherId_ = std::move(id); }
    // After OK: the trimmed ID, and the relay that serves it (possibly the remembered one, or empty).
    const std::wstring& TeacherId() const { return teacherId_; }
    std::wstring RelayAddress() const;
    std::wstring RelayPort() const;
    const LookupAnswer& Answer() const { return answer_; }

    // The folder of config.ini and setting.ini: the program's own unless set (tests use their own).
    void SetSettingsFolder(std::wstring folder) { settingsFolder_ = std::move(folder); }

    const LoginDialogLayout& Layout() const { return layout_; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnUnhandledCommand(UINT id, UINT code) override;
    std::span<const MessageEntry> MessageTable() const override;

    // Tells the teacher why the typed ID cannot be used (string `stringId`) in the custom message box.
    virtual void ShowInputError(UINT stringId);

private:
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnEraseBackground(WPARAM, LPARAM);
    LRESULT OnNcHitTest(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnCtlColorStatic(WPARAM, LPARAM);
    LRESULT OnCtlColorEdit(WPARAM, LPARAM);
    void PlaceControls();
    void SetMessageLine(const std::wstring& text);
    void FocusEdit();

    std::wstring teacherId_;
    LookupAnswer answer_;
    std::wstring settingsFolder_;
    bool checking_ = false;  // a confirmation is running; its message waits must not start another

    GdiplusSession gdiplus_;  // the image buttons and the stretched bitmaps draw with GDI+
    LoginDialogLayout layout_;
    UniqueFont headerFont_, textFont_;
    UniqueBrush whiteBrush_, headerBrush_;
    UniquePen borderPen_, headerPen_;
    UniqueBitmap banner_, inputFrame_, separator_;
    ImageButton connect_, cancel_, close_;
    UniqueMemoryDc canvasDc_;
    UniqueBitmap canvasBitmap_;
    HGDIOBJ canvasPrevious_ = nullptr;
    SIZE canvasSize_{0, 0};
};

}  // namespace tesmora
