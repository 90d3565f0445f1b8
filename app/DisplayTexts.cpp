#include "app/DisplayTexts.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "files/StockRecord.h"
#include "icons/IconCache.h"
#include "icons/StockIconCtrl.h"
#include "model/Stock.h"
#include "model/StockMan.h"
#include "platform/TextCodec.h"
#include "settings/AppSettings.h"
#include "update/RunningTotals.h"

namespace quotrix {

namespace {

inline constexpr std::uint32_t kNameGrouping = 0x1;
inline constexpr std::uint32_t kNameNoCompanyMark = 0x2;
inline constexpr std::uint32_t kNameMarketSuffix = 0x4;
inline constexpr std::uint32_t kNewBoolean1ShortNames = 0x2;
inline constexpr std::uint32_t kNewBoolean1ShortTrayName = 0x4;
inline constexpr std::uint32_t kBoolFlags1TotalIcon = 0x100;
inline constexpr std::uint32_t kBoolFlags1TitleTip = 0x8000;
inline constexpr std::uint32_t kBoolFlags1DetailTips = 0x20000;
inline constexpr std::uint32_t kBoolFlags2NoTradeMark = 0x8;
inline constexpr std::uint32_t kBoolFlags2NoTargetDistance = 0x400;
inline constexpr std::uint32_t kBoolFlags2NoPercent = 0x800;
inline constexpr std::uint32_t kOtherVolumeOnTray = 0x1;
inline constexpr std::uint32_t kOtherProfitOnTray = 0x2;
inline constexpr std::uint32_t kMaxStkNameMax = 255;
inline constexpr std::uint32_t kFileFlagShowTarget = 0x100;

// The tip line of each value record: text before and after the value (record 9 has none).
struct TipLine {
    const char* before;
    const char* after;
};
constexpr TipLine kTipLines[14] = {
    {"\r\n出来高: ", ""},   {"\r\n損   益: ", ""},    {"\r\n前終値: ", ""},  {"\r\n始   値: ", ""},
    {"\r\n高   値: ", ""},  {"\r\n安   値: ", ""},    {"\r\n株   数: ", ""}, {"\r\n取引単価: ", ""},
    {"\r\n目標株価: ", ""}, {nullptr, nullptr},       {"\r\n配   当: ", ""}, {"\r\nＰ Ｅ Ｒ: ", "倍"},
    {"\r\nＥ Ｐ Ｓ: ", ""}, {"\r\nＰ Ｂ Ｒ: ", "倍"},
};

const std::string& TipLinePart(std::size_t record, bool before) {
    static const auto converted = [] {
        std::array<std::array<std::string, 2>, 14> parts;
        for (std::size_t i = 0; i < 14; ++i) {
            if (!kTipLines[i].before) continue;
            parts[i][0] = Utf8ToSjis(kTipLines[i].before);
            parts[i][1] = Utf8ToSjis(kTipLines[i].after);
        }
        return parts;
    }();
    return converted[record][before ? 0 : 1];
}

void ClearText(NumberText& t) {
    t.text.clear();
    t.fractionLength = 0;
    t.negative = false;
}

void SetText(NumberText& t, std::string text, bool negative = false) {
    t.text = std::move(text);
    t.fractionLength = 0;
    t.negative = negative;
}

void SetPriceText(NumberText& t, PriceValue value, unsigned flags) {
    t.fractionLength = 0;
    t.SetPrice(value, flags);
}

// For texts that carry more than a number: everything after the integer digits counts as the
// fraction, so that the portfolio lines such columns up on their integer parts.
std::int32_t TailAfterInteger(const std::string& text, std::size_t from) {
    std::size_t i = from;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    while (i < text.size() && ((text[i] >= '0' && text[i] <= '9') || text[i] == ',')) ++i;
    return static_cast<std::int32_t>(text.size() - std::min(i, text.size()));
}

std::string CountText(std::uint32_t count, unsigned group) {
    std::string out;
    return FormatCount(static_cast<std::int32_t>(count), out, group);
}

std::string PriceText(PriceValue value, unsigned flags) {
    std::string out;
    return FormatPrice(value, out, flags);
}

// The signed change, and unless switched off its percentage of `base`.
std::string ChangeText(PriceValue change, PriceValue base, unsigned group, bool noPercent) {
    std::string out = PriceText(change, FMT_SIGN | group);
    if (noPercent) return out;
    if (base > 0) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "  %+.2f%%", static_cast<double>(change) * 100.0 / static_cast<double>(base));
        out += buf;
    } else {
        out += "    ---%";
    }
    return out;
}

