// Dialog: a dialog made from a template of the resource module, run modally (DoModal, with our own
// loop, so that the controls' key filters and tooltip relays see every message) or modelessly
// (Create; the thread's message loop must call Window::PreTranslateChain, which lets the dialog's
// keyboard navigation run). UI thread only: the thread that creates it.
#pragma once

#include "common/ui/window_win32.h"

namespace tesmora {

class Dialog : public Window {
public:
    explicit Dialog(UINT templateId) : templateId_(templateId) {}
    ~Dialog() override;

    // Runs the dialog until EndDialog; answers its result, -1 when it could not be made, and the
    // result so far (-1 unless set) when a quit message ended the loop (the message is posted again).
    // `owner` is disabled meanwhile.
    INT_PTR DoModal(HWND owner);
    // Makes the dialog modeless (shown when its template says so).
    bool Create(HWND parent);
    // Ends a modal dialog with `result`; a modeless one is hidden.
    void EndDialog(INT_PTR result);
    // Destroys a modeless dialog's window.
    void DestroyDialog();

    // Dialog keyboard handling (Tab, Enter, Esc, mnemonics) for messages to this dialog.
    bool PreTranslateMessage(MSG& message) override;

protected:
    // Runs once the window and its controls exist; true lets the dialog manager set the focus.
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    bool OnUnhandledCommand(UINT id, UINT code) override;

    // Centres the window on the primary screen's work area.
    void CenterOnScreen();

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    bool ended_ = false;
    INT_PTR result_ = -1;
};

}  // namespace tesmora
