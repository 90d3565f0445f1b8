// The registry behind ClassKeyStore.
//
// USER writes below HKEY_CURRENT_USER\Software\Classes: a program without elevation may not
// create keys in the machine-wide classes, which is where a new key under HKEY_CLASSES_ROOT would
// go. It reads the user's key first and then HKEY_CLASSES_ROOT, which is the view Windows gives
// through HKEY_CLASSES_ROOT itself, also where the classes root does not show the user's classes
// (Wine).
// ROOT reads and writes HKEY_CLASSES_ROOT alone: what the shell sees. Main thread only.
#pragma once

#include <string>

#include "wizard/FileType.h"

namespace quotrix {

class Win32ClassKeyStore : public ClassKeyStore {
  public:
    enum Where { USER, ROOT };
    explicit Win32ClassKeyStore(Where where = USER) : where_(where) {}
    std::unique_ptr<ClassKey> Open(const std::string& path, bool create) override;

  private:
    Where where_;
};

// Tells the shell that a file type changed, so that Explorer shows the new one at once.
void NotifyFileTypesChanged();

}  // namespace quotrix
