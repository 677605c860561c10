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

TEST(ConfigKeys, StrictCertificatesOnForAnyValueButTheOffWords) {
    const std::pair<std::u16string_view, bool> cases[] = {
        {u"", false},      {u"  ", false},     {u"0", false},     {u" No ", false}, {u"OFF", false},
        {u"false", false}, {u"1", true},       {u" 1\r\n", true}, {u"yes", true},   {u"TRUE", true},
        {u"on", true},     {u"enabled", true}, {u"2", true},
    };
    for (const auto& [text, strict] : cases) {
        EXPECT_EQ(StrictCertificatesFromSetting(text), strict) << std::string(text.begin(), text.end());
    }
    EXPECT_NE(FindConfigKey(IniFile::Config, kStrictCertificatesKey), nullptr);
}

}  // namespace
