// The relay lookup under Wine against the simulated classroom: the signed https request it accepts
// (after the retry past its self-signed certificate) and the relay kept in setting.ini; the remembered
// relay when the service is down, or answers with a page that is not its reply.
#include <gtest/gtest.h>

#include "common/config/config_files_win32.h"
#include "classroom_process_win32.h"
#include "login/relay_lookup_win32.h"
#include "temp_folder_win32.h"

using namespace tesmora;

namespace {

class RelayLookupWin32 : public ::testing::Test {
protected:
    RelayLookupWin32() { PrepareSettingIni(folder_.Path()); }
    // Preparing setting.ini makes its folder the current one; give it back so it can be removed.
    ~RelayLookupWin32() override { ::SetCurrentDirectoryW(saved_.c_str()); }

    std::wstring Setting(const wchar_t* key) {
        return ReadIniString(folder_ / L"setting.ini", L"default", key, L"<missing>");
    }

    std::wstring saved_ = std::filesystem::current_path().wstring();
    TempFolder folder_;
};

TEST_F(RelayLookupWin32, SignedHttpsRequestStoresTheRelayThenTheServiceDownUsesIt) {
    ClassroomProcess classroom("lookup.style = crlf-quoted\n");
    LookupAnswer answer = LookupRelay(L"demo-teacher", classroom.WebServer());
    ASSERT_TRUE(ApplyLookupAnswer(answer)) << classroom.Events();
    const std::wstring port = std::to_wstring(classroom.Port("login"));
    EXPECT_EQ(Setting(L"rsip"), L"127.0.0.1");
    EXPECT_EQ(Setting(L"rsport"), port);
    // One request, over https, whose val2 the service recomputed and found right.
    const auto lookups = classroom.EventsWith({"\"event\":\"lookup\""});
    ASSERT_EQ(lookups.size(), 1u) << classroom.Events();
    EXPECT_NE(lookups[0].find("\"scheme\":\"https\""), std::string::npos) << lookups[0];
    EXPECT_NE(lookups[0].find("\"check\":\"ok\""), std::string::npos) << lookups[0];

    classroom.Stop();
    answer = LookupRelay(L"demo-teacher", classroom.WebServer());
    EXPECT_EQ(answer.code, u"404");
    EXPECT_TRUE(ApplyLookupAnswer(answer));
    EXPECT_EQ(answer.relayAddress, u"127.0.0.1");
    EXPECT_EQ(std::wstring(answer.relayPort.begin(), answer.relayPort.end()), port);
}

TEST_F(RelayLookupWin32, PageWithoutResultLineDoesNotEraseTheRememberedRelay) {
    WriteSettingString(L"default", L"rsip", L"10.0.0.5");
    WriteSettingString(L"default", L"rsport", L"9000");
    ClassroomProcess classroom("lookup.reply = no-keys\n");
    LookupAnswer answer = LookupRelay(L"demo-teacher", classroom.WebServer());
    EXPECT_TRUE(ApplyLookupAnswer(answer));
    EXPECT_EQ(answer.relayAddress, u"10.0.0.5");
    EXPECT_EQ(answer.relayPort, u"9000");
    EXPECT_EQ(Setting(L"rsip"), L"10.0.0.5");
    EXPECT_EQ(Setting(L"rsport"), L"9000");
}

}  // namespace
