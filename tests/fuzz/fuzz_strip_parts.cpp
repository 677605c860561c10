// Fuzz target: the remote view's strip decoder on the grids of real teacher screens (1920 x 1080,
// 2560 x 1440, 1366 x 768, 1280 x 800) with part lists of any length: the input's own entries,
// optionally repeated up to two million entries, as a teacher may send them. A list naming more
// parts than the grid has must not decode (and must not cost a part's copy per entry: the run's
// per-input time limit makes a slow list a finding); one naming a part outside the grid places
// nothing. Layout: the JPEG bytes, then, read from the input's end backwards: the grid, the repeat
// count, the entry count and the part numbers (each taken modulo the part count plus 2, so that a
// few fall outside the grid).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "remote_control/strip_decoder.h"

using namespace tesmora;

namespace {

struct Screen {
    uint32_t width, height;
    std::unique_ptr<uint8_t[]> pixels;  // made once: real screens are megabytes
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static StripDecoder decoder;  // kept from frame to frame, as the receiver keeps it
    static Screen screens[] = {
        {1920, 1080, nullptr}, {2560, 1440, nullptr}, {1366, 768, nullptr}, {1280, 800, nullptr}};
    FuzzedDataProvider input(data, size);
    Screen& screen = screens[input.ConsumeIntegralInRange<size_t>(0, 3)];
    if (!screen.pixels) screen.pixels = std::make_unique<uint8_t[]>(size_t(screen.width) * screen.height * 4);
    const PartGrid grid = PartGrid::ForScreen(screen.width, screen.height);

    const uint32_t repeated = input.ConsumeIntegralInRange<uint32_t>(0, 2000000);
    std::vector<uint32_t> parts(input.ConsumeIntegralInRange<size_t>(0, 600));
    bool outside = false;
    for (uint32_t& part : parts) {
        part = input.ConsumeIntegral<uint16_t>() % (grid.PartCount() + 2);
        outside = outside || part >= grid.PartCount();
    }
    if (!parts.empty()) {
        parts.reserve(repeated);
        for (size_t i = 0; parts.size() < repeated; ++i) parts.push_back(parts[i]);
    }
    const std::vector<uint8_t> jpeg = input.ConsumeRemainingBytes<uint8_t>();

    const PixelView view{screen.pixels.get(), std::ptrdiff_t(screen.width) * 4, screen.width, screen.height};
    const PlaceOutcome outcome = decoder.DecodeAndPlace(jpeg.data(), jpeg.size(), parts, grid, view);
    if (outside && outcome != PlaceOutcome::kNotPlaced) std::abort();
    if (!outside && parts.size() > grid.PartCount() && outcome != PlaceOutcome::kUndecodable) std::abort();
    return 0;
}
