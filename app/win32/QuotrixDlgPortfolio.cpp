// The main window's side of the portfolio: showing and hiding it, its place at start-up and in
// the stock file, its menus and the totals in its title.
#include "app/win32/QuotrixDlg.h"
#include "log/ErrLog.h"
#include "platform/SettingsStores.h"
#include "resources/resource.h"

namespace quotrix {

namespace {
constexpr UINT kAppIcon = 1;
}  // namespace

bool CQuotrixDlg::AttachPortfolio() {
    portfolio_ = std::make_unique<CPortfolioView>(*this, settings_);
    return portfolio_->Attach(hwnd_, scrollBar_, tooltip_, resources_);
}

void CQuotrixDlg::StartPortfolio() {
    if (!portfolio_) return;
    portfolio_->Restore(header_.block.firstRow, header_.block.rowCount);
    const bool rolledUp = store_->GetInt(kSectionSetting, "PF_RollUp", 0) != 0;
    storedRollUp_ = rolledUp ? 1 : 0;
    portfolio_->PlaceAtStart(placement_, rolledUp);
    portfolioStarted_ = true;
    if (settings_.boolFlags1 & PF_BF1_SHOW_AT_START) {
        portfolio_->Show(false);
    } else {
        portfolio_->Hide();
        portfolio_->PauseAutoHide();
    }
    RefreshTotals();
}

void CQuotrixDlg::ShowPortfolio() {
    if (!portfolio_) return;
    AppLog().Log(LOG_INT, "Show portfolio");
    portfolio_->Show(true);
    RefreshTotals();
}

void CQuotrixDlg::HidePortfolio() {
    if (!portfolio_) return;
    AppLog().Log(LOG_INT, "Hide portfolio");
    portfolio_->Hide();
    RefreshTotals();
}

void CQuotrixDlg::PortfolioRolled(bool rolledUp) {
    // Written as it changes, so that the next start finds the last state however this run ends.
    if (storedRollUp_ < 0 || storedRollUp_ == (rolledUp ? 1 : 0)) return;
    storedRollUp_ = rolledUp ? 1 : 0;
    store_->SetInt(kSectionSetting, "PF_RollUp", static_cast<std::uint32_t>(storedRollUp_));
}

void CQuotrixDlg::TogglePortfolio() {
    if (portfolio_ && portfolio_->Visible())
        HidePortfolio();
    else
        ShowPortfolio();
}

void CQuotrixDlg::TogglePriceBars() {
    settings_.itemFlags.other ^= OTHER_PRICE_BARS;
    AppLog().Log(LOG_INT, "Portfolio price bars %s", (settings_.itemFlags.other & OTHER_PRICE_BARS) ? "on" : "off");
    // A file with its own item flags keeps the switch; otherwise the common settings do.
    if (settings_.itemFlagsFromFile)
        MarkModified();
    else
        store_->SetInt(kSectionSetting, "OtherItemFlags", settings_.itemFlags.other);
    RefreshViews(true);
}

bool CQuotrixDlg::PortfolioSwitchOn(UINT id) const {
    if (id == ID_PF_SWITCH_PORTFOLIO) return portfolio_ && portfolio_->Visible();
    if (id == ID_PF_SWITCH_PRICE_BARS) return (settings_.itemFlags.other & OTHER_PRICE_BARS) != 0;
    return false;
}

void CQuotrixDlg::CheckPortfolioSwitches(HMENU menu) const {
    for (UINT id : {ID_PF_SWITCH_PORTFOLIO, ID_PF_SWITCH_PRICE_BARS})
        CheckMenuItem(menu, id, MF_BYCOMMAND | (PortfolioSwitchOn(id) ? MF_CHECKED : MF_UNCHECKED));
}

void CQuotrixDlg::GatherPortfolioPlace() {
    if (!portfolio_ || !portfolioStarted_) return;
    placement_ = portfolio_->CurrentPlacement();
    header_.block.firstRow = portfolio_->FirstRow();
    header_.block.rowCount = portfolio_->VisibleRows();
}

void CQuotrixDlg::PortfolioTotalsChanged(const TotalsTexts& texts, const TotalsInput& input) {
    const PortfolioTotals totals{texts.totalsLine, input.incomplete, texts.arrow, input.overallKind};
    const bool same = totals.line == titleTotals_.line && totals.incomplete == titleTotals_.incomplete &&
                      totals.arrow == titleTotals_.arrow && totals.overallKind == titleTotals_.overallKind;
    titleTotals_ = totals;
    if (same || !portfolio_ || !portfolioStarted_) return;
    portfolio_->TitleChanged();
}

void CQuotrixDlg::PortfolioRowMenu(CStockMan& stock, unsigned moveFlags) {
    const std::uint32_t id = stock.Id();
    AppLog().Log(LOG_INT, "[MENU] Row menu: %s", stock.codeText.c_str());
    const UINT chosen = ShowRowMenu(hwnd_, kRowPopup, stock, moveFlags, false);
    if (CStockMan* still = FindStock(id))
        if (!StockCommand(*still, chosen)) AppCommand(chosen, id);
}

void CQuotrixDlg::PortfolioAppMenu() { AppCommand(ShowAppMenu(hwnd_, true), kAppIcon); }

void CQuotrixDlg::PortfolioRowDoubleClick(CStockMan& stock) { OpenStockWebPage(stock, 25); }

}  // namespace quotrix
