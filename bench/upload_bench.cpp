// Benchmarks of the screen-upload pipeline, native, single thread, each beside its baseline in the
// same run: an idle cycle against one memcmp of the whole frame, change detection with packing
// against memcmp + memcpy of the same bytes, and packing plus encoding a strip (and a whole cycle in
// which every part changed) against libjpeg-turbo's raw encode of the same pixels (libjpeg-turbo
// standing in for the platform encoder), with one plain memcpy before the encode as the floor of any
// packing.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "upload/capture_cycle.h"

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

PixelView ViewOf(std::vector<uint32_t>& pixels, uint32_t width, uint32_t height) {
    return PixelView{reinterpret_cast<uint8_t*>(pixels.data()), std::ptrdiff_t(width) * 4, width, height};
}

// Like the platform encoder, which saves into one stream kept for every frame, the output buffer is
// kept from call to call: TurboJPEG's worst-case size for the strip, so it is never reallocated.
class TurboEncoder : public StripEncoder {
public:
    TurboEncoder() : handle_(tjInitCompress()) {}
    ~TurboEncoder() override {
        tjFree(buffer_);
        tjDestroy(handle_);
    }
    TurboEncoder(const TurboEncoder&) = delete;
    TurboEncoder& operator=(const TurboEncoder&) = delete;