// Two's-complement arithmetic: a damaged file may hold any price or share count.
PriceValue Mul(PriceValue price, std::uint32_t count) {
    return static_cast<PriceValue>(static_cast<std::uint64_t>(price) * count);
}
PriceValue Sub(PriceValue a, PriceValue b) {
    return static_cast<PriceValue>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}

}  // namespace

bool IsSjisLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

std::size_t SjisPrefixLength(const std::string& text, std::size_t maxBytes) {
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t width = IsSjisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + width > maxBytes) break;
        i += width;
    }
    return std::min(i, text.size());
}

// Removes the first company mark, narrow or wide, whichever comes first. The scan steps over
// whole characters: the wide mark's bytes can also appear across two other characters.
void RemoveCompanyMark(std::string& name, const std::string& narrow, const std::string& wide) {
    for (std::size_t i = 0; i < name.size();) {
        for (const std::string* mark : {&narrow, &wide}) {
            if (!mark->empty() && name.compare(i, mark->size(), *mark) == 0) {
                name.erase(i, mark->size());
                return;
            }
        }
        i += IsSjisLeadByte(static_cast<unsigned char>(name[i])) ? 2 : 1;
    }
}

namespace {

void SetFlag(std::uint16_t& word, std::uint16_t bit, bool on) {
    word = static_cast<std::uint16_t>(on ? (word | bit) : (word & ~bit));
}

}  // namespace

DisplayOptions DisplayOptionsFrom(const AppSettings& settings) {
    DisplayOptions o;
    o.nameOptions = settings.nameOptions;
    o.tipTextFlags = settings.itemFlags.tipText;
    o.otherItemFlags = settings.itemFlags.other;
    o.boolFlags1 = settings.boolFlags1;
    o.boolFlags2 = settings.boolFlags2;
    o.newBoolean1 = settings.newBoolean1;
    o.stkNameMax = settings.stkNameMax;
    return o;
}

CStockTipCtrl::CStockTipCtrl() : companyMark(SJIS("(株)")), companyMarkWide(SJIS("（株）")) {}

