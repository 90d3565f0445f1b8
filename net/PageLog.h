// Where the page readers write their lines: the request's own log when there is one, else the
// application log. Any thread.
#pragma once

#include "log/ThreadLog.h"

namespace quotrix {

void PageLog(ThreadLog* log, int level, const char* format, ...) QUOTRIX_PRINTF(3, 4);

}  // namespace quotrix
