#include "wizard/WizardRules.h"

#include <gtest/gtest.h>

#include <set>

#include "model/StockMan.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

TEST(EnlistorSwitch, OnlyTwoCharacterUpperCaseSwitchesRegister) {
    EXPECT_EQ(ReadEnlistorSwitch("/A"), EnlistorMode::RegisterInteractive);
    EXPECT_EQ(ReadEnlistorSwitch("-A"), EnlistorMode::RegisterInteractive);
    EXPECT_EQ(ReadEnlistorSwitch("/S"), EnlistorMode::RegisterSilent);
    EXPECT_EQ(ReadEnlistorSwitch("-S"), EnlistorMode::RegisterSilent);
    for (const char* wizard : {"", "/a", "/s", "/A1", "A", "+A", "/B", "AA", "//A"})
        EXPECT_EQ(ReadEnlistorSwitch(wizard), EnlistorMode::Wizard) << wizard;
}

TEST(EnlistorCodes, NextNeedsTextAndEachPassGivesAFreshList) {
    EXPECT_FALSE(CodesNextEnabled(""));
    EXPECT_TRUE(CodesNextEnabled(" "));
    const std::string typed = "7203.T 6758 USD";
    StockList first = CollectCodes(typed);
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[0]->code, 7203u);
    EXPECT_EQ(first[1]->code, 6758u);
    EXPECT_TRUE(first[2]->IsCurrency());
    // Back and Next again: the same three, not six.
    StockList collected = std::move(first);
    collected = CollectCodes(typed);
    EXPECT_EQ(collected.size(), 3u);
    EXPECT_TRUE(CollectCodes(" \t\r\n\v\f").empty());
    EXPECT_EQ(CollectCodes("\r\n9984\r\n").size(), 1u);
}

TEST(EnlistorLookup, KeywordIsEucJpEscaped) {
    std::string address;
    ASSERT_TRUE(CodeLookupAddress("quote.example", "", address));
    EXPECT_EQ(address, "http://quote.example/l");
    ASSERT_TRUE(CodeLookupAddress("quote.example", "toyota", address));
    EXPECT_EQ(address, "http://quote.example/l?s=toyota");
    // あ (A4A2), 亜 (B0A1), ソ (A5BD: its Shift-JIS second byte is a backslash), ム (A5E0: second
    // byte 0x80 in Shift-JIS), half-width ｱ (8E B1).
    ASSERT_TRUE(CodeLookupAddress("q", Utf8ToSjis("あ亜ソムｱ"), address));
    EXPECT_EQ(address, "http://q/l?s=%A4%A2%B0%A1%A5%BD%A5%E0%8E%B1");
    ASSERT_TRUE(CodeLookupAddress("q", Utf8ToSjis("ト ヨ&タ#"), address));
    EXPECT_EQ(address, "http://q/l?s=%A5%C8%20%A5%E8%26%A5%BF%23");
    // The last row of JIS X 0208 (熙, Shift-JIS EA A4, EUC F4 A6).
    ASSERT_TRUE(CodeLookupAddress("q", "\xEA\xA4", address));
    EXPECT_EQ(address, "http://q/l?s=%F4%A6");
}

TEST(EnlistorLookup, TextWithoutEucJpFormIsRefused) {
    std::string address;
    EXPECT_FALSE(CodeLookupAddress("q", "\x82", address));      // a lone first byte
    EXPECT_FALSE(CodeLookupAddress("q", "\xF0\x40", address));  // user-defined row
    EXPECT_FALSE(CodeLookupAddress("q", "\x82\x20", address));  // a second byte below 0x40
    EXPECT_FALSE(CodeLookupAddress("q", std::string("\x80"), address));
}

TEST(EnlistorTexts, ArgumentsAndShortcutDescription) {
    EXPECT_EQ(OpenFileArguments("C:\\My Files\\a.quotrix"), "/f \"C:\\My Files\\a.quotrix\"");
    EXPECT_EQ(SjisToUtf8(ShortcutDescription(2026, 1, 2, 3, 4, 5)),
              "2026/01/02 03:04:05に作成した銘柄データファイルです。");
    EXPECT_EQ(SjisToUtf8(ShortcutFileName()), "Quotrix!銘柄ファイル.lnk");
}

class SaveLocationTest : public ::testing::Test {
  protected:
    std::set<std::string> taken;
    PathExists exists = [this](const std::string& path) { return taken.count(path) != 0; };
    SaveLocation location;
};

TEST_F(SaveLocationTest, ProposesAFreeDefaultInTheDataFolder) {
    location.Initialise("C:\\AppData\\Quotrix", exists);
    EXPECT_EQ(location.Path(), "C:\\AppData\\Quotrix\\Default.quotrix");
    EXPECT_EQ(location.Title(), "Default");
    EXPECT_EQ(location.Mode(), SaveLocation::APP_DATA);
    EXPECT_TRUE(location.TitleEnabled());
    EXPECT_FALSE(location.PathEnabled());
    taken.insert("C:\\AppData\\Quotrix\\Default.quotrix");
    location.Initialise("C:\\AppData\\Quotrix", exists);
    EXPECT_EQ(location.Path(), "C:\\AppData\\Quotrix\\Default001.quotrix");
    EXPECT_EQ(location.Title(), "Default001");
    location.Initialise("", exists);
    EXPECT_EQ(location.Path(), "Default.quotrix");
}

TEST_F(SaveLocationTest, EveryNumberTakenLeavesOnlyTheUserPath) {
    taken.insert("C:\\D\\Default.quotrix");
    char name[64];
    for (int i = 1; i <= 999; ++i) {
        std::snprintf(name, sizeof name, "C:\\D\\Default%03d.quotrix", i);
        taken.insert(name);
    }
    location.Initialise("C:\\D", exists);
    EXPECT_EQ(location.Path(), "C:\\D\\Default.quotrix");
    EXPECT_EQ(location.Mode(), SaveLocation::USER_PATH);
    EXPECT_FALSE(location.AppDataAllowed());
    location.SetMode(SaveLocation::APP_DATA);
    EXPECT_EQ(location.Mode(), SaveLocation::USER_PATH);
}

TEST_F(SaveLocationTest, TitleAndPathFollowEachOther) {
    location.Initialise("C:\\AppData\\Quotrix", exists);
    location.EditTitle("Mine");
    EXPECT_EQ(location.Path(), "C:\\AppData\\Quotrix\\Mine.quotrix");
    location.EditTitle("");
    EXPECT_EQ(location.Path(), "C:\\AppData\\Quotrix\\Mine.quotrix");
    EXPECT_EQ(location.Title(), "");
    location.SetMode(SaveLocation::USER_PATH);
    EXPECT_FALSE(location.TitleEnabled());
    EXPECT_TRUE(location.PathEnabled());
    location.EditPath(Utf8ToSjis("D:\\株\\ポートフォリオ.quotrix"));
    EXPECT_EQ(location.Title(), Utf8ToSjis("ポートフォリオ"));
    location.SetMode(SaveLocation::APP_DATA);
    location.EditTitle("Other");
    EXPECT_EQ(location.Path(), Utf8ToSjis("D:\\株\\Other.quotrix"));
}

}  // namespace
}  // namespace quotrix
