// DebugPrint over OutputDebugStringW, and the support log behind it.
#include "common/platform/debug_print_win32.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <cwchar>
#include <string>

#include "common/platform/support_log_win32.h"
#include "common/platform/wide_text_win32.h"

namespace tesmora {

namespace {

// Published once its file name is known; never taken back nor freed (see OpenTraceLog).
std::atomic<SupportLog*> traceLog{nullptr};

void WriteTraceLog(std::u16string_view text) {
    if (SupportLog* log = traceLog.load(std::memory_order_acquire)) log->Write(text);
}

}  // namespace

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
    WriteTraceLog(ToU16(text));
}

void DebugPrintUtf8(const char* line, std::u16string_view readable) {
    OutputDebugStringA(line);
    WriteTraceLog(readable);
}

void DebugPrintUtf8(const char* line) {
    OutputDebugStringA(line);
    if (!traceLog.load(std::memory_order_acquire)) return;
    const int length = static_cast<int>(std::strlen(line));
    std::wstring text(static_cast<size_t>(length), L'\0');
    // Bytes that are not UTF-8 become U+FFFD: the line is still written.
    const int made = length ? ::MultiByteToWideChar(CP_UTF8, 0, line, length, text.data(), length) : 0;
    text.resize(made > 0 ? static_cast<size_t>(made) : 0);
    WriteTraceLog(ToU16(text));
}

void TraceStep(std::string_view area, std::string_view what) {
    std::string line = "Remocon ";
    line.append(area).append(": ").append(what).append(" tick=");
    line.append(std::to_string(::GetTickCount())).append("\n");
    DebugPrintUtf8(line.c_str());
}

bool OpenTraceLog(std::u16string_view setting, std::wstring_view program) {
    if (traceLog.load(std::memory_order_acquire)) return true;
    auto* log = new SupportLog;
    if (!log->Open(setting, program)) {
        delete log;
        return false;
    }
    traceLog.store(log, std::memory_order_release);
    return true;
}

}  // namespace tesmora
