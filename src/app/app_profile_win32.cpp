// The application profile (see app_profile_win32.h).
#include "app/app_profile_win32.h"

#include <windows.h>

#include <mutex>

#include "common/platform/registry_win32.h"

namespace {

std::mutex gRootLock;
std::wstring gRoot = L"TesmoraOrlu";

std::wstring ApplicationName() {
    wchar_t path[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, length < MAX_PATH ? length : 0);
    size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
}

}  // namespace

void SetProfileRoot(const std::wstring& root) {
    std::lock_guard lock(gRootLock);
    gRoot = root;
}

std::wstring ProfileKeyPath() {
    std::lock_guard lock(gRootLock);
    return L"Software\\" + gRoot + L"\\" + ApplicationName();
}

std::wstring ReadProfileString(const std::wstring& section, const std::wstring& name,
                               const std::wstring& fallback) {
    CRegistry registry(HKEY_CURRENT_USER);
    registry.SetReadOnly(true);
    if (!registry.Open(ProfileKeyPath() + L"\\" + section)) return fallback;
    std::wstring value;
    registry.Read(name, value, fallback);
    return value;
}

bool WriteProfileString(const std::wstring& section, const std::wstring& name, const std::wstring& value) {
    CRegistry registry(HKEY_CURRENT_USER);
    return registry.Create(ProfileKeyPath() + L"\\" + section) && registry.Write(name, value);
}
