#include "model/Price.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <limits>

namespace quotrix {

void GroupDigits(std::string& text) {
    const std::size_t len = text.size();
    const std::size_t start = (len > 0 && (text[0] == '+' || text[0] == '-')) ? 2 : 1;
    if (len <= 3 || len < start) return;
    std::size_t separators = (len - start) / 3;
    if (separators == 0) return;
    std::string grouped(len + separators, ' ');
    std::size_t dst = grouped.size();
    std::size_t copied = 0;
    for (std::size_t src = len; src-- > 0;) {
        grouped[--dst] = text[src];
        if (++copied % 3 == 0 && separators > 0 && src > 0) {
            grouped[--dst] = ',';
            --separators;
        }
    }
    text.swap(grouped);
}

namespace {

// The magnitude of a remainder (0..9999) as a point and two truncated digits: 5000 -> ".50".
void AppendHundredths(std::string& out, std::uint64_t remainder) {
    char buf[8];
    std::snprintf(buf, sizeof buf, ".%04" PRIu64, remainder % 10000);
    out.append(buf, 3);
}

std::uint64_t Magnitude(std::int64_t value) {
    return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

}  // namespace

std::string& FormatPrice(const PriceValue& value, std::string& out, unsigned flags) {
    const std::int64_t q = value / kYen;
    const std::int64_t r = value % kYen;
    char buf[32];
    std::snprintf(buf, sizeof buf, (flags & FMT_SIGN) ? "%+" PRId64 : "%" PRId64, q);
    out = buf;
    // A value between -1 and 0 yen has a quotient of 0, which printf does not sign.
    if (value < 0 && q == 0) {
        if (out[0] == '+')
            out[0] = '-';
        else
            out.insert(out.begin(), '-');
    }
    if (flags & FMT_GROUP) GroupDigits(out);
    if (r != 0 && !(flags & FMT_NOFRACTION))
        AppendHundredths(out, Magnitude(r));
    else if (flags & FMT_POINT)
        out += '.';
    return out;
}

std::string& FormatCount(std::int32_t value, std::string& out, unsigned flags) {
    char buf[16];
    std::snprintf(buf, sizeof buf, (flags & FMT_SIGN) ? "%+d" : "%d", value);
    out = buf;
    if (flags & FMT_GROUP) GroupDigits(out);
    if (flags & FMT_POINT) out += '.';
    return out;
}

void NumberText::SetPrice(const PriceValue& value, unsigned flags) {
    negative = value < 0;
    const std::uint64_t m = Magnitude(value);
    const std::uint64_t q = m / kYen;
    const std::uint64_t r = m % kYen;
    char buf[32];
    const char* sign = negative ? "-" : (flags & FMT_SIGN) ? "+" : "";
    std::snprintf(buf, sizeof buf, "%s%" PRIu64, sign, q);
    text = buf;
    if (flags & FMT_GROUP) GroupDigits(text);
    if ((r != 0 && !(flags & FMT_NOFRACTION)) || (flags & FMT_FORCEFRACTION)) {
        AppendHundredths(text, r);
        fractionLength = (flags & FMT_POINT) ? 2 : 3;
    } else if (flags & FMT_POINT) {
        text += '.';
    }
}

void NumberText::SetRatio(double value, unsigned flags) {
    negative = value < 0;
    double scaled = std::fabs(value) * 100.0;
    // The conversion is 32-bit; NaN and out-of-range magnitudes are clamped instead of being undefined.
    std::int32_t n;
    if (!(scaled < 2147483647.0))
        n = scaled != scaled ? 0 : std::numeric_limits<std::int32_t>::max();
    else
        n = static_cast<std::int32_t>(scaled);
    const std::int32_t q = n / 100;
    char buf[32];
    const char* sign = negative ? "-" : (flags & FMT_SIGN) ? "+" : "";
    std::snprintf(buf, sizeof buf, "%s%d", sign, q);
    text = buf;
    if (flags & FMT_GROUP) GroupDigits(text);
    if (!(flags & FMT_NOFRACTION)) {
        std::snprintf(buf, sizeof buf, ".%02d", n - q * 100);
        text += buf;
        fractionLength = (flags & FMT_POINT) ? 2 : 3;
    } else if (flags & FMT_POINT) {
        text += '.';
    }
}

PriceValue ParsePrice(const char16_t* text, std::size_t length) {
    if (text == nullptr || length == 0) return 0;
    std::size_t i = 0;
    bool negative = false;
    // Leading blanks, then an optional sign.
    while (i < length && text[i] == u' ') ++i;
    if (i < length && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    // The accumulator is 32 bits wide, as pages never carry larger integer parts; wrap-around
    // is computed unsigned so that a hostile page cannot trigger signed overflow.
    std::uint32_t integer = 0;
    char16_t end = 0;
    for (; i < length; ++i) {
        const char16_t c = text[i];
        if (c == u',') continue;
        if (c < u'0' || c > u'9') {
            end = c;
            break;
        }
        integer = integer * 10u + static_cast<std::uint32_t>(c - u'0');
    }
    if (end == u'-') return 0;
    std::int64_t fraction = 0;
    if (end == u'.') {
        int digits = 0;
        for (++i; i < length; ++i) {
            const char16_t c = text[i];
            if (c == u',') continue;
            if (c < u'0' || c > u'9') break;
            if (digits < 4) {
                fraction = fraction * 10 + (c - u'0');
                ++digits;
            }
        }
        static constexpr int kScale[] = {0, 1000, 100, 10, 1};
        fraction *= kScale[digits];
    }
    // Negated in 32 bits, as the accumulator is.
    const std::int64_t whole = static_cast<std::int32_t>(negative ? 0u - integer : integer);
    if (negative) fraction = -fraction;
    return whole * kYen + fraction;
}

}  // namespace quotrix
