// The GIF block walk over good files, the worked examples of frame timing, and cut-short or malformed
// data: frames found, what each frame keeps, and that nothing past the data is ever read.
#include "common/widgets/gif_blocks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace tesmora;

namespace {

using Bytes = std::vector<uint8_t>;

// A GIF assembled block by block; image data is opaque to the walk, so it need not decode.
struct GifBuilder {
    Bytes bytes;

    explicit GifBuilder(uint16_t width = 48, uint16_t height = 48, int globalTableBits = 1,
                        uint8_t background = 1, const char* signature = "GIF89a") {
        bytes.assign(signature, signature + 6);
        U16(width);
        U16(height);
        bytes.push_back(globalTableBits > 0 ? static_cast<uint8_t>(0x80 | (globalTableBits - 1)) : 0);
        bytes.push_back(background);
        bytes.push_back(0);
        for (int i = 0; globalTableBits > 0 && i < (1 << globalTableBits); ++i) {
            bytes.push_back(static_cast<uint8_t>(10 * i));
            bytes.push_back(static_cast<uint8_t>(10 * i + 1));
            bytes.push_back(static_cast<uint8_t>(10 * i + 2));
        }
    }
    void U16(uint16_t v) {
        bytes.push_back(static_cast<uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    void SubBlocks(std::initializer_list<uint8_t> sizes) {
        for (uint8_t size : sizes) {
            bytes.push_back(size);
            for (uint8_t i = 0; i < size; ++i) bytes.push_back(0xA5);
        }
        bytes.push_back(0);
    }
    GifBuilder& Netscape() {
        Bytes head = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
        bytes.insert(bytes.end(), head.begin(), head.end());
        bytes.insert(bytes.end(), {0x03, 0x01, 0x00, 0x00, 0x00});
        return *this;
    }
    GifBuilder& Comment(std::initializer_list<uint8_t> sizes = {5}) {
        bytes.insert(bytes.end(), {0x21, 0xFE});
        SubBlocks(sizes);
        return *this;
    }
    GifBuilder& PlainText() {
        bytes.insert(bytes.end(), {0x21, 0x01, 0x0C});
        bytes.insert(bytes.end(), 12, 0);
        SubBlocks({3});
        return *this;
    }
    GifBuilder& Control(uint16_t delay, int disposal) {
        bytes.insert(bytes.end(), {0x21, 0xF9, 0x04, static_cast<uint8_t>(disposal << 2)});
        U16(delay);
        bytes.insert(bytes.end(), {0x00, 0x00});
        return *this;
    }
    GifBuilder& Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height, int localTableBits = 0,
                      std::initializer_list<uint8_t> data = {4, 2}) {
        bytes.push_back(0x2C);
        U16(left);
        U16(top);
        U16(width);
        U16(height);
        bytes.push_back(localTableBits > 0 ? static_cast<uint8_t>(0x80 | (localTableBits - 1)) : 0);
        if (localTableBits > 0) bytes.insert(bytes.end(), 3u * (1u << localTableBits), 0x33);
        bytes.push_back(2);  // LZW code size
        SubBlocks(data);
        return *this;
    }
    GifBuilder& Trailer() {
        bytes.push_back(0x3B);
        return *this;
    }
};

// Parses a copy that ends exactly where the data ends, so that AddressSanitizer sees any over-read.
bool ParseExact(const Bytes& data, GifFile& file) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[data.size() ? data.size() : 1]);
    if (!data.empty()) std::memcpy(copy.get(), data.data(), data.size());
    return ParseGifBlocks(copy.get(), data.size(), file);
}

}  // namespace

TEST(GifBlocks, LoadingAnimationShapeEightFramesOf200Milliseconds) {
    GifBuilder gif(48, 48, 8, 0);
    gif.Netscape();
    for (int i = 0; i < 8; ++i) gif.Control(20, 2).Image(0, 0, 48, 48);
    gif.Trailer();
    GifFile file;
    ASSERT_TRUE(ParseExact(gif.bytes, file));
    EXPECT_EQ(file.width, 48);
    EXPECT_EQ(file.height, 48);
    EXPECT_EQ(file.globalTableSize, 768u);
    ASSERT_EQ(file.frames.size(), 8u);
    for (const GifFrame& frame : file.frames) {
        EXPECT_EQ(frame.delay, 20u);
        EXPECT_EQ(frame.disposal, 2);
        EXPECT_EQ(GifFrameWaitMilliseconds(frame.delay), 200u);
    }
}

