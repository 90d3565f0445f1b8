// The scanning reader takes the common numbers (an integer part, maybe a fraction) from masks
// of sixteen bytes and leaves the others to its byte-by-byte reading; it looks for blanks only
// where the byte it expects is not there. Numbers of every form JSON allows or rejects, at every
// place of a block and up to the very end of the text, and blanks around every structural
// character, must give the document reader's answer and leave the reading in step for the
// values behind them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "net/CurrentQuotePage.h"
#include "net/QuotePage.h"
#include "net/QuotePageScan.h"
#include "tests/net/StateReading.h"

namespace quotrix {
namespace {

// The members the reader needs, written behind the values a test puts first.
std::string Members() {
    return "\"mainStocksPriceBoard\":{\"priceBoard\":{\"code\":\"7203\",\"name\":\"Toyota\",\"price\":\"2,975\","
           "\"priceDateTime\":\"15:00\",\"priceChange\":\"+25\"}},\"mainStocksDetail\":{\"detail\":{"
           "\"previousPrice\":\"2,950\",\"openPrice\":\"2,960\",\"highPrice\":\"2,990\",\"lowPrice\":\"2,940\","
           "\"volume\":\"12,345,600\"}}";
}

void ExpectBothReaders(const std::string& body, bool ok, const std::string& what) {
    const Reading dom = Read(body, StateReader::Dom);
    const Reading scan = Read(body, StateReader::Scan);
    ASSERT_EQ(dom.ok, ok) << what;
    ASSERT_EQ(scan.ok, ok) << what;
    if (ok) {
        EXPECT_EQ(scan.stock.name, "Toyota") << what;
        EXPECT_EQ(scan.stock.price, dom.stock.price) << what;
        EXPECT_EQ(scan.stock.volume, dom.stock.volume) << what;
    }
}

struct NumberCase {
    std::string text;
    bool ok;
};

const std::vector<NumberCase>& Numbers() {
    static const std::vector<NumberCase> numbers = {
        {"0", true},
        {"-0", true},
        {"7", true},
        {"2975", true},
        {"-12345678", true},
        {"0.5", true},
        {"-0.25", true},
        {"1.0", true},
        {"3.14159265358979", true},
        {"123456789012345", true},    // fifteen bytes: the masks' longest
        {"-12345678901234", true},    // fifteen bytes with the sign
        {"1234567890123456", true},   // sixteen: read byte by byte
        {"-1234567890.12345", true},  // a fraction past the masks
        {"12345678901234567890", true},
        {"1e5", true},
        {"1E+5", true},
        {"-1.5e-3", true},
        {"0e0", true},
        {"1.25E2", true},
        {"01", false},
        {"-01", false},
        {"00", false},
        {"1.", false},
        {"-1.", false},
        {".5", false},
        {"-", false},
        {"-a", false},
        {"--1", false},
        {"+1", false},
        {"1.e5", false},
        {"1e", false},
        {"1e+", false},
        {"1E-x", false},
        {"0x1F", false},
        {"1.2.3", false},
        {"1..2", false},
        {"1 2", false},
        {"12a", false},
        {"123456789012345.", false},
        {"1234567890123456.", false},
    };
    return numbers;
}

TEST(StateValues, NumbersOfEveryFormAtEveryPlaceOfABlock) {
    // The number's first byte lies at every place of a 64-byte block (the pad moves it), with the
    // reader's members behind it, in an object and in an array.
    for (const bool avx2 : {false, true}) {
        AllowAvx2(avx2);
        for (const NumberCase& number : Numbers())
            for (std::size_t pad = 0; pad < 64; ++pad) {
                const std::string head =
                    "<html><script>window.__PRELOADED_STATE__ = {\"pad\":\"" + std::string(pad, 'x') + "\",";
                const std::string tail = "</script></html>";
                ExpectBothReaders(head + "\"count\":" + number.text + "," + Members() + "}" + tail, number.ok,
                                  "object " + number.text + " pad " + std::to_string(pad));
                ExpectBothReaders(head + "\"list\":[" + number.text + "," + number.text + "]," + Members() + "}" + tail,
                                  number.ok, "array " + number.text + " pad " + std::to_string(pad));
            }
    }
    AllowAvx2(true);
}

TEST(StateValues, EveryLengthOfTheIntegerAndTheFraction) {
    // The masks see sixteen bytes: a point or a digit may lie at any of them, or just beyond.
    // Every split of up to twenty bytes into integer and fraction, with and without a sign.
    const std::string head = "<html><script>window.__PRELOADED_STATE__ = {\"count\":";
    const std::string tail = "," + Members() + "}</script></html>";
    for (const bool avx2 : {false, true}) {
        AllowAvx2(avx2);
        for (const std::string sign : {"", "-"})
            for (std::size_t integer = 1; integer <= 18; ++integer)
                for (const std::string fraction : {"", ".", ".0", ".25", ".125", "e5", ".5e-1", ".x"}) {
                    const std::string number = sign + "9" + std::string(integer - 1, '1') + fraction;
                    const bool ok = fraction != "." && fraction != ".x";
                    ExpectBothReaders(head + number + tail, ok, number);
                    ExpectBothReaders(head + "[" + number + "," + number + "]" + tail, ok, "array " + number);
                }
    }
    AllowAvx2(true);
}

TEST(StateValues, NumbersUpToTheEndOfThePage) {
    // No script end behind the state: the page ends a few bytes after the number, so that the
    // sixteen bytes the masks read are not all there.
    for (const NumberCase& number : Numbers())
        for (std::size_t blanks = 0; blanks < 20; ++blanks) {
            const std::string body = "<html><script>window.__PRELOADED_STATE__ = {" + Members() +
                                     ",\"count\":" + number.text + std::string(blanks, ' ') + "}";
            ExpectBothReaders(body, number.ok, number.text + " blanks " + std::to_string(blanks));
        }
    // The page ends inside the number: the state is cut short.
    const std::string head = "<html><script>window.__PRELOADED_STATE__ = {" + Members() + ",\"count\":";
    for (const std::string cut : {"1", "-", "12.", "12.5", "1e", "1e5", "0"}) ExpectBothReaders(head + cut, false, cut);
}

TEST(StateValues, PagesEndingInsideAString) {
    // The string places run out before the string ends: the state is cut short, with AVX2 and
    // without, whatever the string holds before the end.
    const std::string head = "<html><script>window.__PRELOADED_STATE__ = {" + Members() + ",";
    for (const bool avx2 : {false, true}) {
        AllowAvx2(avx2);
        for (const std::string cut : {"\"", "\"na", "\"name\":\"Toy", "\"a\":\"\\", "\"a\":\"\\u30", "\"a\":\"\\uD83D",
                                      "\"a\":\"\\uD83D\\uDE0", "\"a\":\"x\\\"", "\"a\":\"<b", "\"a\":\"</script"})
            for (std::size_t pad = 0; pad < 70; ++pad)
                ExpectBothReaders(head + "\"pad\":\"" + std::string(pad, 'x') + "\"," + cut, false,
                                  cut + " pad " + std::to_string(pad));
    }
    AllowAvx2(true);
}

TEST(StateValues, BlanksAroundEveryStructuralCharacter) {
    // The state is one line without blanks; blanks of every kind around the structural characters
    // and the literals must be skipped as anywhere else, other controls refused.
    const std::string state = "{\"a\":[1,true,false,null,{\"b\":\"c\"},[]],\"e\":{}," + Members() + "}";
    for (const std::string blank : {" ", "\t", "\r\n", "  \n\t "}) {
        for (std::size_t at = 0; at <= state.size(); ++at) {
            // Inside a string a blank would change a key or a value: only between tokens.
            const std::string before = state.substr(0, at);
            const std::size_t quotes = static_cast<std::size_t>(std::count(before.begin(), before.end(), '"'));
            if (quotes % 2 != 0) continue;
            const char previous = at > 0 ? state[at - 1] : '{';
            const char next = at < state.size() ? state[at] : '}';
            const auto isWordByte = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
            if (isWordByte(previous) && isWordByte(next)) continue;  // inside a literal or number
            const std::string head = "<html><script>window.__PRELOADED_STATE__ = " + before;
            const std::string tail = state.substr(at) + "</script></html>";
            ExpectBothReaders(head + blank + tail, true, "blank before " + std::to_string(at));
            ExpectBothReaders(head + "\x01" + blank.substr(1) + tail, false, "control before " + std::to_string(at));
        }
    }
}

}  // namespace
}  // namespace quotrix
