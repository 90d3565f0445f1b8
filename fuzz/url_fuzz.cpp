// Addresses come from host settings, pages and typed keywords: splitting and encoding them must
// be safe for any bytes, and what the splitter accepts must be fit for a request line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/InetSession.h"
#include "net/UrlParts.h"
#include "platform/HttpTransport.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quotrix;
    const std::string text(reinterpret_cast<const char*>(data), size);

    UrlParts parts;
    if (CrackUrl(text, parts)) {
        Check(!parts.host.empty() && parts.port != 0);
        Check(parts.path.size() <= kUrlPartLimit && parts.extra.size() <= kUrlPartLimit);
        Check(!parts.path.empty() && parts.path.front() == '/');
        Check(parts.extra.empty() || parts.extra.front() == '?');
        for (unsigned char c : parts.path + parts.extra) Check(c > 0x20 && c < 0x7F);
        for (unsigned char c : parts.host) Check(c > 0x20 && c < 0x7F && c != '/' && c != '@');
    }

    std::string encoded = "x";
    const bool complete = UrlEncodeUtf8(text, encoded);
    for (std::size_t i = 1; i < encoded.size(); ++i) {
        const char c = encoded[i];
        Check(c == '%' || c == '+' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
    }
    if (complete) Check((encoded.size() - 1) <= text.size() * 3);

    std::string query;
    if (ToUtf8Query(text, true, query)) Check(!query.empty());

    (void)ProxyForScheme(text, size % 2 ? "http" : "https");
    std::string host;
    int port = 0;
    if (ParseProxyServer(text, host, port)) Check(port >= 0 && port <= 99999);
    return 0;
}
