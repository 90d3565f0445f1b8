#include "model/Stock.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "model/SiteHosts.h"
#include "platform/TextCodec.h"

namespace quotrix {

namespace {

constexpr char kLetters[] = "toqnsfj";  // markets 1 to 7

std::string Format(const char* format, auto... args) {
    char buf[256];
    int n = std::snprintf(buf, sizeof buf, format, args...);
    return std::string(buf, n < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(n), sizeof buf - 1));
}

bool IsUpperLetter(char c) { return c >= 'A' && c <= 'Z'; }

}  // namespace

char MarketLetter(std::uint32_t market) { return market >= 1 && market <= 7 ? kLetters[market - 1] : 0; }

std::uint32_t MarketFromLetter(char letter) {
    if (letter == 0) return MARKET_NONE;
    if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
    for (std::uint32_t i = 0; i < 7; ++i)
        if (kLetters[i] == letter) return i + 1;
    return MARKET_UNKNOWN;
}

const char* MarketSuffix(std::uint32_t market) {
    static constexpr const char* kSuffixes[] = {"", ".T", ".O", ".Q", ".N", ".S", ".F", ".J"};
    return market <= 7 ? kSuffixes[market] : "";
}

const std::string& MarketName(std::uint32_t market) {
    static const std::array<std::string, 10> names = {
        Utf8ToSjis("未設定"), Utf8ToSjis("東京"), Utf8ToSjis("大阪"),       Utf8ToSjis("Jasdaq"), Utf8ToSjis("名古屋"),
        Utf8ToSjis("札幌"),   Utf8ToSjis("福岡"), Utf8ToSjis("ヘラクレス"), Utf8ToSjis("通貨"),   Utf8ToSjis("その他")};
    if (market <= 7) return names[market];
    return market == MARKET_CURRENCY ? names[8] : names[9];
}

const std::string& StatusSuffix(std::uint32_t status) {
    static const std::array<std::string, 6> suffixes = {
        std::string(),           Utf8ToSjis(" - 待機中"),        Utf8ToSjis(" - オフライン"), Utf8ToSjis(" - 更新失敗"),
        Utf8ToSjis(" - 接続中"), Utf8ToSjis(" - データ取得待ち")};
    const std::uint32_t kind = (status >> 2) & 0xF;
    if (kind >= 1 && kind <= 4) return suffixes[kind];
    if (kind == 0 && (status & 3) == 0) return suffixes[5];
    return suffixes[0];
}

const std::string& TradeModeText(std::uint32_t mode) {
    static const std::array<std::string, 4> marks = {std::string(), Utf8ToSjis("売"), Utf8ToSjis("信買"),
                                                     Utf8ToSjis("信売")};
    return marks[mode & 3];
}

bool ReadStockCode(const std::string& text, std::uint32_t& code, char& letter) {
    std::uint32_t value = 0;
    std::size_t digits = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (++digits > 7) return false;
        value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
    }
    if (digits < 3) return false;
    char found = 0;
    if (i < text.size()) {
        if (text[i] != '.' || i + 1 >= text.size()) return false;
        char c = text[i + 1];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c < 'a' || c > 'z') return false;
        found = c;  // anything after the letter is ignored
    } else {
        switch (value) {
            case 23337:
                found = 'q';
                break;
            case 1320:
            case 1321:
            case 1616:
            case 998407:
            case 5040469:
                found = 'o';
                break;
            default:
                break;
        }
    }
    code = value;
    letter = found;
    return true;
}

CStock::CStock() { Reset(); }

CStock::CStock(std::uint32_t code, std::uint32_t market) {
    Reset();
    SetIdentity(code, market);
}

CStock::CStock(const std::string& identityText) {
    Reset();
    ParseIdentity(identityText);
}

CStock::CStock(const CStock& other) = default;
CStock& CStock::operator=(const CStock& other) = default;
CStock::~CStock() = default;

