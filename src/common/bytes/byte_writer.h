// A growable little-endian byte writer. It grows in fixed steps (the packet writer uses 1024 bytes)
// and never shrinks; PatchU32 writes into bytes already written. Any thread; one writer per thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tesmora {

class ByteWriter {
public:
    explicit ByteWriter(size_t growthStep = 1024) : growthStep_(growthStep) {}

    void U8(uint8_t v);
    void U16(uint16_t v);
    void U32(uint32_t v);
    void I16(int16_t v) { U16(static_cast<uint16_t>(v)); }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void Bytes(const uint8_t* data, size_t count);
    void Utf16(std::u16string_view text);  // UTF-16LE code units, no terminator
    void PatchU32(size_t offset, uint32_t v);

    size_t Size() const { return bytes_.size(); }
    const uint8_t* Data() const { return bytes_.data(); }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

private:
    void Reserve(size_t extra);

    std::vector<uint8_t> bytes_;
    size_t growthStep_;
};

// Little-endian helpers for fixed places in a block.
inline uint32_t LoadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void StoreU32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

}  // namespace tesmora
