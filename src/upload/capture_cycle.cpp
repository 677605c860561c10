// One cycle of the capture loop.
#include "capture_cycle.h"

namespace tesmora {

CycleOutcome CaptureCycle::Run(std::atomic<int32_t>& frameCounter, int32_t lastAcknowledged, int quality) {
    if (!MayMakeFrame(frameCounter.load(), lastAcknowledged)) return CycleOutcome::kWaitingForAcknowledgement;
    if (!grabber_.Grab()) return CycleOutcome::kGrabFailed;
    PixelView screen = grabber_.Screen();
    if (pipeline_.FindChangedParts(screen).empty()) return CycleOutcome::kUnchanged;
    std::span<const uint8_t> jpeg = encoder_.Encode(pipeline_.Strip(screen), quality);
    if (jpeg.empty() || jpeg.size() > UINT32_MAX) return CycleOutcome::kEncodeFailed;
    pipeline_.CommitSent(screen);
    const std::vector<uint8_t>& body = pipeline_.WriteBody(jpeg.data(), uint32_t(jpeg.size()));
    int32_t number = frameCounter.fetch_add(1);
    deliver_(number, body);
    return CycleOutcome::kFrameSent;
}

}  // namespace tesmora
