#include "files/StockFile.h"

#include <gtest/gtest.h>

#include <memory>

#include "FilesTestSupport.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace quotrix {
namespace {

using testing::Bytes;
using testing::ExpectSameStock;
using testing::FileHeader;
using testing::MessageRecorder;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

// Every per-stock setting away from its default.
void SetEverything(CStockMan& s) {
    s.shares = 100;
    s.volume = 1234500;
    s.cost = 1234567800;  // 123,456.78 yen
    s.change = -155000;
    s.prevClose = 13155000;
    s.open = 13100000;
    s.high = 13250000;
    s.low = 12950000;
    s.price = 13000000;
    s.dividendYield = 2.75;
    s.per = 11.5;
    s.eps = 1123400;
    s.pbr = 1.25;
    s.updateTime = "15:00";
    s.status = 0;
    s.curPlusHigh = 30 * kYen;
    s.curPlusLow = 15 * kYen;
    s.curMinusLow = 12 * kYen;
    s.curMinusHigh = 25 * kYen;
    s.perPlusHigh = 2000;
    s.perPlusLow = 700;
    s.perMinusLow = 600;
    s.perMinusHigh = 1500;
    s.percentFlag = true;
    s.dispLower = 1200 * kYen;
    s.dispUpper = 1400 * kYen + 5000;
    s.targetPrice = 1500 * kYen;
    s.fileFlags = 0xF07;
    s.desktopTxtFlags = 0x8000002D;
    s.tradeMode = TRADE_MARGIN_SELL;
    s.showMode = 21;
    s.iconIndexMode = 2;
    s.lastBoardId = 987654;
    s.lastNewsId = 4242;
    s.newMarks = 3;
    s.desktopLeft = -120;
    s.desktopTop = 640;
    s.desktopTxtMode = 2;
}

StockList SampleStocks() {
    StockList list;
    auto toyota = std::make_unique<CStockMan>("7203.t", SJIS("トヨタ自動車"));
    SetEverything(*toyota);
    list.push_back(std::move(toyota));

    auto index = std::make_unique<CStockMan>("998407", SJIS("日経平均株価"));
    index->price = 3845612 * 100;
    index->status = 0;
    list.push_back(std::move(index));

    auto dollar = std::make_unique<CStockMan>("usd", SJIS("米ドル/円"));
    dollar->price = 1495123;
    dollar->tradeMode = TRADE_MARGIN_BUY;
    dollar->fileFlags = 0;
    list.push_back(std::move(dollar));

    list.push_back(std::make_unique<CStockMan>(6758, MARKET_TOKYO));  // no name yet

    std::string longName;
    for (int i = 0; i < 300; ++i) longName += "株";
    auto longOne = std::make_unique<CStockMan>("4689.q", Utf8ToSjis(longName));
    longOne->status = 0;
    list.push_back(std::move(longOne));
    return list;
}

struct Loaded {
    bool ok = false;
    StockList stocks;
    PortfolioPlacement placement;
    PriceValue cash = 0;
    StockFileHeader header;
    StockFileProblem problem;
};

Loaded Load(const std::string& path) {
    Loaded loaded;
    loaded.ok = ReadStockFile(path, loaded.stocks, loaded.placement, loaded.cash, loaded.header, &loaded.problem);
    return loaded;
}

TEST(StockFile, WriteThenReadGivesTheSameStocksAndFileValues) {
    TempFolder folder;
    const std::string path = folder.File("銘柄.quotrix");
    const StockList stocks = SampleStocks();
    const PortfolioPlacement placement{-30, 700, 10};
    StockFileHeader header;
    header.present = true;
    header.block = {3, 0x11, 0x22, 0x33, 5, 12};
    header.cashSwitches = 3;
    MessageRecorder messages;
    ASSERT_TRUE(WriteStockFile(path, stocks, placement, -12345678, header));

    Loaded loaded = Load(path);
    ASSERT_TRUE(loaded.ok) << loaded.problem.Describe();
    ASSERT_EQ(loaded.stocks.size(), stocks.size());
    for (std::size_t i = 0; i < stocks.size(); ++i) {
        ExpectSameStock(*loaded.stocks[i], *stocks[i]);
        EXPECT_GE(loaded.stocks[i]->Id(), 32u);
        EXPECT_EQ(StockRegistry::Instance().Find(loaded.stocks[i]->Id()), loaded.stocks[i].get());
    }
    EXPECT_EQ(loaded.placement, placement);
    EXPECT_EQ(loaded.cash, -12345678);
    EXPECT_EQ(loaded.header, header);
    EXPECT_EQ(loaded.stocks[2]->codeText, "USDJPY=X");
    EXPECT_TRUE(loaded.stocks[2]->boardUrl.empty());
    EXPECT_EQ(loaded.stocks[3]->status & kNamePending, kNamePending);
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(folder.Names().size(), 1u) << "no temporary file is left behind";
}

TEST(StockFile, SizeFollowsTheRecordLayout) {
    TempFolder folder;
    const std::string path = folder.File("one.quotrix");
    StockList one;
    one.push_back(std::make_unique<CStockMan>("7203.t", SJIS("トヨタ")));
    ASSERT_TRUE(WriteStockFile(path, one, {}, 0, {}));
    EXPECT_EQ(ReadBytes(path).size(), 17u + 56 + (272 + 2 * 3) + 272);

    StockList pair;
    pair.push_back(std::make_unique<CStockMan>("EURUSD", SJIS("ユーロ/ドル")));
    ASSERT_TRUE(WriteStockFile(path, pair, {}, 0, {}));
    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes.size(), 17u + 56 + (272 + 2 * 6 + 2 * 8) + 272);
    EXPECT_EQ(bytes.substr(0, 17), FileHeader("00007"));
    // A currency pair is written with code 0 and its symbol after the name.
    EXPECT_EQ(bytes.substr(17 + 56 + 8, 4), std::string(4, '\0'));
    const std::u16string symbol(reinterpret_cast<const char16_t*>(bytes.data() + 17 + 56 + 272 + 12), 8);
    EXPECT_EQ(symbol, u"EURUSD=X");
}

