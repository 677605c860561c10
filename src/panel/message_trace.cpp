// The message trace line (see message_trace.h).
#include "panel/message_trace.h"

#include "common/text/ascii_escape.h"

namespace tesmora {

std::string MessageTraceLine(std::u16string_view text, MessageFate fate) {
    std::string line = fate == MessageFate::kShown ? "Remocon message: " : "Remocon message dropped: ";
    line += EscapeToAscii(text);
    line.push_back('\n');
    return line;
}

std::u16string MessageLogLine(std::u16string_view text, MessageFate fate) {
    return (fate == MessageFate::kShown ? u"Remocon message: " : u"Remocon message dropped: ") +
           std::u16string(text);
}

}  // namespace tesmora
