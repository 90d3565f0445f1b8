// Linux builds have no shared clipboard for the core: the payloads stay as on Windows and travel
// inside the process, which is all the console tools and tests need.
#include <mutex>

#include "platform/Clipboard.h"

namespace quotrix {

namespace {

struct LocalClipboard {
    std::mutex lock;
    bool registered = false;
    std::optional<std::string> block;
    std::string text;
};

LocalClipboard& Board() {
    static LocalClipboard board;
    return board;
}

}  // namespace

bool RegisterStockClipboardFormat() {
    std::lock_guard guard(Board().lock);
    Board().registered = true;
    return true;
}

bool PutStocksOnClipboard(void*, const std::string& block, const std::string& text) {
    std::lock_guard guard(Board().lock);
    if (!Board().registered) return false;
    Board().block = block;
    Board().text = text;
    return true;
}

std::optional<std::string> GetStocksFromClipboard(void*) {
    std::lock_guard guard(Board().lock);
    if (!Board().registered) return std::nullopt;
    return Board().block;
}

bool ClipboardHasStocks(void*) {
    std::lock_guard guard(Board().lock);
    return Board().registered && Board().block.has_value();
}

}  // namespace quotrix
