// The running program's folder, shared by Quotrix.exe and Enlistor.exe (each starts the other
// from its own folder). Any thread.
#pragma once

#include <string>

namespace quotrix {

// The process's command line (Shift-JIS).
std::string CurrentCommandLine();

// Token 0 of the command line (the program as it was started), up to its last backslash. False
// when it has none.
bool GetModuleFolder(std::string& folder);

}  // namespace quotrix
