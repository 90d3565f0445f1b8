// The main window's side of the desktop icon windows: the look they share, their refresh with
// every change of their stock, and their re-shaping when colours, fonts or options change.
#include <windows.h>

#include "app/win32/QuotrixDlg.h"
#include "icons/win32/IconWnd.h"
#include "log/ErrLog.h"
#include "model/StockMan.h"

namespace quotrix {

namespace {

CIconWnd* IconWndOf(CStockIconCtrl& ctrl) { return dynamic_cast<CIconWnd*>(ctrl.DesktopWindow()); }

}  // namespace

void CQuotrixDlg::InitDesktopWindows() {
    // Without layered windows the desktop windows are opaque: the options that need them are off.
    if (!GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetLayeredWindowAttributes"))
        settings_.boolFlags1 &= ~(BF1_DESKTOP_TRANSPARENT_TEXT | BF1_DESKTOP_TRANSLUCENT);
    desktopLook_ = DesktopLookFrom(settings_, desktopColor_);
    shell_.SetDesktopLook(&desktopLook_);
}

void CQuotrixDlg::RefreshDesktopWindow(CStockMan& stock) {
    // The text, the tip and the price bar follow the stock; the icon follows in UpdateIcon.
    if (CIconWnd* window = IconWndOf(stock)) window->RefreshContent();
}

void CQuotrixDlg::ReshapeDesktopWindows() {
    desktopLook_ = DesktopLookFrom(settings_, desktopColor_);
    for (auto& stock : stocks_) {
        CIconWnd* window = IconWndOf(*stock);
        if (!window) continue;
        window->SetTopmost(desktopLook_.topmost);
        window->RefreshContent();
    }
}

void CQuotrixDlg::RepaintDesktopWindows() {
    for (auto& stock : stocks_)
        if (CIconWnd* window = IconWndOf(*stock)) window->Repaint();
}

LRESULT CQuotrixDlg::OnDesktopWindowMoved(std::uint32_t stockId) {
    // The window already wrote its place into the stock; the file has to keep it.
    if (CStockMan* stock = FindStock(stockId)) {
        AppLog().Log(LOG_DTL, "[WND] Desktop icon moved: %s %ld, %ld", stock->codeText.c_str(),
                     static_cast<long>(stock->desktopLeft), static_cast<long>(stock->desktopTop));
        MarkModified();
    }
    return 0;
}

}  // namespace quotrix