const std::string& CStockTipCtrl::BuildStockTexts(CStockMan& stock) const {
    auto& v = stock.valueTexts;
    auto& out = stock.displayStrings;
    const DisplayOptions& o = options;
    const unsigned group = (o.nameOptions & kNameGrouping) ? static_cast<unsigned>(FMT_GROUP) : 0u;

    std::string code = stock.codeText;
    if (!(stock.market & 0x80)) code += MarketSuffix(stock.market);
    SetText(v[TEXT_CODE], code);
    const std::string& suffix = StatusSuffix(stock.status);

    if (!(stock.status & STATUS_UPDATED)) {
        out[DISPLAY_TRAY_TIP] = code + " " + suffix;
        out[DISPLAY_TIP_TEXT] = out[DISPLAY_TRAY_TIP];
        out[DISPLAY_DESKTOP_TEXT] = out[DISPLAY_TRAY_TIP];
        stock.arrowImage = IMG_ARROW_NO_QUOTE;
        stock.displayFlag |= DISPFLAG_TEXTS_CHANGED;
        return out[DISPLAY_TRAY_TIP];
    }

    // Names.
    std::string shown = stock.name;
    if (o.nameOptions & kNameNoCompanyMark) RemoveCompanyMark(shown, companyMark, companyMarkWide);
    std::string shortName;
    if (o.newBoolean1 & (kNewBoolean1ShortNames | kNewBoolean1ShortTrayName)) {
        const std::size_t limit = 2 * static_cast<std::size_t>(std::min(o.stkNameMax, kMaxStkNameMax));
        shortName = shown;
        if (shown.size() > limit) {
            shortName.resize(SjisPrefixLength(shown, limit));
            if (shortName.size() != shown.size()) shortName += "...";
        }
    }
    if (o.nameOptions & kNameMarketSuffix) {
        const char* marketSuffix = MarketSuffix(stock.market);
        shown += marketSuffix;
        if (!shortName.empty()) shortName += marketSuffix;
    }

    // Value records.
    SetText(v[TEXT_TIME], stock.updateTime);
    SetPriceText(v[TEXT_PRICE], stock.price, group);
    SetPriceText(v[TEXT_PREV_CLOSE], stock.prevClose, group);
    SetPriceText(v[TEXT_OPEN], stock.open, group);
    SetPriceText(v[TEXT_HIGH], stock.high, group);
    SetPriceText(v[TEXT_LOW], stock.low, group);
    SetText(v[TEXT_VOLUME], CountText(stock.volume, group));
    if (stock.dividendYield > 0) {
        v[TEXT_DIVIDEND].fractionLength = 0;
        v[TEXT_DIVIDEND].SetRatio(stock.dividendYield, group);
        v[TEXT_DIVIDEND].text += "%";
        v[TEXT_DIVIDEND].fractionLength += 1;
    } else {
        ClearText(v[TEXT_DIVIDEND]);
    }
    if (stock.per != 0) {
        v[TEXT_PER].fractionLength = 0;
        v[TEXT_PER].SetRatio(stock.per, group);
    } else {
        ClearText(v[TEXT_PER]);
    }
    if (stock.pbr != 0) {
        v[TEXT_PBR].fractionLength = 0;
        v[TEXT_PBR].SetRatio(stock.pbr, group);
    } else {
        ClearText(v[TEXT_PBR]);
    }
    if (stock.eps != 0)
        SetPriceText(v[TEXT_EPS], stock.eps, group);
    else
        ClearText(v[TEXT_EPS]);
    if (stock.fileFlags & kFileFlagShowTarget) {
        SetPriceText(v[TEXT_TARGET], stock.targetPrice, group);
        if (o.boolFlags2 & kBoolFlags2NoTargetDistance) {
            ClearText(v[TEXT_TARGET_DISTANCE]);
        } else {
            const PriceValue distance = Sub(stock.price, stock.targetPrice);
            std::string text = " (" + PriceText(distance, FMT_SIGN | group) + ")";
            v[TEXT_TARGET_DISTANCE].fractionLength = TailAfterInteger(text, 2);
            v[TEXT_TARGET_DISTANCE].text = std::move(text);
            v[TEXT_TARGET_DISTANCE].negative = distance < 0;
        }
    } else {
        ClearText(v[TEXT_TARGET]);
        ClearText(v[TEXT_TARGET_DISTANCE]);
    }

    SetFlag(stock.displayWord, DISPWORD_FALLING, stock.change < 0);

    // Change.
    const std::string change =
        ChangeText(stock.change, stock.prevClose, group, (o.boolFlags2 & kBoolFlags2NoPercent) != 0);
    {
        std::string bracketed = "(" + change + ")";
        v[TEXT_CHANGE].fractionLength = TailAfterInteger(bracketed, 1);
        v[TEXT_CHANGE].text = std::move(bracketed);
        v[TEXT_CHANGE].negative = stock.change < 0;
    }

    // Tray tip.
    const std::string& trayName =
        ((o.newBoolean1 & kNewBoolean1ShortTrayName) && !shortName.empty()) ? shortName : shown;
    std::string tray = trayName + " " + stock.updateTime + " " + v[TEXT_PRICE].text + " (" + change + ")";
    if (stock.status != STATUS_UPDATED) tray += suffix;

    const bool volumeOnTray = (o.otherItemFlags & kOtherVolumeOnTray) && stock.volume != 0;
    const bool profitOnTray = (o.otherItemFlags & kOtherProfitOnTray) != 0;
    std::string trayMore;
    if (HasHoldings(stock)) {
        PriceValue profit = Sub(Mul(stock.price, stock.shares), stock.cost);
        if (stock.tradeMode & TRADE_SELL) profit = Sub(0, profit);
        SetFlag(stock.displayWord, DISPWORD_LOSS, profit < 0);
        std::string text = PriceText(profit, FMT_SIGN | group);
        char percent[64];
        std::snprintf(percent, sizeof percent, " (%+.2f%%)",
                      static_cast<double>(profit) * 100.0 / static_cast<double>(stock.cost));
        text += percent;
        v[TEXT_PROFIT].fractionLength = TailAfterInteger(text, 0);
        v[TEXT_PROFIT].text = std::move(text);
        v[TEXT_PROFIT].negative = profit < 0;
        if (o.boolFlags2 & kBoolFlags2NoTradeMark)
            ClearText(v[TEXT_TRADE_MARK]);
        else
            SetText(v[TEXT_TRADE_MARK], TradeModeText(stock.tradeMode));
        SetText(v[TEXT_SHARES], CountText(stock.shares, group));
        SetPriceText(v[TEXT_AVERAGE], stock.cost / stock.shares, group);
        UpdateStockArrow(stock);
        if (volumeOnTray)
            trayMore = profitOnTray ? SJIS(" 損益") + v[TEXT_PROFIT].text + SJIS(" 出来高 ") + v[TEXT_VOLUME].text
                                    : SJIS(" 出来高 ") + v[TEXT_VOLUME].text;
        else if (profitOnTray)
            trayMore = SJIS(" 損益") + v[TEXT_PROFIT].text;
    } else {
        ClearText(v[TEXT_PROFIT]);
        ClearText(v[TEXT_SHARES]);
        ClearText(v[TEXT_AVERAGE]);
        ClearText(v[TEXT_TRADE_MARK]);
        SetFlag(stock.displayWord, DISPWORD_LOSS, false);
        UpdateStockArrow(stock);
        if (volumeOnTray) trayMore = SJIS(" 出来高 ") + v[TEXT_VOLUME].text;
    }
    // A line of its own; the balloon alert takes the first line as its title.
    if (!trayMore.empty()) tray += "\n" + trayMore;
    out[DISPLAY_TRAY_TIP] = std::move(tray);

    // Tip text.
    const std::string& mark = v[TEXT_TRADE_MARK].text;
    const std::uint32_t f = o.tipTextFlags;
    std::string tip = shown + " ";
    if (f & 0x1) tip += "(" + code + ") ";
    if (f & 0x2) tip += stock.updateTime + " ";
    tip += mark;
    if (f & 0x4) tip += suffix;
    if (f & 0x8) tip += SJIS("\r\n株   価: ") + v[TEXT_PRICE].text + " " + change;
    // Bits 4 to 18 select the records; records 9 and 14 (the code) have no line.
    for (std::size_t i = 0; i < 14; ++i) {
        if (!(f & (1u << (4 + i)))) continue;
        const std::string& record = v[kValueRecordBase + i].text;
        const std::string& before = TipLinePart(i, true);
        if (record.empty() || before.empty()) continue;
        tip += before + record + TipLinePart(i, false);
    }
    out[DISPLAY_TIP_TEXT] = std::move(tip);

    // Desktop text.
    const std::uint32_t d = stock.desktopTxtFlags;
    std::string desk;
    if ((d & 0x1) && !shown.empty()) desk += shown;
    if ((d & 0x2) && !stock.updateTime.empty()) desk += " " + stock.updateTime;
    if ((d & 0x4) && !v[TEXT_PRICE].text.empty()) desk += " " + v[TEXT_PRICE].text;
    if ((d & 0x8) && !v[TEXT_CHANGE].text.empty()) desk += v[TEXT_CHANGE].text;
    if ((d & 0x10) && !v[TEXT_VOLUME].text.empty()) desk += SJIS(" 出来高") + v[TEXT_VOLUME].text;
    if ((d & 0x20) && !v[TEXT_PROFIT].text.empty()) desk += SJIS(" 損益") + v[TEXT_PROFIT].text;
    if (!mark.empty()) desk += " " + mark;
    out[DISPLAY_DESKTOP_TEXT] = std::move(desk);

    const bool useShort = (o.newBoolean1 & kNewBoolean1ShortNames) && !shortName.empty();
    SetText(v[TEXT_NAME], useShort ? shortName : shown);
    stock.displayFlag |= DISPFLAG_TEXTS_CHANGED;
    return out[DISPLAY_TRAY_TIP];
}

