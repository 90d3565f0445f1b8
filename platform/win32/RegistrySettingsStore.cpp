#include "platform/win32/RegistrySettingsStore.h"

#include <windows.h>
// After windows.h:
#include <wincrypt.h>

#include <vector>

#include "platform/SettingsStores.h"
#include "platform/win32/WinText.h"

namespace quotrix {

namespace {

class RegKey {
  public:
    RegKey() = default;
    ~RegKey() {
        if (key_) RegCloseKey(key_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    bool Open(const std::wstring& path) {
        return RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key_) == ERROR_SUCCESS;
    }
    bool Create(const std::wstring& path) {
        return RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                               nullptr, &key_, nullptr) == ERROR_SUCCESS;
    }
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

}  // namespace

RegistrySettingsStore::RegistrySettingsStore(std::wstring baseKey) : baseKey_(std::move(baseKey)) {}

std::wstring RegistrySettingsStore::SectionKey(std::string_view section) const {
    return baseKey_ + L"\\" + Wide(section);
}

std::uint32_t RegistrySettingsStore::GetInt(std::string_view section, std::string_view key,
                                            std::uint32_t defaultValue) {
    RegKey reg;
    if (!reg.Open(SectionKey(section))) return defaultValue;
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExW(reg.get(), Wide(key).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value) {
        return defaultValue;
    }
    return value;
}

std::string RegistrySettingsStore::GetString(std::string_view section, std::string_view key,
                                             const std::string& defaultValue) {
    RegKey reg;
    if (!reg.Open(SectionKey(section))) return defaultValue;
    const std::wstring name = Wide(key);
    std::vector<wchar_t> buffer(256);
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        const LSTATUS rc =
            RegQueryValueExW(reg.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (rc == ERROR_MORE_DATA) {
            // The value may grow between the calls; try again with its new size.
            buffer.assign(size / sizeof(wchar_t) + 2, L'\0');
            continue;
        }
        if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return defaultValue;
        // A stored string need not end in a zero, and may end in several.
        std::size_t length = size / sizeof(wchar_t);
        while (length > 0 && buffer[length - 1] == L'\0') --length;
        return Narrow(std::wstring_view(buffer.data(), length));
    }
    return defaultValue;
}

bool RegistrySettingsStore::SetInt(std::string_view section, std::string_view key, std::uint32_t value) {
    RegKey reg;
    if (!reg.Create(SectionKey(section))) return false;
    const DWORD data = value;
    return RegSetValueExW(reg.get(), Wide(key).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
}

bool RegistrySettingsStore::SetString(std::string_view section, std::string_view key, const std::string& value) {
    RegKey reg;
    if (!reg.Create(SectionKey(section))) return false;
    const std::wstring text = Wide(value);
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(reg.get(), Wide(key).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          bytes) == ERROR_SUCCESS;
}

std::wstring UserSettingsKey(std::string_view company, std::string_view product) {
    return L"Software\\" + Wide(company) + L"\\" + Wide(product);
}

std::unique_ptr<SettingsStore> CreateUserSettingsStore(std::string_view company, std::string_view product) {
    return std::make_unique<RegistrySettingsStore>(UserSettingsKey(company, product));
}

std::string UserSettingsLocation(std::string_view company, std::string_view product) {
    return Narrow(L"HKEY_CURRENT_USER\\" + UserSettingsKey(company, product));
}

std::string ProtectSecret(const std::string& plain) {
    if (plain.empty()) return {};
    DATA_BLOB in{static_cast<DWORD>(plain.size()), reinterpret_cast<BYTE*>(const_cast<char*>(plain.data()))};
    DATA_BLOB out{};
    if (!CryptProtectData(&in, L"Quotrix", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) {
        // Without protection the password is kept as older settings kept it.
        return plain;
    }
    DWORD chars = 0;
    std::string result;
    if (CryptBinaryToStringA(out.pbData, out.cbData, CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF, nullptr, &chars)) {
        std::string base64(chars, '\0');
        if (CryptBinaryToStringA(out.pbData, out.cbData, CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF, base64.data(),
                                 &chars)) {
            base64.resize(chars);
            result = kProtectedPrefix + base64;
        }
    }
    LocalFree(out.pbData);
    return result.empty() ? plain : result;
}

bool UnprotectSecret(const std::string& stored, std::string& plain) {
    if (!stored.starts_with(kProtectedPrefix)) {
        plain = stored;
        return true;
    }
    const std::string base64 = stored.substr(sizeof kProtectedPrefix - 1);
    DWORD bytes = 0;
    if (!CryptStringToBinaryA(base64.c_str(), static_cast<DWORD>(base64.size()), CRYPT_STRING_BASE64, nullptr, &bytes,
                              nullptr, nullptr)) {
        return false;
    }
    std::vector<BYTE> blob(bytes);
    if (!CryptStringToBinaryA(base64.c_str(), static_cast<DWORD>(base64.size()), CRYPT_STRING_BASE64, blob.data(),
                              &bytes, nullptr, nullptr)) {
        return false;
    }
    DATA_BLOB in{bytes, blob.data()};
    DATA_BLOB out{};
    if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) return false;
    plain.assign(reinterpret_cast<const char*>(out.pbData), out.cbData);
    SecureZeroMemory(out.pbData, out.cbData);
    LocalFree(out.pbData);
    return true;
}

}  // namespace quotrix
