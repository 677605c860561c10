// Unit tests of the capture thread's pace: a screen that cannot be grabbed is tried once a cycle,
// not in a busy loop, and the loop ends soon after it is asked to.
#include "upload/capture_loop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "common/threads/worker.h"

using namespace tesmora;

namespace {

class LockedScreen : public ScreenGrabber {
public:
    bool Grab() override {
        grabs.fetch_add(1);
        return false;
    }
    PixelView Screen() override { return {}; }
    std::atomic<int> grabs{0};
};

class UnusedEncoder : public StripEncoder {
public:
    std::span<const uint8_t> Encode(StripRows&, int) override { return {}; }
};

}  // namespace

TEST(CaptureLoop, ALockedScreenIsTriedOnceACycleAndTheLoopEndsWhenAsked) {
    UploadPipeline pipeline(256, 128);
    LockedScreen screen;
    UnusedEncoder encoder;
    CaptureCycle cycle(pipeline, screen, encoder, [](int32_t, const std::vector<uint8_t>&) { FAIL(); });
    std::atomic<int32_t> frameCounter{0};
    std::atomic<int32_t> acknowledged{0};
    Worker worker;
    ASSERT_TRUE(worker.Start(
        [&](std::stop_token stop) { RunCaptureCycles(cycle, stop, frameCounter, acknowledged, 70); }));
    std::this_thread::sleep_for(kCaptureCycle * 5 + kCaptureCycle / 2);
    auto asked = std::chrono::steady_clock::now();
    worker.Stop();
    EXPECT_LE(std::chrono::steady_clock::now() - asked, kCaptureCycle * 2);
    // Five and a half cycles: six grabs, give or take one for a slow machine; a busy loop makes
    // thousands.
    EXPECT_GE(screen.grabs.load(), 4);
    EXPECT_LE(screen.grabs.load(), 7);
    EXPECT_EQ(frameCounter.load(), 0);
}
