// The block structure of a GIF file held in memory: the logical screen, the global colour table and
// the list of frames (each an optional graphic control extension and one image block), found by
// walking the blocks; and the stand-alone one-frame GIF built from a frame for the picture decoder.
// Outside data: every length is checked against what remains, nothing is read past the block.
// Portable; any thread (a parse result belongs to its caller).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tesmora {

inline constexpr size_t kGifHeaderSize = 13;
inline constexpr size_t kGifControlExtensionSize = 8;
inline constexpr uint8_t kGifTrailer = 0x3B;
// The delay of a frame without a graphic control extension: it stays until the animation stops.
inline constexpr uint32_t kGifNoDelay = 0xFFFFFFFF;

struct GifFrame {
    size_t controlOffset = 0;  // graphic control extension, when hasControl
    bool hasControl = false;
    size_t imageOffset = 0;  // image block: descriptor, local colour table, data sub-blocks
    size_t imageLength = 0;
    int left = 0, top = 0, width = 0, height = 0;  // image descriptor bytes 1..8
    uint32_t delay = kGifNoDelay;                  // hundredths of a second
    int disposal = 0;                              // 0..7
};

struct GifFile {
    int width = 0, height = 0;         // logical screen
    size_t globalTableSize = 0;        // bytes, 0 when there is none
    bool hasBackgroundColour = false;  // the global table's entry at the background index
    uint8_t backgroundRed = 0, backgroundGreen = 0, backgroundBlue = 0;
    std::vector<GifFrame> frames;
};

// True when the block starts with the signature GIF87a or GIF89a.
bool IsGifSignature(const uint8_t* data, size_t size);

// Reads header and global colour table, then walks the blocks from right after them, one frame at a
// time, until a walk fails (trailer, unknown block, a block that would reach past the end). False when
// the data is not a GIF, the header or colour table is cut short, or no frame was found.
bool ParseGifBlocks(const uint8_t* data, size_t size, GifFile& file);

// The frame as a GIF of its own: header and global colour table, the frame's graphic control
// extension (when it has one) and image block exactly as found, and the trailer. `file` must come from
// ParseGifBlocks over the same data.
std::vector<uint8_t> BuildFrameGif(const uint8_t* data, size_t size, const GifFile& file,
                                   const GifFrame& frame);

// How long the animation shows a frame, in milliseconds: delay x 10, or 100 for a delay below 5;
// kGifWaitForever (the platform's infinite wait) for a frame without a graphic control extension.
inline constexpr uint32_t kGifWaitForever = 0xFFFFFFFF;
uint32_t GifFrameWaitMilliseconds(uint32_t delay);

}  // namespace tesmora
