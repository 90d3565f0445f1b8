#include "dialogs/win32/AddStockSheet.h"

#include <commctrl.h>

#include <algorithm>

#include "log/ErrLog.h"
#include "net/InetSession.h"
#include "platform/Messages.h"
#include "platform/TextCodec.h"
#include "platform/win32/Win32SearchSink.h"
#include "platform/win32/WinText.h"
#include "platform/win32/ui/DlgItems.h"
#include "platform/win32/ui/UiFont.h"
#include "resources/resource.h"

namespace quotrix {

namespace {

// "No stock matched" waits until the search thread's send has been answered.
constexpr UINT WM_APP_NO_MATCH = WM_APP + 0x101;
// Rows are inserted by a timer after the sends were answered: searches that send page after page
// must not keep the page so busy that painting, clicks and keys never get their turn (the system
// delivers timers after all of them).
constexpr UINT_PTR kShowRowsTimer = 1;
constexpr UINT kShowRowsDelayMs = 50;
constexpr int kCodeColumnWidth = 90;
constexpr int kNameColumnWidth = 290;
constexpr int kWizardButtonWidth = 150;
constexpr int kWizardButtonLeft = 6;

void EnableSheetOk(HWND page, bool enabled) {
    HWND sheet = page ? GetParent(page) : nullptr;
    if (HWND ok = sheet ? GetDlgItem(sheet, IDOK) : nullptr) EnableWindow(ok, enabled);
}

}  // namespace

// --- the direct page ---

CDirectAddPage::CDirectAddPage() : CPropertyPage(IDD_ADD_DIRECT) {}

void CDirectAddPage::UpdateOk() { EnableSheetOk(hwnd_, DirectPageOkEnabled(GetItemText(hwnd_, IDC_ADD_CODES))); }

void CDirectAddPage::OnSetActive() { UpdateOk(); }

bool CDirectAddPage::OnKillActive() {
    codeText_ = GetItemText(hwnd_, IDC_ADD_CODES);
    return true;
}

BOOL CDirectAddPage::OnCommand(UINT id, UINT code, HWND) {
    if (id != IDC_ADD_CODES || code != EN_CHANGE) return FALSE;
    UpdateOk();
    return TRUE;
}

// --- the search page ---

CSearchAddPage::CSearchAddPage() : CPropertyPage(IDD_ADD_SEARCH) {}

CSearchAddPage::~CSearchAddPage() {
    // The window normally detaches first; this covers a sheet that failed half way.
    if (context_) {
        CancelSearch(*context_);
        DetachSearchPage(context_);
    }
}

BOOL CSearchAddPage::OnInitDialog() {
    list_ = GetDlgItem(hwnd_, IDC_ADD_RESULTS);
    ListView_SetExtendedListViewStyle(list_,
                                      LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_LABELTIP);
    std::wstring code = Wide(SJIS("コード")), name = Wide(SJIS("銘柄名"));
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = code.data();
    column.cx = kCodeColumnWidth;
    ListView_InsertColumn(list_, 0, &column);
    column.pszText = name.data();
    column.cx = kNameColumnWidth;
    ListView_InsertColumn(list_, 1, &column);
    SendMessageW(GetDlgItem(hwnd_, IDC_ADD_PROGRESS), PBM_SETRANGE32, 0, 0);
    try {
        context_ = std::make_shared<SearchContext>();
        sink_ = std::make_unique<Win32SearchSink>(hwnd_);
        context_->window = sink_.get();
    } catch (const std::bad_alloc&) {
        context_.reset();
        sink_.reset();
        ShowMessage(hwnd_, SearchCreateFailedText(), MB_OK | MB_ICONERROR);
    }
    ShowMode();
    return TRUE;
}

void CSearchAddPage::OnSetActive() {
    ShowMode();
    // The sheet may not yet name this page as the current one.
    EnableSheetOk(hwnd_, model_.OkEnabled());
}

bool CSearchAddPage::OnApply(bool) {
    // OK with this page active: only the checked rows are added, in row order.
    CCenterPropertySheet* sheet = Sheet();
    if (!sheet || sheet->ActivePageOnOk() != sheet->PageIndex(*this)) return true;
    SearchResults checked;
    const int rows = RowCount();
    for (int row = 0; row < rows; ++row) {
        if (!ListView_GetCheckState(list_, row)) continue;
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        if (!ListView_GetItem(list_, &item)) continue;
        const auto position = static_cast<std::size_t>(item.lParam);
        if (position >= 1 && position <= results_.size()) checked.push_back(results_[position - 1]);
    }
    results_ = std::move(checked);
    return true;
}

BOOL CSearchAddPage::OnCommand(UINT id, UINT code, HWND) {
    switch (id) {
        case IDC_ADD_KEYWORD:
            if (code != EN_CHANGE) return FALSE;
            model_.SetKeywordText(GetItemText(hwnd_, IDC_ADD_KEYWORD));
            EnableItem(hwnd_, IDC_ADD_SEARCH_BUTTON, model_.MainButtonEnabled());
            return TRUE;
        case IDC_ADD_SEARCH_BUTTON:
            if (code != BN_CLICKED) return FALSE;
            OnMainButton();
            return TRUE;
        case IDC_ADD_SELECT_ALL:
        case IDC_ADD_SELECT_NONE:
            if (code != BN_CLICKED) return FALSE;
            SetAllChecks(id == IDC_ADD_SELECT_ALL);
            return TRUE;
        default:
            return FALSE;
    }
}

BOOL CSearchAddPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_APP_SEARCH_RESULT:
            // A closing page answers the sends that still wait, and does nothing with them.
            if (!closing_) OnSearchResult(reinterpret_cast<const SearchResults*>(wParam), static_cast<int>(lParam));
            result = 0;
            return TRUE;
        case WM_APP_NO_MATCH:
            OnNoMatch();
            return TRUE;
        case WM_TIMER:
            if (wParam != kShowRowsTimer) return FALSE;
            KillTimer(hwnd_, kShowRowsTimer);
            ShowPendingRows();
            return TRUE;
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            if (header.hwndFrom != list_ || header.code != LVN_ITEMCHANGED || inserting_) return FALSE;
            const auto& change = *reinterpret_cast<const NMLISTVIEW*>(lParam);
            if (!(change.uChanged & LVIF_STATE) || !((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK))
                return FALSE;
            if (!model_.KeywordMode()) {
                model_.RowStateChanged(CheckedRows());
                UpdateOk();
            }
            return FALSE;
        }
        case WM_DESTROY:
            OnDestroy();
            return FALSE;
        default:
            return FALSE;
    }
}

