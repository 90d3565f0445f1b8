#include "wizard/win32/EnlistorPages.h"

#include <windows.h>
// After windows.h.
#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <thread>
#include <tuple>

#include "model/SiteHosts.h"
#include "platform/SettingsStores.h"
#include "platform/TextCodec.h"
#include "platform/win32/WinText.h"
#include "platform/win32/ui/UiFont.h"
#include "resources/resource.h"
#include "wizard/win32/EnlistorApp.h"

namespace quotrix {

namespace {

// The application-data folder of the program ("...\Quotrix"), made when missing; the current
// folder when the user has none; empty when neither is known.
std::string ProgramDataFolder() {
    wchar_t path[MAX_PATH] = L"";
    std::wstring folder;
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)))
        folder = path;
    else if (GetCurrentDirectoryW(MAX_PATH, path))
        folder = path;
    if (folder.empty()) return std::string();
    std::string result = Narrow(folder);
    AppendPath(result, "Quotrix");
    CreateDirectoryW(Wide(result).c_str(), nullptr);  // an existing folder is fine
    return result;
}

bool PathExistsOnDisk(const std::string& path) {
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The lookup page opens on a thread of its own: starting a browser may take seconds.
void OpenInBrowser(HWND owner, std::wstring address) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ShellExecuteW(IsWindow(owner) ? owner : nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    CoUninitialize();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
CStartStockRegPage::CStartStockRegPage() : CWizardPage(IDD_WIZ_START) {}

void CStartStockRegPage::OnInitDialog() {
    // The sheet exists before its first page: it gets the wizard's icon in both sizes here, so
    // that the title bar and the task switcher show it whatever the sheet made of its header.
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (auto [size, x, y] : {std::tuple{ICON_BIG, SM_CXICON, SM_CYICON}, {ICON_SMALL, SM_CXSMICON, SM_CYSMICON}}) {
        HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(IDI_ENLISTOR), IMAGE_ICON, GetSystemMetrics(x),
                                 GetSystemMetrics(y), LR_SHARED);
        SendMessageW(Sheet(), WM_SETICON, size, reinterpret_cast<LPARAM>(icon));
    }
    SendMessageW(Item(IDC_WIZ_HEADING), WM_SETFONT, reinterpret_cast<WPARAM>(GetUiBoldFont()), TRUE);
}

void CStartStockRegPage::OnSetActive() { SetWizardButtons(PSWIZB_NEXT); }

// ---------------------------------------------------------------------------------------------
CAddStockPage::CAddStockPage(CEnlistorApp& app) : CWizardPage(IDD_WIZ_CODES), app_(app) {}

void CAddStockPage::UpdateButtons() { SetWizardButtons(PSWIZB_BACK | (CodesNextEnabled(codeText_) ? PSWIZB_NEXT : 0)); }

void CAddStockPage::OnSetActive() {
    codeText_ = ItemText(IDC_WIZ_CODES);
    UpdateButtons();
}

bool CAddStockPage::OnWizardNext() {
    codeText_ = ItemText(IDC_WIZ_CODES);
    app_.Collected() = CollectCodes(codeText_);
    return true;
}

bool CAddStockPage::OnCommand(int id, int code) {
    if (id == IDC_WIZ_CODES && code == EN_CHANGE) {
        codeText_ = ItemText(IDC_WIZ_CODES);
        UpdateButtons();
        return true;
    }
    if (id == IDC_WIZ_SEARCH && code == BN_CLICKED) {
        OpenLookupPage();
        return true;
    }
    return false;
}

void CAddStockPage::OpenLookupPage() {
    keyword_ = ItemText(IDC_WIZ_KEYWORD);
    auto store = CreateUserSettingsStore();
    const std::string host = store->GetString("Setting", "HostQuote", SiteHosts{}.quote);
    std::string address;
    bool started = CodeLookupAddress(host, keyword_, address);
    if (started) {
        try {
            std::thread(OpenInBrowser, Sheet(), Wide(address)).detach();
        } catch (const std::system_error&) {
            started = false;
        }
    }
    if (!started) Message(SJIS("検索ページのオープンに失敗しました。"), MB_OK | MB_ICONEXCLAMATION);
}

// ---------------------------------------------------------------------------------------------
CSelFolderPage::CSelFolderPage(CEnlistorApp& app) : CWizardPage(IDD_WIZ_FOLDER), app_(app) {}

void CSelFolderPage::OnInitDialog() {
    location_.Initialise(ProgramDataFolder(), PathExistsOnDisk);
    filling_ = true;
    SetItemText(IDC_WIZ_TITLE, location_.Title());
    SetItemText(IDC_WIZ_PATH, location_.Path());
    filling_ = false;
    EnableWindow(Item(IDC_WIZ_MODE_APPDATA), location_.AppDataAllowed());
    ShowMode();
}

void CSelFolderPage::ShowMode() {
    const bool appData = location_.Mode() == SaveLocation::APP_DATA;
    CheckRadioButton(hwnd_, IDC_WIZ_MODE_APPDATA, IDC_WIZ_MODE_USER,
                     appData ? IDC_WIZ_MODE_APPDATA : IDC_WIZ_MODE_USER);
    for (int id : {IDC_WIZ_TITLE, IDC_WIZ_TITLE_LABEL}) EnableWindow(Item(id), location_.TitleEnabled());
    for (int id : {IDC_WIZ_PATH, IDC_WIZ_PATH_LABEL, IDC_WIZ_BROWSE}) EnableWindow(Item(id), location_.PathEnabled());
}

void CSelFolderPage::OnSetActive() { SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT); }

