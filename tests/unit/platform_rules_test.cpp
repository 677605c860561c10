// The portable rules of the platform utilities: address choice, field splitting, folder walk,
// compatibility layers and the supported-version test.
#include <gtest/gtest.h>

#include "common/platform/compat_layer.h"
#include "common/platform/directory_path.h"
#include "common/platform/local_address.h"
#include "common/platform/os_version.h"
#include "common/platform/split_string.h"

using namespace tesmora;

namespace {

TEST(ChooseLocalAddress, FollowsTheClassroomRule) {
    struct Case {
        std::vector<AdapterAddress> adapters;
        std::string expected;
    };
    const Case cases[] = {
        {{{"203.0.113.5", "203.0.113.1"}, {"192.168.0.10", "192.168.0.1"}}, "192.168.0.10"},
        {{{"169.254.3.4", ""}, {"172.20.1.2", "0.0.0.0"}}, "169.254.3.4"},  // nothing routed
        {{{"172.32.0.1", "172.32.0.254"}, {"172.31.0.9", "172.31.0.1"}}, "172.31.0.9"},
        {{{"169.254.3.4", ""}, {"172.32.0.1", "172.32.0.254"}}, "172.32.0.1"},  // 172.32. is public
        {{{"203.0.113.5", "203.0.113.1"}, {"198.51.100.7", "198.51.100.1"}}, "203.0.113.5"},
        {{{"0.0.0.0", ""}, {"203.0.113.5", "203.0.113.1"}}, "203.0.113.5"},
        {{{"", ""}, {"1.2.3.4", "1.2.3.1"}}, ""},  // under 8 characters: never chosen by rule
        {{}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseLocalAddress(c.adapters), c.expected) << c.adapters.size();
    }
    for (const char* ip : {"10.0.0.1", "172.16.0.1", "172.31.255.1", "192.168.1.1"}) {
        EXPECT_TRUE(IsPrivateAddress(ip)) << ip;
    }
    for (const char* ip : {"100.1.1.1", "172.15.0.1", "172.32.0.1", "172.160.0.1", "192.169.0.1"}) {
        EXPECT_FALSE(IsPrivateAddress(ip)) << ip;
    }
}

TEST(SplitString, CutsAtDelimitersWithoutEmptyTokens) {
    struct Case {
        std::u16string text;
        std::u16string delimiters;
        std::vector<std::u16string> tokens;
        int result;
    };
    const Case cases[] = {
        {u"a,,b", u",", {u"a", u"b"}, 3},
        {u"", u",", {}, 0},
        {u",,,", u",", {}, 0},
        {u"\"rsip\":\"10.0.0.5\"", u":", {u"rsip", u"10.0.0.5"}, 3},
        {u"result:true\r\ncode:200\r\n", u"\r\n", {u"result:true", u"code:200"}, 3},
    };
    for (const Case& c : cases) {
        std::vector<std::u16string> tokens{u"stale"};
        EXPECT_EQ(SplitString(c.text, c.delimiters, tokens), c.result);
        EXPECT_EQ(tokens, c.tokens);
    }
}

TEST(PlanDirectoryPath, ResolvesTheWalk) {
    struct Case {
        std::u16string path;
        bool result;
        std::vector<std::u16string> folders;
    };
    const Case cases[] = {
        {u"C:/x/y", true, {u"C:\\x", u"C:\\x\\y"}},
        {u"C:\\..\\x", false, {}},
        {u"C:\\a\\..\\..\\b", false, {}},
        {u"C:\\a\\.\\b\\..\\c\\", true, {u"C:\\a", u"C:\\a\\c"}},
        {u"\\NoteSave", true, {u"\\NoteSave"}},
        {u"a//b", true, {u"a", u"a\\b"}},
        {u"C:\\", true, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::u16string> folders{u"stale"};
        EXPECT_EQ(PlanDirectoryPath(c.path, folders), c.result);
        EXPECT_EQ(folders, c.folders);
    }
}

TEST(AddCompatLayer, KeepsOtherLayersAndAddsOnce) {
    const std::u16string layer = u"HIGHDPIAWARE";
    EXPECT_EQ(AddCompatLayer(u"", layer), layer);
    EXPECT_EQ(AddCompatLayer(u"RUNASADMIN", layer), u"RUNASADMIN HIGHDPIAWARE");
    EXPECT_EQ(AddCompatLayer(u"RUNASADMIN HIGHDPIAWARE", layer), std::nullopt);
    // The system compares layer names exactly, so a lower-case one does not count.
    EXPECT_EQ(AddCompatLayer(u"highdpiaware", layer), u"highdpiaware HIGHDPIAWARE");
}

TEST(IsSupportedOsVersion, StartsAtXp) {
    EXPECT_FALSE(IsSupportedOsVersion({kPlatformWindowsNt, 5, 0, 2195}));
    EXPECT_TRUE(IsSupportedOsVersion({kPlatformWindowsNt, 5, 1, 2600}));
    EXPECT_TRUE(IsSupportedOsVersion({kPlatformWindowsNt, 10, 0, 19045}));
    EXPECT_FALSE(IsSupportedOsVersion({1, 10, 0, 0}));
}

}  // namespace
