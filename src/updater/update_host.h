// UpdateHost: what the update run asks of the system it runs on: the update service's requests, the
// files of the program folder, the self-replacement batch, the product program, the window's timers
// and log, and the end of the program. The updater's window thread implements it with WinINet, the
// file system and the shell; tests implement it with a recording fake. UI thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "updater/update_rules.h"

namespace tesmora {

// The window's two timers, by their fixed ids.
enum class UpdateTimer : unsigned {
    kFileDownload = 1000,  // one download per tick, then the staged files are applied
    kUpdateCheck = 1001,   // server check, file list, updater check
};

// What a request fetches: a text reply (server check, file list) or a file, each with its own bound on
// the body's length.
enum class ReplyKind { kText, kFile };

// One request's answer: an HttpFetch result code (http_result.h) and, on kHttpOk, the body.
struct FetchedReply {
    int result = 0;
    std::string body;
    std::optional<uint64_t> contentLength;  // the Content-Length header, when the service sent one
    bool whole = false;                     // the body ended as announced, without a read error
};

// How writing a whole file ended; the file is written under "<path>.part" and renamed into place.
enum class FileWriteOutcome { kWritten, kNotCreated, kNotWritten, kNotReplaced };

struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

class UpdateHost {
public:
    virtual ~UpdateHost() = default;

    // One GET of `url` with `query`; the window keeps painting while the body arrives.
    virtual FetchedReply Fetch(const std::u16string& url, const std::u16string& query, ReplyKind kind,
                               bool strictCertificates) = 0;
    // The reply bytes as text, read in the system's ANSI code page.
    virtual std::u16string TextFromSystemCodePage(std::string_view bytes) = 0;
    // A value of config.ini's section "default" beside the updater, read afresh; empty when missing.
    virtual std::u16string ReadSetting(std::u16string_view key) = 0;
    // The tick count the requests carry so that no cache between the updater and the service
    // answers them.
    virtual uint32_t TickCount() = 0;

    virtual FileFacts ReadFileFacts(const std::u16string& path) = 0;
    virtual bool FileExists(const std::u16string& path) = 0;
    // This updater's own version text.
    virtual std::u16string OwnVersion() = 0;
    // Makes the folder and every missing parent exist.
    virtual void MakeDirectoryPath(const std::u16string& directory) = 0;
    // Writes the whole file atomically: a reader finds the old file or the whole new one.
    virtual FileWriteOutcome SaveFile(const std::u16string& path, std::span<const uint8_t> bytes) = 0;
    virtual void RemoveFile(const std::u16string& path) = 0;
    // Renames a file; fails when `to` exists.
    virtual void RenameFile(const std::u16string& from, const std::u16string& to) = 0;
    virtual CalendarDate Today() = 0;

    // The self-replacement batch's bytes as cmd will read them, for the updater folder and the staged
    // updater; nothing when cmd could not name one of the two paths.
    virtual std::optional<std::string> SelfReplaceBatch(const std::u16string& folder,
                                                        const std::u16string& staged) = 0;
    // Starts the batch hidden; it runs on after this program has ended.
    virtual void StartBatch(const std::u16string& path) = 0;
    // True when a running process has this program file name (letter case ignored).
    virtual bool IsProgramRunning(const std::u16string& fileName) = 0;
    virtual void StartProgram(const std::u16string& path, const std::u16string& workingFolder) = 0;

    virtual void StartTimer(UpdateTimer timer, unsigned milliseconds) = 0;
    virtual void StopTimer(UpdateTimer timer) = 0;
    // The timer's tick comes at once, as a posted message.
    virtual void TickSoon(UpdateTimer timer) = 0;
    // Appends a log line: `message` is a number of the updater's string table (Korean block), filled
    // with up to two texts in the user's language.
    virtual void WriteLog(int message, const std::u16string& first = {},
                          const std::u16string& second = {}) = 0;
    // A text of the updater's string table in the user's language.
    virtual std::u16string LoadText(int message) = 0;
    // Hides the window for good, whoever asks to show it later.
    virtual void HideWindow() = 0;
    // Ends the window's message loop, and with it the updater.
    virtual void Quit() = 0;
};

}  // namespace tesmora
