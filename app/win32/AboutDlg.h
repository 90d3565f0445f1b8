// The about box: the program's name and version, the system it runs on, the disclaimer, and
// buttons for the product page and a manual release check. Modal, main thread only.
#pragma once

#include <windows.h>

#include "platform/win32/ui/Wnd.h"

namespace quotrix {

class CQuotrixDlg;

class CAboutDlg : public CDialog {
  public:
    // `main` outlives the box (it opens it modally) and every release check it starts.
    explicit CAboutDlg(CQuotrixDlg& main);

  protected:
    BOOL OnInitDialog() override;
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    bool OnCommand(UINT id);

    CQuotrixDlg& main_;
};

}  // namespace quotrix
