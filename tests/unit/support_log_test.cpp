// The support log's rules: the key's values, one trace per dated line, and the size bound.
#include "common/platform/support_log.h"

#include <gtest/gtest.h>

namespace tesmora {
namespace {

TEST(SupportLog, OnlyAnExplicitYesTurnsItOn) {
    for (std::u16string_view on : {u"1", u" yes ", u"On", u"TRUE"}) EXPECT_TRUE(SupportLogEnabled(on));
    for (std::u16string_view off : {u"", u"0", u"no", u"off", u"2", u"logfile"})
        EXPECT_FALSE(SupportLogEnabled(off));
}

TEST(SupportLog, OneDatedUtf8LinePerTrace) {
    const SupportLogTime time{2026, 3, 7, 8, 5, 9, 42};
    EXPECT_EQ(SupportLogLine(time, u"304 다운로드 완료 : a.dll\n"),
              "2026-03-07 08:05:09.042 304 \xEB\x8B\xA4\xEC\x9A\xB4\xEB\xA1\x9C\xEB\x93\x9C "
              "\xEC\x99\x84\xEB\xA3\x8C : a.dll\r\n");
    // A text cannot start a line of its own, so nobody can forge an entry through a file name.
    EXPECT_EQ(SupportLogLine(time, u"a\r\n2026-01-01 00:00:00.000 forged\tx"),
              "2026-03-07 08:05:09.042 a  2026-01-01 00:00:00.000 forged x\r\n");
}

TEST(SupportLog, TheFileRotatesBeforeItPassesTheBound) {
    const struct {
        uint64_t current, line, max;
        bool rotate;
    } cases[] = {
        {0, 10, 100, false},   // an empty file takes any line
        {0, 500, 100, false},  // even one longer than the bound, once
        {90, 10, 100, false},  // exactly full
        {91, 10, 100, true},
        {500, 1, 100, true},  // already past the bound (a copy written by an older version)
        {kSupportLogMaxBytes - 40, 40, kSupportLogMaxBytes, false},
        {kSupportLogMaxBytes - 40, 41, kSupportLogMaxBytes, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SupportLogMustRotate(c.current, c.line, c.max), c.rotate) << c.current;
}

}  // namespace
}  // namespace tesmora