bool CSelFolderPage::OnWizardNext() {
    app_.SetStockPath(location_.Path());
    return true;
}

bool CSelFolderPage::OnCommand(int id, int code) {
    switch (id) {
        case IDC_WIZ_MODE_APPDATA:
        case IDC_WIZ_MODE_USER:
            if (code != BN_CLICKED) return false;
            location_.SetMode(id == IDC_WIZ_MODE_APPDATA ? SaveLocation::APP_DATA : SaveLocation::USER_PATH);
            ShowMode();
            return true;
        case IDC_WIZ_TITLE:
            if (code != EN_CHANGE || filling_) return false;
            location_.EditTitle(ItemText(IDC_WIZ_TITLE));
            filling_ = true;
            SetItemText(IDC_WIZ_PATH, location_.Path());
            filling_ = false;
            return true;
        case IDC_WIZ_PATH:
            if (code != EN_CHANGE || filling_) return false;
            location_.EditPath(ItemText(IDC_WIZ_PATH));
            filling_ = true;
            SetItemText(IDC_WIZ_TITLE, location_.Title());
            filling_ = false;
            return true;
        case IDC_WIZ_BROWSE:
            if (code != BN_CLICKED) return false;
            Browse();
            return true;
        default:
            return false;
    }
}

void CSelFolderPage::Browse() {
    wchar_t file[MAX_PATH] = L"";
    const std::wstring current = Wide(location_.Path());
    if (current.size() < MAX_PATH) current.copy(file, current.size());
    const std::wstring filter = Wide(SJIS("Quotrix!銘柄ﾌｧｲﾙ(*.quotrix)")) + L'\0' + L"*.quotrix;*.QUOTRIX" + L'\0' +
                                Wide(SJIS("すべてのﾌｧｲﾙ(*.*)")) + L'\0' + L"*.*" + L'\0';
    const std::wstring title = Wide(SJIS("銘柄ファイル保存先の指定"));
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = L"quotrix";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    if (!GetSaveFileNameW(&ofn)) return;
    // Setting the path box gives the title through its change notification.
    SetItemText(IDC_WIZ_PATH, Narrow(file));
}

// ---------------------------------------------------------------------------------------------
CStockFinalPage::CStockFinalPage(CEnlistorApp& app) : CWizardPage(IDD_WIZ_FINISH), app_(app) {}

void CStockFinalPage::OnInitDialog() {
    CheckDlgButton(hwnd_, IDC_WIZ_RUN, BST_CHECKED);
    CheckDlgButton(hwnd_, IDC_WIZ_SHORTCUT, BST_CHECKED);
}

void CStockFinalPage::HideNotice() {
    ShowWindow(Item(IDC_WIZ_NOTICE), SW_HIDE);
    ShowWindow(Item(IDC_WIZ_REGISTER), SW_HIDE);
}

void CStockFinalPage::OnSetActive() {
    SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
    if (IsStockFileTypeRegistered()) HideNotice();
}

bool CStockFinalPage::OnWizardFinish() {
    app_.SetFinished(IsDlgButtonChecked(hwnd_, IDC_WIZ_RUN) == BST_CHECKED,
                     IsDlgButtonChecked(hwnd_, IDC_WIZ_SHORTCUT) == BST_CHECKED);
    return true;
}

bool CStockFinalPage::OnCommand(int id, int code) {
    if (id != IDC_WIZ_REGISTER || code != BN_CLICKED) return false;
    Register();
    return true;
}

void CStockFinalPage::Register() {
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    const bool registered = RegisterStockFileType();
    SetCursor(previous);
    if (registered) {
        Message(SJIS("関連づけが終了しました。"), MB_OK | MB_ICONINFORMATION);
        HideNotice();
    } else {
        Message(SJIS("銘柄データファイルの関連づけに失敗しました。"), MB_OK | MB_ICONINFORMATION);
    }
}

}  // namespace quotrix
