#include "icons/StockIcon.h"

#include <gtest/gtest.h>

#include "model/StockMan.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

TEST(ChooseArrow, PriceStepEdges) {
    ArrowThresholds t;  // 10 and 5 yen each way
    EXPECT_EQ(ChooseArrow(t, -10 * kYen, 0), IMG_ARROW_LARGE_FALL);
    EXPECT_EQ(ChooseArrow(t, -10 * kYen + 1, 0), IMG_ARROW_FALL);
    EXPECT_EQ(ChooseArrow(t, -5 * kYen, 0), IMG_ARROW_FALL);
    EXPECT_EQ(ChooseArrow(t, -5 * kYen + 1, 0), IMG_ARROW_SMALL_FALL);
    EXPECT_EQ(ChooseArrow(t, -1, 0), IMG_ARROW_SMALL_FALL);
    EXPECT_EQ(ChooseArrow(t, 0, 0), IMG_ARROW_UNCHANGED);
    EXPECT_EQ(ChooseArrow(t, 5 * kYen - 1, 0), IMG_ARROW_SMALL_RISE);
    EXPECT_EQ(ChooseArrow(t, 5 * kYen, 0), IMG_ARROW_RISE);
    EXPECT_EQ(ChooseArrow(t, 10 * kYen - 1, 0), IMG_ARROW_RISE);
    EXPECT_EQ(ChooseArrow(t, 10 * kYen, 0), IMG_ARROW_LARGE_RISE);
}

TEST(ChooseArrow, PercentStepsAgainstTheReference) {
    ArrowThresholds t;
    t.percentFlag = true;  // 10 % and 5 % each way
    const PriceValue r = 1000 * kYen;
    EXPECT_EQ(ChooseArrow(t, 0, r), IMG_ARROW_UNCHANGED);
    EXPECT_EQ(ChooseArrow(t, 0, 0), IMG_ARROW_UNCHANGED);
    EXPECT_EQ(ChooseArrow(t, 0, -r), IMG_ARROW_UNCHANGED);
    EXPECT_EQ(ChooseArrow(t, -100 * kYen, r), IMG_ARROW_LARGE_FALL);
    EXPECT_EQ(ChooseArrow(t, -100 * kYen + 1, r), IMG_ARROW_FALL);
    EXPECT_EQ(ChooseArrow(t, -50 * kYen, r), IMG_ARROW_FALL);
    EXPECT_EQ(ChooseArrow(t, -49 * kYen, r), IMG_ARROW_SMALL_FALL);
    EXPECT_EQ(ChooseArrow(t, 49 * kYen, r), IMG_ARROW_SMALL_RISE);
    EXPECT_EQ(ChooseArrow(t, 50 * kYen, r), IMG_ARROW_RISE);
    EXPECT_EQ(ChooseArrow(t, 100 * kYen, r), IMG_ARROW_LARGE_RISE);
    // A zero reference makes every step 0: any move is a large one.
    EXPECT_EQ(ChooseArrow(t, 1, 0), IMG_ARROW_LARGE_RISE);
    EXPECT_EQ(ChooseArrow(t, -1, 0), IMG_ARROW_LARGE_FALL);
}

TEST(SetThresholds, ClampsOrdersAndScalesPercentSteps) {
    ArrowThresholds t;
    SetThresholds(t, 3 * kYen, 8 * kYen, -4, 20 * kYen, false);
    EXPECT_FALSE(t.percentFlag);
    EXPECT_EQ(t.curPlusHigh, 8 * kYen);
    EXPECT_EQ(t.curPlusLow, 3 * kYen);
    EXPECT_EQ(t.curMinusLow, 0);
    EXPECT_EQ(t.curMinusHigh, 20 * kYen);
    EXPECT_EQ(t.perPlusHigh, 1000u);  // untouched

    // 12.34 % typed in the price scale is 123400; stored in hundredths of a percent, rounded.
    SetThresholds(t, 123400, 123449, 4950, 4949, true);
    EXPECT_TRUE(t.percentFlag);
    EXPECT_EQ(t.perPlusHigh, 1234u);
    EXPECT_EQ(t.perPlusLow, 1234u);
    EXPECT_EQ(t.perMinusHigh, 50u);
    EXPECT_EQ(t.perMinusLow, 49u);
    EXPECT_EQ(t.curPlusHigh, 8 * kYen);  // untouched
    PriceValue ph, pl, ml, mh;
    GetThresholds(t, true, ph, pl, ml, mh);
    EXPECT_EQ(ph, 123400);
    EXPECT_EQ(mh, 5000);
    SetThresholds(t, INT64_MAX, 0, 0, 0, true);
    EXPECT_EQ(t.perPlusHigh, UINT32_MAX);
}

struct QuotedStock : CStockMan {
    QuotedStock() : CStockMan("7203.t") {
        status = STATUS_UPDATED;
        prevClose = 1000 * kYen;
        price = 1012 * kYen;
        change = 12 * kYen;
    }
};

