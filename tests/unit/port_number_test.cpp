// The small text rules: port text to port numbers (what tolerates the blanks the peers and
// hand-edited files add, and what is no port at all), and replacing every occurrence of a piece.
#include "common/text/port_number.h"
#include "common/text/remove_all.h"
#include "common/text/replace_all.h"

#include <gtest/gtest.h>

#include <string>

using namespace tesmora;

TEST(PortNumber, DecimalTextWithSurroundingBlanks) {
    struct Case {
        std::u16string text;
        uint16_t port;
    } cases[] = {
        {u"10240", 10240},
        {u"18241 ", 18241},
        {u"18500\r", 18500},
        {u"\t 1\r\n", 1},
        {u"65535", 65535},
        {u"010", 10},
        {u"0", 0},
        {u"65536", 0},
        {u"", 0},
        {u" \r\n", 0},
        {u"+80", 0},
        {u"-80", 0},
        {u"80x", 0},
        {u"8 0", 0},
        {u"http", 0},
        {u"99999999999999999999", 0},
        {u"\uFF18\uFF10", 0},  // full-width digits are not decimal text
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParsePortNumber(c.text), c.port) << std::string(c.text.begin(), c.text.end());
    }
}

TEST(ReplaceAll, EachOccurrenceOnceFromLeftToRight) {
    struct Case {
        std::u16string text, piece, replacement, expected;
    } cases[] = {
        {u"https://a/https://b", u"https://", u"http://", u"http://a/http://b"},
        {u"aaa", u"aa", u"b", u"ba"},               // occurrences do not overlap
        {u"abab", u"ab", u"ab-ab", u"ab-abab-ab"},  // what a replacement puts in is not looked at again
        {u"a%3d%3db", u"%3d", u"=", u"a==b"},
        {u"text", u"", u"x", u"text"},  // an empty piece replaces nothing
        {u"", u"a", u"b", u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReplaceAll(c.text, c.piece, c.replacement), c.expected)
            << std::string(c.text.begin(), c.text.end());
        EXPECT_EQ(
            ReplaceAll(std::string(c.text.begin(), c.text.end()), std::string(c.piece.begin(), c.piece.end()),
                       std::string(c.replacement.begin(), c.replacement.end())),
            std::string(c.expected.begin(), c.expected.end()));
    }
    EXPECT_EQ(RemoveAll(u"\"a\"b\"\"", u"\""), u"ab");
}
