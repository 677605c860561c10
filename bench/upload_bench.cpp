// Benchmarks of the screen-upload pipeline and of the remote view's decoding, native, single thread,
// each beside its baseline in the same run: an idle cycle against one memcmp of the whole frame,
// change detection with band assembly against memcmp + memcpy of the same bytes, packing plus
// encoding of a full change against libjpeg-turbo's raw encode (TurboJPEG) of the same, already
// packed pixels, and decoding plus placing a full frame against the raw decode of the same strip.
// Both pairs are also timed within each iteration, which the machine's speed drift cannot separate.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "remote_control/strip_decoder.h"
#include "upload/capture_cycle.h"
#include "upload/jpeg_strip_encoder.h"

using namespace tesmora;

namespace {

constexpr uint32_t kWidth = 1920;
constexpr uint32_t kHeight = 1080;

std::vector<uint32_t> Desktop(uint32_t seed) {
    std::vector<uint32_t> pixels(size_t(kWidth) * kHeight);
    for (size_t i = 0; i < pixels.size(); ++i) {
        uint32_t x = uint32_t(i % kWidth), y = uint32_t(i / kWidth);
        pixels[i] = ((x / 40 + y / 30 + seed) % 7 == 0) ? 0x00F0F0F0 : (x * 3 + y * 5 + seed) & 0x00FFFFFF;
    }
    return pixels;
}

// Splitting an iteration's time: seconds summed over the iterations, reported in ms per iteration.
using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}
benchmark::Counter MsPerIteration(double seconds) {
    return benchmark::Counter(seconds * 1e3, benchmark::Counter::kAvgIterations);
}
// Our time and the baseline's, measured within the same iterations, and their ratio.
void ReportBesideBaseline(benchmark::State& state, double ours, double baseline) {
    state.counters["ours_ms"] = MsPerIteration(ours);
    state.counters["raw_ms"] = MsPerIteration(baseline);
    state.counters["ratio"] = benchmark::Counter(baseline > 0 ? ours / baseline : 0);
}

PixelView ViewOf(std::vector<uint32_t>& pixels, uint32_t width, uint32_t height) {
    return PixelView{reinterpret_cast<uint8_t*>(pixels.data()), std::ptrdiff_t(width) * 4, width, height};
}

// libjpeg-turbo's raw encode: TurboJPEG over packed pixels, with the settings of the strip encoder
// (4:2:0, fast DCT). The output buffer is TurboJPEG's worst case for the strip, kept from call to
// call as the strip encoder keeps its own.
class TurboEncoder {
public:
    TurboEncoder() : handle_(tjInitCompress()) {}
    ~TurboEncoder() {
        tjFree(buffer_);
        tjDestroy(handle_);
    }
    TurboEncoder(const TurboEncoder&) = delete;
    TurboEncoder& operator=(const TurboEncoder&) = delete;

    unsigned long Encode(const PixelView& strip, int quality) {
        const unsigned long needed = tjBufSize(int(strip.width), int(strip.height), TJSAMP_420);
        if (needed > capacity_) {
            tjFree(buffer_);
            buffer_ = tjAlloc(int(needed));
            capacity_ = buffer_ ? needed : 0;
        }
        unsigned long size = capacity_;
        int status =
            tjCompress2(handle_, strip.topRow, int(strip.width), int(strip.strideBytes), int(strip.height),
                        TJPF_BGRX, &buffer_, &size, TJSAMP_420, quality, TJFLAG_FASTDCT | TJFLAG_NOREALLOC);
        return status == 0 ? size : 0;
    }
    const unsigned char* Bytes() const { return buffer_; }

private:
    tjhandle handle_;
    unsigned char* buffer_ = nullptr;
    unsigned long capacity_ = 0;
};

class FixedScreen : public ScreenGrabber {
public:
    explicit FixedScreen(std::vector<uint32_t>& pixels) : pixels_(pixels) {}
    bool Grab() override { return true; }
    PixelView Screen() override { return ViewOf(pixels_, kWidth, kHeight); }

private:
    std::vector<uint32_t>& pixels_;
};

