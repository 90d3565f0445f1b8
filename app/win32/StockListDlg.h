// The stock list manager window: every stock of the open file in one report view, with the
// file-level and list-level commands in its menu bar. Modeless and resizable; the main window
// opens one at a time and frees it when its window has gone. Rows carry the stock's identity
// number, so commands skip stocks that were deleted meanwhile. Main thread only.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/ui/OwnerMenu.h"
#include "platform/win32/ui/Wnd.h"

namespace quotrix {

class CQuotrixDlg;
class CStockMan;

class CStockListDlg : public CDialog {
  public:
    explicit CStockListDlg(CQuotrixDlg& owner);
    ~CStockListDlg() override;

    // Creates and shows the window, owned by the main window.
    bool Open(HWND owner);
    // Rebuilds every row from the stock list, keeping the selection of stocks still listed.
    void Fill();

  protected:
    BOOL OnInitDialog() override;
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void OnCommand(UINT id);
    LRESULT OnListNotify(NMHDR& header);
    void OnSize(int width, int height);
    void OnInitMenuPopup(HMENU menu);

    // Rows.
    void SetRow(int index, const CStockMan& stock, bool insert);
    std::uint32_t RowId(int index) const;
    int RowCount() const;
    int SelectedCount() const;
    std::vector<std::uint32_t> SelectedIds() const;
    std::vector<std::uint32_t> RowIds() const;
    void RefreshRowOf(std::uint32_t id);
    void Sort(int column);

    // Commands.
    void OpenProperties();
    void ShowRowMenu();
    void DeleteSelected();
    void CopySelected();
    void CopyAll();
    void Paste();
    void SaveCsv();
    void SaveCopy();
    void ApplyOrder();
    void SetPortfolioFlags(std::uint32_t bit, bool set, bool holdingsOnly);
    void SetGridLines();

    // Drag and drop of a row.
    void BeginDrag(int item);
    void DragMove(POINT client);
    void Drop(POINT client);
    void EndDragImage();

    CQuotrixDlg& owner_;
    COwnerMenuBar menuBar_;
    HWND list_ = nullptr;
    HICON icon_ = nullptr;
    SIZE sortButton_{};
    SIZE closeButton_{};
    int dragIndex_ = -1;
    HIMAGELIST dragImage_ = nullptr;
    bool dragEntered_ = false;
};

}  // namespace quotrix
