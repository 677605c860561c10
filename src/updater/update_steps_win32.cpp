// UpdaterWindow's update steps: the service's requests, the file list, the updater check, downloads,
// the self-replacement batch and the start of the remote (see updater_window_win32.h). UI thread only.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "common/config/config_files_win32.h"
#include "common/config/config_keys.h"
#include "common/http/http_fetch_win32.h"
#include "common/platform/ansi_text_win32.h"
#include "common/platform/directory_path_win32.h"
#include "common/platform/wide_text_win32.h"
#include "resource.h"
#include "updater/batch_paths_win32.h"
#include "updater/file_facts_win32.h"
#include "updater/update_service.h"
#include "updater/updater_window_win32.h"

namespace tesmora {

namespace {

std::wstring W(const std::u16string& text) {
    return ToWide(text);
}

std::u16string TickText() {
    return ToU16(std::to_wstring(int(::GetTickCount())));
}

enum class WriteResult { kWritten, kNotCreated, kNotWritten };

WriteResult WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return WriteResult::kNotCreated;
    size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        const DWORD piece = DWORD(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        ok = ::WriteFile(file, bytes.data() + done, piece, &written, nullptr) && written == piece;
        done += written;
    }
    ok = ::CloseHandle(file) && ok;
    return ok ? WriteResult::kWritten : WriteResult::kNotWritten;
}

}  // namespace

std::wstring UpdaterWindow::ServiceBase() const {
    const std::wstring config = folder_ + L"\\" + ToWide(kConfigIniName);
    const std::wstring section = ToWide(kIniSection);
    return ToWide(
        UpdateServerFromSettings(ToU16(ReadIniString(config, section, ToWide(kUpdateServerKey), L"")),
                                 ToU16(ReadIniString(config, section, ToWide(kWebServerKey), L""))));
}

bool UpdaterWindow::StrictCertificates() const {
    const std::wstring config = folder_ + L"\\" + ToWide(kConfigIniName);
    return StrictCertificatesFromSetting(
        ToU16(ReadIniString(config, ToWide(kIniSection), ToWide(kStrictCertificatesKey), L"")));
}

// The request over https and, unless certificates are strict, once more over plain http when it fails.
// Strict: a service that cannot prove who it is gets a log line of its own, so that an administrator
// tells it from one that is down; what follows is the same as for an unreachable service.
int UpdaterWindow::Fetch(const std::wstring& url, const std::wstring& query, HttpFetchReply& reply,
                       size_t maxBodyBytes) {
    HttpFetchStyle style = kUpdaterFetchStyle;
    style.maxBodyBytes = maxBodyBytes;
    style.strictCertificates = StrictCertificates();
    const int result = HttpFetch(url, query, reply, style);
    if (result == kHttpOk) return result;
    if (style.strictCertificates) {
        if (result == kHttpNotSecure) WriteLog(2, IDS_NOT_SECURE, ServiceBase());
        return result;
    }
    return HttpFetch(ToWide(PlainUrl(ToU16(url))), query, reply, style);
}

std::u16string UpdaterWindow::FetchReply(const std::u16string& path, const std::u16string& arguments) {
    HttpFetchReply reply;
    const int result = Fetch(L"https://" + ServiceBase() + W(path), W(arguments), reply, kMaxTextReplyBytes);
    // The fetch tells whether the body ended as announced (a read error or a chunked reply it cannot
    // check does not).
    const bool whole =
        result == kHttpOk && IsTextReplyWhole(reply.body.size(), reply.contentLength, reply.whole);
    if (result == kHttpBodyTooLarge || (result == kHttpOk && !whole))
        WriteLog(2, IDS_REPLY_NOT_WHOLE, W(path));
    if (!whole) return ToU16(Text(IDS_UNREACHABLE_REPLY));
    return u"result:true\n" +
           FromAnsi({reinterpret_cast<const uint8_t*>(reply.body.data()), reply.body.size()});
}

bool UpdaterWindow::CheckUpdateServer() {
    WriteLog(0, IDS_GETTING_SERVER);
    const auto lines = SplitReplyLines(FetchReply(std::u16string(kServerCheckPath), u"dummy=" + TickText()));
    if (!FindReplyValue(lines, u"result:")) return false;
    std::optional<std::u16string> server = FindReplyValue(lines, u"server:");
    if (!server) return false;
    std::optional<std::u16string> port = FindReplyValue(lines, u"port:");
    if (!port) return false;
    server_ = *server;
    port_ = *port;
    return true;
}

