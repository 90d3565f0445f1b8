#include "icons/StockIcon.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

#include "icons/StockIconCtrl.h"
#include "model/StockMan.h"
#include "platform/TextCodec.h"

namespace quotrix {

namespace {

// Products of a percent step and a reference wrap instead of overflowing: a damaged file may
// hold any reference value, and the answer must stay defined.
std::int64_t PercentOf(std::uint32_t step, PriceValue reference, std::int64_t divisor) {
    const auto product =
        static_cast<std::int64_t>(static_cast<std::uint64_t>(step) * static_cast<std::uint64_t>(reference));
    return product / divisor;
}

PriceValue NotNegative(PriceValue v) { return v < 0 ? 0 : v; }

std::uint32_t ToPercentStep(PriceValue v) {
    const PriceValue step = (std::min<PriceValue>(v, std::numeric_limits<PriceValue>::max() - 50) + 50) / 100;
    return static_cast<std::uint32_t>(std::min<PriceValue>(step, std::numeric_limits<std::uint32_t>::max()));
}

}  // namespace

std::uint32_t ChooseArrow(const ArrowThresholds& t, PriceValue d, PriceValue r) {
    if (!t.percentFlag) {
        if (d <= -t.curMinusHigh) return IMG_ARROW_LARGE_FALL;
        if (d <= -t.curMinusLow) return IMG_ARROW_FALL;
        if (d < 0) return IMG_ARROW_SMALL_FALL;
        if (d == 0) return IMG_ARROW_UNCHANGED;
        if (d < t.curPlusLow) return IMG_ARROW_SMALL_RISE;
        if (d >= t.curPlusHigh) return IMG_ARROW_LARGE_RISE;
        return IMG_ARROW_RISE;
    }
    if (d == 0) return IMG_ARROW_UNCHANGED;
    if (d <= PercentOf(t.perMinusHigh, r, -10000)) return IMG_ARROW_LARGE_FALL;
    if (d <= PercentOf(t.perMinusLow, r, -10000)) return IMG_ARROW_FALL;
    if (d < 0) return IMG_ARROW_SMALL_FALL;
    if (d < PercentOf(t.perPlusLow, r, 10000)) return IMG_ARROW_SMALL_RISE;
    if (d >= PercentOf(t.perPlusHigh, r, 10000)) return IMG_ARROW_LARGE_RISE;
    return IMG_ARROW_RISE;
}

void SetThresholds(ArrowThresholds& t, PriceValue plusHigh, PriceValue plusLow, PriceValue minusLow,
                   PriceValue minusHigh, bool percent) {
    plusHigh = NotNegative(plusHigh);
    plusLow = NotNegative(plusLow);
    minusLow = NotNegative(minusLow);
    minusHigh = NotNegative(minusHigh);
    if (plusHigh < plusLow) std::swap(plusHigh, plusLow);
    if (minusHigh < minusLow) std::swap(minusHigh, minusLow);
    t.percentFlag = percent;
    if (!percent) {
        t.curPlusHigh = plusHigh;
        t.curPlusLow = plusLow;
        t.curMinusLow = minusLow;
        t.curMinusHigh = minusHigh;
        return;
    }
    t.perPlusHigh = ToPercentStep(plusHigh);
    t.perPlusLow = ToPercentStep(plusLow);
    t.perMinusLow = ToPercentStep(minusLow);
    t.perMinusHigh = ToPercentStep(minusHigh);
}

void GetThresholds(const ArrowThresholds& t, bool percent, PriceValue& plusHigh, PriceValue& plusLow,
                   PriceValue& minusLow, PriceValue& minusHigh) {
    if (!percent) {
        plusHigh = t.curPlusHigh;
        plusLow = t.curPlusLow;
        minusLow = t.curMinusLow;
        minusHigh = t.curMinusHigh;
        return;
    }
    plusHigh = static_cast<PriceValue>(t.perPlusHigh) * 100;
    plusLow = static_cast<PriceValue>(t.perPlusLow) * 100;
    minusLow = static_cast<PriceValue>(t.perMinusLow) * 100;
    minusHigh = static_cast<PriceValue>(t.perMinusHigh) * 100;
}

bool HasHoldings(const CStock& stock) { return stock.shares != 0 && stock.cost > 0; }

std::uint32_t UpdateStockArrow(CStockMan& stock) {
    if (!(stock.status & STATUS_UPDATED)) return stock.arrowImage = IMG_ARROW_NO_QUOTE;
    PriceValue difference = stock.change;
    PriceValue reference = stock.prevClose;
    const bool holdings = HasHoldings(stock);
    if (stock.iconIndexMode == 1 && !holdings) stock.iconIndexMode = 0;
    if (stock.iconIndexMode == 1) {
        const PriceValue average = stock.cost / stock.shares;
        difference = stock.price - average;
        if (stock.tradeMode & TRADE_SELL) difference = -difference;
        reference = average;
    } else if (stock.iconIndexMode == 2) {
        difference = stock.price - stock.targetPrice;
        reference = stock.targetPrice;
    }
    return stock.arrowImage = ChooseArrow(stock, difference, reference);
}

std::uint32_t OverallStatusMark(std::uint32_t kind);

std::uint32_t StatusMark(std::uint32_t status) {
    const std::uint32_t mark = OverallStatusMark(status);
    if (mark != kNoMark) return mark;
    // No fetch state: a stock without a quote yet shows the offline mark.
    return (status & STATUS_UPDATED) ? kNoMark : IMG_MARK_OFFLINE;
}

std::uint32_t OverallStatusMark(std::uint32_t kind) {
    switch (kind & 0x3C) {
        case STATUS_OUT_OF_HOURS:
            return IMG_MARK_OUT_OF_HOURS;
        case STATUS_OFFLINE:
            return IMG_MARK_OFFLINE;
        case STATUS_FAILED:
            return IMG_MARK_FAILED;
        case STATUS_CHECKING:
            return IMG_MARK_CHECKING;
        default:
            return kNoMark;
    }
}

namespace {
bool UsesHoldingFrame(const CStock& stock, std::uint32_t boolFlags1) {
    return stock.shares != 0 && (boolFlags1 & kBoolFlags1HoldingFrame);
}
}  // namespace

IconCode StockIconCode(const CStockMan& stock, std::uint32_t boolFlags1) {
    const std::uint32_t arrow = static_cast<std::uint32_t>(stock.arrowImage);
    const std::uint32_t mark = StatusMark(stock.status);
    if (UsesHoldingFrame(stock, boolFlags1)) return MakeIconCode(IMG_HOLDING_FRAME, arrow, mark);
    return MakeIconCode(arrow, mark);
}

IconCode WaitingIconCode(const CStockMan& stock, std::uint32_t boolFlags1) {
    return UsesHoldingFrame(stock, boolFlags1) ? kIconNoQuoteHolding : kIconNoQuote;
}

std::string WaitingTip(const CStock& stock) {
    char buf[64];
    // Indices (codes beyond four digits) and currencies have no market of their own to show.
    if (stock.IsCurrency() || stock.code > 9999 || stock.code == 0) {
        return "Quotrix! - [" + stock.codeText + "] " + SJIS("データ待ち...");
    }
    std::snprintf(buf, sizeof buf, "Quotrix! - [%04u%s] ", static_cast<unsigned>(stock.code),
                  MarketSuffix(stock.market));
    return buf + SJIS("データ待ち...");
}

std::uint32_t WatchBand(const CStockMan& stock) {
    if (stock.price < stock.dispLower) return 0;
    if (stock.price > stock.dispUpper) return 2;
    return 1;
}

bool ShowStateFor(std::uint32_t showMode, std::uint32_t band, std::uint8_t& state) {
    const bool inside = band == 1;
    switch (showMode) {
        case 0:
            state = SHOW_HIDDEN;
            return true;
        case 1:
            state = SHOW_TRAY;
            return true;
        case 2:
            state = inside ? SHOW_HIDDEN : SHOW_TRAY;
            return true;
        case 3:
            state = inside ? SHOW_TRAY : SHOW_HIDDEN;
            return true;
        case 20:
            state = SHOW_DESKTOP;
            return true;
        case 21:
            state = inside ? SHOW_HIDDEN : SHOW_DESKTOP;
            return true;
        case 22:
            state = inside ? SHOW_DESKTOP : SHOW_HIDDEN;
            return true;
        default:
            return false;
    }
}

void ApplyWatchBand(CStockMan& stock) {
    const std::uint32_t band = WatchBand(stock);
    // A stock without a quote has no price to leave the range with: its band is recorded from
    // the first quote on, so that a stock that starts outside the range alerts once.
    if (stock.status & STATUS_UPDATED) {
        const std::uint32_t stored = stock.displayWord & DISPWORD_BAND_MASK;
        const bool changed = stored != band + 1;
        if (changed && band != 1)
            stock.displayWord |= DISPWORD_LEFT_RANGE;
        else
            stock.displayWord &= ~DISPWORD_LEFT_RANGE;
        stock.displayWord = static_cast<std::uint16_t>((stock.displayWord & ~DISPWORD_BAND_MASK) | (band + 1));
    }
    if ((stock.fileFlags & FILEFLAG_BALLOON) && (stock.displayWord & DISPWORD_LEFT_RANGE)) stock.SetBalloon(true);
    std::uint8_t state = 0;
    if (ShowStateFor(stock.showMode, band, state)) stock.SetShow(state);
    stock.displayWord &= ~DISPWORD_LEFT_RANGE;
    stock.SetBalloon(false);
}

bool ShowReleaseNotice(CStockIconCtrl& icon, const std::string& text) {
    icon.SetBalloon(true);
    // Already in the notification area, the new tip goes out with the balloon; otherwise the
    // icon comes in with it.
    bool shown = icon.SetTip(text);
    if (icon.RequestedShow() != SHOW_TRAY) shown = icon.SetShow(SHOW_TRAY);
    icon.SetBalloon(false);
    return shown;
}

void ReshowInTray(CStockIconCtrl& icon) {
    if (icon.RequestedShow() != SHOW_TRAY) return;
    icon.SetShow(SHOW_HIDDEN);
    icon.SetShow(SHOW_TRAY);
}

}  // namespace quotrix
