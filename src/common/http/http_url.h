// The parts of an absolute http or https URL, as the request helper needs them to connect and to
// name the request object. Nothing is re-encoded: the path goes to the server as written. Portable;
// any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tesmora {

struct HttpUrl {
    bool secure = false;  // https
    std::u16string host;  // as written; an IPv6 literal keeps its brackets
    uint16_t port = 0;    // the URL's, or 80 (http) / 443 (https)
    std::u16string user;
    std::u16string password;
    std::u16string path;  // from the first "/" after the host to the end; "/" put in front when missing
};

// "scheme://[user[:password]@]host[:port][/path]" with the scheme http or https (any letter case).
// Nothing for another scheme, a missing host, or a port that is not a number from 1 to 65535.
std::optional<HttpUrl> ParseHttpUrl(std::u16string_view url);

}  // namespace tesmora
