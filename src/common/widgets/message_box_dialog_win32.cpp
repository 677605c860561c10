// The custom message box (see message_box_dialog_win32.h).
#include "common/widgets/message_box_dialog_win32.h"

#include <atomic>

#include "common/ui/drawing_win32.h"
#include "common/ui/resource_module_win32.h"
#include "common/ui/scale.h"

namespace tesmora {

namespace {

std::atomic<bool> gMessageOpen{false};

constexpr UINT kCloseBitmap = 137;
constexpr UINT kCancelBitmap = 166, kCancelHoverBitmap = 167;
constexpr UINT kNoBitmap = 168;
constexpr UINT kOkBitmap = 169, kOkHoverBitmap = 170;
constexpr UINT kYesBitmap = 171;
constexpr UINT kIconBitmap = 173;
constexpr UINT kTopmostPeriod = 100;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kOutline = RGB(192, 192, 195);
constexpr COLORREF kTitleBand = RGB(67, 73, 95);
constexpr COLORREF kPanelFill = RGB(245, 245, 245);
constexpr COLORREF kPanelOutline = RGB(232, 232, 232);
constexpr COLORREF kTitleText = RGB(205, 217, 213);
constexpr COLORREF kBodyText = RGB(139, 139, 139);

void Place(HWND control, const LayoutRect& rect, UINT flags = 0) {
    ::SetWindowPos(control, nullptr, rect.x, rect.y, rect.width, rect.height,
                   SWP_NOZORDER | SWP_NOACTIVATE | flags);
}

void Box(HDC dc, HPEN pen, HBRUSH brush, int left, int top, int right, int bottom) {
    SelectedObject usePen(dc, pen);
    SelectedObject useBrush(dc, brush);
    ::Rectangle(dc, left, top, right, bottom);
}

}  // namespace

int ShowCustomMessage(const wchar_t* text, const wchar_t* caption, int type, HWND owner) {
    // Test and set in one step: the panel's thread and the note thread may ask at the same moment.
    if (gMessageOpen.exchange(true)) return -1;
    int result = kAnswerCancel;
    {
        GdiplusSession gdiplus;  // the buttons and the icon are drawn with GDI+
        MessageBoxDialog box(text ? text : L"", caption && *caption ? caption : kDefaultMessageCaption, type);
        INT_PTR answer = box.DoModal(owner);
        if (answer > 0) result = static_cast<int>(answer);
    }
    gMessageOpen.store(false);
    return result;
}

bool IsCustomMessageOpen() {
    return gMessageOpen.load();
}

MessageBoxDialog::MessageBoxDialog(std::wstring text, std::wstring caption, int type)
    : Dialog(kMsgBoxTemplateId), text_(std::move(text)), caption_(std::move(caption)), type_(type) {}

MessageBoxDialog::~MessageBoxDialog() {
    DestroyDialog();
    if (canvasDc_ && canvasPrevious_) ::SelectObject(canvasDc_.Get(), canvasPrevious_);
}

std::span<const Window::MessageEntry> MessageBoxDialog::MessageTable() const {
    static const MessageEntry table[] = {
        OnMessage(WM_PAINT, &MessageBoxDialog::OnPaint),
        OnMessage(WM_ERASEBKGND, &MessageBoxDialog::OnEraseBackground),
        OnMessage(WM_NCHITTEST, &MessageBoxDialog::OnNcHitTest),
        OnMessage(WM_TIMER, &MessageBoxDialog::OnTimer),
        OnMessage(WM_CTLCOLORSTATIC, &MessageBoxDialog::OnCtlColorStatic),
    };
    return table;
}

BOOL MessageBoxDialog::OnInitDialog() {
    layout_ = LayoutMessageBox(type_, ScaleFactor());
    fontFace_ = LoadResourceString(kFontFaceStringId);
    titleFont_.Reset(CreateUiFont(fontFace_, layout_.fontHeight, FW_BOLD));
    bodyFont_.Reset(CreateUiFont(fontFace_, layout_.fontHeight, FW_NORMAL));

    const LayoutRect& close = layout_.close;
    if (close_.Create(Handle(), kMsgBoxIdClose, WS_VISIBLE, close.x, close.y, close.width, close.height)) {
        close_.LoadBitmaps(kCloseBitmap, kCloseBitmap, kCloseBitmap, kCloseBitmap);
    }
    ok_.Attach(Item(kMsgBoxIdOk));
    cancel_.Attach(Item(kMsgBoxIdCancel));
    yes_.Attach(Item(kMsgBoxIdYes));
    no_.Attach(Item(kMsgBoxIdNo));
    ok_.LoadBitmaps(kOkBitmap, kOkHoverBitmap, kOkBitmap, kOkHoverBitmap);
    cancel_.LoadBitmaps(kCancelBitmap, kCancelHoverBitmap, kCancelBitmap, kCancelHoverBitmap);
    yes_.LoadBitmaps(kYesBitmap, kYesBitmap, kYesBitmap, kYesBitmap);
    no_.LoadBitmaps(kNoBitmap, kNoBitmap, kNoBitmap, kNoBitmap);
    icon_.Reset(LoadResourceBitmap(kIconBitmap));

    ::SetWindowPos(Handle(), nullptr, 0, 0, layout_.width, layout_.height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowTextW(Handle(), caption_.c_str());  // found by its caption, though it draws its own title
    HWND title = Item(kMsgBoxIdTitle);
    ::SetWindowTextW(title, caption_.c_str());
    Place(title, layout_.title);
    ::SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.Get()), TRUE);

