// The data block of a packet and the helpers every packet codec shares. One thread at a time.
#include "transport/packets/packet_fields.h"

#include <cstring>
#include <new>

#include "common/bytes/byte_reader.h"
#include "common/bytes/byte_writer.h"

namespace tesmora {

void PacketData::Borrow(const uint8_t* data, uint32_t length) {
    owned_.reset();
    data_ = data;
    length_ = length;
}

void PacketData::Write(ByteWriter& w) const {
    const uint32_t m = WireLength();
    w.U32(m);
    w.Bytes(data_, m);
}

void PacketData::Read(ByteReader& r, uint32_t length) {
    const uint8_t* p = r.Bytes(length);
    if (p == nullptr || length == 0) return;
    owned_.reset(new (std::nothrow) uint8_t[length]);
    if (!owned_) {
        r.Fail();
        return;
    }
    std::memcpy(owned_.get(), p, length);
    data_ = owned_.get();
    length_ = length;
}

std::u16string CutAtNul(std::u16string text) {
    const size_t nul = text.find(u'\0');
    if (nul != std::u16string::npos) text.resize(nul);
    return text;
}

}  // namespace tesmora
