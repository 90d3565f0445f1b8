// The ready-made texts of every stock (tray tip, tip text, desktop text, shown name and the
// formatted values the portfolio lays out in columns), the totals line and the application
// icon's tip, and the answers to tooltip requests.
//
// All texts are Shift-JIS. Prices are PriceValue (ten-thousandths of a yen). Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "icons/StockIcon.h"
#include "model/Price.h"
#include "model/StockMan.h"
#include "model/StockParams.h"

namespace quotrix {

class CStockIconCtrl;
class CStockMan;
class IconCache;
class RunningTotals;
struct AppSettings;

// The stock's text records (CStockMan::valueTexts), in the order of the portfolio columns; the
// value records 0 to 13 are TEXT_VOLUME to TEXT_PBR.
enum StockTextIndex : std::size_t {
    TEXT_NAME = 0,  // shown name (the short name when that option is on)
    TEXT_TIME = 1,
    TEXT_PRICE = 2,
    TEXT_CHANGE = 3,  // "(" change text ")"
    TEXT_VOLUME = 4,  // value record 0
    TEXT_PROFIT = 5,
    TEXT_PREV_CLOSE = 6,
    TEXT_OPEN = 7,
    TEXT_HIGH = 8,
    TEXT_LOW = 9,
    TEXT_SHARES = 10,
    TEXT_AVERAGE = 11,
    TEXT_TARGET = 12,
    TEXT_TARGET_DISTANCE = 13,
    TEXT_DIVIDEND = 14,
    TEXT_PER = 15,
    TEXT_EPS = 16,
    TEXT_PBR = 17,  // value record 13
    TEXT_CODE = 18,
    TEXT_TRADE_MARK = 19,
};
inline constexpr std::size_t kValueRecordBase = TEXT_VOLUME;

// CStockMan::displayStrings.
enum DisplayStringIndex : std::size_t { DISPLAY_TRAY_TIP = 0, DISPLAY_TIP_TEXT = 1, DISPLAY_DESKTOP_TEXT = 2 };

// Flag words the texts depend on: the tip control's three words and the main window's settings.
struct DisplayOptions {
    std::uint32_t nameOptions = 0x1B;     // bit 0 grouping, 1 no company mark, 2 market suffix, 4 price bars
    std::uint32_t tipTextFlags = 0x0C3F;  // "TipTextFlags"
    std::uint32_t otherItemFlags = 0x53;  // "OtherItemFlags": bit 0 volume, bit 1 profit on the tray tip
    std::uint32_t boolFlags1 = 0x373D3D;  // "BoolFlags1"; the bits read here are never moved out
    std::uint32_t boolFlags2 = 1;         // "BoolFlags2"
    std::uint32_t newBoolean1 = 0;        // "NewBoolean1": bit 1 short names shown, bit 2 in the tray tip
    std::uint32_t stkNameMax = 7;         // "StkNameMax": short names keep 2 x this many bytes
};

// Removes the first company mark, narrow ("(株)") or wide ("（株）"), whichever comes first.
void RemoveCompanyMark(std::string& name, const std::string& narrow, const std::string& wide);

// The options as the application settings hold them.
DisplayOptions DisplayOptionsFrom(const AppSettings& settings);

// The tooltip text state of the main window: the company marks and the display options.
class CStockTipCtrl {
  public:
    CStockTipCtrl();

    // Rebuilds every text of the stock and its arrow image; answers the tray tip.
    const std::string& BuildStockTexts(CStockMan& stock) const;

