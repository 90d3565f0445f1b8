// The pages the quote reader's benchmarks read, shared by bench/pages_bench (Linux) and
// bench/win32/pages_wine.exe (the Windows build under Wine), so that both measure the same bytes.
#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace quotrix::bench {

// A page of tests/data/pages ("current/quote-7203-2025.html"), empty when it cannot be read.
inline std::string ReadFile(const std::string& relative) {
    const std::string path = std::string(QUOTRIX_TEST_DATA) + "/pages/" + relative;
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A side column of rankings and a news list: links, DIVs, Japanese text and numbers.
inline std::string Chrome(std::size_t bytes) {
    std::string chrome;
    for (int i = 0; chrome.size() < bytes; ++i) {
        chrome +=
            "<div class=\"ranking\"><div class=\"item\"><span class=\"rank\">" + std::to_string(i) +
            "</span><a href=\"/stocks/detail/?code=" + std::to_string(1300 + i) +
            ".t\">値上がり率ランキング銘柄</a> <strong>+" + std::to_string(i % 17) +
            ".25%</strong></div>\n<ul><li><a href=\"/hl?a=20081226-000" + std::to_string(i) +
            "-jij-bus_all\">市況：日経平均は続伸、輸出関連株に買い</a>&nbsp;<span>12/26 15:00</span></li></ul></div>\n";
    }
    return chrome;
}

// The hand-made Toyota page of the tests (UTF-8), padded to about `bytes` with chrome, half in
// front of the main block and half behind it.
inline std::string Page(std::size_t bytes) {
    std::string page = ReadFile("quote/stock-7203.utf8.html");
    if (page.empty()) std::abort();
    const std::string chrome = Chrome(bytes > page.size() ? (bytes - page.size()) / 2 : 0);
    page.insert(page.find("<!--MAIN START-->"), chrome);
    page.insert(page.find("<!--MAIN END-->"), chrome);
    return page;
}

}  // namespace quotrix::bench
