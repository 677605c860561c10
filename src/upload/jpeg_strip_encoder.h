// StripEncoder on libjpeg-turbo: baseline JPEG with 4:2:0 chroma and the fast integer DCT, fed the
// strip a band of a few rows at a time as the pipeline assembles it from the screen, so the whole
// strip is never written out. The output buffer grows to the largest frame
// and is kept. Capture thread only (one object per thread).
#pragma once

#include <memory>
#include <span>

#include "upload/capture_cycle.h"

namespace tesmora {

class JpegStripEncoder : public StripEncoder {
public:
    JpegStripEncoder();
    ~JpegStripEncoder() override;
    JpegStripEncoder(const JpegStripEncoder&) = delete;
    JpegStripEncoder& operator=(const JpegStripEncoder&) = delete;

    // False when the codec could not be set up (out of memory).
    bool IsReady() const { return codec_ != nullptr; }
    std::span<const uint8_t> Encode(StripRows& strip, int quality) override;

    struct Codec;  // libjpeg's state, kept out of this header

private:
    std::unique_ptr<Codec> codec_;
};

}  // namespace tesmora
