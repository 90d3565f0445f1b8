#include "net/CurrentQuotePage.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <optional>
#include <string>

#include "model/Price.h"
#include "net/QuotePage.h"
#include "platform/TextCodec.h"

namespace quotrix {

namespace {

using nlohmann::json;

constexpr std::string_view kStateMarker = "__PRELOADED_STATE__";

// The parse mask is the classic reader's.
constexpr std::uint32_t kName = PARSE_NAME, kChange = PARSE_CHANGE, kPrice = PARSE_PRICE, kFundPrice = PARSE_FUND_PRICE,
                        kPrevClose = PARSE_PREV_CLOSE, kVolume = PARSE_VOLUME, kOpen = PARSE_OPEN, kHigh = PARSE_HIGH,
                        kLow = PARSE_LOW, kYield = PARSE_YIELD, kPer = PARSE_PER, kEps = PARSE_EPS, kPbr = PARSE_PBR;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The JSON text of the state object: from behind "=" up to the end of its script element,
// without a closing ";".
std::optional<std::string_view> StateText(std::string_view body) {
    std::size_t pos = body.find(kStateMarker);
    if (pos == std::string_view::npos) return std::nullopt;
    pos += kStateMarker.size();
    while (pos < body.size() && IsBlank(body[pos])) ++pos;
    if (pos >= body.size() || body[pos] != '=') return std::nullopt;
    ++pos;
    std::size_t end = body.find("</script>", pos);
    if (end == std::string_view::npos) end = body.size();
    while (end > pos && (IsBlank(body[end - 1]) || body[end - 1] == ';')) --end;
    return body.substr(pos, end - pos);
}

// A string member at a path of object keys, or nothing.
const std::string* StringAt(const json& root, std::initializer_list<const char*> path) {
    const json* node = &root;
    for (const char* key : path) {
        if (!node->is_object()) return nullptr;
        auto it = node->find(key);
        if (it == node->end()) return nullptr;
        node = &*it;
    }
    return node->is_string() ? node->get_ptr<const std::string*>() : nullptr;
}

std::string WithoutCommas(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != ',') out += c;
    return out;
}

PriceValue PriceOf(const std::string& text) {
    // The site's texts are ASCII digits; anything else (for instance "---") reads as 0.
    std::u16string wide(text.begin(), text.end());
    for (char16_t& c : wide)
        if (c > 0x7F) c = u'?';
    return ParsePrice(wide);
}

std::uint32_t IntegerOf(const std::string& text) {
    const std::string plain = WithoutCommas(text);
    return static_cast<std::uint32_t>(std::strtoul(plain.c_str(), nullptr, 10));
}

double DoubleOf(const std::string& text) {
    const std::string plain = WithoutCommas(text);
    return std::strtod(plain.c_str(), nullptr);
}

}  // namespace

bool HasPreloadedState(std::string_view body) { return body.find(kStateMarker) != std::string_view::npos; }

bool ParseCurrentQuotePage(std::string_view body, CStock& copy, std::uint32_t mask, ThreadLog* log) {
    const auto stateText = StateText(body);
    if (!stateText) return false;
    const json state = json::parse(stateText->begin(), stateText->end(), nullptr, /*allow_exceptions=*/false);
    if (state.is_discarded() || !state.is_object()) {
        if (log)
            log->Append(LOG_DTL, "Parse: state object broken (%u bytes)", static_cast<unsigned>(stateText->size()));
        return false;
    }

    // Stocks and indices have a price board; funds a fund price board.
    const char* board[] = {"mainStocksPriceBoard", "priceBoard"};
    const char* detail[] = {"mainStocksDetail", "detail"};
    const char* reference[] = {"mainStocksDetail", "referenceIndex"};
    auto boardValue = [&](const char* key) { return StringAt(state, {board[0], board[1], key}); };
    auto detailValue = [&](const char* key) { return StringAt(state, {detail[0], detail[1], key}); };
    auto referenceValue = [&](const char* key) { return StringAt(state, {reference[0], reference[1], key}); };

    if (mask & kName) {
        const std::string* name = boardValue("name");
        if (!name) name = StringAt(state, {"mainFundPriceBoard", "fundPrices", "name"});
        if (!name || name->empty()) return false;
        copy.name = Utf8ToSjis(*name);
        if (log) log->Append(LOG_INT, "Parse success / Name: %s", copy.name.c_str());
    }
    if (mask & kPrice) {
        const std::string* price = boardValue("price");
        const std::string* time = boardValue("priceDateTime");
        if (!price || !time) return false;
        copy.price = PriceOf(*price);
        copy.updateTime = *time;
    } else if (mask & kFundPrice) {
        const std::string* price = StringAt(state, {"mainFundPriceBoard", "fundPrices", "price"});
        const std::string* date = StringAt(state, {"mainFundPriceBoard", "fundPrices", "updateDate"});
        if (!price) price = boardValue("price");
        if (!date) date = boardValue("priceDateTime");
        if (!price || !date) return false;
        copy.price = PriceOf(*price);
        copy.updateTime = *date;
    }
    if (mask & kChange) {
        const std::string* change = boardValue("priceChange");
        if (!change) return false;
        copy.change = PriceOf(*change);
    }

    struct PriceField {
        std::uint32_t bit;
        const char* key;
        PriceValue CBasicStock::*field;
    };
    static constexpr PriceField kRequired[] = {{kPrevClose, "previousPrice", &CBasicStock::prevClose},
                                               {kOpen, "openPrice", &CBasicStock::open},
                                               {kHigh, "highPrice", &CBasicStock::high},
                                               {kLow, "lowPrice", &CBasicStock::low}};
    for (const auto& f : kRequired) {
        if (!(mask & f.bit)) continue;
        const std::string* text = detailValue(f.key);
        if (!text) return false;
        copy.*f.field = PriceOf(*text);
    }
    if (mask & kVolume) {
        const std::string* text = detailValue("volume");
        copy.volume = text ? IntegerOf(*text) : 0;
    }
    if (mask & kYield) {
        const std::string* text = referenceValue("shareDividendYield");
        copy.dividendYield = text ? DoubleOf(*text) : 0.0;
    }
    if (mask & kPer) {
        const std::string* text = referenceValue("per");
        copy.per = text ? DoubleOf(*text) : 0.0;
    }
    if (mask & kEps) {
        const std::string* text = referenceValue("eps");
        copy.eps = text ? PriceOf(*text) : 0;
    }
    if (mask & kPbr) {
        const std::string* text = referenceValue("pbr");
        copy.pbr = text ? DoubleOf(*text) : 0.0;
    }
    return true;
}

}  // namespace quotrix
