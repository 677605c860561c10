// The teacher's wire faults: junk that keeps the stream in step, a trickle of one byte a second, and
// a frame cut halfway before the drop.
#include <gtest/gtest.h>

#include <vector>

#include "core/fault_sink.h"
#include "transport/frame.h"
#include "transport/frame_receiver.h"
#include "transport/packet.h"

using namespace tesmora;
using namespace tesmora::classroom;

namespace {

struct Wire : FrameSink {
    std::vector<uint8_t> bytes;
    int closes = 0;
    int Send(const uint8_t* data, int length) override {
        bytes.insert(bytes.end(), data, data + length);
        return length;
    }
    void Close() override { ++closes; }
};

}  // namespace

TEST(FaultSink, JunkFramesStayInStepAndNoneIsAUsableCommand) {
    Wire wire;
    SendJunkFrames(wire, 1000);
    FrameReceiver receiver;
    ASSERT_TRUE(receiver.Append(wire.bytes.data(), wire.bytes.size()));
    int frames = 0, readable = 0;
    const auto result = receiver.Scan([&](uint8_t* block) {
        ++frames;
        Packet packet;
        if (packet.Read(block)) {
            ++readable;
            // The readable ones are texts a remote must ignore: unknown tags or no screen size.
            EXPECT_EQ(packet.Type(), kPacketText);
            const std::u16string text = packet.Text();
            EXPECT_TRUE(text.rfind(u"[ZZ", 0) == 0 || text == u"[RH00001]" ||
                        text == u"[RH00001]wide,high,deep");
        }
    });
    EXPECT_EQ(result, FrameReceiver::ScanResult::kNeedMore);
    EXPECT_EQ(receiver.Count(), 0u);
    EXPECT_EQ(frames, 1000);
    EXPECT_EQ(readable, 2 * 1000 / 6);
    EXPECT_EQ(wire.closes, 0);
}

TEST(FaultSink, TrickleSendsOneByteASecondAndClosesOnlyWhenDrained) {
    Wire wire;
    FaultSink sink(wire);
    const uint8_t before[] = {1, 2};
    sink.Send(before, 2);
    const auto t0 = SessionClock::now();
    sink.StartTrickle(t0);
    const uint8_t later[] = {3, 4, 5};
    sink.Send(later, 3);
    sink.Close();
    for (int ms = 0; ms < 2000; ms += 10) sink.Tick(t0 + std::chrono::milliseconds(ms));
    EXPECT_EQ(wire.bytes, (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(wire.closes, 0) << "the close waits for the last byte";
    for (int ms = 2000; ms <= 3500; ms += 10) sink.Tick(t0 + std::chrono::milliseconds(ms));
    EXPECT_EQ(wire.bytes, (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(wire.closes, 1);
}

TEST(FaultSink, ACutFrameSendsHalfThenDropsAndNothingFollows) {
    Wire wire;
    FaultSink sink(wire);
    const std::vector<uint8_t> frame(100, 7);
    sink.CutNextFrame(true);
    sink.Send(frame.data(), int(frame.size()));
    EXPECT_EQ(wire.bytes.size(), 50u);
    EXPECT_EQ(wire.closes, 1);
    EXPECT_EQ(sink.Send(frame.data(), int(frame.size())), -1);
    EXPECT_EQ(wire.bytes.size(), 50u);
}
