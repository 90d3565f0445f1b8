// The reading of search result pages and the portable hand-over of their results.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "PageFile.h"
#include "net/JapaneseText.h"
#include "net/Search.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

SearchResults Parse(const std::string& bytes, CodePage cp, bool* found = nullptr) {
    std::u16string text = ToUtf16(cp, bytes);
    SearchResults results;
    const bool any = ParseSearchResults(results, text.data(), text.size());
    if (found != nullptr) *found = any;
    EXPECT_EQ(any, !results.empty());
    return results;
}

TEST(SearchResults, ListsCodesAndNames) {
    for (auto [file, cp] :
         {std::pair{"search/toyota.utf8.html", CodePage::Utf8}, std::pair{"search/toyota.sjis.html", CodePage::Sjis}}) {
        SCOPED_TRACE(file);
        const SearchResults results = Parse(PageFile(file), cp);
        ASSERT_EQ(results.size(), 3u);  // the link above the result list is not one
        EXPECT_EQ(results[0].codeText, "7203.T");
        EXPECT_EQ(SjisToUtf8(results[0].name), "トヨタ自動車(株)");
        EXPECT_EQ(results[1].codeText, "6201.T");
        EXPECT_EQ(SjisToUtf8(results[1].name), "豊田自動織機");
        EXPECT_EQ(SjisToUtf8(results[2].name), "豊田通商 (株)");
        for (const auto& r : results) EXPECT_EQ(r.valid, 1);
    }
}

TEST(SearchResults, IncompleteEntriesAndEmptyPages) {
    const SearchResults results = Parse(PageFile("search/missing-cells.html"), CodePage::Utf8);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].codeText, "3333.T");
    EXPECT_EQ(SjisToUtf8(results[0].name), "三番目");

    bool found = true;
    EXPECT_TRUE(Parse(PageFile("search/no-matches.html"), CodePage::Utf8, &found).empty());
    EXPECT_FALSE(found);
    // A quote page is no result page, and neither is a page cut before its list.
    EXPECT_TRUE(Parse(PageFile("quote/stock-7203.utf8.html"), CodePage::Utf8).empty());
    const std::string page = PageFile("search/toyota.utf8.html");
    for (std::size_t n = 0; n < page.size(); n += 3) Parse(page.substr(0, n), CodePage::Utf8);
    SearchResults none;
    EXPECT_FALSE(ParseSearchResults(none, nullptr, 10));
    std::u16string one = u"<";
    EXPECT_FALSE(ParseSearchResults(none, one.data(), one.size()));
    std::u16string end = u"<!--MAIN START-->銘柄検索結果<!-- LIST -->/?CODE=";
    EXPECT_FALSE(ParseSearchResults(none, end.data(), end.size()));
}

TEST(SearchResults, ManyBrokenEntriesStayLinear) {
    // Two hundred thousand code links without a closing quote after the first half, then
    // without cells: each must not start its own scan to the end of the page.
    std::u16string text = u"<!--MAIN START-->銘柄検索結果<!-- LIST -->";
    for (int i = 0; i < 100000; ++i) text += u"/?CODE=1\"<TD";
    for (int i = 0; i < 100000; ++i) text += u"/?CODE=2";
    SearchResults results;
    EXPECT_FALSE(ParseSearchResults(results, text.data(), text.size()));
}

TEST(SearchKeywords, SplitAndUrl) {
    const auto words = SplitSearchKeywords(SJIS("トヨタ, ソニー\r\n,,7203 "));
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(SjisToUtf8(words[0]), "トヨタ");
    EXPECT_EQ(SjisToUtf8(words[1]), "ソニー");
    EXPECT_EQ(words[2], "7203");
    EXPECT_TRUE(SplitSearchKeywords(" ,\n").empty());

    std::string url;
    ASSERT_TRUE(BuildSearchUrl(SJIS("トヨタ"), 0, url));
    EXPECT_EQ(url, "http://stocks.finance.yahoo.co.jp/stocks/search/?s=%E3%83%88%E3%83%A8%E3%82%BF&ei=UTF-8&d=lv");
    ASSERT_TRUE(BuildSearchUrl("ab", 2, url));
    EXPECT_EQ(url, "http://stocks.finance.yahoo.co.jp/stocks/search/?s=%61%62&p=2&ei=UTF-8");
    EXPECT_FALSE(BuildSearchUrl("", 0, url));
}

TEST(SearchResultQueue, SendWaitsUntilTheReceiverHandledIt) {
    std::vector<std::int32_t> seen;
    std::size_t sizes = 0;
    SearchResultQueue queue([&](const SearchResults* results, std::int32_t running) {
        seen.push_back(running);
        if (results != nullptr) sizes += results->size();
    });
    bool returned = false;
    std::thread sender([&] {
        SearchResults page(2);
        queue.SendSearchResult(&page, 2);  // lent only for the call
        queue.SendSearchResult(nullptr, 0);
        returned = true;
    });
    std::size_t handled = 0;
    while (handled < 2) handled += queue.Drain(1000);
    sender.join();
    EXPECT_TRUE(returned);
    EXPECT_EQ(seen, (std::vector<std::int32_t>{2, 0}));
    EXPECT_EQ(sizes, 2u);
    EXPECT_EQ(queue.Drain(10), 0u);

    // Refused messages release their senders without reaching the handler.
    std::atomic<bool> done{false};
    std::thread refused([&] {
        queue.SendSearchResult(nullptr, 9);
        done = true;
    });
    while (!done) {
        queue.RefusePending();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    refused.join();
    EXPECT_EQ(seen.size(), 2u);
}

TEST(SearchContext, DetachLetsABlockedSenderGo) {
    // A search thread holds the window lock and is blocked in a send to the page, whose own
    // thread now closes it: the page must not wait for the lock forever, nor handle the message.
    int handled = 0;
    SearchResultQueue queue([&](const SearchResults*, std::int32_t) { ++handled; });
    auto context = std::make_shared<SearchContext>();
    context->window = &queue;
    std::weak_ptr<SearchContext> alive = context;
    std::atomic<bool> sending{false};
    std::thread searcher([shared = context, &queue, &sending] {
        std::lock_guard lock(shared->windowLock);
        sending = true;
        queue.SendSearchResult(nullptr, 0);
    });
    while (!sending) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto start = std::chrono::steady_clock::now();
    DetachSearchPage(context);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    searcher.join();
    EXPECT_EQ(handled, 0);
    EXPECT_FALSE(context);
    EXPECT_TRUE(alive.expired());
}

}  // namespace
}  // namespace quotrix