void CStock::ParseIdentity(const std::string& original) {
    market = MARKET_UNKNOWN;
    code = 0;
    std::string text = original;
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');

    auto setCurrency = [this](std::string symbol) {
        codeText = std::move(symbol);
        market = MARKET_CURRENCY;
    };
    if (text.size() < 3) {
        if (text == "$" || text == "US") return setCurrency("USDJPY=X");
        if (text == "EU") return setCurrency("EURJPY=X");
    }
    if (!text.empty() && std::all_of(text.begin(), text.end(), IsUpperLetter)) {
        if (text.size() == 3) return setCurrency(text + "JPY=X");
        if (text.size() == 6) return setCurrency(text + "=X");
    }
    if (text.size() == 8 && text.ends_with("=X")) return setCurrency(text);

    std::uint32_t parsedCode = 0;
    char letter = 0;
    if (ReadStockCode(text, parsedCode, letter)) {
        const std::uint32_t index = MarketFromLetter(letter);
        if (index != MARKET_UNKNOWN) {
            SetIdentity(parsedCode, index);
            return;
        }
    }
    codeText = text;
}

bool CStock::SetIdentity(std::uint32_t newCode, std::uint32_t newMarket) {
    if (newCode == 0 || newCode > kMaxStockCode) return false;
    if (code != 0 && code <= kMaxStockCode) Reset();
    code = newCode;
    market = newMarket >= 8 ? MARKET_NONE : newMarket;
    return true;
}

void CStock::Reset() {
    status = kNamePending;
    codeText.clear();
    name.clear();
    updateTime.clear();
    quoteUrl.clear();
    boardUrl.clear();
    newsUrl.clear();
}

void CStock::BuildUrls() {
    const auto shared = SharedSiteHosts();
    const SiteHosts& hosts = *shared;
    const bool current = hosts.addressForm == SiteHosts::ADDRESS_CURRENT;
    if (IsCurrency()) {
        if (current) {
            // Today's site names a pair "USDJPY=FX".
            std::string symbol = codeText;
            if (symbol.ends_with("=X")) symbol.insert(symbol.size() - 1, "F");
            quoteUrl = SiteAddress(hosts.current, "/quote/" + symbol);
        } else {
            quoteUrl = SiteAddress(hosts.detail, "/stocks/detail/?code=" + codeText);
        }
        boardUrl.clear();
        newsUrl.clear();
        return;
    }
    codeText = Format("%04u", code);
    if (current) {
        // A code without a market is taken as Tokyo's, where nearly all of them trade.
        const char letter = market != MARKET_NONE ? MarketLetter(market) : 't';
        quoteUrl = SiteAddress(hosts.current, Format("/quote/%04u.%c", code, letter - 'a' + 'A'));
    } else if (market != MARKET_NONE) {
        quoteUrl = SiteAddress(hosts.detail, Format("/stocks/detail/?code=%04u.%c", code, MarketLetter(market)));
    } else {
        quoteUrl = SiteAddress(hosts.quote, Format("/q?s=%04u&d=nc", code));
    }
    boardUrl = SiteAddress(hosts.board, Format("/bbs?action=q&board=%04u", code));
    newsUrl = SiteAddress(hosts.news, Format("/news?s=%04u", code));
}

std::string CStock::WebPageAddress(int page) const {
    const SiteHosts hosts = CurrentSiteHosts();
    const std::string& a = codeText;
    std::string b = a;
    if (market >= 1 && market <= 127 && MarketLetter(market) != 0) {
        b += '.';
        b += MarketLetter(market);
    }
    static constexpr const char* kCharts[] = {"nc", "1b", "0b", "1d", "3m", "1y", "2y", "5y", "ay"};
    if (page >= 0 && page <= 8) return SiteAddress(hosts.quote, "/q?s=" + b + "&d=" + kCharts[page]);
    switch (page) {
        case 9:
            return SiteAddress(hosts.timeSeries, "/d?s=" + b);
        case 11:
            return SiteAddress(hosts.board, "/bbs?action=q&board=" + a);
        case 12:
            return SiteAddress(hosts.profile, "/biz/fundamental/" + a + ".html");
        case 13:
            return SiteAddress(hosts.news, "/z/a/" + a.substr(0, 1) + "/" + a + ".html");
        case 14:
            return SiteAddress(hosts.premiumQuote, "/q?s=" + a + "&d=e");
        case 15:
            return SiteAddress(hosts.premiumNews, "/report/sector33/brand_report/" + a + ".html");
        default:
            return SiteAddress(hosts.news, "/news?s=" + a);
    }
}

std::uint32_t CStock::Hash() const {
    if (!IsCurrency()) return ((code >> 8) ^ code) & 31;
    if (codeText.empty()) return 0;
    std::uint32_t h = static_cast<unsigned char>(codeText.front()) & 31;
    if (codeText.size() >= 3) h ^= static_cast<unsigned char>(codeText.back()) & 31;
    return h;
}

}  // namespace quotrix
