#include "log/ThreadLog.h"

#include <cstdarg>

namespace quotrix {

void TrimLogText(std::string& text, std::size_t limit) {
    if (text.size() <= limit) return;
    // The first line end at or behind which no more than `limit` bytes follow.
    const std::size_t earliest = text.size() - limit;
    const std::size_t from = earliest >= 2 ? earliest - 2 : 0;
    const std::size_t crlf = text.find("\r\n", from);
    if (crlf == std::string::npos) return;
    text.erase(0, crlf + 2);
}

void ThreadLog::Append(int lineLevel, const char* format, ...) {
    if (level < NormalizeLogLevel(lineLevel)) return;
    std::string line;
    std::va_list args;
    va_start(args, format);
    const bool fits = FormatLogLine(line, lineLevel, format, args);
    va_end(args);
    if (!fits) return;
    text += line;
    Trim();
}

void ThreadLog::Trim() { TrimLogText(text, kThreadLogLimit); }

void ThreadLog::Flush(std::string& updateLog, CErrLog& file) const {
    if (text.empty()) return;
    updateLog += text;
    TrimLogText(updateLog, kThreadLogLimit);
    file.WriteRaw(text.data(), text.size());
}

}  // namespace quotrix
