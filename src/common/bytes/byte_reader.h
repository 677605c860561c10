// A reader over a block of outside data (frames, packets, bodies, replies, files) with a sticky
// error flag: once a read would run past the block, every later read yields zero and Ok() is false.
// Nothing is ever read past the end. Any thread; one reader per thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tesmora {

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t length) : data_(data), length_(length) {}

    bool Ok() const { return ok_; }
    size_t Remaining() const { return ok_ ? length_ - offset_ : 0; }

    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    int16_t I16() { return static_cast<int16_t>(U16()); }
    int32_t I32() { return static_cast<int32_t>(U32()); }

    // Points at the next `count` bytes and skips them; nullptr (and the error flag) if fewer remain.
    const uint8_t* Bytes(size_t count);
    // Reads `count` UTF-16LE code units; empty (and the error flag) if fewer remain.
    std::u16string Utf16(size_t count);
    // Marks the reader failed, for a value that is well-formed on the wire but not acceptable.
    void Fail() { ok_ = false; }

private:
    bool Take(size_t count);

    const uint8_t* data_;
    size_t length_;
    size_t offset_ = 0;
    bool ok_ = true;
};

}  // namespace tesmora
