#include "app/win32/QuotrixDlg.h"

#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "app/FileItemFlags.h"
#include "app/RuntimeSetup.h"
#include "app/win32/AboutDlg.h"
#include "app/win32/QuotrixApp.h"
#include "icons/StockIcon.h"
#include "icons/win32/IconWnd.h"
#include "log/ErrLog.h"
#include "model/StockMan.h"
#include "net/InetSession.h"
#include "platform/Messages.h"
#include "platform/OsVersion.h"
#include "platform/SettingsStores.h"
#include "platform/TextCodec.h"
#include "platform/win32/WinText.h"
#include "platform/win32/ui/UiFont.h"
#include "resources/resource.h"
#include "update/DefaultServices.h"

namespace quotrix {

namespace {

// The release check's notice waits for the main thread behind this message.
constexpr UINT WM_APP_VERSION_NOTICE = WM_APP + 0x100;
constexpr UINT kAppIconId = 1;
constexpr UINT kVersionUpIconId = 2;
// The portfolio tooltip's tool over the title icon.
constexpr UINT kTitleIconTool = 16;
// The options page of the connection time-outs.
constexpr int kTimeoutPage = 8;
constexpr std::uint32_t kAutoSave = 0x80000;
constexpr std::uint32_t kSetForegroundOff = 0x100;  // BoolFlags2
constexpr std::uint32_t kSnapDesktop = 0x10;        // BoolFlags1

std::string FileTitleOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

ProgramVersion ReadProgramVersion(HINSTANCE module) {
    ProgramVersion version;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!bytes) return version;
    const DWORD size = SizeofResource(module, found);
    // The fixed block follows the key; it is found by its signature.
    for (DWORD i = 0; i + sizeof(VS_FIXEDFILEINFO) <= size; i += 4) {
        const auto* info = reinterpret_cast<const VS_FIXEDFILEINFO*>(bytes + i);
        if (info->dwSignature != 0xFEEF04BD) continue;
        version.major = HIWORD(info->dwFileVersionMS);
        version.minor = LOWORD(info->dwFileVersionMS);
        version.build = LOWORD(info->dwFileVersionLS);
        break;
    }
    return version;
}

CQuotrixDlg::CQuotrixDlg(CQuotrixApp& app)
    : CDialog(IDD_QUOTRIX_DIALOG),
      CStockIconCtrl(kAppIconId, false),
      ReleaseCheckWindow(ReadProgramVersion(app.Resources()).major, ReadProgramVersion(app.Resources()).minor,
                         ReadReleaseFileUrl(*CreateUserSettingsStore())),
      app_(app),
      resources_(app.Resources()),
      version_(ReadProgramVersion(app.Resources())),
      settings_(ProcessSettings()),
      store_(CreateUserSettingsStore()) {
    addStockOpen = optionsOpen = managerOpen = true;
    osName = CurrentOs().name;  // the release check's user agent names the system
    SetIconShell(&shell_);
}

CQuotrixDlg::~CQuotrixDlg() {
    AppLog().Log(LOG_DTL, "[WND] ENTER Main Window Destructor (Clean-up process)");
    if (engine_) engine_->WaitForWorkers();
    engine_.reset();
    stocks_.clear();
    versionUp_.reset();
    SetShow(SHOW_HIDDEN);
    cache_.Clear();
    SetIconShell(nullptr);
}

EngineServices CQuotrixDlg::MakeServices() {
    EngineServices services = DefaultEngineServices();
    services.releaseCheckedToday = [this] { return ReleaseCheckedToday(*this); };
    services.startReleaseCheck = [this] { StartReleaseCheck(*this, false); };
    services.closeSession = [] { InetSession::Instance().Close(); };
    services.readThreadWait = [this] { return static_cast<int>(store_->GetInt(kSectionSetting, "ThreadWait", 0)); };
    services.writeThreadWait = [this](int value) {
        store_->SetInt(kSectionSetting, "ThreadWait", static_cast<std::uint32_t>(value));
    };
    return services;
}

BOOL CQuotrixDlg::OnInitDialog() {
    HICON icon = LoadIconW(resources_, MAKEINTRESOURCEW(IDI_QUOTRIX));
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    accelerators_ = LoadAcceleratorsW(resources_, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    if (!LoadMenus(resources_)) AppLog().Log(LOG_ERR, "[WND] Menu load failed");

    // The desktop font is the system's icon-title font unless the settings name one.
    desktopColor_ = GetSysColor(COLOR_BACKGROUND);
    if (!ReadIconTitleFont(settings_.desktopFont)) AppLog().Log(LOG_ERR, "System Font Failure");
    LoadSettings(*store_, settings_, desktopColor_, AppLog());
    ApplyNetworkSettings(settings_);
    options = DisplayOptionsFrom(settings_);
    if (!BuildImageList(images_, cache_, resources_, settings_.arrowType, settings_.arrowDesignFile)) {
        AppLog().Log(LOG_ERR, "[WND] Image list creation failed");
        initFailed_ = true;
        return TRUE;
    }
    SetShow(SHOW_HIDDEN);
    SetFirstIcon(hwnd_, cache_.GetIcon(kIconApplication), LoadResourceText(resources_, IDS_APP_TIP));

    AppLog().Log(LOG_INT, "Version %u.%02u (Build %04u)", version_.major, version_.minor, version_.build);

    // Translucent windows need SetLayeredWindowAttributes; without it everything is opaque.
    if (!GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetLayeredWindowAttributes")) {
        settings_.alphaVal = 255;
        settings_.pfAlpha = 255;
        settings_.pfTranslucent = false;
        settings_.pfTransparent = false;
    }
    InitDesktopWindows();

    // No taskbar button: the window lives in the notification area.
    LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, (ex & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW);
    CreatePortfolioTooltip();
    // The portfolio's scroll bar and resize cursor; without them the window cannot work.
    scrollBar_ = CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | SBS_VERT, 0, 0, GetSystemMetrics(SM_CXVSCROLL),
                                 200, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
    sizeCursor_ = LoadCursorW(nullptr, IDC_SIZENS);
    if (!scrollBar_ || !sizeCursor_) {
        AppLog().Log(LOG_ERR, "%s",
                     !scrollBar_ ? SJIS("スクロールバー生成失敗").c_str() : SJIS("カーソルロード失敗").c_str());
        initFailed_ = true;
        return TRUE;
    }
    if (!AttachPortfolio()) {
        AppLog().Log(LOG_ERR, "%s", SJIS("仮想画面構築失敗").c_str());
        initFailed_ = true;
        return TRUE;
    }
    // Explorer forgets every notification-area icon when it restarts; this tells us to re-add ours.
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");

    owner_ = std::make_unique<Win32UpdateOwner>(nullptr, hwnd_);
    engine_ = std::make_unique<UpdateEngine>(*owner_, stocks_, MakeServices(), this);
    engine_->settings = CheckSettingsFrom(settings_);
    RunHealthCheck();
    return TRUE;
}

void CQuotrixDlg::CreatePortfolioTooltip() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_BALLOON,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (!tooltip_) {
        AppLog().Log(LOG_ERR, "TIP creation failed");
        return;
    }
    SetWindowPos(tooltip_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ApplyUiFont(tooltip_);
    // The title strip's buttons (placed by the portfolio) and its icon, whose text is asked for.
    const UINT texts[] = {IDS_TIP_CLOSE, IDS_TIP_ROLL_UP, IDS_TIP_AUTO_HIDE};
    for (UINT i = 0; i < 3; ++i) {
        std::wstring text = Wide(LoadResourceText(resources_, texts[i]));
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = hwnd_;
        tool.uId = i + 1;
        tool.lpszText = text.data();
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    TTTOOLINFOW icon{};
    icon.cbSize = sizeof icon;
    icon.hwnd = hwnd_;
    icon.uId = kTitleIconTool;
    icon.rect = RECT{1, 1, 13, 13};
    icon.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&icon));
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 300);
}

