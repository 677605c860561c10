// The self-replacement batch from folders whose names leave ASCII: cmd reads a batch in the OEM code
// page, so every path the updater writes into it must name the real files once cmd has decoded it.
// Each case writes the batch as the updater would and has cmd itself test the paths in it.
#include "updater/batch_paths_win32.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "temp_folder_win32.h"

namespace tesmora {
namespace {

// The quoted byte strings of the batch, as cmd will see them (before it decodes them).
std::vector<std::string> QuotedPaths(const std::string& batch) {
    std::vector<std::string> paths;
    for (size_t open = batch.find('"'); open != std::string::npos; open = batch.find('"', open + 1)) {
        const size_t close = batch.find('"', open + 1);
        if (close == std::string::npos) break;
        paths.push_back(batch.substr(open + 1, close - open - 1));
        open = close;
    }
    return paths;
}

// cmd's verdict on each path: a batch of "IF EXIST" lines, made of the same bytes, run by cmd.
std::string AskCmdWhichExist(const TempFolder& scratch, const std::vector<std::string>& paths) {
    std::string probe = "@echo off\r\n";
    for (const std::string& path : paths)
        probe += "IF EXIST \"" + path + "\" (echo found) ELSE (echo missing)\r\n";
    const std::wstring probePath = scratch / L"probe.bat";
    WriteFileBytes(probePath, std::vector<uint8_t>(probe.begin(), probe.end()));
    FILE* output = _wpopen((L"cmd /c \"" + probePath + L"\"").c_str(), L"rb");
    if (!output) return "cmd did not start";
    std::string said;
    char piece[256];
    while (size_t got = fread(piece, 1, sizeof piece, output)) said.append(piece, got);
    _pclose(output);
    std::string words;  // one word a line, without the line ends
    for (char c : said) {
        if (c == '\n') {
            words += ' ';
        } else if (c != '\r') {
            words += c;
        }
    }
    return words;
}

// D (named `folderName`, inside a scratch folder) with the updater, the staged new one under a
// subfolder and, once written, the batch itself.
struct ProgramFolder {
    TempFolder scratch;
    std::wstring folder, staged;
    explicit ProgramFolder(const std::wstring& folderName, const std::wstring& subfolder = L"lang") {
        folder = scratch / folderName;
        CreateDirectoryW(folder.c_str(), nullptr);
        CreateDirectoryW((folder + L"\\" + subfolder).c_str(), nullptr);
        staged = folder + L"\\" + subfolder + L"\\TesmoraOrluUpdaterR.exe_new";
        WriteFileBytes(folder + L"\\TesmoraOrluUpdaterR.exe", {'o', 'l', 'd'});
        WriteFileBytes(staged, {'n', 'e', 'w'});
    }
    void WriteBatch(const std::string& bytes) const {
        WriteFileBytes(folder + L"\\aUpdate.bat", std::vector<uint8_t>(bytes.begin(), bytes.end()));
    }
};

TEST(SelfReplaceBatch, CmdFindsEveryFileFromFoldersBeyondAscii) {
    // An accent (in most OEM code pages, not in Korean), Hangul (in no Western one), a percent sign
    // that cmd would otherwise expand, and plain ASCII.
    const std::wstring names[] = {L"Caf\u00e9 Programme", L"\uD559\uAD50 \uD504\uB85C\uADF8\uB7A8",
                                  L"100% %PATH% ok", L"Plain"};
    for (const std::wstring& name : names) {
        SCOPED_TRACE(testing::Message()
                     << "folder " << name.size() << " units, OEM code page " << GetOEMCP());
        ProgramFolder program(name, name);
        const std::optional<std::string> batch =
            SelfReplaceBatchBytes(program.folder, program.staged, GetOEMCP());
        if (!batch) {
            // Allowed only when the file system keeps no short name cmd could read either.
            const std::optional<std::wstring> shortName = PathForBatch(program.folder, GetOEMCP());
            EXPECT_FALSE(shortName.has_value());
            continue;
        }
        program.WriteBatch(*batch);
        const std::vector<std::string> paths = QuotedPaths(*batch);
        ASSERT_EQ(paths.size(), 10u);  // new and exe, exe, new twice and exe, exe, D, the batch twice
        std::string expected;
        for (size_t i = 0; i < paths.size(); ++i) expected += "found ";
        EXPECT_EQ(AskCmdWhichExist(program.scratch, paths), expected);
    }
}

TEST(SelfReplaceBatch, PathsOutsideTheCodePageTakeTheirShortNameOrNone) {
    ProgramFolder program(L"Caf\u00e9");
    // Korean has no é: the long path cannot be written, its short form (when it reads back) can.
    const std::optional<std::wstring> korean = PathForBatch(program.folder, 949);
    if (korean) {
        EXPECT_NE(*korean, program.folder);
        EXPECT_TRUE(EncodeExactly(*korean, 949).has_value());
        EXPECT_NE(GetFileAttributesW(korean->c_str()), INVALID_FILE_ATTRIBUTES);
    }
    // Western code pages keep é as it is, where "best fit" would have written another name.
    EXPECT_EQ(PathForBatch(program.folder, 850), program.folder);
    EXPECT_FALSE(EncodeExactly(L"caf\u00e9", 20127).has_value());  // US-ASCII would write "cafe"
    // A path that does not exist has no short name either.
    EXPECT_FALSE(PathForBatch(program.folder + L"\\\uD55C\\missing", 1252).has_value());
}

}  // namespace
}  // namespace tesmora
