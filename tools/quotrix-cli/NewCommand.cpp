// quotrix-cli new FILE CODE...: writes a stock file with the given stocks, as the wizard does.
// A code may carry a holding: "7203.t:100@2500" (100 shares bought at 2,500 yen each).
#include <cstdlib>
#include <string>
#include <vector>

#include "Command.h"
#include "files/StockFile.h"
#include "model/StockMan.h"

namespace quotrix::cli {

namespace {

bool ParseHolding(const std::string& text, std::uint32_t& shares, PriceValue& cost) {
    const std::size_t at = text.find('@');
    if (at == std::string::npos) return false;
    char* end = nullptr;
    const unsigned long count = std::strtoul(text.c_str(), &end, 10);
    if (end != text.c_str() + at || count == 0 || count > 100000000) return false;
    const double unit = std::strtod(text.c_str() + at + 1, &end);
    if (*end != '\0' || !(unit > 0) || unit > 1e8) return false;
    shares = static_cast<std::uint32_t>(count);
    cost = static_cast<PriceValue>(unit * kYen) * static_cast<PriceValue>(count);
    return true;
}

int RunNew(const std::vector<std::string>& args) {
    if (args.size() < 2) return UsageError("new");
    StockList stocks;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string code = args[i];
        std::uint32_t shares = 0;
        PriceValue cost = 0;
        if (const std::size_t colon = code.find(':'); colon != std::string::npos) {
            if (!ParseHolding(code.substr(colon + 1), shares, cost)) {
                PrintError("bad holding in \"" + code + "\" (expected CODE:SHARES@PRICE)");
                return kExitUsage;
            }
            code.erase(colon);
        }
        auto stock = std::make_unique<CStockMan>(code);
        if (stock->market == MARKET_UNKNOWN) {
            PrintError("\"" + code + "\" is not a stock code");
            return kExitUsage;
        }
        stock->shares = shares;
        stock->cost = cost;
        stock->showMode = 1;  // in the notification area
        stocks.push_back(std::move(stock));
    }
    if (!WriteStockFile(args[0], stocks, PortfolioPlacement{}, 0, StockFileHeader{})) {
        PrintError(args[0] + ": could not be written");
        return kExitFailure;
    }
    Print(std::to_string(stocks.size()) + " stocks written to " + args[0] + "\n");
    return kExitOk;
}

}  // namespace

QUOTRIX_CLI_COMMAND(new_file, "new", "new FILE CODE[:SHARES@PRICE]...", "write a new stock file with the given stocks",
                    RunNew);

}  // namespace quotrix::cli
