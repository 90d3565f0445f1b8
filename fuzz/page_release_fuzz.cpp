// The release file comes from a web server and is untrusted.
#include <cstddef>
#include <cstdint>

#include "net/Release.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quotrix;
    ReleaseNotice notice(2, 56);
    ParseReleaseNotice(notice, reinterpret_cast<const char*>(data), size);
    // Without a version pair there is no notice.
    if (notice.remoteMajor == 0 && notice.remoteMinor == 0 && !notice.text.empty()) __builtin_trap();
    return 0;
}
