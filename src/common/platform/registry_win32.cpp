// RegistryKey over the registry functions of advapi32.
#include "common/platform/registry_win32.h"

#include <climits>

namespace tesmora {

namespace {

// Query, enumerate sub-keys and notify: enough to read, never enough to write.
constexpr REGSAM kReadOnlyRights = 0x19;
constexpr DWORD kReadBufferBytes = 200;

std::wstring WithoutTrailingBackslash(const std::wstring& path) {
    if (!path.empty() && path.back() == L'\\') {
        return path.substr(0, path.size() - 1);
    }
    return path;
}

}  // namespace

RegistryKey::RegistryKey(HKEY root) : key_(root), root_(root) {}

RegistryKey::~RegistryKey() {
    Close();
}

bool RegistryKey::Replace(LONG result, HKEY opened) {
    lastError_ = result;
    if (result != ERROR_SUCCESS) {
        return false;
    }
    if (key_ != root_) {
        RegCloseKey(key_);
    }
    key_ = opened;
    return true;
}

bool RegistryKey::Open(const std::wstring& path) {
    const std::wstring subKey = WithoutTrailingBackslash(path);
    HKEY opened = nullptr;
    const LONG result =
        RegOpenKeyExW(key_, subKey.c_str(), 0, readOnly_ ? kReadOnlyRights : KEY_ALL_ACCESS, &opened);
    return Replace(result, opened);
}

bool RegistryKey::Create(const std::wstring& path) {
    if (readOnly_) {
        return false;
    }
    const std::wstring subKey = WithoutTrailingBackslash(path);
    HKEY opened = nullptr;
    const LONG result = RegCreateKeyExW(key_, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_ALL_ACCESS, nullptr, &opened, nullptr);
    return Replace(result, opened);
}

bool RegistryKey::Read(const std::wstring& name, std::wstring& value, const std::wstring& fallback) {
    // One spare unit: a value of exactly 100 characters stored without its terminator fills the
    // buffer, and must still end inside it.
    wchar_t buffer[kReadBufferBytes / sizeof(wchar_t) + 1] = {};
    DWORD size = kReadBufferBytes;
    DWORD type = 0;
    lastError_ = RegQueryValueExW(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    if (lastError_ != ERROR_SUCCESS) {
        value = fallback;
        return true;
    }
    std::wstring text(buffer, size / sizeof(wchar_t));
    const size_t end = text.find(L'\0');
    if (end != std::wstring::npos) {
        text.resize(end);
    }
    value = std::move(text);
    return true;
}

bool RegistryKey::Write(const std::wstring& name, const std::wstring& value) {
    if (readOnly_) {
        return false;
    }
    const size_t characters = value.size() + 1;
    if (characters > UINT_MAX / sizeof(wchar_t)) {
        return false;
    }
    lastError_ = RegSetValueExW(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>(characters * sizeof(wchar_t)));
    return lastError_ == ERROR_SUCCESS;
}

void RegistryKey::Close() {
    if (key_ != root_) {
        RegCloseKey(key_);
    }
    key_ = root_;
}

}  // namespace tesmora
