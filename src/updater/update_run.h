// UpdateRun: one run of the updater, from the first server check to the end of the program. It holds
// the order of the steps and every decision (ask the service, read the file list, replace the updater,
// choose what to fetch, judge each download, apply the staged files, start the remote); the host
// (UpdateHost) acts. Driven by the window's two timers and its run-now button. UI thread only.
#pragma once

#include <string>
#include <vector>

#include "updater/update_host.h"
#include "updater/update_rules.h"

namespace tesmora {

// Whether another copy of the updater was running when this one started.
enum class UpdaterCopy { kOnly, kSecond };

class UpdateRun {
public:
    // `language`: "Kor", "Eng", "Japan" or another code; `folder`: the updater's folder, where the
    // remote's files are installed.
    UpdateRun(UpdateHost& host, std::u16string language, std::u16string folder);
    UpdateRun(const UpdateRun&) = delete;
    UpdateRun& operator=(const UpdateRun&) = delete;

    // The window is shown. A second copy only starts the remote and ends; the first starts the check.
    void Start(UpdaterCopy copy);
    void OnTimer(UpdateTimer timer);
    // The run-now button: the remote starts at once, the window hides, the update goes on unseen.
    void RunNow();

private:
    // Whether the staged files take their installed names before the remote starts.
    enum class StagedFiles { kApply, kLeave };
    // What the updater check leaves for this pass.
    enum class UpdaterCheck {
        kGoOn,        // the updater is current, or its newer copy has just been staged
        kRetryLater,  // no updater entry, its download failed, or the self-replacement has begun
    };

    void OnUpdateCheckTimer();
    void OnFileDownloadTimer();

    // The service's requests.
    std::u16string ServiceBase();
    FetchedReply Fetch(const std::u16string& url, const std::u16string& query, ReplyKind kind);
    std::u16string FetchReply(std::u16string_view path, const std::u16string& arguments);
    std::u16string TickText();
    bool CheckUpdateServer();
    void FetchFileList();
    UpdaterCheck CheckUpdater();
    const UpdateFileEntry* NextOutdatedFile() const;
    bool DownloadFile(UpdateFileEntry entry);

    // Self-replacement and launch.
    std::u16string DirectoryOf(const UpdateFileEntry& entry) const;
    void WriteSelfReplaceBatch(const std::string& bytes);
    void FinishAndLaunch(StagedFiles staged);
    void ApplyStagedFiles();
    void StartProduct();

    UpdateHost& host_;
    const std::u16string language_;
    const std::u16string folder_;
    std::vector<UpdateFileEntry> fileList_;
    bool replacing_ = false;   // the self-replacement batch is written
    bool launched_ = false;    // run now has started the remote
    bool runNowDone_ = false;  // the failed server check has started the remote already
};

}  // namespace tesmora