bool UpdaterWindow::FetchFileList() {
    WriteLog(0, IDS_GETTING_LIST);
    const std::u16string reply =
        FetchReply(std::u16string(kFileListPath),
                   u"releaseversion=" + std::u16string(kReleaseVersion) + u"&dummy=" + TickText());
    // A later pass starts from the service's current list: stale entries of an earlier pass would
    // shadow newer ones, since every search takes the first match.
    fileList_.clear();
    for (UpdateFileEntry& entry : ParseFileList(reply)) {
        if (!IsEntryInsideFolder(entry)) {
            WriteLog(2, IDS_ENTRY_OUTSIDE, W(entry.directory), W(entry.targetName));
            continue;
        }
        if (StagesOverInstalled(entry)) {
            WriteLog(2, IDS_ENTRY_STAGES_OVER, W(entry.directory), W(entry.targetName));
            continue;
        }
        fileList_.push_back(std::move(entry));
    }
    return true;
}

int UpdaterWindow::CheckUpdater() {
    const UpdateFileEntry* updater = nullptr;
    for (const UpdateFileEntry& entry : fileList_) {
        if (entry.typeKey == kUpdaterTypeKey) {
            updater = &entry;
            break;
        }
    }
    if (!updater) return 0;
    if (!IsVersionGreater(updater->version, ToU16(ReadOwnVersion()))) return 1;
    const std::wstring directory = folder_ + L"\\" + W(updater->directory);
    const std::wstring staged = directory + W(updater->stagingName);
    const FileFacts facts = ReadFileFacts(staged);
    if (facts.version != updater->version || EntrySizeBytes(*updater).value_or(0) != facts.size) {
        WriteLog(0, IDS_DOWNLOADING_UPDATER);
        const UpdateFileEntry entry = *updater;
        return DownloadFile(u"type=" + std::u16string(kUpdaterTypeKey) + u"&releaseversion=" +
                                std::u16string(kReleaseVersion),
                            directory, W(entry.stagingName), entry)
                   ? 1
                   : 0;
    }
    const std::optional<std::string> batch = SelfReplaceBatchBytes(folder_, staged, ::GetOEMCP());
    if (!batch) {
        // cmd could not find the files under any name it can read: the new updater would never start.
        // This run goes on with the remote's files; the staged updater waits for a folder it can use.
        WriteLog(2, IDS_SELF_REPLACE_SKIPPED, folder_);
        return 1;
    }
    WriteLog(0, IDS_REPLACING_UPDATER);
    WriteSelfReplaceBatch(*batch);
    return 0;
}

const UpdateFileEntry* UpdaterWindow::NextOutdatedFile() {
    for (const UpdateFileEntry& entry : fileList_) {
        if (entry.programKey != programKey_ || !PassesLanguageFilter(entry.typeKey, ToU16(language_)))
            continue;
        const std::wstring directory = folder_ + L"\\" + W(entry.directory);
        if (IsFileOutdated(entry, ReadFileFacts(directory + W(entry.targetName))) &&
            IsFileOutdated(entry, ReadFileFacts(directory + W(entry.stagingName)))) {
            return &entry;
        }
    }
    return nullptr;
}

