// The panel's look and its logo mode: the three strips painted under the magenta colour key, the
// collapsed logo pushed to the screen with per-pixel alpha, dragging by the title strip, and the tap
// that restores the panel from the logo (see control_panel_win32.h). UI thread only.
#include <windows.h>
// GDI+ needs the COM declarations first.
#include <objidl.h>
// clang-format off
#include <gdiplus.h>
// clang-format on

#include <cstring>
#include <memory>

#include "common/platform/clock.h"
#include "common/ui/dib_surface_win32.h"
#include "common/ui/drawing_win32.h"
#include "common/ui/resource_module_win32.h"
#include "common/ui/scale.h"
#include "panel/panel_geometry.h"
#include "panel/panel_layout.h"
#include "panel/control_panel_win32.h"
#include "resource.h"

namespace tesmora {

namespace {

constexpr wchar_t kLogoResourceType[] = L"BIN_PNG";

// A stream over a copy of the bytes, released with the object.
struct StreamRelease {
    void operator()(IStream* stream) const { stream->Release(); }
};
using UniqueStream = std::unique_ptr<IStream, StreamRelease>;

UniqueStream StreamOverCopy(const void* data, DWORD size) {
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return nullptr;
    void* target = ::GlobalLock(memory);
    if (!target) {
        ::GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(target, data, size);
    ::GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        ::GlobalFree(memory);
        return nullptr;
    }
    return UniqueStream(stream);
}

void CopyStretched(HDC target, HDC canvas, HBITMAP strip, int x, int y, int width, int height) {
    if (!strip) return;
    SIZE size = BitmapSize(strip);
    SelectedObject selected(canvas, strip);
    // Nearest-pixel stretching: blending would mix the magenta key into the edge pixels.
    ::SetStretchBltMode(target, COLORONCOLOR);
    ::StretchBlt(target, x, y, width, height, canvas, 0, 0, size.cx, size.cy, SRCCOPY);
}

// The tap rule takes 32-bit differences, which stay right across this truncation's wrap.
uint32_t TapClock() {
    return static_cast<uint32_t>(MonotonicMilliseconds());
}

}  // namespace

LRESULT ControlPanel::OnEraseBackground(WPARAM, LPARAM) {
    return 1;
}

LRESULT ControlPanel::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(Handle(), &paint);
    if (::IsIconic(Handle())) {
        RECT client{};
        ::GetClientRect(Handle(), &client);
        int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
        int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
        ::DrawIcon(dc, x, y, icon_);
    } else if (!logoMode_) {
        PaintPanel(dc);
    }
    ::EndPaint(Handle(), &paint);
    if (logoMode_ && !::IsIconic(Handle())) PaintLogo();
    return 0;
}

void ControlPanel::PaintPanel(HDC dc) {
    if (!canvas_) {
        WindowDc screen(nullptr);
        canvas_.Reset(::CreateCompatibleDC(screen.Get()));
    }
    RECT client{};
    ::GetClientRect(Handle(), &client);
    // Drawn off screen first, so the strips never flicker over each other.
    UniqueMemoryDc back(::CreateCompatibleDC(dc));
    UniqueBitmap backBitmap(::CreateCompatibleBitmap(dc, client.right, client.bottom));
    {
        SelectedObject selected(back.Get(), backBitmap.Get());
        CopyStretched(back.Get(), canvas_.Get(), bodyStrip_.Get(), 0, 0, client.right, client.bottom);
        CopyStretched(back.Get(), canvas_.Get(), topStrip_.Get(), 0, 0, Scaled(kPanelWidth),
                      Scaled(kPanelTopStripHeight));
        CopyStretched(back.Get(), canvas_.Get(), bottomStrip_.Get(), 0,
                      Scaled(PanelShapeFor(layout_).bottomStripTop), Scaled(kPanelWidth),
                      Scaled(kPanelBottomStripHeight));
        ::BitBlt(dc, 0, 0, client.right, client.bottom, back.Get(), 0, 0, SRCCOPY);
    }
}

