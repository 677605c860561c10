// Unit tests of the sticky-error byte reader and the step-grown byte writer.
#include <gtest/gtest.h>

#include <cstdint>

#include "common/bytes/byte_reader.h"
#include "common/bytes/byte_writer.h"

using namespace tesmora;

TEST(ByteReader, StaysFailedAfterAnOverrunAndNeverWraps) {
    const uint8_t bytes[] = {0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 'a', 0};
    ByteReader r(bytes, sizeof(bytes));
    EXPECT_EQ(r.U8(), 0x01);
    EXPECT_EQ(r.U16(), 0x1234);
    EXPECT_EQ(r.U32(), 0x12345678u);
    EXPECT_EQ(r.U32(), 0u);      // two bytes left: fails, reads nothing
    EXPECT_EQ(r.Utf16(1), u"");  // and stays failed although one character is there
    EXPECT_FALSE(r.Ok());
    for (size_t count : {size_t(2), SIZE_MAX / 2 + 1, SIZE_MAX}) {
        ByteReader text(bytes + 7, 2);                    // one character
        EXPECT_TRUE(text.Utf16(count).empty()) << count;  // refused before allocating
        EXPECT_FALSE(text.Ok()) << count;
    }
    ByteReader block(bytes, sizeof(bytes));
    block.U8();
    EXPECT_EQ(block.Bytes(SIZE_MAX), nullptr);  // offset + count would wrap to a small number
}

TEST(ByteWriter, GrowsInWholeStepsAndPatchesOnlyWrittenBytes) {
    ByteWriter w(1024);
    w.U8(7);
    const std::vector<uint8_t> big(1500, 0xAB);
    w.Bytes(big.data(), big.size());
    w.U32(0xDDCCBBAA);
    w.PatchU32(1, 0x04030201);
    w.PatchU32(w.Size() - 2, 0xFFFFFFFF);  // would run past the end: ignored
    w.Utf16(u"\uAC00");
    const std::vector<uint8_t> out = w.Take();
    ASSERT_EQ(out.size(), 1u + 1500 + 4 + 2);
    EXPECT_EQ(out.capacity(), 2048u);
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 6),
              (std::vector<uint8_t>{7, 1, 2, 3, 4, 0xAB}));
    EXPECT_EQ(std::vector<uint8_t>(out.end() - 6, out.end()),
              (std::vector<uint8_t>{0xAA, 0xBB, 0xCC, 0xDD, 0x00, 0xAC}));
}
