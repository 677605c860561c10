// The encoding rules of the remote's INI files: the private-profile functions read non-ASCII text
// only from UTF-16LE files with a byte-order mark, so files found in another encoding are detected,
// converted, and the original kept under a dated backup name. UI thread (portable, no state).
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tesmora {

enum class IniEncoding {
    Utf16LeMarked,    // FF FE: what the private-profile functions want; left alone
    Utf16BeMarked,    // FE FF
    Utf16LeUnmarked,  // two-byte line breaks in little-endian order only
    Utf16BeUnmarked,  // two-byte line breaks in big-endian order only
    Utf8,             // EF BB BF, or a clean UTF-8 scan with at least one multi-byte sequence
    Ansi,             // anything else, pure ASCII included
};

// Decides the encoding of a whole INI file's bytes. Never reads past `bytes`.
IniEncoding DetectIniEncoding(std::span<const uint8_t> bytes);

// Everything but UTF-16LE with a mark is rewritten.
inline bool NeedsConversion(IniEncoding encoding) {
    return encoding != IniEncoding::Utf16LeMarked;
}

// Decodes bytes in the system's ANSI code page (the Windows build passes the system conversion).
using AnsiDecoder = std::function<std::u16string(std::span<const uint8_t>)>;

// Decodes `bytes` as `encoding` (a leading byte-order mark is dropped, malformed UTF-8 becomes
// U+FFFD, an odd last byte of UTF-16 is dropped) and answers the file content to write: FF FE
// followed by the UTF-16LE text, without terminator. Always starts with FF FE.
std::vector<uint8_t> ConvertIniToUtf16Le(std::span<const uint8_t> bytes, IniEncoding encoding,
                                         const AnsiDecoder& decodeAnsi);

// Lenient UTF-8 decoding: each maximal malformed part becomes one U+FFFD.
std::u16string DecodeUtf8(std::span<const uint8_t> bytes);

// FF FE followed by `text` as UTF-16LE.
std::vector<uint8_t> EncodeUtf16LeMarked(std::u16string_view text);

// "YYYYMMDD" for the backup name.
std::u16string FormatBackupDate(int year, int month, int day);

// The n-th backup name (1 <= n <= 99) of `path` on `date`: the path without its extension, "_",
// the date, n as two digits, and the extension (config.ini -> config_2025092501.ini).
std::u16string BackupName(std::u16string_view path, std::u16string_view date, int n);

// What moving a file aside needs from the file system; the Windows build implements it with file
// attributes and MoveFileW, tests with a fake.
class BackupFileSystem {
public:
    virtual ~BackupFileSystem() = default;
    virtual bool Exists(const std::u16string& path) = 0;
    virtual bool Rename(const std::u16string& from, const std::u16string& to) = 0;
    // Called between a rename and its check, so a slow file system (a scanner, a network share)
    // can finish the move.
    virtual void Pause() = 0;
};

// Moves `path` to the first free backup name on `date` (three attempts at that name) and answers
// the name, or empty when the file could not be moved and must be left as it is.
std::u16string MoveToBackup(std::u16string_view path, std::u16string_view date, BackupFileSystem& files);

}  // namespace tesmora
