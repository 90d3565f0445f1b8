#include "model/Price.h"

#include <gtest/gtest.h>

#include <climits>

namespace quotrix {
namespace {

std::string Fmt(PriceValue v, unsigned flags) {
    std::string out = "stale";
    return FormatPrice(v, out, flags);
}

TEST(FormatPrice, TruncatesToHundredthsAndHonoursFlags) {
    EXPECT_EQ(Fmt(12345678, 0), "1234.56");
    EXPECT_EQ(Fmt(12345678, FMT_GROUP), "1,234.56");
    EXPECT_EQ(Fmt(12345678, FMT_SIGN | FMT_GROUP), "+1,234.56");
    EXPECT_EQ(Fmt(12340000, 0), "1234");
    EXPECT_EQ(Fmt(12340000, FMT_POINT), "1234.");
    EXPECT_EQ(Fmt(12345678, FMT_NOFRACTION | FMT_POINT), "1234.");
    EXPECT_EQ(Fmt(12340050, 0), "1234.00");
    EXPECT_EQ(Fmt(12345699, 0), "1234.56");  // never rounded
}

TEST(FormatPrice, SignsValuesBetweenMinusOneAndZero) {
    EXPECT_EQ(Fmt(-5000, 0), "-0.50");
    EXPECT_EQ(Fmt(-5000, FMT_SIGN), "-0.50");
    EXPECT_EQ(Fmt(-1, FMT_NOFRACTION), "-0");
    EXPECT_EQ(Fmt(0, FMT_SIGN), "+0");
    EXPECT_EQ(Fmt(-1234567890000, FMT_GROUP), "-123,456,789");
}

TEST(FormatPrice, ExtremeValuesDoNotOverflow) {
    EXPECT_EQ(Fmt(INT64_MIN, FMT_GROUP), "-922,337,203,685,477.58");
    EXPECT_EQ(Fmt(INT64_MAX, FMT_SIGN | FMT_GROUP), "+922,337,203,685,477.58");
    NumberText t;
    t.SetPrice(INT64_MIN, FMT_GROUP);
    EXPECT_EQ(t.text, "-922,337,203,685,477.58");
    EXPECT_TRUE(t.negative);
}

TEST(GroupDigits, LeavesTheSignLeftOfTheFirstGroup) {
    std::string s = "1234567";
    GroupDigits(s);
    EXPECT_EQ(s, "1,234,567");
    s = "-123456";
    GroupDigits(s);
    EXPECT_EQ(s, "-123,456");
    s = "+999";
    GroupDigits(s);
    EXPECT_EQ(s, "+999");
    s = "-1000";
    GroupDigits(s);
    EXPECT_EQ(s, "-1,000");
}

TEST(FormatCount, PrintsSignedWithGroupsAndPoint) {
    std::string out;
    EXPECT_EQ(FormatCount(5704400, out, FMT_GROUP), "5,704,400");
    EXPECT_EQ(FormatCount(0, out, FMT_SIGN), "+0");
    EXPECT_EQ(FormatCount(-1200, out, FMT_GROUP | FMT_POINT), "-1,200.");
    // Volumes are unsigned but printed signed, as the display always did.
    EXPECT_EQ(FormatCount(static_cast<std::int32_t>(3000000000u), out, 0), "-1294967296");
}

TEST(NumberText, PriceFractionLengthFollowsThePointFlag) {
    NumberText t;
    t.SetPrice(12340000, FMT_FORCEFRACTION);
    EXPECT_EQ(t.text, "1234.00");
    EXPECT_EQ(t.fractionLength, 3);
    t = NumberText{};
    t.SetPrice(12340000, FMT_FORCEFRACTION | FMT_POINT | FMT_NOFRACTION);
    EXPECT_EQ(t.text, "1234.00");
    EXPECT_EQ(t.fractionLength, 2);
    t = NumberText{};
    t.fractionLength = 7;
    t.SetPrice(12340000, FMT_POINT);
    EXPECT_EQ(t.text, "1234.");
    EXPECT_EQ(t.fractionLength, 7);  // untouched when no fraction is printed
    t.SetPrice(-5000, FMT_SIGN);
    EXPECT_EQ(t.text, "-0.50");
    EXPECT_TRUE(t.negative);
}

TEST(NumberText, RatioTruncatesToTwoDecimals) {
    NumberText t;
    t.SetRatio(1.999, 0);
    EXPECT_EQ(t.text, "1.99");
    t.SetRatio(-0.5, 0);
    EXPECT_EQ(t.text, "-0.50");
    EXPECT_TRUE(t.negative);
    t.SetRatio(3.0, FMT_SIGN);
    EXPECT_EQ(t.text, "+3.00");
    EXPECT_FALSE(t.negative);
    t.SetRatio(12345.678, FMT_GROUP | FMT_NOFRACTION | FMT_POINT);
    EXPECT_EQ(t.text, "12,345.");
    // Out of the 32-bit range: clamped, not undefined.
    t.SetRatio(1e300, 0);
    EXPECT_EQ(t.text, "21474836.47");
    t.SetRatio(std::numeric_limits<double>::quiet_NaN(), 0);
    EXPECT_EQ(t.text, "0.00");
}

TEST(ParsePrice, ReadsTheNumberAtTheStart) {
    EXPECT_EQ(ParsePrice(u" 1,234.5"), 12345000);
    EXPECT_EQ(ParsePrice(u"-0.05"), -500);
    EXPECT_EQ(ParsePrice(u"12.34567"), 123456);
    EXPECT_EQ(ParsePrice(u"+7"), 70000);
    EXPECT_EQ(ParsePrice(u"1-2"), 0);
    EXPECT_EQ(ParsePrice(u"abc"), 0);
    EXPECT_EQ(ParsePrice(u"12,3.4,5"), 1234500);
    EXPECT_EQ(ParsePrice(u"2,971円"), 29710000);
    EXPECT_EQ(ParsePrice(u"12 34"), 120000);  // a blank after the first digit ends the number
    EXPECT_EQ(ParsePrice(u".5"), 5000);
    EXPECT_EQ(ParsePrice(nullptr, 5), 0);
    EXPECT_EQ(ParsePrice(u"123", 0), 0);
    EXPECT_EQ(ParsePrice(u"12345", 3), 1230000);  // only `length` units are read
}

TEST(ParsePrice, IntegerPartIsA32BitAccumulator) {
    EXPECT_EQ(ParsePrice(u"2147483647"), 2147483647LL * 10000);
    // One more wraps exactly like the 32-bit accumulator does, without undefined behaviour.
    EXPECT_EQ(ParsePrice(u"2147483648"), -2147483648LL * 10000);
    EXPECT_EQ(ParsePrice(u"-2147483648"), -2147483648LL * 10000);
    EXPECT_NO_FATAL_FAILURE(ParsePrice(u"99999999999999999999999999.99999"));
}

}  // namespace
}  // namespace quotrix
