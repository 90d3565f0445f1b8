// The scanning reader takes the ends of the state's strings from bit masks made 64 bytes at a
// time and listed a kilobyte at a time, carrying "inside a string" and "escaped" from block to
// block, and checks the UTF-8 of those blocks on the way (32 bytes at a time with AVX2). Strings
// of every kind are put at every place of a block and across the kilobyte's end; the scanning
// reader must take and reject the same pages as the document reader, with the same values, with
// AVX2 and without.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/CurrentQuotePage.h"
#include "net/QuotePage.h"
#include "net/QuotePageScan.h"
#include "platform/TextCodec.h"
#include "tests/net/StateReading.h"

namespace quotrix {
namespace {

// A page whose state begins with a member holding `pad`, then the name (as JSON text between
// its quotes) among the other values.
std::string PageWith(const std::string& pad, const std::string& name) {
    return "<html><script>window.__PRELOADED_STATE__ = {\"pad\":\"" + pad +
           "\",\"mainStocksPriceBoard\":{\"priceBoard\":{\"code\":\"7203\",\"name\":\"" + name +
           "\",\"price\":\"2,975\",\"priceDateTime\":\"15:00\",\"priceChange\":\"+25\"}},"
           "\"mainStocksDetail\":{\"detail\":{\"previousPrice\":\"2,950\",\"openPrice\":\"2,960\","
           "\"highPrice\":\"2,990\",\"lowPrice\":\"2,940\",\"volume\":\"12,345,600\"}}}</script></html>";
}

struct Name {
    const char* what;
    std::string json;  // between the quotes
    bool ok;
    std::string utf8;  // the name read, when ok and Shift-JIS can hold it
};

const std::vector<Name>& Names() {
    static const std::vector<Name> names = {
        {"plain", "Toyota", true, "Toyota"},
        {"Japanese", "トヨタ自動車(株)", true, "トヨタ自動車(株)"},
        {"an escaped quote", R"(To\"yota)", true, "To\"yota"},
        {"escaped backslashes before the end", R"(Toyota\\\\)", true, "Toyota\\\\"},
        {"an escaped backslash and an escaped quote", R"(\\\"\\)", true, "\\\"\\"},
        {"a character escape", R"(\u30C8yota)", true, "トyota"},
        {"a surrogate pair", R"(To\uD83D\uDE00yota)", true, ""},
        {"a tag", "<b>To</b>yota", true, "<b>To</b>yota"},
        {"a control", "To\x01yota", false, ""},
        {"a tab", "To\tyota", false, ""},
        {"an unknown escape", R"(To\xyota)", false, ""},
        {"a lone low surrogate", R"(To\uDC00yota)", false, ""},
        {"a high surrogate alone", R"(To\uD83Dyota)", false, ""},
        {"the end of the script element", "To</script>yota", false, ""},
        {"a backslash escaping the closing quote", R"(Toyota\)", false, ""},
    };
    return names;
}

// Runs `test` on the paths of processors without AVX2 and then with it (where there is).
template <typename Test>
void OnBothPaths(Test test) {
    for (const bool avx2 : {false, true}) {
        AllowAvx2(avx2);
        test();
    }
    AllowAvx2(true);
}

void ExpectSameReading(const std::string& body, const Name& name, const std::string& where) {
    const Reading scan = Read(body, StateReader::Scan);
    const Reading dom = Read(body, StateReader::Dom);
    ASSERT_EQ(dom.ok, name.ok) << name.what << where;
    ASSERT_EQ(scan.ok, dom.ok) << name.what << where;
    if (scan.ok) {
        EXPECT_EQ(scan.stock.name, dom.stock.name) << name.what << where;
        if (!name.utf8.empty()) {
            EXPECT_EQ(SjisToUtf8(scan.stock.name), name.utf8) << name.what << where;
        }
        EXPECT_EQ(scan.stock.price, dom.stock.price) << name.what << where;
        EXPECT_EQ(scan.stock.volume, dom.stock.volume) << name.what << where;
    }
}

TEST(StateStringPlaces, EveryKindOfStringAtEveryPlaceOfABlock) {
    // The name's opening quote lies 64 + n bytes behind the pad's: every place in a block, and
    // the kilobyte's end with pads from 1000 bytes on.
    std::vector<std::size_t> pads;
    for (std::size_t n = 0; n < 140; ++n) pads.push_back(n);
    for (std::size_t n = 980; n < 1100; ++n) pads.push_back(n);
    OnBothPaths([&] {
        for (const Name& name : Names())
            for (std::size_t n : pads)
                ExpectSameReading(PageWith(std::string(n, 'x'), name.json), name, " pad " + std::to_string(n));
    });
}

TEST(StateStringPlaces, EscapesAndQuotesCarriedAcrossBlocks) {
    // Pads of escaped backslashes and quotes put runs of backslashes across every block end:
    // a backslash that ends one block escapes the first byte of the next.
    const char* const fillers[] = {R"(\\)", R"(\")", R"(\\\")", "あ", R"(\/)", R"(\u3042)"};
    const Name& plain = Names()[0];
    OnBothPaths([&] {
        for (const char* filler : fillers)
            for (std::size_t n = 0; n < 70; ++n) {
                std::string pad(n, 'x');
                for (int k = 0; k < 40; ++k) pad += filler;
                ExpectSameReading(PageWith(pad, plain.json), plain,
                                  std::string(" filler ") + filler + " pad " + std::to_string(n));
            }
    });
}

TEST(StateStringPlaces, StringsLongerThanTheListedKilobyte) {
    // One string across several kilobytes, its end and its escapes in a later list.
    OnBothPaths([] {
        for (const Name& name : Names()) {
            std::string pad;
            for (int k = 0; k < 300; ++k) pad += "値上がり率";
            ExpectSameReading(PageWith(pad, name.json), name, " after a long pad");
            ExpectSameReading(PageWith("x", pad + name.json),
                              Name{name.what, pad + name.json, name.ok, name.utf8.empty() ? "" : pad + name.utf8},
                              " inside a long name");
        }
    });
}

TEST(StateStringPlaces, Utf8CheckedAtEveryPlaceOfABlock) {
    // Characters at the edges of what UTF-8 allows, well-formed and not, inside a name that begins
    // at every place of a block, so that they cross the 32- and 64-byte steps of the check.
    const struct {
        const char* bytes;
        bool wellFormed;
    } characters[] = {
        {"\xC2\x80", true},
        {"\xDF\xBF", true},
        {"\xE0\xA0\x80", true},
        {"\xEF\xBF\xBF", true},
        {"\xED\x9F\xBF", true},
        {"\xEE\x80\x80", true},
        {"\xF0\x90\x80\x80", true},
        {"\xF4\x8F\xBF\xBF", true},
        {"\xC0\x80", false},
        {"\xC1\xBF", false},
        {"\xE0\x9F\xBF", false},
        {"\xED\xA0\x80", false},
        {"\xF0\x8F\xBF\xBF", false},
        {"\xF4\x90\x80\x80", false},
        {"\xF5\x80\x80\x80", false},
        {"\xFF", false},
        {"\x80", false},
        {"\xE3\x81", false},
        {"\xC3\xA9\xA9", false},
        {"\xE3\x81\x82\x82", false},
        {"\xF0\x90\x80", false},
    };
    OnBothPaths([&] {
        for (const auto& character : characters)
            for (std::size_t n = 0; n < 70; ++n) {
                // The character alone, and last in a run of Japanese.
                for (const std::string& text :
                     {std::string(character.bytes), "あいうえおかきくけこ" + std::string(character.bytes)}) {
                    const std::string body = PageWith(std::string(n, 'x'), "To" + text + "yota");
                    const Reading scan = Read(body, StateReader::Scan);
                    const Reading dom = Read(body, StateReader::Dom);
                    EXPECT_EQ(dom.ok, character.wellFormed) << ::testing::PrintToString(text) << " pad " << n;
                    EXPECT_EQ(scan.ok, dom.ok) << ::testing::PrintToString(text) << " pad " << n;
                    EXPECT_EQ(scan.stock.name, dom.stock.name) << ::testing::PrintToString(text) << " pad " << n;
                }
            }
        // A broken byte behind the state, near it and a few kilobytes on, and one at its very end.
        const Name& plain = Names()[0];
        const std::string page = PageWith("x", plain.json);
        for (std::size_t gap : {0u, 1u, 30u, 63u, 64u, 65u, 2000u, 5000u}) {
            const std::string behind = page + std::string(gap, 'z') + "\xFF<p>";
            EXPECT_TRUE(Read(behind, StateReader::Scan).ok) << "gap " << gap;
            EXPECT_TRUE(Read(page + std::string(gap, 'z') + "\xE3", StateReader::Scan).ok) << "gap " << gap;
        }
    });
}

}  // namespace
}  // namespace quotrix

