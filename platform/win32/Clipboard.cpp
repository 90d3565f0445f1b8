// The Windows clipboard with movable global memory blocks.
#include <windows.h>

#include <cstring>

#include "platform/Clipboard.h"
#include "platform/win32/WinText.h"

namespace quotrix {

namespace {

UINT stockFormat = 0;

// Opens the clipboard for the scope; another program may hold it for a moment.
class ClipboardSession {
  public:
    explicit ClipboardSession(void* owner) : open_(OpenClipboard(static_cast<HWND>(owner)) != FALSE) {}
    ~ClipboardSession() {
        if (open_) CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    bool IsOpen() const { return open_; }

  private:
    bool open_;
};

// Copies bytes into a movable global block and hands it to the clipboard, which then owns it.
bool PutBytes(UINT format, const void* data, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size == 0 ? 1 : size);
    if (!memory) return false;
    void* target = GlobalLock(memory);
    if (!target) {
        GlobalFree(memory);
        return false;
    }
    if (size > 0) std::memcpy(target, data, size);
    GlobalUnlock(memory);
    if (!SetClipboardData(format, memory)) {
        GlobalFree(memory);
        return false;
    }
    return true;
}

}  // namespace

bool RegisterStockClipboardFormat() {
    if (stockFormat == 0) stockFormat = RegisterClipboardFormatW(Wide(SJIS("Quotrix!銘柄データ")).c_str());
    return stockFormat != 0;
}

bool PutStocksOnClipboard(void* owner, const std::string& block, const std::string& text) {
    if (stockFormat == 0) return false;
    ClipboardSession session(owner);
    if (!session.IsOpen() || !EmptyClipboard()) return false;
    if (!PutBytes(stockFormat, block.data(), block.size())) return false;
    // As UTF-16 the text reads right whatever the reader's code page; Windows offers the ANSI
    // form from it.
    const std::wstring wide = Wide(text);
    return PutBytes(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
}

std::optional<std::string> GetStocksFromClipboard(void* owner) {
    if (stockFormat == 0) return std::nullopt;
    ClipboardSession session(owner);
    if (!session.IsOpen()) return std::nullopt;
    HANDLE data = GetClipboardData(stockFormat);
    if (!data) return std::nullopt;
    const void* bytes = GlobalLock(data);
    if (!bytes) return std::nullopt;
    std::optional<std::string> copy(std::in_place, static_cast<const char*>(bytes), GlobalSize(data));
    GlobalUnlock(data);
    return copy;
}

bool ClipboardHasStocks(void* owner) { return stockFormat != 0 && IsClipboardFormatAvailable(stockFormat); }

}  // namespace quotrix
