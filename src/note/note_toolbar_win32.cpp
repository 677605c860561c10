// The note toolbar (see note_toolbar_win32.h). Note thread only.
#include "note/note_toolbar_win32.h"

#include <string>

#include "common/platform/debug_print_win32.h"
#include "common/platform/directory_path_win32.h"
#include "common/platform/pump_wait_win32.h"
#include "common/ui/drawing_win32.h"
#include "common/ui/resource_module_win32.h"
#include "common/ui/scale.h"
#include "common/widgets/message_box_dialog_win32.h"
#include "common/widgets/wait_dialog_win32.h"
#include "note/note_picture_win32.h"
#include "note/note_toolbar_layout.h"
#include "resource.h"

namespace tesmora {

namespace {

constexpr UINT kOrderMilliseconds = 100;
constexpr unsigned kHideSettleMilliseconds = 200;
constexpr unsigned kNoticeMilliseconds = 1000;
constexpr COLORREF kBackColour = RGB(222, 160, 165);
constexpr COLORREF kTitleBandColour = RGB(119, 24, 24);
constexpr COLORREF kPanelColour = RGB(225, 225, 225);
constexpr UINT kQuietPlacement = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

void Trace(const std::wstring& text) {
    // The end-to-end scenarios read what the note tool did from the debugger output.
    std::string line = "Remocon note: ";
    for (wchar_t c : text) line += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    line += "\n";
    DebugPrintUtf8(line.c_str());
}

}  // namespace

NoteToolbar::NoteToolbar(HWND panel, void (*hidePanel)(void*, bool), void* hideContext)
    : Dialog(IDD_NOTE_TOOL), panel_(panel), hidePanel_(hidePanel), hideContext_(hideContext) {}

NoteToolbar::~NoteToolbar() {
    if (Handle() && ::IsWindow(Handle())) DestroyDialog();
}

std::span<const Window::MessageEntry> NoteToolbar::MessageTable() const {
    static const MessageEntry table[] = {
        OnMessage(WM_PAINT, &NoteToolbar::OnPaint),
        OnMessage(WM_ERASEBKGND, &NoteToolbar::OnEraseBackground),
        OnMessage(WM_NCHITTEST, &NoteToolbar::OnNcHitTest),
        OnMessage(WM_CTLCOLORSTATIC, &NoteToolbar::OnCtlColorStatic),
        OnMessage(WM_TIMER, &NoteToolbar::OnTimer),
        OnMessage(WM_CLOSE, &NoteToolbar::OnClose),
        OnMessage(WM_DESTROY, &NoteToolbar::OnDestroy),
    };
    return table;
}

BOOL NoteToolbar::OnInitDialog() {
    gdiplus_.emplace();
    if (!gdiplus_->Started()) return TRUE;  // the pictures cannot be drawn: no controls

    font_.Reset(CreateUiFont(LoadResourceString(IDS_DIALOG_FONT), Scaled(kNoteFontHeight), FW_BOLD));
    backBrush_.Reset(::CreateSolidBrush(kBackColour));
    titleBrush_.Reset(::CreateSolidBrush(kTitleBandColour));
    panelBrush_.Reset(::CreateSolidBrush(kPanelColour));
    auto places = NoteToolbarButtons();
    for (size_t i = 0; i < places.size() && i < buttons_.size(); ++i) {
        const NoteButtonPlace& place = places[i];
        DWORD style = (place.checkBox ? BS_CHECKBOX : BS_PUSHBUTTON) | WS_VISIBLE;
        ImageButton& button = buttons_[i];
        button.Create(Handle(), place.id, style, Scaled(place.x), Scaled(place.y), Scaled(place.width),
                      Scaled(place.height));
        button.LoadBitmaps(place.normal, place.hover, place.disabled, place.checked);
        if (place.tooltip != 0) button.SetTooltipText(LoadResourceString(place.tooltip));
    }
    ::SetWindowPos(Handle(), nullptr, 0, 0, Scaled(kNoteToolbarWidth), Scaled(kNoteToolbarTouchHeight),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(Item(IDC_TITLE), nullptr, Scaled(kNoteTitleX), Scaled(kNoteTitleY),
                   Scaled(kNoteTitleWidth), Scaled(kNoteTitleHeight), SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendDlgItemMessageW(Handle(), IDC_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);

    StartTimer(kOrderTimer, kOrderMilliseconds);
    ::SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, kQuietPlacement);
    CreateDirectoryPath(NoteSaveFolder());
    mode_ = NoteMode::Touch;
    SyncButtons();
    return FALSE;
}

void NoteToolbar::ShowToolbar() {
    int width = Scaled(kNoteToolbarWidth);
    int height = Scaled(NoteToolbarHeight(mode_));
    int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    // Home beside the panel where it is now (the full panel reaches below the usual home); sized at
    // its tallest so that writing mode does not grow it over the panel's buttons.
    RECT panel{};
    ::GetWindowRect(panel_, &panel);
    NoteScreenPoint home =
        NoteToolbarHome({panel.left, panel.top, panel.right, panel.bottom}, width,
                        Scaled(kNoteToolbarFullHeight), Scaled(kNoteHomeY), screenWidth, screenHeight);
    int x = home.x;
    int y = home.y;
    if (positioned_) {
        RECT window{};
        ::GetWindowRect(Handle(), &window);
        bool onScreen = NoteToolbarCornerOnScreen({window.left, window.top, window.right, window.bottom},
                                                  screenWidth, screenHeight);
        UINT flags = SWP_SHOWWINDOW | SWP_NOACTIVATE | (onScreen ? SWP_NOMOVE : 0);
        ::SetWindowPos(Handle(), HWND_TOPMOST, x, y, width, height, flags);
    } else {
        ::SetWindowPos(Handle(), HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE);
    }
    positioned_ = 1;
}

void NoteToolbar::SetCheck(int id, bool checked) {
    ::SendMessageW(Item(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void NoteToolbar::SyncButtons() {
    SetCheck(IDC_NOTE_TOUCH, mode_ == NoteMode::Touch);
    SetCheck(IDC_NOTE_WRITING, mode_ == NoteMode::Writing);
    SetCheck(IDC_NOTE_WHITEBOARD, mode_ == NoteMode::Whiteboard);
    if (mode_ != NoteMode::Touch) {
        SetCheck(IDC_NOTE_PEN, tool_ == kNoteToolPen);
        SetCheck(IDC_NOTE_ERASER, tool_ == kNoteToolEraser);
        int colourButton = NoteColourButton(colour_);
        for (int id = IDC_NOTE_COLOUR1; id <= IDC_NOTE_COLOUR8; ++id) SetCheck(id, id == colourButton);
        for (int index = 1; index <= 4; ++index) SetCheck(IDC_NOTE_WIDTH1 + index - 1, index == widthIndex_);
        if (overlay_) overlay_->SetWidthIndex(widthIndex_);
    }
    ShowToolbar();
}

void NoteToolbar::CloseDrawing() {
    if (!overlay_) return;
    overlay_->CloseOverlay();
    overlay_.reset();
}

void NoteToolbar::StartDrawing(NoteMode mode) {
    auto overlay = std::make_unique<NoteOverlay>(panel_, hidePanel_, hideContext_);
    const auto background = mode == NoteMode::Writing ? NoteOverlay::Background::kScreenSnapshot
                                                      : NoteOverlay::Background::kWhiteboard;
    if (!overlay->CreateOverlay(background)) {
        Trace(L"the drawing window could not be made");
        mode_ = NoteMode::Touch;
        SyncButtons();
        return;
    }
    overlay_ = std::move(overlay);
    tool_ = kNoteToolPen;
    overlay_->SetTool(tool_);
    widthIndex_ = 2;
    overlay_->SetWidthIndex(widthIndex_);
    colour_ = kNoteStartColour;
    overlay_->SetPenColour(colour_);
    // Every drawing starts opaque: the button must not claim otherwise.
    SetCheck(IDC_NOTE_SEMI, false);
    PlaceOverlayBelowPanel();
    SyncButtons();
    Trace(mode == NoteMode::Writing ? L"writing mode" : L"whiteboard mode");
}

void NoteToolbar::PlaceOverlayBelowPanel() {
    if (!overlay_ || !overlay_->Handle()) return;
    // The top of the ordinary windows, not inserted after the panel: placed after a topmost window
    // the overlay would become topmost itself, and a click on it would then raise it over the panel.
    ::SetWindowPos(overlay_->Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, kQuietPlacement);
}

void NoteToolbar::SwitchMode(NoteModeCommand command) {
    if (busy_) return;
    bool modified = overlay_ && overlay_->Modified();
    NoteSwitchPlan plan =
        PlanModeSwitch(mode_, command, IsCustomMessageOpen(), overlay_ != nullptr, modified);
    if (!plan.run) return;
    if (plan.ask) {
        busy_ = true;
        StopTimer(kOrderTimer);
        ::EnableWindow(overlay_->Handle(), FALSE);
        std::wstring question = LoadResourceString(IDS_SAVE_QUESTION);
        std::wstring caption = LoadResourceString(IDS_CONFIRM);
        int answer = ShowCustomMessage(question.c_str(), caption.c_str(), kMsgBoxTypeYesNoCancel, Handle());
        NoteAnswerStep step = StepAfterSaveQuestion(answer);
        // A drawing whose picture could not be written is kept, as after Cancel.
        bool stay = step == NoteAnswerStep::Stay || (step == NoteAnswerStep::SaveThenSwitch && !Save());
        StartTimer(kOrderTimer, kOrderMilliseconds);
        busy_ = false;
        if (stay) {
            if (overlay_) ::EnableWindow(overlay_->Handle(), TRUE);
            Trace(L"the drawing stays");
            if (dropPending_) DropNow();
            return;
        }
    }
    CloseDrawing();
    switch (command) {
        case NoteModeCommand::Touch:
            mode_ = NoteMode::Touch;
            SyncButtons();
            break;
        case NoteModeCommand::Close:
            mode_ = NoteMode::Touch;
            SyncButtons();
            ::ShowWindow(Handle(), SW_HIDE);
            break;
        case NoteModeCommand::Writing:
            mode_ = NoteMode::Writing;
            // The snapshot must show neither the toolbar nor the panel.
            ::ShowWindow(Handle(), SW_HIDE);
            PumpWait(kHideSettleMilliseconds, PumpMode::kOneMessagePerStep);
            StartDrawing(NoteMode::Writing);
            break;
        case NoteModeCommand::Whiteboard:
            mode_ = NoteMode::Whiteboard;
            StartDrawing(NoteMode::Whiteboard);
            break;
    }
    if (mode_ == NoteMode::Touch) Trace(L"touch mode");
    if (dropPending_) DropNow();
}

bool NoteToolbar::Save() {
    ::ShowWindow(Handle(), SW_HIDE);
    PumpWait(kHideSettleMilliseconds, PumpMode::kOneMessagePerStep);
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    std::wstring name = NotePictureName(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    std::wstring folder = NoteSaveFolder();
    bool saved = overlay_ && SaveNotePicture(*overlay_, folder, name);
    if (saved) {
        overlay_->SetLastSavedPath(folder + L"\\" + name);
        overlay_->MarkSaved();
    }
    Trace((saved ? L"saved " : L"not saved ") + folder + L"\\" + name);

    ::ShowWindow(Handle(), SW_SHOWNA);
    ::EnableWindow(Handle(), FALSE);
    if (overlay_) ::EnableWindow(overlay_->Handle(), FALSE);
    if (saved) {
        WaitDialog notice;
        notice.ShowNotice(Handle(), LoadResourceString(IDS_SAVED));
        PumpWait(kNoticeMilliseconds, PumpMode::kOneMessagePerStep);
        ::ShowWindow(notice.Handle(), SW_HIDE);
        notice.DestroyDialog();
    } else {
        std::wstring text = LoadResourceString(IDS_NOTE_SAVE_FAILED);
        std::wstring caption = LoadResourceString(IDS_CONFIRM);
        ShowCustomMessage(text.c_str(), caption.c_str(), kMsgBoxTypeOk, Handle());
    }
    if (overlay_) ::EnableWindow(overlay_->Handle(), TRUE);
    ::EnableWindow(Handle(), TRUE);
    if (overlay_) ::SetForegroundWindow(overlay_->Handle());
    ::SetForegroundWindow(Handle());
    return saved;
}

void NoteToolbar::DropToTouchMode() {
    if (busy_) {
        dropPending_ = true;
        return;
    }
    DropNow();
}

void NoteToolbar::DropNow() {
    dropPending_ = false;
    CloseDrawing();
    mode_ = NoteMode::Touch;
    SyncButtons();
    ::ShowWindow(Handle(), SW_HIDE);
    Trace(L"dropped to touch mode");
}

bool NoteToolbar::OnUnhandledCommand(UINT id, UINT code) {
    if (code != BN_CLICKED) return Dialog::OnUnhandledCommand(id, code);
    uint32_t colour = 0;
    switch (id) {
        case IDC_NOTE_TOUCH:
            SwitchMode(NoteModeCommand::Touch);
            return true;
        case IDC_NOTE_WRITING:
            SwitchMode(NoteModeCommand::Writing);
            return true;
        case IDC_NOTE_WHITEBOARD:
            SwitchMode(NoteModeCommand::Whiteboard);
            return true;
        case IDC_BTN_CLOSE:
            SwitchMode(NoteModeCommand::Close);
            return true;
        case IDC_NOTE_NOTHING:
            return true;
        case IDC_NOTE_SAVE:
            if (busy_ || IsCustomMessageOpen() || mode_ == NoteMode::Touch || !overlay_) return true;
            busy_ = true;
            Save();
            busy_ = false;
            if (dropPending_) DropNow();
            return true;
        default:
            break;
    }
    if (!overlay_) return id >= IDC_NOTE_TOUCH && id <= IDC_NOTE_UNDO;
    if (id == IDC_NOTE_PEN || id == IDC_NOTE_ERASER) {
        tool_ = id == IDC_NOTE_PEN ? kNoteToolPen : kNoteToolEraser;
        overlay_->SetTool(tool_);
        SyncButtons();
    } else if (id == IDC_NOTE_CLEAR) {
        overlay_->ClearStrokes();
    } else if (id == IDC_NOTE_UNDO) {
        overlay_->UndoLastStroke();
    } else if (id >= IDC_NOTE_WIDTH1 && id <= IDC_NOTE_WIDTH4) {
        widthIndex_ = static_cast<int>(id) - IDC_NOTE_WIDTH1 + 1;
        overlay_->SetWidthIndex(widthIndex_);
        SyncButtons();
    } else if (NoteColourOfButton(static_cast<int>(id), colour)) {
        colour_ = colour;
        overlay_->SetPenColour(colour_);
        SyncButtons();
    } else if (id == IDC_NOTE_SEMI) {
        SetCheck(IDC_NOTE_SEMI, overlay_->ToggleSemiTransparent() == 1);
    } else {
        return Dialog::OnUnhandledCommand(id, code);
    }
    return true;
}

void NoteToolbar::OnOK() {
    SwitchMode(NoteModeCommand::Close);
}

LRESULT NoteToolbar::OnEraseBackground(WPARAM, LPARAM) {
    return TRUE;  // the paint fills everything
}

LRESULT NoteToolbar::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(Handle(), &paint);
    RECT client{};
    ::GetClientRect(Handle(), &client);
    ::FillRect(dc, &client,
               backBrush_ ? backBrush_.Get() : static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    if (titleBrush_ && panelBrush_) {
        RECT band{0, 0, client.right, Scaled(kNoteTitleBandHeight)};
        ::FillRect(dc, &band, titleBrush_.Get());
        RECT options{0, Scaled(kNoteOptionsTop), client.right, Scaled(kNoteOptionsBottom)};
        ::FillRect(dc, &options, panelBrush_.Get());
    }
    ::EndPaint(Handle(), &paint);
    return 0;
}

LRESULT NoteToolbar::OnCtlColorStatic(WPARAM wParam, LPARAM lParam) {
    if (::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != IDC_TITLE) return Default();
    HDC dc = reinterpret_cast<HDC>(wParam);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kPanelColour);
    if (font_) ::SelectObject(dc, font_.Get());
    return reinterpret_cast<LRESULT>(titleBrush_ ? titleBrush_.Get() : ::GetStockObject(NULL_BRUSH));
}

LRESULT NoteToolbar::OnNcHitTest(WPARAM, LPARAM lParam) {
    POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ::ScreenToClient(Handle(), &point);
    if (point.y >= 0 && point.y < Scaled(kNoteTitleBandHeight)) {
        // The title band drags the toolbar; the close button on it stays a button.
        HWND child = ::ChildWindowFromPoint(Handle(), point);
        if (!child || child == Handle() || child == Item(IDC_TITLE)) return HTCAPTION;
    }
    return Default();
}

LRESULT NoteToolbar::OnTimer(WPARAM wParam, LPARAM) {
    if (wParam != kOrderTimer) return Default();
    StopTimer(kOrderTimer);
    PlaceOverlayBelowPanel();
    ::SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, kQuietPlacement);
    StartTimer(kOrderTimer, kOrderMilliseconds);
    return 0;
}

LRESULT NoteToolbar::OnClose(WPARAM, LPARAM) {
    SwitchMode(NoteModeCommand::Touch);
    // After Cancel on the question the drawing is still up and needs its toolbar.
    if (mode_ != NoteMode::Touch) return 0;
    positioned_ = 0;
    ::ShowWindow(Handle(), SW_HIDE);
    return 0;
}

LRESULT NoteToolbar::OnDestroy(WPARAM, LPARAM) {
    LRESULT result = Default();
    StopTimer(kOrderTimer);
    positioned_ = 0;
    CloseDrawing();
    return result;
}

bool NoteToolbar::PreTranslateMessage(MSG& message) {
    // Alt+F4 must not close the toolbar: its close button or Enter does.
    if (message.message == WM_SYSKEYDOWN && (message.lParam & (1 << 29)) && message.wParam == VK_F4)
        return true;
    return Dialog::PreTranslateMessage(message);
}

}  // namespace tesmora
