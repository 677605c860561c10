// DebugPrint over OutputDebugStringW.
#include "common/platform/debug_print_win32.h"

#include <windows.h>

#include <cwchar>

namespace tesmora {

std::wstring FormatDebugText(const wchar_t* format, va_list arguments) {
    // The system C library's own functions: %s is a wide string there, as every caller writes it.
    va_list counting;
    va_copy(counting, arguments);
    const int length = _vscwprintf(format, counting);
    va_end(counting);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int written = _vsnwprintf(text.data(), text.size(), format, arguments);
    text.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return text;
}

void DebugPrint(const wchar_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const std::wstring text = FormatDebugText(format, arguments);
    va_end(arguments);
    OutputDebugStringW(text.c_str());
}

}  // namespace tesmora
