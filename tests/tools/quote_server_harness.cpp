#include "tests/tools/quote_server_harness.h"

#include <cstdlib>
#include <fstream>

#if !defined(_WIN32)
#include "QuoteServer.h"
#endif

namespace quotrix::testing {

namespace {

std::string Trim(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

#if defined(_WIN32)
std::string FromEnvironment() {
    if (const char* address = std::getenv("QUOTRIX_QUOTE_SERVER"); address != nullptr && *address != 0)
        return Trim(address);
    const char* file = std::getenv("QUOTRIX_QUOTE_SERVER_FILE");
    if (file == nullptr || *file == 0) return {};
    // A Linux path seen from Wine lives on drive Z:.
    for (const std::string& path : {std::string(file), std::string("Z:") + file}) {
        std::ifstream in(path);
        std::string address;
        if (in && std::getline(in, address)) return Trim(address);
    }
    return {};
}
#endif

}  // namespace

std::string QuoteServerAddress() {
#if defined(_WIN32)
    static const std::string address = FromEnvironment();
    return address;
#else
    if (const char* address = std::getenv("QUOTRIX_QUOTE_SERVER"); address != nullptr && *address != 0)
        return Trim(address);
    static quotesrv::QuoteServer* server = [] {
        quotesrv::ServerOptions options;
        options.port = 0;
        options.seed = 20240614;
        auto* s = new quotesrv::QuoteServer(options);  // lives as long as the test program
        if (!s->Start()) {
            delete s;
            return static_cast<quotesrv::QuoteServer*>(nullptr);
        }
        return s;
    }();
    return server != nullptr ? server->Address() : std::string();
#endif
}

std::string QuoteServerUrl(const std::string& path) { return "http://" + QuoteServerAddress() + path; }

}  // namespace quotrix::testing
