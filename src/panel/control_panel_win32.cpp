// The control panel: initialisation, its message table, timers, closing, display changes and
// destruction (see control_panel_win32.h). Painting and the logo are in panel_painting_win32.cpp.
// UI thread only.
#include "panel/control_panel_win32.h"

#include <algorithm>
#include <cwchar>

#include "common/platform/config_string_win32.h"
#include "common/config/config_files_win32.h"
#include "common/config/config_keys.h"
#include "common/platform/compat_layer_win32.h"
#include "common/platform/module_folder_win32.h"
#include "common/platform/pump_wait_win32.h"
#include "transport/packet.h"
#include "common/platform/wide_text_win32.h"
#include "common/ui/drawing_win32.h"
#include "common/ui/resource_module_win32.h"
#include "common/ui/scale.h"
#include "common/widgets/message_box_dialog_win32.h"
#include "common/window_messages.h"
#include "panel/panel_geometry.h"
#include "panel/panel_layout.h"
#include "panel/setting_ini_win32.h"
#include "resource.h"
#include "session/command_tag.h"
#include "session/payload_fields.h"

namespace tesmora {

namespace {

constexpr UINT kAboutCommand = 0x10;
// Beside the session's timers 3, 6 and 7.
constexpr UINT_PTR kTopmostTimer = 2;
constexpr UINT kTopmostMilliseconds = 100;
constexpr unsigned kCloseSettleMilliseconds = 1000;
constexpr COLORREF kColourKey = RGB(255, 0, 255);
constexpr COLORREF kTitleColour = RGB(3, 207, 227);

}  // namespace

ControlPanel::ControlPanel()
    : Dialog(IDD_REMOCON_DIALOG),
      link_(*this),
      remoteHost_(link_.Session().RemoteHost()),
      remote_(*this),
      padSwitches_(*this),
      sound_(*this),
      upload_(*this) {
    // Starting remote control closes the note tool's drawing without asking and leaves it in touch
    // mode, so the teacher's taps reach the teacher PC.
    remote_.SetDropToTouchMode([this] { note_.DropToTouchMode(); });
}

ControlPanel::~ControlPanel() = default;

std::span<const Window::MessageEntry> ControlPanel::MessageTable() const {
    static const MessageEntry table[] = {
        OnMessage(WM_SYSCOMMAND, &ControlPanel::OnSysCommand),
        OnMessage(WM_PAINT, &ControlPanel::OnPaint),
        OnMessage(WM_ERASEBKGND, &ControlPanel::OnEraseBackground),
        OnMessage(WM_QUERYDRAGICON, &ControlPanel::OnQueryDragIcon),
        OnMessage(WM_CTLCOLORSTATIC, &ControlPanel::OnCtlColorStatic),
        OnMessage(WM_NCHITTEST, &ControlPanel::OnNcHitTest),
        OnMessage(WM_NCLBUTTONDOWN, &ControlPanel::OnNcLButtonDown),
        OnMessage(WM_NCLBUTTONUP, &ControlPanel::OnNcLButtonUp),
        OnMessage(WM_NCMOUSEMOVE, &ControlPanel::OnNcMouseMove),
        OnMessage(WM_SOCKET_CONNECT, &ControlPanel::OnSocketConnect),
        OnMessage(WM_SOCKET_RECEIVE, &ControlPanel::OnSocketReceive),
        OnMessage(WM_SOCKET_CLOSE, &ControlPanel::OnSocketClose),
        OnMessage(WM_MONITOR_LIST, &ControlPanel::OnMonitorList),
        OnMessage(WM_RC_CONNECTION_LOST, &ControlPanel::OnConnectionLost),
        OnMessage(WM_TIMER, &ControlPanel::OnTimer),
        OnMessage(WM_DESTROY, &ControlPanel::OnDestroy),
        OnMessage(WM_WINDOWPOSCHANGING, &ControlPanel::OnWindowPosChanging),
        OnMessage(WM_DISPLAYCHANGE, &ControlPanel::OnDisplayChange),
        OnCommand(IDC_BTN_CLOSE, &ControlPanel::OnCloseButton),
        OnCommand(IDC_BTN_LOGO, &ControlPanel::OnLogoButton),
        OnCommand(IDC_BTN_UPLOAD, &ControlPanel::OnUploadButton),
        OnCommand(IDC_BTN_NOTE, &ControlPanel::OnNoteButton),
        OnMessage(WM_UPLOAD_FRAME, &ControlPanel::OnUploadFrame),
        OnCommand(IDC_BTN_REMOTE, &ControlPanel::OnRemoteButton),
        OnCommand(IDC_BTN_KEYBOARD, &ControlPanel::OnKeyboardButton),
        OnCommand(IDC_BTN_MONITOR, &ControlPanel::OnMonitorButton),
        OnMessage(WM_RC_SOCKET_RETURN, &ControlPanel::OnRemoteSocketReturn),
        OnMessage(WM_RC_THREAD_ENDED, &ControlPanel::OnRemoteThreadEnded),
        OnMessage(WM_RC_TEACHER_ALIVE, &ControlPanel::OnRemoteTeacherAlive),
        OnCommand(IDC_BTN_SOUND, &ControlPanel::OnSoundButton),
        OnMessage(WM_AUDIO_PACKET, &ControlPanel::OnAudioPacket),
        OnMessage(WM_SOUND_ENDED, &ControlPanel::OnSoundEnded),
        OnMessage(WM_SOUND_DEVICE_CHANGED, &ControlPanel::OnSoundDeviceChanged),
        OnCommand(IDC_BTN_TOUCH, &ControlPanel::OnTouchButton),
        OnCommand(IDC_BTN_SHARE, &ControlPanel::OnShareButton),
        OnMessage(WM_TOUCH_STATE, &ControlPanel::OnTouchState),
        OnMessage(WM_SHARE_STATE, &ControlPanel::OnShareState),
    };
    return table;
}

BOOL ControlPanel::OnInitDialog() {
    ::ShowWindow(Handle(), SW_HIDE);
    // The template's thin frame would square off the rounded corners: the panel draws its own edge.
    LONG_PTR style = ::GetWindowLongPtrW(Handle(), GWL_STYLE);
    ::SetWindowLongPtrW(Handle(), GWL_STYLE, style & ~(WS_BORDER | WS_DLGFRAME | WS_THICKFRAME));
    ::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);

