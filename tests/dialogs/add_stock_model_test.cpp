#include "dialogs/AddStockModel.h"

#include <gtest/gtest.h>

#include "platform/TextCodec.h"

namespace quotrix {
namespace {

TEST(SearchProgress, SubStepCreepsByThreeThenOneUpToFifteenAndRestartsWhenASearchEnds) {
    SearchProgress p;
    p.AddKeywords(2);
    EXPECT_EQ(p.RangeMax(), 40);
    // Two searches run: the sub-step creeps 3, 6, 9, 12 (below 10 by three), then by one to 15.
    const int expected[] = {3, 6, 9, 12, 13, 14, 15, 15};
    for (int step : expected) {
        EXPECT_TRUE(p.Report(2));
        EXPECT_EQ(p.SubStep(), step);
        EXPECT_EQ(p.Position(), step);
    }
    // One search ended: its 20 steps are done and the sub-step restarts.
    EXPECT_TRUE(p.Report(1));
    EXPECT_EQ(p.SubStep(), 3);
    EXPECT_EQ(p.Position(), 23);
    EXPECT_TRUE(p.Report(1));
    EXPECT_EQ(p.Position(), 26);
    // Nothing outstanding: hidden, and the next search starts from nothing.
    EXPECT_FALSE(p.Report(0));
    EXPECT_EQ(p.Queued(), 0);
    EXPECT_EQ(p.Position(), 0);
    EXPECT_FALSE(p.Running());
    p.AddKeywords(1);
    EXPECT_EQ(p.RangeMax(), 20);
    EXPECT_TRUE(p.Report(1));
    EXPECT_EQ(p.Position(), 3);
}

TEST(SearchProgress, KeywordsAddedWhileRunningAndStrayReportsStayInRange) {
    SearchProgress p;
    p.AddKeywords(1);
    EXPECT_TRUE(p.Report(1));
    p.AddKeywords(2);  // a second search command while the first runs
    EXPECT_EQ(p.RangeMax(), 60);
    EXPECT_TRUE(p.Report(3));
    EXPECT_EQ(p.Position(), 3);
    // Stopped searches: the bookkeeping is cleared; a late report of an old thread that
    // outnumbers the queued keywords does not put the bar below its range.
    p.Reset();
    p.AddKeywords(1);
    EXPECT_TRUE(p.Report(4));
    EXPECT_EQ(p.Position(), 0);
    EXPECT_FALSE(p.Report(-1));
    EXPECT_FALSE(p.Running());
}

TEST(SearchPageModel, KeywordAndResultModesShowTheirTextsAndButtons) {
    SearchPageModel m;
    EXPECT_TRUE(m.KeywordMode());
    EXPECT_FALSE(m.MainButtonEnabled());  // disabled at start
    EXPECT_FALSE(m.OkEnabled());
    EXPECT_EQ(m.Prompt(), Utf8ToSjis("キーワード、銘柄名、銘柄コード等を入力してください。"));
    EXPECT_EQ(m.MainButtonCaption(), Utf8ToSjis("検索(&S)"));
    EXPECT_TRUE(m.HintShown());
    EXPECT_FALSE(m.SelectButtonsShown());
    m.SetKeywordText(Utf8ToSjis("トヨタ"));
    EXPECT_TRUE(m.MainButtonEnabled());

    // Results arrive: OK is enabled as soon as the list holds rows, then follows the checks.
    m.SetKeywordText("");  // the started keywords leave the box
    m.EnterResultMode(0);
    EXPECT_FALSE(m.OkEnabled());
    EXPECT_TRUE(m.MainButtonEnabled());  // the way back to the keywords
    m.SetRowCount(3);
    EXPECT_TRUE(m.OkEnabled());
    EXPECT_EQ(m.Prompt(), Utf8ToSjis("追加する銘柄にチェックしてください。"));
    EXPECT_EQ(m.MainButtonCaption(), Utf8ToSjis("キーワード入力に戻る(&B)"));
    EXPECT_TRUE(m.SelectButtonsShown());
    EXPECT_FALSE(m.HintShown());
    m.RowStateChanged(0);
    EXPECT_FALSE(m.OkEnabled());
    m.SetRowCount(4);  // more rows arrive: the checks still rule
    EXPECT_FALSE(m.OkEnabled());
    m.RowStateChanged(2);
    EXPECT_TRUE(m.OkEnabled());

    // Back to keywords with two checked rows kept: OK is off, the button offers the results.
    m.SetRowCount(2);
    m.EnterKeywordMode();
    m.SetKeywordText("");
    EXPECT_FALSE(m.OkEnabled());
    EXPECT_TRUE(m.MainButtonEnabled());
    EXPECT_EQ(m.MainButtonCaption(), Utf8ToSjis("検索/結果表示(&S)"));
    m.SetRowCount(0);
    EXPECT_FALSE(m.MainButtonEnabled());
}

TEST(DirectPage, OkFollowsWhetherTheCodeBoxHoldsText) {
    EXPECT_FALSE(DirectPageOkEnabled(""));
    EXPECT_TRUE(DirectPageOkEnabled("7203"));
}

}  // namespace
}  // namespace quotrix
