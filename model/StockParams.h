// Per-stock settings, saved in the stock file; the same structure (plus DesktopTxtMode) holds
// the defaults for new stocks in settings section "StdStock".
//
// Prices are PriceValue (ten-thousandths of a yen); percent steps are hundredths of a percent.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/Price.h"

namespace quotrix {

class SettingsStore;

// The steps by which a price movement selects an arrow.
struct ArrowThresholds {
    PriceValue curPlusHigh = 10 * kYen;
    PriceValue curPlusLow = 5 * kYen;
    PriceValue curMinusLow = 5 * kYen;
    PriceValue curMinusHigh = 10 * kYen;
    std::uint32_t perPlusHigh = 1000;  // hundredths of a percent
    std::uint32_t perPlusLow = 500;
    std::uint32_t perMinusLow = 500;
    std::uint32_t perMinusHigh = 1000;
    bool percentFlag = false;

    // Keys as in sections "StdStock" and "DispTotal"; a missing key keeps the current value.
    void ReadSettings(SettingsStore& store, std::string_view section);
    void WriteSettings(SettingsStore& store, std::string_view section) const;
    bool operator==(const ArrowThresholds&) const = default;
};

// FileFlags bits.
enum FileFlagBits : std::uint32_t {
    FILEFLAG_PORTFOLIO = 0x2,        // listed in the portfolio window
    FILEFLAG_BALLOON = 0x4,          // balloon alert when the watch alert rises
    FILEFLAG_ALERT_TARGET = 0x200,   // alert when the price reaches the target
    FILEFLAG_ALERT_OUTSIDE = 0x400,  // alert while outside the watch range
    FILEFLAG_ALERT_INSIDE = 0x800,   // alert while inside the watch range
};
inline constexpr std::uint32_t kFileFlagsMask = 0xF07;

struct CStockParams : ArrowThresholds {
    PriceValue dispLower = 0;  // watch range
    PriceValue dispUpper = 0;
    PriceValue targetPrice = 0;
    std::uint32_t fileFlags = FILEFLAG_PORTFOLIO;
    std::uint32_t desktopTxtFlags = 13;
    std::uint8_t tradeMode = 0;
    std::uint8_t showMode = 0;
    std::uint8_t iconIndexMode = 0;

    // Reads and checks the keys of a section (each missing key keeps the current value).
    void ReadSettings(SettingsStore& store, std::string_view section);
    void WriteSettings(SettingsStore& store, std::string_view section) const;
    // The masks and caps applied to every value that comes from outside.
    void Normalize();
    // On when the price meets the alert the FileFlags ask for.
    bool WatchAlert(PriceValue price) const;
    bool operator==(const CStockParams&) const = default;
};

// The defaults for new stocks ("StdStock").
struct CStockDefaults : CStockParams {
    std::uint32_t desktopTxtMode = 0;  // 0 to 2

    void ReadSettings(SettingsStore& store, std::string_view section);
    void WriteSettings(SettingsStore& store, std::string_view section) const;
};

bool IsValidShowMode(std::uint32_t mode);

}  // namespace quotrix
