// The relay settings of setting.ini.
#include "relay_settings.h"

#include "common/config/config_keys.h"

namespace tesmora {

RelaySettings ReadRelaySettings(SettingsFile& file) {
    if (!file.Exists()) file.Create();
    RelaySettings settings{std::u16string(kDefaultRelayAddress), u"0"};
    if (!file.Exists()) {
        settings.port = kDefaultRelayPort;
        return settings;
    }
    settings.address = file.Read(kRelayAddressKey, settings.address);
    if (settings.address == kDefaultRelayAddress) file.Write(kRelayAddressKey, settings.address);
    settings.port = file.Read(kRelayPortKey, u"0");
    if (settings.port == u"0") {
        settings.port = kDefaultRelayPort;
        file.Write(kRelayPortKey, settings.port);
    }
    return settings;
}

}  // namespace tesmora
