// The page normalisation in one pass against the plain two passes it replaced (line ends and
// blanks first, then "&nbsp" and upper case), on texts made of the characters that matter.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "net/Html.h"

namespace quotrix {
namespace {

std::u16string TwoPasses(std::u16string text) {
    auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\v'; };
    std::u16string first;
    bool inBlank = false;
    for (char16_t c : text) {
        if (c == u'\r' || c == u'\n') continue;
        if (blank(c)) {
            if (!inBlank) first += u' ';
            inBlank = true;
            continue;
        }
        inBlank = false;
        first += c;
    }
    std::u16string second;
    for (std::size_t i = 0; i < first.size();) {
        if (first.compare(i, 5, u"&nbsp") == 0) {
            second += u' ';
            i += 5;
            if (i < first.size() && first[i] == u';') ++i;
            continue;
        }
        const char16_t c = first[i++];
        second += (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
    }
    return second;
}

std::u16string OnePass(std::u16string text) {
    text.resize(NormalizePageText(text.data(), text.size()));
    return text;
}

TEST(NormalizeOnePass, GivesWhatTheTwoPassesGave) {
    for (const char16_t* text : {u"", u"&nbsp", u"&nbsp;;x", u"&nb\r\nsp;", u"&nbsp\n;", u"&&nbsp", u"&nbs&nbsp;p",
                                 u"a \t\v b\r\n c", u"&NBSP;", u"&nbsp&nbsp;", u" &nbsp; ", u"日経&nbsp;平均 ab"})
        EXPECT_EQ(OnePass(text), TwoPasses(text)) << std::string(text, text + std::char_traits<char16_t>::length(text));

    std::mt19937 random(65001);
    const char16_t kAlphabet[] = u"&nbsp;NBSP \t\v\r\nax<>日";
    for (int round = 0; round < 200000; ++round) {
        std::u16string text(random() % 20, u' ');
        for (char16_t& c : text) c = kAlphabet[random() % (sizeof kAlphabet / sizeof kAlphabet[0] - 1)];
        ASSERT_EQ(OnePass(text), TwoPasses(text)) << round;
    }
}

}  // namespace
}  // namespace quotrix
