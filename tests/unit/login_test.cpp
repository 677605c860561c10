// The login's portable core: teacher-ID rules, the relay-lookup reply, the request the lookup makes,
// what it keeps in setting.ini, and the dialog's geometry.
#include <gtest/gtest.h>

#include <ctime>
#include <map>

#include "login/login_id.h"
#include "login/login_layout.h"
#include "common/http/http_result.h"
#include "login/relay_lookup.h"
#include "resource.h"

using namespace tesmora;

namespace {

std::u16string LocalText(unsigned id) {
    return u"<" + std::u16string(1, char16_t(u'0' + id % 10)) + u">";  // 1113 -> "<3>", 1114 -> "<4>"
}

// A code page that knows three Hangul syllables (their CP949 bytes), a web server answering from a
// script (an empty script: unreachable), and setting.ini as a map.
class FakeSystem : public RelayLookupHost, public LookupSettings {
public:
    std::vector<std::pair<int, std::string>> replies;
    std::vector<std::u16string> urls, queries;
    std::map<std::u16string, std::u16string> setting;

    int Fetch(const std::u16string& url, const std::u16string& query, std::string& body) override {
        urls.push_back(url);
        queries.push_back(query);
        if (replies.empty()) return -103;
        auto [result, text] = replies.front();
        replies.erase(replies.begin());
        body = text;
        return result;
    }
    std::string EncodeAnsi(std::u16string_view text) override {
        std::string bytes;
        for (char16_t c : text) {
            bytes += c < 0x80     ? std::string(1, char(c))
                     : c == u'김' ? "\xB1\xE8"
                     : c == u'선' ? "\xBC\xB1"
                     : c == u'생' ? "\xBB\xFD"
                                  : "?";
        }
        return bytes;
    }
    std::u16string DecodeAnsi(std::string_view bytes) override { return {bytes.begin(), bytes.end()}; }
    uint32_t TickCount() override { return 12345; }
    std::u16string LoadText(unsigned id) override { return LocalText(id); }
    std::u16string Read(std::u16string_view key) override { return setting[std::u16string(key)]; }
    void Write(std::u16string_view key, std::u16string_view value) override {
        setting[std::u16string(key)] = value;
    }

    LookupAnswer Lookup(std::string body) {
        replies = {{0, std::move(body)}};
        return LookupRelay(u"demo-teacher", u"h", *this);
    }
};

TEST(TeacherId, TrimmedThenCheckedForEmptinessCharactersAndLength) {
    EXPECT_EQ(TrimWhiteSpace(u" \t김선생\u3000\r\n"), u"김선생");
    EXPECT_EQ(TeacherIdProblem(TrimWhiteSpace(u"   ")), unsigned(IDS_ENTER_TEACHER_ID));
    EXPECT_EQ(TeacherIdProblem(TrimWhiteSpace(u"  " + std::u16string(20, u'a') + u"  ")), 0u);
    EXPECT_EQ(TeacherIdProblem(std::u16string(21, u'a')), unsigned(IDS_ID_TOO_LONG));
    EXPECT_EQ(TeacherIdProblem(u"김선생"), 0u);
    for (char16_t c : kForbiddenIdCharacters) {
        EXPECT_EQ(TeacherIdProblem(u"ab" + std::u16string(1, c)), unsigned(IDS_BAD_ID_CHARACTERS)) << char(c);
    }
}

TEST(LookupReply, QuotedCrLfLinesKeysAtTheLineStartLaterLinesWin) {
    LookupAnswer answer = ParseLookupReply(
        u"result:\"true\"\r\ncode:\"200\"\r\nrsip:\"10.0.0.5\"\r\nrsport:\"9000\"\r\n\r\nx "
        u"rsport:5\nRSPORT:6",
        LocalText);
    EXPECT_TRUE(answer.hasResult);
    EXPECT_EQ(answer.result, u"true");
    EXPECT_EQ(answer.code, u"200");
    EXPECT_EQ(answer.relayAddress, u"10.0.0.5");
    EXPECT_EQ(answer.relayPort, u"9000");
    answer = ParseLookupReply(u"  rsip: 1.1.1.1 \nrsip:2.2.2.2\nrsport:rsport:7", LocalText);
    EXPECT_FALSE(answer.hasResult);
    EXPECT_EQ(answer.relayAddress, u"2.2.2.2");
    EXPECT_EQ(answer.relayPort, u"7");  // every occurrence of the key goes
}

// The reply is outside data: a line of one key two million characters long is read in one pass (it
// took seconds when each removal of the key shifted the rest of the line along).
TEST(LookupReply, ALineOfOneKeyRepeatedIsReadInOnePass) {
    std::u16string line = u"rsport:";
    for (int i = 0; i < 285714; ++i) line += u"rsport:";  // 2,000,005 characters
    // Processor time of this process: other work on the machine does not count.
    const std::clock_t started = std::clock();
    const LookupAnswer answer = ParseLookupReply(u"result:true\n" + line + u"8080", LocalText);
    EXPECT_LT(double(std::clock() - started) / CLOCKS_PER_SEC, 1.0);
    EXPECT_EQ(answer.relayPort, u"8080");
}

TEST(LookupReply, ServiceMessagesBecomeLocalStringsByTextOrEarlierCode) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"result:false\ncode:2\nmessage:x", u"<4>"},
        {u"result:false\nmessage:x\ncode:2", u"x"},  // the code comes too late
        {u"code:1\nmessage:x", u"<3>"},
        {u"code:2\nmessage:", u""},  // an empty message stays empty
        {u"message:잘못된 접근입니다.", u"<3>"},
        {u"message:유효하지않은  선생님 ID 입니다.", u"<4>"},
        {u"message:유효하지않은 선생님 ID 입니다.",
         u"유효하지않은 선생님 ID 입니다."},  // one blank: not the service's
        {u"code:9\nmessage:유효하지않은 고유코드 입니다.", u"<5>"},
    };
    for (const auto& [reply, message] : cases) EXPECT_EQ(ParseLookupReply(reply, LocalText).message, message);
    // Without a local string the service's text is shown rather than nothing.
    EXPECT_EQ(ParseLookupReply(u"code:1\nmessage:x", [](unsigned) { return std::u16string(); }).message,
              u"x");
}

