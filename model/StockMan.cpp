#include "model/StockMan.h"

#include <algorithm>

#include "platform/TextCodec.h"

namespace quotrix {

CStockMan::CStockMan(std::uint32_t code, std::uint32_t market, const CStockDefaults* defaults) : CStock(code, market) {
    ResetBookkeeping();
    FinishSetup(defaults);
}

CStockMan::CStockMan(const std::string& identityText, const CStockDefaults* defaults) : CStock(identityText) {
    ResetBookkeeping();
    FinishSetup(defaults);
}

CStockMan::CStockMan(const std::string& identityText, const std::string& stockName, const CStockDefaults* defaults)
    : CStock(identityText) {
    name = stockName;
    ResetBookkeeping();
    FinishSetup(defaults);
}

CStockMan::CStockMan(FromRecord) { ResetBookkeeping(); }

void CStockMan::ResetBookkeeping() {
    arrowImage = 10;
    tradeCash = 0;
    lastBoardId = 0;
    lastNewsId = 0;
    newMarks = 0;
    ownIcon = nullptr;
    displayFlag = 1;
    displayWord = 0;
    showMode = RequestedShow();
}

void CStockMan::FinishSetup(const CStockDefaults* defaults) {
    StockRegistry::Instance().Register(*this);
    BuildUrls();
    if (defaults) ApplyDefaults(*defaults);
}

CStockMan::~CStockMan() {
    // The desktop window reads this stock's texts and records its position here.
    DestroyDesktopWindow();
    StockRegistry::Instance().Unregister(*this);
}

void CStockMan::ApplyDefaults(const CStockDefaults& defaults) {
    static_cast<CStockParams&>(*this) = defaults;
    Normalize();
    // The desktop window reads its text placement from here at its next shape update.
    if (defaults.desktopTxtMode < 3) desktopTxtMode = static_cast<std::uint8_t>(defaults.desktopTxtMode);
}

StockRegistry& StockRegistry::Instance() {
    static StockRegistry registry;
    return registry;
}

bool StockRegistry::Register(CStockMan& stock) {
    if (stock.Id() != 0) return false;
    std::lock_guard lock(lock_);
    const std::uint32_t bucket = stock.Hash() & 31;
    auto& entries = buckets_[bucket];
    const std::uint32_t id = entries.empty() ? (bucket | 32) : (bucket | ((entries.back()->Id() & ~31u) + 32));
    stock.SetTrayId(id);
    entries.push_back(&stock);
    return true;
}

bool StockRegistry::Unregister(CStockMan& stock) {
    const std::uint32_t id = stock.Id();
    if (id == 0) return true;
    std::lock_guard lock(lock_);
    auto& entries = buckets_[id & 31];
    auto it = std::lower_bound(entries.begin(), entries.end(), id,
                               [](const CStockMan* s, std::uint32_t wanted) { return s->Id() < wanted; });
    if (it == entries.end() || *it != &stock) return false;
    entries.erase(it);
    stock.SetTrayId(0);
    return true;
}

CStockMan* StockRegistry::Find(std::uint32_t id) const {
    std::lock_guard lock(lock_);
    const auto& entries = buckets_[id & 31];
    auto it = std::lower_bound(entries.begin(), entries.end(), id,
                               [](const CStockMan* s, std::uint32_t wanted) { return s->Id() < wanted; });
    return it != entries.end() && (*it)->Id() == id ? *it : nullptr;
}

bool SameInstrument(const CStock& a, const CStock& b) {
    return a.code == b.code && a.market == b.market && a.codeText == b.codeText;
}

namespace {
// Two's-complement arithmetic: a damaged file may hold any price, and overflow must not be UB.
PriceValue Mul(PriceValue price, std::uint32_t count) {
    return static_cast<PriceValue>(static_cast<std::uint64_t>(price) * count);
}
PriceValue Add(PriceValue a, PriceValue b) {
    return static_cast<PriceValue>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}
PriceValue Sub(PriceValue a, PriceValue b) {
    return static_cast<PriceValue>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}
}  // namespace

std::uint32_t AddToTotals(const CStockMan& stock, PriceValue& value, PriceValue& change, PriceValue& profit) {
    if (stock.shares == 0) return 2;
    const PriceValue marketValue = Mul(stock.price, stock.shares);
    const PriceValue dayChange = Mul(stock.change, stock.shares);
    if (stock.tradeMode & TRADE_SELL) {
        const PriceValue p = Sub(stock.cost, marketValue);
        value = Add(value, p);
        change = Sub(change, dayChange);
        profit = Add(profit, p);
    } else {
        const PriceValue p = Sub(marketValue, stock.cost);
        value = Add(value, (stock.tradeMode & TRADE_MARGIN_BUY) ? p : marketValue);
        change = Add(change, dayChange);
        profit = Add(profit, p);
    }
    return stock.status;
}

std::string ShowModeText(std::uint32_t showMode, std::uint32_t fileFlags) {
    const bool portfolio = (fileFlags & FILEFLAG_PORTFOLIO) != 0;
    const char* name = nullptr;
    switch (showMode) {
        case 1:
            name = "トレイ";
            break;
        case 2:
            name = "トレイ(指定範囲内非表示)";
            break;
        case 3:
            name = "トレイ(指定範囲外非表示)";
            break;
        case 20:
            name = "デスクトップ";
            break;
        case 21:
            name = "デスクトップ(指定範囲内非表示)";
            break;
        case 22:
            name = "デスクトップ(指定範囲外非表示)";
            break;
        default:
            return Utf8ToSjis(portfolio ? "ポートフォリオ" : "非表示");
    }
    std::string text = name;
    if (portfolio) text += ", ポートフォリオ";
    return Utf8ToSjis(text);
}

}  // namespace quotrix
