// Unit tests of the frame scanner: frames cut from arrivals of any shape, bad streams refused.
#include "transport/frame_receiver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "common/bytes/byte_writer.h"
#include "transport/frame.h"
#include "transport/packet.h"

using namespace tesmora;

namespace {

using Bytes = std::vector<uint8_t>;

// A frame with tick byte `tick`, length field `length` and `body` (which may be shorter than L says).
Bytes Frame(uint8_t tick, uint32_t length, const Bytes& body) {
    const auto mark = MakeFrameMark(tick);
    Bytes frame(mark.begin(), mark.end());
    frame.resize(8);
    StoreU32(frame.data() + 4, length);
    frame.insert(frame.end(), body.begin(), body.end());
    return frame;
}

Bytes Frame(uint8_t tick, const Bytes& body) {
    return Frame(tick, uint32_t(body.size() + 4), body);
}

// Feeds arrivals the way the socket does (Receive: one call per arrival) or in two steps (Append,
// then Scan), and keeps a copy of every frame delivered.
struct Scanner {
    explicit Scanner(bool receiveInOneCall = false) : receive(receiveInOneCall) {}
    bool receive;
    FrameReceiver receiver;
    std::vector<Bytes> delivered;

    FrameReceiver::ScanResult Feed(const uint8_t* data, size_t length) {
        const auto keep = [this](uint8_t* block) {
            delivered.emplace_back(block, block + FrameBlockLength(block));
            FreeFrameBlock(block);
        };
        if (receive) return receiver.Receive(data, length, keep);
        EXPECT_TRUE(receiver.Append(data, length));
        return receiver.Scan(keep);
    }
    FrameReceiver::ScanResult Feed(const Bytes& bytes) { return Feed(bytes.data(), bytes.size()); }
};

// One frame of every packet type the peers exchange, each with its own tick byte, back to back.
Bytes StreamOfEveryType() {
    const Bytes data = {9, 8, 7, 6, 5, 4, 3, 2, 1};
    std::vector<Bytes> frames;
    frames.push_back(Packet(u"[RC00008]1920,1080,full,resize").BuildFrame(0x00));
    frames.push_back(Packet(std::vector<KeyEventRecord>{{0x100, 0x41, 1, 0x1E0001}}).BuildFrame(0x37));
    std::deque<PointerEventRecord> pointer = {{513, 1, -5, 700, 0}, {522, 0, 10, 20, -120}};
    frames.push_back(Packet(pointer).BuildFrame(0x6E));
    const struct {
        uint8_t type;
        std::vector<uint32_t> values;
    } others[] = {{2, {1, 2, 3}},
                  {3, {1, 2, 3, 4, 5}},
                  {7, {1, 2, 3, 4, 0, 6, 7, 99}},
                  {7, {1, 2, 3, 4, 5, 6, 7}},
                  {8, {42}},
                  {9, {1, 2, 3}},
                  {10, {1, 2}},
                  {11, {}},
                  {12, {}}};
    uint8_t tick = 0xA5;
    for (const auto& other : others) {
        Packet packet;
        packet.SetType(other.type);
        packet.Values() = other.values;
        packet.ShortValues() = {10, 11, 12, 13};
        packet.FirstBytes() = other.type == 7 ? Bytes(16, 0xEE) : Bytes{1, 2};
        packet.SecondBytes() = {3, 4, 5};
        packet.SetText(u"abc");
        packet.SetData(data.data(), uint32_t(data.size()));
        packet.SetSize(uint32_t(data.size()));
        packet.SetSequence(77);
        frames.push_back(packet.BuildFrame(tick += 0x1D));
    }
    Bytes stream;
    for (const Bytes& frame : frames) stream.insert(stream.end(), frame.begin(), frame.end());
    return stream;
}

}  // namespace

