// Splitting an address into the parts an HTTP request needs.
//
// Accepts "http://" and "https://" addresses (scheme letters in any case) with an optional
// user[:password]@, a host name, IPv4 address or [IPv6] address, an optional port, a path and a
// query. Every part must fit the 511 bytes the request buffers hold. Control characters anywhere
// refuse the address, so that nothing typed into a host setting can add a header line; blanks
// and bytes of 0x80 and above in the path or query are sent percent-encoded.
//
// Threads: pure functions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quotrix {

struct UrlParts {
    std::string scheme;  // "http" or "https", lower case
    std::string host;    // without the brackets of an IPv6 address
    std::string user;
    std::string password;
    std::string path;         // begins with "/"
    std::string extra;        // the query with its "?", or empty; a "#fragment" is dropped
    std::uint16_t port = 80;  // the one named, else 80 for http and 443 for https
    bool secure = false;      // https
};

inline constexpr std::size_t kUrlPartLimit = 511;
// The error number reported for an address that cannot be split (WinINet's
// ERROR_INTERNET_INVALID_URL, so that logs read alike on both systems).
inline constexpr unsigned long kInvalidUrlError = 12005;

bool CrackUrl(std::string_view url, UrlParts& parts);

}  // namespace quotrix
