// The options the network commands share: "--host HOST[:PORT][/PREFIX]" points every quote-site
// address at one host (a mirror, or the quote server of the tests).
#pragma once

#include <string>
#include <vector>

#include "model/SiteHosts.h"

namespace quotrix::cli {

// Takes the leading "--host" options out of `args`; false when one lacks its value.
inline bool TakeSiteOptions(std::vector<std::string>& args) {
    while (!args.empty() && args[0] == "--host") {
        if (args.size() < 2) return false;
        const std::string host = args[1];
        args.erase(args.begin(), args.begin() + 2);
        SiteHosts hosts;
        for (std::string* h : {&hosts.detail, &hosts.quote, &hosts.timeSeries, &hosts.news, &hosts.board,
                               &hosts.profile, &hosts.premiumQuote, &hosts.premiumNews, &hosts.current})
            *h = host;
        SetSiteHosts(hosts);
    }
    return true;
}

}  // namespace quotrix::cli
