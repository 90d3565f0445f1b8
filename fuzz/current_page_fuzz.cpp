// The current quote page reader on arbitrary bytes behind the state marker.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/CurrentQuotePage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quotrix;
    std::string page = "<script>window.__PRELOADED_STATE__ = ";
    page.append(reinterpret_cast<const char*>(data), size);
    CStock copy("7203.t");
    ThreadLog log(3);
    ParseCurrentQuotePage(page, copy, 0x1FFF, &log);
    ParseCurrentQuotePage(std::string_view(reinterpret_cast<const char*>(data), size), copy, 0x000B, nullptr);
    return 0;
}
