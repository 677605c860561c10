// The one monotonic clock of both programs, for durations, pacing and time-outs. It never jumps
// with the wall clock, and its start is arbitrary: compare two readings, never show one.
#pragma once

#include <cstdint>

namespace tesmora {

uint64_t MonotonicMilliseconds();
int64_t MonotonicMicroseconds();

}  // namespace tesmora
