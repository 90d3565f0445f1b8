// Quotrix.exe: start-up, the choice of the stocks and the message loop.
#include "app/win32/QuotrixApp.h"

#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "app/CodeList.h"
#include "app/win32/QuotrixDlg.h"
#include "log/ErrLog.h"
#include "model/StockMan.h"
#include "platform/Clipboard.h"
#include "platform/SettingsStores.h"
#include "platform/TextCodec.h"
#include "platform/win32/WinText.h"
#include "platform/win32/ui/UiFont.h"
#include "resources/resource.h"
#include "settings/AppSettings.h"

namespace quotrix {

namespace {

constexpr wchar_t kWindowTitle[] = L"Quotrix! main window";

// The start-up choice: codes (1), a file (0) or nothing (2).
class CStartupChoiceDlg : public CDialog {
  public:
    CStartupChoiceDlg() : CDialog(IDD_STARTUP_CHOICE) {}

  protected:
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT&) override {
        if (message != WM_COMMAND) return FALSE;
        switch (LOWORD(wParam)) {
            case IDC_CHOICE_CODES:
                EndDialog(1);
                return TRUE;
            case IDC_CHOICE_FILE:
                EndDialog(0);
                return TRUE;
            case IDCANCEL:
                EndDialog(2);
                return TRUE;
            default:
                return FALSE;
        }
    }
};

}  // namespace

