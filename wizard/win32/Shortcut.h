// Shell links: the desktop shortcut to a new stock file. UTF-16 throughout, so that Japanese
// names and folders work on a Windows of any display language. UI thread, COM initialised.
#pragma once

#include <string>

namespace quotrix {

// Writes the shortcut `linkPath` to `target` with its arguments, description and (when an icon
// path is given) icon. False when a required part is missing or the link cannot be made or saved.
bool CreateShellLink(const std::wstring& linkPath, const std::wstring& target, const std::wstring& arguments,
                     const std::wstring& description, const std::wstring& iconPath = L"", int iconIndex = 0);

// A shortcut on the desktop that starts Quotrix.exe on `stockPath` (Shift-JIS), under the first
// free name of "Quotrix!銘柄ファイル.lnk" and its numbered variants.
bool CreateDesktopShortcut(const std::string& stockPath);

}  // namespace quotrix
