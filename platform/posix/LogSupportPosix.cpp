#include <errno.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "platform/LogSupport.h"
#include "platform/TextCodec.h"

namespace quotrix {

namespace {
// Paths are Shift-JIS in memory and UTF-8 in the Linux file system.
std::string NativePath(const std::string& path) { return SjisToUtf8(path); }
}  // namespace

std::FILE* OpenLogForAppend(const std::string& path) {
    if (path.empty()) return nullptr;
    return std::fopen(NativePath(path).c_str(), "ab");
}

std::FILE* CreateLogFile(const std::string& path) {
    if (path.empty()) return nullptr;
    return std::fopen(NativePath(path).c_str(), "wb");
}

bool QueryLogFileSize(const std::string& path, std::uint64_t& size) {
    if (path.empty()) return false;
    std::FILE* f = std::fopen(NativePath(path).c_str(), "rb");
    if (!f) return false;
    struct stat st;
    const bool known = fstat(fileno(f), &st) == 0;
    std::fclose(f);
    if (!known) return false;
    size = static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool GetTempFolder(std::string& folder) {
    const char* dir = std::getenv("TMPDIR");
    std::string utf8 = dir && *dir ? dir : "/tmp";
    if (utf8.back() != '/') utf8 += '/';
    folder = Utf8ToSjis(utf8);
    return true;
}

int LastSystemError() { return errno; }

std::string SystemErrorText(int error) {
    char buffer[256];
    // The GNU strerror_r returns its text, which may or may not be in the buffer.
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
    const char* text = strerror_r(error, buffer, sizeof buffer);
#else
    const char* text = strerror_r(error, buffer, sizeof buffer) == 0 ? buffer : "";
#endif
    return text ? Utf8ToSjis(text) : std::string();
}

}  // namespace quotrix
