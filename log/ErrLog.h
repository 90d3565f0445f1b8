// The diagnostic log: numbered, rotating text files. One instance serves the whole process
// (AppLog()); every CStockMan carries one more for its own update log.
//
// Threads: Log and WriteRaw may be called from any thread (WriteRaw is serialised); the
// configuration calls (SetPath, SetLevel, ...) belong to the main thread at start-up.
// Failures are silent: logging never stops the program.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <mutex>
#include <string>

#if defined(__GNUC__)
#define QUOTRIX_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define QUOTRIX_PRINTF(fmt, args)
#endif

namespace quotrix {

// Levels of a line: 1 errors ("ERR"), 2 internal events ("INT"), 3 details ("DTL").
enum LogLevel : int { LOG_ERR = 1, LOG_INT = 2, LOG_DTL = 3 };

class CErrLog {
  public:
    CErrLog() = default;
    CErrLog(const CErrLog&) = delete;
    CErrLog& operator=(const CErrLog&) = delete;
    virtual ~CErrLog() = default;

    // Writes one line when the threshold admits `level`.
    void Log(int level, const char* format, ...) QUOTRIX_PRINTF(3, 4);
    // A level-1 line with the last system error (errno / GetLastError) and its text.
    void LogLastError(const char* format, ...) QUOTRIX_PRINTF(2, 3);
    void SetPath(const std::string& fullPath);
    void SetLevel(int configuredLevel);
    // Appends bytes to the current file, rotating when it has grown too large.
    bool WriteRaw(const char* bytes, std::size_t length);

    // Configuration read from the settings (LoadLogSettings) and written back at exit.
    void SetMaxSize(std::uint32_t bytes);
    void SetFileCount(std::uint32_t count);       // at least 1
    void SetCurrentNumber(std::uint32_t number);  // wrapped into the number of files
    std::uint32_t MaxSize() const;
    std::uint32_t FileCount() const;
    std::uint32_t CurrentNumber() const;
    int ConfiguredLevel() const;
    int Threshold() const;
    std::string LogPath() const;      // folder + base + extension, the "LogPath" setting
    std::string CurrentPath() const;  // the file now written
    // The level each worker's ThreadLog gets under the configured level.
    std::uint8_t ThreadLogLevel() const;
    // Whether a worker's ThreadLog is copied into the file: for failed outcomes from level 1,
    // for every outcome from level 4.
    bool CopiesWorkerLog(bool failedOutcome) const;
    // Log with a va_list, for callers that wrap it.
    void LogV(int level, const char* format, std::va_list args);

  protected:
    std::string currentPath_;  // folder + base + four-digit number + extension now written
    std::string logPath_;      // folder + base + extension
    std::string folder_;       // ends with "\\" (or "/") unless empty
    std::string baseName_ = "Quotrix";
    std::string extension_ = ".log";
    std::uint32_t maxSize_ = 512000;  // bytes
    std::uint32_t fileCount_ = 10;
    std::uint32_t currentNumber_ = 0;
    std::uint8_t writeCounter_ = 0;
    std::uint8_t threshold_ = 0;
    std::uint8_t configuredLevel_ = 0;

  private:
    void RebuildCurrentPath();  // callers hold lock_
    mutable std::mutex lock_;   // around the fields above and every file access
};

// The block that opens every rotated file (Shift-JIS).
const std::string& LogRotationBlock();

// Builds the file line "%04d/%02d/%02d %02d:%02d:%02d.%03d %s <message>\r\n" in `line` from the
// local time. Levels 0 and above 3 count as 1. False when the message does not fit the
// 1024-byte line (the line is then not written).
bool FormatLogLine(std::string& line, int level, const char* format, std::va_list args);
// A level outside 1 to 3 is written as 1.
int NormalizeLogLevel(int level);

// The process-wide log.
CErrLog& AppLog();

}  // namespace quotrix