void CSearchAddPage::OnMainButton() {
    if (model_.KeywordMode())
        StartSearches();
    else
        ReturnToKeywords();
}

void CSearchAddPage::StartSearches() {
    const std::vector<std::string> keywords = SplitSearchKeywords(GetItemText(hwnd_, IDC_ADD_KEYWORD));
    if (RowCount() > 0) {
        model_.EnterResultMode(RowCount());
        ShowMode();
        // Nothing typed: the button only showed the kept results again.
        if (keywords.empty()) return;
    }
    RefreshOnlineForUser();
    AppLog().Log(LOG_DTL, "Search start: %d keywords", static_cast<int>(keywords.size()));
    // The threads' reports wait for this handler to return, so the range can follow the starts.
    std::string pending;
    int accepted = 0;
    for (const std::string& keyword : keywords) {
        if (context_ && StartSearch(context_, keyword)) {
            ++accepted;
        } else {
            if (!pending.empty()) pending += ' ';
            pending += keyword;
        }
    }
    if (accepted == 0) {
        ShowMessage(hwnd_, SearchStartFailedText(), MB_OK | MB_ICONERROR);
        model_.EnterKeywordMode();
        ShowMode();
        return;
    }
    progress_.AddKeywords(accepted);
    SendMessageW(GetDlgItem(hwnd_, IDC_ADD_PROGRESS), PBM_SETRANGE32, 0, progress_.RangeMax());
    SendMessageW(GetDlgItem(hwnd_, IDC_ADD_PROGRESS), PBM_SETPOS, progress_.Position(), 0);
    // The keywords that could not start stay in the box for another try.
    SetItemText(hwnd_, IDC_ADD_KEYWORD, pending);
    model_.SetKeywordText(pending);  // a multi-line box tells no change of a text set here
    ShowProgress(true);
    if (model_.KeywordMode()) {
        model_.EnterResultMode(RowCount());
        ShowMode();
    }
}