TEST(GifBlocks, FrameKeepsOffsetSizeDelayAndDisposal) {
    GifBuilder gif(100, 80, 2, 3);
    gif.Comment()
        .Control(7, 3)
        .Comment({1, 2})
        .Image(5, 6, 30, 40, 3)
        .PlainText()
        .Image(1, 2, 3, 4)
        .Trailer();
    GifFile file;
    ASSERT_TRUE(ParseExact(gif.bytes, file));
    ASSERT_EQ(file.frames.size(), 2u);
    const GifFrame& first = file.frames[0];
    EXPECT_TRUE(first.hasControl);
    EXPECT_EQ(first.delay, 7u);
    EXPECT_EQ(first.disposal, 3);
    EXPECT_EQ(first.left, 5);
    EXPECT_EQ(first.top, 6);
    EXPECT_EQ(first.width, 30);
    EXPECT_EQ(first.height, 40);
    EXPECT_EQ(first.imageLength, 10u + 24u + 1u + 5u + 3u + 1u);  // local table, code size, data, end
    // A frame without a graphic control extension waits until the animation is stopped.
    EXPECT_FALSE(file.frames[1].hasControl);
    EXPECT_EQ(file.frames[1].delay, kGifNoDelay);
    EXPECT_EQ(GifFrameWaitMilliseconds(file.frames[1].delay), kGifWaitForever);
    // Background: entry 3 of the global table.
    EXPECT_TRUE(file.hasBackgroundColour);
    EXPECT_EQ(file.backgroundRed, 30);
    EXPECT_EQ(file.backgroundGreen, 31);
    EXPECT_EQ(file.backgroundBlue, 32);
}

TEST(GifBlocks, FrameWaitFollowsTheDelayRule) {
    EXPECT_EQ(GifFrameWaitMilliseconds(3), 100u);  // below 5 hundredths: 100 ms
    EXPECT_EQ(GifFrameWaitMilliseconds(0), 100u);
    EXPECT_EQ(GifFrameWaitMilliseconds(4), 100u);
    EXPECT_EQ(GifFrameWaitMilliseconds(5), 50u);
    EXPECT_EQ(GifFrameWaitMilliseconds(20), 200u);
    EXPECT_EQ(GifFrameWaitMilliseconds(65535), 655350u);
    EXPECT_EQ(GifFrameWaitMilliseconds(kGifNoDelay), kGifWaitForever);
}

TEST(GifBlocks, SecondControlExtensionBeforeAnImageGovernsIt) {
    GifBuilder gif;
    gif.Control(9, 1).Control(11, 2).Image(0, 0, 4, 4).Trailer();
    GifFile file;
    ASSERT_TRUE(ParseExact(gif.bytes, file));
    ASSERT_EQ(file.frames.size(), 1u);
    EXPECT_EQ(file.frames[0].delay, 11u);
    EXPECT_EQ(file.frames[0].disposal, 2);
}

TEST(GifBlocks, StandAloneFrameHoldsHeaderControlImageAndTrailer) {
    GifBuilder gif(16, 16, 2, 0);
    gif.Netscape().Control(3, 1).Image(0, 0, 16, 16).Image(2, 2, 8, 8).Trailer();
    GifFile file;
    ASSERT_TRUE(ParseExact(gif.bytes, file));
    ASSERT_EQ(file.frames.size(), 2u);

    Bytes first = BuildFrameGif(gif.bytes.data(), gif.bytes.size(), file, file.frames[0]);
    size_t head = kGifHeaderSize + file.globalTableSize;
    ASSERT_EQ(first.size(), head + kGifControlExtensionSize + file.frames[0].imageLength + 1);
    EXPECT_TRUE(std::equal(first.begin(), first.begin() + head, gif.bytes.begin()));
    EXPECT_EQ(first[head], 0x21);
    EXPECT_EQ(first[head + 1], 0xF9);
    EXPECT_EQ(first[head + kGifControlExtensionSize], 0x2C);
    EXPECT_EQ(first.back(), kGifTrailer);

    Bytes second = BuildFrameGif(gif.bytes.data(), gif.bytes.size(), file, file.frames[1]);
    EXPECT_EQ(second.size(), head + file.frames[1].imageLength + 1);
    EXPECT_EQ(second[head], 0x2C);
    // The stand-alone frame is itself a one-frame GIF.
    GifFile again;
    ASSERT_TRUE(ParseExact(second, again));
    EXPECT_EQ(again.frames.size(), 1u);
}

