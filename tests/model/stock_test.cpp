#include "model/Stock.h"

#include <gtest/gtest.h>

#include "model/SiteHosts.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

// The classic hosts for one test, whatever an earlier test left behind.
struct ClassicHosts {
    SiteHosts saved = CurrentSiteHosts();
    ClassicHosts() { SetSiteHosts(SiteHosts()); }
    ~ClassicHosts() { SetSiteHosts(saved); }
};

TEST(StockIdentity, CodesWithAndWithoutMarketLetters) {
    const ClassicHosts hosts;
    CStock plain("7203");
    plain.BuildUrls();
    EXPECT_EQ(plain.code, 7203u);
    EXPECT_EQ(plain.market, MARKET_NONE);
    EXPECT_EQ(plain.codeText, "7203");
    EXPECT_EQ(plain.quoteUrl, "http://quote.yahoo.co.jp/q?s=7203&d=nc");
    EXPECT_EQ(plain.status, kNamePending);

    for (const char* text : {"7203.t", "7203.T", "7203.t.junk"}) {
        CStock s(text);
        s.BuildUrls();
        EXPECT_EQ(s.market, MARKET_TOKYO) << text;
        EXPECT_EQ(s.quoteUrl, "http://stocks.finance.yahoo.co.jp/stocks/detail/?code=7203.t") << text;
        EXPECT_EQ(s.boardUrl, "http://messages.yahoo.co.jp/bbs?action=q&board=7203") << text;
        EXPECT_EQ(s.newsUrl, "http://company.news.yahoo.co.jp/news?s=7203") << text;
    }

    CStock nikkei("998407");
    EXPECT_EQ(nikkei.market, MARKET_OSAKA);
    EXPECT_EQ(CStock("23337").market, MARKET_JASDAQ);
    EXPECT_EQ(CStock("1320").market, MARKET_OSAKA);
    EXPECT_EQ(CStock("5040469").market, MARKET_OSAKA);
    EXPECT_EQ(CStock("6758.Q").market, MARKET_JASDAQ);

    CStock five(5, MARKET_TOKYO);
    five.BuildUrls();
    EXPECT_EQ(five.codeText, "0005");
    EXPECT_EQ(five.quoteUrl, "http://stocks.finance.yahoo.co.jp/stocks/detail/?code=0005.t");
    EXPECT_EQ(five.newsUrl, "http://company.news.yahoo.co.jp/news?s=0005");
}

TEST(StockIdentity, TextsThatAreNoCodeAreKeptAsText) {
    for (const char* text : {"12", "12345678", "7203.x", "72a3", "7203.", "ABCD"}) {
        CStock s(text);
        EXPECT_EQ(s.market, MARKET_UNKNOWN) << text;
        EXPECT_EQ(s.code, 0u) << text;
    }
    EXPECT_EQ(CStock("12").codeText, "12");
    EXPECT_EQ(CStock("7203.x").codeText, "7203.X");

    // "000" reads as a code, which SetIdentity refuses.
    CStock zero("000");
    EXPECT_EQ(zero.market, MARKET_UNKNOWN);
    EXPECT_TRUE(zero.codeText.empty());
}

TEST(StockIdentity, CurrencyPairs) {
    const ClassicHosts hosts;
    struct Case {
        const char* text;
        const char* symbol;
    } cases[] = {{"usd", "USDJPY=X"},    {"US", "USDJPY=X"},       {"$", "USDJPY=X"},        {"eu", "EURJPY=X"},
                 {"eurusd", "EURUSD=X"}, {"GBPJPY=X", "GBPJPY=X"}, {"gbpjpy=x", "GBPJPY=X"}, {"AUD", "AUDJPY=X"}};
    for (const auto& c : cases) {
        CStock s(c.text);
        s.BuildUrls();
        EXPECT_EQ(s.codeText, c.symbol) << c.text;
        EXPECT_EQ(s.market, MARKET_CURRENCY) << c.text;
        EXPECT_EQ(s.code, 0u) << c.text;
        EXPECT_TRUE(s.boardUrl.empty());
        EXPECT_TRUE(s.newsUrl.empty());
        EXPECT_EQ(s.quoteUrl, std::string("http://stocks.finance.yahoo.co.jp/stocks/detail/?code=") + c.symbol);
    }
}