    std::string companyMark;      // "(株)"
    std::string companyMarkWide;  // "（株）"
    DisplayOptions options;
};

// The main window's own arrow steps for the application icon: 100 and 50 yen, 10 % and 5 %,
// percent steps on.
inline ArrowThresholds TotalArrowThresholds() {
    ArrowThresholds t;
    t.curPlusHigh = 100 * kYen;
    t.curPlusLow = 50 * kYen;
    t.curMinusLow = 50 * kYen;
    t.curMinusHigh = 100 * kYen;
    t.perPlusHigh = 1000;
    t.perPlusLow = 500;
    t.perMinusLow = 500;
    t.perMinusHigh = 1000;
    t.percentFlag = true;
    return t;
}

// The sums of the portfolio and what the application icon needs to know about them.
struct TotalsInput {
    PriceValue value = 0;   // market value of the holdings
    PriceValue change = 0;  // the day's change of that value
    PriceValue profit = 0;
    PriceValue balance = 0;
    bool balanceShown = false;      // the main window's balance mode is 0
    bool incomplete = false;        // a stock with shares has no quote yet
    std::uint32_t counted = 0;      // stocks with shares and a quote
    std::uint32_t overallKind = 0;  // the portfolio's overall status kind
    std::uint8_t dispTotal = 1;     // "DispTotal": 0 hidden, 1 notification area, 20 desktop
    std::uint32_t arrowMode = 0;    // bit 1: the arrow follows the profit instead of the day's change
    bool portfolioVisible = false;
    bool anyStockIconShown = false;
    ArrowThresholds thresholds = TotalArrowThresholds();
};

struct TotalsTexts {
    std::string totalsLine;  // "合計 ..."
    std::string appTip;      // the application icon's tip
    IconCode appIcon = kIconApplication;
    std::uint32_t arrow = 0;  // 11 to 17, or 0 without an arrow
    std::uint8_t showState = 1;
};

TotalsTexts BuildTotals(const TotalsInput& totals, const DisplayOptions& options);

// The overall status kind of a stock list, folded over the stocks in list order: Checking (16)
// overrides everything and stays; Failed (12) overrides OutOfHours (4) and Offline (8); between
// OutOfHours and Offline the later stock wins; a stock without a fetch state changes nothing.
// `overall` is the kind so far (start with 0), `status` the next stock's status word.
std::uint32_t MergeOverallKind(std::uint32_t overall, std::uint32_t status);
// The fold over every stock of `stocks`.
std::uint32_t OverallStatusKind(const StockList& stocks);
// The same answer from the running counts of `sums` (which must follow `stocks`), walking the
// list only when both OutOfHours and Offline stocks are in it.
std::uint32_t OverallStatusKind(const RunningTotals& sums, const StockList& stocks);

// What the main window knows besides the running sums.
struct TotalsContext {
    PriceValue cashBalance = 0;
    std::uint32_t cashSwitches = 0;  // the open file's CashSwitchBits
    bool portfolioVisible = false;
};
// Everything BuildTotals needs: the sums, the overall status kind, the balance when the file
// adds it to the totals, the icon's show state, arrow basis and steps from the settings.
TotalsInput GatherTotals(const RunningTotals& sums, const StockList& stocks, const AppSettings& settings,
                         const TotalsContext& context);
// Gives the application icon the totals' picture and tip and puts it where they say. False when
// the picture or the show failed (logged by the icon control).
bool ApplyTotalsIcon(CStockIconCtrl& appIcon, IconCache& cache, const TotalsTexts& totals);

// Tooltip requests of the portfolio (title tool 16, rows 32 + index): false when nothing is
// answered. Answers are cut to 511 bytes without splitting a double-byte character.
inline constexpr std::uint32_t kTitleToolId = 16;
inline constexpr std::uint32_t kFirstRowToolId = 32;
inline constexpr std::size_t kTipAnswerMax = 511;
bool GetTipText(const DisplayOptions& options, std::uint32_t toolId, bool rolledUp, bool totalsIncomplete,
                const std::string& totalsLine, const std::vector<const CStockMan*>& rows, std::string& answer);
// The answer for a stock's desktop window.
std::string DesktopTipText(const CStockMan& stock);

// Shift-JIS helpers the texts are built with.
bool IsSjisLeadByte(unsigned char byte);
// The longest prefix of at most `maxBytes` bytes that does not split a double-byte character.
std::size_t SjisPrefixLength(const std::string& text, std::size_t maxBytes);

}  // namespace quotrix
