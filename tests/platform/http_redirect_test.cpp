#include <gtest/gtest.h>

#include "platform/HttpTransport.h"

namespace quotrix {
namespace {

HttpTarget From(const std::string& object, bool secure = false) {
    HttpTarget t;
    t.host = "127.0.0.1";
    t.port = 18080;
    t.secure = secure;
    t.object = object;
    return t;
}

// "host:port object" for compact expectations; "https " in front for TLS.
std::string Show(const HttpTarget& t) {
    return (t.secure ? "https " : "") + t.host + ":" + std::to_string(t.port) + " " + t.object;
}

std::string Resolve(const HttpTarget& from, std::string_view location) {
    HttpTarget to;
    to.host = "untouched";
    if (!ResolveRedirect(from, location, to)) return "refused, " + to.host;
    return Show(to);
}

TEST(HttpRedirect, EveryFormOfLocationLeadsWhereABrowserWouldGo) {
    const HttpTarget from = From("/stocks/detail/?code=7203.t");
    EXPECT_EQ(Resolve(from, "/quote/7203.T"), "127.0.0.1:18080 /quote/7203.T");
    EXPECT_EQ(Resolve(from, "7203.T"), "127.0.0.1:18080 /stocks/detail/7203.T");
    EXPECT_EQ(Resolve(from, "?code=6758.t"), "127.0.0.1:18080 /stocks/detail/?code=6758.t");
    EXPECT_EQ(Resolve(from, "../../quote/7203.T#chart"), "127.0.0.1:18080 /quote/7203.T");
    EXPECT_EQ(Resolve(from, "../../../../x/./y/.."), "127.0.0.1:18080 /x/");
    EXPECT_EQ(Resolve(from, "#top"), "127.0.0.1:18080 /stocks/detail/?code=7203.t");
    EXPECT_EQ(Resolve(from, "  /a b/\xE6\xA0\xAA  "), "127.0.0.1:18080 /a%20b/%E6%A0%AA");

    // Whole addresses change host, port and scheme; the default port follows the scheme.
    EXPECT_EQ(Resolve(from, "https://finance.example.jp/quote/7203.T"), "https finance.example.jp:443 /quote/7203.T");
    EXPECT_EQ(Resolve(from, "HTTP://127.0.0.1:9/q?s=1"), "127.0.0.1:9 /q?s=1");
    EXPECT_EQ(Resolve(from, "http://user:pw@[::1]:8080"), "::1:8080 /");
    EXPECT_EQ(Resolve(From("/a", true), "//other.example.jp?x=1"), "https other.example.jp:443 /?x=1");
}

TEST(HttpRedirect, LocationsThatLeadNowhereAreRefusedAndLeaveTheTargetAlone) {
    const HttpTarget from = From("/a/b");
    for (const char* bad : {"", "   ", "ftp://127.0.0.1/file", "file:///etc/passwd", "javascript:alert(1)",
                            "http:/no-authority", "http://", "http://:80/", "http://host:0/", "http://host:65536/",
                            "http://host:8x/", "http://ho st/", "http://[::1/", "http://[]/", "/a\r\nSet-Cookie: x=1"})
        EXPECT_EQ(Resolve(from, bad), "refused, untouched") << bad;
}

}  // namespace
}  // namespace quotrix
