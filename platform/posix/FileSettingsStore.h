// The Linux settings store: one INI-like file (settings/SettingsFile.h) per user.
//
// Every write outside a batch, and every batch at its end, reaches the file at once: under an
// advisory lock on "<file>.lock" the file is read again (another process may have changed other
// keys), the changes are applied, and the whole text is written to a new file that is synced
// and renamed over the old one, so a crash leaves either the old or the new file, never a half
// one. Reads notice changes made by other processes. The file and its folder are private to the
// user (0600, 0700): the proxy password is stored in it.
//
// Threads: all members are thread-safe. Paths are the file system's (UTF-8).
#pragma once

#include <sys/types.h>

#include <mutex>
#include <string>
#include <vector>

#include "settings/SettingsFile.h"
#include "settings/SettingsStore.h"

namespace quotrix {

class FileSettingsStore : public SettingsStore {
  public:
    // `path` names the file; its folder is created when a value is first written. An empty
    // path makes a store that reads defaults and refuses writes.
    explicit FileSettingsStore(std::string path);

    std::uint32_t GetInt(std::string_view section, std::string_view key, std::uint32_t defaultValue) override;
    std::string GetString(std::string_view section, std::string_view key, const std::string& defaultValue) override;
    bool SetInt(std::string_view section, std::string_view key, std::uint32_t value) override;
    bool SetString(std::string_view section, std::string_view key, const std::string& value) override;
    void BeginBatch() override;
    bool EndBatch() override;

    const std::string& Path() const { return path_; }
    // Every value, as last read (with this store's unwritten changes).
    SettingsData Snapshot();

  private:
    struct Change {
        std::string section, key;
        SettingsValue value;
    };
    struct Stamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long mtimeNs = 0;
        bool operator==(const Stamp&) const = default;
    };

    bool Set(std::string_view section, std::string_view key, SettingsValue value);
    void Refresh();  // lock_ held
    bool Commit();   // lock_ held
    // Reads the file as it is now; false when it exists but cannot be read whole.
    bool Load(SettingsData& data, Stamp& stamp) const;

    const std::string path_;
    std::mutex lock_;
    SettingsData data_;
    Stamp stamp_;
    std::vector<Change> pending_;  // written in this batch, not yet in the file
    int batchDepth_ = 0;
    bool stale_ = false;  // data_ may hold values the file does not: read it again
};

// <config>/<product>/settings.ini with <config> = $XDG_CONFIG_HOME when it is an absolute path,
// else $HOME/.config (the password database's home when HOME is unset); empty when neither.
std::string UserSettingsFilePath(std::string_view product);

}  // namespace quotrix
