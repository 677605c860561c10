// setting.ini over the private-profile functions (see setting_ini_win32.h).
#include "panel/setting_ini_win32.h"

#include <windows.h>

#include "common/config/config_files_win32.h"
#include "common/config/config_keys.h"
#include "common/platform/module_folder_win32.h"
#include "common/platform/wide_text_win32.h"

namespace tesmora {

namespace {

std::wstring Wide(std::u16string_view text) {
    return ToWide(text);
}

}  // namespace

SettingIniFile::SettingIniFile()
    : path_(IniFilePath(IniFile::Setting).empty() ? GetModuleFolder() + L"\\" + Wide(kSettingIniName)
                                                  : IniFilePath(IniFile::Setting)) {}

bool SettingIniFile::Exists() {
    return ::GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void SettingIniFile::Create() {
    CreateIniIfMissing(path_);
}

std::u16string SettingIniFile::Read(std::u16string_view key, std::u16string_view defaultValue) {
    return ToU16(ReadIniString(path_, Wide(kIniSection), Wide(key), Wide(defaultValue)));
}

void SettingIniFile::Write(std::u16string_view key, std::u16string_view value) {
    ::WritePrivateProfileStringW(Wide(kIniSection).c_str(), Wide(key).c_str(), Wide(value).c_str(),
                                 path_.c_str());
}

}  // namespace tesmora
