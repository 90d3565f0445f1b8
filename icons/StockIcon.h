// How a stock's picture and show state follow from its quote: the arrow against the chosen
// reference, the status mark, the composed IconCode, and the watch band that drives ShowMode.
//
// Pure rules over the model; prices are PriceValue (ten-thousandths of a yen), percent steps are
// hundredths of a percent. Main thread only where a CStockMan is changed.
#pragma once

#include <cstdint>
#include <string>

#include "model/Price.h"
#include "model/StockParams.h"

namespace quotrix {

class CStock;
class CStockMan;
class CStockIconCtrl;

// Indexes into the icon image list: the ten pictures of bitmap 150, then the arrow strip.
enum IconImage : std::uint32_t {
    IMG_MARK_FAILED = 0,
    IMG_MARK_CHECKING = 1,
    IMG_MARK_OFFLINE = 2,  // also "no quote yet"
    IMG_MARK_OUT_OF_HOURS = 3,
    IMG_BOARD = 4,
    IMG_NEWS = 5,
    IMG_HOLDING_FRAME = 6,
    IMG_TOTALS_FRAME = 7,
    IMG_APPLICATION = 8,
    IMG_VERSION_UP = 9,
    IMG_ARROW_NO_QUOTE = 10,
    IMG_ARROW_LARGE_FALL = 11,
    IMG_ARROW_FALL = 12,
    IMG_ARROW_SMALL_FALL = 13,
    IMG_ARROW_UNCHANGED = 14,
    IMG_ARROW_SMALL_RISE = 15,
    IMG_ARROW_RISE = 16,
    IMG_ARROW_LARGE_RISE = 17,
};
inline constexpr std::uint32_t kMarkImages = 10;   // bitmap 150
inline constexpr std::uint32_t kArrowImages = 8;   // one arrow strip
inline constexpr std::uint32_t kNoOverlay = 0xFF;  // an IconCode overlay slot left empty
inline constexpr std::uint32_t kNoMark = 0xFF;     // StatusMark: no mark

// A composed icon: base image (bits 0-15), first overlay (16-23), second overlay (24-31).
using IconCode = std::uint32_t;

constexpr IconCode MakeIconCode(std::uint32_t base, std::uint32_t overlay1 = kNoOverlay,
                                std::uint32_t overlay2 = kNoOverlay) {
    return (base & 0xFFFF) | ((overlay1 & 0xFF) << 16) | ((overlay2 & 0xFF) << 24);
}
constexpr std::uint32_t IconBase(IconCode code) { return code & 0xFFFF; }
constexpr std::uint32_t IconOverlay1(IconCode code) { return (code >> 16) & 0xFF; }
constexpr std::uint32_t IconOverlay2(IconCode code) { return code >> 24; }

inline constexpr IconCode kIconApplication = 0xFFFF0008;
inline constexpr IconCode kIconVersionUp = 0xFFFF0009;
inline constexpr IconCode kIconNoQuote = 0xFFFF000A;
inline constexpr IconCode kIconNoQuoteHolding = 0xFF0A0006;

// BoolFlags1 0x00000008: stocks with a share count use the holding frame.
inline constexpr std::uint32_t kBoolFlags1HoldingFrame = 0x8;

// The arrow image (11 to 17) for a difference against a reference value.
std::uint32_t ChooseArrow(const ArrowThresholds& thresholds, PriceValue difference, PriceValue reference);

// Stores the four steps an editing dialog shows in the price scale (plus-high, plus-low,
// minus-low, minus-high). Negative values count as 0; each pair is ordered high >= low. With
// `percent`, the values go to the percent steps as (v + 50) / 100.
void SetThresholds(ArrowThresholds& thresholds, PriceValue plusHigh, PriceValue plusLow, PriceValue minusLow,
                   PriceValue minusHigh, bool percent);
// The four steps in the price scale, for editing (percent steps come back multiplied by 100).
void GetThresholds(const ArrowThresholds& thresholds, bool percent, PriceValue& plusHigh, PriceValue& plusLow,
                   PriceValue& minusLow, PriceValue& minusHigh);

// True when the stock has holdings: a share count and a total trade amount above 0.
bool HasHoldings(const CStock& stock);
// Sets and answers the stock's arrow image against its reference (IconIndexMode). A reference of
// the average trade price without holdings is changed to the previous close in the stock.
std::uint32_t UpdateStockArrow(CStockMan& stock);

// The status mark (0 to 3) of a status word, or kNoMark.
std::uint32_t StatusMark(std::uint32_t status);
// The mark of an overall status kind (the portfolio's), or kNoMark.
std::uint32_t OverallStatusMark(std::uint32_t kind);
// The stock's composed icon from its arrow image and status mark.
IconCode StockIconCode(const CStockMan& stock, std::uint32_t boolFlags1);
// The icon and tip of a newly added stock until its first quote arrives (Shift-JIS).
IconCode WaitingIconCode(const CStockMan& stock, std::uint32_t boolFlags1);
std::string WaitingTip(const CStock& stock);

// The watch band: 0 below DispLower, 2 above DispUpper, else 1.
std::uint32_t WatchBand(const CStockMan& stock);
// The show state a ShowMode asks for in a band; false for a ShowMode that leaves the icon alone.
bool ShowStateFor(std::uint32_t showMode, std::uint32_t band, std::uint8_t& state);
// Re-evaluates the band after a refresh: raises the balloon once when the price leaves the watch
// range (with the alert option on) and applies the ShowMode through SetShow.
void ApplyWatchBand(CStockMan& stock);

// A release notice on the version-up icon (whose picture is already set): the text becomes its
// tip and is shown once as a balloon, the icon put into the notification area. Later showings
// (a tip change, the re-add after Explorer restarts) carry no balloon until the next notice.
bool ShowReleaseNotice(CStockIconCtrl& icon, const std::string& text);
// After Explorer restarted: an icon that asks for the notification area is added anew.
void ReshowInTray(CStockIconCtrl& icon);

// The stock's display flags (CStockMan::displayFlag / displayWord), shared with the display texts.
enum StockDisplayFlag : std::uint8_t {
    DISPFLAG_TEXTS_CHANGED = 0x1,  // the portfolio must measure the stock's texts again
};
enum StockDisplayWord : std::uint16_t {
    DISPWORD_BAND_MASK = 0x3,   // the watch band + 1; 0 until the first quote was seen
    DISPWORD_LEFT_RANGE = 0x4,  // the price has just left the watch range
    DISPWORD_FALLING = 0x8,     // the change from the previous close is negative
    DISPWORD_LOSS = 0x10,       // the holding is at a loss
};

}  // namespace quotrix
