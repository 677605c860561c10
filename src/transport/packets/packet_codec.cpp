// The wire table: which codec reads and writes each packet type. Any thread.
#include "transport/packets/packet_codec.h"

#include "transport/packet.h"

namespace tesmora {

const PacketCodec* FindPacketCodec(uint8_t type) {
    switch (type) {
        case kPacketText:
            return &kTextPacketCodec;
        case 2:
            return &kType2PacketCodec;
        case 3:
            return &kType3PacketCodec;
        case kPacketKeyEvents:
            return &kKeyEventsPacketCodec;
        case kPacketPointerEvents:
            return &kPointerEventsPacketCodec;
        case 7:
            return &kType7PacketCodec;
        case 8:
            return &kType8PacketCodec;
        case 9:
            return &kType9PacketCodec;
        case 10:
            return &kType10PacketCodec;
        case kPacketSound:
            return &kSoundPacketCodec;
        case kPacketImage:
            return &kImagePacketCodec;
        default:
            return nullptr;
    }
}

}  // namespace tesmora
