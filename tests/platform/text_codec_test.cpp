// Runs against the real converters: iconv on Linux, MultiByteToWideChar under Wine.
#include "platform/TextCodec.h"

#include <gtest/gtest.h>

namespace quotrix {
namespace {

TEST(TextCodec, ShiftJisRoundTripsThroughUtf16) {
    const std::string sjis = Utf8ToSjis("トヨタ自動車(株)【7203】ｶﾅ");
    // Nine double-byte characters, six ASCII and two one-byte half-width kana.
    EXPECT_EQ(sjis.size(), 9u * 2 + 6 + 2);
    EXPECT_EQ(static_cast<unsigned char>(sjis[0]), 0x83);  // ト
    EXPECT_EQ(SjisToUtf8(sjis), "トヨタ自動車(株)【7203】ｶﾅ");
}

TEST(TextCodec, CodePage932Specifics) {
    // ～ and － map the way Windows maps them (code page 932, not plain Shift-JIS).
    std::u16string wide;
    EXPECT_TRUE(ToUtf16(CodePage::Sjis, "\x81\x60\x81\x7C", wide));
    EXPECT_EQ(wide, u"\uFF5E\uFF0D");
    // NEC special characters: ① is 0x8740.
    EXPECT_EQ(Utf8ToSjis("①"), "\x87\x40");
}

TEST(TextCodec, InvalidInputIsReplacedOrRefused) {
    std::u16string wide;
    EXPECT_FALSE(ToUtf16(CodePage::Utf8,
                         "a\xFF"
                         "b",
                         wide, /*strict=*/true));
    EXPECT_FALSE(ToUtf16(CodePage::Utf8,
                         "a\xFF"
                         "b",
                         wide));
    EXPECT_EQ(wide.front(), u'a');
    EXPECT_EQ(wide.back(), u'b');
    EXPECT_FALSE(ToUtf16(CodePage::Sjis, "\x83", wide, true));  // a lead byte without its trail
    std::string narrow;
    EXPECT_FALSE(FromUtf16(CodePage::Sjis, u"a\u00E9b", narrow));  // é has no code page 932 form
    EXPECT_EQ(narrow.front(), 'a');
    EXPECT_EQ(narrow.back(), 'b');
    EXPECT_TRUE(ToUtf16(CodePage::Sjis, "", wide));
    EXPECT_TRUE(wide.empty());
}

TEST(TextCodec, Utf8RefusesWhatIsNoCharacter) {
    std::u16string wide;
    EXPECT_TRUE(ToUtf16(CodePage::Utf8, "\xF0\x9F\x98\x80", wide, true));  // beyond the BMP: a pair
    EXPECT_EQ(wide, u"\U0001F600");
    for (const char* bad :
         {"\xC0\x80", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE3\x81", "\x80", "\xF8\x88\x80\x80\x80"})
        EXPECT_FALSE(ToUtf16(CodePage::Utf8, bad, wide, true)) << bad;
    // Replacement keeps the text around a bad byte.
    EXPECT_FALSE(ToUtf16(CodePage::Utf8, "\xE6\xA0\xAA\xFF\xE4\xBE\xA1", wide));
    EXPECT_EQ(wide.front(), u'株');
    EXPECT_EQ(wide.back(), u'価');
}

TEST(TextCodec, Utf7AndUtf8) {
    EXPECT_EQ(ToUtf16(CodePage::Utf7, "+MMgw6DC/-"), u"トヨタ");
    EXPECT_EQ(ToUtf16(CodePage::Utf8, "株価"), u"株価");
    EXPECT_EQ(FromUtf16(CodePage::Utf8, u"株価"), "株価");
}

}  // namespace
}  // namespace quotrix
