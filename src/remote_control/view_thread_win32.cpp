// The remote view and its thread (see view_thread_win32.h).
#include "remote_control/view_thread_win32.h"

#include <imm.h>
#include <windowsx.h>

#include <cstdio>

#include "common/platform/debug_print_win32.h"
#include "common/threads/join_serving_win32.h"
#include "common/window_messages.h"
#include "panel/rh_info_win32.h"
#include "remote_control/control_thread_win32.h"

namespace tesmora {

namespace {

constexpr wchar_t kViewClass[] = L"TesmoraRemoteView";
constexpr unsigned kGoPollMilliseconds = 10;

long long NowMicroseconds() {
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return now.QuadPart * 1000000 / frequency.QuadPart;
}

}  // namespace

// ---- SharedMonitors ----

void SharedMonitors::Set(std::vector<MonitorRect> monitors) {
    std::lock_guard lock(lock_);
    monitors_ = std::move(monitors);
}

std::vector<MonitorRect> SharedMonitors::Monitors() const {
    std::lock_guard lock(lock_);
    return monitors_;
}

std::optional<MonitorRect> SharedMonitors::Shown(int selected) const {
    std::lock_guard lock(lock_);
    return ShownMonitor(monitors_, selected);
}

// ---- CUIThreadWnd ----

CUIThreadWnd::CUIThreadWnd(CRHInfo& record, HWND panel, const SharedMonitors& monitors)
    : record_(record), panel_(panel), monitors_(monitors) {}

std::span<const CWindow::MessageEntry> CUIThreadWnd::MessageTable() const {
    static const MessageEntry table[] = {
        OnMessage(WM_SIZE, &CUIThreadWnd::OnSize),
        OnMessage(WM_RC_SELECT_MONITOR, &CUIThreadWnd::OnSelectMonitor),
        OnMessage(WM_PAINT, &CUIThreadWnd::OnPaint),
        OnMessage(WM_ERASEBKGND, &CUIThreadWnd::OnEraseBackground),
        OnMessage(WM_MOUSEMOVE, &CUIThreadWnd::OnMouse),
        OnMessage(WM_LBUTTONDOWN, &CUIThreadWnd::OnMouse),
        OnMessage(WM_LBUTTONUP, &CUIThreadWnd::OnMouse),
        OnMessage(WM_LBUTTONDBLCLK, &CUIThreadWnd::OnMouse),
        OnMessage(WM_RBUTTONDOWN, &CUIThreadWnd::OnMouse),
        OnMessage(WM_RBUTTONUP, &CUIThreadWnd::OnMouse),
        OnMessage(WM_RBUTTONDBLCLK, &CUIThreadWnd::OnMouse),
        OnMessage(WM_MBUTTONDOWN, &CUIThreadWnd::OnMouse),
        OnMessage(WM_MBUTTONUP, &CUIThreadWnd::OnMouse),
        OnMessage(WM_MBUTTONDBLCLK, &CUIThreadWnd::OnMouse),
        OnMessage(WM_MOUSEWHEEL, &CUIThreadWnd::OnMouse),
        OnMessage(WM_GESTURE, &CUIThreadWnd::OnGesture),
        OnMessage(WM_KILLFOCUS, &CUIThreadWnd::OnKillFocus),
        OnMessage(WM_SETCURSOR, &CUIThreadWnd::OnSetCursor),
        OnMessage(WM_CLOSE, &CUIThreadWnd::OnClose),
    };
    return table;
}

bool CUIThreadWnd::CreateView() {
    CWindow::RegisterWindowClass(kViewClass, CS_DBLCLKS, nullptr, ::LoadCursorW(nullptr, IDC_ARROW));
    if (!Create(0, kViewClass, record_.name.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 0, 0,
                nullptr, 0)) {
        return false;
    }
    HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128));
    ::SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    ::ShowWindow(Handle(), SW_SHOW);
    ::UpdateWindow(Handle());
    ::SetFocus(Handle());
    return true;
}

