#include "dialogs/TradePage.h"

#include <cctype>

#include "platform/TextCodec.h"

namespace quotrix {

namespace {

std::string CountText(std::uint32_t count, bool group) {
    std::string text = std::to_string(count);
    if (group) GroupDigits(text);
    return text;
}

std::string PriceText(Amount value, bool group) {
    if (!value) return "-";  // beyond the amount range: nothing sensible to show
    std::string text;
    return FormatPrice(*value, text, group ? static_cast<unsigned>(FMT_GROUP) : 0u);
}

}  // namespace

// --- the page ---

void TradePageModel::Load(const CStockMan& stock) {
    name = stock.name.empty() ? SJIS("不明") : stock.name;
    code = stock.code;
    codeText = stock.codeText;
    editFlags = 0;
    if (stock.market >= 1 && stock.market <= 7) {
        market = stock.market;
    } else if (stock.market & MARKET_CURRENCY) {
        market = stock.market;
        editFlags |= TRADE_EDIT_CURRENCY;
    } else {
        market = 0;
    }
    shares = stock.shares;
    cost = stock.cost;
    tradeCash = stock.tradeCash;
    margin = (stock.tradeMode & 2) != 0;
    isShort = margin && (stock.tradeMode & 1) != 0;
    inPortfolio = (stock.fileFlags & FILEFLAG_PORTFOLIO) != 0;
    undoStack = stock.undoStack;
    redoStack = stock.redoStack;
}

void TradePageModel::PushHistory() {
    undoStack.push_back(Snapshot());
    redoStack.clear();
}

void TradePageModel::Restore(const TradeSnapshot& snapshot) {
    shares = snapshot.shares;
    cost = snapshot.cost;
    tradeCash = snapshot.tradeCash;
    isShort = snapshot.isShort;
    margin = snapshot.margin;
}

bool TradePageModel::AddTrade(std::uint32_t added, PriceValue amount) {
    if (added == 0) return true;
    // A holding beyond the counters' range cannot be recorded: refuse rather than wrap around.
    const Amount newCost = AddAmounts(cost, amount);
    const Amount newCash =
        margin ? Amount(tradeCash) : (isShort ? AddAmounts(tradeCash, amount) : SubtractAmounts(tradeCash, amount));
    if (added > 0xFFFFFFFFu - shares || !newCost || !newCash) return false;
    PushHistory();
    shares += added;
    cost = *newCost;
    tradeCash = *newCash;
    return true;
}

void TradePageModel::RemoveTrade(std::uint32_t removed, PriceValue amount, PriceValue costBasis, bool setToZero) {
    if (removed == 0) return;
    PushHistory();
    if (shares >= removed) {
        shares -= removed;
    } else {
        if (!setToZero) return;
        shares = 0;
    }
    const Amount left = SubtractAmounts(cost, costBasis);
    cost = (shares == 0 || !left || *left < 0) ? 0 : *left;
    // A margin close moves only the profit or loss; a spot sale the whole amount.
    Amount moved = margin ? SubtractAmounts(amount, costBasis) : Amount(amount);
    Amount cash = isShort ? SubtractAmounts(tradeCash, moved) : AddAmounts(tradeCash, moved);
    if (cash) tradeCash = *cash;
}

void TradePageModel::SetMargin(bool on) {
    PushHistory();
    const bool was = margin;
    margin = on;
    isShort = false;
    if (shares != 0 && was != on) {
        const Amount cash = on ? AddAmounts(tradeCash, cost) : SubtractAmounts(tradeCash, cost);
        if (cash) tradeCash = *cash;
    }
}

void TradePageModel::SetShort(bool on) {
    PushHistory();
    isShort = margin && on;
}

bool TradePageModel::Undo() {
    if (undoStack.empty()) return false;
    redoStack.push_back(Snapshot());
    Restore(undoStack.back());
    undoStack.pop_back();
    return true;
}

bool TradePageModel::Redo() {
    if (redoStack.empty()) return false;
    undoStack.push_back(Snapshot());
    Restore(redoStack.back());
    redoStack.pop_back();
    return true;
}

TradeLabels TradePageModel::Labels() const {
    if (isShort) return {SJIS("売付株数:"), SJIS("売付総額:"), SJIS("売付株追加(&A)"), SJIS("買付株削除(&S)")};
    return {SJIS("買付株数:"), SJIS("買付総額:"), SJIS("買付株追加(&A)"), SJIS("売付株削除(&S)")};
}

HoldingTexts TradePageModel::Texts(PriceValue latestPrice, bool group) const {
    HoldingTexts texts;
    texts.shares = CountText(shares, group);
    texts.total = PriceText(cost, group);
    if (shares == 0) {
        texts.average = texts.marketValue = "0";
    } else {
        texts.average = PriceText(DivideAmount(cost, shares), group);
        texts.marketValue = PriceText(MultiplyAmount(latestPrice, shares), group);
    }
    return texts;
}

std::string TradePageModel::MarketText() const {
    std::string text = MarketName(market);
    const char letter = MarketLetter(market);
    if (market >= 1 && market <= 7 && letter) {
        text += " (";
        text += static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
        text += ")";
    }
    return text;
}

TradeStoreResult TradePageModel::Store(CStockMan& stock, PriceValue& cashBalance, std::uint32_t cashSwitches) {
    TradeStoreResult result;
    if (market >= 1 && market <= 7 && market != stock.market) {
        stock.market = market;
        stock.BuildUrls();
        result.marketChanged = true;
    }
    if (editFlags & TRADE_EDIT_NAME) {
        if (editFlags & TRADE_EDIT_REFETCH) {
            stock.status |= kNamePending;
        } else {
            stock.status &= ~kNamePending;
            stock.name = name;
        }
        editFlags &= ~TRADE_EDIT_NAME;
    }
    stock.tradeMode = margin ? (isShort ? TRADE_MARGIN_SELL : TRADE_MARGIN_BUY) : TRADE_SPOT;
    const Amount delta = SubtractAmounts(tradeCash, stock.tradeCash);
    stock.tradeCash = tradeCash;
    if ((cashSwitches & CASH_MANAGED) && delta) {
        // A balance beyond the amount range keeps its old value rather than wrapping around.
        if (const Amount balance = AddAmounts(cashBalance, delta)) {
            cashBalance = *balance;
            result.balanceDelta = *delta;
        }
    }
    if (shares != 0 && cost > 0) {
        stock.shares = shares;
        stock.cost = cost;
        result.holdingStored = true;
    } else {
        stock.shares = 0;
        stock.cost = 0;
        if (stock.iconIndexMode == 1) stock.iconIndexMode = 0;
    }
    const bool wasListed = (stock.fileFlags & FILEFLAG_PORTFOLIO) != 0;
    if (inPortfolio)
        stock.fileFlags |= FILEFLAG_PORTFOLIO;
    else
        stock.fileFlags &= ~FILEFLAG_PORTFOLIO;
    result.portfolioChanged = wasListed != inPortfolio;
    stock.undoStack = undoStack;
    stock.redoStack = redoStack;
    return result;
}

// --- the add dialog ---

void AddTradeModel::SetSharesText(const std::string& text) {
    shares = ParseUnsignedText(text);
    if (shares.value_or(0) == 0) unitPrice = false;
}

void AddTradeModel::SetUnitPrice(bool unit) { unitPrice = unit && UnitPriceEnabled(); }

std::optional<InputProblem> AddTradeModel::Finish() {
    if (!shares) return InputProblem{FIELD_SHARES, NotUnsignedMessage()};
    const Amount amount = ParseAmountText(amountText);
    const Amount total = unitPrice ? MultiplyAmount(amount, *shares) : amount;
    if (!total) return InputProblem{FIELD_AMOUNT, NotAmountMessage()};
    finalShares = *shares;
    finalAmount = *total;
    return std::nullopt;
}

// --- the remove dialog ---

void SellTradeModel::Init(const TradePageModel& page, PriceValue latestPrice, unsigned flags) {
    shares = page.shares;
    maxShares = page.shares;
    amount = MultiplyAmount(latestPrice, page.shares);
    unitPrice = false;
    costBasis = page.cost;
    average = startAverage = page.shares != 0 ? DivideAmount(page.cost, page.shares) : Amount(0);
    formatFlags = flags;
    isShort = page.isShort;
    costEdit = false;
    editEnabled = true;
}

void SellTradeModel::SetSharesText(const std::string& text) {
    shares = ParseUnsignedText(text);
    if (shares && costBasis) costBasis = MultiplyAmount(average, *shares);
}

void SellTradeModel::SetAmountText(const std::string& text) { amount = ParseAmountText(text); }

void SellTradeModel::SetUnitPrice(bool unit) { unitPrice = unit; }

void SellTradeModel::PressEdit() {
    costEdit = true;
    average = startAverage;
    costBasis = MultiplyAmount(average, shares.value_or(0));
    editEnabled = false;
}

void SellTradeModel::SetAverageText(const std::string& text) {
    average = ParseAmountText(text);
    if (average) costBasis = MultiplyAmount(average, shares.value_or(0));
    editEnabled = true;
}

void SellTradeModel::SetCostBasisText(const std::string& text) {
    costBasis = ParseAmountText(text);
    if (costBasis && shares.value_or(0) != 0) average = DivideAmount(costBasis, *shares);
    editEnabled = true;
}

Amount SellTradeModel::TotalAmount() const {
    if (!unitPrice) return amount;
    if (!shares) return std::nullopt;
    return MultiplyAmount(amount, *shares);
}

std::optional<std::string> SellTradeModel::ProfitText() const {
    Amount profit = SubtractAmounts(TotalAmount(), costBasis);
    if (profit && isShort) profit = SubtractAmounts(PriceValue{0}, profit);
    if (!profit) return std::nullopt;
    std::string text;
    return FormatPrice(*profit, text, formatFlags);
}

std::string SellTradeModel::AverageText() const { return PriceText(average, formatFlags & FMT_GROUP); }
std::string SellTradeModel::CostBasisText() const { return PriceText(costBasis, formatFlags & FMT_GROUP); }
std::string SellTradeModel::EditCaption() const { return costEdit ? SJIS("単価を戻す(&R)") : SJIS("編集(&E)"); }
std::string SellTradeModel::AmountLabel() const { return isShort ? SJIS("買付金額(&P):") : SJIS("売付金額(&P):"); }
std::string SellTradeModel::GroupLabel() const { return isShort ? SJIS("売付時の情報") : SJIS("買付時の情報"); }
std::string SellTradeModel::CostLabel() const { return isShort ? SJIS("売付金額:") : SJIS("買付金額:"); }

std::optional<InputProblem> SellTradeModel::Finish() {
    if (!shares) return InputProblem{FIELD_SHARES, NotUnsignedMessage()};
    if (!amount) return InputProblem{FIELD_AMOUNT, NotAmountMessage()};
    if (costEdit && !average) return InputProblem{FIELD_AVERAGE, NotAmountMessage()};
    if (!costBasis) return InputProblem{costEdit ? FIELD_COST_BASIS : FIELD_SHARES, NotAmountMessage()};
    const Amount total = TotalAmount();
    if (!total) return InputProblem{FIELD_AMOUNT, NotAmountMessage()};
    finalShares = *shares;
    finalAmount = *total;
    finalCostBasis = *costBasis;
    return std::nullopt;
}

// --- the name and market dialog ---

void ChangeMarketModel::Init(TradePageModel& page, const CStockMan& stock) {
    if ((page.editFlags & TRADE_EDIT_NAME) == 0) page.name = stock.name.empty() ? SJIS("不明") : stock.name;
    name = page.name;
    selection = page.market >= 1 && page.market <= 7 ? static_cast<int>(page.market) - 1 : -1;
    refetch = (page.editFlags & TRADE_EDIT_NAME) ? (page.editFlags & TRADE_EDIT_REFETCH) != 0
                                                 : (stock.status & kNamePending) != 0;
    currency = page.IsCurrency();
    marketText = MarketName(page.market);
    startName_ = name;
    startRefetch_ = refetch;
    startSelection_ = selection;
}

bool ChangeMarketModel::ApplyTo(TradePageModel& page) const {
    bool changed = false;
    if (name != startName_ || refetch != startRefetch_) {
        if (refetch) {
            page.editFlags |= TRADE_EDIT_NAME | TRADE_EDIT_REFETCH;
        } else {
            page.editFlags |= TRADE_EDIT_NAME;
            page.editFlags &= ~TRADE_EDIT_REFETCH;
            if (name.empty())
                page.editFlags |= TRADE_EDIT_REFETCH;
            else
                page.name = name;
        }
        changed = true;
    }
    if (selection >= 0 && selection < 7 && static_cast<std::uint32_t>(selection) + 1 != page.market) {
        page.market = static_cast<std::uint32_t>(selection) + 1;
        changed = true;
    }
    return changed;
}

// --- the account balance ---

bool ChangeBalance(PriceValue& balance, BalanceChange change, PriceValue amount) {
    Amount next = amount;
    if (change == BalanceChange::Add) next = AddAmounts(balance, amount);
    if (change == BalanceChange::Subtract) next = SubtractAmounts(balance, amount);
    if (!next || *next == balance) return false;
    balance = *next;
    return true;
}

const std::vector<std::string>& MarketListItems() {
    static const std::vector<std::string> items = {Utf8ToSjis("東京        (T)"), Utf8ToSjis("大阪        (O)"),
                                                   Utf8ToSjis("Jasdaq     (Q)"),  Utf8ToSjis("名古屋     (N)"),
                                                   Utf8ToSjis("札幌        (S)"), Utf8ToSjis("福岡        (F)"),
                                                   Utf8ToSjis("ヘラクレス (J)")};
    return items;
}

}  // namespace quotrix
