// HttpFetch under Wine: the request on the wire (scripted loopback server), the body and file name,
// the updater's style, and the simulated classroom's lookup service over https and http with its
// failure replies, also as strict certificates see it.
#include <gtest/gtest.h>

#include "classroom_process_win32.h"
#include "common/http/http_fetch_win32.h"
#include "http_test_server_win32.h"

using namespace tesmora;

namespace {

constexpr char kOkHead[] = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n";

// A hidden window whose timer counts the ticks that were dispatched.
class TickCounter {
public:
    TickCounter() {
        static const ATOM registered = [] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = Proc;
            windowClass.hInstance = ::GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"TesmoraFetchTicks";
            return ::RegisterClassW(&windowClass);
        }();
        (void)registered;
        window_ = ::CreateWindowExW(0, L"TesmoraFetchTicks", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&ticks_));
        ::SetTimer(window_, 1, 20, nullptr);
    }
    ~TickCounter() { ::DestroyWindow(window_); }
    int Ticks() const { return ticks_; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_TIMER) ++*reinterpret_cast<int*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    HWND window_;
    int ticks_ = 0;
};

TEST(HttpFetch, OneHttp10GetWithTheFixedHeadersInOrderAndTheEncodedQuery) {
    ScriptedHttpServer server({
        {{std::string(kOkHead) +
          "Content-Disposition: attachment; filename=setup.zip; size=10\r\n\r\nhello"}},
        {{std::string(kOkHead) + "\r\n"}},
    });
    std::string body;
    std::wstring fileName;
    ASSERT_EQ(HttpFetch(server.Url(L"/tesmora/a.jsp"), L"val1=-7&val3=한 b", body, fileName), kHttpOk);
    EXPECT_EQ(body, "hello");
    EXPECT_EQ(body.c_str()[body.size()], '\0');
    EXPECT_EQ(fileName, L"setup.zip");

    ASSERT_EQ(HttpFetch(server.Url(L"/tesmora/a.jsp"), L"", body, fileName), kHttpOk);
    EXPECT_EQ(body, "");
    EXPECT_EQ(fileName, L"");

    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].substr(0, requests[0].find("\r\n")),
              "GET /tesmora/a.jsp?val1=-7&val3=%ed%95%9c%20b HTTP/1.0");
    EXPECT_EQ(requests[1].substr(0, requests[1].find("\r\n")), "GET /tesmora/a.jsp HTTP/1.0");
    size_t last = 0;
    for (const char* header : {"\r\nAccept: */*\r\n", "\r\nAccept-Language: ko\r\n",
                               "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 5.01; Windows NT 5.0)\r\n",
                               "\r\nConnection: Close\r\n"}) {
        const size_t at = requests[0].find(header);
        EXPECT_NE(at, std::string::npos) << header << " in\n" << requests[0];
        EXPECT_GE(at, last) << header << " out of order in\n" << requests[0];
        last = at;
    }
}

TEST(HttpFetch, LongBodyInPiecesAndOnlyTheUpdaterKeepsWindowsAlive) {
    std::string payload(10000, 'x');
    payload[0] = 'a';
    payload.back() = 'z';
    const ScriptedReply slow{{std::string(kOkHead) + "\r\n" + payload.substr(0, 5000), payload.substr(5000)},
                             400};
    ScriptedHttpServer server({slow, slow});
    std::string body;
    std::wstring fileName;
    {
        TickCounter counter;
        ASSERT_EQ(HttpFetch(server.Url(), L"", body, fileName, kRemoteFetchStyle), kHttpOk);
        EXPECT_EQ(counter.Ticks(), 0) << "the remote's request blocks its thread";
    }
    EXPECT_EQ(body, payload);
    {
        TickCounter counter;
        ASSERT_EQ(HttpFetch(server.Url(), L"", body, fileName, kUpdaterFetchStyle), kHttpOk);
        EXPECT_GT(counter.Ticks(), 0) << "the updater's window must keep working during a download";
    }
    EXPECT_EQ(body, payload);
}

