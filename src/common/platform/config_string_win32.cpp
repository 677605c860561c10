// The configuration strings over an installed RegistryKey or the application profile in
// HKEY_CURRENT_USER. The state is process-wide by design (one profile per program) and is set on
// the UI thread at start-up.
#include "common/platform/config_string_win32.h"

#include <climits>
#include <vector>

#include "common/platform/module_folder_win32.h"

namespace tesmora {

namespace {

constexpr wchar_t kProfileRoot[] = L"Software\\TesmoraOrlu\\";

struct ConfigSource {
    std::unique_ptr<RegistryKey> registry;
    std::wstring profileKey;
};

ConfigSource& Source() {
    static ConfigSource source;
    return source;
}

// The string value `entry` of `root`\`path`; `fallback` when the key or the value is missing, is
// not a string or cannot be read.
std::wstring ReadStringValue(HKEY root, const std::wstring& path, const std::wstring& entry,
                             const std::wstring& fallback) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return fallback;
    }
    std::wstring value = fallback;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, entry.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        // One spare unit so that a value stored without its terminator still ends in the buffer.
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bytes = size;
        if (RegQueryValueExW(key, entry.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                             &bytes) == ERROR_SUCCESS &&
            bytes <= size) {
            value.assign(buffer.data());
        }
    }
    RegCloseKey(key);
    return value;
}

}  // namespace

std::wstring ReadProfileString(const std::wstring& section, const std::wstring& entry,
                               const std::wstring& fallback) {
    return ReadStringValue(HKEY_CURRENT_USER, ApplicationProfileKey() + L"\\" + section, entry, fallback);
}

std::wstring ReadMachineDefault(const std::wstring& entry, const std::wstring& fallback) {
    // The process's own registry view, as the installer of the same build writes it (the 32-bit
    // programs' value lies under WOW6432Node on 64-bit Windows).
    return ReadStringValue(HKEY_LOCAL_MACHINE, kMachineDefaultsKey, entry, fallback);
}

bool WriteProfileString(const std::wstring& section, const std::wstring& entry, const std::wstring& value) {
    const std::wstring path = ApplicationProfileKey() + L"\\" + section;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const size_t bytes = (value.size() + 1) * sizeof(wchar_t);
    const bool stored = bytes <= UINT_MAX && RegSetValueExW(key, entry.c_str(), 0, REG_SZ,
                                                            reinterpret_cast<const BYTE*>(value.c_str()),
                                                            static_cast<DWORD>(bytes)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return stored;
}

void InstallConfigRegistry(std::unique_ptr<RegistryKey> registry) {
    Source().registry = std::move(registry);
}

RegistryKey* InstalledConfigRegistry() {
    return Source().registry.get();
}

void SetApplicationProfileKey(const std::wstring& key) {
    Source().profileKey = key;
}

const std::wstring& ApplicationProfileKey() {
    ConfigSource& source = Source();
    if (source.profileKey.empty()) {
        source.profileKey = kProfileRoot + GetProgramName();
    }
    return source.profileKey;
}

std::wstring GetConfigString(const std::wstring& section, const std::wstring& entry,
                             const std::wstring& fallback) {
    if (RegistryKey* registry = InstalledConfigRegistry()) {
        std::wstring value;
        registry->Read(entry, value, fallback);
        return value;
    }
    return ReadProfileString(section, entry, fallback);
}

bool WriteConfigString(const std::wstring& section, const std::wstring& entry, const std::wstring& value) {
    if (RegistryKey* registry = InstalledConfigRegistry()) {
        return registry->Write(entry, value);
    }
    return WriteProfileString(section, entry, value);
}

}  // namespace tesmora
