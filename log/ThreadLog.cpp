// Placeholder bodies until the log files are written; the interface above is final.
#include "log/ThreadLog.h"

namespace quotrix {

void ThreadLog::Append(int, const char*, ...) {}
void ThreadLog::Trim() {}

}  // namespace quotrix
