// Frame mark and frame blocks of the TCP byte stream. Any thread.
#include "frame.h"

#include <cstdlib>

#include "common/bytes/byte_writer.h"

namespace tesmora {

std::array<uint8_t, kFrameMarkSize> MakeFrameMark(uint8_t tick) {
    return {uint8_t(0xA0 + (tick >> 5)), uint8_t(0xA0 + (tick >> 6)), uint8_t(0xA0 + (tick >> 4)), tick};
}

bool IsFrameMark(const uint8_t* fourBytes) {
    const auto expected = MakeFrameMark(fourBytes[3]);
    return fourBytes[0] == expected[0] && fourBytes[1] == expected[1] && fourBytes[2] == expected[2];
}

uint8_t* AllocateFrameBlock(uint32_t length) {
    // A frame block is never empty (it holds at least the length field); asking for one byte keeps a
    // zero-length request from returning a pointer that looks like a block. The C heap directly: a
    // burst of small frames costs one allocation each, and this is what each one costs.
    return static_cast<uint8_t*>(std::malloc(length == 0 ? 1 : length));
}

void FreeFrameBlock(uint8_t* block) {
    std::free(block);
}

uint32_t FrameBlockLength(const uint8_t* block) {
    return LoadU32(block);
}

}  // namespace tesmora