void CUIThreadWnd::GoFullScreen() {
    ::SetWindowLongPtrW(Handle(), GWL_STYLE, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
    ::SetWindowLongPtrW(Handle(), GWL_EXSTYLE, 0);
    ::SetWindowPos(Handle(), HWND_NOTOPMOST, 0, 0, ::GetSystemMetrics(SM_CXSCREEN),
                   ::GetSystemMetrics(SM_CYSCREEN), SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    ::SetForegroundWindow(Handle());
    ::SetFocus(Handle());
    Refit();
}

// The mapping always belongs to what is painted: the shown monitor when the panel gave a list, else
// the whole screen image. (Refitting to the whole image while a monitor is shown would send taps on
// the second monitor's picture somewhere else on the teacher PC.)
void CUIThreadWnd::Refit() {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    if (auto monitor = monitors_.Shown(selected_)) {
        map_.FitMonitor(*monitor, client.right, client.bottom);
        return;
    }
    record_.LockImage();
    const int width = record_.ScreenImage().Bits() ? record_.ScreenImage().Width() : 0;
    const int height = record_.ScreenImage().Bits() ? record_.ScreenImage().Height() : 0;
    record_.UnlockImage();
    map_.FitImage(width, height, client.right, client.bottom);
}

LRESULT CUIThreadWnd::OnSize(WPARAM, LPARAM) {
    Default();
    Refit();
    ::InvalidateRect(Handle(), nullptr, FALSE);
    return 0;
}

LRESULT CUIThreadWnd::OnSelectMonitor(WPARAM wParam, LPARAM lParam) {
    if (wParam != kCrossThreadCheck) return 0;
    selected_ = static_cast<int>(lParam);
    Refit();
    char line[80];
    std::snprintf(line, sizeof line, "Remocon rc: view shows monitor %d\n", selected_);
    DebugPrintUtf8(line);
    ::InvalidateRect(Handle(), nullptr, FALSE);
    return 0;
}

LRESULT CUIThreadWnd::OnEraseBackground(WPARAM, LPARAM) {
    return 1;  // the picture covers everything
}

LRESULT CUIThreadWnd::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(Handle(), &paint);
    RECT client{};
    ::GetClientRect(Handle(), &client);
    auto monitor = closing_ ? std::nullopt : monitors_.Shown(selected_);
    bool drawn = false;
    if (monitor) {
        const int width = monitor->right - monitor->left;
        const int height = monitor->bottom - monitor->top;
        // Only the copy of the shown rectangle holds the image lock; the stretch runs outside it.
        record_.LockImage();
        CDibSurface& image = record_.ScreenImage();
        if (image.Bits() && width >= 1 && height >= 1) {
            if (shown_.Width() != width || shown_.Height() != height || !shown_.Bits()) {
                shown_.Create(width, height, 32);
            }
            if (shown_.Bits()) {
                ::BitBlt(shown_.Dc(), 0, 0, width, height, image.Dc(), monitor->left, monitor->top, SRCCOPY);
                drawn = true;
            }
        }
        record_.UnlockImage();
        if (drawn) {
            ::SetStretchBltMode(dc, COLORONCOLOR);
            ::StretchBlt(dc, 0, 0, client.right, client.bottom, shown_.Dc(), 0, 0, width, height, SRCCOPY);
        }
    }
    if (!drawn) ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::EndPaint(Handle(), &paint);
    return 0;
}

void CUIThreadWnd::ForwardPointer(uint16_t message, uint32_t flags, int x, int y, int16_t wheel) {
    if (!mapping_) return;
    auto record = mouse_.Forward(map_, message, flags, x, y, wheel);
    if (!record || !ChannelOpen() || !input_) return;
    input_->AddPointer(*record);
    if (message != WM_MOUSEMOVE) {
        char line[120];
        std::snprintf(line, sizeof line, "Remocon rc: pointer 0x%x at %d,%d queued us=%lld\n", message,
                      record->x, record->y, NowMicroseconds());
        DebugPrintUtf8(line);
    }
}

LRESULT CUIThreadWnd::OnMouse(WPARAM wParam, LPARAM lParam) {
    const UINT message = CurrentMessage();
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    int16_t wheel = 0;
    if (message == WM_MOUSEWHEEL) {
        ::ScreenToClient(Handle(), &point);
        wheel = GET_WHEEL_DELTA_WPARAM(wParam);
    }
    ForwardPointer(static_cast<uint16_t>(message), static_cast<uint32_t>(wParam), point.x, point.y, wheel);
    return 0;
}

LRESULT CUIThreadWnd::OnGesture(WPARAM, LPARAM lParam) {
    GESTUREINFO info{};
    info.cbSize = sizeof info;
    HGESTUREINFO handle = reinterpret_cast<HGESTUREINFO>(lParam);
    if (!::GetGestureInfo(handle, &info)) return Default();
    if (info.dwID == GID_BEGIN) {
        pan_.Begin(info.ptsLocation.x, info.ptsLocation.y);
        return Default();
    }
    if (info.dwID != GID_PAN) return Default();
    if (auto step = pan_.Pan(info.ptsLocation.x, info.ptsLocation.y)) {
        POINT anchor{step->screenX, step->screenY};
        ::ScreenToClient(Handle(), &anchor);
        ForwardPointer(WM_MOUSEWHEEL, 0, anchor.x, anchor.y, step->delta);
    }
    ::CloseGestureInfoHandle(handle);
    return 0;
}

void CUIThreadWnd::QueueKeys(const std::vector<KeyEventRecord>& records) {
    if (records.empty() || !input_) return;
    input_->AddKeys(records);
}

bool CUIThreadWnd::PreTranslateMessage(MSG& message) {
    if (message.hwnd != Handle()) return false;
    switch (message.message) {
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
        case WM_CHAR:
            break;
        default:
            return false;
    }
    KeyContext context;
    context.channelOpen = ChannelOpen();
    context.shiftHeld = ::GetKeyState(VK_SHIFT) < 0;
    context.ctrlHeld = ::GetKeyState(VK_CONTROL) < 0;
    if (message.message == WM_KEYDOWN && message.wParam == VK_PROCESSKEY) {
        context.imeVirtualKey = ::ImmGetVirtualKey(Handle());
    }
    KeyOutcome outcome = keys_.Process(message.message, static_cast<uint32_t>(message.wParam),
                                       static_cast<uint32_t>(message.lParam), context);
    QueueKeys(outcome.records);
    if (outcome.typedChar && ChannelOpen()) {
        ::SendMessageW(comm_, WM_RC_CHAR, *outcome.typedChar, outcome.typedCharFlags);
    }
    if (outcome.imeToggle && ChannelOpen()) ::SendMessageW(comm_, WM_RC_IME_TOGGLE, 0, 0);
    if (outcome.takeFocus) {
        ::SetFocus(Handle());
        return true;
    }
    // System keys never reach the platform's menu handling; plain keys are still translated, so that
    // a character the input method composes comes back as WM_CHAR.
    if (message.message == WM_SYSKEYDOWN || message.message == WM_SYSKEYUP) return !outcome.passOn;
    return false;
}

LRESULT CUIThreadWnd::OnKillFocus(WPARAM, LPARAM) {
    // Keys held as the focus leaves would never see their key-up: release them on the teacher PC.
    QueueKeys(keys_.ReleaseHeldKeys());
    DebugPrintUtf8("Remocon rc: view lost the focus\n");
    return Default();
}

LRESULT CUIThreadWnd::OnSetCursor(WPARAM, LPARAM) {
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    return TRUE;
}

LRESULT CUIThreadWnd::OnClose(WPARAM, LPARAM) {
    if (closing_) return 0;
    closing_ = true;
    mapping_ = false;
    QueueKeys(keys_.ReleaseHeldKeys());
    // Returns once the channel has closed and the socket is back with the panel.
    if (ChannelOpen()) ::SendMessageW(comm_, WM_CLOSE, 0, 0);
    ::PostQuitMessage(0);
    ::DestroyWindow(Handle());
    return 0;
}

// ---- CViewThread ----

CViewThread::CViewThread(CRHInfo& record, HWND panel) : record_(record), panel_(panel) {}

CViewThread::~CViewThread() {
    if (worker_.Running() && !worker_.Finished()) {
        PostToThread(WM_RC_STOP, 0, 0);
        go_.store(true);
    }
    JoinServing();
}

bool CViewThread::Start() {
    return worker_.Start([this](std::stop_token stop) { Body(stop); });
}

bool CViewThread::PostToThread(UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD id = threadId_.load();
    return id != 0 && !worker_.Finished() && ::PostThreadMessageW(id, message, wParam, lParam);
}

void CViewThread::JoinServing() {
    JoinServingSentMessages(worker_);
}

void CViewThread::Body(std::stop_token) {
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    threadId_.store(::GetCurrentThreadId());
    {
        CUIThreadWnd view(record_, panel_, monitors_);
        if (view.CreateView()) {
            view_.store(view.Handle());
            ready_.store(true);
            while (!go_.load()) ::Sleep(kGoPollMilliseconds);
            view.Link(comm_, input_);
            view.GoFullScreen();
            while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
                if (message.hwnd == nullptr && message.message == WM_RC_STOP) {
                    if (::IsWindow(view.Handle())) ::SendMessageW(view.Handle(), WM_CLOSE, 0, 0);
                    continue;
                }
                if (CWindow::PreTranslateChain(message)) continue;
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
            view_.store(nullptr);
        }
    }
    if (panel_) ::PostMessageW(panel_, WM_RC_THREAD_ENDED, kCrossThreadCheck, 1);
}

}  // namespace tesmora
