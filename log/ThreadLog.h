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

    std::string text;  // Shift-JIS lines ending in CR LF
    std::uint8_t level;
};

}  // namespace quotrix
