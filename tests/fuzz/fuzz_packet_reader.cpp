// Fuzz target: arbitrary bytes read as a delivered packet (length field first). Whatever is
// accepted must write back into a frame that reads back to the same frame again.
#include <cstdlib>
#include <vector>

#include "transport/frame.h"
#include "transport/packet.h"

using namespace tesmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Packet packet;
    if (!packet.ReadBody(data, size)) return 0;
    const std::vector<uint8_t> frame = packet.BuildFrame(0x5C);
    if (frame.size() < kFrameHeaderSize + 1) std::abort();
    Packet again;
    if (!again.ReadBody(frame.data() + kFrameMarkSize, frame.size() - kFrameMarkSize)) std::abort();
    if (again.Type() != packet.Type() || again.BuildFrame(0x5C) != frame) std::abort();
    return 0;
}