TEST(StockIdentity, SetIdentityRefusesBadCodesAndResetsOnChange) {
    CStock s(7203, MARKET_TOKYO);
    s.name = "x";
    s.status = STATUS_UPDATED;
    EXPECT_FALSE(s.SetIdentity(0, 1));
    EXPECT_FALSE(s.SetIdentity(9999999, 1));
    EXPECT_EQ(s.code, 7203u);
    EXPECT_EQ(s.name, "x");
    EXPECT_TRUE(s.SetIdentity(9999998, 9));
    EXPECT_EQ(s.market, MARKET_NONE);
    EXPECT_TRUE(s.name.empty());
    EXPECT_EQ(s.status, kNamePending);
}

TEST(StockRecord, CopyKeepsEveryField) {
    CStock s("7203.t");
    s.BuildUrls();
    s.price = 29710000;
    s.volume = 5704400;
    s.per = 14.56;
    s.name = "toyota";
    s.updateTime = "09:48";
    s.status = STATUS_UPDATED;
    CStock copy(s);
    EXPECT_EQ(copy.price, s.price);
    EXPECT_EQ(copy.volume, s.volume);
    EXPECT_EQ(copy.per, s.per);
    EXPECT_EQ(copy.name, s.name);
    EXPECT_EQ(copy.updateTime, s.updateTime);
    EXPECT_EQ(copy.quoteUrl, s.quoteUrl);
    EXPECT_EQ(copy.status, s.status);
}

TEST(StockRecord, WebPages) {
    const ClassicHosts hosts;
    CStock s("7203.t");
    s.BuildUrls();
    EXPECT_EQ(s.WebPageAddress(0), "http://quote.yahoo.co.jp/q?s=7203.t&d=nc");
    EXPECT_EQ(s.WebPageAddress(4), "http://quote.yahoo.co.jp/q?s=7203.t&d=3m");
    EXPECT_EQ(s.WebPageAddress(8), "http://quote.yahoo.co.jp/q?s=7203.t&d=ay");
    EXPECT_EQ(s.WebPageAddress(9), "http://table.yahoo.co.jp/d?s=7203.t");
    EXPECT_EQ(s.WebPageAddress(11), "http://messages.yahoo.co.jp/bbs?action=q&board=7203");
    EXPECT_EQ(s.WebPageAddress(12), "http://profile.yahoo.co.jp/biz/fundamental/7203.html");
    EXPECT_EQ(s.WebPageAddress(13), "http://company.news.yahoo.co.jp/z/a/7/7203.html");
    EXPECT_EQ(s.WebPageAddress(14), "http://premium.quote.yahoo.co.jp/q?s=7203&d=e");
    EXPECT_EQ(s.WebPageAddress(15), "http://premium.news.yahoo.co.jp/report/sector33/brand_report/7203.html");
    EXPECT_EQ(s.WebPageAddress(99), s.WebPageAddress(10));
    EXPECT_EQ(s.WebPageAddress(-1), "http://company.news.yahoo.co.jp/news?s=7203");

    CStock usd("usd");
    EXPECT_EQ(usd.WebPageAddress(0), "http://quote.yahoo.co.jp/q?s=USDJPY=X&d=nc");
}

TEST(StockRecord, HostsAreConfiguration) {
    const SiteHosts saved = CurrentSiteHosts();
    SiteHosts local;
    local.detail = "127.0.0.1:18080";
    local.board = "127.0.0.1:18080";
    SetSiteHosts(local);
    CStock s("7203.t");
    s.BuildUrls();
    SetSiteHosts(saved);
    EXPECT_EQ(s.quoteUrl, "http://127.0.0.1:18080/stocks/detail/?code=7203.t");
    EXPECT_EQ(s.boardUrl, "http://127.0.0.1:18080/bbs?action=q&board=7203");
}

