// The crash handler's message: it tells the user about RemoconDump.dmp only when the dump was written,
// in Korean for "Kor" and in English for any other language. (Writing the dump and showing the message
// after a real crash are checked end to end by tests/e2e/crash_dump.sh.)
#include <gtest/gtest.h>

#include "app/crash_handler_win32.h"

using namespace tesmora;

TEST(CrashHandler, MessageMentionsTheDumpOnlyWhenOneWasWritten) {
    const std::wstring korean = CrashMessageText(L"Kor", CrashDump::kWritten);
    const std::wstring english = CrashMessageText(L"Eng", CrashDump::kWritten);
    EXPECT_EQ(korean.find(L"Tesmora Orlu Remocon이 예기치 않게 종료되었습니다.\n"), 0u);
    EXPECT_EQ(english.find(L"Tesmora Orlu Remocon ended unexpectedly.\n"), 0u);
    EXPECT_NE(korean.find(L"RemoconDump.dmp"), std::wstring::npos);
    EXPECT_NE(english.find(L"RemoconDump.dmp"), std::wstring::npos);
    EXPECT_EQ(CrashMessageText(L"Japan", CrashDump::kWritten), english);

    EXPECT_EQ(CrashMessageText(L"Kor", CrashDump::kMissing),
              L"Tesmora Orlu Remocon이 예기치 않게 종료되었습니다.");
    EXPECT_EQ(CrashMessageText(L"Eng", CrashDump::kMissing), L"Tesmora Orlu Remocon ended unexpectedly.");
}
