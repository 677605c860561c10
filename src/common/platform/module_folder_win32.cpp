// The program file's path, folder and name over GetModuleFileNameW.
#include "common/platform/module_folder_win32.h"

#include <windows.h>

#include <vector>

namespace tesmora {

namespace {
// Long paths ("\\?\" and long-path aware systems) reach 32,767 characters.
constexpr DWORD kFirstCapacity = 1024;
constexpr DWORD kLongestPath = 32768;
}  // namespace

std::wstring GetProgramFilePath() {
    // A path that fills the buffer was cut: read again with more room rather than use a cut path.
    for (DWORD capacity = kFirstCapacity; capacity <= kLongestPath; capacity *= 2) {
        std::vector<wchar_t> path(capacity);
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), capacity);
        if (length == 0) return {};
        if (length < capacity) return std::wstring(path.data(), length);
    }
    return {};
}

std::wstring GetModuleFolder() {
    const std::wstring full = GetProgramFilePath();
    const size_t slash = full.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : full.substr(0, slash);
}

std::wstring GetProgramName() {
    std::wstring name = GetProgramFilePath();
    const size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
}

}  // namespace tesmora