void CSearchAddPage::ReturnToKeywords() {
    if (context_) CancelSearch(*context_);
    // Stopped searches send no end report: the bar goes now.
    progress_.Reset();
    ShowProgress(false);
    // Results not shown yet are unchecked rows too.
    shown_ = results_.size();
    inserting_ = true;
    for (int row = RowCount() - 1; row >= 0; --row)
        if (!ListView_GetCheckState(list_, row)) ListView_DeleteItem(list_, row);
    inserting_ = false;
    model_.SetRowCount(RowCount());
    model_.EnterKeywordMode();
    ShowMode();
}

void CSearchAddPage::SetAllChecks(bool checked) {
    const int rows = RowCount();
    for (int row = 0; row < rows; ++row) ListView_SetCheckState(list_, row, checked ? TRUE : FALSE);
}

void CSearchAddPage::InsertRow(const SearchResult& result, int position) {
    std::wstring code = Wide(result.codeText), name = Wide(result.name);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = RowCount();
    item.pszText = code.data();
    item.lParam = position;
    const int row = ListView_InsertItem(list_, &item);
    if (row >= 0) ListView_SetItemText(list_, row, 1, name.data());
}

void CSearchAddPage::OnSearchResult(const SearchResults* results, int running) {
    if (results != nullptr) {
        results_.insert(results_.end(), results->begin(), results->end());
        AppLog().Log(LOG_DTL, "Search result count: %d", static_cast<int>(results->size()));
        if (!rowsPosted_ && shown_ < results_.size())
            rowsPosted_ = SetTimer(hwnd_, kShowRowsTimer, kShowRowsDelayMs, nullptr) != 0;
        if (!rowsPosted_) ShowPendingRows();
    }
    // Reports of searches stopped earlier do not move a bar that is not shown.
    if (!progress_.Running()) return;
    if (progress_.Report(running)) {
        SendMessageW(GetDlgItem(hwnd_, IDC_ADD_PROGRESS), PBM_SETPOS, progress_.Position(), 0);
        return;
    }
    ShowProgress(false);
    if (RowCount() == 0 && shown_ == results_.size() && !model_.KeywordMode())
        PostMessageW(hwnd_, WM_APP_NO_MATCH, 0, 0);
}

void CSearchAddPage::ShowPendingRows() {
    rowsPosted_ = false;
    if (closing_ || !list_ || shown_ >= results_.size()) return;
    inserting_ = true;
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    for (; shown_ < results_.size(); ++shown_) InsertRow(results_[shown_], static_cast<int>(shown_ + 1));
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
    inserting_ = false;
    model_.SetRowCount(RowCount());
    UpdateOk();
    EnableItem(hwnd_, IDC_ADD_SEARCH_BUTTON, model_.MainButtonEnabled());
}

void CSearchAddPage::OnNoMatch() {
    // A new search may have started meanwhile.
    if (closing_ || progress_.Running() || RowCount() > 0 || shown_ < results_.size() || model_.KeywordMode()) return;
    MessageBoxW(hwnd_, Wide(NoMatchText()).c_str(), Wide(NoMatchCaption()).c_str(), MB_OK | MB_ICONINFORMATION);
    if (closing_ || progress_.Running() || RowCount() > 0 || shown_ < results_.size()) return;
    model_.EnterKeywordMode();
    ShowMode();
}

void CSearchAddPage::OnDestroy() {
    closing_ = true;
    KillTimer(hwnd_, kShowRowsTimer);
    if (context_) {
        CancelSearch(*context_);
        // Answers the sends still waiting for this window, then cuts the threads off.
        DetachSearchPage(context_);
    }
    sink_.reset();
    list_ = nullptr;
}

