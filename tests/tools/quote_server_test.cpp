// The quote server's pages, fetched through the session and read by the program's own page
// readers: what they rely on must be on every page, in every encoding the server speaks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "net/BoardNews.h"
#include "net/InetSession.h"
#include "net/QuotePage.h"
#include "net/Release.h"
#include "net/Search.h"
#include "platform/TextCodec.h"
#include "tests/tools/quote_server_harness.h"

namespace quotrix {
namespace {

using testing::QuoteServerUrl;

class QuoteServerPages : public ::testing::Test {
  protected:
    void SetUp() override {
        InetSessionConfig config;
        config.requestPauseMs = 0;
        session_.Configure(config);
        ASSERT_TRUE(session_.Acquire(false));
    }
    void TearDown() override { session_.Release(); }

    std::string Get(const std::string& path) {
        std::string body;
        EXPECT_TRUE(DownloadUrl(session_, QuoteServerUrl(path), body, nullptr)) << path;
        return body;
    }

    InetSession session_;
};

struct PageCase {
    const char* identity;  // as a user types it
    const char* path;
    const char* name;  // UTF-8
};

TEST_F(QuoteServerPages, QuotePagesParseInEveryEncoding) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    const PageCase cases[] = {
        {"7203.t", "/stocks/detail/?code=7203.T", "トヨタ自動車(株)"},
        {"6971.o", "/stocks/detail/?code=6971.O", "京セラ(株)"},
        {"998407", "/q?s=998407&d=nc", "日経平均株価"},
        {"998405", "/q?s=998405&d=nc", "TOPIX（東証株価指数）"},
        {"USDJPY=X", "/stocks/detail/?code=USDJPY=X", "米ドル/円"},
        {"0331418A", "/stocks/detail/?code=0331418A", "日本株インデックス・オープン"},
        {"4321", "/q?s=4321&d=nc", nullptr},  // not in the table: made up
    };
    // The decoding that must succeed: the readers try UTF-8, UTF-7, Shift-JIS, EUC-JP, JIS.
    const std::pair<const char*, int> encodings[] = {{"utf8", 0}, {"sjis", 2}, {"euc", 3}, {"jis", 4}};
    for (const auto& [encoding, expectedDecoding] : encodings) {
        for (const PageCase& c : cases) {
            SCOPED_TRACE(std::string(c.identity) + " " + encoding);
            CStock stock(c.identity);
            stock.BuildUrls();
            const std::string body = Get(std::string(c.path) + "&enc=" + encoding);
            ThreadLog log(3);
            FetchContext context;
            context.log = &log;
            context.stock = &stock;
            int decoding = -1;
            ASSERT_TRUE(ParseQuoteBody(context, body, ParseMaskFor(stock) | PARSE_NAME, &decoding)) << log.text;
            EXPECT_EQ(decoding, expectedDecoding);
            if (c.name != nullptr)
                EXPECT_EQ(stock.name, Utf8ToSjis(c.name));
            else
                EXPECT_FALSE(stock.name.empty());
            EXPECT_GT(stock.price, 0);
            EXPECT_FALSE(stock.updateTime.empty());
            if (stock.market != MARKET_CURRENCY && stock.market != MARKET_UNKNOWN) {
                EXPECT_GT(stock.prevClose, 0);
                // Pages show whole yen for larger prices while the walk keeps halves: within a yen.
                EXPECT_NEAR(static_cast<double>(stock.change), static_cast<double>(stock.price - stock.prevClose),
                            static_cast<double>(kYen));
                EXPECT_LE(stock.low, stock.price);
                EXPECT_GE(stock.high, stock.price);
            }
        }
    }
}

TEST_F(QuoteServerPages, PricesWalkWithinTheDaysRange) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    std::set<PriceValue> prices;
    for (int i = 0; i < 15; ++i) {
        CStock stock("9984.t");
        stock.BuildUrls();
        FetchContext context;
        context.stock = &stock;
        ThreadLog log(0);
        context.log = &log;
        ASSERT_TRUE(ParseQuoteBody(context, Get("/stocks/detail/?code=9984.T"), ParseMaskFor(stock)));
        prices.insert(stock.price);
        // Within 8 % of the previous close, far inside the exchange's daily limit.
        EXPECT_LE(std::abs(stock.price - stock.prevClose), stock.prevClose * 8 / 100);
        EXPECT_GT(stock.volume, 0u);
    }
    EXPECT_GE(prices.size(), 2u) << "the price never moved";
}

TEST_F(QuoteServerPages, BoardAndNewsCarryTheirNewestItem) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    for (const char* encoding : {"sjis", "euc"}) {
        std::uint32_t first = 0, last = 0;
        for (int i = 0; i < 20; ++i) {
            const std::uint32_t id = BoardIdFromPage(Get(std::string("/bbs?action=q&board=6758&enc=") + encoding));
            ASSERT_NE(id, 0u) << encoding;
            EXPECT_GE(id, last);
            if (first == 0) first = id;
            last = id;
        }
        EXPECT_GT(last, first) << "no new post in 20 looks";
    }
    const std::string news = Get("/news?s=6758&enc=sjis");
    EXPECT_NE(NewsIdFromPage(news, 6758, DefaultPaidNewsPrefix()), 0u);
    EXPECT_NE(news.find("/hl?a="), std::string::npos);
}

TEST_F(QuoteServerPages, SearchFindsByNameAndPagesOn) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    auto search = [this](const std::string& keywordUtf8, const std::string& tail) {
        std::string query;
        EXPECT_TRUE(ToUtf8Query(Utf8ToSjis(keywordUtf8), true, query));
        std::u16string text = ToUtf16(CodePage::Utf8, Get("/stocks/search/?s=" + query + tail));
        SearchResults results;
        ParseSearchResults(results, text.data(), text.size());
        return results;
    };
    SearchResults found = search("トヨタ自動車", "&ei=UTF-8&d=lv");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].codeText, "7203.T");
    EXPECT_EQ(found[0].name, SJIS("トヨタ自動車(株)"));
    // A shorter word also finds the made-up companies named after it: a full first page.
    found = search("トヨタ", "&ei=UTF-8&d=lv");
    ASSERT_EQ(found.size(), 20u);
    EXPECT_EQ(found[0].codeText, "7203.T");

    found = search("電力", "&ei=UTF-8&d=lv");
    EXPECT_EQ(found.size(), 2u);
    EXPECT_TRUE(search("該当しない語", "&ei=UTF-8&d=lv").empty());

    // A search over every code: 450 pages of 20, so the program's cap of 70 pages is reached.
    EXPECT_EQ(search("全銘柄", "&ei=UTF-8&d=lv").size(), 20u);
    const SearchResults page70 = search("全銘柄", "&p=69&ei=UTF-8");
    ASSERT_EQ(page70.size(), 20u);
    EXPECT_EQ(page70[0].codeText, "2380");
    EXPECT_TRUE(search("全銘柄", "&p=450&ei=UTF-8").empty());
}

TEST_F(QuoteServerPages, ReleaseFileReadsAsAVersionAndANotice) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    const std::string body = Get("/quotrix/release.txt?v=2.57");
    ReleaseNotice notice(1, 0);
    ParseReleaseNotice(notice, body.data(), body.size());
    EXPECT_EQ(notice.remoteMajor, 2u);
    EXPECT_EQ(notice.remoteMinor, 57u);
    EXPECT_EQ(notice.text.rfind(SJIS("Quotrix 2.57 を公開しました。"), 0), 0u);
}

}  // namespace
}  // namespace quotrix
