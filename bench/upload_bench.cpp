// Benchmarks of the screen-upload pipeline, native, single thread, each beside its baseline in the
// same run: an idle cycle against one memcmp of the whole frame, change detection with packing
// against memcmp + memcpy of the same bytes, and packing plus encoding a strip against
// libjpeg-turbo's raw encode of the same pixels (libjpeg-turbo standing in for the platform encoder).
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

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

PixelView ViewOf(std::vector<uint32_t>& pixels, uint32_t width, uint32_t height) {
    return PixelView{reinterpret_cast<uint8_t*>(pixels.data()), std::ptrdiff_t(width) * 4, width, height};
}

class TurboEncoder : public StripEncoder {
public:
    TurboEncoder() : handle_(tjInitCompress()) {}
    ~TurboEncoder() override { tjDestroy(handle_); }
    bool Encode(const PixelView& strip, int quality, std::vector<uint8_t>& jpeg) override {
        unsigned char* out = nullptr;
        unsigned long size = 0;
        int status = tjCompress2(handle_, strip.topRow, int(strip.width), int(strip.strideBytes), int(strip.height),
                                 TJPF_BGRX, &out, &size, TJSAMP_420, quality, TJFLAG_FASTDCT);
        if (status == 0) jpeg.assign(out, out + size);
        tjFree(out);
        return status == 0;
    }

private:
    tjhandle handle_;
};

class FixedScreen : public ScreenGrabber {
public:
    explicit FixedScreen(std::vector<uint32_t>& pixels) : pixels_(pixels) {}
    bool Grab() override { return true; }
    PixelView Screen() override { return ViewOf(pixels_, kWidth, kHeight); }

private:
    std::vector<uint32_t>& pixels_;
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

// Baseline of packing and encoding: the raw encode of an already packed 15360 x 135 strip.
void BM_EncodeBaselineTurbo(benchmark::State& state) {
    auto pixels = Desktop(1);
    UploadPipeline pipeline(kWidth, kHeight);
    PixelView screen = ViewOf(pixels, kWidth, kHeight);
    pipeline.FindChangedParts(screen);
    PixelView strip = pipeline.PackStrip(screen);
    std::vector<uint32_t> packed(strip.width * strip.height);
    for (uint32_t y = 0; y < strip.height; ++y) std::memcpy(&packed[y * strip.width], strip.Row(y), strip.width * 4);
    TurboEncoder encoder;
    std::vector<uint8_t> jpeg;
    PixelView view = ViewOf(packed, strip.width, strip.height);
    for (auto _ : state) encoder.Encode(view, 70, jpeg);
}
BENCHMARK(BM_EncodeBaselineTurbo)->Unit(benchmark::kMillisecond);

void BM_PackAndEncode(benchmark::State& state) {
    auto pixels = Desktop(1);
    UploadPipeline pipeline(kWidth, kHeight);
    PixelView screen = ViewOf(pixels, kWidth, kHeight);
    TurboEncoder encoder;
    std::vector<uint8_t> jpeg;
    pipeline.FindChangedParts(screen);
    for (auto _ : state) {
        PixelView strip = pipeline.PackStrip(screen);
        encoder.Encode(strip, 70, jpeg);
        benchmark::DoNotOptimize(pipeline.WriteBody(jpeg.data(), uint32_t(jpeg.size())).size());
    }
}
BENCHMARK(BM_PackAndEncode)->Unit(benchmark::kMillisecond);

void BM_PackOnly(benchmark::State& state) {
    auto pixels = Desktop(1);
    UploadPipeline pipeline(kWidth, kHeight);
    PixelView screen = ViewOf(pixels, kWidth, kHeight);
    pipeline.FindChangedParts(screen);
    for (auto _ : state) benchmark::DoNotOptimize(pipeline.PackStrip(screen).topRow);
}
BENCHMARK(BM_PackOnly)->Unit(benchmark::kMillisecond);

}  // namespace
