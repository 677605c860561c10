// SplitString: cuts a field list into tokens, the way the session and relay replies expect it.
#include "common/platform/split_string.h"

namespace tesmora {

int SplitString(std::u16string_view text, std::u16string_view delimiters,
                std::vector<std::u16string>& tokens) {
    tokens.clear();
    std::u16string current;
    for (char16_t c : text) {
        if (c == u'"') {
            continue;  // quotes around values carry no meaning and are dropped before cutting
        }
        if (delimiters.find(c) != std::u16string_view::npos) {
            if (!current.empty()) {
                tokens.push_back(std::move(current));
                current.clear();
            }
            continue;
        }
        current.push_back(c);
    }
    if (!current.empty()) {
        tokens.push_back(std::move(current));
    }
    return tokens.empty() ? 0 : static_cast<int>(tokens.size()) + 1;
}

}  // namespace tesmora
