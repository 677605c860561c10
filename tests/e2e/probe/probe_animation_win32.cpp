// The animate and grab-times actions of the UI probe (see probe_animation_win32.h).
#include "probe_animation_win32.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <thread>
#include <vector>

namespace {

constexpr wchar_t kClassName[] = L"TesmoraProbeAnimation";
constexpr wchar_t kTitle[] = L"tesmora-probe animation";
constexpr UINT_PTR kTimer = 1;
constexpr UINT kTickMilliseconds = 40;
// The picture moves this far each tick and repeats after kPeriod pixels; the texture is one period
// wider than the screen, so each picture is one copy out of it.
constexpr int kShift = 24;
constexpr int kPeriod = 480;

// A DIB section (32 bits top-down unless asked otherwise) with its own memory drawing surface.
struct Bitmap {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t* bits = nullptr;

    bool Create(int width, int height, int bitsPerPixel = 32, bool topDown = true) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = topDown ? -height : height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
        info.bmiHeader.biCompression = BI_RGB;
        void* pixels = nullptr;
        dc = ::CreateCompatibleDC(nullptr);
        bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        if (!dc || !bitmap) return false;
        bits = static_cast<uint32_t*>(pixels);
        previous = ::SelectObject(dc, bitmap);
        return true;
    }
    ~Bitmap() {
        if (previous) ::SelectObject(dc, previous);
        if (bitmap) ::DeleteObject(bitmap);
        if (dc) ::DeleteDC(dc);
    }
};

// Something like a busy desktop for the JPEG encoder: soft gradients, and blocks of thin dark lines
// (as lines of text are) on lighter cells, so that frames have a realistic size.
void PaintTexture(uint32_t* bits, int width, int height) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int cellX = x / 96, cellY = y / 54;
            const bool text = (cellX + cellY) % 3 == 0 && y % 6 < 2 && (x * 7 + y) % 11 < 8;
            uint32_t r = uint32_t(x * 255 / kPeriod) & 0xFF, g = uint32_t(y * 255 / height), b = 128;
            if ((cellX * 5 + cellY) % 4 == 1) r = 240, g = 236, b = uint32_t(200 + cellY);
            if (text) r = g = b = 30;
            bits[size_t(y) * width + x] = (r << 16) | (g << 8) | b;
        }
    }
}

class Animation {
public:
    Animation(SIZE screen, ULONGLONG duration) : screen_(screen), duration_(duration) {}

    bool Show(std::wstring& error) {
        if (!texture_.Create(screen_.cx + kPeriod, screen_.cy)) {
            error = L"animate: no bitmap for the picture (" + std::to_wstring(::GetLastError()) + L")";
            return false;
        }
        PaintTexture(texture_.bits, screen_.cx + kPeriod, screen_.cy);
        HINSTANCE instance = ::GetModuleHandleW(nullptr);
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = WindowProcedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kClassName;
        if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
            error = L"animate: the window class could not be registered (" +
                    std::to_wstring(::GetLastError()) + L")";
            return false;
        }
        HWND window =
            ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kClassName, kTitle,
                              WS_POPUP, 0, 0, screen_.cx, screen_.cy, nullptr, nullptr, instance, this);
        if (!window) {
            error = L"animate: the window could not be created (" + std::to_wstring(::GetLastError()) + L")";
            return false;
        }
        ::ShowWindow(window, SW_SHOWNOACTIVATE);
        ::UpdateWindow(window);
        end_ = ::GetTickCount64() + duration_;
        if (!::SetTimer(window, kTimer, kTickMilliseconds, nullptr)) {
            error = L"animate: no timer (" + std::to_wstring(::GetLastError()) + L")";
            ::DestroyWindow(window);
            return false;
        }
        return true;
    }

    long long Painted() const { return painted_; }

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* animation = reinterpret_cast<Animation*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (animation) return animation->Handle(window, message, wParam, lParam);
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_ERASEBKGND:
                return 1;  // WM_PAINT covers every pixel
            case WM_PAINT: {
                PAINTSTRUCT paint;
                HDC dc = ::BeginPaint(window, &paint);
                ::BitBlt(dc, 0, 0, screen_.cx, screen_.cy, texture_.dc, offset_, 0, SRCCOPY);
                ::EndPaint(window, &paint);
                ++painted_;
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
        // Printed on the first tick, once Wine has put the painted window on the X screen.
        if (!announced_) {
            announced_ = true;
            RECT rect{};
            ::GetWindowRect(window, &rect);
            PrintRecord({{L"hwnd", HexHandle(window)},
                         {L"pid", std::to_wstring(::GetCurrentProcessId())},
                         {L"rect", RectText(rect)},
                         {L"title", kTitle}});
        }
        if (::GetTickCount64() >= end_) {
            ::DestroyWindow(window);
            return;
        }
        offset_ = (offset_ + kShift) % kPeriod;
        ::InvalidateRect(window, nullptr, FALSE);
        ::UpdateWindow(window);
    }

    const SIZE screen_;
    const ULONGLONG duration_;
    Bitmap texture_;
    ULONGLONG end_ = 0;
    int offset_ = 0;
    long long painted_ = 0;
    bool announced_ = false;
};

std::wstring Milliseconds(double value) {
    wchar_t text[32];
    swprintf(text, 32, L"%.1f", value);
    return text;
}

}  // namespace

