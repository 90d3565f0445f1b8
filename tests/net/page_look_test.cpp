// The one pass over a page's bytes (PageLook) against plain answers to the same questions: the
// normalised text searched for the markers, the bytes searched for ESC, "+" and the state marker,
// and the UTF-7 runs read from every "+". Each kind of place is put at every offset around the
// block edges of the pass, on both the AVX2 path and the other.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "model/Stock.h"
#include "net/Html.h"
#include "net/QuotePage.h"
#include "net/QuotePageScan.h"

namespace quotrix {
namespace {

void OnBothPaths(const std::function<void(bool)>& run) {
    for (const bool avx2 : {true, false}) {
        AllowAvx2(avx2);
        run(avx2);
    }
    AllowAvx2(true);
}

// Whether the page (ASCII) holds a marker once normalised as the classic reader does it.
bool NormalisedHoldsMarker(const std::string& page) {
    std::u16string text(page.begin(), page.end());
    text.resize(NormalizePageText(text.data(), text.size()));
    return text.find(u"<!--MAIN START-->") != std::u16string::npos ||
           text.find(u"<DIV ID=\"CONTENTS-BODY\">") != std::u16string::npos;
}

const std::u16string kWanted = u"】";  // "+MBE" in UTF-7

// Every question asked of a fresh look, in the order the reader asks them, against the plain
// answers.
void ExpectPlainAnswers(const std::string& page, const std::string& what) {
    PageLook look(page, kWanted);
    EXPECT_EQ(look.MayHoldMarker(), NormalisedHoldsMarker(page)) << what;
    EXPECT_EQ(look.HoldsPlus(), page.find('+') != std::string::npos) << what;
    EXPECT_EQ(look.Utf7MayHold(), Utf7MayHold(page, kWanted)) << what;
    EXPECT_EQ(look.HoldsEscape(), page.find('\x1B') != std::string::npos) << what;
    EXPECT_EQ(look.StateMarker(), page.find(kStateMarker)) << what;
    EXPECT_EQ(look.StateMarker(), FindStateMarker(page)) << what;
}

TEST(PageLook, EveryKindOfPlaceAtEveryOffsetAroundTheBlockEdges) {
    // Markup that keeps the pass busy without holding anything it looks for.
    const std::string chrome = "<div class=\"a\"><!-- note --><dl><dd>x</dd></dl><DIV\nclass=b>a+b;";
    const std::vector<std::string> places = {
        "<!--MAIN START-->",
        "<div id=\"contents-body\">",
        "<!\r\n--MAIN START-->",
        "<div\t id=\"Contents-Body\">",
        "\x1B$B",
        "__PRELOADED_STATE__",
        "+MBE-",
        "+MB-",  // two digits: no character
        "LOADED_STATE__",
        "_PRELOADED_STATE_",
        "D_D_D!Dd",
    };
    OnBothPaths([&](bool avx2) {
        for (const std::string& place : places)
            for (std::size_t at = 0; at < 140; ++at) {
                std::string page = chrome + chrome;
                page.resize(at, '.');
                page += place;
                // Behind the place: nothing, a short tail, or more than a block.
                for (const std::string& tail : {std::string(), std::string(5, '.'), chrome + chrome})
                    ExpectPlainAnswers(page + tail, (avx2 ? "avx2 " : "") + place + " at " + std::to_string(at));
            }
    });
}

TEST(PageLook, QuestionsAboutBytesBehindAMarkerAreAnsweredFromWhereThePassEnded) {
    // The pass ends with the block that holds the first marker; the state marker, a "+" run and
    // an ESC before it, straddling the end of the pass or behind it are all found.
    const std::string marker = "<!--MAIN START-->";
    const std::string state = "window.__PRELOADED_STATE__ = {}";
    OnBothPaths([&](bool avx2) {
        for (std::size_t gap = 0; gap < 150; gap += 7)
            for (const std::string& other : {state, std::string("+MBE-"), std::string("\x1B(B")}) {
                const std::string filler(gap, 'x');
                const std::string what = (avx2 ? "avx2 " : "") + other + " gap " + std::to_string(gap);
                ExpectPlainAnswers(filler + other + filler + marker + filler, what + " before");
                ExpectPlainAnswers(filler + marker + filler + other + filler, what + " behind");
                ExpectPlainAnswers(filler + marker + other + marker, what + " between two");
            }
    });
}

TEST(PageLook, ManyLongUtf7RunsBeforeAMarker) {
    // The pass keeps the places of the runs long enough for a character until the question is
    // asked; with more of them than it keeps, every run is read again from the start.
    OnBothPaths([&](bool avx2) {
        for (int runs : {0, 1, 15, 16, 17, 40})
            for (const std::string& last : {std::string("+MBE-"), std::string("+AAA-")}) {
                std::string page;
                for (int i = 0; i < runs; ++i) page += "x+AAAA-" + std::string(static_cast<std::size_t>(i % 70), '.');
                const std::string what = (avx2 ? "avx2 " : "") + std::to_string(runs) + last;
                ExpectPlainAnswers(page + last + "<!--MAIN START-->", what + " before the marker");
                ExpectPlainAnswers(page + "<!--MAIN START-->" + last, what + " behind the marker");
                ExpectPlainAnswers(page + last, what + " without a marker");
            }
    });
}

TEST(PageLook, TheFirstOfTwoStateMarkersCounts) {
    const std::string state = "__PRELOADED_STATE__";
    OnBothPaths([&](bool) {
        for (std::size_t first = 0; first < 130; first += 3)
            for (std::size_t second : {std::size_t{0}, std::size_t{1}, std::size_t{60}, std::size_t{200}}) {
                const std::string page = std::string(first, 'a') + state + std::string(second, 'b') + state;
                PageLook look(page, u"");
                EXPECT_EQ(look.StateMarker(), first) << first << " " << second;
            }
    });
}

TEST(PageLook, Utf7RunsTooShortForACharacterAreNotRead) {
    // "+MB" holds twelve bits: no character, however many of them come before the run that does.
    EXPECT_FALSE(Utf7MayHold("+MB", kWanted));
    EXPECT_FALSE(Utf7MayHold("x+MB-+M-+-", kWanted));
    EXPECT_TRUE(Utf7MayHold("+MBE", kWanted));
    std::string many;
    for (int i = 0; i < 20000; ++i) many += "+09:";
    EXPECT_FALSE(Utf7MayHold(many, kWanted));
    EXPECT_TRUE(Utf7MayHold(many + "+MBE-", kWanted));
    const std::string page = many + "+MBE-";
    PageLook look(page, kWanted);
    EXPECT_TRUE(look.Utf7MayHold());
    // Wanted characters beyond 32 distinct ones cannot be followed: "maybe".
    std::u16string wide;
    for (char16_t c = 0x4E00; c < 0x4E00 + 40; ++c) wide += c;
    EXPECT_TRUE(Utf7MayHold("nothing here", wide));
}

// Today's page read with the answers of the one pass: the same reading as the plain way for a
// page whose state holds "</script>" in a string, has two state markers, or has a classic marker
// after its state.
TEST(PageLook, TodaysPagesReadAsThePlainWayReadsThem) {
    const std::string board =
        "{\"mainStocksPriceBoard\":{\"priceBoard\":{\"code\":\"7203\",\"name\":\"Toyota\",\"price\":\"2,971\","
        "\"priceDateTime\":\"15:00\"}}}";
    const std::string scriptInString =
        "{\"x\":\"a</script>b\",\"mainStocksPriceBoard\":{\"priceBoard\":{\"code\":\"7203\",\"name\":\"T\","
        "\"price\":\"1\",\"priceDateTime\":\"09:00\"}}}";
    // Whether the page is read: the first marker counts, and the state ends where its script
    // element does.
    const std::vector<std::pair<std::string, bool>> pages = {
        {"<script>window.__PRELOADED_STATE__ = " + board + "</script>", true},
        {"<script>window.__PRELOADED_STATE__ = " + scriptInString + "</script>", false},
        {"<script>window.__PRELOADED_STATE__ = " + board + "</script><script>__PRELOADED_STATE__ = {}</script>", true},
        {"<script>__PRELOADED_STATE__ = 1</script><script>window.__PRELOADED_STATE__ = " + board + "</script>", false},
        {"<script>window.__PRELOADED_STATE__ = " + board + "</script><!--MAIN START-->", true},
        {std::string(61, ' ') + "<script>window.__PRELOADED_STATE__ =" + board + ";\n</script>", true},
    };
    OnBothPaths([&](bool avx2) {
        for (const auto& [page, read] : pages) {
            CStock fast("7203.t"), plain("7203.t");
            fast.BuildUrls();
            plain.BuildUrls();
            FetchContext fastContext, plainContext;
            fastContext.stock = &fast;
            plainContext.stock = &plain;
            int fastDecoding = -2, plainDecoding = -2;
            const bool fastOk = ParseQuoteBody(fastContext, page, PARSE_PRICE | PARSE_NAME, &fastDecoding);
            const bool plainOk = ParseQuoteBodyInOrder(plainContext, page, PARSE_PRICE | PARSE_NAME, &plainDecoding);
            EXPECT_EQ(plainOk, read) << page;
            EXPECT_EQ(fastOk, plainOk) << avx2 << page;
            EXPECT_EQ(fastDecoding, plainDecoding) << avx2 << page;
            if (fastOk && plainOk) {
                EXPECT_EQ(fast.price, plain.price) << page;
                EXPECT_EQ(fast.name, plain.name) << page;
                EXPECT_EQ(fast.updateTime, plain.updateTime) << page;
            }
        }
    });
}

}  // namespace
}  // namespace quotrix

namespace quotrix {
namespace {

TEST(RequiredCharacters, ACodeTextOutsideAsciiStillAddsItsCharacters) {
    // An ASCII code text adds nothing (its characters are below U+0080); one with Shift-JIS
    // bytes adds them, ahead of the anchor's bracket.
    CStock listed("7203.t");
    listed.BuildUrls();
    EXPECT_EQ(RequiredCharacters(listed, PARSE_CHANGE), u"】前日比");
    CStock odd("7203.t");
    odd.codeText =
        "\x82\x60"
        "1";  // "Ａ1"
    EXPECT_EQ(RequiredCharacters(odd, PARSE_CHANGE), u"Ａ】前日比");
    odd.codeText = "A\\~";  // bytes some Shift-JIS tables map above U+007F
    const std::u16string wanted = RequiredCharacters(odd, 0);
    EXPECT_EQ(wanted.back(), u'】');
}

}  // namespace
}  // namespace quotrix
