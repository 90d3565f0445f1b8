#include "dialogs/StockPages.h"

#include <algorithm>

#include "app/DisplayTexts.h"
#include "platform/TextCodec.h"

namespace quotrix {

// --- display ---

void DisplayPageModel::Load(const CStockParams& params) {
    switch (params.showMode) {
        case 0:
            choice = SHOW_NEVER;
            desktop = false;
            break;
        case 2:
        case 21:
            choice = SHOW_OUTSIDE;
            desktop = params.showMode == 21;
            break;
        case 3:
        case 22:
            choice = SHOW_INSIDE;
            desktop = params.showMode == 22;
            break;
        case 20:
            choice = SHOW_ALWAYS;
            desktop = true;
            break;
        default:
            choice = SHOW_ALWAYS;
            desktop = false;
            break;
    }
    border = (params.fileFlags & 0x1) != 0;
    inPortfolio = (params.fileFlags & FILEFLAG_PORTFOLIO) != 0;
    balloon = (params.fileFlags & FILEFLAG_BALLOON) != 0;
}

std::uint8_t DisplayPageModel::ShowMode() const {
    switch (choice) {
        case SHOW_NEVER:
            return 0;
        case SHOW_OUTSIDE:
            return desktop ? 21 : 2;
        case SHOW_INSIDE:
            return desktop ? 22 : 3;
        default:
            return desktop ? 20 : 1;
    }
}

std::string DisplayPageModel::WatchRangeText(PriceValue lower, PriceValue upper) {
    std::string low, high;
    FormatPrice(std::min(lower, upper), low, FMT_GROUP);
    FormatPrice(std::max(lower, upper), high, FMT_GROUP);
    return low + SJIS("円 ～ ") + high + SJIS("円");
}

void DisplayPageModel::Store(CStockParams& params, bool storePortfolio) const {
    params.showMode = ShowMode();
    auto set = [&](std::uint32_t bit, bool on) {
        params.fileFlags = on ? params.fileFlags | bit : params.fileFlags & ~bit;
    };
    set(0x1, border);
    set(FILEFLAG_BALLOON, balloon);
    if (storePortfolio) set(FILEFLAG_PORTFOLIO, inPortfolio);
}

// --- icon ---

void IconPageModel::Load(const CStockParams& params) {
    yen = {params.curPlusHigh, params.curPlusLow, params.curMinusLow, params.curMinusHigh};
    percentSteps = {params.perPlusHigh, params.perPlusLow, params.perMinusLow, params.perMinusHigh};
    percent = params.percentFlag;
    reference = params.iconIndexMode <= 2 ? params.iconIndexMode : 2;
}

std::array<std::string, 4> IconPageModel::BoxTexts() const {
    std::array<std::string, 4> texts;
    for (std::size_t i = 0; i < 4; ++i)
        texts[i] = percent ? AmountBoxText(static_cast<PriceValue>(percentSteps[i]) * 100) : AmountBoxText(yen[i]);
    return texts;
}

std::optional<InputProblem> IconPageModel::SetBoxTexts(const std::array<std::string, 4>& texts) {
    std::array<PriceValue, 4> read{};
    for (std::size_t i = 0; i < 4; ++i) {
        const Amount value = ParseAmountText(texts[i]);
        // A step is a distance: a negative one would turn the arrows around.
        const bool fits = value && *value >= 0 && (!percent || *value / 100 <= 0xFFFFFFFF);
        if (!fits) return InputProblem{static_cast<int>(i), NotAmountMessage()};
        read[i] = *value;
    }
    for (std::size_t i = 0; i < 4; ++i) {
        if (percent)
            percentSteps[i] = static_cast<std::uint32_t>(read[i] / 100);
        else
            yen[i] = read[i];
    }
    return std::nullopt;
}

void IconPageModel::SetHoldingPresent(bool present) {
    holdingPresent = present;
    if (!present && reference == 1) reference = 0;
}

void IconPageModel::SetReference(std::uint8_t value) {
    reference = value <= 2 ? value : 0;
    if (reference == 1 && !holdingPresent) reference = 0;
}

void IconPageModel::LoadStandard(const ArrowThresholds& steps, std::uint8_t value) {
    yen = {steps.curPlusHigh, steps.curPlusLow, steps.curMinusLow, steps.curMinusHigh};
    percentSteps = {steps.perPlusHigh, steps.perPlusLow, steps.perMinusLow, steps.perMinusHigh};
    percent = steps.percentFlag;
    SetReference(value);
}

void IconPageModel::LoadRecommended() {
    yen = {10 * kYen, 5 * kYen, 5 * kYen, 10 * kYen};
    percent = false;
    reference = 0;
}

const std::string& IconPageModel::UnitText(int row) const {
    const bool rise = row < 2;
    if (percent) return rise ? SJIS("％上昇") : SJIS("％低下");
    return rise ? SJIS("円上昇") : SJIS("円低下");
}

const std::string& IconPageModel::Caption() const {
    if (reference == 1) return SJIS("売買単価から:");
    if (reference == 2) return SJIS("目標株価から:");
    return SJIS("前日終値から:");
}

const std::string& IconPageModel::Explanation() const {
    if (reference == 1) return SJIS("矢印は１株あたりの損益を示します。");
    if (reference == 2) return SJIS("矢印は目標株価からの上下を示します。");
    return SJIS("矢印は株価の前日終値からの上下を示します。");
}

void IconPageModel::Store(CStockParams& params) const {
    params.curPlusHigh = std::max(yen[0], yen[1]);
    params.curPlusLow = std::min(yen[0], yen[1]);
    params.curMinusHigh = std::max(yen[2], yen[3]);
    params.curMinusLow = std::min(yen[2], yen[3]);
    params.perPlusHigh = std::max(percentSteps[0], percentSteps[1]);
    params.perPlusLow = std::min(percentSteps[0], percentSteps[1]);
    params.perMinusHigh = std::max(percentSteps[2], percentSteps[3]);
    params.perMinusLow = std::min(percentSteps[2], percentSteps[3]);
    params.percentFlag = percent;
    params.iconIndexMode = reference;
}

// --- watch ---

void WatchPageModel::Load(const CStockParams& params) {
    lower = params.dispLower;
    upper = params.dispUpper;
    target = params.targetPrice;
    highlight = (params.fileFlags & FILEFLAG_ALERT_INSIDE) ? 2 : (params.fileFlags & FILEFLAG_ALERT_OUTSIDE) ? 1 : 0;
    targetHighlight = (params.fileFlags & FILEFLAG_ALERT_TARGET) != 0;
    targetShown = (params.fileFlags & 0x100) != 0;
}

std::optional<InputProblem> WatchPageModel::SetTexts(const std::string& lowerText, const std::string& upperText,
                                                     const std::string& targetText) {
    const Amount low = ParseAmountText(lowerText);
    if (!low) return InputProblem{FIELD_LOWER, NotAmountMessage()};
    const Amount high = ParseAmountText(upperText);
    if (!high) return InputProblem{FIELD_UPPER, NotAmountMessage()};
    const Amount aim = ParseAmountText(targetText);
    if (!aim) return InputProblem{FIELD_TARGET, NotAmountMessage()};
    lower = *low;
    upper = *high;
    target = *aim;
    return std::nullopt;
}

void WatchPageModel::Store(CStockParams& params) const {
    // The range is compared as lower <= price <= upper: keep the bounds in that order.
    params.dispLower = std::min(lower, upper);
    params.dispUpper = std::max(lower, upper);
    params.targetPrice = target;
    std::uint32_t flags = params.fileFlags & ~0xF00u;
    if (targetShown) flags |= 0x100;
    if (targetHighlight) flags |= FILEFLAG_ALERT_TARGET;
    if (highlight == 1) flags |= FILEFLAG_ALERT_OUTSIDE;
    if (highlight == 2) flags |= FILEFLAG_ALERT_INSIDE;
    params.fileFlags = flags;
}

// --- desktop items ---

const std::array<DeskItem, 17>& DeskItems() {
    static const std::array<DeskItem, 17> items = {{{0, "銘柄名"},
                                                    {1, "更新時刻"},
                                                    {2, "株価"},
                                                    {3, "前日比"},
                                                    {4, "出来高"},
                                                    {5, "損益"},
                                                    {6, "前日値"},
                                                    {7, "始値"},
                                                    {8, "高値"},
                                                    {9, "安値"},
                                                    {10, "株数"},
                                                    {11, "売買単価"},
                                                    {14, "配当"},
                                                    {15, "PER"},
                                                    {16, "EPS"},
                                                    {17, "PBR"},
                                                    {31, "株価バー"}}};
    return items;
}

namespace {
std::uint32_t BoxedBits() {
    std::uint32_t mask = 0;
    for (const DeskItem& item : DeskItems()) mask |= 1u << item.bit;
    return mask;
}
}  // namespace

void DeskItemsPageModel::Load(const CStockParams& params, std::uint32_t mode) {
    flags = params.desktopTxtFlags;
    textMode = mode <= 2 ? mode : 0;
}

void DeskItemsPageModel::SetItem(int bit, bool on) {
    if (bit < 0 || bit > 31) return;
    flags = on ? flags | (1u << bit) : flags & ~(1u << bit);
}

void DeskItemsPageModel::Simple() { flags = (flags & ~BoxedBits()) | 0x1u | 0x2u | 0x4u | 0x8u | 0x20u | 0x80000000u; }

void DeskItemsPageModel::MatchPortfolio(std::uint32_t portfolioFlags, bool priceBar) {
    constexpr std::uint32_t kCopied = 0x7FFFF;  // bits 0 to 18
    flags = (flags & ~kCopied & ~0x80000000u) | (portfolioFlags & kCopied) | (priceBar ? 0x80000000u : 0);
}

void DeskItemsPageModel::Store(CStockParams& params, std::uint32_t& mode) const {
    params.desktopTxtFlags = flags;
    mode = textMode;
}

// --- the sheet ---

std::string StockSheetTitle(const CStockMan& stock, bool removeCompanyMark) {
    std::string name = stock.name;
    if (removeCompanyMark) RemoveCompanyMark(name, SJIS("(株)"), SJIS("（株）"));
    return name + " (" + stock.codeText + (stock.IsCurrency() ? "" : MarketSuffix(stock.market)) +
           SJIS(") のプロパティ");
}

StockSavedFields StockSavedFields::Of(const CStockMan& stock) {
    StockSavedFields fields;
    fields.params = stock;
    fields.shares = stock.shares;
    fields.cost = stock.cost;
    fields.market = stock.market;
    fields.name = stock.name;
    fields.namePending = (stock.status & kNamePending) != 0;
    fields.desktopTxtMode = stock.desktopTxtMode;
    return fields;
}

void StockSheetModel::Load(const CStockMan& stock) {
    trade.Load(stock);
    display.Load(stock);
    icon.Load(stock);
    icon.SetHoldingPresent(trade.shares != 0 && trade.cost > 0);
    watch.Load(stock);
    desk.Load(stock, stock.desktopTxtMode);
}

TradeStoreResult StockSheetModel::StoreAll(CStockMan& stock, PriceValue& cashBalance, std::uint32_t cashSwitches) {
    const StockSavedFields before = StockSavedFields::Of(stock);
    TradeStoreResult result = trade.Store(stock, cashBalance, cashSwitches);
    icon.Store(stock);
    if (!result.holdingStored && stock.iconIndexMode == 1) stock.iconIndexMode = 0;
    std::uint32_t mode = stock.desktopTxtMode;
    desk.Store(stock, mode);
    stock.desktopTxtMode = static_cast<std::uint8_t>(mode);
    watch.Store(stock);
    display.Store(stock, false);
    result.fileChanged = result.balanceDelta != 0 || !(before == StockSavedFields::Of(stock));
    return result;
}

}  // namespace quotrix
