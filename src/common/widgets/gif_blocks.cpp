// The GIF block walk (see gif_blocks.h).
#include "common/widgets/gif_blocks.h"

namespace tesmora {

namespace {

constexpr uint8_t kExtension = 0x21;
constexpr uint8_t kImage = 0x2C;
constexpr uint8_t kApplicationLabel = 0xFF;
constexpr uint8_t kCommentLabel = 0xFE;
constexpr uint8_t kControlLabel = 0xF9;
constexpr uint8_t kPlainTextLabel = 0x01;

enum class BlockKind { Application, Comment, Control, PlainText, Image, Trailer, Error };

size_t ColourTableSize(uint8_t packed) {
    return (packed & 0x80) ? 3u * (size_t{1} << ((packed & 7) + 1)) : 0;
}

uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// Walks one block at `offset` and answers its kind and length; Error (length 0) when the block is
// unknown or would reach past `size`.
BlockKind MeasureBlock(const uint8_t* data, size_t size, size_t offset, size_t& length) {
    length = 0;
    if (offset >= size) return BlockKind::Error;
    size_t remaining = size - offset;
    const uint8_t* p = data + offset;

    // The fixed part of the block, then (for all but the control extension) data sub-blocks.
    BlockKind kind;
    size_t fixed;
    if (p[0] == kGifTrailer) {
        length = 1;
        return BlockKind::Trailer;
    } else if (p[0] == kImage) {
        kind = BlockKind::Image;
        if (remaining < 10) return BlockKind::Error;
        size_t table = ColourTableSize(p[9]);
        fixed = 10 + table + 1;  // descriptor, local colour table, LZW code size
    } else if (p[0] == kExtension && remaining >= 2) {
        switch (p[1]) {
            case kApplicationLabel:
                kind = BlockKind::Application;
                fixed = 14;
                break;
            case kCommentLabel:
                kind = BlockKind::Comment;
                fixed = 2;
                break;
            case kPlainTextLabel:
                kind = BlockKind::PlainText;
                fixed = 15;
                break;
            case kControlLabel:
                if (remaining < kGifControlExtensionSize) return BlockKind::Error;
                length = kGifControlExtensionSize;
                return BlockKind::Control;
            default:
                return BlockKind::Error;
        }
    } else {
        return BlockKind::Error;
    }
    if (fixed > remaining) return BlockKind::Error;

    // Sub-blocks: a length byte and that many bytes, ended by a zero length byte.
    size_t at = fixed;
    while (true) {
        if (at >= remaining) return BlockKind::Error;
        uint8_t count = p[at];
        if (count == 0) break;
        if (count > remaining - at - 1) return BlockKind::Error;
        at += 1 + count;
    }
    length = at + 1;
    return kind;
}

// One frame from `offset`: skipped extensions, an optional control extension, an image. Advances
// `offset` past the image. False when the walk fails before an image is found.
bool WalkFrame(const uint8_t* data, size_t size, size_t& offset, GifFrame& frame) {
    frame = GifFrame{};
    while (true) {
        size_t length = 0;
        BlockKind kind = MeasureBlock(data, size, offset, length);
        switch (kind) {
            case BlockKind::Error:
            case BlockKind::Trailer:
                return false;
            case BlockKind::Control: {
                // A second control extension before the image replaces the first: the one nearest
                // the image is the one that governs it.
                const uint8_t* p = data + offset;
                frame.hasControl = true;
                frame.controlOffset = offset;
                frame.disposal = (p[3] >> 2) & 7;
                frame.delay = ReadU16(p + 4);
                break;
            }
            case BlockKind::Image: {
                const uint8_t* p = data + offset;
                frame.imageOffset = offset;
                frame.imageLength = length;
                frame.left = ReadU16(p + 1);
                frame.top = ReadU16(p + 3);
                frame.width = ReadU16(p + 5);
                frame.height = ReadU16(p + 7);
                offset += length;
                return true;
            }
            default:
                break;  // application, comment and plain-text extensions are skipped
        }
        offset += length;
    }
}

}  // namespace

bool IsGifSignature(const uint8_t* data, size_t size) {
    if (!data || size < 6) return false;
    return data[0] == 'G' && data[1] == 'I' && data[2] == 'F' && data[3] == '8' &&
           (data[4] == '7' || data[4] == '9') && data[5] == 'a';
}

bool ParseGifBlocks(const uint8_t* data, size_t size, GifFile& file) {
    file = GifFile{};
    if (!IsGifSignature(data, size) || size < kGifHeaderSize) return false;
    file.width = ReadU16(data + 6);
    file.height = ReadU16(data + 8);
    uint8_t packed = data[10];
    file.globalTableSize = ColourTableSize(packed);
    if (file.globalTableSize > size - kGifHeaderSize) return false;
    if (file.globalTableSize > 0) {
        // The background index may point past a small table: then there is no background colour.
        size_t entry = size_t{data[11]} * 3;
        if (entry + 3 <= file.globalTableSize) {
            const uint8_t* rgb = data + kGifHeaderSize + entry;
            file.hasBackgroundColour = true;
            file.backgroundRed = rgb[0];
            file.backgroundGreen = rgb[1];
            file.backgroundBlue = rgb[2];
        }
    }
    size_t offset = kGifHeaderSize + file.globalTableSize;
    GifFrame frame;
    while (WalkFrame(data, size, offset, frame)) file.frames.push_back(frame);
    return !file.frames.empty();
}

std::vector<uint8_t> BuildFrameGif(const uint8_t* data, size_t size, const GifFile& file,
                                   const GifFrame& frame) {
    std::vector<uint8_t> out;
    size_t head = kGifHeaderSize + file.globalTableSize;
    if (head > size || frame.imageOffset > size || frame.imageLength > size - frame.imageOffset) return out;
    if (frame.hasControl &&
        (frame.controlOffset > size || size - frame.controlOffset < kGifControlExtensionSize)) {
        return out;
    }
    out.reserve(head + kGifControlExtensionSize + frame.imageLength + 1);
    out.insert(out.end(), data, data + head);
    if (frame.hasControl) {
        out.insert(out.end(), data + frame.controlOffset,
                   data + frame.controlOffset + kGifControlExtensionSize);
    }
    out.insert(out.end(), data + frame.imageOffset, data + frame.imageOffset + frame.imageLength);
    out.push_back(kGifTrailer);
    return out;
}

uint32_t GifFrameWaitMilliseconds(uint32_t delay) {
    if (delay < 5) return 100;
    if (delay > kGifWaitForever / 10) return kGifWaitForever;
    return delay * 10;
}

}  // namespace tesmora
