// The programs' application profile (one implementation for both programs) and GetConfigString /
// WriteConfigString: the per-user settings, from an installed registry object when there is one
// (the updater's view of the remote's key), otherwise from the application profile. UI thread only; install
// before other threads start.
#pragma once

#include <memory>
#include <string>

#include "common/platform/registry_win32.h"

namespace tesmora {

// Makes `registry` (its current key already opened) the source of every configuration string, or,
// with nullptr, returns to the application profile.
void InstallConfigRegistry(std::unique_ptr<RegistryKey> registry);
// The installed registry object, or nullptr.
RegistryKey* InstalledConfigRegistry();

// The application profile's key below HKEY_CURRENT_USER; each section is a sub-key of it. Default:
// "Software\TesmoraOrlu\" and the program file's name without extension.
void SetApplicationProfileKey(const std::wstring& key);
const std::wstring& ApplicationProfileKey();

// The application profile's own value under HKEY_CURRENT_USER\<profile key>\<section>, whatever
// registry is installed; `fallback` when missing or unreadable.
std::wstring ReadProfileString(const std::wstring& section, const std::wstring& entry,
                               const std::wstring& fallback);
// Writes it, creating the keys as needed; false when the system refuses.
bool WriteProfileString(const std::wstring& section, const std::wstring& entry, const std::wstring& value);

// The pad's machine-wide default of a remote setting, which the installer writes for every account
// (HKEY_LOCAL_MACHINE\<kMachineDefaultsKey>, in the program's own registry view); `fallback` when
// missing. Read as the fallback of the user's own value, which wins.
inline constexpr wchar_t kMachineDefaultsKey[] = L"Software\\TesmoraOrlu\\TesmoraOrluRemocon\\config";
std::wstring ReadMachineDefault(const std::wstring& entry, const std::wstring& fallback);

// The installed registry's value `entry` (the section plays no part there), else the profile's;
// `fallback` when missing.
std::wstring GetConfigString(const std::wstring& section, const std::wstring& entry,
                             const std::wstring& fallback);
// Stores through the same choice. False when the value could not be stored.
bool WriteConfigString(const std::wstring& section, const std::wstring& entry, const std::wstring& value);

}  // namespace tesmora