void CQuotrixDlg::RunHealthCheck() {
    // 1 means the last run was ended while it waited for its connections; long time-outs are
    // the usual cause, so the report points at them.
    const std::uint32_t threadWait = store_->GetInt(kSectionSetting, "ThreadWait", 0);
    const bool timeoutsSet = settings_.receiveTimeout != 0 && settings_.receiveTimeout <= 300000 &&
                             settings_.checkTimeout <= 300000 && settings_.sendTimeout <= 300000;
    if (threadWait != 1 || timeoutsSet) return;
    AppLog().Log(LOG_DTL, "Last status: Bad termination");

    struct LastRunReport : CDialog {
        LastRunReport() : CDialog(IDD_LAST_RUN_REPORT) {}
        bool dontShow = false;
        BOOL OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT&) override {
            if (message != WM_COMMAND) return FALSE;
            const UINT id = LOWORD(wParam);
            if (id != IDC_REPORT_SET_TIMEOUTS && id != IDCANCEL) return FALSE;
            dontShow = IsDlgButtonChecked(hwnd_, IDC_REPORT_DONT_SHOW) == BST_CHECKED;
            EndDialog(id);
            return TRUE;
        }
    } report;
    const INT_PTR answer = report.DoModal(hwnd_);
    store_->SetInt(kSectionSetting, "ThreadWait", report.dontShow ? 2 : 0);
    if (answer == IDC_REPORT_SET_TIMEOUTS) OpenOptions(kTimeoutPage);
}

