// The JPEG strip both ways on libjpeg-turbo: the upload's band-fed encoder and the remote view's
// decoder that places parts straight into the screen image. Round trips through the image-frame
// body keep the picture, on a usual pad and on a wide one; the decoder's table of odd frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include "remote_control/strip_decoder.h"
#include "upload/capture_cycle.h"
#include "upload/jpeg_strip_encoder.h"

using namespace tesmora;

namespace {

struct Image {
    Image(uint32_t w, uint32_t h, uint32_t fill = 0) : width(w), height(h), pixels(size_t(w) * h, fill) {}
    PixelView View() {
        return PixelView{reinterpret_cast<uint8_t*>(pixels.data()), std::ptrdiff_t(width) * 4, width, height};
    }
    uint32_t& At(uint32_t x, uint32_t y) { return pixels[size_t(y) * width + x]; }
    void Fill(uint32_t x, uint32_t y, uint32_t w, uint32_t h, uint32_t colour) {
        for (uint32_t row = y; row < y + h; ++row) std::fill_n(&At(x, row), w, colour);
    }
    uint32_t width, height;
    std::vector<uint32_t> pixels;
};

// Smooth areas, edges and text-like stripes: what a desktop shows and JPEG keeps well.
void PaintDesktop(Image& image, uint32_t seed) {
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = 0; x < image.width; ++x) {
            const bool text = ((x / 8 + y / 16 + seed) % 9 == 0) && (y % 16 < 10);
            image.At(x, y) =
                text ? 0x00202020 : ((((x + seed) / 4) & 0xFF) << 16) | (((y / 4) & 0xFF) << 8) | 0xC0;
        }
    }
}

// Mean absolute difference per colour byte; the unused fourth byte is ignored.
double MeanError(Image& a, Image& b) {
    uint64_t sum = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        for (int shift = 0; shift < 24; shift += 8) {
            sum +=
                uint64_t(std::abs(int((a.pixels[i] >> shift) & 0xFF) - int((b.pixels[i] >> shift) & 0xFF)));
        }
    }
    return double(sum) / double(a.pixels.size() * 3);
}

bool Near(uint32_t pixel, uint32_t colour, int tolerance = 10) {
    for (int shift = 0; shift < 24; shift += 8) {
        if (std::abs(int((pixel >> shift) & 0xFF) - int((colour >> shift) & 0xFF)) > tolerance) return false;
    }
    return true;
}

std::vector<uint8_t> Encode(JpegStripEncoder& encoder, Image& strip, int quality = 70) {
    PackedStripRows rows(strip.View());
    std::span<const uint8_t> jpeg = encoder.Encode(rows, quality);
    return std::vector<uint8_t>(jpeg.begin(), jpeg.end());
}

// A progressive picture of one colour (teachers send baseline strips, but the decoder reads any JPEG).
std::vector<uint8_t> ProgressiveJpeg(uint32_t width, uint32_t height, uint32_t colour) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint32_t> row(width, colour);
    JSAMPROW rowPointer = reinterpret_cast<JSAMPROW>(row.data());
    while (info.next_scanline < height) jpeg_write_scanlines(&info, &rowPointer, 1);
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> jpeg(out, out + size);
    std::free(out);
    return jpeg;
}

// A pad's screen goes through the capture cycle, the wire's body and the decoder into a view.
class RoundTrip {
public:
    RoundTrip(uint32_t width, uint32_t height)
        : screen(width, height),
          view(width, height, 0x00FF00FF),
          pipeline_(width, height),
          grabber_(screen),
          cycle_(pipeline_, grabber_, encoder_, [this](int32_t, const std::vector<uint8_t>& body) {
              ImageFrameBody frame;
              ASSERT_TRUE(ReadImageFrameBody(body.data(), body.size(), frame));
              ASSERT_GE(frame.jpegLength, 2u);
              EXPECT_EQ(frame.jpeg[0], 0xFF);
              EXPECT_EQ(frame.jpeg[1], 0xD8);
              EXPECT_EQ(decoder_.DecodeAndPlace(frame.jpeg, frame.jpegLength, frame.parts, pipeline_.Grid(),
                                                view.View()),
                        PlaceOutcome::kPlaced);
              lastParts = frame.parts.size();
          }) {}
    CycleOutcome Cycle() { return cycle_.Run(counter_, 1 << 30, 70); }
    int32_t Frames() const { return counter_.load(); }