// Every grab shows the other of two screens.
class AlternatingScreen : public ScreenGrabber {
public:
    AlternatingScreen(std::vector<uint32_t>& a, std::vector<uint32_t>& b) : a_(a), b_(b) {}
    bool Grab() override {
        showingB_ = !showingB_;
        return true;
    }
    PixelView Screen() override { return ViewOf(showingB_ ? b_ : a_, kWidth, kHeight); }

private:
    std::vector<uint32_t>& a_;
    std::vector<uint32_t>& b_;
    bool showingB_ = false;
};

// Baseline of the idle cycle: one memcmp of the whole frame against an equal copy.
void BM_IdleBaselineMemcmp(benchmark::State& state) {
    auto a = Desktop(1);
    auto b = a;
    for (auto _ : state) benchmark::DoNotOptimize(std::memcmp(a.data(), b.data(), a.size() * 4));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(a.size() * 4));
}
BENCHMARK(BM_IdleBaselineMemcmp);

void BM_IdleCycle(benchmark::State& state) {
    auto pixels = Desktop(1);
    FixedScreen screen(pixels);
    JpegStripEncoder encoder;
    UploadPipeline pipeline(kWidth, kHeight);
    CaptureCycle cycle(pipeline, screen, encoder, [](int32_t, const std::vector<uint8_t>&) {});
    std::atomic<int32_t> counter{0};
    cycle.Run(counter, 1 << 30, 70);  // the first frame sends everything
    for (auto _ : state) benchmark::DoNotOptimize(cycle.Run(counter, 1 << 30, 70));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pixels.size() * 4));
}
BENCHMARK(BM_IdleCycle);

// Baseline of detection and packing: a full memcmp (of equal bytes, so that it reads them all) and a
// memcpy over the same bytes.
void BM_ChangedBaselineMemcmpMemcpy(benchmark::State& state) {
    auto a = Desktop(1);
    auto b = a;
    std::vector<uint32_t> c(a.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::memcmp(a.data(), b.data(), a.size() * 4));
        std::memcpy(c.data(), a.data(), a.size() * 4);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(a.size() * 4));
}
BENCHMARK(BM_ChangedBaselineMemcmpMemcpy);

// Reads every band of the strip, as the encoder does: the packing of the strip, a band at a time.
void ReadAllBands(StripRows& strip) {
    for (uint32_t y = 0; y < strip.Height(); y += kMaxStripBand) {
        benchmark::DoNotOptimize(strip.Rows(y, std::min(kMaxStripBand, strip.Height() - y)));
    }
}

// Every part changed: detection finds all of them, and the strip is assembled band by band.
void BM_ChangedDetectAndPack(benchmark::State& state) {
    auto first = Desktop(1);
    auto second = Desktop(2);
    UploadPipeline pipeline(kWidth, kHeight);
    PixelView a = ViewOf(first, kWidth, kHeight), b = ViewOf(second, kWidth, kHeight);
    pipeline.FindChangedParts(a);
    pipeline.CommitSent(a);
    for (auto _ : state) {
        benchmark::DoNotOptimize(pipeline.FindChangedParts(b).size());
        ReadAllBands(pipeline.Strip(b));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(first.size() * 4));
}
BENCHMARK(BM_ChangedDetectAndPack);

// The 15360 x 135 strip of every part of Desktop(1), packed once, in a buffer of its own.
std::vector<uint32_t> PackedStrip(const std::vector<uint32_t>& desktop, uint32_t& width, uint32_t& height) {
    auto pixels = desktop;
    UploadPipeline pipeline(kWidth, kHeight);
    PixelView screen = ViewOf(pixels, kWidth, kHeight);
    pipeline.FindChangedParts(screen);
    StripRows& strip = pipeline.Strip(screen);
    width = strip.Width();
    height = strip.Height();
    std::vector<uint32_t> packed(size_t(width) * height);
    for (uint32_t y = 0; y < height; ++y) {
        std::memcpy(&packed[size_t(y) * width], strip.Rows(y, 1)[0], size_t(width) * 4);
    }
    return packed;
}