TotalsTexts BuildTotals(const TotalsInput& in, const DisplayOptions& o) {
    const unsigned group = (o.nameOptions & kNameGrouping) ? static_cast<unsigned>(FMT_GROUP) : 0u;
    PriceValue total = in.value;
    if (in.balanceShown) total = static_cast<PriceValue>(static_cast<std::uint64_t>(total) + in.balance);
    const std::string totalText = PriceText(total, group);
    const std::string changeText =
        ChangeText(in.change, Sub(total, in.change), group, (o.boolFlags2 & kBoolFlags2NoPercent) != 0);
    const std::string profitText = PriceText(in.profit, FMT_SIGN | group);

    TotalsTexts out;
    out.totalsLine = SJIS("合計 ") + totalText + " (" + changeText + ")";
    if (in.balanceShown) out.totalsLine += SJIS(" [内 残高 ") + PriceText(in.balance, group) + "]";
    out.totalsLine += SJIS(" 損益 ") + profitText;

    if (in.incomplete || in.dispTotal == 0) {
        out.appTip = "Quotrix!";
        out.arrow = 0;
    } else {
        char count[32];
        std::snprintf(count, sizeof count, "  %u", static_cast<unsigned>(in.counted));
        out.appTip = out.totalsLine + count + SJIS("銘柄");
        const PriceValue difference = (in.arrowMode & 0x2) ? in.profit : in.change;
        out.arrow = ChooseArrow(in.thresholds, difference, total);
    }

    const std::uint32_t mark = OverallStatusMark(in.overallKind);
    if ((o.boolFlags1 & kBoolFlags1TotalIcon) && out.arrow != 0)
        out.appIcon = MakeIconCode(IMG_TOTALS_FRAME, out.arrow, mark);
    else
        out.appIcon = MakeIconCode(out.arrow != 0 ? out.arrow : IMG_APPLICATION, mark);

    out.showState = in.dispTotal;
    // With nothing else on screen the program must stay reachable.
    if (!in.portfolioVisible && !in.anyStockIconShown) out.showState = SHOW_TRAY;
    return out;
}

