// The main window's part of the stock property sheet: opening it once per stock and taking
// what it stored.
#include "app/win32/QuotrixDlg.h"
#include "dialogs/win32/StockPropertySheet.h"
#include "log/ErrLog.h"

namespace quotrix {

void CQuotrixDlg::OpenStockProperties(CStockMan& stock) {
    if (stock.propertySheetOpen) return;
    const bool noCompanyMark = (options.nameOptions & NAMEOPT_NO_COMPANY_MARK) != 0;
    AppLog().Log(LOG_INT, "Item %u / %s / Open stock property", stock.Id(),
                 StockSheetTitle(stock, noCompanyMark).c_str());

    const std::uint32_t id = stock.Id();
    StockSheetServices services;
    services.cashBalance = &cashBalance_;
    services.cashSwitches = header_.cashSwitches;
    services.groupDigits = (options.nameOptions & NAMEOPT_DIGIT_GROUPING) != 0;
    services.removeCompanyMark = noCompanyMark;
    services.defaults = &settings_.stdStock;
    // A file with its own item flags shows its portfolio by them.
    services.portfolioItemFlags = (header_.present && (header_.block.displayOptions & 1))
                                      ? header_.block.portfolioTextFlags
                                      : settings_.itemFlags.portfolioText;
    services.portfolioPriceBars = (settings_.itemFlags.other & OTHER_PRICE_BARS) != 0;
    services.arrows = images_.Handle();
    services.accelerators = accelerators_;
    services.calculator = [this] { return LaunchCalculator(); };
    services.stored = [this, id](const TradeStoreResult& result) {
        CStockMan* stored = FindStock(id);
        if (!stored) return;
        if (result.fileChanged) MarkModified();
        RefreshStockIcon(*stored, 0);
        if (result.portfolioChanged) RefreshViews(true);
    };

    stock.propertySheetOpen = true;
    ++propertySheetsOpen_;
    {
        CStockPropertySheet sheet(stock, services);
        sheet.Run(hwnd_);
    }
    --propertySheetsOpen_;
    stock.propertySheetOpen = false;
}

}  // namespace quotrix
