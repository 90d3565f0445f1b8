// Host names of the quote site. They are configuration ("Setting" keys named in the comments),
// so tests, the quote server and users behind another mirror can point the program elsewhere.
// A host may carry a port ("127.0.0.1:18080").
//
// Threads: set on the main thread at start-up and by the options dialog; read by every thread
// that builds an address. A setting replaces the whole set; readers keep the set they took.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace quotrix {

struct SiteHosts {
    std::string detail = "stocks.finance.yahoo.co.jp";       // "HostDetail": quote detail and search pages
    std::string quote = "quote.yahoo.co.jp";                 // "HostQuote": older quote and chart pages
    std::string timeSeries = "table.yahoo.co.jp";            // "HostTimeSeries"
    std::string news = "company.news.yahoo.co.jp";           // "HostNews": news and research pages
    std::string board = "messages.yahoo.co.jp";              // "HostBoard"
    std::string profile = "profile.yahoo.co.jp";             // "HostProfile"
    std::string premiumQuote = "premium.quote.yahoo.co.jp";  // "HostPremiumQuote"
    std::string premiumNews = "premium.news.yahoo.co.jp";    // "HostPremiumNews"
    // "HostCurrent": the site's current quote pages ("/quote/7203.T"), reached over https.
    std::string current = "https://finance.yahoo.co.jp";
    // "QuoteAddressForm": which quote page a stock's address names. The settings default to the
    // current pages; a plain SiteHosts (tests, tools) keeps the classic ones.
    std::uint32_t addressForm = ADDRESS_CLASSIC;

    enum AddressForm : std::uint32_t { ADDRESS_CLASSIC = 0, ADDRESS_CURRENT = 1 };

    bool operator==(const SiteHosts&) const = default;
};

// The process-wide hosts (a copy).
SiteHosts CurrentSiteHosts();
// The same without copying the strings: the workers build addresses for every stock of a pass.
std::shared_ptr<const SiteHosts> SharedSiteHosts();
void SetSiteHosts(const SiteHosts& hosts);

// "http://" + host + path.
std::string SiteAddress(const std::string& host, const std::string& path);

}  // namespace quotrix