TEST(StockRecord, HashAndMarkets) {
    EXPECT_EQ(CStock(7203, 1).Hash(), ((7203u >> 8) ^ 7203u) & 31);
    CStock usd("usd");
    EXPECT_EQ(usd.Hash(), ('U' & 31u) ^ ('X' & 31u));
    EXPECT_EQ(CStock("000").Hash(), 0u);  // no code text, no crash

    EXPECT_EQ(MarketLetter(1), 't');
    EXPECT_EQ(MarketLetter(8), 0);
    EXPECT_EQ(MarketFromLetter('J'), MARKET_HERCULES);
    EXPECT_EQ(MarketFromLetter('x'), MARKET_UNKNOWN);
    EXPECT_EQ(MarketFromLetter(0), MARKET_NONE);
    EXPECT_STREQ(MarketSuffix(4), ".N");
    EXPECT_STREQ(MarketSuffix(128), "");
    EXPECT_EQ(SjisToUtf8(MarketName(1)), "東京");
    EXPECT_EQ(SjisToUtf8(MarketName(128)), "通貨");
    EXPECT_EQ(SjisToUtf8(MarketName(255)), "その他");
    EXPECT_EQ(SjisToUtf8(MarketName(42)), "その他");
}

TEST(StockRecord, StatusSuffixAndTradeMarks) {
    EXPECT_EQ(SjisToUtf8(StatusSuffix(kNamePending)), " - データ取得待ち");
    EXPECT_EQ(StatusSuffix(STATUS_UPDATED), "");
    EXPECT_EQ(SjisToUtf8(StatusSuffix(STATUS_OUT_OF_HOURS)), " - 待機中");
    EXPECT_EQ(SjisToUtf8(StatusSuffix(STATUS_OFFLINE | 1)), " - オフライン");
    EXPECT_EQ(SjisToUtf8(StatusSuffix(STATUS_FAILED)), " - 更新失敗");
    EXPECT_EQ(SjisToUtf8(StatusSuffix(STATUS_CHECKING)), " - 接続中");
    EXPECT_EQ(StatusSuffix(0x3C), "");
    EXPECT_EQ(TradeModeText(0), "");
    EXPECT_EQ(SjisToUtf8(TradeModeText(3)), "信売");
}

}  // namespace
}  // namespace quotrix

namespace quotrix {
namespace {

TEST(StockRecord, CurrentAddressForm) {
    const SiteHosts saved = CurrentSiteHosts();
    SiteHosts hosts;
    hosts.addressForm = SiteHosts::ADDRESS_CURRENT;
    hosts.current = "127.0.0.1:18080";
    SetSiteHosts(hosts);
    CStock tokyo("7203.t"), plain("7203"), nikkei("998407"), usd("usd"), symbol("GBPJPY=X");
    for (CStock* s : {&tokyo, &plain, &nikkei, &usd, &symbol}) s->BuildUrls();
    SetSiteHosts(saved);
    EXPECT_EQ(tokyo.quoteUrl, "http://127.0.0.1:18080/quote/7203.T");
    EXPECT_EQ(plain.quoteUrl, "http://127.0.0.1:18080/quote/7203.T");
    EXPECT_EQ(nikkei.quoteUrl, "http://127.0.0.1:18080/quote/998407.O");
    EXPECT_EQ(usd.quoteUrl, "http://127.0.0.1:18080/quote/USDJPY=FX");
    EXPECT_EQ(symbol.quoteUrl, "http://127.0.0.1:18080/quote/GBPJPY=FX");
    EXPECT_EQ(usd.codeText, "USDJPY=X");  // the stock keeps its symbol
    // The board and news pages have no current form.
    EXPECT_EQ(tokyo.boardUrl, "http://messages.yahoo.co.jp/bbs?action=q&board=7203");
    EXPECT_EQ(SiteAddress("https://finance.yahoo.co.jp", "/quote/7203.T"), "https://finance.yahoo.co.jp/quote/7203.T");
}

}  // namespace
}  // namespace quotrix
