// The INI files under Wine: creation, conversion to UTF-16LE with a mark and a dated backup, and
// what the private-profile functions read back afterwards.
#include <gtest/gtest.h>

#include "common/config/config_files_win32.h"
#include "temp_folder_win32.h"

using namespace tesmora;

namespace {

std::vector<uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

std::vector<uint8_t> Utf16Le(std::wstring_view text, bool mark) {
    std::vector<uint8_t> bytes;
    if (mark) bytes = {0xFF, 0xFE};
    for (wchar_t unit : text) {
        bytes.push_back(uint8_t(unit & 0xFF));
        bytes.push_back(uint8_t(unit >> 8));
    }
    return bytes;
}

std::wstring BackupOf(const TempFolder& folder, const std::wstring& stem, int n) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t name[64];
    swprintf(name, 64, L"%ls_%04u%02u%02u%02d.ini", stem.c_str(), now.wYear, now.wMonth, now.wDay, n);
    return folder / name;
}

class ConfigFiles : public ::testing::Test {
protected:
    // Preparation makes the folder the current one; give it back so the folder can be removed.
    ~ConfigFiles() override { SetCurrentDirectoryW(saved_.c_str()); }

    std::wstring Read(IniFile file, const std::wstring& key) {
        return ReadIniString(IniFilePath(file), L"default", key, L"<missing>");
    }

    std::wstring saved_ = std::filesystem::current_path().wstring();
    TempFolder folder_;
};

TEST_F(ConfigFiles, AnsiConfigIsBackedUpAndRewrittenOnce) {
    const std::vector<uint8_t> ansi = Bytes("[default]\r\nscalefactor=1.4\r\n");
    WriteFileBytes(folder_ / L"config.ini", ansi);

    EXPECT_EQ(PrepareIniFile(IniFile::Config, folder_.Path()), IniPrepareResult::Converted);
    EXPECT_EQ(IniFilePath(IniFile::Config), folder_ / L"config.ini");
    EXPECT_EQ(std::filesystem::current_path().wstring(), folder_.Path());
    EXPECT_EQ(ReadFileBytes(BackupOf(folder_, L"config", 1)), ansi);
    EXPECT_EQ(ReadFileBytes(folder_ / L"config.ini"), Utf16Le(L"[default]\r\nscalefactor=1.4\r\n", true));
    EXPECT_EQ(Read(IniFile::Config, L"scalefactor"), L"1.4");

    // The next run finds the mark and changes nothing.
    EXPECT_EQ(PrepareIniFile(IniFile::Config, folder_.Path()), IniPrepareResult::AlreadyReady);
    EXPECT_FALSE(std::filesystem::exists(BackupOf(folder_, L"config", 2)));
    EXPECT_EQ(Read(IniFile::Config, L"scalefactor"), L"1.4");

    // With _01 taken, the next conversion's backup is _02.
    WriteFileBytes(folder_ / L"config.ini", Bytes("[default]\r\nscalefactor=2\r\n"));
    EXPECT_EQ(PrepareIniFile(IniFile::Config, folder_.Path()), IniPrepareResult::Converted);
    EXPECT_EQ(ReadFileBytes(BackupOf(folder_, L"config", 1)), ansi);
    EXPECT_EQ(ReadFileBytes(BackupOf(folder_, L"config", 2)), Bytes("[default]\r\nscalefactor=2\r\n"));
    EXPECT_EQ(Read(IniFile::Config, L"scalefactor"), L"2");
}

TEST_F(ConfigFiles, MissingSettingIsCreatedAndKeepsKoreanValues) {
    EXPECT_EQ(PrepareIniFile(IniFile::Setting, folder_.Path()), IniPrepareResult::Created);
    EXPECT_EQ(ReadFileBytes(folder_ / L"setting.ini"), Utf16Le(L"[default]\r\n", true));

    EXPECT_TRUE(WriteSettingString(L"default", L"rsport", L"10240"));
    EXPECT_TRUE(WriteSettingString(L"default", L"note", L"한국어 설정값"));
    EXPECT_FALSE(WriteSettingString(L"", L"note", L"x"));
    EXPECT_EQ(Read(IniFile::Setting, L"rsport"), L"10240");
    EXPECT_EQ(Read(IniFile::Setting, L"note"), L"한국어 설정값");
    EXPECT_EQ(ReadIniString(IniFilePath(IniFile::Setting), L"", L"note", L"x"), L"x");
    EXPECT_EQ(ReadFileBytes(folder_ / L"setting.ini").at(1), 0xFE);
}

TEST_F(ConfigFiles, OtherEncodingsConvertWithoutLosingText) {
    const std::vector<uint8_t> cases[] = {
        Bytes("\xEF\xBB\xBF[default]\r\nrsip=\xED\x95\x9C\xEA\xB8\x80\r\n"),  // UTF-8 with mark
        Bytes("[default]\r\nrsip=\xED\x95\x9C\xEA\xB8\x80\r\n"),              // UTF-8
        Utf16Le(L"[default]\r\nrsip=한글\r\n", false),                        // UTF-16LE without mark
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        TempFolder folder;
        WriteFileBytes(folder / L"setting.ini", cases[i]);
        EXPECT_EQ(PrepareIniFile(IniFile::Setting, folder.Path()), IniPrepareResult::Converted) << i;
        EXPECT_EQ(ReadFileBytes(folder / L"setting.ini"), Utf16Le(L"[default]\r\nrsip=한글\r\n", true)) << i;
        EXPECT_EQ(Read(IniFile::Setting, L"rsip"), L"한글") << i;
        EXPECT_EQ(ReadFileBytes(BackupOf(folder, L"setting", 1)), cases[i]) << i;
        SetCurrentDirectoryW(saved_.c_str());
    }
}

TEST_F(ConfigFiles, CreateIfMissingLeavesExistingFilesAlone) {
    const std::wstring path = folder_ / L"setting.ini";
    EXPECT_TRUE(CreateIniIfMissing(path));
    EXPECT_EQ(ReadFileBytes(path), Utf16Le(L"[default]\r\n", true));
    WriteFileBytes(path, Bytes("[default]\r\nrsip=10.0.0.5\r\n"));
    EXPECT_TRUE(CreateIniIfMissing(path));
    EXPECT_EQ(ReadFileBytes(path), Bytes("[default]\r\nrsip=10.0.0.5\r\n"));
    EXPECT_FALSE(CreateIniIfMissing(folder_ / L"no such folder\\setting.ini"));
}

}  // namespace
