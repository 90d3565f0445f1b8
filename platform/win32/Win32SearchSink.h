// The search page's end of WM_APP_SEARCH_RESULT on Windows: each result page is a SendMessage to
// the page's window, so the results stay valid while the page reads them.
#pragma once

#include <windows.h>

#include "net/Search.h"

namespace quotrix {

class Win32SearchSink : public SearchResultSink {
  public:
    explicit Win32SearchSink(HWND page) : page_(page) {}

    // wParam: the result page (null when a search thread ended); lParam: threads still running.
    void SendSearchResult(const SearchResults* results, std::int32_t running) override;
    // A search thread blocked in a send to the page holds the window lock that the closing page
    // waits for; peeking the page thread's queue delivers such sends (the page ignores them once
    // it is closing), so the thread can let go.
    void RefusePending() override;

  private:
    HWND page_;
};

}  // namespace quotrix
