// A pasted block may come from another program that registered the same format name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "files/StockCsv.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quotrix;
    StockList stocks;
    const std::size_t made = ReadClipboardBlock(std::string_view(reinterpret_cast<const char*>(data), size), stocks);
    if (made != stocks.size()) std::abort();
    if (stocks.empty()) return 0;
    (void)CsvToClipboardText(BuildCsvText(stocks));
    // Copying the pasted stocks again gives a block that pastes completely.
    StockList again;
    if (ReadClipboardBlock(BuildClipboardBlock(stocks), again) != stocks.size()) std::abort();
    return 0;
}
