// Fuzz target: an image-frame body read from arbitrary bytes and its strip placed on a small screen
// grid, with strip and screen sizes chosen by the input (some too small on purpose).
#include <fuzzer/FuzzedDataProvider.h>
#include <sanitizer/asan_interface.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "transport/image_frame.h"

using namespace tesmora;

namespace {

// An image of exactly its size at the start of a buffer kept from input to input, the rest of the
// buffer poisoned: the sanitizer sees any access past the image as it would past a fresh allocation
// (and before it, past the buffer's own start), without a fresh allocation's mapping and page faults,
// which took most of each input's time. Cleared with memset: element-by-element zeroing, compiled
// with the fuzzer's coverage, was slower still.
class Image {
public:
    explicit Image(size_t capacity)
        : pixels_(std::make_unique_for_overwrite<uint32_t[]>(capacity)), capacity_(capacity) {}
    PixelView Take(uint32_t width, uint32_t height) {
        const size_t count = size_t(width) * height;
        if (count > capacity_) std::abort();
        ASAN_UNPOISON_MEMORY_REGION(pixels_.get(), capacity_ * 4);
        ASAN_POISON_MEMORY_REGION(pixels_.get() + count, (capacity_ - count) * 4);
        std::memset(pixels_.get(), 0, count * 4);
        return {reinterpret_cast<uint8_t*>(pixels_.get()), std::ptrdiff_t(width) * 4, width, height};
    }

private:
    std::unique_ptr<uint32_t[]> pixels_;
    size_t capacity_;
};

constexpr uint32_t kMaxStripWidth = 4 * 200, kMaxStripHeight = 160;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    static constexpr uint32_t kScreens[][2] = {{400, 300}, {398, 300}, {256, 199}, {0, 300}, {64, 48}};
    const auto& screenSize = kScreens[input.ConsumeIntegralInRange<size_t>(0, 4)];
    const PartGrid grid = PartGrid::ForScreen(screenSize[0], screenSize[1]);
    const uint32_t screenShrink = input.ConsumeIntegralInRange<uint32_t>(0, 1);
    const uint32_t stripWidth = input.ConsumeIntegralInRange<uint32_t>(0, kMaxStripWidth);
    const uint32_t stripHeight = input.ConsumeIntegralInRange<uint32_t>(0, kMaxStripHeight);
    const std::vector<uint8_t> body = input.ConsumeRemainingBytes<uint8_t>();

    ImageFrameBody frame;
    if (!ReadImageFrameBody(body.data(), body.size(), frame)) return 0;
    const uint64_t jpegEnd = uint64_t(12) + 4 * uint64_t(frame.parts.size()) + frame.jpegLength;
    if (jpegEnd > body.size() || frame.jpeg != body.data() + (jpegEnd - frame.jpegLength)) std::abort();

    static Image strip(size_t(kMaxStripWidth) * kMaxStripHeight);
    static Image screen(size_t(400) * 300);
    PlaceStrip(strip.Take(stripWidth, stripHeight), frame.parts, grid,
               screen.Take(screenSize[0] > screenShrink ? screenSize[0] - screenShrink : 0, screenSize[1]));
    return 0;
}
