// Unit tests of Packet: the worked frames byte for byte, every wire type back and forth, and
// received packets whose counts run past the block.
#include "transport/packet.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "common/bytes/byte_writer.h"
#include "transport/cipher_constants.h"
#include "transport/frame.h"

using namespace tesmora;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes FromHex(const std::string& hex) {
    Bytes bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// Reads a frame as the socket would deliver it: from the length field on.
bool ReadFrame(Packet& packet, const Bytes& frame) {
    uint8_t* block = AllocateFrameBlock(uint32_t(frame.size() - 4));
    std::copy(frame.begin() + 4, frame.end(), block);
    return packet.Read(block);  // frees the block
}

// A packet body as delivered (length field first), built field by field.
struct Body {
    ByteWriter w;
    explicit Body(uint8_t type) {
        w.U32(0);
        w.U8(type);
    }
    Body& U32s(std::initializer_list<uint32_t> values) {
        for (uint32_t v : values) w.U32(v);
        return *this;
    }
    Body& U16s(std::initializer_list<uint16_t> values) {
        for (uint16_t v : values) w.U16(v);
        return *this;
    }
    Body& Zeros(size_t count) {
        for (size_t i = 0; i < count; ++i) w.U8(0);
        return *this;
    }
    Bytes Done() {
        w.PatchU32(0, uint32_t(w.Size()));
        return w.Take();
    }
};

struct RecordingSink : FrameSink {
    std::vector<Bytes> sent;
    int closes = 0;
    int Send(const uint8_t* data, int length) override {
        sent.emplace_back(data, data + length);
        return length;
    }
    void Close() override { ++closes; }
};

}  // namespace

TEST(Packet, KeepAliveTextIsTheWorkedNinetyNineByteFrame) {
    const Packet packet(u"[RC00003]");
    Bytes expected = {0xA2, 0xA1, 0xA5, 0x5C, 95, 0, 0, 0, 1, 32, 0, 0, 0};
    const Bytes digest = Utf16LeBytes(u"dc660b43fdfe6eb6325d6dd0be08d1f5");  // MD5 of the first 9 of 18 bytes
    expected.insert(expected.end(), digest.begin(), digest.end());
    expected.insert(expected.end(), {18, 0, 0, 0});
    const Bytes cipher = FromHex("ed3e1bcbc2888304503e90ee253db5dcaa9a");
    expected.insert(expected.end(), cipher.begin(), cipher.end());

    const Bytes frame = packet.BuildFrame(0x5C);
    ASSERT_EQ(frame.size(), 99u);
    EXPECT_EQ(frame, expected);
    Packet read;
    ASSERT_TRUE(ReadFrame(read, frame));
    EXPECT_EQ(read.Type(), kPacketText);
    EXPECT_EQ(read.Text(), u"[RC00003]");
    EXPECT_EQ(read.BuildFrame(0x5C), frame);  // the digest is kept as it came
}

TEST(Packet, EmptyTextNulCutAndEmptyKeyBatch) {
    const Bytes text = Packet(u"").BuildFrame(0);
    EXPECT_EQ(LoadU32(text.data() + 4), 77u);
    EXPECT_EQ(LoadU32(text.data() + 9), 32u);  // n
    EXPECT_EQ(LoadU32(text.data() + 77), 0u);  // m
    Packet read;
    ASSERT_TRUE(ReadFrame(read, text));
    EXPECT_EQ(read.Type(), kPacketText);
    EXPECT_TRUE(read.Text().empty());
    ASSERT_TRUE(ReadFrame(read, Packet(std::u16string(u"[RC00014]65\0tail", 16)).BuildFrame(7)));
    EXPECT_EQ(read.Text(), u"[RC00014]65");

    EXPECT_EQ(Packet(std::vector<KeyEventRecord>{}).BuildFrame(0),
              (Bytes{0xA0, 0xA0, 0xA0, 0x00, 9, 0, 0, 0, 4, 0, 0, 0, 0}));
}

