// The main window's part of the options dialog: opening it once, handing it the settings and the
// open file's state, and making the running program follow what it stored.
#include <windows.h>

#include <algorithm>

#include "app/FileItemFlags.h"
#include "app/RuntimeSetup.h"
#include "app/win32/QuotrixDlg.h"
#include "dialogs/win32/OptionsSheet.h"
#include "dialogs/win32/StockPropertySheet.h"
#include "icons/win32/IconWnd.h"
#include "log/ErrLog.h"
#include "model/StockMan.h"
#include "platform/LogSupport.h"
#include "platform/SettingsStores.h"
#include "platform/TextCodec.h"

namespace quotrix {

namespace {

// The design files' download page; no page is offered while it is empty.
constexpr char kSkinSite[] = "";

// The display, icon, watch and desktop-item pages on the defaults for new stocks.
class CStockDefaultsSheet : public CStockPagesSheet {
  public:
    CStockDefaultsSheet(CStockDefaults& defaults, const StockSheetServices& services)
        : CStockPagesSheet(SJIS("銘柄の標準設定")),
          defaults_(defaults),
          display_(model_),
          icon_(model_, services),
          watch_(model_),
          desk_(model_, services) {
        model_.display.Load(defaults);
        model_.trade.inPortfolio = model_.display.inPortfolio;
        model_.trade.shares = 0;
        model_.icon.Load(defaults);
        model_.watch.Load(defaults);
        model_.desk.Load(defaults, defaults.desktopTxtMode);
        AddPage(display_);
        AddPage(icon_);
        AddPage(watch_);
        AddPage(desk_);
    }

    void ApplyPage(Page page) override {
        switch (page) {
            case PAGE_DISPLAY: {
                DisplayPageModel display = model_.display;
                display.inPortfolio = model_.trade.inPortfolio;
                display.Store(defaults_, true);
                break;
            }
            case PAGE_ICON:
                model_.icon.Store(defaults_);
                // New stocks have no holding: the trade-price reference cannot be their default.
                if (defaults_.iconIndexMode == 1) defaults_.iconIndexMode = 0;
                break;
            case PAGE_WATCH:
                model_.watch.Store(defaults_);
                break;
            case PAGE_DESK: {
                std::uint32_t mode = defaults_.desktopTxtMode;
                model_.desk.Store(defaults_, mode);
                defaults_.desktopTxtMode = mode;
                break;
            }
            default:
                break;
        }
    }

    bool Run(HWND owner) {
        if (!DoModal(owner)) return false;
        for (Page page : {PAGE_ICON, PAGE_DESK, PAGE_WATCH, PAGE_DISPLAY}) ApplyPage(page);
        return true;
    }

  private:
    CStockDefaults& defaults_;
    StockSheetModel model_;
    CStockDispPage display_;
    CStockIconPage icon_;
    CStockWatchPage watch_;
    CStockDeskIconPage desk_;
};

// A window wholly or partly off every screen goes back inside the nearest work area.
bool BringOntoScreen(HWND window) {
    RECT rect{};
    if (!window || !GetWindowRect(window, &rect)) return false;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info)) return false;
    const RECT& work = info.rcWork;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    const int x = std::clamp<int>(rect.left, work.left, std::max<int>(work.left, work.right - width));
    const int y = std::clamp<int>(rect.top, work.top, std::max<int>(work.top, work.bottom - height));
    if (x == rect.left && y == rect.top) return false;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

}  // namespace

void CQuotrixDlg::OpenOptions(int page) {
    // The menus gray their item by the busy flag; the last-run report opens the sheet while
    // start-up still holds every busy flag, so the sheet keeps its own.
    if (optionsSheetOpen_) return;
    AppLog().Log(LOG_INT, "Open option dialog");
    optionsSheetOpen_ = true;
    const bool wasBusy = optionsOpen;
    optionsOpen = true;

    OptionsState live;
    live.settings = settings_;
    live.cashBalance = cashBalance_;
    live.cashSwitches = header_.cashSwitches;
    // The store keeps the common item flags even while the open file carries its own.
    live.commonItems = settings_.itemFlags;
    if (settings_.itemFlagsFromFile) {
        live.commonItems.portfolioText = store_->GetInt(kSectionSetting, "PortfolioTextFlags", 0x0C3F) & 0x7FFFF;
        live.commonItems.tipText = store_->GetInt(kSectionSetting, "TipTextFlags", 0x0C3F);
        live.commonItems.other = store_->GetInt(kSectionSetting, "OtherItemFlags", settings_.itemFlags.other);
        live.commonItems.Apply();
    }
    live.totalAmount = totals_.Value();
    live.logLevel = AppLog().ConfiguredLevel();
    live.logPath = AppLog().LogPath();
    if (GetTempFolder(live.defaultLogPath)) live.defaultLogPath += "Quotrix.log";

    OptionsServices services;
    services.fileOpen = !filePath_.empty();
    services.resources = resources_;
    services.skinSite = kSkinSite;
    services.moveOnScreen = [this] { MoveWindowsOnScreen(); };
    services.editStockDefaults = [this, &live](HWND owner) {
        StockSheetServices sheetServices;
        sheetServices.defaults = &settings_.stdStock;
        sheetServices.portfolioItemFlags = settings_.itemFlags.portfolioText;
        sheetServices.portfolioPriceBars = (settings_.itemFlags.other & OTHER_PRICE_BARS) != 0;
        sheetServices.editsDefaults = true;
        sheetServices.arrows = images_.Handle();
        CStockDefaultsSheet sheet(settings_.stdStock, sheetServices);
        // The defaults are taken at once: the options' Apply must not bring the old ones back.
        if (sheet.Run(owner)) live.settings.stdStock = settings_.stdStock;
    };
    services.applied = [this, &live](bool) { ApplyOptions(live); };

    {
        COptionsSheet sheet(live, services);
        const bool ok = sheet.Run(hwnd_, page);
        lastOptionsPage_ = ok ? sheet.ActivePageOnOk() : lastOptionsPage_;
        if (ok) SaveSettings(*store_, settings_, AppLog());
    }
    optionsOpen = wasBusy;
    optionsSheetOpen_ = false;
}

