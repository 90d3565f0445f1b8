// The about box: the program's name and version, the system it runs on, the disclaimer, and
// buttons for the product page and a manual release check. Modal, main thread only.
#pragma once

#include <windows.h>

#include "platform/win32/ui/Wnd.h"

namespace quotrix {

class CQuotrixDlg;

class CAboutDlg : public CDialog {
  public:
    explicit CAboutDlg(CQuotrixDlg& main);

  protected:
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    CQuotrixDlg& main_;
};

}  // namespace quotrix
