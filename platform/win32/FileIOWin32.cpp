// Win32 file access through the W functions.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/FileIO.h"
#include "platform/win32/WinText.h"

namespace quotrix::fileio {

namespace {

thread_local int lastError = 0;

bool Fail() {
    lastError = static_cast<int>(GetLastError());
    return false;
}

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

bool File::Open(const std::string& path, OpenMode mode) {
    Close();
    failed_ = false;
    DWORD access = GENERIC_READ;
    // A reader never stands in the way of a save that replaces the file.
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    DWORD disposition = OPEN_EXISTING;
    if (mode == OpenMode::CreateNew) {
        access = GENERIC_WRITE;
        share = FILE_SHARE_READ;
        disposition = CREATE_NEW;
    } else if (mode == OpenMode::WriteExisting) {
        access = GENERIC_WRITE;
        share = FILE_SHARE_READ;
    }
    HANDLE h = CreateFileW(Wide(path).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Fail();
    handle_ = reinterpret_cast<std::intptr_t>(h);
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
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(AsHandle(handle_), out + done, chunk, &got, nullptr)) {
            failed_ = true;
            Fail();
            break;
        }
        if (got == 0) break;
        done += got;
    }
    return done;
}

bool File::Write(const void* data, std::size_t size) {
    if (!IsOpen()) return false;
    const char* in = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(AsHandle(handle_), in, chunk, &written, nullptr) || written == 0) return Fail();
        in += written;
        size -= written;
    }
    return true;
}

bool File::Sync() {
    if (!IsOpen() || !FlushFileBuffers(AsHandle(handle_))) return Fail();
    return true;
}

std::optional<std::uint64_t> File::Size() {
    LARGE_INTEGER size{};
    if (!IsOpen() || !GetFileSizeEx(AsHandle(handle_), &size)) {
        Fail();
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(size.QuadPart);
}

bool File::Close() {
    if (!IsOpen()) return true;
    HANDLE h = AsHandle(handle_);
    handle_ = kClosed;
    if (!CloseHandle(h)) return Fail();
    return true;
}

bool Exists(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectory(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Copy(const std::string& from, const std::string& to, bool overwrite) {
    const std::wstring target = Wide(to);
    if (!CopyFileW(Wide(from).c_str(), target.c_str(), overwrite ? FALSE : TRUE)) return Fail();
    // The copy takes the attributes along; a read-only copy of a read-only file could not be
    // removed or written over later.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return true;
}

bool Remove(const std::string& path) {
    if (!DeleteFileW(Wide(path).c_str())) return Fail();
    return true;
}

bool ReplaceAtomically(const std::string& source, const std::string& target) {
    // MOVEFILE_WRITE_THROUGH returns only when the move is on the disk. A read-only target is
    // refused (access denied), as writing into it would be.
    if (!MoveFileExW(Wide(source).c_str(), Wide(target).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return Fail();
    return true;
}

std::string ResolveLinks(const std::string& path) { return path; }

int LastFileError() { return lastError; }

}  // namespace quotrix::fileio
