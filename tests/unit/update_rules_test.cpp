// The updater's decisions: reply lines, the eight-field rule, the out-of-date rules, the language
// filter, the entries that may be written, backup names, the batch text, when a download or a reply
// counts and when a staged file may be applied.
#include "updater/update_rules.h"

#include <gtest/gtest.h>

#include <set>

#include "common/http/content_disposition.h"

namespace tesmora {
namespace {

TEST(UpdateReply, ServerCheckLinesAndValues) {
    const auto lines = SplitReplyLines(u"result:true\n\n  server:  10.0.0.5  \n\"port:\"8080\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(FindReplyValue(lines, u"result:"), u"true");
    EXPECT_EQ(FindReplyValue(lines, u"server:"), u"10.0.0.5");
    EXPECT_EQ(FindReplyValue(lines, u"port:"), u"8080");
    EXPECT_EQ(FindReplyValue(SplitReplyLines(u"result:true\nserver:a\n"), u"port:"), std::nullopt);
    // Every occurrence of the key goes, not only the first.
    EXPECT_EQ(FindReplyValue({u"server:x server: y"}, u"server:"), u"x  y");
}

TEST(UpdateReply, FileLinesNeedExactlyEightFields) {
    const struct {
        std::u16string line;
        bool accepted;
    } cases[] = {
        {u"file:u_remocon,r_lang_dll_eng,eng.dll,lang\\,12345,해당없음,x,eng.dll_new", true},
        {u"  file: \"u_remocon\",\"t\",\"a.exe\",\"d\\\",\"1\",\"2.0\",\"x\",\"a.new\"", true},
        {u"file:u_remocon,,t,a.exe,d\\,1,2.0,x,a.new", true},  // empty pieces are skipped
        {u"file:u_remocon,t,a.exe,d\\,1,2.0,a.new", false},
        {u"file:u_remocon,t,a.exe,d\\,1,2.0,x,a.new,extra", false},
        {u"files:u_remocon,t,a.exe,d\\,1,2.0,x,a.new", false},
        {u"result:true", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseFileLine(c.line).has_value(), c.accepted) << std::string(c.line.begin(), c.line.end());
    }
    const auto entries = ParseFileList(
        u"result:true\nfile:u_remocon,r_lang_dll_eng,eng.dll,lang\\,12345,해당없음,x,eng.dll_new\n"
        u"file:bad\nfile:u_teacher,t,b.exe,.\\,1,2.0,x,b.new\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].directory, u"lang\\");
    EXPECT_EQ(entries[0].stagingName, u"eng.dll_new");
    EXPECT_EQ(entries[1].programKey, u"u_teacher");
}

TEST(UpdateVersion, TextOrderAndOutOfDateRules) {
    EXPECT_TRUE(IsVersionGreater(u"2.0.1.999", u"2.0.1.1080"));  // the service relies on text order
    EXPECT_FALSE(IsVersionGreater(u"2.0.1.1080", u"2.0.1.999"));
    EXPECT_TRUE(IsVersionGreater(u"2.0.1.1080", u"2.0.1.1079"));
    EXPECT_TRUE(IsVersionGreater(u"2.0.1", u""));
    EXPECT_FALSE(IsVersionGreater(u"2.0", u"2.0.1"));  // a proper prefix is smaller
    EXPECT_FALSE(IsVersionGreater(u"2.0.1", u"2.0.1"));

    UpdateFileEntry versioned{u"u_remocon", u"t", u"a.exe", u"", u"5", u"2.0.1.1080", u"x", u"a.new"};
    UpdateFileEntry sized{u"u_remocon", u"t",    u"a.dll", u"", u"12345", std::u16string(kNoVersion),
                          u"x",         u"a.new"};
    const struct {
        const UpdateFileEntry* entry;
        FileFacts file;
        bool outdated;
    } cases[] = {
        {&versioned, {100, u"2.0.1.999"}, false},
        {&versioned, {100, u"2.0.1.1079"}, true},
        {&versioned, {100, u"2.0.1.1080"}, false},
        {&versioned, {0, u""}, true},                 // missing file
        {&versioned, {100, u"2, 0, 1, 1080"}, true},  // read as "2. 0. 1. 1080", which sorts lower
        {&versioned, {100, u"2,0,1,1080"}, false},    // commas read as points
        {&sized, {12345, u""}, false},
        {&sized, {12344, u"9.9"}, true},  // size decides, not the version
        {&sized, {0, u""}, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsFileOutdated(*c.entry, c.file), c.outdated)
            << std::string(c.file.version.begin(), c.file.version.end()) << " size " << c.file.size;
    }
}

TEST(UpdateLanguage, FilterOffsetsAndPrograms) {
    const std::u16string keys[] = {u"t_lang_dll_eng", u"s_lang_dll_jpn", u"r_lang_dll_eng", u"r_lang_dll_jpn",
                                   u"remocon_exe"};
    const struct {
        std::u16string language;
        std::set<std::u16string> passing;
    } cases[] = {
        {u"Kor", {u"remocon_exe"}},
        {u"Eng", {u"t_lang_dll_eng", u"r_lang_dll_eng", u"remocon_exe"}},
        {u"Japan", {u"s_lang_dll_jpn", u"r_lang_dll_jpn", u"remocon_exe"}},
        {u"kor",
         {u"t_lang_dll_eng", u"s_lang_dll_jpn", u"r_lang_dll_eng", u"r_lang_dll_jpn", u"remocon_exe"}},
    };
    for (const auto& c : cases) {
        for (const auto& key : keys) {
            EXPECT_EQ(PassesLanguageFilter(key, c.language), c.passing.count(key) == 1);
        }
    }
    EXPECT_EQ(MessageOffsetForLanguage(u"Kor"), 0);
    EXPECT_EQ(MessageOffsetForLanguage(u"Eng"), 300);
    EXPECT_EQ(MessageOffsetForLanguage(u"Japan"), 600);
    EXPECT_EQ(MessageOffsetForLanguage(u"eng"), 0);
    EXPECT_EQ(ProgramFileForKey(u"u_remocon"), u"TesmoraOrluRemocon.exe");
    EXPECT_EQ(ProgramFileForKey(u"u_other"), u"");
}

TEST(UpdatePaths, OnlyEntriesInsideTheProgramFolderAreWritten) {
    const struct {
        std::u16string directory, target, staging;
        bool inside;
    } cases[] = {
        {u"lang\\", u"eng.dll", u"eng.dll_new", true},
        {u"", u"a.exe", u"a.new", true},
        {u"lang", u"x", u"x.new", true},  // D\langx.new: odd but inside
        {u"a/b\\", u"x", u"x.new", true},
        {u"..\\", u"x", u"x.new", false},
        {u"lang\\..\\..\\", u"x", u"x.new", false},
        {u"lang/../", u"x", u"x.new", false},
        {u"... \\", u"x", u"x.new", false},  // Windows trims it to ".."
        {u"C:\\Windows\\", u"x", u"x.new", false},
        {u"\\\\server\\share\\", u"x", u"x.new", false},
        {u"\\Windows\\", u"x", u"x.new", false},
        {u"lang\\", u"..", u"x.new", false},
        {u"lang\\", u"x", u"..\\x.new", false},
        {u"lang\\", u"C:x", u"x.new", false},
        {u"lang\\", u"x", u"sub/x.new", false},
    };
    for (const auto& c : cases) {
        const UpdateFileEntry entry{u"u_remocon", u"t", c.target, c.directory, u"1", u"1", u"x", c.staging};
        EXPECT_EQ(IsEntryInsideFolder(entry), c.inside)
            << std::string(c.directory.begin(), c.directory.end()) << " "
            << std::string(c.target.begin(), c.target.end());
    }
}

TEST(UpdatePaths, AnEntryStagedOverItsOwnInstalledFileIsRefused) {
    const struct {
        std::u16string target, staging;
        bool over;
    } cases[] = {
        {u"TesmoraOrluRemocon.exe", u"TesmoraOrluRemocon.exe", true},
        {u"TesmoraOrluRemocon.exe", u"tesmoraorluremocon.EXE", true},
        {u"TesmoraOrluRemocon.exe", u"TesmoraOrluRemocon.exe. .", true},  // Windows drops the tail
        {u"TesmoraOrluRemocon.exe", u"TesmoraOrluRemocon.exe_new", false},
        {u"a.dll", u"a.dl", false},
    };
    for (const auto& c : cases) {
        const UpdateFileEntry entry{u"u_remocon", u"t", c.target, u"lib\\", u"1", u"1", u"x", c.staging};
        EXPECT_EQ(StagesOverInstalled(entry), c.over) << std::string(c.staging.begin(), c.staging.end());
    }
}

TEST(UpdateApply, AStagedFileMustBeNewerThanTheInstalledOne) {
    const struct {
        FileFacts staged, installed;
        bool apply;
    } cases[] = {
        {{9, u"2.0.1.1028"}, {9, u"2.0.1.1027"}, true},
        {{9, u"2.0.1.1028"}, {9, u"2.0.1.1028"}, false},  // already installed
        {{9, u"2.0.1.1028"}, {9, u"2.0.1.1090"}, false},  // a newer release came in between
        {{9, u"2,0,1,1028"}, {9, u"2.0.1.1090"}, false},  // commas read as points on both sides
        {{9, u"2.0.1.1090"}, {9, u"2,0,1,1028"}, true},
        {{9, u"2.0.1.1028"}, {0, u""}, true},  // nothing installed yet
        {{9, u""}, {9, u"2.0.1.1090"}, true},  // no version resource: the list alone decides
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsStagedFileNewer(c.staged, c.installed), c.apply)
            << std::string(c.staged.version.begin(), c.staged.version.end()) << " over "
            << std::string(c.installed.version.begin(), c.installed.version.end());
    }
}

TEST(UpdatePaths, ServerFileNamesAreCleaned) {
    const struct {
        std::u16string raw, clean;
    } cases[] = {
        {u"setup.zip", u"setup.zip"},
        {u"\"a b.exe\"", u"a b.exe"},
        {u"..\\..\\Windows\\evil.dll", u"evil.dll"},
        {u"C:evil.dll", u"evil.dll"},
        {u"/etc/passwd", u"passwd"},
        {u"..", u""},
        {u"x\\. .", u""},
        {u"a|b", u""},
        {u"name.dll. ", u"name.dll"},
    };
    for (const auto& c : cases) EXPECT_EQ(CleanServerFileName(c.raw), c.clean);
}

TEST(UpdateBackup, NamesAcrossDaysAndTheLimit) {
    std::set<std::u16string> existing{u"D\\lang\\eng.dll_20250925_1"};
    auto exists = [&existing](const std::u16string& name) { return existing.count(name) == 1; };
    EXPECT_EQ(PickBackupName(u"D\\lang\\eng.dll", 2025, 9, 25, exists), u"D\\lang\\eng.dll_20250925_2");
    EXPECT_EQ(PickBackupName(u"D\\lang\\eng.dll", 2025, 9, 26, exists), u"D\\lang\\eng.dll_20250926_1");
    for (int n = 1; n <= 98; ++n) {
        const std::string number = std::to_string(n);
        existing.insert(u"a_20260101_" + std::u16string(number.begin(), number.end()));
    }
    EXPECT_EQ(PickBackupName(u"a", 2026, 1, 1, exists), u"a_20260101_99");
    existing.insert(u"a_20260101_99");
    EXPECT_EQ(PickBackupName(u"a", 2026, 1, 1, exists), std::nullopt);
}

TEST(UpdateBatch, TheTwelveLinesByteForByte) {
    EXPECT_EQ(
        SelfReplaceBatchText(u"C:\\P", u"C:\\P\\lang\\u.new"),
        u":try_exe\r\n"
        u"IF EXIST \"C:\\P\\lang\\u.new\" ( DEL \"C:\\P\\TesmoraOrluUpdaterR.exe\" ) ELSE ( GOTO next1)  \r\n"
        u"IF EXIST \"C:\\P\\TesmoraOrluUpdaterR.exe\" GOTO try_exe\r\n"
        u":next1\r\n"
        u":copy_exe\r\n"
        u"IF EXIST \"C:\\P\\lang\\u.new\" ( MOVE \"C:\\P\\lang\\u.new\" \"C:\\P\\TesmoraOrluUpdaterR.exe\" ) "
        u"ELSE ( GOTO next2 )\r\n"
        u"IF NOT EXIST \"C:\\P\\TesmoraOrluUpdaterR.exe\" GOTO copy_exe\r\n"
        u":next2\r\n"
        u"start /D \"C:\\P\" /B TesmoraOrluUpdaterR.exe \r\n"
        u":try_bat\r\n"
        u"DEL \"C:\\P\\aUpdate.bat\"\r\n"
        u"IF EXIST \"C:\\P\\aUpdate.bat\" GOTO try_bat\r\n");
    // cmd would expand "%x%" (or drop a lone "%"): every percent sign is doubled, in every path.
    const std::u16string text = SelfReplaceBatchText(u"C:\\100%", u"C:\\100%\\%x%\\u.new");
    EXPECT_NE(
        text.find(u"IF EXIST \"C:\\100%%\\%%x%%\\u.new\" ( DEL \"C:\\100%%\\TesmoraOrluUpdaterR.exe\" )"),
        std::u16string::npos);
    EXPECT_NE(text.find(u"start /D \"C:\\100%%\" /B"), std::u16string::npos);
    EXPECT_NE(text.find(u"DEL \"C:\\100%%\\aUpdate.bat\""), std::u16string::npos);
}

TEST(UpdateDownload, OnlyAWholeBodyIsApplied) {
    const struct {
        size_t body;
        std::optional<uint64_t> announced, entrySize;
        bool clean;
        DownloadVerdict verdict;
    } cases[] = {
        {100, std::nullopt, std::nullopt, true, DownloadVerdict::kBusy},
        {101, std::nullopt, std::nullopt, true, DownloadVerdict::kComplete},
        {101, 101, std::nullopt, true, DownloadVerdict::kComplete},
        {5000, 9000, std::nullopt, true, DownloadVerdict::kShort},  // the connection broke off
        {5000, std::nullopt, 9000, true, DownloadVerdict::kShort},  // sized entry, no Content-Length
        {9000, 9000, 9000, true, DownloadVerdict::kComplete},
        {50, 9000, std::nullopt, true, DownloadVerdict::kBusy},
        // Neither a length nor a size: only the clean end tells the whole file from its front part.
        {5000, std::nullopt, std::nullopt, false, DownloadVerdict::kShort},
        {9000, 9000, 9000, false, DownloadVerdict::kShort},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JudgeDownload(c.body, c.announced, c.entrySize, c.clean), c.verdict) << c.body;
    EXPECT_TRUE(IsTextReplyWhole(40, std::nullopt, true));
    EXPECT_TRUE(IsTextReplyWhole(40, 40, true));
    EXPECT_FALSE(IsTextReplyWhole(20, 40, true));
    EXPECT_FALSE(IsTextReplyWhole(20, std::nullopt, false));
    UpdateFileEntry entry{u"u", u"t", u"a", u"", u"12345", u"1", u"x", u"b"};
    EXPECT_EQ(EntrySizeBytes(entry), 12345u);
    entry.size = u"12x";
    EXPECT_EQ(EntrySizeBytes(entry), std::nullopt);
}

}  // namespace
}  // namespace tesmora