TEST(HttpFetch, BodyLongerThanTheStylesBoundFailsAndKeepsNothing) {
    // A server that sends without end must not fill the remote's memory.
    const HttpFetchStyle style{L"Tesmora", false, 10000};
    const std::string head = std::string(kOkHead) + "\r\n";
    ScriptedHttpServer server({{{head + std::string(10000, 'x')}}, {{head + std::string(10001, 'x')}}});
    std::string body;
    std::wstring fileName;
    EXPECT_EQ(HttpFetch(server.Url(), L"", body, fileName, style), kHttpOk);
    EXPECT_EQ(body.size(), 10000u);
    EXPECT_EQ(HttpFetch(server.Url(), L"", body, fileName, style), kHttpBodyTooLarge);
    EXPECT_TRUE(body.empty());
}

TEST(HttpFetch, BodyEndingEarlyIsNoReplyButADownloadSeesWhatCame) {
    const std::string twenty(20, 'r');
    const std::string chunked =
        std::string(kOkHead) + "Transfer-Encoding: chunked\r\n\r\n14\r\n" + twenty + "\r\n";
    ScriptedHttpServer server({
        {{std::string(kOkHead) + "Content-Length: 100\r\n\r\n" + twenty}},  // closed 80 bytes short
        {{chunked}},                                                        // closed before the last chunk
        {{std::string(kOkHead) + "Transfer-Encoding: chunked\r\n\r\n28\r\n" + twenty}},  // inside a chunk
        {{chunked + "0\r\n\r\n"}},                                                       // whole
        {{std::string(kOkHead) + "Content-Length: 20\r\n\r\n" + twenty}},
        {{std::string(kOkHead) + "\r\n" + twenty}},  // no length: the close ends it
        {{std::string(kOkHead) + "Content-Length: 100\r\n\r\n" + twenty}},
    });
    std::string body = "stale";
    std::wstring fileName;
    EXPECT_EQ(HttpFetch(server.Url(), L"", body, fileName), kHttpBodyCut);
    EXPECT_TRUE(body.empty());
    EXPECT_EQ(HttpFetch(server.Url(), L"", body, fileName), kHttpBodyCut) << "between chunks";
    EXPECT_TRUE(body.empty());
    EXPECT_EQ(HttpFetch(server.Url(), L"", body, fileName), kHttpBodyCut) << "inside a chunk";
    EXPECT_TRUE(body.empty());
    EXPECT_EQ(HttpFetch(server.Url(), L"", body, fileName), kHttpBodyCut) << "whole chunks";
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(HttpFetch(server.Url(), L"", body, fileName), kHttpOk) << i;
        EXPECT_EQ(body, twenty) << i;
    }
    HttpFetchReply reply;
    ASSERT_EQ(HttpFetch(server.Url(), L"", reply, kUpdaterFetchStyle), kHttpOk);
    EXPECT_FALSE(reply.whole);
    EXPECT_EQ(reply.body, twenty);
    EXPECT_EQ(reply.contentLength, 100u);
}

TEST(HttpFetch, AServerThatTricklesIsLeftAtTheDeadline) {
    // One byte every 100 ms for 4 s: each read is answered well within the step time-out.
    ScriptedReply trickle{{std::string(kOkHead) + "Content-Length: 40\r\n\r\n"}, 100};
    trickle.pieces.resize(41, "t");
    ScriptedHttpServer server({trickle});
    HttpFetchStyle style = kRemoteFetchStyle;
    style.deadlineMilliseconds = 1500;
    std::string body;
    std::wstring fileName;
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(HttpFetch(server.Url(), L"", body, fileName, style), kHttpTimedOut);
    const ULONGLONG took = ::GetTickCount64() - start;
    EXPECT_GE(took, 1400u);
    EXPECT_LT(took, 3000u);
    EXPECT_TRUE(body.empty());
}

