// StripTags and the board and news readers built on it take raw page bytes.
//
// Differential as well: the tag stripping, in place, in steps of any size and into a buffer of
// its own, writes what the plain byte-at-a-time stripping below writes, and the news reader
// (which strips step by step and stops early) gives the id the straightforward reading of the
// whole stripped page gives, for the default paid prefix and for one taken from the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>

#include "net/BoardNews.h"
#include "net/Html.h"

namespace {

bool IsSpaceByte(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t' || c == '\v'; }

std::size_t ReferenceStripTags(char* bytes, std::size_t length, char keepUpper, char keepLower, bool keepAttributes) {
    std::size_t out = 0;
    std::size_t i = 0;
    bool inBlank = false;
    while (i < length && bytes[i] != 0) {
        const char c = bytes[i];
        if (c != '<') {
            if (IsSpaceByte(c)) {
                if (!inBlank) bytes[out++] = ' ';
                inBlank = true;
            } else {
                bytes[out++] = c;
                inBlank = false;
            }
            ++i;
            continue;
        }
        inBlank = false;
        std::size_t j = i + 1;
        const bool closing = j < length && bytes[j] == '/';
        if (closing) ++j;
        const bool keep = j < length && bytes[j] != 0 && (bytes[j] == keepUpper || bytes[j] == keepLower);
        if (!keep) {
            while (j < length && bytes[j] != 0 && bytes[j] != '>') ++j;
            i = (j < length && bytes[j] == '>') ? j + 1 : j;
            continue;
        }
        bytes[out++] = '<';
        if (closing) bytes[out++] = '/';
        while (j < length && bytes[j] != 0 && bytes[j] != '>' && !IsSpaceByte(bytes[j])) bytes[out++] = bytes[j++];
        if (j < length && IsSpaceByte(bytes[j])) ++j;
        while (j < length && bytes[j] != 0 && bytes[j] != '>') {
            if (keepAttributes) bytes[out++] = bytes[j];
            ++j;
        }
        if (j < length && bytes[j] == '>') {
            bytes[out++] = '>';
            ++j;
        }
        i = j;
    }
    return out;
}

std::uint32_t ReferenceNewsId(std::string_view body, std::uint32_t code, std::string_view paidNewsPrefix) {
    std::string text(body);
    text.resize(ReferenceStripTags(text.data(), text.size(), 'A', 'a', true));
    char ownNews[64];
    std::snprintf(ownNews, sizeof ownNews, "/news?s=%04u&p=", code);
    for (std::string_view prefix : {std::string_view("/hl?a="), std::string_view(ownNews), paidNewsPrefix}) {
        if (prefix.empty()) continue;
        const std::size_t start = text.find(prefix);
        if (start == std::string::npos) continue;
        const std::size_t quote = text.find('"', start);
        if (quote == std::string::npos) continue;
        return quotrix::NewsLinkHash(std::string_view(text).substr(start, quote - start));
    }
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quotrix;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const bool keepAttributes = size & 1;
    std::string expected(bytes);
    expected.resize(ReferenceStripTags(expected.data(), expected.size(), 'A', 'a', keepAttributes));

    std::string work(bytes);
    const std::size_t n = StripTags(work.data(), work.size(), 'A', 'a', keepAttributes);
    if (n > size) __builtin_trap();
    if (std::string_view(work.data(), n) != expected) __builtin_trap();

    // In steps whose size the first byte chooses, into a buffer of exactly the page's length.
    std::string out(size, '\x7f');
    TagStripper stripper(bytes.data(), size, out.data(), 'A', 'a', keepAttributes);
    const std::size_t step = size > 0 ? 1 + data[0] % 64 : 1;
    std::size_t upTo = 0;
    std::size_t written = 0;
    while (!stripper.Done()) {
        upTo += step;
        const std::size_t now = stripper.StripTo(upTo);
        if (now < written || now > size) __builtin_trap();
        written = now;
        if (upTo > size + step) __builtin_trap();  // Done must hold once the page is used up
    }
    if (std::string_view(out.data(), stripper.Written()) != expected) __builtin_trap();

    BoardIdFromPage(bytes);
    const std::string_view paid = "premium.news.yahoo.co.jp/vip/news/";
    for (std::uint32_t code : {7203u, size > 1 ? data[1] % 10u : 0u})
        if (NewsIdFromPage(bytes, code, paid) != ReferenceNewsId(bytes, code, paid)) __builtin_trap();
    const std::string_view ownPrefix = bytes.substr(0, size > 2 ? 1 + data[2] % 6 : size);
    if (NewsIdFromPage(bytes, 1, ownPrefix) != ReferenceNewsId(bytes, 1, ownPrefix)) __builtin_trap();

    std::u16string wide(bytes.begin(), bytes.end());
    if (NormalizePageText(wide.data(), wide.size()) > wide.size()) __builtin_trap();
    return 0;
}
