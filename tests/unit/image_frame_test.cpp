// Unit tests of the part grid, the image-frame body and strip placement.
#include "transport/image_frame.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tesmora;

namespace {

using Bytes = std::vector<uint8_t>;

// A 32-bit image; bottom-up like a DIB when asked.
struct Image {
    uint32_t width, height;
    std::vector<uint32_t> pixels;
    bool bottomUp;
    Image(uint32_t w, uint32_t h, bool up = false)
        : width(w), height(h), pixels(size_t(w) * h), bottomUp(up) {}
    PixelView View() {
        const std::ptrdiff_t stride = std::ptrdiff_t(width) * 4;
        uint8_t* base = reinterpret_cast<uint8_t*>(pixels.data());
        if (bottomUp) return {base + stride * (height - 1), -stride, width, height};
        return {base, stride, width, height};
    }
};

}  // namespace

TEST(PartGrid, PartSizes) {
    const std::pair<uint32_t, uint32_t> cases[] = {{1920, 120}, {1080, 135}, {1366, 683}, {768, 192},
                                                   {1600, 100}, {199, 199},  {2560, 160}, {1440, 180},
                                                   {2048, 128}, {0, 0}};
    for (const auto& [dimension, part] : cases) EXPECT_EQ(PartSize(dimension), part) << dimension;
}

TEST(PartGrid, GridsAndPlaces) {
    const PartGrid full = PartGrid::ForScreen(1920, 1080);
    EXPECT_EQ(full.columns, 16u);
    EXPECT_EQ(full.rows, 8u);
    EXPECT_EQ(full.PartCount(), 128u);
    EXPECT_EQ(full.PartX(17), 120u);
    EXPECT_EQ(full.PartY(17), 135u);
    const PartGrid narrow = PartGrid::ForScreen(1366, 768);
    EXPECT_EQ(narrow.columns, 2u);
    EXPECT_EQ(narrow.rows, 4u);
    EXPECT_TRUE(PartGrid::ForScreen(0, 1080).IsEmpty());  // no screen size known yet
}

TEST(ImageFrameBody, LengthsAndRoundTrip) {
    const Bytes jpeg(1000, 0xD8);
    Bytes body = {0xCC};  // cleared first
    WriteImageFrameBody({0, 17}, jpeg.data(), uint32_t(jpeg.size()), body);
    EXPECT_EQ(ImageFrameBodyLength(2, 1000), 1020u);
    ASSERT_EQ(body.size(), 1020u);
    EXPECT_EQ(Bytes(body.begin(), body.begin() + 20),
              (Bytes{0xFC, 3, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 17, 0, 0, 0, 0xE8, 3, 0, 0}));
    ImageFrameBody read;
    ASSERT_TRUE(ReadImageFrameBody(body.data(), body.size(), read));
    EXPECT_EQ(read.parts, (std::vector<uint32_t>{0, 17}));
    EXPECT_EQ(read.jpeg, body.data() + 20);
    EXPECT_EQ(read.jpegLength, 1000u);

    WriteImageFrameBody({}, jpeg.data(), 5, body);
    EXPECT_EQ(body.size(), 17u);
    EXPECT_EQ(body[0], 17);
}

TEST(ImageFrameBody, CountsPastTheBlockAreRefused) {
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"N past the block", {0, 0, 0, 0, 0, 0, 0, 0x40, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"N one part short", {0, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"S past the block", {0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 1, 2}},
        {"S of 0xFFFFFFFF", {0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1}},
        {"no S", {0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        ImageFrameBody read;
        read.parts = {5};
        EXPECT_FALSE(ReadImageFrameBody(c.bytes.data(), c.bytes.size(), read)) << c.what;
        EXPECT_TRUE(read.parts.empty()) << c.what;
        EXPECT_EQ(read.jpeg, nullptr) << c.what;
    }
}

TEST(PlaceStrip, CopiesEachPartToItsGridPlace) {
    const PartGrid grid = PartGrid::ForScreen(400, 300);  // 4 x 2 parts of 100 x 150
    for (bool bottomUp : {false, true}) {
        Image strip(200, 150), screen(400, 300, bottomUp);
        for (uint32_t y = 0; y < 150; ++y)
            for (uint32_t x = 0; x < 200; ++x)
                strip.View().Row(y)[x] = (x / 100 + 1) << 24 | y << 12 | x % 100;
        ASSERT_TRUE(PlaceStrip(strip.View(), {5, 2}, grid, screen.View()));
        const PixelView s = screen.View();
        EXPECT_EQ(s.Row(150)[100], 1u << 24);                    // part 5 at (100, 150)
        EXPECT_EQ(s.Row(299)[199], 1u << 24 | 149u << 12 | 99);  // its far corner
        EXPECT_EQ(s.Row(0)[200], 2u << 24);                      // part 2 at (200, 0)
        EXPECT_EQ(s.Row(149)[299], 2u << 24 | 149u << 12 | 99);
        EXPECT_EQ(s.Row(150)[99], 0u);  // neighbours untouched
        EXPECT_EQ(s.Row(0)[300], 0u);
    }
}

TEST(PlaceStrip, RefusesWithoutPlacingAnything) {
    const PartGrid grid = PartGrid::ForScreen(400, 300);
    const struct {
        const char* what;
        PartGrid grid;
        uint32_t stripWidth, stripHeight, screenWidth, screenHeight;
        std::vector<uint32_t> parts;
    } cases[] = {
        {"empty grid", PartGrid::ForScreen(0, 0), 200, 150, 400, 300, {0, 1}},
        {"strip too narrow", grid, 199, 150, 400, 300, {0, 1}},
        {"strip too short", grid, 200, 149, 400, 300, {0, 1}},
        {"screen narrower than grid", grid, 200, 150, 399, 300, {0, 1}},
        {"screen shorter than grid", grid, 200, 150, 400, 299, {0, 1}},
        {"part outside the grid", grid, 200, 150, 400, 300, {0, 8}},
    };
    for (const auto& c : cases) {
        Image strip(c.stripWidth, c.stripHeight), screen(c.screenWidth, c.screenHeight);
        std::fill(strip.pixels.begin(), strip.pixels.end(), 0xFFFFFFFF);
        EXPECT_FALSE(PlaceStrip(strip.View(), c.parts, c.grid, screen.View())) << c.what;
        EXPECT_EQ(std::count(screen.pixels.begin(), screen.pixels.end(), 0u),
                  std::ptrdiff_t(screen.pixels.size()))
            << c.what;
    }
}
