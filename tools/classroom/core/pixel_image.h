// A 32-bit picture in memory (blue, green, red, unused; rows top-down): the teacher's copy of the
// pad's screen, the teacher's own desktop, strips. Owned by one thread at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "transport/image_frame.h"

namespace tesmora::classroom {

// Pictures larger than this are refused: a remote that announces an absurd screen must not make
// the classroom allocate gigabytes. An 8K screen fits.
inline constexpr uint64_t kMaxPicturePixels = 7680ull * 4320ull;

struct PixelImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> pixels;

    // Black, at the new size; false (and empty) when the size is 0 or above kMaxPicturePixels.
    bool Reset(uint32_t newWidth, uint32_t newHeight);
    bool Empty() const { return width == 0 || height == 0; }
    uint32_t Stride() const { return width * 4; }
    uint8_t* Row(uint32_t y) { return pixels.data() + size_t(y) * Stride(); }
    const uint8_t* Row(uint32_t y) const { return pixels.data() + size_t(y) * Stride(); }
    PixelView View() { return {pixels.data(), std::ptrdiff_t(Stride()), width, height}; }
    void Fill(uint32_t x, uint32_t y, uint32_t w, uint32_t h, uint8_t r, uint8_t g, uint8_t b);
    // Copies `source` to (x, y), clipped to both pictures.
    void Blit(const PixelImage& source, uint32_t x, uint32_t y);
};

}  // namespace tesmora::classroom
