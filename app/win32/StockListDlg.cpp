#include "app/win32/StockListDlg.h"

#include <commdlg.h>

#include <algorithm>
#include <span>
#include <unordered_map>

#include "app/FileItemFlags.h"
#include "app/win32/QuotrixApp.h"
#include "app/win32/QuotrixDlg.h"
#include "dialogs/StockListModel.h"
#include "files/StockCsv.h"
#include "log/ErrLog.h"
#include "platform/Clipboard.h"
#include "platform/Messages.h"
#include "platform/win32/WinText.h"
#include "platform/win32/ui/DlgItems.h"
#include "platform/win32/ui/UiFont.h"
#include "resources/resource.h"

namespace quotrix {

namespace {

// Kept for the life of the program, as the user last sorted.
StockListSort sortState;

constexpr std::uint32_t kPortfolioTipText = 0x00020000;  // BoolFlags1: details as tip text
constexpr std::uint32_t kManagerGridLines = 0x1;         // NewBoolean1
constexpr std::uint32_t kBorderAbove = 0x1;              // FileFlags

// The image-list drag functions, bound by name at first use: a missing one skips its step.
struct DragFunctions {
    BOOL(WINAPI* begin)(HIMAGELIST, int, int, int) = nullptr;
    BOOL(WINAPI* enter)(HWND, int, int) = nullptr;
    BOOL(WINAPI* move)(int, int) = nullptr;
    BOOL(WINAPI* leave)(HWND) = nullptr;
    void(WINAPI* end)() = nullptr;
};

template <typename F>
void Bind(HMODULE module, const char* name, F& target) {
    // Through void (*)(), the function type that matches every other.
    target = reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

const DragFunctions& Drag() {
    static const DragFunctions functions = [] {
        DragFunctions f;
        HMODULE module = GetModuleHandleW(L"comctl32.dll");
        if (!module) module = LoadLibraryW(L"comctl32.dll");
        if (!module) return f;
        Bind(module, "ImageList_BeginDrag", f.begin);
        Bind(module, "ImageList_DragEnter", f.enter);
        Bind(module, "ImageList_DragMove", f.move);
        Bind(module, "ImageList_DragLeave", f.leave);
        Bind(module, "ImageList_EndDrag", f.end);
        return f;
    }();
    return functions;
}

SIZE ItemSize(HWND dialog, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    return {r.right - r.left, r.bottom - r.top};
}

std::wstring FileFilter(const std::string& name, const wchar_t* pattern) {
    return Wide(name) + L'\0' + pattern + L'\0' + Wide(SJIS("すべてのﾌｧｲﾙ(*.*)")) + L'\0' + L"*.*" + L'\0';
}

// The system's save dialog; the chosen path, or empty when the user cancelled.
std::string AskSavePath(HWND owner, const std::string& title, const std::wstring& filter, const std::string& initial,
                        const wchar_t* extension) {
    wchar_t file[MAX_PATH] = L"";
    const std::wstring name = Wide(initial);
    wcsncpy(file, name.c_str(), MAX_PATH - 1);
    const std::wstring caption = Wide(title);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = caption.c_str();
    ofn.lpstrDefExt = extension;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    if (!GetSaveFileNameW(&ofn)) return {};
    return Narrow(file);
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    HANDLE file =
        CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    return CloseHandle(file) && ok;
}

void SetCheck(HMENU menu, UINT id, bool checked) {
    CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void SetEnabled(HMENU menu, UINT id, bool enabled) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

}  // namespace

CStockListDlg::CStockListDlg(CQuotrixDlg& owner) : CDialog(IDD_STOCKLIST), owner_(owner) {}

CStockListDlg::~CStockListDlg() {
    EndDragImage();
    if (icon_) DestroyIcon(icon_);
}

bool CStockListDlg::Open(HWND owner) {
    if (!Create(owner)) return false;
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    return true;
}

BOOL CStockListDlg::OnInitDialog() {
    icon_ = static_cast<HICON>(LoadImageW(owner_.Resources(), MAKEINTRESOURCEW(IDI_QUOTRIX), IMAGE_ICON, 16, 16, 0));
    if (icon_) SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    // Drawn by us in the UI font: the system's menu font may have no Japanese glyphs.
    menuBar_.Attach(hwnd_);
    list_ = GetDlgItem(hwnd_, IDC_SL_LIST);
    sortButton_ = ItemSize(hwnd_, IDC_SL_SORT);
    closeButton_ = ItemSize(hwnd_, IDCANCEL);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_LABELTIP,
                 LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_LABELTIP);
    SetGridLines();
    for (int column = 0; column < kStockListColumns; ++column) {
        const StockListColumnInfo& info = StockListColumnAt(column);
        std::wstring title = Wide(info.title);
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        c.fmt = info.align == ColumnAlign::Right    ? LVCFMT_RIGHT
                : info.align == ColumnAlign::Centre ? LVCFMT_CENTER
                                                    : LVCFMT_LEFT;
        c.cx = info.width;
        c.pszText = title.data();
        c.iSubItem = column;
        SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c));
    }
    Fill();
    RECT client{};
    GetClientRect(hwnd_, &client);
    OnSize(client.right, client.bottom);
    return TRUE;
}

