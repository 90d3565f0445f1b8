#include "settings/MemorySettingsStore.h"

namespace quotrix {

namespace {
std::pair<std::string, std::string> Key(std::string_view section, std::string_view key) {
    return {std::string(section), std::string(key)};
}
}  // namespace

std::uint32_t MemorySettingsStore::GetInt(std::string_view section, std::string_view key, std::uint32_t defaultValue) {
    std::lock_guard lock(lock_);
    auto it = values_.find(Key(section, key));
    if (it == values_.end()) return defaultValue;
    if (auto* v = std::get_if<std::uint32_t>(&it->second)) return *v;
    return defaultValue;  // a string where a number is expected reads as missing
}

std::string MemorySettingsStore::GetString(std::string_view section, std::string_view key,
                                           const std::string& defaultValue) {
    std::lock_guard lock(lock_);
    auto it = values_.find(Key(section, key));
    if (it == values_.end()) return defaultValue;
    if (auto* v = std::get_if<std::string>(&it->second)) return *v;
    return defaultValue;
}

bool MemorySettingsStore::SetInt(std::string_view section, std::string_view key, std::uint32_t value) {
    std::lock_guard lock(lock_);
    values_[Key(section, key)] = value;
    return true;
}

bool MemorySettingsStore::SetString(std::string_view section, std::string_view key, const std::string& value) {
    std::lock_guard lock(lock_);
    values_[Key(section, key)] = value;
    return true;
}

bool MemorySettingsStore::Contains(std::string_view section, std::string_view key) const {
    std::lock_guard lock(lock_);
    return values_.count(Key(section, key)) != 0;
}

std::size_t MemorySettingsStore::Size() const {
    std::lock_guard lock(lock_);
    return values_.size();
}

}  // namespace quotrix
