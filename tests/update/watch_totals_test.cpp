// quotrix-cli watch against a quote server of the test's own: after a pass, the totals line is
// the sum of the rows the table shows, though each merge only replaced its own stock's share.
#if !defined(_WIN32) && defined(QUOTRIX_CLI)

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "QuoteServer.h"
#include "model/Price.h"

namespace quotrix {
namespace {

std::string Cli(const std::string& environment, const std::string& arguments) {
    std::string out;
    FILE* pipe = popen((environment + " " + QUOTRIX_CLI + " " + arguments + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
}

// Cells are set apart by two blanks or more.
std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> cells;
    std::string cell;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        const bool gap = i == line.size() || (line[i] == ' ' && i + 1 < line.size() && line[i + 1] == ' ');
        if (!gap) {
            cell += line[i];
            continue;
        }
        if (!cell.empty() && cell != " ") cells.push_back(cell);
        cell.clear();
        while (i + 1 < line.size() && line[i + 1] == ' ') ++i;
    }
    return cells;
}

// "5,140", "+7", "-73" in whole yen.
PriceValue Yen(std::string text) {
    std::erase(text, ',');
    return static_cast<PriceValue>(std::stoll(text)) * 10000;
}

std::string Shown(PriceValue value, unsigned flags) {
    std::string text;
    return FormatPrice(value, text, flags | FMT_GROUP);
}

TEST(WatchTable, TheTotalsLineIsTheSumOfTheRowsAfterAPass) {
    quotesrv::ServerOptions options;
    options.port = 0;
    options.seed = 7;
    quotesrv::QuoteServer server(options);
    ASSERT_TRUE(server.Start());
    char pattern[] = "/tmp/quotrix-watch-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    const std::string env = "XDG_CONFIG_HOME=" + dir + " HOME=" + dir;
    for (const char* key : {"HostDetail", "HostQuote", "HostNews", "HostBoard", "HostCurrent"})
        Cli(env, std::string("settings set Setting ") + key + " " + server.Address());
    Cli(env, "settings set Setting QuoteAddressForm 0");

    // Shares and cost in yen; a stock without a holding counts for nothing.
    const std::map<std::string, std::pair<PriceValue, PriceValue>> holdings = {
        {"1301", {100, 100 * 500}}, {"1332", {2000, 2000 * 300}}, {"7203", {50, 50 * 2000}}, {"9984", {0, 0}}};
    Cli(env, "new " + dir + "/s.quotrix 1301:100@500 1332:2000@300 7203:50@2000 9984");
    const std::string out = Cli(env, "watch " + dir + "/s.quotrix --once --ignore-hours --threads 3");
    std::filesystem::remove_all(dir);
    server.Stop();

    // The last table: its rows follow the last header line.
    std::istringstream in(out);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::size_t header = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rfind("コード", 0) == 0) header = i;
    ASSERT_LT(header, lines.size()) << out;

    PriceValue value = 0, change = 0, profit = 0;
    int rows = 0;
    std::string totals;
    for (std::size_t i = header + 1; i < lines.size(); ++i) {
        if (lines[i].rfind("合計", 0) == 0) {
            totals = lines[i];
            break;
        }
        const std::vector<std::string> cells = Cells(lines[i]);
        ASSERT_GE(cells.size(), 4u) << lines[i];
        const auto holding = holdings.find(cells[0].substr(0, 4));
        ASSERT_NE(holding, holdings.end()) << lines[i];
        ASSERT_NE(cells[2], "-") << "not updated: " << lines[i];
        const auto [shares, cost] = holding->second;
        value += Yen(cells[2]) * shares;
        change += Yen(cells[3]) * shares;
        if (shares > 0) profit += Yen(cells[2]) * shares - cost * 10000;
        ++rows;
    }
    EXPECT_EQ(rows, 4);
    EXPECT_EQ(totals, "合計 " + Shown(value, 0) + " (" + Shown(change, FMT_SIGN) + ") 損益 " + Shown(profit, FMT_SIGN))
        << out;
}

}  // namespace
}  // namespace quotrix

#endif