namespace quotrix {
namespace {

TEST(StateMarkerSearch, FoundAtEveryPlaceAmongLookalikes) {
    // The search rules out 64 places at a time by the marker's "O" and "E"; lookalikes hold both
    // at the right distance, or the whole marker but one byte.
    const std::string marker = "__PRELOADED_STATE__";
    const std::string lookalikes[] = {"xxxxxxOxxExxxxxxxxxxxx", "__PRELOADED_STATE_x", "_PRELOADED_STATE__",
                                      "OOOOEEEE"};
    OnBothPaths([&] {
        for (const std::string& lookalike : lookalikes)
            for (std::size_t at = 0; at < 200; ++at) {
                std::string page;
                while (page.size() + lookalike.size() + 1 <= at) page += lookalike + "y";
                page.resize(at, 'x');
                EXPECT_FALSE(HasPreloadedState(page + lookalike + "y" + lookalike)) << lookalike << " at " << at;
                EXPECT_TRUE(HasPreloadedState(page + marker)) << lookalike << " at " << at;
                EXPECT_TRUE(HasPreloadedState(page + marker + lookalike + std::string(at, 'O')))
                    << lookalike << " at " << at;
                EXPECT_FALSE(HasPreloadedState(page + marker.substr(0, marker.size() - 1)))
                    << lookalike << " at " << at;
            }
    });
}

}  // namespace
}  // namespace quotrix