void CQuotrixDlg::AdoptFile(const std::string& path, StockList& stocks, const PortfolioPlacement& placement,
                            PriceValue cashBalance, const StockFileHeader& header) {
    filePath_ = path;
    fileTitle_ = FileTitleOf(path);
    placement_ = placement;
    cashBalance_ = cashBalance;
    header_ = header;
    // The file's own display items replace the common ones before any text is built.
    if (AdoptFileItemFlags(header_, settings_)) {
        AppLog().Log(LOG_DTL, "[FILE] Item flags of the file in force");
        options = DisplayOptionsFrom(settings_);
    }
    AppendStocks(stocks);
}

void CQuotrixDlg::AppendStocks(StockList& stocks) {
    for (auto& stock : stocks) {
        stock->BuildUrls();
        CStockMan& s = *stock;
        AppLog().Log(LOG_DTL, "[FILE] Stock %u: %s", s.Id(), s.codeText.c_str());
        stocks_.push_back(std::move(stock));
        const std::string& tip = BuildStockTexts(s);
        s.SetFirstIcon(hwnd_, cache_.GetIcon(StockIconCode(s, options.boolFlags1)), tip);
        ApplyWatchBand(s);
        totals_.Update(s);
    }
    const int added = static_cast<int>(stocks.size());
    stocks.clear();
    if (portfolioStarted_ && portfolio_) portfolio_->AddRows(added);
}

bool CQuotrixDlg::StartCheckTimer() { return engine_ && engine_->StartChecks(); }

void CQuotrixDlg::CompleteStartup() {
    addStockOpen = optionsOpen = managerOpen = false;
    RefreshTotals();
    StartPortfolio();
    AppLog().Log(LOG_INT, "Initialization process completed");
    LimitLogLevelAfterStartup(*store_, AppLog());
}

BOOL CQuotrixDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (taskbarCreated_ != 0 && message == taskbarCreated_) {
        OnTaskbarCreated();
        return TRUE;
    }
    if (portfolio_ && portfolio_->OnMessage(message, wParam, lParam, result)) return TRUE;
    switch (message) {
        case WM_TIMER:
            OnTimer(wParam);
            return TRUE;
        case WM_APP_CHECK_START:
        case WM_APP_CHECK_RESULT:
        case WM_APP_QUEUE_ITEM:
            result = engine_ ? engine_->OnOwnerMessage(message, wParam, lParam) : 0;
            return TRUE;
        case WM_APP_TRAY_NOTIFY:
            result = OnTrayNotify(wParam, lParam);
            return TRUE;
        case WM_APP_ICONWND_NOTIFY:
            result = OnIconWndNotify(wParam, lParam);
            return TRUE;
        case WM_APP_VERSION_NOTICE:
            OnVersionUpNotice();
            return TRUE;
        case WM_APP_EXIT:
            app_.ExitApplication();
            return TRUE;
        case WM_CLOSE:
            // Closing always means leaving the program.
            OnCommand(ID_APP_EXIT);
            return TRUE;
        case WM_QUERYENDSESSION:
            // Windows is ending: leave by the saving rules, as soon as the answer is given (the
            // window must outlive its answer). WM_ENDSESSION leaves at once if this came late.
            PostMessageW(hwnd_, WM_APP_EXIT, 0, 0);
            result = TRUE;
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) app_.ExitApplication();
            return TRUE;
        case WM_POWERBROADCAST:
            // After a suspend the portfolio and the desktop icons repaint; the notification
            // area needs nothing.
            if (wParam == PBT_APMRESUMECRITICAL || wParam == PBT_APMRESUMESUSPEND || wParam == PBT_APMRESUMEAUTOMATIC) {
                RefreshViews(false);
                RepaintDesktopWindows();
            }
            result = 0;
            return TRUE;
        case WM_SETTINGCHANGE:
        case WM_SYSCOLORCHANGE:
            OnSystemLookChange();
            return FALSE;  // the default processing goes on
        case WM_APP_OPEN_PROPERTY:
            result = OnOpenProperty(static_cast<std::uint32_t>(wParam));
            return TRUE;
        case WM_DESTROY:
            OnDestroy();
            return TRUE;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return TRUE;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) != 0x0010) return FALSE;
            OpenAboutBox();
            return TRUE;
        case WM_MEASUREITEM:
            return OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        case WM_DRAWITEM:
            return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        case WM_MENUCHAR:
            result = OnMenuChar(static_cast<wchar_t>(LOWORD(wParam)), reinterpret_cast<HMENU>(lParam));
            return TRUE;
        default:
            return FALSE;
    }
}