TEST(StockFile, SavingDropsWhatTheFormatDoesNotKeep) {
    TempFolder folder;
    const std::string path = folder.File("drop.quotrix");
    StockList stocks;
    auto s = std::make_unique<CStockMan>("7203.t", SJIS("トヨタ"));
    s->updateTime = "10:15:30 ";  // 10 characters
    s->status = STATUS_FAILED;    // the fetch state is not saved
    s->tradeMode = TRADE_SELL;    // only margin positions are recorded
    stocks.push_back(std::move(s));
    ASSERT_TRUE(WriteStockFile(path, stocks, {}, 0, {}));
    Loaded loaded = Load(path);
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.stocks[0]->updateTime, "10:15:3");
    EXPECT_EQ(loaded.stocks[0]->status, 0u);
    EXPECT_EQ(loaded.stocks[0]->tradeMode, TRADE_SPOT);
}

TEST(StockFile, AnEmptyListWritesNothing) {
    TempFolder folder;
    const std::string path = folder.File("empty.quotrix");
    EXPECT_FALSE(WriteStockFile(path, {}, {}, 0, {}));
    EXPECT_TRUE(folder.Names().empty());
    WriteBytes(path, "old");
    EXPECT_FALSE(WriteStockFile(path, {}, {}, 0, {}));
    EXPECT_EQ(ReadBytes(path), "old");
}

