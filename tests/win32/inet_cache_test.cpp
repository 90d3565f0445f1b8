// The pages the program fetches stay out of the user's Internet cache: a pass of quote, board,
// news and search pages and the release file leaves the cache folder as it found it.
#include <shlobj.h>
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <string>

#include "net/InetSession.h"
#include "tests/tools/quote_server_harness.h"

namespace quotrix {
namespace {

std::size_t CountFiles(const std::wstring& folder) {
    std::size_t count = 0;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::wstring name = found.cFileName;
        // The container's index is made on WinINet's first look at the cache, written or not.
        if (name == L"." || name == L".." || _wcsicmp(name.c_str(), L"index.dat") == 0) continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            count += CountFiles(folder + L"\\" + name);
        else
            ++count;
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return count;
}

// The cache entries WinINet holds for one server.
std::size_t CachedEntriesOf(const std::string& address) {
    std::size_t count = 0;
    DWORD size = 0;
    HANDLE find = FindFirstUrlCacheEntryA(nullptr, nullptr, &size);
    if (find == nullptr && GetLastError() != ERROR_INSUFFICIENT_BUFFER) return 0;
    std::string buffer;
    for (;;) {
        buffer.assign(size + 1, '\0');
        auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
        BOOL ok;
        if (find == nullptr) {
            find = FindFirstUrlCacheEntryA(nullptr, entry, &size);
            ok = find != nullptr;
        } else {
            ok = FindNextUrlCacheEntryA(find, entry, &size);
        }
        if (!ok) {
            if (GetLastError() == ERROR_INSUFFICIENT_BUFFER) continue;
            break;
        }
        if (entry->lpszSourceUrlName != nullptr &&
            std::string(entry->lpszSourceUrlName).find(address) != std::string::npos)
            ++count;
    }
    if (find != nullptr) FindCloseUrlCache(find);
    return count;
}

TEST(InetCache, APassLeavesNothingInTheInternetCache) {
    QUOTRIX_NEED_QUOTE_SERVER(address);
    wchar_t folder[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_INTERNET_CACHE, nullptr, SHGFP_TYPE_CURRENT, folder), S_OK);
    InetSession session;
    InetSessionConfig config;
    config.requestPauseMs = 0;
    session.Configure(config);
    ASSERT_TRUE(session.Acquire(false));
    // The first request of a process sets the cache up; only what comes after it is the pages' doing.
    std::string first;
    ASSERT_TRUE(DownloadUrl(session, quotrix::testing::QuoteServerUrl("/stocks/detail/?code=9984"), first, nullptr));
    const std::size_t filesBefore = CountFiles(folder);
    const std::size_t entriesBefore = CachedEntriesOf(address);

    int fetched = 0;
    for (const char* path :
         {"/stocks/detail/?code=7203.t", "/stocks/detail/?code=6758.t", "/current/quote/7203.T",
          "/bbs?action=q&board=7203", "/news?s=7203", "/stocks/search/?s=toyota", "/quotrix/release.txt"}) {
        std::string body;
        ThreadLog log(3);
        if (DownloadUrl(session, quotrix::testing::QuoteServerUrl(path), body, &log) && !body.empty()) ++fetched;
    }
    session.Release();
    EXPECT_GE(fetched, 5);

    EXPECT_EQ(CachedEntriesOf(address), entriesBefore);
    EXPECT_EQ(CountFiles(folder), filesBefore) << "cache folder: " << std::string(folder, folder + wcslen(folder));
}

}  // namespace
}  // namespace quotrix