TEST(GifBlocks, RefusesWhatIsNotAUsableGif) {
    GifFile file;
    EXPECT_FALSE(ParseExact({}, file));
    EXPECT_FALSE(ParseExact(Bytes{'G', 'I', 'F', '8', '9'}, file));
    EXPECT_FALSE(ParseExact(GifBuilder(4, 4, 1, 0, "GIF88a").Image(0, 0, 4, 4).Trailer().bytes, file));
    EXPECT_FALSE(ParseExact(GifBuilder(4, 4, 1, 0, "PNG89a").Image(0, 0, 4, 4).Trailer().bytes, file));
    // Zero frames: a failed load.
    EXPECT_FALSE(ParseExact(GifBuilder().Netscape().Comment().Trailer().bytes, file));
    EXPECT_TRUE(file.frames.empty());
    // An unknown block ends the walk; frames before it still count.
    GifBuilder unknown;
    unknown.Image(0, 0, 4, 4);
    unknown.bytes.push_back(0x99);
    unknown.Image(0, 0, 4, 4).Trailer();
    ASSERT_TRUE(ParseExact(unknown.bytes, file));
    EXPECT_EQ(file.frames.size(), 1u);
    // A global colour table longer than the data.
    Bytes cut = GifBuilder(4, 4, 8, 0).bytes;
    cut.resize(kGifHeaderSize + 100);
    EXPECT_FALSE(ParseExact(cut, file));
}

TEST(GifBlocks, BackgroundIndexBeyondTheTableGivesNoBackgroundColour) {
    GifBuilder gif(4, 4, 1, 200);  // two entries, index 200
    gif.Image(0, 0, 4, 4).Trailer();
    GifFile file;
    ASSERT_TRUE(ParseExact(gif.bytes, file));
    EXPECT_FALSE(file.hasBackgroundColour);
}

TEST(GifBlocks, EveryCutOfAGoodFileParsesWithinTheData) {
    GifBuilder gif(32, 32, 4, 0);
    gif.Netscape().Comment({7, 1}).Control(10, 2).Image(0, 0, 32, 32, 2, {20, 20, 3});
    size_t firstFrameEnd = gif.bytes.size();
    gif.PlainText().Control(30, 3).Image(4, 4, 8, 8, 0, {9});
    size_t secondFrameEnd = gif.bytes.size();
    gif.Trailer();
    for (size_t length = 0; length <= gif.bytes.size(); ++length) {
        Bytes cut(gif.bytes.begin(), gif.bytes.begin() + static_cast<long>(length));
        GifFile file;
        bool ok = ParseExact(cut, file);
        size_t expected = length >= secondFrameEnd ? 2 : length >= firstFrameEnd ? 1 : 0;
        EXPECT_EQ(file.frames.size(), expected) << "length " << length;
        EXPECT_EQ(ok, expected > 0) << "length " << length;
        for (const GifFrame& frame : file.frames) {
            EXPECT_LE(frame.imageOffset + frame.imageLength, length);
            Bytes single = BuildFrameGif(cut.data(), cut.size(), file, frame);
            EXPECT_FALSE(single.empty());
        }
    }
}

TEST(GifBlocks, SubBlockReachingPastTheEndEndsTheWalk) {
    GifBuilder gif;
    gif.Image(0, 0, 4, 4);
    size_t good = gif.bytes.size();
    gif.bytes.insert(gif.bytes.end(), {0x2C, 0, 0, 0, 0, 4, 0, 4, 0, 0, 2, 0xFF, 1, 2, 3});
    GifFile file;
    ASSERT_TRUE(ParseExact(gif.bytes, file));
    EXPECT_EQ(file.frames.size(), 1u);
    EXPECT_LE(file.frames[0].imageOffset + file.frames[0].imageLength, good);
}
