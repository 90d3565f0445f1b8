// quotrix-cli run as a user runs it, on stock files the test writes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sstream>

#include "../files/FilesTestSupport.h"
#include "files/StockCsv.h"
#include "files/StockFile.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

#ifdef QUOTRIX_CLI

namespace quotrix {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

struct CliRun {
    int status = -1;
    std::string out;  // UTF-8
    std::string err;
};

#ifdef _WIN32
std::string Quote(const std::string& text) { return "\"" + text + "\""; }
#else
std::string Quote(const std::string& text) { return "'" + text + "'"; }
#endif

// Runs the tool with standard output and error in files (paths are ASCII here).
CliRun RunCli(const TempFolder& folder, const std::vector<std::string>& args) {
    const std::string out = folder.File("stdout.txt");
    const std::string err = folder.File("stderr.txt");
    std::string command = Quote(QUOTRIX_CLI);
    for (const std::string& arg : args) command += " " + Quote(arg);
    command += " >" + Quote(out) + " 2>" + Quote(err);
#ifdef _WIN32
    // cmd.exe drops the outer quotes of a command line that starts with one.
    command = "\"" + command + "\"";
#endif
    CliRun run;
    const int raw = std::system(command.c_str());
#ifdef _WIN32
    run.status = raw;
#else
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
    run.out = ReadBytes(out);
    run.err = ReadBytes(err);
    return run;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class Cli : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = folder_.File("stocks.quotrix");
        auto toyota = std::make_unique<CStockMan>("7203.t", SJIS("トヨタ自動車"));
        toyota->shares = 100;
        toyota->cost = 1234567800;
        toyota->price = 1300 * kYen;
        toyota->change = -155000;
        stocks_.push_back(std::move(toyota));
        stocks_.push_back(std::make_unique<CStockMan>("usd", SJIS("米ドル/円")));
        stocks_.push_back(std::make_unique<CStockMan>("9984.t", SJIS("ソフトバンクグループ")));
        ASSERT_TRUE(WriteStockFile(path_, stocks_, {}, 0, {}));
    }

    TempFolder folder_;
    std::string path_;
    StockList stocks_;
};

TEST_F(Cli, ShowPrintsAnAlignedTable) {
    const CliRun run = RunCli(folder_, {"show", path_});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 5u) << run.out;
    EXPECT_EQ(lines[0].rfind("コード", 0), 0u);
    EXPECT_EQ(lines[1].rfind("7203.T", 0), 0u);
    EXPECT_EQ(lines[2].rfind("USDJPY=X", 0), 0u);
    EXPECT_EQ(lines[4], "3 stocks");
    // Columns line up on a console: in Shift-JIS a character's bytes are its width.
    const std::string header = Utf8ToSjis(lines[0]);
    const std::size_t nameColumn = header.find(SJIS("銘柄名"));
    const std::size_t priceEnd = header.find(SJIS("株価")) + SJIS("株価").size();
    EXPECT_EQ(Utf8ToSjis(lines[1]).find(SJIS("トヨタ自動車")), nameColumn);
    EXPECT_EQ(Utf8ToSjis(lines[3]).find(SJIS("ソフトバンクグループ")), nameColumn);
    EXPECT_EQ(Utf8ToSjis(lines[1]).find("1,300"), priceEnd - 5) << lines[1];
    EXPECT_NE(lines[1].find("-15.50"), std::string::npos);
    EXPECT_NE(lines[1].find("123,456.78"), std::string::npos);
}

