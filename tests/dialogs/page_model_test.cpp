#include "dialogs/PageModel.h"

#include <gtest/gtest.h>

#include "platform/TextCodec.h"

namespace quotrix {
namespace {

TEST(PageInput, UnsignedTextTakesDigitsGroupsAndFullWidthOnly) {
    EXPECT_EQ(ParseUnsignedText("100"), 100u);
    EXPECT_EQ(ParseUnsignedText("  1,000 "), 1000u);
    EXPECT_EQ(ParseUnsignedText(Utf8ToSjis("１２３")), 123u);
    EXPECT_EQ(ParseUnsignedText("4294967295"), 4294967295u);
    for (const char* bad : {"", "  ", "-1", "+1", "1.5", "4294967296", "12a", ",1", "1,", "1,,0", "0x10"})
        EXPECT_FALSE(ParseUnsignedText(bad).has_value()) << bad;
    EXPECT_FALSE(ParseUnsignedText(Utf8ToSjis("百")).has_value());
    EXPECT_FALSE(ParseUnsignedText("1\x82").has_value());  // a lead byte cut off at the end
}

TEST(PageInput, AmountTextReadsYenWithFourDecimals) {
    EXPECT_EQ(ParseAmountText("1000"), 1000 * kYen);
    EXPECT_EQ(ParseAmountText("1,234.5"), 12345000);
    EXPECT_EQ(ParseAmountText("-0.0001"), -1);
    EXPECT_EQ(ParseAmountText(".5"), 5000);
    EXPECT_EQ(ParseAmountText("5."), 5 * kYen);
    EXPECT_EQ(ParseAmountText("1.123456"), 11234);  // further decimals are cut off
    EXPECT_EQ(ParseAmountText(""), 0);
    EXPECT_EQ(ParseAmountText(Utf8ToSjis("－１０．５")), -105000);
    EXPECT_EQ(ParseAmountText("922337203685477.5807"), INT64_MAX);
    EXPECT_EQ(ParseAmountText("-922337203685477.5808"), INT64_MIN);
    for (const char* bad : {"922337203685477.5808", "99999999999999999999", "-", ".", "1.2.3", "1e5", "1-", "--1",
                            "1.-5", "yen", "1 000"})
        EXPECT_FALSE(ParseAmountText(bad).has_value()) << bad;
}

TEST(PageInput, AmountBoxTextReadsBackAsTheSameValue) {
    for (PriceValue value :
         {PriceValue{0}, 1000 * kYen, PriceValue{12345000}, PriceValue{-1}, PriceValue{10001}, INT64_MAX, INT64_MIN}) {
        EXPECT_EQ(ParseAmountText(AmountBoxText(value)), value) << AmountBoxText(value);
    }
    EXPECT_EQ(AmountBoxText(12345000), "1234.5");
    EXPECT_EQ(AmountBoxText(-105000), "-10.5");
}

TEST(PageInput, AmountArithmeticTurnsOverflowIntoNoAmount) {
    EXPECT_EQ(MultiplyAmount(1000 * kYen, 100), 100000 * kYen);
    EXPECT_FALSE(MultiplyAmount(INT64_MAX / 2, 3).has_value());
    EXPECT_FALSE(AddAmounts(INT64_MAX, 1).has_value());
    EXPECT_FALSE(SubtractAmounts(INT64_MIN, 1).has_value());
    EXPECT_FALSE(AddAmounts(std::nullopt, 1).has_value());
    EXPECT_EQ(DivideAmount(-7, 2), -3);  // toward zero
    EXPECT_FALSE(DivideAmount(100, 0).has_value());
}

}  // namespace
}  // namespace quotrix
