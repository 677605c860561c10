// PixelImage. One thread at a time.
#include "core/pixel_image.h"

#include <algorithm>
#include <cstring>

namespace tesmora::classroom {

bool PixelImage::Reset(uint32_t newWidth, uint32_t newHeight) {
    if (newWidth == 0 || newHeight == 0 || uint64_t(newWidth) * newHeight > kMaxPicturePixels) {
        width = height = 0;
        pixels.clear();
        return false;
    }
    width = newWidth;
    height = newHeight;
    pixels.assign(size_t(width) * height * 4, 0);
    return true;
}

void PixelImage::Fill(uint32_t x, uint32_t y, uint32_t w, uint32_t h, uint8_t r, uint8_t g, uint8_t b) {
    if (x >= width || y >= height) return;
    w = std::min(w, width - x);
    h = std::min(h, height - y);
    for (uint32_t row = y; row < y + h; ++row) {
        uint8_t* p = Row(row) + size_t(x) * 4;
        for (uint32_t i = 0; i < w; ++i, p += 4) {
            p[0] = b;
            p[1] = g;
            p[2] = r;
            p[3] = 0;
        }
    }
}

void PixelImage::Blit(const PixelImage& source, uint32_t x, uint32_t y) {
    if (x >= width || y >= height) return;
    const uint32_t w = std::min(source.width, width - x);
    const uint32_t h = std::min(source.height, height - y);
    for (uint32_t row = 0; row < h; ++row) {
        std::memcpy(Row(y + row) + size_t(x) * 4, source.Row(row), size_t(w) * 4);
    }
}

}  // namespace tesmora::classroom
