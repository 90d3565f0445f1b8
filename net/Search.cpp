#include "net/Search.h"

#include <chrono>
#include <cstdio>
#include <new>
#include <string_view>
#include <system_error>
#include <thread>

#include "log/ErrLog.h"
#include "model/SiteHosts.h"
#include "net/Html.h"
#include "net/InetSession.h"
#include "net/JapaneseText.h"
#include "platform/TextCodec.h"

namespace quotrix {

namespace {

using View = std::u16string_view;
using Finder = ForwardFinder<char16_t>;
constexpr std::size_t npos = View::npos;

constexpr int kMaxResultPages = 70;
constexpr int kWindowLockAttempts = 500;
constexpr std::chrono::milliseconds kWindowLockWait{500};

bool PageGone(SearchContext& context) {
    std::lock_guard lock(context.stateLock);
    return (context.flags & (kSearchPageClosed | kSearchCancelled)) != 0;
}

// Hands one page of results to the search page. False when the page is gone, the search was
// cancelled or the page could not be reached.
bool Deliver(SearchContext& context, const SearchResults& results) {
    std::int32_t running;
    {
        std::lock_guard lock(context.stateLock);
        if (context.flags & (kSearchPageClosed | kSearchCancelled)) return false;
        running = context.running;
    }
    for (int attempt = 0; attempt < kWindowLockAttempts; ++attempt) {
        if (context.windowLock.try_lock_for(kWindowLockWait)) {
            std::lock_guard lock(context.windowLock, std::adopt_lock);
            // The page may have begun to close while this thread waited.
            if (context.window == nullptr || PageGone(context)) return false;
            context.window->SendSearchResult(&results, running);
            return true;
        }
        if (PageGone(context)) return false;
    }
    return false;
}

void SearchKeyword(SearchContext& context, const std::string& keyword) {
    std::string url;
    if (!BuildSearchUrl(keyword, 0, url)) return;
    std::string body;
    std::string work;
    std::u16string text;
    for (int page = 0; page < kMaxResultPages; ++page) {
        if (!DownloadUrl(url, body, nullptr) || body.empty()) return;
        SearchResults results;
        bool found = false;
        for (const PageDecoding& decoding : kPageDecodings) {
            if (!DecodePage(decoding, body, work, text, nullptr)) continue;
            if (ParseSearchResults(results, text.data(), text.size())) {
                found = true;
                break;
            }
        }
        if (!found) return;
        std::string next;
        const bool haveNext = BuildSearchUrl(keyword, page + 1, next);
        if (!Deliver(context, results)) return;
        if (!haveNext) return;
        url = std::move(next);
    }
}

void SearchThread(std::shared_ptr<SearchContext> context, std::string keyword) {
    if (InetSession::Instance().Acquire(false)) {
        try {
            SearchKeyword(*context, keyword);
        } catch (const std::bad_alloc&) {
            AppLog().Log(LOG_ERR, "Search: memory allocation failure");
        }
        InetSession::Instance().Release();
    }
    std::int32_t running;
    bool notify;
    {
        std::lock_guard lock(context->stateLock);
        context->running = context->running <= 1 ? 0 : context->running - 1;
        running = context->running;
        notify = (context->flags & (kSearchPageClosed | kSearchCancelled)) == 0;
    }
    if (notify && context->windowLock.try_lock_for(kWindowLockWait)) {
        std::lock_guard lock(context->windowLock, std::adopt_lock);
        if (context->window != nullptr && !PageGone(*context)) context->window->SendSearchResult(nullptr, running);
    }
    // The last share of the context goes with this thread when the page has closed.
}

}  // namespace

std::vector<std::string> SplitSearchKeywords(const std::string& text) {
    std::vector<std::string> keywords;
    std::string piece;
    // Shift-JIS trail bytes are 0x40 and above, so these separators never split a character.
    for (char c : text) {
        if (c == ' ' || c == ',' || c == '\r' || c == '\n') {
            if (!piece.empty()) keywords.push_back(std::move(piece));
            piece.clear();
        } else {
            piece += c;
        }
    }
    if (!piece.empty()) keywords.push_back(std::move(piece));
    return keywords;
}

bool BuildSearchUrl(const std::string& keyword, int page, std::string& url) {
    std::string encoded;
    if (!ToUtf8Query(keyword, true, encoded)) return false;
    std::string path = "/stocks/search/?s=" + encoded;
    if (page == 0) {
        path += "&ei=UTF-8&d=lv";
    } else {
        char tail[32];
        std::snprintf(tail, sizeof tail, "&p=%d&ei=UTF-8", page);
        path += tail;
    }
    url = SiteAddress(CurrentSiteHosts().detail, path);
    return true;
}

int StartSearches(const std::shared_ptr<SearchContext>& context, const std::string& typedText) {
    const std::vector<std::string> keywords = SplitSearchKeywords(typedText);
    RefreshOnlineForUser();
    AppLog().Log(LOG_DTL, "Search start: %d keywords", static_cast<int>(keywords.size()));
    int started = 0;
    for (const std::string& keyword : keywords) started += StartSearch(context, keyword) ? 1 : 0;
    return started;
}

bool StartSearch(const std::shared_ptr<SearchContext>& context, const std::string& keyword) {
    if (!context) return false;
    {
        std::lock_guard lock(context->stateLock);
        ++context->running;
        context->flags &= static_cast<std::uint8_t>(~kSearchCancelled);
    }
    try {
        std::thread(SearchThread, context, keyword).detach();
        return true;
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
    std::lock_guard lock(context->stateLock);
    --context->running;
    return false;
}

void CancelSearch(SearchContext& context) {
    std::lock_guard lock(context.stateLock);
    context.flags |= kSearchCancelled;
}

void DetachSearchPage(std::shared_ptr<SearchContext>& context) {
    if (!context) return;
    SearchContext& c = *context;
    // Closed first, so that no thread starts another send while the page waits for the lock.
    {
        std::lock_guard lock(c.stateLock);
        c.flags |= kSearchPageClosed;
    }
    // Only the page's thread writes the window, so it may read it here without the lock.
    SearchResultSink* window = c.window;
    constexpr std::chrono::milliseconds kSlice{20};
    const int slices = kWindowLockAttempts * static_cast<int>(kWindowLockWait / kSlice);
    for (int i = 0; i < slices; ++i) {
        if (c.windowLock.try_lock_for(kSlice)) {
            c.window = nullptr;
            c.windowLock.unlock();
            break;
        }
        // A thread holding the lock may be blocked in a send to this very thread.
        if (window != nullptr) window->RefusePending();
    }
    context.reset();
}

bool ParseSearchResults(SearchResults& results, char16_t* text, std::size_t length) {
    if (text == nullptr || length < 2) return false;
    const View page(text, NormalizePageText(text, length));
    std::size_t p = page.find(u"<!--MAIN START-->");
    if (p == npos) p = page.find(u"<DIV ID=\"CONTENTS-BODY\">");
    if (p == npos) return false;
    p = page.find(u"銘柄検索結果", p);
    if (p == npos) return false;
    p = page.find(u"<!-- LIST -->", p);
    if (p == npos) return false;

    // One finder per step: each is asked at rising positions, which keeps a page of broken
    // entries linear.
    constexpr View kCodeMark = u"/?CODE=";
    Finder codes(page, kCodeMark), quotes(page, u"\""), firstCells(page, u"<TD"), secondCells(page, u"<TD"),
        strongs(page, u"<STRONG"), tagEnds(page, u">"), closes(page, u"</");
    bool added = false;
    std::size_t at = codes.Find(p);
    while (at != npos) {
        const std::size_t codeStart = at + kCodeMark.size();
        if (codeStart >= page.size()) break;
        const std::size_t quote = quotes.Find(codeStart);
        if (quote == npos) {
            at = codes.Find(codeStart);
            continue;
        }
        std::size_t cell = firstCells.Find(quote + 1);
        if (cell != npos) cell = secondCells.Find(cell + 3);
        const std::size_t strong = cell == npos ? npos : strongs.Find(cell + 3);
        const std::size_t nameStart = strong == npos ? npos : tagEnds.Find(strong + 7);
        const std::size_t nameEnd = nameStart == npos ? npos : closes.Find(nameStart + 1);
        if (nameEnd == npos) {
            at = codes.Find(codeStart);
            continue;
        }
        SearchResult result;
        FromUtf16(CodePage::Sjis, page.substr(codeStart, quote - codeStart), result.codeText);
        FromUtf16(CodePage::Sjis, page.substr(nameStart + 1, nameEnd - nameStart - 1), result.name);
        result.valid = 1;
        results.push_back(std::move(result));
        added = true;
        at = codes.Find(nameEnd + 2);
    }
    return added;
}

SearchResultQueue::SearchResultQueue(Handler handler) : handler_(std::move(handler)) {}

void SearchResultQueue::SendSearchResult(const SearchResults* results, std::int32_t running) {
    Pending pending{results, running};
    std::unique_lock lock(lock_);
    waiting_.push_back(&pending);
    arrived_.notify_all();
    answered_.wait(lock, [&] { return pending.answered; });
}

std::size_t SearchResultQueue::Answer(bool handle) {
    std::size_t count = 0;
    std::unique_lock lock(lock_);
    while (!waiting_.empty()) {
        Pending* pending = waiting_.front();
        waiting_.pop_front();
        if (handle && handler_) {
            lock.unlock();
            handler_(pending->results, pending->running);
            lock.lock();
        }
        // The sender may return and drop `pending` as soon as this is seen.
        pending->answered = true;
        answered_.notify_all();
        ++count;
    }
    return count;
}

void SearchResultQueue::RefusePending() { Answer(false); }

std::size_t SearchResultQueue::Drain(int timeoutMs) {
    {
        std::unique_lock lock(lock_);
        arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !waiting_.empty(); });
    }
    return Answer(true);
}

}  // namespace quotrix
