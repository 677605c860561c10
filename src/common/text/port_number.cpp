// Decimal port text to a port number.
#include "common/text/port_number.h"

namespace tesmora {

namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

}  // namespace

uint16_t ParsePortNumber(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    if (text.empty()) return 0;
    uint32_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return 0;
        value = value * 10 + uint32_t(c - u'0');
        if (value > 65535) return 0;  // also stops long runs of digits before they overflow
    }
    return uint16_t(value);
}

}  // namespace tesmora