void CSearchAddPage::ShowMode() {
    const bool keywords = model_.KeywordMode();
    model_.SetRowCount(RowCount());
    UpdateItemText(hwnd_, IDC_ADD_PROMPT, model_.Prompt());
    UpdateItemText(hwnd_, IDC_ADD_SEARCH_BUTTON, model_.MainButtonCaption());
    EnableItem(hwnd_, IDC_ADD_SEARCH_BUTTON, model_.MainButtonEnabled());
    // Hidden first: the two never show at once.
    ShowItem(hwnd_, keywords ? IDC_ADD_RESULTS : IDC_ADD_KEYWORD, false);
    ShowItem(hwnd_, keywords ? IDC_ADD_KEYWORD : IDC_ADD_RESULTS, true);
    ShowItem(hwnd_, IDC_ADD_SELECT_ALL, model_.SelectButtonsShown());
    ShowItem(hwnd_, IDC_ADD_SELECT_NONE, model_.SelectButtonsShown());
    ShowItem(hwnd_, IDC_ADD_HINT, model_.HintShown());
    ShowItem(hwnd_, IDC_ADD_HINT_ICON, model_.HintShown());
    // A hidden control that keeps the focus would swallow the keys.
    HWND focus = GetFocus();
    if (focus == GetDlgItem(hwnd_, IDC_ADD_KEYWORD) || focus == list_ || focus == nullptr)
        SetFocus(keywords ? GetDlgItem(hwnd_, IDC_ADD_KEYWORD) : list_);
    UpdateOk();
}

void CSearchAddPage::ShowProgress(bool shown) {
    ShowItem(hwnd_, IDC_ADD_SEARCHING, shown);
    ShowItem(hwnd_, IDC_ADD_PROGRESS, shown);
}

void CSearchAddPage::UpdateOk() {
    CCenterPropertySheet* sheet = Sheet();
    // Only the page on show speaks for the OK button.
    if (sheet && sheet->ActivePageIndex() != sheet->PageIndex(*this)) return;
    EnableSheetOk(hwnd_, model_.OkEnabled());
}

int CSearchAddPage::RowCount() const { return list_ ? ListView_GetItemCount(list_) : 0; }

int CSearchAddPage::CheckedRows() const {
    int checked = 0;
    const int rows = RowCount();
    for (int row = 0; row < rows; ++row) checked += ListView_GetCheckState(list_, row) ? 1 : 0;
    return checked;
}

// --- the sheet ---

CAddStockSheet::CAddStockSheet(std::string caption, HICON icon, std::function<void()> startWizard)
    : CCenterPropertySheet(std::move(caption), PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP),
      startWizard_(std::move(startWizard)) {
    SetIcon(icon);
    AddPage(search_);
    AddPage(direct_);
}

void CAddStockSheet::OnInitSheet() {
    HWND ok = GetDlgItem(hwnd_, IDOK);
    if (!ok) return;
    SetWindowTextW(ok, Wide(SJIS("追加(&A)")).c_str());
    RECT rect{};
    GetWindowRect(ok, &rect);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&rect), 2);
    wizardButton_ = CreateWindowExW(0, L"BUTTON", Wide(SJIS("銘柄登録ウィザード(&W)...")).c_str(),
                                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kWizardButtonLeft, rect.top,
                                    kWizardButtonWidth, rect.bottom - rect.top, hwnd_,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_ADD_WIZARD)),
                                    GetModuleHandleW(nullptr), nullptr);
    if (wizardButton_) SendMessageW(wizardButton_, WM_SETFONT, reinterpret_cast<WPARAM>(GetUiFont()), TRUE);
}

bool CAddStockSheet::OnSheetMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_COMMAND || LOWORD(wParam) != IDC_ADD_WIZARD || HIWORD(wParam) != BN_CLICKED) return false;
    if (startWizard_) startWizard_();
    result = 0;
    return true;
}

}  // namespace quotrix