int RunAnimate(const ProbeOptions& options) {
    if (!options.arguments.empty()) return Fail(L"animate takes no arguments: animate --seconds S");
    if (!options.seconds) return Fail(L"animate wants --seconds S");
    const SIZE screen{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    Animation animation(screen, static_cast<ULONGLONG>(std::llround(*options.seconds * 1000.0)));
    std::wstring error;
    if (!animation.Show(error)) return Fail(error);
    MSG message;
    BOOL got;
    while ((got = ::GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1)
            return Fail(L"animate: the message loop failed (" + std::to_wstring(::GetLastError()) + L")");
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    PrintRecord({{L"painted", std::to_wstring(animation.Painted())}});
    return 0;
}

namespace {

// The ways of grabbing, timed on the calling thread; one record each, tagged with `thread`.
void TimeGrabs(double seconds, const wchar_t* thread) {
    const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    HDC screen = ::GetDC(nullptr);
    if (!screen) {
        PrintRecord({{L"thread", thread}, {L"failed", L"no screen drawing surface"}});
        return;
    }
    const auto blit = [&](HDC target, DWORD rop) {
        return ::BitBlt(target, 0, 0, width, height, screen, 0, 0, rop) != FALSE;
    };
    struct Way {
        const wchar_t* name;
        std::function<bool()> grab;
    };
    // The upload's own grab first: a bottom-up 32-bit DIB section, layered windows included.
    Bitmap bottomUp, topDown, packed;
    bottomUp.Create(width, height, 32, false);
    topDown.Create(width, height, 32, true);
    packed.Create(width, height, 24, false);
    HBITMAP device = ::CreateCompatibleBitmap(screen, width, height);
    HDC deviceDc = ::CreateCompatibleDC(screen);
    HGDIOBJ previous = ::SelectObject(deviceDc, device);
    std::vector<uint32_t> pixels(size_t(width) * height);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const Way ways[] = {
        {L"dib32-bottom-up-captureblt", [&] { return blit(bottomUp.dc, SRCCOPY | CAPTUREBLT); }},
        {L"dib32-bottom-up", [&] { return blit(bottomUp.dc, SRCCOPY); }},
        {L"dib32-top-down-captureblt", [&] { return blit(topDown.dc, SRCCOPY | CAPTUREBLT); }},
        {L"dib24-bottom-up-captureblt", [&] { return blit(packed.dc, SRCCOPY | CAPTUREBLT); }},
        {L"device-bitmap-captureblt", [&] { return blit(deviceDc, SRCCOPY | CAPTUREBLT); }},
        {L"device-bitmap-captureblt+getdibits32",
         [&] {
             return blit(deviceDc, SRCCOPY | CAPTUREBLT) &&
                    ::GetDIBits(deviceDc, device, 0, UINT(height), pixels.data(), &info, DIB_RGB_COLORS) ==
                        height;
         }},
    };
    // The ways take turns, one grab each, so that the machine's load (which drifts) weighs on all of
    // them alike; one untimed grab each first, as a fresh process's first grabs cost more.
    using Clock = std::chrono::steady_clock;
    const size_t count = sizeof(ways) / sizeof(ways[0]);
    std::vector<std::vector<double>> times(count);
    std::vector<bool> failed(count, false);
    for (size_t i = 0; i < count; ++i) failed[i] = !ways[i].grab();
    const Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                     std::chrono::duration<double>(seconds * double(count)));
    for (int turn = 0; turn < 5 || (Clock::now() < end && turn < 200); ++turn) {
        for (size_t i = 0; i < count; ++i) {
            if (failed[i]) continue;
            const Clock::time_point begun = Clock::now();
            failed[i] = !ways[i].grab();
            times[i].push_back(std::chrono::duration<double, std::milli>(Clock::now() - begun).count());
        }
    }
    for (size_t i = 0; i < count; ++i) {
        if (failed[i]) {
            PrintRecord({{L"thread", thread},
                         {L"way", ways[i].name},
                         {L"failed", std::to_wstring(::GetLastError())}});
            continue;
        }
        std::vector<double>& t = times[i];
        std::sort(t.begin(), t.end());
        PrintRecord({{L"thread", thread},
                     {L"way", ways[i].name},
                     {L"width", std::to_wstring(width)},
                     {L"height", std::to_wstring(height)},
                     {L"bits", std::to_wstring(::GetDeviceCaps(screen, BITSPIXEL))},
                     {L"grabs", std::to_wstring(t.size())},
                     {L"median_ms", Milliseconds(t[t.size() / 2])},
                     {L"least_ms", Milliseconds(t.front())},
                     {L"most_ms", Milliseconds(t.back())}});
    }
    ::SelectObject(deviceDc, previous);
    ::DeleteDC(deviceDc);
    ::DeleteObject(device);
    ::ReleaseDC(nullptr, screen);
}

}  // namespace

int RunGrabTimes(const ProbeOptions& options) {
    if (!options.arguments.empty()) return Fail(L"grab-times takes no arguments: grab-times [--seconds S]");
    const double seconds = options.seconds.value_or(2.0);
    // On a thread of its own first, as the upload's capture thread grabs; then on the program's main
    // thread, where Wine's grabs of the screen took many times longer on this machine.
    std::thread worker([seconds] { TimeGrabs(seconds, L"worker"); });
    worker.join();
    TimeGrabs(seconds, L"main");
    return 0;
}
