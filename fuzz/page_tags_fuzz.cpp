// StripTags and the board and news readers built on it take raw page bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/BoardNews.h"
#include "net/Html.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quotrix;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string work(bytes);
    const std::size_t n = StripTags(work.data(), work.size(), 'A', 'a', size & 1);
    if (n > size) __builtin_trap();
    BoardIdFromPage(bytes);
    NewsIdFromPage(bytes, 7203, "premium.news.yahoo.co.jp/vip/news/");
    std::u16string wide(bytes.begin(), bytes.end());
    if (NormalizePageText(wide.data(), wide.size()) > wide.size()) __builtin_trap();
    return 0;
}
