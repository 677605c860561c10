// The frame of the TCP byte stream: a four-byte mark derived from a tick byte T, the length field L
// (counting itself and the body), then the body. Any thread.
#pragma once

#include <array>
#include <cstdint>

namespace tesmora {

inline constexpr uint32_t kFrameMarkSize = 4;
inline constexpr uint32_t kFrameHeaderSize = 8;  // mark + L
// The smallest acceptable L: the length field and one packet-type byte. A shorter L cannot hold a
// packet, so the stream is treated as broken, the same as L = 0.
inline constexpr uint32_t kMinFrameLength = 5;
// The largest acceptable L. The largest frame a peer legitimately sends is one full-screen JPEG of
// the teacher's desktop: a few MB even for a 7680 x 4320 picture at the quality the peers use. 32 MiB
// leaves ample room while a peer that announces more (up to 4 GB) is cut off before a 32-bit process
// spends its address space on it; the receive buffer then never holds more than one frame of this
// size plus one arrival.
inline constexpr uint32_t kMaxFrameLength = 32u * 1024 * 1024;

// A0 + (T >> 5), A0 + (T >> 6), A0 + (T >> 4), T.
std::array<uint8_t, kFrameMarkSize> MakeFrameMark(uint8_t tick);
// True when bytes 0..2 are the mark that byte 3 calls for.
bool IsFrameMark(const uint8_t* fourBytes);

// A frame handed to the owner: a heap block of L bytes that starts with the length field. Whoever
// holds it frees it with FreeFrameBlock (Packet::Read does so).
uint8_t* AllocateFrameBlock(uint32_t length);  // nullptr if the memory is not there
void FreeFrameBlock(uint8_t* block);
// L, read from the first four bytes of a frame block.
uint32_t FrameBlockLength(const uint8_t* block);

}  // namespace tesmora
