#include "net/QuotePage.h"

#include <algorithm>
#include <charconv>
#include <cinttypes>
#include <cstring>
#include <new>

#include "model/Price.h"
#include "net/CurrentQuotePage.h"
#include "net/Html.h"
#include "net/InetSession.h"
#include "net/JapaneseText.h"
#include "net/PageLog.h"
#include "net/QuotePageScan.h"
#include "net/TextFind.h"
#include "platform/TextCodec.h"

namespace quotrix {

namespace {

using View = std::u16string_view;
constexpr std::size_t npos = View::npos;
constexpr View kNumberChars = u"0123456789,.+-";

// A "株価" this close behind the quote time belongs to the price; farther away it is some other
// figure and the price is the first <SPAN behind the time.
constexpr std::size_t kPriceLabelReach = 150;

enum class Form { Price, Count, Ratio };

struct LabeledValue {
    std::uint32_t flag;
    View label;
    Form form;
    bool required;
    PriceValue CBasicStock::*price;
    std::uint32_t CBasicStock::*count;
    double CBasicStock::*ratio;
};

// In the order the values are read.
const LabeledValue kLabeledValues[] = {
    {PARSE_PREV_CLOSE, u"前日終値", Form::Price, true, &CBasicStock::prevClose, nullptr, nullptr},
    {PARSE_VOLUME, u"出来高", Form::Count, false, nullptr, &CBasicStock::volume, nullptr},
    {PARSE_OPEN, u"始値", Form::Price, true, &CBasicStock::open, nullptr, nullptr},
    {PARSE_HIGH, u"高値", Form::Price, true, &CBasicStock::high, nullptr, nullptr},
    {PARSE_LOW, u"安値", Form::Price, true, &CBasicStock::low, nullptr, nullptr},
    {PARSE_YIELD, u"配当利回り", Form::Ratio, false, nullptr, nullptr, &CBasicStock::dividendYield},
    {PARSE_PER, u"株価収益率", Form::Ratio, false, nullptr, nullptr, &CBasicStock::per},
    {PARSE_EPS, u"株利益", Form::Price, false, &CBasicStock::eps, nullptr, nullptr},
    {PARSE_PBR, u"純資産倍率", Form::Ratio, false, nullptr, nullptr, &CBasicStock::pbr},
};

bool IsTimeChar(char16_t c) { return (c >= u'0' && c <= u'9') || c == u':' || c == u'/'; }

// A share count: blanks, a sign, digits. Counts do not go negative and saturate rather than
// wrap, so a hostile page cannot turn a huge number into a small one.
std::uint32_t ParseCount(View text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    std::uint64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + static_cast<std::uint64_t>(text[i] - u'0');
        if (value > UINT32_MAX) value = UINT32_MAX;
    }
    return negative ? 0 : static_cast<std::uint32_t>(value);
}

// A decimal number with optional fraction and exponent; 0.0 when there is none.
double ParseRatio(View text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    char narrow[64];
    std::size_t n = 0;
    for (; i < text.size() && n < sizeof narrow; ++i) {
        const char16_t c = text[i];
        if (!((c >= u'0' && c <= u'9') || c == u'.' || c == u'e' || c == u'E' || c == u'+' || c == u'-')) break;
        narrow[n++] = static_cast<char>(c);
    }
    double value = 0.0;
    if (std::from_chars(narrow, narrow + n, value).ec != std::errc()) return 0.0;
    return negative ? -value : value;
}

std::u16string WithoutCommas(View text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text)
        if (c != u',') out += c;
    return out;
}

// The price block behind `label`: the quote time behind its <STRONG>, then the number behind
// the next <SPAN>. The time is stored only once the price has been read.
bool ReadPriceBlock(View page, std::size_t from, View label, bool usePriceLabel, CStock& stock) {
    std::size_t p = FindText(page, label, from);
    if (p == npos) return false;
    p = FindText(page, u"<STRONG", p);
    if (p == npos) return false;
    p = page.find(u'>', p);
    if (p == npos) return false;
    const std::size_t timePoint = p + 1;
    std::size_t timeStart = timePoint;
    while (timeStart < page.size() && page[timeStart] == u' ') ++timeStart;
    std::size_t timeEnd = timeStart;
    while (timeEnd < page.size() && IsTimeChar(page[timeEnd])) ++timeEnd;

    std::size_t spanFrom = timePoint;
    if (usePriceLabel) {
        const std::size_t k = FindText(page, u"株価", timePoint);
        if (k != npos && k - timePoint < kPriceLabelReach) spanFrom = k;
    }
    std::size_t span = FindText(page, u"<SPAN", spanFrom);
    if (span == npos) return false;
    span = page.find(u'>', span);
    if (span == npos) return false;
    stock.price = ParsePrice(page.data() + span + 1, page.size() - span - 1);
    stock.updateTime.assign(page.begin() + timeStart, page.begin() + timeEnd);
    return true;
}

}  // namespace

