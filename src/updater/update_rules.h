// The updater's decisions that need no system: the service's reply lines, the file list, which
// installed file is out of date, which entries may be written at all, the language filter, backup
// names, the self-replacement batch text and whether a finished download may be applied. Portable;
// the updater window's thread uses it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tesmora {

inline constexpr std::u16string_view kServerCheckPath = u"/tesmora/update/GetUpdateServerInfo.jsp";
inline constexpr std::u16string_view kFileListPath = u"/tesmora/update/GetUpdateFileInfo.jsp";
inline constexpr std::u16string_view kDownloadPath = u"/tesmora/update/DownloadFileOrlu.jsp";
inline constexpr std::u16string_view kReleaseVersion = u"2.0LoginOrlu";
inline constexpr std::u16string_view kUpdaterProgramKey = u"u_remocon";
inline constexpr std::u16string_view kUpdaterTypeKey = u"updater_remocon_exe";
inline constexpr std::u16string_view kUpdaterFileName = u"TesmoraOrluUpdaterR.exe";
inline constexpr std::u16string_view kSelfReplaceBatchName = u"aUpdate.bat";
// The version field of files that carry no version: they are judged by size.
inline constexpr std::u16string_view kNoVersion = u"해당없음";
// A download body this short is the service saying it is busy.
inline constexpr size_t kBusyBodyBytes = 100;
// The server check and the file list are a few lines (a list of a few hundred entries is some tens of
// KB); a longer reply is not one of them, and the 32-bit updater copies and widens it several times.
inline constexpr size_t kMaxTextReplyBytes = 1u << 20;
// Backups per installed file and day.
inline constexpr int kMaxBackupsPerDay = 99;

// One "file:" line of the file list, its eight fields in order.
struct UpdateFileEntry {
    std::u16string programKey;
    std::u16string typeKey;
    std::u16string targetName;
    std::u16string directory;  // joined unchanged between the folder plus "\" and the names
    std::u16string size;
    std::u16string version;
    std::u16string unused;
    std::u16string stagingName;
};

// The reply's lines: every double quote removed, cut at line feeds, each trimmed, empty ones dropped.
std::vector<std::u16string> SplitReplyLines(std::u16string_view reply);
// The value of the first line that starts with `key` (e.g. u"server:"): the line with every
// occurrence of the key removed, trimmed. Nothing when no line starts with it.
std::optional<std::u16string> FindReplyValue(const std::vector<std::u16string>& lines,
                                             std::u16string_view key);

// The entry of one "file:" line (after the key, split at commas, empty pieces skipped, exactly eight
// fields), or nothing.
std::optional<UpdateFileEntry> ParseFileLine(std::u16string_view line);
// Every entry of a file-list reply, in reply order.
std::vector<UpdateFileEntry> ParseFileList(std::u16string_view reply);

// True when the entry's directory, target and staging names keep every file inside the program's
// folder: no absolute path, no drive, no ".." component, and names that are plain file names.
bool IsEntryInsideFolder(const UpdateFileEntry& entry);
// True when the staging name is the target name itself as Windows reads names (letter case of A-Z,
// trailing dots and blanks ignored): applying it would move the installed file to its backup and
// leave nothing in its place.
bool StagesOverInstalled(const UpdateFileEntry& entry);

// The service's version order: code unit by code unit, the first difference deciding, a proper prefix
// smaller (so "2.0.1.999" is greater than "2.0.1.1080").
bool IsVersionGreater(std::u16string_view candidate, std::u16string_view installed);

// What the updater knows of a file on disk.
struct FileFacts {
    uint64_t size = 0;       // 0 when missing
    std::u16string version;  // the version resource's text, empty when missing or none
};
// Whether `file` must be replaced by the entry's file: by size for "해당없음", otherwise when the
// entry's version is greater than the file's with commas read as points.
bool IsFileOutdated(const UpdateFileEntry& entry, const FileFacts& file);

// Whether a staged file may replace the installed one. A staged file with a version resource must be
// newer than the installed file, both read as the out-of-date rules read them (commas as points): a
// file staged by an earlier run is stale once a newer release was installed in between. A staged file
// without a version resource is judged by the list alone.
bool IsStagedFileNewer(const FileFacts& staged, const FileFacts& installed);

// The language filter: which library types the language code skips.
bool PassesLanguageFilter(std::u16string_view typeKey, std::u16string_view language);
// 0 for "Kor", 300 for "Eng", 600 for "Japan", 0 for anything else.
int MessageOffsetForLanguage(std::u16string_view language);
// The product program of a program key; empty for an unknown key.
std::u16string_view ProgramFileForKey(std::u16string_view programKey);

// The first backup name of `installedPath` for the date: path + "_YYYYMMDD_" + n, n = 1..99, the first
// for which `exists` says no; nothing when all 99 exist.
std::optional<std::u16string> PickBackupName(std::u16string_view installedPath, int year, int month, int day,
                                             const std::function<bool(const std::u16string&)>& exists);

// The twelve lines of the self-replacement batch, each ending in CR LF. `folder` is the updater's
// folder D; `staged` the staged new updater's full path. Both are paths the batch can read (the caller
// picks them); every "%" in them is doubled, since cmd would read it as a variable.
std::u16string SelfReplaceBatchText(std::u16string_view folder, std::u16string_view staged);

// How a download ended, judged from its body and what was announced for it.
enum class DownloadVerdict {
    kComplete,  // apply it: the whole body is here
    kBusy,      // the service asked to come back later; nothing is written
    kShort,     // the body is shorter (or longer) than announced, or broke off: never applied
};
// `announcedLength` is the Content-Length when the service sent one; `entrySize` the entry's size
// when its version is "해당없음" (then the body must have exactly that length as well);
// `endedCleanly` whether the transfer reached its end without a read error. With neither a length nor
// a size, only a clean end tells a whole file from the front part of one.
DownloadVerdict JudgeDownload(size_t bodyBytes, std::optional<uint64_t> announcedLength,
                              std::optional<uint64_t> entrySize, bool endedCleanly);
// A text reply (server check, file list) is taken only whole: it ended cleanly and, when a length was
// announced, has exactly that length. A cut list would offer truncated names and versions.
bool IsTextReplyWhole(size_t bodyBytes, std::optional<uint64_t> announcedLength, bool endedCleanly);
// The entry's size field as a number, when it is plain decimal digits.
std::optional<uint64_t> EntrySizeBytes(const UpdateFileEntry& entry);

}  // namespace tesmora