void CStockListDlg::SetGridLines() {
    const bool grid = (owner_.settings_.newBoolean1 & kManagerGridLines) != 0;
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES, grid ? LVS_EX_GRIDLINES : 0);
}

void CStockListDlg::SetRow(int index, const CStockMan& stock, bool insert) {
    const StockListRow row = BuildStockListRow(stock, (owner_.options.nameOptions & NAMEOPT_DIGIT_GROUPING) != 0);
    std::wstring text = Wide(row[0]);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = index;
    item.pszText = text.data();
    item.lParam = static_cast<LPARAM>(stock.Id());
    if (insert)
        index = static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    else
        SendMessageW(list_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    if (index < 0) return;
    for (int column = 1; column < kStockListColumns; ++column) {
        std::wstring sub = Wide(row[static_cast<std::size_t>(column)]);
        LVITEMW s{};
        s.iSubItem = column;
        s.pszText = sub.data();
        SendMessageW(list_, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&s));
    }
}

void CStockListDlg::Fill() {
    if (!list_) return;
    const std::vector<std::uint32_t> selected = SelectedIds();
    const int top = static_cast<int>(SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    int index = 0;
    for (const auto& stock : owner_.stocks_) SetRow(index++, *stock, true);
    for (int i = 0; i < index; ++i) {
        if (std::find(selected.begin(), selected.end(), RowId(i)) == selected.end()) continue;
        LVITEMW state{};
        state.stateMask = state.state = LVIS_SELECTED;
        SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&state));
    }
    if (top > 0 && top < index) SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(top), FALSE);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

std::uint32_t CStockListDlg::RowId(int index) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
    return static_cast<std::uint32_t>(item.lParam);
}

int CStockListDlg::RowCount() const { return static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }

int CStockListDlg::SelectedCount() const {
    return list_ ? static_cast<int>(SendMessageW(list_, LVM_GETSELECTEDCOUNT, 0, 0)) : 0;
}

std::vector<std::uint32_t> CStockListDlg::SelectedIds() const {
    std::vector<std::uint32_t> ids;
    if (!list_) return ids;
    for (int i = -1;
         (i = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED))) >= 0;)
        ids.push_back(RowId(i));
    return ids;
}

std::vector<std::uint32_t> CStockListDlg::RowIds() const {
    std::vector<std::uint32_t> ids;
    const int rows = RowCount();
    for (int i = 0; i < rows; ++i) ids.push_back(RowId(i));
    return ids;
}

