// Version resources, file sizes and the process snapshot (see file_facts_win32.h).
#include "updater/file_facts_win32.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cwchar>
#include <vector>

#include "common/platform/module_folder_win32.h"
#include "common/platform/wide_text_win32.h"

namespace tesmora {

namespace {

constexpr wchar_t kNoVersionString[] = L"Unable to get Version Info";

// Nothing when the file has no version resource or no translation list.
bool ReadVersionText(const std::wstring& path, std::wstring& version) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return false;
    std::vector<BYTE> data(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return false;
    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translations = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                          &length) ||
        length < sizeof(Translation)) {
        return false;
    }
    wchar_t query[64];
    std::swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", translations[0].language,
                  translations[0].codePage);
    wchar_t* text = nullptr;
    UINT textLength = 0;
    if (!::VerQueryValueW(data.data(), query, reinterpret_cast<void**>(&text), &textLength) || !text) {
        version = kNoVersionString;
        return true;
    }
    version.assign(text, wcsnlen(text, textLength));
    return true;
}

}  // namespace

std::wstring ReadFileVersion(const std::wstring& path) {
    std::wstring version;
    return ReadVersionText(path, version) ? version : std::wstring();
}

std::wstring ReadOwnVersion() {
    std::wstring version;
    return ReadVersionText(GetProgramFilePath(), version) ? version : L"1.0.0.0";
}

FileFacts ReadFileFacts(const std::wstring& path) {
    FileFacts facts;
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes) &&
        !(attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        facts.size = (uint64_t(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
        facts.version = ToU16(ReadFileVersion(path));
    }
    return facts;
}

bool IsProgramRunning(const std::wstring& fileName) {
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more && !found;
         more = ::Process32NextW(snapshot, &entry)) {
        const wchar_t* name = entry.szExeFile;
        if (const wchar_t* slash = std::wcsrchr(name, L'\\')) name = slash + 1;
        found = ::lstrcmpiW(name, fileName.c_str()) == 0;
    }
    ::CloseHandle(snapshot);
    return found;
}

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace tesmora
