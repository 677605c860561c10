// setting.ini beside the program, as the relay-settings reader sees it (section "default"). UI
// thread only.
#pragma once

#include <string>

#include "session/relay_settings.h"

namespace tesmora {

class SettingIniFile final : public SettingsFile {
public:
    // The file at `path`; the default is the prepared setting.ini (see PrepareIniFile), or before any
    // preparation setting.ini in the program's folder.
    SettingIniFile();
    explicit SettingIniFile(std::wstring path) : path_(std::move(path)) {}

    bool Exists() override;
    void Create() override;
    std::u16string Read(std::u16string_view key, std::u16string_view defaultValue) override;
    void Write(std::u16string_view key, std::u16string_view value) override;

    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

}  // namespace tesmora
