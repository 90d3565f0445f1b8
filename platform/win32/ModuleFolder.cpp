#include "platform/win32/ModuleFolder.h"

#include <windows.h>

#include "app/CodeList.h"
#include "files/PathNames.h"
#include "platform/win32/WinText.h"

namespace quotrix {

std::string CurrentCommandLine() { return Narrow(GetCommandLineW()); }

bool GetModuleFolder(std::string& folder) {
    return FolderOfProgram(GetCommandLineToken(CurrentCommandLine(), 0), folder);
}

}  // namespace quotrix
