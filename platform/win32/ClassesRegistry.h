// The registry behind ClassKeyStore. Keys are read through HKEY_CLASSES_ROOT, which shows the
// user's classes over the machine's, and written below HKEY_CURRENT_USER\Software\Classes: a
// program without elevation may not create keys in the machine-wide classes, which is where a
// new key under HKEY_CLASSES_ROOT would go. Main thread only.
#pragma once

#include <string>

#include "wizard/FileType.h"

namespace quotrix {

class Win32ClassKeyStore : public ClassKeyStore {
  public:
    std::unique_ptr<ClassKey> Open(const std::string& path, bool create) override;
};

// Tells the shell that a file type changed, so that Explorer shows the new one at once.
void NotifyFileTypesChanged();

}  // namespace quotrix
