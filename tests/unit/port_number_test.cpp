// Port text to port numbers: what tolerates the blanks the peers and hand-edited files add, and what
// is no port at all.
#include "common/text/port_number.h"

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
