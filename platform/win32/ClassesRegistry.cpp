#include "platform/win32/ClassesRegistry.h"

#include <windows.h>
// After windows.h.
#include <shlobj.h>

#include <vector>

#include "platform/win32/WinText.h"

namespace quotrix {

namespace {

constexpr wchar_t kUserClasses[] = L"Software\\Classes\\";

class Win32ClassKey : public ClassKey {
  public:
    explicit Win32ClassKey(HKEY key) : key_(key) {}
    ~Win32ClassKey() override { RegCloseKey(key_); }

    bool ReadDefault(std::string& value) override {
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(key_, nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
        if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
        std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
        if (RegQueryValueExW(key_, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
            ERROR_SUCCESS)
            return false;
        value = Narrow(text.data());
        return true;
    }

    bool WriteDefault(const std::string& value) override {
        const std::wstring text = Wide(value);
        return RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }

  private:
    HKEY key_;
};

}  // namespace

std::unique_ptr<ClassKey> Win32ClassKeyStore::Open(const std::string& path, bool create) {
    HKEY key = nullptr;
    const std::wstring userPath = kUserClasses + Wide(path);
    if (!create) {
        if ((where_ == USER &&
             RegOpenKeyExW(HKEY_CURRENT_USER, userPath.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) ||
            RegOpenKeyExW(HKEY_CLASSES_ROOT, Wide(path).c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS)
            return std::make_unique<Win32ClassKey>(key);
        return nullptr;
    }
    const HKEY root = where_ == USER ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT;
    const std::wstring keyPath = where_ == USER ? userPath : Wide(path);
    if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        wchar_t keyClass[] = L"Quotrix";
        if (RegCreateKeyExW(root, keyPath.c_str(), 0, keyClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return nullptr;
    }
    return std::make_unique<Win32ClassKey>(key);
}

void NotifyFileTypesChanged() { SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr); }

}  // namespace quotrix
