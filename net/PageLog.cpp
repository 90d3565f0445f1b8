#include "net/PageLog.h"

#include <cstdarg>
#include <cstdio>

namespace quotrix {

void PageLog(ThreadLog* log, int level, const char* format, ...) {
    // A parse runs up to six times per stock and check: skip the formatting of lines the
    // request's log would drop anyway.
    if (log != nullptr && log->level < level) return;
    char line[1024];
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (log != nullptr)
        log->Append(level, "%s", line);
    else
        AppLog().Log(level, "%s", line);
}

}  // namespace quotrix
