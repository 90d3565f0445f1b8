#include "net/QuotePage.h"

#include <gtest/gtest.h>

#include "PageFile.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

constexpr std::uint32_t kAll = 0x1FF6;

struct Parsed {
    bool ok = false;
    int decoding = -1;
    CStock stock;
};

Parsed ParseBody(const std::string& body, CStock stock, std::uint32_t mask) {
    Parsed result;
    result.stock = std::move(stock);
    result.stock.BuildUrls();
    FetchContext context;
    context.stock = &result.stock;
    result.ok = ParseQuoteBody(context, body, mask, &result.decoding);
    return result;
}

Parsed ParseFile(const char* name, const char* identity, std::uint32_t mask) {
    return ParseBody(PageFile(std::string("quote/") + name), CStock(identity), mask);
}

void ExpectToyota(const CStock& s) {
    EXPECT_EQ(SjisToUtf8(s.name), "トヨタ自動車(株)");
    EXPECT_EQ(s.price, 2975 * kYen);
    EXPECT_EQ(s.updateTime, "15:00");
    EXPECT_EQ(s.change, 25 * kYen);
    EXPECT_EQ(s.prevClose, 2950 * kYen);
    EXPECT_EQ(s.open, 2960 * kYen);
    EXPECT_EQ(s.high, 2990 * kYen);
    EXPECT_EQ(s.low, 29405000);
    EXPECT_EQ(s.volume, 12345600u);
    EXPECT_DOUBLE_EQ(s.dividendYield, 2.52);
    EXPECT_DOUBLE_EQ(s.per, 9.78);
    EXPECT_EQ(s.eps, 3041400);
    EXPECT_DOUBLE_EQ(s.pbr, 1.08);
}

TEST(QuotePage, EachEncodingParsesUnderItsOwnDecoding) {
    const struct {
        const char* file;
        int decoding;
    } pages[] = {{"stock-7203.utf8.html", 0},
                 {"stock-7203.utf7.html", 1},
                 {"stock-7203.sjis.html", 2},
                 {"stock-7203.euc.html", 3},
                 {"stock-7203.jis.html", 4}};
    for (const auto& page : pages) {
        SCOPED_TRACE(page.file);
        const Parsed p = ParseFile(page.file, "7203.t", kAll | PARSE_NAME);
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(p.decoding, page.decoding);
        ExpectToyota(p.stock);
    }
}

TEST(QuotePage, MaskDecidesWhatIsRead) {
    EXPECT_EQ(ParseMaskFor(CStock("7203.t")), kAll | PARSE_NAME);
    EXPECT_EQ(ParseMaskFor(CStock("998407")), kAll | PARSE_NAME);
    EXPECT_EQ(ParseMaskFor(CStock("USDJPY=X")), PARSE_PRICE | PARSE_NAME);
    EXPECT_EQ(ParseMaskFor(CStock("FUNDX")), PARSE_CHANGE | PARSE_FUND_PRICE | PARSE_NAME);
    CStock named("7203.t");
    named.status = STATUS_UPDATED;
    EXPECT_EQ(ParseMaskFor(named), kAll);
    named.market = MARKET_CURRENCY | MARKET_TOKYO;  // bit 7 with other bits is not a currency pair
    EXPECT_EQ(ParseMaskFor(named), kAll);

    // Without the name bit the name is left alone and the values still come.
    CStock known("7203.t");
    known.name = "kept";
    const Parsed p = ParseBody(PageFile("quote/stock-7203.sjis.html"), known, kAll);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.stock.name, "kept");
    EXPECT_EQ(p.stock.price, 2975 * kYen);
    // A value outside the mask is not touched.
    CStock only("7203.t");
    only.volume = 77;
    const Parsed q = ParseBody(PageFile("quote/stock-7203.utf8.html"), only, PARSE_PRICE);
    ASSERT_TRUE(q.ok);
    EXPECT_EQ(q.stock.volume, 77u);
    EXPECT_EQ(q.stock.price, 2975 * kYen);
}

