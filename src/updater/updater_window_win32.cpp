// UpdaterWindow: layout, log list, painting, colours, the visibility guard, and the timers and button
// forwarded to the update run (see updater_window_win32.h). UI thread only.
#include "updater/updater_window_win32.h"

#include <string>
#include <utility>

#include "common/platform/module_folder_win32.h"
#include "common/platform/wide_text_win32.h"
#include "common/ui/drawing_win32.h"
#include "common/ui/resource_module_win32.h"
#include "common/ui/scale.h"
#include "resource.h"

namespace tesmora {

namespace {

constexpr int kTitleBandHeight = 39;
constexpr COLORREF kPanelEdge = RGB(0xC0, 0xC0, 0xC3);
constexpr COLORREF kTitleBand = RGB(0x43, 0x49, 0x5F);
constexpr COLORREF kLogText = RGB(0x88, 0x88, 0x88);
constexpr COLORREF kTitleText = RGB(0xCD, 0xD9, 0xD5);

}  // namespace

UpdaterWindow::UpdaterWindow(std::wstring language, UpdaterCopy copy)
    : Dialog(IDD_UPDATER),
      language_(std::move(language)),
      messageOffset_(MessageOffsetForLanguage(ToU16(language_))),
      copy_(copy),
      host_(*this, language_, GetModuleFolder()),
      run_(host_, ToU16(language_), ToU16(host_.Folder())) {}

UpdaterWindow::~UpdaterWindow() = default;

std::span<const Window::MessageEntry> UpdaterWindow::MessageTable() const {
    static const MessageEntry table[] = {
        OnMessage(WM_TIMER, &UpdaterWindow::OnTimer),
        OnMessage(WM_PAINT, &UpdaterWindow::OnPaint),
        OnMessage(WM_ERASEBKGND, &UpdaterWindow::OnEraseBackground),
        OnMessage(WM_CTLCOLORLISTBOX, &UpdaterWindow::OnCtlColorListBox),
        OnMessage(WM_CTLCOLORSTATIC, &UpdaterWindow::OnCtlColorStatic),
        OnMessage(WM_NCHITTEST, &UpdaterWindow::OnNcHitTest),
        OnMessage(WM_WINDOWPOSCHANGING, &UpdaterWindow::OnWindowPosChanging),
        OnMessage(WM_SYSCOMMAND, &UpdaterWindow::OnSysCommand),
        OnMessage(WM_QUERYDRAGICON, &UpdaterWindow::OnQueryDragIcon),
    };
    return table;
}

BOOL UpdaterWindow::OnInitDialog() {
    CenterOnScreen();
    shown_ = false;
    ::ShowWindow(Handle(), SW_HIDE);

    scale_ = ScaleFactorForScreen(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    auto scaled = [this](int v) { return ScaledBy(v, scale_); };

    const bool english = language_ == L"Eng";
    const std::wstring face = LoadResourceString(IDS_FONT_FACE + messageOffset_);
    titleFont_.Reset(CreateUiFont(face, scaled(english ? 14 : 13), FW_BOLD));
    logFont_.Reset(CreateUiFont(face, scaled(english ? 13 : 12), FW_NORMAL));
    whiteBrush_.Reset(::CreateSolidBrush(RGB(255, 255, 255)));

    runNow_.Attach(Item(IDOK));
    runNow_.LoadBitmaps(IDB_RUN_NOW + messageOffset_, IDB_RUN_NOW_HOVER + messageOffset_,
                        IDB_RUN_NOW + messageOffset_, IDB_RUN_NOW_HOVER + messageOffset_);

    // Client sizes: the thin border adds to the window around them.
    RECT frame{0, 0, scaled(564), scaled(354)};
    ::AdjustWindowRectEx(&frame, DWORD(::GetWindowLongPtrW(Handle(), GWL_STYLE)), FALSE,
                         DWORD(::GetWindowLongPtrW(Handle(), GWL_EXSTYLE)));
    ::SetWindowPos(Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::MoveWindow(Item(IDC_TITLE), scaled(6), scaled(12), scaled(121), scaled(22), FALSE);
    ::MoveWindow(Item(IDC_LOG_LIST), scaled(18), scaled(57), scaled(531), scaled(237), FALSE);
    ::MoveWindow(Item(IDOK), scaled(444), scaled(311), scaled(111), scaled(34), FALSE);
    ::SendMessageW(Item(IDC_LOG_LIST), WM_SETFONT, reinterpret_cast<WPARAM>(logFont_.Get()), FALSE);
    ::SendMessageW(Item(IDC_TITLE), WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.Get()), FALSE);

    const std::wstring about = LoadResourceString(IDS_ABOUT_MENU);
    if (HMENU menu = ::GetSystemMenu(Handle(), FALSE); menu && !about.empty()) {
        ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(menu, MF_STRING, 0x10, about.c_str());
    }
    icon_ = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_UPDATER));
    ::SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

    shown_ = true;
    ::ShowWindow(Handle(), SW_SHOW);
    run_.Start(copy_);
    return TRUE;
}

