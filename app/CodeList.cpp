#include "app/CodeList.h"

#include <new>

#include "model/Stock.h"
#include "model/StockMan.h"

namespace quotrix {

namespace {

bool IsCodeSeparator(char c) {
    return c == ' ' || c == ',' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\0';
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The market a bare code trades on when the user gives no letter.
std::uint32_t DefaultMarketOf(std::uint32_t code) {
    switch (code) {
        case 23337:
            return MarketFromLetter('q');
        case 1320:
        case 1321:
        case 1616:
        case 998407:
        case 5040469:
            return MarketFromLetter('o');
        default:
            return 0;
    }
}

struct CodeToken {
    std::string text;
    std::uint32_t number = 0;
    bool dotSeen = false;
    char letter = 0;
    bool invalid = false;

    void Add(char c) {
        text += c;
        if (invalid) return;
        if (dotSeen) {
            if (letter == 0)
                letter = c;
            else
                invalid = true;
        } else if (c == '.') {
            if (number != 0)
                dotSeen = true;
            else
                invalid = true;
        } else if (c >= '0' && c <= '9') {
            number = number * 10u + static_cast<std::uint32_t>(c - '0');
        } else {
            invalid = true;
        }
    }
};

bool CloseToken(CodeToken& token, StockList& stocks, const CStockDefaults* defaults) {
    if (token.text.empty()) return true;
    std::uint32_t number = token.number;
    char letter = token.letter;
    if (number > 9999999 || token.invalid) {
        number = 0;
        letter = 0;
    }
    std::uint32_t market = MARKET_UNKNOWN;
    if (number != 0) market = letter != 0 ? MarketFromLetter(letter) : DefaultMarketOf(number);
    std::unique_ptr<CStockMan> stock;
    if (number != 0 && market != MARKET_UNKNOWN)
        stock.reset(new (std::nothrow) CStockMan(number, market, defaults));
    else
        stock.reset(new (std::nothrow) CStockMan(token.text, defaults));
    token = CodeToken();
    if (!stock) return false;
    stocks.push_back(std::move(stock));
    return true;
}

}  // namespace

bool ParseCodeList(StockList& stocks, const std::string& text, const CStockDefaults* defaults) {
    CodeToken token;
    for (char c : text) {
        if (IsCodeSeparator(c)) {
            if (!CloseToken(token, stocks, defaults)) return false;
        } else {
            token.Add(c);
        }
    }
    return CloseToken(token, stocks, defaults);
}

std::string GetCommandLineToken(const std::string& commandLine, int index) {
    int current = -1;
    bool quoted = false;
    bool inToken = false;
    std::string token;
    for (char c : commandLine) {
        if (!quoted && IsBlank(c)) {
            if (inToken && current == index) return token;
            inToken = false;
            continue;
        }
        if (!inToken) {
            inToken = true;
            ++current;
            token.clear();
        }
        if (c == '"')
            quoted = !quoted;
        else if (current == index)
            token += c;
    }
    return inToken && current == index ? token : std::string();
}

std::string CommandLineArguments(const std::string& commandLine) {
    std::size_t i = 0;
    bool quoted = false;
    while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
    for (; i < commandLine.size(); ++i) {
        if (commandLine[i] == '"')
            quoted = !quoted;
        else if (!quoted && IsBlank(commandLine[i]))
            break;
    }
    while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
    return commandLine.substr(i);
}

StartupArguments ReadStartupArguments(const std::string& arguments) {
    StartupArguments result;
    const std::string first = GetCommandLineToken(arguments, 0);
    if (first.empty()) return result;
    if (first.size() == 2 && (first[0] == '-' || first[0] == '/')) {
        const std::string path = GetCommandLineToken(arguments, 1);
        if (first[1] == 'f' && !path.empty()) {
            result.kind = StartupArguments::STOCK_FILE;
            result.text = path;
        } else {
            result.kind = StartupArguments::BAD_SWITCH;
        }
        return result;
    }
    result.kind = StartupArguments::CODES;
    bool blank = false;
    for (char c : arguments) {
        if (c == ' ' || c == '\t') {
            blank = true;
            continue;
        }
        if (blank && !result.text.empty()) result.text += ' ';
        blank = false;
        result.text += c;
    }
    return result;
}

bool HasStockCode(const CStock& stock) { return stock.code != 0; }

}  // namespace quotrix
