// The types the remote builds none of and ignores when they arrive, read whole so that the stream
// stays in step; their values travel in PacketFields::values in wire order:
//   2:  three u32
//   3:  five u32; four u16; u16 n1, n1 bytes; u16 n2, n2 bytes (the two byte lists)
//   7:  u32 A..G; 16 bytes H (the first byte list); u32 I only when E is 0; u32 m; m bytes
//   9:  three u32; u32 n; n UTF-16 code units of text; u32 m; m bytes
//   10: two u32
// (Type 8 shares the image layout and lives beside it.) One thread at a time.
#include <algorithm>
#include <cstring>

#include "common/bytes/byte_reader.h"
#include "common/bytes/byte_writer.h"
#include "transport/packets/packet_codec.h"

namespace tesmora {

namespace {

constexpr size_t kType7HashSize = 16;
constexpr size_t kType7EIndex = 4;  // E among A..G
constexpr size_t kType7IIndex = 7;  // I follows A..G in the values

void WriteValues(ByteWriter& w, const std::vector<uint32_t>& values, size_t count) {
    for (size_t i = 0; i < count; ++i) w.U32(ValueAt(values, i));
}

void ReadValues(ByteReader& r, std::vector<uint32_t>& values, size_t count) {
    for (size_t i = 0; i < count; ++i) values.push_back(r.U32());
}

// A byte list of type 3 travels behind a 16-bit length: a longer list is cut to what the length
// can say, so that the length and the bytes that follow it always agree.
void WriteShortByteList(ByteWriter& w, const std::vector<uint8_t>& bytes) {
    const uint16_t n = bytes.size() > 0xFFFF ? uint16_t(0xFFFF) : uint16_t(bytes.size());
    w.U16(n);
    w.Bytes(bytes.data(), n);
}

std::vector<uint8_t> ReadShortByteList(ByteReader& r) {
    const uint16_t n = r.U16();
    const uint8_t* p = r.Bytes(n);
    return p ? std::vector<uint8_t>(p, p + n) : std::vector<uint8_t>();
}

bool WriteType2(const PacketFields& f, ByteWriter& w, CipherProvider&) {
    WriteValues(w, f.values, 3);
    return true;
}

void ReadType2(ByteReader& r, PacketFields& f, CipherProvider&) {
    ReadValues(r, f.values, 3);
}

bool WriteType3(const PacketFields& f, ByteWriter& w, CipherProvider&) {
    WriteValues(w, f.values, 5);
    for (size_t i = 0; i < 4; ++i) w.U16(i < f.shortValues.size() ? f.shortValues[i] : 0);
    WriteShortByteList(w, f.firstBytes);
    WriteShortByteList(w, f.secondBytes);
    return true;
}

void ReadType3(ByteReader& r, PacketFields& f, CipherProvider&) {
    ReadValues(r, f.values, 5);
    for (int i = 0; i < 4; ++i) f.shortValues.push_back(r.U16());
    f.firstBytes = ReadShortByteList(r);
    f.secondBytes = ReadShortByteList(r);
}

bool WriteType7(const PacketFields& f, ByteWriter& w, CipherProvider&) {
    WriteValues(w, f.values, 7);
    uint8_t h[kType7HashSize] = {};
    if (!f.firstBytes.empty())
        std::memcpy(h, f.firstBytes.data(), std::min(f.firstBytes.size(), kType7HashSize));
    w.Bytes(h, kType7HashSize);
    if (ValueAt(f.values, kType7EIndex) == 0) w.U32(ValueAt(f.values, kType7IIndex));
    f.data.Write(w);
    return true;
}

void ReadType7(ByteReader& r, PacketFields& f, CipherProvider&) {
    ReadValues(r, f.values, 7);
    const uint8_t* h = r.Bytes(kType7HashSize);
    if (h != nullptr) f.firstBytes.assign(h, h + kType7HashSize);
    if (f.values[kType7EIndex] == 0) f.values.push_back(r.U32());
    f.data.Read(r, r.U32());
}

bool WriteType9(const PacketFields& f, ByteWriter& w, CipherProvider&) {
    if (!FitsU32(f.text.size())) return false;
    WriteValues(w, f.values, 3);
    w.U32(static_cast<uint32_t>(f.text.size()));
    w.Utf16(f.text);
    f.data.Write(w);
    return true;
}

void ReadType9(ByteReader& r, PacketFields& f, CipherProvider&) {
    ReadValues(r, f.values, 3);
    f.text = CutAtNul(r.Utf16(r.U32()));
    f.data.Read(r, r.U32());
}

bool WriteType10(const PacketFields& f, ByteWriter& w, CipherProvider&) {
    WriteValues(w, f.values, 2);
    return true;
}

void ReadType10(ByteReader& r, PacketFields& f, CipherProvider&) {
    ReadValues(r, f.values, 2);
}

}  // namespace

const PacketCodec kType2PacketCodec = {WriteType2, ReadType2};
const PacketCodec kType3PacketCodec = {WriteType3, ReadType3};
const PacketCodec kType7PacketCodec = {WriteType7, ReadType7};
const PacketCodec kType9PacketCodec = {WriteType9, ReadType9};
const PacketCodec kType10PacketCodec = {WriteType10, ReadType10};

}  // namespace tesmora
