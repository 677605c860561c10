// libFuzzer target: the GIF block walk and the stand-alone frames built from it, over arbitrary bytes.
// Nothing may be read past the data; every frame found must lie inside it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "common/widgets/gif_blocks.h"

using namespace tesmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GifFile file;
    bool ok = ParseGifBlocks(data, size, file);
    if (ok == file.frames.empty()) abort();
    for (const GifFrame& frame : file.frames) {
        if (frame.imageOffset + frame.imageLength > size) abort();
        std::vector<uint8_t> single = BuildFrameGif(data, size, file, frame);
        if (single.empty()) abort();
        GifFile again;
        if (!ParseGifBlocks(single.data(), single.size(), again) || again.frames.size() != 1) abort();
        (void)GifFrameWaitMilliseconds(frame.delay);
    }
    return 0;
}
