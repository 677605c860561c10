// The move-window action of the UI probe (see probe_mover_win32.h).
#include "probe_mover_win32.h"

#include <cmath>

namespace {

constexpr wchar_t kClassName[] = L"TesmoraProbeMover";
constexpr wchar_t kTitle[] = L"tesmora-probe mover";
constexpr UINT_PTR kTimer = 1;
constexpr UINT kTickMilliseconds = 50;
constexpr SIZE kDefaultSize{320, 240};
constexpr POINT kDefaultStep{40, 0};
// The remote's panel sits at the top right of the screen: the mover keeps to the lower half of the
// screen and out of its right-most pixels, so it never covers the panel whatever the screen's size.
constexpr int kRightClear = 200;
constexpr int kCheckerCell = 16;

// Saturated colours far apart from each other, so that a lossy copy of the stripes differs clearly.
// No magenta: it is the panel's colour key.
constexpr COLORREF kStripes[] = {RGB(255, 0, 0),   RGB(255, 255, 0), RGB(0, 200, 0),   RGB(128, 128, 128),
                                 RGB(0, 255, 255), RGB(0, 0, 255),   RGB(255, 128, 0), RGB(0, 0, 0)};
// A white frame keeps the window's outline clear on a black desktop (Wine's under Xvfb).
constexpr int kFrame = 3;

// One move along [0, limit], reflected at the ends. Unfolded, the path is a circle of length
// 2 * limit walked forwards whose second half is the way back; this stays right for any step, even
// one longer than the path.
LONG Bounce(LONG position, LONG& step, LONG limit) {
    if (limit <= 0) return 0;
    if (step == 0) return position;
    const long long period = 2LL * limit;
    const long long speed = step < 0 ? -static_cast<long long>(step) : step;
    const long long unfolded = (step > 0 ? position : period - position) + speed;
    const long long at = unfolded % period;
    if (at <= limit) {
        step = static_cast<LONG>(speed);
        return static_cast<LONG>(at);
    }
    step = static_cast<LONG>(-speed);
    return static_cast<LONG>(period - at);
}

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    RECT rect{left, top, right, bottom};
    ::SetDCBrushColor(dc, colour);
    ::FillRect(dc, &rect, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
}

// Inside a white frame: coloured stripes over the upper half, a black and white checker below.
void PaintPattern(HDC dc, int width, int height) {
    Fill(dc, 0, 0, width, height, RGB(255, 255, 255));
    const int left = kFrame, top = kFrame, right = width - kFrame, bottom = height - kFrame;
    if (right <= left || bottom <= top) return;
    ::IntersectClipRect(dc, left, top, right, bottom);  // the checker's last cells may stick out
    const int stripes = static_cast<int>(sizeof(kStripes) / sizeof(kStripes[0]));
    const int inner = right - left;
    const int middle = top + (bottom - top) / 2;
    for (int i = 0; i < stripes; ++i)
        Fill(dc, left + i * inner / stripes, top, left + (i + 1) * inner / stripes, middle, kStripes[i]);
    for (int y = middle, row = 0; y < bottom; y += kCheckerCell, ++row) {
        for (int x = left, column = 0; x < right; x += kCheckerCell, ++column) {
            Fill(dc, x, y, x + kCheckerCell, y + kCheckerCell,
                 (row + column) % 2 ? RGB(0, 0, 0) : RGB(255, 255, 255));
        }
    }
}

// The moving window. Its left-top corner moves within `area` (both ends included).
class Mover {
public:
    Mover(const RECT& area, POINT start, SIZE size, POINT step, ULONGLONG duration)
        : area_(area), position_(start), size_(size), step_(step), duration_(duration) {}
    Mover(const Mover&) = delete;
    Mover& operator=(const Mover&) = delete;