class DamagedFile : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = folder_.File("damaged.quotrix");
        StockList stocks;
        stocks.push_back(std::make_unique<CStockMan>("7203.t", SJIS("トヨタ")));
        stocks.push_back(std::make_unique<CStockMan>("6758.t", SJIS("ソニーグループ")));
        stocks.push_back(std::make_unique<CStockMan>("9984.t", SJIS("ソフトバンクグループ")));
        ASSERT_TRUE(WriteStockFile(path_, stocks, {}, 0, {}));
        good_ = ReadBytes(path_);
        // Offsets of the three records.
        records_ = {73, 73 + 272 + 6, 73 + 272 + 6 + 272 + 14};
        trailer_ = records_[2] + 272 + 20;
        ASSERT_EQ(good_.size(), trailer_ + 272);
    }

    Loaded LoadWith(const std::string& bytes) {
        WriteBytes(path_, bytes);
        return Load(path_);
    }

    TempFolder folder_;
    std::string path_;
    std::string good_;
    std::vector<std::size_t> records_;
    std::size_t trailer_ = 0;
};

TEST_F(DamagedFile, TruncationKeepsTheStocksBeforeIt) {
    Loaded inRecord = LoadWith(good_.substr(0, records_[1] + 100));
    EXPECT_FALSE(inRecord.ok);
    EXPECT_EQ(inRecord.stocks.size(), 1u);
    EXPECT_EQ(inRecord.problem.kind, StockFileProblem::TruncatedRecord);
    EXPECT_EQ(inRecord.problem.Describe(), "truncated at record 2");

    Loaded inName = LoadWith(good_.substr(0, records_[2] + 272 + 4));
    EXPECT_FALSE(inName.ok);
    EXPECT_EQ(inName.stocks.size(), 2u);
    EXPECT_EQ(inName.problem.kind, StockFileProblem::StringsPastEnd);
    EXPECT_EQ(inName.problem.record, 3);

    Loaded noTrailer = LoadWith(good_.substr(0, trailer_));
    EXPECT_FALSE(noTrailer.ok);
    EXPECT_EQ(noTrailer.stocks.size(), 3u);
    EXPECT_EQ(noTrailer.problem.record, 4);

    Loaded noBlock = LoadWith(good_.substr(0, 40));
    EXPECT_FALSE(noBlock.ok);
    EXPECT_EQ(noBlock.problem.kind, StockFileProblem::TruncatedHeaderBlock);
}

TEST_F(DamagedFile, HeaderProblemsLoadNothing) {
    struct Case {
        std::string bytes;
        StockFileProblem::Kind kind;
        const char* description;
    };
    std::string badFirst = good_;
    badFirst[0] = 'Q';
    std::string badMagic = good_;
    badMagic[5] = 'x';
    const std::vector<Case> cases = {
        {"", StockFileProblem::TooShort, "too short for a stock file header"},
        {good_.substr(0, 14), StockFileProblem::TooShort, "too short for a stock file header"},
        {badFirst, StockFileProblem::BadMagic, "bad magic: not a stock file"},
        {badMagic, StockFileProblem::BadMagic, "bad magic: not a stock file"},
        {FileHeader("0a007") + good_.substr(17), StockFileProblem::BadVersionText, "bad version field \"0a007\""},
        {FileHeader(" 0007") + good_.substr(17), StockFileProblem::BadVersionText, "bad version field \" 0007\""},
        {FileHeader("00008") + good_.substr(17), StockFileProblem::UnknownVersion, "unknown version 8"},
        {FileHeader("00000") + good_.substr(17), StockFileProblem::UnknownVersion, "unknown version 0"},
    };
    for (const Case& c : cases) {
        Loaded loaded = LoadWith(c.bytes);
        EXPECT_FALSE(loaded.ok);
        EXPECT_TRUE(loaded.stocks.empty());
        EXPECT_EQ(loaded.problem.kind, c.kind);
        EXPECT_EQ(loaded.problem.Describe(), c.description);
    }
    Loaded missing = Load(folder_.File("missing.quotrix"));
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.problem.kind, StockFileProblem::CannotOpen);
}

TEST_F(DamagedFile, HugeStringLengthsStopBeforeAllocating) {
    for (std::uint32_t length : {0xFFFFFFFFu, 0x7FFFFFFFu, 0x10000000u}) {
        for (std::size_t field : {rec::NameLength, rec::SymbolLength}) {
            Bytes bytes;
            bytes.Append(good_).U32(records_[1] + field, length);
            Loaded loaded = LoadWith(bytes.str());
            EXPECT_FALSE(loaded.ok);
            EXPECT_EQ(loaded.stocks.size(), 1u);
            EXPECT_EQ(loaded.problem.kind, StockFileProblem::StringsPastEnd);
            EXPECT_EQ(loaded.problem.record, 2);
        }
    }
}