TEST(Packet, EveryWireTypeComesBackAsWritten) {
    const Bytes data = {9, 8, 7, 6, 5};
    std::deque<PointerEventRecord> pointer = {{513, 1, -5, 70000, 0}, {522, 0, 10, 20, -120}};
    const struct Case {
        uint8_t type;
        std::vector<uint32_t> values;
        uint32_t length;  // L
    } cases[] = {
        {2, {1, 2, 3}, 17},
        {3, {1, 2, 3, 4, 5}, 4 + 1 + 20 + 8 + 2 + 2 + 2 + 3},
        {7, {1, 2, 3, 4, 0, 6, 7, 99}, 4 + 1 + 28 + 16 + 4 + 4 + 5},  // E = 0: I travels
        {7, {1, 2, 3, 4, 5, 6, 7}, 4 + 1 + 28 + 16 + 4 + 5},          // E != 0: no I
        {8, {42}, 4 + 1 + 4 + 12 + 5},
        {9, {1, 2, 3}, 4 + 1 + 12 + 4 + 6 + 4 + 5},
        {10, {1, 2}, 13},
        {11, {}, 4 + 1 + 8 + 5},
        {12, {}, 4 + 1 + 12 + 5},
    };
    for (const Case& c : cases) {
        Packet packet;
        packet.SetType(c.type);
        packet.Values() = c.values;
        packet.ShortValues() = {10, 11, 12, 13};
        packet.FirstBytes() = c.type == 7 ? Bytes(16, 0xEE) : Bytes{1, 2};
        packet.SecondBytes() = {3, 4, 5};
        packet.SetText(u"abc");
        packet.SetData(data.data(), uint32_t(data.size()));
        packet.SetSize(uint32_t(data.size()));
        packet.SetSequence(77);
        const Bytes frame = packet.BuildFrame(1);
        EXPECT_EQ(LoadU32(frame.data() + 4), c.length) << int(c.type);
        EXPECT_EQ(frame.size(), c.length + 4u) << int(c.type);

        Packet read;
        ASSERT_TRUE(ReadFrame(read, frame)) << int(c.type);
        EXPECT_EQ(read.Type(), c.type);
        EXPECT_EQ(read.Values(), c.values) << int(c.type);
        EXPECT_EQ(read.BuildFrame(1), frame) << int(c.type);  // everything carried, nothing added
        if (c.type >= 7 && c.type != 10) {
            ASSERT_EQ(read.DataLength(), data.size());
            EXPECT_NE(read.Data(), data.data());  // owned, not borrowed
            EXPECT_EQ(Bytes(read.Data(), read.Data() + read.DataLength()), data);
        }
    }

    const std::vector<KeyEventRecord> keys = {{0x100, 0x41, 1, 0x1E0001}, {0x101, 0x41, 1, 0xC01E0001}};
    Packet read;
    ASSERT_TRUE(ReadFrame(read, Packet(keys).BuildFrame(2)));
    EXPECT_EQ(read.KeyEvents(), keys);
    const std::vector<PointerEventRecord> pointerCopy(pointer.begin(), pointer.end());
    const Bytes pointerFrame = Packet(pointer).BuildFrame(3);
    EXPECT_TRUE(pointer.empty());  // moved out of the caller's list
    EXPECT_EQ(LoadU32(pointerFrame.data() + 4), 4u + 1 + 4 + 2 * 16);
    ASSERT_TRUE(ReadFrame(read, pointerFrame));
    EXPECT_EQ(read.PointerEvents(), pointerCopy);
}

TEST(Packet, EveryWireTypeIsTheseBytes) {
    // One packet of each type with distinct values in every field, so that a field written out of
    // place, twice or not at all changes the bytes. Built at tick 0 (mark A0 A0 A0 00).
    const Bytes data = {0xD1, 0xD2, 0xD3};
    const auto typed = [&](uint8_t type) {
        auto packet = std::make_unique<Packet>();
        packet->SetType(type);
        packet->Values() = {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18};
        packet->ShortValues() = {0x21, 0x22, 0x23, 0x24};
        packet->FirstBytes() = {0x31, 0x32};
        packet->SecondBytes() = {0x41};
        packet->SetText(u"tx");
        packet->SetData(data.data(), uint32_t(data.size()));
        packet->SetSize(0x51);
        packet->SetSequence(0x61);
        return packet;
    };
    std::deque<PointerEventRecord> pointer = {{522, 0x8, -2, 0x10203, -120}};
    const auto withEZero = [&] {
        auto packet = typed(7);
        packet->Values()[4] = 0;
        return packet;
    };
    const struct {
        std::unique_ptr<Packet> packet;
        const char* hex;
    } cases[] = {
        {std::make_unique<Packet>(u"A"),  // digest: MD5 of the single byte 41, as 32 UTF-16 digits
         "a0a0a0004f000000012000000037006600630035003600320037003000650037006100370030006600610038"
         "00310061003500390033003500620037003200650061006300620065003200390002000000f73e"},
        {typed(2), "a0a0a0001100000002110000001200000013000000"},
        {typed(3),
         "a0a0a000280000000311000000120000001300000014000000150000002100220023002400020031320100"
         "41"},
        {std::make_unique<Packet>(std::vector<KeyEventRecord>{{0x101, 0x41, 2, 0xC01E0001}}),
         "a0a0a0001700000004010000000101410000000200000001001ec0"},
        {std::make_unique<Packet>(pointer), "a0a0a0001900000005010000000a0208000000feffffff0302010088ff"},
        {typed(7),  // E is not 0: no I
         "a0a0a000380000000711000000120000001300000014000000150000001600000017000000313200000000"
         "0000000000000000000003000000d1d2d3"},
        {withEZero(),  // E is 0: I follows H
         "a0a0a0003c000000071100000012000000130000001400000000000000160000001700000031320000000000"
         "0000000000000000001800000003000000d1d2d3"},
        {typed(8), "a0a0a000180000000811000000510000000300000061000000d1d2d3"},
        {typed(9), "a0a0a0002000000009110000001200000013000000020000007400780003000000d1d2d3"},
        {typed(10), "a0a0a0000d0000000a1100000012000000"},
        {typed(11), "a0a0a000100000000b5100000003000000d1d2d3"},
        {typed(12), "a0a0a000140000000c510000000300000061000000d1d2d3"},
    };
    for (const auto& c : cases) {
        const Bytes frame = c.packet->BuildFrame(0);
        std::string hex;
        for (uint8_t b : frame) {
            char two[3];
            std::snprintf(two, sizeof two, "%02x", b);
            hex += two;
        }
        EXPECT_EQ(hex, c.hex) << int(c.packet->Type());
    }
}

