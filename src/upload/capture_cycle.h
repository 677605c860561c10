// One cycle of the capture loop, free of the platform: flow control, grab, changed parts, strip,
// encode, body, hand-over. The screen grab and the JPEG encoder are interfaces the capture thread
// implements with the platform's facilities (and the tests and benchmarks with their own).
// Capture thread only.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "upload/upload_pipeline.h"

namespace tesmora {

class ScreenGrabber {
public:
    virtual ~ScreenGrabber() = default;
    // Copies the screen into the grab buffer; false when the screen cannot be read now.
    virtual bool Grab() = 0;
    // The grab buffer, at least the grid's size.
    virtual PixelView Screen() = 0;
};

class StripEncoder {
public:
    virtual ~StripEncoder() = default;
    // Encodes the strip, read band by band, as one baseline JPEG at the quality (0 to 100). The
    // bytes stay valid until the next call; empty when the strip could not be encoded.
    virtual std::span<const uint8_t> Encode(StripRows& strip, int quality) = 0;
};

enum class CycleOutcome {
    kWaitingForAcknowledgement,  // four frames are in flight: nothing grabbed
    kGrabFailed,                 // the next cycle starts at once
    kUnchanged,                  // nothing to send
    kEncodeFailed,               // the parts stay unsent and go with a later frame
    kFrameSent,
};

// Hands a finished frame (its number and image-frame body) to whoever sends it; returns once it is
// written, so the body's buffer may be reused.
using FrameDelivery = std::function<void(int32_t frameNumber, const std::vector<uint8_t>& body)>;

class CaptureCycle {
public:
    CaptureCycle(UploadPipeline& pipeline, ScreenGrabber& grabber, StripEncoder& encoder,
                 FrameDelivery deliver)
        : pipeline_(pipeline), grabber_(grabber), encoder_(encoder), deliver_(std::move(deliver)) {}

    // `frameCounter` is the number of the next frame; it advances with every frame delivered.
    CycleOutcome Run(std::atomic<int32_t>& frameCounter, int32_t lastAcknowledged, int quality);

private:
    UploadPipeline& pipeline_;
    ScreenGrabber& grabber_;
    StripEncoder& encoder_;
    FrameDelivery deliver_;
};

}  // namespace tesmora
