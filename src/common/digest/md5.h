// MD5 (RFC 1321), our own: it derives the built-in packet key before any provider is asked, and it
// stands in for the system's hash where there is none. Any thread; one object per thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tesmora {

using Md5Digest = std::array<uint8_t, 16>;

class Md5 {
public:
    Md5();
    void Update(const uint8_t* data, size_t length);
    Md5Digest Final();  // the object is spent afterwards

private:
    void Block(const uint8_t* block);

    uint32_t state_[4];
    uint64_t bitCount_ = 0;
    uint8_t buffer_[64];
    size_t buffered_ = 0;
};

Md5Digest ComputeMd5(const uint8_t* data, size_t length);
// 32 lower-case hexadecimal digits.
std::u16string Md5Hex(const Md5Digest& digest);

}  // namespace tesmora
