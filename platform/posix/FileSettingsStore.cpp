#include "platform/posix/FileSettingsStore.h"

#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/SettingsStores.h"
#include "platform/TextCodec.h"

namespace quotrix {

namespace {

// A settings file is a few kilobytes; anything this large is not one of ours.
constexpr off_t kMaxFileSize = 16 * 1024 * 1024;

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// mkdir -p, new folders private to the user.
bool MakeFolders(const std::string& folder) {
    struct stat st;
    if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const std::string parent = FolderOf(folder);
    if (parent != folder && !MakeFolders(parent)) return false;
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

class FileLock {
  public:
    explicit FileLock(const std::string& path) : fd_(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (fd_ >= 0) {
            while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FileLock() {
        if (fd_ >= 0) close(fd_);  // also releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return fd_ >= 0; }

  private:
    int fd_;
};

}  // namespace

FileSettingsStore::FileSettingsStore(std::string path) : path_(std::move(path)) {}

bool FileSettingsStore::Load(SettingsData& data, Stamp& stamp) const {
    data = SettingsData();
    stamp = Stamp();
    const int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileSize) {
        close(fd);
        return false;
    }
    std::string text(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = read(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    close(fd);
    text.resize(done);
    ParseSettingsText(text, data);
    stamp.exists = true;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return true;
}

void FileSettingsStore::Refresh() {
    if (path_.empty()) return;
    struct stat st;
    Stamp now;
    if (stat(path_.c_str(), &st) == 0) {
        now.exists = true;
        now.device = st.st_dev;
        now.inode = st.st_ino;
        now.size = st.st_size;
        now.mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    }
    if (now == stamp_ && !stale_) return;
    SettingsData data;
    Stamp stamp;
    if (!Load(data, stamp)) {
        // Keep what was read last, unless it holds values that never reached the file.
        if (!stale_) return;
        data = SettingsData();
        stamp = now;
    }
    for (const Change& change : pending_) data.Set(change.section, change.key, change.value);
    data_ = std::move(data);
    stamp_ = stamp;
    stale_ = false;
}

bool FileSettingsStore::Commit() {
    std::vector<Change> changes;
    changes.swap(pending_);
    // Until the file holds them, the changes must not read as stored.
    stale_ = true;
    if (path_.empty() || !MakeFolders(FolderOf(path_))) return false;
    FileLock fileLock(path_ + ".lock");
    if (!fileLock.Held()) return false;

    // Another process may have written since we read: start from the file as it is now.
    SettingsData data;
    Stamp stamp;
    if (!Load(data, stamp)) return false;  // never replace a file we could not read
    for (const Change& change : changes) data.Set(change.section, change.key, change.value);

    const std::string temp = path_ + ".new";
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = fchmod(fd, 0600) == 0 && WriteAll(fd, FormatSettingsText(data)) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temp.c_str(), path_.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    // The rename itself must survive a crash.
    const int dir = open(FolderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    stale_ = !Load(data_, stamp_);
    return true;
}

bool FileSettingsStore::Set(std::string_view section, std::string_view key, SettingsValue value) {
    if (!IsValidSettingsName(section) || !IsValidSettingsName(key)) return false;
    std::lock_guard lock(lock_);
    if (path_.empty()) return false;
    data_.Set(section, key, value);
    pending_.push_back({std::string(section), std::string(key), std::move(value)});
    return batchDepth_ > 0 || Commit();
}

std::uint32_t FileSettingsStore::GetInt(std::string_view section, std::string_view key, std::uint32_t defaultValue) {
    std::lock_guard lock(lock_);
    Refresh();
    const SettingsValue* value = data_.Find(section, key);
    const auto* number = value ? std::get_if<std::uint32_t>(value) : nullptr;
    return number ? *number : defaultValue;
}

std::string FileSettingsStore::GetString(std::string_view section, std::string_view key,
                                         const std::string& defaultValue) {
    std::lock_guard lock(lock_);
    Refresh();
    const SettingsValue* value = data_.Find(section, key);
    const auto* text = value ? std::get_if<std::string>(value) : nullptr;
    return text ? *text : defaultValue;
}

bool FileSettingsStore::SetInt(std::string_view section, std::string_view key, std::uint32_t value) {
    return Set(section, key, value);
}

bool FileSettingsStore::SetString(std::string_view section, std::string_view key, const std::string& value) {
    return Set(section, key, value);
}

void FileSettingsStore::BeginBatch() {
    std::lock_guard lock(lock_);
    ++batchDepth_;
}

bool FileSettingsStore::EndBatch() {
    std::lock_guard lock(lock_);
    if (batchDepth_ == 0) return true;
    if (--batchDepth_ > 0 || pending_.empty()) return true;
    return Commit();
}

SettingsData FileSettingsStore::Snapshot() {
    std::lock_guard lock(lock_);
    Refresh();
    return data_;
}

std::string UserSettingsFilePath(std::string_view product) {
    std::string config;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') {
        config = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || home[0] != '/') {
            const passwd* pw = getpwuid(getuid());
            home = pw ? pw->pw_dir : nullptr;
        }
        if (!home || home[0] != '/') return {};
        config = std::string(home) + "/.config";
    }
    if (config.size() > 1 && config.back() == '/') config.pop_back();
    return config + "/" + std::string(product) + "/settings.ini";
}

std::unique_ptr<SettingsStore> CreateUserSettingsStore(std::string_view company, std::string_view product) {
    return std::make_unique<FileSettingsStore>(UserSettingsFilePath(product));
}

std::string UserSettingsLocation(std::string_view company, std::string_view product) {
    return Utf8ToSjis(UserSettingsFilePath(product));
}

std::string ProtectSecret(const std::string& plain) { return plain; }

bool UnprotectSecret(const std::string& stored, std::string& plain) {
    // A value written by the Windows program cannot be opened here.
    if (stored.starts_with(kProtectedPrefix)) return false;
    plain = stored;
    return true;
}

}  // namespace quotrix
