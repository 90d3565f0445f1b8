// What the log needs from the system: its files, the temporary folder and the text of the last
// system error. Paths are Shift-JIS, as every text in memory.
//
// Threads: every function may be called from any thread. Nothing here logs (the log calls it).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace quotrix {

// The separator between folders of a path: "\\" on Windows, "/" on Linux.
#if defined(_WIN32)
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Opens `path` for appending bytes as they are (created when missing), shared for reading and
// writing by other processes. Null on failure.
std::FILE* OpenLogForAppend(const std::string& path);
// Creates `path` anew (an old file is truncated), shared for reading. Null on failure.
std::FILE* CreateLogFile(const std::string& path);
// Opens `path` for reading, shared for reading, and gives its size; false when either fails.
bool QueryLogFileSize(const std::string& path, std::uint64_t& size);

// The system's temporary folder with a trailing separator ($TMPDIR or /tmp on Linux,
// GetTempPathW on Windows). False (and the system error set) when it cannot be read.
bool GetTempFolder(std::string& folder);

// The calling thread's last system error (errno on Linux, GetLastError on Windows).
int LastSystemError();
// The system's text for an error in the user's language, without a trailing line end; empty
// when the system has none.
std::string SystemErrorText(int error);

}  // namespace quotrix
