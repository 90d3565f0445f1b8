// The stock record: one watched instrument (a stock, an index or a currency pair).
//
// Prices are PriceValue (ten-thousandths of a yen); texts are Shift-JIS owned by the record.
// A record is owned by whoever holds it; update workers write only their private copy.
#pragma once

#include <cstdint>
#include <string>

#include "model/Price.h"

namespace quotrix {

// Market indices; the letter is the one of codes like 7203.t.
enum Market : std::uint32_t {
    MARKET_NONE = 0,
    MARKET_TOKYO = 1,
    MARKET_OSAKA = 2,
    MARKET_JASDAQ = 3,
    MARKET_NAGOYA = 4,
    MARKET_SAPPORO = 5,
    MARKET_FUKUOKA = 6,
    MARKET_HERCULES = 7,
    MARKET_CURRENCY = 128,
    MARKET_UNKNOWN = 255,
};

char MarketLetter(std::uint32_t market);              // 't' for 1; 0 for none or above 7
std::uint32_t MarketFromLetter(char letter);          // case-insensitive; 0 for none, 255 when unknown
const char* MarketSuffix(std::uint32_t market);       // ".T" for 1; "" for none or above 7
const std::string& MarketName(std::uint32_t market);  // Shift-JIS

// The fetch and data state kept in the low bits of CStock::status.
enum UpdateStatus : std::uint32_t {
    STATUS_NONE = 0,
    STATUS_UPDATED = 1,
    STATUS_OUT_OF_HOURS = 4,
    STATUS_OFFLINE = 8,
    STATUS_FAILED = 12,
    STATUS_CHECKING = 16,
};
inline constexpr std::uint32_t kUpdateStatusMask = 0x3F;
inline constexpr std::uint32_t kNamePending = 0x10000;

// The suffix the display adds to a name for a status word (Shift-JIS; may be empty).
const std::string& StatusSuffix(std::uint32_t status);

// Trade mode: bit 0 a sell position, bit 1 a margin position.
enum TradeMode : std::uint8_t { TRADE_SPOT = 0, TRADE_SELL = 1, TRADE_MARGIN_BUY = 2, TRADE_MARGIN_SELL = 3 };
const std::string& TradeModeText(std::uint32_t mode);  // Shift-JIS mark, empty for a spot holding

// A plain block of numbers, copied as a whole. The fields from `code` to `price` are one run
// that stock files store in one piece.
struct CBasicStock {
    std::uint32_t code = 0;    // 1 to 9,999,998; 0 for none (currency pairs)
    std::uint32_t market = 0;  // Market
    std::uint32_t shares = 0;  // shares held; 0 = no holding
    std::uint32_t volume = 0;  // the day's trading volume
    PriceValue cost = 0;       // total trade amount of the holding
    PriceValue change = 0;     // from the previous close
    PriceValue prevClose = 0;
    PriceValue open = 0;
    PriceValue high = 0;
    PriceValue low = 0;
    PriceValue price = 0;
    double dividendYield = 0;  // percent
    double per = 0;
    PriceValue eps = 0;
    double pbr = 0;
};

inline constexpr std::uint32_t kMaxStockCode = 9999998;

class CStock : public CBasicStock {
  public:
    CStock();
    CStock(std::uint32_t code, std::uint32_t market);
    // Identity from what a user types: "7203", "7203.t", "998407", "usd", "EURUSD", "GBPJPY=X".
    explicit CStock(const std::string& identityText);
    CStock(const CStock& other);
    CStock& operator=(const CStock& other);
    virtual ~CStock();

    // Refuses a code of 0 or above 9,999,998. A record that already had a valid code is reset
    // first, so that its name is fetched again. Markets of 8 and above are stored as 0.
    bool SetIdentity(std::uint32_t code, std::uint32_t market);
    // Name pending, no data; clears the texts and keeps the numbers.
    void Reset();
    // Fills codeText and the page addresses from the identity and the configured hosts.
    void BuildUrls();
    // Address of one of the stock's web pages (0 to 15; anything else gives the news page).
    std::string WebPageAddress(int page) const;
    // 0 to 31; the identity registry's bucket.
    std::uint32_t Hash() const;

    bool IsCurrency() const { return (market & MARKET_CURRENCY) != 0; }
    std::uint32_t UpdateState() const { return status & kUpdateStatusMask; }

    std::uint32_t status = 0;
    std::string updateTime;  // time text of the last quote (7 characters survive a save)
    std::string codeText;    // "%04d" of the code, or the currency symbol ("USDJPY=X")
    std::string name;
    std::string quoteUrl;
    std::string boardUrl;  // empty for currency pairs
    std::string newsUrl;   // empty for currency pairs

  private:
    void ParseIdentity(const std::string& text);
};

// Reads "digits[.letter]" (3 to 7 digits). On success stores the code and the market letter
// (lower case; a default for codes that trade elsewhere, 0 for none).
bool ReadStockCode(const std::string& text, std::uint32_t& code, char& letter);

}  // namespace quotrix
