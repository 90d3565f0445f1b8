// The quote page reader: fetches a stock's quote page, finds out how it is encoded, and reads
// name, price, time, change and the labelled values into the worker's copy of the stock.
//
// Threads: runs on an update worker; touches only the FetchContext it is given (the stock
// copy and the request's log). Prices are PriceValue (ten-thousandths of a yen); volumes are
// share counts; yield, PER and PBR are plain doubles. Page text is untrusted: every reader is
// bounded by the text's length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "log/ThreadLog.h"
#include "model/Stock.h"

namespace quotrix {

// The working object of one page read.
struct FetchContext {
    std::string response;      // 8-bit page text (board and news pages); not used by the quote path
    std::uint8_t flags = 0;    // reserved for the readers
    ThreadLog* log = nullptr;  // the request's log; null: the application log
    CStock* stock = nullptr;   // the worker's private copy, written by the readers
};

// Which values a page read takes (a stock's parse mask).
enum ParseFlags : std::uint32_t {
    PARSE_NAME = 0x0001,        // the text behind the code anchor; required
    PARSE_CHANGE = 0x0002,      // "前日比"; required
    PARSE_PRICE = 0x0004,       // "現在値" and the quote time; required
    PARSE_FUND_PRICE = 0x0008,  // "基準価額" and the quote time, when PARSE_PRICE is clear; required
    PARSE_PREV_CLOSE = 0x0010,  // "前日終値"; required
    PARSE_VOLUME = 0x0020,      // "出来高"; 0 when missing
    PARSE_OPEN = 0x0040,        // "始値"; required
    PARSE_HIGH = 0x0080,        // "高値"; required
    PARSE_LOW = 0x0100,         // "安値"; required
    PARSE_YIELD = 0x0200,       // "配当利回り"; 0.0 when missing
    PARSE_PER = 0x0400,         // "株価収益率"; 0.0 when missing
    PARSE_EPS = 0x0800,         // "株利益"; 0 when missing
    PARSE_PBR = 0x1000,         // "純資産倍率"; 0.0 when missing
};

// The values to read for a stock: its name while the name is pending; only the price for a
// currency pair; change and fund price for a symbol the program does not know; everything
// else for listed stocks and indices.
std::uint32_t ParseMaskFor(const CStock& stock);

// Downloads the copy's quote page (the caller holds a place in the Internet session) and reads
// it. True when one of the six decodings parsed.
bool FetchQuote(FetchContext& context, std::uint32_t mask);

// The decode-and-parse half of FetchQuote, for a body already fetched: tries the decodings in
// their order and stops at the first that parses; a page in the site's current shape (a JSON
// state object) is read when none does. `decodingIndex`, when given, receives the index in
// kPageDecodings of the decoding that parsed, kCurrentPageReader, or -1.
// Decodings that cannot parse are left out (a cheap look at the bytes tells), unless the request's
// log keeps detail lines, which then show every attempt.
inline constexpr int kCurrentPageReader = 6;
bool ParseQuoteBody(FetchContext& context, std::string_view body, std::uint32_t mask, int* decodingIndex = nullptr);

// The same reading done the plain way: every decoding in its order, through the platform's
// converter, then the state object read as a whole document. Same answer, same values.
bool ParseQuoteBodyInOrder(FetchContext& context, std::string_view body, std::uint32_t mask,
                           int* decodingIndex = nullptr);

// Characters above U+007F that a classic page's text must hold for `stock` and `mask` to parse:
// the anchor's and those of the price and change labels the mask asks for. (The labelled values
// further on are left out: an attempt that gets as far as the price writes it even when a later
// value is missing, and it is made as before.)
std::u16string RequiredCharacters(const CStock& stock, std::uint32_t mask);

// Reads one decoded page into the context's stock. `text` is normalised in place (it is
// changed even when the page is rejected). False when a required value is missing.
bool ParseQuotePage(FetchContext& context, char16_t* text, std::size_t length, std::uint32_t mask);

// The contents of the innermost DIV elements of a page, in document order (views into the page).
using DivList = std::vector<std::u16string_view>;

// Builds the DIV list of a normalised page from `from` on.
DivList CollectDivs(std::u16string_view text, std::size_t from);

// Finds the first entry holding "\"TITLE\">" followed by `label` and takes the number behind its
// "<STRONG" into `value`. The entry leaves the list whether or not a number was there.
bool FindLabeledValue(std::u16string_view label, std::u16string_view& value, DivList& list);

}  // namespace quotrix
