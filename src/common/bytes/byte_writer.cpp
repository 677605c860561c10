// The growable little-endian writer the packet layer builds frames with. Any thread; one writer per
// thread.
#include "byte_writer.h"

#include <cstring>

namespace tesmora {

void ByteWriter::Reserve(size_t extra) {
    const size_t capacity = bytes_.capacity();
    const size_t size = bytes_.size();
    if (extra <= capacity - size) return;
    const size_t step = growthStep_ == 0 ? 1 : growthStep_;
    // Grow by whole steps so that a frame built piece by piece reallocates rarely and predictably.
    const size_t missing = extra - (capacity - size);
    const size_t steps = missing / step + (missing % step != 0);
    bytes_.reserve(capacity + steps * step);
}

void ByteWriter::U8(uint8_t v) {
    Reserve(1);
    bytes_.push_back(v);
}

void ByteWriter::U16(uint16_t v) {
    Reserve(2);
    bytes_.push_back(uint8_t(v));
    bytes_.push_back(uint8_t(v >> 8));
}

void ByteWriter::U32(uint32_t v) {
    Reserve(4);
    for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(uint8_t(v >> shift));
}

void ByteWriter::Bytes(const uint8_t* data, size_t count) {
    if (count == 0) return;  // data may be null for an empty block
    Reserve(count);
    bytes_.insert(bytes_.end(), data, data + count);
}

void ByteWriter::Utf16(std::u16string_view text) {
    Reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes_.push_back(uint8_t(c));
        bytes_.push_back(uint8_t(c >> 8));
    }
}

void ByteWriter::PatchU32(size_t offset, uint32_t v) {
    if (offset > bytes_.size() || bytes_.size() - offset < 4) return;  // only bytes already written
    StoreU32(bytes_.data() + offset, v);
}

}  // namespace tesmora
