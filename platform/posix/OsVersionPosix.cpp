#include "platform/OsVersion.h"

namespace quotrix {

// No Windows version to report: the description says "unknown" and the user agent names no system.
bool ReadOsVersion(OsVersionRecord& version) {
    version = OsVersionRecord{};
    return false;
}

}  // namespace quotrix
