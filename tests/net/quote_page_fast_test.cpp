// The quote reader's short cuts against the plain reading: the decodings left out, the state
// object read by a scan instead of a document, and the page that is another instrument's.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "PageFile.h"
#include "net/CurrentQuotePage.h"
#include "net/QuotePage.h"
#include "net/QuotePageScan.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

struct Reading {
    bool ok = false;
    int decoding = -1;
    CStock stock;
    std::string log;
};

Reading Read(const std::string& body, const char* identity, std::uint32_t mask, bool inOrder, int logLevel = 2) {
    Reading r;
    r.stock = CStock(identity);
    r.stock.BuildUrls();
    ThreadLog log(static_cast<std::uint8_t>(logLevel));
    FetchContext context;
    context.stock = &r.stock;
    context.log = &log;
    r.ok = inOrder ? ParseQuoteBodyInOrder(context, body, mask, &r.decoding)
                   : ParseQuoteBody(context, body, mask, &r.decoding);
    r.log = log.text;
    return r;
}

// A rejected page's copy is thrown away (a failed attempt may have written to it half-way), so
// the values count only when the page was read.
void ExpectSameReading(const Reading& fast, const Reading& plain) {
    EXPECT_EQ(fast.ok, plain.ok);
    EXPECT_EQ(fast.decoding, plain.decoding);
    if (!fast.ok || !plain.ok) return;
    const CStock& a = fast.stock;
    const CStock& b = plain.stock;
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.price, b.price);
    EXPECT_EQ(a.updateTime, b.updateTime);
    EXPECT_EQ(a.change, b.change);
    EXPECT_EQ(a.prevClose, b.prevClose);
    EXPECT_EQ(a.volume, b.volume);
    EXPECT_EQ(a.open, b.open);
    EXPECT_EQ(a.high, b.high);
    EXPECT_EQ(a.low, b.low);
    EXPECT_EQ(a.eps, b.eps);
    EXPECT_EQ(std::to_string(a.dividendYield), std::to_string(b.dividendYield));
    EXPECT_EQ(std::to_string(a.per), std::to_string(b.per));
    EXPECT_EQ(std::to_string(a.pbr), std::to_string(b.pbr));
}

std::vector<std::string> PagesIn(const char* folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(QUOTRIX_TEST_DATA) + "/pages/" + folder))
        if (entry.path().extension() == ".html")
            names.push_back(std::string(folder) + "/" + entry.path().filename().string());
    return names;
}

// Every recorded and hand-made page, read for several instruments with several masks, gives the
// fast reading exactly what the plain reading gives.
TEST(QuotePageFast, EveryTestPageReadsAsInOrder) {
    std::vector<std::string> pages = PagesIn("quote");
    for (const auto& name : PagesIn("current")) pages.push_back(name);
    for (const auto& name : PagesIn("search")) pages.push_back(name);
    ASSERT_GT(pages.size(), 20u);
    int parsed = 0;
    for (const std::string& name : pages) {
        const std::string body = PageFile(name);
        for (const char* identity : {"7203.t", "7203", "998407", "998405", "USDJPY=X", "FUNDX", "6758.t", "1301"}) {
            CStock probe(identity);
            probe.BuildUrls();
            for (std::uint32_t mask : {ParseMaskFor(probe), ParseMaskFor(probe) | PARSE_NAME, 0x1FFFu, 0u,
                                       std::uint32_t{PARSE_NAME | PARSE_PRICE}}) {
                SCOPED_TRACE(name + " as " + identity + " mask " + std::to_string(mask));
                const Reading fast = Read(body, identity, mask, false);
                ExpectSameReading(fast, Read(body, identity, mask, true));
                parsed += fast.ok;
            }
        }
    }
    EXPECT_GT(parsed, 40);  // the comparison saw pages that parse, not only rejections
}

