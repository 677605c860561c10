// UpdaterWindow: the updater's only window. It shows the log, and its two timers drive the update: the
// check timer (server check, file list, updater check) and the file timer (one download per tick, then
// the staged files are applied and the remote is started). Downloads block this thread, but the
// request's read loop dispatches the window's messages, so painting and "run now" keep working.
// UI thread only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/platform/support_log_win32.h"
#include "common/ui/dialog_win32.h"
#include "common/ui/handles_win32.h"
#include "common/widgets/image_button_win32.h"
#include "updater/update_rules.h"

namespace tesmora {

struct HttpFetchReply;

class UpdaterWindow : public CDialog {
public:
    // `language` picks the message block; `anotherInstance`: a copy of the updater was running already.
    UpdaterWindow(std::wstring language, bool anotherInstance);
    ~UpdaterWindow() override;

    // Appends a line "[hh:mm:ss] text" on top of the log; `message` is a number of the Korean block.
    void WriteLog(int level, UINT message, const std::wstring& first = {}, const std::wstring& second = {});

protected:
    BOOL OnInitDialog() override;
    void OnOK() override { RunNow(); }
    void OnCancel() override {}  // the user cannot close the updater
    std::span<const MessageEntry> MessageTable() const override;

private:
    // The update protocol (update_steps_win32.cpp).
    int Fetch(const std::wstring& url, const std::wstring& query, HttpFetchReply& reply, size_t maxBodyBytes);
    std::u16string FetchReply(const std::u16string& path, const std::u16string& arguments);
    bool CheckUpdateServer();
    bool FetchFileList();
    int CheckUpdater();
    const UpdateFileEntry* NextOutdatedFile();
    bool DownloadFile(const std::u16string& arguments, const std::wstring& directory,
                      const std::wstring& fileName, const UpdateFileEntry& entry);
    // Self-replacement and launch.
    // Writes the batch's bytes (already in the code page cmd reads) and starts it.
    bool WriteSelfReplaceBatch(const std::string& text);
    void FinishAndLaunch(bool apply);
    void RunNow();
    void StartProduct();
    std::wstring ServiceBase() const;
    bool StrictCertificates() const;

    // The window.
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnEraseBackground(WPARAM, LPARAM) { return TRUE; }
    LRESULT OnCtlColorListBox(WPARAM, LPARAM);
    LRESULT OnCtlColorStatic(WPARAM, LPARAM);
    LRESULT OnNcHitTest(WPARAM, LPARAM);
    LRESULT OnWindowPosChanging(WPARAM, LPARAM);
    LRESULT OnSysCommand(WPARAM, LPARAM);
    LRESULT OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(icon_); }
    LRESULT OnDestroy(WPARAM, LPARAM);
    void OnUpdateCheckTimer();
    void OnFileDownloadTimer();
    std::wstring Text(UINT message) const;

    std::wstring language_;
    int messageOffset_ = 0;
    std::wstring folder_;     // D: the updater's folder
    CSupportLog supportLog_;  // config.ini's "logfile": the log lines also go to a file
    std::u16string server_, port_;
    std::vector<UpdateFileEntry> fileList_;
    std::u16string programKey_;
    bool replacing_ = false;
    bool launched_ = false;
    bool runNowDone_ = false;
    int logThreshold_ = 0;
    bool shown_ = false;
    bool anotherInstance_ = false;
    HICON icon_ = nullptr;
    int filePeriod_ = 10000;
    float scale_ = 1.0f;
    UniqueFont titleFont_;
    UniqueFont logFont_;
    UniqueBrush whiteBrush_;
    CImageButton runNow_;
    // The paint cache, made on the first paint.
    UniqueMemoryDc paintDc_;
    UniqueBitmap paintBitmap_;
    UniqueBitmap panel_;
    UniquePen greyPen_, darkPen_;
    UniqueBrush panelBrush_, darkBrush_;
};

}  // namespace tesmora
