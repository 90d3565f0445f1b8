#include "wizard/win32/Shortcut.h"

#include <windows.h>
// After windows.h.
#include <objbase.h>
#include <shlobj.h>

#include "files/PathNames.h"
#include "platform/win32/WinText.h"
#include "wizard/WizardRules.h"
#include "wizard/win32/EnlistorApp.h"

namespace quotrix {

bool CreateShellLink(const std::wstring& linkPath, const std::wstring& target, const std::wstring& arguments,
                     const std::wstring& description, const std::wstring& iconPath, int iconIndex) {
    if (linkPath.empty() || target.empty() || description.empty()) return false;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* file = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        link->Release();
        return false;
    }
    bool saved = false;
    if (SUCCEEDED(link->SetPath(target.c_str())) &&
        (arguments.empty() || SUCCEEDED(link->SetArguments(arguments.c_str())))) {
        link->SetDescription(description.c_str());
        if (!iconPath.empty()) link->SetIconLocation(iconPath.c_str(), iconIndex);
        saved = SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
    }
    file->Release();
    link->Release();
    return saved;
}

bool CreateDesktopShortcut(const std::string& stockPath) {
    std::string program;
    if (!QuotrixProgramPath(program)) return false;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::string description =
        ShortcutDescription(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    wchar_t desktop[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop))) return false;
    // The folder stays UTF-16 (it may hold any character); only the name goes through the rules.
    const std::wstring folder = std::wstring(desktop) + L"\\";
    std::string name = ShortcutFileName();
    if (!MakeUniquePath(name, [&](const std::string& candidate) {
            return GetFileAttributesW((folder + Wide(candidate)).c_str()) != INVALID_FILE_ATTRIBUTES;
        }))
        return false;
    return CreateShellLink(folder + Wide(name), Wide(program), Wide(OpenFileArguments(stockPath)), Wide(description));
}

}  // namespace quotrix
