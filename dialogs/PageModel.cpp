#include "dialogs/PageModel.h"

#include "platform/TextCodec.h"

namespace quotrix {

const std::string& NotUnsignedMessage() { return SJIS("正の整数を入力してください。"); }
const std::string& NotAmountMessage() { return SJIS("通貨型を入力してください。"); }

namespace {

// Full-width digits, signs and blanks as their ASCII forms; any other double-byte character
// becomes a byte no number accepts. Blanks around the number are dropped.
std::string Normalize(std::string_view sjis) {
    std::string out;
    out.reserve(sjis.size());
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        const auto lead = static_cast<unsigned char>(sjis[i]);
        const bool doubleByte = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
        if (!doubleByte) {
            out += static_cast<char>(lead);
            continue;
        }
        if (i + 1 >= sjis.size()) {
            out += '\x01';
            break;
        }
        const auto trail = static_cast<unsigned char>(sjis[++i]);
        if (lead == 0x82 && trail >= 0x4F && trail <= 0x58)
            out += static_cast<char>('0' + (trail - 0x4F));
        else if (lead == 0x81 && trail == 0x40)
            out += ' ';
        else if (lead == 0x81 && trail == 0x43)
            out += ',';
        else if (lead == 0x81 && trail == 0x44)
            out += '.';
        else if (lead == 0x81 && (trail == 0x7C || trail == 0x5D))
            out += '-';
        else if (lead == 0x81 && trail == 0x7B)
            out += '+';
        else
            out += '\x01';
    }
    const std::size_t first = out.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const std::size_t last = out.find_last_not_of(" \t\r\n");
    return out.substr(first, last - first + 1);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits with "," only between two digits; false for anything else or an empty run.
bool ReadDigits(std::string_view text, std::uint64_t limit, std::uint64_t& value) {
    value = 0;
    if (text.empty()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ',') {
            if (i == 0 || i + 1 == text.size() || !IsDigit(text[i - 1]) || !IsDigit(text[i + 1])) return false;
            continue;
        }
        if (!IsDigit(c)) return false;
        const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
        if (value > (limit - digit) / 10) return false;
        value = value * 10 + digit;
    }
    return true;
}

}  // namespace

std::optional<std::uint32_t> ParseUnsignedText(std::string_view sjis) {
    const std::string text = Normalize(sjis);
    std::uint64_t value = 0;
    if (!ReadDigits(text, 0xFFFFFFFFu, value)) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

std::optional<PriceValue> ParseAmountText(std::string_view sjis) {
    std::string text = Normalize(sjis);
    if (text.empty()) return PriceValue{0};
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        text.erase(0, 1);
    }
    const std::size_t point = text.find('.');
    const std::string whole = text.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
    if (whole.empty() && fraction.empty()) return std::nullopt;
    for (char c : fraction)
        if (!IsDigit(c)) return std::nullopt;
    // The magnitude of the most negative value is one more than the largest positive one.
    const std::uint64_t limit = negative ? 0x8000000000000000ull : 0x7FFFFFFFFFFFFFFFull;
    std::uint64_t yen = 0;
    if (!whole.empty() && !ReadDigits(whole, limit / kYen, yen)) return std::nullopt;
    fraction.resize(4, '0');
    std::uint64_t ten4 = 0;
    for (char c : fraction) ten4 = ten4 * 10 + static_cast<std::uint64_t>(c - '0');
    const std::uint64_t magnitude = yen * kYen;
    if (magnitude > limit - ten4) return std::nullopt;
    const std::uint64_t total = magnitude + ten4;
    if (negative) return static_cast<PriceValue>(0 - total);
    return static_cast<PriceValue>(total);
}

std::string AmountBoxText(PriceValue value) {
    const bool negative = value < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string text = (negative ? "-" : "") + std::to_string(magnitude / kYen);
    std::uint64_t rest = magnitude % kYen;
    if (rest != 0) {
        std::string digits = std::to_string(rest + kYen).substr(1);  // four digits with leading zeros
        while (!digits.empty() && digits.back() == '0') digits.pop_back();
        text += "." + digits;
    }
    return text;
}

Amount AddAmounts(Amount a, Amount b) {
    PriceValue out = 0;
    if (!a || !b || __builtin_add_overflow(*a, *b, &out)) return std::nullopt;
    return out;
}

Amount SubtractAmounts(Amount a, Amount b) {
    PriceValue out = 0;
    if (!a || !b || __builtin_sub_overflow(*a, *b, &out)) return std::nullopt;
    return out;
}

Amount MultiplyAmount(Amount a, std::uint32_t count) {
    PriceValue out = 0;
    if (!a || __builtin_mul_overflow(*a, static_cast<PriceValue>(count), &out)) return std::nullopt;
    return out;
}

Amount DivideAmount(Amount a, std::uint32_t count) {
    if (!a || count == 0) return std::nullopt;
    return *a / static_cast<PriceValue>(count);
}

}  // namespace quotrix
