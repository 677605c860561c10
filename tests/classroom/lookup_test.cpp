// The relay lookup: the val2 rule in both code pages, and the service over HTTPS, over plain HTTP
// on the same port and on its own port, with every reply the scenario can ask for.
#include <gtest/gtest.h>
#include <httplib.h>

#include "core/lookup_rule.h"
#include "core/text_codec.h"
#include "remote_stand_in.h"

using namespace tesmora;
using namespace tesmora::classroom;

namespace {

// The query as the remote encodes it: UTF-8, lower-case %xx for everything but the unreserved set.
std::string RemoteQuery(const std::string& val1, const std::string& val2, const std::string& id) {
    std::string encoded;
    for (unsigned char c : id) {
        if (std::isalnum(c) || std::string_view("!'()*-._~").find(char(c)) != std::string_view::npos) {
            encoded += char(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02x", c);
            encoded += hex;
        }
    }
    return "val1=" + val1 + "&val2=" + val2 + "&val3=" + encoded;
}

std::string Val2(const std::string& val1, const std::string& id, int codePage = 1252) {
    return ExpectedVal2(val1, id, codePage).value_or("");
}

template <typename Client>
httplib::Result Fetch(Client& client, const std::string& query) {
    client.set_url_encode(false);
    client.set_read_timeout(3, 0);
    return client.Get(("/tesmora/rsinfo/checkRsInfo.jsp?" + query).c_str());
}

httplib::Result FetchHttps(TestClassroom& room, const std::string& query) {
    httplib::SSLClient client("127.0.0.1", room.Ports().lookup);
    client.enable_server_certificate_verification(false);
    return Fetch(client, query);
}

httplib::Result FetchHttp(uint16_t port, const std::string& query) {
    httplib::Client client("127.0.0.1", port);
    return Fetch(client, query);
}

std::string ValidQuery(const std::string& id = "demo-teacher") {
    return RemoteQuery("12345", Val2("12345", id), id);
}

}  // namespace

TEST(LookupRule, HashesTheIdInTheRemotesCodePage) {
    EXPECT_EQ(Val2("-2000000000", "demo-teacher"), "d60a8860e8641cacce7aad33c8c16f4f");
    EXPECT_EQ(Val2("7", "Müller"), "364d6e40df8c2cbb03691729d869783c");          // ü is FC in Windows-1252
    EXPECT_EQ(Val2("12345", "한국", 949), "dddc1064b8b40ab1b6da9f541f769827");   // C7 D1 B1 B9
    EXPECT_EQ(Val2("12345", "한국", 1252), "ba82449fcc362640ad6344fd4a2bfdde");  // "??"
    EXPECT_EQ(ToCodePage("a한b", 1252), "a?b");
    EXPECT_FALSE(ExpectedVal2("1", "x", 4242).has_value());
}

TEST(LookupRule, ReadsTheQueryAsTheRemoteEncodesIt) {
    const auto query = ParseLookupQuery("val1=-5&val2=abc&val3=%ed%95%9c%20x+y%zz");
    EXPECT_EQ(query.val1, "-5");
    EXPECT_EQ(query.val3, "\xED\x95\x9C x+y%zz");
    EXPECT_TRUE(IsTickText("-2147483648"));
    EXPECT_FALSE(IsTickText("2147483648"));
    EXPECT_FALSE(IsTickText("007"));
    EXPECT_FALSE(ParseLookupQuery("val1=1").val2.has_value());
}

TEST(LookupService, AnswersTheRelayOverHttpsAndPlainHttpOnOnePortAndOverItsHttpPort) {
    TestClassroom room;
    const std::string expected =
        "result:true\ncode:200\nmessage:OK\nrsip:127.0.0.1\nrsport:" + std::to_string(room.Ports().login) +
        "\n";
    for (const auto& result : {FetchHttps(room, ValidQuery()), FetchHttp(room.Ports().lookup, ValidQuery()),
                               FetchHttp(room.Ports().lookupHttp, ValidQuery())}) {
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 200);
        EXPECT_EQ(result->body, expected);
    }
    EXPECT_TRUE(room.Wait("lookup", "scheme", "https"));
    EXPECT_EQ(room.Count("lookup", "check", "ok"), 3);
}

