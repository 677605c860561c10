// Query encoding (see http_query.h).
#include "common/http/http_query.h"
#include "common/text/replace_all.h"
#include "common/text/utf8.h"

namespace tesmora {

namespace {

bool IsKeptAsIs(unsigned char c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    return std::string_view("!%'()*-./:_~").find(char(c)) != std::string_view::npos;
}

}  // namespace

std::optional<std::string> EncodeHttpQuery(std::u16string_view query) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string encoded;
    for (unsigned char c : ToUtf8(query)) {
        if (IsKeptAsIs(c)) {
            encoded += char(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
        if (encoded.size() > kMaxEncodedQuery) return std::nullopt;
    }
    return ReplaceAll(ReplaceAll(encoded, "%3d", "="), "%26", "&");
}

}  // namespace tesmora
