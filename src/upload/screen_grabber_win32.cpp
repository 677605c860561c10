// ScreenGrabber on GDI.
#include "screen_grabber_win32.h"

namespace tesmora {

GdiScreenGrabber::GdiScreenGrabber(const UploadSettings& settings) : settings_(settings) {
    screenDc_ = GetDC(nullptr);
    ready_ = bitmap_.Create(settings.width, settings.height, 32);
}

GdiScreenGrabber::~GdiScreenGrabber() {
    bitmap_.Release();
    if (screenDc_) ReleaseDC(nullptr, screenDc_);
}

bool GdiScreenGrabber::Grab() {
    if (!IsReady()) return false;
    // CAPTUREBLT takes layered windows (the panel itself, overlays) into the picture.
    return BitBlt(bitmap_.Dc(), 0, 0, settings_.right - settings_.left + 1,
                  settings_.bottom - settings_.top + 1, screenDc_, settings_.left, settings_.top,
                  SRCCOPY | CAPTUREBLT) != FALSE;
}

PixelView GdiScreenGrabber::Screen() {
    // The bitmap's rows run bottom-up: the screen's top row is the last one in memory.
    const std::ptrdiff_t stride = std::ptrdiff_t(bitmap_.RowStride());
    return PixelView{bitmap_.Bits() + stride * (bitmap_.Height() - 1), -stride, uint32_t(bitmap_.Width()),
                     uint32_t(bitmap_.Height())};
}

}  // namespace tesmora