void CQuotrixDlg::OnSystemLookChange() {
    desktopColor_ = GetSysColor(COLOR_BACKGROUND);
    AppLog().Log(LOG_DTL, "Desktop color: R %u G %u B %u", GetRValue(desktopColor_), GetGValue(desktopColor_),
                 GetBValue(desktopColor_));
    if (!settings_.DesktopFontInForce() && !ReadIconTitleFont(settings_.desktopFont))
        AppLog().Log(LOG_ERR, "System Font Failure");
    ReshapeDesktopWindows();
    RefreshViews(true);
}

LRESULT CQuotrixDlg::OnOpenProperty(std::uint32_t stockId) {
    CStockMan* stock = FindStock(stockId);
    if (!stock) return 0;
    OpenStockProperties(*stock);
    return 1;
}

bool ReadIconTitleFont(DesktopFont& font) {
    LOGFONTW system{};
    if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof system, &system, 0)) return false;
    font.height = system.lfHeight;
    font.width = system.lfWidth;
    font.escapement = system.lfEscapement;
    font.orientation = system.lfOrientation;
    font.weight = system.lfWeight;
    font.italic = system.lfItalic;
    font.underline = system.lfUnderline;
    font.strikeOut = system.lfStrikeOut;
    // The desktop texts are Japanese: a Western system's font asks the mapper for a face that has them.
    font.charSet = SHIFTJIS_CHARSET;
    font.outPrecision = system.lfOutPrecision;
    font.clipPrecision = system.lfClipPrecision;
    font.quality = system.lfQuality;
    font.pitchAndFamily = system.lfPitchAndFamily;
    // The face name is kept as Shift-JIS of at most 31 bytes, cut on a character boundary.
    std::wstring face = system.lfFaceName;
    std::string narrow = Narrow(face);
    while (narrow.size() > 31 && !face.empty()) {
        face.pop_back();
        narrow = Narrow(face);
    }
    font.faceName = narrow;
    return true;
}

void CQuotrixDlg::OnTimer(UINT_PTR id) {
    if (id == kCheckTimerId || id == kDelayTimerId) {
        if (engine_) engine_->OnCheckTimer(static_cast<unsigned>(id));
    } else if (id == CPortfolioView::kActionTimerId && portfolio_) {
        portfolio_->OnActionTimer();
    } else {
        KillTimer(hwnd_, id);
    }
}

CStockMan* CQuotrixDlg::FindStock(std::uint32_t id) {
    for (auto& stock : stocks_)
        if (stock->Id() == id) return stock.get();
    return nullptr;
}

bool CQuotrixDlg::StockBeingDeleted(const CStockMan&) const { return deleting_; }

LRESULT CQuotrixDlg::OnTrayNotify(WPARAM iconId, LPARAM mouseMessage) {
    if (mouseMessage < WM_LBUTTONDOWN || mouseMessage > WM_RBUTTONUP) return 0;
    const UINT id = static_cast<UINT>(iconId);
    switch (mouseMessage) {
        case WM_LBUTTONDOWN:
            if ((settings_.boolFlags2 & kSetForegroundOff) == 0) SetForegroundWindow(hwnd_);
            break;
        case WM_LBUTTONUP:
            if (id == kAppIconId) ShowPortfolio();
            break;
        case WM_LBUTTONDBLCLK:
            if (id == kAppIconId || id == kVersionUpIconId) {
                ShellOpen(LoadResourceText(resources_, IDS_PRODUCT_PAGE));
                if (id == kVersionUpIconId) HideVersionUpIcon();
            } else if (CStockMan* stock = FindStock(id)) {
                OpenStockWebPage(*stock, 25);
            }
            break;
        case WM_RBUTTONUP:
            if (id == kAppIconId) {
                AppCommand(ShowAppMenu(hwnd_, false), id);
            } else if (id == kVersionUpIconId) {
                const UINT chosen = ShowVersionMenu(hwnd_);
                if (chosen == ID_VERUP_CLOSE)
                    HideVersionUpIcon();
                else
                    AppCommand(chosen, id);
            } else if (CStockMan* stock = FindStock(id)) {
                AppLog().Log(LOG_INT, "[MENU] Stock menu: %s", stock->codeText.c_str());
                const UINT chosen = ShowStockMenu(hwnd_, *stock, false);
                // The stock may be gone after the menu (a merge cannot remove it, but be sure).
                if (CStockMan* still = FindStock(id)) {
                    if (!StockCommand(*still, chosen)) AppCommand(chosen, id);
                }
            }
            break;
        default:
            break;
    }
    return 0;
}

