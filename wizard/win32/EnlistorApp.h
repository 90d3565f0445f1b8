// Enlistor.exe, the stock-list wizard: registers the stock file type when a switch asks for it,
// else runs the four-page wizard and, on Finish, writes the stock file, the desktop shortcut and
// starts Quotrix.exe on it. Everything happens in InitInstance; the program ends when it
// returns. UI thread only.
#pragma once

#include <windows.h>

#include <string>

#include "files/StockRecord.h"

namespace quotrix {

class CEnlistorApp {
  public:
    explicit CEnlistorApp(HINSTANCE resources) : resources_(resources) {}

    // Runs one registration or one wizard pass; the exit code of the program.
    int InitInstance();

    // What the pages fill in.
    StockList& Collected() { return collected_; }
    void SetStockPath(const std::string& path) { stockPath_ = path; }
    void SetFinished(bool runAfterSave, bool createShortcut);
    HINSTANCE Resources() const { return resources_; }

  private:
    bool RunWizard();
    void CompleteWizard();
    void RegisterInteractively();

    HINSTANCE resources_;
    StockList collected_;
    std::string stockPath_;
    bool finished_ = false;
    bool runAfterSave_ = true;
    bool createShortcut_ = true;
};

// The full path of Quotrix.exe beside the running program ("Quotrix.EXE"); false when the
// program's folder is unknown.
bool QuotrixProgramPath(std::string& path);
// Whether ".quotrix" opens with the Quotrix.exe beside this program.
bool IsStockFileTypeRegistered();
// Registers ".quotrix" for the Quotrix.exe beside this program (nothing is written when it is
// already so) and tells the shell.
bool RegisterStockFileType();

// A message box with caption "Quotrix!".
int ShowEnlistorMessage(HWND owner, const std::string& text, UINT type);

}  // namespace quotrix
