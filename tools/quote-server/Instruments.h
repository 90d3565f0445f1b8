// The quote server's instruments: a fixed table of well-known Tokyo stocks, two indices, two
// currency pairs and a fund, plus made-up instruments for any other code asked. Prices move as a
// seeded random walk, one step per quote request, inside a trading day's plausible range.
//
// Prices are in ten-thousandths of a yen (as the program keeps them). Threads: Market is safe to
// use from the server's worker threads; a Quote is a snapshot.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace quotesrv {

enum class Kind { Stock, Index, Currency, Fund };

struct Instrument {
    std::string symbol;  // "7203", "998407", "USDJPY=X", a fund code
    char market = 0;     // 't', 'o', 'q', 'n', 'j'; 0 for indices, pairs and funds
    Kind kind = Kind::Stock;
    std::string name;            // UTF-8
    std::string industry;        // UTF-8
    std::int64_t basePrice = 0;  // the previous close at start
    int decimals = 0;            // digits shown after the point
    bool builtIn = true;
};

// The name a code outside the built-in table is given (UTF-8).
std::string MadeUpName(std::uint32_t code);

// One moment of an instrument's day.
struct Quote {
    const Instrument* instrument = nullptr;
    std::int64_t price = 0;
    std::int64_t prevClose = 0;
    std::int64_t open = 0;
    std::int64_t high = 0;
    std::int64_t low = 0;
    std::uint64_t volume = 0;
    std::uint32_t boardId = 0;  // newest message number on the board
    std::uint32_t newsId = 0;   // number of the newest headline
    std::uint64_t steps = 0;
};

// "1234567" -> "1,234,567".
std::string GroupDigits(const std::string& digits);
// Text of a price with the instrument's decimals and thousands separators ("2,345", "151.234").
std::string PriceText(std::int64_t value, int decimals, bool sign = false);

class Market {
  public:
    explicit Market(std::uint64_t seed);

    // The instrument for a symbol ("7203", "7203.t", "998407", "usdjpy=x"); made up when unknown.
    // Empty for text that names nothing (neither digits nor a known symbol).
    const Instrument* Find(const std::string& symbol);
    // Moves the instrument one step and returns the new state.
    Quote Step(const Instrument& instrument);
    // The state without a step (board and news pages).
    Quote Peek(const Instrument& instrument);
    // Board and news move on their own clock: a new post or headline now and then.
    Quote StepBoardNews(const Instrument& instrument);

    const std::vector<std::unique_ptr<Instrument>>& BuiltIn() const { return builtIn_; }

  private:
    struct State {
        Quote quote;
        std::mt19937_64 random;
    };
    State& StateOf(const Instrument& instrument);
    Instrument* MakeUp(std::uint32_t code, char market);

    std::uint64_t seed_;
    std::mutex lock_;
    std::vector<std::unique_ptr<Instrument>> builtIn_;
    std::vector<std::unique_ptr<Instrument>> madeUp_;
    std::map<std::string, Instrument*> bySymbol_;
    std::map<const Instrument*, State> states_;
};

// The tick a price moves by on the Tokyo market (ten-thousandths of a yen).
std::int64_t TickSize(std::int64_t price, Kind kind);

}  // namespace quotesrv
