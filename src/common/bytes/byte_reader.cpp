// The sticky-error reader over outside data. Any thread; one reader per thread.
#include "byte_reader.h"

namespace tesmora {

bool ByteReader::Take(size_t count) {
    // Compare against what remains rather than adding to the offset, so that a count close to the
    // largest size_t cannot wrap around and look small.
    if (!ok_ || count > length_ - offset_) {
        ok_ = false;
        return false;
    }
    offset_ += count;
    return true;
}

uint8_t ByteReader::U8() {
    if (!Take(1)) return 0;
    return data_[offset_ - 1];
}

uint16_t ByteReader::U16() {
    if (!Take(2)) return 0;
    const uint8_t* p = data_ + offset_ - 2;
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t ByteReader::U32() {
    if (!Take(4)) return 0;
    const uint8_t* p = data_ + offset_ - 4;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

const uint8_t* ByteReader::Bytes(size_t count) {
    const size_t start = offset_;
    if (!Take(count)) return nullptr;
    return data_ + start;
}

std::u16string ByteReader::Utf16(size_t count) {
    // The count comes from the wire: check it against what is left before allocating anything.
    if (!ok_ || count > (length_ - offset_) / 2) {
        ok_ = false;
        return {};
    }
    const uint8_t* p = data_ + offset_;
    offset_ += count * 2;
    std::u16string text(count, u'\0');
    for (size_t i = 0; i < count; ++i) text[i] = static_cast<char16_t>(p[2 * i] | p[2 * i + 1] << 8);
    return text;
}

}  // namespace tesmora
