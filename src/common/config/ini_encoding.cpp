// Encoding detection and conversion of the remote's INI files, and their dated backup names.
#include "common/config/ini_encoding.h"

#include <cstdio>

namespace tesmora {

namespace {

constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;
constexpr char16_t kByteOrderMark = 0xFEFF;
constexpr char16_t kReplacement = 0xFFFD;
constexpr int kLastBackupNumber = 99;
constexpr int kRenameAttempts = 3;

enum class ByteOrder { kLittleEndian, kBigEndian };

bool StartsWith(std::span<const uint8_t> bytes, std::initializer_list<uint8_t> prefix) {
    if (bytes.size() < prefix.size()) {
        return false;
    }
    size_t i = 0;
    for (uint8_t b : prefix) {
        if (bytes[i++] != b) {
            return false;
        }
    }
    return true;
}

bool IsLineBreak(uint8_t b) {
    return b == kCr || b == kLf;
}

// Line breaks stored as two-byte units betray UTF-16 without a mark; ANSI and UTF-8 text never hold
// a zero byte next to a line break. Seeing both orders means the bytes are not UTF-16 at all.
enum class TwoByteBreaks { None, LittleEndian, BigEndian, Both };

TwoByteBreaks ScanTwoByteBreaks(std::span<const uint8_t> bytes) {
    bool little = false;
    bool big = false;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        if (IsLineBreak(bytes[i]) && bytes[i + 1] == 0) {
            little = true;
        } else if (bytes[i] == 0 && IsLineBreak(bytes[i + 1])) {
            big = true;
        }
        if (little && big) {
            return TwoByteBreaks::Both;
        }
    }
    return little ? TwoByteBreaks::LittleEndian : big ? TwoByteBreaks::BigEndian : TwoByteBreaks::None;
}

// True when the bytes up to the end or the first zero byte are well-formed UTF-8 (by lead-byte ranges)
// and hold at least one complete multi-byte sequence. A sequence cut off by the end of the file
// ends the scan without failing it.
bool LooksLikeUtf8(std::span<const uint8_t> bytes) {
    bool sawMultiByte = false;
    size_t i = 0;
    while (i < bytes.size() && bytes[i] != 0) {
        const uint8_t lead = bytes[i];
        size_t following = 0;
        if (lead <= 0x7F) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            following = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            following = 2;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            following = 3;
        } else {
            return false;
        }
        for (size_t k = 1; k <= following; ++k) {
            if (i + k >= bytes.size()) {
                return sawMultiByte;
            }
            if (bytes[i + k] < 0x80 || bytes[i + k] > 0xBF) {
                return false;
            }
        }
        sawMultiByte = true;
        i += following + 1;
    }
    return sawMultiByte;
}

void AppendCodePoint(std::u16string& out, uint32_t codePoint) {
    if (codePoint < 0x10000) {
        out.push_back(static_cast<char16_t>(codePoint));
    } else {
        codePoint -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
    }
}

std::u16string DecodeUtf16(std::span<const uint8_t> bytes, ByteOrder order) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const uint8_t first = bytes[i];
        const uint8_t second = bytes[i + 1];
        text.push_back(order == ByteOrder::kBigEndian ? static_cast<char16_t>(first << 8 | second)
                                                      : static_cast<char16_t>(second << 8 | first));
    }
    return text;
}

}  // namespace

IniEncoding DetectIniEncoding(std::span<const uint8_t> bytes) {
    if (StartsWith(bytes, {0xFF, 0xFE})) {
        return IniEncoding::Utf16LeMarked;
    }
    if (StartsWith(bytes, {0xEF, 0xBB, 0xBF})) {
        return IniEncoding::Utf8;
    }
    if (StartsWith(bytes, {0xFE, 0xFF})) {
        return IniEncoding::Utf16BeMarked;
    }
    // Checked before the UTF-8 scan: a UTF-16 file whose first units happen to form a UTF-8
    // sequence before the first zero byte would otherwise be decoded as UTF-8 and destroyed.
    switch (ScanTwoByteBreaks(bytes)) {
        case TwoByteBreaks::LittleEndian:
            return IniEncoding::Utf16LeUnmarked;
        case TwoByteBreaks::BigEndian:
            return IniEncoding::Utf16BeUnmarked;
        case TwoByteBreaks::None:
        case TwoByteBreaks::Both:
            break;
    }
    return LooksLikeUtf8(bytes) ? IniEncoding::Utf8 : IniEncoding::Ansi;
}

