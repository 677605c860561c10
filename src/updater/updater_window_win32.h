// UpdaterWindow: the updater's only window. It shows the log and forwards its two timers and the
// run-now button to the update run (UpdateRun), whose host (Win32UpdateHost) it owns. Downloads block
// this thread, but the request's read loop dispatches the window's messages, so painting and "run now"
// keep working. UI thread only.
#pragma once

#include <windows.h>

#include <string>

#include "common/ui/dialog_win32.h"
#include "common/ui/handles_win32.h"
#include "common/widgets/image_button_win32.h"
#include "updater/update_host_win32.h"
#include "updater/update_run.h"

namespace tesmora {

class UpdaterWindow : public Dialog {
public:
    // `language` picks the message block; `copy` says whether another updater was running already.
    UpdaterWindow(std::wstring language, UpdaterCopy copy);
    ~UpdaterWindow() override;

    // Puts a line on top of the log.
    void ShowLogLine(const std::wstring& line);
    // Hides the window; it stays hidden whoever asks to show it.
    void Hide();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override { run_.RunNow(); }
    void OnCancel() override {}  // the user cannot close the updater
    std::span<const MessageEntry> MessageTable() const override;

private:
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnEraseBackground(WPARAM, LPARAM) { return TRUE; }
    LRESULT OnCtlColorListBox(WPARAM, LPARAM);
    LRESULT OnCtlColorStatic(WPARAM, LPARAM);
    LRESULT OnNcHitTest(WPARAM, LPARAM);
    LRESULT OnWindowPosChanging(WPARAM, LPARAM);
    LRESULT OnSysCommand(WPARAM, LPARAM);
    LRESULT OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(icon_); }

    const std::wstring language_;
    const int messageOffset_;
    const UpdaterCopy copy_;
    Win32UpdateHost host_;
    UpdateRun run_;
    bool shown_ = false;
    HICON icon_ = nullptr;
    float scale_ = 1.0f;
    UniqueFont titleFont_;
    UniqueFont logFont_;
    UniqueBrush whiteBrush_;
    ImageButton runNow_;
    // The paint cache, made on the first paint.
    UniqueMemoryDc paintDc_;
    UniqueBitmap paintBitmap_;
    UniqueBitmap panel_;
    UniquePen greyPen_, darkPen_;
    UniqueBrush panelBrush_, darkBrush_;
};

}  // namespace tesmora
