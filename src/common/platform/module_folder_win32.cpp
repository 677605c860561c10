// GetModuleFolder over GetModuleFileNameW.
#include "common/platform/module_folder_win32.h"

#include <windows.h>

namespace {
constexpr DWORD kModulePathCapacity = 1024;
}

std::wstring GetModuleFolder() {
    wchar_t path[kModulePathCapacity];
    const DWORD length = GetModuleFileNameW(nullptr, path, kModulePathCapacity);
    // A path that filled the buffer was cut and names no real folder.
    if (length == 0 || length >= kModulePathCapacity) {
        return {};
    }
    const std::wstring full(path, length);
    const size_t slash = full.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : full.substr(0, slash);
}
