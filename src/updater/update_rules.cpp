// The updater's portable decisions (see update_rules.h). The updater window's thread.
#include "updater/update_rules.h"

#include "common/platform/split_string.h"

namespace tesmora {

namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The leading decimal number of a text, as the service's size fields are read (0 without digits).
uint64_t LeadingDecimal(std::u16string_view text) {
    text = Trim(text);
    uint64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') break;
        value = value * 10 + uint64_t(c - u'0');
    }
    return value;
}

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

// Windows drops trailing dots and blanks from path components, so "..." or ".. " climbs like "..".
bool ClimbsOut(std::u16string_view component) {
    int dots = 0;
    for (char16_t c : component) {
        if (c == u'.') {
            ++dots;
        } else if (c != u' ') {
            return false;
        }
    }
    return dots >= 2;
}

// A plain file name: not empty, no separator, no drive colon, not "." or "..", no control character.
bool IsPlainFileName(std::u16string_view name) {
    if (name.empty() || name == u"." || ClimbsOut(name)) return false;
    for (char16_t c : name) {
        if (c < 0x20 || IsSeparator(c) || c == u':') return false;
    }
    return true;
}

// A name as Windows compares it: A-Z folded, trailing dots and blanks dropped.
std::u16string FoldedName(std::u16string_view name) {
    while (!name.empty() && (name.back() == u'.' || name.back() == u' ')) name.remove_suffix(1);
    std::u16string folded(name);
    for (char16_t& c : folded) {
        if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
    }
    return folded;
}

std::u16string PointedVersion(std::u16string version) {
    for (char16_t& c : version) {
        if (c == u',') c = u'.';
    }
    return version;
}

// cmd reads "%" as the start of a variable: "%%" is one percent sign.
std::u16string EscapePercent(std::u16string_view text) {
    std::u16string escaped;
    for (char16_t c : text) {
        escaped += c;
        if (c == u'%') escaped += c;
    }
    return escaped;
}

std::u16string TwoDigits(int value) {
    return {char16_t(u'0' + value / 10 % 10), char16_t(u'0' + value % 10)};
}

}  // namespace

std::vector<std::u16string> SplitReplyLines(std::u16string_view reply) {
    std::vector<std::u16string> lines;
    std::u16string line;
    auto finish = [&] {
        const std::u16string_view trimmed = Trim(line);
        if (!trimmed.empty()) lines.emplace_back(trimmed);
        line.clear();
    };
    for (char16_t c : reply) {
        if (c == u'"') continue;
        if (c == u'\n') {
            finish();
        } else {
            line += c;
        }
    }
    finish();
    return lines;
}

std::optional<std::u16string> FindReplyValue(const std::vector<std::u16string>& lines,
                                             std::u16string_view key) {
    if (key.empty()) return std::nullopt;
    for (const std::u16string& line : lines) {
        if (line.compare(0, key.size(), key) != 0) continue;
        std::u16string value;
        for (size_t i = 0; i < line.size();) {
            if (line.compare(i, key.size(), key) == 0) {
                i += key.size();
            } else {
                value += line[i++];
            }
        }
        return std::u16string(Trim(value));
    }
    return std::nullopt;
}

std::optional<UpdateFileEntry> ParseFileLine(std::u16string_view line) {
    constexpr std::u16string_view kKey = u"file:";
    line = Trim(line);
    if (line.substr(0, kKey.size()) != kKey) return std::nullopt;
    std::vector<std::u16string> fields;
    if (SplitString(Trim(line.substr(kKey.size())), u",", fields) != 9) return std::nullopt;
    return UpdateFileEntry{fields[0], fields[1], fields[2], fields[3],
                           fields[4], fields[5], fields[6], fields[7]};
}

std::vector<UpdateFileEntry> ParseFileList(std::u16string_view reply) {
    std::vector<UpdateFileEntry> entries;
    for (const std::u16string& line : SplitReplyLines(reply)) {
        if (std::optional<UpdateFileEntry> entry = ParseFileLine(line)) entries.push_back(std::move(*entry));
    }
    return entries;
}

bool IsEntryInsideFolder(const UpdateFileEntry& entry) {
    if (!IsPlainFileName(entry.targetName) || !IsPlainFileName(entry.stagingName)) return false;
    const std::u16string_view directory = entry.directory;
    if (!directory.empty() && IsSeparator(directory.front())) return false;  // rooted: "\x" or "\\server"
    size_t start = 0;
    while (start <= directory.size()) {
        size_t end = start;
        while (end < directory.size() && !IsSeparator(directory[end])) ++end;
        const std::u16string_view part = directory.substr(start, end - start);
        if (ClimbsOut(part)) return false;
        for (char16_t c : part) {
            if (c == u':' || c < 0x20) return false;  // a drive, or a stream name
        }
        start = end + 1;
    }
    return true;
}

bool StagesOverInstalled(const UpdateFileEntry& entry) {
    return FoldedName(entry.stagingName) == FoldedName(entry.targetName);
}

bool IsStagedFileNewer(const FileFacts& staged, const FileFacts& installed) {
    if (staged.version.empty()) return true;
    return IsVersionGreater(PointedVersion(staged.version), PointedVersion(installed.version));
}

