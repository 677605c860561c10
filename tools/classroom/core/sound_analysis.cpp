// The dominant frequency of a sound. Any thread.
#include "core/sound_analysis.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace tesmora::classroom {

namespace {

// Power of the windowed samples at one frequency (Goertzel).
double PowerAt(const std::vector<double>& windowed, double hz, uint32_t sampleRate) {
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * hz / sampleRate);
    double previous = 0, beforePrevious = 0;
    for (const double x : windowed) {
        const double current = x + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    return previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
}

}  // namespace

std::optional<double> DominantFrequency(std::span<const int16_t> samples, uint32_t sampleRate) {
    constexpr size_t kMinimum = 64;
    constexpr double kLowest = 20;
    if (samples.size() < kMinimum || sampleRate < 2 * kLowest + 2) return std::nullopt;
    std::vector<double> windowed(samples.size());
    bool anySound = false;
    for (size_t i = 0; i < samples.size(); ++i) {
        const double hann = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / (samples.size() - 1));
        windowed[i] = samples[i] * hann;
        anySound = anySound || samples[i] != 0;
    }
    if (!anySound) return std::nullopt;
    // A coarse pass finer than half the window's main lobe, then a fine one around its best.
    const double highest = sampleRate / 2.0 - 1;
    const double lobe = 2.0 * sampleRate / samples.size();
    const double coarse = lobe / 2;
    double best = kLowest, bestPower = -1;
    for (double hz = kLowest; hz <= highest; hz += coarse) {
        const double power = PowerAt(windowed, hz, sampleRate);
        if (power > bestPower) bestPower = power, best = hz;
    }
    const double around = best;
    for (double hz = around - coarse; hz <= around + coarse; hz += coarse / 50) {
        if (hz < kLowest || hz > highest) continue;
        const double power = PowerAt(windowed, hz, sampleRate);
        if (power > bestPower) bestPower = power, best = hz;
    }
    return best;
}

}  // namespace tesmora::classroom
