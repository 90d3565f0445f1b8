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
    std::string typed;
    for (const std::string& arg : args) typed += arg + " ";
    const std::size_t keywords = SplitSearchKeywords(typed).size();
    if (keywords == 0) return UsageError("search");

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
    const std::size_t started = static_cast<std::size_t>(StartSearches(context, typed));
    if (started < keywords) PrintError("not every search could start");
    while (ended < started) page.Drain(1000);
    DetachSearchPage(context);
    if (matches == 0) {
        PrintError("no stock matched");
        return kExitFailure;
    }
    return started == keywords ? kExitOk : kExitFailure;
}

}  // namespace

QUOTRIX_CLI_COMMAND(search, "search", "search [--host HOST] KEYWORD...", "search stocks by name or code", RunSearch);

}  // namespace quotrix::cli