    SetCompatLayer(GetProgramFilePath(), L"HIGHDPIAWARE");
    PrepareIniFile(IniFile::Config);
    SettingIniFile settings;
    ReadRelaySettings(settings);

    int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    std::wstring override =
        ReadIniString(IniFilePath(IniFile::Config), ToWide(kIniSection), ToWide(kScaleFactorKey), L"");
    SetScaleFactor(ChoosePanelScaleFactor(screenWidth, screenHeight, ToU16(override)));
    layout_ = ParsePanelLayout(
        ToU16(ReadIniString(IniFilePath(IniFile::Config), ToWide(kIniSection), ToWide(kLayoutKey), L"")));

    CreateFonts();
    SetColourKey();
    topStrip_.Reset(LoadResourceBitmap(IDB_PANEL_TOP));
    bodyStrip_.Reset(LoadResourceBitmap(IDB_PANEL_BODY));
    bottomStrip_.Reset(LoadResourceBitmap(IDB_PANEL_BOTTOM));
    CreateButtons();
    PlaceTitleAndCorner();
    AddAboutItem();

    icon_ = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    ::SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

    gdiplus_.emplace();
    if (!gdiplus_->Started()) {
        std::wstring text = LoadResourceString(IDS_GDIPLUS_FAILED);
        ::MessageBoxW(nullptr, text.c_str(), L"Error", MB_OK);
        ::PostQuitMessage(0);
        EndDialog(IDCANCEL);
        return FALSE;
    }

    std::wstring teacherId = ReadProfileString(L"config", L"teacherid", L"");
    if (!link_.StartSession(ToU16(teacherId))) {  // posts the quit message when the step was not confirmed
        EndDialog(IDCANCEL);
        return FALSE;
    }

    PlaceAtHome(screenWidth);
    PlaceFeatureButtons();
    ::SetTimer(Handle(), kTopmostTimer, kTopmostMilliseconds, nullptr);
    ::SetWindowLongPtrW(Handle(), GWL_EXSTYLE, ::GetWindowLongPtrW(Handle(), GWL_EXSTYLE) | WS_EX_NOACTIVATE);
    return TRUE;
}

void ControlPanel::CreateFonts() {
    titleFont_.Reset(CreateUiFont(LoadResourceString(IDS_TITLE_FONT), Scaled(kTitleFontHeight), FW_NORMAL));
    // The title must not run under the close button: where the face drawn in place of the bold
    // font is wider than intended, the font shrinks until the title fits.
    std::wstring face = LoadResourceString(IDS_DIALOG_FONT);
    wchar_t title[64] = {};
    ::GetDlgItemTextW(Handle(), IDC_TITLE, title, 64);
    WindowDc screen(nullptr);
    auto measure = [&](int height) {
        UniqueFont font(CreateUiFont(face, height, FW_BOLD));
        SelectedObject selected(screen.Get(), font.Get());
        SIZE extent{};
        ::GetTextExtentPoint32W(screen.Get(), title, static_cast<int>(std::wcslen(title)), &extent);
        return static_cast<int>(extent.cx);
    };
    int preferred = Scaled(kBoldFontHeight);
    int height = FittingFontHeight(preferred, preferred * 3 / 4, TitleRoomWidth(ScaleFactor()), measure);
    boldFont_.Reset(CreateUiFont(face, height, FW_BOLD));
    // The static draws with its own font whatever the colour message selects.
    ::SendDlgItemMessageW(Handle(), IDC_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.Get()), FALSE);
}

