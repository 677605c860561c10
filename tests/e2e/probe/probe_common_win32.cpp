// Command line, escaping and output of the UI probe (see probe_common_win32.h).
#include "probe_common_win32.h"

#include <cmath>
#include <cstdio>
#include <cwchar>
#include <cwctype>

namespace {

// Bounds that keep sizes, steps and times far from overflow in the actions' arithmetic.
constexpr long long kMaxPixels = 100000;
constexpr double kMaxSeconds = 86400;

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                     nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                          nullptr);
    return bytes;
}

bool ParseOptionNumber(const std::wstring& name, const std::wstring& text, long long& value,
                       std::wstring& error) {
    if (ParseNumber(text, value)) return true;
    error = L"option " + name + L" wants a number, not \"" + text + L"\"";
    return false;
}

}  // namespace

void WriteUtf8(FILE* stream, const std::wstring& text) {
    std::string bytes = ToUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

bool ParseNumber(const std::wstring& text, long long& value) {
    if (text.empty()) return false;
    const wchar_t* begin = text.c_str();
    wchar_t* end = nullptr;
    bool hex = text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X');
    value = hex ? static_cast<long long>(std::wcstoull(begin + 2, &end, 16)) : std::wcstoll(begin, &end, 10);
    return end && *end == L'\0' && end != begin + (hex ? 2 : 0);
}

bool ParseDecimal(const std::wstring& text, double& value) {
    if (text.empty() || std::iswspace(text[0])) return false;
    wchar_t* end = nullptr;
    value = std::wcstod(text.c_str(), &end);
    return end && *end == L'\0' && end != text.c_str() && std::isfinite(value);
}

bool ParseProbeOptions(int argc, wchar_t** argv, ProbeOptions& options, std::wstring& error) {
    if (argc < 2) {
        error = L"no action";
        return false;
    }
    options.action = argv[1];
    bool optionsEnded = false;
    for (int i = 2; i < argc; ++i) {
        std::wstring argument = argv[i];
        if (!optionsEnded && argument == L"--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || argument.size() < 3 || argument.compare(0, 2, L"--") != 0) {
            options.arguments.push_back(argument);
            // A started program's own arguments are passed on as they are, options or not.
            if (options.action == L"start") optionsEnded = true;
            continue;
        }
        // Flags.
        if (argument == L"--any") {
            options.includeHidden = true;
            continue;
        }
        if (argument == L"--first") {
            options.first = true;
            continue;
        }
        if (argument == L"--post") {
            options.post = true;
            continue;
        }
        if (argument == L"--mouse") {
            options.mouse = true;
            continue;
        }
        if (argument == L"--input") {
            options.input = true;
            continue;
        }
        if (argument == L"--wait") {
            options.wait = true;
            continue;
        }
        // Options with a value.
        if (i + 1 >= argc) {
            error = L"option " + argument + L" wants a value";
            return false;
        }
        std::wstring value = argv[++i];
        long long number = 0;
        if (argument == L"--hwnd") {
            if (!ParseOptionNumber(argument, value, number, error)) return false;
            options.hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(number));
        } else if (argument == L"--title") {
            options.title = UnescapeArgument(value);
        } else if (argument == L"--title-part") {
            options.titlePart = UnescapeArgument(value);
        } else if (argument == L"--class") {
            options.className = UnescapeArgument(value);
        } else if (argument == L"--pid") {
            if (!ParseOptionNumber(argument, value, number, error)) return false;
            options.pid = static_cast<DWORD>(number);
        } else if (argument == L"--with-id") {
            if (!ParseOptionNumber(argument, value, number, error)) return false;
            options.withControlId = static_cast<int>(number);
        } else if (argument == L"--id") {
            if (!ParseOptionNumber(argument, value, number, error)) return false;
            options.controlId = static_cast<int>(number);
        } else if (argument == L"--timeout") {
            if (!ParseOptionNumber(argument, value, number, error)) return false;
            if (number < 0) {
                error = L"option --timeout wants milliseconds";
                return false;
            }
            options.timeout = static_cast<DWORD>(number);
        } else if (argument == L"--at") {
            long long x = 0, y = 0;
            size_t comma = value.find(L',');
            if (comma == std::wstring::npos || !ParseNumber(value.substr(0, comma), x) ||
                !ParseNumber(value.substr(comma + 1), y)) {
                error = L"option --at wants x,y";
                return false;
            }
            options.at = POINT{static_cast<LONG>(x), static_cast<LONG>(y)};
        } else if (argument == L"--limit") {
            double limit = 0;
            if (!ParseDecimal(value, limit) || limit < 0) {
                error = L"option --limit wants a mean absolute error (0 or more), not \"" + value + L"\"";
                return false;
            }
            options.limit = limit;
        } else if (argument == L"--seconds") {
            double seconds = 0;
            if (!ParseDecimal(value, seconds) || seconds <= 0 || seconds > kMaxSeconds) {
                error = L"option --seconds wants a time in seconds (more than 0, at most 86400), not \"" +
                        value + L"\"";
                return false;
            }
            options.seconds = seconds;
        } else if (argument == L"--size") {
            long long width = 0, height = 0;
            size_t cross = value.find_first_of(L"xX");
            if (cross == std::wstring::npos || !ParseNumber(value.substr(0, cross), width) ||
                !ParseNumber(value.substr(cross + 1), height) || width < 1 || height < 1 ||
                width > kMaxPixels || height > kMaxPixels) {
                error = L"option --size wants WxH (1 to 100000 pixels each), not \"" + value + L"\"";
                return false;
            }
            options.size = SIZE{static_cast<LONG>(width), static_cast<LONG>(height)};
        } else if (argument == L"--step") {
            long long dx = 0, dy = 0;
            size_t comma = value.find(L',');
            if (comma == std::wstring::npos || !ParseNumber(value.substr(0, comma), dx) ||
                !ParseNumber(value.substr(comma + 1), dy) || dx < -kMaxPixels || dx > kMaxPixels ||
                dy < -kMaxPixels || dy > kMaxPixels) {
                error = L"option --step wants dx,dy (-100000 to 100000 pixels each), not \"" + value + L"\"";
                return false;
            }
            options.step = POINT{static_cast<LONG>(dx), static_cast<LONG>(dy)};
        } else if (argument == L"--dir") {
            options.directory = value;
        } else if (argument == L"--image") {
            options.imageSuffix = value;
        } else {
            error = L"unknown option " + argument;
            return false;
        }
    }
    return true;
}

