// Encoding detection, conversion and backup naming of the INI files.
#include "common/config/ini_encoding.h"

#include <gtest/gtest.h>

#include <set>

using namespace tesmora;

namespace {

std::vector<uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

std::vector<uint8_t> Utf16(std::u16string_view text, bool bigEndian, bool mark = false) {
    std::vector<uint8_t> bytes;
    if (mark) bytes = {0xFF, 0xFE};
    for (char16_t unit : text) {
        bytes.push_back(uint8_t(bigEndian ? unit >> 8 : unit & 0xFF));
        bytes.push_back(uint8_t(bigEndian ? unit & 0xFF : unit >> 8));
    }
    return bytes;
}

// Stands in for the system's CP949 conversion of "한" (C7 D1); other bytes map to themselves.
std::u16string FakeCp949(std::span<const uint8_t> bytes) {
    std::u16string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const bool han = i + 1 < bytes.size() && bytes[i] == 0xC7 && bytes[i + 1] == 0xD1;
        text += han ? u'\uD55C' : char16_t(bytes[i]);
        i += han;
    }
    return text;
}

TEST(DetectIniEncoding, RecognisesEveryKindOfFile) {
    using E = IniEncoding;
    const std::pair<std::vector<uint8_t>, IniEncoding> cases[] = {
        {Utf16(u"[default]\r\n", false, true), E::Utf16LeMarked},
        {{0xFE, 0xFF, 0x00, '['}, E::Utf16BeMarked},
        {Bytes("\xEF\xBB\xBF[default]\r\n"), E::Utf8},
        {Bytes("[default]\r\nname=\xED\x95\x9C\r\n"), E::Utf8},
        {Bytes("[default]\r\nscalefactor=1.4\r\n"), E::Ansi},  // pure ASCII
        {Bytes("name=\xC7\xD1\xB1\xDB\r\n"), E::Ansi},         // CP949
        {Bytes("a=\xED\x95\x9C\xED\x95"), E::Utf8},            // cut by the end after a whole sequence
        {Bytes("a=\xED\x95"), E::Ansi},                        // only a cut sequence
        {Bytes(std::string_view("a=\xED\x95\x9C\0\xFF", 7)), E::Utf8},  // the zero byte ends the scan
        {Bytes(std::string_view("a=b\0\xED\x95\x9C", 7)), E::Ansi},
        {Bytes("a=\xC0\xAF"), E::Ansi},
        {Utf16(u"[default]\r\nname=\uD55C\r\n", false), E::Utf16LeUnmarked},
        // C5 AC 3D 00 passes the UTF-8 scan; decoding it as UTF-8 would destroy the file.
        {Utf16(u"\uACC5=1\r\n", false), E::Utf16LeUnmarked},
        {Utf16(u"[default]\r\nname=\uD55C\r\n", true), E::Utf16BeUnmarked},
        {Bytes(std::string_view("\r\0\0\na=b", 7)), E::Ansi},  // two-byte breaks in both orders
        {{}, E::Ansi},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(DetectIniEncoding(cases[i].first), cases[i].second) << "case " << i;
    }
}

TEST(ConvertIniToUtf16Le, WritesTheMarkAndTheTextOnce) {
    const std::u16string ini = u"[default]\r\nname=\uD55C\r\n";
    const std::pair<std::vector<uint8_t>, std::u16string> cases[] = {
        {Bytes("[default]\r\nname=\xC7\xD1\r\n"), ini},                  // ANSI
        {Bytes("\xEF\xBB\xBF[default]\r\nname=\xED\x95\x9C\r\n"), ini},  // the old mark is not repeated
        {Bytes("n=\xF0\x9F\x98\x80"), u"n=\U0001F600"},
        {Utf16(ini, false), ini},
        {Utf16(ini, true), ini},
        {Utf16(u"\uFEFF" + ini, true), ini},
        {{}, u""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& [bytes, text] = cases[i];
        EXPECT_EQ(ConvertIniToUtf16Le(bytes, DetectIniEncoding(bytes), FakeCp949), Utf16(text, false, true))
            << "case " << i;
    }
    std::vector<uint8_t> odd = Utf16(u"a=1", false);
    odd.push_back('x');
    EXPECT_EQ(ConvertIniToUtf16Le(odd, IniEncoding::Utf16LeUnmarked, nullptr), Utf16(u"a=1", false, true));
}

TEST(DecodeUtf8, ReplacesEachMalformedPieceOnce) {
    // Overlong form, encoded surrogate, beyond U+10FFFF, a cut sequence, a lone continuation byte,
    // and a sequence cut by the end.
    EXPECT_EQ(DecodeUtf8(Bytes("\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80|\xE2\x82|\x80|\xED\x95")),
              u"\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD\uFFFD|\uFFFD|\uFFFD|\uFFFD");
}

TEST(BackupName, InsertsDateAndNumberBeforeTheExtension) {
    EXPECT_EQ(FormatBackupDate(2025, 9, 5), u"20250905");
    EXPECT_EQ(BackupName(u"C:\\app\\config.ini", u"20250925", 1), u"C:\\app\\config_2025092501.ini");
    EXPECT_EQ(BackupName(u"C:\\app\\setting.ini", u"20250925", 99), u"C:\\app\\setting_2025092599.ini");
    // A dot in a folder name stays where it is: the backup lies beside the file.
    EXPECT_EQ(BackupName(u"C:\\my.ini.d\\config.ini", u"20250925", 2),
              u"C:\\my.ini.d\\config_2025092502.ini");
    EXPECT_EQ(BackupName(u"C:\\a.b\\config", u"20250925", 1), u"C:\\a.b\\config_2025092501");
}

// A file system held in a set, whose renames can be made to fail.
class FakeFiles final : public BackupFileSystem {
public:
    std::set<std::u16string> files{u"C:\\app\\config.ini"};
    int failingRenames = 0;
    int renames = 0;

    bool Exists(const std::u16string& path) override { return files.count(path) != 0; }
    bool Rename(const std::u16string& from, const std::u16string& to) override {
        ++renames;
        if (failingRenames > 0) {
            --failingRenames;
            return false;
        }
        return files.erase(from) && files.insert(to).second;
    }
    void Pause() override {}
};

TEST(MoveToBackup, TakesTheFirstFreeNameAndRetries) {
    const std::u16string path = u"C:\\app\\config.ini";
    FakeFiles fs;
    fs.files.insert(u"C:\\app\\config_2025092501.ini");
    fs.failingRenames = 2;
    EXPECT_EQ(MoveToBackup(path, u"20250925", fs), u"C:\\app\\config_2025092502.ini");
    EXPECT_FALSE(fs.Exists(path));
    EXPECT_EQ(fs.renames, 3);
}

TEST(MoveToBackup, GivesUpWhenTheFileWillNotMoveOrNoNameIsFree) {
    const std::u16string path = u"C:\\app\\config.ini";
    FakeFiles locked;
    locked.failingRenames = 1000;
    EXPECT_EQ(MoveToBackup(path, u"20250925", locked), u"");
    EXPECT_EQ(locked.renames, 3);  // not 3 x 99 attempts of 100 ms each

    FakeFiles full;
    for (int n = 1; n <= 99; ++n) full.files.insert(BackupName(path, u"20250925", n));
    EXPECT_EQ(MoveToBackup(path, u"20250925", full), u"");
    EXPECT_EQ(full.renames, 0);
    EXPECT_TRUE(full.Exists(path));
}

}  // namespace
