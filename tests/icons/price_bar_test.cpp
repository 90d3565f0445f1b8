#include "icons/PriceBar.h"

#include <gtest/gtest.h>

#include "model/Stock.h"

namespace quotrix {
namespace {

constexpr int kW = 20;  // centre column 21, width 43
constexpr std::uint32_t kInside = 0xFFF5E8;
constexpr std::uint32_t kAbove = 0xFFC0B4;
constexpr std::uint32_t kBelow = 0xDCC8FF;

struct Bar {
    explicit Bar(const CBasicStock& s)
        : pixels(RenderPriceBar(PriceBarLayout(s, kW), PriceBarWidth(kW), kPriceBarHeight)) {}
    std::uint32_t at(int x, int y) const { return pixels[y * PriceBarWidth(kW) + x]; }
    std::vector<std::uint32_t> pixels;
};

CBasicStock Quote(std::int32_t prev, std::int32_t price, std::int32_t open, std::int32_t high, std::int32_t low) {
    CBasicStock s;
    s.prevClose = prev * kYen;
    s.price = price * kYen;
    s.change = s.price - s.prevClose;
    s.open = open * kYen;
    s.high = high * kYen;
    s.low = low * kYen;
    return s;
}

TEST(PriceBar, RiseWithRangeAndOpenBelow) {
    const Bar bar(Quote(1000, 1010, 998, 1015, 995));
    // Frame and background.
    EXPECT_EQ(bar.at(0, 0), 0xFFFFFFu);
    EXPECT_EQ(bar.at(42, 9), 0xFFFFFFu);
    EXPECT_EQ(bar.at(16, 1), kInside);
    // Scale 20 yen: the low is 4 columns left, the high 15 right of the centre.
    EXPECT_EQ(bar.at(17, 1), kBelow);
    EXPECT_EQ(bar.at(36, 1), kAbove);
    EXPECT_EQ(bar.at(37, 1), kInside);
    EXPECT_EQ(bar.at(32, 5), kAbove);
    // The price bar runs from the centre 10 columns right, the centre column over rows 2 to 8.
    EXPECT_EQ(bar.at(21, 1), kInside);
    EXPECT_EQ(bar.at(21, 2), 0xFF0000u);
    EXPECT_EQ(bar.at(21, 8), 0xFF0000u);
    EXPECT_EQ(bar.at(31, 3), 0xFF0000u);
    EXPECT_EQ(bar.at(31, 7), 0xFF0000u);
    EXPECT_EQ(bar.at(31, 2), kAbove);
    // The open, one column left, fades in six steps over rows 1 to 7.
    EXPECT_EQ(bar.at(20, 1), 0x9480FFu);
    EXPECT_EQ(bar.at(20, 2), 0x9480FFu);
    EXPECT_EQ(bar.at(20, 3), 0xA08CFFu);
    EXPECT_EQ(bar.at(20, 7), 0xD0BCFFu);
    EXPECT_EQ(bar.at(20, 8), kBelow);
}

TEST(PriceBar, FallWithoutRangeAndUnchangedWithRange) {
    const Bar fall(Quote(1000, 990, 0, 0, 0));
    // Only the change: scale 10 yen, 19 columns left (the rounding favours the right).
    EXPECT_EQ(fall.at(2, 5), 0x0000FFu);
    EXPECT_EQ(fall.at(1, 5), kInside);
    EXPECT_EQ(fall.at(21, 8), 0x0000FFu);
    EXPECT_EQ(fall.at(22, 5), kInside);
    EXPECT_EQ(fall.at(10, 1), kInside);

    const Bar flat(Quote(1000, 1000, 1000, 1005, 995));
    EXPECT_EQ(flat.at(21, 2), 0x646464u);
    EXPECT_EQ(flat.at(21, 8), 0x646464u);
    EXPECT_EQ(flat.at(21, 1), kInside);
    EXPECT_EQ(flat.at(12, 1), kBelow);
    EXPECT_EQ(flat.at(11, 1), kInside);
    EXPECT_EQ(flat.at(31, 8), kAbove);
    EXPECT_EQ(flat.at(32, 8), kInside);
    EXPECT_EQ(flat.at(20, 3), kBelow);  // an open at the previous close has no mark
}

TEST(PriceBar, NothingKnownAndOutOfRangePrices) {
    CBasicStock none;
    none.price = 1000 * kYen;
    const Bar empty(none);
    EXPECT_EQ(empty.at(21, 5), kInside);
    EXPECT_EQ(PriceBarLayout(none, kW).size(), 3u);

    // A price far above a narrow range is clamped to the last inside column.
    const Bar clamped(Quote(1000, 1100, 0, 0, 0));
    EXPECT_EQ(clamped.at(41, 5), 0xFF0000u);
    EXPECT_EQ(clamped.at(42, 5), 0xFFFFFFu);

    // Damaged values neither overflow nor leave the picture.
    CBasicStock wild = Quote(1, 2, 3, 4, 5);
    wild.price = INT64_MAX;
    wild.change = INT64_MIN;
    wild.high = INT64_MIN;
    const Bar odd(wild);
    EXPECT_EQ(odd.pixels.size(), 430u);
}

}  // namespace
}  // namespace quotrix
