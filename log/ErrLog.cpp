#include "log/ErrLog.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "platform/LogSupport.h"
#include "platform/TextCodec.h"

namespace quotrix {

namespace {

// A line, with its CR LF and the terminating zero, fits in this many bytes.
constexpr std::size_t kLineBuffer = 1024;
// Each part of a log path (drive, folder, name, extension) is at most this long.
constexpr std::size_t kMaxPathPart = 260;

const char* LevelName(int level) {
    switch (level) {
        case LOG_INT:
            return "INT";
        case LOG_DTL:
            return "DTL";
        default:
            return "ERR";
    }
}

bool IsSjisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

bool IsSeparator(char c) {
#if defined(_WIN32)
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

struct PathParts {
    std::string drive, folder, name, extension;
};

// Splits like _splitpath, but aware of Shift-JIS: the trail byte of 表 or ソ is 0x5C, the
// backslash, and must not end a folder.
PathParts SplitPath(const std::string& path) {
    PathParts parts;
    std::size_t start = 0;
#if defined(_WIN32)
    if (path.size() >= 2 && path[1] == ':' && !IsSjisLead(static_cast<unsigned char>(path[0]))) {
        parts.drive = path.substr(0, 2);
        start = 2;
    }
#endif
    std::size_t nameStart = start;
    std::size_t lastDot = std::string::npos;
    for (std::size_t i = start; i < path.size(); ++i) {
        const char c = path[i];
        if (IsSjisLead(static_cast<unsigned char>(c)) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (IsSeparator(c)) {
            nameStart = i + 1;
            lastDot = std::string::npos;
        } else if (c == '.') {
            lastDot = i;
        }
    }
    parts.folder = path.substr(start, nameStart - start);
    if (lastDot == std::string::npos) {
        parts.name = path.substr(nameStart);
    } else {
        parts.name = path.substr(nameStart, lastDot - nameStart);
        parts.extension = path.substr(lastDot);
    }
    return parts;
}

void LocalNow(std::tm& tm, int& millisecond) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    millisecond =
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
#if defined(_WIN32)
    localtime_s(&tm, &seconds);
#else
    localtime_r(&seconds, &tm);
#endif
}

}  // namespace

int NormalizeLogLevel(int level) { return level >= 1 && level <= 3 ? level : 1; }

const std::string& LogRotationBlock() {
    static const std::string block = [] {
        const std::string rule(51, '-');
        return rule + "\r\n" + Utf8ToSjis("ファイルを更新しました。") + "\r\n" + rule + "\r\n";
    }();
    return block;
}

bool FormatLogLine(std::string& line, int level, const char* format, std::va_list args) {
    std::tm tm{};
    int millisecond = 0;
    LocalNow(tm, millisecond);
    char buffer[kLineBuffer];
    const int prefix =
        std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d %02d:%02d:%02d.%03d %s ", tm.tm_year + 1900, tm.tm_mon + 1,
                      tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, millisecond, LevelName(NormalizeLogLevel(level)));
    if (prefix < 0 || static_cast<std::size_t>(prefix) >= kLineBuffer - 3) return false;
    // The message may fill the buffer up to the CR LF and the terminating zero.
    const std::size_t room = kLineBuffer - 3 - static_cast<std::size_t>(prefix);
    const int message = std::vsnprintf(buffer + prefix, room + 1, format, args);
    if (message < 0 || static_cast<std::size_t>(message) > room) return false;
    line.assign(buffer, static_cast<std::size_t>(prefix + message));
    line += "\r\n";
    return true;
}

void CErrLog::Log(int level, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    LogV(level, format, args);
    va_end(args);
}

void CErrLog::LogV(int level, const char* format, std::va_list args) {
    {
        std::lock_guard lock(lock_);
        if (threshold_ < NormalizeLogLevel(level) || currentPath_.empty()) return;
    }
    std::string line;
    if (FormatLogLine(line, level, format, args)) WriteRaw(line.data(), line.size());
}

void CErrLog::LogLastError(const char* format, ...) {
    // Read first: formatting and locking may change it.
    const int error = LastSystemError();
    {
        std::lock_guard lock(lock_);
        if (threshold_ == 0 || currentPath_.empty()) return;
    }
    char message[kLineBuffer - 2];
    std::va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    if (n < 0) return;
    const std::string text = SystemErrorText(error);
    if (!text.empty()) {
        Log(LOG_ERR, "[%d] %s / %s", error, message, text.c_str());
    } else {
        Log(LOG_ERR, "[%d] %s", error, message);
    }
}

void CErrLog::SetPath(const std::string& fullPath) {
    const PathParts parts = SplitPath(fullPath);
    // A part longer than the system allows cannot name a file: the log stays where it was.
    if (parts.drive.size() > kMaxPathPart || parts.folder.size() > kMaxPathPart || parts.name.size() > kMaxPathPart ||
        parts.extension.size() > kMaxPathPart) {
        return;
    }
    std::lock_guard lock(lock_);
    folder_ = parts.drive + parts.folder;
    if (!folder_.empty() && !IsSeparator(folder_.back())) folder_ += kPathSeparator;
    baseName_ = parts.name.empty() ? "Quotrix" : parts.name;
    extension_ = parts.extension.empty() || parts.extension == "." ? ".log" : parts.extension;
    logPath_ = folder_ + baseName_ + extension_;
    RebuildCurrentPath();
}

void CErrLog::SetLevel(int configuredLevel) {
    static constexpr std::uint8_t kThresholds[] = {0, 1, 1, 1, 2, 3};
    if (configuredLevel < 0 || configuredLevel > 5) configuredLevel = 0;
    std::lock_guard lock(lock_);
    configuredLevel_ = static_cast<std::uint8_t>(configuredLevel);
    threshold_ = kThresholds[configuredLevel];
}

void CErrLog::RebuildCurrentPath() {
    char number[16];
    std::snprintf(number, sizeof number, "%04u", static_cast<unsigned>(currentNumber_));
    currentPath_ = folder_ + baseName_ + number + extension_;
}

bool CErrLog::WriteRaw(const char* bytes, std::size_t length) {
    std::lock_guard lock(lock_);
    if (currentPath_.empty()) return false;
    if (writeCounter_++ > 10) {
        writeCounter_ = 0;
        std::uint64_t size = 0;
        if (QueryLogFileSize(currentPath_, size) && size > maxSize_) {
            currentNumber_ = currentNumber_ + 1 >= fileCount_ ? 0 : currentNumber_ + 1;
            RebuildCurrentPath();
            std::FILE* f = CreateLogFile(currentPath_);
            if (!f) return false;
            const std::string& block = LogRotationBlock();
            bool ok = std::fwrite(block.data(), 1, block.size(), f) == block.size();
            ok = std::fwrite(bytes, 1, length, f) == length && ok;
            return std::fclose(f) == 0 && ok;
        }
    }
    std::FILE* f = OpenLogForAppend(currentPath_);
    if (!f) return false;
    const bool ok = std::fwrite(bytes, 1, length, f) == length;
    return std::fclose(f) == 0 && ok;
}

void CErrLog::SetMaxSize(std::uint32_t bytes) {
    std::lock_guard lock(lock_);
    maxSize_ = bytes;
}

void CErrLog::SetFileCount(std::uint32_t count) {
    std::lock_guard lock(lock_);
    fileCount_ = count == 0 ? 1 : count;
    if (currentNumber_ >= fileCount_) {
        currentNumber_ = 0;
        if (!logPath_.empty()) RebuildCurrentPath();
    }
}

void CErrLog::SetCurrentNumber(std::uint32_t number) {
    std::lock_guard lock(lock_);
    currentNumber_ = number < fileCount_ ? number : 0;
    if (!logPath_.empty()) RebuildCurrentPath();
}

std::uint32_t CErrLog::MaxSize() const {
    std::lock_guard lock(lock_);
    return maxSize_;
}

std::uint32_t CErrLog::FileCount() const {
    std::lock_guard lock(lock_);
    return fileCount_;
}

std::uint32_t CErrLog::CurrentNumber() const {
    std::lock_guard lock(lock_);
    return currentNumber_;
}

int CErrLog::ConfiguredLevel() const {
    std::lock_guard lock(lock_);
    return configuredLevel_;
}

int CErrLog::Threshold() const {
    std::lock_guard lock(lock_);
    return threshold_;
}

std::string CErrLog::LogPath() const {
    std::lock_guard lock(lock_);
    return logPath_;
}

std::string CErrLog::CurrentPath() const {
    std::lock_guard lock(lock_);
    return currentPath_;
}

std::uint8_t CErrLog::ThreadLogLevel() const {
    static constexpr std::uint8_t kLevels[] = {0, 1, 2, 3, 2, 3};
    std::lock_guard lock(lock_);
    return kLevels[configuredLevel_ <= 5 ? configuredLevel_ : 0];
}

bool CErrLog::CopiesWorkerLog(bool failedOutcome) const {
    std::lock_guard lock(lock_);
    if (configuredLevel_ == 0 || configuredLevel_ > 5) return false;
    return configuredLevel_ >= 4 || failedOutcome;
}

CErrLog& AppLog() {
    static CErrLog log;
    return log;
}

}  // namespace quotrix
