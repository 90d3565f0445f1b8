#include "net/UrlParts.h"

#include "platform/UrlText.h"

namespace quotrix {

namespace {

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

bool ParsePort(std::string_view digits, std::uint16_t& port) {
    if (digits.empty() || digits.size() > 5) return false;
    unsigned value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

bool SplitHostPort(std::string_view hostPort, UrlParts& parts) {
    std::string_view portText;
    if (!hostPort.empty() && hostPort.front() == '[') {
        const auto close = hostPort.find(']');
        if (close == std::string_view::npos) return false;
        const std::string_view address = hostPort.substr(1, close - 1);
        if (address.empty()) return false;
        for (unsigned char c : address)
            if (!IsUrlIpv6Char(c)) return false;
        parts.host.assign(address);
        std::string_view rest = hostPort.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return false;
            portText = rest.substr(1);
        }
    } else {
        const auto colon = hostPort.find(':');
        const std::string_view name = hostPort.substr(0, colon);
        if (name.empty()) return false;
        for (unsigned char c : name)
            if (!IsUrlHostChar(c)) return false;
        parts.host.assign(name);
        if (colon != std::string_view::npos) portText = hostPort.substr(colon + 1);
    }
    // "host:" names no port, as in a browser.
    if (!portText.empty() && !ParsePort(portText, parts.port)) return false;
    return parts.host.size() <= kUrlPartLimit;
}

}  // namespace

bool CrackUrl(std::string_view url, UrlParts& parts) {
    parts = UrlParts();
    for (unsigned char c : url)
        if (IsControl(c)) return false;

    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string_view::npos) return false;
    std::string scheme(url.substr(0, schemeEnd));
    for (char& c : scheme)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (scheme == "http") {
        parts.port = 80;
    } else if (scheme == "https") {
        parts.port = 443;
        parts.secure = true;
    } else {
        return false;
    }
    parts.scheme = std::move(scheme);

    std::string_view rest = url.substr(schemeEnd + 3);
    const auto authorityEnd = rest.find_first_of("/?#");
    std::string_view authority = rest.substr(0, authorityEnd);
    rest = authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);

    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        const std::string_view userInfo = authority.substr(0, at);
        const auto colon = userInfo.find(':');
        parts.user.assign(userInfo.substr(0, colon));
        if (colon != std::string_view::npos) parts.password.assign(userInfo.substr(colon + 1));
        authority = authority.substr(at + 1);
    }
    if (!SplitHostPort(authority, parts)) return false;

    if (const auto hash = rest.find('#'); hash != std::string_view::npos) rest = rest.substr(0, hash);
    const auto question = rest.find('?');
    std::string_view path = rest.substr(0, question);
    parts.path = path.empty() ? std::string("/") : EscapeForRequestLine(path);
    if (question != std::string_view::npos) parts.extra = EscapeForRequestLine(rest.substr(question));

    return parts.user.size() <= kUrlPartLimit && parts.password.size() <= kUrlPartLimit &&
           parts.path.size() <= kUrlPartLimit && parts.extra.size() <= kUrlPartLimit;
}

}  // namespace quotrix
