// Property sheets and their pages: thin classes over PropertySheetW, one C++ object per page HWND.
//
// How a sheet is built (the stock property sheet, the add-stock sheet and the options dialog all
// work this way):
//
//   1. Each page's logic is a portable model in dialogs/ (no <windows.h>): the working copy, what
//      each control's change does, which controls are enabled with which label, what Apply
//      stores. The models are tested natively.
//   2. Each page is a CPropertyPage subclass that owns a reference to its model. It only moves
//      values between the controls and the model:
//        - OnInitDialog: fill the lists and set the fixed texts (the UI font is already applied);
//        - OnSetActive: show the model's values (wrap the filling in a `Loading` scope so that
//          the controls' change notifications during filling do not mark the sheet changed);
//        - OnCommand: hand the control's change to the model, show the result, SetModified();
//        - OnKillActive: read the boxes into the model; on bad input RejectInput() (message box,
//          focus in the box) and answer false, which keeps the page;
//        - OnApply(closing): store the page's part of the model into its target.
//   3. A CCenterPropertySheet (or a subclass: OnInitSheet adds buttons or renames OK) takes the
//      pages with AddPage and runs modally with DoModal; it centres itself on the primary screen
//      and remembers the page that was active when OK was pressed (ActivePageOnOk).
//
// Threads: user-interface thread only. The sheet and the pages must outlive DoModal; a page object
// is bound to its window from WM_INITDIALOG to WM_NCDESTROY (pages never shown have no window and
// get no notifications).
#pragma once

#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <string>
#include <vector>

namespace quotrix {

class CCenterPropertySheet;

class CPropertyPage {
  public:
    explicit CPropertyPage(UINT templateId) : templateId_(templateId) {}
    CPropertyPage(const CPropertyPage&) = delete;
    CPropertyPage& operator=(const CPropertyPage&) = delete;
    virtual ~CPropertyPage() = default;

    HWND GetSafeHwnd() const { return hwnd_; }
    UINT TemplateId() const { return templateId_; }
    static CPropertyPage* FromHandle(HWND hwnd);
    // The sheet that shows this page; nullptr before AddPage.
    CCenterPropertySheet* Sheet() const { return sheet_; }

  protected:
    friend class CCenterPropertySheet;

    // The page's window exists and has the UI font. TRUE lets the system set the focus.
    virtual BOOL OnInitDialog() { return TRUE; }
    // The page is about to be shown (PSN_SETACTIVE), each time.
    virtual void OnSetActive() {}
    // The page is left, or OK or Apply was pressed while it is shown (PSN_KILLACTIVE): read and
    // check the controls. False keeps the page shown; the page has told the user why.
    virtual bool OnKillActive() { return true; }
    // Apply (`closing` false) or OK (`closing` true) (PSN_APPLY), sent to every page that has a
    // window, in page order. False keeps the sheet open with this page shown.
    virtual bool OnApply(bool closing) { return true; }
    // Cancel or the close box (PSN_RESET).
    virtual void OnReset() {}
    // WM_COMMAND of a control or an accelerator; TRUE when handled.
    virtual BOOL OnCommand(UINT id, UINT code, HWND control) { return FALSE; }
    // Any other message; TRUE when handled, `result` goes to DWLP_MSGRESULT.
    virtual BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Enables the sheet's Apply button (PSM_CHANGED), unless the page is filling its controls.
    void SetModified();
    bool IsLoading() const { return loading_ > 0; }

    // While one lives, the page is filling its controls: SetModified does nothing.
    class Loading {
      public:
        explicit Loading(CPropertyPage& page) : page_(page) { ++page_.loading_; }
        ~Loading() { --page_.loading_; }
        Loading(const Loading&) = delete;
        Loading& operator=(const Loading&) = delete;

      private:
        CPropertyPage& page_;
    };

    HWND hwnd_ = nullptr;

  private:
    static INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnNotify(const NMHDR& header, LRESULT& result);

    UINT templateId_;
    CCenterPropertySheet* sheet_ = nullptr;
    int loading_ = 0;
};

// A modal property sheet centred on the primary screen that remembers the page active on OK.
class CCenterPropertySheet {
  public:
    // `caption` is Shift-JIS. `flags` are added to PSH_PROPSHEETPAGE | PSH_USECALLBACK
    // (PSH_NOAPPLYNOW for a sheet without Apply, PSH_NOCONTEXTHELP ...).
    explicit CCenterPropertySheet(std::string caption, DWORD flags = PSH_NOCONTEXTHELP);
    CCenterPropertySheet(const CCenterPropertySheet&) = delete;
    CCenterPropertySheet& operator=(const CCenterPropertySheet&) = delete;
    virtual ~CCenterPropertySheet() = default;

    // Appends a page (tab order = call order); before DoModal.
    void AddPage(CPropertyPage& page);
    // Appends a page to the sheet while it is shown (before DoModal: as AddPage). False when the
    // system refused the page.
    bool InsertPageNow(CPropertyPage& page);
    // The page shown first; before DoModal.
    void SetStartPage(int index) { startPage_ = index; }
    void SetIcon(HICON icon) { icon_ = icon; }

    // Runs the sheet; true when it was closed with OK and every page accepted its apply.
    bool DoModal(HWND owner);
    // The index of the page active when OK was pressed; -1 before that.
    int ActivePageOnOk() const { return activeOnOk_; }

    // While shown: the sheet window, the active page's index, switching pages.
    HWND GetSafeHwnd() const { return hwnd_; }
    int ActivePageIndex() const;
    void SetActivePage(int index);
    void SetActivePage(const CPropertyPage& page);
    int PageIndex(const CPropertyPage& page) const;
    int PageCount() const { return static_cast<int>(pages_.size()); }
    CPropertyPage* PageAt(int index) const {
        return index >= 0 && index < PageCount() ? pages_[static_cast<std::size_t>(index)] : nullptr;
    }

  protected:
    // The sheet's window exists and is centred: add buttons, rename OK here.
    virtual void OnInitSheet() {}
    // Sheet messages before the default processing; true when handled.
    virtual bool OnSheetMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) { return false; }

    HWND hwnd_ = nullptr;

  private:
    friend class CPropertyPage;
    static int CALLBACK SheetCallback(HWND hwnd, UINT message, LPARAM lParam);
    static LRESULT CALLBACK SheetSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR data);
    void CenterOnScreen();

    std::wstring caption_;
    DWORD flags_;
    HICON icon_ = nullptr;
    int startPage_ = 0;
    std::vector<CPropertyPage*> pages_;
    int activeOnOk_ = -1;
    bool okApplied_ = false;  // OK pressed and no page refused since
    bool centred_ = false;
};

// Centres a top-level window on the primary screen.
void CenterOnPrimaryScreen(HWND window);

}  // namespace quotrix
