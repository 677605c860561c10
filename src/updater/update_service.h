// Where the update service is: a compiled-in host, overridden by config.ini beside the updater (the
// remote's own file), so that deployments and tests can point it elsewhere. Portable; UI thread.
#pragma once

#include <string>
#include <string_view>

namespace tesmora {

// The vendor's web server that also answers the relay lookup.
inline constexpr std::u16string_view kDefaultUpdateServer = u"rs.tesmoraorlu.com";
// config.ini, section "default": host[:port] of the update service. When empty, the remote's
// "webserver" key is used, and when that is empty too, the compiled-in host.
inline constexpr std::u16string_view kUpdateServerKey = u"updateserver";

// The host[:port] to use: each setting trimmed, a scheme and trailing slashes an administrator typed
// removed; the first one left non-empty wins.
std::u16string UpdateServerFromSettings(std::u16string_view updateServer, std::u16string_view webServer);
// The URL with its "https://" prefix made "http://" (unchanged when it has none).
std::u16string PlainUrl(std::u16string_view url);

}  // namespace tesmora
