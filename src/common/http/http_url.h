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

// Where a redirection's Location sends a request made to `from`: an absolute http or https URL, one
// without scheme ("//host/path", taking the scheme of `from`), a path from the root ("/path") or one
// relative to the folder of `from`'s path; the path keeps the Location's query. Nothing for an empty
// Location or another scheme.
std::optional<HttpUrl> ResolveHttpLocation(const HttpUrl& from, std::u16string_view location);

}  // namespace tesmora
