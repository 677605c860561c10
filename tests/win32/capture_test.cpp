// Screen upload's platform half under Wine: the GDI grab of the virtual display, GDI+ JPEG encoding
// of a full-width strip (decoded back to check it), and the capture thread handing frames to its
// panel until the upload flag is cleared. The times of the grab and the encode are printed.
#include <gtest/gtest.h>

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

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

TEST(Capture, ThreadSendsEveryPartFirstHoldsTheWindowAndEndsWhenTheFlagClears) {
    FramePanel panel;
    UploadState state;
    state.settings = ScreenSettings();
    state.uploadFlag = 1;
    std::atomic<int32_t> acknowledged{0};
    ASSERT_TRUE(StartCaptureThread({panel.Window(), &state, &acknowledged}));
    EXPECT_EQ(state.runningCaptures.load(), 1);

    // Without acknowledgements exactly frames 0 to 3 come; the first carries every part.
    ASSERT_TRUE(PumpUntil([&] { return panel.frames.size() >= 1; }, 10000));
    PumpFor(1200);
    PartGrid grid = PartGrid::ForScreen(uint32_t(state.settings.width), uint32_t(state.settings.height));
    EXPECT_EQ(panel.frames[0].sequence, 0u);
    EXPECT_EQ(panel.frames[0].parts.size(), grid.PartCount());
    EXPECT_LE(panel.frames.size(), 4u);
    acknowledged = 100;  // the teacher catches up

    state.uploadFlag = 0;
    auto cleared = std::chrono::steady_clock::now();
    ASSERT_TRUE(PumpUntil([&] { return state.runningCaptures.load() == 0; }, 5000));
    EXPECT_LT(Milliseconds(cleared), 1000.0);
}

}  // namespace
