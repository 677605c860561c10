// Types 4 and 5, the remote view's batches of input: u32 count, then count records of 14 bytes
// (u16 message, u32 key code, u32 repeat count, u32 key flags) or of 16 bytes (u16 message, u32
// key-state flags, i32 x, i32 y, i16 wheel delta). One thread at a time.
#include "common/bytes/byte_reader.h"
#include "common/bytes/byte_writer.h"
#include "transport/packets/packet_codec.h"

namespace tesmora {

namespace {

constexpr size_t kKeyEventWireSize = 14;
constexpr size_t kPointerEventWireSize = 16;

// The count comes from the wire: a count the rest of the frame cannot hold fails the reader before
// anything is reserved for it.
bool CountFits(ByteReader& r, uint32_t count, size_t recordSize) {
    if (count <= r.Remaining() / recordSize) return true;
    r.Fail();
    return false;
}

bool WriteKeyEvents(const PacketFields& f, ByteWriter& w, CipherProvider&) {
    if (!FitsU32(f.keyEvents.size())) return false;
    w.U32(static_cast<uint32_t>(f.keyEvents.size()));
    for (const KeyEventRecord& e : f.keyEvents) {
        w.U16(e.message);
        w.U32(e.keyCode);
        w.U32(e.repeatCount);
        w.U32(e.keyFlags);
    }
    return true;
}

void ReadKeyEvents(ByteReader& r, PacketFields& f, CipherProvider&) {
    const uint32_t count = r.U32();
    if (!CountFits(r, count, kKeyEventWireSize)) return;
    f.keyEvents.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        KeyEventRecord e;
        e.message = r.U16();
        e.keyCode = r.U32();
        e.repeatCount = r.U32();
        e.keyFlags = r.U32();
        f.keyEvents.push_back(e);
    }
}

bool WritePointerEvents(const PacketFields& f, ByteWriter& w, CipherProvider&) {
    if (!FitsU32(f.pointerEvents.size())) return false;
    w.U32(static_cast<uint32_t>(f.pointerEvents.size()));
    for (const PointerEventRecord& e : f.pointerEvents) {
        w.U16(e.message);
        w.U32(e.keyStateFlags);
        w.I32(e.x);
        w.I32(e.y);
        w.I16(e.wheelDelta);
    }
    return true;
}

void ReadPointerEvents(ByteReader& r, PacketFields& f, CipherProvider&) {
    const uint32_t count = r.U32();
    if (!CountFits(r, count, kPointerEventWireSize)) return;
    f.pointerEvents.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        PointerEventRecord e;
        e.message = r.U16();
        e.keyStateFlags = r.U32();
        e.x = r.I32();
        e.y = r.I32();
        e.wheelDelta = r.I16();
        f.pointerEvents.push_back(e);
    }
}

}  // namespace

const PacketCodec kKeyEventsPacketCodec = {WriteKeyEvents, ReadKeyEvents};
const PacketCodec kPointerEventsPacketCodec = {WritePointerEvents, ReadPointerEvents};

}  // namespace tesmora
