// The key table of config.ini and setting.ini and the per-key rules.
#include "common/config/config_keys.h"

#include <gtest/gtest.h>

using namespace tesmora;

namespace {

TEST(ConfigKeys, StartUpReadersStoreTheStandardValuesBack) {
    struct Case {
        IniFile file;
        std::u16string_view key;
        std::u16string_view valueRead;
        std::optional<std::u16string_view> storedBack;
    };
    const Case cases[] = {
        {IniFile::Setting, u"rsip", u"0.0.0.0", u"0.0.0.0"},
        {IniFile::Setting, u"rsip", u"10.0.0.5", std::nullopt},
        {IniFile::Setting, u"rsport", u"0", u"10240"},
        {IniFile::Setting, u"rsport", u"9000", std::nullopt},
        {IniFile::Config, u"scalefactor", u"", std::nullopt},
    };
    EXPECT_EQ(FindConfigKey(IniFile::Config, u"rsip"), nullptr);
    for (const Case& c : cases) {
        const ConfigKey* key = FindConfigKey(c.file, c.key);
        ASSERT_NE(key, nullptr) << "every key lives in one file only";
        EXPECT_EQ(ValueToStoreBack(*key, c.valueRead), c.storedBack);
    }
}

}  // namespace
