// Text conversions the classroom needs at its edges: UTF-16 (the wire) to and from UTF-8 (logs,
// scenario files, web queries), and UTF-8 to a Windows ANSI code page (the remote's hashing and the
// lookup reply). Any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/text/utf8.h"

namespace tesmora::classroom {

// Invalid bytes become U+FFFD; ToUtf8 (common/text/utf8.h) goes the other way.
std::u16string FromUtf8(std::string_view text);

// The text in the given Windows code page (1252, 949, ...), each character the page lacks written
// as "?", one per character, the way the system's default character works. Nothing when the code
// page is not known on this machine.
std::optional<std::string> ToCodePage(std::string_view utf8, int codePage);
bool IsCodePageAvailable(int codePage);

}  // namespace tesmora::classroom
