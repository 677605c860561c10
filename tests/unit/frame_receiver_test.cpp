// Unit tests of the frame scanner: frames cut from arrivals of any shape, bad streams refused.
#include "transport/frame_receiver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "common/bytes/byte_writer.h"
#include "transport/frame.h"

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

struct Scanner {
    FrameReceiver receiver;
    std::vector<Bytes> delivered;

    FrameReceiver::ScanResult Feed(const Bytes& bytes) {
        EXPECT_TRUE(receiver.Append(bytes.data(), bytes.size()));
        return receiver.Scan([this](uint8_t* block) {
            delivered.emplace_back(block, block + FrameBlockLength(block));
            FreeFrameBlock(block);
        });
    }
};

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
    for (const auto& c : cases) {
        Scanner s;
        // A good frame first: it is delivered, then the bad one ends the scan.
        Bytes arrival = Frame(0x10, {1});
        arrival.insert(arrival.end(), c.bytes.begin(), c.bytes.end());
        EXPECT_EQ(s.Feed(arrival), FrameReceiver::ScanResult::kBadFrame) << c.what;
        EXPECT_EQ(s.delivered.size(), 1u) << c.what;
        EXPECT_EQ(s.receiver.Count(), 0u) << c.what;  // everything buffered is dropped
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
    for (const auto& c : cases) {
        Scanner s;
        Bytes arrival = Frame(0x10, {1});
        const Bytes announced = Frame(0x01, c.length, Bytes(1000, 0x55));
        arrival.insert(arrival.end(), announced.begin(), announced.end());
        EXPECT_EQ(s.Feed(arrival), c.result) << c.length;
        EXPECT_EQ(s.delivered.size(), 1u) << c.length;
        EXPECT_EQ(s.receiver.Count(), c.result == FrameReceiver::ScanResult::kNeedMore ? 1008u : 0u);
        EXPECT_EQ(s.receiver.Capacity(), kSocketBufferStep) << "nothing allocated for the announcement";
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
