#include "platform/win32/ui/PropertySheet.h"

#include "platform/win32/WinText.h"
#include "platform/win32/ui/UiFont.h"

namespace quotrix {

namespace {
constexpr wchar_t kPageProp[] = L"QuotrixPage";
constexpr UINT_PTR kSubclassId = 0x5153;  // "QS"

// PropertySheetW's callback carries no pointer: the sheet being started is handed over here
// (one thread, and PSCB_INITIALIZED comes before PropertySheetW can start another sheet).
thread_local CCenterPropertySheet* g_starting = nullptr;

void SetResult(HWND page, LRESULT result) { SetWindowLongPtrW(page, DWLP_MSGRESULT, result); }
}  // namespace

void CenterOnPrimaryScreen(HWND window) {
    RECT rect{};
    if (!window || !GetWindowRect(window, &rect)) return;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- pages ---

CPropertyPage* CPropertyPage::FromHandle(HWND hwnd) { return static_cast<CPropertyPage*>(GetPropW(hwnd, kPageProp)); }

void CPropertyPage::SetModified() {
    if (loading_ > 0 || !hwnd_) return;
    HWND sheet = GetParent(hwnd_);
    if (sheet) SendMessageW(sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(hwnd_), 0);
}

BOOL CPropertyPage::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return FALSE; }

BOOL CPropertyPage::OnNotify(const NMHDR& header, LRESULT& result) {
    CCenterPropertySheet* sheet = sheet_;
    switch (header.code) {
        case PSN_SETACTIVE:
            OnSetActive();
            result = 0;
            return TRUE;
        case PSN_KILLACTIVE: {
            const bool ok = OnKillActive();
            if (!ok && sheet) sheet->okApplied_ = false;
            result = ok ? FALSE : TRUE;
            return TRUE;
        }
        case PSN_APPLY: {
            const bool closing = reinterpret_cast<const PSHNOTIFY&>(header).lParam != 0;
            const bool ok = OnApply(closing);
            if (!ok && sheet) sheet->okApplied_ = false;
            result = ok ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
            return TRUE;
        }
        case PSN_RESET:
            if (sheet) sheet->okApplied_ = false;
            OnReset();
            result = 0;
            return TRUE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CPropertyPage* self = FromHandle(hwnd);
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CPropertyPage*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
        if (!self) return FALSE;
        self->hwnd_ = hwnd;
        SetPropW(hwnd, kPageProp, self);
        ApplyUiFont(hwnd);
        Loading loading(*self);
        return self->OnInitDialog();
    }
    if (!self) return FALSE;
    LRESULT result = 0;
    BOOL handled = FALSE;
    if (message == WM_NOTIFY && lParam) {
        const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
        // Only the sheet's notifications; a control's own (tooltips, lists) go to OnMessage.
        if (header.hwndFrom == GetParent(hwnd)) handled = self->OnNotify(header, result);
    } else if (message == WM_COMMAND) {
        handled = self->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    }
    if (!handled) handled = self->OnMessage(message, wParam, lParam, result);
    if (message == WM_NCDESTROY) {
        RemovePropW(hwnd, kPageProp);
        self->hwnd_ = nullptr;
    }
    if (handled) SetResult(hwnd, result);
    return handled;
}

// --- the sheet ---

CCenterPropertySheet::CCenterPropertySheet(std::string caption, DWORD flags) : caption_(Wide(caption)), flags_(flags) {}

void CCenterPropertySheet::AddPage(CPropertyPage& page) {
    page.sheet_ = this;
    pages_.push_back(&page);
}

bool CCenterPropertySheet::InsertPageNow(CPropertyPage& page) {
    if (!hwnd_) {
        AddPage(page);
        return true;
    }
    PROPSHEETPAGEW sheetPage{};
    sheetPage.dwSize = sizeof sheetPage;
    sheetPage.dwFlags = PSP_DEFAULT;
    sheetPage.hInstance = GetModuleHandleW(nullptr);
    sheetPage.pszTemplate = MAKEINTRESOURCEW(page.TemplateId());
    sheetPage.pfnDlgProc = CPropertyPage::PageProc;
    sheetPage.lParam = reinterpret_cast<LPARAM>(&page);
    HPROPSHEETPAGE handle = CreatePropertySheetPageW(&sheetPage);
    if (!handle) return false;
    page.sheet_ = this;
    pages_.push_back(&page);
    if (!SendMessageW(hwnd_, PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(handle))) {
        pages_.pop_back();
        DestroyPropertySheetPage(handle);
        return false;
    }
    return true;
}

bool CCenterPropertySheet::DoModal(HWND owner) {
    if (pages_.empty()) return false;
    std::vector<PROPSHEETPAGEW> pages(pages_.size());
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        PROPSHEETPAGEW& page = pages[i];
        page.dwSize = sizeof page;
        page.dwFlags = PSP_DEFAULT;
        page.hInstance = GetModuleHandleW(nullptr);
        page.pszTemplate = MAKEINTRESOURCEW(pages_[i]->TemplateId());
        page.pfnDlgProc = CPropertyPage::PageProc;
        page.lParam = reinterpret_cast<LPARAM>(pages_[i]);
    }
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | flags_ | (icon_ ? PSH_USEHICON : 0);
    header.hwndParent = owner;
    header.hInstance = GetModuleHandleW(nullptr);
    header.hIcon = icon_;
    header.pszCaption = caption_.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = startPage_ >= 0 && startPage_ < static_cast<int>(pages.size()) ? startPage_ : 0;
    header.ppsp = pages.data();
    header.pfnCallback = SheetCallback;
    activeOnOk_ = -1;
    okApplied_ = false;
    centred_ = false;
    g_starting = this;
    const INT_PTR result = PropertySheetW(&header);
    g_starting = nullptr;
    hwnd_ = nullptr;
    return result >= 0 && okApplied_;
}

