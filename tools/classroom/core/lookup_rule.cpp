// Query parsing and the val2 rule of the relay lookup. Any thread.
#include "core/lookup_rule.h"

#include <charconv>
#include <cstdint>

#include "core/text_codec.h"
#include "common/digest/md5.h"

namespace tesmora::classroom {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += char(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

LookupQuery ParseLookupQuery(std::string_view rawQuery) {
    LookupQuery query;
    while (!rawQuery.empty()) {
        const size_t amp = rawQuery.find('&');
        const std::string_view pair = rawQuery.substr(0, amp);
        rawQuery.remove_prefix(amp == rawQuery.npos ? rawQuery.size() : amp + 1);
        const size_t equals = pair.find('=');
        if (equals == pair.npos) continue;
        const std::string_view key = pair.substr(0, equals);
        std::string value = PercentDecode(pair.substr(equals + 1));
        if (key == "val1")
            query.val1 = std::move(value);
        else if (key == "val2")
            query.val2 = std::move(value);
        else if (key == "val3")
            query.val3 = std::move(value);
    }
    return query;
}

bool IsTickText(std::string_view val1) {
    int32_t value = 0;
    const auto [end, ec] = std::from_chars(val1.data(), val1.data() + val1.size(), value);
    return !val1.empty() && ec == std::errc() && end == val1.data() + val1.size() &&
           std::to_string(value) == val1;
}

std::optional<std::string> ExpectedVal2(std::string_view val1, std::string_view teacherIdUtf8, int codePage) {
    const auto bytes = ToCodePage(std::string(val1) + "." + std::string(teacherIdUtf8), codePage);
    if (!bytes) return std::nullopt;
    const auto digest = ComputeMd5(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size());
    return ToUtf8(Md5Hex(digest));
}

}  // namespace tesmora::classroom
