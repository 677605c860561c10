// UpdateRun's steps (see update_run.h). Log lines are numbers of the updater's string table; their
// order is what an administrator reads in the window and the support log. UI thread only.
#include "updater/update_run.h"

#include <utility>

#include "common/config/config_keys.h"
#include "common/http/http_result.h"
#include "resource.h"
#include "updater/update_service.h"

namespace tesmora {

namespace {

constexpr unsigned kFirstCheckMilliseconds = 500;
constexpr unsigned kRetryMilliseconds = 10000;
constexpr unsigned kFilePeriodMilliseconds = 10000;

std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

std::span<const uint8_t> Bytes(const std::string& bytes) {
    return {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
}

}  // namespace

UpdateRun::UpdateRun(UpdateHost& host, std::u16string language, std::u16string folder)
    : host_(host), language_(std::move(language)), folder_(std::move(folder)) {}

void UpdateRun::Start(UpdaterCopy copy) {
    host_.WriteLog(IDS_CHECKING_TYPE);
    if (copy == UpdaterCopy::kSecond) {
        FinishAndLaunch(StagedFiles::kLeave);
    } else {
        host_.StartTimer(UpdateTimer::kUpdateCheck, kFirstCheckMilliseconds);
    }
}

void UpdateRun::OnTimer(UpdateTimer timer) {
    if (timer == UpdateTimer::kUpdateCheck) {
        OnUpdateCheckTimer();
    } else {
        OnFileDownloadTimer();
    }
}

void UpdateRun::OnUpdateCheckTimer() {
    host_.StopTimer(UpdateTimer::kUpdateCheck);
    if (!CheckUpdateServer()) {
        host_.WriteLog(IDS_SERVER_INFO_ERROR);
        host_.WriteLog(IDS_RUN_WITHOUT_UPDATE);
        host_.StartTimer(UpdateTimer::kUpdateCheck, kRetryMilliseconds);
        RunNow();
        runNowDone_ = true;
        return;
    }
    FetchFileList();
    host_.WriteLog(IDS_CHECKING_UPDATER);
    // A first check that has just downloaded a newer updater finds it staged the second time, and
    // starts the self-replacement.
    UpdaterCheck check = CheckUpdater();
    if (check == UpdaterCheck::kGoOn) check = CheckUpdater();
    if (check == UpdaterCheck::kRetryLater) {
        host_.WriteLog(IDS_UPDATER_BUSY);
        host_.WriteLog(IDS_RUN_WITHOUT_UPDATE);
        host_.StartTimer(UpdateTimer::kUpdateCheck, kRetryMilliseconds);
        return;
    }
    host_.TickSoon(UpdateTimer::kFileDownload);
    host_.StartTimer(UpdateTimer::kFileDownload, kFilePeriodMilliseconds);
}

// One download per tick; a file that failed is found again on a later one.
void UpdateRun::OnFileDownloadTimer() {
    host_.StopTimer(UpdateTimer::kFileDownload);
    if (const UpdateFileEntry* entry = NextOutdatedFile()) {
        DownloadFile(*entry);
    } else if (!replacing_ && !launched_) {
        FinishAndLaunch(StagedFiles::kApply);
    } else if (launched_) {
        host_.Quit();
    }
    host_.StartTimer(UpdateTimer::kFileDownload, kFilePeriodMilliseconds);
}

std::u16string UpdateRun::ServiceBase() {
    return UpdateServerFromSettings(host_.ReadSetting(kUpdateServerKey), host_.ReadSetting(kWebServerKey));
}

// The request over https and, unless certificates are strict, once more over plain http when it fails.
// Strict: a service that cannot prove who it is gets a log line of its own, so that an administrator
// tells it from one that is down; what follows is the same as for an unreachable service.
FetchedReply UpdateRun::Fetch(const std::u16string& url, const std::u16string& query, ReplyKind kind) {
    const bool strict = StrictCertificatesFromSetting(host_.ReadSetting(kStrictCertificatesKey));
    FetchedReply reply = host_.Fetch(url, query, kind, strict);
    if (reply.result == kHttpOk) return reply;
    if (strict) {
        if (reply.result == kHttpNotSecure) host_.WriteLog(IDS_NOT_SECURE, ServiceBase());
        return reply;
    }
    return host_.Fetch(PlainUrl(url), query, kind, strict);
}

std::u16string UpdateRun::FetchReply(std::u16string_view path, const std::u16string& arguments) {
    const FetchedReply reply =
        Fetch(u"https://" + ServiceBase() + std::u16string(path), arguments, ReplyKind::kText);
    const bool whole =
        reply.result == kHttpOk && IsTextReplyWhole(reply.body.size(), reply.contentLength, reply.whole);
    if (reply.result == kHttpBodyTooLarge || (reply.result == kHttpOk && !whole))
        host_.WriteLog(IDS_REPLY_NOT_WHOLE, std::u16string(path));
    if (!whole) return host_.LoadText(IDS_UNREACHABLE_REPLY);
    return u"result:true\n" + host_.TextFromSystemCodePage(reply.body);
}

// The tick count as the service has always seen it: a signed decimal number.
std::u16string UpdateRun::TickText() {
    return Ascii(std::to_string(int32_t(host_.TickCount())));
}

bool UpdateRun::CheckUpdateServer() {
    host_.WriteLog(IDS_GETTING_SERVER);
    const auto lines = SplitReplyLines(FetchReply(kServerCheckPath, u"dummy=" + TickText()));
    return FindReplyValue(lines, u"result:") && FindReplyValue(lines, u"server:") &&
           FindReplyValue(lines, u"port:");
}

void UpdateRun::FetchFileList() {
    host_.WriteLog(IDS_GETTING_LIST);
    const std::u16string reply = FetchReply(
        kFileListPath, u"releaseversion=" + std::u16string(kReleaseVersion) + u"&dummy=" + TickText());
    // A later pass starts from the service's current list: stale entries of an earlier pass would
    // shadow newer ones, since every search takes the first match.
    fileList_.clear();
    for (UpdateFileEntry& entry : ParseFileList(reply)) {
        if (!IsEntryInsideFolder(entry)) {
            host_.WriteLog(IDS_ENTRY_OUTSIDE, entry.directory, entry.targetName);
            continue;
        }
        if (StagesOverInstalled(entry)) {
            host_.WriteLog(IDS_ENTRY_STAGES_OVER, entry.directory, entry.targetName);
            continue;
        }
        fileList_.push_back(std::move(entry));
    }
}

UpdateRun::UpdaterCheck UpdateRun::CheckUpdater() {
    const UpdateFileEntry* updater = nullptr;
    for (const UpdateFileEntry& entry : fileList_) {
        if (entry.typeKey == kUpdaterTypeKey) {
            updater = &entry;
            break;
        }
    }
    if (!updater) return UpdaterCheck::kRetryLater;
    if (!IsVersionGreater(updater->version, host_.OwnVersion())) return UpdaterCheck::kGoOn;
    const UpdateFileEntry& entry = *updater;
    const std::u16string staged = DirectoryOf(entry) + entry.stagingName;
    const FileFacts facts = host_.ReadFileFacts(staged);
    if (facts.version != entry.version || EntrySizeBytes(entry).value_or(0) != facts.size) {
        host_.WriteLog(IDS_DOWNLOADING_UPDATER);
        return DownloadFile(entry) ? UpdaterCheck::kGoOn : UpdaterCheck::kRetryLater;
    }
    const std::optional<std::string> batch = host_.SelfReplaceBatch(folder_, staged);
    if (!batch) {
        // cmd could not find the files under any name it can read: the new updater would never start.
        // This run goes on with the remote's files; the staged updater waits for a folder it can use.
        host_.WriteLog(IDS_SELF_REPLACE_SKIPPED, folder_);
        return UpdaterCheck::kGoOn;
    }
    host_.WriteLog(IDS_REPLACING_UPDATER);
    WriteSelfReplaceBatch(*batch);
    return UpdaterCheck::kRetryLater;
}

// The first entry of this program, in a language the user reads, that is out of date both installed
// and staged.
const UpdateFileEntry* UpdateRun::NextOutdatedFile() const {
    for (const UpdateFileEntry& entry : fileList_) {
        if (entry.programKey != kUpdaterProgramKey || !PassesLanguageFilter(entry.typeKey, language_))
            continue;
        const std::u16string directory = DirectoryOf(entry);
        if (IsFileOutdated(entry, host_.ReadFileFacts(directory + entry.targetName)) &&
            IsFileOutdated(entry, host_.ReadFileFacts(directory + entry.stagingName))) {
            return &entry;
        }
    }
    return nullptr;
}

// The entry's file under its staging name. The entry is a copy: the request's read loop dispatches
// window messages while the body arrives, and nothing they start may pull it from under the download.
bool UpdateRun::DownloadFile(const UpdateFileEntry entry) {
    const std::u16string& fileName = entry.stagingName;
    const std::u16string directory = DirectoryOf(entry);
    const std::u16string query = u"type=" + entry.typeKey + u"&releaseversion=" +
                                 std::u16string(kReleaseVersion) + u"&dummy=" + TickText();
    host_.WriteLog(IDS_DOWNLOAD_START, fileName);
    const FetchedReply reply =
        Fetch(u"https://" + ServiceBase() + std::u16string(kDownloadPath), query, ReplyKind::kFile);
    if (reply.result != kHttpOk) {
        host_.WriteLog(IDS_DOWNLOAD_FAIL, fileName);
        return false;
    }
    const std::optional<uint64_t> entrySize =
        entry.version == kNoVersion ? EntrySizeBytes(entry) : std::optional<uint64_t>();
    switch (JudgeDownload(reply.body.size(), reply.contentLength, entrySize, reply.whole)) {
        case DownloadVerdict::kComplete:
            break;
        case DownloadVerdict::kBusy:
            host_.WriteLog(IDS_DOWNLOAD_BUSY, fileName);
            return false;
        case DownloadVerdict::kShort:
            // Applying it would leave a broken program behind; the next tick fetches it again.
            host_.WriteLog(IDS_DOWNLOAD_INCOMPLETE, fileName);
            return false;
    }
    host_.MakeDirectoryPath(directory);
    // The staging name only ever holds a whole file: a cut write leaves the last whole one in place.
    switch (host_.SaveFile(directory + fileName, Bytes(reply.body))) {
        case FileWriteOutcome::kWritten:
            break;
        case FileWriteOutcome::kNotWritten:
            host_.WriteLog(IDS_FILE_WRITE_ERROR);
            return false;
        case FileWriteOutcome::kNotCreated:
        case FileWriteOutcome::kNotReplaced:
            host_.WriteLog(IDS_FILE_SAVE_ERROR, fileName);
            return false;
    }
    host_.WriteLog(IDS_DOWNLOAD_COMPLETE, fileName);
    return true;
}

// The folder plus "\" plus the entry's directory, joined unchanged: the directory ends in its own
// separator.
std::u16string UpdateRun::DirectoryOf(const UpdateFileEntry& entry) const {
    return folder_ + u"\\" + entry.directory;
}

// The batch waits for this program to end before it replaces it, so the run ends here. After run now
// the batch is written but not started.
void UpdateRun::WriteSelfReplaceBatch(const std::string& bytes) {
    const std::u16string batch = folder_ + u"\\" + std::u16string(kSelfReplaceBatchName);
    switch (host_.SaveFile(batch, Bytes(bytes))) {
        case FileWriteOutcome::kWritten:
            break;
        case FileWriteOutcome::kNotWritten:
            host_.WriteLog(IDS_BATCH_WRITE_ERROR);
            return;
        case FileWriteOutcome::kNotCreated:
        case FileWriteOutcome::kNotReplaced:
            host_.WriteLog(IDS_BATCH_CREATE_ERROR, batch);
            return;
    }
    replacing_ = true;
    if (!launched_) host_.StartBatch(batch);
    host_.Quit();
}

void UpdateRun::FinishAndLaunch(StagedFiles staged) {
    if (staged == StagedFiles::kApply) ApplyStagedFiles();
    StartProduct();
    host_.Quit();
}

// Every staged file takes its installed name; the installed file is kept under a dated backup name
// (or removed when the day's 99 backups exist). A rename that fails leaves the staged file for the
// next run.
void UpdateRun::ApplyStagedFiles() {
    const CalendarDate today = host_.Today();
    for (const UpdateFileEntry& entry : fileList_) {
        const std::u16string directory = DirectoryOf(entry);
        const std::u16string staged = directory + entry.stagingName;
        if (!host_.FileExists(staged)) continue;
        const std::u16string installed = directory + entry.targetName;
        if (!IsStagedFileNewer(host_.ReadFileFacts(staged), host_.ReadFileFacts(installed))) {
            // Staged by a run that did not apply it, before a newer release was installed.
            host_.RemoveFile(staged);
            host_.WriteLog(IDS_STALE_STAGED, entry.directory, entry.stagingName);
            continue;
        }
        const std::optional<std::u16string> backup =
            PickBackupName(installed, today.year, today.month, today.day,
                           [this](const std::u16string& name) { return host_.FileExists(name); });
        if (backup) {
            host_.RenameFile(installed, *backup);
        } else {
            host_.RemoveFile(installed);
        }
        host_.RenameFile(staged, installed);
    }
}

void UpdateRun::StartProduct() {
    const std::u16string_view program = ProgramFileForKey(kUpdaterProgramKey);
    if (program.empty() || host_.IsProgramRunning(std::u16string(program))) return;
    // Started from the autostart entry the updater's own current folder is the system's, and the remote
    // looks for its language library relative to its current folder.
    host_.StartProgram(folder_ + u"\\" + std::u16string(program), folder_);
}

void UpdateRun::RunNow() {
    launched_ = true;
    host_.HideWindow();
    if (runNowDone_) return;
    StartProduct();
}

}  // namespace tesmora
