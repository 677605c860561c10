// ScreenGrabber on GDI: the capture rectangle of the screen, layered windows included, copied into a
// 32-bit bitmap of the grid's size. Capture thread only.
#pragma once

#include <windows.h>

#include "common/ui/dib_surface_win32.h"
#include "upload/capture_cycle.h"
#include "upload/upload_state.h"

namespace tesmora {

class GdiScreenGrabber : public ScreenGrabber {
public:
    explicit GdiScreenGrabber(const UploadSettings& settings);
    ~GdiScreenGrabber() override;
    GdiScreenGrabber(const GdiScreenGrabber&) = delete;
    GdiScreenGrabber& operator=(const GdiScreenGrabber&) = delete;

    bool IsReady() const { return screenDc_ != nullptr && ready_; }
    bool Grab() override;
    PixelView Screen() override;

private:
    UploadSettings settings_;
    HDC screenDc_ = nullptr;
    DibSurface bitmap_;
    bool ready_ = false;
};

}  // namespace tesmora
