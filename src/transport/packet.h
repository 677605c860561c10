// CPacket: what travels inside one frame. A type byte, then the type's fields (little-endian):
//   1 text (encrypted, with a digest), 4 key events, 5 pointer events, 11 sound block, 12 image data;
//   2, 3, 7, 8, 9, 10 are carried but not acted upon.
// A packet is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "frame_sink.h"

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

class CPacket {
public:
    CPacket();                                                 // empty packet of type 0, to read into
    explicit CPacket(std::u16string_view text);                // type 1 with its digest
    explicit CPacket(std::vector<KeyEventRecord> events);      // type 4; takes the list over
    explicit CPacket(std::deque<PointerEventRecord>& events);  // type 5; empties the caller's list
    CPacket(const CPacket&) = delete;
    CPacket& operator=(const CPacket&) = delete;
    virtual ~CPacket();

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
    const std::u16string& Text() const { return text_; }
    const std::u16string& Digest() const { return digest_; }

    // Types 4 and 5.
    const std::vector<KeyEventRecord>& KeyEvents() const { return keyEvents_; }
    const std::vector<PointerEventRecord>& PointerEvents() const { return pointerEvents_; }

    // Types 7, 8, 9, 11, 12: the data block. Borrowed when set for sending (it must outlive
    // Write), owned when read.
    void SetData(const uint8_t* data, uint32_t length);
    const uint8_t* Data() const { return data_; }
    uint32_t DataLength() const { return dataLength_; }

    // Types 8, 11, 12.
    uint32_t Size() const { return size_; }
    void SetSize(uint32_t size) { size_ = size; }
    // Types 8 and 12.
    uint32_t Sequence() const { return sequence_; }
    void SetSequence(uint32_t sequence) { sequence_ = sequence; }

    // The values of types 2, 3, 7, 8, 9 and 10, in wire order. Type 2: three; 3: five; 7: A to G,
    // then I when E is 0; 8: the first value; 9: three; 10: two. Missing values are written as 0.
    std::vector<uint32_t>& Values() { return values_; }
    const std::vector<uint32_t>& Values() const { return values_; }
    // Type 3: the four u16 values. Type 3: the two byte lists; type 7: H (16 bytes) in the first.
    std::vector<uint16_t>& ShortValues() { return shortValues_; }
    const std::vector<uint16_t>& ShortValues() const { return shortValues_; }
    std::vector<uint8_t>& FirstBytes() { return firstBytes_; }
    const std::vector<uint8_t>& FirstBytes() const { return firstBytes_; }
    std::vector<uint8_t>& SecondBytes() { return secondBytes_; }
    const std::vector<uint8_t>& SecondBytes() const { return secondBytes_; }
    // Type 9 carries a text beside its values; it is kept in Text().
    void SetText(std::u16string text) { text_ = std::move(text); }

private:
    uint8_t type_ = kPacketNone;
    std::u16string digest_;
    std::u16string text_;
    std::vector<KeyEventRecord> keyEvents_;
    std::vector<PointerEventRecord> pointerEvents_;
    uint32_t size_ = 0;
    uint32_t sequence_ = 0;
    const uint8_t* data_ = nullptr;
    uint32_t dataLength_ = 0;
    std::unique_ptr<uint8_t[]> ownedData_;
    std::vector<uint32_t> values_;
    std::vector<uint16_t> shortValues_;
    std::vector<uint8_t> firstBytes_;
    std::vector<uint8_t> secondBytes_;
};

// The low 8 bits of the millisecond tick counter, as the frame mark wants it.
uint8_t CurrentTickByte();

}  // namespace tesmora
