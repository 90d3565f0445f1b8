// The display, icon, watch and desktop-item pages of a stock's property sheet, and the sheet as a
// whole, as portable models. The same four page models edit the defaults for new stocks when they
// are loaded from and stored into a CStockDefaults instead of a stock.
//
// Money is PriceValue (ten-thousandths of a yen), percent steps hundredths of a percent, texts
// Shift-JIS. Plain values for the user-interface thread.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "dialogs/TradePage.h"
#include "model/StockParams.h"

namespace quotrix {

// The display page ("表示").
class DisplayPageModel {
  public:
    // The four radio buttons, in their order on the page.
    enum Choice { SHOW_ALWAYS = 0, SHOW_NEVER = 1, SHOW_OUTSIDE = 2, SHOW_INSIDE = 3 };

    void Load(const CStockParams& params);
    void SetChoice(Choice choice) { this->choice = choice; }
    void SetDesktop(bool on) { desktop = on; }
    // The stored "ShowMode" of the current choice and list.
    std::uint8_t ShowMode() const;
    bool ListEnabled() const { return choice != SHOW_NEVER; }
    bool BalloonEnabled() const { return (choice == SHOW_ALWAYS || choice == SHOW_OUTSIDE) && !desktop; }
    // "%s円 ～ %s円", the smaller bound first.
    static std::string WatchRangeText(PriceValue lower, PriceValue upper);
    // ShowMode and FileFlags bits 0 and 2; bit 1 too when `storePortfolio` (no trade page).
    void Store(CStockParams& params, bool storePortfolio) const;

    Choice choice = SHOW_ALWAYS;
    bool desktop = false;
    bool balloon = false;
    bool border = false;       // FileFlags bit 0
    bool inPortfolio = false;  // FileFlags bit 1 (the trade page's flag while one exists)
};

// The icon page ("アイコン"): arrow steps in yen and in percent, the unit and the reference.
class IconPageModel {
  public:
    void Load(const CStockParams& params);
    // The four boxes from top to bottom: big rise, small rise, small fall, big fall.
    std::array<std::string, 4> BoxTexts() const;
    // Reads the boxes into the set of the current unit; on a bad entry nothing is read.
    std::optional<InputProblem> SetBoxTexts(const std::array<std::string, 4>& texts);
    // Keeps the boxes' values in the old unit's set and shows the other set (no conversion).
    void SetPercent(bool on) { percent = on; }
    // Checked when the page becomes active: the trade-price reference needs a holding.
    void SetHoldingPresent(bool present);
    bool TradeReferenceEnabled() const { return holdingPresent; }
    void SetReference(std::uint8_t reference);
    // "標準設定(&D)": the defaults' steps, unit and reference.
    void LoadStandard(const ArrowThresholds& steps, std::uint8_t reference);
    // "推奨設定(&R)": yen steps 10, 5, 5, 10, unit yen, previous close.
    void LoadRecommended();

    const std::string& UnitText(int row) const;  // "円上昇" ... / "％上昇" ...
    const std::string& Caption() const;          // "前日終値から:" ...
    const std::string& Explanation() const;  // "矢印は株価の前日終値からの上下を示します。" ...

    // The steps (each pair sorted: the larger is the "High"), the unit and the reference.
    void Store(CStockParams& params) const;

    std::array<PriceValue, 4> yen{};
    std::array<std::uint32_t, 4> percentSteps{};  // hundredths of a percent
    bool percent = false;
    std::uint8_t reference = 0;  // 0 previous close, 1 trade price, 2 target price
    bool holdingPresent = true;
};

// The watch page ("監視/目標").
class WatchPageModel {
  public:
    enum Field { FIELD_LOWER = 1, FIELD_UPPER = 2, FIELD_TARGET = 3 };

    void Load(const CStockParams& params);
    std::optional<InputProblem> SetTexts(const std::string& lower, const std::string& upper, const std::string& target);
    // The highlight list: 0 none, 1 outside the range (0x400), 2 inside it (0x800).
    void SetHighlight(int index) { highlight = index >= 0 && index <= 2 ? index : 0; }
    // The range (smaller bound as the lower), the target and FileFlags bits 8 to 11.
    void Store(CStockParams& params) const;

    PriceValue lower = 0;
    PriceValue upper = 0;
    PriceValue target = 0;
    int highlight = 0;
    bool targetHighlight = false;  // FileFlags bit 9
    bool targetShown = false;      // FileFlags bit 8
};

// One check box of the desktop items page.
struct DeskItem {
    int bit;
    const char* label;  // UTF-8 source text
};
// The items with check boxes, in the page's order.
const std::array<DeskItem, 17>& DeskItems();

// The desktop items page ("デスクトップ表示アイテム").
class DeskItemsPageModel {
  public:
    void Load(const CStockParams& params, std::uint32_t textMode);
    bool Item(int bit) const { return (flags >> bit) & 1u; }
    void SetItem(int bit, bool on);
    // "シンプル設定(&S)": name, time, price, change, profit/loss and the price bar only.
    void Simple();
    // "ポートフォリオの設定に合わせる(&D)": bits 0 to 18 and the price bar from the portfolio.
    void MatchPortfolio(std::uint32_t portfolioFlags, bool priceBar);
    void Store(CStockParams& params, std::uint32_t& textMode) const;

    std::uint32_t flags = 0;
    std::uint32_t textMode = 0;  // 0 none, 1 right, 2 left
};

// The title of a stock's sheet: "name (7203.T) のプロパティ".
std::string StockSheetTitle(const CStockMan& stock, bool removeCompanyMark);

// What the stock file keeps of a stock that the sheet can change, to tell whether storing the
// pages changed anything (the trade history and trade cash live only in memory).
struct StockSavedFields {
    CStockParams params;
    std::uint32_t shares = 0;
    PriceValue cost = 0;
    std::uint32_t market = 0;
    std::string name;
    bool namePending = false;
    std::uint8_t desktopTxtMode = 0;

    static StockSavedFields Of(const CStockMan& stock);
    bool operator==(const StockSavedFields&) const = default;
};

// The five pages of a stock's sheet together.
struct StockSheetModel {
    void Load(const CStockMan& stock);
    // OK: the pages in the order trade and icon, desktop items, watch, display. A trade-price
    // reference without a stored holding becomes the previous close.
    TradeStoreResult StoreAll(CStockMan& stock, PriceValue& cashBalance, std::uint32_t cashSwitches);

    TradePageModel trade;
    DisplayPageModel display;
    IconPageModel icon;
    WatchPageModel watch;
    DeskItemsPageModel desk;
};

}  // namespace quotrix
