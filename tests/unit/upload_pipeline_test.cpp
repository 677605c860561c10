// The portable capture loop over synthetic screens: which parts travel, how they are packed, the
// four-frame window and the image-frame body, with a stand-in encoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "upload/capture_cycle.h"

using namespace tesmora;

namespace {

// A screen in memory, bottom-up like the platform's bitmaps.
class SyntheticScreen : public ScreenGrabber {
public:
    SyntheticScreen(uint32_t width, uint32_t height)
        : width_(width), height_(height), pixels_(width * height) {
        Scramble(0);
    }
    // Every pixel different from its neighbours and from what another seed gives.
    void Scramble(uint32_t seed) {
        for (size_t i = 0; i < pixels_.size(); ++i) pixels_[i] = uint32_t((i + seed) * 2654435761u);
    }
    bool Grab() override { return grabbable; }
    PixelView Screen() override {
        auto* bottomRow = reinterpret_cast<uint8_t*>(pixels_.data());
        return PixelView{bottomRow + std::ptrdiff_t(height_ - 1) * width_ * 4, -std::ptrdiff_t(width_) * 4,
                         width_, height_};
    }
    void Paint(uint32_t x, uint32_t y, uint32_t w, uint32_t h, uint32_t colour) {
        PixelView view = Screen();
        for (uint32_t row = y; row < y + h; ++row) {
            for (uint32_t column = x; column < x + w; ++column) view.Row(row)[column] = colour;
        }
    }
    bool grabbable = true;

private:
    uint32_t width_, height_;
    std::vector<uint32_t> pixels_;
};

// Reads the strip band by band as the JPEG encoder does and keeps it, so tests can check the
// packing; the "JPEG" is 37 bytes.
class RecordingEncoder : public StripEncoder {
public:
    std::span<const uint8_t> Encode(StripRows& strip, int quality) override {
        lastQuality = quality;
        width = strip.Width();
        height = strip.Height();
        pixels.clear();
        for (uint32_t y = 0; y < height && keepPixels; y += kMaxStripBand) {
            const uint32_t count = std::min(kMaxStripBand, height - y);
            uint8_t** rows = strip.Rows(y, count);
            for (uint32_t j = 0; j < count; ++j) {
                const auto* row = reinterpret_cast<const uint32_t*>(rows[j]);
                pixels.insert(pixels.end(), row, row + width);
            }
        }
        jpeg_.assign(37, 0xFF);
        if (!succeed) return {};
        return jpeg_;
    }
    bool succeed = true;
    bool keepPixels = true;
    int lastQuality = 0;
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;

private:
    std::vector<uint8_t> jpeg_;
};

struct Frame {
    int32_t number;
    std::vector<uint8_t> body;
};

class UploadPipelineTest : public ::testing::Test {
protected:
    explicit UploadPipelineTest(uint32_t w = 1920, uint32_t h = 1080)
        : screen_(w, h),
          pipeline_(w, h),
          cycle_(pipeline_, screen_, encoder_, [this](int32_t n, const std::vector<uint8_t>& body) {
              frames_.push_back({n, body});
          }) {}

    CycleOutcome Cycle(int32_t acknowledged = 1000) { return cycle_.Run(counter_, acknowledged, 70); }
    std::vector<uint32_t> PartsOf(const Frame& frame) {
        ImageFrameBody body;
        EXPECT_TRUE(ReadImageFrameBody(frame.body.data(), frame.body.size(), body));
        return body.parts;
    }

