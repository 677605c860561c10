// Input actions of the UI probe (see probe_input_win32.h).
#include "probe_input_win32.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <vector>

#include "probe_windows_win32.h"

namespace {

struct NamedValue {
    const wchar_t* name;
    UINT value;
};

constexpr NamedValue kMessages[] = {
    {L"WM_NULL", WM_NULL},
    {L"WM_CLOSE", WM_CLOSE},
    {L"WM_QUIT", WM_QUIT},
    {L"WM_ENABLE", WM_ENABLE},
    {L"WM_SHOWWINDOW", WM_SHOWWINDOW},
    {L"WM_GETTEXTLENGTH", WM_GETTEXTLENGTH},
    {L"WM_NCHITTEST", WM_NCHITTEST},
    {L"WM_KEYDOWN", WM_KEYDOWN},
    {L"WM_KEYUP", WM_KEYUP},
    {L"WM_CHAR", WM_CHAR},
    {L"WM_SYSKEYDOWN", WM_SYSKEYDOWN},
    {L"WM_SYSKEYUP", WM_SYSKEYUP},
    {L"WM_COMMAND", WM_COMMAND},
    {L"WM_SYSCOMMAND", WM_SYSCOMMAND},
    {L"WM_TIMER", WM_TIMER},
    {L"WM_MOUSEMOVE", WM_MOUSEMOVE},
    {L"WM_LBUTTONDOWN", WM_LBUTTONDOWN},
    {L"WM_LBUTTONUP", WM_LBUTTONUP},
    {L"WM_LBUTTONDBLCLK", WM_LBUTTONDBLCLK},
    {L"WM_RBUTTONDOWN", WM_RBUTTONDOWN},
    {L"WM_RBUTTONUP", WM_RBUTTONUP},
    {L"WM_MOUSEWHEEL", WM_MOUSEWHEEL},
    {L"BM_GETCHECK", BM_GETCHECK},
    {L"BM_SETCHECK", BM_SETCHECK},
    {L"BM_CLICK", BM_CLICK},
    {L"WM_USER", WM_USER},
    {L"WM_APP", WM_APP},
};

constexpr NamedValue kKeys[] = {
    {L"enter", VK_RETURN}, {L"esc", VK_ESCAPE},     {L"escape", VK_ESCAPE}, {L"tab", VK_TAB},
    {L"space", VK_SPACE},  {L"backspace", VK_BACK}, {L"delete", VK_DELETE}, {L"insert", VK_INSERT},
    {L"up", VK_UP},        {L"down", VK_DOWN},      {L"left", VK_LEFT},     {L"right", VK_RIGHT},
    {L"home", VK_HOME},    {L"end", VK_END},        {L"pageup", VK_PRIOR},  {L"pagedown", VK_NEXT},
    {L"f1", VK_F1},        {L"f2", VK_F2},          {L"f3", VK_F3},         {L"f4", VK_F4},
    {L"f5", VK_F5},        {L"f6", VK_F6},          {L"f7", VK_F7},         {L"f8", VK_F8},
    {L"f9", VK_F9},        {L"f10", VK_F10},        {L"f11", VK_F11},       {L"f12", VK_F12},
};

// One key of the command line: a virtual key with modifiers, or text.
struct KeyStroke {
    bool isText = false;
    std::wstring text;
    UINT vk = 0;
    bool alt = false, control = false, shift = false;
};

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// "enter", "alt+f4", "ctrl+shift+a", "vk:0x41", "text:<chars>" (escapes allowed); a single letter or
// digit is its own key.
bool ParseKey(const std::wstring& argument, KeyStroke& key) {
    if (argument.compare(0, 5, L"text:") == 0) {
        key.isText = true;
        key.text = UnescapeArgument(argument.substr(5));
        return true;
    }
    std::wstring rest = Lower(argument);
    for (;;) {
        if (rest.compare(0, 4, L"alt+") == 0) {
            key.alt = true;
            rest.erase(0, 4);
            continue;
        }
        if (rest.compare(0, 5, L"ctrl+") == 0) {
            key.control = true;
            rest.erase(0, 5);
            continue;
        }
        if (rest.compare(0, 6, L"shift+") == 0) {
            key.shift = true;
            rest.erase(0, 6);
            continue;
        }
        break;
    }
    if (rest.compare(0, 3, L"vk:") == 0) {
        long long vk = 0;
        if (!ParseNumber(rest.substr(3), vk) || vk <= 0 || vk > 0xFE) return false;
        key.vk = static_cast<UINT>(vk);
        return true;
    }
    for (const NamedValue& named : kKeys) {
        if (rest == named.name) {
            key.vk = named.value;
            return true;
        }
    }
    if (rest.size() == 1 && std::iswalnum(rest[0])) {
        key.vk = static_cast<UINT>(std::towupper(rest[0]));
        return true;
    }
    return false;
}

LPARAM KeyData(UINT vk, bool up, bool alt) {
    LPARAM data = 1 | (static_cast<LPARAM>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16);
    if (alt) data |= 1 << 29;
    if (up) data |= static_cast<LPARAM>(0xC0000000u);
    return data;
}

// Posted keys go where the keyboard focus is when it lies in the selected window; otherwise to the
// window (or the control given by --id).
HWND KeyTarget(const ProbeOptions& options, std::wstring& error) {
    HWND target = SelectTarget(options, error);
    if (!target || options.controlId) return target;
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    DWORD thread = ::GetWindowThreadProcessId(target, nullptr);
    if (::GetGUIThreadInfo(thread, &info) && info.hwndFocus &&
        (info.hwndFocus == target || ::IsChild(target, info.hwndFocus))) {
        return info.hwndFocus;
    }
    return target;
}

void PostKey(HWND target, const KeyStroke& key) {
    if (key.isText) {
        for (wchar_t c : key.text) ::PostMessageW(target, WM_CHAR, c, 1);
        return;
    }
    // Only Alt changes the message kind; Ctrl and Shift live in the keyboard state, which posting
    // cannot set (use --input for them).
    UINT down = key.alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    UINT up = key.alt ? WM_SYSKEYUP : WM_KEYUP;
    ::PostMessageW(target, down, key.vk, KeyData(key.vk, false, key.alt));
    ::PostMessageW(target, up, key.vk, KeyData(key.vk, true, key.alt));
}

INPUT KeyInput(WORD vk, wchar_t unicode, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = unicode;
    input.ki.dwFlags = (unicode ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
    return input;
}

bool SendKeyInput(const KeyStroke& key) {
    std::vector<INPUT> inputs;
    if (key.isText) {
        for (wchar_t c : key.text) {
            inputs.push_back(KeyInput(0, c, false));
            inputs.push_back(KeyInput(0, c, true));
        }
    } else {
        std::vector<WORD> modifiers;
        if (key.control) modifiers.push_back(VK_CONTROL);
        if (key.shift) modifiers.push_back(VK_SHIFT);
        if (key.alt) modifiers.push_back(VK_MENU);
        for (WORD modifier : modifiers) inputs.push_back(KeyInput(modifier, 0, false));
        inputs.push_back(KeyInput(static_cast<WORD>(key.vk), 0, false));
        inputs.push_back(KeyInput(static_cast<WORD>(key.vk), 0, true));
        for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
            inputs.push_back(KeyInput(*it, 0, true));
    }
    UINT count = static_cast<UINT>(inputs.size());
    return ::SendInput(count, inputs.data(), sizeof(INPUT)) == count;
}

// Brings the window's top-level window to the front so that synthesised input reaches it.
void BringToFront(HWND window) {
    HWND top = ::GetAncestor(window, GA_ROOT);
    ::SetForegroundWindow(top);
    ::SetActiveWindow(top);
    ::Sleep(50);
}

bool ParseParameter(const std::wstring& text, long long& value) {
    // "x,y" packs two 16-bit values as the mouse messages carry them.
    size_t comma = text.find(L',');
    if (comma == std::wstring::npos) return ParseNumber(text, value);
    long long low = 0, high = 0;
    if (!ParseNumber(text.substr(0, comma), low) || !ParseNumber(text.substr(comma + 1), high)) return false;
    value =
        static_cast<long long>(static_cast<DWORD>(MAKELONG(static_cast<WORD>(low), static_cast<WORD>(high))));
    return true;
}

}  // namespace

bool ParseMessage(const std::wstring& text, UINT& message) {
    long long number = 0;
    if (ParseNumber(text, number)) {
        message = static_cast<UINT>(number);
        return true;
    }
    std::wstring name = text;
    long long offset = 0;
    size_t plus = text.find(L'+');
    if (plus != std::wstring::npos) {
        name = text.substr(0, plus);
        if (!ParseNumber(text.substr(plus + 1), offset)) return false;
    }
    for (const NamedValue& named : kMessages) {
        if (_wcsicmp(name.c_str(), named.name) == 0) {
            message = named.value + static_cast<UINT>(offset);
            return true;
        }
    }
    return false;
}

int RunClick(const ProbeOptions& options) {
    std::wstring error;
    HWND target = SelectTarget(options, error);
    if (!target) return Fail(L"click: " + error);
    if (!options.mouse && !options.input) {
        if (!::PostMessageW(target, BM_CLICK, 0, 0)) return Fail(L"click: the message could not be posted");
        return 0;
    }
    RECT client{};
    ::GetClientRect(target, &client);
    POINT point = options.at.value_or(POINT{client.right / 2, client.bottom / 2});
    if (options.input) {
        POINT screen = point;
        ::ClientToScreen(target, &screen);
        BringToFront(target);
        ::SetCursorPos(screen.x, screen.y);
        INPUT inputs[2]{};
        inputs[0].type = inputs[1].type = INPUT_MOUSE;
        inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        if (::SendInput(2, inputs, sizeof(INPUT)) != 2) return Fail(L"click: the input was refused");
        return 0;
    }
    LPARAM position = MAKELPARAM(point.x, point.y);
    ::PostMessageW(target, WM_MOUSEMOVE, 0, position);
    ::PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, position);
    if (!::PostMessageW(target, WM_LBUTTONUP, 0, position))
        return Fail(L"click: the messages could not be posted");
    return 0;
}

