// The remote view's smooth scaler of the teacher's 1920 x 1080 monitor onto a 1280 x 800 pad, for
// the whole picture and for a typical frame's two changed parts, each beside a plain copy of the same
// pixels and beside picking the nearest pixel (what a plain stretch does).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "remote_control/area_scaler.h"

using namespace tesmora;

namespace {

constexpr uint32_t kSourceWidth = 1920, kSourceHeight = 1080, kPadWidth = 1280, kPadHeight = 800;

struct Pictures {
    std::vector<uint32_t> source, pad;
    Pictures() : source(size_t(kSourceWidth) * kSourceHeight), pad(size_t(kPadWidth) * kPadHeight) {
        for (size_t i = 0; i < source.size(); ++i) source[i] = uint32_t(i * 2654435761u) | 0xFF000000u;
    }
    PixelView Source() {
        return {reinterpret_cast<uint8_t*>(source.data()), std::ptrdiff_t(kSourceWidth) * 4, kSourceWidth,
                kSourceHeight};
    }
    PixelView Pad() {
        return {reinterpret_cast<uint8_t*>(pad.data()), std::ptrdiff_t(kPadWidth) * 4, kPadWidth, kPadHeight};
    }
};

// Parts 0 and 17 of the 120 x 135 grid.
const PixelRect kTwoParts[] = {{0, 0, 120, 135}, {120, 135, 240, 270}};

void CopyRect(const PixelView& from, const PixelView& to, const PixelRect& r) {
    for (int32_t y = r.top; y < r.bottom; ++y)
        std::memcpy(to.Row(uint32_t(y)) + r.left, from.Row(uint32_t(y)) + r.left, size_t(r.Width()) * 4);
}

void Nearest(const PixelView& from, const PixelView& to, const PixelRect& area) {
    for (int32_t y = area.top; y < area.bottom; ++y) {
        const uint32_t* row = from.Row(uint32_t(y) * from.height / to.height);
        uint32_t* out = to.Row(uint32_t(y));
        for (int32_t x = area.left; x < area.right; ++x) out[x] = row[uint32_t(x) * from.width / to.width];
    }
}

void BM_ScaleWholePicture(benchmark::State& state) {
    Pictures p;
    AreaScaler scaler;
    scaler.SetSizes(kSourceWidth, kSourceHeight, kPadWidth, kPadHeight);
    for (auto _ : state) {
        scaler.Scale(p.Source(), p.Pad(), {0, 0, int32_t(kPadWidth), int32_t(kPadHeight)});
        benchmark::DoNotOptimize(p.pad.data());
    }
}
BENCHMARK(BM_ScaleWholePicture)->Unit(benchmark::kMillisecond);

void BM_NearestWholePicture(benchmark::State& state) {
    Pictures p;
    for (auto _ : state) {
        Nearest(p.Source(), p.Pad(), {0, 0, int32_t(kPadWidth), int32_t(kPadHeight)});
        benchmark::DoNotOptimize(p.pad.data());
    }
}
BENCHMARK(BM_NearestWholePicture)->Unit(benchmark::kMillisecond);

void BM_CopyWholePicture(benchmark::State& state) {
    Pictures p;
    std::vector<uint32_t> copy(p.source.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), p.source.data(), copy.size() * 4);
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(BM_CopyWholePicture)->Unit(benchmark::kMillisecond);

void BM_ScaleTwoParts(benchmark::State& state) {
    Pictures p;
    AreaScaler scaler;
    scaler.SetSizes(kSourceWidth, kSourceHeight, kPadWidth, kPadHeight);
    for (auto _ : state) {
        for (const PixelRect& part : kTwoParts) scaler.Scale(p.Source(), p.Pad(), scaler.DestinationOf(part));
        benchmark::DoNotOptimize(p.pad.data());
    }
}
BENCHMARK(BM_ScaleTwoParts)->Unit(benchmark::kMicrosecond);

void BM_CopyTwoParts(benchmark::State& state) {
    Pictures p;
    std::vector<uint32_t> copy(p.source.size());
    const PixelView to{reinterpret_cast<uint8_t*>(copy.data()), std::ptrdiff_t(kSourceWidth) * 4,
                       kSourceWidth, kSourceHeight};
    for (auto _ : state) {
        for (const PixelRect& part : kTwoParts) CopyRect(p.Source(), to, part);
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(BM_CopyTwoParts)->Unit(benchmark::kMicrosecond);

}  // namespace