namespace quotrix {
namespace {

TEST(StateNumbers, TooLargeForADoubleRejectsTheState) {
    // Only a number that overflows a double makes the text invalid; one that underflows, or is
    // long but within range, is taken.
    const struct {
        std::string number;
        bool ok;
    } cases[] = {
        {"1e400", false},
        {"-1e400", false},
        {"1E+309", false},
        {"1e-400", true},
        {"0.5e308", true},
        {std::string(300, '9'), true},
        {std::string(309, '9'), false},
        {"-" + std::string(309, '9'), false},
        {std::string(400, '0') + "1", false},  // a leading zero is a number of its own
        {"0." + std::string(400, '0') + "1e400", true},
        {"1" + std::string(308, '0') + ".5", true},
        {"12" + std::string(300, '0') + "e-5", true},
        {"1e0000000000000000000400", false},
    };
    for (const auto& c : cases) {
        const std::string body = PageWith("x", "Toyota\",\"count\":" + c.number + ",\"other\":\"x");
        const Reading scan = Read(body, StateReader::Scan);
        const Reading dom = Read(body, StateReader::Dom);
        EXPECT_EQ(dom.ok, c.ok) << c.number;
        EXPECT_EQ(scan.ok, dom.ok) << c.number;
    }
}

}  // namespace
}  // namespace quotrix

