// Text for the debugger output in plain ASCII: every character outside printable ASCII (Hangul,
// line breaks) and the backslash itself become \uXXXX, so a trace line survives any code page on its
// way to a log and a script can read the text back. Any thread.
#pragma once

#include <string>
#include <string_view>

namespace tesmora {

std::string EscapeToAscii(std::u16string_view text);

}  // namespace tesmora
