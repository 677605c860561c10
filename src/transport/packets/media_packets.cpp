// The packets that carry a data block of pictures or sound:
//   11 sound block: u32 size; u32 m; m bytes of 16-bit PCM samples
//   12 image data:  u32 size; u32 m; u32 sequence; m bytes of image data
//   8:              u32 value; then the type 12 layout (carried, never acted upon)
// The remote always writes size equal to m: the receiver of an image takes size as its length.
// One thread at a time.
#include "common/bytes/byte_reader.h"
#include "common/bytes/byte_writer.h"
#include "transport/packets/packet_codec.h"

namespace tesmora {

namespace {

void WriteImageLayout(const PacketFields& f, ByteWriter& w) {
    const uint32_t m = f.data.WireLength();
    w.U32(f.size);
    w.U32(m);
    w.U32(f.sequence);
    w.Bytes(f.data.Data(), m);
}

void ReadImageLayout(ByteReader& r, PacketFields& f) {
    f.size = r.U32();
    const uint32_t m = r.U32();
    f.sequence = r.U32();
    f.data.Read(r, m);
}

bool WriteSound(const PacketFields& f, ByteWriter& w, CipherProvider&) {
    w.U32(f.size);
    f.data.Write(w);
    return true;
}

void ReadSound(ByteReader& r, PacketFields& f, CipherProvider&) {
    f.size = r.U32();
    f.data.Read(r, r.U32());
}

bool WriteImage(const PacketFields& f, ByteWriter& w, CipherProvider&) {
    WriteImageLayout(f, w);
    return true;
}

void ReadImage(ByteReader& r, PacketFields& f, CipherProvider&) {
    ReadImageLayout(r, f);
}

bool WriteType8(const PacketFields& f, ByteWriter& w, CipherProvider&) {
    w.U32(ValueAt(f.values, 0));
    WriteImageLayout(f, w);
    return true;
}

void ReadType8(ByteReader& r, PacketFields& f, CipherProvider&) {
    f.values.push_back(r.U32());
    ReadImageLayout(r, f);
}

}  // namespace

const PacketCodec kSoundPacketCodec = {WriteSound, ReadSound};
const PacketCodec kImagePacketCodec = {WriteImage, ReadImage};
const PacketCodec kType8PacketCodec = {WriteType8, ReadType8};

}  // namespace tesmora
