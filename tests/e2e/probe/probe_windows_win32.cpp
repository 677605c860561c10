// Window actions of the UI probe (see probe_windows_win32.h).
#include "probe_windows_win32.h"

namespace {

constexpr DWORD kPollPeriod = 50;

bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& result) {
    return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kDefaultMessageTimeout,
                                 &result) != 0;
}

// A top-level window's title as the system keeps it: no message is sent, so windows of a busy or hung
// program cannot slow a search down.
std::wstring TitleOf(HWND window) {
    wchar_t title[512];
    int length = ::GetWindowTextW(window, title, 512);
    return std::wstring(title, length > 0 ? length : 0);
}

bool Matches(HWND window, const ProbeOptions& options) {
    if (!options.includeHidden && !::IsWindowVisible(window)) return false;
    if (options.pid) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        if (pid != *options.pid) return false;
    }
    if (options.className && ClassNameOf(window) != *options.className) return false;
    if (options.withControlId && !FindControl(window, *options.withControlId)) return false;
    if (options.title || options.titlePart) {
        std::wstring title = TitleOf(window);
        if (options.title && title != *options.title) return false;
        if (options.titlePart && title.find(*options.titlePart) == std::wstring::npos) return false;
    }
    return true;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

std::vector<HWND> Descendants(HWND window) {
    std::vector<HWND> children;
    ::EnumChildWindows(window, CollectWindow, reinterpret_cast<LPARAM>(&children));
    return children;
}

std::wstring Flag(bool value) {
    return value ? L"1" : L"0";
}

// BM_GETCHECK of a button ("0", "1", "2"); "-" for other controls, which have no check state.
std::wstring CheckStateOf(HWND control) {
    if (_wcsicmp(ClassNameOf(control).c_str(), L"Button") != 0) return L"-";
    DWORD_PTR state = 0;
    if (!SendWithTimeout(control, BM_GETCHECK, 0, 0, state)) return L"-";
    return std::to_wstring(state);
}

bool HasFocus(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
    return ::GetGUIThreadInfo(thread, &info) && info.hwndFocus == window;
}

void PrintWindowRecord(HWND window) {
    DWORD pid = 0;
    DWORD thread = ::GetWindowThreadProcessId(window, &pid);
    RECT rect{};
    ::GetWindowRect(window, &rect);
    PrintRecord({{L"hwnd", HexHandle(window)},
                 {L"pid", std::to_wstring(pid)},
                 {L"tid", std::to_wstring(thread)},
                 {L"class", ClassNameOf(window)},
                 {L"visible", Flag(::IsWindowVisible(window))},
                 {L"enabled", Flag(::IsWindowEnabled(window))},
                 {L"rect", RectText(rect)},
                 {L"title", TitleOf(window)}});
}

// A control's rectangle is given in the client coordinates of the selected window, whatever its
// parent, so that layouts can be compared directly with the dialog's design.
void PrintControlRecord(HWND top, HWND control) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&rect), 2);
    wchar_t style[16];
    swprintf(style, 16, L"0x%08lX", static_cast<unsigned long>(::GetWindowLongW(control, GWL_STYLE)));
    PrintRecord({{L"id", std::to_wstring(::GetDlgCtrlID(control))},
                 {L"hwnd", HexHandle(control)},
                 {L"class", ClassNameOf(control)},
                 {L"style", style},
                 {L"visible", Flag(::IsWindowVisible(control))},
                 {L"enabled", Flag(::IsWindowEnabled(control))},
                 {L"checked", CheckStateOf(control)},
                 {L"rect", RectText(rect)},
                 {L"text", TextOf(control)}});
}

}  // namespace

std::wstring ClassNameOf(HWND window) {
    wchar_t name[256];
    int length = ::GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? length : 0);
}

std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, length)) return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendWithTimeout(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), copied))
        return {};
    text.resize(copied < length ? copied : length);
    return text;
}

std::vector<HWND> FindTopLevelWindows(const ProbeOptions& options) {
    std::vector<HWND> all;
    if (options.hwnd) {
        if (::IsWindow(options.hwnd)) all.push_back(options.hwnd);
        return all;
    }
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
    std::vector<HWND> matching;
    for (HWND window : all) {
        if (Matches(window, options)) matching.push_back(window);
    }
    return matching;
}

