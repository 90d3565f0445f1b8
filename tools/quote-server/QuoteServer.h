// A stand-in for the quote site on 127.0.0.1: the pages of Pages.h for the instruments of
// Instruments.h, a release file, recorded pages from a folder, and a few plain answers for
// testing an HTTP client (echo, sized blobs, empty bodies, chosen status codes, slow bodies).
// Either shape of the site, the classic pages or today's, with redirects from old addresses to new.
// It also answers as an HTTP proxy for addresses on itself, with optional Basic credentials,
// so that proxy settings can be tried without any other host.
//
// Threads: Start/Stop from one thread; requests are served on the server's own pool; the
// counters may be read from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "Instruments.h"
#include "Pages.h"

namespace quotesrv {

// Which shape of the site is served: the classic pages ("/stocks/detail/?code=7203.T"), or
// today's ("/quote/7203.T"), where the classic addresses answer with a redirect to the new ones.
enum class Site { Classic, Current };

// "classic", "current".
bool ParseSite(const std::string& text, Site& site);
const char* SiteName(Site site);

// The next `count` requests, whatever they ask for, are answered with `status` and, unless it is
// empty, a Retry-After header of `retryAfter` (seconds or an HTTP date): a site that refuses
// for a while.
struct StatusBurst {
    int status = 429;
    std::uint32_t count = 0;
    std::string retryAfter = "2";
};

// "CODE:COUNT" or "CODE:COUNT:RETRY_AFTER" (an empty RETRY_AFTER sends none); the code 100 to 599.
bool ParseStatusBurst(const std::string& text, StatusBurst& burst);

struct ServerOptions {
    int port = 18080;  // 0: any free port
    std::uint64_t seed = 1;
    Encoding encoding = Encoding::Utf8;  // a request's "enc" key or /sjis/... prefix overrides
    Site site = Site::Classic;           // a request's "site" key or /current/... prefix overrides
    int latencyMs = 0;                   // wait before each answer
    double failRate = 0;                 // share of page requests that fail (500 or dropped)
    bool slow = false;                   // trickle every body
    std::string fixturesDir;             // serve recorded files from here instead of pages
    std::string proxyUser;               // when set, proxy requests must carry these credentials
                                         // (a request's "proxyauth=USER:PASSWORD" asks for others)
    std::string proxyPassword;
    std::uint32_t releaseMajor = 1;
    std::uint32_t releaseMinor = 1;
    std::size_t pageBytes = 40000;                // detail pages are padded to about this size
    StatusBurst burst;                            // armed at start
    std::size_t currentPageBytes = 163242;        // today's quote pages: the recorded 2025 page's size
    std::function<void(const std::string&)> log;  // one line per request; empty: quiet
};

class QuoteServer {
  public:
    explicit QuoteServer(ServerOptions options);
    ~QuoteServer();
    QuoteServer(const QuoteServer&) = delete;
    QuoteServer& operator=(const QuoteServer&) = delete;

    // Binds to 127.0.0.1 and serves on a thread of its own; false when the port cannot be had.
    bool Start();
    void Stop();
    int Port() const { return port_; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

    std::uint64_t Requests() const { return requests_; }
    // Arms a burst (replacing one under way) and answers how many of its requests were served.
    void StartBurst(const StatusBurst& burst);
    std::uint64_t BurstAnswers() const { return burstAnswers_; }
    std::uint64_t ProxiedRequests() const { return proxied_; }
    Market& Instruments() { return market_; }

    struct Impl;

  private:
    ServerOptions options_;
    Market market_;
    std::unique_ptr<Impl> impl_;
    std::thread thread_;
    int port_ = 0;
    std::atomic<std::uint64_t> requests_{0};
    std::atomic<std::uint64_t> proxied_{0};
    std::atomic<std::uint64_t> burstAnswers_{0};
};

// Splits a request target into path and decoded query pairs ("+" is a blank).
struct Target {
    std::string path;
    std::vector<std::pair<std::string, std::string>> query;
    std::string Get(const std::string& key) const;
    bool Has(const std::string& key) const;
};
Target ParseTarget(const std::string& target);
std::string PercentDecode(const std::string& text, bool plusIsBlank);

}  // namespace quotesrv
