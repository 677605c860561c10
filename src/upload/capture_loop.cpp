// The capture thread's pace (see capture_loop.h).
#include "upload/capture_loop.h"

#include <thread>

#include "common/platform/clock.h"

namespace tesmora {

void RunCaptureCycles(CaptureCycle& cycle, std::stop_token stop, std::atomic<int32_t>& frameCounter,
                      const std::atomic<int32_t>& lastAcknowledged, int quality) {
    while (!stop.stop_requested()) {
        const uint64_t begun = MonotonicMilliseconds();
        cycle.Run(frameCounter, lastAcknowledged.load(), quality);
        const std::chrono::milliseconds spent(MonotonicMilliseconds() - begun);
        if (spent < kCaptureCycle) std::this_thread::sleep_for(kCaptureCycle - spent);
    }
}

}  // namespace tesmora
