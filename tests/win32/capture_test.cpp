// Screen upload's platform half under Wine: the GDI grab of the virtual display, the libjpeg-turbo
// strip encoder fed band by band from the grab (decoded back by GDI+, as a GDI+ peer would), and the
// capture thread handing frames to its panel until its owner asks it to stop, and its owner closing
// in the middle of an encode. The times of the grab and the encode are printed, beside GDI+'s encode
// of the same strip that it replaced.
#include <gtest/gtest.h>

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

#include "common/threads/worker.h"
#include "common/ui/handles_win32.h"
#include "common/window_messages.h"
#include "test_window_win32.h"
#include "transport/image_frame.h"
#include "transport/packet.h"
#include "upload/capture_thread_win32.h"
#include "upload/jpeg_strip_encoder.h"
#include "upload/screen_grabber_win32.h"

using namespace tesmora;

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

// GDI+'s JPEG encoder, which the upload used before, for the comparison: a packed strip saved at the
// quality into a stream; the milliseconds of the save.
double GdiplusEncodeMs(std::vector<uint32_t>& packed, uint32_t width, uint32_t height, int quality) {
    UINT count = 0, bytes = 0;
    Gdiplus::GetImageEncodersSize(&count, &bytes);
    std::vector<uint8_t> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, bytes, codecs);
    CLSID jpeg{};
    for (UINT i = 0; i < count; ++i) {
        if (std::wcscmp(codecs[i].MimeType, L"image/jpeg") == 0) jpeg = codecs[i].Clsid;
    }
    Gdiplus::Bitmap bitmap(INT(width), INT(height), INT(width * 4), PixelFormat32bppRGB,
                           reinterpret_cast<BYTE*>(packed.data()));
    ULONG qualityValue = ULONG(quality);
    Gdiplus::EncoderParameters parameters;
    parameters.Count = 1;
    parameters.Parameter[0].Guid = Gdiplus::EncoderQuality;
    parameters.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
    parameters.Parameter[0].NumberOfValues = 1;
    parameters.Parameter[0].Value = &qualityValue;
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    auto start = std::chrono::steady_clock::now();
    bitmap.Save(stream, &jpeg, &parameters);
    double ms = Milliseconds(start);
    stream->Release();
    return ms;
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
    StripRows& strip = pipeline.Strip(grabber.Screen());

    JpegStripEncoder encoder;
    ASSERT_TRUE(encoder.IsReady());
    start = std::chrono::steady_clock::now();
    std::span<const uint8_t> encoded = encoder.Encode(strip, 70);
    double encodeMs = Milliseconds(start);
    std::vector<uint8_t> jpeg(encoded.begin(), encoded.end());
    ASSERT_GT(jpeg.size(), 2u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    // Per frame, once the first call has set the codec up: the median of a few more.
    std::vector<double> grabs, encodes;
    for (int i = 0; i < 5; ++i) {
        start = std::chrono::steady_clock::now();
        ASSERT_TRUE(grabber.Grab());
        grabs.push_back(Milliseconds(start));
        start = std::chrono::steady_clock::now();
        std::span<const uint8_t> again = encoder.Encode(pipeline.Strip(grabber.Screen()), 70);
        encodes.push_back(Milliseconds(start));
        ASSERT_FALSE(again.empty());
        // The read-back below compares with the last grab: other tests may change the screen.
        if (i == 4) jpeg.assign(again.begin(), again.end());
    }
    std::sort(grabs.begin(), grabs.end());
    std::sort(encodes.begin(), encodes.end());
    const uint32_t width = strip.Width(), height = strip.Height();
    std::vector<uint32_t> packed(size_t(width) * height);
    for (uint32_t y = 0; y < height; ++y) {
        std::memcpy(&packed[size_t(y) * width], strip.Rows(y, 1)[0], width * 4);
    }
    std::vector<double> gdiplusEncodes;
    for (int i = 0; i < 3; ++i) gdiplusEncodes.push_back(GdiplusEncodeMs(packed, width, height, 70));
    std::sort(gdiplusEncodes.begin(), gdiplusEncodes.end());
    std::printf(
        "grab %ux%u: %.1f ms (first %.1f); libjpeg-turbo JPEG of the %ux%u strip, band by band: "
        "%.1f ms (first %.1f, %zu bytes); sum %.1f of 100 ms; GDI+ JPEG of the same strip: %.1f ms\n",
        settings.width, settings.height, grabs[2], grabMs, width, height, encodes[2], encodeMs, jpeg.size(),
        grabs[2] + encodes[2], gdiplusEncodes[1]);

    // GDI+'s decoder reads the strip back at its size, close to the pixels it was given.
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    stream->Write(jpeg.data(), ULONG(jpeg.size()), nullptr);
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    {
        Gdiplus::Bitmap decoded(stream);
        ASSERT_EQ(decoded.GetLastStatus(), Gdiplus::Ok);
        EXPECT_EQ(decoded.GetWidth(), width);
        EXPECT_EQ(decoded.GetHeight(), height);
        Gdiplus::Color pixel;
        decoded.GetPixel(5, 5, &pixel);
        uint32_t original = packed[5 * size_t(width) + 5];
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
            auto* packet = reinterpret_cast<Packet*>(wParam);
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
    std::span<const uint8_t> Encode(StripRows& strip, int quality) override {
        entered_.fetch_add(1);
        Sleep(400);
        std::fill(scratch_.begin(), scratch_.end(), uint8_t(quality));
        std::span<const uint8_t> jpeg =
            inner_.IsReady() ? inner_.Encode(strip, quality) : std::span<const uint8_t>();
        left_.fetch_add(1);
        return jpeg;
    }

private:
    JpegStripEncoder inner_;
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
