#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/Release.h"

namespace quotrix {
namespace {

ReleaseNotice Parse(const std::string& file, std::uint32_t major = 2, std::uint32_t minor = 56) {
    ReleaseNotice notice(major, minor);
    ParseReleaseNotice(notice, file.data(), file.size());
    return notice;
}

TEST(ReleaseFile, PairAndNotice) {
    ReleaseNotice n = Parse("2 57>abc");
    EXPECT_EQ(n.remoteMajor, 2u);
    EXPECT_EQ(n.remoteMinor, 57u);
    EXPECT_EQ(n.text, "abc");
    EXPECT_TRUE(n.IsNewer());
    // White space of any kind between and around the numbers; the text is kept as it is,
    // including further ">" and line ends.
    n = Parse(" \r\n3\t\n0 >a>b\r\n");
    EXPECT_EQ(n.remoteMajor, 3u);
    EXPECT_EQ(n.remoteMinor, 0u);
    EXPECT_EQ(n.text, "a>b\r\n");
    EXPECT_TRUE(n.IsNewer());
    EXPECT_FALSE(Parse("2 56>same").IsNewer());
    EXPECT_FALSE(Parse("1 99>older").IsNewer());
    EXPECT_TRUE(Parse("3>major only").IsNewer());
}

TEST(ReleaseFile, NoPair) {
    for (const std::string& file : std::vector<std::string>{"", "2 57", "0 0>text", "x 57>text", "2 57>x", "2 57>",
                                                            std::string("\0 2 57>abc", 10), "<html>2 57>abc"}) {
        const ReleaseNotice n = Parse(file);
        EXPECT_EQ(n.remoteMajor, 0u) << file;
        EXPECT_EQ(n.remoteMinor, 0u) << file;
        EXPECT_TRUE(n.text.empty()) << file;
    }
    // The ">" may be the third byte from the end.
    EXPECT_EQ(Parse("2 57>ab").text, "ab");
    ReleaseNotice n(2, 56);
    ParseReleaseNotice(n, nullptr, 5);
    EXPECT_EQ(n.remoteMajor, 0u);
    // Numbers too large for the file's format saturate instead of overflowing.
    n = Parse("99999999999999999999 1>big");
    EXPECT_EQ(n.remoteMajor, 2147483647u);
}

}  // namespace
}  // namespace quotrix
