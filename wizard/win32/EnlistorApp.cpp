// Enlistor.exe: the switches, the wizard sheet and what Finish does.
#include "wizard/win32/EnlistorApp.h"

#include <commctrl.h>
#include <objbase.h>
#include <prsht.h>
#include <shellapi.h>

#include <vector>

#include "app/CodeList.h"
#include "files/PathNames.h"
#include "files/StockFile.h"
#include "model/StockMan.h"
#include "platform/SettingsStores.h"
#include "platform/TextCodec.h"
#include "platform/win32/ClassesRegistry.h"
#include "platform/win32/ModuleFolder.h"
#include "platform/win32/WinText.h"
#include "resources/resource.h"
#include "settings/AppSettings.h"
#include "wizard/FileType.h"
#include "wizard/WizardRules.h"
#include "wizard/win32/EnlistorPages.h"
#include "wizard/win32/Shortcut.h"

namespace quotrix {

namespace {

constexpr char kQuotrixProgram[] = "Quotrix.EXE";

// A relative path typed by the user would be read against another folder by Quotrix.exe.
std::string FullPath(const std::string& path) {
    const std::wstring wide = Wide(path);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::vector<wchar_t> full(size + 1, L'\0');
    if (GetFullPathNameW(wide.c_str(), size + 1, full.data(), nullptr) == 0) return path;
    return Narrow(full.data());
}

}  // namespace

int ShowEnlistorMessage(HWND owner, const std::string& text, UINT type) {
    return MessageBoxW(owner, Wide(text).c_str(), L"Quotrix!", type);
}

bool QuotrixProgramPath(std::string& path) {
    if (!GetModuleFolder(path)) return false;
    AppendPath(path, kQuotrixProgram);
    return true;
}

bool IsStockFileTypeRegistered() {
    std::string program;
    if (!QuotrixProgramPath(program)) return false;
    Win32ClassKeyStore store;
    return IsFileTypeRegistered(store, kStockFileExtension, program);
}

bool RegisterStockFileType() {
    std::string program;
    if (!QuotrixProgramPath(program)) return false;
    const FileTypeRegistration type = StockFileType(program, GetCommandLineToken(CurrentCommandLine(), 0));
    Win32ClassKeyStore user(Win32ClassKeyStore::USER);
    if (!RegisterFileType(user, program, type)) return false;
    // Where the classes root does not show the user's classes (Wine), the shell would not find
    // the type: there it goes to the classes root as well. Windows never gets here.
    Win32ClassKeyStore root(Win32ClassKeyStore::ROOT);
    RegisterFileType(root, program, type);
    NotifyFileTypesChanged();
    return true;
}

void CEnlistorApp::SetFinished(bool runAfterSave, bool createShortcut) {
    finished_ = true;
    runAfterSave_ = runAfterSave;
    createShortcut_ = createShortcut;
}

int CEnlistorApp::InitInstance() {
    switch (ReadEnlistorSwitch(GetCommandLineToken(CommandLineArguments(CurrentCommandLine()), 0))) {
        case EnlistorMode::RegisterInteractive:
            RegisterInteractively();
            return 0;
        case EnlistorMode::RegisterSilent:
            RegisterStockFileType();
            return 0;
        case EnlistorMode::Wizard:
            break;
    }
    if (RunWizard()) CompleteWizard();
    collected_.clear();
    return 0;
}

void CEnlistorApp::RegisterInteractively() {
    if (IsStockFileTypeRegistered() &&
        ShowEnlistorMessage(nullptr,
                            SJIS("すでに銘柄データファイルは関連づけられています。\n再度、関連づけを実行しますか？"),
                            MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (RegisterStockFileType())
        ShowEnlistorMessage(nullptr, SJIS("関連づけが終了しました。"), MB_OK | MB_ICONINFORMATION);
    else
        ShowEnlistorMessage(nullptr, SJIS("銘柄データファイルの関連づけに失敗しました。"), MB_OK | MB_ICONINFORMATION);
}

bool CEnlistorApp::RunWizard() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    CStartStockRegPage start;
    CAddStockPage codes(*this);
    CSelFolderPage folder(*this);
    CStockFinalPage finish(*this);
    HPROPSHEETPAGE pages[] = {start.CreatePage(), codes.CreatePage(), folder.CreatePage(), finish.CreatePage()};
    for (HPROPSHEETPAGE page : pages)
        if (!page) return false;
    const std::wstring caption = Wide(SJIS("銘柄の登録"));
    PROPSHEETHEADERW sheet{};
    sheet.dwSize = sizeof sheet;
    sheet.dwFlags = PSH_WIZARD | PSH_USEHICON;
    sheet.hInstance = resources_;
    sheet.hIcon = LoadIconW(resources_, MAKEINTRESOURCEW(IDI_ENLISTOR));
    sheet.pszCaption = caption.c_str();
    sheet.nPages = 4;
    sheet.phpage = pages;
    finished_ = false;
    PropertySheetW(&sheet);
    return finished_;
}

void CEnlistorApp::CompleteWizard() {
    const std::string path = FullPath(stockPath_);
    if (!collected_.empty()) {
        // "Lastest" names the new file only once it is there: a failed save must not turn
        // Quotrix.exe away from the file it used last.
        if (WriteStockFile(path, collected_, PortfolioPlacement{}, 0, StockFileHeader{})) {
            auto store = CreateUserSettingsStore(kCompanyKey);
            WriteLastest(*store, path);
        } else {
            ShowEnlistorMessage(nullptr, SJIS("銘柄情報の保存に失敗しました。"), MB_OK | MB_ICONEXCLAMATION);
        }
    }
    if (createShortcut_ && !CreateDesktopShortcut(path))
        ShowEnlistorMessage(nullptr, SJIS("デスクトップにショートカットを作成できませんでした。"),
                            MB_OK | MB_ICONEXCLAMATION);
    std::string program;
    if (runAfterSave_ && QuotrixProgramPath(program))
        ShellExecuteW(nullptr, L"open", Wide(program).c_str(), Wide(OpenFileArguments(path)).c_str(), nullptr,
                      SW_SHOWNORMAL);
}

}  // namespace quotrix

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const bool com = SUCCEEDED(CoInitialize(nullptr));
    int code = 0;
    {
        quotrix::CEnlistorApp app(instance);
        code = app.InitInstance();
    }
    if (com) CoUninitialize();
    return code;
}