LRESULT CQuotrixDlg::OnIconWndNotify(WPARAM iconId, LPARAM what) {
    if (what == WM_APP_QUERY_SNAP) return (settings_.boolFlags1 & kSnapDesktop) ? 1 : 0;
    if (what == kIconWndMoved) return OnDesktopWindowMoved(static_cast<std::uint32_t>(iconId));
    if (what != WM_RBUTTONDOWN) return 0;
    const UINT id = static_cast<UINT>(iconId);
    if (id == kAppIconId) {
        AppCommand(ShowAppMenu(hwnd_, false), id);
    } else if (CStockMan* stock = FindStock(id)) {
        const UINT chosen = ShowStockMenu(hwnd_, *stock, true);
        if (CStockMan* still = FindStock(id))
            if (!StockCommand(*still, chosen)) AppCommand(chosen, id);
    }
    return 1;
}

bool CQuotrixDlg::StockCommand(CStockMan& stock, UINT id) {
    switch (id) {
        case 0:
            return true;
        case ID_STOCK_WEB:
            OpenStockWebPage(stock, 25);
            return true;
        case ID_STOCK_UPDATE:
            AppLog().Log(LOG_INT, "[CMD] Update request: %s", stock.codeText.c_str());
            // UpdateOneNow probes the connection itself: a second probe could dial twice.
            if (engine_) engine_->UpdateOneNow(stock);
            return true;
        case ID_STOCK_HIDE:
            stock.showMode = 0;
            stock.SetShow(SHOW_HIDDEN);
            MarkModified();
            // The last visible icon may have gone: the application icon must stay reachable.
            RefreshTotals();
            return true;
        case ID_STOCK_DELETE:
            DeleteStock(stock, true);
            return true;
        case ID_STOCK_PROPERTIES:
            OpenStockProperties(stock);
            return true;
        case ID_STOCK_TO_DESKTOP:
        case ID_STOCK_TO_TRAY:
            stock.showMode = id == ID_STOCK_TO_DESKTOP ? 20 : 1;
            RefreshStockIcon(stock, 0);
            MarkModified();
            return true;
        case ID_ROW_UP:
        case ID_ROW_DOWN:
            if (!portfolio_ || !portfolio_->MoveRow(stock, id == ID_ROW_UP)) return true;
            MarkModified();
            return true;
        case ID_ROW_HIDE:
            if (stock.fileFlags & FILEFLAG_PORTFOLIO) {
                stock.fileFlags &= ~FILEFLAG_PORTFOLIO;
                if (portfolio_) portfolio_->RebuildLayout();
            } else {
                stock.showMode = 0;
                stock.SetShow(SHOW_HIDDEN);
            }
            MarkModified();
            return true;
        case ID_ROW_CLEAR_BOARD:
        case ID_ROW_CLEAR_NEWS:
            stock.newMarks &= static_cast<std::uint8_t>(id == ID_ROW_CLEAR_BOARD ? ~1u : ~2u);
            RefreshStockIcon(stock, 0);
            return true;
        default:
            if ((id >= ID_WEB_FIRST && id <= ID_WEB_LAST) || id == ID_WEB_QUOTE_BOARD || id == ID_WEB_REPORT) {
                const int page = id == ID_WEB_QUOTE_BOARD ? 14
                                 : id == ID_WEB_REPORT    ? 15
                                                          : static_cast<int>(id - ID_WEB_FIRST);
                OpenStockWebPage(stock, page);
                return true;
            }
            return false;
    }
}

void CQuotrixDlg::AppCommand(UINT id, UINT iconId) {
    switch (id) {
        case 0:
            return;
        case ID_APP_CLEAR_BOARD:
        case ID_APP_CLEAR_NEWS:
            for (auto& stock : stocks_) {
                stock->newMarks &= static_cast<std::uint8_t>(id == ID_APP_CLEAR_BOARD ? ~1u : ~2u);
                RefreshStockIcon(*stock, 2);
            }
            RefreshTotals();
            return;
        case ID_VERUP_DOWNLOAD:
            OnTrayNotify(kVersionUpIconId, WM_LBUTTONDBLCLK);
            return;
        case ID_APP_RELEASE_CHECK:
            StartReleaseCheck(*this, true);
            return;
        case ID_APP_MANAGER:
            OpenStockListManager();
            return;
        default:
            (void)iconId;
            PostMessageW(hwnd_, WM_COMMAND, id, 0);
            return;
    }
}

