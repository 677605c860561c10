// Smooth scaling of the teacher's picture onto the pad: every pad pixel is the average of the
// teacher pixels its area covers, weighted by how much of each it covers (a box filter). On a 1280 x
// 800 pad a 1920 x 1080 monitor keeps every line and small text stays legible, where picking the
// nearest pixel drops one line in three. Only the rectangles that changed are scaled again, into a
// picture of the pad's size that the view keeps. Same result on every platform: the platform's own
// smooth stretch (HALFTONE) is not relied on, as nothing promises Wine draws it as Windows does.
// Fixed point, 8 bits per weight, two separable passes; a flat colour stays exactly that colour.
// View thread only (one object per view).
#pragma once

#include <cstdint>
#include <vector>

#include "transport/image_frame.h"

namespace tesmora {

struct PixelRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool Empty() const { return right <= left || bottom <= top; }
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};

PixelRect Intersect(const PixelRect& a, const PixelRect& b);

class AreaScaler {
public:
    // A source of sourceWidth x sourceHeight shown over the whole destination. Sizes of 0 make
    // every destination rectangle empty.
    void SetSizes(uint32_t sourceWidth, uint32_t sourceHeight, uint32_t destinationWidth,
                  uint32_t destinationHeight);
    // The destination pixels whose area overlaps `source` (source pixels), within the destination.
    PixelRect DestinationOf(const PixelRect& source) const;
    // Computes the destination pixels in `area` (clipped to the destination) from `source`, whose
    // size must be the one set (nothing is done otherwise).
    void Scale(const PixelView& source, const PixelView& destination, const PixelRect& area);

private:
    // For each destination pixel along one axis: its first source pixel and the weights (out of 256)
    // of the source pixels it covers.
    struct Axis {
        uint32_t sourceLength = 0;
        uint32_t destinationLength = 0;
        std::vector<uint32_t> first;
        std::vector<uint32_t> weightsAt;  // destinationLength + 1 offsets into weights
        std::vector<uint16_t> weights;
        void Build(uint32_t source, uint32_t destination);
        uint32_t Taps(uint32_t d) const { return weightsAt[d + 1] - weightsAt[d]; }
        bool Identity() const { return sourceLength == destinationLength; }
    };

    Axis x_, y_;
    std::vector<uint32_t> rows_;  // source rows scaled horizontally, the area's width each
};

}  // namespace tesmora
