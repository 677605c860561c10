// The file name a server gives in its Content-Disposition header. Portable; any thread.
#pragma once

#include <string>
#include <string_view>

namespace tesmora {

// The text after the first "filename=", cut at the next ";" and with white space removed at both
// ends; empty when the header has no "filename=". Quotation marks stay: the caller sees the name as
// the server wrote it, and must not use it as a path without checking it.
std::u16string FileNameFromContentDisposition(std::u16string_view header);

}  // namespace tesmora
