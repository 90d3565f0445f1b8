// Quote pages are untrusted: any bytes, under all six decodings, for each kind of instrument.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "model/Stock.h"
#include "net/QuotePage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quotrix;
    if (size < 1) return 0;
    static const char* const kIdentities[] = {"7203.t", "998407", "998405", "USDJPY=X", "FUNDX", "6758"};
    CStock stock(kIdentities[data[0] % 6]);
    stock.BuildUrls();
    FetchContext context;
    ThreadLog log(3);
    context.log = &log;
    context.stock = &stock;
    const std::uint32_t mask = (data[0] & 0x80) ? 0x1FFFu : ParseMaskFor(stock);
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 0x40) {
        // Straight to the parser, as UTF-16, so that markers are within the fuzzer's reach
        // without a decoding in between.
        std::u16string text(rest.size() / 2, u'\0');
        if (!text.empty()) std::memcpy(text.data(), rest.data(), text.size() * 2);
        ParseQuotePage(context, text.data(), text.size(), mask);
    } else {
        ParseQuoteBody(context, rest, mask);
    }
    return 0;
}
