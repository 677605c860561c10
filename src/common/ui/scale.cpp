// The scale factor and its arithmetic (see scale.h).
#include "common/ui/scale.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace tesmora {

namespace {

std::atomic<float> gScaleFactor{1.0f};

bool IsUsableFactor(float factor) {
    return std::isfinite(factor) && factor >= kMinScaleFactor && factor <= kMaxScaleFactor;
}

}  // namespace

float ScaleFactor() {
    return gScaleFactor.load(std::memory_order_relaxed);
}

bool SetScaleFactor(float factor) {
    if (!IsUsableFactor(factor)) return false;
    gScaleFactor.store(factor, std::memory_order_relaxed);
    return true;
}

int Scaled(int designPixels) {
    return ScaledBy(designPixels, ScaleFactor());
}

int ScaledBy(int designPixels, float factor) {
    // The store through a volatile float rounds the product to single precision even where the
    // compiler keeps intermediates in 80-bit x87 registers (the 32-bit Windows build).
    volatile float product = static_cast<float>(designPixels) * factor;
    double value = std::floor(static_cast<double>(product));
    if (!(value > std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    if (!(value < std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

float ScaleFactorForScreen(int width, int height) {
    if (width > 3000 || height > 3000) return 2.0f;
    if (width > 2000 || height > 2000) return 1.4f;
    return 1.0f;
}

float ParseScaleFactorOverride(const std::u16string& text) {
    // Only the leading number counts ("1.25x" is 1.25); anything outside ASCII ends it.
    std::string narrow;
    for (char16_t c : text) {
        if (c > 0x7F) break;
        narrow.push_back(static_cast<char>(c));
    }
    const char* start = narrow.c_str();
    char* end = nullptr;
    float value = std::strtof(start, &end);
    if (end == start) return 0.0f;
    return IsUsableFactor(value) ? value : 0.0f;
}

}  // namespace tesmora
