// Fixed-point prices and the number texts every window, tip and export shows.
//
// Units: a PriceValue counts ten-thousandths of a yen (1 yen == 10000). Share counts and
// volumes are plain 32-bit counts; ratios (yield, PER, PBR) are doubles.
// All functions here are pure and may be called from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quotrix {

using PriceValue = std::int64_t;  // ten-thousandths of a yen

inline constexpr PriceValue kYen = 10000;

// Whole yen (as older stock files store prices) to ten-thousandths.
constexpr PriceValue PriceFromYen(std::int32_t yen) { return static_cast<PriceValue>(yen) * kYen; }

enum FormatFlags : unsigned {
    FMT_SIGN = 0x01,           // a non-negative number gets a leading "+"
    FMT_GROUP = 0x02,          // "," between groups of three integer digits
    FMT_POINT = 0x04,          // always carry a decimal point
    FMT_NOFRACTION = 0x08,     // print no fractional digits
    FMT_FORCEFRACTION = 0x10,  // NumberText::SetPrice only: always two fractional digits
};

// Replaces `out` with the text of `value` (truncated to hundredths) and returns it.
std::string& FormatPrice(const PriceValue& value, std::string& out, unsigned flags);
// Replaces `out` with the text of a count (volumes and share counts are printed signed).
std::string& FormatCount(std::int32_t value, std::string& out, unsigned flags);

// Inserts thousands separators into the integer text `text` (which may carry a sign).
void GroupDigits(std::string& text);

// A formatted number that remembers how it was made; the display texts lay out columns with it.
struct NumberText {
    std::string text;
    std::int32_t fractionLength = 0;  // characters the fraction added (digits only with FMT_POINT)
    std::int32_t extra1 = 0;          // owned by the display texts
    std::int32_t extra2 = 0;          // owned by the display texts
    bool negative = false;

    void SetPrice(const PriceValue& value, unsigned flags);
    // Two decimals; magnitudes of 21,474,836.47 and above do not fit the 32-bit conversion
    // and are clamped rather than overflowing.
    void SetRatio(double value, unsigned flags);
};

// Reads the number at the start of UTF-16 page text; at most `length` units are examined.
// Never fails: text that does not start with a number, or a minus after the first digit, gives 0.
PriceValue ParsePrice(const char16_t* text, std::size_t length);
inline PriceValue ParsePrice(std::u16string_view text) { return ParsePrice(text.data(), text.size()); }

}  // namespace quotrix
