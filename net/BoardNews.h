// The message-board and news checks: each page is reduced to one 32-bit id of its newest item
// (the board's newest message number, a hash of the newest news link), which the main thread
// compares with the id it saw last time.
//
// Threads: the checks run on an update worker after a successful quote read and touch only
// their FetchContext; the take-over functions belong to the main thread's merge. Page bytes are
// untrusted.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/Stock.h"
#include "net/QuotePage.h"

namespace quotrix {

// The start of the paid news service's article links: its host and "/vip/news/".
std::string DefaultPaidNewsPrefix();

// Downloads the stock's board page into the context's response (the caller holds a place in the
// Internet session) and returns the newest message number, 0 when there is none.
std::uint32_t CheckBoard(FetchContext& context);
// Downloads the stock's news page and returns the hash of its newest news link, 0 when none.
std::uint32_t CheckNews(FetchContext& context, const std::string& paidNewsPrefix = DefaultPaidNewsPrefix());
// The same for the update engine's workers, which hold a stock copy and its log.
std::uint32_t CheckBoard(const CStock& stock, ThreadLog& log);
std::uint32_t CheckNews(const CStock& stock, ThreadLog& log);

// The reading halves, without the network.
std::uint32_t BoardIdFromPage(std::string_view body);
std::uint32_t NewsIdFromPage(std::string_view body, std::uint32_t code, std::string_view paidNewsPrefix);
std::uint32_t NewsLinkHash(std::string_view link);

// The merge's rules: a non-zero id that differs from the last one seen replaces it and sets the
// stock's new mark (`lastBoardId` / bit 0 and `lastNewsId` / bit 1 of `newMarks`); a zero id
// changes nothing. True when the mark was set.
bool TakeOverBoardId(std::uint32_t found, std::uint32_t& lastBoardId, std::uint8_t& newMarks);
bool TakeOverNewsId(std::uint32_t found, std::uint32_t& lastNewsId, std::uint8_t& newMarks);

inline constexpr std::uint8_t kNewBoardMark = 1;
inline constexpr std::uint8_t kNewNewsMark = 2;

// Clears the given marks; true when one of them was set (the icon then needs a redraw).
bool ClearNewMarks(std::uint8_t& newMarks, std::uint8_t marks);

}  // namespace quotrix
