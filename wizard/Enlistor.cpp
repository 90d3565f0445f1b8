// Enlistor.exe: the stock-list wizard.
#include <windows.h>

#include "platform/win32/ui/Wnd.h"
#include "resources/resource.h"

namespace quotrix {

class CEnlistorFrame : public CDialog {
  public:
    CEnlistorFrame() : CDialog(IDD_ENLISTOR_FRAME) {}
};

}  // namespace quotrix

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    quotrix::CEnlistorFrame frame;
    frame.DoModal(nullptr);
    return 0;
}