TEST(HttpFetch, ClassroomLookupOverHttpsPastTheUntrustedCertificateAndOverHttp) {
    ClassroomProcess classroom("lookup.check = off\n");
    std::string body;
    std::wstring fileName;
    const std::wstring query = L"val1=1&val2=0&val3=demo-teacher";
    ASSERT_EQ(HttpFetch(classroom.LookupUrl(L"https"), query, body, fileName), kHttpOk);
    EXPECT_NE(body.find("result:true"), std::string::npos) << body;
    EXPECT_NE(body.find("rsport:" + std::to_string(classroom.Port("login"))), std::string::npos) << body;
    ASSERT_EQ(HttpFetch(classroom.LookupUrl(L"http"), query, body, fileName), kHttpOk);
    EXPECT_NE(body.find("result:true"), std::string::npos) << body;

    const auto https = classroom.EventsWith({"\"event\":\"lookup\"", "\"scheme\":\"https\""});
    ASSERT_EQ(https.size(), 1u) << classroom.Events();
    EXPECT_NE(https[0].find("\"http_version\":\"HTTP/1.0\""), std::string::npos) << https[0];
    EXPECT_EQ(classroom.EventsWith({"\"event\":\"lookup\"", "\"scheme\":\"http\""}).size(), 1u);
}

TEST(HttpFetch, StrictStyleRefusesTheUntrustedCertificateAndPlainHttpWithoutAsking) {
    ClassroomProcess classroom("lookup.check = off\n");
    HttpFetchStyle strict = kUpdaterFetchStyle;
    strict.strictCertificates = true;
    std::string body = "stale";
    std::wstring fileName;
    const std::wstring query = L"val1=1&val2=0&val3=demo-teacher";
    EXPECT_EQ(HttpFetch(classroom.LookupUrl(L"https"), query, body, fileName, strict), kHttpNotSecure);
    EXPECT_EQ(HttpFetch(classroom.LookupUrl(L"http"), query, body, fileName, strict), kHttpNotSecure);
    EXPECT_TRUE(body.empty());
    EXPECT_TRUE(classroom.EventsWith({"\"event\":\"lookup\""}).empty()) << classroom.Events();
    // Nobody listening is no security question: it stays an ordinary failure.
    EXPECT_EQ(HttpFetch(L"https://127.0.0.1:1/x", L"", body, fileName, strict), kHttpRequestFailed);
}

TEST(HttpFetch, FailuresGiveTheirCodesAndNoBody) {
    std::string body = "stale";
    std::wstring fileName = L"stale";
    EXPECT_EQ(HttpFetch(L"ftp://127.0.0.1/x", L"", body, fileName), kHttpBadUrl);
    EXPECT_TRUE(body.empty() && fileName.empty());
    EXPECT_EQ(HttpFetch(L"http://127.0.0.1:1/x", std::wstring(1024, L'a'), body, fileName),
              kHttpRequestFailed);

    // The classroom's 302 names a page it does not have: the HTTP layer follows it to the 404 there.
    for (const char* reply : {"not-found", "busy", "redirect"}) {
        ClassroomProcess classroom(std::string("lookup.reply = ") + reply + "\n");
        body = "stale";
        EXPECT_EQ(HttpFetch(classroom.LookupUrl(), L"val1=1&val2=0&val3=demo-teacher", body, fileName),
                  kHttpBadStatus)
            << reply;
        EXPECT_TRUE(body.empty()) << reply;
    }
    // A redirection without a place to go reaches the client.
    ScriptedHttpServer server({{{"HTTP/1.0 302 Found\r\n\r\nmoved"}}});
    body = "stale";
    EXPECT_EQ(HttpFetch(server.Url(), L"", body, fileName), kHttpRedirected);
    EXPECT_TRUE(body.empty());
}

}  // namespace
