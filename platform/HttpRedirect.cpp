// Where a redirect leads: shared by both HTTP layers, so that they resolve a Location alike.
#include <string>
#include <vector>

#include "platform/HttpTransport.h"
#include "platform/UrlText.h"

namespace quotrix {

namespace {

// "a/./b/../c" -> "a/c", never climbing above the root.
std::string WithoutDotSegments(std::string_view path) {
    std::vector<std::string_view> kept;
    std::size_t at = 1;  // behind the leading "/"
    bool endsInFolder = false;
    while (at <= path.size()) {
        std::size_t end = path.find('/', at);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view segment = path.substr(at, end - at);
        endsInFolder = segment == "." || segment == "..";
        if (segment == "..") {
            if (!kept.empty()) kept.pop_back();
        } else if (segment != ".") {
            kept.push_back(segment);
        }
        at = end + 1;
    }
    std::string out;
    for (const std::string_view segment : kept) {
        out += '/';
        out += segment;
    }
    if (endsInFolder || out.empty()) out += '/';
    return out;
}

bool ReadAuthority(std::string_view authority, bool secure, HttpTarget& to) {
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
    std::string_view portText;
    if (!authority.empty() && authority.front() == '[') {
        const auto close = authority.find(']');
        if (close == std::string_view::npos || close == 1) return false;
        const std::string_view address = authority.substr(1, close - 1);
        for (unsigned char c : address)
            if (!IsUrlIpv6Char(c)) return false;
        to.host.assign(address);
        const std::string_view rest = authority.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return false;
            portText = rest.substr(1);
        }
    } else {
        const auto colon = authority.find(':');
        const std::string_view name = authority.substr(0, colon);
        if (name.empty()) return false;
        for (unsigned char c : name)
            if (!IsUrlHostChar(c)) return false;
        to.host.assign(name);
        if (colon != std::string_view::npos) portText = authority.substr(colon + 1);
    }
    to.secure = secure;
    to.port = secure ? 443 : 80;
    if (portText.empty()) return true;
    if (portText.size() > 5) return false;
    unsigned value = 0;
    for (char c : portText) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) return false;
    to.port = static_cast<std::uint16_t>(value);
    return true;
}

}  // namespace

bool ResolveRedirect(const HttpTarget& from, std::string_view location, HttpTarget& to) {
    while (!location.empty() && (location.front() == ' ' || location.front() == '\t')) location.remove_prefix(1);
    while (!location.empty() && (location.back() == ' ' || location.back() == '\t')) location.remove_suffix(1);
    for (unsigned char c : location)
        if (c < 0x20 || c == 0x7F) return false;
    if (location.empty()) return false;
    if (const auto hash = location.find('#'); hash != std::string_view::npos) location = location.substr(0, hash);

    HttpTarget next = from;
    bool secure = from.secure;
    bool withAuthority = location.starts_with("//");
    const auto colon = location.find(':');
    if (colon != std::string_view::npos && colon < location.find_first_of("/?")) {
        std::string scheme(location.substr(0, colon));
        for (char& c : scheme)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (scheme != "http" && scheme != "https") return false;
        secure = scheme == "https";
        location.remove_prefix(colon + 1);
        if (!location.starts_with("//")) return false;
        withAuthority = true;
    }

    std::string object;
    if (withAuthority) {
        location.remove_prefix(2);
        const auto end = location.find_first_of("/?");
        if (!ReadAuthority(location.substr(0, end), secure, next)) return false;
        location = end == std::string_view::npos ? std::string_view() : location.substr(end);
        object = location.empty() || location.front() == '?' ? "/" + std::string(location) : std::string(location);
    } else if (location.empty()) {
        object = from.object;  // only a fragment: the same resource
    } else if (location.front() == '/') {
        object.assign(location);
    } else {
        const std::string_view base = std::string_view(from.object).substr(0, from.object.find('?'));
        if (location.front() == '?') {
            object = std::string(base) + std::string(location);
        } else {
            const auto slash = base.rfind('/');
            object = (slash == std::string_view::npos ? std::string("/") : std::string(base.substr(0, slash + 1))) +
                     std::string(location);
        }
    }

    const auto question = object.find('?');
    std::string path = WithoutDotSegments(std::string_view(object).substr(0, question));
    if (question != std::string::npos) path += object.substr(question);
    next.object = EscapeForRequestLine(path);
    to = std::move(next);
    return true;
}

}  // namespace quotrix