// The same pages in every encoding the tests hold, cut short and with bytes flipped: broken pages
// must be rejected (or read) alike.
TEST(QuotePageFast, DamagedPagesReadAsInOrder) {
    for (const char* name :
         {"quote/stock-7203.utf8.html", "quote/stock-7203.sjis.html", "quote/stock-7203.euc.html",
          "quote/stock-7203.jis.html", "quote/stock-7203.utf7.html", "current/quote-7203-2025.html"}) {
        const std::string page = PageFile(name);
        for (std::size_t cut : {page.size() / 3, page.size() / 2, page.size() - 40}) {
            SCOPED_TRACE(std::string(name) + " cut at " + std::to_string(cut));
            const std::string body = page.substr(0, cut);
            ExpectSameReading(Read(body, "7203.t", 0x1FF7, false), Read(body, "7203.t", 0x1FF7, true));
        }
        for (std::size_t step = 97; step < page.size(); step += page.size() / 7) {
            std::string body = page;
            body[step] = static_cast<char>(body[step] ^ 0x5A);
            SCOPED_TRACE(std::string(name) + " flipped at " + std::to_string(step));
            ExpectSameReading(Read(body, "7203.t", 0x1FF6, false), Read(body, "7203.t", 0x1FF6, true));
        }
    }
}

// With detail lines wanted every attempt is made and logged; without, today's page goes straight
// to the state object and the Shift-JIS page to the third decoding.
TEST(QuotePageFast, DecodingsThatCannotParseAreLeftOut) {
    const std::string today = PageFile("current/quote-7203-2025.html");
    const Reading detailed = Read(today, "7203.t", 0x1FF7, false, 3);
    ASSERT_TRUE(detailed.ok);
    EXPECT_NE(detailed.log.find("EUC -> SJIS"), std::string::npos);
    EXPECT_NE(detailed.log.find("Parse: current page"), std::string::npos);

    const Reading quiet = Read(today, "7203.t", 0x1FF7, false, 2);
    ASSERT_TRUE(quiet.ok);
    EXPECT_EQ(quiet.decoding, kCurrentPageReader);
    EXPECT_EQ(quiet.stock.price, 2971 * kYen);
    EXPECT_FALSE(MayHoldMainMarker(today));

    const std::string sjis = PageFile("quote/stock-7203.sjis.html");
    EXPECT_TRUE(MayHoldMainMarker(sjis));
    CStock toyota("7203.t");
    toyota.BuildUrls();
    const std::u16string wanted = RequiredCharacters(toyota, ParseMaskFor(toyota));
    EXPECT_EQ(wanted.find(u'】') != std::u16string::npos, true);
    EXPECT_FALSE(Utf8MayHold(sjis, wanted));
    EXPECT_FALSE(Utf7MayHold(sjis, wanted));
    EXPECT_TRUE(Utf8MayHold(PageFile("quote/stock-7203.utf8.html"), wanted));
    EXPECT_TRUE(Utf7MayHold(PageFile("quote/stock-7203.utf7.html"), wanted));
}

