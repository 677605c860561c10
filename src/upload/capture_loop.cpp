// The capture thread's pace (see capture_loop.h).
#include "upload/capture_loop.h"

#include <thread>

namespace tesmora {

void RunCaptureCycles(CaptureCycle& cycle, std::stop_token stop, std::atomic<int32_t>& frameCounter,
                      const std::atomic<int32_t>& lastAcknowledged, int quality) {
    using Clock = std::chrono::steady_clock;
    while (!stop.stop_requested()) {
        const Clock::time_point begun = Clock::now();
        cycle.Run(frameCounter, lastAcknowledged.load(), quality);
        const Clock::duration spent = Clock::now() - begun;
        if (spent < kCaptureCycle) std::this_thread::sleep_for(kCaptureCycle - spent);
    }
}

}  // namespace tesmora
