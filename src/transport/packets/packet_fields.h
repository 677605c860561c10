// The fields a packet can carry. Each packet type uses some of them (its codec in this folder says
// which); the data block is borrowed from the builder while a packet is sent and owned once a packet
// was read from a frame. One thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tesmora {

class ByteReader;
class ByteWriter;

struct KeyEventRecord {  // 14 bytes on the wire
    uint16_t message;    // 0x100 key down, 0x101 key up
    uint32_t keyCode;
    uint32_t repeatCount;
    uint32_t keyFlags;
    bool operator==(const KeyEventRecord&) const = default;
};

struct PointerEventRecord {  // 16 bytes on the wire
    uint16_t message;        // mouse message number, e.g. 513 left button down, 522 wheel
    uint32_t keyStateFlags;
    int32_t x;
    int32_t y;
    int16_t wheelDelta;  // 0 for messages other than the wheel
    bool operator==(const PointerEventRecord&) const = default;
};

// The image, sound or other data block of a packet, with its length.
class PacketData {
public:
    // Points at the builder's bytes, which must outlive the write.
    void Borrow(const uint8_t* data, uint32_t length);
    // Writes u32 m and the m bytes. A borrowed block that is not there goes as an empty one rather
    // than being read through.
    void Write(ByteWriter& w) const;
    // The m bytes that follow, copied into a block of the packet's own. The length comes from the
    // wire, so it is checked against what remains before anything is allocated; a length the frame
    // cannot hold (or memory that is not there) fails the reader and keeps nothing.
    void Read(ByteReader& r, uint32_t length);

    const uint8_t* Data() const { return data_; }
    uint32_t Length() const { return length_; }
    // What goes on the wire as m.
    uint32_t WireLength() const { return data_ != nullptr ? length_ : 0; }

private:
    const uint8_t* data_ = nullptr;
    uint32_t length_ = 0;
    std::unique_ptr<uint8_t[]> owned_;
};

struct PacketFields {
    std::u16string digest;                          // 1
    std::u16string text;                            // 1, 9
    std::vector<KeyEventRecord> keyEvents;          // 4
    std::vector<PointerEventRecord> pointerEvents;  // 5
    uint32_t size = 0;                              // 8, 11, 12
    uint32_t sequence = 0;                          // 8, 12
    PacketData data;                                // 7, 8, 9, 11, 12
    // The values of the types the remote only carries, in wire order (see carried_packets.cpp).
    std::vector<uint32_t> values;       // 2, 3, 7, 8, 9, 10
    std::vector<uint16_t> shortValues;  // 3
    std::vector<uint8_t> firstBytes;    // 3, 7
    std::vector<uint8_t> secondBytes;   // 3
};

// Counts and lengths travel as u32: a list longer than that cannot be framed.
constexpr bool FitsU32(uint64_t n) {
    return n <= 0xFFFFFFFFull;
}

// A carried value; one the builder did not set goes on the wire as 0.
inline uint32_t ValueAt(const std::vector<uint32_t>& values, size_t i) {
    return i < values.size() ? values[i] : 0;
}

// A text field read from the wire ends at its first NUL character.
std::u16string CutAtNul(std::u16string text);

}  // namespace tesmora