TEST(UpdateStockArrow, ReferencesAndTheirFallbacks) {
    QuotedStock s;
    EXPECT_EQ(UpdateStockArrow(s), IMG_ARROW_LARGE_RISE);  // +12 against the previous close
    EXPECT_EQ(s.arrowImage, IMG_ARROW_LARGE_RISE);

    // Reference 1 without holdings falls back to the previous close for good.
    s.iconIndexMode = 1;
    s.shares = 100;  // no trade amount: not a holding
    EXPECT_EQ(UpdateStockArrow(s), IMG_ARROW_LARGE_RISE);
    EXPECT_EQ(s.iconIndexMode, 0);

    // With holdings: against the average trade price (1010), negated for a short position.
    s.iconIndexMode = 1;
    s.cost = 101000 * kYen;
    EXPECT_EQ(UpdateStockArrow(s), IMG_ARROW_SMALL_RISE);
    s.tradeMode = TRADE_MARGIN_SELL;
    EXPECT_EQ(UpdateStockArrow(s), IMG_ARROW_SMALL_FALL);
    EXPECT_EQ(s.iconIndexMode, 1);

    // Against the target, with or without holdings.
    s.iconIndexMode = 2;
    s.targetPrice = 1020 * kYen;
    EXPECT_EQ(UpdateStockArrow(s), IMG_ARROW_FALL);
    s.shares = 0;
    EXPECT_EQ(UpdateStockArrow(s), IMG_ARROW_FALL);

    s.status = STATUS_CHECKING;  // no quote bit
    EXPECT_EQ(UpdateStockArrow(s), IMG_ARROW_NO_QUOTE);
}

TEST(StockIconCode, MarksFramesAndWaitingCodes) {
    EXPECT_EQ(StatusMark(STATUS_UPDATED | STATUS_OUT_OF_HOURS), IMG_MARK_OUT_OF_HOURS);
    EXPECT_EQ(StatusMark(STATUS_OFFLINE), IMG_MARK_OFFLINE);
    EXPECT_EQ(StatusMark(STATUS_UPDATED | STATUS_FAILED), IMG_MARK_FAILED);
    EXPECT_EQ(StatusMark(STATUS_CHECKING), IMG_MARK_CHECKING);
    EXPECT_EQ(StatusMark(STATUS_UPDATED), kNoMark);
    EXPECT_EQ(StatusMark(STATUS_NONE), IMG_MARK_OFFLINE);
    EXPECT_EQ(OverallStatusMark(STATUS_NONE), kNoMark);
    EXPECT_EQ(OverallStatusMark(STATUS_FAILED), IMG_MARK_FAILED);

    QuotedStock s;
    s.arrowImage = IMG_ARROW_RISE;
    EXPECT_EQ(StockIconCode(s, kBoolFlags1HoldingFrame), 0xFFFF0010u);
    s.status = STATUS_UPDATED | STATUS_CHECKING;
    EXPECT_EQ(StockIconCode(s, 0), 0xFF010010u);
    s.shares = 100;
    EXPECT_EQ(StockIconCode(s, kBoolFlags1HoldingFrame), 0x01100006u);
    s.status = STATUS_UPDATED;
    EXPECT_EQ(StockIconCode(s, kBoolFlags1HoldingFrame), 0xFF100006u);
    EXPECT_EQ(WaitingIconCode(s, kBoolFlags1HoldingFrame), kIconNoQuoteHolding);
    EXPECT_EQ(WaitingIconCode(s, 0), kIconNoQuote);

    EXPECT_EQ(SjisToUtf8(WaitingTip(s)), "Quotrix! - [7203.T] データ待ち...");
    CStockMan fx("usd");
    EXPECT_EQ(SjisToUtf8(WaitingTip(fx)), "Quotrix! - [USDJPY=X] データ待ち...");
}

TEST(ShowStateFor, EveryShowModeInsideAndOutside) {
    struct Case {
        std::uint32_t mode;
        std::uint8_t outside, inside;
    };
    for (const Case c : {Case{0, 0, 0}, Case{1, 1, 1}, Case{2, 1, 0}, Case{3, 0, 1}, Case{20, 20, 20}, Case{21, 20, 0},
                         Case{22, 0, 20}}) {
        std::uint8_t state = 99;
        ASSERT_TRUE(ShowStateFor(c.mode, 0, state));
        EXPECT_EQ(state, c.outside) << c.mode;
        ASSERT_TRUE(ShowStateFor(c.mode, 2, state));
        EXPECT_EQ(state, c.outside) << c.mode;
        ASSERT_TRUE(ShowStateFor(c.mode, 1, state));
        EXPECT_EQ(state, c.inside) << c.mode;
    }
    std::uint8_t state = 99;
    EXPECT_FALSE(ShowStateFor(4, 1, state));
    EXPECT_EQ(state, 99);
}

}  // namespace
}  // namespace quotrix