TEST(QuotePage, IndicesCurrenciesAndFunds) {
    // The Nikkei page does not carry "998407】"; its page only has the content-body DIV.
    Parsed nikkei = ParseFile("index-998407.html", "998407", ParseMaskFor(CStock("998407")));
    ASSERT_TRUE(nikkei.ok);
    EXPECT_EQ(SjisToUtf8(nikkei.stock.name), "日経平均株価");
    EXPECT_EQ(nikkei.stock.price, 386523000);
    EXPECT_EQ(nikkei.stock.updateTime, "12/26");
    EXPECT_EQ(nikkei.stock.change, -1351200);
    EXPECT_EQ(nikkei.stock.low, 38500 * kYen);
    EXPECT_EQ(nikkei.stock.volume, 0u);

    CStock topixStock(998405, MARKET_TOKYO);
    Parsed topix = ParseBody(PageFile("quote/index-998405.html"), topixStock, kAll | PARSE_NAME);
    ASSERT_TRUE(topix.ok);
    EXPECT_EQ(SjisToUtf8(topix.stock.name), "TOPIX（東証株価指数）");
    EXPECT_EQ(topix.stock.change, 41100);

    Parsed usd = ParseFile("currency-usdjpy.html", "USDJPY=X", ParseMaskFor(CStock("USDJPY=X")));
    ASSERT_TRUE(usd.ok);
    EXPECT_EQ(SjisToUtf8(usd.stock.name), "米ドル/円");
    EXPECT_EQ(usd.stock.price, 1572300);
    EXPECT_EQ(usd.stock.updateTime, "10:41");

    Parsed fund = ParseFile("fund-unknown.html", "FUNDX", ParseMaskFor(CStock("FUNDX")));
    ASSERT_TRUE(fund.ok);
    EXPECT_EQ(SjisToUtf8(fund.stock.name), "グローバル株式ファンド");
    EXPECT_EQ(fund.stock.price, 10234 * kYen);
    EXPECT_EQ(fund.stock.updateTime, "12/25");
    EXPECT_EQ(fund.stock.change, -56 * kYen);
    // The fund page has no "現在値": a stock mask rejects it.
    EXPECT_FALSE(ParseFile("fund-unknown.html", "FUNDX", PARSE_PRICE).ok);
    // And a page for another code has no anchor for this one.
    EXPECT_FALSE(ParseFile("stock-7203.utf8.html", "6758", kAll).ok);
}

TEST(QuotePage, PriceLabelReachesOnly149Characters) {
    const Parsed near = ParseFile("price-label-149.html", "7203.t", PARSE_PRICE);
    ASSERT_TRUE(near.ok);
    EXPECT_EQ(near.stock.price, 2222 * kYen);
    const Parsed far = ParseFile("price-label-150.html", "7203.t", PARSE_PRICE);
    ASSERT_TRUE(far.ok);
    EXPECT_EQ(far.stock.price, 111 * kYen);
    EXPECT_EQ(far.stock.updateTime, "15:00");
}

TEST(QuotePage, MarkupCaseLineBreaksAndNbsp) {
    const Parsed p = ParseFile("messy-7203.html", "7203.t", kAll | PARSE_NAME);
    ASSERT_TRUE(p.ok);
    ExpectToyota(p.stock);
}

TEST(QuotePage, DashesReadAsZero) {
    CStock stale("7203.t");
    stale.price = stale.change = stale.eps = 5;
    stale.volume = 5;
    stale.per = 5;
    stale.updateTime = "09:00";
    const Parsed p = ParseBody(PageFile("quote/dashes-7203.html"), stale, kAll);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.stock.price, 0);
    EXPECT_EQ(p.stock.updateTime, "");
    EXPECT_EQ(p.stock.change, 0);
    EXPECT_EQ(p.stock.volume, 0u);
    EXPECT_EQ(p.stock.eps, 0);
    EXPECT_EQ(p.stock.per, 0.0);
}

