#include <algorithm>
#include <new>

#include "platform/HttpTransport.h"

namespace quotrix {

bool HttpRequest::ReadAppend(std::string& body, std::uint32_t limit, std::uint32_t& read) {
    read = 0;
    std::uint32_t available = 0;
    if (!QueryDataAvailable(available)) return false;
    const std::uint32_t want = std::min(available, limit);
    if (want == 0) return true;
    const std::size_t before = body.size();
    try {
        body.resize(before + want);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const bool ok = Read(body.data() + before, want, read);
    body.resize(before + (ok ? read : 0));
    if (!ok) read = 0;
    return ok;
}

}  // namespace quotrix
