// How a packet type's fields follow the type byte on the wire: one codec per type, its writing and
// its reading side by side in the file of its family:
//   text_packet.cpp      1 text (encrypted, with a digest)
//   input_packets.cpp    4 key events, 5 pointer events
//   media_packets.cpp    11 sound block, 12 image data, and 8, which carries the image layout
//   carried_packets.cpp  2, 3, 7, 9, 10
// Types 2, 3, 7, 8, 9 and 10 are read so that the stream stays in step, and never acted upon.
// All integers are little-endian. One thread at a time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "transport/packets/packet_fields.h"

namespace tesmora {

class ByteReader;
class ByteWriter;
class CipherProvider;

struct PacketCodec {
    // Writes the fields after the type byte. False when they cannot travel: a count beyond 32 bits,
    // or a text the cipher could not encrypt.
    bool (*write)(const PacketFields& fields, ByteWriter& w, CipherProvider& cipher);
    // Reads the fields after the type byte into empty fields. Every count is checked against what
    // remains before it is used; what cannot be read fails the reader.
    void (*read)(ByteReader& r, PacketFields& fields, CipherProvider& cipher);
};

// The codec of a type in the wire table; nullptr for any other type byte.
const PacketCodec* FindPacketCodec(uint8_t type);

// One codec per type, defined in the files above.
extern const PacketCodec kTextPacketCodec;
extern const PacketCodec kKeyEventsPacketCodec;
extern const PacketCodec kPointerEventsPacketCodec;
extern const PacketCodec kSoundPacketCodec;
extern const PacketCodec kImagePacketCodec;
extern const PacketCodec kType2PacketCodec;
extern const PacketCodec kType3PacketCodec;
extern const PacketCodec kType7PacketCodec;
extern const PacketCodec kType8PacketCodec;
extern const PacketCodec kType9PacketCodec;
extern const PacketCodec kType10PacketCodec;

// The digest a text packet carries beside its text (empty without the hash service).
std::u16string TextPacketDigest(std::u16string_view text);

}  // namespace tesmora
