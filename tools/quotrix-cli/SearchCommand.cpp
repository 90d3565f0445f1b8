// quotrix-cli search KEYWORD...: the stock search of the add-stock sheet, one search thread per
// keyword; prints code and name of every match on every result page.
#include <memory>
#include <string>
#include <vector>

#include "Command.h"
#include "SiteOptions.h"
#include "net/Search.h"

namespace quotrix::cli {

namespace {

int RunSearch(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    if (!TakeSiteOptions(args)) return UsageError("search");
    std::vector<std::string> keywords;
    for (const std::string& arg : args)
        for (std::string& keyword : SplitSearchKeywords(arg)) keywords.push_back(std::move(keyword));
    if (keywords.empty()) return UsageError("search");

    std::size_t matches = 0;
    std::size_t ended = 0;
    // This thread plays the search page: it receives every result page while the sending
    // search thread waits.
    SearchResultQueue page([&](const SearchResults* results, std::int32_t) {
        if (results == nullptr) {
            ++ended;
            return;
        }
        for (const SearchResult& result : *results) {
            Print(result.codeText + "\t" + result.name + "\n");
            ++matches;
        }
    });
    auto context = std::make_shared<SearchContext>();
    context->window = &page;
    std::size_t started = 0;
    for (const std::string& keyword : keywords) {
        if (StartSearch(context, keyword))
            ++started;
        else
            PrintError("the search for \"" + keyword + "\" could not start");
    }
    while (ended < started) page.Drain(1000);
    DetachSearchPage(context);
    if (matches == 0) {
        PrintError("no stock matched");
        return kExitFailure;
    }
    return started == keywords.size() ? kExitOk : kExitFailure;
}

}  // namespace

QUOTRIX_CLI_COMMAND(search, "search", "search [--host HOST] KEYWORD...", "search stocks by name or code", RunSearch);

}  // namespace quotrix::cli
