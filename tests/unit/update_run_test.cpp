// The update run's decisions over a recording host: which downloads are kept and applied, which
// entries are refused while the rest goes on, when the updater replaces itself, and what an
// unreachable service leads to.
#include "updater/update_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "common/http/http_result.h"

namespace tesmora {
namespace {

// Log numbers of the updater's string table, as the support log and the end-to-end tests read them.
enum Log : int {
    kStart = 300,
    kFail = 301,
    kSaveError = 302,
    kWriteError = 303,
    kComplete = 304,
    kBusy = 305,
    kServerError = 308,
    kRunWithout = 309,
    kCut = 310,
    kReplacing = 316,
    kDownloadingUpdater = 317,
    kOutside = 319,
    kNotSecure = 320,
    kStagesOver = 322,
    kSkipped = 323,
};

FetchedReply Whole(const std::string& body) {
    return {kHttpOk, body, body.size(), true};
}

const std::u16string kOldLibrary = u"C:\\P\\lib\\extra.dll";
const std::u16string kStagedLibrary = u"C:\\P\\lib\\extra.dll_new";
const std::u16string kStagedUpdater = u"C:\\P\\.\\TesmoraOrluUpdaterR.exe_new";
const std::string kLibrary(200, 'L');
const std::string kNewUpdater(300, 'U');

class RecordingHost : public UpdateHost {
public:
    RecordingHost() {
        files[u"C:\\P\\.\\TesmoraOrluUpdaterR.exe"] = "this updater";
        versionOfBytes["this updater"] = u"2.0.1.1080";
    }

    std::map<std::u16string, std::string> files;
    std::map<std::string, std::u16string> versionOfBytes;  // the version resource a file's bytes carry
    std::u16string listedUpdater = u"2.0.1.1080";
    std::map<std::u16string, FetchedReply> downloads;  // by type key; absent: a whole file of the type
    std::function<FetchedReply(const std::u16string& url)> textReply;  // absent: the service answers
    std::map<std::u16string, FileWriteOutcome> saveFailures;
    bool strict = false;
    bool batchNameable = true;
    std::vector<int> logs;
    std::vector<std::u16string> urls, started;
    bool batchStarted = false, hidden = false, quit = false;
    std::map<UpdateTimer, unsigned> timers;

    std::u16string extraLines;  // between the updater and the library

    // The sizes are those of kNewUpdater and kLibrary.
    std::u16string FileList() const {
        return u"file:u_remocon,updater_remocon_exe,TesmoraOrluUpdaterR.exe,.\\,300," + listedUpdater +
               u",x,TesmoraOrluUpdaterR.exe_new\n" + extraLines +
               u"file:u_remocon,remocon_lib,extra.dll,lib\\,200,해당없음,x,extra.dll_new\n";
    }