std::uint32_t ParseMaskFor(const CStock& stock) {
    std::uint32_t mask = (stock.status & kNamePending) ? std::uint32_t{PARSE_NAME} : 0u;
    if (stock.market == MARKET_CURRENCY) return mask | PARSE_PRICE;
    if (stock.market == MARKET_UNKNOWN) return mask | PARSE_CHANGE | PARSE_FUND_PRICE;
    return mask | 0x1FF6;
}

DivList CollectDivs(View text, std::size_t from) {
    DivList list;
    ForwardFinder<char16_t> opens(text, u"<DIV");
    ForwardFinder<char16_t> tagEnds(text, u">");
    ForwardFinder<char16_t> divs(text, u"DIV");
    std::size_t open = opens.Find(from);
    while (open != npos) {
        const std::size_t tagEnd = tagEnds.Find(open + 4);
        if (tagEnd == npos) break;
        const std::size_t content = tagEnd + 1;
        std::size_t next = npos;
        for (std::size_t look = content;;) {
            const std::size_t d = divs.Find(look);
            if (d == npos) return list;
            const char16_t before = text[d - 1];  // d > tagEnd >= 0
            if (before == u'<' && d - 1 >= content) {
                next = d - 1;  // a nested DIV: the outer one is dropped
                break;
            }
            if (before == u'/' && d - 1 >= content) {
                std::size_t end = d - 1;
                if (end > content && text[end - 1] == u'<') --end;
                list.push_back(text.substr(content, end - content));
                next = opens.Find(content);
                break;
            }
            look = d + 1;
        }
        open = next;
    }
    return list;
}

bool FindLabeledValue(View label, View& value, DivList& list) {
    for (auto it = list.begin(); it != list.end(); ++it) {
        const std::size_t title = FindText(*it, u"\"TITLE\">");
        if (title == npos || FindText(*it, label, title) == npos) continue;
        const View entry = *it;
        list.erase(it);
        const std::size_t strong = entry.find(u"<STRONG");
        if (strong == npos) return false;
        const std::size_t first = entry.find_first_of(kNumberChars, strong);
        if (first == npos) return false;
        const std::size_t end = entry.find_first_not_of(kNumberChars, first);
        if (end == npos) return false;
        value = entry.substr(first, end - first);
        return true;
    }
    return false;
}

bool ParseQuotePage(FetchContext& context, char16_t* text, std::size_t length, std::uint32_t mask) {
    PageLog(context.log, LOG_DTL, "Buffer: 0x%08" PRIXPTR " / %d bytes / Parse Flags: 0x%08X",
            reinterpret_cast<std::uintptr_t>(text), static_cast<int>(length), mask);
    if (text == nullptr || context.stock == nullptr) {
        PageLog(context.log, LOG_ERR, "Invalid buffer");
        return false;
    }
    CStock& stock = *context.stock;
    const View page(text, NormalizePageText(text, length));

    std::size_t start = FindText(page, u"<!--MAIN START-->");
    if (start == npos) start = FindText(page, u"<DIV ID=\"CONTENTS-BODY\">");
    if (start == npos) return false;

    std::size_t anchor;
    if (stock.codeText == "998405") {
        anchor = FindText(page, u"TOPIX", start);
    } else if (stock.codeText == "998407") {
        anchor = FindText(page, u"日経平均", start);
    } else {
        // Without a code text any "】" would do, and the name would be someone else's.
        if (stock.codeText.empty()) return false;
        const std::u16string key = ToUtf16(CodePage::Sjis, stock.codeText) + u"】";
        anchor = FindText(page, key, start);
        if (anchor != npos) anchor += key.size();
    }
    if (anchor == npos) return false;

    std::size_t position = anchor;
    if (mask & PARSE_NAME) {
        const std::size_t cut = page.find(u'<', anchor);
        if (cut == npos) return false;
        const std::size_t tagEnd = page.find(u'>', cut);
        if (tagEnd == npos) return false;
        FromUtf16(CodePage::Sjis, page.substr(anchor, cut - anchor), stock.name);
        position = tagEnd + 1;
        PageLog(context.log, LOG_INT, "Parse success / Name: %s", stock.name.c_str());
    }

    constexpr std::uint32_t kLabeledFlags = 0x1FF0;
    DivList divs = (mask & kLabeledFlags) ? CollectDivs(page, position) : DivList();
    // Only an entry with a title can answer a label, and only an answer removes an entry: the
    // others (a portal's chrome is full of them) are dropped at once instead of being searched
    // for every label.
    std::erase_if(divs, [](View entry) { return FindText(entry, u"\"TITLE\">") == npos; });

    if (mask & PARSE_PRICE) {
        if (!ReadPriceBlock(page, position, u"現在値", true, stock)) return false;
    } else if (mask & PARSE_FUND_PRICE) {
        if (!ReadPriceBlock(page, position, u"基準価額", false, stock)) return false;
    }

    if (mask & PARSE_CHANGE) {
        std::size_t p = FindText(page, u"前日比", position);
        if (p == npos) return false;
        p = page.find_first_of(kNumberChars, p);
        if (p == npos) return false;
        const std::size_t cut = page.find(u'<', p);
        if (cut == npos) return false;
        stock.change = ParsePrice(page.data() + p, cut - p);
    }

    for (const LabeledValue& item : kLabeledValues) {
        if (!(mask & item.flag)) continue;
        View found;
        const bool ok = FindLabeledValue(item.label, found, divs);
        if (!ok && item.required) return false;
        const std::u16string number = ok ? WithoutCommas(found) : std::u16string();
        switch (item.form) {
            case Form::Price:
                stock.*item.price = ParsePrice(number);
                break;
            case Form::Count:
                stock.*item.count = ParseCount(number);
                break;
            case Form::Ratio:
                stock.*item.ratio = ParseRatio(number);
                break;
        }
    }
    return true;
}

