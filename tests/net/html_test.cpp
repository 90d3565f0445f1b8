#include "net/Html.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/net/PageFile.h"

namespace quotrix {
namespace {

std::u16string Normalized(std::u16string text) {
    text.resize(NormalizePageText(text.data(), text.size()));
    return text;
}

std::string Stripped(std::string text, bool keepAttributes = true) {
    text.resize(StripTags(text.data(), text.size(), 'A', 'a', keepAttributes));
    return text;
}

TEST(NormalizePageText, LineEndsBlanksNbspAndCase) {
    EXPECT_EQ(Normalized(u"<div class=\"title\">\r\n出来高</div>"), u"<DIV CLASS=\"TITLE\">出来高</DIV>");
    // Blanks on both sides of a line break make one run; tabs and vertical tabs are blanks.
    EXPECT_EQ(Normalized(u"a \t\r\n \v b"), u"A B");
    EXPECT_EQ(Normalized(u"12\r\n3"), u"123");
    // "&nbsp" with or without ";", found even when a line break splits it; upper case is not it.
    EXPECT_EQ(Normalized(u"&nbsp;1&nbsp2&nb\r\nsp;3&NBSP;4"), u" 1 2 3&NBSP;4");
    // The space an "&nbsp" leaves is not merged with blanks around it.
    EXPECT_EQ(Normalized(u"a &nbsp; b"), u"A   B");
    EXPECT_EQ(Normalized(u"&nbs"), u"&NBS");
    EXPECT_EQ(Normalized(u"x&nbsp"), u"X ");
    // Only ASCII letters change case.
    EXPECT_EQ(Normalized(u"ｓｔｒｏｎｇ zÿ"), u"ｓｔｒｏｎｇ Zÿ");
    EXPECT_EQ(NormalizePageText(nullptr, 4), 0u);
}

TEST(StripTags, KeepsOnlyLinksAndSqueezesBlanks) {
    EXPECT_EQ(Stripped("<p class=x>a  \r\n b</p><A HREF=\"/hl?a=1\">t</A>"), "a b<AHREF=\"/hl?a=1\">t</A>");
    EXPECT_EQ(Stripped("<a href=\"x\" id=y>t</a>", false), "<a>t</a>");
    // Every tag whose name starts with a kept letter stays, whatever follows the letter.
    EXPECT_EQ(Stripped("<abbr>x</abbr><b>y</b>"), "<abbr>x</abbr>y");
    // A blank run that a dropped tag interrupts is two runs.
    EXPECT_EQ(Stripped("x <br> y"), "x  y");
    // A zero byte ends the text, inside a tag or out.
    EXPECT_EQ(Stripped(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(Stripped(std::string("<a hr\0ef>", 9)), "<ahr");
    // Unfinished tags at the end.
    EXPECT_EQ(Stripped("x<"), "x");
    EXPECT_EQ(Stripped("x</"), "x");
    EXPECT_EQ(Stripped("x<a href"), "x<ahref");
    EXPECT_EQ(Stripped("x<table"), "x");
    EXPECT_EQ(StripTags(nullptr, 3, 'A', 'a', true), 0u);
}

// Stripping in steps: every step's output is a prefix of the whole, and all of them together
// write what stripping in place writes, whatever the step size and wherever a tag or blank run
// falls across a step's end.
TEST(StripTags, InStepsWritesWhatTheWholeWrites) {
    const std::string page = PageFile("current/quote-7203-2025.html");
    const std::string tricky = "ab  \r\n<p class=x>  <a  href=\"/hl?a=1\">t</a>" + std::string(40, ' ') +
                               "<A\tHREF=x>" + std::string(70, 'y') + "<table " + std::string(50, '-') + ">z";
    for (const std::string& text : {page, tricky, std::string("x\0<a>y", 6)}) {
        for (const bool attributes : {true, false}) {
            const std::string whole = Stripped(text, attributes);
            for (const std::size_t step : {std::size_t{1}, std::size_t{7}, std::size_t{33}, std::size_t{8192}}) {
                std::string out(text.size(), '#');
                TagStripper stripper(text.data(), text.size(), out.data(), 'A', 'a', attributes);
                std::size_t upTo = 0;
                while (!stripper.Done()) {
                    upTo += step;
                    const std::size_t written = stripper.StripTo(upTo);
                    ASSERT_EQ(std::string_view(out.data(), written), std::string_view(whole).substr(0, written))
                        << "step " << step << " up to " << upTo;
                    ASSERT_LE(upTo, text.size() + step) << "never done";
                }
                EXPECT_EQ(std::string_view(out.data(), stripper.Written()), whole) << "step " << step;
            }
        }
    }
    // The real page keeps its links and loses everything else that is markup.
    const std::string stripped = Stripped(page);
    EXPECT_EQ(stripped.find("<div"), std::string::npos);
    EXPECT_EQ(stripped.find("<script"), std::string::npos);
    EXPECT_NE(stripped.find("<a"), std::string::npos);
}

}  // namespace
}  // namespace quotrix
