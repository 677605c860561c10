// EscapeToAscii (see ascii_escape.h).
#include "common/text/ascii_escape.h"

#include <cstdio>

namespace tesmora {

std::string EscapeToAscii(std::u16string_view text) {
    std::string ascii;
    ascii.reserve(text.size());
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != u'\\') {
            ascii.push_back(static_cast<char>(c));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
            ascii += escaped;
        }
    }
    return ascii;
}

}  // namespace tesmora
