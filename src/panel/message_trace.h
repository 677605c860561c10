// The one-line trace of a message the panel shows the user, for the debugger output: the text in
// ASCII, with every other character (Hangul, line breaks) as \uXXXX, so that the line survives any
// code page on its way to a log. Any thread.
#pragma once

#include <string>
#include <string_view>

namespace tesmora {

// Whether the user saw the message, or another message was open and refused it.
enum class MessageFate { kShown, kDropped };

// "Remocon message: <escaped text>\n", or "Remocon message dropped: ..." for a text the user did
// not see.
std::string MessageTraceLine(std::u16string_view text, MessageFate fate);
// The same line as the support log keeps it, the text as it was shown, so that a technician can read it.
std::u16string MessageLogLine(std::u16string_view text, MessageFate fate);

}  // namespace tesmora