int CALLBACK CCenterPropertySheet::SheetCallback(HWND hwnd, UINT message, LPARAM) {
    if (message != PSCB_INITIALIZED || !g_starting) return 0;
    CCenterPropertySheet* self = g_starting;
    g_starting = nullptr;
    self->hwnd_ = hwnd;
    SetWindowSubclass(hwnd, SheetSubclass, kSubclassId, reinterpret_cast<DWORD_PTR>(self));
    ApplyUiFont(hwnd);
    self->CenterOnScreen();
    self->OnInitSheet();
    return 0;
}

LRESULT CALLBACK CCenterPropertySheet::SheetSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                     DWORD_PTR data) {
    auto* self = reinterpret_cast<CCenterPropertySheet*>(data);
    LRESULT result = 0;
    if (self->OnSheetMessage(message, wParam, lParam, result)) return result;
    switch (message) {
        case WM_SHOWWINDOW:
            // The sheet may still change its size between its creation and its showing.
            if (wParam && !self->centred_) {
                self->centred_ = true;
                self->CenterOnScreen();
            }
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                self->activeOnOk_ = self->ActivePageIndex();
                self->okApplied_ = true;  // until a page refuses
            } else if (LOWORD(wParam) == IDCANCEL) {
                self->okApplied_ = false;
            }
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, SheetSubclass, kSubclassId);
            self->hwnd_ = nullptr;
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void CCenterPropertySheet::CenterOnScreen() { CenterOnPrimaryScreen(hwnd_); }

int CCenterPropertySheet::ActivePageIndex() const {
    if (!hwnd_) return -1;
    HWND current = reinterpret_cast<HWND>(SendMessageW(hwnd_, PSM_GETCURRENTPAGEHWND, 0, 0));
    for (std::size_t i = 0; i < pages_.size(); ++i)
        if (pages_[i]->GetSafeHwnd() == current && current) return static_cast<int>(i);
    // A page the sheet shows always has a window; fall back to the tab control's selection.
    HWND tabs = reinterpret_cast<HWND>(SendMessageW(hwnd_, PSM_GETTABCONTROL, 0, 0));
    return tabs ? static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0)) : -1;
}

void CCenterPropertySheet::SetActivePage(int index) {
    if (hwnd_ && index >= 0 && index < static_cast<int>(pages_.size()))
        SendMessageW(hwnd_, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void CCenterPropertySheet::SetActivePage(const CPropertyPage& page) { SetActivePage(PageIndex(page)); }

int CCenterPropertySheet::PageIndex(const CPropertyPage& page) const {
    for (std::size_t i = 0; i < pages_.size(); ++i)
        if (pages_[i] == &page) return static_cast<int>(i);
    return -1;
}

}  // namespace quotrix