int RunKey(const ProbeOptions& options) {
    if (options.arguments.empty()) return Fail(L"key wants at least one key (enter, esc, alt+f4, text:...)");
    std::vector<KeyStroke> keys;
    for (const std::wstring& argument : options.arguments) {
        KeyStroke key;
        if (!ParseKey(argument, key)) return Fail(L"key: unknown key \"" + argument + L"\"");
        keys.push_back(key);
    }
    std::wstring error;
    HWND target = KeyTarget(options, error);
    if (!target) return Fail(L"key: " + error);
    if (options.input) {
        // Synthesised keys go to the keyboard focus of the window brought to the front.
        BringToFront(target);
        for (const KeyStroke& key : keys) {
            if (!SendKeyInput(key)) return Fail(L"key: the input was refused");
        }
        return 0;
    }
    for (const KeyStroke& key : keys) PostKey(target, key);
    return 0;
}

int RunSend(const ProbeOptions& options) {
    if (options.arguments.empty() || options.arguments.size() > 3)
        return Fail(L"send wants MESSAGE [WPARAM [LPARAM]]");
    UINT message = 0;
    if (!ParseMessage(options.arguments[0], message))
        return Fail(L"send: unknown message " + options.arguments[0]);
    long long wParam = 0, lParam = 0;
    if (options.arguments.size() > 1 && !ParseParameter(options.arguments[1], wParam)) {
        return Fail(L"send: bad WPARAM " + options.arguments[1]);
    }
    if (options.arguments.size() > 2 && !ParseParameter(options.arguments[2], lParam)) {
        return Fail(L"send: bad LPARAM " + options.arguments[2]);
    }
    std::wstring error;
    HWND target = SelectTarget(options, error);
    if (!target) return Fail(L"send: " + error);
    if (options.post) {
        if (!::PostMessageW(target, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam))) {
            return Fail(L"send: the message could not be posted");
        }
        return 0;
    }
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(target, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam),
                               SMTO_ABORTIFHUNG, options.timeout.value_or(kDefaultMessageTimeout), &result)) {
        return Fail(L"send: no answer in time");
    }
    PrintRecord({{L"result", std::to_wstring(static_cast<long long>(static_cast<LONG_PTR>(result)))}});
    return 0;
}