std::wstring UnescapeArgument(const std::wstring& text) {
    std::wstring result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        wchar_t next = i + 1 < text.size() ? text[i + 1] : L'\0';
        if (c == L'\\' && next == L'u' && i + 6 <= text.size()) {
            std::wstring digits = text.substr(i + 2, 4);
            if (digits.find_first_not_of(L"0123456789abcdefABCDEF") == std::wstring::npos) {
                result += static_cast<wchar_t>(std::wcstoul(digits.c_str(), nullptr, 16));
                i += 5;
                continue;
            }
        }
        const wchar_t* escaped = nullptr;
        if (c == L'\\') {
            switch (next) {
                case L'\\':
                    escaped = L"\\";
                    break;
                case L't':
                    escaped = L"\t";
                    break;
                case L'n':
                    escaped = L"\n";
                    break;
                case L'r':
                    escaped = L"\r";
                    break;
                default:
                    break;
            }
        }
        if (escaped) {
            result += escaped;
            ++i;
        } else {
            result += c;
        }
    }
    return result;
}

std::wstring EscapeOutput(const std::wstring& text) {
    std::wstring result;
    result.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
            case L'\\':
                result += L"\\\\";
                break;
            case L'\t':
                result += L"\\t";
                break;
            case L'\n':
                result += L"\\n";
                break;
            case L'\r':
                result += L"\\r";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    wchar_t code[8];
                    std::swprintf(code, 8, L"\\u%04X", static_cast<unsigned>(c));
                    result += code;
                } else {
                    result += c;
                }
        }
    }
    return result;
}

void PrintRecord(const std::vector<Field>& fields) {
    std::wstring line;
    for (const Field& field : fields) {
        if (!line.empty()) line += L'\t';
        line += field.first + L'=' + EscapeOutput(field.second);
    }
    PrintLine(line);
}

void PrintLine(const std::wstring& text) {
    WriteUtf8(stdout, text + L"\n");
}

int Fail(const std::wstring& reason) {
    WriteUtf8(stderr, L"tesmora-probe: " + reason + L"\n");
    return 1;
}

std::wstring HexHandle(const void* handle) {
    wchar_t text[24];
    std::swprintf(text, 24, L"0x%08llX",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(handle)));
    return text;
}

std::wstring RectText(const RECT& rect) {
    return std::to_wstring(rect.left) + L',' + std::to_wstring(rect.top) + L',' +
           std::to_wstring(rect.right) + L',' + std::to_wstring(rect.bottom);
}
