// Unit tests of the geometrically grown socket buffer.
#include "transport/growing_buffer.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tesmora;

TEST(GrowingBuffer, GrowsToTwiceItsCapacityOrWhatIsNeededInWholeStepsKeepingItsBytes) {
    const struct {
        uint32_t initial;
        size_t append;
        uint32_t capacity;
    } cases[] = {
        {40960, 100000, 122880}, {40960, 40960, 40960},
        {40960, 40961, 81920},   {0, 1, 40960},  // a buffer left without a block grows in steps too
        {0, 81921, 122880},      {40960, 81921, 122880},
    };
    for (const auto& c : cases) {
        GrowingBuffer buffer(kSocketBufferStep, c.initial);
        const uint8_t first = 0x11;
        ASSERT_TRUE(buffer.Append(&first, 1));
        std::vector<uint8_t> bytes(c.append - 1, 0x22);
        ASSERT_TRUE(buffer.Append(bytes.data(), bytes.size()));
        EXPECT_EQ(buffer.Capacity(), c.capacity) << c.initial << "+" << c.append;
        EXPECT_EQ(buffer.Count(), c.append);
        EXPECT_EQ(buffer.Data()[0], 0x11);  // copied across the growth
    }
}

TEST(GrowingBuffer, RefusesSizesBeyond32BitsAndKeepsWhatItHad) {
    GrowingBuffer buffer(kSocketBufferStep, 16);
    const uint8_t byte = 0x42;
    ASSERT_TRUE(buffer.Append(&byte, 1));
    // Refused on the length alone: nothing is read from the pointer.
    EXPECT_FALSE(buffer.Append(&byte, size_t(UINT32_MAX)));
    EXPECT_FALSE(buffer.Append(&byte, size_t(UINT32_MAX) - 1));  // fits, but its stepped capacity not
    EXPECT_EQ(buffer.Count(), 1u);
    EXPECT_EQ(buffer.Capacity(), 16u);
}

TEST(GrowingBuffer, DropFrontAndTakeFrom) {
    GrowingBuffer giver(8, 8), taker(8, 8);
    const uint8_t bytes[] = {1, 2, 3, 4, 5};
    giver.Append(bytes, sizeof(bytes));
    giver.DropFront(3);
    EXPECT_EQ(std::vector<uint8_t>(giver.Data(), giver.Data() + giver.Count()), (std::vector<uint8_t>{4, 5}));
    taker.TakeFrom(giver);
    EXPECT_EQ(taker.Count(), 2u);
    EXPECT_EQ(taker.Data()[1], 5);
    EXPECT_EQ(giver.Capacity(), 0u);
    EXPECT_EQ(giver.Count(), 0u);
    ASSERT_TRUE(giver.Append(bytes, sizeof(bytes)));  // grows a new block on first use
    EXPECT_EQ(giver.Capacity(), 8u);
    taker.DropFront(100);
    EXPECT_EQ(taker.Count(), 0u);
    EXPECT_EQ(taker.Capacity(), 8u);  // never shrinks
}
