// The capture thread's pace: capture cycles ten times a second until the thread is asked to stop.
// Capture thread only.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <stop_token>

#include "upload/capture_cycle.h"

namespace tesmora {

inline constexpr std::chrono::milliseconds kCaptureCycle{100};

// Runs `cycle` until `stop` is requested. Each cycle begins a full period after the previous one
// began (at once when that one overran), whatever its outcome: a screen that cannot be grabbed (the
// secure desktop, a locked pad) is tried again a cycle later, never in a busy loop.
void RunCaptureCycles(CaptureCycle& cycle, std::stop_token stop, std::atomic<int32_t>& frameCounter,
                      const std::atomic<int32_t>& lastAcknowledged, int quality);

}  // namespace tesmora
