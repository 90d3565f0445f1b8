#include "platform/win32/Win32SearchSink.h"

#include "platform/Messages.h"

namespace quotrix {

void Win32SearchSink::SendSearchResult(const SearchResults* results, std::int32_t running) {
    SendMessageW(page_, WM_APP_SEARCH_RESULT, reinterpret_cast<WPARAM>(results), static_cast<LPARAM>(running));
}

void Win32SearchSink::RefusePending() {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace quotrix
