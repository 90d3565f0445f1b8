#include "net/BoardNews.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <memory>
#include <new>

#include "model/SiteHosts.h"
#include "net/Html.h"
#include "net/InetSession.h"
#include "net/JapaneseText.h"
#include "platform/TextCodec.h"

namespace quotrix {

namespace {

enum class BoardDecoding { AsIs, Euc, Jis };

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::size_t FindNoCase(const std::string& text, std::string_view needle, std::size_t from) {
    for (std::size_t i = from; i + needle.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < needle.size() && LowerAscii(text[i + k]) == needle[k]) ++k;
        if (k == needle.size()) return i;
    }
    return std::string::npos;
}

// The number behind "mid=": blanks, a sign, digits with "," ignored; a "-" inside the number
// spoils it.
std::uint32_t ReadMessageNumber(const std::string& text, std::size_t i) {
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ',') continue;
        if (c < '0' || c > '9') {
            if (c == '-') return 0;
            break;
        }
        value = value * 10u + static_cast<std::uint32_t>(c - '0');
    }
    return negative ? 0u - value : value;
}

// One decoded board page: links kept, everything else reduced to text.
bool ReadBoardText(std::string& text, std::uint32_t& id) {
    // The title goes first: stripping would leave its words behind, and a title that says
    // "最新" would then be taken for the link to the newest post.
    const std::size_t title = FindNoCase(text, "<title", 0);
    if (title != std::string::npos) {
        const std::size_t close = FindNoCase(text, "/title", title + 1);
        const std::size_t end = close == std::string::npos ? close : text.find('>', close);
        if (end != std::string::npos) text.erase(title, end + 1 - title);
    }
    text.resize(StripTags(text.data(), text.size(), 'A', 'a', true));

    std::size_t out = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, 5, "&nbsp") == 0) {
            text[out++] = ' ';
            i += 5;
            if (i < text.size() && text[i] == ';') ++i;
            continue;
        }
        text[out++] = text[i++];
    }
    text.resize(out);

    const std::size_t newest = text.find(SJIS("最新"));
    if (newest == std::string::npos || newest == 0) return false;
    const std::size_t link = text.rfind('<', newest - 1);
    if (link == std::string::npos) return false;
    const std::size_t mid = text.find("mid=", link);
    if (mid == std::string::npos) return false;
    id = ReadMessageNumber(text, mid + 4);
    return true;
}

std::string Format04(const char* format, std::uint32_t code) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, code);
    return buffer;
}

bool Download(const std::string& url, std::string& response, ThreadLog* log) {
    response.clear();
    if (url.empty()) return false;
    try {
        return DownloadUrl(url, response, log) && !response.empty();
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace

std::string DefaultPaidNewsPrefix() { return SharedSiteHosts()->premiumNews + "/vip/news/"; }

std::uint32_t NewsLinkHash(std::string_view link) {
    std::uint32_t hash = 0;
    std::uint32_t mix = 0;
    int shift = 0;
    for (char byte : link) {
        const std::uint32_t c = static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(byte)));
        hash ^= std::rotl(c, shift);
        shift += 6;
        mix ^= c;
        if (shift >= 32) shift = static_cast<int>(mix & 7);
    }
    return hash;
}

std::uint32_t BoardIdFromPage(std::string_view body) {
    using D = BoardDecoding;
    static constexpr D kOrders[4][3] = {
        {D::AsIs, D::Jis, D::Jis}, {D::AsIs, D::Euc, D::Jis}, {D::Euc, D::AsIs, D::AsIs}, {D::AsIs, D::Euc, D::Jis}};
    static constexpr int kCounts[4] = {2, 3, 2, 3};
    const int detected = DetectJapaneseEncoding(body.data(), body.size());
    try {
        std::string work;
        for (int k = 0; k < kCounts[detected]; ++k) {
            work.assign(body.data(), body.size());
            if (kOrders[detected][k] == D::Euc) EucToSjis(work);
            if (kOrders[detected][k] == D::Jis) JisToSjis(work);
            std::uint32_t id = 0;
            if (ReadBoardText(work, id)) return id;
        }
    } catch (const std::bad_alloc&) {
    }
    return 0;
}

