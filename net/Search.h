// The stock search: one thread per keyword fetches the site's search result pages (up to 70),
// reads the stocks listed on each and hands every page of results to the search page.
//
// Ownership: a SearchContext is shared by the search page and its threads and lives until the
// last of them lets go. Threads: the search threads only touch the context (under its locks)
// and the receiver, which they reach through a blocking send; the receiver's handler runs on the
// page's own thread. Page text is untrusted.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Messages.h"

namespace quotrix {

// One stock found.
struct SearchResult {
    std::string codeText;    // as linked ("/?CODE=..."), upper case like the whole page
    std::string name;        // Shift-JIS
    std::int32_t valid = 0;  // 1 when the name was found
};
using SearchResults = std::vector<SearchResult>;

// The receiving end of WM_APP_SEARCH_RESULT: the search page. On Windows a window that gets the
// message by SendMessage (Win32SearchSink); elsewhere SearchResultQueue.
class SearchResultSink {
  public:
    virtual ~SearchResultSink() = default;
    // Delivers one message and returns only once the page has handled it. `results` is lent
    // for the call (one result page); null means that a search thread has ended. `running`
    // is the number of search threads still running.
    virtual void SendSearchResult(const SearchResults* results, std::int32_t running) = 0;
    // Called on the page's own thread while it waits to detach: any send waiting for the page
    // must be answered, so that the search thread lets go of the window lock. The closing page
    // no longer acts on what arrives.
    virtual void RefusePending() {}
};

inline constexpr std::uint8_t kSearchPageClosed = 1;
inline constexpr std::uint8_t kSearchCancelled = 2;

// Shared by the search page and its threads.
struct SearchContext {
    std::timed_mutex stateLock;          // guards flags and running
    std::timed_mutex windowLock;         // guards window
    std::uint8_t flags = 0;              // kSearchPageClosed, kSearchCancelled
    std::int32_t running = 0;            // search threads still running
    SearchResultSink* window = nullptr;  // the search page; cleared when it closes
};

// Splits the typed text (Shift-JIS) at spaces, commas and line breaks; empty pieces are dropped.
std::vector<std::string> SplitSearchKeywords(const std::string& text);

// The address of a result page: `page` 0 is the first request, then 1, 2, ... False when the
// keyword cannot be put into a URL.
bool BuildSearchUrl(const std::string& keyword, int page, std::string& url);

// The page's search command: splits the typed text into keywords, refreshes the online state
// (the user asked, so a connection may be dialled) and starts one search per keyword. Returns
// the number of searches started.
int StartSearches(const std::shared_ptr<SearchContext>& context, const std::string& typedText);
// Starts one search thread for a keyword (Shift-JIS). False when it could not start.
bool StartSearch(const std::shared_ptr<SearchContext>& context, const std::string& keyword);
// Running threads finish their current page and send nothing more.
void CancelSearch(SearchContext& context);
// The page is closing: no message reaches it any more. Drops the page's share of the context.
void DetachSearchPage(std::shared_ptr<SearchContext>& context);

// Reads one decoded result page (normalised in place) and appends what it lists. True when at
// least one result was added.
bool ParseSearchResults(SearchResults& results, char16_t* text, std::size_t length);

// The portable receiver: a search thread's send waits in a queue until the receiving thread
// drains it, so the handler runs on the receiver's thread while the sender is blocked, as with
// a window message sent to another thread.
class SearchResultQueue : public SearchResultSink {
  public:
    using Handler = std::function<void(const SearchResults* results, std::int32_t running)>;
    explicit SearchResultQueue(Handler handler);

    void SendSearchResult(const SearchResults* results, std::int32_t running) override;
    void RefusePending() override;
    // On the receiving thread: waits up to `timeoutMs` for messages and handles every one that
    // is waiting. Returns the number handled.
    std::size_t Drain(int timeoutMs);

  private:
    struct Pending {
        const SearchResults* results;
        std::int32_t running;
        bool answered = false;
    };
    std::size_t Answer(bool handle);

    Handler handler_;
    std::mutex lock_;
    std::condition_variable arrived_;
    std::condition_variable answered_;
    std::deque<Pending*> waiting_;
};

}  // namespace quotrix
