#include "platform/HttpTransport.h"

namespace quotrix {

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

std::string ProxyForScheme(std::string_view list, std::string_view scheme) {
    std::string_view general;
    std::size_t at = 0;
    while (at < list.size()) {
        const auto end = list.find_first_of(" ;\t", at);
        const std::string_view entry =
            list.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        at = end == std::string_view::npos ? list.size() : end + 1;
        if (entry.empty()) continue;
        const auto equals = entry.find('=');
        if (equals == std::string_view::npos) {
            if (general.empty()) general = entry;
        } else if (EqualNoCase(entry.substr(0, equals), scheme) && equals + 1 < entry.size()) {
            return std::string(entry.substr(equals + 1));
        }
    }
    return std::string(general);
}

}  // namespace quotrix