bool ParseQuoteBodyInOrder(FetchContext& context, std::string_view body, std::uint32_t mask, int* decodingIndex) {
    if (decodingIndex != nullptr) *decodingIndex = -1;
    PageLog(context.log, LOG_DTL, "Char type: %s", kPageDecodings[0].name);
    std::string work;
    std::u16string text;
    try {
        text.reserve(body.size() + 1);
    } catch (const std::bad_alloc&) {
        PageLog(context.log, LOG_ERR, "Memory allocation failure. %d bytes", static_cast<int>(body.size()));
        return false;
    }
    try {
        for (std::size_t i = 0; i < kPageDecodings.size(); ++i) {
            if (!DecodePage(kPageDecodings[i], body, work, text, context.log)) continue;
            if (ParseQuotePage(context, text.data(), text.size(), mask)) {
                if (decodingIndex != nullptr) *decodingIndex = static_cast<int>(i);
                return true;
            }
        }
        // The site's current pages carry their values in a JSON state object instead of the
        // marked-up blocks; they are read when no decoding found the markers.
        if (context.stock != nullptr && HasPreloadedState(body) &&
            ParseCurrentQuotePage(body, *context.stock, mask, context.log, StateReader::Dom)) {
            PageLog(context.log, LOG_DTL, "Parse: current page");
            if (decodingIndex != nullptr) *decodingIndex = kCurrentPageReader;
            return true;
        }
    } catch (const std::bad_alloc&) {
        PageLog(context.log, LOG_ERR, "Memory allocation failure. %d bytes", static_cast<int>(body.size() * 2));
    }
    return false;
}

std::u16string RequiredCharacters(const CStock& stock, std::uint32_t mask) {
    std::u16string all;
    if (stock.codeText == "998407") {
        all += u"日経平均";
    } else if (stock.codeText != "998405") {
        // Code texts are digits, letters and a few signs, which every code page keeps as they are
        // and which are left out below anyway: only a text with other bytes needs converting.
        const bool plain = std::all_of(stock.codeText.begin(), stock.codeText.end(), [](char c) {
            const auto b = static_cast<unsigned char>(c);
            return b >= 0x20 && b < 0x7E && b != '\\';
        });
        if (!plain) all += ToUtf16(CodePage::Sjis, stock.codeText);
        all += u"】";
    }
    if (mask & PARSE_PRICE)
        all += u"現在値";
    else if (mask & PARSE_FUND_PRICE)
        all += u"基準価額";
    if (mask & PARSE_CHANGE) all += u"前日比";
    std::u16string wanted;
    for (char16_t c : all)
        if (c >= 0x80 && wanted.find(c) == std::u16string::npos) wanted += c;
    return wanted;
}

