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
// Both programs: "1" makes the relay lookup and every update request refuse a certificate the system
// does not trust and never fall back to plain http; absent or "0": both are tolerated, as deployed
// services with self-made certificates need.
inline constexpr std::u16string_view kStrictCertificatesKey = u"strictcertificates";
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

// Whether the strictcertificates text turns strict checking on: anything but empty (after trimming),
// "0", "no", "off" or "false" (any letter case) does, so that a value an administrator meant as "on"
// never leaves the pads open to a forged service.
bool StrictCertificatesFromSetting(std::u16string_view setting);

// The value a start-up reader must write back for `key` after reading `valueRead`, or nothing.
std::optional<std::u16string_view> ValueToStoreBack(const ConfigKey& key, std::u16string_view valueRead);

}  // namespace tesmora