TEST_F(DamagedFile, ATrailerEndsTheListWhereverItIs) {
    const std::string trailer = good_.substr(trailer_);
    Loaded loaded = LoadWith(good_.substr(0, records_[1]) + trailer + good_.substr(records_[1]));
    EXPECT_TRUE(loaded.ok);
    ASSERT_EQ(loaded.stocks.size(), 1u);
    EXPECT_EQ(loaded.stocks[0]->code, 7203u);
}

#ifndef _WIN32
TEST(StockFile, APipeIsRefusedWithoutWaitingForAWriter) {
    TempFolder folder;
    const std::string path = folder.File("pipe.quotrix");
    ASSERT_EQ(mkfifo(testing::NativePath(path).c_str(), 0600), 0);
    Loaded loaded = Load(path);
    EXPECT_FALSE(loaded.ok);
    EXPECT_EQ(loaded.problem.kind, StockFileProblem::CannotOpen);
}
#endif

// Version 1: 104-byte records with prices in whole yen.
TEST(OldStockFiles, Version1ConvertsYenAndTakesDefaults) {
    TempFolder folder;
    const std::string path = folder.File("v1.quotrix");
    Bytes record(104);
    record.U32(0, 104).U32(4, 7203).U32(8, 1).U32(12, 200).U32(16, 300000).U32(20, static_cast<std::uint32_t>(-25));
    record.U32(24, 1525).U32(28, 98765).U32(32, 1510).U32(36, 1530).U32(40, 1490).U32(44, 1500);
    record.I64(48, 1400 * kYen).I64(56, 1600 * kYen).U32(64, static_cast<std::uint32_t>(-5)).U32(68, 300);
    record.U8(78, 1).U8(79, 20).Text(80, "15:00").U32(92, 3);
    Bytes trailer(104);
    trailer.U32(20, 5963).U32(88, kTrailerMark);
    Bytes file;
    file.Append(FileHeader("00001")).Append(record.str()).AppendUtf16("トヨタ").Append(trailer.str());
    WriteBytes(path, file.str());

    Loaded loaded = Load(path);
    ASSERT_TRUE(loaded.ok) << loaded.problem.Describe();
    EXPECT_FALSE(loaded.header.present);
    ASSERT_EQ(loaded.stocks.size(), 1u);
    const CStockMan& s = *loaded.stocks[0];
    EXPECT_EQ(SjisToUtf8(s.name), "トヨタ");
    EXPECT_EQ(s.code, 7203u);
    EXPECT_EQ(s.market, 1u);
    EXPECT_EQ(s.shares, 200u);
    EXPECT_EQ(s.cost, 300000 * kYen);
    EXPECT_EQ(s.change, -25 * kYen);
    EXPECT_EQ(s.prevClose, 1525 * kYen);
    EXPECT_EQ(s.volume, 98765u);
    EXPECT_EQ(s.open, 1510 * kYen);
    EXPECT_EQ(s.high, 1530 * kYen);
    EXPECT_EQ(s.low, 1490 * kYen);
    EXPECT_EQ(s.price, 1500 * kYen);
    EXPECT_EQ(s.dispLower, 1400 * kYen);
    EXPECT_EQ(s.dispUpper, 1600 * kYen);
    EXPECT_EQ(s.desktopLeft, -5);
    EXPECT_EQ(s.desktopTop, 300);
    EXPECT_EQ(s.fileFlags, static_cast<std::uint32_t>(FILEFLAG_BALLOON));
    EXPECT_EQ(s.showMode, 20);
    EXPECT_EQ(s.updateTime, "15:00");
    EXPECT_TRUE(static_cast<const ArrowThresholds&>(s) == ArrowThresholds{});
    EXPECT_EQ(s.desktopTxtFlags, 13u);
    EXPECT_EQ(s.tradeMode, 0);
    EXPECT_EQ(s.status, kNamePending);
    EXPECT_EQ(s.dividendYield, 0.0);
}

