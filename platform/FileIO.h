// File access where Win32 and POSIX differ: binary files, copies that never overwrite by
// accident, and a durable atomic replace.
//
// Paths are Shift-JIS (converted to UTF-16 for the W functions on Windows). Failures are
// reported as false / empty results; LastFileError() tells the system's error code of the last
// failure on this thread (errno or GetLastError). Every object belongs to one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace quotrix::fileio {

enum class OpenMode {
    Read,           // existing file, shared for reading and writing by others
    CreateNew,      // a new file; fails when the name exists
    WriteExisting,  // an existing file, not truncated; other writers are refused on Windows
};

class File {
  public:
    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File() { Close(); }

    bool Open(const std::string& path, OpenMode mode);
    bool IsOpen() const { return handle_ != kClosed; }
    // Reads up to `size` bytes; returns how many were read (fewer only at the end or on an error).
    std::size_t Read(void* buffer, std::size_t size);
    bool Failed() const { return failed_; }  // a read error happened (not the end of the file)
    bool Write(const void* data, std::size_t size);
    // Flushes the file's data to the disk (fsync / FlushFileBuffers).
    bool Sync();
    std::optional<std::uint64_t> Size();
    bool Close();

  private:
    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t handle_ = kClosed;  // file descriptor or HANDLE
    bool failed_ = false;
};

bool Exists(const std::string& path);  // a file or a folder
bool IsDirectory(const std::string& path);
// Copies a file; with `overwrite` false an existing target makes it fail and stay untouched.
bool Copy(const std::string& from, const std::string& to, bool overwrite);
bool Remove(const std::string& path);
// Puts `source` in the place of `target` in one step (the target holds either its old content or
// all of the new) and makes the rename durable. Both must be on the same volume.
bool ReplaceAtomically(const std::string& source, const std::string& target);
// The path a link points to, else the path itself, so that a replace writes where the user's
// file really is.
std::string ResolveLinks(const std::string& path);

int LastFileError();

}  // namespace quotrix::fileio
