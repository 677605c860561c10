// Every key of the remote's two INI files (section "default"), with the value a reader assumes when
// the key is absent and the value it stores back in that case. UI thread (constant data).
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace tesmora {

enum class IniFile {
    Config,   // config.ini: installation settings, written only by the installer or an administrator
    Setting,  // setting.ini: the relay server last learned from the web service
};

inline constexpr std::u16string_view kIniSection = u"default";
inline constexpr std::u16string_view kConfigIniName = u"config.ini";
inline constexpr std::u16string_view kSettingIniName = u"setting.ini";
// The whole content of a newly made INI file.
inline constexpr std::u16string_view kNewIniText = u"[default]\r\n";

// Its text is interpreted by ParseScaleFactorOverride (common/ui/scale.h).
inline constexpr std::u16string_view kScaleFactorKey = u"scalefactor";
// "full": the taller panel with every command button (panel/panel_modes.h); absent: the usual panel.
inline constexpr std::u16string_view kLayoutKey = u"layout";
// The vendor's web server (host[:port]) for the relay lookup; empty: the compiled-in default.
inline constexpr std::u16string_view kWebServerKey = u"webserver";
inline constexpr std::u16string_view kRelayAddressKey = u"rsip";
inline constexpr std::u16string_view kRelayPortKey = u"rsport";

struct ConfigKey {
    IniFile file;
    std::u16string_view name;
    // The default passed to the start-up read; a read that answers exactly this means "missing".
    std::u16string_view missingValue;
    // Stored (and used) when the read found the key missing; empty: nothing is stored.
    std::u16string_view storedWhenMissing;
};

std::u16string_view IniFileName(IniFile file);

// The table of all keys.
std::span<const ConfigKey> ConfigKeys();

// The table entry of `name` in `file`, or nullptr for a key the remote does not use.
const ConfigKey* FindConfigKey(IniFile file, std::u16string_view name);

// The value a start-up reader must write back for `key` after reading `valueRead`, or nothing.
std::optional<std::u16string_view> ValueToStoreBack(const ConfigKey& key, std::u16string_view valueRead);

}  // namespace tesmora
