#include "app/win32/AboutDlg.h"

#include "app/win32/QuotrixApp.h"
#include "app/win32/QuotrixDlg.h"
#include "net/Release.h"
#include "platform/OsVersion.h"
#include "platform/win32/WinText.h"
#include "resources/resource.h"

namespace quotrix {

CAboutDlg::CAboutDlg(CQuotrixDlg& main) : CDialog(IDD_ABOUTBOX), main_(main) {}

BOOL CAboutDlg::OnInitDialog() {
    const ProgramVersion& version = main_.Version();
    const OsDescription& os = CurrentOs();
    const std::string versionLine = AboutVersionLine(version.major, version.minor, version.build, os.kind);
    SetDlgItemTextW(hwnd_, IDC_ABOUT_VERSION, Wide(versionLine).c_str());
    SetDlgItemTextW(hwnd_, IDC_ABOUT_SYSTEM, Wide("OS: " + os.description).c_str());
    return TRUE;
}

BOOL CAboutDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_COMMAND && OnCommand(LOWORD(wParam))) return TRUE;
    return CDialog::OnMessage(message, wParam, lParam, result);  // closes on IDOK and IDCANCEL
}

bool CAboutDlg::OnCommand(UINT id) {
    switch (id) {
        case IDC_ABOUT_WEB:
            main_.ShellOpen(LoadResourceText(main_.Resources(), IDS_PRODUCT_PAGE));
            return true;
        case IDC_ABOUT_CHECK:
            // Runs on its own thread; a newer release shows up as the version-up icon.
            StartReleaseCheck(main_, true);
            return true;
        default:
            return false;
    }
}

}  // namespace quotrix