TEST(QuotePageFast, TheMarkerIsFoundAsTheNormalisedTextHasIt) {
    // Line ends vanish, blank runs become one space, "&nbsp" is a space, case does not matter.
    for (const char* page :
         {"x<!--MAIN START-->", "<!--main start-->", "<!--Main \r\n\t START-->", "<!\r\n--MAIN START-->",
          "<!--MAIN&nbsp;START-->", "<!--MAIN&nbspSTART-->", "a<div id=\"contents-body\">",
          "<DIV \nID=\"CONTENTS-BODY\">", "<div\t\v id=\"Contents-Body\">"})
        EXPECT_TRUE(MayHoldMainMarker(page)) << page;
    for (const char* page :
         {"", "<", "<!--MAINSTART-->", "<!--MAIN\r\nSTART-->", "<!--MAIN &nbsp;START-->", "<!--MAIN&NBSP;START-->",
          "<!--MA\x82IN START-->", "<div id=\"contents-body\"", "<div  id=contents-body>", "<!-- MAIN START-->"})
        EXPECT_FALSE(MayHoldMainMarker(page)) << page;
    // The same behind and before enough markup for the block-at-a-time looks, at every offset
    // within a block: DIVs and comments that are not markers, and tags with line ends in them.
    const std::string chrome = "<div class=\"a\"><!-- note --><DIV\nclass=b><div id=x><!--\nmain--><p>";
    for (std::size_t shift = 0; shift < 64; ++shift) {
        const std::string before = std::string(shift, ' ') + chrome + chrome + chrome;
        const std::string after = std::string(70, '.');
        for (const char* page : {"<!--MAIN START-->", "<!--Main \r\n\t START-->", "<!\r\n--MAIN START-->",
                                 "<DIV \nID=\"CONTENTS-BODY\">", "<div\t\v id=\"Contents-Body\">"})
            EXPECT_TRUE(MayHoldMainMarker(before + page + after)) << shift << page;
        for (const char* page : {"<!--MAINSTART-->", "<div  id=contents-body>", "<!-- MAIN START-->", "<divid=x>"})
            EXPECT_FALSE(MayHoldMainMarker(before + page + after)) << shift << page;
        // Without a marker every byte is seen: an ESC anywhere (in a block or in the tail) is told.
        for (const std::string& page : {before + after, before + "\x1B$B" + after, before + after + "\x1B"}) {
            bool escape = !page.empty();
            EXPECT_FALSE(MayHoldMainMarker(page, &escape));
            EXPECT_EQ(escape, page.find('\x1B') != std::string::npos) << shift;
        }
    }
}

TEST(QuotePageFast, Utf7RunsAreReadFromEveryPlus) {
    const std::u16string wanted = u"】";  // U+3011: "+MBE-" in UTF-7
    EXPECT_TRUE(Utf7MayHold("abc+MBE-", wanted));
    EXPECT_TRUE(Utf7MayHold("+AAAA+MBE", wanted));  // a second "+" inside the first run starts its own
    EXPECT_FALSE(Utf7MayHold("abc MBE-", wanted));
    EXPECT_FALSE(Utf7MayHold("+AMBE-", wanted));  // the same letters out of step
    EXPECT_FALSE(Utf7MayHold("", wanted));
    EXPECT_TRUE(Utf7MayHold("no plus at all", u""));
    // A long run of "+" costs a bounded amount and answers "maybe".
    EXPECT_TRUE(Utf7MayHold(std::string(200000, '+'), wanted));
}

// ---- the state object ------------------------------------------------------------------------

struct StateReading {
    bool ok;
    CStock stock;
};

StateReading ReadState(const std::string& json, StateReader reader, const char* identity = "7203",
                       std::uint32_t mask = 0x1FF7) {
    StateReading r{false, CStock(identity)};
    r.ok = ParseCurrentQuotePage("<script>window.__PRELOADED_STATE__ = " + json + "</script>", r.stock, mask, nullptr,
                                 reader);
    return r;
}

const char* const kBoard = R"({"code":"7203","name":"N","price":"1,234.5","priceDateTime":"10:00","priceChange":"-5"})";

