#include <windows.h>

#include "platform/OsVersion.h"
#include "platform/win32/WinText.h"

namespace quotrix {

namespace {

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);

void Fill(const OSVERSIONINFOW& info, OsVersionRecord& version) {
    version.readable = true;
    version.platformId = info.dwPlatformId;
    version.major = info.dwMajorVersion;
    version.minor = info.dwMinorVersion;
    version.build = info.dwBuildNumber;
    const std::size_t length = wcsnlen(info.szCSDVersion, sizeof info.szCSDVersion / sizeof(wchar_t));
    version.servicePack = Narrow(std::wstring_view(info.szCSDVersion, length));
}

}  // namespace

bool ReadOsVersion(OsVersionRecord& version) {
    version = OsVersionRecord{};
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    // Since 8.1 GetVersionEx answers with the newest version the manifest names, not the real one;
    // ntdll's own call does not pretend.
    if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
        auto rtlGetVersion =
            reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
        if (rtlGetVersion != nullptr && rtlGetVersion(&info) == 0) {
            Fill(info, version);
            return true;
        }
    }
    info = OSVERSIONINFOW{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(&info)) return false;
    Fill(info, version);
    return true;
}

}  // namespace quotrix
