#include "app/win32/QuotrixDlg.h"

#include "platform/Messages.h"
#include "resources/resource.h"

namespace quotrix {

CQuotrixDlg::CQuotrixDlg() : CDialog(IDD_QUOTRIX_DIALOG) {}

BOOL CQuotrixDlg::OnInitDialog() {
    // No taskbar button: the window lives in the notification area.
    LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, (ex & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW);
    return TRUE;
}

BOOL CQuotrixDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_APP_EXIT:
            OnAppExit();
            return TRUE;
        case WM_CLOSE:
            OnClose();
            return TRUE;
        case WM_DESTROY:
            OnDestroy();
            return TRUE;
        case WM_COMMAND:
            // Enter and Esc must not close the hidden window.
            return LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL;
        default:
            return FALSE;
    }
}

void CQuotrixDlg::OnAppExit() { DestroyWindow(hwnd_); }

void CQuotrixDlg::OnClose() { OnAppExit(); }

void CQuotrixDlg::OnDestroy() { PostQuitMessage(0); }

}  // namespace quotrix