std::uint32_t MergeOverallKind(std::uint32_t overall, std::uint32_t status) {
    const std::uint32_t kind = status & 0x3C;
    if (overall == STATUS_CHECKING) return overall;
    switch (kind) {
        case STATUS_CHECKING:
        case STATUS_FAILED:
            return kind;
        case STATUS_OUT_OF_HOURS:
        case STATUS_OFFLINE:
            return overall == STATUS_FAILED ? overall : kind;
        default:
            return overall;
    }
}

std::uint32_t OverallStatusKind(const StockList& stocks) {
    std::uint32_t overall = 0;
    for (const auto& stock : stocks) overall = MergeOverallKind(overall, stock->status);
    return overall;
}

std::uint32_t OverallStatusKind(const RunningTotals& sums, const StockList& stocks) {
    if (sums.StocksOfKind(STATUS_CHECKING) > 0) return STATUS_CHECKING;
    if (sums.StocksOfKind(STATUS_FAILED) > 0) return STATUS_FAILED;
    const bool outOfHours = sums.StocksOfKind(STATUS_OUT_OF_HOURS) > 0;
    const bool offline = sums.StocksOfKind(STATUS_OFFLINE) > 0;
    if (!outOfHours || !offline) return outOfHours ? STATUS_OUT_OF_HOURS : offline ? STATUS_OFFLINE : 0;
    // Both are present: the later one in the list wins.
    for (auto it = stocks.rbegin(); it != stocks.rend(); ++it) {
        const std::uint32_t kind = (*it)->status & 0x3C;
        if (kind == STATUS_OUT_OF_HOURS || kind == STATUS_OFFLINE) return kind;
    }
    return 0;
}

TotalsInput GatherTotals(const RunningTotals& sums, const StockList& stocks, const AppSettings& settings,
                         const TotalsContext& context) {
    TotalsInput in;
    in.value = sums.Value();
    in.change = sums.Change();
    in.profit = sums.Profit();
    in.counted = sums.Counted();
    in.incomplete = sums.Incomplete();
    in.overallKind = OverallStatusKind(sums, stocks);
    in.balance = context.cashBalance;
    in.balanceShown = (context.cashSwitches & CASH_IN_TOTALS) != 0;
    in.dispTotal = settings.dispTotal;
    in.arrowMode = settings.totalArrowMode;
    in.thresholds = settings.totalThresholds;
    in.portfolioVisible = context.portfolioVisible;
    in.anyStockIconShown = std::any_of(stocks.begin(), stocks.end(),
                                       [](const auto& stock) { return stock->CurrentShow() != SHOW_HIDDEN; });
    return in;
}

bool ApplyTotalsIcon(CStockIconCtrl& appIcon, IconCache& cache, const TotalsTexts& totals) {
    const bool updated = appIcon.UpdateIcon(cache.GetIcon(totals.appIcon), totals.appTip);
    const bool shown = appIcon.SetShow(totals.showState);
    return updated && shown;
}

namespace {
void CutAnswer(std::string& answer) { answer.resize(SjisPrefixLength(answer, kTipAnswerMax)); }
}  // namespace

bool GetTipText(const DisplayOptions& o, std::uint32_t toolId, bool rolledUp, bool totalsIncomplete,
                const std::string& totalsLine, const std::vector<const CStockMan*>& rows, std::string& answer) {
    if (!(o.boolFlags1 & kBoolFlags1DetailTips)) return false;
    if (toolId == kTitleToolId) {
        if (!rolledUp || !(o.boolFlags1 & kBoolFlags1TitleTip)) return false;
        answer = totalsIncomplete ? SJIS("Quotrix!\r\nデータ集計待ち...") : totalsLine;
    } else if (toolId >= kFirstRowToolId && toolId - kFirstRowToolId < rows.size() && rows[toolId - kFirstRowToolId]) {
        answer = rows[toolId - kFirstRowToolId]->displayStrings[DISPLAY_TIP_TEXT];
    } else {
        return false;
    }
    CutAnswer(answer);
    return true;
}

std::string DesktopTipText(const CStockMan& stock) {
    std::string answer = stock.displayStrings[DISPLAY_TIP_TEXT];
    CutAnswer(answer);
    return answer;
}

}  // namespace quotrix