void CStockListDlg::RefreshRowOf(std::uint32_t id) {
    const int rows = RowCount();
    CStockMan* stock = owner_.FindStock(id);
    for (int i = 0; i < rows; ++i) {
        if (RowId(i) != id) continue;
        if (stock)
            SetRow(i, *stock, false);
        else
            SendMessageW(list_, LVM_DELETEITEM, static_cast<WPARAM>(i), 0);
        return;
    }
}

void CStockListDlg::Sort(int column) {
    sortState.Click(column);
    // The texts are gathered first: the list must not be asked while it moves its rows.
    std::unordered_map<LPARAM, std::string> texts;
    const int rows = RowCount();
    for (int i = 0; i < rows; ++i) {
        wchar_t buffer[512] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = 512;
        SendMessageW(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        texts[static_cast<LPARAM>(RowId(i))] = Narrow(buffer);
    }
    auto compare = [](LPARAM a, LPARAM b, LPARAM data) -> int {
        const auto& map = *reinterpret_cast<const std::unordered_map<LPARAM, std::string>*>(data);
        const auto first = map.find(a);
        const auto second = map.find(b);
        if (first == map.end() || second == map.end()) return 0;
        return sortState.Compare(first->second, second->second);
    };
    SendMessageW(list_, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&texts),
                 reinterpret_cast<LPARAM>(static_cast<PFNLVCOMPARE>(compare)));
}

