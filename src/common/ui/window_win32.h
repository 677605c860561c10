// Window: the window base of our small framework. An object is tied to its window when the window
// is created through it (our own window classes), when it subclasses an existing window (a control of
// a dialog template, a created system control), or when a dialog starts; messages then go through the
// object's message table (message or command id -> member), and what the table does not handle gets
// the window's default handling. Before dispatch, a message loop lets the target window and its
// parents look at each message (PreTranslateMessage), which is where key filters and tooltip relays
// live. UI thread only: an object is used only by the thread that owns its window.
#pragma once

#include <windows.h>

#include <span>

namespace tesmora {

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    // Unties the object; a window created through Create is destroyed with it.
    virtual ~Window();

    HWND Handle() const { return window_; }
    // The object tied to a window, or null.
    static Window* FromHandle(HWND window);

    // Creates a window of one of our classes (RegisterWindowClass) tied to this object from its first
    // message on.
    bool Create(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                int width, int height, HWND parent, UINT_PTR idOrMenu);
    // Ties this object to an existing window, whose own procedure becomes the default handling.
    bool SubclassWindow(HWND window);

    // Registers a window class whose windows are tied to the object passed to Create.
    static bool RegisterWindowClass(const wchar_t* className, UINT classStyle = CS_DBLCLKS,
                                    HBRUSH background = nullptr, HCURSOR cursor = nullptr);

    // The window's chance to handle a message before the loop dispatches it; true swallows it.
    virtual bool PreTranslateMessage(MSG& message);
    // Offers `message` to its target window's object and each parent's, innermost first, as far as
    // the top-level window. Message loops call this before translating and dispatching.
    static bool PreTranslateChain(MSG& message);

    // Helpers over the window handle.
    HWND Item(int id) const { return ::GetDlgItem(window_, id); }
    UINT_PTR StartTimer(UINT_PTR id, UINT milliseconds) {
        return ::SetTimer(window_, id, milliseconds, nullptr);
    }
    void StopTimer(UINT_PTR id) { ::KillTimer(window_, id); }
    void Invalidate(bool erase = true) { ::InvalidateRect(window_, nullptr, erase ? TRUE : FALSE); }

protected:
    using MessageHandler = LRESULT (Window::*)(WPARAM, LPARAM);
    using CommandHandler = void (Window::*)();

    // One row of a message table: a message and its member, or WM_COMMAND with a command id (a button
    // click, menu item or accelerator) and its member.
    struct MessageEntry {
        UINT message;
        UINT commandId;
        MessageHandler onMessage;
        CommandHandler onCommand;
    };
    template <class T>
    static constexpr MessageEntry OnMessage(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM)) {
        return {message, 0, static_cast<MessageHandler>(handler), nullptr};
    }
    template <class T>
    static constexpr MessageEntry OnCommand(UINT id, void (T::*handler)()) {
        return {WM_COMMAND, id, nullptr, static_cast<CommandHandler>(handler)};
    }

    // The derived class's table (a function-local static const array); searched first to last, the
    // first matching row handles the message.
    virtual std::span<const MessageEntry> MessageTable() const { return {}; }
    // Everything arrives here: the table, then OnUnhandledCommand for commands, then Default().
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // A command that no table row took; answers whether it was handled.
    virtual bool OnUnhandledCommand(UINT /*id*/, UINT /*code*/) { return false; }
    // Called after the window's last message, when the object is no longer tied to it.
    virtual void OnFinalMessage() {}

    // The default handling of the message being handled (the window's own procedure).
    LRESULT Default();
    LRESULT CallDefault(UINT message, WPARAM wParam, LPARAM lParam);
    UINT CurrentMessage() const { return current_.message; }

private:
    struct Current {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };

    static LRESULT CALLBACK CreationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK TiedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Tie(HWND window, WNDPROC previous);
    void Untie();

    HWND window_ = nullptr;
    WNDPROC previous_ = nullptr;
    Current current_;
    bool created_ = false;  // made by Create: destroyed with the object
};

}  // namespace tesmora
