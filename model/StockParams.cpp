#include "model/StockParams.h"

#include <string>
#include <utility>

#include "settings/SettingsStore.h"

namespace quotrix {

namespace {

// A price threshold is two keys, name + "H" (read and written first) and name + "L".
PriceValue ReadHighLow(SettingsStore& store, std::string_view section, std::string_view name, PriceValue current) {
    const auto bits = static_cast<std::uint64_t>(current);
    const std::string key(name);
    const std::uint64_t high = store.GetInt(section, key + "H", static_cast<std::uint32_t>(bits >> 32));
    const std::uint64_t low = store.GetInt(section, key + "L", static_cast<std::uint32_t>(bits));
    return static_cast<PriceValue>((high << 32) | low);
}

void WriteHighLow(SettingsStore& store, std::string_view section, std::string_view name, PriceValue value) {
    const auto bits = static_cast<std::uint64_t>(value);
    const std::string key(name);
    store.SetInt(section, key + "H", static_cast<std::uint32_t>(bits >> 32));
    store.SetInt(section, key + "L", static_cast<std::uint32_t>(bits));
}

// Bounds and the target are "Lo" then "Hi".
PriceValue ReadLoHi(SettingsStore& store, std::string_view section, std::string_view name, PriceValue current) {
    const auto bits = static_cast<std::uint64_t>(current);
    const std::string key(name);
    const std::uint64_t low = store.GetInt(section, key + "Lo", static_cast<std::uint32_t>(bits));
    const std::uint64_t high = store.GetInt(section, key + "Hi", static_cast<std::uint32_t>(bits >> 32));
    return static_cast<PriceValue>((high << 32) | low);
}

void WriteLoHi(SettingsStore& store, std::string_view section, std::string_view name, PriceValue value) {
    const auto bits = static_cast<std::uint64_t>(value);
    const std::string key(name);
    store.SetInt(section, key + "Lo", static_cast<std::uint32_t>(bits));
    store.SetInt(section, key + "Hi", static_cast<std::uint32_t>(bits >> 32));
}

}  // namespace

bool IsValidShowMode(std::uint32_t mode) { return mode <= 3 || (mode >= 20 && mode <= 22); }

void ArrowThresholds::ReadSettings(SettingsStore& store, std::string_view section) {
    curPlusHigh = ReadHighLow(store, section, "CurPlusHigh", curPlusHigh);
    curPlusLow = ReadHighLow(store, section, "CurPlusLow", curPlusLow);
    curMinusLow = ReadHighLow(store, section, "CurMinusLow", curMinusLow);
    curMinusHigh = ReadHighLow(store, section, "CurMinusHigh", curMinusHigh);
    perPlusHigh = store.GetInt(section, "PerPlusHigh", perPlusHigh);
    perPlusLow = store.GetInt(section, "PerPlusLow", perPlusLow);
    perMinusLow = store.GetInt(section, "PerMinusLow", perMinusLow);
    perMinusHigh = store.GetInt(section, "PerMinusHigh", perMinusHigh);
    percentFlag = store.GetInt(section, "PercentFlag", percentFlag ? 1 : 0) != 0;
}

void ArrowThresholds::WriteSettings(SettingsStore& store, std::string_view section) const {
    WriteHighLow(store, section, "CurPlusHigh", curPlusHigh);
    WriteHighLow(store, section, "CurPlusLow", curPlusLow);
    WriteHighLow(store, section, "CurMinusLow", curMinusLow);
    WriteHighLow(store, section, "CurMinusHigh", curMinusHigh);
    store.SetInt(section, "PerPlusHigh", perPlusHigh);
    store.SetInt(section, "PerPlusLow", perPlusLow);
    store.SetInt(section, "PerMinusLow", perMinusLow);
    store.SetInt(section, "PerMinusHigh", perMinusHigh);
    store.SetInt(section, "PercentFlag", percentFlag ? 1 : 0);
}

void CStockParams::Normalize() {
    if (dispLower > dispUpper) std::swap(dispLower, dispUpper);
    fileFlags &= kFileFlagsMask;
    tradeMode &= 3;
    if (!IsValidShowMode(showMode)) showMode = 0;
    if (iconIndexMode >= 3) iconIndexMode = 2;
}

void CStockParams::ReadSettings(SettingsStore& store, std::string_view section) {
    ArrowThresholds::ReadSettings(store, section);
    dispLower = ReadLoHi(store, section, "DispLower", dispLower);
    dispUpper = ReadLoHi(store, section, "DispUpper", dispUpper);
    targetPrice = ReadLoHi(store, section, "TargetPrice", targetPrice);
    fileFlags = store.GetInt(section, "FileFlags", fileFlags);
    desktopTxtFlags = store.GetInt(section, "DesktopTxtFlags", desktopTxtFlags);
    // Byte-sized settings: a stored value above 255 is first cut to its low byte, as the
    // checks below are on the byte.
    tradeMode = static_cast<std::uint8_t>(store.GetInt(section, "TradeMode", tradeMode));
    const std::uint32_t show = store.GetInt(section, "ShowMode", showMode);
    showMode = IsValidShowMode(show) ? static_cast<std::uint8_t>(show) : 0;
    const std::uint32_t index = store.GetInt(section, "IconIndexMode", iconIndexMode);
    iconIndexMode = static_cast<std::uint8_t>(index >= 3 ? 2 : index);
    Normalize();
}

void CStockParams::WriteSettings(SettingsStore& store, std::string_view section) const {
    ArrowThresholds::WriteSettings(store, section);
    WriteLoHi(store, section, "DispLower", dispLower);
    WriteLoHi(store, section, "DispUpper", dispUpper);
    WriteLoHi(store, section, "TargetPrice", targetPrice);
    store.SetInt(section, "FileFlags", fileFlags);
    store.SetInt(section, "DesktopTxtFlags", desktopTxtFlags);
    store.SetInt(section, "TradeMode", tradeMode);
    store.SetInt(section, "ShowMode", showMode);
    store.SetInt(section, "IconIndexMode", iconIndexMode);
}

bool CStockParams::WatchAlert(PriceValue price) const {
    if ((fileFlags & (FILEFLAG_ALERT_TARGET | FILEFLAG_ALERT_OUTSIDE | FILEFLAG_ALERT_INSIDE)) == 0) return false;
    if ((fileFlags & FILEFLAG_ALERT_TARGET) && price >= targetPrice) return true;
    const bool inside = dispLower <= price && price <= dispUpper;
    if (fileFlags & FILEFLAG_ALERT_INSIDE) return inside;
    if (fileFlags & FILEFLAG_ALERT_OUTSIDE) return !inside;
    return false;
}

void CStockDefaults::ReadSettings(SettingsStore& store, std::string_view section) {
    CStockParams::ReadSettings(store, section);
    desktopTxtMode = store.GetInt(section, "DesktopTxtMode", desktopTxtMode);
}

void CStockDefaults::WriteSettings(SettingsStore& store, std::string_view section) const {
    CStockParams::WriteSettings(store, section);
    store.SetInt(section, "DesktopTxtMode", desktopTxtMode);
}

}  // namespace quotrix
