// Moves text between the portable core (std::u16string) and the Windows API (std::wstring); on
// Windows both hold the same UTF-16 code units. Any thread.
#pragma once

#include <string>
#include <string_view>

namespace tesmora {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");

inline std::wstring ToWide(std::u16string_view text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

inline std::u16string ToU16(std::wstring_view text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

}  // namespace tesmora
