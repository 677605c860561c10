// The request helper's portable pieces: query encoding, URL parts, the Content-Disposition file name
// and the status rule.
#include <gtest/gtest.h>

#include "common/http/content_disposition.h"
#include "common/http/http_query.h"
#include "common/http/http_result.h"
#include "common/http/http_url.h"

using namespace tesmora;

namespace {

TEST(HttpQuery, Utf8BytesInLowerCaseHexFormSeparatorsKept) {
    const std::pair<std::u16string_view, std::string_view> cases[] = {
        {u"val3=한", "val3=%ed%95%9c"},
        {u"val1=-5&val2=ab&val3=x y", "val1=-5&val2=ab&val3=x%20y"},
        {u"!%'()*-./:_~AZaz09", "!%'()*-./:_~AZaz09"},           // sent as it is
        {u"#+,;?@[]\"<>", "%23%2b%2c%3b%3f%40%5b%5d%22%3c%3e"},  // everything else encoded
        {u"\U0001F600\xD800", "%f0%9f%98%80%ef%bf%bd"},  // a pair is one code point; a lone half is not text
    };
    for (const auto& [query, wire] : cases)
        EXPECT_EQ(EncodeHttpQuery(query), std::optional<std::string>(wire));
    // At most 1023 encoded characters, counted before "%3d" turns back into "=".
    EXPECT_TRUE(EncodeHttpQuery(std::u16string(341, u' ')));
    EXPECT_FALSE(EncodeHttpQuery(std::u16string(342, u' ')));
    EXPECT_FALSE(EncodeHttpQuery(u"x" + std::u16string(341, u'=')));
}

TEST(HttpUrl, PartsAndRefusals) {
    auto url = ParseHttpUrl(u"http://user:pa@ss@127.0.0.1:18080/tesmora/%7Ea.jsp?x=1");
    ASSERT_TRUE(url);
    EXPECT_FALSE(url->secure);
    EXPECT_EQ(url->user, u"user");
    EXPECT_EQ(url->password, u"pa@ss");
    EXPECT_EQ(url->host, u"127.0.0.1");
    EXPECT_EQ(url->port, 18080);
    EXPECT_EQ(url->path, u"/tesmora/%7Ea.jsp?x=1");  // not re-encoded
    url = ParseHttpUrl(u"HTTPS://rs.example.com");
    ASSERT_TRUE(url);
    EXPECT_TRUE(url->secure);
    EXPECT_EQ(url->port, 443);
    EXPECT_EQ(url->path, u"/");
    for (std::u16string_view bad :
         {u"ftp://host/x", u"host/x", u"http://", u"http://host:/x", u"http://host:0/", u"http://host:65536/",
          u"http://[::1/x", u"http://user@:80/"}) {
        EXPECT_FALSE(ParseHttpUrl(bad)) << std::string(bad.begin(), bad.end());
    }
}

TEST(HttpUrl, RedirectionLocationsResolvedAgainstTheRequest) {
    const HttpUrl from = *ParseHttpUrl(u"https://rs.example.com:8443/tesmora/update/a.jsp?x=1");
    struct Case {
        std::u16string_view location;
        std::u16string_view expected;  // "secure host:port path", or empty: nothing
    };
    const Case cases[] = {
        {u"http://rs.example.com:8443/a", u"0 rs.example.com:8443 /a"},
        {u" HTTPS://other.example.com/b?y=2 ", u"1 other.example.com:443 /b?y=2"},
        {u"//cdn.example.com/c", u"1 cdn.example.com:443 /c"},
        {u"/tesmora/rsinfo/moved.jsp", u"1 rs.example.com:8443 /tesmora/rsinfo/moved.jsp"},
        {u"b.jsp?z=3", u"1 rs.example.com:8443 /tesmora/update/b.jsp?z=3"},
        {u"ftp://rs.example.com/x", u""},
        {u"", u""},
    };
    for (const Case& c : cases) {
        const std::optional<HttpUrl> to = ResolveHttpLocation(from, c.location);
        std::u16string got;
        if (to) {
            got = std::u16string(to->secure ? u"1 " : u"0 ") + to->host + u":";
            for (char ch : std::to_string(to->port)) got += char16_t(ch);
            got += u" " + to->path;
        }
        EXPECT_EQ(got, c.expected) << std::string(c.location.begin(), c.location.end());
    }
}

TEST(ContentDisposition, FileNameCutAtSemicolonTrimmedQuotesKept) {
    EXPECT_EQ(FileNameFromContentDisposition(u"attachment; filename=setup.zip; size=10"), u"setup.zip");
    EXPECT_EQ(FileNameFromContentDisposition(u"attachment; filename=\"a b.exe\""), u"\"a b.exe\"");
    EXPECT_EQ(FileNameFromContentDisposition(u"attachment; filename=  spaced.dll  "), u"spaced.dll");
    EXPECT_EQ(FileNameFromContentDisposition(u"attachment"), u"");
}

TEST(HttpResult, StatusDecidesTheResult) {
    EXPECT_EQ(HttpResultForStatus(u"200"), kHttpOk);
    for (auto redirect : {u"301", u"302", u"303"}) EXPECT_EQ(HttpResultForStatus(redirect), kHttpRedirected);
    for (auto other : {u"307", u"404", u"503", u"", u"OK", u"2000"})
        EXPECT_EQ(HttpResultForStatus(other), kHttpBadStatus);
}

}  // namespace