std::u16string DecodeUtf8(std::span<const uint8_t> bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        const uint8_t lead = bytes[i++];
        if (lead <= 0x7F) {
            text.push_back(lead);
            continue;
        }
        size_t following = 0;
        uint32_t codePoint = 0;
        uint8_t low = 0x80;  // the second byte's range excludes overlong forms, surrogates and > U+10FFFF
        uint8_t high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            following = 1;
            codePoint = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            following = 2;
            codePoint = lead & 0x0F;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            following = 3;
            codePoint = lead & 0x07;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            text.push_back(kReplacement);
            continue;
        }
        size_t taken = 0;
        while (taken < following && i < bytes.size() && bytes[i] >= low && bytes[i] <= high) {
            codePoint = codePoint << 6 | (bytes[i] & 0x3F);
            ++i;
            ++taken;
            low = 0x80;
            high = 0xBF;
        }
        if (taken < following) {
            text.push_back(kReplacement);
        } else {
            AppendCodePoint(text, codePoint);
        }
    }
    return text;
}

std::vector<uint8_t> EncodeUtf16LeMarked(std::u16string_view text) {
    std::vector<uint8_t> bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes.push_back(0xFF);
    bytes.push_back(0xFE);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return bytes;
}

std::vector<uint8_t> ConvertIniToUtf16Le(std::span<const uint8_t> bytes, IniEncoding encoding,
                                         const AnsiDecoder& decodeAnsi) {
    std::u16string text;
    switch (encoding) {
        case IniEncoding::Utf16LeMarked:
        case IniEncoding::Utf16LeUnmarked:
            text = DecodeUtf16(bytes, ByteOrder::kLittleEndian);
            break;
        case IniEncoding::Utf16BeMarked:
        case IniEncoding::Utf16BeUnmarked:
            text = DecodeUtf16(bytes, ByteOrder::kBigEndian);
            break;
        case IniEncoding::Utf8:
            text = DecodeUtf8(bytes);
            break;
        case IniEncoding::Ansi:
            text = decodeAnsi ? decodeAnsi(bytes) : std::u16string();
            break;
    }
    // The old mark, decoded with the text, would otherwise follow the new one and hide the first
    // section line from the private-profile functions.
    if (!text.empty() && text.front() == kByteOrderMark) {
        text.erase(0, 1);
    }
    return EncodeUtf16LeMarked(text);
}

std::u16string FormatBackupDate(int year, int month, int day) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04d%02d%02d", year % 10000, month % 100, day % 100);
    return std::u16string(digits, digits + 8);
}

std::u16string BackupName(std::u16string_view path, std::u16string_view date, int n) {
    const size_t folderEnd = path.find_last_of(u"\\/");
    const size_t nameStart = folderEnd == std::u16string_view::npos ? 0 : folderEnd + 1;
    size_t dot = path.rfind(u'.');
    if (dot == std::u16string_view::npos || dot < nameStart) {
        dot = path.size();
    }
    // Only the file name's own extension is cut, so a dot in a folder name cannot move the backup
    // into another folder.
    std::u16string name(path.substr(0, dot));
    name += u'_';
    name += date;
    name += static_cast<char16_t>(u'0' + n / 10 % 10);
    name += static_cast<char16_t>(u'0' + n % 10);
    name += path.substr(dot);
    return name;
}

std::u16string MoveToBackup(std::u16string_view path, std::u16string_view date, BackupFileSystem& files) {
    const std::u16string source(path);
    for (int n = 1; n <= kLastBackupNumber; ++n) {
        const std::u16string backup = BackupName(path, date, n);
        if (files.Exists(backup)) {
            continue;
        }
        for (int attempt = 0; attempt < kRenameAttempts; ++attempt) {
            files.Rename(source, backup);
            files.Pause();
            const bool backupThere = files.Exists(backup);
            if (backupThere && !files.Exists(source)) {
                return backup;
            }
            if (backupThere) {
                break;  // someone else took this name meanwhile: try the next one
            }
        }
        if (!files.Exists(backup)) {
            // The name was free but the file would not move (locked, no rights): further names
            // would fail the same way, only slower.
            return {};
        }
    }
    return {};
}

}  // namespace tesmora