void CQuotrixDlg::OnCommand(UINT id) {
    switch (id) {
        case ID_APP_EXIT:
            if (addStockOpen || optionsOpen || managerOpen || propertySheetsOpen_ > 0) return;
            app_.ExitApplication();
            return;
        case ID_APP_SAVE:
        case ID_ACCEL_SAVE:
            SaveStockFile();
            return;
        case ID_APP_UPDATE_ALL:
            RefreshOnlineForUser();
            if (engine_) {
                engine_->QueueAll();
                engine_->ExecuteQueue();
            }
            return;
        case ID_APP_RELEASE_CHECK:
            StartReleaseCheck(*this, true);
            return;
        case ID_APP_SECURITIES:
            if (!settings_.secUrl.empty()) ShellOpen(settings_.secUrl);
            return;
        case ID_APP_ABOUT:
            OpenAboutBox();
            return;
        case ID_APP_PORTFOLIO:
            ShowPortfolio();
            return;
        case ID_PF_SWITCH_PORTFOLIO:
            TogglePortfolio();
            return;
        case ID_PF_SWITCH_PRICE_BARS:
            TogglePriceBars();
            return;
        case ID_APP_ADD_STOCK:
        case ID_ACCEL_ADD_STOCK:
            OpenAddStock(0);
            return;
        case ID_APP_OPTIONS:
            if (!optionsOpen) OpenOptions(lastOptionsPage_);
            return;
        case ID_ACCEL_MANAGER:
            OpenStockListManager();
            return;
        case ID_SL_CLOSED:
            StockListManagerClosed();
            return;
        default:
            // Enter and Esc must not close the hidden window; the dialogs of the add-stock
            // sheet, options, portfolio and about box answer the rest.
            return;
    }
}

void CQuotrixDlg::RedrawStock(CStockMan& stock, bool) { RefreshStockIcon(stock, 0); }

void CQuotrixDlg::RefreshViews(bool relayout) {
    if (portfolio_ && relayout) {
        portfolio_->ApplyLook();
        portfolio_->RebuildLayout();
    }
    RefreshTotals();
}

void CQuotrixDlg::RefreshStockIcon(CStockMan& stock, unsigned flags) {
    const std::string& tip = BuildStockTexts(stock);
    RefreshDesktopWindow(stock);
    IconCacheEntry* entry = cache_.GetIcon(StockIconCode(stock, options.boolFlags1));
    if (!stock.CacheEntry())
        stock.SetFirstIcon(hwnd_, entry, tip);
    else
        stock.UpdateIcon(entry, tip);
    ApplyWatchBand(stock);
    totals_.Update(stock);
    if (portfolio_ && portfolioStarted_) portfolio_->StockChanged(stock);
    if ((flags & 2) == 0) RefreshTotals();
}

void CQuotrixDlg::RefreshTotals() {
    // Every change of a stock passes through RefreshStockIcon, which keeps the sums current.
    const TotalsInput in = GatherTotals(totals_, stocks_, settings_,
                                        {cashBalance_, header_.cashSwitches, portfolio_ && portfolio_->Visible()});
    const TotalsTexts texts = BuildTotals(in, options);
    ApplyTotalsIcon(*this, cache_, texts);
    PortfolioTotalsChanged(texts, in);
}

void CQuotrixDlg::MarkModified() { settings_.boolFlags1 |= BF1_MODIFIED; }

void CQuotrixDlg::DeleteStock(CStockMan& stock, bool ask) {
    // A stock whose property sheet is open stays until the sheet closes.
    if (deleting_ || stock.propertySheetOpen || !FindStock(stock.Id())) return;
    if (ask) {
        deleting_ = true;
        const int answer =
            MessageBoxW(hwnd_, Wide(LoadResourceText(resources_, IDS_DELETE_STOCK)).c_str(),
                        Wide(LoadResourceText(resources_, IDS_DELETE_CAPTION)).c_str(), MB_YESNO | MB_ICONQUESTION);
        deleting_ = false;
        if (answer != IDYES) return;
        // The menu's stock may have gone while the box was up (shutdown pumps messages).
        if (!FindStock(stock.Id())) return;
    }
    AppLog().Log(LOG_INT, "[CMD] Delete stock: %s", stock.codeText.c_str());
    stock.showMode = 0;
    stock.SetShow(SHOW_HIDDEN);
    totals_.Remove(stock);
    if (engine_) engine_->RemoveStock(stock);
    MarkModified();
    if (portfolio_) portfolio_->RebuildLayout();
    RefreshTotals();
}

