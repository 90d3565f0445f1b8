// The quote server's pages, written as the quote site writes them: the detail page (current and
// older address), the message board, the news list, the stock search, and the release file.
//
// Every generator returns UTF-8 text; EncodePage turns it into the page's character set. The
// markers the program's readers look for are kept exactly; everything around them is the kind of
// chrome a portal page carries. Pure functions; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Instruments.h"

namespace quotesrv {

enum class Encoding { Utf8, Sjis, Euc, Jis };

// "utf8", "sjis", "euc", "jis" (also "utf-8", "shift_jis", "euc-jp", "iso-2022-jp").
bool ParseEncoding(const std::string& text, Encoding& encoding);
const char* EncodingName(Encoding encoding);  // "utf8" ...
const char* CharsetName(Encoding encoding);   // "UTF-8", "Shift_JIS", "EUC-JP", "ISO-2022-JP"
// UTF-8 to the encoding; characters it lacks become "?".
std::string EncodePage(const std::string& utf8, Encoding encoding);

struct PageContext {
    Encoding encoding = Encoding::Utf8;
    std::string time;                                                   // "15:00", the time of the quote
    std::string date;                                                   // "06/14"
    const std::vector<std::unique_ptr<Instrument>>* ranking = nullptr;  // the side column's list
    std::size_t minimumBytes = 0;  // pad the page (in a comment block) to at least this size
    // Today's quote page is brought up to this size the way the site's pages are big: chrome
    // around the main block (about three quarters, in front of the state) and a state object
    // that carries much more than the quote (the rest).
    std::size_t currentPageBytes = 0;
};

std::string DetailPage(const Quote& quote, const PageContext& context);
// Today's quote page ("/quote/7203.T"): server-rendered markup with generated class names and the
// page's whole state as JSON in window.__PRELOADED_STATE__. Always UTF-8, as the site sends it.
std::string CurrentQuotePage(const Quote& quote, const PageContext& context);
// The code today's addresses carry: "7203.T", "998407.O", "USDJPY=FX".
std::string CurrentCode(const Instrument& instrument);
std::string OldQuotePage(const Quote& quote, const PageContext& context);
std::string BoardPage(const Quote& quote, const PageContext& context);
std::string NewsPage(const Quote& quote, const PageContext& context);

struct SearchHit {
    const Instrument* instrument = nullptr;
    std::int64_t price = 0;
};
// `pageIndex` 0 is the first page; `total` the number of hits of the whole search.
std::string SearchPage(const std::string& keywordUtf8, const std::vector<SearchHit>& hits, int pageIndex,
                       std::size_t total, std::size_t perPage, const PageContext& context);
std::string NotFoundPage(const std::string& path, const PageContext& context);

// The release file: "major minor>notice" in Shift-JIS.
std::string ReleaseFile(std::uint32_t major, std::uint32_t minor);

}  // namespace quotesrv
