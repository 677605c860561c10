// Win32UpdateHost: the update run's host on Windows: WinINet requests through HttpFetch, the program
// folder's files, the self-replacement batch and the remote started through the shell, and the
// updater window's timers and log list. The log lines also go to the support log and, for whoever
// watches with a debugger (and the end-to-end tests), to the debugger output. UI thread only.
#pragma once

#include <string>

#include "common/platform/support_log_win32.h"
#include "updater/update_host.h"

namespace tesmora {

class UpdaterWindow;

class Win32UpdateHost : public UpdateHost {
public:
    // `language` picks the block of the string table; `folder` is the updater's folder.
    Win32UpdateHost(UpdaterWindow& window, const std::wstring& language, std::wstring folder);

    const std::wstring& Folder() const { return folder_; }

    FetchedReply Fetch(const std::u16string& url, const std::u16string& query, ReplyKind kind,
                       bool strictCertificates) override;
    std::u16string TextFromSystemCodePage(std::string_view bytes) override;
    std::u16string ReadSetting(std::u16string_view key) override;
    uint32_t TickCount() override;

    FileFacts ReadFileFacts(const std::u16string& path) override;
    bool FileExists(const std::u16string& path) override;
    std::u16string OwnVersion() override;
    void MakeDirectoryPath(const std::u16string& directory) override;
    FileWriteOutcome SaveFile(const std::u16string& path, std::span<const uint8_t> bytes) override;
    void RemoveFile(const std::u16string& path) override;
    void RenameFile(const std::u16string& from, const std::u16string& to) override;
    CalendarDate Today() override;

    std::optional<std::string> SelfReplaceBatch(const std::u16string& folder,
                                                const std::u16string& staged) override;
    void StartBatch(const std::u16string& path) override;
    bool IsProgramRunning(const std::u16string& fileName) override;
    void StartProgram(const std::u16string& path, const std::u16string& workingFolder) override;

    void StartTimer(UpdateTimer timer, unsigned milliseconds) override;
    void StopTimer(UpdateTimer timer) override;
    void TickSoon(UpdateTimer timer) override;
    void WriteLog(int message, const std::u16string& first, const std::u16string& second) override;
    std::u16string LoadText(int message) override;
    void HideWindow() override;
    void Quit() override;

private:
    UpdaterWindow& window_;
    const int messageOffset_;
    const std::wstring folder_;
    SupportLog supportLog_;  // config.ini's "logfile": the log lines also go to a file
};

}  // namespace tesmora
