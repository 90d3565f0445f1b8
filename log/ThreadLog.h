// A worker's private log: lines collect in memory without locks and reach the log file only
// when the worker's outcome makes them interesting (the main thread flushes them).
//
// Threads: owned by one worker at a time; no locking.
#pragma once

#include <cstdint>
#include <string>

#include "log/ErrLog.h"

namespace quotrix {

class ThreadLog {
  public:
    explicit ThreadLog(std::uint8_t level = 0) : level(level) {}

    // Appends one line (same format as the log file) when `level` admits it, then trims.
    void Append(int lineLevel, const char* format, ...) QUOTRIX_PRINTF(3, 4);
    // Drops the oldest whole lines so that at most 7000 bytes remain.
    void Trim();
    // The main thread's copy of a worker's lines: appends them to the stock's update log
    // (trimmed to the same 7000 bytes) and writes them to `file`. The text is left as it was.
    void Flush(std::string& updateLog, CErrLog& file) const;

    std::string text;  // Shift-JIS lines ending in CR LF
    std::uint8_t level;
};

// The most a ThreadLog or a stock's update log keeps, in bytes.
inline constexpr std::size_t kThreadLogLimit = 7000;

// Drops the oldest lines of `text` so that at most `limit` bytes remain, cutting just behind a
// CR LF. A text without such a CR LF is left as it is.
void TrimLogText(std::string& text, std::size_t limit = kThreadLogLimit);

}  // namespace quotrix
