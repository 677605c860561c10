// The message trace line (see message_trace.h).
#include "panel/message_trace.h"

#include <cstdio>

namespace tesmora {

std::string MessageTraceLine(std::u16string_view text, MessageFate fate) {
    std::string line = fate == MessageFate::kShown ? "Remocon message: " : "Remocon message dropped: ";
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != u'\\') {
            line.push_back(static_cast<char>(c));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
            line += escaped;
        }
    }
    line.push_back('\n');
    return line;
}

std::u16string MessageLogLine(std::u16string_view text, MessageFate fate) {
    return (fate == MessageFate::kShown ? u"Remocon message: " : u"Remocon message dropped: ") +
           std::u16string(text);
}

}  // namespace tesmora
