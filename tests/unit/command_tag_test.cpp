// Unit tests of the command-tag split, the catalogue and the decimal payload conversion.
#include "session/command_tag.h"

#include <gtest/gtest.h>

#include <climits>

using namespace tesmora;

TEST(CommandTag, SplitsTagFromPayload) {
    const struct {
        std::u16string_view text;
        bool split;
        std::u16string_view tag, payload;
    } cases[] = {
        {u"[RC00009]start", true, u"[RC00009]", u"start"},
        {u"[RH10002]", true, u"[RH10002]", u""},
        {u"[RH1000]", false, u"", u""},  // eight characters: ignored
        {u"", false, u"", u""},
    };
    for (const auto& c : cases) {
        const auto command = SplitCommand(c.text);
        ASSERT_EQ(command.has_value(), c.split);
        if (!command) continue;
        EXPECT_EQ(command->tag, c.tag);
        EXPECT_EQ(command->payload, c.payload);
    }
}

TEST(CommandTag, CatalogueIsExactAndCaseSensitive) {
    for (auto tag : {kTagRemoteVersion, kTagInputModeSwitch, kTagKeepAliveAnswer, kTagTeacherVersion,
                     kTagIdentification, kTagTeacherAddress})
        EXPECT_TRUE(IsKnownTag(tag));
    for (std::u16string_view tag : {u"[rh10002]", u"[RC00002]", u"[RC00016]", u"[RH10002", u"RH10002]x"})
        EXPECT_FALSE(IsKnownTag(tag));
}

TEST(CommandTag, DecimalPayloadsConvertLikeTheCLibrary) {
    const std::pair<std::u16string_view, int32_t> cases[] = {
        {u"42", 42},
        {u" \t\n-17,5", -17},
        {u"+1080", 1080},
        {u"1920,1080", 1920},
        {u"abc", 0},
        {u"", 0},
        {u"-", 0},
        {u"+ 3", 0},
        {u"0x10", 0},
        {u"007", 7},
        {u"2147483647", INT32_MAX},
        {u"2147483648", INT32_MAX},
        {u"99999999999999999999", INT32_MAX},
        {u"-2147483648", INT32_MIN},
        {u"-2147483649", INT32_MIN},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ParseDecimal(text), value) << std::string(text.begin(), text.end());
}
