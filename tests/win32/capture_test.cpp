// Screen upload's platform half under Wine: the GDI grab of the virtual display, GDI+ JPEG encoding
// of a full-width strip (decoded back to check it), and the capture thread handing frames to its
// panel until its owner asks it to stop, and its owner closing in the middle of an encode. The times of the grab and the encode are printed.
#include <gtest/gtest.h>

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <chrono>
#include <cstdio>
#include <vector>

#include "common/threads/worker.h"
#include "common/ui/handles_win32.h"
#include "common/window_messages.h"
#include "test_window_win32.h"
#include "transport/image_frame.h"
#include "transport/packet.h"
#include "upload/capture_thread_win32.h"
#include "upload/gdiplus_jpeg_encoder_win32.h"
#include "upload/screen_grabber_win32.h"

namespace {

UploadSettings ScreenSettings() {
    UploadSettings settings;
    settings.width = GetSystemMetrics(SM_CXSCREEN);
    settings.height = GetSystemMetrics(SM_CYSCREEN);
    settings.right = settings.width - 1;
    settings.bottom = settings.height - 1;
    return settings;
}

double Milliseconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

TEST(Capture, GrabsTheScreenAndEncodesTheFirstStripAsJpeg) {
    GdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.Started());
    UploadSettings settings = ScreenSettings();
    GdiScreenGrabber grabber(settings);
    ASSERT_TRUE(grabber.IsReady());
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(grabber.Grab());
    double grabMs = Milliseconds(start);

    UploadPipeline pipeline(uint32_t(settings.width), uint32_t(settings.height));
    const auto& changed = pipeline.FindChangedParts(grabber.Screen());
    ASSERT_EQ(changed.size(), pipeline.Grid().PartCount());
    PixelView strip = pipeline.PackStrip(grabber.Screen());

    GdiplusJpegEncoder encoder;
    ASSERT_TRUE(encoder.IsReady());
    std::vector<uint8_t> jpeg;
    start = std::chrono::steady_clock::now();
    ASSERT_TRUE(encoder.Encode(strip, 70, jpeg));
    double encodeMs = Milliseconds(start);
    ASSERT_GT(jpeg.size(), 2u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    // Per frame, once the first call has loaded the codec: the median of a few more.
    std::vector<double> grabs, encodes;
    std::vector<uint8_t> again;
    for (int i = 0; i < 5; ++i) {
        start = std::chrono::steady_clock::now();
        ASSERT_TRUE(grabber.Grab());
        grabs.push_back(Milliseconds(start));
        start = std::chrono::steady_clock::now();
        ASSERT_TRUE(encoder.Encode(strip, 70, again));
        encodes.push_back(Milliseconds(start));
    }
    std::sort(grabs.begin(), grabs.end());
    std::sort(encodes.begin(), encodes.end());
    std::printf("grab %ux%u: %.1f ms (first %.1f); GDI+ JPEG of the %ux%u strip: %.1f ms (first %.1f, %zu bytes); "
                "sum %.1f of 100 ms\n",
                settings.width, settings.height, grabs[2], grabMs, strip.width, strip.height, encodes[2], encodeMs,
                jpeg.size(), grabs[2] + encodes[2]);

    // The encoder's own decoder reads the strip back at its size, close to the pixels it was given.
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    stream->Write(jpeg.data(), ULONG(jpeg.size()), nullptr);
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    {
        Gdiplus::Bitmap decoded(stream);
        ASSERT_EQ(decoded.GetLastStatus(), Gdiplus::Ok);
        EXPECT_EQ(decoded.GetWidth(), strip.width);
        EXPECT_EQ(decoded.GetHeight(), strip.height);
        Gdiplus::Color pixel;
        decoded.GetPixel(5, 5, &pixel);
        uint32_t original = strip.Row(5)[5];
        EXPECT_NEAR(int(pixel.GetR()), int((original >> 16) & 0xFF), 24);
        EXPECT_NEAR(int(pixel.GetG()), int((original >> 8) & 0xFF), 24);
    }
    stream->Release();
}

class FramePanel {
public:
    FramePanel() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TesmoraCaptureTestPanel";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~FramePanel() { DestroyWindow(window_); }
    HWND Window() const { return window_; }

