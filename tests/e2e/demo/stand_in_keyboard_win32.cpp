// A stand-in for the pad's on-screen keyboard, which Wine does not have: the demo puts it where the
// remote looks for the keyboard, so that the panel's keyboard button visibly opens one. A window of
// key caps at the bottom of the screen; it ends on WM_CLOSE, or by itself after a minute so that a
// demo cut short leaves nothing behind. Main thread only.
#include <windows.h>

namespace {

constexpr wchar_t kClass[] = L"TesmoraStandInKeyboard";
constexpr UINT_PTR kLifetimeTimer = 1;
constexpr UINT kLifetimeMilliseconds = 60000;
constexpr const wchar_t* kRows[] = {L"1234567890", L"QWERTYUIOP", L"ASDFGHJKL", L"ZXCVBNM"};
constexpr int kKey = 64;
constexpr int kGap = 8;

void PaintKeys(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    RECT client;
    ::GetClientRect(window, &client);
    HBRUSH back = ::CreateSolidBrush(RGB(40, 44, 52));
    ::FillRect(dc, &client, back);
    ::DeleteObject(back);
    HFONT font = ::CreateFontW(28, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial");
    HGDIOBJ oldFont = ::SelectObject(dc, font);
    HBRUSH cap = ::CreateSolidBrush(RGB(230, 232, 236));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(20, 20, 20));
    for (int row = 0; row < 4; ++row) {
        const int count = ::lstrlenW(kRows[row]);
        const int left = (client.right - count * (kKey + kGap)) / 2;
        for (int i = 0; i < count; ++i) {
            RECT key = {left + i * (kKey + kGap), kGap + row * (kKey + kGap), 0, 0};
            key.right = key.left + kKey;
            key.bottom = key.top + kKey;
            ::FillRect(dc, &key, cap);
            ::DrawTextW(dc, &kRows[row][i], 1, &key, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }
    ::DeleteObject(cap);
    ::SelectObject(dc, oldFont);
    ::DeleteObject(font);
    ::EndPaint(window, &paint);
}

LRESULT CALLBACK KeyboardProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            PaintKeys(window);
            return 0;
        case WM_TIMER:
            if (wParam == kLifetimeTimer) ::DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = KeyboardProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClass;
    ::RegisterClassW(&windowClass);
    const int width = 10 * (kKey + kGap) + 3 * kGap;
    const int height = 4 * (kKey + kGap) + kGap;
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    // Topmost and without the focus, as an on-screen keyboard is: typing goes to the window below.
    HWND window =
        ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kClass,
                          L"On-screen keyboard (stand-in)", WS_POPUP | WS_BORDER, (screenWidth - width) / 2,
                          screenHeight - height - 40, width, height, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    ::SetTimer(window, kLifetimeTimer, kLifetimeMilliseconds, nullptr);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
