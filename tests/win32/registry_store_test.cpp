// The registry store: the shared suite against the real registry (a private test key below
// Software\Veltrane that is removed afterwards), and the values as regedit would see them.
#include <windows.h>
// After windows.h:
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>

#include "log/ErrLog.h"
#include "platform/SettingsStores.h"
#include "platform/TextCodec.h"
#include "platform/win32/RegistrySettingsStore.h"
#include "platform/win32/WinText.h"
#include "settings/AppSettings.h"
#include "tests/settings/SettingsSuite.h"

namespace quotrix {
namespace {

std::string UniqueProduct() {
    static std::atomic<int> counter{0};
    return "QuotrixTest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
}

class RegistryPlace : public TestStorePlace {
  public:
    RegistryPlace() : product_(UniqueProduct()) {}
    ~RegistryPlace() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, UserSettingsKey(kCompanyKey, product_).c_str());
        // The company key goes too when the tests made it (a key with subkeys is never deleted).
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Veltrane");
    }
    std::unique_ptr<SettingsStore> Open() override { return CreateUserSettingsStore(kCompanyKey, product_); }
    const std::string& product() const { return product_; }

  private:
    std::string product_;
};

INSTANTIATE_TEST_SUITE_P(Registry, SettingsStoreSuite,
                         testing::Values(StoreKind{"Registry", [] { return std::make_unique<RegistryPlace>(); }}),
                         StoreKindName);

// A value read back with the plain registry API.
struct RawValue {
    bool found = false;
    DWORD type = 0;
    std::wstring text;
    DWORD number = 0;
};

RawValue ReadRaw(const std::string& product, const wchar_t* section, const wchar_t* name) {
    RawValue raw;
    HKEY key;
    const std::wstring path = UserSettingsKey(kCompanyKey, product) + L"\\" + section;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return raw;
    BYTE buffer[4096] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, &raw.type, buffer, &size) == ERROR_SUCCESS) {
        raw.found = true;
        if (raw.type == REG_DWORD && size == 4) std::memcpy(&raw.number, buffer, 4);
        if (raw.type == REG_SZ) raw.text = reinterpret_cast<const wchar_t*>(buffer);
    }
    RegCloseKey(key);
    return raw;
}

TEST(RegistryStore, ValuesAreTypedAndUnicodeInTheRegistry) {
    RegistryPlace place;
    auto store = place.Open();
    AppSettings s;
    s.maxThreads = 9;
    s.loginUser = SJIS("株式投資家");
    s.proxyPassword = SJIS("秘密の合言葉");
    s.stdStock.showMode = 20;
    CErrLog log;
    ASSERT_TRUE(SaveSettings(*store, s, log));

    const RawValue threads = ReadRaw(place.product(), L"Setting", L"MaxThreads");
    ASSERT_TRUE(threads.found);
    EXPECT_EQ(threads.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(threads.number, 9u);
    const RawValue user = ReadRaw(place.product(), L"Setting", L"LoginUser");
    EXPECT_EQ(user.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(user.text, L"株式投資家");
    EXPECT_EQ(ReadRaw(place.product(), L"StdStock", L"ShowMode").number, 20u);
    EXPECT_TRUE(ReadRaw(place.product(), L"DispTotal", L"CurPlusHighL").found);
    EXPECT_TRUE(ReadRaw(place.product(), L"Setting", L"RecieveTimeout").found);

    // The password is protected for this user, not readable in the registry.
    const RawValue password = ReadRaw(place.product(), L"Setting", L"IndexData");
    ASSERT_EQ(password.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(password.text.rfind(L"DPAPI:", 0), 0u) << Narrow(password.text);
    EXPECT_EQ(password.text.find(L"秘密"), std::wstring::npos);
    AppSettings loaded;
    LoadSettings(*place.Open(), loaded, 0, log);
    EXPECT_EQ(loaded.proxyPassword, SJIS("秘密の合言葉"));
    EXPECT_EQ(loaded.loginUser, SJIS("株式投資家"));
}

TEST(RegistryStore, ValuesWrittenByOthersAreRead) {
    RegistryPlace place;
    const std::wstring path = UserSettingsKey(kCompanyKey, place.product()) + L"\\Setting";
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t plain[] = L"古い平文";
    RegSetValueExW(key, L"IndexData", 0, REG_SZ, reinterpret_cast<const BYTE*>(plain), sizeof plain);
    // A string stored without its terminating zero, and one with a wrong type.
    const wchar_t user[] = {L'u', L's', L'r'};
    RegSetValueExW(key, L"LoginUser", 0, REG_SZ, reinterpret_cast<const BYTE*>(user), sizeof user);
    const wchar_t expand[] = L"%TEMP%\\q.log";
    RegSetValueExW(key, L"LogPath", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand), sizeof expand);
    const BYTE bytes[2] = {1, 2};
    RegSetValueExW(key, L"MaxThreads", 0, REG_BINARY, bytes, sizeof bytes);
    const std::wstring longText(3000, L'長');
    RegSetValueExW(key, L"SecUrl", 0, REG_SZ, reinterpret_cast<const BYTE*>(longText.c_str()),
                   static_cast<DWORD>((longText.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);

    auto store = place.Open();
    AppSettings s;
    CErrLog log;
    LoadSettings(*store, s, 0, log);
    EXPECT_EQ(s.proxyPassword, SJIS("古い平文"));
    EXPECT_EQ(s.loginUser, "usr");
    EXPECT_EQ(s.maxThreads, 3);
    EXPECT_EQ(s.secUrl, Narrow(longText));
    EXPECT_EQ(store->GetString("Setting", "LogPath", ""), "%TEMP%\\q.log");
}

}  // namespace
}  // namespace quotrix
