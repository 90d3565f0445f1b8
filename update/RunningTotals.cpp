#include "update/RunningTotals.h"

namespace quotrix {

namespace {

// Wrapping arithmetic, as AddToTotals sums.
PriceValue Wrap(PriceValue a, PriceValue b, int sign) {
    const auto ua = static_cast<std::uint64_t>(a), ub = static_cast<std::uint64_t>(b);
    return static_cast<PriceValue>(sign > 0 ? ua + ub : ua - ub);
}

}  // namespace

void RunningTotals::Reset(const StockList& stocks) {
    shares_.clear();
    value_ = change_ = profit_ = 0;
    counted_ = incomplete_ = 0;
    for (unsigned& count : kinds_) count = 0;
    shares_.reserve(stocks.size());
    for (const auto& stock : stocks) Update(*stock);
}

void RunningTotals::Add(const Share& share, int sign) {
    value_ = Wrap(value_, share.value, sign);
    change_ = Wrap(change_, share.change, sign);
    profit_ = Wrap(profit_, share.profit, sign);
    unsigned& ofKind = kinds_[share.kind >> 2];
    ofKind = sign > 0 ? ofKind + 1 : ofKind - 1;
    if (share.state == 2) return;
    unsigned& count = (share.state & STATUS_UPDATED) ? counted_ : incomplete_;
    count = sign > 0 ? count + 1 : count - 1;
}

void RunningTotals::Update(const CStockMan& stock) {
    Share now;
    now.state = AddToTotals(stock, now.value, now.change, now.profit);
    now.kind = stock.status & 0x3C;
    auto [it, added] = shares_.try_emplace(&stock, now);
    if (!added) {
        Add(it->second, -1);
        it->second = now;
    }
    Add(now, +1);
}

unsigned RunningTotals::StocksOfKind(std::uint32_t kind) const {
    const std::uint32_t k = kind & 0x3C;
    return k == kind ? kinds_[k >> 2] : 0;
}

void RunningTotals::Remove(const CStockMan& stock) {
    const auto it = shares_.find(&stock);
    if (it == shares_.end()) return;
    Add(it->second, -1);
    shares_.erase(it);
}

}  // namespace quotrix
