// StripEncoder on GDI+: the strip is wrapped (not copied) in a GDI+ bitmap and saved as JPEG at the
// given quality into one in-memory stream that is reused for every frame. Capture thread only;
// GDI+ must be started on the thread that uses it.
#pragma once

#include <objidl.h>
#include <windows.h>

#include "upload/capture_cycle.h"

class GdiplusJpegEncoder : public StripEncoder {
public:
    GdiplusJpegEncoder();
    ~GdiplusJpegEncoder() override;
    GdiplusJpegEncoder(const GdiplusJpegEncoder&) = delete;
    GdiplusJpegEncoder& operator=(const GdiplusJpegEncoder&) = delete;

    // False when there is no JPEG encoder or the stream could not be made.
    bool IsReady() const { return ready_; }
    bool Encode(const PixelView& strip, int quality, std::vector<uint8_t>& jpeg) override;

private:
    CLSID encoder_{};
    IStream* stream_ = nullptr;
    bool ready_ = false;
};
