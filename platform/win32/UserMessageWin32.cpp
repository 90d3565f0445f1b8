// The Windows programs show the message in a task-modal box, so that it stays in front of every
// window of the program while no particular window owns it.
#include <windows.h>

#include "platform/UserMessage.h"
#include "platform/win32/WinText.h"

namespace quotrix {

void ShowPlatformMessage(const std::string& caption, const std::string& text, MessageKind kind) {
    UINT icon = MB_ICONERROR;
    if (kind == MessageKind::Warning) icon = MB_ICONWARNING;
    if (kind == MessageKind::Information) icon = MB_ICONINFORMATION;
    MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(), MB_OK | MB_TASKMODAL | icon);
}

}  // namespace quotrix
