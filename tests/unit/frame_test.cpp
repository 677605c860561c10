// Unit tests of the frame mark: every tick byte gives one mark, and only that mark is accepted.
#include "transport/frame.h"

#include <gtest/gtest.h>

#include <array>

using namespace tesmora;

TEST(FrameMark, WorkedExamples) {
    const struct {
        uint8_t tick;
        std::array<uint8_t, 4> mark;
    } cases[] = {
        {0x00, {0xA0, 0xA0, 0xA0, 0x00}},
        {0x5C, {0xA2, 0xA1, 0xA5, 0x5C}},
        {0xFF, {0xA7, 0xA3, 0xAF, 0xFF}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MakeFrameMark(c.tick), c.mark) << int(c.tick);
        EXPECT_TRUE(IsFrameMark(c.mark.data()));
    }
}

TEST(FrameMark, ByteThreeDecidesTheOtherThree) {
    // Only the high bits of T reach bytes 0..2, so 0x5D calls for the same three bytes as 0x5C and
    // the peer sends exactly this mark when its tick ends in 0x5D.
    const uint8_t sameHighBits[] = {0xA2, 0xA1, 0xA5, 0x5D};
    EXPECT_TRUE(IsFrameMark(sameHighBits));
    const uint8_t wrongTick[] = {0xA2, 0xA1, 0xA5, 0x60};  // 0x60 calls for A3 A1 A6
    EXPECT_FALSE(IsFrameMark(wrongTick));
    for (int tick = 0; tick < 256; ++tick) {
        auto mark = MakeFrameMark(uint8_t(tick));
        EXPECT_TRUE(IsFrameMark(mark.data()));
        for (int i = 0; i < 3; ++i) {
            auto bad = mark;
            bad[i] ^= 0x01;
            EXPECT_FALSE(IsFrameMark(bad.data())) << tick << " byte " << i;
        }
    }
}
