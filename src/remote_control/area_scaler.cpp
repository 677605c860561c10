// Area-averaging scaler of the remote view. View thread only.
#include "remote_control/area_scaler.h"

#include <algorithm>
#include <cstring>

namespace tesmora {

namespace {

// The weighted sum of 32-bit pixels whose weights add up to 256, two channels at a time in 16-bit
// lanes (255 x 256 and the rounding still fit a lane), rounded back to 8 bits a channel.
struct LaneSum {
    uint32_t even = 0;  // channels 0 and 2
    uint32_t odd = 0;   // channels 1 and 3
    void Add(uint32_t pixel, uint32_t weight) {
        even += (pixel & 0x00FF00FFu) * weight;
        odd += ((pixel >> 8) & 0x00FF00FFu) * weight;
    }
    uint32_t Pixel() const {
        return (((even + 0x00800080u) >> 8) & 0x00FF00FFu) | ((odd + 0x00800080u) & 0xFF00FF00u);
    }
};

}  // namespace

PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
    PixelRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
    return r.Empty() ? PixelRect{} : r;
}

void AreaScaler::Axis::Build(uint32_t source, uint32_t destination) {
    if (source == sourceLength && destination == destinationLength && !weightsAt.empty()) return;
    sourceLength = source;
    destinationLength = destination;
    first.assign(destination, 0);
    weightsAt.assign(size_t(destination) + 1, 0);
    weights.clear();
    if (source == 0 || destination == 0) return;
    // Positions in 1/destination of a source pixel: destination pixel d covers [d x source,
    // (d + 1) x source), source pixel i covers [i x destination, (i + 1) x destination).
    const uint64_t s = source, n = destination;
    for (uint64_t d = 0; d < n; ++d) {
        const uint64_t start = d * s, end = start + s;
        const uint64_t i0 = start / n, i1 = (end - 1) / n;
        first[d] = uint32_t(i0);
        const size_t at = weights.size();
        int total = 0;
        size_t largest = at;
        for (uint64_t i = i0; i <= i1; ++i) {
            const uint64_t overlap = std::min(end, (i + 1) * n) - std::max(start, i * n);
            const int w = int((overlap * 256 + s / 2) / s);
            weights.push_back(uint16_t(w));
            total += w;
            if (w > weights[largest]) largest = weights.size() - 1;
        }
        weights[largest] = uint16_t(int(weights[largest]) + 256 - total);  // exactly 256 in all
        weightsAt[d + 1] = uint32_t(weights.size());
    }
}

void AreaScaler::SetSizes(uint32_t sourceWidth, uint32_t sourceHeight, uint32_t destinationWidth,
                          uint32_t destinationHeight) {
    x_.Build(sourceWidth, destinationWidth);
    y_.Build(sourceHeight, destinationHeight);
}

PixelRect AreaScaler::DestinationOf(const PixelRect& source) const {
    if (x_.sourceLength == 0 || y_.sourceLength == 0 || x_.destinationLength == 0 ||
        y_.destinationLength == 0) {
        return {};
    }
    const PixelRect clipped = Intersect(source, {0, 0, int32_t(x_.sourceLength), int32_t(y_.sourceLength)});
    if (clipped.Empty()) return {};
    // Pixel d overlaps [a, b) when d x s < b x n and (d + 1) x s > a x n.
    auto low = [](int64_t a, uint32_t n, uint32_t s) { return int32_t(a * n / s); };
    auto high = [](int64_t b, uint32_t n, uint32_t s) { return int32_t((b * n + s - 1) / s); };
    return {low(clipped.left, x_.destinationLength, x_.sourceLength),
            low(clipped.top, y_.destinationLength, y_.sourceLength),
            high(clipped.right, x_.destinationLength, x_.sourceLength),
            high(clipped.bottom, y_.destinationLength, y_.sourceLength)};
}

void AreaScaler::Scale(const PixelView& source, const PixelView& destination, const PixelRect& wanted) {
    if (source.width != x_.sourceLength || source.height != y_.sourceLength ||
        destination.width != x_.destinationLength || destination.height != y_.destinationLength) {
        return;
    }
    const PixelRect area = Intersect(wanted, {0, 0, int32_t(destination.width), int32_t(destination.height)});
    if (area.Empty()) return;
    const uint32_t x0 = uint32_t(area.left), x1 = uint32_t(area.right);
    const uint32_t y0 = uint32_t(area.top), y1 = uint32_t(area.bottom);
    const size_t width = x1 - x0;

    if (x_.Identity() && y_.Identity()) {
        for (uint32_t y = y0; y < y1; ++y)
            std::memcpy(destination.Row(y) + x0, source.Row(y) + x0, width * 4);
        return;
    }

    // Pass 1: every source row the area's rows cover, scaled horizontally.
    const uint32_t firstRow = y_.first[y0];
    const uint32_t lastRow = y_.first[y1 - 1] + y_.Taps(y1 - 1) - 1;
    rows_.resize(size_t(lastRow - firstRow + 1) * width);
    for (uint32_t r = firstRow; r <= lastRow; ++r) {
        const uint32_t* from = source.Row(r);
        uint32_t* to = rows_.data() + size_t(r - firstRow) * width;
        if (x_.Identity()) {
            std::memcpy(to, from + x0, width * 4);
            continue;
        }
        for (uint32_t d = x0; d < x1; ++d) {
            const uint32_t* pixel = from + x_.first[d];
            const uint16_t* weight = x_.weights.data() + x_.weightsAt[d];
            LaneSum sum;
            for (uint32_t t = 0, taps = x_.Taps(d); t < taps; ++t) sum.Add(pixel[t], weight[t]);
            *to++ = sum.Pixel();
        }
    }

    // Pass 2: the destination rows, each from the scaled source rows it covers.
    for (uint32_t y = y0; y < y1; ++y) {
        uint32_t* to = destination.Row(y) + x0;
        const uint32_t taps = y_.Taps(y);
        const uint16_t* weight = y_.weights.data() + y_.weightsAt[y];
        const uint32_t* band = rows_.data() + size_t(y_.first[y] - firstRow) * width;
        if (taps == 1) {
            std::memcpy(to, band, width * 4);
            continue;
        }
        for (size_t x = 0; x < width; ++x) {
            LaneSum sum;
            for (uint32_t t = 0; t < taps; ++t) sum.Add(band[t * width + x], weight[t]);
            to[x] = sum.Pixel();
        }
    }
}

}  // namespace tesmora
