// Quotrix.exe: start-up and the message loop.
#include <windows.h>

#include "app/win32/QuotrixDlg.h"

namespace quotrix {

class CQuotrixApp {
  public:
    int Run() {
        if (!mainWindow_.Create(nullptr)) return 1;
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (!IsDialogMessageW(mainWindow_.GetSafeHwnd(), &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        return static_cast<int>(msg.wParam);
    }

  private:
    CQuotrixDlg mainWindow_;
};

}  // namespace quotrix

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    quotrix::CQuotrixApp app;
    return app.Run();
}