TEST(FrameReceiver, TwoFramesInOneArrivalAreDeliveredInOrder) {
    Scanner s;
    Bytes arrival = Frame(0x00, {1, 0xAA});
    const Bytes second = Frame(0xFF, {12, 1, 2, 3});
    arrival.insert(arrival.end(), second.begin(), second.end());
    arrival.insert(arrival.end(), {0xA0, 0xA0});  // the start of a third
    EXPECT_EQ(s.Feed(arrival), FrameReceiver::ScanResult::kNeedMore);
    ASSERT_EQ(s.delivered.size(), 2u);
    EXPECT_EQ(s.delivered[0], (Bytes{6, 0, 0, 0, 1, 0xAA}));
    EXPECT_EQ(s.delivered[1], (Bytes{8, 0, 0, 0, 12, 1, 2, 3}));
    EXPECT_EQ(s.receiver.Count(), 2u);  // the unfinished tail stays, moved to the front
}

TEST(FrameReceiver, OneByteAtATimeDeliversOnceWhenTheLastByteArrives) {
    Scanner s;
    const Bytes frame = Frame(0x5C, {1});  // L = 5: complete with 9 bytes
    for (size_t i = 0; i < frame.size(); ++i) {
        EXPECT_EQ(s.Feed({frame[i]}), FrameReceiver::ScanResult::kNeedMore);
        EXPECT_EQ(s.delivered.size(), i + 1 == frame.size() ? 1u : 0u) << "after byte " << i;
    }
    EXPECT_EQ(s.delivered[0], (Bytes{5, 0, 0, 0, 1}));
    EXPECT_EQ(s.receiver.Count(), 0u);
}

TEST(FrameReceiver, BadMarkOrShortLengthBreaksTheStream) {
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"mark A2 A1 A5 60", {0xA2, 0xA1, 0xA5, 0x60, 5, 0, 0, 0, 1}},
        {"mark A0 A0 A0 FF", {0xA0, 0xA0, 0xA0, 0xFF, 5, 0, 0, 0, 1}},
        {"L = 0", Frame(0x5C, 0, {})},
        {"L = 1", Frame(0x5C, 1, {})},
        {"L = 4", Frame(0x5C, 4, {})},
    };
    for (const bool receive : {false, true}) {
        for (const auto& c : cases) {
            Scanner s(receive);
            // A good frame first: it is delivered, then the bad one ends the scan.
            Bytes arrival = Frame(0x10, {1});
            arrival.insert(arrival.end(), c.bytes.begin(), c.bytes.end());
            EXPECT_EQ(s.Feed(arrival), FrameReceiver::ScanResult::kBadFrame) << c.what << receive;
            EXPECT_EQ(s.delivered.size(), 1u) << c.what << receive;
            EXPECT_EQ(s.receiver.Count(), 0u) << c.what << receive;  // everything buffered is dropped
        }
    }
}

TEST(FrameReceiver, AnnouncedLengthAboveTheBoundClosesOnTheHeaderAlone) {
    const struct {
        uint32_t length;
        FrameReceiver::ScanResult result;
    } cases[] = {
        {kMaxFrameLength, FrameReceiver::ScanResult::kNeedMore},
        {kMaxFrameLength + 1, FrameReceiver::ScanResult::kTooLong},
        {0x7FFFFFFF, FrameReceiver::ScanResult::kTooLong},
        {0xFFFFFFFF, FrameReceiver::ScanResult::kTooLong},  // L + 4 would wrap in 32 bits
    };
    for (const bool receive : {false, true}) {
        for (const auto& c : cases) {
            Scanner s(receive);
            Bytes arrival = Frame(0x10, {1});
            const Bytes announced = Frame(0x01, c.length, Bytes(1000, 0x55));
            arrival.insert(arrival.end(), announced.begin(), announced.end());
            EXPECT_EQ(s.Feed(arrival), c.result) << c.length << receive;
            EXPECT_EQ(s.delivered.size(), 1u) << c.length << receive;
            EXPECT_EQ(s.receiver.Count(), c.result == FrameReceiver::ScanResult::kNeedMore ? 1008u : 0u);
            EXPECT_EQ(s.receiver.Capacity(), kSocketBufferStep) << "nothing allocated for the announcement";
        }
    }
}

