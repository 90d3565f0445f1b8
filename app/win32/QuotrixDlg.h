// The main window: a hidden modeless dialog that owns the stocks, their icons, the update
// engine, the timers and the commands, and shows itself as the portfolio. Main thread only,
// except the version-up icon, which the release check reaches under its lock.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>

#include "app/DisplayTexts.h"
#include "app/win32/PortfolioView.h"
#include "app/win32/StockPopup.h"
#include "files/StockFile.h"
#include "icons/DesktopLook.h"
#include "icons/StockIconCtrl.h"
#include "icons/win32/IconImages.h"
#include "net/Release.h"
#include "platform/win32/Win32UpdateOwner.h"
#include "platform/win32/ui/Wnd.h"
#include "settings/AppSettings.h"
#include "update/RunningTotals.h"
#include "update/UpdateEngine.h"

namespace quotrix {

class CQuotrixApp;
struct OptionsState;
class CStockListDlg;

// The program file's version resource.
struct ProgramVersion {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned build = 0;
};

class CQuotrixDlg : public CDialog,
                    public CStockTipCtrl,
                    public CStockIconCtrl,
                    public CStockPopup,
                    public UpdateView,
                    public ReleaseCheckWindow,
                    public PortfolioHost {
  public:
    explicit CQuotrixDlg(CQuotrixApp& app);
    ~CQuotrixDlg() override;

    bool InitFailed() const { return initFailed_; }
    StockList& Stocks() { return stocks_; }
    // Takes a loaded file: its path, cash balance, header and stocks (appended as they come).
    void AdoptFile(const std::string& path, StockList& stocks, const PortfolioPlacement& placement,
                   PriceValue cashBalance, const StockFileHeader& header);
    void AppendStocks(StockList& stocks);
    // Starts the check timer and posts the first check; false when the timer cannot be set.
    bool StartCheckTimer();
    void CompleteStartup();

    bool SaveStockFile();
    void DeleteStock(CStockMan& stock, bool ask);
    void RefreshStockIcon(CStockMan& stock, unsigned flags);
    void MarkModified();
    void OpenStockWebPage(CStockMan& stock, int pageIndex);
    // Opens a page or program with the shell on a short thread of its own; false when the thread
    // could not be started (the shell's own result is not known).
    bool ShellOpen(const std::string& target);
    // The calculator of setting "CalcPath" ("Calc.EXE" when empty).
    bool LaunchCalculator();
    void HideVersionUpIcon();
    // The desktop icon windows (QuotrixDlgDesktop.cpp): after colours, fonts or options changed,
    // each takes the new look, shape and topmost state.
    void ReshapeDesktopWindows();
    // The add-stock sheet, modal; bit 0 of `mode`: start-up (no other dialog check, no quotes
    // asked for here, the totals left to the start-up). True when any stock was added.
    bool OpenAddStock(unsigned mode);
    // Registers new stocks in input order (icons, texts, totals); with `rejectDuplicates`, stocks
    // already listed are refused, reported and destroyed. Answers how many were added.
    std::size_t AddStocks(StockList& stocks, bool rejectDuplicates, bool startup);
    // The stock list manager (QuotrixDlgManager.cpp): modeless, one at a time; a second request
    // brings the open one to the front.
    void OpenStockListManager();
    // The manager's keys (table 242) and dialog navigation, for the message loop; true when used.
    bool PreTranslateManager(MSG& msg);
    // The about box, modal; nothing when it is already open.
    void OpenAboutBox();
    const ProgramVersion& Version() const { return version_; }
    HINSTANCE Resources() const { return resources_; }
    // The accelerator table 242, for the message loop.
    HACCEL Accelerators() const { return accelerators_; }

    // The portfolio (QuotrixDlgPortfolio.cpp).
    void ShowPortfolio();
    void HidePortfolio();
    CPortfolioView* Portfolio() { return portfolio_.get(); }
    // PortfolioHost.
    StockList& PortfolioStocks() override { return stocks_; }
    HIMAGELIST StockImages() override { return images_.Handle(); }
    PortfolioTotals TotalsForTitle() override { return titleTotals_; }
    std::string PortfolioFileTitle() override { return fileTitle_; }
    void PortfolioRowMenu(CStockMan& stock, unsigned moveFlags) override;
    void PortfolioAppMenu() override;
    void PortfolioRowDoubleClick(CStockMan& stock) override;
    void PortfolioHide() override { HidePortfolio(); }
    void PortfolioRolled(bool rolledUp) override;
    // The portfolio's switches (commands ID_PF_SWITCH_*): the window shown or hidden, its price
    // bars on or off; a menu that offers them gets their check marks here.
    void TogglePortfolio();
    void TogglePriceBars();
    void CheckPortfolioSwitches(HMENU menu) const;
    // Whether switch `id` (ID_PF_SWITCH_*) is on.
    bool PortfolioSwitchOn(UINT id) const;

    // UpdateView.
    void RedrawStock(CStockMan& stock, bool updated) override;
    void RefreshViews(bool relayout) override;
    // ReleaseCheckWindow: the check thread hands the notice to the version-up icon.
    void OnReleaseNotice(const std::string& text) override;

  protected:
    BOOL OnInitDialog() override;
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    bool StockBeingDeleted(const CStockMan& stock) const override;
    bool HasSecuritiesPage() const override { return !settings_.secUrl.empty(); }
    std::uint32_t NewBoolean1() const override { return settings_.newBoolean1; }
    std::uint32_t CheckMask() const override { return settings_.checkMask; }

  private:
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    void OnCommand(UINT id);
    LRESULT OnTrayNotify(WPARAM iconId, LPARAM mouseMessage);
    LRESULT OnIconWndNotify(WPARAM iconId, LPARAM what);
    void OnTaskbarCreated();
    void OnVersionUpNotice();
    bool StockCommand(CStockMan& stock, UINT id);
    void AppCommand(UINT id, UINT iconId);
    void RefreshTotals();
    void ShowExitPrompt();
    void UpdatePosition();
    CStockMan* FindStock(std::uint32_t id);
    void RunHealthCheck();
    void CreatePortfolioTooltip();
    void OnSystemLookChange();
    LRESULT OnOpenProperty(std::uint32_t stockId);
    // The stock's property sheet, modal (QuotrixDlgProperty.cpp); nothing while it is open.
    void OpenStockProperties(CStockMan& stock);
    // Opens the options dialog at `page` (QuotrixDlgOptions.cpp); nothing while it is open.
    void OpenOptions(int page);
    // The options dialog stored its pages: the running program follows.
    void ApplyOptions(const OptionsState& live);
    // "移動(&I)": the portfolio and the desktop icons back onto the screen.
    void MoveWindowsOnScreen();
    EngineServices MakeServices();
    // The portfolio's hooks (QuotrixDlgPortfolio.cpp).
    bool AttachPortfolio();
    void StartPortfolio();
    void PortfolioTotalsChanged(const TotalsTexts& texts, const TotalsInput& input);
    void GatherPortfolioPlace();
    // Desktop icon windows (QuotrixDlgDesktop.cpp).
    void InitDesktopWindows();
    void RefreshDesktopWindow(CStockMan& stock);
    void RepaintDesktopWindows();
    LRESULT OnDesktopWindowMoved(std::uint32_t stockId);

    CQuotrixApp& app_;
    HINSTANCE resources_;
    ProgramVersion version_;
    bool initFailed_ = false;
    bool deleting_ = false;  // a DeleteStock is asking the user
    AppSettings& settings_;
    std::unique_ptr<SettingsStore> store_;
    IconImageList images_;
    IconCache cache_{images_};
    Win32IconShell shell_;
    DesktopLook desktopLook_;  // what every desktop icon window looks like
    HACCEL accelerators_ = nullptr;
    UINT taskbarCreated_ = 0;
    COLORREF desktopColor_ = 0;
    HWND tooltip_ = nullptr;    // the portfolio's tips; absent when it could not be made
    HWND scrollBar_ = nullptr;  // the portfolio's scroll bar
    HCURSOR sizeCursor_ = nullptr;
    int lastOptionsPage_ = 0;        // the options page shown last, for the life of the process
    bool optionsSheetOpen_ = false;  // the options sheet runs (also while start-up holds the busy flags)
    int propertySheetsOpen_ = 0;
    int lastAddPage_ = 0;  // the add-stock page used last, for the life of the process

    StockList stocks_;
    RunningTotals totals_;  // the totals line of stocks_
    std::string filePath_;
    std::string fileTitle_;
    PortfolioPlacement placement_;
    PriceValue cashBalance_ = 0;
    StockFileHeader header_;

    std::unique_ptr<CPortfolioView> portfolio_;
    PortfolioTotals titleTotals_;
    bool portfolioStarted_ = false;  // placed at start-up; later stocks come as added rows
    int storedRollUp_ = -1;          // "PF_RollUp" as last read or written; -1 before the start

    std::unique_ptr<Win32UpdateOwner> owner_;
    std::unique_ptr<UpdateEngine> engine_;

    // The version-up icon and the text waiting for the main thread to show it.
    std::unique_ptr<CStockIconCtrl> versionUp_;
    std::string pendingNotice_;

    // The stock list manager works on the stocks and settings directly (StockListDlg.cpp).
    friend class CStockListDlg;
    struct ManagerDeleter {
        void operator()(CStockListDlg* manager) const;
    };
    // Its window has gone: free it, save the settings and refresh the totals.
    void StockListManagerClosed();
    // Last, so that the manager goes before the stocks it lists.
    std::unique_ptr<CStockListDlg, ManagerDeleter> manager_;
};

// The system's icon-title font; false when the system does not say.
bool ReadIconTitleFont(DesktopFont& font);

// The version resource of a module (major, minor, build).
ProgramVersion ReadProgramVersion(HINSTANCE module);

}  // namespace quotrix
