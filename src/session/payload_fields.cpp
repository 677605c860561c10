// The fields of a command payload.
#include "payload_fields.h"

namespace tesmora {

std::vector<std::u16string> SplitPayload(std::u16string_view payload) {
    std::vector<std::u16string> fields;
    size_t start = 0;
    while (start <= payload.size()) {
        size_t comma = payload.find(u',', start);
        if (comma == std::u16string_view::npos) comma = payload.size();
        if (comma > start) fields.emplace_back(payload.substr(start, comma - start));
        start = comma + 1;
    }
    return fields;
}

std::u16string DecimalText(long long value) {
    std::string ascii = std::to_string(value);
    return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace tesmora
