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
};

}  // namespace quotrix
