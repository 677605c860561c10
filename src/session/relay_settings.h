// The relay (login server) address and port kept in setting.ini, with the start-up rule that fills
// in and writes back what is missing. UI thread.
#pragma once

#include <string>
#include <string_view>

namespace tesmora {

// setting.ini as the start-up reader sees it; the panel implements it over the INI helpers.
class SettingsFile {
public:
    virtual ~SettingsFile() = default;
    virtual bool Exists() = 0;
    // Creates the file holding only the section header.
    virtual void Create() = 0;
    virtual std::u16string Read(std::u16string_view key, std::u16string_view defaultValue) = 0;
    virtual void Write(std::u16string_view key, std::u16string_view value) = 0;
};

inline constexpr std::u16string_view kDefaultRelayAddress = u"0.0.0.0";
inline constexpr std::u16string_view kDefaultRelayPort = u"10240";

struct RelaySettings {
    std::u16string address;
    std::u16string port;
};

// Creates a missing file; reads "rsip" (writing "0.0.0.0" back when it is missing) and "rsport"
// (a missing or "0" port becomes 10240 and is written back). Without a file the port is 10240.
RelaySettings ReadRelaySettings(SettingsFile& file);

}  // namespace tesmora
