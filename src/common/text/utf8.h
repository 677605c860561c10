// UTF-8 encoding of one code point, for texts that leave the program as UTF-8 (query strings, the
// simulated classroom's logs). Any thread.
#pragma once

#include <string>

void AppendUtf8(std::string& out, char32_t c);
