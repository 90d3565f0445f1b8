// The managed stock: the record, its icon, its per-stock settings and its own update log,
// plus the bookkeeping of trades, news marks and display texts.
//
// Ownership: the main window's collection owns every CStockMan (removed stocks are parked
// until no update worker can still refer to them). Threads: main thread only, except the
// update lock, which workers try without waiting.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <semaphore>
#include <string>
#include <vector>

#include "icons/StockIconCtrl.h"
#include "log/ErrLog.h"
#include "model/Price.h"
#include "model/Stock.h"
#include "model/StockParams.h"

namespace quotrix {

// One entry of a stock's trade history.
struct TradeSnapshot {
    std::uint32_t shares = 0;
    PriceValue cost = 0;
    PriceValue tradeCash = 0;
    bool isShort = false;
    bool margin = false;
};

class CStockMan : public CStock, public CStockIconCtrl, public CStockParams, public CErrLog {
  public:
    explicit CStockMan(std::uint32_t code, std::uint32_t market, const CStockDefaults* defaults = nullptr);
    explicit CStockMan(const std::string& identityText, const CStockDefaults* defaults = nullptr);
    CStockMan(const std::string& identityText, const std::string& name, const CStockDefaults* defaults = nullptr);
    ~CStockMan() override;

    // Copies the defaults into the settings, with the checks every outside value gets.
    void ApplyDefaults(const CStockDefaults& defaults);

    // The registry identifier (also the notification-area icon id); 0 while unregistered.
    std::uint32_t Id() const { return TrayId(); }

    // Held by an update worker while it works on this stock; two places, tried without waiting.
    std::counting_semaphore<2> updateLock{2};
    std::vector<TradeSnapshot> undoStack;
    std::vector<TradeSnapshot> redoStack;
    PriceValue tradeCash = 0;
    std::array<NumberText, 20> valueTexts;
    std::array<std::string, 3> displayStrings;
    std::int32_t arrowImage = 10;
    void* ownIcon = nullptr;  // HICON, destroyed with the stock
    std::uint32_t lastBoardId = 0;
    std::uint32_t lastNewsId = 0;
    std::uint8_t newMarks = 0;  // bit 0 a new board post, bit 1 new news
    std::uint8_t displayFlag = 1;
    std::uint16_t displayWord = 0;
    // The desktop icon window's screen position and text placement (0 to 2) as the stock file
    // records them. They are kept here while the stock has no window, so that loading and saving
    // a file (also by the position and header updates, which never make windows) keeps them.
    std::int32_t desktopLeft = 0;
    std::int32_t desktopTop = 0;
    std::uint8_t desktopTxtMode = 0;
    // Set while the stock's property sheet is open: a second sheet is not opened, nor is the
    // stock deleted.
    bool propertySheetOpen = false;
    // The last lines of this stock's update log (at most 7000 bytes, whole CR LF lines).
    std::string updateLog;

  protected:
    // For the stock-file reader: the record and settings are filled before registering.
    struct FromRecord {};
    explicit CStockMan(FromRecord);
    // Registers the stock and builds its addresses; the last step of every constructor. It leaves
    // the bookkeeping alone, so that a stock built from a record keeps the record's values.
    void FinishSetup(const CStockDefaults* defaults);

  private:
    void ResetBookkeeping();
};

// An ordered list of stocks that owns them (the collection, a loaded file).
using StockList = std::vector<std::unique_ptr<CStockMan>>;

// The process-wide identity table: 32 buckets of stocks in ascending identifier order.
// Identifiers are at least 32, so they never clash with the main window's tray ids 1 and 2.
class StockRegistry {
  public:
    static StockRegistry& Instance();

    bool Register(CStockMan& stock);
    bool Unregister(CStockMan& stock);
    CStockMan* Find(std::uint32_t id) const;

  private:
    mutable std::mutex lock_;
    std::array<std::vector<CStockMan*>, 32> buckets_;
};

// Same code, market and code text.
bool SameInstrument(const CStock& a, const CStock& b);

// Adds a stock's market value (or margin profit), day change and profit to the sums (yen in
// ten-thousandths). Returns 2 for a stock without shares, else its status word.
std::uint32_t AddToTotals(const CStockMan& stock, PriceValue& value, PriceValue& change, PriceValue& profit);

// "トレイ", ", ポートフォリオ" ... as the stock list shows the show mode (Shift-JIS).
std::string ShowModeText(std::uint32_t showMode, std::uint32_t fileFlags);

}  // namespace quotrix