    Image screen, view;
    size_t lastParts = 0;

private:
    class Grabber : public ScreenGrabber {
    public:
        explicit Grabber(Image& image) : image_(image) {}
        bool Grab() override { return true; }
        PixelView Screen() override { return image_.View(); }

    private:
        Image& image_;
    };
    UploadPipeline pipeline_;
    Grabber grabber_;
    JpegStripEncoder encoder_;
    StripDecoder decoder_;
    std::atomic<int32_t> counter_{0};
    CaptureCycle cycle_;
};

TEST(StripCodec, TheTeachersPictureMatchesThePadAndFollowsAMovingWindow) {
    RoundTrip trip(1920, 1080);
    PaintDesktop(trip.screen, 0);
    ASSERT_EQ(trip.Cycle(), CycleOutcome::kFrameSent);
    EXPECT_EQ(trip.lastParts, 128u);
    EXPECT_LT(MeanError(trip.screen, trip.view), 3.0);

    for (uint32_t step = 0; step < 3; ++step) {  // a window moves: only its parts travel
        trip.screen.Fill(300 + step * 50, 200 + step * 30, 400, 300, 0x003060C0);
        ASSERT_EQ(trip.Cycle(), CycleOutcome::kFrameSent);
        EXPECT_LT(trip.lastParts, 40u);
        EXPECT_LT(MeanError(trip.screen, trip.view), 3.0);
        EXPECT_TRUE(Near(trip.view.At(540, 337), 0x003060C0));  // the middle of part 36, inside the window
    }
    EXPECT_EQ(trip.Cycle(), CycleOutcome::kUnchanged);
}

TEST(StripCodec, AWidePadArrivesWholeOverTwoFrames) {
    RoundTrip trip(4096, 2160);
    PaintDesktop(trip.screen, 3);
    while (trip.Cycle() == CycleOutcome::kFrameSent) {
    }
    EXPECT_EQ(trip.Frames(), 2);
    EXPECT_LT(MeanError(trip.screen, trip.view), 3.0);
}

TEST(StripCodec, EncoderTakesAnyQualityAndRefusesWhatBaselineCannotHold) {
    JpegStripEncoder encoder;
    ASSERT_TRUE(encoder.IsReady());
    Image strip(240, 135);
    PaintDesktop(strip, 1);
    EXPECT_LT(Encode(encoder, strip, 5).size(), Encode(encoder, strip, 95).size());
    EXPECT_FALSE(Encode(encoder, strip, -20).empty());
    EXPECT_FALSE(Encode(encoder, strip, 250).empty());
    Image tooWide(65501, 1);
    EXPECT_TRUE(Encode(encoder, tooWide).empty());
    Image widest(65500, 8);
    EXPECT_FALSE(Encode(encoder, widest).empty());
    EXPECT_FALSE(Encode(encoder, strip).empty()) << "the encoder works on after a refusal";
}

// The decoder's placement, on a 1920 x 1080 grid (parts of 120 x 135, 16 columns).
class StripDecoderTest : public ::testing::Test {
protected:
    StripDecoderTest() : grid_(PartGrid::ForScreen(1920, 1080)), screen_(1920, 1080, kUntouched) {}
    static constexpr uint32_t kUntouched = 0x00123456;
    static constexpr uint32_t kRed = 0x00E01010, kBlue = 0x001010E0, kBlack = 0;

