// The remote view's smooth scaler: flat colours stay exact, every teacher line leaves a trace on a
// smaller pad, and scaling only the changed rectangles gives the same picture as scaling all of it.
#include "remote_control/area_scaler.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tesmora;

namespace {

struct Picture {
    uint32_t width, height;
    std::vector<uint32_t> pixels;
    Picture(uint32_t w, uint32_t h, uint32_t fill = 0) : width(w), height(h), pixels(size_t(w) * h, fill) {}
    PixelView View() {
        return {reinterpret_cast<uint8_t*>(pixels.data()), std::ptrdiff_t(width) * 4, width, height};
    }
    uint32_t& At(uint32_t x, uint32_t y) { return pixels[size_t(y) * width + x]; }
};

// A desktop-like picture: blocks, thin lines and a gradient.
Picture Desktop(uint32_t w, uint32_t h) {
    Picture p(w, h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            p.At(x, y) = (y % 7 == 0 || x % 11 == 0)
                             ? 0xFF101010u
                             : 0xFF000000u | ((x * 255 / w) << 16) | ((y * 255 / h) << 8) |
                                   ((x / 40 + y / 30) % 2 ? 0xC0 : 0x30);
    return p;
}

}  // namespace

TEST(AreaScaler, FlatColoursStayExactAtEverySize) {
    const struct {
        uint32_t sw, sh, dw, dh;
    } sizes[] = {{1920, 1080, 1280, 800},
                 {1366, 768, 1920, 1080},
                 {1920, 1080, 1920, 1080},
                 {11520, 2160, 1280, 800},
                 {7, 3, 5, 2}};
    for (const auto& size : sizes) {
        Picture source(size.sw, size.sh, 0xFF3C78C8u), destination(size.dw, size.dh);
        AreaScaler scaler;
        scaler.SetSizes(size.sw, size.sh, size.dw, size.dh);
        scaler.Scale(source.View(), destination.View(), {0, 0, int32_t(size.dw), int32_t(size.dh)});
        for (uint32_t pixel : destination.pixels) ASSERT_EQ(pixel, 0xFF3C78C8u) << size.sw << "x" << size.sh;
    }
}

TEST(AreaScaler, AveragesWhatEachPixelCoversAndLosesNoLine) {
    // Two to one: each pad pixel is the mean of two teacher pixels.
    Picture pair(4, 1), half(2, 1);
    pair.pixels = {0x00000000, 0x00C8C8C8, 0x00646464, 0x00646464};
    AreaScaler scaler;
    scaler.SetSizes(4, 1, 2, 1);
    scaler.Scale(pair.View(), half.View(), {0, 0, 2, 1});
    EXPECT_EQ(half.pixels, (std::vector<uint32_t>{0x00646464, 0x00646464}));

    // One white line in 1080 black ones on an 800-line pad: whichever line it is, it shows (at least
    // half of its share of a pad line, 1 / 1.35), where picking the nearest line drops one in four.
    AreaScaler tall;
    tall.SetSizes(1, 1080, 1, 800);
    for (uint32_t line = 0; line < 1080; ++line) {
        Picture source(1, 1080), destination(1, 800);
        source.At(0, line) = 0x00FFFFFF;
        tall.Scale(source.View(), destination.View(), {0, 0, 1, 800});
        uint32_t brightest = 0;
        for (uint32_t pixel : destination.pixels) brightest = std::max(brightest, pixel & 0xFF);
        ASSERT_GE(brightest, uint32_t(0xFF / 1.35 / 2)) << "line " << line;
    }
}

TEST(AreaScaler, ScalingTheChangedRectanglesEqualsScalingEverything) {
    const struct {
        uint32_t sw, sh, dw, dh;
    } sizes[] = {{1920, 1080, 1280, 800}, {1366, 768, 1920, 1080}, {1920, 1080, 1920, 1080}};
    for (const auto& size : sizes) {
        Picture before = Desktop(size.sw, size.sh), after = before;
        // Two parts change (120 x 135 at 0 and at part 17 of a 16-column grid), and one lone pixel.
        const std::vector<PixelRect> changed = {
            {0, 0, 120, 135}, {120, 135, 240, 270}, {999, 500, 1000, 501}};
        for (const PixelRect& r : changed)
            for (int32_t y = r.top; y < r.bottom; ++y)
                for (int32_t x = r.left; x < r.right; ++x) after.At(x, y) ^= 0x00FFFFFFu;

        AreaScaler scaler;
        scaler.SetSizes(size.sw, size.sh, size.dw, size.dh);
        const PixelRect all{0, 0, int32_t(size.dw), int32_t(size.dh)};
        Picture incremental(size.dw, size.dh), full(size.dw, size.dh);
        scaler.Scale(before.View(), incremental.View(), all);
        for (const PixelRect& r : changed)
            scaler.Scale(after.View(), incremental.View(), scaler.DestinationOf(r));
        scaler.Scale(after.View(), full.View(), all);
        ASSERT_EQ(incremental.pixels, full.pixels) << size.sw << "x" << size.sh << " -> " << size.dw;
    }
    AreaScaler scaler;
    scaler.SetSizes(1920, 1080, 1280, 800);
    EXPECT_EQ(scaler.DestinationOf({0, 0, 120, 135}), (PixelRect{0, 0, 80, 100}));
    EXPECT_EQ(scaler.DestinationOf({1900, 1000, 5000, 5000}), (PixelRect{1266, 740, 1280, 800}));
    EXPECT_TRUE(scaler.DestinationOf({1920, 0, 2000, 10}).Empty());
}

TEST(AreaScaler, AWrongSizedSourceIsLeftAlone) {
    Picture source(10, 10, 0xFFFFFFFF), destination(5, 5, 0x11);
    AreaScaler scaler;
    scaler.SetSizes(20, 20, 5, 5);
    scaler.Scale(source.View(), destination.View(), {0, 0, 5, 5});
    for (uint32_t pixel : destination.pixels) EXPECT_EQ(pixel, 0x11u);
}
