// A stock file's own display items: in force after the file is adopted, written back into the
// file by a save, and never into the common settings.
#include "app/FileItemFlags.h"

#include <gtest/gtest.h>

#include "app/DisplayTexts.h"
#include "files/StockFile.h"
#include "log/ErrLog.h"
#include "model/StockMan.h"
#include "platform/TextCodec.h"
#include "settings/MemorySettingsStore.h"
#include "tests/files/FilesTestSupport.h"

namespace quotrix {
namespace {

StockFileHeader OwnFlags(std::uint32_t tip) {
    StockFileHeader header;
    header.present = true;
    header.block.displayOptions = kFileOwnItemFlags | 0x2;
    header.block.portfolioTextFlags = 0x1000;
    header.block.tipTextFlags = tip;
    header.block.otherItemFlags = 0;
    return header;
}

struct QuotedStock : CStockMan {
    QuotedStock() : CStockMan("7203.t", Utf8ToSjis("トヨタ")) {
        status = STATUS_UPDATED;
        updateTime = "15:00";
        prevClose = 2900 * kYen;
        price = 2950 * kYen;
        change = 50 * kYen;
        volume = 1000;
    }
};

TEST(FileItemFlags, TheFilesTipFlagsBuildTheTipsInsteadOfTheCommonOnes) {
    AppSettings settings;  // the common words: code, time, status, price, volume ...
    CStockTipCtrl tips;
    QuotedStock stock;

    tips.options = DisplayOptionsFrom(settings);
    tips.BuildStockTexts(stock);
    EXPECT_NE(stock.displayStrings[DISPLAY_TIP_TEXT].find("(7203.T)"), std::string::npos);

    // The file's own words: the volume line only.
    ASSERT_TRUE(AdoptFileItemFlags(OwnFlags(0x10), settings));
    EXPECT_TRUE(settings.itemFlagsFromFile);
    EXPECT_EQ(settings.itemFlags.portfolioText, 0x3000u);  // bit 13 follows bit 12
    tips.options = DisplayOptionsFrom(settings);
    tips.BuildStockTexts(stock);
    EXPECT_EQ(SjisToUtf8(stock.displayStrings[DISPLAY_TIP_TEXT]), "トヨタ \r\n出来高: 1,000");
    // Nor does the tray tip carry the volume any more (other item flags 0).
    EXPECT_EQ(stock.displayStrings[DISPLAY_TRAY_TIP].find('\n'), std::string::npos);
}

TEST(FileItemFlags, AFileWithoutWordsOfItsOwnLeavesTheCommonOnes) {
    AppSettings settings;
    const ItemFlags common = settings.itemFlags;
    StockFileHeader header = OwnFlags(0x10);
    header.block.displayOptions = 0x2;  // the words are there, but not in force
    EXPECT_FALSE(AdoptFileItemFlags(header, settings));
    header = OwnFlags(0x10);
    header.present = false;  // an older file has no block at all
    EXPECT_FALSE(AdoptFileItemFlags(header, settings));
    EXPECT_EQ(settings.itemFlags, common);
    EXPECT_FALSE(settings.itemFlagsFromFile);

    // Saving such a file keeps its header as read.
    StockFileHeader kept = OwnFlags(0x10);
    kept.block.displayOptions = 0;
    const StockFileHeader before = kept;
    StoreFileItemFlags(settings, kept);
    EXPECT_EQ(kept, before);
}

TEST(FileItemFlags, ASaveKeepsTheWordsInTheFileAndOutOfTheSettingsStore) {
    testing::TempFolder folder;
    const std::string path = folder.File("own flags.quotrix");
    StockList stocks;
    stocks.push_back(std::make_unique<CStockMan>("7203.t"));
    ASSERT_TRUE(WriteStockFile(path, stocks, PortfolioPlacement{}, 0, OwnFlags(0x10)));

    StockList loaded;
    PortfolioPlacement placement;
    PriceValue cash = 0;
    StockFileHeader header;
    ASSERT_TRUE(ReadStockFile(path, loaded, placement, cash, header));
    AppSettings settings;
    ASSERT_TRUE(AdoptFileItemFlags(header, settings));
    // The user changes a word while the file is open; the save carries it into the file.
    settings.itemFlags.tipText = 0x30;
    StoreFileItemFlags(settings, header);
    ASSERT_TRUE(WriteStockFile(path, loaded, placement, cash, header));

    StockList again;
    StockFileHeader reread;
    ASSERT_TRUE(ReadStockFile(path, again, placement, cash, reread));
    EXPECT_EQ(reread.block.displayOptions, kFileOwnItemFlags | 0x2u);
    EXPECT_EQ(reread.block.tipTextFlags, 0x30u);
    EXPECT_EQ(reread.block.portfolioTextFlags, 0x3000u);

    // The common words in the store stay what they were.
    MemorySettingsStore store;
    store.SetInt(kSectionSetting, "TipTextFlags", 0x0C3F);
    CErrLog log;
    SaveSettings(store, settings, log);
    EXPECT_EQ(store.GetInt(kSectionSetting, "TipTextFlags", 0), 0x0C3Fu);
}

}  // namespace
}  // namespace quotrix
