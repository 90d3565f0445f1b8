// Character rules of the addresses the program fetches, shared by the URL splitter and the
// redirect resolver so that both accept and escape alike. Pure; any thread.
#pragma once

#include <string>
#include <string_view>

namespace quotrix {

inline bool IsUrlHostChar(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

inline bool IsUrlIpv6Char(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' || c == '.';
}

// Blanks and 8-bit bytes cannot travel in a request line as they are (servers put them into
// Location now and then, and users into keywords).
inline std::string EscapeForRequestLine(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (c == ' ' || c >= 0x80) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace quotrix
