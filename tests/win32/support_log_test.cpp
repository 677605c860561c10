// The support log's writer against the real file system under Wine: threads writing at once through
// a rotation keep every line whole, in time order, and none is lost.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "common/platform/support_log.h"
#include "common/platform/support_log_win32.h"
#include "temp_folder_win32.h"

namespace {

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "the file ends inside a line";
    return lines;
}

}  // namespace

TEST(SupportLog, ThreadsWritingAtOnceKeepEveryLineWholeAndInOrderAcrossARotation) {
    const std::wstring program = L"TesmoraSupportLogTest_" + UniqueSuffix();
    tesmora::SupportLog log;
    ASSERT_TRUE(log.Open(u"on", program));
    const std::wstring path = log.Path();
    // Process ids repeat under Wine: a file left by a failed run must not count here.
    struct Removed {
        std::wstring path;
        void Remove() const {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
            std::filesystem::remove(path + L".1", ignored);
        }
        ~Removed() { Remove(); }
    } removed{path};
    removed.Remove();
    // About 1.3 MiB in all: one rotation, so the two files hold every line.
    constexpr int kThreads = 4, kLines = 1400;
    const std::u16string padding(180, u'x');
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&, t] {
            for (int n = 0; n < kLines; ++n) {
                char head[40];
                std::snprintf(head, sizeof head, "thread %d line %d ", t, n);
                log.Write(std::u16string(head, head + std::char_traits<char>::length(head)) + padding);
            }
        });
    }
    for (auto& writer : writers) writer.join();

    const std::string older = ReadAll(path + L".1"), newer = ReadAll(path);
    EXPECT_FALSE(older.empty()) << "no rotation happened";
    EXPECT_LE(older.size(), tesmora::kSupportLogMaxBytes);
    std::vector<std::string> lines = LinesOf(older);
    for (auto& line : LinesOf(newer)) lines.push_back(std::move(line));
    ASSERT_EQ(lines.size(), size_t(kThreads * kLines));

    const std::regex shape(R"((\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}) thread (\d) line (\d+) x{180})");
    std::vector<int> next(kThreads, 0);
    std::string lastStamp;
    for (const auto& line : lines) {
        std::smatch parts;
        ASSERT_TRUE(std::regex_match(line, parts, shape)) << "a broken line: " << line.substr(0, 80);
        EXPECT_GE(parts[1].str(), lastStamp) << "time runs backwards at " << line.substr(0, 60);
        lastStamp = parts[1].str();
        const int t = std::stoi(parts[2].str());
        ASSERT_EQ(std::stoi(parts[3].str()), next[t]) << "thread " << t << " lost or repeated a line";
        ++next[t];
    }
}