TEST(CurrentQuotePageScan, AcceptsAndRejectsWhatTheDocumentReaderDoes) {
    const std::string board = std::string(R"({"mainStocksPriceBoard":{"priceBoard":)") + kBoard + "}}";
    struct Case {
        std::string json;
        bool ok;
    };
    const std::vector<Case> cases = {
        {board, true},
        {"\xEF\xBB\xBF" + board, false},  // a byte order mark only counts first, not behind a blank
        {"\xEF\xBB" + board, false},
        {board + " \r\n\t", true},
        {board + "x", false},
        {board + std::string(" \0x{", 4), true},  // a zero byte ends the text
        {board.substr(0, 20) + std::string("\0", 1) + board.substr(20), false},
        {board + ",", false},
        {"[" + board + "]", false},
        {R"({"a":1e999,)" + board.substr(1), false},
        {R"({"a":-1e-999,)" + board.substr(1), true},
        {R"({"a":)" + std::string(400, '9') + "," + board.substr(1), false},
        {R"({"a":)" + std::string(300, '9') + "," + board.substr(1), true},
        {R"({"a":01,)" + board.substr(1), false},
        {R"({"a":-,)" + board.substr(1), false},
        {R"({"a":1.,)" + board.substr(1), false},
        {R"({"a":[1,2,{"b":[]},[],{}],"c":true,"d":false,"e":null,)" + board.substr(1), true},
        {R"({"a":tru,)" + board.substr(1), false},
        {R"({"a":[1,],)" + board.substr(1), false},
        {R"({"a":"\ud83d\ude00",)" + board.substr(1), true},
        {R"({"a":"\ud83d",)" + board.substr(1), false},
        {R"({"a":"\ude00",)" + board.substr(1), false},
        {R"({"a":"\x",)" + board.substr(1), false},
        {"{\"a\":\"\xC0\xAF\"," + board.substr(1), false},
        {"{\"a\":\"\xED\xA0\x80\"," + board.substr(1), false},
        {"{\"a\":\"\xF4\x90\x80\x80\"," + board.substr(1), false},
        {"{\"a\":\"tab\there\"," + board.substr(1), false},
        {std::string("{\"a\":\"\0\",", 9) + board.substr(1), false},
        {std::string(5000, '[') + std::string(5000, ']'), false},
        {"{\"a\":" + std::string(5000, '[') + std::string(5000, ']') + "," + board.substr(1), true},
    };
    for (StateReader reader : {StateReader::Scan, StateReader::Dom}) {
        CStock copy("7203");
        EXPECT_TRUE(ParseCurrentQuotePage("__PRELOADED_STATE__=\xEF\xBB\xBF" + board, copy, 0x0007, nullptr, reader));
        EXPECT_FALSE(ParseCurrentQuotePage("__PRELOADED_STATE__=\xEF\xBB" + board, copy, 0x0007, nullptr, reader));
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json.substr(0, 80));
        const StateReading scan = ReadState(c.json, StateReader::Scan, "7203", 0x0007);
        const StateReading dom = ReadState(c.json, StateReader::Dom, "7203", 0x0007);
        EXPECT_EQ(dom.ok, c.ok);
        EXPECT_EQ(scan.ok, c.ok);
        EXPECT_EQ(scan.stock.price, dom.stock.price);
    }
}

TEST(CurrentQuotePageScan, TheLastOfTwoEqualMembersCountsAsInTheDocument) {
    const std::string other = R"({"code":"7203","name":"M","price":"99","priceDateTime":"11:00","priceChange":"1"})";
    const std::vector<std::string> cases = {
        // A second board replaces the first whole.
        std::string(R"({"mainStocksPriceBoard":{"priceBoard":)") + kBoard + R"(,"priceBoard":)" + other + "}}",
        std::string(R"({"mainStocksPriceBoard":{"priceBoard":)") + kBoard + R"(,"priceBoard":{"price":"5"}}})",
        std::string(R"({"mainStocksPriceBoard":{"priceBoard":)") + kBoard + R"(},"mainStocksPriceBoard":7})",
        std::string(R"({"mainStocksPriceBoard":{"priceBoard":)") + kBoard + R"(,"priceBoard":[]}})",
        // A value that is no string is missing, even when an earlier one was a string.
        std::string(
            R"({"mainStocksPriceBoard":{"priceBoard":{"code":"7203","price":"1","price":2,"priceDateTime":"1"}}})"),
        // Escaped keys and values are the same keys and values.
        std::string(
            R"({"main\u0053tocksPriceBoard":{"priceBoard":{"code":"72\u00303","pric\u0065":"3\/4","priceDateTime":"\t"}}})"),
        // Deeper members of the same names are not the board's.
        std::string(
            R"({"mainStocksPriceBoard":{"priceBoard":{"code":"7203","x":{"price":"8"},"priceDateTime":"1"},"price":"9"}})"),
    };
    for (const std::string& json : cases) {
        SCOPED_TRACE(json);
        for (std::uint32_t mask :
             {0u, std::uint32_t{PARSE_PRICE}, std::uint32_t{PARSE_PRICE | PARSE_NAME | PARSE_CHANGE}}) {
            const StateReading scan = ReadState(json, StateReader::Scan, "7203", mask);
            const StateReading dom = ReadState(json, StateReader::Dom, "7203", mask);
            EXPECT_EQ(scan.ok, dom.ok) << mask;
            EXPECT_EQ(scan.stock.price, dom.stock.price);
            EXPECT_EQ(scan.stock.updateTime, dom.stock.updateTime);
            EXPECT_EQ(scan.stock.name, dom.stock.name);
            EXPECT_EQ(scan.stock.change, dom.stock.change);
        }
    }
    EXPECT_EQ(ReadState(cases[0], StateReader::Scan).stock.price, 99 * kYen);
    EXPECT_FALSE(ReadState(cases[4], StateReader::Scan, "7203", PARSE_PRICE).ok);
    const StateReading escaped = ReadState(cases[5], StateReader::Scan, "7203", PARSE_PRICE);
    EXPECT_TRUE(escaped.ok);
    EXPECT_EQ(escaped.stock.updateTime, "\t");
}

