// Fuzz target: any text as a web address (config.ini's service addresses) and as a redirection's
// Location from a server. An accepted address has a host, a port from 1 to 65535 and a path that
// starts with "/"; written back in the usual form, it reads the same. A Location without a scheme or
// host of its own keeps the request's host, port and security: a server cannot turn a secure request
// into a plain one except by naming a plain address outright, which the strict mode then refuses.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/http/http_url.h"

using namespace tesmora;

namespace {

void CheckWellFormed(const HttpUrl& parts) {
    if (parts.host.empty() || parts.port == 0 || parts.path.empty() || parts.path.front() != u'/') {
        std::abort();
    }
}

void CheckLocation(std::u16string_view location) {
    static const HttpUrl from = *ParseHttpUrl(u"https://update.example.org:8443/tesmora/list.asp?v=1");
    const auto to = ResolveHttpLocation(from, location);
    if (!to) return;
    CheckWellFormed(*to);
    while (!location.empty() && (location.front() == u' ' || location.front() == u'\t'))
        location.remove_prefix(1);
    const bool namesItsOwnPlace =
        location.substr(0, 2) == u"//" || location.find(u':') < location.find_first_of(u"/?#");
    if (!namesItsOwnPlace && (to->host != from.host || to->port != from.port || !to->secure)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string url(size / 2, u'\0');
    for (size_t i = 0; i < url.size(); ++i) url[i] = char16_t(data[2 * i] | (data[2 * i + 1] << 8));
    CheckLocation(url);
    const auto parts = ParseHttpUrl(url);
    if (!parts) return 0;
    CheckWellFormed(*parts);
    // Only addresses without credentials and with a plain host round-trip: "@", ":" and "[" inside
    // a user part or host change where the parts split, which is the parser's to decide.
    if (!parts->user.empty() || !parts->password.empty()) return 0;
    if (parts->host.find_first_of(u"@:[]/?#") != std::u16string::npos) return 0;
    std::u16string again = parts->secure ? u"https://" : u"http://";
    const std::string port = std::to_string(parts->port);
    again += parts->host + u":" + std::u16string(port.begin(), port.end());
    again += parts->path;
    const auto reread = ParseHttpUrl(again);
    if (!reread || reread->host != parts->host || reread->port != parts->port ||
        reread->path != parts->path || reread->secure != parts->secure) {
        std::abort();
    }
    return 0;
}