TEST(QuotePage, EachDivAnswersOneLabel) {
    CStock s("7203.t");
    s.per = 3.0;
    const Parsed p = ParseBody(PageFile("quote/two-labels-7203.html"), s, PARSE_YIELD | PARSE_PER | PARSE_PBR);
    ASSERT_TRUE(p.ok);
    EXPECT_DOUBLE_EQ(p.stock.dividendYield, 2.52);
    EXPECT_EQ(p.stock.per, 0.0);  // its DIV went to the yield; a missing optional value is 0
    EXPECT_DOUBLE_EQ(p.stock.pbr, 1.08);
    // A required value that shares a DIV is missing, and the page is rejected.
    EXPECT_FALSE(ParseFile("two-labels-7203.html", "7203.t", PARSE_YIELD | PARSE_LOW).ok);
}

TEST(QuotePage, InnermostDivsOnly) {
    const Parsed p =
        ParseFile("nested-divs-7203.html", "7203.t", PARSE_PREV_CLOSE | PARSE_OPEN | PARSE_HIGH | PARSE_LOW);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.stock.prevClose, 2950 * kYen);
    EXPECT_EQ(p.stock.open, 2960 * kYen);
    EXPECT_EQ(p.stock.high, 2990 * kYen);
    EXPECT_EQ(p.stock.low, 2940 * kYen);

    const std::u16string text = u"<DIV A><DIV B>x</DIV>y</DIV><DIV>/DIV<DIV>z</DIV><DIV></DIV><DIV C>DIVIDE</DIV><DIV";
    const DivList divs = CollectDivs(text, 0);
    ASSERT_EQ(divs.size(), 5u);
    EXPECT_EQ(divs[0], u"x");
    EXPECT_EQ(divs[1], u"");  // "/DIV" right behind the tag closes it
    EXPECT_EQ(divs[2], u"z");
    EXPECT_EQ(divs[3], u"");
    EXPECT_EQ(divs[4], u"DIVIDE");
}

TEST(QuotePage, LabeledValueNeedsTitleStrongAndAnEnd) {
    DivList list = {u"<DT>始値</DT><STRONG>1</STRONG>", u"<DT CLASS=\"TITLE\">始値</DT><B>2</B>",
                    u"<DT CLASS=\"TITLE\">始値</DT><STRONG>3</STRONG>", u"\"TITLE\">高値<STRONG>+4,5",
                    u"\"TITLE\">安値"};
    std::u16string_view value;
    EXPECT_FALSE(FindLabeledValue(u"始値", value, list));  // the titled entry has no <STRONG
    EXPECT_EQ(list.size(), 4u);                            // ... and is gone anyway
    EXPECT_TRUE(FindLabeledValue(u"始値", value, list));
    EXPECT_EQ(value, u"3");
    EXPECT_FALSE(FindLabeledValue(u"高値", value, list));  // the digits run to the end of the entry
    EXPECT_FALSE(FindLabeledValue(u"安値", value, list));
    EXPECT_EQ(list.size(), 1u);
    EXPECT_FALSE(FindLabeledValue(u"前日終値", value, list));
}

TEST(QuotePage, PagesCutShortAreRejectedUntilTheLastRequiredValue) {
    const std::string page = PageFile("quote/stock-7203.utf8.html");
    const std::size_t needed = page.find("</div>", page.find("安値")) + 5;
    ASSERT_LT(needed, page.size());
    for (std::size_t n = 0; n < page.size(); n += (n < needed - 40 ? 7 : 1)) {
        const Parsed p = ParseBody(page.substr(0, n), CStock("7203.t"), kAll | PARSE_NAME);
        ASSERT_EQ(p.ok, n >= needed) << n;
    }
}

