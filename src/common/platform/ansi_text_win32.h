// Conversions between wide text and the system's ANSI code page (query strings for the relay
// lookup, INI files saved by older editors). Any thread.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tesmora {

// `text` in the system code page; characters without a mapping become "?".
std::string ToAnsi(const std::wstring& text);

// `bytes` decoded from the system code page.
std::u16string FromAnsi(std::span<const uint8_t> bytes);

}  // namespace tesmora