void CQuotrixDlg::OpenStockWebPage(CStockMan& stock, int pageIndex) {
    if (pageIndex == 25) {
        // The same rule picks the default menu item's picture.
        int page = MarkRedirectPage(stock.newMarks, settings_.checkMask, settings_.newBoolean1);
        if (page == 11) stock.newMarks &= ~1u;
        if (page == 10) stock.newMarks &= ~2u;
        if (page >= 0)
            RefreshStockIcon(stock, 0);
        else
            page = static_cast<int>((settings_.newBoolean1 >> 20) & 0xFF);
        pageIndex = page;
    }
    ShellOpen(stock.WebPageAddress(pageIndex));
}

bool CQuotrixDlg::LaunchCalculator() {
    const std::string program = settings_.calcPath.empty() ? std::string("Calc.EXE") : settings_.calcPath;
    // The shell answers on its own thread, too late for the caller; a program that is nowhere
    // (neither at its path nor on the search path) is known to fail now.
    wchar_t found[MAX_PATH];
    if (SearchPathW(nullptr, Wide(program).c_str(), nullptr, MAX_PATH, found, nullptr) == 0) {
        AppLog().Log(LOG_ERR, "Calculator not found: %s", program.c_str());
        return false;
    }
    return ShellOpen(program);
}

bool CQuotrixDlg::ShellOpen(const std::string& target) {
    // The shell may take long (a browser starting); the window must stay responsive.
    std::wstring wide = Wide(target);
    try {
        std::thread([wide] {
            const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
            ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
            if (SUCCEEDED(com)) CoUninitialize();
        }).detach();
        return true;
    } catch (const std::exception&) {
        AppLog().Log(LOG_ERR, "[WND] Shell thread could not be started");
        return false;
    }
}

bool CQuotrixDlg::SaveStockFile() {
    if (filePath_.empty()) {
        wchar_t file[MAX_PATH] = L"";
        const std::wstring filter = Wide(SJIS("Quotrix!銘柄ﾌｧｲﾙ(*.quotrix)")) + L'\0' + L"*.quotrix;*.QUOTRIX" + L'\0' +
                                    Wide(SJIS("すべてのﾌｧｲﾙ(*.*)")) + L'\0' + L"*.*" + L'\0';
        const std::wstring title = Wide(SJIS("ファイル名をつけて保存"));
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = hwnd_;
        ofn.lpstrFilter = filter.c_str();
        ofn.lpstrFile = file;
        ofn.nMaxFile = MAX_PATH;
        ofn.lpstrTitle = title.c_str();
        ofn.lpstrDefExt = L"quotrix";
        ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
        if (!GetSaveFileNameW(&ofn)) {
            AppLog().Log(LOG_INT, "FILE: save canceled by user");
            return false;
        }
        filePath_ = Narrow(file);
        fileTitle_ = FileTitleOf(filePath_);
        WriteLastest(*store_, filePath_);
        RefreshTotals();
    }
    GatherPortfolioPlace();
    StoreFileItemFlags(settings_, header_);
    if (!WriteStockFile(filePath_, stocks_, placement_, cashBalance_, header_)) {
        AppLog().Log(LOG_ERR, "FILE: %s save failure", filePath_.c_str());
        return false;
    }
    settings_.boolFlags1 &= ~BF1_MODIFIED;
    AppLog().Log(LOG_INT, "FILE: %s save success", filePath_.c_str());
    return true;
}

void CQuotrixDlg::UpdatePosition() {
    if (filePath_.empty()) return;
    GatherPortfolioPlace();
    UpdateStockFilePosition(filePath_, placement_, header_.block.firstRow, header_.block.rowCount);
}

void CQuotrixDlg::ShowExitPrompt() {
    // A modal box of our own template: the answer decides between saving and the position only.
    struct ExitPrompt : CDialog {
        ExitPrompt() : CDialog(IDD_EXIT_PROMPT) {}
        BOOL OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT&) override {
            if (message != WM_COMMAND) return FALSE;
            const UINT id = LOWORD(wParam);
            if (id == IDOK || id == IDCANCEL || id == IDC_EXIT_AUTO) EndDialog(id);
            return id == IDOK || id == IDCANCEL || id == IDC_EXIT_AUTO;
        }
    } prompt;
    const INT_PTR answer = prompt.DoModal(hwnd_);
    if (answer == IDOK) {
        AppLog().Log(LOG_INT, "Update request by user");
        SaveStockFile();
    } else if (answer == IDC_EXIT_AUTO) {
        AppLog().Log(LOG_INT, "Update request by user / Set auto update mode");
        settings_.boolFlags1 |= kAutoSave;
        SaveSettings(*store_, settings_, AppLog());
        SaveStockFile();
    } else {
        AppLog().Log(LOG_INT, "Update denied by user");
        UpdatePosition();
    }
}