    struct Frame {
        uint32_t sequence;
        std::vector<uint32_t> parts;
        std::chrono::steady_clock::time_point at;
    };
    std::vector<Frame> frames;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<FramePanel*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == WM_UPLOAD_FRAME) {
            auto* packet = reinterpret_cast<CPacket*>(wParam);
            ImageFrameBody body;
            EXPECT_EQ(packet->Type(), kPacketImage);
            EXPECT_EQ(packet->Size(), packet->DataLength());
            EXPECT_TRUE(ReadImageFrameBody(packet->Data(), packet->DataLength(), body));
            self->frames.push_back({packet->Sequence(), body.parts, std::chrono::steady_clock::now()});
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    HWND window_;
};

TEST(Capture, ThreadSendsEveryPartFirstHoldsTheWindowAndEndsWhenAskedToStop) {
    FramePanel panel;
    std::atomic<int32_t> frameCounter{0};
    std::atomic<int32_t> acknowledged{0};
    Worker worker;
    CaptureJob job{panel.Window(), ScreenSettings(), &frameCounter, &acknowledged, {}};
    ASSERT_TRUE(StartCapture(worker, job));
    EXPECT_FALSE(StartCapture(worker, job));  // never a second capture beside a running one

    // Without acknowledgements exactly frames 0 to 3 come; the first carries every part.
    ASSERT_TRUE(PumpUntil([&] { return panel.frames.size() >= 1; }, 10000));
    PumpFor(1200);
    PartGrid grid = PartGrid::ForScreen(uint32_t(job.settings.width), uint32_t(job.settings.height));
    EXPECT_EQ(panel.frames[0].sequence, 0u);
    EXPECT_EQ(panel.frames[0].parts.size(), grid.PartCount());
    EXPECT_LE(panel.frames.size(), 4u);
    acknowledged = 100;  // the teacher catches up

    worker.RequestStop();
    auto asked = std::chrono::steady_clock::now();
    ASSERT_TRUE(PumpUntil([&] { return worker.Finished(); }, 5000));
    EXPECT_LT(Milliseconds(asked), 1000.0);
}

// An encoder that takes its time and writes into memory of its own on every call. The test checks the
// order of events: the encode has returned, and its frame been handed over, before the owner's join
// returns, so nothing the thread reads (the job, the counters, the panel) is freed while it runs.
class SlowEncoder : public StripEncoder {
public:
    SlowEncoder(std::atomic<int>& entered, std::atomic<int>& left) : entered_(entered), left_(left) {}
    bool Encode(const PixelView& strip, int quality, std::vector<uint8_t>& jpeg) override {
        entered_.fetch_add(1);
        Sleep(400);
        std::fill(scratch_.begin(), scratch_.end(), uint8_t(quality));
        bool ok = inner_.IsReady() && inner_.Encode(strip, quality, jpeg);
        left_.fetch_add(1);
        return ok;
    }

private:
    GdiplusJpegEncoder inner_;
    std::vector<uint8_t> scratch_ = std::vector<uint8_t>(1 << 20);
    std::atomic<int>& entered_;
    std::atomic<int>& left_;
};

TEST(Capture, ClosingTheOwnerInTheMiddleOfAnEncodeWaitsForTheThreadBeforeAnythingGoes) {
    auto panel = std::make_unique<FramePanel>();
    std::atomic<int> entered{0}, left{0};
    std::atomic<int32_t> frameCounter{0};
    auto acknowledged = std::make_unique<std::atomic<int32_t>>(0);
    {
        Worker worker;  // the owner's worker, declared after what its thread reads
        CaptureJob job{panel->Window(), ScreenSettings(), &frameCounter, acknowledged.get(),
                       [&] { return std::make_unique<SlowEncoder>(entered, left); }};
        ASSERT_TRUE(StartCapture(worker, job));
        ASSERT_TRUE(PumpUntil([&] { return entered.load() == 1; }, 10000));
        EXPECT_EQ(left.load(), 0);  // the thread is inside the encode now
        worker.RequestStop();
        JoinServingSentMessages(worker);  // what the panel does when it closes
        // The encode finished and its frame was served before the join returned.
        EXPECT_EQ(left.load(), 1);
        EXPECT_TRUE(worker.Finished());
        EXPECT_FALSE(worker.Running());
    }
    EXPECT_EQ(panel->frames.size(), 1u);
    acknowledged.reset();  // only now may what the thread read go
    panel.reset();
}

}  // namespace