    FetchedReply Fetch(const std::u16string& url, const std::u16string& query, ReplyKind,
                       bool strictCertificates) override {
        urls.push_back(url);
        EXPECT_EQ(strictCertificates, strict);
        if (textReply) return textReply(url);
        if (url.ends_with(u"ServerInfo.jsp")) return Whole("server:s\nport:1\n");
        if (url.ends_with(u"FileInfo.jsp")) return Whole("the list");
        const std::u16string type = query.substr(5, query.find(u'&') - 5);
        if (auto it = downloads.find(type); it != downloads.end()) return it->second;
        return Whole(type == u"updater_remocon_exe" ? kNewUpdater : kLibrary);
    }
    std::u16string TextFromSystemCodePage(std::string_view bytes) override {
        return bytes == "the list" ? FileList() : std::u16string(bytes.begin(), bytes.end());
    }
    std::u16string ReadSetting(std::u16string_view key) override {
        if (key == u"strictcertificates") return strict ? u"1" : u"";
        return key == u"updateserver" ? u"svc" : u"";
    }
    uint32_t TickCount() override { return 7; }
    FileFacts ReadFileFacts(const std::u16string& path) override {
        auto it = files.find(path);
        if (it == files.end()) return {};
        return {it->second.size(), versionOfBytes.count(it->second) ? versionOfBytes[it->second] : u""};
    }
    bool FileExists(const std::u16string& path) override { return files.count(path) > 0; }
    std::u16string OwnVersion() override { return u"2.0.1.1080"; }
    void MakeDirectoryPath(const std::u16string&) override {}
    FileWriteOutcome SaveFile(const std::u16string& path, std::span<const uint8_t> bytes) override {
        if (auto it = saveFailures.find(path); it != saveFailures.end()) return it->second;
        files[path] = std::string(bytes.begin(), bytes.end());
        return FileWriteOutcome::kWritten;
    }
    void RemoveFile(const std::u16string& path) override { files.erase(path); }
    void RenameFile(const std::u16string& from, const std::u16string& to) override {
        if (files.count(to) || !files.count(from)) return;
        files[to] = files[from];
        files.erase(from);
    }
    CalendarDate Today() override { return {2025, 9, 25}; }
    std::optional<std::string> SelfReplaceBatch(const std::u16string&, const std::u16string&) override {
        return batchNameable ? std::optional<std::string>("batch") : std::nullopt;
    }
    void StartBatch(const std::u16string&) override { batchStarted = true; }
    bool IsProgramRunning(const std::u16string&) override { return false; }
    void StartProgram(const std::u16string& path, const std::u16string&) override { started.push_back(path); }
    void StartTimer(UpdateTimer timer, unsigned milliseconds) override { timers[timer] = milliseconds; }
    void StopTimer(UpdateTimer timer) override { timers.erase(timer); }
    void TickSoon(UpdateTimer) override {}
    void WriteLog(int message, const std::u16string&, const std::u16string&) override {
        logs.push_back(message);
    }
    std::u16string LoadText(int) override { return u"result:false\ncode:404\n"; }
    void HideWindow() override { hidden = true; }
    void Quit() override { quit = true; }
};

bool Logged(const RecordingHost& host, int message) {
    return std::count(host.logs.begin(), host.logs.end(), message) > 0;
}

// The window opens, the check tick passes, then `fileTicks` file ticks.
void RunTicks(UpdateRun& run, int fileTicks) {
    run.Start(UpdaterCopy::kOnly);
    run.OnTimer(UpdateTimer::kUpdateCheck);
    for (int i = 0; i < fileTicks; ++i) run.OnTimer(UpdateTimer::kFileDownload);
}

TEST(UpdateRun, OnlyWholeDownloadsAreStagedAndApplied) {
    const struct {
        const char* name;
        FetchedReply reply;
        std::optional<FileWriteOutcome> save;
        int lastLog;
    } cases[] = {
        {"whole", Whole(kLibrary), {}, kComplete},
        {"cut short of its length", {kHttpOk, kLibrary.substr(0, 150), kLibrary.size(), false}, {}, kCut},
        {"broken off without a length", {kHttpOk, kLibrary, std::nullopt, false}, {}, kCut},
        {"longer than listed", Whole(kLibrary + "x"), {}, kCut},
        {"busy", Whole(std::string(100, 'b')), {}, kBusy},
        {"unreachable", {kHttpNoConnection, "", std::nullopt, false}, {}, kFail},
        {"not created", Whole(kLibrary), FileWriteOutcome::kNotCreated, kSaveError},
        {"not written", Whole(kLibrary), FileWriteOutcome::kNotWritten, kWriteError},
        {"not replaced", Whole(kLibrary), FileWriteOutcome::kNotReplaced, kSaveError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingHost host;
        host.files[kOldLibrary] = "an old library";
        host.downloads[u"remocon_lib"] = c.reply;
        if (c.save) host.saveFailures[kStagedLibrary] = *c.save;
        UpdateRun run(host, u"Kor", u"C:\\P");
        RunTicks(run, 1);
        EXPECT_EQ(host.logs.back(), c.lastLog);
        const bool whole = c.lastLog == kComplete;
        EXPECT_EQ(host.files.count(kStagedLibrary), whole ? 1u : 0u);
        EXPECT_EQ(host.files[kOldLibrary], "an old library");

        // A download that failed is fetched again on the next tick; once the file is staged whole, the
        // tick after applies it, the old file kept as the day's first backup.
        host.downloads.clear();
        host.saveFailures.clear();
        for (int tick = 0; tick < 2 && !host.quit; ++tick) run.OnTimer(UpdateTimer::kFileDownload);
        EXPECT_EQ(std::count(host.logs.begin(), host.logs.end(), kStart), whole ? 1 : 2);
        EXPECT_EQ(host.files[kOldLibrary], kLibrary);
        EXPECT_EQ(host.files[u"C:\\P\\lib\\extra.dll_20250925_1"], "an old library");
        EXPECT_EQ(host.started, std::vector<std::u16string>{u"C:\\P\\TesmoraOrluRemocon.exe"});
        EXPECT_TRUE(host.quit);
    }
}

TEST(UpdateRun, RefusedEntriesAreSkippedAndTheRestGoesOn) {
    RecordingHost host;
    host.extraLines =
        u"file:u_remocon,remocon_evil,evil.dll,..\\,200,해당없음,x,evil.dll_new\n"
        u"file:u_remocon,remocon_same,same.dll,lib\\,200,해당없음,x,SAME.DLL.\n";
    host.files[u"C:\\P\\lib\\same.dll"] = "an installed library";
    UpdateRun run(host, u"Kor", u"C:\\P");
    RunTicks(run, 2);
    EXPECT_EQ(std::vector<int>(host.logs.begin() + 3, host.logs.begin() + 5),
              (std::vector<int>{kOutside, kStagesOver}));
    EXPECT_EQ(std::count(host.logs.begin(), host.logs.end(), kStart), 1);
    EXPECT_EQ(host.files[kOldLibrary], kLibrary);
    EXPECT_EQ(host.files[u"C:\\P\\lib\\same.dll"], "an installed library");
    for (const auto& [path, bytes] : host.files) {
        EXPECT_EQ(path.find(u"evil"), std::u16string::npos);
        EXPECT_EQ(path.find(u"same.dll_"), std::u16string::npos);
    }
    EXPECT_TRUE(host.quit);
}

TEST(UpdateRun, TheUpdaterReplacesItselfOnlyWhenTheListOffersANewerOne) {
    const struct {
        const char* name;
        std::u16string listed;
        bool alreadyStaged, batchNameable, runNowFirst;
        bool batchWritten, batchStarted;
    } cases[] = {
        {"current", u"2.0.1.1080", false, true, false, false, false},
        {"older", u"2.0.1.1079", true, true, false, false, false},
        {"newer, downloaded now", u"2.0.1.1090", false, true, false, true, true},
        {"newer, staged before", u"2.0.1.1090", true, true, false, true, true},
        {"newer, folder cmd cannot name", u"2.0.1.1090", true, false, false, false, false},
        {"newer, after run now", u"2.0.1.1090", true, true, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingHost host;
        host.listedUpdater = c.listed;
        host.versionOfBytes[kNewUpdater] = c.listed;
        host.batchNameable = c.batchNameable;
        if (c.alreadyStaged) host.files[kStagedUpdater] = kNewUpdater;
        UpdateRun run(host, u"Kor", u"C:\\P");
        if (c.runNowFirst) run.RunNow();
        run.Start(UpdaterCopy::kOnly);
        run.OnTimer(UpdateTimer::kUpdateCheck);
        EXPECT_EQ(Logged(host, kDownloadingUpdater), c.listed == u"2.0.1.1090" && !c.alreadyStaged);
        EXPECT_EQ(Logged(host, kReplacing), c.batchWritten);
        EXPECT_EQ(Logged(host, kSkipped), !c.batchNameable);
        EXPECT_EQ(host.files.count(u"C:\\P\\aUpdate.bat"), c.batchWritten ? 1u : 0u);
        EXPECT_EQ(host.batchStarted, c.batchStarted);
        EXPECT_EQ(host.quit, c.batchWritten);
        // Replacing itself, the updater fetches none of the remote's files; otherwise they come next.
        EXPECT_EQ(host.timers.count(UpdateTimer::kFileDownload), c.batchWritten ? 0u : 1u);
    }
}

TEST(UpdateRun, AnUnreachableServiceStartsTheRemoteAndIsAskedAgain) {
    for (const bool strict : {false, true}) {
        SCOPED_TRACE(strict ? "strict certificates" : "plain http allowed");
        RecordingHost host;
        host.strict = strict;
        host.textReply = [strict](const std::u16string&) {
            return FetchedReply{strict ? kHttpNotSecure : kHttpNoConnection, "", std::nullopt, false};
        };
        UpdateRun run(host, u"Kor", u"C:\\P");
        run.Start(UpdaterCopy::kOnly);
        run.OnTimer(UpdateTimer::kUpdateCheck);
        // Strict: no second try over http, and a line that tells an untrusted service from one that is down.
        EXPECT_EQ(host.urls.size(), strict ? 1u : 2u);
        EXPECT_EQ(host.urls.back().starts_with(u"http://svc/"), !strict);
        EXPECT_EQ(Logged(host, kNotSecure), strict);
        EXPECT_EQ(std::vector<int>(host.logs.end() - 2, host.logs.end()),
                  (std::vector<int>{kServerError, kRunWithout}));
        EXPECT_TRUE(host.hidden);
        EXPECT_EQ(host.started.size(), 1u);
        EXPECT_EQ(host.timers[UpdateTimer::kUpdateCheck], 10000u);

        // Once the service answers, the files arrive unseen but are not applied under the running remote.
        host.textReply = nullptr;
        run.OnTimer(UpdateTimer::kUpdateCheck);
        run.OnTimer(UpdateTimer::kFileDownload);
        run.OnTimer(UpdateTimer::kFileDownload);
        EXPECT_EQ(host.files[kStagedLibrary], kLibrary);
        EXPECT_EQ(host.files.count(kOldLibrary), 0u);
        EXPECT_EQ(host.started.size(), 1u);
        EXPECT_TRUE(host.quit);
    }
}

}  // namespace
}  // namespace tesmora
