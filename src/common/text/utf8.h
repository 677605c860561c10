// UTF-8 encoding of code points and UTF-16 texts, for texts that leave the program as UTF-8 (query strings,
// the simulated classroom's logs). Any thread.
#pragma once

#include <string>
#include <string_view>

namespace tesmora {

void AppendUtf8(std::string& out, char32_t c);
// A UTF-16 text as UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

}  // namespace tesmora