    // Creates and shows the window; false with the reason in `error`.
    bool Show(std::wstring& error) {
        HINSTANCE instance = ::GetModuleHandleW(nullptr);
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = WindowProcedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kClassName;
        if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
            error = L"move-window: the window class could not be registered (" +
                    std::to_wstring(::GetLastError()) + L")";
            return false;
        }
        HWND window = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kClassName,
                                        kTitle, WS_POPUP, position_.x, position_.y, size_.cx, size_.cy,
                                        nullptr, nullptr, instance, this);
        if (!window) {
            error =
                L"move-window: the window could not be created (" + std::to_wstring(::GetLastError()) + L")";
            return false;
        }
        ::ShowWindow(window, SW_SHOWNOACTIVATE);
        ::UpdateWindow(window);
        end_ = ::GetTickCount64() + duration_;
        if (!::SetTimer(window, kTimer, kTickMilliseconds, nullptr)) {
            error = L"move-window: no timer (" + std::to_wstring(::GetLastError()) + L")";
            ::DestroyWindow(window);
            return false;
        }
        return true;
    }

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* mover = reinterpret_cast<Mover*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (mover) return mover->Handle(window, message, wParam, lParam);
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_ERASEBKGND:
                return 1;  // WM_PAINT covers every pixel
            case WM_PAINT: {
                PAINTSTRUCT paint;
                HDC dc = ::BeginPaint(window, &paint);
                RECT client{};
                ::GetClientRect(window, &client);
                PaintPattern(dc, client.right, client.bottom);
                ::EndPaint(window, &paint);
                return 0;
            }
            case WM_MOUSEACTIVATE:
                return MA_NOACTIVATE;
            case WM_TIMER:
                if (wParam == kTimer) Tick(window);
                return 0;
            case WM_DESTROY:
                ::KillTimer(window, kTimer);
                ::PostQuitMessage(0);
                return 0;
            default:
                return ::DefWindowProcW(window, message, wParam, lParam);
        }
    }

    void Tick(HWND window) {
        // The record is printed on the first tick rather than at ShowWindow: by then the message loop
        // has been idle once, and Wine has put the painted window on the X screen, so a script that
        // takes a screenshot as soon as it reads the record sees the window. The window stays where
        // the record says until the next tick.
        if (!announced_) {
            announced_ = true;
            RECT rect{};
            ::GetWindowRect(window, &rect);
            PrintRecord({{L"hwnd", HexHandle(window)},
                         {L"pid", std::to_wstring(::GetCurrentProcessId())},
                         {L"rect", RectText(rect)},
                         {L"title", kTitle}});
            if (::GetTickCount64() < end_) return;
        }
        if (::GetTickCount64() >= end_) {
            ::DestroyWindow(window);
            return;
        }
        position_.x = area_.left + Bounce(position_.x - area_.left, step_.x, area_.right - area_.left);
        position_.y = area_.top + Bounce(position_.y - area_.top, step_.y, area_.bottom - area_.top);
        ::SetWindowPos(window, nullptr, position_.x, position_.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }

    const RECT area_;
    POINT position_;
    const SIZE size_;
    POINT step_;
    const ULONGLONG duration_;
    ULONGLONG end_ = 0;
    bool announced_ = false;
};

std::wstring SizeText(LONG width, LONG height) {
    return std::to_wstring(width) + L'x' + std::to_wstring(height);
}

}  // namespace

int RunMoveWindow(const ProbeOptions& options) {
    if (!options.arguments.empty())
        return Fail(L"move-window takes no arguments: move-window --seconds S [--size WxH] [--step DX,DY]");
    if (!options.seconds) return Fail(L"move-window wants --seconds S");
    const SIZE size = options.size.value_or(kDefaultSize);
    const POINT step = options.step.value_or(kDefaultStep);

    // The primary screen, where the panel is. The left-top corner moves in [0, right] x [top, bottom].
    const LONG screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const LONG screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    RECT area{0, screenHeight / 2, screenWidth - kRightClear - size.cx, screenHeight - size.cy};
    if (area.right < 0 || area.bottom < area.top) {
        return Fail(L"move-window: a " + SizeText(size.cx, size.cy) +
                    L" window does not fit the lower half of a " + SizeText(screenWidth, screenHeight) +
                    L" screen left of its right-most " + std::to_wstring(kRightClear) + L" pixels");
    }
    const POINT start{0, area.top + (area.bottom - area.top) / 2};
    const auto duration = static_cast<ULONGLONG>(std::llround(*options.seconds * 1000.0));

    Mover mover(area, start, size, step, duration);
    std::wstring error;
    if (!mover.Show(error)) return Fail(error);
    MSG message;
    BOOL got;
    while ((got = ::GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1)
            return Fail(L"move-window: the message loop failed (" + std::to_wstring(::GetLastError()) + L")");
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
