// The main window's add-stock command and add routine.
#include <vector>

#include "app/AddStocks.h"
#include "app/CodeList.h"
#include "app/win32/QuotrixApp.h"
#include "app/win32/QuotrixDlg.h"
#include "dialogs/win32/AddStockSheet.h"
#include "log/ErrLog.h"
#include "net/InetSession.h"
#include "platform/win32/WinText.h"
#include "resources/resource.h"

namespace quotrix {

bool CQuotrixDlg::OpenAddStock(unsigned mode) {
    const bool startup = (mode & 1) != 0;
    // During start-up every dialog counts as open, so that nothing else starts meanwhile.
    if (!startup && (addStockOpen || optionsOpen || managerOpen)) return false;
    const bool wasOpen = addStockOpen;
    addStockOpen = true;
    AppLog().Log(LOG_INT, "Open Add stock dialog");
    HICON icon = LoadIconW(resources_, MAKEINTRESOURCEW(IDI_QUOTRIX));
    CAddStockSheet sheet(LoadResourceText(resources_, IDS_ADD_STOCK_CAPTION), icon, [this] { app_.StartWizard(); });
    sheet.SetStartPage(lastAddPage_);
    const bool ok = sheet.DoModal(hwnd_);
    addStockOpen = wasOpen;
    if (!ok) return false;

    const bool byKeywords = sheet.ActivePageOnOk() == CAddStockSheet::kSearchPage;
    lastAddPage_ = byKeywords ? CAddStockSheet::kSearchPage : CAddStockSheet::kDirectPage;
    StockList stocks;
    if (byKeywords) {
        for (const SearchResult& result : sheet.SearchPage().Results())
            stocks.push_back(std::make_unique<CStockMan>(result.codeText, result.name, &settings_.stdStock));
    } else {
        ParseCodeList(stocks, sheet.DirectPage().CodeText(), &settings_.stdStock);
    }
    AppLog().Log(LOG_INT, "%s", AddedItemsLogLine(stocks.size(), byKeywords).c_str());
    return AddStocks(stocks, false, startup) > 0;
}

std::size_t CQuotrixDlg::AddStocks(StockList& stocks, bool rejectDuplicates, bool startup) {
    StockList refused;
    if (rejectDuplicates) refused = TakeDuplicates(stocks_, stocks);
    std::vector<CStockMan*> added;
    for (const auto& stock : stocks)
        if (stock) added.push_back(stock.get());
    std::erase_if(stocks, [](const auto& stock) { return !stock; });
    AppendStocks(stocks);
    if (!added.empty()) {
        MarkModified();
        if (!startup) {
            RefreshTotals();
            // New stocks show their quotes at once, not at the next check.
            RefreshOnlineForUser();
            if (engine_)
                for (CStockMan* stock : added) engine_->QueueOne(*stock);
        }
    }
    if (!refused.empty()) {
        // No owner: the report may come while no window of ours is shown.
        MessageBoxW(nullptr, Wide(DuplicateReport(refused)).c_str(), Wide(DuplicateReportCaption()).c_str(),
                    MB_OK | MB_ICONWARNING | MB_TASKMODAL | MB_TOPMOST);
    }
    return added.size();
}

}  // namespace quotrix