namespace {

// Which of the six decodings can possibly parse. Every rule below holds for any bytes and any
// mask (the differential fuzz target compares this reading with the one in order):
// - UTF-8, Shift-JIS, and EUC-JP turned into Shift-JIS keep ASCII bytes as they are and never
//   make ASCII from other bytes (an EUC pair's trail may become a letter, but always behind a
//   non-ASCII lead, while both markers begin with "<"); so without a marker in the raw bytes none
//   of them finds one. ISO-2022-JP without an escape byte is the page itself up to its first zero
//   byte, so the same holds.
// - A text the page needs outside ASCII (its anchor, the labels the mask requires) comes in
//   UTF-8 only from its UTF-8 bytes, and in UTF-7 only from base-64 runs behind a "+" (a run of
//   fewer than three digits holds less than one character); a UTF-7 page without "+" keeps ASCII
//   as it is.
// - "ASCII" reads the same bytes through the same code page as "SJIS", and EUC or JIS without
//   anything to convert gives the page itself: they yield the same text and the same answer as
//   the attempt before them.
// All of these come from one pass over the bytes (PageLook), which also finds where the state
// object's marker begins, so that the state reader does not search the page again.
class PageFacts {
  public:
    PageFacts(std::string_view body, std::u16string_view wanted) : body_(body), wanted_(wanted), look_(body, wanted) {}

    bool MayParse(PageEncoding code) {
        const bool marker = look_.MayHoldMarker();
        switch (code) {
            case ENC_UTF8:
                return marker && Utf8MayHold(body_, wanted_);
            case ENC_UTF7:
                if (!marker && !look_.HoldsPlus()) return false;
                return look_.Utf7MayHold();
            case ENC_SJIS:
                return marker;
            case ENC_EUC:
                return marker && (HoldsHighByte() || Holds('\0'));
            case ENC_JIS:
                return look_.HoldsEscape() || (marker && Holds('\0'));
            case ENC_ASCII:
                return false;
        }
        return true;
    }

    // Where the state marker first begins (npos: nowhere), from the same look.
    std::size_t StateMarker() { return look_.StateMarker(); }

  private:
    bool Holds(char c) const { return FindByte(body_, c) != std::string_view::npos; }
    bool HoldsHighByte() const {
        std::size_t i = 0;
        for (; i + 8 <= body_.size(); i += 8) {
            std::uint64_t word;
            std::memcpy(&word, body_.data() + i, 8);
            if (word & 0x8080808080808080ull) return true;
        }
        for (; i < body_.size(); ++i)
            if (static_cast<unsigned char>(body_[i]) >= 0x80) return true;
        return false;
    }

    std::string_view body_;
    std::u16string_view wanted_;
    PageLook look_;
};

}  // namespace

bool ParseQuoteBody(FetchContext& context, std::string_view body, std::uint32_t mask, int* decodingIndex) {
    // With detail lines wanted the log shows every attempt, so every attempt is made.
    if ((context.log != nullptr && context.log->level >= LOG_DTL) || context.stock == nullptr)
        return ParseQuoteBodyInOrder(context, body, mask, decodingIndex);
    if (decodingIndex != nullptr) *decodingIndex = -1;
    try {
        const std::u16string wanted = RequiredCharacters(*context.stock, mask);
        PageFacts facts(body, wanted);
        std::string work;
        std::u16string text;
        for (std::size_t i = 0; i < kPageDecodings.size(); ++i) {
            if (!facts.MayParse(kPageDecodings[i].code)) continue;
            if (!DecodePage(kPageDecodings[i], body, work, text, context.log)) continue;
            if (ParseQuotePage(context, text.data(), text.size(), mask)) {
                if (decodingIndex != nullptr) *decodingIndex = static_cast<int>(i);
                return true;
            }
        }
        if (ParseCurrentQuotePageAt(body, facts.StateMarker(), *context.stock, mask, context.log)) {
            PageLog(context.log, LOG_DTL, "Parse: current page");
            if (decodingIndex != nullptr) *decodingIndex = kCurrentPageReader;
            return true;
        }
    } catch (const std::bad_alloc&) {
        PageLog(context.log, LOG_ERR, "Memory allocation failure. %d bytes", static_cast<int>(body.size() * 2));
    }
    return false;
}

bool FetchQuote(FetchContext& context, std::uint32_t mask) {
    if (context.stock == nullptr) return false;
    std::string body;
    try {
        if (!DownloadUrl(context.stock->quoteUrl, body, context.log) || body.empty()) return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return ParseQuoteBody(context, body, mask);
}

}  // namespace quotrix
