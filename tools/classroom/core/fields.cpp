// Comma fields and strict decimal numbers of command payloads. Any thread.
#include "core/fields.h"

#include <limits>

namespace tesmora::classroom {

std::vector<std::u16string_view> SplitFields(std::u16string_view payload, bool keepEmpty) {
    std::vector<std::u16string_view> fields;
    size_t start = 0;
    while (true) {
        const size_t comma = payload.find(u',', start);
        const auto field =
            payload.substr(start, comma == std::u16string_view::npos ? payload.npos : comma - start);
        if (keepEmpty || !field.empty()) fields.push_back(field);
        if (comma == std::u16string_view::npos) break;
        start = comma + 1;
    }
    if (keepEmpty && payload.empty()) fields.clear();
    return fields;
}

std::optional<int32_t> ParseStrictInt(std::u16string_view text) {
    bool negative = false;
    if (!text.empty() && text.front() == u'-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 10) return std::nullopt;
    int64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return int32_t(value);
}

std::u16string DecimalText(int64_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace tesmora::classroom