void ControlPanel::SetColourKey() {
    ::SetWindowLongPtrW(Handle(), GWL_EXSTYLE, ::GetWindowLongPtrW(Handle(), GWL_EXSTYLE) | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(Handle(), kColourKey, 255, LWA_COLORKEY | LWA_ALPHA);
}

bool ControlPanel::CreateButtons() {
    bool all = true;
    auto places = PanelButtons();
    for (size_t i = 0; i < places.size(); ++i) {
        const PanelButtonPlace& place = places[i];
        DWORD style =
            (place.checkBox ? BS_CHECKBOX : BS_PUSHBUTTON) | (place.visibleAtStart ? WS_VISIBLE : 0);
        ImageButton& button = buttons_[i];
        all =
            button.Create(Handle(), place.id, style, 0, 0, Scaled(place.width), Scaled(place.height)) && all;
        button.LoadBitmaps(place.normal, place.hover, place.disabled, place.checked);
    }
    return all;
}

void ControlPanel::PlaceTitleAndCorner() {
    ::SetWindowPos(Handle(), nullptr, 0, 0, Scaled(kPanelWidth), PanelHeight(),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The title ends where the close button begins, so that neither paints over the other.
    int titleWidth = std::min(Scaled(kTitleWidth), TitleRoomWidth(ScaleFactor()));
    ::SetWindowPos(Item(IDC_TITLE), nullptr, Scaled(kTitleX), Scaled(kTitleY), titleWidth,
                   Scaled(kTitleHeight), SWP_NOZORDER | SWP_NOACTIVATE);
    for (int id : {IDC_BTN_CLOSE, IDC_BTN_LOGO}) {
        const PanelButtonPlace* place = FindPanelButton(id);
        ::SetWindowPos(Item(id), nullptr, Scaled(place->x), Scaled(place->y), 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void ControlPanel::AddAboutItem() {
    std::wstring text = LoadResourceString(IDS_ABOUTBOX);
    HMENU menu = ::GetSystemMenu(Handle(), FALSE);
    if (!menu || text.empty()) return;
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, kAboutCommand, text.c_str());
}

void ControlPanel::PlaceAtHome(int screenWidth) {
    PanelPoint home = PanelHomePosition(screenWidth, ScaleFactor());
    ::SetWindowPos(Handle(), HWND_TOPMOST, home.x, home.y, Scaled(kPanelWidth), PanelHeight(),
                   SWP_NOACTIVATE);
}

int ControlPanel::PanelHeight() const {
    return Scaled(PanelShapeFor(layout_).height);
}

void ControlPanel::PlaceFeatureButtons() {
    auto places = PanelButtons();
    for (size_t i = 0; i < places.size(); ++i) {
        const PanelButtonPlace& place = places[i];
        ::SetWindowPos(buttons_[i].Handle(), nullptr, Scaled(place.x), Scaled(place.y), 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (place.tooltip != 0) buttons_[i].SetTooltipText(LoadResourceString(place.tooltip));
    }
    ApplyPanelMode();
}

void ControlPanel::SetPanelMode(PanelMode mode) {
    mode_ = mode;
    if (!logoMode_) ApplyPanelMode();
}

void ControlPanel::ApplyPanelMode() {
    for (int id : FeatureButtonIds()) {
        PanelPoint place = FeatureButtonPosition(layout_, id);
        MoveButton(id, place.x, place.y);
        ShowButton(id, FeatureButtonShown(layout_, mode_, id));
    }
}

ImageButton* ControlPanel::Button(int id) {
    auto places = PanelButtons();
    for (size_t i = 0; i < places.size(); ++i) {
        if (places[i].id == id) return &buttons_[i];
    }
    return nullptr;
}

LRESULT ControlPanel::OnSysCommand(WPARAM wParam, LPARAM) {
    if ((wParam & 0xFFF0) == kAboutCommand) {
        Dialog about(IDD_ABOUTBOX);
        about.DoModal(Handle());
        return 0;
    }
    return Default();
}

LRESULT ControlPanel::OnQueryDragIcon(WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>(icon_);
}

LRESULT ControlPanel::OnCtlColorStatic(WPARAM wParam, LPARAM lParam) {
    if (::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != IDC_TITLE) return Default();
    HDC dc = reinterpret_cast<HDC>(wParam);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kTitleColour);
    ::SelectObject(dc, boldFont_.Get());
    return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}

LRESULT ControlPanel::OnConnectionLost(WPARAM, LPARAM) {
    link_.ShowMessage(link_.LoadString(IDS_CONNECTION_LOST));
    ::PostQuitMessage(0);
    return 1;
}

LRESULT ControlPanel::OnTimer(WPARAM wParam, LPARAM) {
    switch (wParam) {
        case kTopmostTimer:
            ::KillTimer(Handle(), wParam);
            ReassertTopmost();
            ::SetTimer(Handle(), wParam, kTopmostMilliseconds, nullptr);
            break;
        case static_cast<UINT_PTR>(SessionTimer::kKeepAlive):
        case static_cast<UINT_PTR>(SessionTimer::kTeacherConnect):
        case static_cast<UINT_PTR>(SessionTimer::kLoginServer):
            link_.Session().OnTimer(static_cast<SessionTimer>(wParam));
            break;
        default:
            if (!remote_.OnTimer(wParam) && !padSwitches_.OnTimer(wParam) && !sound_.OnTimer(wParam))
                upload_.OnTimer(wParam);
            break;
    }
    return Default();
}

void ControlPanel::ReassertTopmost() {
    HWND toolbar = note_.Toolbar();
    HWND after = toolbar && ::IsWindow(toolbar) ? toolbar : HWND_TOPMOST;
    ::SetWindowPos(Handle(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT ControlPanel::OnWindowPosChanging(WPARAM, LPARAM lParam) {
    LRESULT result = Default();
    auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
    // The note tool hides the panel for the moment of its snapshot.
    if (note_.HidingPanel()) return result;
    // Hidden until the teacher program accepts the remote, whoever asks to show it.
    if (link_.Session().WindowShown()) {
        position->flags |= SWP_SHOWWINDOW;
    } else {
        position->flags &= ~SWP_SHOWWINDOW;
    }
    return result;
}

LRESULT ControlPanel::OnDisplayChange(WPARAM, LPARAM lParam) {
    // The message carries the new resolution; the system metrics may still lag behind it.
    int width = LOWORD(lParam);
    int height = HIWORD(lParam);
    if (width == 0 || height == 0) {
        width = ::GetSystemMetrics(SM_CXSCREEN);
        height = ::GetSystemMetrics(SM_CYSCREEN);
    }
    upload_.RefreshParameters(width, height);
    link_.SendToTeacher(std::u16string(kTagPadScreenSize) + DecimalText(width) + u"," + DecimalText(height));
    upload_.OnDisplayChange();
    note_.OnDisplayChange();

    RECT window{};
    ::GetWindowRect(Handle(), &window);
    PanelRect rect{window.left, window.top, window.right, window.bottom};
    if (!BottomRightCornerOnScreen(rect, width, height)) {
        int side = Scaled(logoMode_ ? kLogoSide : kPanelWidth);
        int tall = logoMode_ ? Scaled(kLogoSide) : PanelHeight();
        ::SetWindowPos(Handle(), HWND_TOPMOST, width - side, 0, side, tall, SWP_NOACTIVATE);
    }
    return Default();
}

bool ControlPanel::ConfirmClose() {
    std::wstring question = LoadResourceString(IDS_CLOSE_QUESTION);
    std::wstring caption = LoadResourceString(IDS_CLOSE_CAPTION);
    int answer = ShowCustomMessage(question.c_str(), caption.c_str(), kMsgBoxTypeYesNo, Handle());
    return answer == IDYES;
}

void ControlPanel::OnOK() {
    if (ConfirmClose()) EndDialog(IDOK);
}

void ControlPanel::OnCancel() {
    if (!link_.Session().WindowShown()) {
        EndDialog(IDCANCEL);
        return;
    }
    if (ConfirmClose()) CloseAfterConfirmation();
}

void ControlPanel::OnCloseButton() {
    OnCancel();
}

void ControlPanel::CloseAfterConfirmation() {
    upload_.StopForClose();
    remote_.StopForClose();
    sound_.StopForClose();
    PumpWait(kCloseSettleMilliseconds, PumpMode::kDrainEachStep);
    EndDialog(IDOK);
}

LRESULT ControlPanel::OnDestroy(WPARAM, LPARAM) {
    link_.OnPanelDestroyed();
    // The note thread may still hide or show the panel meanwhile: Close answers it while waiting.
    note_.Close();
    gdiplus_.reset();
    return Default();
}

void ControlPanel::ShowButton(int buttonId, bool shown) {
    ::ShowWindow(Item(buttonId), shown ? SW_SHOWNA : SW_HIDE);
}

void ControlPanel::MoveButton(int buttonId, int x, int y) {
    ::SetWindowPos(Item(buttonId), nullptr, Scaled(x), Scaled(y), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tesmora
