// A settings store held in memory, for tests of the readers' rules and for tools that must not
// touch the user's settings.
#pragma once

#include <map>
#include <mutex>
#include <variant>

#include "settings/SettingsStore.h"

namespace quotrix {

class MemorySettingsStore : public SettingsStore {
  public:
    std::uint32_t GetInt(std::string_view section, std::string_view key, std::uint32_t defaultValue) override;
    std::string GetString(std::string_view section, std::string_view key, const std::string& defaultValue) override;
    bool SetInt(std::string_view section, std::string_view key, std::uint32_t value) override;
    bool SetString(std::string_view section, std::string_view key, const std::string& value) override;

    bool Contains(std::string_view section, std::string_view key) const;
    std::size_t Size() const;

  private:
    using Value = std::variant<std::uint32_t, std::string>;
    mutable std::mutex lock_;
    std::map<std::pair<std::string, std::string>, Value, std::less<>> values_;
};

}  // namespace quotrix
