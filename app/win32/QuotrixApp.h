// The application object of Quotrix.exe: chooses the stocks from the command line, the settings
// and the user's answers, creates the main window and runs the message loop. Main thread only.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "files/StockFile.h"
#include "platform/win32/ModuleFolder.h"  // GetModuleFolder, shared with the wizard

namespace quotrix {

class CQuotrixDlg;

class CQuotrixApp {
  public:
    explicit CQuotrixApp(HINSTANCE resources);
    ~CQuotrixApp();
    CQuotrixApp(const CQuotrixApp&) = delete;
    CQuotrixApp& operator=(const CQuotrixApp&) = delete;

    bool InitInstance();
    int Run();
    void ExitApplication();
    // 0 nothing usable given, 1 a file could not be used (the file dialog follows), 2 loaded.
    int ParseStartupCommandLine(PortfolioPlacement& placement);
    bool LoadStartupFile(const std::string& path, PortfolioPlacement& placement);
    bool OpenLastStockFile(PortfolioPlacement& placement);
    bool ChooseStartupStocks(PortfolioPlacement& placement);
    bool StartWizard();

    // A message of the string table with caption 103 and the exclamation icon.
    void ShowMessage(UINT id);
    HINSTANCE Resources() const { return resources_; }

  private:
    bool OpenStockFileDialog(PortfolioPlacement& placement);
    // The add-stock sheet in start-up mode; true when it added stocks.
    bool OpenStartupAddStock();
    void DestroyMainWindow();

    HINSTANCE resources_;
    std::unique_ptr<CQuotrixDlg> mainWindow_;
    bool comReady_ = false;
};

// A text of the string table (Shift-JIS); empty when it is missing.
std::string LoadResourceText(HINSTANCE resources, UINT id);

}  // namespace quotrix