TEST(LookupRequest, SignsTheSignedTickAndTheIdInTheCodePage) {
    FakeSystem system;
    EXPECT_EQ(LookupQuery(12345, u"demo-teacher", system),
              u"val1=12345&val2=d3bde0d30b3d34c934d6cdca06f0e3f5&val3=demo-teacher");
    EXPECT_EQ(LookupQuery(0x80000000u, u"demo-teacher", system),
              u"val1=-2147483648&val2=30d08f5a3c2a8cc51b3c2a8ff726c1cc&val3=demo-teacher");
    // Hangul is hashed over its code-page bytes; val3 keeps the text (encoded later as UTF-8).
    EXPECT_EQ(LookupQuery(77, u"김선생", system),
              u"val1=77&val2=d1fb3d90c657fea2612d0cced3b06241&val3=김선생");

    EXPECT_EQ(WebServerFromSetting(u"  "), kDefaultWebServer);
    EXPECT_EQ(WebServerFromSetting(u" HTTPS://127.0.0.1:18443/ "), u"127.0.0.1:18443");
    EXPECT_EQ(RelayLookupUrl(u"127.0.0.1:18443"), u"https://127.0.0.1:18443/tesmora/rsinfo/checkRsInfo.jsp");
}

TEST(RelayLookup, HttpsThenPlainHttpWithOneTick) {
    FakeSystem system;
    system.replies = {{-103, ""}, {0, "  result:true\ncode:200\nrsip:10.0.0.5\nrsport:9000\n\n"}};
    EXPECT_EQ(LookupRelay(u"demo-teacher", u"rs.example.com", system).relayAddress, u"10.0.0.5");
    ASSERT_EQ(system.urls.size(), 2u);
    EXPECT_EQ(system.urls[0], u"https://rs.example.com/tesmora/rsinfo/checkRsInfo.jsp");
    EXPECT_EQ(system.urls[1], u"http://rs.example.com/tesmora/rsinfo/checkRsInfo.jsp");
    EXPECT_EQ(system.queries[0], system.queries[1]);
}

