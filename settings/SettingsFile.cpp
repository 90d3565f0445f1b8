#include "settings/SettingsFile.h"

#include <charconv>

#include "platform/TextCodec.h"

namespace quotrix {

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ParseNumber(std::string_view s, std::uint32_t& value) {
    if (s.empty()) return false;
    const char* first = s.data();
    const char* last = s.data() + s.size();
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        if (s.size() > 10) return false;
        auto [end, ec] = std::from_chars(first + 2, last, value, 16);
        return ec == std::errc() && end == last;
    }
    if (s[0] == '-') {
        std::uint32_t magnitude = 0;
        if (s.size() < 2 || s[1] < '0' || s[1] > '9') return false;
        auto [end, ec] = std::from_chars(first + 1, last, magnitude, 10);
        if (ec != std::errc() || end != last || magnitude > 0x80000000u) return false;
        value = 0u - magnitude;
        return true;
    }
    if (s[0] < '0' || s[0] > '9') return false;
    auto [end, ec] = std::from_chars(first, last, value, 10);
    return ec == std::errc() && end == last;
}

// A quoted value, from just behind the opening quote. False when it is malformed.
bool ParseQuoted(std::string_view s, std::string& sjis) {
    sjis.clear();
    std::string run;  // UTF-8 text not yet converted
    auto flush = [&] {
        if (!run.empty()) sjis += Utf8ToSjis(run);
        run.clear();
    };
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            if (!Trim(s.substr(i + 1)).empty()) return false;
            flush();
            return true;
        }
        if (c != '\\') {
            run += c;
            continue;
        }
        if (++i >= s.size()) return false;
        switch (s[i]) {
            case '\\':
                run += '\\';
                break;
            case '"':
                run += '"';
                break;
            case 'n':
                run += '\n';
                break;
            case 'r':
                run += '\r';
                break;
            case 't':
                run += '\t';
                break;
            case 'x': {
                if (i + 2 >= s.size()) return false;
                const int high = HexDigit(s[i + 1]), low = HexDigit(s[i + 2]);
                if (high < 0 || low < 0) return false;
                flush();
                sjis += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default:
                return false;
        }
    }
    return false;  // no closing quote
}

void AppendQuoted(std::string& out, const std::string& sjis) {
    std::u16string wide;
    std::string back;
    const bool clean =
        ToUtf16(CodePage::Sjis, sjis, wide, true) && FromUtf16(CodePage::Sjis, wide, back) && back == sjis;
    const std::string text = clean ? FromUtf16(CodePage::Utf8, wide) : sjis;
    static const char kHex[] = "0123456789ABCDEF";
    out += '"';
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                // Bytes of a text that is no clean Shift-JIS go as they are in memory.
                if (u < 0x20 || u == 0x7F || (!clean && u >= 0x80)) {
                    out += "\\x";
                    out += kHex[u >> 4];
                    out += kHex[u & 0xF];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

}  // namespace

bool CaseInsensitiveLess::operator()(std::string_view a, std::string_view b) const {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char x = LowerAscii(a[i]), y = LowerAscii(b[i]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    return a.size() < b.size();
}

const SettingsValue* SettingsData::Find(std::string_view section, std::string_view key) const {
    auto s = sections.find(section);
    if (s == sections.end()) return nullptr;
    auto v = s->second.find(key);
    return v == s->second.end() ? nullptr : &v->second;
}

void SettingsData::Set(std::string_view section, std::string_view key, SettingsValue value) {
    auto s = sections.find(section);
    if (s == sections.end()) s = sections.emplace(std::string(section), Section()).first;
    auto v = s->second.find(key);
    if (v == s->second.end()) {
        s->second.emplace(std::string(key), std::move(value));
    } else {
        v->second = std::move(value);
    }
}

bool IsValidSettingsName(std::string_view name) {
    if (name.empty() || name != Trim(name)) return false;
    if (name.front() == '[' || name.front() == ';' || name.front() == '#') return false;
    for (const char c : name) {
        if (c == '=' || c == '\r' || c == '\n' || c == '\0' || c == ']') return false;
    }
    // A leading UTF-8 byte-order mark would be taken for one.
    return !name.starts_with("\xEF\xBB\xBF");
}

std::size_t ParseSettingsText(std::string_view text, SettingsData& data) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::size_t skipped = 0;
    bool inSection = false;
    std::string section;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = Trim(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            const std::string_view name =
                line.size() >= 2 && line.back() == ']' ? Trim(line.substr(1, line.size() - 2)) : std::string_view();
            inSection = IsValidSettingsName(name);
            if (inSection) {
                section.assign(name);
            } else {
                ++skipped;
            }
            continue;
        }
        const std::size_t equals = line.find('=');
        const std::string_view key =
            equals == std::string_view::npos ? std::string_view() : Trim(line.substr(0, equals));
        if (!inSection || !IsValidSettingsName(key)) {
            ++skipped;
            continue;
        }
        const std::string_view raw = Trim(line.substr(equals + 1));
        std::uint32_t number = 0;
        if (!raw.empty() && raw.front() == '"') {
            std::string value;
            if (!ParseQuoted(raw.substr(1), value)) {
                ++skipped;
                continue;
            }
            data.Set(section, key, std::move(value));
        } else if (ParseNumber(raw, number)) {
            data.Set(section, key, number);
        } else {
            data.Set(section, key, Utf8ToSjis(raw));
        }
    }
    return skipped;
}

std::string FormatSettingsText(const SettingsData& data) {
    std::string out =
        "; Quotrix settings. Numbers are integers, texts stand in double quotes.\n"
        "; The program rewrites this file whole: comments other than this one are not kept.\n";
    for (const auto& [name, values] : data.sections) {
        out += '\n';
        out += '[';
        out += name;
        out += "]\n";
        for (const auto& [key, value] : values) {
            out += key;
            out += '=';
            if (const auto* number = std::get_if<std::uint32_t>(&value)) {
                out += std::to_string(*number);
            } else {
                AppendQuoted(out, std::get<std::string>(value));
            }
            out += '\n';
        }
    }
    return out;
}

}  // namespace quotrix