// Baseline of packing and encoding: the raw encode of an already packed 15360 x 135 strip.
void BM_EncodeBaselineTurbo(benchmark::State& state) {
    uint32_t width = 0, height = 0;
    auto packed = PackedStrip(Desktop(1), width, height);
    TurboEncoder encoder;
    PixelView view = ViewOf(packed, width, height);
    for (auto _ : state) benchmark::DoNotOptimize(encoder.Encode(view, 70));
}
BENCHMARK(BM_EncodeBaselineTurbo)->Unit(benchmark::kMillisecond);

// The strip encoder over the same packed pixels: libjpeg's row interface without any assembly.
void BM_EncodePackedThroughStripEncoder(benchmark::State& state) {
    uint32_t width = 0, height = 0;
    auto packed = PackedStrip(Desktop(1), width, height);
    JpegStripEncoder encoder;
    PackedStripRows rows(ViewOf(packed, width, height));
    for (auto _ : state) benchmark::DoNotOptimize(encoder.Encode(rows, 70).size());
}
BENCHMARK(BM_EncodePackedThroughStripEncoder)->Unit(benchmark::kMillisecond);

// Packing, encoding and the frame body of a full change, straight from the screen, band by band;
// beside it in every iteration, in alternating order, the raw encode of the already packed strip.
// ratio = (pack + encode + body) / raw encode, summed over the iterations.
void BM_PackAndEncode(benchmark::State& state) {
    auto pixels = Desktop(1);
    uint32_t width = 0, height = 0;
    auto packed = PackedStrip(pixels, width, height);
    PixelView packedView = ViewOf(packed, width, height);
    UploadPipeline pipeline(kWidth, kHeight);
    PixelView screen = ViewOf(pixels, kWidth, kHeight);
    JpegStripEncoder encoder;
    TurboEncoder raw;
    pipeline.FindChangedParts(screen);
    double ours = 0, baseline = 0;
    bool rawFirst = false;
    for (auto _ : state) {
        rawFirst = !rawFirst;
        const Clock::time_point t0 = Clock::now();
        if (rawFirst) benchmark::DoNotOptimize(raw.Encode(packedView, 70));
        const Clock::time_point t1 = Clock::now();
        std::span<const uint8_t> jpeg = encoder.Encode(pipeline.Strip(screen), 70);
        benchmark::DoNotOptimize(pipeline.WriteBody(jpeg.data(), uint32_t(jpeg.size())).size());
        const Clock::time_point t2 = Clock::now();
        if (!rawFirst) benchmark::DoNotOptimize(raw.Encode(packedView, 70));
        const Clock::time_point t3 = Clock::now();
        ours += Seconds(t1, t2);
        baseline += Seconds(t0, t1) + Seconds(t2, t3);
    }
    ReportBesideBaseline(state, ours, baseline);
}
BENCHMARK(BM_PackAndEncode)->Unit(benchmark::kMillisecond);

// A whole cycle in which every part changes: the screen alternates between Desktop(1) and a copy
// with one pixel changed in the top row of every part, so the strip encodes like the baseline's.
// Detection, packing and encoding band by band, recording the sent pixels and the frame body.
void BM_CycleEveryPartChanged(benchmark::State& state) {
    UploadPipeline pipeline(kWidth, kHeight);
    const PartGrid& grid = pipeline.Grid();
    auto first = Desktop(1);
    auto second = first;
    for (uint32_t y = 0; y < kHeight; y += grid.partHeight) {
        for (uint32_t x = 0; x < kWidth; x += grid.partWidth) second[size_t(y) * kWidth + x] ^= 0x00010101;
    }
    AlternatingScreen screen(first, second);
    JpegStripEncoder encoder;
    CaptureCycle cycle(pipeline, screen, encoder, [](int32_t, const std::vector<uint8_t>&) {});
    std::atomic<int32_t> counter{0};
    for (auto _ : state) {
        if (cycle.Run(counter, 1 << 30, 70) != CycleOutcome::kFrameSent) state.SkipWithError("no frame");
    }
}
BENCHMARK(BM_CycleEveryPartChanged)->Unit(benchmark::kMillisecond);

