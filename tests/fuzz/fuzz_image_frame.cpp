// Fuzz target: an image-frame body read from arbitrary bytes and its strip placed on a small screen
// grid, with strip and screen sizes chosen by the input (some too small on purpose).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "transport/image_frame.h"

using namespace tesmora;

namespace {

// Exactly the image's size, so that the sanitizer sees any read or write past it. Cleared with
// memset: a vector's element-by-element zeroing, compiled with the fuzzer's coverage, took most of
// each input's time (up to a megabyte an input).
struct Image {
    std::unique_ptr<uint32_t[]> pixels;
    PixelView view;
    Image(uint32_t width, uint32_t height)
        : pixels(std::make_unique_for_overwrite<uint32_t[]>(size_t(width) * height)) {
        std::memset(pixels.get(), 0, size_t(width) * height * 4);
        view = {reinterpret_cast<uint8_t*>(pixels.get()), std::ptrdiff_t(width) * 4, width, height};
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    static constexpr uint32_t kScreens[][2] = {{400, 300}, {398, 300}, {256, 199}, {0, 300}, {64, 48}};
    const auto& screenSize = kScreens[input.ConsumeIntegralInRange<size_t>(0, 4)];
    const PartGrid grid = PartGrid::ForScreen(screenSize[0], screenSize[1]);
    const uint32_t screenShrink = input.ConsumeIntegralInRange<uint32_t>(0, 1);
    const uint32_t stripWidth = input.ConsumeIntegralInRange<uint32_t>(0, 4 * 200);
    const uint32_t stripHeight = input.ConsumeIntegralInRange<uint32_t>(0, 160);
    const std::vector<uint8_t> body = input.ConsumeRemainingBytes<uint8_t>();

    ImageFrameBody frame;
    if (!ReadImageFrameBody(body.data(), body.size(), frame)) return 0;
    const uint64_t jpegEnd = uint64_t(12) + 4 * uint64_t(frame.parts.size()) + frame.jpegLength;
    if (jpegEnd > body.size() || frame.jpeg != body.data() + (jpegEnd - frame.jpegLength)) std::abort();

    Image strip(stripWidth, stripHeight);
    Image screen(screenSize[0] > screenShrink ? screenSize[0] - screenShrink : 0, screenSize[1]);
    PlaceStrip(strip.view, frame.parts, grid, screen.view);
    return 0;
}
