#include "wizard/win32/WizardPage.h"

#include <vector>

#include "platform/TextCodec.h"
#include "platform/win32/WinText.h"
#include "platform/win32/ui/UiFont.h"

namespace quotrix {

namespace {
constexpr wchar_t kObjectProp[] = L"QuotrixWizardPage";
}

HPROPSHEETPAGE CWizardPage::CreatePage() {
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = GetModuleHandleW(nullptr);
    page.pszTemplate = MAKEINTRESOURCEW(templateId_);
    page.pfnDlgProc = PageProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return CreatePropertySheetPageW(&page);
}

CWizardPage* CWizardPage::FromHandle(HWND hwnd) { return static_cast<CWizardPage*>(GetPropW(hwnd, kObjectProp)); }

void CWizardPage::SetWizardButtons(DWORD buttons) const { PropSheet_SetWizButtons(Sheet(), buttons); }

std::string CWizardPage::ItemText(int id) const {
    HWND item = Item(id);
    std::vector<wchar_t> text(static_cast<std::size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
    GetWindowTextW(item, text.data(), static_cast<int>(text.size()));
    return Narrow(text.data());
}

void CWizardPage::SetItemText(int id, const std::string& text) const { SetWindowTextW(Item(id), Wide(text).c_str()); }

int CWizardPage::Message(const std::string& text, UINT type) const {
    return MessageBoxW(Sheet(), Wide(text).c_str(), L"Quotrix!", type);
}

BOOL CWizardPage::OnNotify(const NMHDR& header) {
    switch (header.code) {
        case PSN_SETACTIVE:
            OnSetActive();
            SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, 0);
            return TRUE;
        case PSN_WIZNEXT:
            SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, OnWizardNext() ? 0 : -1);
            return TRUE;
        case PSN_WIZFINISH:
            SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, OnWizardFinish() ? FALSE : TRUE);
            return TRUE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK CWizardPage::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWizardPage* self = FromHandle(hwnd);
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CWizardPage*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
        self->hwnd_ = hwnd;
        SetPropW(hwnd, kObjectProp, self);
        ApplyUiFont(hwnd);
        self->OnInitDialog();
        return TRUE;
    }
    if (!self) return FALSE;
    switch (message) {
        case WM_NOTIFY:
            return self->OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_COMMAND:
            return self->OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
        case WM_NCDESTROY:
            RemovePropW(hwnd, kObjectProp);
            self->hwnd_ = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace quotrix