    // A strip of `width` x `height`: the left half red, the right half blue.
    std::vector<uint8_t> TwoColourStrip(uint32_t width, uint32_t height) {
        Image strip(width, height, kBlue);
        strip.Fill(0, 0, width / 2, height, kRed);
        return Encode(encoder_, strip);
    }
    PlaceOutcome Place(const std::vector<uint8_t>& jpeg, const std::vector<uint32_t>& parts) {
        return decoder_.DecodeAndPlace(jpeg.data(), jpeg.size(), parts, grid_, screen_.View());
    }

    PartGrid grid_;
    Image screen_;
    JpegStripEncoder encoder_;
    StripDecoder decoder_;
};

TEST_F(StripDecoderTest, PlacesEachPartOfTheStripAtItsGridPosition) {
    ASSERT_EQ(Place(TwoColourStrip(240, 135), {0, 17}), PlaceOutcome::kPlaced);
    // Away from the parts' edges, where the strip's neighbours blend a little (4:2:0 chroma).
    EXPECT_TRUE(Near(screen_.At(0, 0), kRed));
    EXPECT_TRUE(Near(screen_.At(100, 130), kRed));
    EXPECT_TRUE(Near(screen_.At(130, 140), kBlue));
    EXPECT_TRUE(Near(screen_.At(230, 269), kBlue));
    EXPECT_EQ(screen_.At(120, 0), kUntouched);
    EXPECT_EQ(screen_.At(0, 135), kUntouched);
    EXPECT_EQ(screen_.At(240, 135), kUntouched);
    EXPECT_EQ(Place({}, {}), PlaceOutcome::kPlaced) << "a frame without parts draws nothing";
}

TEST_F(StripDecoderTest, AStripOfOtherSizeIsClippedOrPaddedBlack) {
    // Narrower than its two parts: part 5 gets the blue half, part 6 nothing of the picture.
    ASSERT_EQ(Place(TwoColourStrip(240, 135), {4, 5, 6}), PlaceOutcome::kPlaced);
    EXPECT_TRUE(Near(screen_.At(4 * 120 + 60, 60), kRed));
    EXPECT_TRUE(Near(screen_.At(5 * 120 + 60, 60), kBlue));
    EXPECT_EQ(screen_.At(6 * 120 + 60, 60), kBlack);
    EXPECT_EQ(screen_.At(7 * 120, 60), kUntouched);
    // Lower than the parts: the rows below the picture are black.
    ASSERT_EQ(Place(TwoColourStrip(240, 100), {32, 33}), PlaceOutcome::kPlaced);
    EXPECT_TRUE(Near(screen_.At(10, 270 + 99), kRed));
    EXPECT_EQ(screen_.At(10, 270 + 100), kBlack);
    EXPECT_EQ(screen_.At(130, 270 + 134), kBlack);
    // Wider and higher: only each part's own piece is drawn.
    ASSERT_EQ(Place(TwoColourStrip(480, 300), {64}), PlaceOutcome::kPlaced);
    EXPECT_TRUE(Near(screen_.At(119, 540 + 134), kRed));
    EXPECT_EQ(screen_.At(120, 540), kUntouched);
    EXPECT_EQ(screen_.At(0, 540 + 135), kUntouched);
}

TEST_F(StripDecoderTest, DataThatDoesNotDecodePaintsItsPartsBlackAndTheNextFrameStillDecodes) {
    std::vector<uint8_t> garbage(500, 0x5A);
    EXPECT_EQ(Place(garbage, {3, 20}), PlaceOutcome::kUndecodable);
    EXPECT_EQ(screen_.At(3 * 120 + 5, 5), kBlack);
    EXPECT_EQ(screen_.At(4 * 120 + 5, 135 + 5), kBlack);
    EXPECT_EQ(screen_.At(2 * 120 + 5, 5), kUntouched);
    std::vector<uint8_t> cut = TwoColourStrip(240, 135);
    cut.resize(20);  // the header breaks off
    EXPECT_EQ(Place(cut, {3}), PlaceOutcome::kUndecodable);
    EXPECT_EQ(Place({}, {3}), PlaceOutcome::kUndecodable);
    EXPECT_EQ(Place(TwoColourStrip(240, 135), {3, 20}), PlaceOutcome::kPlaced);
    EXPECT_TRUE(Near(screen_.At(3 * 120 + 5, 5), kRed));
}

