// The per-user settings store of this system, and the protection of secrets kept in it.
//
// Windows: the registry, HKEY_CURRENT_USER\Software\<company>\<product>\<section>, integers as
// REG_DWORD, strings as REG_SZ (UTF-16, so that regedit shows the Japanese text).
// Linux: the file <config>/<product>/settings.ini, <config> being $XDG_CONFIG_HOME or
// ~/.config; the company is not part of the path. Mode 0600, written atomically.
//
// Threads: the stores are thread-safe; the functions here may be called from any thread.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "settings/SettingsStore.h"

namespace quotrix {

inline constexpr char kCompanyKey[] = "Veltrane";
inline constexpr char kProductKey[] = "Quotrix";

// Opens the current user's store. Never null: a store that cannot be reached reads every value
// as its default and reports its writes as failed.
std::unique_ptr<SettingsStore> CreateUserSettingsStore(std::string_view company = kCompanyKey,
                                                       std::string_view product = kProductKey);
// Where that store lives, for messages and tools (Shift-JIS).
std::string UserSettingsLocation(std::string_view company = kCompanyKey, std::string_view product = kProductKey);

// A secret (the proxy password) as it is stored: on Windows protected for the current user
// (CryptProtectData) behind the prefix kProtectedPrefix; on Linux as it is (the file is private).
std::string ProtectSecret(const std::string& plain);
// The other way. A stored value without the prefix is an older plain-text one and comes back as
// it is. False when a protected value cannot be opened (another user's or a damaged one).
bool UnprotectSecret(const std::string& stored, std::string& plain);
inline constexpr char kProtectedPrefix[] = "DPAPI:";

}  // namespace quotrix
