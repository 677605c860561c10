// URL parsing for the request helper (see http_url.h).
#include "common/http/http_url.h"

namespace tesmora {

namespace {

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

std::optional<uint16_t> ParsePort(std::u16string_view text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    uint32_t port = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        port = port * 10 + uint32_t(c - u'0');
    }
    if (port == 0 || port > 65535) return std::nullopt;
    return uint16_t(port);
}

}  // namespace

std::optional<HttpUrl> ParseHttpUrl(std::u16string_view url) {
    HttpUrl parts;
    if (StartsWithNoCase(url, u"https://")) {
        parts.secure = true;
        url.remove_prefix(8);
    } else if (StartsWithNoCase(url, u"http://")) {
        url.remove_prefix(7);
    } else {
        return std::nullopt;
    }

    const size_t end = url.find_first_of(u"/?#");
    std::u16string_view authority = url.substr(0, end);
    if (end == std::u16string_view::npos) {
        parts.path = u"/";
    } else {
        parts.path = url[end] == u'/' ? u"" : u"/";
        parts.path += url.substr(end);
    }

    // The last "@" ends the user part: a password may itself hold one.
    if (const size_t at = authority.rfind(u'@'); at != std::u16string_view::npos) {
        const std::u16string_view credentials = authority.substr(0, at);
        const size_t colon = credentials.find(u':');
        parts.user = credentials.substr(0, colon);
        if (colon != std::u16string_view::npos) parts.password = credentials.substr(colon + 1);
        authority.remove_prefix(at + 1);
    }

    std::u16string_view host = authority;
    std::u16string_view portText;
    if (!authority.empty() && authority.front() == u'[') {
        const size_t close = authority.find(u']');
        if (close == std::u16string_view::npos) return std::nullopt;
        host = authority.substr(0, close + 1);
        std::u16string_view rest = authority.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != u':') return std::nullopt;
            portText = rest.substr(1);
            if (portText.empty()) return std::nullopt;
        }
    } else if (const size_t colon = authority.rfind(u':'); colon != std::u16string_view::npos) {
        host = authority.substr(0, colon);
        portText = authority.substr(colon + 1);
        if (portText.empty()) return std::nullopt;
    }
    if (host.empty() || host == u"[]") return std::nullopt;
    parts.host = host;

    if (portText.empty()) {
        parts.port = parts.secure ? 443 : 80;
    } else {
        const std::optional<uint16_t> port = ParsePort(portText);
        if (!port) return std::nullopt;
        parts.port = *port;
    }
    return parts;
}

std::optional<HttpUrl> ResolveHttpLocation(const HttpUrl& from, std::u16string_view location) {
    while (!location.empty() && (location.front() == u' ' || location.front() == u'\t'))
        location.remove_prefix(1);
    while (!location.empty() && (location.back() == u' ' || location.back() == u'\t'))
        location.remove_suffix(1);
    if (location.empty()) return std::nullopt;
    if (location.substr(0, 2) == u"//") {
        return ParseHttpUrl((from.secure ? u"https:" : u"http:") + std::u16string(location));
    }
    const size_t schemeEnd = location.find(u':');
    if (schemeEnd != std::u16string_view::npos && location.find_first_of(u"/?#") > schemeEnd) {
        return ParseHttpUrl(location);  // a scheme other than http and https gives nothing
    }
    HttpUrl to = from;
    if (location.front() == u'/') {
        to.path = location;
    } else {
        const std::u16string_view base =
            std::u16string_view(from.path).substr(0, from.path.find_first_of(u"?#"));
        to.path = std::u16string(base.substr(0, base.rfind(u'/') + 1)) + std::u16string(location);
    }
    return to;
}

}  // namespace tesmora
