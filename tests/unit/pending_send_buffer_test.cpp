// Unit tests of the pending-send buffer: bytes leave in order and nothing is lost to a partial send.
#include "transport/pending_send_buffer.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tesmora;

TEST(PendingSendBuffer, FlushKeepsTheUntakenTailAndLaterBytesInOrder) {
    PendingSendBuffer pending;
    std::vector<uint8_t> wire;
    const auto takeUpTo = [&wire](long most) {
        return [&wire, most](const uint8_t* data, uint32_t length) {
            const long taken = most < 0 ? most : std::min<long>(most, length);
            if (taken > 0) wire.insert(wire.end(), data, data + taken);
            return taken;
        };
    };
    const uint8_t first[] = {1, 2, 3, 4, 5}, second[] = {6, 7};
    pending.Append(first, sizeof(first));
    EXPECT_EQ(pending.Flush(takeUpTo(2)), 2);
    pending.Append(second, sizeof(second));
    EXPECT_EQ(pending.Flush(takeUpTo(-1)), -1);  // would block: nothing taken, nothing lost
    EXPECT_EQ(pending.Count(), 5u);
    EXPECT_EQ(pending.Flush(takeUpTo(100)), 5);
    EXPECT_EQ(wire, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(pending.Flush(takeUpTo(100)), 0);  // nothing waits, nothing offered
    EXPECT_EQ(pending.Capacity(), kSocketBufferStep);
}