// The remote view's side: a full 1920 x 1080 frame (every part, one 15360 x 135 strip).
// Baseline: TurboJPEG's raw decode of the strip into a packed buffer of its own.
struct FullFrame {
    FullFrame() {
        uint32_t width = 0, height = 0;
        auto packed = PackedStrip(Desktop(1), width, height);
        TurboEncoder encoder;
        const unsigned long size = encoder.Encode(ViewOf(packed, width, height), 70);
        jpeg.assign(encoder.Bytes(), encoder.Bytes() + size);
        for (uint32_t k = 0; k < grid.PartCount(); ++k) parts.push_back(k);
    }
    PartGrid grid = PartGrid::ForScreen(kWidth, kHeight);
    std::vector<uint8_t> jpeg;
    std::vector<uint32_t> parts;
};

class TurboDecoder {
public:
    TurboDecoder() : handle_(tjInitDecompress()) {}
    ~TurboDecoder() { tjDestroy(handle_); }
    TurboDecoder(const TurboDecoder&) = delete;
    TurboDecoder& operator=(const TurboDecoder&) = delete;
    int Decode(const std::vector<uint8_t>& jpeg, std::vector<uint32_t>& into, uint32_t width,
               uint32_t height) {
        return tjDecompress2(handle_, jpeg.data(), static_cast<unsigned long>(jpeg.size()),
                             reinterpret_cast<unsigned char*>(into.data()), int(width), int(width) * 4,
                             int(height), TJPF_BGRX, 0);
    }

private:
    tjhandle handle_;
};

void BM_DecodeBaselineTurbo(benchmark::State& state) {
    FullFrame frame;
    TurboDecoder decoder;
    std::vector<uint32_t> strip(size_t(kWidth) * kHeight);
    for (auto _ : state) benchmark::DoNotOptimize(decoder.Decode(frame.jpeg, strip, 15360, 135));
}
BENCHMARK(BM_DecodeBaselineTurbo)->Unit(benchmark::kMillisecond);

// Decoding and placing every part into a 1920 x 1080 screen image; beside it in every iteration, in
// alternating order, the raw decode. ratio = decode and place / raw decode.
void BM_DecodeAndPlace(benchmark::State& state) {
    FullFrame frame;
    TurboDecoder raw;
    StripDecoder decoder;
    std::vector<uint32_t> strip(size_t(kWidth) * kHeight);
    std::vector<uint32_t> screen(size_t(kWidth) * kHeight);
    PixelView view = ViewOf(screen, kWidth, kHeight);
    double ours = 0, baseline = 0;
    bool rawFirst = false;
    for (auto _ : state) {
        rawFirst = !rawFirst;
        const Clock::time_point t0 = Clock::now();
        if (rawFirst) benchmark::DoNotOptimize(raw.Decode(frame.jpeg, strip, 15360, 135));
        const Clock::time_point t1 = Clock::now();
        if (decoder.DecodeAndPlace(frame.jpeg.data(), frame.jpeg.size(), frame.parts, frame.grid, view) !=
            PlaceOutcome::kPlaced) {
            state.SkipWithError("not placed");
        }
        const Clock::time_point t2 = Clock::now();
        if (!rawFirst) benchmark::DoNotOptimize(raw.Decode(frame.jpeg, strip, 15360, 135));
        const Clock::time_point t3 = Clock::now();
        ours += Seconds(t1, t2);
        baseline += Seconds(t0, t1) + Seconds(t2, t3);
    }
    ReportBesideBaseline(state, ours, baseline);
}
BENCHMARK(BM_DecodeAndPlace)->Unit(benchmark::kMillisecond);

}  // namespace
