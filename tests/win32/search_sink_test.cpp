// WM_APP_SEARCH_RESULT through the window manager: sends from search threads reach the page's
// window procedure on the page's thread, and a closing page does not deadlock with a sender.
#include "platform/win32/Win32SearchSink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/Messages.h"

namespace quotrix {
namespace {

struct Page {
    DWORD thread = GetCurrentThreadId();
    int messages = 0;
    int wrongThread = 0;
    std::size_t results = 0;
    std::int32_t lastRunning = -1;
};

LRESULT CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP_SEARCH_RESULT) {
        auto* page = reinterpret_cast<Page*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (GetCurrentThreadId() != page->thread) ++page->wrongThread;
        ++page->messages;
        if (wParam != 0) page->results += reinterpret_cast<const SearchResults*>(wParam)->size();
        page->lastRunning = static_cast<std::int32_t>(lParam);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND MakePageWindow(Page& page) {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = PageProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QuotrixTestSearchPage";
        return RegisterClassW(&wc);
    }();
    if (atom == 0) return nullptr;
    HWND hwnd = CreateWindowExW(0, L"QuotrixTestSearchPage", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (hwnd != nullptr) SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&page));
    return hwnd;
}

void PumpUntil(const std::atomic<bool>& done) {
    MSG msg;
    while (!done) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

TEST(Win32SearchSink, ResultsArriveOnThePageThreadWhileTheSenderWaits) {
    Page page;
    HWND hwnd = MakePageWindow(page);
    ASSERT_NE(hwnd, nullptr);
    Win32SearchSink sink(hwnd);
    std::atomic<bool> done{false};
    std::thread searcher([&] {
        SearchResults results(3);
        sink.SendSearchResult(&results, 2);
        results.clear();  // only after the page has read it
        sink.SendSearchResult(nullptr, 0);
        done = true;
    });
    PumpUntil(done);
    searcher.join();
    EXPECT_EQ(page.messages, 2);
    EXPECT_EQ(page.wrongThread, 0);
    EXPECT_EQ(page.results, 3u);
    EXPECT_EQ(page.lastRunning, 0);
    DestroyWindow(hwnd);
}

TEST(Win32SearchSink, ClosingPageDoesNotWaitForABlockedSender) {
    Page page;
    HWND hwnd = MakePageWindow(page);
    ASSERT_NE(hwnd, nullptr);
    Win32SearchSink sink(hwnd);
    auto context = std::make_shared<SearchContext>();
    context->window = &sink;
    std::weak_ptr<SearchContext> alive = context;
    std::atomic<bool> sending{false};
    std::thread searcher([shared = context, &sink, &sending] {
        std::lock_guard lock(shared->windowLock);
        sending = true;
        sink.SendSearchResult(nullptr, 0);
    });
    while (!sending) Sleep(1);
    const auto start = std::chrono::steady_clock::now();
    DetachSearchPage(context);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    searcher.join();
    EXPECT_TRUE(alive.expired());
    DestroyWindow(hwnd);
}

}  // namespace
}  // namespace quotrix