TEST(LookupService, RefusesAWrongVal2AndAnUnknownTeacherWithTheTextsTheRemoteMaps) {
    TestClassroom room({{"lookup.codepage", "949"}, {"teacher-ids", "demo-teacher,한국"}});
    const auto denied =
        FetchHttps(room, RemoteQuery("12345", "0123456789abcdef0123456789abcdef", "demo-teacher"));
    ASSERT_TRUE(denied);
    EXPECT_EQ(denied->body, *ToCodePage("result:false\ncode:1\nmessage:잘못된 접근입니다.\n", 949));
    EXPECT_TRUE(room.Wait("lookup", "check", "val2-mismatch"));

    const auto unknown = FetchHttps(room, ValidQuery("nobody"));
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->body,
              *ToCodePage("result:false\ncode:2\nmessage:유효하지않은  선생님 ID 입니다.\n", 949));

    const auto korean = FetchHttps(room, RemoteQuery("12345", Val2("12345", "한국", 949), "한국"));
    ASSERT_TRUE(korean);
    EXPECT_NE(korean->body.find("result:true"), std::string::npos);

    const auto missing = FetchHttps(room, "val1=1&val3=demo-teacher");
    ASSERT_TRUE(missing);
    EXPECT_NE(missing->body.find("code:1"), std::string::npos);
}

TEST(LookupService, GivesTheFailureRepliesTheScenarioAsksFor) {
    struct Case {
        std::string reply;
        int status;
        std::string body;
    };
    const std::vector<Case> cases = {
        {"denied", 200, "result:false\ncode:1\nmessage:??? ?????.\n"},  // Korean in Windows-1252 is lost
        {"bad-unique-code", 200, "result:false\ncode:3\nmessage:?????? ???? ???.\n"},
        {"fail", 200, "result:false\ncode:7\nmessage:down for repairs\n"},
        {"no-keys", 200, "<html><body>Service ready.</body></html>\n"},
        {"redirect", 302, ""},
        {"not-found", 404, "not found\n"},
        {"busy", 503, "busy\n"},
    };
    for (const auto& c : cases) {
        TestClassroom room(
            {{"lookup.reply", c.reply}, {"lookup.code", "7"}, {"lookup.message", "down for repairs"}});
        const auto result = FetchHttps(room, ValidQuery());
        ASSERT_TRUE(result) << c.reply;
        EXPECT_EQ(result->status, c.status) << c.reply;
        EXPECT_EQ(result->body, c.body) << c.reply;
        if (c.status == 302) {
            EXPECT_EQ(result->get_header_value("Location"), "/tesmora/rsinfo/moved.jsp");
        }
    }
}

TEST(LookupService, WritesCrLfLinesWithQuotedValuesWhenAsked) {
    TestClassroom room({{"lookup.style", "crlf-quoted"}});
    const auto result = FetchHttp(room.Ports().lookupHttp, ValidQuery());
    ASSERT_TRUE(result);
    EXPECT_EQ(
        result->body.rfind("result:\"true\"\r\ncode:\"200\"\r\nmessage:\"OK\"\r\nrsip:\"127.0.0.1\"\r\n", 0),
        0u)
        << result->body;
}

TEST(LookupService, HoldsARequestWithoutAnswerWhenHanging) {
    TestClassroom room({{"lookup.reply", "hang"}});
    httplib::Client client("127.0.0.1", room.Ports().lookupHttp);
    client.set_read_timeout(0, 300000);
    const auto start = std::chrono::steady_clock::now();
    const auto result = client.Get(("/tesmora/rsinfo/checkRsInfo.jsp?" + ValidQuery()).c_str());
    EXPECT_FALSE(result);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 250ms);
    EXPECT_TRUE(room.Wait("lookup", "hang", "true"));
}

TEST(LookupService, ClosesTheKindsOfConnectionTheScenarioTurnsOff) {
    TestClassroom noTls({{"lookup.https", "off"}});
    EXPECT_FALSE(FetchHttps(noTls, ValidQuery()));
    const auto plain = FetchHttp(noTls.Ports().lookup, ValidQuery());
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->status, 200);
    EXPECT_TRUE(noTls.Wait("lookup_connection", "answered", "false"));

    TestClassroom noHttp({{"lookup.http", "off"}});
    EXPECT_EQ(noHttp.Ports().lookupHttp, 0);
    EXPECT_FALSE(FetchHttp(noHttp.Ports().lookup, ValidQuery()));
    EXPECT_TRUE(FetchHttps(noHttp, ValidQuery()));
}
