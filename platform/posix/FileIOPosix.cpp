// POSIX file access. Paths are Shift-JIS in memory and UTF-8 on the Linux file system.
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <vector>

#include "platform/FileIO.h"
#include "platform/TextCodec.h"

namespace quotrix::fileio {

namespace {

thread_local int lastError = 0;

bool Fail() {
    lastError = errno;
    return false;
}

std::string Native(const std::string& path) { return SjisToUtf8(path); }

std::string Folder(const std::string& nativePath) {
    const auto slash = nativePath.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : nativePath.substr(0, slash);
}

// Only regular files: a folder, a pipe or a device would fail later or block a reader for ever.
// O_NONBLOCK keeps the open itself from waiting for a pipe's writer; regular files ignore it.
int OpenRegular(const std::string& nativePath, int flags, mode_t mode = 0666) {
    const int fd = ::open(nativePath.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool File::Open(const std::string& path, OpenMode mode) {
    Close();
    failed_ = false;
    int flags = O_RDONLY;
    if (mode == OpenMode::CreateNew) flags = O_WRONLY | O_CREAT | O_EXCL;
    if (mode == OpenMode::WriteExisting) flags = O_WRONLY;
    const int fd = OpenRegular(Native(path), flags);
    if (fd < 0) return Fail();
    handle_ = fd;
    return true;
}

std::size_t File::Read(void* buffer, std::size_t size) {
    if (!IsOpen()) {
        failed_ = true;
        return 0;
    }
    std::size_t done = 0;
    char* out = static_cast<char*>(buffer);
    while (done < size) {
        const ssize_t n = ::read(static_cast<int>(handle_), out + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            failed_ = true;
            Fail();
            break;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool File::Write(const void* data, std::size_t size) {
    if (!IsOpen()) return false;
    if (!WriteAll(static_cast<int>(handle_), static_cast<const char*>(data), size)) return Fail();
    return true;
}

bool File::Sync() {
    if (!IsOpen()) return false;
    if (::fsync(static_cast<int>(handle_)) != 0) return Fail();
    return true;
}

std::optional<std::uint64_t> File::Size() {
    struct stat st {};
    if (!IsOpen() || ::fstat(static_cast<int>(handle_), &st) != 0) {
        Fail();
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(st.st_size);
}

bool File::Close() {
    if (!IsOpen()) return true;
    const int fd = static_cast<int>(handle_);
    handle_ = kClosed;
    if (::close(fd) != 0) return Fail();
    return true;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(Native(path).c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(Native(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Copy(const std::string& from, const std::string& to, bool overwrite) {
    const int in = OpenRegular(Native(from), O_RDONLY);
    if (in < 0) return Fail();
    struct stat st {};
    ::fstat(in, &st);
    const std::string target = Native(to);
    const int flags = O_WRONLY | O_CREAT | (overwrite ? O_TRUNC : O_EXCL);
    const int out = OpenRegular(target, flags, st.st_mode & 0777);
    if (out < 0) {
        Fail();
        ::close(in);
        return false;
    }
    std::vector<char> buffer(64 * 1024);
    bool ok = true;
    while (true) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || (n > 0 && !WriteAll(out, buffer.data(), static_cast<std::size_t>(n)))) {
            ok = Fail();
            break;
        }
        if (n == 0) break;
    }
    ::close(in);
    if (::close(out) != 0 && ok) ok = Fail();
    // A copy that could not be finished must not stand in for the file later.
    if (!ok && !overwrite) ::unlink(target.c_str());
    return ok;
}

bool Remove(const std::string& path) {
    if (::unlink(Native(path).c_str()) != 0) return Fail();
    return true;
}

bool ReplaceAtomically(const std::string& source, const std::string& target) {
    const std::string from = Native(source);
    const std::string to = Native(target);
    struct stat st {};
    // The new file keeps the access rights of the one it replaces.
    if (::stat(to.c_str(), &st) == 0) ::chmod(from.c_str(), st.st_mode & 07777);
    if (::rename(from.c_str(), to.c_str()) != 0) return Fail();
    // The rename itself is only durable once the folder is on the disk.
    const int dir = ::open(Folder(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

std::string ResolveLinks(const std::string& path) {
    char resolved[PATH_MAX];
    struct stat st {};
    const std::string native = Native(path);
    if (::lstat(native.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    if (::realpath(native.c_str(), resolved) == nullptr) return path;
    return Utf8ToSjis(resolved);
}

int LastFileError() { return lastError; }

}  // namespace quotrix::fileio
