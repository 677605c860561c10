// The image button (see image_button_win32.h). UI thread only.
#include "common/widgets/image_button_win32.h"

#include <commctrl.h>

#include "common/ui/drawing_win32.h"

namespace tesmora {

ImageButton::~ImageButton() {
    if (tooltip_ && ::IsWindow(tooltip_)) ::DestroyWindow(tooltip_);
    tooltip_ = nullptr;
    DeletePictures();
}

std::span<const Window::MessageEntry> ImageButton::MessageTable() const {
    static const MessageEntry table[] = {
        OnMessage(WM_PAINT, &ImageButton::OnPaint),
        OnMessage(WM_ERASEBKGND, &ImageButton::OnEraseBackground),
        OnMessage(WM_MOUSEMOVE, &ImageButton::OnMouseMove),
        OnMessage(WM_MOUSEHOVER, &ImageButton::OnMouseHover),
        OnMessage(WM_MOUSELEAVE, &ImageButton::OnMouseLeave),
        OnMessage(WM_ENABLE, &ImageButton::OnEnable),
        OnMessage(WM_SIZE, &ImageButton::OnSize),
        OnMessage(WM_DESTROY, &ImageButton::OnDestroy),
        OnMessage(BM_SETCHECK, &ImageButton::OnStateChange),
        OnMessage(BM_SETSTATE, &ImageButton::OnStateChange),
        OnMessage(BM_SETSTYLE, &ImageButton::OnStateChange),
        OnMessage(WM_SETFOCUS, &ImageButton::OnStateChange),
        OnMessage(WM_KILLFOCUS, &ImageButton::OnStateChange),
        OnMessage(WM_LBUTTONDOWN, &ImageButton::OnStateChange),
        OnMessage(WM_LBUTTONUP, &ImageButton::OnStateChange),
        OnMessage(WM_LBUTTONDBLCLK, &ImageButton::OnStateChange),
        OnMessage(WM_KEYDOWN, &ImageButton::OnStateChange),
        OnMessage(WM_KEYUP, &ImageButton::OnStateChange),
        OnMessage(WM_CAPTURECHANGED, &ImageButton::OnStateChange),
        OnMessage(WM_UPDATEUISTATE, &ImageButton::OnStateChange),
        OnMessage(WM_SETTEXT, &ImageButton::OnStateChange),
    };
    return table;
}

bool ImageButton::Create(HWND parent, int id, DWORD style, int x, int y, int width, int height) {
    if (!Window::Create(0, L"BUTTON", L"", WS_CHILD | style, x, y, width, height, parent,
                        static_cast<UINT_PTR>(id))) {
        return false;
    }
    RECT client{};
    ::GetClientRect(Handle(), &client);
    buttonWidth_ = client.right;
    buttonHeight_ = client.bottom;
    enabled_ = ::IsWindowEnabled(Handle()) != FALSE;
    CreateTooltip();  // what the button's WM_CREATE does
    return true;
}

bool ImageButton::Attach(HWND button) {
    if (!SubclassWindow(button)) return false;
    RECT client{};
    ::GetClientRect(button, &client);
    buttonWidth_ = client.right;
    buttonHeight_ = client.bottom;
    enabled_ = ::IsWindowEnabled(button) != FALSE;
    return true;
}

void ImageButton::CreateTooltip() {
    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(),
                                 nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

bool ImageButton::LoadBitmaps(UINT normalId, UINT hoverId, UINT disabledId, UINT checkedId) {
    // A second call replaces the pictures instead of leaking the first ones.
    DeletePictures();
    normal_ = LoadResourceBitmap(normalId);
    hoverPicture_ = LoadResourceBitmap(hoverId);
    disabled_ = LoadResourceBitmap(disabledId);
    checked_ = LoadResourceBitmap(checkedId);
    SIZE size = BitmapSize(normal_);
    pictureWidth_ = size.cx;
    pictureHeight_ = size.cy;
    if (Handle()) Invalidate(false);
    return normal_ && hoverPicture_ && disabled_ && checked_;
}

void ImageButton::SetTooltipText(const std::wstring& text) {
    if (!tooltip_) return;  // an attached button has no tooltip control
    bool added = !tooltipText_.empty();
    tooltipText_ = text;
    ::SendMessageW(tooltip_, TTM_ACTIVATE, TRUE, 0);
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;  // accepted by every version of the common controls
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = ::GetParent(Handle());
    tool.uId = reinterpret_cast<UINT_PTR>(Handle());
    tool.lpszText = tooltipText_.data();
    ::SendMessageW(tooltip_, added ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

ImageButton::Face ImageButton::CurrentFace() const {
    if (!enabled_) return Face::Disabled;
    if (Handle() && ::SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED) return Face::Checked;
    if (hover_) return Face::Hover;
    return Face::Normal;
}

HBITMAP ImageButton::PictureFor(Face face) const {
    switch (face) {
        case Face::Disabled:
            return disabled_;
        case Face::Checked:
            return checked_;
        case Face::Hover:
            return hoverPicture_;
        default:
            return normal_;
    }
}

bool ImageButton::PreTranslateMessage(MSG& message) {
    if (!tooltipText_.empty() && tooltip_) {
        ::SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
    }
    // F4 as a system key (Alt+F4, or F4 alone after Alt) never closes the window from a button.
    return message.message == WM_SYSKEYDOWN && message.wParam == VK_F4;
}

LRESULT ImageButton::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(Handle(), &paint);
    ::SetStretchBltMode(dc, scalingMode_);
    DrawBitmapStretched(dc, PictureFor(CurrentFace()), 0, 0, buttonWidth_, buttonHeight_);
    ::EndPaint(Handle(), &paint);
    return 0;
}

LRESULT ImageButton::OnEraseBackground(WPARAM, LPARAM) {
    return 1;  // the picture covers the whole face
}

LRESULT ImageButton::OnMouseMove(WPARAM, LPARAM) {
    if (!hover_) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_HOVER | TME_LEAVE;
        track.hwndTrack = Handle();
        track.dwHoverTime = 10;
        ::TrackMouseEvent(&track);
    }
    LRESULT result = Default();
    if (::GetCapture() == Handle())
        ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return result;
}

LRESULT ImageButton::OnMouseHover(WPARAM, LPARAM) {
    hover_ = true;
    Invalidate(false);
    return Default();
}

LRESULT ImageButton::OnMouseLeave(WPARAM, LPARAM) {
    hover_ = false;
    Invalidate(false);
    return Default();
}

LRESULT ImageButton::OnEnable(WPARAM wParam, LPARAM) {
    enabled_ = wParam != 0;
    Invalidate(false);
    return 0;
}

LRESULT ImageButton::OnSize(WPARAM, LPARAM lParam) {
    LRESULT result = Default();
    buttonWidth_ = LOWORD(lParam);
    buttonHeight_ = HIWORD(lParam);
    return result;
}

LRESULT ImageButton::OnDestroy(WPARAM, LPARAM) {
    LRESULT result = Default();
    if (tooltip_ && ::IsWindow(tooltip_)) ::DestroyWindow(tooltip_);
    tooltip_ = nullptr;
    if (normal_) DeletePictures();
    return result;
}

// The button's own procedure draws its standard face straight away when its state changes (check,
// press, focus); after those messages the button is repainted at once with its picture.
LRESULT ImageButton::OnStateChange(WPARAM, LPARAM) {
    LRESULT result = Default();
    if (Handle() && ::IsWindowVisible(Handle())) {
        ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    return result;
}

void ImageButton::DeletePictures() {
    HBITMAP pictures[] = {normal_, hoverPicture_, disabled_, checked_};
    for (HBITMAP picture : pictures) {
        if (picture) ::DeleteObject(picture);
    }
    normal_ = hoverPicture_ = disabled_ = checked_ = nullptr;
    pictureWidth_ = pictureHeight_ = 0;
}

}  // namespace tesmora
