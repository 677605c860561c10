// Fuzz target: the remote view's strip decoder over arbitrary JPEG bytes, with a part list and a
// screen chosen by the input (a grid of 2 x 2 parts of 120 x 135, a screen too small on purpose).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "remote_control/strip_decoder.h"

using namespace tesmora;

namespace {
constexpr uint8_t kUntouched = 0xAB;  // a colour no decoder writes everywhere by chance
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static StripDecoder decoder;  // kept from frame to frame, as the receiver keeps it
    FuzzedDataProvider input(data, size);
    const PartGrid grid = PartGrid::ForScreen(240, 270);
    const uint32_t screenHeight = input.ConsumeBool() ? 270 : 200;
    std::vector<uint32_t> parts(input.ConsumeIntegralInRange<size_t>(0, 5));
    for (uint32_t& part : parts) part = input.ConsumeIntegralInRange<uint32_t>(0, 4);
    const std::vector<uint8_t> jpeg = input.ConsumeRemainingBytes<uint8_t>();

    // Filled and compared with memset and memcmp: element-by-element loops, compiled with the
    // fuzzer's coverage, took most of each input's time. One screen per height, exactly its size so
    // that the sanitizer sees any write past it, made once: a fresh one each input came from mmap and
    // its page faults took a quarter of the time.
    const size_t bytes = size_t(240) * screenHeight * 4;
    static const std::vector<uint8_t> untouched(size_t(240) * 270 * 4, kUntouched);
    static const auto tall = std::make_unique_for_overwrite<uint8_t[]>(size_t(240) * 270 * 4);
    static const auto short_ = std::make_unique_for_overwrite<uint8_t[]>(size_t(240) * 200 * 4);
    uint8_t* const pixels = screenHeight == 270 ? tall.get() : short_.get();
    std::memset(pixels, kUntouched, bytes);
    PixelView screen{pixels, 240 * 4, 240, screenHeight};
    const PlaceOutcome outcome = decoder.DecodeAndPlace(jpeg.data(), jpeg.size(), parts, grid, screen);
    // Nothing may be drawn when nothing is placed.
    if (outcome == PlaceOutcome::kNotPlaced && std::memcmp(pixels, untouched.data(), bytes) != 0) {
        std::abort();
    }
    return 0;
}
