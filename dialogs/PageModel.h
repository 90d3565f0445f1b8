// The portable half of every dialog and property page: what the user types, read and checked.
//
// A page's logic lives in a plain class of its own in dialogs/ (no <windows.h>), for example
// `TradePageModel` or `DisplayPageModel`:
//   - Load(source) fills the working copy from the object being edited;
//   - one method per control change (`ToggleMargin`, `SetShowChoice` ...) that updates the
//     working copy and everything that follows from it;
//   - queries the Win32 page shows: texts, labels, which controls are enabled;
//   - Store(target) writes the working copy back (Apply, OK).
// Typed text is read with the functions below; a refused entry carries its message, which the
// page shows before putting the focus back in the box. All texts are Shift-JIS.
// Pure functions and plain values: any thread, no shared state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/Price.h"

namespace quotrix {

// "正の整数を入力してください。": a share count or another whole number was expected.
const std::string& NotUnsignedMessage();
// "通貨型を入力してください。": an amount was expected.
const std::string& NotAmountMessage();

// An unsigned decimal number of at most 32 bits: blanks around it, digits (also full-width, and
// "," between digit groups). Nothing else, no sign; empty text is refused.
std::optional<std::uint32_t> ParseUnsignedText(std::string_view sjis);

// A decimal amount in yen: blanks around it, an optional sign, digits (also full-width, "," between
// groups), an optional "." with up to four decimals (further decimals are cut off). Empty text is
// 0. Refused: anything else, and amounts beyond the 64-bit range of PriceValue.
std::optional<PriceValue> ParseAmountText(std::string_view sjis);

// The text an amount box shows: plain digits, a "." and the decimals only when there are any
// (up to four), never grouped, so that ParseAmountText reads back the same value.
std::string AmountBoxText(PriceValue value);

// Amount arithmetic; an overflow of 64 bits gives no amount (an invalid one).
using Amount = std::optional<PriceValue>;
Amount AddAmounts(Amount a, Amount b);
Amount SubtractAmounts(Amount a, Amount b);
Amount MultiplyAmount(Amount a, std::uint32_t count);
// Quotient truncated toward zero; a count of 0 gives no amount.
Amount DivideAmount(Amount a, std::uint32_t count);

}  // namespace quotrix
