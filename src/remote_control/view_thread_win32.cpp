// The remote view and its thread (see view_thread_win32.h).
#include "remote_control/view_thread_win32.h"

#include <imm.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/platform/clock.h"
#include "common/platform/debug_print_win32.h"
#include "common/window_messages.h"
#include "remote_control/remote_host_record_win32.h"
#include "remote_control/control_thread_win32.h"

namespace tesmora {

namespace {

constexpr wchar_t kViewClass[] = L"TesmoraRemoteView";

// A 32-bit DIB surface as rows from the top (its rows run bottom-up).
PixelView Rows(const DibSurface& surface) {
    if (!surface.Bits()) return {};
    const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(surface.RowStride());
    return PixelView{surface.Bits() + stride * (surface.Height() - 1), -stride, uint32_t(surface.Width()),
                     uint32_t(surface.Height())};
}

// Copies `rect` of `from` (its coordinates) to `to` at `rect` moved by (-dx, -dy).
void CopyRect(const PixelView& from, const PixelView& to, const PixelRect& rect, int32_t dx, int32_t dy) {
    for (int32_t y = rect.top; y < rect.bottom; ++y) {
        std::memcpy(to.Row(uint32_t(y - dy)) + (rect.left - dx), from.Row(uint32_t(y)) + rect.left,
                    size_t(rect.Width()) * 4);
    }
}

bool IsButtonDown(UINT message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
           message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDBLCLK;
}

}  // namespace

// ---- SharedMonitors ----

void SharedMonitors::Set(std::vector<MonitorRect> monitors) {
    std::lock_guard lock(lock_);
    monitors_ = std::move(monitors);
}

std::optional<MonitorRect> SharedMonitors::Shown(int selected) const {
    std::lock_guard lock(lock_);
    return ShownMonitor(monitors_, selected);
}

// ---- RemoteView ----

RemoteView::RemoteView(RemoteHostRecord& record, HWND panel, const SharedMonitors& monitors)
    : record_(record), panel_(panel), monitors_(monitors) {}

std::span<const Window::MessageEntry> RemoteView::MessageTable() const {
    static const MessageEntry table[] = {
        OnMessage(WM_SIZE, &RemoteView::OnSize),
        OnMessage(WM_DISPLAYCHANGE, &RemoteView::OnDisplayChange),
        OnMessage(WM_RC_SELECT_MONITOR, &RemoteView::OnSelectMonitor),
        OnMessage(WM_RC_IMAGE_CHANGED, &RemoteView::OnImageChanged),
        OnMessage(WM_PAINT, &RemoteView::OnPaint),
        OnMessage(WM_CAPTURECHANGED, &RemoteView::OnCaptureChanged),
        OnMessage(WM_ERASEBKGND, &RemoteView::OnEraseBackground),
        OnMessage(WM_MOUSEMOVE, &RemoteView::OnMouse),
        OnMessage(WM_LBUTTONDOWN, &RemoteView::OnMouse),
        OnMessage(WM_LBUTTONUP, &RemoteView::OnMouse),
        OnMessage(WM_LBUTTONDBLCLK, &RemoteView::OnMouse),
        OnMessage(WM_RBUTTONDOWN, &RemoteView::OnMouse),
        OnMessage(WM_RBUTTONUP, &RemoteView::OnMouse),
        OnMessage(WM_RBUTTONDBLCLK, &RemoteView::OnMouse),
        OnMessage(WM_MBUTTONDOWN, &RemoteView::OnMouse),
        OnMessage(WM_MBUTTONUP, &RemoteView::OnMouse),
        OnMessage(WM_MBUTTONDBLCLK, &RemoteView::OnMouse),
        OnMessage(WM_MOUSEWHEEL, &RemoteView::OnMouse),
        OnMessage(WM_GESTURE, &RemoteView::OnGesture),
        OnMessage(WM_KILLFOCUS, &RemoteView::OnKillFocus),
        OnMessage(WM_SETCURSOR, &RemoteView::OnSetCursor),
        OnMessage(WM_CLOSE, &RemoteView::OnClose),
    };
    return table;
}

bool RemoteView::CreateView() {
    Window::RegisterWindowClass(kViewClass, CS_DBLCLKS, nullptr, ::LoadCursorW(nullptr, IDC_ARROW));
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

void RemoteView::GoFullScreen() {
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
void RemoteView::Refit() {
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

LRESULT RemoteView::OnSize(WPARAM, LPARAM) {
    Default();
    Refit();
    Refresh(RefreshScope::kEverything);
    return 0;
}

LRESULT RemoteView::OnDisplayChange(WPARAM, LPARAM lParam) {
    // The pad's screen changed size or turned: the view covers it again and maps onto the new size.
    // The message carries the new resolution; the system metrics may still lag behind it.
    int width = LOWORD(lParam);
    int height = HIWORD(lParam);
    if (width == 0 || height == 0) {
        width = ::GetSystemMetrics(SM_CXSCREEN);
        height = ::GetSystemMetrics(SM_CYSCREEN);
    }
    if (!closing_) {
        ::SetWindowPos(Handle(), HWND_NOTOPMOST, 0, 0, width, height, SWP_NOACTIVATE);
        Refit();
        Refresh(RefreshScope::kEverything);
    }
    char line[80];
    std::snprintf(line, sizeof line, "Remocon rc: view refitted to %dx%d\n", width, height);
    DebugPrintUtf8(line);
    return Default();
}

LRESULT RemoteView::OnSelectMonitor(WPARAM wParam, LPARAM lParam) {
    if (wParam != kCrossThreadCheck) return 0;
    selected_ = static_cast<int>(lParam);
    Refit();
    char line[80];
    std::snprintf(line, sizeof line, "Remocon rc: view shows monitor %d\n", selected_);
    DebugPrintUtf8(line);
    Refresh(RefreshScope::kEverything);
    return 0;
}

LRESULT RemoteView::OnImageChanged(WPARAM wParam, LPARAM) {
    if (wParam == kCrossThreadCheck) Refresh(RefreshScope::kChanged);
    return 0;
}

void RemoteView::Refresh(RefreshScope scope) {
    if (closing_) return;
    bool everything = scope == RefreshScope::kEverything;
    RECT client{};
    ::GetClientRect(Handle(), &client);
    auto monitor = monitors_.Shown(selected_);
    bool shown = false;
    // Only the copy of what changed holds the image lock; the scaling runs outside it.
    record_.LockImage();
    everything = record_.Damage().Take(changed_) || everything;
    const DibSurface& image = record_.ScreenImage();
    // A monitor reaching past the teacher's picture shows only what the picture holds.
    const PixelRect source = monitor && image.Bits()
                                 ? Intersect({monitor->left, monitor->top, monitor->right, monitor->bottom},
                                             {0, 0, image.Width(), image.Height()})
                                 : PixelRect{};
    if (!source.Empty()) {
        if (shownRect_ != source || !shown_.Bits()) {
            everything = true;
            shownRect_ = source;
            if (!shown_.Create(source.Width(), source.Height(), 32)) shown_.Release();
        }
        if (shown_.Bits()) {
            shown = true;
            if (everything) {
                CopyRect(Rows(image), Rows(shown_), source, source.left, source.top);
            } else {
                for (PixelRect& rect : changed_) {
                    rect = Intersect(rect, source);
                    CopyRect(Rows(image), Rows(shown_), rect, source.left, source.top);
                }
            }
        }
    }
    record_.UnlockImage();

    if (!shown || client.right < 1 || client.bottom < 1) {
        scaledReady_ = false;
        ::InvalidateRect(Handle(), nullptr, FALSE);
        ::UpdateWindow(Handle());
        return;
    }
    if (!scaledReady_ || scaled_.Width() != client.right || scaled_.Height() != client.bottom) {
        everything = true;
        scaledReady_ = scaled_.Create(client.right, client.bottom, 32);
        if (!scaledReady_) {
            ::InvalidateRect(Handle(), nullptr, FALSE);
            return;
        }
    }
    const int64_t scaleStart = MonotonicMicroseconds();
    scaler_.SetSizes(uint32_t(shown_.Width()), uint32_t(shown_.Height()), uint32_t(client.right),
                     uint32_t(client.bottom));
    if (everything) {
        scaler_.Scale(Rows(shown_), Rows(scaled_), {0, 0, client.right, client.bottom});
        ::InvalidateRect(Handle(), nullptr, FALSE);
    } else {
        for (const PixelRect& rect : changed_) {
            if (rect.Empty()) continue;
            const PixelRect local{rect.left - source.left, rect.top - source.top, rect.right - source.left,
                                  rect.bottom - source.top};
            const PixelRect area = scaler_.DestinationOf(local);
            scaler_.Scale(Rows(shown_), Rows(scaled_), area);
            const RECT invalid{area.left, area.top, area.right, area.bottom};
            ::InvalidateRect(Handle(), &invalid, FALSE);
        }
    }
    const int64_t scaled = MonotonicMicroseconds();
    ::UpdateWindow(Handle());
    char line[120];
    std::snprintf(line, sizeof line, "Remocon rc view: rects=%zu all=%d scale_us=%lld blit_us=%lld\n",
                  everything ? size_t(0) : changed_.size(), everything ? 1 : 0,
                  static_cast<long long>(scaled - scaleStart),
                  static_cast<long long>(MonotonicMicroseconds() - scaled));
    DebugPrintUtf8(line);
}

LRESULT RemoteView::OnEraseBackground(WPARAM, LPARAM) {
    return 1;  // the picture covers everything
}

LRESULT RemoteView::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(Handle(), &paint);
    const RECT& area = paint.rcPaint;
    if (!closing_ && scaledReady_) {
        ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, scaled_.Dc(),
                 area.left, area.top, SRCCOPY);
    } else {
        ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    ::EndPaint(Handle(), &paint);
    return 0;
}

void RemoteView::ForwardPointer(uint16_t message, uint32_t flags, int x, int y, int16_t wheel) {
    if (!mapping_) return;
    if (::GetCapture() == Handle()) {
        // A drag that leaves the view while a button is held still ends on the teacher's monitor.
        RECT client{};
        ::GetClientRect(Handle(), &client);
        x = std::clamp(x, 0, std::max(0, int(client.right) - 1));
        y = std::clamp(y, 0, std::max(0, int(client.bottom) - 1));
    }
    auto record = mouse_.Forward(map_, message, flags, x, y, wheel);
    if (!record || !ChannelOpen() || !input_) return;
    input_->AddPointer(*record);
    if (message != WM_MOUSEMOVE) {
        char line[120];
        std::snprintf(line, sizeof line, "Remocon rc: pointer 0x%x at %d,%d queued us=%lld\n", message,
                      record->x, record->y, static_cast<long long>(MonotonicMicroseconds()));
        DebugPrintUtf8(line);
    }
}

LRESULT RemoteView::OnMouse(WPARAM wParam, LPARAM lParam) {
    const UINT message = CurrentMessage();
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    int16_t wheel = 0;
    if (message == WM_MOUSEWHEEL) {
        ::ScreenToClient(Handle(), &point);
        wheel = GET_WHEEL_DELTA_WPARAM(wParam);
    }
    ForwardPointer(static_cast<uint16_t>(message), static_cast<uint32_t>(wParam), point.x, point.y, wheel);
    // While a button is held the view keeps the mouse, so that its release reaches the teacher PC
    // even when it lands over the panel, which lies above the view.
    if (IsButtonDown(message)) {
        ::SetCapture(Handle());
    } else if (!mouse_.AnyButtonHeld() && ::GetCapture() == Handle()) {
        ::ReleaseCapture();
    }
    return 0;
}

LRESULT RemoteView::OnCaptureChanged(WPARAM, LPARAM lParam) {
    if (reinterpret_cast<HWND>(lParam) != Handle()) ReleaseHeldButtons("the view lost the mouse");
    return 0;
}

void RemoteView::ReleaseHeldButtons(const char* why) {
    const auto releases = mouse_.ReleaseHeldButtons();
    if (releases.empty()) return;
    if (ChannelOpen() && input_) {
        for (const auto& release : releases) input_->AddPointer(release);
    }
    char line[120];
    std::snprintf(line, sizeof line, "Remocon rc: %zu held buttons released: %s\n", releases.size(), why);
    DebugPrintUtf8(line);
}

LRESULT RemoteView::OnGesture(WPARAM, LPARAM lParam) {
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

void RemoteView::QueueKeys(const std::vector<KeyEventRecord>& records) {
    if (records.empty() || !input_) return;
    input_->AddKeys(records);
}

bool RemoteView::PreTranslateMessage(MSG& message) {
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

LRESULT RemoteView::OnKillFocus(WPARAM, LPARAM) {
    // Keys and buttons held as the focus leaves would never see their release: release them on the
    // teacher PC.
    QueueKeys(keys_.ReleaseHeldKeys());
    ReleaseHeldButtons("the view lost the focus");
    if (::GetCapture() == Handle()) ::ReleaseCapture();
    DebugPrintUtf8("Remocon rc: view lost the focus\n");
    return Default();
}

LRESULT RemoteView::OnSetCursor(WPARAM, LPARAM) {
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    return TRUE;
}

LRESULT RemoteView::OnClose(WPARAM, LPARAM) {
    if (closing_) return 0;
    closing_ = true;
    QueueKeys(keys_.ReleaseHeldKeys());
    ReleaseHeldButtons("remote control ends");
    mapping_ = false;
    if (::GetCapture() == Handle()) ::ReleaseCapture();
    // Returns once the channel has closed and the socket is back with the panel.
    if (ChannelOpen()) ::SendMessageW(comm_, WM_CLOSE, 0, 0);
    ::PostQuitMessage(0);
    ::DestroyWindow(Handle());
    return 0;
}

// ---- ViewThread ----

ViewThread::ViewThread(RemoteHostRecord& record, HWND panel) : record_(record), panel_(panel) {}

ViewThread::~ViewThread() {
    CloseAndJoin();
}

void ViewThread::Run() {
    {
        RemoteView view(record_, panel_, monitors_);
        if (view.CreateView()) {
            MarkReady(view.Handle());
            WaitForGo();
            view.Link(comm_, input_);
            view.GoFullScreen();
            RunLoop();
        }
    }
    DebugPrintUtf8("Remocon rc: view thread ends\n");
    if (panel_) ::PostMessageW(panel_, WM_RC_THREAD_ENDED, kCrossThreadCheck, 1);
}

}  // namespace tesmora
