// The block-at-a-time scans of the page readers against their plain counterparts: the
// substring search against std::basic_string_view::find, and the normalisation against the
// two-pass reading it stands for. Texts are long enough for the blocks and mix in the characters
// the scans treat specially at every distance from a block's edge.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "net/Html.h"
#include "net/TextFind.h"

namespace quotrix {
namespace {

template <typename CharT>
void ExpectFindLikeStd(std::mt19937& random, const std::basic_string<CharT>& alphabet) {
    for (int round = 0; round < 4000; ++round) {
        std::basic_string<CharT> text(random() % 90, CharT{});
        for (CharT& c : text) c = alphabet[random() % alphabet.size()];
        std::basic_string<CharT> needle(random() % 5, CharT{});
        for (CharT& c : needle) c = alphabet[random() % alphabet.size()];
        // Needles taken from the text itself are found; the others mostly not.
        if (round % 2 == 0 && !text.empty()) {
            const std::size_t at = random() % text.size();
            needle = text.substr(at, 1 + random() % 20);
        }
        const std::basic_string_view<CharT> t(text), w(needle);
        // The search by two rare characters, any two of the needle's places.
        const std::size_t a = needle.empty() ? 0 : random() % needle.size();
        const std::size_t b = needle.empty() ? 0 : random() % needle.size();
        for (std::size_t from : {std::size_t{0}, std::size_t{1}, std::size_t{15}, std::size_t{17}, text.size() / 2,
                                 text.size(), text.size() + 1}) {
            ASSERT_EQ(FindText<CharT>(t, w, from), t.find(w, from))
                << "round " << round << " from " << from << " size " << text.size() << " needle " << needle.size();
            if constexpr (sizeof(CharT) == 1) {
                ASSERT_EQ(FindTextByRare(t, w, a, b, from), t.find(w, from))
                    << "round " << round << " from " << from << " places " << a << "," << b;
            }
        }
    }
}

TEST(TextFind, FindsWhatTheStandardSearchFinds) {
    std::mt19937 random(16);
    ExpectFindLikeStd<char>(random, "__PE<>!dD");
    ExpectFindLikeStd<char>(random, std::string("ab\0\xFF", 4));
    ExpectFindLikeStd<char16_t>(random, u"<DIV>\u65E5\u0100\u003C");
    // A needle whose first character repeats at its end, on a text full of that character.
    const std::string page = std::string(300, '_') + "__PRELOADED_STATE__" + std::string(40, '_');
    EXPECT_EQ(FindText(page, "__PRELOADED_STATE__"), 300u);
    EXPECT_EQ(FindText(page, "__PRELOADED_STATE__", 301), std::string_view::npos);
    EXPECT_EQ(FindText(std::string_view(page).substr(0, 318), "__PRELOADED_STATE__"), std::string_view::npos);
    EXPECT_EQ(FindTextByRare(page, "__PRELOADED_STATE__", 6, 9), 300u);
    EXPECT_EQ(FindTextByRare(page, "__PRELOADED_STATE__", 6, 9, 301), std::string_view::npos);
    EXPECT_EQ(FindTextByRare(std::string_view(page).substr(0, 318), "__PRELOADED_STATE__", 6, 9),
              std::string_view::npos);
}

// The normal form spelt out the slow way: first line ends out and blank runs made one space, then
// "&nbsp" with an optional ";" made a space, then ASCII letters upper-cased.
std::u16string TwoPassNormal(const std::u16string& text) {
    std::u16string first;
    bool inBlank = false;
    for (char16_t c : text) {
        if (c == u'\r' || c == u'\n') continue;
        if (c == u' ' || c == u'\t' || c == u'\v') {
            if (!inBlank) first += u' ';
            inBlank = true;
            continue;
        }
        inBlank = false;
        first += c;
    }
    std::u16string out;
    for (std::size_t i = 0; i < first.size();) {
        if (first.compare(i, 5, u"&nbsp") == 0) {
            out += u' ';
            i += 5;
            if (i < first.size() && first[i] == u';') ++i;
            continue;
        }
        const char16_t c = first[i++];
        out += (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
    }
    return out;
}

TEST(NormalizePageText, SameAsTheTwoPassReading) {
    std::mt19937 random(20);
    const std::u16string pieces[] = {u"&nbsp;",
                                     u"&nbsp",
                                     u"&nb\r\nsp",
                                     u"&",
                                     u" ",
                                     u"\t",
                                     u"\r\n",
                                     u"\v",
                                     u"<div class=\"x\">",
                                     u"abcdefghijklmnopqrstuvwxyz",
                                     u"ABC`{@[",
                                     u"\u65E5\u672C",
                                     u"\u0100\uFF41",
                                     u"!",
                                     u";",
                                     u"\u0000"};
    for (int round = 0; round < 3000; ++round) {
        std::u16string text;
        const int count = static_cast<int>(random() % 40);
        for (int k = 0; k < count; ++k) text += pieces[random() % std::size(pieces)];
        std::u16string work = text;
        work.resize(NormalizePageText(work.data(), work.size()));
        ASSERT_EQ(work, TwoPassNormal(text)) << "round " << round;
    }
}

}  // namespace
}  // namespace quotrix
