// The image-frame body that screen pictures travel in, both ways: a screen is cut into a grid of
// equal parts; a frame carries the changed parts side by side in one JPEG strip.
//   u32 total (4N + S + 12), u32 N, N x u32 part number, u32 S, S bytes of JPEG.
// Any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tesmora {

// Halves the dimension while it is at least 200 and even: 1920 -> 120, 1080 -> 135, 199 -> 199.
uint32_t PartSize(uint32_t dimension);

struct PartGrid {
    uint32_t partWidth = 0;
    uint32_t partHeight = 0;
    uint32_t columns = 0;
    uint32_t rows = 0;

    static PartGrid ForScreen(uint32_t screenWidth, uint32_t screenHeight);
    uint32_t PartCount() const { return columns * rows; }
    bool IsEmpty() const { return partWidth == 0 || partHeight == 0 || PartCount() == 0; }
    // Top-left pixel of part k (row by row from the top left).
    uint32_t PartX(uint32_t k) const { return partWidth * (k % columns); }
    uint32_t PartY(uint32_t k) const { return partHeight * (k / columns); }
};

uint32_t ImageFrameBodyLength(uint32_t partCount, uint32_t jpegLength);

// Appends a body to `out` (which is cleared first; its capacity is reused).
void WriteImageFrameBody(const std::vector<uint32_t>& parts, const uint8_t* jpeg, uint32_t jpegLength,
                         std::vector<uint8_t>& out);

struct ImageFrameBody {
    std::vector<uint32_t> parts;
    const uint8_t* jpeg = nullptr;  // points into the block that was read
    uint32_t jpegLength = 0;
};

// False when N or S would run past the block; nothing is read past `length`.
bool ReadImageFrameBody(const uint8_t* data, size_t length, ImageFrameBody& out);

// A 32-bit pixel image as rows: `topRow` is the first row shown on screen; `strideBytes` is negative
// for bottom-up bitmaps.
struct PixelView {
    uint8_t* topRow = nullptr;
    std::ptrdiff_t strideBytes = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t* Row(uint32_t y) const {
        return reinterpret_cast<uint32_t*>(topRow + strideBytes * std::ptrdiff_t(y));
    }
};

// Copies strip columns i x part width (one part wide and high) to the place of the i-th part number.
// Nothing is placed (false) when the grid is empty, the strip is smaller than the parts it should
// hold, the screen is smaller than the grid, or a part number lies outside the grid.
bool PlaceStrip(const PixelView& strip, const std::vector<uint32_t>& parts, const PartGrid& grid,
                const PixelView& screen);

}  // namespace tesmora
