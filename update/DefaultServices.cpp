#include "update/DefaultServices.h"

#include "net/BoardNews.h"
#include "net/InetSession.h"
#include "net/QuotePage.h"

namespace quotrix {

EngineServices DefaultEngineServices() {
    EngineServices services;
    services.fetchQuote = [](CStock& copy, ThreadLog& log) {
        FetchContext context;
        context.log = &log;
        context.stock = &copy;
        return FetchQuote(context, ParseMaskFor(copy));
    };
    services.checkBoard = [](const CStock& copy, ThreadLog& log) { return CheckBoard(copy, log); };
    services.checkNews = [](const CStock& copy, ThreadLog& log) { return CheckNews(copy, log); };
    services.isConnected = [] { return IsConnected(); };
    services.refreshOnline = [] { RefreshOnline(); };
    services.refreshOnlineForUser = [] { RefreshOnlineForUser(); };
    return services;
}

}  // namespace quotrix
