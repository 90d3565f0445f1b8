// Search result pages are untrusted.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "net/Search.h"
#include "platform/TextCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quotrix;
    if (size < 1) return 0;
    std::u16string text;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1) {
        text.assign(bytes.size() / 2, u'\0');
        if (!text.empty()) std::memcpy(text.data(), bytes.data(), text.size() * 2);
    } else {
        ToUtf16(CodePage::Utf8, bytes, text);
    }
    SearchResults results;
    const bool any = ParseSearchResults(results, text.data(), text.size());
    if (any != !results.empty()) __builtin_trap();
    return 0;
}
