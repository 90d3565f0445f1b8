// Placeholder bodies until the log files are written; the interface above is final.
#include "log/ErrLog.h"

namespace quotrix {

void CErrLog::Log(int, const char*, ...) {}
void CErrLog::LogLastError(const char*, ...) {}
void CErrLog::SetPath(const std::string& fullPath) { logPath_ = fullPath; }
void CErrLog::SetLevel(int configuredLevel) { configuredLevel_ = static_cast<std::uint8_t>(configuredLevel); }
bool CErrLog::WriteRaw(const char*, std::size_t) { return false; }

CErrLog& AppLog() {
    static CErrLog log;
    return log;
}

}  // namespace quotrix
