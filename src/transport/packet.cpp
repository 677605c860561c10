// Packet: the frame around a packet (mark, length, type byte), written in one buffer and read back;
// the type's fields go through its codec. A packet is used by one thread at a time.
#include "packet.h"

#include <climits>
#include <memory>

#include "cipher_provider.h"
#include "common/bytes/byte_reader.h"
#include "common/bytes/byte_writer.h"
#include "common/platform/clock.h"
#include "frame.h"
#include "transport/packets/packet_codec.h"

namespace tesmora {

namespace {

// One frame grows in one buffer, a step at a time.
constexpr size_t kPacketWriterStep = 1024;

struct FrameBlockDeleter {
    void operator()(uint8_t* block) const { FreeFrameBlock(block); }
};

}  // namespace

uint8_t CurrentTickByte() {
    return static_cast<uint8_t>(MonotonicMilliseconds());
}

Packet::Packet() = default;

Packet::Packet(std::u16string_view text) : type_(kPacketText) {
    fields_.text = text;
    fields_.digest = TextPacketDigest(text);
}

Packet::Packet(std::vector<KeyEventRecord> events) : type_(kPacketKeyEvents) {
    fields_.keyEvents = std::move(events);
}

Packet::Packet(std::deque<PointerEventRecord>& events) : type_(kPacketPointerEvents) {
    fields_.pointerEvents.reserve(events.size());
    while (!events.empty()) {
        fields_.pointerEvents.push_back(events.front());
        events.pop_front();
    }
}

Packet::~Packet() = default;

std::vector<uint8_t> Packet::BuildFrame(uint8_t tick) const {
    return BuildFrame(tick, SystemCipherProvider());
}

std::vector<uint8_t> Packet::BuildFrame(uint8_t tick, CipherProvider& provider) const {
    const PacketCodec* codec = FindPacketCodec(type_);
    if (codec == nullptr) return {};
    ByteWriter w(kPacketWriterStep);
    const auto mark = MakeFrameMark(tick);
    w.Bytes(mark.data(), mark.size());
    w.U32(0);  // L, patched once the fields are written
    w.U8(type_);
    if (!codec->write(fields_, w, provider)) return {};
    if (!FitsU32(uint64_t(w.Size()) - kFrameMarkSize)) return {};
    w.PatchU32(kFrameMarkSize, static_cast<uint32_t>(w.Size() - kFrameMarkSize));
    return w.Take();
}

void Packet::Write(FrameSink& sink) const {
    const std::vector<uint8_t> frame = BuildFrame(CurrentTickByte());
    // Nothing that cannot be framed whole reaches the peer; the connection ends instead.
    if (frame.empty() || frame.size() > size_t(INT_MAX)) {
        sink.Close();
        return;
    }
    sink.Send(frame.data(), static_cast<int>(frame.size()));
}

bool Packet::Read(uint8_t* block) {
    if (block == nullptr) return ReadBody(nullptr, 0);
    const std::unique_ptr<uint8_t, FrameBlockDeleter> owner(block);
    return ReadBody(block, FrameBlockLength(block));
}

bool Packet::ReadBody(const uint8_t* block, size_t length) {
    return ReadBody(block, length, SystemCipherProvider());
}

bool Packet::ReadBody(const uint8_t* block, size_t length, CipherProvider& provider) {
    type_ = kPacketNone;
    fields_ = PacketFields();

    ByteReader r(block, length);
    r.U32();  // L: the block's length is already known
    const uint8_t type = r.U8();
    if (!r.Ok()) return false;
    const PacketCodec* codec = FindPacketCodec(type);
    if (codec == nullptr) {
        // Not part of the wire table: the type is kept so the caller can see what came.
        type_ = type;
        return false;
    }
    codec->read(r, fields_, provider);
    if (!r.Ok()) {
        fields_ = PacketFields();
        return false;
    }
    type_ = type;
    return true;
}

}  // namespace tesmora
