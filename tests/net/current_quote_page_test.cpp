#include "net/CurrentQuotePage.h"

#include <gtest/gtest.h>

#include "PageFile.h"
#include "RecordedQuote.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

constexpr std::uint32_t kStockMask = 0x1FF6;  // every value but the name and the fund price
constexpr std::uint32_t kName = 0x0001;

std::string Page(const char* name) { return PageFile(std::string("current/") + name); }

TEST(CurrentQuotePage, ReadsARecordedPageOfTheSite) {
    const std::string page = PageFile(kRecordedCurrentPage);
    ASSERT_GT(page.size(), 100000u);
    CStock copy("7203.t");
    ThreadLog log(3);
    ASSERT_TRUE(ParseCurrentQuotePage(page, copy, kStockMask | kName, &log));
    ExpectRecordedQuote(copy);
}

TEST(CurrentQuotePage, NameOnlyWhenTheMaskAsksForIt) {
    CStock copy("6758.t");
    copy.name = "kept";
    ASSERT_TRUE(ParseCurrentQuotePage(Page("all-values.html"), copy, kStockMask, nullptr));
    EXPECT_EQ(copy.name, "kept");
    EXPECT_EQ(copy.change, -12 * kYen);
    EXPECT_EQ(copy.low, 34985000);
    EXPECT_EQ(copy.volume, 12345678u);
    EXPECT_EQ(copy.eps, 1773500);
    ASSERT_TRUE(ParseCurrentQuotePage(Page("all-values.html"), copy, kStockMask | kName, nullptr));
    EXPECT_EQ(SjisToUtf8(copy.name), "ソニーグループ(株)");
}

TEST(CurrentQuotePage, ValuesTheSiteDoesNotHaveReadAsZero) {
    CStock copy("1301");
    copy.open = copy.high = copy.low = 1;
    copy.volume = 1;
    copy.per = 1;
    ASSERT_TRUE(ParseCurrentQuotePage(Page("dashes.html"), copy, kStockMask, nullptr));
    EXPECT_EQ(copy.change, 0);
    EXPECT_EQ(copy.open, 0);
    EXPECT_EQ(copy.high, 0);
    EXPECT_EQ(copy.low, 0);
    EXPECT_EQ(copy.volume, 0u);
    EXPECT_EQ(copy.per, 0.0);
    EXPECT_EQ(copy.updateTime, "09/18");
    EXPECT_EQ(copy.price, 4100 * kYen);
}

TEST(CurrentQuotePage, MissingRequiredValuesRejectThePage) {
    CStock copy("9984");
    // Without the detail object the previous close, open, high and low are missing.
    EXPECT_FALSE(ParseCurrentQuotePage(Page("no-detail.html"), copy, kStockMask, nullptr));
    // A currency pair asks for the price only, which the page has.
    EXPECT_TRUE(ParseCurrentQuotePage(Page("no-detail.html"), copy, 0x0004, nullptr));
    EXPECT_EQ(copy.price, 9870 * kYen);
    // Optional values alone never reject.
    EXPECT_TRUE(ParseCurrentQuotePage(Page("no-detail.html"), copy, 0x0020 | 0x0200 | 0x1000, nullptr));
    EXPECT_EQ(copy.volume, 0u);
}

TEST(CurrentQuotePage, FindsTheStateObjectAcrossWhitespace) {
    CStock copy("8306");
    ASSERT_TRUE(ParseCurrentQuotePage(Page("split-whitespace.html"), copy, kStockMask | kName, nullptr));
    EXPECT_EQ(copy.price, 17025000);
    EXPECT_EQ(copy.change, 0);
    EXPECT_EQ(copy.volume, 40000100u);
    EXPECT_FALSE(copy.name.empty());
}

TEST(CurrentQuotePage, BrokenOrAbsentStateIsRejected) {
    CStock copy("7203");
    ThreadLog log(3);
    EXPECT_FALSE(ParseCurrentQuotePage(Page("truncated.html"), copy, kStockMask, &log));
    EXPECT_FALSE(ParseCurrentQuotePage(Page("no-state.html"), copy, kStockMask, &log));
    EXPECT_FALSE(HasPreloadedState(Page("no-state.html")));
    EXPECT_TRUE(HasPreloadedState(Page("truncated.html")));
    EXPECT_FALSE(ParseCurrentQuotePage("window.__PRELOADED_STATE__", copy, kStockMask, &log));
    EXPECT_FALSE(ParseCurrentQuotePage("window.__PRELOADED_STATE__ = [1,2]</script>", copy, 0x0004, &log));
    EXPECT_FALSE(ParseCurrentQuotePage(
        "window.__PRELOADED_STATE__ = {\"mainStocksPriceBoard\":{\"priceBoard\":{\"price\":7}}}", copy, 0x0004, &log));
}

}  // namespace
}  // namespace quotrix

#include "net/QuotePage.h"

namespace quotrix {
namespace {

TEST(CurrentQuotePage, TheClassicReaderComesFirstAndTheStateObjectAfterIt) {
    // A page with the classic markers and a state object: the classic reader answers.
    CStock both("7203.t");
    both.BuildUrls();
    ThreadLog log(3);
    FetchContext context;
    context.stock = &both;
    context.log = &log;
    int decoding = -1;
    ASSERT_TRUE(ParseQuoteBody(context, Page("both-shapes-7203.html"), ParseMaskFor(both), &decoding));
    EXPECT_EQ(decoding, 0);
    EXPECT_NE(both.price, 1111 * kYen);
    EXPECT_NE(SjisToUtf8(both.name), "STATE NAME");
    EXPECT_EQ(log.text.find("Parse: current page"), std::string::npos);

    // Today's page: every decoding fails, the state object answers, and the log says so.
    CStock today("7203.t");
    today.BuildUrls();
    context.stock = &today;
    ASSERT_TRUE(ParseQuoteBody(context, Page("quote-7203-2025.html"), ParseMaskFor(today), &decoding));
    EXPECT_EQ(decoding, kCurrentPageReader);
    EXPECT_EQ(today.price, 2971 * kYen);
    EXPECT_EQ(SjisToUtf8(today.name), "トヨタ自動車(株)");
    EXPECT_NE(log.text.find("Parse: current page"), std::string::npos);

    // A broken state object fails like any unreadable page.
    CStock broken("7203.t");
    context.stock = &broken;
    EXPECT_FALSE(ParseQuoteBody(context, Page("truncated.html"), ParseMaskFor(broken), &decoding));
}

}  // namespace
}  // namespace quotrix