namespace quotrix {
namespace {

TEST(MarkerLook, LookalikesWithAndWithoutAvx2) {
    // The block-at-a-time looks pass on a "<" followed by what may open a marker, and rule out
    // what plainly is none (a DL, DT, DD or DOCTYPE tag, "<-", "<*") without the normalising
    // reading; line ends anywhere in a marker vanish, other blanks do not.
    const std::vector<std::string> markers = {
        "<\r!--MAIN START-->",          "<!-\r-MAIN START-->", "<\nDIV ID=\"CONTENTS-BODY\">",
        "<d\riv id=\"contents-body\">", "<!--MAIN START-->",   "<div id=\"Contents-Body\">"};
    const std::vector<std::string> others = {
        "<!\t--MAIN START-->",         "<!DOCTYPE html>", "<dl><dt>a</dt><dd>b</dd></dl>", "<-- MAIN START-->", "<*",
        "<d iv id=\"contents-body\">", "<di\tv>"};
    const std::string chrome = "<div class=\"a\"><!DOCTYPE x><dl><dt><dd><-<*<!-- note --><DIV\nclass=b>";
    for (const bool avx2 : {false, true}) {
        AllowAvx2(avx2);
        for (std::size_t shift = 0; shift < 64; ++shift) {
            const std::string before = std::string(shift, ' ') + chrome + chrome + chrome;
            const std::string after = std::string(70, '.');
            for (const std::string& marker : markers)
                EXPECT_TRUE(MayHoldMainMarker(before + marker + after)) << avx2 << " " << shift << " " << marker;
            for (const std::string& other : others)
                EXPECT_FALSE(MayHoldMainMarker(before + other + after)) << avx2 << " " << shift << " " << other;
        }
    }
    AllowAvx2(true);
}

}  // namespace
}  // namespace quotrix

namespace quotrix {
namespace {

TEST(StateNesting, DeepContainersAreCountedPastTheFixedLevels) {
    // The first levels of the container stack need no allocation; deeper ones go on the heap.
    // Either way the closing brackets must match what is open.
    const Name& plain = Names()[0];
    for (const std::size_t depth : {1u, 63u, 64u, 65u, 66u, 200u, 3000u}) {
        const std::string arrays = std::string(depth, '[') + std::string(depth, ']');
        std::string mixed;
        for (std::size_t i = 0; i < depth; ++i) mixed += i % 2 ? "{\"k\":" : "[";
        mixed += "0";
        for (std::size_t i = depth; i-- > 0;) mixed += i % 2 ? "}" : "]";
        const struct {
            std::string value;
            bool ok;
        } cases[] = {
            {arrays, true},
            {mixed, true},
            {std::string(depth, '[') + std::string(depth - 1, ']'), false},
            {std::string(depth, '[') + std::string(depth - 1, ']') + "}", false},
            {std::string(depth, '[') + std::string(depth, ']') + "]", false},
        };
        for (const auto& c : cases) {
            const std::string body = "<html><script>window.__PRELOADED_STATE__ = {\"pad\":" + c.value +
                                     ",\"mainStocksPriceBoard\":{\"priceBoard\":{\"code\":\"7203\",\"name\":\"" +
                                     plain.json + "\",\"price\":\"1\",\"priceDateTime\":\"15:00\"}}}</script>";
            Reading scan{false, CStock("7203.t")};
            scan.stock.BuildUrls();
            scan.ok = ParseCurrentQuotePage(body, scan.stock, PARSE_PRICE | PARSE_NAME, nullptr, StateReader::Scan);
            Reading dom{false, CStock("7203.t")};
            dom.stock.BuildUrls();
            dom.ok = ParseCurrentQuotePage(body, dom.stock, PARSE_PRICE | PARSE_NAME, nullptr, StateReader::Dom);
            EXPECT_EQ(dom.ok, c.ok) << depth;
            EXPECT_EQ(scan.ok, c.ok) << depth;
        }
    }
}

}  // namespace
}  // namespace quotrix