    bool Encode(const PixelView& strip, int quality, std::vector<uint8_t>& jpeg) override {
        const unsigned long needed = tjBufSize(int(strip.width), int(strip.height), TJSAMP_420);
        if (needed == static_cast<unsigned long>(-1)) return false;
        if (needed > capacity_) {
            tjFree(buffer_);
            buffer_ = tjAlloc(int(needed));
            capacity_ = buffer_ ? needed : 0;
            if (!buffer_) return false;
        }
        unsigned long size = capacity_;
        int status =
            tjCompress2(handle_, strip.topRow, int(strip.width), int(strip.strideBytes), int(strip.height),
                        TJPF_BGRX, &buffer_, &size, TJSAMP_420, quality, TJFLAG_FASTDCT | TJFLAG_NOREALLOC);
        if (status == 0) jpeg.assign(buffer_, buffer_ + size);
        return status == 0;
    }

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
    TurboEncoder encoder;
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

// Every part changed: detection finds all of them, packing copies all of them into the strip.
void BM_ChangedDetectAndPack(benchmark::State& state) {
    auto first = Desktop(1);
    auto second = Desktop(2);
    UploadPipeline pipeline(kWidth, kHeight);
    PixelView a = ViewOf(first, kWidth, kHeight), b = ViewOf(second, kWidth, kHeight);
    pipeline.FindChangedParts(a);
    pipeline.PackStrip(a);
    pipeline.CommitSent();
    for (auto _ : state) {
        benchmark::DoNotOptimize(pipeline.FindChangedParts(b).size());
        benchmark::DoNotOptimize(pipeline.PackStrip(b).topRow);
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
    PixelView strip = pipeline.PackStrip(screen);
    std::vector<uint32_t> packed(size_t(strip.width) * strip.height);
    for (uint32_t y = 0; y < strip.height; ++y) {
        std::memcpy(&packed[size_t(y) * strip.width], strip.Row(y), size_t(strip.width) * 4);
    }
    width = strip.width;
    height = strip.height;
    return packed;
}

// Baseline of packing and encoding: the raw encode of an already packed 15360 x 135 strip.
void BM_EncodeBaselineTurbo(benchmark::State& state) {
    uint32_t width = 0, height = 0;
    auto packed = PackedStrip(Desktop(1), width, height);
    TurboEncoder encoder;
    std::vector<uint8_t> jpeg;
    PixelView view = ViewOf(packed, width, height);
    for (auto _ : state) encoder.Encode(view, 70, jpeg);
}
BENCHMARK(BM_EncodeBaselineTurbo)->Unit(benchmark::kMillisecond);

// The counters split each iteration: the copy (pack_ms) runs from memory here, not from the cache
// as in BM_PackOnly, because every encode streams the strip and its own buffers through it.
void BM_PackAndEncode(benchmark::State& state) {
    auto pixels = Desktop(1);
    UploadPipeline pipeline(kWidth, kHeight);
    PixelView screen = ViewOf(pixels, kWidth, kHeight);
    TurboEncoder encoder;
    std::vector<uint8_t> jpeg;
    pipeline.FindChangedParts(screen);
    double pack = 0, encode = 0;
    for (auto _ : state) {
        const Clock::time_point t0 = Clock::now();
        PixelView strip = pipeline.PackStrip(screen);
        const Clock::time_point t1 = Clock::now();
        encoder.Encode(strip, 70, jpeg);
        const Clock::time_point t2 = Clock::now();
        benchmark::DoNotOptimize(pipeline.WriteBody(jpeg.data(), uint32_t(jpeg.size())).size());
        pack += Seconds(t0, t1);
        encode += Seconds(t1, t2);
    }
    state.counters["pack_ms"] = MsPerIteration(pack);
    state.counters["encode_ms"] = MsPerIteration(encode);
}
BENCHMARK(BM_PackAndEncode)->Unit(benchmark::kMillisecond);

// The least any packing can cost before the encode: one memcpy of the already packed pixels into
// the strip's buffer (the same bytes read and written as packing), then the same encode.
void BM_CopyAndEncodeFloor(benchmark::State& state) {
    uint32_t width = 0, height = 0;
    auto packed = PackedStrip(Desktop(1), width, height);
    std::vector<uint32_t> strip(packed.size());
    TurboEncoder encoder;
    std::vector<uint8_t> jpeg;
    PixelView view = ViewOf(strip, width, height);
    double copy = 0, encode = 0;
    for (auto _ : state) {
        const Clock::time_point t0 = Clock::now();
        std::memcpy(strip.data(), packed.data(), packed.size() * 4);
        benchmark::ClobberMemory();
        const Clock::time_point t1 = Clock::now();
        encoder.Encode(view, 70, jpeg);
        copy += Seconds(t0, t1);
        encode += Seconds(t1, Clock::now());
    }
    state.counters["copy_ms"] = MsPerIteration(copy);
    state.counters["encode_ms"] = MsPerIteration(encode);
}
BENCHMARK(BM_CopyAndEncodeFloor)->Unit(benchmark::kMillisecond);

void BM_PackOnly(benchmark::State& state) {
    auto pixels = Desktop(1);
    UploadPipeline pipeline(kWidth, kHeight);
    PixelView screen = ViewOf(pixels, kWidth, kHeight);
    pipeline.FindChangedParts(screen);
    for (auto _ : state) benchmark::DoNotOptimize(pipeline.PackStrip(screen).topRow);
}
BENCHMARK(BM_PackOnly)->Unit(benchmark::kMillisecond);

// A whole cycle in which every part changes: the screen alternates between Desktop(1) and a copy
// with one pixel changed in the top row of every part, so the strip encodes like the baseline's.
// Detection, packing, encoding, recording the sent pixels and the frame body.
void BM_CycleEveryPartChanged(benchmark::State& state) {
    UploadPipeline pipeline(kWidth, kHeight);
    const PartGrid& grid = pipeline.Grid();
    auto first = Desktop(1);
    auto second = first;
    for (uint32_t y = 0; y < kHeight; y += grid.partHeight) {
        for (uint32_t x = 0; x < kWidth; x += grid.partWidth) second[size_t(y) * kWidth + x] ^= 0x00010101;
    }
    AlternatingScreen screen(first, second);
    TurboEncoder encoder;
    CaptureCycle cycle(pipeline, screen, encoder, [](int32_t, const std::vector<uint8_t>&) {});
    std::atomic<int32_t> counter{0};
    for (auto _ : state) {
        if (cycle.Run(counter, 1 << 30, 70) != CycleOutcome::kFrameSent) state.SkipWithError("no frame");
    }
}
BENCHMARK(BM_CycleEveryPartChanged)->Unit(benchmark::kMillisecond);

}  // namespace
