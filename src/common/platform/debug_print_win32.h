// DebugPrint: diagnostics for a developer with a debugger attached, and for a technician in the
// support log once a program has opened it; nothing reaches the user. Any thread.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

namespace tesmora {

// Formats with the wide printf rules of the system's C library (%s takes a wide string) and sends
// the text to the debugger output, and to the support log when it is open.
void DebugPrint(const wchar_t* format, ...);

// A finished UTF-8 (mostly ASCII) trace line: the debugger gets its bytes unchanged, the support log
// its text.
void DebugPrintUtf8(const char* line);
// A line escaped for the scripts that read the debugger output; the support log gets `readable`.
void DebugPrintUtf8(const char* line, std::u16string_view readable);

// A step of one of the remote's activities, "Remocon <area>: <what> tick=<milliseconds>": the tick
// lets a technician (and the scenario scripts) see how long apart two steps were. `what` may carry
// its own "name=value" fields after the step's words.
void TraceStep(std::string_view area, std::string_view what);

// The formatting behind DebugPrint, sized exactly to the result.
std::wstring FormatDebugText(const wchar_t* format, va_list arguments);

// Opens the support log "<program>.log" for every later trace of the process when `setting`
// (config.ini's "logfile" value) turns it on; false, and nothing written, when it stays off. Once, on
// the start-up thread, before other threads trace. The log then lasts until the process ends, so a
// thread still tracing during the exit never writes through a closed log.
bool OpenTraceLog(std::u16string_view setting, std::wstring_view program);

}  // namespace tesmora
