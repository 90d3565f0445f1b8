// Splitting addresses for a request.
#include <gtest/gtest.h>

#include "net/UrlParts.h"

namespace quotrix {
namespace {

TEST(CrackUrl, PartsOfTheSitesAddresses) {
    UrlParts p;
    ASSERT_TRUE(CrackUrl("http://stocks.finance.yahoo.co.jp/stocks/detail/?code=7203.t", p));
    EXPECT_EQ(p.scheme, "http");
    EXPECT_EQ(p.host, "stocks.finance.yahoo.co.jp");
    EXPECT_EQ(p.port, 80);
    EXPECT_FALSE(p.secure);
    EXPECT_EQ(p.path, "/stocks/detail/");
    EXPECT_EQ(p.extra, "?code=7203.t");

    ASSERT_TRUE(CrackUrl("HTTPS://User:pw@Example.jp:8443#top", p));
    EXPECT_EQ(p.scheme, "https");
    EXPECT_TRUE(p.secure);
    EXPECT_EQ(p.host, "Example.jp");
    EXPECT_EQ(p.port, 8443);
    EXPECT_EQ(p.user, "User");
    EXPECT_EQ(p.password, "pw");
    EXPECT_EQ(p.path, "/");
    EXPECT_EQ(p.extra, "");

    ASSERT_TRUE(CrackUrl("https://[::1]/q?s=1#frag?x", p));
    EXPECT_EQ(p.host, "::1");
    EXPECT_EQ(p.port, 443);
    EXPECT_EQ(p.extra, "?s=1");

    ASSERT_TRUE(CrackUrl("http://127.0.0.1:18080?x=1", p));
    EXPECT_EQ(p.port, 18080);
    EXPECT_EQ(p.path, "/");
    EXPECT_EQ(p.extra, "?x=1");
}

TEST(CrackUrl, BlanksAndEightBitBytesTravelEscaped) {
    UrlParts p;
    ASSERT_TRUE(CrackUrl("http://h/a b/\x83g?s=\x93\xfa+1", p));
    EXPECT_EQ(p.path, "/a%20b/%83g");
    EXPECT_EQ(p.extra, "?s=%93%FA+1");
}

TEST(CrackUrl, RefusesWhatCannotBeARequest) {
    UrlParts p;
    for (const char* url : {"", "stocks.finance.yahoo.co.jp/", "ftp://h/x", "http://", "http://:80/", "http://h:0/",
                            "http://h:65536/", "http://h:8o/", "http://h h/", "http://[::1/", "http://[::1]x/",
                            "http://h/\r\nHost: evil", "http://h/\x7f", "http://a@/x"})
        EXPECT_FALSE(CrackUrl(url, p)) << url;
    EXPECT_TRUE(CrackUrl("http://h/" + std::string(510, 'a'), p));
    EXPECT_FALSE(CrackUrl("http://h/" + std::string(511, 'a'), p));
    EXPECT_FALSE(CrackUrl("http://" + std::string(512, 'h') + "/", p));
}

}  // namespace
}  // namespace quotrix