TEST(FrameReceiver, LargeFrameArrivingInPiecesGrowsTheBufferGeometrically) {
    Scanner s;
    constexpr uint32_t kLength = 8u * 1024 * 1024;  // a full-screen JPEG of a large desktop
    const Bytes frame = Frame(0x42, kLength, Bytes(kLength - 4, 0x0C));
    uint32_t capacity = s.receiver.Capacity();
    int growths = 0;
    constexpr size_t kPiece = 65536;  // about what one readable event brings
    for (size_t at = 0; at < frame.size(); at += kPiece) {
        const size_t n = std::min(kPiece, frame.size() - at);
        ASSERT_TRUE(s.receiver.Append(frame.data() + at, n));
        if (s.receiver.Capacity() != capacity) ++growths, capacity = s.receiver.Capacity();
    }
    // Steps of 40,960 bytes would have grown (and copied everything held) over 200 times.
    EXPECT_LE(growths, 9);
    EXPECT_LE(capacity, 2u * (kLength + 4));
    EXPECT_EQ(s.Feed({}), FrameReceiver::ScanResult::kNeedMore);
    ASSERT_EQ(s.delivered.size(), 1u);
    EXPECT_EQ(s.delivered[0].size(), kLength);
    EXPECT_EQ(s.receiver.Capacity(), capacity) << "capacity never shrinks";
}

TEST(FrameReceiver, ThousandsOfFramesInOneArrival) {
    Scanner s;
    Bytes arrival;
    for (int i = 0; i < 5000; ++i) {
        const Bytes frame = Frame(uint8_t(i), {12, uint8_t(i), uint8_t(i >> 8)});
        arrival.insert(arrival.end(), frame.begin(), frame.end());
    }
    EXPECT_EQ(s.Feed(arrival), FrameReceiver::ScanResult::kNeedMore);
    ASSERT_EQ(s.delivered.size(), 5000u);
    EXPECT_EQ(s.delivered[4999], (Bytes{7, 0, 0, 0, 12, uint8_t(4999), uint8_t(4999 >> 8)}));
    EXPECT_EQ(s.receiver.Count(), 0u);
}

TEST(FrameReceiver, AStreamCutAnywhereYieldsTheFramesOfTheWholeStream) {
    const Bytes stream = StreamOfEveryType();
    Scanner whole(true);
    ASSERT_EQ(whole.Feed(stream), FrameReceiver::ScanResult::kNeedMore);
    ASSERT_EQ(whole.delivered.size(), 12u);
    for (const Bytes& frame : whole.delivered) {
        Packet packet;
        EXPECT_TRUE(packet.ReadBody(frame.data(), frame.size())) << "type " << int(frame[4]);
    }

    // Two arrivals cut at every offset, then three (the second cut at every fifth offset after the
    // first); each way of feeding. A frame that straddles a cut, or whose header does, is the case.
    const size_t n = stream.size();
    const auto feedPieces = [&](bool receive, std::initializer_list<size_t> cuts) {
        Scanner s(receive);
        size_t from = 0;
        bool fine = true;
        for (size_t to : cuts) {
            fine &= s.Feed(stream.data() + from, to - from) == FrameReceiver::ScanResult::kNeedMore;
            from = to;
        }
        return fine && s.delivered == whole.delivered && s.receiver.Count() == 0;
    };
    for (const bool receive : {true, false}) {
        std::vector<std::string> wrong;
        for (size_t first = 0; first <= n; ++first) {
            if (!feedPieces(receive, {first, n})) wrong.push_back(std::to_string(first));
            for (size_t second = first; second <= n; second += 5) {
                if (!feedPieces(receive, {first, second, n}))
                    wrong.push_back(std::to_string(first) + "+" + std::to_string(second));
            }
        }
        EXPECT_EQ(wrong, std::vector<std::string>{}) << (receive ? "Receive" : "Append and Scan");
    }
}