Bytes Version2Record(std::uint32_t code, std::uint8_t showMode, std::uint32_t nameLength) {
    Bytes record(136);
    record.U32(0, 136).U32(8, code).U32(12, 1).U32(16, 100).U32(20, 5000).I64(72, 2500 * kYen + 5000);
    record.I64(80, 2000 * kYen).I64(88, 3000 * kYen).U32(96, 10).U32(100, 20);
    record.U8(110, 1).U8(111, showMode).Text(112, "9:01").U32(124, nameLength);
    return record;
}

TEST(OldStockFiles, Versions2And3KeepTheirPriceRun) {
    for (const char* version : {"00002", "00003"}) {
        TempFolder folder;
        const std::string path = folder.File("v2.quotrix");
        Bytes trailer(136);
        trailer.I64(32, kTrailerChange).U32(120, kTrailerMark);
        Bytes file;
        file.Append(FileHeader(version)).Append(Version2Record(6758, 3, 2).str()).AppendUtf16("ソニ");
        file.Append(trailer.str());
        WriteBytes(path, file.str());
        Loaded loaded = Load(path);
        ASSERT_TRUE(loaded.ok) << version;
        ASSERT_EQ(loaded.stocks.size(), 1u);
        const CStockMan& s = *loaded.stocks[0];
        EXPECT_EQ(s.code, 6758u);
        EXPECT_EQ(s.price, 2500 * kYen + 5000);
        EXPECT_EQ(s.dispLower, 2000 * kYen);
        EXPECT_EQ(s.dispUpper, 3000 * kYen);
        EXPECT_EQ(s.desktopLeft, 10);
        EXPECT_EQ(s.fileFlags, static_cast<std::uint32_t>(FILEFLAG_BALLOON));
        // Version 2 stocks always showed in the tray.
        EXPECT_EQ(s.showMode, std::string(version) == "00002" ? 1 : 3);
        EXPECT_EQ(s.updateTime, "9:01");
        EXPECT_EQ(s.perPlusHigh, 1000u);
        EXPECT_EQ(s.desktopTxtFlags, 13u);
        EXPECT_EQ(s.status, kNamePending);
    }
}

// Versions 4 to 6 have the version-7 record but no header block.
std::string Version4File(const char* version) {
    Bytes held(272);
    held.U32(8, 7203).U32(12, 1).U32(16, 100).U32(152, 7).U32(192, 1).U32(196, 0x200).U32(260, 1);
    Bytes none(272);
    none.U32(8, 6758).U32(12, 1).U32(152, 7).U32(192, 1).U32(260, 1);
    Bytes trailer(272);
    trailer.I64(32, kTrailerChange).U32(256, kTrailerMark).I64(80, 777 * kYen).U32(184, 50).U32(188, 60).U8(242, 2);
    Bytes file;
    file.Append(FileHeader(version)).Append(held.str()).AppendUtf16("A").Append(none.str()).AppendUtf16("B");
    file.Append(trailer.str());
    return file.str();
}

TEST(OldStockFiles, Versions4To6FixFlagsAsTheyDid) {
    struct Case {
        const char* version;
        std::uint32_t txtFlags;
        bool heldInPortfolio;
    };
    for (const Case& c : {Case{"00004", 13, true}, Case{"00005", 7, true}, Case{"00006", 7, false}}) {
        TempFolder folder;
        const std::string path = folder.File("v4.quotrix");
        WriteBytes(path, Version4File(c.version));
        Loaded loaded = Load(path);
        ASSERT_TRUE(loaded.ok) << c.version;
        EXPECT_FALSE(loaded.header.present);
        EXPECT_EQ(loaded.cash, 777 * kYen);
        EXPECT_EQ(loaded.placement, (PortfolioPlacement{50, 60, 2}));
        ASSERT_EQ(loaded.stocks.size(), 2u);
        EXPECT_EQ(loaded.stocks[0]->desktopTxtFlags, c.txtFlags) << c.version;
        EXPECT_EQ(loaded.stocks[0]->fileFlags,
                  FILEFLAG_ALERT_TARGET | (c.heldInPortfolio ? std::uint32_t{FILEFLAG_PORTFOLIO} : 0u))
            << c.version;
        EXPECT_EQ(loaded.stocks[1]->fileFlags, 0u) << c.version;
        EXPECT_EQ(loaded.stocks[1]->status, 0u);
    }
}

