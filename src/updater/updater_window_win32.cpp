// UpdaterWindow's window: layout, log, painting, colours, the visibility guard and the two timers (see
// updater_window_win32.h). UI thread only.
#include "updater/updater_window_win32.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "common/config/config_files_win32.h"
#include "common/config/config_keys.h"
#include "common/platform/module_folder_win32.h"
#include "common/platform/support_log.h"
#include "common/platform/wide_text_win32.h"
#include "common/ui/drawing_win32.h"
#include "common/ui/resource_module_win32.h"
#include "common/ui/scale.h"
#include "resource.h"

namespace tesmora {

namespace {

constexpr UINT_PTR kFileDownloadTimer = 1000;
constexpr UINT_PTR kUpdateCheckTimer = 1001;
constexpr UINT kFirstCheckMilliseconds = 500;
constexpr UINT kRetryMilliseconds = 10000;
constexpr int kTitleBandHeight = 39;
constexpr COLORREF kPanelEdge = RGB(0xC0, 0xC0, 0xC3);
constexpr COLORREF kTitleBand = RGB(0x43, 0x49, 0x5F);
constexpr COLORREF kLogText = RGB(0x88, 0x88, 0x88);
constexpr COLORREF kTitleText = RGB(0xCD, 0xD9, 0xD5);

// "%s" takes the next argument, "%%" is a percent sign; the texts are our own string table's.
std::wstring FormatMessageText(const std::wstring& format, const std::wstring& first,
                               const std::wstring& second) {
    std::wstring text;
    const std::wstring* arguments[] = {&first, &second};
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == L'%' && i + 1 < format.size()) {
            if (format[i + 1] == L's') {
                if (next < 2) text += *arguments[next++];
                ++i;
                continue;
            }
            if (format[i + 1] == L'%') {
                text += L'%';
                ++i;
                continue;
            }
        }
        text += format[i];
    }
    return text;
}

}  // namespace

UpdaterWindow::UpdaterWindow(std::wstring language, bool anotherInstance)
    : CDialog(IDD_UPDATER),
      language_(std::move(language)),
      messageOffset_(MessageOffsetForLanguage(std::u16string(language_.begin(), language_.end()))),
      folder_(GetModuleFolder()),
      anotherInstance_(anotherInstance) {}

UpdaterWindow::~UpdaterWindow() = default;

std::span<const CWindow::MessageEntry> UpdaterWindow::MessageTable() const {
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
        OnMessage(WM_DESTROY, &UpdaterWindow::OnDestroy),
    };
    return table;
}

std::wstring UpdaterWindow::Text(UINT message) const {
    return LoadResourceString(message + UINT(messageOffset_));
}

BOOL UpdaterWindow::OnInitDialog() {
    supportLog_.Open(ToU16(ReadIniString(folder_ + L"\\" + ToWide(kConfigIniName), ToWide(kIniSection),
                                         ToWide(kSupportLogKey), L"")),
                     L"TesmoraOrluUpdaterR");
    CenterOnScreen();
    shown_ = false;
    ::ShowWindow(Handle(), SW_HIDE);

    scale_ = ScaleFactorForScreen(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    auto scaled = [this](int v) { return ScaledBy(v, scale_); };

    const bool english = language_ == L"Eng";
    const std::wstring face = Text(IDS_FONT_FACE);
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
    WriteLog(0, IDS_CHECKING_TYPE);
    programKey_ = std::u16string(kUpdaterProgramKey);
    if (anotherInstance_) {
        FinishAndLaunch(false);
        ::PostQuitMessage(0);
    } else {
        StartTimer(kUpdateCheckTimer, kFirstCheckMilliseconds);
    }
    return TRUE;
}

void UpdaterWindow::WriteLog(int level, UINT message, const std::wstring& first, const std::wstring& second) {
    if (level < logThreshold_) return;
    std::wstring text = FormatMessageText(Text(message), first, second);
    // The texts end in a line feed, which a list box line would draw as a box.
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    wchar_t stamp[16];
    ::wsprintfW(stamp, L"[%02d:%02d:%02d] ", now.wHour, now.wMinute, now.wSecond);
    const std::wstring line = stamp + text;
    ::SendMessageW(Item(IDC_LOG_LIST), LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    supportLog_.Write(ToU16(std::to_wstring(message) + L" " + text));
    // For whoever watches with a debugger (and the end-to-end tests): the message number and the text.
    std::string trace = "Updater log: " + std::to_string(message) + " ";
    for (wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != L'\\') {
            trace.push_back(char(c));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", unsigned(c));
            trace += escaped;
        }
    }
    ::OutputDebugStringA((trace + "\n").c_str());
}

LRESULT UpdaterWindow::OnTimer(WPARAM id, LPARAM) {
    if (id == kUpdateCheckTimer) {
        OnUpdateCheckTimer();
    } else if (id == kFileDownloadTimer) {
        OnFileDownloadTimer();
    } else {
        return Default();
    }
    return 0;
}

void UpdaterWindow::OnUpdateCheckTimer() {
    StopTimer(kUpdateCheckTimer);
    if (!CheckUpdateServer()) {
        WriteLog(2, IDS_SERVER_INFO_ERROR);
        WriteLog(2, IDS_RUN_WITHOUT_UPDATE);
        StartTimer(kUpdateCheckTimer, kRetryMilliseconds);
        RunNow();
        runNowDone_ = true;
        return;
    }
    FetchFileList();
    WriteLog(0, IDS_CHECKING_UPDATER);
    int result = CheckUpdater();
    if (result != 0) result = CheckUpdater();
    if (result == 0) {
        WriteLog(2, IDS_UPDATER_BUSY);
        WriteLog(2, IDS_RUN_WITHOUT_UPDATE);
        StartTimer(kUpdateCheckTimer, kRetryMilliseconds);
        return;
    }
    ::PostMessageW(Handle(), WM_TIMER, kFileDownloadTimer, 0);
    StartTimer(kFileDownloadTimer, UINT(filePeriod_));
}

void UpdaterWindow::OnFileDownloadTimer() {
    StopTimer(kFileDownloadTimer);
    if (const UpdateFileEntry* entry = NextOutdatedFile()) {
        const UpdateFileEntry chosen = *entry;
        const std::u16string arguments =
            u"type=" + chosen.typeKey + u"&releaseversion=" + std::u16string(kReleaseVersion);
        DownloadFile(arguments,
                     folder_ + L"\\" + std::wstring(chosen.directory.begin(), chosen.directory.end()),
                     std::wstring(chosen.stagingName.begin(), chosen.stagingName.end()), chosen);
    } else if (!replacing_ && !launched_) {
        FinishAndLaunch(true);
    } else if (launched_) {
        ::PostQuitMessage(0);
    }
    StartTimer(kFileDownloadTimer, UINT(filePeriod_));
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
        CDialog about(IDD_ABOUTBOX);
        about.DoModal(Handle());
        return 0;
    }
    return Default();
}

LRESULT UpdaterWindow::OnDestroy(WPARAM, LPARAM) {
    fileList_.clear();
    return Default();
}

}  // namespace tesmora