TEST_F(Cli, ATruncatedFileListsWhatCouldBeReadAndFails) {
    const std::string whole = ReadBytes(path_);
    const std::string cut = folder_.File("cut.quotrix");
    WriteBytes(cut, whole.substr(0, 17 + 56 + (272 + 12) + (272 + 10) + 100));
    const CliRun run = RunCli(folder_, {"show", cut});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(SjisToUtf8(cut) + ": truncated at record 3 (2 stocks read before it)"), std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("トヨタ自動車"), std::string::npos);
    EXPECT_NE(run.out.find("USDJPY=X"), std::string::npos);
    EXPECT_EQ(run.out.find("9984"), std::string::npos);
    EXPECT_NE(run.out.find("2 stocks"), std::string::npos);

    const CliRun csv = RunCli(folder_, {"csv", cut});
    EXPECT_EQ(csv.status, 1);
    EXPECT_EQ(Lines(csv.out).size(), 3u);
}

TEST_F(Cli, CsvWritesTheExportBytesOrPrintsThem) {
    const std::string out = folder_.File("export.csv");
    const CliRun toFile = RunCli(folder_, {"csv", path_, out});
    EXPECT_EQ(toFile.status, 0) << toFile.err;
    EXPECT_EQ(ReadBytes(out), BuildCsvText(stocks_));

    const CliRun printed = RunCli(folder_, {"csv", path_});
    EXPECT_EQ(printed.status, 0);
    EXPECT_EQ(printed.out, SjisToUtf8(BuildCsvText(stocks_)));
}

// The closed weekdays of a year, to hold against the exchange's published calendar.
TEST_F(Cli, CalendarListsTheClosedWeekdays) {
    const CliRun run = RunCli(folder_, {"calendar", "2020"});
    EXPECT_EQ(run.status, 0) << run.err;
    // 23 February and 3 May fall on a Sunday and are not listed; their substitute days are.
    EXPECT_EQ(Lines(run.out),
              (std::vector<std::string>{
                  "2020-01-01 元日", "2020-01-02 年末年始休業日", "2020-01-03 年末年始休業日", "2020-01-13 成人の日",
                  "2020-02-11 建国記念の日", "2020-02-24 振替休日", "2020-03-20 春分の日", "2020-04-29 昭和の日",
                  "2020-05-04 みどりの日", "2020-05-05 こどもの日", "2020-05-06 振替休日", "2020-07-23 海の日",
                  "2020-07-24 スポーツの日", "2020-08-10 山の日", "2020-09-21 敬老の日", "2020-09-22 秋分の日",
                  "2020-11-03 文化の日", "2020-11-23 勤労感謝の日", "2020-12-31 年末年始休業日"}));
    for (const char* bad : {"20x6", "", "-2020", "12345"})
        EXPECT_EQ(RunCli(folder_, {"calendar", bad}).status, 2) << bad;
    const CliRun outside = RunCli(folder_, {"calendar", "2100"});
    EXPECT_EQ(outside.status, 1);
    EXPECT_NE(outside.err.find("2007 to 2099"), std::string::npos) << outside.err;
}

TEST_F(Cli, OtherFilesAndBadUsageAreRefused) {
    const std::string text = folder_.File("notes.txt");
    WriteBytes(text, "just some text, long enough for a header");
    const CliRun notStocks = RunCli(folder_, {"show", text});
    EXPECT_EQ(notStocks.status, 1);
    EXPECT_NE(notStocks.err.find(SjisToUtf8(text) + ": bad magic: not a stock file"), std::string::npos);
    EXPECT_NE(notStocks.out.find("0 stocks"), std::string::npos);

    std::string future = ReadBytes(path_);
    future.replace(12, 5, "00009");
    WriteBytes(text, future);
    EXPECT_NE(RunCli(folder_, {"show", text}).err.find("unknown version 9"), std::string::npos);

    EXPECT_EQ(RunCli(folder_, {"show"}).status, 2);
    EXPECT_EQ(RunCli(folder_, {"show", path_, "extra"}).status, 2);
    EXPECT_EQ(RunCli(folder_, {"no-such-command"}).status, 2);
    EXPECT_EQ(RunCli(folder_, {"csv", path_, folder_.File("no/such/folder.csv")}).status, 1);
}

}  // namespace
}  // namespace quotrix

#endif  // QUOTRIX_CLI