TEST(StockFile, OutOfRangeSettingsAreChecked) {
    TempFolder folder;
    const std::string path = folder.File("odd.quotrix");
    StockList stocks;
    stocks.push_back(std::make_unique<CStockMan>("7203.t", SJIS("トヨタ")));
    ASSERT_TRUE(WriteStockFile(path, stocks, {}, 0, {}));
    Bytes bytes;
    bytes.Append(ReadBytes(path));
    bytes.U8(73 + rec::ShowMode, 99).U8(73 + rec::IconIndexMode, 7).U32(73 + rec::FileFlags, 0xFFFFFFFF);
    bytes.U32(73 + rec::TradeCode, 1).U8(73 + rec::DesktopTxtMode, 9);
    WriteBytes(path, bytes.str());
    Loaded loaded = Load(path);
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.stocks[0]->showMode, 0);
    EXPECT_EQ(loaded.stocks[0]->iconIndexMode, 2);
    EXPECT_EQ(loaded.stocks[0]->fileFlags, kFileFlagsMask);
    EXPECT_EQ(loaded.stocks[0]->tradeMode, TRADE_MARGIN_SELL);  // code 1 reads as 1 | 2
    EXPECT_EQ(loaded.stocks[0]->desktopTxtMode, 0);
}

TEST(StockFileUpdate, HeaderAndPositionReplaceOnlyTheirValues) {
    TempFolder folder;
    const std::string path = folder.File("update.quotrix");
    const StockList stocks = SampleStocks();
    StockFileHeader header;
    header.block = {1, 2, 3, 4, 5, 6};
    header.cashSwitches = 1;
    ASSERT_TRUE(WriteStockFile(path, stocks, {100, 200, 3}, 5 * kYen, header));

    StockFileHeader changed;
    changed.block = {2, 20, 30, 40, 50, 60};
    changed.cashSwitches = 2;
    ASSERT_TRUE(UpdateStockFileHeader(path, changed));
    ASSERT_TRUE(UpdateStockFilePosition(path, {-7, 8, 9}, 11, 0));

    Loaded loaded = Load(path);
    ASSERT_TRUE(loaded.ok);
    ASSERT_EQ(loaded.stocks.size(), stocks.size());
    for (std::size_t i = 0; i < stocks.size(); ++i) ExpectSameStock(*loaded.stocks[i], *stocks[i]);
    EXPECT_EQ(loaded.cash, 5 * kYen);
    EXPECT_EQ(loaded.placement, (PortfolioPlacement{-7, 8, 9}));
    EXPECT_EQ(loaded.header.cashSwitches, 2u);
    EXPECT_EQ(loaded.header.block, (FileHeaderBlock{2, 20, 30, 40, 11, 0}));
}

TEST(StockFileUpdate, ADamagedFileIsLeftAlone) {
    TempFolder folder;
    const std::string path = folder.File("update.quotrix");
    ASSERT_TRUE(WriteStockFile(path, SampleStocks(), {}, 0, {}));
    const std::string damaged = ReadBytes(path).substr(0, 600);
    WriteBytes(path, damaged);
    EXPECT_FALSE(UpdateStockFileHeader(path, {}));
    EXPECT_FALSE(UpdateStockFilePosition(path, {1, 2, 3}, 4, 5));
    EXPECT_EQ(ReadBytes(path), damaged);
}

}  // namespace
}  // namespace quotrix
