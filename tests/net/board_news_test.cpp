#include "net/BoardNews.h"

#include <gtest/gtest.h>

#include "PageFile.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

TEST(BoardCheck, NewestMessageNumberInEveryEncoding) {
    for (const char* page : {"board/board-7203.sjis.html", "board/board-7203.euc.html", "board/board-7203.jis.html"}) {
        // The title also says "最新"; the newest link is the one in the page body.
        EXPECT_EQ(BoardIdFromPage(PageFile(page)), 123456u) << page;
    }
    EXPECT_EQ(BoardIdFromPage(PageFile("board/board-7203-next.sjis.html")), 123457u);
    // UTF-8 is none of the board's encodings.
    EXPECT_EQ(BoardIdFromPage(PageFile("board/board-7203.utf8.html")), 0u);
    // "最新" without a link in front of it.
    EXPECT_EQ(BoardIdFromPage(PageFile("board/board-none.sjis.html")), 0u);
}

TEST(BoardCheck, MessageNumberText) {
    const std::string before = "<a href=\"/bbs?mid=";
    const std::string after = "\">" + SJIS("最新");
    auto id = [&](const std::string& number) { return BoardIdFromPage(before + number + after); };
    EXPECT_EQ(id("  1,234"), 1234u);
    EXPECT_EQ(id("+77"), 77u);
    EXPECT_EQ(id("12-3"), 0u);  // a minus inside the number spoils it
    EXPECT_EQ(id("x"), 0u);
    EXPECT_EQ(id("4294967297"), 1u);  // 32 bits, as the id is kept
    // The page's last byte counts: nothing is cut off to end the text.
    EXPECT_EQ(BoardIdFromPage("<a>" + SJIS("最新") + "mid=42"), 42u);
    EXPECT_EQ(BoardIdFromPage(""), 0u);
    EXPECT_EQ(BoardIdFromPage(std::string(100, '\0')), 0u);
}

TEST(NewsCheck, HeadlineThenOwnPagingThenPaidNews) {
    const std::string paid = "premium.news.yahoo.co.jp/vip/news/";
    EXPECT_EQ(NewsIdFromPage(PageFile("news/news-headlines.html"), 7203, paid), 0x4274076Fu);
    // Only this stock's paging links count.
    EXPECT_EQ(NewsIdFromPage(PageFile("news/news-paging-only.html"), 7203, paid), 0xF855490Bu);
    EXPECT_EQ(NewsIdFromPage(PageFile("news/news-paging-only.html"), 9984, paid), 0u);
    // A headline link with no double quote behind it gives way to the next prefix.
    EXPECT_EQ(NewsIdFromPage(PageFile("news/news-paid-only.html"), 7203, paid), 0x9F74CB1Fu);
    EXPECT_EQ(NewsIdFromPage(PageFile("news/news-paid-only.html"), 7203, ""), 0u);
    EXPECT_EQ(DefaultPaidNewsPrefix(), paid);
}

// The headline link is looked for while the page is stripped step by step: wherever it falls,
// the answer is the one the whole stripped page gives.
TEST(NewsCheck, AHeadlineLinkIsFoundWhereverItFalls) {
    const std::string paid = "premium.news.yahoo.co.jp/vip/news/";
    const std::string link = "/hl?a=20250614-00000042-qds-bus_all";
    const std::uint32_t id = NewsLinkHash(link);
    auto page = [&](std::size_t before, const std::string& middle) {
        // Whole tags of chrome, then blanks up to `before`.
        const std::string chrome = "<div class=\"chrome\">menu</div>\n";
        std::string text;
        while (text.size() + chrome.size() <= before) text += chrome;
        text.resize(before, ' ');
        return text + middle;
    };
    for (const std::size_t before : {std::size_t{0}, std::size_t{8180}, std::size_t{8189}, std::size_t{40000}}) {
        // Across the end of a step, and its quote one step or many later.
        EXPECT_EQ(NewsIdFromPage(page(before, "<a href=\"" + link + "\">x</a>"), 7203, paid), id) << before;
        EXPECT_EQ(NewsIdFromPage(page(before, "<a href=\"" + link + std::string(30000, 'x') + "\">"), 7203, paid),
                  NewsLinkHash(link + std::string(30000, 'x')))
            << before;
        // A dropped tag inside the prefix joins its halves; the link then runs to the next quote
        // of the stripped text.
        EXPECT_EQ(NewsIdFromPage(page(before, "/h<b>l?a=1 <i>z</i> \"end"), 7203, paid), NewsLinkHash("/hl?a=1 z "))
            << before;
        // A zero byte ends the text: a link behind it is not there.
        EXPECT_EQ(NewsIdFromPage(page(before, std::string("\0", 1) + "<a href=\"" + link + "\">"), 7203, paid), 0u);
        // A headline link whose quote never comes gives way to the stock's own paging link.
        EXPECT_EQ(NewsIdFromPage(page(before, "<a href=\"/news?s=7203&p=2\">" + link), 7203, paid),
                  NewsLinkHash("/news?s=7203&p=2"));
    }
    // The thread's buffer after a large page, then a small one again.
    EXPECT_EQ(NewsIdFromPage(page(3u << 20, "<a href=\"" + link + "\">"), 7203, paid), id);
    EXPECT_EQ(NewsIdFromPage("<a href=\"" + link + "\">", 7203, paid), id);
    EXPECT_EQ(NewsIdFromPage("", 7203, paid), 0u);
}

TEST(NewsCheck, HashSignExtendsBytesAndRotates) {
    EXPECT_EQ(NewsLinkHash(""), 0u);
    EXPECT_EQ(NewsLinkHash("a"), 0x61u);
    EXPECT_EQ(NewsLinkHash("\x82\xA0"), 0x17BDu);
    EXPECT_EQ(NewsLinkHash("abcdefghij"), 0x33D31B78u);  // the shift wraps after six bytes
}

TEST(NewMarks, TakeOverAndClear) {
    std::uint32_t lastBoard = 0, lastNews = 0;
    std::uint8_t marks = 0;
    // The first ids found set the marks; the same id again changes nothing; zero never does.
    EXPECT_TRUE(TakeOverBoardId(123456, lastBoard, marks));
    EXPECT_EQ(marks, kNewBoardMark);
    EXPECT_TRUE(ClearNewMarks(marks, kNewBoardMark));
    EXPECT_FALSE(TakeOverBoardId(123456, lastBoard, marks));
    EXPECT_FALSE(TakeOverBoardId(0, lastBoard, marks));
    EXPECT_EQ(marks, 0);
    EXPECT_TRUE(TakeOverBoardId(123457, lastBoard, marks));
    EXPECT_EQ(lastBoard, 123457u);
    EXPECT_FALSE(TakeOverNewsId(0, lastNews, marks));
    EXPECT_TRUE(TakeOverNewsId(0x4274076F, lastNews, marks));
    EXPECT_EQ(marks, kNewBoardMark | kNewNewsMark);
    EXPECT_EQ(lastNews, 0x4274076Fu);
    EXPECT_TRUE(ClearNewMarks(marks, kNewNewsMark));
    EXPECT_EQ(marks, kNewBoardMark);
    EXPECT_FALSE(ClearNewMarks(marks, kNewNewsMark));  // nothing to redraw
}

}  // namespace
}  // namespace quotrix
