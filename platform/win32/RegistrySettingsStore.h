// The Windows settings store: HKEY_CURRENT_USER\<base key>\<section>, integers as REG_DWORD,
// strings as REG_SZ in UTF-16 (converted from and to Shift-JIS).
//
// Threads: the registry serialises access itself; every call opens and closes its key, so the
// store holds no handles and may be used from any thread.
#pragma once

#include <string>

#include "settings/SettingsStore.h"

namespace quotrix {

class RegistrySettingsStore : public SettingsStore {
  public:
    // `baseKey` below HKEY_CURRENT_USER, for example L"Software\\Veltrane\\Quotrix".
    explicit RegistrySettingsStore(std::wstring baseKey);

    std::uint32_t GetInt(std::string_view section, std::string_view key, std::uint32_t defaultValue) override;
    std::string GetString(std::string_view section, std::string_view key, const std::string& defaultValue) override;
    bool SetInt(std::string_view section, std::string_view key, std::uint32_t value) override;
    bool SetString(std::string_view section, std::string_view key, const std::string& value) override;

    const std::wstring& BaseKey() const { return baseKey_; }

  private:
    std::wstring SectionKey(std::string_view section) const;
    const std::wstring baseKey_;
};

// L"Software\\<company>\\<product>".
std::wstring UserSettingsKey(std::string_view company, std::string_view product);

}  // namespace quotrix
