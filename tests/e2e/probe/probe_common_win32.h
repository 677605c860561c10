// What every action of the UI probe shares: the parsed command line, text escaping in arguments and
// output, and the output records (one line each, tab-separated name=value fields). The probe is a
// single-threaded console program: everything here runs on its one thread.
#pragma once

#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The command line of one invocation: the action, its positional arguments and the options.
struct ProbeOptions {
    std::wstring action;
    std::vector<std::wstring> arguments;

    // Which window: a handle, or top-level windows by title, part of the title, class and process.
    HWND hwnd = nullptr;
    std::optional<std::wstring> title;
    std::optional<std::wstring> titlePart;
    std::optional<std::wstring> className;
    std::optional<DWORD> pid;
    std::optional<int> withControlId;  // --with-id: only windows that have a control with this id
    bool includeHidden = false;        // --any: hidden windows count too
    bool first = false;                // --first: several matches are not an error; the first is taken
    // Which control of that window (a descendant with this id), if any.
    std::optional<int> controlId;

    std::optional<DWORD> timeout;  // milliseconds; each action has its own default
    bool post = false;             // send: post instead of send
    bool mouse = false;            // click: posted button messages instead of BM_CLICK
    bool input = false;            // click, key: synthesised input (SendInput) instead of messages
    bool wait = false;             // start: wait for the program to end
    std::optional<POINT> at;       // click: point in the control's client area (default: centre)
    std::wstring directory;        // start: working directory
    std::wstring imageSuffix;      // kill, wait-exit: the process's image path must end with this

    std::optional<double> limit;    // compare: a mean absolute error from which the pictures differ
    std::optional<double> seconds;  // move-window: how long the window moves
    std::optional<SIZE> size;       // move-window: the window's size
    std::optional<POINT> step;      // move-window: its move every tick

    bool HasWindowSelection() const {
        return hwnd || title || titlePart || className || pid || withControlId;
    }
};

// Parses argv[1..]; false (with the reason in `error`) on an unknown option or a missing value.
bool ParseProbeOptions(int argc, wchar_t** argv, ProbeOptions& options, std::wstring& error);

// Text in arguments may carry \t, \n, \r, \\ and \uXXXX escapes (so that any text can be given
// whatever the console's code page); other backslashes are kept as they are.
std::wstring UnescapeArgument(const std::wstring& text);
// Text in output: backslash, tab, line breaks and other control characters escaped as above.
std::wstring EscapeOutput(const std::wstring& text);

// Output: one record per line, fields separated by tabs, written as UTF-8 on stdout.
using Field = std::pair<std::wstring, std::wstring>;
void PrintRecord(const std::vector<Field>& fields);
void PrintLine(const std::wstring& text);
// Text as UTF-8 bytes, flushed at once (stdout and stderr are binary: wide output would be UTF-16).
void WriteUtf8(FILE* stream, const std::wstring& text);
// Says why on stderr; answers the failure exit code (1).
int Fail(const std::wstring& reason);

std::wstring HexHandle(const void* handle);
std::wstring RectText(const RECT& rect);
// A number in decimal or 0x hexadecimal (also negative); false when the text is not one.
bool ParseNumber(const std::wstring& text, long long& value);
// A finite decimal number such as 2, 0.5 or 1e-3; false when the text is not one.
bool ParseDecimal(const std::wstring& text, double& value);
