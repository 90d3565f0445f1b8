// The settings store: named sections of 32-bit integer and string values.
//
// Windows keeps them in the registry under HKEY_CURRENT_USER\Software\Veltrane\Quotrix\<section>;
// Linux in a per-user file; tests in memory. Strings are Shift-JIS. A missing value reads as the
// default the caller gives. Implementations are thread-safe.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace quotrix {

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual std::uint32_t GetInt(std::string_view section, std::string_view key, std::uint32_t defaultValue) = 0;
    virtual std::string GetString(std::string_view section, std::string_view key, const std::string& defaultValue) = 0;
    virtual bool SetInt(std::string_view section, std::string_view key, std::uint32_t value) = 0;
    virtual bool SetString(std::string_view section, std::string_view key, const std::string& value) = 0;

    // Brackets a run of writes that belong together (a whole save). A store may defer them to
    // the outermost EndBatch, which then reports whether they all reached the store. Stores
    // that write each value at once (the registry, memory) need not override these.
    virtual void BeginBatch() {}
    virtual bool EndBatch() { return true; }
};

// Holds a batch open for a scope.
class SettingsBatch {
  public:
    explicit SettingsBatch(SettingsStore& store) : store_(store) { store_.BeginBatch(); }
    ~SettingsBatch() {
        if (!ended_) store_.EndBatch();
    }
    SettingsBatch(const SettingsBatch&) = delete;
    SettingsBatch& operator=(const SettingsBatch&) = delete;
    bool End() {
        ended_ = true;
        return store_.EndBatch();
    }

  private:
    SettingsStore& store_;
    bool ended_ = false;
};

}  // namespace quotrix
