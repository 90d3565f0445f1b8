// quotrix-cli show FILE: the stocks of a stock file as a table.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "Command.h"
#include "LoadStocks.h"
#include "model/StockMan.h"
#include "platform/TextCodec.h"

namespace quotrix::cli {

namespace {

constexpr int kColumns = 8;

// A damaged file may carry control characters in a name; they must not reach the terminal.
// Shift-JIS trail bytes are never below 0x40, so a byte check is safe.
std::string Printable(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return text;
}

std::string Price(PriceValue value, unsigned flags) {
    std::string text;
    return FormatPrice(value, text, flags | FMT_GROUP);
}

std::string Count(std::uint32_t value) {
    std::string text;
    return FormatCount(static_cast<std::int32_t>(value), text, FMT_GROUP);
}

std::string StatusText(std::uint32_t status) {
    std::string text = StatusSuffix(status);
    if (text.rfind(" - ", 0) == 0) text.erase(0, 3);
    return text.empty() ? std::string("-") : text;
}

std::array<std::string, kColumns> Row(const CStockMan& stock) {
    std::string code = stock.codeText.empty() ? std::to_string(stock.code) : stock.codeText;
    code += MarketSuffix(stock.market);
    const bool held = stock.shares != 0;
    return {Printable(code),
            Printable(stock.name),
            Price(stock.price, 0),
            Price(stock.change, FMT_SIGN),
            Count(stock.volume),
            held ? Count(stock.shares) : "-",
            held ? Price(stock.cost, 0) : "-",
            StatusText(stock.status)};
}

int RunShow(const std::vector<std::string>& args) {
    if (args.size() != 1) return UsageError("show");
    LoadedFile file = LoadStocks(args[0]);

    std::vector<std::array<std::string, kColumns>> rows;
    rows.push_back({SJIS("コード"), SJIS("銘柄名"), SJIS("株価"), SJIS("前日比"), SJIS("出来高"), SJIS("株数"),
                    SJIS("売買総額"), SJIS("状態")});
    for (const auto& stock : file.stocks) rows.push_back(Row(*stock));

    // In Shift-JIS a character's byte count is its width on a console: double-byte characters
    // take two columns, half-width kana one.
    std::array<std::size_t, kColumns> widths{};
    for (const auto& row : rows)
        for (int c = 0; c < kColumns; ++c) widths[c] = std::max(widths[c], row[c].size());
    constexpr std::array<bool, kColumns> kRightAligned = {false, false, true, true, true, true, true, false};

    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (int c = 0; c < kColumns; ++c) {
            const std::string pad(widths[c] - row[c].size(), ' ');
            if (c > 0) line += "  ";
            line += kRightAligned[c] ? pad + row[c] : (c + 1 < kColumns ? row[c] + pad : row[c]);
        }
        out += line + "\n";
    }
    out += std::to_string(file.stocks.size()) + (file.stocks.size() == 1 ? " stock\n" : " stocks\n");
    Print(out);
    return file.complete ? kExitOk : kExitFailure;
}

}  // namespace

QUOTRIX_CLI_COMMAND(show, "show", "show FILE", "print the stocks of a stock file as a table", RunShow);

}  // namespace quotrix::cli
