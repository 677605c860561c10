// Fuzz target: the remote view's strip decoder over arbitrary JPEG bytes, with a part list and a
// screen chosen by the input (a grid of 2 x 2 parts of 120 x 135, a screen too small on purpose).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <vector>

#include "remote_control/strip_decoder.h"

using namespace tesmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static StripDecoder decoder;  // kept from frame to frame, as the receiver keeps it
    FuzzedDataProvider input(data, size);
    const PartGrid grid = PartGrid::ForScreen(240, 270);
    const uint32_t screenHeight = input.ConsumeBool() ? 270 : 200;
    std::vector<uint32_t> parts(input.ConsumeIntegralInRange<size_t>(0, 5));
    for (uint32_t& part : parts) part = input.ConsumeIntegralInRange<uint32_t>(0, 4);
    const std::vector<uint8_t> jpeg = input.ConsumeRemainingBytes<uint8_t>();

    std::vector<uint32_t> pixels(size_t(240) * screenHeight, 0x00ABCDEF);
    PixelView screen{reinterpret_cast<uint8_t*>(pixels.data()), 240 * 4, 240, screenHeight};
    const PlaceOutcome outcome = decoder.DecodeAndPlace(jpeg.data(), jpeg.size(), parts, grid, screen);
    if (outcome == PlaceOutcome::kNotPlaced) {
        for (uint32_t pixel : pixels) {
            if (pixel != 0x00ABCDEF) std::abort();  // nothing may be drawn when nothing is placed
        }
    }
    return 0;
}