void CStockListDlg::OnSize(int width, int height) {
    if (!list_) return;
    const int closeLeft = width - 4 - closeButton_.cx;
    const int top = height - 4 - closeButton_.cy;
    const int sortLeft = closeLeft - 4 - sortButton_.cx;
    HDWP positions = BeginDeferWindowPos(3);
    positions = DeferWindowPos(positions, GetDlgItem(hwnd_, IDCANCEL), nullptr, closeLeft, top, 0, 0,
                               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    positions = DeferWindowPos(positions, GetDlgItem(hwnd_, IDC_SL_SORT), nullptr, sortLeft, top, 0, 0,
                               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    positions = DeferWindowPos(positions, list_, nullptr, 2, 2, std::max(0, width - 4), std::max(0, top - 10 - 2),
                               SWP_NOZORDER | SWP_NOACTIVATE);
    EndDeferWindowPos(positions);
}

void CStockListDlg::OnInitMenuPopup(HMENU menu) {
    const bool selection = SelectedCount() > 0;
    SetEnabled(menu, ID_SL_COPY, selection);
    SetEnabled(menu, ID_SL_DELETE, selection);
    SetEnabled(menu, ID_SL_PASTE, ClipboardHasStocks(hwnd_));
    SetCheck(menu, ID_SL_TOTAL_ICON, owner_.settings_.dispTotal == 1);
    SetCheck(menu, ID_SL_TIP_TEXT, (owner_.settings_.boolFlags1 & kPortfolioTipText) != 0);
    // The portfolio window and its price bars: the main window's own switches.
    SetCheck(menu, ID_SL_PORTFOLIO, owner_.PortfolioSwitchOn(ID_PF_SWITCH_PORTFOLIO));
    SetCheck(menu, ID_SL_PRICE_BARS, owner_.PortfolioSwitchOn(ID_PF_SWITCH_PRICE_BARS));
    SetCheck(menu, ID_SL_GRID, (owner_.settings_.newBoolean1 & kManagerGridLines) != 0);
}

BOOL CStockListDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return TRUE;
        case WM_NOTIFY: {
            NMHDR& header = *reinterpret_cast<NMHDR*>(lParam);
            if (header.hwndFrom != list_) return FALSE;
            result = OnListNotify(header);
            return TRUE;
        }
        case WM_SIZE:
            OnSize(LOWORD(lParam), HIWORD(lParam));
            return TRUE;
        case WM_GETMINMAXINFO: {
            // Room for both buttons side by side.
            auto& info = *reinterpret_cast<MINMAXINFO*>(lParam);
            info.ptMinTrackSize.x = sortButton_.cx + closeButton_.cx + 40;
            info.ptMinTrackSize.y = closeButton_.cy * 6;
            return TRUE;
        }
        case WM_INITMENUPOPUP:
            if (!HIWORD(lParam)) OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
            return TRUE;
        // The menu bar's own items first; the borrowed popups are drawn by the main window's
        // menu code.
        case WM_MEASUREITEM: {
            auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            result = menuBar_.OnMeasureItem(item) || owner_.OnMeasureItem(item);
            return static_cast<BOOL>(result);
        }
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            result = menuBar_.OnDrawItem(item) || owner_.OnDrawItem(item);
            return static_cast<BOOL>(result);
        }
        case WM_MENUCHAR: {
            const auto key = static_cast<wchar_t>(LOWORD(wParam));
            HMENU menu = reinterpret_cast<HMENU>(lParam);
            if (menuBar_.OnMenuChar(key, menu, result)) return TRUE;
            if (HIWORD(wParam) != MF_POPUP) return FALSE;
            result = owner_.OnMenuChar(key, menu);
            return TRUE;
        }
        case WM_MOUSEMOVE:
            if (dragIndex_ < 0) return FALSE;
            DragMove({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            return TRUE;
        case WM_LBUTTONUP:
            if (dragIndex_ < 0) return FALSE;
            Drop({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            return TRUE;
        case WM_CAPTURECHANGED:
            if (dragIndex_ >= 0 && reinterpret_cast<HWND>(lParam) != hwnd_) {
                dragIndex_ = -1;
                EndDragImage();
            }
            return FALSE;
        case WM_CLOSE:
            DestroyWindow(hwnd_);
            return TRUE;
        case WM_NCDESTROY:
            // The main window frees this object once the window has gone.
            PostMessageW(owner_.GetSafeHwnd(), WM_COMMAND, ID_SL_CLOSED, 0);
            return FALSE;
        default:
            return FALSE;
    }
}

LRESULT CStockListDlg::OnListNotify(NMHDR& header) {
    switch (header.code) {
        case NM_DBLCLK:
            OpenProperties();
            return 0;
        case NM_RCLICK:
            ShowRowMenu();
            return 0;
        case LVN_COLUMNCLICK:
            Sort(reinterpret_cast<NMLISTVIEW&>(header).iSubItem);
            return 0;
        case LVN_BEGINDRAG:
            BeginDrag(reinterpret_cast<NMLISTVIEW&>(header).iItem);
            return 0;
        default:
            return 0;
    }
}

void CStockListDlg::OnCommand(UINT id) {
    CQuotrixDlg& main = owner_;
    switch (id) {
        case IDOK:
            // Return in the list: the properties of the one selected stock.
            if (GetFocus() == list_) OpenProperties();
            return;
        case IDCANCEL:
        case ID_SL_CLOSE:
            DestroyWindow(hwnd_);
            return;
        case ID_SL_ADD:
        case ID_ACCEL_ADD_STOCK: {
            // The sheet may open from here although the manager counts as an open dialog.
            const bool open = main.managerOpen;
            main.managerOpen = false;
            main.OpenAddStock(0);
            main.managerOpen = open;
            Fill();
            return;
        }
        case ID_SL_SAVE:
        case ID_ACCEL_SAVE:
            main.SaveStockFile();
            Fill();
            return;
        case ID_SL_SAVE_COPY:
            SaveCopy();
            return;
        case ID_SL_SAVE_CSV:
            SaveCsv();
            return;
        case ID_SL_WIZARD:
            main.app_.StartWizard();
            return;
        case ID_SL_OPTIONS:
            PostMessageW(main.GetSafeHwnd(), WM_COMMAND, ID_APP_OPTIONS, 0);
            return;
        case ID_SL_COPY_ALL:
            CopyAll();
            return;
        case ID_SL_COPY:
        case ID_ACCEL_COPY:
            CopySelected();
            return;
        case ID_SL_PASTE:
        case ID_ACCEL_PASTE:
            Paste();
            return;
        case ID_SL_DELETE:
        case ID_ACCEL_DELETE:
            DeleteSelected();
            return;
        case ID_SL_SELECT_ALL:
        case ID_ACCEL_SELECT_ALL: {
            LVITEMW state{};
            state.stateMask = state.state = LVIS_SELECTED;
            SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
            return;
        }
        case ID_SL_TOTAL_ICON:
            main.settings_.dispTotal = main.settings_.dispTotal == 1 ? 0 : 1;
            main.RefreshTotals();
            return;
        case ID_SL_PORTFOLIO:
            main.TogglePortfolio();
            return;
        case ID_SL_TIP_TEXT:
            main.settings_.boolFlags1 ^= kPortfolioTipText;
            main.options = DisplayOptionsFrom(main.settings_);
            main.RefreshViews(true);
            return;
        case ID_SL_PRICE_BARS:
            main.TogglePriceBars();
            return;
        case ID_SL_GRID:
            main.settings_.newBoolean1 ^= kManagerGridLines;
            SetGridLines();
            return;
        case ID_SL_REFRESH:
            Fill();
            return;
        case ID_SL_PF_HOLDINGS:
            SetPortfolioFlags(FILEFLAG_PORTFOLIO, true, true);
            return;
        case ID_SL_PF_ALL:
            SetPortfolioFlags(FILEFLAG_PORTFOLIO, true, false);
            return;
        case ID_SL_PF_HIDE_EMPTY:
            SetPortfolioFlags(FILEFLAG_PORTFOLIO, false, true);
            return;
        case ID_SL_PF_BORDERS:
            SetPortfolioFlags(kBorderAbove, true, false);
            return;
        case ID_SL_PF_NO_BORDERS:
            SetPortfolioFlags(kBorderAbove, false, false);
            return;
        case ID_SL_APPLY_ORDER:
        case ID_ACCEL_UPDATE:
        case IDC_SL_SORT:
            ApplyOrder();
            return;
        case ID_SL_WEB:
            main.ShellOpen(LoadResourceText(main.Resources(), IDS_PRODUCT_PAGE));
            return;
        case ID_SL_RELEASE_CHECK:
            StartReleaseCheck(main, true);
            return;
        case ID_SL_ABOUT:
            main.OpenAboutBox();
            return;
        case ID_APP_UPDATE_ALL:
        case ID_ACCEL_MANAGER:
        case ID_APP_PORTFOLIO:
        case ID_APP_SECURITIES:
            // The main window's own keys while the manager is active.
            PostMessageW(main.GetSafeHwnd(), WM_COMMAND, id, 0);
            return;
        default:
            return;
    }
}

void CStockListDlg::OpenProperties() {
    if (SelectedCount() != 1) return;
    const std::uint32_t id = SelectedIds().front();
    SendMessageW(owner_.GetSafeHwnd(), WM_APP_OPEN_PROPERTY, id, 0);
    if (hwnd_) RefreshRowOf(id);
}

void CStockListDlg::ShowRowMenu() {
    const std::vector<std::uint32_t> ids = SelectedIds();
    if (ids.empty()) return;
    CQuotrixDlg& main = owner_;
    if (ids.size() == 1) {
        CStockMan* stock = main.FindStock(ids.front());
        if (!stock) return;
        const UINT chosen = main.ShowManagerMenu(hwnd_, CStockPopup::kRowPopup, stock);
        if (chosen == ID_STOCK_DELETE) {
            DeleteSelected();
            return;
        }
        if (CStockMan* still = main.FindStock(ids.front()))
            if (!main.StockCommand(*still, chosen)) main.AppCommand(chosen, still->Id());
        if (hwnd_) RefreshRowOf(ids.front());
        return;
    }
    const UINT chosen = main.ShowManagerMenu(hwnd_, CStockPopup::kMultiSelectPopup, nullptr);
    switch (chosen) {
        case ID_ACCEL_COPY:
            CopySelected();
            return;
        case ID_STOCK_DELETE:
            DeleteSelected();
            return;
        case ID_STOCK_UPDATE:
        case ID_ROW_CLEAR_BOARD:
        case ID_ROW_CLEAR_NEWS:
            for (std::uint32_t id : ids)
                if (CStockMan* stock = main.FindStock(id)) main.StockCommand(*stock, chosen);
            break;
        case ID_STOCK_RESET:
            for (std::uint32_t id : ids) {
                CStockMan* stock = main.FindStock(id);
                if (!stock) continue;
                stock->ApplyDefaults(main.settings_.stdStock);
                main.RefreshStockIcon(*stock, 2);
            }
            main.MarkModified();
            main.RefreshViews(true);
            break;
        default:
            return;
    }
    if (hwnd_) Fill();
}

void CStockListDlg::DeleteSelected() {
    const std::vector<std::uint32_t> ids = SelectedIds();
    std::vector<const CStock*> found;
    for (std::uint32_t id : ids)
        if (const CStockMan* stock = owner_.FindStock(id)) found.push_back(stock);
    const std::string question = DeleteQuestionText(found);
    if (question.empty()) return;
    const int answer = MessageBoxW(hwnd_, Wide(question).c_str(), Wide(SJIS("銘柄の削除")).c_str(),
                                   MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL | MB_TOPMOST);
    if (answer != IDYES) return;
    // Looked up again: the box pumps messages, and a stock may have gone meanwhile.
    for (std::uint32_t id : ids)
        if (CStockMan* stock = owner_.FindStock(id)) owner_.DeleteStock(*stock, false);
    if (hwnd_) Fill();
}

void CStockListDlg::CopySelected() {
    std::string text;
    std::vector<const CStockMan*> stocks;
    for (std::uint32_t id : SelectedIds()) {
        const CStockMan* stock = owner_.FindStock(id);
        if (!stock) continue;
        text += BuildCsvLine(*stock);
        stocks.push_back(stock);
    }
    if (stocks.empty()) return;
    if (!PutStocksOnClipboard(hwnd_, BuildClipboardBlock(stocks), CsvToClipboardText(std::move(text))))
        AppLog().Log(LOG_INT, "[CMD] Copy: clipboard not available");
}

void CStockListDlg::CopyAll() {
    if (owner_.stocks_.empty()) return;
    if (!PutStocksOnClipboard(hwnd_, BuildClipboardBlock(owner_.stocks_),
                              CsvToClipboardText(BuildCsvText(owner_.stocks_))))
        AppLog().Log(LOG_INT, "[CMD] Copy all: clipboard not available");
}

void CStockListDlg::Paste() {
    const std::optional<std::string> block = GetStocksFromClipboard(hwnd_);
    if (!block) return;
    StockList pasted;
    if (ReadClipboardBlock(*block, pasted) == 0) return;
    AppLog().Log(LOG_INT, "[CMD] Paste %u items", static_cast<unsigned>(pasted.size()));
    owner_.AddStocks(pasted, false, false);
    owner_.RefreshViews(true);
    if (hwnd_) Fill();
}

void CStockListDlg::SaveCsv() {
    const std::string path =
        AskSavePath(hwnd_, SJIS("CSV形式で保存"), FileFilter(SJIS("CSV形式ﾌｧｲﾙ(*.csv)"), L"*.csv;*.CSV"),
                    SJIS("新しい銘柄データ.csv"), L"csv");
    if (path.empty()) return;
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    const bool written = WriteWholeFile(path, BuildCsvText(owner_.stocks_));
    SetCursor(old);
    if (written) return;
    // Said, so that the user does not take a missing export for a made one.
    AppLog().Log(LOG_ERR, "[FILE] CSV write failure: %s", path.c_str());
    ShowMessage(hwnd_, SJIS("CSVファイルを書き込めませんでした。\r\n") + path, MB_OK | MB_ICONWARNING);
}

void CStockListDlg::SaveCopy() {
    const std::string path = AskSavePath(hwnd_, SJIS("コピーに名前を付けて保存"),
                                         FileFilter(SJIS("Quotrix!銘柄ﾌｧｲﾙ(*.quotrix)"), L"*.quotrix;*.QUOTRIX"),
                                         SJIS("新しい銘柄データ.quotrix"), L"quotrix");
    if (path.empty()) return;
    CQuotrixDlg& main = owner_;
    main.GatherPortfolioPlace();
    StockFileHeader header = main.header_;
    StoreFileItemFlags(main.settings_, header);
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    const bool written = WriteStockFile(path, main.stocks_, main.placement_, main.cashBalance_, header);
    SetCursor(old);
    if (!written) AppLog().Log(LOG_ERR, "FILE: %s save failure", path.c_str());
}

void CStockListDlg::ApplyOrder() {
    const std::vector<std::uint32_t> ids = RowIds();
    if (!ApplyRowOrder(owner_.stocks_, ids)) return;
    AppLog().Log(LOG_INT, "[CMD] Stock order of the manager applied");
    owner_.MarkModified();
    owner_.RefreshViews(true);
}

void CStockListDlg::SetPortfolioFlags(std::uint32_t bit, bool set, bool holdingsOnly) {
    CQuotrixDlg& main = owner_;
    for (auto& stock : main.stocks_) {
        // Showing takes the stocks with a holding, hiding those without.
        if (holdingsOnly && (stock->shares != 0) != set) continue;
        if (set)
            stock->fileFlags |= bit;
        else
            stock->fileFlags &= ~bit;
    }
    main.MarkModified();
    main.RefreshViews(true);
    Fill();
}

void CStockListDlg::BeginDrag(int item) {
    if (item < 0 || SelectedCount() != 1) return;
    EndDragImage();
    dragIndex_ = item;
    POINT origin{};
    dragImage_ = reinterpret_cast<HIMAGELIST>(
        SendMessageW(list_, LVM_CREATEDRAGIMAGE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&origin)));
    const DragFunctions& drag = Drag();
    if (dragImage_) {
        int width = 0, height = 0;
        ImageList_GetIconSize(dragImage_, &width, &height);
        if (drag.begin) drag.begin(dragImage_, 0, 0, height / 2);
        POINT at{};
        GetCursorPos(&at);
        if (drag.enter) dragEntered_ = drag.enter(nullptr, at.x, at.y) != FALSE;
    }
    SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
    SetCapture(hwnd_);
}

void CStockListDlg::DragMove(POINT client) {
    POINT screen = client;
    ClientToScreen(hwnd_, &screen);
    if (dragEntered_ && Drag().move) Drag().move(screen.x, screen.y);
    SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
}

void CStockListDlg::Drop(POINT client) {
    const int from = dragIndex_;
    dragIndex_ = -1;
    ReleaseCapture();
    EndDragImage();
    LVHITTESTINFO hit{};
    hit.pt = client;
    MapWindowPoints(hwnd_, list_, &hit.pt, 1);
    RECT inside{};
    GetClientRect(list_, &inside);
    if (!PtInRect(&inside, hit.pt)) return;
    const int to = static_cast<int>(SendMessageW(list_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (to < 0 || to == from || from < 0) return;
    const std::uint32_t id = RowId(from);
    const CStockMan* stock = owner_.FindStock(id);
    SendMessageW(list_, LVM_DELETEITEM, static_cast<WPARAM>(from), 0);
    if (!stock) return;
    SetRow(to, *stock, true);
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(to), reinterpret_cast<LPARAM>(&state));
}

void CStockListDlg::EndDragImage() {
    const DragFunctions& drag = Drag();
    if (dragEntered_ && drag.leave) drag.leave(nullptr);
    dragEntered_ = false;
    if (dragImage_) {
        if (drag.end) drag.end();
        ImageList_Destroy(dragImage_);
        dragImage_ = nullptr;
    }
}

}  // namespace quotrix
