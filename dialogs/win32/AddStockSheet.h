// The add-stock sheet: a search page (keywords against the quote site's stock search) and a
// direct page (typed codes). The main window runs it modally and turns what it holds after OK
// into new stocks. The pages only move values between their controls and the models of
// dialogs/AddStockModel.h.
//
// Threads: user-interface thread only. The search page's search threads reach it only through
// WM_APP_SEARCH_RESULT sent to its window; the page stops them and detaches when its window goes.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "dialogs/AddStockModel.h"
#include "net/Search.h"
#include "platform/win32/ui/PropertySheet.h"

namespace quotrix {

class Win32SearchSink;

class CDirectAddPage : public CPropertyPage {
  public:
    CDirectAddPage();
    // The code box's text (Shift-JIS) as it was when the page was left or OK was pressed.
    const std::string& CodeText() const { return codeText_; }

  protected:
    void OnSetActive() override;
    bool OnKillActive() override;
    BOOL OnCommand(UINT id, UINT code, HWND control) override;

  private:
    void UpdateOk();

    std::string codeText_;
};

class CSearchAddPage : public CPropertyPage {
  public:
    CSearchAddPage();
    ~CSearchAddPage() override;

    // After OK with this page active: the checked results in row order.
    const SearchResults& Results() const { return results_; }

  protected:
    BOOL OnInitDialog() override;
    void OnSetActive() override;
    bool OnApply(bool closing) override;
    BOOL OnCommand(UINT id, UINT code, HWND control) override;
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void OnMainButton();
    void StartSearches();
    void ReturnToKeywords();
    void SetAllChecks(bool checked);
    void OnSearchResult(const SearchResults* results, int running);
    void OnNoMatch();
    void ShowPendingRows();
    void OnDestroy();
    void ShowMode();
    void ShowProgress(bool shown);
    void UpdateOk();
    int RowCount() const;
    int CheckedRows() const;
    void InsertRow(const SearchResult& result, int position);

    SearchPageModel model_;
    SearchProgress progress_;
    SearchResults results_;  // every result delivered; a row's data is its 1-based position
    std::shared_ptr<SearchContext> context_;
    std::unique_ptr<Win32SearchSink> sink_;
    HWND list_ = nullptr;
    std::size_t shown_ = 0;    // results_ up to here have had their rows made
    bool rowsPosted_ = false;  // the timer that shows them runs
    bool inserting_ = false;   // rows being added: their initial state is no user's check
    bool closing_ = false;
};

class CAddStockSheet : public CCenterPropertySheet {
  public:
    static constexpr int kSearchPage = 0;
    static constexpr int kDirectPage = 1;

    // `caption` Shift-JIS; `startWizard` runs when the wizard button is pressed.
    CAddStockSheet(std::string caption, HICON icon, std::function<void()> startWizard);

    CSearchAddPage& SearchPage() { return search_; }
    CDirectAddPage& DirectPage() { return direct_; }

  protected:
    void OnInitSheet() override;
    bool OnSheetMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    CSearchAddPage search_;
    CDirectAddPage direct_;
    std::function<void()> startWizard_;
    HWND wizardButton_ = nullptr;
};

}  // namespace quotrix