std::uint32_t NewsIdFromPage(std::string_view body, std::uint32_t code, std::string_view paidNewsPrefix) {
    try {
        // The page is stripped into a buffer, a step at a time while the first kind of link is
        // looked for: a page with a headline link near its top is not stripped to its end. The
        // answer is the one the whole stripped page gives. A news page is some 40 KB: the thread
        // keeps a buffer of that size for the next one.
        constexpr std::size_t kKeptRoom = 1u << 20;
        thread_local std::unique_ptr<char[]> kept;
        thread_local std::size_t keptRoom = 0;
        std::unique_ptr<char[]> own;
        char* buffer = nullptr;
        if (body.size() < kKeptRoom) {
            if (keptRoom <= body.size()) {
                const std::size_t room = std::max(body.size() + 1, kKeptRoom / 16);
                kept.reset(new char[room]);
                keptRoom = room;
            }
            buffer = kept.get();
        } else {
            own.reset(new char[body.size()]);
            buffer = own.get();
        }
        TagStripper stripper(body.data(), body.size(), buffer, 'A', 'a', true);
        auto linkAt = [buffer](std::size_t start, std::size_t quote) {
            return NewsLinkHash(std::string_view(buffer + start, quote - start));
        };
        constexpr std::string_view kHeadline = "/hl?a=";
        constexpr std::size_t kStep = 8192;
        std::size_t upTo = 0;
        std::size_t headline = std::string_view::npos;
        std::size_t searched = 0;  // no headline link starts before this in the text written
        std::size_t quoteSearched = 0;
        while (true) {
            upTo = std::min(body.size(), upTo + kStep);
            const std::string_view written(buffer, stripper.StripTo(upTo));
            if (headline == std::string_view::npos) {
                headline = FindText(written, kHeadline, searched);
                if (headline == std::string_view::npos && written.size() >= kHeadline.size())
                    searched = written.size() - kHeadline.size() + 1;
                quoteSearched = headline;
            }
            if (headline != std::string_view::npos) {
                const std::size_t quote = FindByte(written, '"', quoteSearched);
                if (quote != std::string_view::npos) return linkAt(headline, quote);
                quoteSearched = written.size();
            }
            if (stripper.Done()) break;
        }
        const std::string_view all(buffer, stripper.Written());
        const std::string ownNews = Format04("/news?s=%04u&p=", code);
        for (std::string_view prefix : {std::string_view(ownNews), paidNewsPrefix}) {
            if (prefix.empty()) continue;
            const std::size_t start = FindText(all, prefix);
            if (start == std::string_view::npos) continue;
            const std::size_t quote = FindByte(all, '"', start);
            if (quote == std::string_view::npos) continue;
            return linkAt(start, quote);
        }
    } catch (const std::bad_alloc&) {
    }
    return 0;
}

std::uint32_t CheckBoard(FetchContext& context) {
    if (context.stock == nullptr || !Download(context.stock->boardUrl, context.response, context.log)) return 0;
    return BoardIdFromPage(context.response);
}

std::uint32_t CheckNews(FetchContext& context, const std::string& paidNewsPrefix) {
    if (context.stock == nullptr || !Download(context.stock->newsUrl, context.response, context.log)) return 0;
    return NewsIdFromPage(context.response, context.stock->code, paidNewsPrefix);
}

// The workers' checks read the stock and write nothing into it: no copy of it is made.
std::uint32_t CheckBoard(const CStock& stock, ThreadLog& log) {
    std::string page;
    if (!Download(stock.boardUrl, page, &log)) return 0;
    return BoardIdFromPage(page);
}

std::uint32_t CheckNews(const CStock& stock, ThreadLog& log) {
    std::string page;
    if (!Download(stock.newsUrl, page, &log)) return 0;
    return NewsIdFromPage(page, stock.code, DefaultPaidNewsPrefix());
}

bool TakeOverBoardId(std::uint32_t found, std::uint32_t& lastBoardId, std::uint8_t& newMarks) {
    if (found == 0 || found == lastBoardId) return false;
    lastBoardId = found;
    newMarks |= kNewBoardMark;
    return true;
}

bool TakeOverNewsId(std::uint32_t found, std::uint32_t& lastNewsId, std::uint8_t& newMarks) {
    if (found == 0 || found == lastNewsId) return false;
    lastNewsId = found;
    newMarks |= kNewNewsMark;
    return true;
}

bool ClearNewMarks(std::uint8_t& newMarks, std::uint8_t marks) {
    const bool wasSet = (newMarks & marks) != 0;
    newMarks = static_cast<std::uint8_t>(newMarks & ~marks);
    return wasSet;
}

}  // namespace quotrix