void UpdaterWindow::ShowLogLine(const std::wstring& line) {
    ::SendMessageW(Item(IDC_LOG_LIST), LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

void UpdaterWindow::Hide() {
    shown_ = false;
    ::ShowWindow(Handle(), SW_HIDE);
}

LRESULT UpdaterWindow::OnTimer(WPARAM id, LPARAM) {
    if (id != UINT_PTR(UpdateTimer::kUpdateCheck) && id != UINT_PTR(UpdateTimer::kFileDownload))
        return Default();
    run_.OnTimer(UpdateTimer(id));
    return 0;
}

LRESULT UpdaterWindow::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(Handle(), &paint);
    RECT client;
    ::GetClientRect(Handle(), &client);
    const int w = client.right, h = client.bottom;
    if (::IsIconic(Handle())) {
        ::DrawIcon(dc, (w - ::GetSystemMetrics(SM_CXICON) + 1) / 2,
                   (h - ::GetSystemMetrics(SM_CYICON) + 1) / 2, icon_);
        ::EndPaint(Handle(), &paint);
        return 0;
    }
    if (!paintDc_) {
        paintDc_.Reset(::CreateCompatibleDC(dc));
        paintBitmap_.Reset(::CreateCompatibleBitmap(dc, w, h));
        panel_.Reset(LoadResourceBitmap(IDB_PANEL));
        greyPen_.Reset(::CreatePen(PS_SOLID, 1, kPanelEdge));
        panelBrush_.Reset(::CreateSolidBrush(RGB(255, 255, 255)));
        darkPen_.Reset(::CreatePen(PS_SOLID, 1, kTitleBand));
        darkBrush_.Reset(::CreateSolidBrush(kTitleBand));
    }
    HDC memory = paintDc_.Get();
    {
        SelectedObject bitmap(memory, paintBitmap_.Get());
        {
            SelectedObject pen(memory, greyPen_.Get());
            SelectedObject brush(memory, panelBrush_.Get());
            ::Rectangle(memory, 0, 0, w, h);
        }
        {
            SelectedObject pen(memory, darkPen_.Get());
            SelectedObject brush(memory, darkBrush_.Get());
            ::Rectangle(memory, 0, 0, w, ScaledBy(kTitleBandHeight, scale_));
        }
        if (panel_) {
            UniqueMemoryDc source(::CreateCompatibleDC(memory));
            SelectedObject picture(source.Get(), panel_.Get());
            const SIZE size = BitmapSize(panel_.Get());
            // Drawn at the scale of the log list it frames: unscaled, its frame would run across the
            // list and stick out beside it on a large screen.
            ::SetStretchBltMode(memory, HALFTONE);
            ::StretchBlt(memory, ScaledBy(13, scale_), ScaledBy(51, scale_), ScaledBy(size.cx, scale_),
                         ScaledBy(size.cy, scale_), source.Get(), 0, 0, size.cx, size.cy, SRCCOPY);
        }
        ::BitBlt(dc, 0, 0, w, h, memory, 0, 0, SRCCOPY);
    }
    ::EndPaint(Handle(), &paint);
    return 0;
}

LRESULT UpdaterWindow::OnCtlColorListBox(WPARAM wParam, LPARAM lParam) {
    if (::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != IDC_LOG_LIST) return Default();
    HDC dc = reinterpret_cast<HDC>(wParam);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kLogText);
    ::SelectObject(dc, logFont_.Get());
    return reinterpret_cast<LRESULT>(whiteBrush_.Get());
}

LRESULT UpdaterWindow::OnCtlColorStatic(WPARAM wParam, LPARAM lParam) {
    if (::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != IDC_TITLE) return Default();
    HDC dc = reinterpret_cast<HDC>(wParam);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kTitleText);
    ::SelectObject(dc, titleFont_.Get());
    return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}

LRESULT UpdaterWindow::OnNcHitTest(WPARAM, LPARAM lParam) {
    const LRESULT result = Default();
    POINT point{short(LOWORD(lParam)), short(HIWORD(lParam))};
    ::ScreenToClient(Handle(), &point);
    RECT client;
    ::GetClientRect(Handle(), &client);
    if (point.x >= 0 && point.x < client.right && point.y >= 0 &&
        point.y < ScaledBy(kTitleBandHeight, scale_)) {
        return HTCAPTION;
    }
    return result;
}

LRESULT UpdaterWindow::OnWindowPosChanging(WPARAM, LPARAM lParam) {
    const LRESULT result = Default();
    auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
    // Hidden while it is laid out and after "run now", whoever asks to show it.
    if (shown_) {
        position->flags |= SWP_SHOWWINDOW;
    } else {
        position->flags &= ~SWP_SHOWWINDOW;
    }
    return result;
}

LRESULT UpdaterWindow::OnSysCommand(WPARAM wParam, LPARAM) {
    if ((wParam & 0xFFF0) == 0x10) {
        Dialog about(IDD_ABOUTBOX);
        about.DoModal(Handle());
        return 0;
    }
    return Default();
}

}  // namespace tesmora
