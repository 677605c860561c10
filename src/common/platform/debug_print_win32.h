// DebugPrint: diagnostics for a developer with a debugger attached; nothing reaches the user.
// Any thread.
#pragma once

#include <cstdarg>
#include <string>

namespace tesmora {

// Formats with the wide printf rules of the system's C library (%s takes a wide string) and sends
// the text to the debugger output.
void DebugPrint(const wchar_t* format, ...);

// The formatting behind DebugPrint, sized exactly to the result.
std::wstring FormatDebugText(const wchar_t* format, va_list arguments);

}  // namespace tesmora
