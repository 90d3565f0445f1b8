// The main window: a hidden modeless dialog that owns the icons, timers and commands, and
// shows itself as the portfolio. Main thread only.
#pragma once

#include "platform/win32/ui/Wnd.h"

namespace quotrix {

class CQuotrixDlg : public CDialog {
  public:
    CQuotrixDlg();

  protected:
    BOOL OnInitDialog() override;
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void OnAppExit();
    void OnClose();
    void OnDestroy();
};

}  // namespace quotrix
