// The key table of config.ini and setting.ini and the rules tied to single keys.
#include "common/config/config_keys.h"

#include <array>
#include <string>

namespace tesmora {

namespace {

// rsip: an absent address reads as "0.0.0.0", which is then written so the file shows the key.
// rsport: an absent or zero port becomes the relay's standard port 10240.
// scalefactor: set by the installer or an administrator only; absence means "from the screen".
// layout: likewise; absence means the usual panel.
constexpr std::array kKeys{
    ConfigKey{IniFile::Config, kScaleFactorKey, u"", u""},
    ConfigKey{IniFile::Config, kLayoutKey, u"", u""},
    ConfigKey{IniFile::Config, kWebServerKey, u"", u""},
    ConfigKey{IniFile::Config, kStrictCertificatesKey, u"", u""},
    ConfigKey{IniFile::Setting, kRelayAddressKey, u"0.0.0.0", u"0.0.0.0"},
    ConfigKey{IniFile::Setting, kRelayPortKey, u"0", u"10240"},
};

}  // namespace

std::u16string_view IniFileName(IniFile file) {
    return file == IniFile::Config ? kConfigIniName : kSettingIniName;
}

std::span<const ConfigKey> ConfigKeys() {
    return kKeys;
}

const ConfigKey* FindConfigKey(IniFile file, std::u16string_view name) {
    for (const ConfigKey& key : kKeys) {
        if (key.file == file && key.name == name) {
            return &key;
        }
    }
    return nullptr;
}

bool StrictCertificatesFromSetting(std::u16string_view setting) {
    auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    while (!setting.empty() && blank(setting.front())) setting.remove_prefix(1);
    while (!setting.empty() && blank(setting.back())) setting.remove_suffix(1);
    std::u16string lower(setting);
    for (char16_t& c : lower) {
        if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
    }
    return !(lower.empty() || lower == u"0" || lower == u"no" || lower == u"off" || lower == u"false");
}

std::optional<std::u16string_view> ValueToStoreBack(const ConfigKey& key, std::u16string_view valueRead) {
    if (key.storedWhenMissing.empty() || valueRead != key.missingValue) {
        return std::nullopt;
    }
    return key.storedWhenMissing;
}

}  // namespace tesmora
