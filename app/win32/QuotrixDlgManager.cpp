// The main window's side of the stock list manager: opening it once, its keys in the message
// loop, and what follows its closing.
#include "app/win32/QuotrixDlg.h"
#include "app/win32/StockListDlg.h"
#include "log/ErrLog.h"

namespace quotrix {

void CQuotrixDlg::ManagerDeleter::operator()(CStockListDlg* manager) const { delete manager; }

void CQuotrixDlg::OpenStockListManager() {
    if (manager_ && manager_->GetSafeHwnd()) {
        HWND window = manager_->GetSafeHwnd();
        if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
        SetForegroundWindow(window);
        return;
    }
    // Also busy while the start-up loads the stocks, or while another dialog runs.
    if (managerOpen || addStockOpen || optionsOpen) return;
    AppLog().Log(LOG_INT, "Open stock list");
    std::unique_ptr<CStockListDlg, ManagerDeleter> manager(new CStockListDlg(*this));
    if (!manager->Open(hwnd_)) {
        AppLog().Log(LOG_ERR, "[WND] Stock list window could not be created");
        return;
    }
    managerOpen = true;
    manager_ = std::move(manager);
}

bool CQuotrixDlg::PreTranslateManager(MSG& msg) {
    HWND window = manager_ ? manager_->GetSafeHwnd() : nullptr;
    if (!window || (msg.hwnd != window && !IsChild(window, msg.hwnd))) return false;
    if (accelerators_ && TranslateAcceleratorW(window, accelerators_, &msg)) return true;
    return IsDialogMessageW(window, &msg) != FALSE;
}

void CQuotrixDlg::StockListManagerClosed() {
    if (!manager_ || manager_->GetSafeHwnd()) return;
    manager_.reset();
    managerOpen = false;
    SaveSettings(*store_, settings_, AppLog());
    RefreshTotals();
}

}  // namespace quotrix