void CQuotrixDlg::ApplyOptions(const OptionsState& live) {
    const AppSettings before = settings_;
    // Run-time bits belong to the running program: they may have moved while the dialog was open.
    const std::uint32_t runtime = settings_.boolFlags1 & ~kBoolFlags1Stored;
    settings_ = live.settings;
    settings_.boolFlags1 =
        (settings_.boolFlags1 & kBoolFlags1Stored) | runtime | (live.settings.boolFlags1 & BF1_MODIFIED);

    // The open file's own state: the balance, its switches, and whether it keeps the item flags.
    if (cashBalance_ != live.cashBalance || header_.cashSwitches != live.cashSwitches) MarkModified();
    cashBalance_ = live.cashBalance;
    header_.cashSwitches = live.cashSwitches;
    if (before.itemFlagsFromFile != settings_.itemFlagsFromFile || before.itemFlags != settings_.itemFlags) {
        if (!settings_.itemFlagsFromFile) header_.block.displayOptions &= ~kFileOwnItemFlags;
        if (settings_.itemFlagsFromFile || before.itemFlagsFromFile) MarkModified();
    }

    // The log.
    if (live.logPath != AppLog().LogPath()) {
        AppLog().SetPath(live.logPath);
        AppLog().Log(LOG_INT, "Log path changed");
    }
    if (live.logLevel != AppLog().ConfiguredLevel()) ChangeLogLevel(*store_, AppLog(), live.logLevel);

    // The network, the engine and the check timer.
    ApplyNetworkSettings(settings_);
    if (engine_) {
        engine_->settings = CheckSettingsFrom(settings_);
        if (before.interval != settings_.interval && !engine_->RestartCheckTimer())
            AppLog().Log(LOG_ERR, "Check timer restart failed");
    }

    // The looks: icons, texts, portfolio and desktop windows.
    if (before.arrowType != settings_.arrowType || before.arrowDesignFile != settings_.arrowDesignFile ||
        settings_.arrowType == 3) {
        if (!BuildImageList(images_, cache_, resources_, settings_.arrowType, settings_.arrowDesignFile))
            AppLog().Log(LOG_ERR, "[WND] Image list creation failed");
    }
    // Without a font of their own the desktop windows take the system's icon-title font again.
    if (before.DesktopFontInForce() && !settings_.DesktopFontInForce() && !ReadIconTitleFont(settings_.desktopFont))
        AppLog().Log(LOG_ERR, "System Font Failure");
    // No idle action: its timer stops.
    if (settings_.timerAction == 0) KillTimer(hwnd_, CPortfolioView::kActionTimerId);
    options = DisplayOptionsFrom(settings_);
    for (auto& stock : stocks_) RefreshStockIcon(*stock, 0);
    if (portfolio_) {
        portfolio_->ApplyLook();
        portfolio_->RebuildLayout();
    }
    ReshapeDesktopWindows();
    RefreshTotals();
    AppLog().Log(LOG_DTL, "[CMD] Options applied");
}

void CQuotrixDlg::MoveWindowsOnScreen() {
    if (portfolio_ && portfolio_->Visible()) BringOntoScreen(hwnd_);
    for (auto& stock : stocks_) {
        auto* window = dynamic_cast<CIconWnd*>(stock->DesktopWindow());
        if (!window || !BringOntoScreen(window->GetSafeHwnd())) continue;
        const POINT place = window->GetPosition();
        stock->desktopLeft = place.x;
        stock->desktopTop = place.y;
        MarkModified();
    }
}

}  // namespace quotrix