std::string LoadResourceText(HINSTANCE resources, UINT id) {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(resources, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? Narrow(std::wstring_view(text, static_cast<std::size_t>(length))) : std::string();
}

CQuotrixApp::CQuotrixApp(HINSTANCE resources) : resources_(resources) { comReady_ = SUCCEEDED(CoInitialize(nullptr)); }

CQuotrixApp::~CQuotrixApp() {
    DestroyMainWindow();
    if (comReady_) CoUninitialize();
    AppLog().Log(LOG_INT, "Application terminated");
}

void CQuotrixApp::ShowMessage(UINT id) {
    HWND owner = mainWindow_ ? mainWindow_->GetSafeHwnd() : nullptr;
    MessageBoxW(owner, Wide(LoadResourceText(resources_, id)).c_str(),
                Wide(LoadResourceText(resources_, IDS_APP_CAPTION)).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

bool CQuotrixApp::InitInstance() {
    auto store = CreateUserSettingsStore(LoadResourceText(resources_, IDS_COMPANY_KEY));
    mainWindow_ = std::make_unique<CQuotrixDlg>(*this);
    LoadLogSettings(*store, AppLog());
    const UiFontInfo& font = GetUiFontInfo();
    AppLog().Log(LOG_DTL, "UI font: %s (charset %d)", Narrow(font.face).c_str(), font.charset);
    // Copying and pasting stocks between programs needs the format registered before any window asks.
    if (!RegisterStockClipboardFormat()) AppLog().Log(LOG_ERR, "Clipboard format registration failed");
    if (!mainWindow_->Create(nullptr)) {
        ShowMessage(IDS_WINDOW_FAILED);
        mainWindow_.reset();
        return false;
    }
    SetWindowTextW(mainWindow_->GetSafeHwnd(), kWindowTitle);
    if (mainWindow_->InitFailed()) {
        ShowMessage(IDS_INIT_FAILED);
        DestroyMainWindow();
        return false;
    }
    AppLog().Log(LOG_DTL, "Main window created");
    PortfolioPlacement placement;
    if (!ChooseStartupStocks(placement)) {
        AppLog().Log(LOG_ERR, "Stock data load failure");
        DestroyMainWindow();
        return false;
    }
    if (!mainWindow_->StartCheckTimer()) {
        ShowMessage(IDS_TIMER_FAILED);
        DestroyMainWindow();
        return false;
    }
    mainWindow_->CompleteStartup();
    return true;
}

int CQuotrixApp::Run() {
    if (!InitInstance()) return 0;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        HWND main = mainWindow_ ? mainWindow_->GetSafeHwnd() : nullptr;
        if (main && mainWindow_->PreTranslateManager(msg)) continue;
        // The keys of table 242 belong to the main window and what it shows.
        if (main && (msg.hwnd == main || IsChild(main, msg.hwnd)) &&
            TranslateAcceleratorW(main, mainWindow_->Accelerators(), &msg))
            continue;
        if (main && IsDialogMessageW(main, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    DestroyMainWindow();
    AppLog().Log(LOG_DTL, "Delete main window object");
    return static_cast<int>(msg.wParam);
}

void CQuotrixApp::DestroyMainWindow() {
    if (!mainWindow_) return;
    // Destroyed while the whole object still exists, so that its shutdown handler runs.
    if (HWND main = mainWindow_->GetSafeHwnd()) DestroyWindow(main);
    mainWindow_.reset();
}

void CQuotrixApp::ExitApplication() {
    AppLog().Log(LOG_INT, "Exit application process");
    if (mainWindow_) {
        HWND main = mainWindow_->GetSafeHwnd();
        if (main) {
            SetWindowPos(main, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
            DestroyWindow(main);
        }
    }
    // The object is deleted once the loop has ended: this may run inside its own handler.
    PostQuitMessage(0);
    auto store = CreateUserSettingsStore(LoadResourceText(resources_, IDS_COMPANY_KEY));
    SaveLogFileNumber(*store, AppLog());
}

bool CQuotrixApp::LoadStartupFile(const std::string& path, PortfolioPlacement& placement) {
    StockList stocks;
    PriceValue cash = 0;
    StockFileHeader header;
    ReadStockFile(path, stocks, placement, cash, header);
    if (stocks.empty()) {
        AppLog().Log(LOG_ERR, "No stock data: %s", path.c_str());
        return false;
    }
    AppLog().Log(LOG_INT, "Stock file: %s / %d items", path.c_str(), static_cast<int>(stocks.size()));
    mainWindow_->AdoptFile(path, stocks, placement, cash, header);
    return true;
}

int CQuotrixApp::ParseStartupCommandLine(PortfolioPlacement& placement) {
    const std::string commandLine = CurrentCommandLine();
    const StartupArguments arguments = ReadStartupArguments(CommandLineArguments(commandLine));
    switch (arguments.kind) {
        case StartupArguments::NONE:
            return 0;
        case StartupArguments::STOCK_FILE:
            if (LoadStartupFile(arguments.text, placement)) return 2;
            ShowMessage(IDS_LOAD_FAILED);
            return 1;
        case StartupArguments::BAD_SWITCH:
            AppLog().Log(LOG_ERR, "Invalid commandline parameters: %s", commandLine.c_str());
            ShowMessage(IDS_BAD_COMMAND_LINE);
            return 1;
        case StartupArguments::CODES:
            break;
    }
    StockList stocks;
    ParseCodeList(stocks, arguments.text, &ProcessSettings().stdStock);
    // Only codes count here: "xyz" must give message 105, not a currency pair nobody meant.
    std::erase_if(stocks, [](const std::unique_ptr<CStockMan>& s) { return !HasStockCode(*s); });
    if (stocks.empty()) {
        ShowMessage(IDS_BAD_CODES);
        return 0;
    }
    AppLog().Log(LOG_INT, "Stock code specified in command line params / %d items", static_cast<int>(stocks.size()));
    mainWindow_->AppendStocks(stocks);
    return 2;
}

bool CQuotrixApp::OpenLastStockFile(PortfolioPlacement& placement) {
    auto store = CreateUserSettingsStore(LoadResourceText(resources_, IDS_COMPANY_KEY));
    const std::string last = ReadLastest(*store);
    if (!last.empty() && LoadStartupFile(last, placement)) return true;
    std::string folder;
    wchar_t path[MAX_PATH] = L"";
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path)))
        folder = Narrow(path);
    else if (GetCurrentDirectoryW(MAX_PATH, path))
        folder = Narrow(path);
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return LoadStartupFile(folder + LoadResourceText(resources_, IDS_DEFAULT_FILE), placement) ||
           LoadStartupFile(folder + LoadResourceText(resources_, IDS_OLD_DEFAULT_FILE), placement);
}

bool CQuotrixApp::OpenStockFileDialog(PortfolioPlacement& placement) {
    AppLog().Log(LOG_DTL, "Sel stock dlg mode");
    auto store = CreateUserSettingsStore(LoadResourceText(resources_, IDS_COMPANY_KEY));
    wchar_t file[MAX_PATH] = L"";
    const std::wstring last = Wide(ReadLastest(*store));
    if (last.size() < MAX_PATH) last.copy(file, last.size());
    const std::wstring filter = Wide(SJIS("Quotrix!銘柄ﾌｧｲﾙ(*.quotrix)")) + L'\0' + L"*.quotrix;*.QUOTRIX" + L'\0' +
                                Wide(SJIS("すべてのﾌｧｲﾙ(*.*)")) + L'\0' + L"*.*" + L'\0';
    const std::wstring title = Wide(SJIS("銘柄ファイルを開く"));
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = mainWindow_->GetSafeHwnd();
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = L"quotrix";
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&ofn)) return false;
    if (LoadStartupFile(Narrow(file), placement)) return true;
    ShowMessage(IDS_LOAD_FAILED);
    return false;
}

bool CQuotrixApp::ChooseStartupStocks(PortfolioPlacement& placement) {
    const int r = ParseStartupCommandLine(placement);
    if (r == 2) return true;
    if (r == 0) {
        switch (ProcessSettings().defAction) {
            case 1:
                if (OpenStartupAddStock()) return true;
                break;
            case 2: {
                if (OpenLastStockFile(placement)) return true;
                CStartupChoiceDlg choice;
                const INT_PTR answer = choice.DoModal(mainWindow_->GetSafeHwnd());
                if (answer == 1) return OpenStartupAddStock();
                if (answer != 0) return false;
                break;
            }
            default:
                break;
        }
    }
    return OpenStockFileDialog(placement);
}

bool CQuotrixApp::OpenStartupAddStock() {
    AppLog().Log(LOG_DTL, "Add stock dlg mode");
    return mainWindow_->OpenAddStock(1);
}

bool CQuotrixApp::StartWizard() {
    std::string folder;
    if (!GetModuleFolder(folder)) return false;
    const std::wstring path = Wide(folder + "\\" + LoadResourceText(resources_, IDS_WIZARD_FILE));
    const auto result =
        reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

}  // namespace quotrix

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    quotrix::CQuotrixApp app(instance);
    return app.Run();
}