HWND SelectWindow(const ProbeOptions& options, std::wstring& error) {
    if (!options.HasWindowSelection()) {
        error = L"no window selected (--hwnd, --title, --title-part, --class, --pid or --with-id)";
        return nullptr;
    }
    std::vector<HWND> windows = FindTopLevelWindows(options);
    if (windows.empty()) {
        error = L"no such window";
        return nullptr;
    }
    if (windows.size() > 1 && !options.first) {
        error = std::to_wstring(windows.size()) + L" windows match (narrow the selection or add --first)";
        return nullptr;
    }
    return windows.front();
}

HWND FindControl(HWND window, int id) {
    for (HWND child : Descendants(window)) {
        if (::GetDlgCtrlID(child) == id) return child;
    }
    return nullptr;
}

HWND SelectTarget(const ProbeOptions& options, std::wstring& error) {
    HWND window = SelectWindow(options, error);
    if (!window || !options.controlId) return window;
    HWND control = FindControl(window, *options.controlId);
    if (!control) error = L"the window has no control " + std::to_wstring(*options.controlId);
    return control;
}

int RunFind(const ProbeOptions& options) {
    if (!options.HasWindowSelection())
        return Fail(L"find: select by --title, --title-part, --class, --pid or --with-id");
    std::vector<HWND> windows = FindTopLevelWindows(options);
    for (HWND window : windows) PrintWindowRecord(window);
    return windows.empty() ? 1 : 0;
}

int RunWait(const ProbeOptions& options, bool gone) {
    if (!options.HasWindowSelection()) return Fail(L"wait: no window selected");
    DWORD timeout = options.timeout.value_or(kDefaultWaitTimeout);
    DWORD start = ::GetTickCount();
    // Waiting for a window of a process that has ended is pointless: say so at once.
    HANDLE process = !gone && options.pid
                         ? ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, *options.pid)
                         : nullptr;
    for (;;) {
        std::vector<HWND> windows = FindTopLevelWindows(options);
        if (gone && windows.empty()) return 0;
        if (!gone && !windows.empty()) {
            if (process) ::CloseHandle(process);
            for (HWND window : windows) PrintWindowRecord(window);
            return 0;
        }
        DWORD exitCode = 0;
        if (process && ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0 &&
            ::GetExitCodeProcess(process, &exitCode)) {
            ::CloseHandle(process);
            return Fail(L"wait: process " + std::to_wstring(*options.pid) + L" ended (exit code " +
                        std::to_wstring(exitCode) + L") without such a window");
        }
        if (::GetTickCount() - start >= timeout) {
            if (process) ::CloseHandle(process);
            return Fail(gone ? L"wait-gone: the window is still there after " + std::to_wstring(timeout) +
                                   L" ms"
                             : L"wait: no such window after " + std::to_wstring(timeout) + L" ms");
        }
        ::Sleep(kPollPeriod);
    }
}

int RunChildren(const ProbeOptions& options) {
    std::wstring error;
    HWND window = SelectTarget(options, error);
    if (!window) return Fail(L"children: " + error);
    for (HWND child : Descendants(window)) PrintControlRecord(window, child);
    return 0;
}

int RunText(const ProbeOptions& options) {
    std::wstring error;
    HWND target = SelectTarget(options, error);
    if (!target) return Fail(L"text: " + error);
    PrintLine(EscapeOutput(TextOf(target)));
    return 0;
}

int RunSetText(const ProbeOptions& options) {
    if (options.arguments.size() != 1) return Fail(L"set-text wants one text");
    std::wstring error;
    HWND target = SelectTarget(options, error);
    if (!target) return Fail(L"set-text: " + error);
    std::wstring text = UnescapeArgument(options.arguments[0]);
    DWORD_PTR result = 0;
    if (!SendWithTimeout(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), result) || !result) {
        return Fail(L"set-text: the window refused the text");
    }
    return 0;
}

int RunState(const ProbeOptions& options) {
    std::wstring error;
    HWND target = SelectTarget(options, error);
    if (!target) return Fail(L"state: " + error);
    PrintRecord({{L"visible", Flag(::IsWindowVisible(target))},
                 {L"enabled", Flag(::IsWindowEnabled(target))},
                 {L"checked", CheckStateOf(target)},
                 {L"focused", Flag(HasFocus(target))}});
    return 0;
}
