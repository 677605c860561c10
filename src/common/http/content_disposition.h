// The file name a server gives in its Content-Disposition header. Portable; any thread.
#pragma once

#include <string>
#include <string_view>

namespace tesmora {

// The text after the first "filename=", cut at the next ";" and with white space removed at both
// ends; empty when the header has no "filename=". Quotation marks stay: the caller sees the name as
// the server wrote it, and must not use it as a path without checking it.
std::u16string FileNameFromContentDisposition(std::u16string_view header);

// The server's file name made safe to use as a name inside a folder the caller chose: the quotation
// marks around it removed, only what follows its last "\", "/" or ":" kept (a server must not pick
// the folder or the drive), blanks and dots cut from the end (Windows drops them, so ". ." would climb);
// empty when nothing usable is left, when it is "." or "..", or when it holds a control character or
// one of <>"|?* (characters no Windows file name has).
std::u16string CleanServerFileName(std::u16string_view name);

}  // namespace tesmora
