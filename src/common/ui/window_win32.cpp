// The window base (see window_win32.h). UI thread only.
#include "common/ui/window_win32.h"

namespace tesmora {

namespace {

const wchar_t kObjectProperty[] = L"TesmoraWindowObject";
// The object being created by Window::Create on this thread, tied at its window's first message
// (for top-level windows that is WM_GETMINMAXINFO, before WM_NCCREATE).
thread_local Window* tCreating = nullptr;

}  // namespace

Window::~Window() {
    if (!window_) return;
    if (created_ && ::IsWindow(window_)) {
        ::DestroyWindow(window_);  // its last message unties the object
    }
    if (window_) Untie();
}

Window* Window::FromHandle(HWND window) {
    return window ? static_cast<Window*>(::GetPropW(window, kObjectProperty)) : nullptr;
}

bool Window::RegisterWindowClass(const wchar_t* className, UINT classStyle, HBRUSH background,
                                 HCURSOR cursor) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (::GetClassInfoExW(instance, className, &windowClass)) return true;
    windowClass.style = classStyle;
    windowClass.lpfnWndProc = TiedProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = cursor ? cursor : ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool Window::Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                    int width, int height, HWND parent, UINT_PTR idOrMenu) {
    if (window_) return false;
    Window* outer = tCreating;
    tCreating = this;
    HWND window = ::CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent,
                                    reinterpret_cast<HMENU>(idOrMenu), ::GetModuleHandleW(nullptr), nullptr);
    tCreating = outer;
    if (!window) return false;
    if (window_ != window) {
        // Not one of our classes: tie it now (its creation messages went to its own procedure).
        if (!SubclassWindow(window)) {
            ::DestroyWindow(window);
            return false;
        }
    }
    created_ = true;
    return true;
}

bool Window::SubclassWindow(HWND window) {
    if (window_ || !window || FromHandle(window)) return false;
    Tie(window, nullptr);
    auto previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::TiedProc)));
    if (!previous) {
        Untie();
        return false;
    }
    previous_ = previous;
    return true;
}

void Window::Tie(HWND window, WNDPROC previous) {
    window_ = window;
    previous_ = previous;
    ::SetPropW(window, kObjectProperty, this);
}

void Window::Untie() {
    HWND window = window_;
    auto ours = reinterpret_cast<LONG_PTR>(&Window::TiedProc);
    // Give a subclassed window its own procedure back, unless someone subclassed it after us.
    if (previous_ && previous_ != ::DefWindowProcW && ::GetWindowLongPtrW(window, GWLP_WNDPROC) == ours) {
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    }
    ::RemovePropW(window, kObjectProperty);
    window_ = nullptr;
    previous_ = nullptr;
    created_ = false;
}

LRESULT CALLBACK Window::TiedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = FromHandle(window);
    if (!self && tCreating && !tCreating->window_) {
        self = tCreating;
        self->Tie(window, ::DefWindowProcW);
    }
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);

    Current outer = self->current_;
    self->current_ = {message, wParam, lParam};
    LRESULT result = self->WindowProc(message, wParam, lParam);
    self->current_ = outer;
    if (message == WM_NCDESTROY && self->window_ == window) {
        self->Untie();
        self->OnFinalMessage();
    }
    return result;
}

LRESULT Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    for (const MessageEntry& entry : MessageTable()) {
        if (entry.message != message) continue;
        if (message == WM_COMMAND && entry.onCommand) {
            // Button clicks and menu items (code 0) and accelerators (code 1).
            if (entry.commandId != LOWORD(wParam) || HIWORD(wParam) > 1) continue;
            (this->*entry.onCommand)();
            return 0;
        }
        return (this->*entry.onMessage)(wParam, lParam);
    }
    if (message == WM_COMMAND && OnUnhandledCommand(LOWORD(wParam), HIWORD(wParam))) return 0;
    return Default();
}

LRESULT Window::Default() {
    return CallDefault(current_.message, current_.wParam, current_.lParam);
}

LRESULT Window::CallDefault(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!window_) return 0;
    if (!previous_ || previous_ == ::DefWindowProcW)
        return ::DefWindowProcW(window_, message, wParam, lParam);
    return ::CallWindowProcW(previous_, window_, message, wParam, lParam);
}

bool Window::PreTranslateMessage(MSG& /*message*/) {
    return false;
}

bool Window::PreTranslateChain(MSG& message) {
    HWND window = message.hwnd;
    while (window) {
        if (Window* self = FromHandle(window); self && self->PreTranslateMessage(message)) return true;
        if (!(::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) break;
        window = ::GetParent(window);
    }
    return false;
}

}  // namespace tesmora
