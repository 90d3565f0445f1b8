#include "app/win32/AboutDlg.h"

#include "app/win32/QuotrixDlg.h"
#include "resources/resource.h"

namespace quotrix {

CAboutDlg::CAboutDlg(CQuotrixDlg& main) : CDialog(IDD_ABOUTBOX), main_(main) {}

BOOL CAboutDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT&) {
    if (message != WM_COMMAND) return FALSE;
    const UINT id = LOWORD(wParam);
    if (id != IDOK && id != IDCANCEL) return FALSE;
    EndDialog(id);
    return TRUE;
}

}  // namespace quotrix