void CQuotrixDlg::OnDestroy() {
    AppLog().Log(LOG_INT, "WM_DESTROY procedure");
    for (auto& stock : stocks_) stock->SetShow(SHOW_HIDDEN);
    SetShow(SHOW_HIDDEN);
    HideVersionUpIcon();
    AppLog().Log(LOG_DTL, "[WND] HIDE Version up icon");
    AppLog().Log(LOG_DTL, "[WND] ENTER WM_DESTROY handler");

    if (engine_) engine_->Halt();
    KillTimer(hwnd_, CPortfolioView::kActionTimerId);
    AppLog().Log(LOG_DTL, "[TIMER] KILL PF Action timer");

    if (!stocks_.empty()) {
        if (settings_.boolFlags1 & kAutoSave) {
            SaveStockFile();
            AppLog().Log(LOG_DTL, "[FILE] SAVE Data file");
        } else if (settings_.boolFlags1 & BF1_MODIFIED) {
            ShowExitPrompt();
        } else {
            UpdatePosition();
        }
    } else if (settings_.boolFlags1 & BF1_MODIFIED) {
        // Every stock was deleted: an empty list cannot be written, the old file stays.
        AppLog().Log(LOG_ERR, "FILE: no stocks left, %s kept as it was", filePath_.c_str());
    }
    AppLog().Log(LOG_DTL, "[POS] SAVE position");
    SetShow(SHOW_HIDDEN);
    AppLog().Log(LOG_DTL, "[WND] HIDE Application window");
    if (engine_) engine_->WaitForWorkers();
    AppLog().Log(LOG_DTL, "[MEM] FINISH Delete process");
    {
        std::lock_guard<std::timed_mutex> lock(dayLock);
        versionUp_.reset();
    }
    AppLog().Log(LOG_DTL, "[MEM] DELETE Version up icon");
    if (tooltip_) DestroyWindow(tooltip_);
    if (scrollBar_) DestroyWindow(scrollBar_);
    tooltip_ = scrollBar_ = nullptr;
    DestroyMenus();
    AppLog().Log(LOG_DTL, "[WND] DELETE Menu");
    AppLog().Log(LOG_DTL, "[WND] RELEASE Image handles");
}

void CQuotrixDlg::OpenAboutBox() {
    if (aboutOpen) return;
    aboutOpen = true;
    CAboutDlg about(*this);
    about.DoModal(hwnd_);
    aboutOpen = false;
}

void CQuotrixDlg::OnTaskbarCreated() {
    AppLog().Log(LOG_INT, "[WND] Taskbar created: icons shown again");
    // The shell has no icons now: each one that asks for the notification area is added anew.
    ReshowInTray(*this);
    for (auto& stock : stocks_) ReshowInTray(*stock);
    std::lock_guard<std::timed_mutex> lock(dayLock);
    if (versionUp_) ReshowInTray(*versionUp_);
}

void CQuotrixDlg::OnReleaseNotice(const std::string& text) {
    // The check thread holds the day lock; the icon itself is the main thread's.
    pendingNotice_ = text;
    PostMessageW(hwnd_, WM_APP_VERSION_NOTICE, 0, 0);
}

void CQuotrixDlg::OnVersionUpNotice() {
    std::unique_lock<std::timed_mutex> lock(dayLock, std::chrono::milliseconds(50));
    if (!lock.owns_lock()) return;
    const std::string text = pendingNotice_;
    AppLog().Log(LOG_INT, "[WND] SHOW Version up icon");
    if (!versionUp_) {
        versionUp_ = std::make_unique<CStockIconCtrl>(kVersionUpIconId, false);
        versionUp_->SetShow(SHOW_HIDDEN);
        versionUp_->SetFirstIcon(hwnd_, cache_.GetIcon(kIconVersionUp), text);
    }
    ShowReleaseNotice(*versionUp_, text);
}

void CQuotrixDlg::HideVersionUpIcon() {
    std::lock_guard<std::timed_mutex> lock(dayLock);
    if (versionUp_) versionUp_->SetShow(SHOW_HIDDEN);
}

}  // namespace quotrix
