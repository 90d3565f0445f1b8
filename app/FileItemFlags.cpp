#include "app/FileItemFlags.h"

namespace quotrix {

namespace {
// As the settings read the portfolio word.
constexpr std::uint32_t kPortfolioMask = 0x7FFFF;
}  // namespace

bool AdoptFileItemFlags(const StockFileHeader& header, AppSettings& settings) {
    if (!header.present || !(header.block.displayOptions & kFileOwnItemFlags)) return false;
    ItemFlags items;
    items.portfolioText = header.block.portfolioTextFlags & kPortfolioMask;
    items.tipText = header.block.tipTextFlags;
    items.other = header.block.otherItemFlags;
    items.Apply();
    settings.itemFlags = items;
    settings.itemFlagsFromFile = true;
    return true;
}

void StoreFileItemFlags(const AppSettings& settings, StockFileHeader& header) {
    if (!settings.itemFlagsFromFile) return;
    // A file that had no header block gets one now, so that its words are read back.
    header.present = true;
    header.block.displayOptions |= kFileOwnItemFlags;
    header.block.portfolioTextFlags = settings.itemFlags.portfolioText & kPortfolioMask;
    header.block.tipTextFlags = settings.itemFlags.tipText;
    header.block.otherItemFlags = settings.itemFlags.other;
}

}  // namespace quotrix