bool IsVersionGreater(std::u16string_view candidate, std::u16string_view installed) {
    return candidate.compare(installed) > 0;
}

bool IsFileOutdated(const UpdateFileEntry& entry, const FileFacts& file) {
    if (entry.version == kNoVersion) return file.size != LeadingDecimal(entry.size);
    return IsVersionGreater(entry.version, PointedVersion(file.version));
}

bool PassesLanguageFilter(std::u16string_view typeKey, std::u16string_view language) {
    constexpr std::u16string_view kEnglish[] = {u"t_lang_dll_eng", u"s_lang_dll_eng", u"r_lang_dll_eng"};
    constexpr std::u16string_view kJapanese[] = {u"t_lang_dll_jpn", u"s_lang_dll_jpn", u"r_lang_dll_jpn"};
    auto among = [typeKey](const std::u16string_view(&keys)[3]) {
        for (std::u16string_view key : keys) {
            if (key == typeKey) return true;
        }
        return false;
    };
    if (language == u"Kor") return !among(kEnglish) && !among(kJapanese);
    if (language == u"Eng") return !among(kJapanese);
    if (language == u"Japan") return !among(kEnglish);
    return true;
}

int MessageOffsetForLanguage(std::u16string_view language) {
    if (language == u"Eng") return 300;
    if (language == u"Japan") return 600;
    return 0;
}

std::u16string_view ProgramFileForKey(std::u16string_view programKey) {
    if (programKey == u"u_teacher") return u"TesmoraOrluTeacher.exe";
    if (programKey == u"u_student") return u"TesmoraOrluStudent.exe";
    if (programKey == u"u_remocon") return u"TesmoraOrluRemocon.exe";
    return {};
}

std::optional<std::u16string> PickBackupName(std::u16string_view installedPath, int year, int month, int day,
                                             const std::function<bool(const std::u16string&)>& exists) {
    std::u16string stem(installedPath);
    stem += u"_";
    stem += TwoDigits(year / 100) + TwoDigits(year % 100) + TwoDigits(month) + TwoDigits(day);
    stem += u"_";
    for (int n = 1; n <= kMaxBackupsPerDay; ++n) {
        std::u16string name = stem;
        if (n >= 10) name += char16_t(u'0' + n / 10);
        name += char16_t(u'0' + n % 10);
        if (!exists(name)) return name;
    }
    return std::nullopt;
}

std::u16string SelfReplaceBatchText(std::u16string_view rawFolder, std::u16string_view staged) {
    const std::u16string folder = EscapePercent(rawFolder);
    std::u16string exe(folder);
    exe += u"\\";
    exe += kUpdaterFileName;
    std::u16string bat(folder);
    bat += u"\\";
    bat += kSelfReplaceBatchName;
    const std::u16string q = u"\"";
    const std::u16string newPath = EscapePercent(staged);
    std::u16string text;
    auto line = [&text](const std::u16string& content) { text += content + u"\r\n"; };
    line(u":try_exe");
    line(u"IF EXIST " + q + newPath + q + u" ( DEL " + q + exe + q + u" ) ELSE ( GOTO next1)  ");
    line(u"IF EXIST " + q + exe + q + u" GOTO try_exe");
    line(u":next1");
    line(u":copy_exe");
    line(u"IF EXIST " + q + newPath + q + u" ( MOVE " + q + newPath + q + u" " + q + exe + q +
         u" ) ELSE ( GOTO next2 )");
    line(u"IF NOT EXIST " + q + exe + q + u" GOTO copy_exe");
    line(u":next2");
    line(u"start /D " + q + folder + q + u" /B " + std::u16string(kUpdaterFileName) + u" ");
    line(u":try_bat");
    line(u"DEL " + q + bat + q);
    line(u"IF EXIST " + q + bat + q + u" GOTO try_bat");
    return text;
}

DownloadVerdict JudgeDownload(size_t bodyBytes, std::optional<uint64_t> announcedLength,
                              std::optional<uint64_t> entrySize, bool endedCleanly) {
    if (!endedCleanly) return DownloadVerdict::kShort;
    if (bodyBytes <= kBusyBodyBytes) return DownloadVerdict::kBusy;
    if (announcedLength && *announcedLength != bodyBytes) return DownloadVerdict::kShort;
    if (entrySize && *entrySize != bodyBytes) return DownloadVerdict::kShort;
    return DownloadVerdict::kComplete;
}

bool IsTextReplyWhole(size_t bodyBytes, std::optional<uint64_t> announcedLength, bool endedCleanly) {
    return endedCleanly && (!announcedLength || *announcedLength == bodyBytes);
}

std::optional<uint64_t> EntrySizeBytes(const UpdateFileEntry& entry) {
    const std::u16string_view size = Trim(entry.size);
    if (size.empty() || size.size() > 18) return std::nullopt;
    for (char16_t c : size) {
        if (c < u'0' || c > u'9') return std::nullopt;
    }
    return LeadingDecimal(size);
}

}  // namespace tesmora