namespace {

bool ParsePoint(const std::wstring& text, POINT& point) {
    size_t comma = text.find(L',');
    long long x = 0, y = 0;
    if (comma == std::wstring::npos || !ParseNumber(text.substr(0, comma), x) ||
        !ParseNumber(text.substr(comma + 1), y)) {
        return false;
    }
    point = {static_cast<LONG>(x), static_cast<LONG>(y)};
    return true;
}

// A pointer move to a screen point as real input: absolute coordinates over the primary screen
// (0..65535), rounded up so that they land on the intended pixel.
INPUT MoveTo(POINT screen) {
    LONG width = std::max(1, ::GetSystemMetrics(SM_CXSCREEN));
    LONG height = std::max(1, ::GetSystemMetrics(SM_CYSCREEN));
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((static_cast<long long>(screen.x) * 65536 + width - 1) / width);
    input.mi.dy = static_cast<LONG>((static_cast<long long>(screen.y) * 65536 + height - 1) / height);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return input;
}

bool Send(INPUT input) {
    bool sent = ::SendInput(1, &input, sizeof(INPUT)) == 1;
    ::Sleep(10);
    return sent;
}

}  // namespace

int RunDrag(const ProbeOptions& options) {
    std::wstring error;
    HWND target = SelectTarget(options, error);
    if (!target) return Fail(L"drag: " + error);
    std::vector<POINT> points;
    for (const std::wstring& argument : options.arguments) {
        POINT point{};
        if (!ParsePoint(argument, point)) return Fail(L"drag: \"" + argument + L"\" is not a point X,Y");
        ::ClientToScreen(target, &point);
        points.push_back(point);
    }
    if (points.size() < 2) return Fail(L"drag: give at least two points");
    BringToFront(target);
    if (!Send(MoveTo(points[0]))) return Fail(L"drag: the input was refused");
    INPUT down{};
    down.type = INPUT_MOUSE;
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    Send(down);
    // Small steps, as a hand moves, so that the line is made of many segments.
    constexpr int kStep = 8;
    for (size_t i = 1; i < points.size(); ++i) {
        POINT from = points[i - 1], to = points[i];
        int steps =
            std::max(1, static_cast<int>(std::max(std::abs(to.x - from.x), std::abs(to.y - from.y))) / kStep);
        for (int s = 1; s <= steps; ++s) {
            POINT at{from.x + (to.x - from.x) * s / steps, from.y + (to.y - from.y) * s / steps};
            Send(MoveTo(at));
        }
    }
    INPUT up{};
    up.type = INPUT_MOUSE;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    if (!Send(up)) return Fail(L"drag: the input was refused");
    return 0;
}
