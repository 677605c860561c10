// The monotonic clock over std::chrono::steady_clock (on Windows, the performance counter).
#include "common/platform/clock.h"

#include <chrono>

namespace tesmora {

namespace {

template <typename Unit>
auto SinceClockStart() {
    return std::chrono::duration_cast<Unit>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

uint64_t MonotonicMilliseconds() {
    return static_cast<uint64_t>(SinceClockStart<std::chrono::milliseconds>());
}

int64_t MonotonicMicroseconds() {
    return static_cast<int64_t>(SinceClockStart<std::chrono::microseconds>());
}

}  // namespace tesmora
