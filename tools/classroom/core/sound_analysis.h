// What the teacher hears in an uploaded sound: its dominant frequency, so that a tone played on the
// pad can be checked for pitch (a pad that samples at the wrong step makes it higher or lower).
// Pure functions; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace tesmora::classroom {

// The frequency, in Hz, of the strongest tone among `samples` played at `sampleRate`, searched
// between 20 Hz and just below half the rate to a tenth of a hertz or so (Hann window). Nothing for
// fewer than 64 samples or for silence.
std::optional<double> DominantFrequency(std::span<const int16_t> samples, uint32_t sampleRate);

}  // namespace tesmora::classroom
