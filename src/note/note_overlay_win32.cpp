// The note overlay (see note_overlay_win32.h). Note thread only.
#include "note/note_overlay_win32.h"

#include <vector>

#include "common/ui/resource_module_win32.h"
#include "note/note_modes.h"
#include "resource.h"

namespace tesmora {

namespace {

constexpr wchar_t kOverlayClass[] = L"TesmoraNoteOverlay";
constexpr int kBoardFrameWidth = 15;
constexpr COLORREF kBoardFill = RGB(255, 255, 255);
constexpr COLORREF kBoardFrame = RGB(0, 255, 255);

// Strokes replayed onto a drawing surface, erasing from the background copy.
class GdiStrokeCanvas : public StrokeCanvas {
public:
    GdiStrokeCanvas(HDC target, HDC background) : target_(target), background_(background) {}

    bool SelectPen(int width, uint32_t colour) override {
        pen_.Reset(::CreatePen(PS_SOLID, width, static_cast<COLORREF>(colour)));
        if (!pen_) return false;
        oldMode_ = ::SetBkMode(target_, TRANSPARENT);
        oldPen_ = ::SelectObject(target_, pen_.Get());
        return true;
    }
    void Line(NotePoint from, NotePoint to, bool semiTransparent) override {
        ::SetROP2(target_, semiTransparent ? R2_MASKPEN : R2_COPYPEN);
        ::MoveToEx(target_, from.x, from.y, nullptr);
        ::LineTo(target_, to.x, to.y);
    }
    void RestoreBackground(NoteArea area) override {
        if (area.width <= 0 || area.height <= 0) return;  // a point far outside the overlay
        ::BitBlt(target_, area.left, area.top, area.width, area.height, background_, area.left, area.top,
                 SRCCOPY);
    }
    void ReleasePen() override {
        ::SelectObject(target_, oldPen_);
        ::SetBkMode(target_, oldMode_);
        // Every stroke sets its own raster operation; the next plain drawing expects the default.
        ::SetROP2(target_, R2_COPYPEN);
        pen_.Reset();
    }

private:
    HDC target_;
    HDC background_;
    UniquePen pen_;
    HGDIOBJ oldPen_ = nullptr;
    int oldMode_ = OPAQUE;
};

// The displays' rectangles in device order. The walk ends with as many rectangles as the system
// counts monitors, or when no further device answers (fewer devices may report a mode than there
// are monitors counted, and the walk must not go on for ever).
std::vector<NoteDisplay> DisplayRectangles() {
    std::vector<NoteDisplay> displays;
    size_t wanted = static_cast<size_t>(std::max(0, ::GetSystemMetrics(SM_CMONITORS)));
    for (DWORD index = 0; displays.size() < wanted; ++index) {
        DISPLAY_DEVICEW device{};
        device.cb = sizeof(device);
        if (!::EnumDisplayDevicesW(nullptr, index, &device, 0)) break;
        DEVMODEW mode{};
        mode.dmSize = sizeof(mode);
        if (!::EnumDisplaySettingsW(device.DeviceName, ENUM_CURRENT_SETTINGS, &mode)) continue;
        int x = mode.dmPosition.x, y = mode.dmPosition.y;
        displays.push_back(
            {x, y, x + static_cast<int>(mode.dmPelsWidth), y + static_cast<int>(mode.dmPelsHeight)});
    }
    return displays;
}

HCURSOR LoadToolCursor(UINT id) {
    return static_cast<HCURSOR>(
        ::LoadImageW(ResourceModule(), MAKEINTRESOURCEW(id), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
}

}  // namespace

NoteOverlay::NoteOverlay(HWND panel, void (*hidePanel)(void*, bool), void* hideContext)
    : panel_(panel), hidePanel_(hidePanel), hideContext_(hideContext) {}

NoteOverlay::~NoteOverlay() {
    CloseOverlay();
}

std::span<const Window::MessageEntry> NoteOverlay::MessageTable() const {
    static const MessageEntry table[] = {
        OnMessage(WM_PAINT, &NoteOverlay::OnPaint),
        OnMessage(WM_LBUTTONDOWN, &NoteOverlay::OnLButtonDown),
        OnMessage(WM_MOUSEMOVE, &NoteOverlay::OnMouseMove),
        OnMessage(WM_LBUTTONUP, &NoteOverlay::OnLButtonUp),
        OnMessage(WM_SETCURSOR, &NoteOverlay::OnSetCursor),
    };
    return table;
}

bool NoteOverlay::CreateOverlay(Background background) {
    if (!RegisterWindowClass(kOverlayClass, 0, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1))) return false;
    // Borderless: the overlay is the display's whole picture, without a caption to drag it by.
    if (!Create(0, kOverlayClass, L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0, nullptr, 0)) return false;

    std::vector<NoteDisplay> displays = DisplayRectangles();
    NoteDisplay area =
        ChooseOverlayDisplay(displays, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    ::SetWindowPos(Handle(), HWND_NOTOPMOST, area.left, area.top, width, height, SWP_NOACTIVATE);
    if (width < 1 || height < 1 || !canvas_.Create(width, height, 32)) return false;

    if (background == Background::kScreenSnapshot) {
        TakeSnapshot();
    } else {
        DrawWhiteboard();
    }

    {
        WindowDc window(Handle());
        ::BitBlt(window.Get(), 0, 0, width, height, canvas_.Dc(), 0, 0, SRCCOPY);
        backgroundDc_.Reset(::CreateCompatibleDC(window.Get()));
        backgroundBitmap_.Reset(::CreateCompatibleBitmap(window.Get(), width, height));
    }
    if (!backgroundDc_ || !backgroundBitmap_) return false;
    backgroundPrevious_ = ::SelectObject(backgroundDc_.Get(), backgroundBitmap_.Get());
    ::BitBlt(backgroundDc_.Get(), 0, 0, width, height, canvas_.Dc(), 0, 0, SRCCOPY);
    ::ShowWindow(Handle(), SW_SHOW);
    ::UpdateWindow(Handle());
    return true;
}

void NoteOverlay::TakeSnapshot() {
    if (hidePanel_) hidePanel_(hideContext_, true);
    if (panel_) ::ShowWindow(panel_, SW_HIDE);
    {
        WindowDc screen(nullptr);
        ::BitBlt(canvas_.Dc(), 0, 0, canvas_.Width(), canvas_.Height(), screen.Get(), 0, 0,
                 SRCCOPY | CAPTUREBLT);
    }
    if (hidePanel_) hidePanel_(hideContext_, false);
    if (panel_) ::ShowWindow(panel_, SW_SHOWNA);
}

void NoteOverlay::DrawWhiteboard() {
    HDC dc = canvas_.Dc();
    UniquePen frame(::CreatePen(PS_SOLID, kBoardFrameWidth, kBoardFrame));
    UniqueBrush fill(::CreateSolidBrush(kBoardFill));
    SelectedObject pen(dc, frame.Get());
    SelectedObject brush(dc, fill.Get());
    ::Rectangle(dc, 0, 0, canvas_.Width(), canvas_.Height());
}

void NoteOverlay::SetTool(int tool) {
    tool_ = tool;
    UINT id = tool == kNoteToolPen ? IDC_PEN_CURSOR : tool == kNoteToolEraser ? IDC_ERASER_CURSOR : 0;
    if (id == 0) return;
    HCURSOR cursor = LoadToolCursor(id);
    if (!cursor) return;
    if (cursor_) ::DestroyCursor(cursor_);
    cursor_ = cursor;
}

void NoteOverlay::SetWidthIndex(int index) {
    widthIndex_ = index;
    penWidth_ = NotePenWidth(tool_, index);
}

int NoteOverlay::ToggleSemiTransparent() {
    semiTransparent_ = semiTransparent_ == 1 ? 0 : 1;
    return semiTransparent_;
}

void NoteOverlay::ClearStrokes() {
    history_.Clear();
    currentStroke_ = nullptr;
    if (Handle()) ::InvalidateRect(Handle(), nullptr, TRUE);
}

bool NoteOverlay::UndoLastStroke() {
    if (drawing_ || !history_.Undo()) return false;
    currentStroke_ = nullptr;
    if (Handle()) ::InvalidateRect(Handle(), nullptr, FALSE);
    return true;
}

void NoteOverlay::CloseOverlay() {
    history_.Reset();
    currentStroke_ = nullptr;
    if (backgroundDc_ && backgroundPrevious_) ::SelectObject(backgroundDc_.Get(), backgroundPrevious_);
    backgroundPrevious_ = nullptr;
    backgroundDc_.Reset();
    backgroundBitmap_.Reset();
    if (cursor_) ::DestroyCursor(cursor_);
    cursor_ = nullptr;
    modified_ = 0;
    if (Handle() && ::IsWindow(Handle())) ::DestroyWindow(Handle());
}

void NoteOverlay::RenderTo(HDC target) const {
    ::BitBlt(target, 0, 0, canvas_.Width(), canvas_.Height(), canvas_.Dc(), 0, 0, SRCCOPY);
    GdiStrokeCanvas strokes(target, backgroundDc_.Get());
    // A stroke whose pen cannot be made is left out; the others still show.
    for (const auto& stroke : history_.All()) stroke->Draw(strokes);
}

LRESULT NoteOverlay::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(Handle(), &paint);
    RECT window{};
    ::GetWindowRect(Handle(), &window);
    UniqueMemoryDc offscreen(::CreateCompatibleDC(dc));
    UniqueBitmap picture(
        ::CreateCompatibleBitmap(dc, window.right - window.left, window.bottom - window.top));
    if (offscreen && picture) {
        SelectedObject selected(offscreen.Get(), picture.Get());
        RenderTo(offscreen.Get());
        ::BitBlt(dc, 0, 0, canvas_.Width(), canvas_.Height(), offscreen.Get(), 0, 0, SRCCOPY);
    }
    ::EndPaint(Handle(), &paint);
    return 0;
}

void NoteOverlay::RestoreLive(int x, int y) {
    NoteArea area = LiveEraserArea(x, y);
    if (area.width <= 0 || area.height <= 0) return;
    WindowDc window(Handle());
    ::BitBlt(window.Get(), area.left, area.top, area.width, area.height, backgroundDc_.Get(), area.left,
             area.top, SRCCOPY);
}

LRESULT NoteOverlay::OnLButtonDown(WPARAM, LPARAM lParam) {
    int x = static_cast<short>(LOWORD(lParam));
    int y = static_cast<short>(HIWORD(lParam));
    drawing_ = 1;
    last_ = {x, y};
    ::SetCapture(Handle());
    auto stroke = std::make_unique<Stroke>(tool_, NotePenWidth(tool_, widthIndex_), widthIndex_,
                                           semiTransparent_, penColour_);
    stroke->AppendPoint({x, y});
    currentStroke_ = &history_.Add(std::move(stroke));
    if (tool_ == kNoteToolEraser) {
        RestoreLive(x, y);
    } else if (tool_ == kNoteToolPen) {
        // A click alone leaves no mark, yet the drawing counts as changed.
        modified_ = 1;
    }
    return 0;
}

LRESULT NoteOverlay::OnMouseMove(WPARAM, LPARAM lParam) {
    // The button may have been released where the overlay did not see it (after losing the capture).
    if (drawing_ && (::GetKeyState(VK_LBUTTON) & 0x8000) == 0) drawing_ = 0;
    if (!drawing_ || !currentStroke_) return 0;
    int x = static_cast<short>(LOWORD(lParam));
    int y = static_cast<short>(HIWORD(lParam));
    currentStroke_->AppendPoint({x, y});
    current_ = {x, y};
    if (tool_ == kNoteToolPen) {
        UniquePen pen(::CreatePen(PS_SOLID, penWidth_, static_cast<COLORREF>(penColour_)));
        if (!pen) return 0;  // the next move draws from the old last point
        WindowDc window(Handle());
        SelectedObject selected(window.Get(), pen.Get());
        ::SetROP2(window.Get(), semiTransparent_ == 1 ? R2_MASKPEN : R2_COPYPEN);
        ::MoveToEx(window.Get(), last_.x, last_.y, nullptr);
        ::LineTo(window.Get(), current_.x, current_.y);
    } else if (tool_ == kNoteToolEraser) {
        RestoreLive(x, y);
    }
    last_ = current_;
    return 0;
}

LRESULT NoteOverlay::OnLButtonUp(WPARAM, LPARAM) {
    ::ReleaseCapture();
    drawing_ = 0;
    current_ = {-1, -1};
    return 0;
}

LRESULT NoteOverlay::OnSetCursor(WPARAM, LPARAM lParam) {
    if (LOWORD(lParam) == HTCLIENT && cursor_) {
        ::SetCursor(cursor_);
        return TRUE;
    }
    return Default();
}

bool NoteOverlay::PreTranslateMessage(MSG& message) {
    // Alt+F4 must not close the drawing: only the toolbar ends it.
    if (message.hwnd == Handle() && message.message == WM_SYSKEYDOWN && (message.lParam & (1 << 29)) &&
        message.wParam == VK_F4) {
        return true;
    }
    return false;
}

}  // namespace tesmora
