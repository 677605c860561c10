// Packet: what travels inside one frame. A type byte, then the type's fields (little-endian):
//   1 text (encrypted, with a digest), 4 key events, 5 pointer events, 11 sound block, 12 image data;
//   2, 3, 7, 8, 9, 10 are carried but not acted upon.
// The frame around the packet (mark, length, type byte) is built and read here; each type's fields
// are written and read by its codec (transport/packets/packet_codec.h).
// A packet is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "frame_sink.h"
#include "transport/packets/packet_fields.h"

namespace tesmora {

class CipherProvider;

enum PacketType : uint8_t {
    kPacketNone = 0,
    kPacketText = 1,
    kPacketKeyEvents = 4,
    kPacketPointerEvents = 5,
    kPacketSound = 11,
    kPacketImage = 12,
};

class Packet {
public:
    Packet();                                                 // empty packet of type 0, to read into
    explicit Packet(std::u16string_view text);                // type 1 with its digest
    explicit Packet(std::vector<KeyEventRecord> events);      // type 4; takes the list over
    explicit Packet(std::deque<PointerEventRecord>& events);  // type 5; empties the caller's list
    Packet(const Packet&) = delete;
    Packet& operator=(const Packet&) = delete;
    virtual ~Packet();

    // Serialises the packet into one frame and hands it to the sink in one Send. A type outside
    // the wire table closes the sink instead and sends nothing.
    void Write(FrameSink& sink) const;
    // Serialises into a frame without sending (the tick byte is given); empty for an unknown type,
    // for a text the cipher could not encrypt, and for a packet too long for the length field.
    std::vector<uint8_t> BuildFrame(uint8_t tick) const;
    // The same, with the type 1 cipher on the given provider instead of the system's (tests,
    // benchmarks).
    std::vector<uint8_t> BuildFrame(uint8_t tick, CipherProvider& provider) const;

    // Reads a block delivered by the frame socket (it starts with the length field) and frees it,
    // whatever the outcome. True for a known type whose fields all lie inside the block.
    bool Read(uint8_t* block);
    // The same over bytes the caller keeps; nothing is read past `length`. A false read leaves an
    // empty packet, except that an unknown type byte is kept in Type().
    bool ReadBody(const uint8_t* block, size_t length);
    bool ReadBody(const uint8_t* block, size_t length, CipherProvider& provider);

    uint8_t Type() const { return type_; }
    void SetType(uint8_t type) { type_ = type; }

    // Type 1.
    const std::u16string& Text() const { return fields_.text; }

    // Types 4 and 5.
    const std::vector<KeyEventRecord>& KeyEvents() const { return fields_.keyEvents; }
    const std::vector<PointerEventRecord>& PointerEvents() const { return fields_.pointerEvents; }

    // Types 7, 8, 9, 11, 12: the data block. Borrowed when set for sending (it must outlive
    // Write), owned when read.
    void SetData(const uint8_t* data, uint32_t length) { fields_.data.Borrow(data, length); }
    const uint8_t* Data() const { return fields_.data.Data(); }
    uint32_t DataLength() const { return fields_.data.Length(); }

    // Types 8, 11, 12.
    uint32_t Size() const { return fields_.size; }
    void SetSize(uint32_t size) { fields_.size = size; }
    // Types 8 and 12.
    uint32_t Sequence() const { return fields_.sequence; }
    void SetSequence(uint32_t sequence) { fields_.sequence = sequence; }

    // The values of types 2, 3, 7, 8, 9 and 10, in wire order. Type 2: three; 3: five; 7: A to G,
    // then I when E is 0; 8: the first value; 9: three; 10: two. Missing values are written as 0.
    std::vector<uint32_t>& Values() { return fields_.values; }
    const std::vector<uint32_t>& Values() const { return fields_.values; }
    // Type 3: the four u16 values. Type 3: the two byte lists; type 7: H (16 bytes) in the first.
    std::vector<uint16_t>& ShortValues() { return fields_.shortValues; }
    const std::vector<uint16_t>& ShortValues() const { return fields_.shortValues; }
    std::vector<uint8_t>& FirstBytes() { return fields_.firstBytes; }
    const std::vector<uint8_t>& FirstBytes() const { return fields_.firstBytes; }
    std::vector<uint8_t>& SecondBytes() { return fields_.secondBytes; }
    const std::vector<uint8_t>& SecondBytes() const { return fields_.secondBytes; }
    // Type 9 carries a text beside its values; it is kept in Text().
    void SetText(std::u16string text) { fields_.text = std::move(text); }

private:
    uint8_t type_ = kPacketNone;
    PacketFields fields_;
};

// The low 8 bits of the millisecond tick counter, as the frame mark wants it.
uint8_t CurrentTickByte();

}  // namespace tesmora
