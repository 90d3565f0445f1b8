// The totals line of a stock list (market value, day change, profit, how many stocks are
// counted), kept up to date one stock at a time.
//
// A merge changes one stock. Summing all of them again after each merge costs O(n) per merge and
// O(n²) per pass: for 1,000 stocks a million additions on the owner's thread. Here a merge
// replaces that one stock's share of the sums. The sums wrap like AddToTotals' (unsigned 64-bit),
// so taking a share out and putting the new one in gives exactly what a full pass gives.
//
// Threads: the owner's thread only, like the stocks it reads. Units: yen in ten-thousandths.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "model/Price.h"
#include "model/StockMan.h"

namespace quotrix {

class RunningTotals {
  public:
    // Sums every stock of the list afresh.
    void Reset(const StockList& stocks);
    // The stock changed (quote, holding or status): its share is taken again. A stock not seen
    // before is added.
    void Update(const CStockMan& stock);
    // The stock left the list.
    void Remove(const CStockMan& stock);

    PriceValue Value() const { return value_; }
    PriceValue Change() const { return change_; }
    PriceValue Profit() const { return profit_; }
    // Stocks with shares whose last update succeeded, and whether any stock with shares has no
    // current quote.
    unsigned Counted() const { return counted_; }
    bool Incomplete() const { return incomplete_ > 0; }
    // How many stocks of the list are in the fetch state `kind` (OutOfHours 4, Offline 8,
    // Failed 12, Checking 16); whether they hold shares does not matter.
    unsigned StocksOfKind(std::uint32_t kind) const;

  private:
    struct Share {
        PriceValue value = 0;
        PriceValue change = 0;
        PriceValue profit = 0;
        std::uint32_t state = 2;  // AddToTotals' answer: 2 no shares, else the status word
        std::uint32_t kind = 0;   // the stock's fetch state (status & 0x3C)
    };
    void Add(const Share& share, int sign);

    std::unordered_map<const CStockMan*, Share> shares_;
    PriceValue value_ = 0;
    PriceValue change_ = 0;
    PriceValue profit_ = 0;
    unsigned counted_ = 0;
    unsigned incomplete_ = 0;
    unsigned kinds_[16] = {};  // by kind / 4
};

}  // namespace quotrix