TEST(QuotePage, HostileInputIsRejectedSafely) {
    // Code texts are searched for, never used as a format.
    CStock odd("7203.t");
    odd.codeText = "%N%S";
    FetchContext context;
    context.stock = &odd;
    EXPECT_TRUE(ParseQuoteBody(context, PageFile("quote/code-percent.html"), PARSE_NAME | PARSE_PRICE));
    EXPECT_EQ(SjisToUtf8(odd.name), "ダミー銘柄");
    odd.codeText = SJIS("】%s%n】");
    EXPECT_FALSE(ParseQuoteBody(context, PageFile("quote/code-percent.html"), PARSE_PRICE));
    odd.codeText.clear();
    EXPECT_FALSE(ParseQuoteBody(context, PageFile("quote/code-percent.html"), PARSE_PRICE));

    CStock s("7203.t");
    s.BuildUrls();
    context.stock = &s;
    EXPECT_FALSE(ParseQuoteBody(context, std::string(4096, '\0'), kAll));
    EXPECT_FALSE(ParseQuoteBody(context, "", kAll));
    EXPECT_FALSE(ParseQuotePage(context, nullptr, 10, kAll));
    // Markers right at the end of the text.
    for (const char* tail : {"<!--MAIN START-->", "<!--MAIN START-->【7203】", "<!--MAIN START-->【7203】x<",
                             "<!--MAIN START-->【7203】x<b>現在値<strong>", "<!--MAIN START-->【7203】x<b><div",
                             "<!--MAIN START-->【7203】x<b>前日比", "<!--MAIN START-->【7203】x<b>前日比+1"}) {
        EXPECT_FALSE(ParseQuoteBody(context, tail, kAll | PARSE_NAME)) << tail;
    }
    context.stock = nullptr;
    EXPECT_FALSE(ParseQuoteBody(context, PageFile("quote/stock-7203.utf8.html"), kAll));
}

TEST(QuotePage, FiftyMegabyteBody) {
    // A page of a million titled DIVs, none with the label asked for, under all six decodings.
    std::string body = PageFile("quote/code-percent.html");
    body.resize(body.find("</body>"));
    body += "<p>\xE5\x89\x8D\xE6\x97\xA5\xE6\xAF\x94 +1<br>";  // 前日比
    const std::string div = "<div><dt class=\"title\">x</dt><strong>1</strong></div>\r\n";
    body.reserve(50u << 20);
    while (body.size() + div.size() < (50u << 20)) body += div;
    CStock s("7203.t");
    s.codeText = "%N%S";
    FetchContext context;
    context.stock = &s;
    int decoding = 0;
    EXPECT_FALSE(ParseQuoteBody(context, body, kAll, &decoding));
    EXPECT_EQ(decoding, -1);
    EXPECT_EQ(s.price, 5 * kYen);  // it got as far as the labelled values
}

TEST(QuotePage, LogsEachAttempt) {
    CStock stock("7203.t");
    stock.BuildUrls();
    ThreadLog log(3);
    FetchContext context;
    context.log = &log;
    context.stock = &stock;
    ASSERT_TRUE(ParseQuoteBody(context, PageFile("quote/stock-7203.euc.html"), kAll | PARSE_NAME));
    const std::string& text = log.text;
    // Four attempts: UTF-8, UTF-7 and Shift-JIS fail; EUC-JP parses.
    std::size_t at = text.find("Char type: UTF8\r\n");
    ASSERT_NE(at, std::string::npos) << text;
    for (const char* line : {"MBCS -> UTF16: ", "Parse Flags: 0x00001FF7", "MBCS -> UTF16: ", "MBCS -> UTF16: ",
                             "EUC -> SJIS: 2221 bytes", "MBCS -> UTF16: ", "Parse success / Name: "}) {
        at = text.find(line, at);
        ASSERT_NE(at, std::string::npos) << line << "\n" << text;
    }
    EXPECT_NE(text.find(SJIS("Parse success / Name: トヨタ自動車(株)")), std::string::npos);
    EXPECT_EQ(text.find("JIS -> SJIS"), std::string::npos);

    log.text.clear();
    EXPECT_FALSE(ParseQuotePage(context, nullptr, 0, kAll));
    EXPECT_NE(log.text.find("Invalid buffer"), std::string::npos);
}

TEST(QuotePage, TodaysSitePagesGoToTheCurrentReader) {
    const Parsed p = ParseBody(PageFile("current/quote-7203-2025.html"), CStock("7203.t"), kAll | PARSE_NAME);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.decoding, kCurrentPageReader);
    EXPECT_EQ(SjisToUtf8(p.stock.name), "トヨタ自動車(株)");
    EXPECT_EQ(p.stock.price, 2971 * kYen);
}

}  // namespace
}  // namespace quotrix