TEST(RelayLookup, SuccessStoresUnreachableUsesTheRememberedRelayRefusalShowsTheMessage) {
    FakeSystem system;
    LookupAnswer answer =
        system.Lookup("result:\"true\"\r\ncode:\"200\"\r\nrsip:\"10.0.0.5\"\r\nrsport:\"9000\"\r\n");
    EXPECT_TRUE(ApplyLookupAnswer(answer, system));
    EXPECT_EQ(system.setting[u"rsip"], u"10.0.0.5");
    EXPECT_EQ(system.setting[u"rsport"], u"9000");

    answer = LookupRelay(u"demo-teacher", u"h", system);  // both attempts fail
    EXPECT_EQ(answer.message, u"Failed to access to the URL page.");
    EXPECT_TRUE(ApplyLookupAnswer(answer, system));
    EXPECT_EQ(answer.relayAddress, u"10.0.0.5");
    EXPECT_EQ(answer.relayPort, u"9000");

    answer = system.Lookup("result:false\ncode:2\nmessage:x");
    EXPECT_FALSE(ApplyLookupAnswer(answer, system));
    EXPECT_EQ(answer.message, u"<4>");
    EXPECT_EQ(system.setting[u"rsip"], u"10.0.0.5");
}

TEST(RelayLookup, StrictCertificatesNeverTryPlainHttpAndTellAnUnsafeServiceFromADownOne) {
    FakeSystem system;
    system.setting = {{u"rsip", u"10.0.0.5"}, {u"rsport", u"9000"}};
    system.replies = {{kHttpNotSecure, ""}, {0, "result:true\nrsip:6.6.6.6\nrsport:1"}};
    LookupAnswer answer = LookupRelay(u"demo-teacher", u"h", system, CertificatePolicy::kStrict);
    ASSERT_EQ(system.urls.size(), 1u);
    EXPECT_EQ(system.urls[0].substr(0, 8), u"https://");
    EXPECT_FALSE(ApplyLookupAnswer(answer, system));  // the dialog stays, with the reason
    EXPECT_EQ(answer.message, LocalText(IDS_LOOKUP_NOT_SECURE));
    EXPECT_EQ(system.setting[u"rsip"], u"10.0.0.5");

    // A service that is down, strict or not, still leaves the remembered relay.
    system.urls.clear();
    system.replies = {{kHttpNoConnection, ""}, {0, "result:true\nrsip:6.6.6.6\nrsport:1"}};
    answer = LookupRelay(u"demo-teacher", u"h", system, CertificatePolicy::kStrict);
    EXPECT_EQ(system.urls.size(), 1u);
    EXPECT_TRUE(ApplyLookupAnswer(answer, system));
    EXPECT_EQ(answer.relayAddress, u"10.0.0.5");
}

TEST(RelayLookup, AReplyWithoutResultLineKeepsTheRememberedRelay) {
    FakeSystem system;
    system.setting = {{u"rsip", u"10.0.0.5"}, {u"rsport", u"9000"}};
    for (const std::string& page : std::vector<std::string>{"<html><title>Wi-Fi login</title></html>",
                                                            "",
                                                            " \r\n",
                                                            "code:200\nrsip:\nrsport:",
                                                            {"\0result:true", 12}}) {
        LookupAnswer answer = system.Lookup(page);
        EXPECT_TRUE(ApplyLookupAnswer(answer, system));
        EXPECT_EQ(answer.relayAddress, u"10.0.0.5");
        EXPECT_EQ(system.setting[u"rsip"], u"10.0.0.5");
        EXPECT_EQ(system.setting[u"rsport"], u"9000");
    }
}

TEST(LoginLayout, ScaledDownwardsAndInsideTheDialog) {
    const LoginDialogLayout big = LayoutLoginDialog(1.4f);
    EXPECT_EQ(big.width, 529);
    EXPECT_EQ(big.height, 425);
    EXPECT_EQ(big.connect, (LayoutRect{308, 364, 93, 47}));
    EXPECT_EQ(big.textFontHeight, 16);
    for (float s : {1.0f, 1.4f, 2.0f}) {
        const LoginDialogLayout l = LayoutLoginDialog(s);
        for (const LayoutRect& r : {l.title, l.close, l.message, l.label, l.edit, l.connect, l.cancel}) {
            EXPECT_TRUE(r.Right() <= l.width && r.Bottom() <= l.height) << s;
        }
        EXPECT_TRUE(l.edit.x >= l.inputFrame.x && l.edit.Right() <= l.inputFrame.Right()) << s;
    }
}

}  // namespace
