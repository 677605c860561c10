// The key and mouse events collected between flushes, and the packets one flush gives.
#include "remote_control/input_queues.h"

#include <gtest/gtest.h>

using namespace tesmora;

TEST(InputQueues, OneFlushGivesOneKeyPacketThenOneMousePacket) {
    InputQueues queues;
    queues.AddPointer({0x200, 0, 10, 20, 0});
    queues.AddKeys({{0x100, 0x41, 1, 0x1E}});
    queues.AddPointer({0x200, 0, 11, 20, 0});
    queues.AddKeys({{0x101, 0x41, 1, 0xC01E}});
    queues.AddPointer({0x200, 0, 12, 20, 0});

    const auto packets = queues.Flush();
    ASSERT_EQ(packets.size(), 2u);
    const std::vector<KeyEventRecord> keys = {{0x100, 0x41, 1, 0x1E}, {0x101, 0x41, 1, 0xC01E}};
    const std::vector<PointerEventRecord> moves = {
        {0x200, 0, 10, 20, 0}, {0x200, 0, 11, 20, 0}, {0x200, 0, 12, 20, 0}};

    // What goes on the wire (after the 4-byte frame mark), read back as the teacher PC reads it.
    const std::vector<uint8_t> keyFrame = packets[0]->BuildFrame(0);
    Packet keyRead;
    ASSERT_TRUE(keyRead.ReadBody(keyFrame.data() + 4, keyFrame.size() - 4));
    EXPECT_EQ(keyRead.Type(), kPacketKeyEvents);
    EXPECT_EQ(keyRead.KeyEvents(), keys);
    const std::vector<uint8_t> mouseFrame = packets[1]->BuildFrame(0);
    Packet mouseRead;
    ASSERT_TRUE(mouseRead.ReadBody(mouseFrame.data() + 4, mouseFrame.size() - 4));
    EXPECT_EQ(mouseRead.Type(), kPacketPointerEvents);
    EXPECT_EQ(mouseRead.PointerEvents(), moves);

    EXPECT_TRUE(queues.Empty());
    EXPECT_TRUE(queues.Flush().empty());
}

TEST(InputQueues, AQueueWithNothingInItGivesNoPacket) {
    InputQueues queues;
    queues.AddPointer({0x20A, 0, 1, 2, -120});
    const auto packets = queues.Flush();
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0]->Type(), kPacketPointerEvents);
}
