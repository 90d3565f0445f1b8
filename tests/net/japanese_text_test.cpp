// The conversions are checked against pages that iconv wrote in each encoding from one master.
#include "net/JapaneseText.h"

#include <gtest/gtest.h>

#include "PageFile.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

TEST(JapaneseText, EucAndJisPagesBecomeTheShiftJisPage) {
    const std::string sjis = PageFile("quote/stock-7203.sjis.html");
    ASSERT_FALSE(sjis.empty());
    std::string euc = PageFile("quote/stock-7203.euc.html");
    EucToSjis(euc);
    EXPECT_EQ(euc, sjis);
    std::string jis = PageFile("quote/stock-7203.jis.html");
    JisToSjis(jis);
    EXPECT_EQ(jis, sjis);
}

TEST(JapaneseText, EveryJisX0208CharacterConverts) {
    // All 94 x 94 row/cell pairs: EUC adds 0x80 to both bytes, ISO-2022-JP wraps them in escapes.
    std::string euc, jis = "\x1B$B";
    for (int row = 0x21; row <= 0x7E; ++row) {
        for (int cell = 0x21; cell <= 0x7E; ++cell) {
            euc += static_cast<char>(row | 0x80);
            euc += static_cast<char>(cell | 0x80);
            jis += static_cast<char>(row);
            jis += static_cast<char>(cell);
        }
    }
    jis += "\x1B(B";
    std::string fromEuc = euc, fromJis = jis;
    EucToSjis(fromEuc);
    JisToSjis(fromJis);
    ASSERT_EQ(fromEuc.size(), 94u * 94 * 2);
    EXPECT_EQ(fromEuc, fromJis);
    // Spot checks on both sides of the lead-byte gap at 0xA0 to 0xDF.
    EXPECT_EQ(fromEuc.substr(((0x24 - 0x21) * 94 + 1) * 2, 2), Utf8ToSjis("あ"));
    EXPECT_EQ(fromEuc.substr(((0x30 - 0x21) * 94 + 0) * 2, 2), Utf8ToSjis("亜"));
    EXPECT_EQ(fromEuc.substr(((0x5F - 0x21) * 94 + 0) * 2, 2), "\xE0\x40");
    EXPECT_EQ(fromEuc.substr(((0x74 - 0x21) * 94 + 5) * 2, 2), Utf8ToSjis("熙"));
}

TEST(JapaneseText, KanaSupplementaryAndBrokenSequences) {
    // Half-width kana (0x8E xx) become one byte; JIS X 0212 (0x8F xx xx) one "?"; a lone high
    // byte "?"; a trailing lead byte "?".
    std::string euc = "a\x8E\xB6\x8E\xC5|\x8F\xB0\xA1|\xA4";
    EucToSjis(euc);
    EXPECT_EQ(euc, "a\xB6\xC5|?|?");
    std::string jis = "\x1B(I6E\x1B(Bx\x1B$B$\"";  // kana, ASCII, one JIS pair
    JisToSjis(jis);
    EXPECT_EQ(jis, "\xB6\xC5x" + Utf8ToSjis("あ"));
    std::string half = "\x1B$B$";
    JisToSjis(half);
    EXPECT_EQ(half, "?");
}

TEST(JapaneseText, ZeroByteEndsAndUnterminatedEscapesStaySafe) {
    std::string euc("ab\0\xA4\xA2", 5);
    EucToSjis(euc);
    EXPECT_EQ(euc, "ab");
    std::string jis("\x1B$B$\"\0$\"", 8);
    JisToSjis(jis);
    EXPECT_EQ(jis, Utf8ToSjis("あ"));
    for (const char* tail : {"\x1B", "\x1B$", "\x1B(", "x\x1B$B"}) {
        std::string text = tail;
        JisToSjis(text);
        EXPECT_LE(text.size(), std::string(tail).size());
    }
    std::string unknownEscape = "\x1B$(Dab";
    JisToSjis(unknownEscape);
    EXPECT_EQ(unknownEscape, "\x1B$(Dab");
    EXPECT_EQ(EucToSjis(nullptr, 5), 0u);
    EXPECT_EQ(JisToSjis(nullptr, 5), 0u);
}

TEST(JapaneseText, DetectsTheEncodingOfEachPage) {
    auto detect = [](const std::string& bytes) { return DetectJapaneseEncoding(bytes.data(), bytes.size()); };
    EXPECT_EQ(detect(PageFile("quote/stock-7203.sjis.html")), ENC_SJIS);
    EXPECT_EQ(detect(PageFile("quote/stock-7203.euc.html")), ENC_EUC);
    EXPECT_EQ(detect(PageFile("quote/stock-7203.jis.html")), ENC_JIS);
    EXPECT_EQ(DetectJapaneseEncoding(nullptr, 3), ENC_ASCII);
    EXPECT_EQ(detect(""), ENC_EUC);
    EXPECT_EQ(detect("plain ascii"), ENC_EUC);
    // An escape needs four bytes from the ESC on; a short one is an ordinary low byte.
    EXPECT_EQ(detect("\x1B$B"), ENC_EUC);
    EXPECT_EQ(detect("\x1B$Bx"), ENC_JIS);
    EXPECT_EQ(detect("\x1B(Ix"), ENC_JIS);
    // 0x8F is the one byte of 0x82 to 0x9E that does not decide at once.
    EXPECT_EQ(detect("\x8F"), ENC_SJIS);
    EXPECT_EQ(detect("\x8F\xA1\xA1"), ENC_SJIS);
    // An odd count of high bytes before a low byte reads as a Shift-JIS pair.
    EXPECT_EQ(detect("\xE0"
                     "A"),
              ENC_SJIS);
    EXPECT_EQ(detect("\xA4\xA2"
                     "a"),
              ENC_EUC);
    EXPECT_EQ(detect("\xFD"), ENC_EUC);
    // An even count of high bytes ending in an upper lead byte, then a byte below 0x40, decides
    // for EUC at once; a letter there only clears the state, and a later 0x8F tips it.
    EXPECT_EQ(detect("\xA1\xE0"
                     "1\x8F"),
              ENC_EUC);
    EXPECT_EQ(detect("\xA1\xE0"
                     "A\x8F"),
              ENC_SJIS);
}

TEST(JapaneseText, DecodePageRunsTheConversionOfItsCandidate) {
    std::string work;
    std::u16string text;
    const std::string euc = PageFile("quote/stock-7203.euc.html");
    ASSERT_TRUE(DecodePage(kPageDecodings[3], euc, work, text, nullptr));
    EXPECT_NE(text.find(u"【7203】トヨタ自動車(株)"), std::u16string::npos);
    EXPECT_FALSE(DecodePage(kPageDecodings[4], "", work, text, nullptr));
    EXPECT_STREQ(kPageDecodings[0].name, "UTF8");
    EXPECT_STREQ(kPageDecodings[5].name, "ASCII");
}

}  // namespace
}  // namespace quotrix
