// The login dialog (see login_dialog_win32.h). UI thread only.
#include "login/login_dialog_win32.h"

#include "common/platform/config_string_win32.h"
#include "common/platform/module_folder_win32.h"
#include "common/platform/pump_wait_win32.h"
#include "common/platform/wide_text_win32.h"
#include "common/ui/drawing_win32.h"
#include "common/ui/resource_module_win32.h"
#include "common/ui/scale.h"
#include "common/widgets/message_box_dialog_win32.h"
#include "login/login_id.h"
#include "login/relay_lookup_win32.h"
#include "resource.h"

namespace tesmora {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBorder = RGB(192, 192, 195);
constexpr COLORREF kHeader = RGB(67, 73, 95);
constexpr COLORREF kTitleText = RGB(205, 217, 213);
constexpr COLORREF kLabelText = RGB(139, 139, 139);
constexpr COLORREF kEditText = RGB(136, 136, 136);
// Long enough for the message line to be painted before the lookup blocks the thread.
constexpr unsigned kRepaintMilliseconds = 100;

void Place(HWND control, const LayoutRect& rect) {
    ::SetWindowPos(control, nullptr, rect.x, rect.y, rect.width, rect.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Box(HDC dc, HPEN pen, HBRUSH brush, int left, int top, int right, int bottom) {
    SelectedObject usePen(dc, pen);
    SelectedObject useBrush(dc, brush);
    ::Rectangle(dc, left, top, right, bottom);
}

void DrawPicture(HDC dc, HBITMAP bitmap, const LayoutRect& place) {
    DrawBitmapStretched(dc, bitmap, place.x, place.y, place.width, place.height);
}

std::wstring WindowText(HWND window) {
    std::wstring text(size_t(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(size_t(::GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

}  // namespace

LoginDialog::LoginDialog() : Dialog(IDD_LOGIN_DIALOG) {}

LoginDialog::~LoginDialog() {
    DestroyDialog();
    if (canvasDc_ && canvasPrevious_) ::SelectObject(canvasDc_.Get(), canvasPrevious_);
}

std::wstring LoginDialog::RelayAddress() const {
    return ToWide(answer_.relayAddress);
}

std::wstring LoginDialog::RelayPort() const {
    return ToWide(answer_.relayPort);
}

std::span<const Window::MessageEntry> LoginDialog::MessageTable() const {
    static const MessageEntry table[] = {
        OnMessage(WM_PAINT, &LoginDialog::OnPaint),
        OnMessage(WM_ERASEBKGND, &LoginDialog::OnEraseBackground),
        OnMessage(WM_NCHITTEST, &LoginDialog::OnNcHitTest),
        OnMessage(WM_TIMER, &LoginDialog::OnTimer),
        OnMessage(WM_CTLCOLORSTATIC, &LoginDialog::OnCtlColorStatic),
        OnMessage(WM_CTLCOLOREDIT, &LoginDialog::OnCtlColorEdit),
    };
    return table;
}

BOOL LoginDialog::OnInitDialog() {
    layout_ = LayoutLoginDialog(ScaleFactor());
    const std::wstring face = LoadResourceString(IDS_DIALOG_FONT);
    headerFont_.Reset(CreateUiFont(face, layout_.headerFontHeight, FW_BOLD));
    textFont_.Reset(CreateUiFont(face, layout_.textFontHeight, FW_BOLD));
    whiteBrush_.Reset(::CreateSolidBrush(kWhite));
    headerBrush_.Reset(::CreateSolidBrush(kHeader));
    borderPen_.Reset(::CreatePen(PS_SOLID, 1, kBorder));
    headerPen_.Reset(::CreatePen(PS_SOLID, 1, kHeader));
    banner_.Reset(LoadResourceBitmap(IDB_LOGIN_BANNER));
    inputFrame_.Reset(LoadResourceBitmap(IDB_LOGIN_INPUT));
    separator_.Reset(LoadResourceBitmap(IDB_LOGIN_LINE));

    const LayoutRect& close = layout_.close;
    if (close_.Create(Handle(), IDC_BTN_CLOSE, WS_VISIBLE, close.x, close.y, close.width, close.height)) {
        close_.LoadBitmaps(IDB_CLOSE, IDB_CLOSE, IDB_CLOSE, IDB_CLOSE);
    }
    connect_.Attach(Item(IDOK));
    connect_.LoadBitmaps(IDB_LOGIN_CONNECT, IDB_LOGIN_CONNECT_HOVER, IDB_LOGIN_CONNECT,
                         IDB_LOGIN_CONNECT_HOVER);
    cancel_.Attach(Item(IDCANCEL));
    cancel_.LoadBitmaps(IDB_LOGIN_CANCEL, IDB_LOGIN_CANCEL_HOVER, IDB_LOGIN_CANCEL, IDB_LOGIN_CANCEL_HOVER);

    // The client area is the whole window: the template has neither caption nor border.
    ::SetWindowPos(Handle(), nullptr, 0, 0, layout_.width, layout_.height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PlaceControls();

    HWND edit = Item(IDC_LOGIN_ID_EDIT);
    ::SetWindowTextW(edit, teacherId_.c_str());
    FocusEdit();
    SetMessageLine(L"");
    StartTimer(kLoginTopmostTimerId, kLoginTopmostDelay);
    return FALSE;  // the focus is set
}

void LoginDialog::PlaceControls() {
    Place(Item(IDC_TITLE), layout_.title);
    Place(Item(IDC_LOGIN_MESSAGE), layout_.message);
    Place(Item(IDC_LOGIN_ID_LABEL), layout_.label);
    Place(Item(IDC_LOGIN_ID_EDIT), layout_.edit);
    Place(Item(IDOK), layout_.connect);
    Place(Item(IDCANCEL), layout_.cancel);
    ::SendMessageW(Item(IDC_TITLE), WM_SETFONT, reinterpret_cast<WPARAM>(headerFont_.Get()), TRUE);
    for (int id : {IDC_LOGIN_ID_LABEL, IDC_LOGIN_ID_EDIT, IDC_LOGIN_MESSAGE}) {
        ::SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(textFont_.Get()), TRUE);
    }
}

void LoginDialog::FocusEdit() {
    HWND edit = Item(IDC_LOGIN_ID_EDIT);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
    ::SetFocus(edit);
}

void LoginDialog::SetMessageLine(const std::wstring& text) {
    ::SetDlgItemTextW(Handle(), IDC_LOGIN_MESSAGE, text.c_str());
}

void LoginDialog::ShowInputError(UINT stringId) {
    ShowCustomMessage(LoadResourceString(stringId).c_str(), nullptr, kMsgBoxTypeOk, Handle());
}

void LoginDialog::OnOK() {
    // The repaint wait below dispatches messages: a second Enter or click must not start a second
    // lookup inside the first, nor end the dialog under it.
    if (checking_) return;
    StopTimer(kLoginTopmostTimerId);
    teacherId_ = ToWide(TrimWhiteSpace(ToU16(WindowText(Item(IDC_LOGIN_ID_EDIT)))));

    if (const unsigned problem = TeacherIdProblem(ToU16(teacherId_)); problem != 0) {
        ShowInputError(problem);
        FocusEdit();
        return;
    }

    checking_ = true;
    SetMessageLine(LoadResourceString(IDS_LOOKING_UP_RELAY));
    PumpWait(kRepaintMilliseconds, PumpMode::kDrainEachStep);

    const std::wstring folder = settingsFolder_.empty() ? GetModuleFolder() : settingsFolder_;
    PrepareSettingIni(folder);
    answer_ = LookupRelay(teacherId_, ReadWebServerSetting(folder), ReadCertificatePolicySetting(folder));
    const bool mayClose = ApplyLookupAnswer(answer_);
    checking_ = false;
    if (!mayClose) {
        SetMessageLine(ToWide(answer_.message));
        return;
    }

    WriteConfigString(L"config", L"teacherid", teacherId_);
    ::SetDlgItemTextW(Handle(), IDC_LOGIN_ID_EDIT, teacherId_.c_str());
    EndDialog(IDOK);
}

void LoginDialog::OnCancel() {
    if (checking_) return;
    StopTimer(kLoginTopmostTimerId);
    EndDialog(IDCANCEL);
}

bool LoginDialog::OnUnhandledCommand(UINT id, UINT code) {
    if (id == IDC_BTN_CLOSE && code == BN_CLICKED) {
        OnCancel();
        return true;
    }
    return Dialog::OnUnhandledCommand(id, code);
}

LRESULT LoginDialog::OnTimer(WPARAM wParam, LPARAM) {
    if (wParam != kLoginTopmostTimerId) return Default();
    StopTimer(kLoginTopmostTimerId);
    ::SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return 0;
}

LRESULT LoginDialog::OnNcHitTest(WPARAM, LPARAM lParam) {
    const LRESULT hit = Default();
    POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ::ScreenToClient(Handle(), &point);
    return hit == HTCLIENT && point.y >= 0 && point.y < layout_.headerHeight ? HTCAPTION : hit;
}

LRESULT LoginDialog::OnCtlColorStatic(WPARAM wParam, LPARAM lParam) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    switch (::GetDlgCtrlID(reinterpret_cast<HWND>(lParam))) {
        case IDC_TITLE:
            ::SetBkMode(dc, TRANSPARENT);
            ::SetTextColor(dc, kTitleText);
            return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
        case IDC_LOGIN_ID_LABEL:
            ::SetBkMode(dc, TRANSPARENT);
            ::SetTextColor(dc, kLabelText);
            return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
        case IDC_LOGIN_MESSAGE:
            // Opaque: the line changes while the dialog is open, and must not leave old text behind.
            ::SetBkColor(dc, kWhite);
            ::SetTextColor(dc, kLabelText);
            return reinterpret_cast<LRESULT>(whiteBrush_.Get());
        default:
            return Default();
    }
}

LRESULT LoginDialog::OnCtlColorEdit(WPARAM wParam, LPARAM lParam) {
    if (::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != IDC_LOGIN_ID_EDIT) return Default();
    HDC dc = reinterpret_cast<HDC>(wParam);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kEditText);
    return reinterpret_cast<LRESULT>(whiteBrush_.Get());
}

LRESULT LoginDialog::OnEraseBackground(WPARAM, LPARAM) {
    return 1;  // the paint covers the whole client area
}

LRESULT LoginDialog::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(Handle(), &paint);
    RECT client{};
    ::GetClientRect(Handle(), &client);
    if (!canvasDc_ || canvasSize_.cx != client.right || canvasSize_.cy != client.bottom) {
        if (canvasDc_ && canvasPrevious_) ::SelectObject(canvasDc_.Get(), canvasPrevious_);
        canvasDc_.Reset(::CreateCompatibleDC(dc));
        canvasBitmap_.Reset(::CreateCompatibleBitmap(dc, client.right, client.bottom));
        canvasPrevious_ = ::SelectObject(canvasDc_.Get(), canvasBitmap_.Get());
        canvasSize_ = SIZE{client.right, client.bottom};
    }
    HDC canvas = canvasDc_.Get();
    Box(canvas, borderPen_.Get(), whiteBrush_.Get(), 0, 0, client.right, client.bottom);
    Box(canvas, headerPen_.Get(), headerBrush_.Get(), 0, 0, client.right, layout_.headerHeight);
    DrawPicture(canvas, banner_.Get(), layout_.banner);
    DrawPicture(canvas, inputFrame_.Get(), layout_.inputFrame);
    DrawPicture(canvas, separator_.Get(), layout_.separator);
    ::BitBlt(dc, 0, 0, client.right, client.bottom, canvas, 0, 0, SRCCOPY);
    ::EndPaint(Handle(), &paint);
    return 0;
}

}  // namespace tesmora
