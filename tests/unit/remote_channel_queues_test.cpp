// The remote-control channel's two hand-over queues: the inbound queue's bound on what a teacher may
// leave waiting, and the outbox that never loses what the panel offered while the connection changes
// hands.
#include <gtest/gtest.h>

#include <cstring>

#include "remote_control/channel_outbox.h"
#include "remote_control/inbound_queue.h"
#include "transport/frame.h"

using namespace tesmora;

namespace {

uint8_t* Frame(uint32_t length) {
    uint8_t* block = AllocateFrameBlock(length);
    std::memset(block, 0, length);
    for (int i = 0; i < 4; ++i) block[i] = uint8_t(length >> (8 * i));  // the length field leads
    return block;
}

}  // namespace

TEST(InboundQueue, HoldsFramesInOrderUpToItsBoundInBytes) {
    const size_t cost = 100 + kInboundFrameOverhead;
    InboundQueue queue(3 * cost);
    uint8_t* first = Frame(100);
    EXPECT_TRUE(queue.Push(first));
    EXPECT_TRUE(queue.Push(Frame(100)));
    EXPECT_TRUE(queue.Push(Frame(100)));
    EXPECT_EQ(queue.Bytes(), 3 * cost);
    // One byte more than the bound: refused (and freed), what waited stays.
    EXPECT_FALSE(queue.Push(Frame(5)));
    EXPECT_EQ(queue.Count(), 3u);

    uint8_t* taken = queue.Take();
    EXPECT_EQ(taken, first);
    FreeFrameBlock(taken);
    EXPECT_TRUE(queue.Push(Frame(100)));  // room again
    EXPECT_EQ(queue.Bytes(), 3 * cost);
    // A frame larger than the whole bound never fits, even into an empty queue.
    InboundQueue small(cost);
    EXPECT_FALSE(small.Push(Frame(101)));
    EXPECT_EQ(small.Take(), nullptr);
    // What still waits when the queue goes is freed with it (the sanitizer build would see a leak).
}

TEST(InboundQueue, AFloodOfTinyFramesMeetsTheBoundToo) {
    InboundQueue queue(1024 * 1024);
    size_t taken = 0;
    while (queue.Push(Frame(kMinFrameLength))) ++taken;
    EXPECT_EQ(taken, 1024 * 1024 / (kMinFrameLength + kInboundFrameOverhead));
}

TEST(ChannelOutbox, WhatIsOfferedAfterTheCloseStaysWithTheCaller) {
    ChannelOutbox outbox;
    auto first = std::make_unique<Packet>(u"[RC00013]on");
    auto second = std::make_unique<Packet>(u"[RC00012]off");
    EXPECT_TRUE(outbox.Offer(first));
    EXPECT_TRUE(outbox.Offer(second));
    EXPECT_EQ(first, nullptr);
    auto waiting = outbox.Close();
    ASSERT_EQ(waiting.size(), 2u);
    EXPECT_EQ(waiting[0]->Text(), u"[RC00013]on");
    EXPECT_EQ(waiting[1]->Text(), u"[RC00012]off");

    auto late = std::make_unique<Packet>(u"[RC00011]stop");
    EXPECT_FALSE(outbox.Offer(late));
    ASSERT_NE(late, nullptr);
    EXPECT_EQ(late->Text(), u"[RC00011]stop");
    EXPECT_TRUE(outbox.TakeAll().empty());
}
