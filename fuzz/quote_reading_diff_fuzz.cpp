// The quote reader's fast reading against the plain one (every decoding in its order through
// the platform's converter, then the state object as a whole document): on any bytes, for any
// instrument and mask, both give the same answer and, when the page is read, the same values.
// The Shift-JIS (a table) and UTF-8 decodings are compared with iconv read byte run by byte run
// on the same bytes. A difference stops the fuzzer. The first byte chooses the instrument and the
// mask; of the second, bit 0 puts the rest into a page of today's shape, bit 1 reads it as a
// processor without AVX2 does, and bit 7 gives the fast reading detail logging.
//
// A long run goes several times faster with -max_len=1024 (the seeds "compact-7203.*" hold a page
// that parses in each of the five encodings within that length) and with
// ASAN_OPTIONS=malloc_context_size=0 (no stack is recorded for every allocation):
//   ASAN_OPTIONS=malloc_context_size=0 build/fuzz/fuzz/quote_reading_diff_fuzz -max_len=1024 CORPUS
//   fuzz/seeds/quote_reading_diff_fuzz
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "IconvReference.h"
#include "model/Stock.h"
#include "net/CurrentQuotePage.h"
#include "net/QuotePage.h"
#include "net/QuotePageScan.h"
#include "platform/TextCodec.h"

namespace {

using namespace quotrix;

void Differ(const char* what) {
    std::fprintf(stderr, "fast and plain readings differ: %s\n", what);
    std::abort();
}

void Compare(const CStock& a, const CStock& b) {
    if (a.name != b.name) Differ("name");
    if (a.price != b.price) Differ("price");
    if (a.updateTime != b.updateTime) Differ("updateTime");
    if (a.change != b.change) Differ("change");
    if (a.prevClose != b.prevClose) Differ("prevClose");
    if (a.volume != b.volume) Differ("volume");
    if (a.open != b.open) Differ("open");
    if (a.high != b.high) Differ("high");
    if (a.low != b.low) Differ("low");
    if (a.eps != b.eps) Differ("eps");
    // Bit for bit: NaN is never produced, and -0.0 must stay -0.0.
    if (std::memcmp(&a.dividendYield, &b.dividendYield, sizeof(double)) != 0) Differ("dividendYield");
    if (std::memcmp(&a.per, &b.per, sizeof(double)) != 0) Differ("per");
    if (std::memcmp(&a.pbr, &b.pbr, sizeof(double)) != 0) Differ("pbr");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    static const char* const kIdentities[] = {"7203.t", "998407", "998405", "USDJPY=X", "FUNDX", "6758", "1301", "usd"};
    const CStock probe = [&] {
        CStock s(kIdentities[data[0] & 7]);
        s.BuildUrls();
        if (data[0] & 0x08) s.status &= ~kNamePending;
        return s;
    }();
    static const std::uint32_t kMasks[] = {0, 0x1FFF, PARSE_PRICE, PARSE_CHANGE | PARSE_FUND_PRICE, 0x0101};
    const std::uint32_t modeMask = (data[0] >> 4) % 6;
    const std::uint32_t mask = modeMask == 5 ? ParseMaskFor(probe) : kMasks[modeMask];

    std::string body(reinterpret_cast<const char*>(data) + 2, size - 2);
    for (const CodePage cp : {CodePage::Sjis, CodePage::Utf8}) {
        std::u16string table;
        const bool tableClean = ToUtf16(cp, body, table);
        const PlainDecoding plain = PlainIconv(cp, body);
        if (table != plain.text || tableClean != plain.clean)
            Differ(cp == CodePage::Sjis ? "Shift-JIS decoding" : "UTF-8 decoding");
    }
    // Some inputs are read as on a processor without AVX2, whose looks go sixteen bytes at a time.
    AllowAvx2((data[1] & 2) == 0);
    // Some inputs are made into a page of today's shape, so that the state object is in reach.
    if (data[1] & 1) body = "<html><script>window.__PRELOADED_STATE__ = " + body + "</script></html>";

    CStock fast = probe;
    CStock plain = probe;
    ThreadLog fastLog(static_cast<std::uint8_t>(data[1] >> 7 ? 2 : 0));
    ThreadLog plainLog(2);
    FetchContext fastContext;
    fastContext.stock = &fast;
    fastContext.log = &fastLog;
    FetchContext plainContext;
    plainContext.stock = &plain;
    plainContext.log = &plainLog;
    int fastDecoding = -2;
    int plainDecoding = -2;
    const bool fastOk = ParseQuoteBody(fastContext, body, mask, &fastDecoding);
    const bool plainOk = ParseQuoteBodyInOrder(plainContext, body, mask, &plainDecoding);
    if (fastOk != plainOk) Differ("answer");
    if (fastDecoding != plainDecoding) Differ("decoding");
    // A rejected page's copy is thrown away: a failed attempt may have written to it half-way.
    if (fastOk) Compare(fast, plain);

    // The state object's two readers on their own.
    CStock scan = probe;
    CStock dom = probe;
    const bool scanOk = ParseCurrentQuotePage(body, scan, mask, nullptr, StateReader::Scan);
    const bool domOk = ParseCurrentQuotePage(body, dom, mask, nullptr, StateReader::Dom);
    if (scanOk != domOk) Differ("state answer");
    Compare(scan, dom);
    return 0;
}