    // The strip the encoder was given holds, at place i, the screen's pixels of parts[i].
    void ExpectStripHolds(const std::vector<uint32_t>& parts) {
        const PartGrid& grid = pipeline_.Grid();
        ASSERT_EQ(encoder_.width, parts.size() * grid.partWidth);
        ASSERT_EQ(encoder_.height, grid.partHeight);
        PixelView screen = screen_.Screen();
        const uint32_t* strip = encoder_.pixels.data();
        size_t wrong = 0;
        for (size_t i = 0; i < parts.size(); ++i) {
            for (uint32_t y = 0; y < grid.partHeight; ++y) {
                const uint32_t* expected = screen.Row(grid.PartY(parts[i]) + y) + grid.PartX(parts[i]);
                const uint32_t* packed = strip + size_t(y) * encoder_.width + i * grid.partWidth;
                if (std::memcmp(expected, packed, grid.partWidth * 4) != 0) ++wrong;
            }
        }
        EXPECT_EQ(wrong, 0u) << "part rows packed wrongly";
    }
    static std::vector<uint32_t> AllParts(uint32_t count) {
        std::vector<uint32_t> parts(count);
        for (uint32_t k = 0; k < count; ++k) parts[k] = k;
        return parts;
    }

    SyntheticScreen screen_;
    UploadPipeline pipeline_;
    RecordingEncoder encoder_;
    std::vector<Frame> frames_;
    std::atomic<int32_t> counter_{0};
    CaptureCycle cycle_;
};

TEST_F(UploadPipelineTest, FirstCycleSendsEveryPartAndThenNothingWhileTheScreenStands) {
    EXPECT_EQ(Cycle(), CycleOutcome::kFrameSent);
    ASSERT_EQ(frames_.size(), 1u);
    EXPECT_EQ(frames_[0].number, 0);
    EXPECT_EQ(PartsOf(frames_[0]).size(), 128u);
    EXPECT_EQ(encoder_.width, 15360u);
    EXPECT_EQ(encoder_.height, 135u);
    EXPECT_EQ(encoder_.lastQuality, 70);
    EXPECT_EQ(frames_[0].body.size(), 4 * 128 + 37 + 12u);
    uint32_t total;
    std::memcpy(&total, frames_[0].body.data(), 4);
    EXPECT_EQ(total, frames_[0].body.size());

    for (int i = 0; i < 5; ++i) EXPECT_EQ(Cycle(), CycleOutcome::kUnchanged);
    EXPECT_EQ(frames_.size(), 1u);
}

TEST_F(UploadPipelineTest, ChangesSendExactlyThePartsTheyTouchPackedInGridOrder) {
    Cycle();
    screen_.Paint(130, 140, 10, 10, 0x00FF0000);  // inside part 17 (column 1, row 1)
    ASSERT_EQ(Cycle(), CycleOutcome::kFrameSent);
    EXPECT_EQ(PartsOf(frames_.back()), std::vector<uint32_t>{17});
    EXPECT_EQ(encoder_.width, 120u);
    EXPECT_EQ(encoder_.pixels[(140 - 135) * 120 + (130 - 120)], 0x00FF0000u);

    screen_.Paint(1915, 1070, 10 - 5, 10, 0x0000FF00);  // bottom-right corner only: part 127
    screen_.Paint(235, 0, 10, 1, 0x000000FF);           // across the edge of parts 1 and 2
    ASSERT_EQ(Cycle(), CycleOutcome::kFrameSent);
    EXPECT_EQ(PartsOf(frames_.back()), (std::vector<uint32_t>{1, 2, 127}));
    // Part 2 sits second in the strip: its first column holds the pixels of screen column 240.
    EXPECT_EQ(encoder_.pixels[120 + 0], 0x000000FFu);
    EXPECT_EQ(encoder_.pixels[2 * 120 + (1915 - 1800) + (1070 - 945) * 360], 0x0000FF00u);
}

TEST_F(UploadPipelineTest, EveryPartIsPackedWholeAndWhatWasSentIsRemembered) {
    ASSERT_EQ(Cycle(), CycleOutcome::kFrameSent);
    ExpectStripHolds(AllParts(128));
    screen_.Scramble(7);  // every part changes after it was sent
    ASSERT_EQ(Cycle(), CycleOutcome::kFrameSent);
    EXPECT_EQ(PartsOf(frames_.back()), AllParts(128));
    ExpectStripHolds(AllParts(128));
    EXPECT_EQ(Cycle(), CycleOutcome::kUnchanged);
}

TEST_F(UploadPipelineTest, NeighboursInTheGridButNotOnTheScreenArePackedApart) {
    Cycle();
    // Parts 14 and 15 end grid row 0; part 16 starts row 1, 135 screen rows further down; 31 ends it.
    screen_.Paint(1700, 10, 200, 1, 0x00123456);
    screen_.Paint(0, 140, 1, 1, 0x00ABCDEF);
    screen_.Paint(1919, 269, 1, 1, 0x00FEDCBA);
    ASSERT_EQ(Cycle(), CycleOutcome::kFrameSent);
    EXPECT_EQ(PartsOf(frames_.back()), (std::vector<uint32_t>{14, 15, 16, 31}));
    ExpectStripHolds({14, 15, 16, 31});
    EXPECT_EQ(Cycle(), CycleOutcome::kUnchanged) << "the sent pixels were remembered at their own places";
    screen_.Paint(1799, 134, 2, 2, 0x00000001);  // the corner where parts 14, 15, 30 and 31 meet
    ASSERT_EQ(Cycle(), CycleOutcome::kFrameSent);
    EXPECT_EQ(PartsOf(frames_.back()), (std::vector<uint32_t>{14, 15, 30, 31}));
    ExpectStripHolds({14, 15, 30, 31});
}

TEST_F(UploadPipelineTest, AStripWiderThanTheLastHoldsEveryPart) {
    Cycle();
    screen_.Paint(500, 500, 1, 1, 0x00FF00FF);
    ASSERT_EQ(Cycle(), CycleOutcome::kFrameSent);
    ExpectStripHolds({3 * 16 + 4});
    screen_.Scramble(99);
    ASSERT_EQ(Cycle(), CycleOutcome::kFrameSent);
    ExpectStripHolds(AllParts(128));
    screen_.Paint(0, 0, 1, 1, 0x00FF00FF);
    ASSERT_EQ(Cycle(), CycleOutcome::kFrameSent);
    ExpectStripHolds({0});
}

TEST_F(UploadPipelineTest, AtMostFourFramesRunAheadOfTheAcknowledgement) {
    for (int i = 0; i < 8; ++i) {
        screen_.Paint(0, 0, 1, 1, 0x100 + uint32_t(i));
        Cycle(0);  // the teacher has acknowledged nothing beyond its initial 0
    }
    ASSERT_EQ(frames_.size(), 4u);
    EXPECT_EQ(frames_.back().number, 3);
    EXPECT_EQ(Cycle(0), CycleOutcome::kWaitingForAcknowledgement);
    EXPECT_EQ(Cycle(1), CycleOutcome::kFrameSent) << "one more frame per acknowledgement";
    EXPECT_EQ(Cycle(1), CycleOutcome::kWaitingForAcknowledgement);
    EXPECT_TRUE(MayMakeFrame(INT32_MIN, INT32_MIN)) << "no wrap-around at the extremes";
}

TEST_F(UploadPipelineTest, PartsOfAFailedFrameAreSentLater) {
    screen_.grabbable = false;
    EXPECT_EQ(Cycle(), CycleOutcome::kGrabFailed);
    screen_.grabbable = true;
    encoder_.succeed = false;
    EXPECT_EQ(Cycle(), CycleOutcome::kEncodeFailed);
    EXPECT_TRUE(frames_.empty());
    EXPECT_EQ(counter_.load(), 0);
    encoder_.succeed = true;
    ASSERT_EQ(Cycle(), CycleOutcome::kFrameSent);
    EXPECT_EQ(PartsOf(frames_[0]).size(), 128u);
    EXPECT_EQ(frames_[0].number, 0);
}

class SmallPadPipelineTest : public UploadPipelineTest {
protected:
    SmallPadPipelineTest() : UploadPipelineTest(1366, 768) {}
};

TEST_F(SmallPadPipelineTest, UsesTwoColumnsOfFourRows) {
    EXPECT_EQ(pipeline_.Grid().partWidth, 683u);
    EXPECT_EQ(pipeline_.Grid().partHeight, 192u);
    EXPECT_EQ(pipeline_.Parts().size(), 8u);
    EXPECT_EQ(pipeline_.Parts()[5].left, 683);
    EXPECT_EQ(pipeline_.Parts()[5].top, 384);
    Cycle();
    EXPECT_EQ(encoder_.width, 8u * 683);
    ExpectStripHolds(AllParts(8));
    screen_.Paint(682, 383, 2, 2, 0x00FF0000);  // parts 2, 3, 4 and 5 meet here
    ASSERT_EQ(Cycle(), CycleOutcome::kFrameSent);
    ExpectStripHolds({2, 3, 4, 5});
    EXPECT_EQ(Cycle(), CycleOutcome::kUnchanged);
}

// A strip is at most 65,500 pixels wide (the codecs' limit): a wide pad's full change goes out over
// a few frames, each part once, and a screen that changes everywhere all the time still brings every
// part within that many frames (each frame starts where the last one ended).
struct WideScreen {
    uint32_t width, height;
    uint32_t partsPerFrame;
    size_t framesForAFullChange;
};

class WideScreenTest : public UploadPipelineTest, public ::testing::WithParamInterface<WideScreen> {
protected:
    WideScreenTest() : UploadPipelineTest(GetParam().width, GetParam().height) {
        encoder_.keepPixels = false;
    }
};

TEST_P(WideScreenTest, SendsEveryPartWithinAFewFramesOfStripsTheCodecTakes) {
    const WideScreen wide = GetParam();
    const uint32_t partCount = pipeline_.Grid().PartCount();
    EXPECT_EQ(pipeline_.MaxPartsPerFrame(), wide.partsPerFrame);
    for (int change = 0; change < 2; ++change) {
        // The first change is the first frames after the start; the second redraws every part of a
        // screen that goes on changing everywhere in every cycle.
        std::multiset<uint32_t> arrived;
        const size_t before = frames_.size();
        for (size_t frame = 0; frame < wide.framesForAFullChange; ++frame) {
            if (change == 1) screen_.Scramble(uint32_t(frames_.size()));
            ASSERT_EQ(Cycle(), CycleOutcome::kFrameSent);
            EXPECT_LE(encoder_.width, kMaxStripWidth);
            const std::vector<uint32_t> parts = PartsOf(frames_.back());
            EXPECT_TRUE(std::is_sorted(parts.begin(), parts.end())) << "listed in grid order";
            arrived.insert(parts.begin(), parts.end());
        }
        EXPECT_EQ(frames_.size() - before, wide.framesForAFullChange);
        EXPECT_EQ(std::set<uint32_t>(arrived.begin(), arrived.end()).size(), partCount) << "every part";
        if (change == 0) {
            EXPECT_EQ(arrived.size(), partCount) << "no part twice";
            EXPECT_EQ(Cycle(), CycleOutcome::kUnchanged);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Pads, WideScreenTest,
                         ::testing::Values(WideScreen{1920, 1080, 545, 1},   // 128 parts of 120 x 135
                                           WideScreen{4096, 2160, 511, 2},   // 512 parts of 128 x 135
                                           WideScreen{5120, 2880, 409, 2},   // 512 parts of 160 x 180
                                           WideScreen{7680, 4320, 545, 4}),  // 2048 parts of 120 x 135
                         [](const auto& info) {
                             const WideScreen& pad = info.param;
                             return std::to_string(pad.width) + "x" + std::to_string(pad.height);
                         });

}  // namespace