    for (const MsgBoxButtonPlace& button : layout_.buttons) {
        Place(Item(button.id), button.rect, SWP_SHOWWINDOW);
    }
    StartTimer(kMsgBoxTimerId, kTopmostPeriod);
    return TRUE;
}

bool MessageBoxDialog::PreTranslateMessage(MSG& message) {
    // Enter is always OK (1), whichever button has the focus: even in the Yes/No boxes, where OK is
    // hidden, it answers neither Yes nor No.
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN &&
        (message.hwnd == Handle() || ::IsChild(Handle(), message.hwnd))) {
        EndDialog(kAnswerOk);
        return true;
    }
    return Dialog::PreTranslateMessage(message);
}

bool MessageBoxDialog::OnUnhandledCommand(UINT id, UINT code) {
    if (code > 1) return false;
    int answer = MessageBoxAnswerForCommand(static_cast<int>(id));
    if (answer == 0) return false;
    StopTimer(kMsgBoxTimerId);
    EndDialog(answer);
    return true;
}

LRESULT MessageBoxDialog::OnTimer(WPARAM wParam, LPARAM) {
    if (wParam != kMsgBoxTimerId) return Default();
    // Stay above every other topmost window (the panel re-asserts itself every 100 ms too).
    StopTimer(kMsgBoxTimerId);
    ::SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    StartTimer(kMsgBoxTimerId, kTopmostPeriod);
    return 0;
}

LRESULT MessageBoxDialog::OnNcHitTest(WPARAM, LPARAM lParam) {
    LRESULT hit = Default();
    POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ::ScreenToClient(Handle(), &point);
    RECT client{};
    ::GetClientRect(Handle(), &client);
    client.bottom = layout_.titleBandHeight;
    return ::PtInRect(&client, point) ? HTCAPTION : hit;
}

LRESULT MessageBoxDialog::OnCtlColorStatic(WPARAM wParam, LPARAM lParam) {
    if (::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != kMsgBoxIdTitle) return Default();
    HDC dc = reinterpret_cast<HDC>(wParam);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kTitleText);
    return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}

LRESULT MessageBoxDialog::OnEraseBackground(WPARAM, LPARAM) {
    return 1;  // the paint covers the whole client area
}

void MessageBoxDialog::MakeDrawingTools() {
    outlinePen_.Reset(::CreatePen(PS_SOLID, 1, kOutline));
    titlePen_.Reset(::CreatePen(PS_SOLID, 1, kTitleBand));
    panelPen_.Reset(::CreatePen(PS_SOLID, 1, kPanelOutline));
    whiteBrush_.Reset(::CreateSolidBrush(kWhite));
    titleBrush_.Reset(::CreateSolidBrush(kTitleBand));
    panelBrush_.Reset(::CreateSolidBrush(kPanelFill));
}

LRESULT MessageBoxDialog::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(Handle(), &paint);
    RECT client{};
    ::GetClientRect(Handle(), &client);
    if (!canvasDc_) {
        MakeDrawingTools();
        canvasDc_.Reset(::CreateCompatibleDC(dc));
        canvasBitmap_.Reset(::CreateCompatibleBitmap(dc, client.right, client.bottom));
        canvasPrevious_ = ::SelectObject(canvasDc_.Get(), canvasBitmap_.Get());
    }
    HDC canvas = canvasDc_.Get();
    const MessageBoxLayout& l = layout_;

    Box(canvas, outlinePen_.Get(), whiteBrush_.Get(), 0, 0, client.right, client.bottom);
    Box(canvas, titlePen_.Get(), titleBrush_.Get(), 0, 0, client.right, l.titleBandHeight);
    Box(canvas, panelPen_.Get(), panelBrush_.Get(), l.panel.x, l.panel.y, l.panel.Right(), l.panel.Bottom());
    ::SetStretchBltMode(canvas, HALFTONE);
    DrawBitmapStretched(canvas, icon_.Get(), l.icon.x, l.icon.y, l.icon.width, l.icon.height);

    {
        SelectedObject font(canvas, bodyFont_.Get());
        ::SetTextColor(canvas, kBodyText);
        ::SetBkMode(canvas, TRANSPARENT);
        const UINT format = DT_WORDBREAK | DT_NOPREFIX;
        RECT measured{l.textBox.x, l.textBox.y, l.textBox.Right(), l.textBox.Bottom()};
        ::DrawTextW(canvas, text_.c_str(), static_cast<int>(text_.size()), &measured, format | DT_CALCRECT);
        int height = measured.bottom - measured.top;
        int top = MessageTextTop(l.textBox, height);
        // A text taller than the box starts at its top and runs on past the panel.
        RECT target{l.textBox.x, top, l.textBox.Right(), top + height};
        ::DrawTextW(canvas, text_.c_str(), static_cast<int>(text_.size()), &target, format);
    }
    ::BitBlt(dc, 0, 0, client.right, client.bottom, canvas, 0, 0, SRCCOPY);
    ::EndPaint(Handle(), &paint);
    return 0;
}

}  // namespace tesmora