TEST(Packet, TypesOutsideTheWireTable) {
    Packet read;
    EXPECT_FALSE(ReadFrame(read, {0xA0, 0xA0, 0xA0, 0, 5, 0, 0, 0, 6}));
    EXPECT_EQ(read.Type(), 6);
    for (uint8_t type : {0, 6, 13}) {
        Packet packet;
        packet.SetType(type);
        RecordingSink sink;
        packet.Write(sink);
        EXPECT_EQ(sink.closes, 1) << int(type);
        EXPECT_TRUE(sink.sent.empty()) << int(type);
    }
    RecordingSink sink;
    Packet(u"[RC00003]").Write(sink);
    ASSERT_EQ(sink.sent.size(), 1u);
    EXPECT_EQ(sink.sent[0].size(), 99u);
    EXPECT_TRUE(IsFrameMark(sink.sent[0].data()));
    EXPECT_EQ(sink.closes, 0);
}

TEST(Packet, CountsRunningPastTheBlockAreRefused) {
    // Each body is a valid packet head whose count or length claims more than the block holds.
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"type 1 digest count", Body(1).U32s({0x80000000u}).Zeros(8).Done()},
        {"type 1 digest, odd byte short", Body(1).U32s({2}).Zeros(3).Done()},
        {"type 1 cipher length", Body(1).U32s({0, 0xFFFFFFFFu}).Zeros(4).Done()},
        {"type 2 truncated", Body(2).U32s({1, 2}).Done()},
        {"type 3 first list", Body(3).U32s({1, 2, 3, 4, 5}).U16s({0, 0, 0, 0, 0xFFFF}).Zeros(1).Done()},
        {"type 3 second list", Body(3).U32s({1, 2, 3, 4, 5}).U16s({0, 0, 0, 0, 0, 2}).Zeros(1).Done()},
        {"type 4 count", Body(4).U32s({0x40000000u}).Zeros(14 * 3).Done()},
        {"type 4 last record short", Body(4).U32s({2}).Zeros(14 * 2 - 1).Done()},
        {"type 5 count", Body(5).U32s({0x10000000u}).Zeros(16).Done()},
        {"type 7 I missing", Body(7).U32s({1, 2, 3, 4, 0, 6, 7}).Zeros(16).Done()},
        {"type 7 data length", Body(7).U32s({1, 2, 3, 4, 5, 6, 7}).Zeros(16).U32s({100}).Zeros(10).Done()},
        {"type 8 data length", Body(8).U32s({1, 5, 6, 0}).Zeros(5).Done()},
        {"type 9 text count", Body(9).U32s({1, 2, 3, 0x7FFFFFFF}).Zeros(10).Done()},
        {"type 9 data length", Body(9).U32s({1, 2, 3, 1}).Zeros(2).U32s({3}).Zeros(2).Done()},
        {"type 11 data length", Body(11).U32s({5, 6}).Zeros(5).Done()},
        {"type 12 data length", Body(12).U32s({0xFFFFFFFFu, 0xFFFFFFFFu, 0}).Zeros(100).Done()},
        {"no type byte", {4, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        Packet packet;
        EXPECT_FALSE(packet.ReadBody(c.bytes.data(), c.bytes.size())) << c.what;
        EXPECT_EQ(packet.Type(), kPacketNone) << c.what;
        EXPECT_EQ(packet.Data(), nullptr) << c.what;
        // The same bytes as a delivered block: refused and freed (the leak checker watches).
        uint8_t* block = AllocateFrameBlock(uint32_t(c.bytes.size()));
        std::copy(c.bytes.begin(), c.bytes.end(), block);
        EXPECT_FALSE(Packet().Read(block)) << c.what;
    }
}