// ---- another instrument's page ---------------------------------------------------------------

TEST(CurrentQuotePageIdentity, AnotherInstrumentsPageIsRejected) {
    const std::string today = PageFile("current/quote-7203-2025.html");
    for (StateReader reader : {StateReader::Scan, StateReader::Dom}) {
        CStock sony("6758.t");
        sony.name = "kept";
        ThreadLog log(2);
        EXPECT_FALSE(ParseCurrentQuotePage(today, sony, 0x1FF7, &log, reader));
        EXPECT_EQ(sony.name, "kept");
        EXPECT_EQ(sony.price, 0);
        EXPECT_NE(log.text.find("Parse: the page is of another instrument (7203, not 6758)"), std::string::npos)
            << log.text;

        CStock toyota("7203.t");
        EXPECT_TRUE(ParseCurrentQuotePage(today, toyota, 0x1FF7, &log, reader));
    }
    // Through the whole reader, for a stock whose code only shares digits with the page's.
    EXPECT_FALSE(Read(today, "720.t", 0x1FF6, false).ok);
    EXPECT_FALSE(Read(today, "72030", 0x1FF6, false).ok);
    EXPECT_FALSE(Read(today, "USDJPY=X", PARSE_PRICE, false).ok);
}

TEST(CurrentQuotePageIdentity, PairsAndIndicesAreKnownByTheirSymbols) {
    auto page = [](const std::string& code, const std::string& extension) {
        return "<script>window.__PRELOADED_STATE__ = {\"mainStocksPriceBoard\":{\"priceBoard\":{\"code\":\"" + code +
               "\",\"codeWithMarketExtension\":\"" + extension +
               "\",\"name\":\"x\",\"price\":\"150.25\",\"priceDateTime\":\"10:00\",\"priceChange\":\"0\"}}}</script>";
    };
    auto reads = [](const std::string& body, const char* identity) {
        CStock copy(identity);
        return ParseCurrentQuotePage(body, copy, PARSE_PRICE, nullptr);
    };
    EXPECT_TRUE(reads(page("USDJPY=X", "USDJPY=FX"), "USDJPY=X"));
    EXPECT_TRUE(reads(page("USDJPY=FX", "USDJPY=FX"), "usd"));
    EXPECT_FALSE(reads(page("EURJPY=FX", "EURJPY=FX"), "USDJPY=X"));
    EXPECT_TRUE(reads(page("998407", "998407.O"), "998407"));
    EXPECT_FALSE(reads(page("998405", "998405.T"), "998407"));
    EXPECT_TRUE(reads(page("0131103C", "0131103C"), "0131103c"));
    // A state that names no instrument cannot be shown to be the stock's.
    CStock copy("7203");
    EXPECT_FALSE(ParseCurrentQuotePage(
        "<script>window.__PRELOADED_STATE__ = {\"mainStocksPriceBoard\":{\"priceBoard\":{\"price\":\"1\","
        "\"priceDateTime\":\"1\"}}}</script>",
        copy, PARSE_PRICE, nullptr));
}

}  // namespace
}  // namespace quotrix