// A progressive picture keeps all of itself in memory until its last scan: one of its parts' size
// decodes; one declaring far more than its parts could show needs more than a strip may take.
TEST_F(StripDecoderTest, AProgressivePictureDecodesOnlyWithinWhatItsPartsCouldNeed) {
    ASSERT_EQ(Place(ProgressiveJpeg(240, 135, kRed), {0, 1}), PlaceOutcome::kPlaced);
    EXPECT_TRUE(Near(screen_.At(200, 100), kRed));
    EXPECT_EQ(Place(ProgressiveJpeg(2000, 2000, kBlue), {2}), PlaceOutcome::kUndecodable);
    EXPECT_EQ(screen_.At(2 * 120 + 5, 5), kBlack);
    EXPECT_EQ(Place(TwoColourStrip(240, 135), {2, 3}), PlaceOutcome::kPlaced) << "the next frame decodes";
    EXPECT_TRUE(Near(screen_.At(2 * 120 + 5, 5), kRed));
}

// A 1920 x 1080 grid has 128 parts: a frame naming more, however short or long its list, does not
// decode; each part it names is painted black once and the next frame decodes as usual.
TEST_F(StripDecoderTest, AFrameNamingMorePartsThanTheGridHasDoesNotDecode) {
    const std::vector<uint8_t> jpeg = TwoColourStrip(240, 135);
    std::vector<uint32_t> all(128);
    for (uint32_t k = 0; k < 128; ++k) all[k] = k;
    EXPECT_EQ(Place(TwoColourStrip(128 * 120, 135), all), PlaceOutcome::kPlaced) << "the whole grid";
    struct Case {
        const char* what;
        std::vector<uint32_t> parts;
    };
    std::vector<uint32_t> oneMore = all;
    oneMore.push_back(5);
    std::vector<uint32_t> repeats;
    for (int i = 0; i < 500000; ++i) repeats.insert(repeats.end(), {3, 20});
    for (const Case& c : {Case{"129 entries", oneMore}, Case{"a million entries of two parts", repeats}}) {
        SCOPED_TRACE(c.what);
        screen_ = Image(1920, 1080, kUntouched);
        EXPECT_EQ(Place(jpeg, c.parts), PlaceOutcome::kUndecodable);
        for (uint32_t k : {3u, 5u, 20u, 127u}) {
            const bool named = std::find(c.parts.begin(), c.parts.end(), k) != c.parts.end();
            EXPECT_EQ(screen_.At(grid_.PartX(k) + 60, grid_.PartY(k) + 60), named ? kBlack : kUntouched) << k;
        }
        EXPECT_EQ(Place(jpeg, {3, 20}), PlaceOutcome::kPlaced) << "the next frame decodes";
        EXPECT_TRUE(Near(screen_.At(3 * 120 + 5, 5), kRed));
    }
}

TEST_F(StripDecoderTest, PlacesNothingWithoutAGridOrWithAPartOutsideIt) {
    const std::vector<uint8_t> jpeg = TwoColourStrip(240, 135);
    EXPECT_EQ(Place(jpeg, {0, 128}), PlaceOutcome::kNotPlaced);
    EXPECT_EQ(screen_.At(0, 0), kUntouched);
    Image small(1000, 1000, kUntouched);
    EXPECT_EQ(decoder_.DecodeAndPlace(jpeg.data(), jpeg.size(), {0, 1}, grid_, small.View()),
              PlaceOutcome::kNotPlaced);
    EXPECT_EQ(decoder_.DecodeAndPlace(jpeg.data(), jpeg.size(), {0, 1}, PartGrid{}, screen_.View()),
              PlaceOutcome::kNotPlaced);
    EXPECT_EQ(screen_.At(0, 0), kUntouched);
}

}  // namespace
