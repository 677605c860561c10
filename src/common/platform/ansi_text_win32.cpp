// ToAnsi and FromAnsi over WideCharToMultiByte and MultiByteToWideChar with CP_ACP.
#include "common/platform/ansi_text_win32.h"

#include <windows.h>

#include <climits>

namespace tesmora {

std::string ToAnsi(const std::wstring& text) {
    if (text.empty() || text.size() > INT_MAX) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    // Sized by asking first: a code page with three-byte characters (UTF-8 as the system code page)
    // would not fit the usual two bytes per character.
    const int needed = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return {};
    }
    std::string narrow(static_cast<size_t>(needed), '\0');
    const int written =
        WideCharToMultiByte(CP_ACP, 0, text.data(), length, narrow.data(), needed, nullptr, nullptr);
    narrow.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return narrow;
}

std::u16string FromAnsi(std::span<const uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > INT_MAX) {
        return {};
    }
    const auto* source = reinterpret_cast<const char*>(bytes.data());
    const int length = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(CP_ACP, 0, source, length, nullptr, 0);
    if (needed <= 0) {
        return {};
    }
    std::u16string text(static_cast<size_t>(needed), u'\0');
    const int written =
        MultiByteToWideChar(CP_ACP, 0, source, length, reinterpret_cast<wchar_t*>(text.data()), needed);
    text.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return text;
}

}  // namespace tesmora
