// The INI files over the file functions and the private-profile functions of kernel32.
#include "common/config/config_files_win32.h"

#include <windows.h>

#include <span>
#include <vector>

#include "common/config/ini_encoding.h"
#include "common/platform/ansi_text_win32.h"
#include "common/platform/atomic_file_win32.h"
#include "common/platform/module_folder_win32.h"
#include "common/platform/wide_text_win32.h"
#include "common/ui/handles_win32.h"

namespace tesmora {

namespace {

constexpr DWORD kReadBufferCharacters = 30000;
// An INI file of the remote holds a handful of lines; anything this large is not one of ours and is
// left alone rather than read into memory.
constexpr DWORD kLargestIniFile = 16u << 20;
constexpr DWORD kRenameSettleMilliseconds = 100;

struct IniPaths {
    std::wstring config;
    std::wstring setting;
};

IniPaths& Paths() {
    static IniPaths paths;
    return paths;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& bytes) {
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > kLargestIniFile) {
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes.empty() ||
           (ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
            read == bytes.size());
}

bool WriteWholeFile(const std::wstring& path, std::span<const uint8_t> bytes) {
    return WriteFileAtomically(path, bytes) == FileWriteResult::kWritten;
}

bool WriteNewIniFile(const std::wstring& path) {
    return WriteWholeFile(path, EncodeUtf16LeMarked(kNewIniText));
}

class Win32BackupFiles final : public BackupFileSystem {
public:
    bool Exists(const std::u16string& path) override { return FileExists(ToWide(path)); }
    bool Rename(const std::u16string& from, const std::u16string& to) override {
        return MoveFileW(ToWide(from).c_str(), ToWide(to).c_str()) != FALSE;
    }
    void Pause() override { Sleep(kRenameSettleMilliseconds); }
};

std::u16string Today() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return FormatBackupDate(now.wYear, now.wMonth, now.wDay);
}

IniPrepareResult PrepareAt(const std::wstring& path) {
    if (!FileExists(path)) {
        WriteNewIniFile(path);
        return IniPrepareResult::Created;
    }
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) {
        return IniPrepareResult::Unreadable;
    }
    const IniEncoding encoding = DetectIniEncoding(bytes);
    if (!NeedsConversion(encoding)) {
        return IniPrepareResult::AlreadyReady;
    }
    Win32BackupFiles files;
    if (MoveToBackup(ToU16(path), Today(), files).empty()) {
        return IniPrepareResult::NotMoved;
    }
    // The bytes already read are exactly what now lies under the backup name.
    const std::vector<uint8_t> converted = ConvertIniToUtf16Le(bytes, encoding, FromAnsi);
    if (!WriteWholeFile(path, converted)) {
        WriteNewIniFile(path);
        return IniPrepareResult::WriteFailed;
    }
    return IniPrepareResult::Converted;
}

}  // namespace

IniPrepareResult PrepareIniFile(IniFile file) {
    return PrepareIniFile(file, GetModuleFolder());
}

IniPrepareResult PrepareIniFile(IniFile file, const std::wstring& folder) {
    const std::wstring path = folder + L"\\" + ToWide(IniFileName(file));
    (file == IniFile::Config ? Paths().config : Paths().setting) = path;
    SetCurrentDirectoryW(folder.c_str());
    return PrepareAt(path);
}

const std::wstring& IniFilePath(IniFile file) {
    return file == IniFile::Config ? Paths().config : Paths().setting;
}

std::wstring ReadIniString(const std::wstring& path, const std::wstring& section, const std::wstring& key,
                           const std::wstring& fallback) {
    if (section.empty() || path.empty()) {
        return fallback;
    }
    std::vector<wchar_t> buffer(kReadBufferCharacters, L'\0');
    GetPrivateProfileStringW(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(),
                             kReadBufferCharacters, path.c_str());
    buffer.back() = L'\0';
    return buffer.data();
}

bool WriteSettingString(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    const std::wstring& path = Paths().setting;
    // Without a prepared setting.ini the private-profile functions would pick a file of their own
    // choosing in the Windows folder.
    if (section.empty() || path.empty()) {
        return false;
    }
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), path.c_str()) != FALSE;
}

bool CreateIniIfMissing(const std::wstring& path) {
    if (!FileExists(path)) {
        WriteNewIniFile(path);
    }
    return FileExists(path);
}

}  // namespace tesmora