bool UpdaterWindow::DownloadFile(const std::u16string& arguments, const std::wstring& directory,
                               const std::wstring& fileName, const UpdateFileEntry& entry) {
    const std::u16string query =
        arguments.empty() ? u"dummy=" + TickText() : arguments + u"&dummy=" + TickText();
    WriteLog(0, IDS_DOWNLOAD_START, fileName);
    HttpFetchReply reply;
    if (Fetch(L"https://" + ServiceBase() + W(std::u16string(kDownloadPath)), W(query), reply,
              kUpdaterFetchStyle.maxBodyBytes) != kHttpOk) {
        WriteLog(2, IDS_DOWNLOAD_FAIL, fileName);
        return false;
    }
    const std::optional<uint64_t> entrySize =
        entry.version == kNoVersion ? EntrySizeBytes(entry) : std::optional<uint64_t>();
    const DownloadVerdict verdict =
        JudgeDownload(reply.body.size(), reply.contentLength, entrySize, reply.whole);
    if (verdict == DownloadVerdict::kBusy) {
        WriteLog(0, IDS_DOWNLOAD_BUSY, fileName);
        return false;
    }
    if (verdict == DownloadVerdict::kShort) {
        // Applying it would leave a broken program behind; the next tick fetches it again.
        WriteLog(2, IDS_DOWNLOAD_INCOMPLETE, fileName);
        return false;
    }
    CreateDirectoryPath(directory);
    // Written under a temporary name first, so that the staging name only ever holds a whole file.
    const std::wstring staging = directory + fileName;
    const std::wstring partial = staging + L".part";
    switch (WriteWholeFile(partial, reply.body)) {
        case WriteResult::kWritten:
            break;
        case WriteResult::kNotCreated:
            WriteLog(2, IDS_FILE_SAVE_ERROR, fileName);
            return false;
        case WriteResult::kNotWritten:
            ::DeleteFileW(partial.c_str());
            WriteLog(2, IDS_FILE_WRITE_ERROR);
            return false;
    }
    if (!::MoveFileExW(partial.c_str(), staging.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        ::DeleteFileW(partial.c_str());
        WriteLog(2, IDS_FILE_SAVE_ERROR, fileName);
        return false;
    }
    WriteLog(0, IDS_DOWNLOAD_COMPLETE, fileName);
    return true;
}

bool UpdaterWindow::WriteSelfReplaceBatch(const std::string& text) {
    const std::wstring bat = folder_ + L"\\" + W(std::u16string(kSelfReplaceBatchName));
    HANDLE file =
        ::CreateFileW(bat.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        WriteLog(2, IDS_BATCH_CREATE_ERROR, bat);
        return false;
    }
    DWORD written = 0;
    if (!::WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr) || written != text.size()) {
        WriteLog(2, IDS_BATCH_WRITE_ERROR);
        ::CloseHandle(file);
        return false;
    }
    ::CloseHandle(file);
    replacing_ = true;
    if (!launched_) ::ShellExecuteW(nullptr, L"open", bat.c_str(), nullptr, nullptr, SW_HIDE);
    ::PostQuitMessage(0);
    return true;
}

void UpdaterWindow::FinishAndLaunch(bool apply) {
    if (apply) {
        SYSTEMTIME today;
        ::GetLocalTime(&today);
        for (const UpdateFileEntry& entry : fileList_) {
            const std::wstring directory = folder_ + L"\\" + W(entry.directory);
            const std::wstring staged = directory + W(entry.stagingName);
            if (!FileExists(staged)) continue;
            const std::wstring installed = directory + W(entry.targetName);
            if (!IsStagedFileNewer(ReadFileFacts(staged), ReadFileFacts(installed))) {
                // Staged by a run that did not apply it, before a newer release was installed.
                ::DeleteFileW(staged.c_str());
                WriteLog(2, IDS_STALE_STAGED, W(entry.directory), W(entry.stagingName));
                continue;
            }
            const std::optional<std::u16string> backup =
                PickBackupName(ToU16(installed), today.wYear, today.wMonth, today.wDay,
                               [](const std::u16string& name) { return FileExists(ToWide(name)); });
            if (backup) {
                ::MoveFileW(installed.c_str(), W(*backup).c_str());
            } else {
                ::DeleteFileW(installed.c_str());
            }
            ::MoveFileW(staged.c_str(), installed.c_str());
        }
    }
    StartProduct();
    ::PostQuitMessage(0);
}

void UpdaterWindow::StartProduct() {
    const std::u16string_view program = ProgramFileForKey(programKey_);
    if (program.empty() || IsProgramRunning(ToWide(program))) return;
    const std::wstring path = folder_ + L"\\" + ToWide(program);
    // Started from the autostart entry the updater's own current folder is the system's, and the remote
    // looks for its language library relative to its current folder.
    ::ShellExecuteW(nullptr, L"open", path.c_str(), L"", folder_.c_str(), SW_SHOWNORMAL);
}

void UpdaterWindow::RunNow() {
    launched_ = true;
    shown_ = false;
    ::ShowWindow(Handle(), SW_HIDE);
    if (runNowDone_) return;
    StartProduct();
}

}  // namespace tesmora