void ControlPanel::PaintLogo() {
    ::SetWindowLongPtrW(Handle(), GWL_EXSTYLE, ::GetWindowLongPtrW(Handle(), GWL_EXSTYLE) | WS_EX_LAYERED);
    const void* data = nullptr;
    DWORD size = 0;
    if (!FindResourceBytes(kLogoResourceType, IDR_LOGO_PNG, data, size)) return;
    UniqueStream stream = StreamOverCopy(data, size);
    if (!stream) return;
    Gdiplus::Bitmap logo(stream.get());
    if (logo.GetLastStatus() != Gdiplus::Ok || logo.GetWidth() == 0 || logo.GetHeight() == 0) return;
    int width = Scaled(static_cast<int>(logo.GetWidth()));
    int height = Scaled(static_cast<int>(logo.GetHeight()));
    if (width <= 0 || height <= 0) return;

    // A 32-bit surface with premultiplied alpha, as a per-pixel-alpha window wants it. Its rows run
    // bottom-up, so GDI+ draws into it from the last row with a negative stride.
    DibSurface surface;
    if (!surface.Create(width, height, 32)) return;
    {
        const int stride = static_cast<int>(surface.RowStride());
        BYTE* topRow = surface.Bits() + static_cast<size_t>(height - 1) * static_cast<size_t>(stride);
        Gdiplus::Bitmap target(width, height, -stride, PixelFormat32bppPARGB, topRow);
        Gdiplus::Graphics graphics(&target);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        graphics.DrawImage(&logo, 0, 0, width, height);
    }
    WindowDc screen(nullptr);
    RECT window{};
    ::GetWindowRect(Handle(), &window);
    POINT destination{window.left, window.top};
    SIZE extent{width, height};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(Handle(), screen.Get(), &destination, &extent, surface.Dc(), &source, 0, &blend,
                          ULW_ALPHA);
}

LRESULT ControlPanel::OnNcHitTest(WPARAM, LPARAM lParam) {
    LRESULT hit = Default();
    POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ::ScreenToClient(Handle(), &point);
    RECT strip{};
    ::GetClientRect(Handle(), &strip);
    strip.bottom = DragStripBottom(logoMode_, ScaleFactor());
    return ::PtInRect(&strip, point) ? HTCAPTION : hit;
}

LRESULT ControlPanel::OnNcLButtonDown(WPARAM, LPARAM) {
    if (!logoMode_) return Default();
    logoTap_.Press(TapClock());
    // A press on the caption runs the system's move loop, which returns when the button is
    // released and swallows the release: the press ends here then.
    LRESULT result = Default();
    if (logoTap_.Pressed() && !(::GetAsyncKeyState(VK_LBUTTON) & 0x8000)) {
        OnLogoTapEnd(logoTap_.Release(TapClock()));
    }
    return result;
}

LRESULT ControlPanel::OnNcLButtonUp(WPARAM, LPARAM) {
    if (logoMode_) OnLogoTapEnd(logoTap_.Release(TapClock()));
    return Default();
}

LRESULT ControlPanel::OnNcMouseMove(WPARAM, LPARAM) {
    if (logoMode_) {
        bool held = (::GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0;
        OnLogoTapEnd(logoTap_.Move(TapClock(), held));
    }
    return Default();
}

void ControlPanel::OnLogoTapEnd(LogoTap::End end) {
    if (end == LogoTap::End::kTap && logoMode_) Restore();
}

void ControlPanel::OnLogoButton() {
    if (::SendMessageW(Item(IDC_BTN_LOGO), BM_GETCHECK, 0, 0) == BST_CHECKED) {
        Restore();
    } else {
        Collapse();
    }
}

void ControlPanel::Collapse() {
    RECT window{};
    ::GetWindowRect(Handle(), &window);
    savedWidth_ = window.right - window.left;
    savedHeight_ = window.bottom - window.top;
    ::SendMessageW(Item(IDC_BTN_LOGO), BM_SETCHECK, BST_CHECKED, 0);
    for (int id : FeatureButtonIds()) ::ShowWindow(Item(id), SW_HIDE);
    for (int id : {IDC_BTN_LOGO, IDC_BTN_CLOSE}) ::ShowWindow(Item(id), SW_HIDE);
    int side = Scaled(kLogoSide);
    ::SetWindowPos(Handle(), nullptr, 0, 0, side, side, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // Layered anew, without the colour key: the logo brings its own alpha.
    LONG_PTR exStyle = ::GetWindowLongPtrW(Handle(), GWL_EXSTYLE);
    ::SetWindowLongPtrW(Handle(), GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
    ::SetWindowLongPtrW(Handle(), GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    logoMode_ = true;
    Invalidate(false);
    PaintLogo();
}

void ControlPanel::Restore() {
    ::SendMessageW(Item(IDC_BTN_LOGO), BM_SETCHECK, BST_UNCHECKED, 0);
    // The buttons of the mode the panel is in (remote control may have started or ended meanwhile).
    ApplyPanelMode();
    ::ShowWindow(Item(IDC_BTN_LOGO), SW_HIDE);
    ::ShowWindow(Item(IDC_BTN_CLOSE), SW_SHOW);
    RECT window{};
    ::GetWindowRect(Handle(), &window);
    PanelCorner corner =
        RestoredPanelCorner({window.left, window.top, window.right, window.bottom}, savedWidth_, savedHeight_,
                            ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    ::SetWindowPos(Handle(), nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(Handle(), nullptr, 0, 0, savedWidth_, savedHeight_,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    LONG_PTR exStyle = ::GetWindowLongPtrW(Handle(), GWL_EXSTYLE);
    ::SetWindowLongPtrW(Handle(), GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
    ::SetWindowLongPtrW(Handle(), GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    SetColourKey();
    logoMode_ = false;
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
}

}  // namespace tesmora
