// A page of a wizard-mode property sheet: one object per page HWND, bound on WM_INITDIALOG. The
// page procedure only finds the object and hands the message to small OnXxx handlers; the sheet
// notifications (activation, Next, Finish) become virtual calls. UI thread only.
#pragma once

#include <windows.h>
// After windows.h.
#include <commctrl.h>
#include <prsht.h>

#include <string>

namespace quotrix {

class CWizardPage {
  public:
    explicit CWizardPage(UINT templateId) : templateId_(templateId) {}
    CWizardPage(const CWizardPage&) = delete;
    CWizardPage& operator=(const CWizardPage&) = delete;
    virtual ~CWizardPage() = default;

    // The sheet's handle of this page; the object must outlive the sheet.
    HPROPSHEETPAGE CreatePage();
    HWND GetSafeHwnd() const { return hwnd_; }
    static CWizardPage* FromHandle(HWND hwnd);

  protected:
    virtual void OnInitDialog() {}
    // The page became the current one: it sets the wizard buttons.
    virtual void OnSetActive() {}
    // False keeps the sheet on this page.
    virtual bool OnWizardNext() { return true; }
    virtual bool OnWizardFinish() { return true; }
    virtual bool OnCommand(int id, int code) { return false; }

    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    HWND Sheet() const { return GetParent(hwnd_); }
    void SetWizardButtons(DWORD buttons) const;
    // Texts of the page's controls, Shift-JIS.
    std::string ItemText(int id) const;
    void SetItemText(int id, const std::string& text) const;
    // A message box over the sheet, caption "Quotrix!".
    int Message(const std::string& text, UINT type) const;

    HWND hwnd_ = nullptr;

  private:
    static INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnNotify(const NMHDR& header);

    UINT templateId_;
};

}  // namespace quotrix
