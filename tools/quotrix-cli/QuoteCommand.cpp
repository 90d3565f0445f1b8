// quotrix-cli quote CODE...: fetches each instrument's quote page through the Internet session
// and the page reader, one line per instrument: code, name, price, change, volume, time.
#include <string>
#include <vector>

#include "Command.h"
#include "SiteOptions.h"
#include "log/ThreadLog.h"
#include "model/Price.h"
#include "model/Stock.h"
#include "net/InetSession.h"
#include "net/QuotePage.h"
#include "platform/Console.h"

namespace quotrix::cli {

namespace {

std::string Price(PriceValue value, unsigned flags) {
    std::string text;
    return FormatPrice(value, text, flags | FMT_GROUP);
}

int RunQuote(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    if (!TakeSiteOptions(args)) return UsageError("quote");
    bool showLog = false;
    if (!args.empty() && args[0] == "--log") {
        showLog = true;
        args.erase(args.begin());
    }
    if (args.empty()) return UsageError("quote");
    if (!InetSession::Instance().Acquire(false)) {
        PrintError("the Internet session could not be opened");
        return kExitFailure;
    }
    int status = kExitOk;
    for (const std::string& code : args) {
        CStock stock(code);
        stock.BuildUrls();
        ThreadLog log(showLog ? LOG_DTL : 0);
        FetchContext context;
        context.log = &log;
        context.stock = &stock;
        const bool ok = FetchQuote(context, ParseMaskFor(stock));
        if (showLog) WriteConsoleText(ConsoleStream::Err, log.text);
        const std::string shown = stock.codeText + MarketSuffix(stock.market);
        if (!ok) {
            PrintError(shown + ": no quote (" + stock.quoteUrl + ")");
            status = kExitFailure;
            continue;
        }
        std::string volume;
        FormatCount(static_cast<std::int32_t>(stock.volume), volume, FMT_GROUP);
        Print(shown + "\t" + stock.name + "\t" + Price(stock.price, 0) + "\t" + Price(stock.change, FMT_SIGN) + "\t" +
              volume + "\t" + stock.updateTime + "\n");
    }
    InetSession::Instance().Release();
    return status;
}

}  // namespace

QUOTRIX_CLI_COMMAND(quote, "quote", "quote [--host HOST] [--log] CODE...", "fetch and print quotes", RunQuote);

}  // namespace quotrix::cli
