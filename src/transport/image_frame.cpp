// The image-frame body, the part grid and strip placement. Any thread.
#include "image_frame.h"

#include <cstring>

#include "common/bytes/byte_reader.h"

namespace tesmora {

namespace {

void PushU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(v >> shift));
}

bool RowsHoldWidth(const PixelView& view) {
    const std::ptrdiff_t stride = view.strideBytes < 0 ? -view.strideBytes : view.strideBytes;
    return view.topRow != nullptr && uint64_t(stride) >= uint64_t(view.width) * 4;
}

}  // namespace

uint32_t PartSize(uint32_t dimension) {
    while (dimension >= 200 && dimension % 2 == 0) dimension /= 2;
    return dimension;
}

PartGrid PartGrid::ForScreen(uint32_t screenWidth, uint32_t screenHeight) {
    PartGrid grid;
    grid.partWidth = PartSize(screenWidth);
    grid.partHeight = PartSize(screenHeight);
    // A screen size of 0 (not known yet) leaves an empty grid instead of dividing by zero.
    grid.columns = grid.partWidth != 0 ? screenWidth / grid.partWidth : 0;
    grid.rows = grid.partHeight != 0 ? screenHeight / grid.partHeight : 0;
    return grid;
}

uint32_t ImageFrameBodyLength(uint32_t partCount, uint32_t jpegLength) {
    // The total field is 32 bits; a body that large cannot travel, so the value saturates rather
    // than wrapping into a small, plausible length.
    const uint64_t total = uint64_t(partCount) * 4 + jpegLength + 12;
    return total > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(total);
}

void WriteImageFrameBody(const std::vector<uint32_t>& parts, const uint8_t* jpeg, uint32_t jpegLength,
                         std::vector<uint8_t>& out) {
    out.clear();
    const uint32_t partCount = static_cast<uint32_t>(parts.size());
    out.reserve(size_t(partCount) * 4 + jpegLength + 12);
    PushU32(out, ImageFrameBodyLength(partCount, jpegLength));
    PushU32(out, partCount);
    for (uint32_t part : parts) PushU32(out, part);
    PushU32(out, jpegLength);
    if (jpegLength != 0) out.insert(out.end(), jpeg, jpeg + jpegLength);
}

bool ReadImageFrameBody(const uint8_t* data, size_t length, ImageFrameBody& out) {
    out.parts.clear();
    out.jpeg = nullptr;
    out.jpegLength = 0;

    ByteReader r(data, length);
    r.U32();  // total: the block's own length is what counts
    const uint32_t partCount = r.U32();
    if (partCount > r.Remaining() / 4) return false;
    out.parts.reserve(partCount);
    for (uint32_t i = 0; i < partCount; ++i) out.parts.push_back(r.U32());
    const uint32_t jpegLength = r.U32();
    const uint8_t* jpeg = r.Bytes(jpegLength);
    if (!r.Ok()) {
        out.parts.clear();
        return false;
    }
    out.jpeg = jpeg;
    out.jpegLength = jpegLength;
    return true;
}

bool PlaceStrip(const PixelView& strip, const std::vector<uint32_t>& parts, const PartGrid& grid,
                const PixelView& screen) {
    if (grid.partWidth == 0 || grid.partHeight == 0 || grid.columns == 0 || grid.rows == 0) return false;
    if (!RowsHoldWidth(strip) || !RowsHoldWidth(screen)) return false;
    // Every check is done before the first pixel moves, so a bad frame leaves the screen as it was.
    if (uint64_t(strip.width) < uint64_t(parts.size()) * grid.partWidth || strip.height < grid.partHeight) {
        return false;
    }
    if (uint64_t(screen.width) < uint64_t(grid.columns) * grid.partWidth ||
        uint64_t(screen.height) < uint64_t(grid.rows) * grid.partHeight) {
        return false;
    }
    const uint64_t partCount = uint64_t(grid.columns) * grid.rows;
    for (uint32_t part : parts) {
        if (part >= partCount) return false;
    }

    const size_t rowBytes = size_t(grid.partWidth) * 4;
    for (size_t i = 0; i < parts.size(); ++i) {
        const uint32_t x = grid.PartX(parts[i]);
        const uint32_t y = grid.PartY(parts[i]);
        const size_t stripX = i * grid.partWidth;
        for (uint32_t row = 0; row < grid.partHeight; ++row) {
            std::memcpy(screen.Row(y + row) + x, strip.Row(row) + stripX, rowBytes);
        }
    }
    return true;
}

}  // namespace tesmora
