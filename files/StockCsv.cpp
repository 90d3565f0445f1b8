#include "files/StockCsv.h"

#include <algorithm>
#include <new>
#include <vector>

#include "log/ErrLog.h"
#include "model/StockMan.h"
#include "platform/TextCodec.h"

namespace quotrix {

namespace {

void AppendPrice(std::string& line, PriceValue value) {
    std::string text;
    line += FormatPrice(value, text, 0);
    line += ',';
}

void AppendCount(std::string& line, std::uint32_t value) {
    std::string text;
    line += FormatCount(static_cast<std::int32_t>(value), text, 0);
    line += ',';
}

void AppendCount32(std::string& block, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) block += static_cast<char>(value >> (8 * i));
}

}  // namespace

const std::string& CsvHeaderLine() {
    return SJIS("銘柄名,コード,更新時刻,株価,前日比,出来高,始値,高値,安値,前日終値,株数,売買総額,売買単価,損益\r\n");
}

std::string BuildCsvLine(const CStock& stock) {
    std::string line = stock.name;
    line += ',';
    char code[16];
    std::snprintf(code, sizeof code, "%04d", static_cast<int>(stock.code));
    line += code;
    line += MarketSuffix(stock.market);
    line += ',';
    line += stock.updateTime;
    line += ',';
    AppendPrice(line, stock.price);
    AppendPrice(line, stock.change);
    AppendCount(line, stock.volume);
    AppendPrice(line, stock.open);
    AppendPrice(line, stock.high);
    AppendPrice(line, stock.low);
    AppendPrice(line, stock.prevClose);
    if (stock.shares == 0) {
        line += "0,0,0,0\r\n";
        return line;
    }
    AppendCount(line, stock.shares);
    AppendPrice(line, stock.cost);
    AppendPrice(line, stock.cost / static_cast<PriceValue>(stock.shares));
    // Wrapping arithmetic: a damaged or pasted record may hold any price.
    const auto profit = static_cast<std::uint64_t>(stock.price) * stock.shares - static_cast<std::uint64_t>(stock.cost);
    std::string text;
    line += FormatPrice(static_cast<PriceValue>(profit), text, 0);
    line += "\r\n";
    return line;
}

std::string BuildCsvText(const StockList& stocks) {
    std::string text = CsvHeaderLine();
    for (const auto& stock : stocks) text += BuildCsvLine(*stock);
    return text;
}

std::string CsvToClipboardText(std::string csv) {
    // "," is never part of a double-byte Shift-JIS character, so a byte replace is safe.
    std::replace(csv.begin(), csv.end(), ',', '\t');
    return csv;
}

std::string BuildClipboardRecord(const CStockMan& stock) {
    std::string bytes;
    CExportablePackage(stock).AppendTo(bytes);
    return bytes;
}

std::string BuildClipboardBlock(std::span<const CStockMan* const> stocks) {
    std::string block;
    AppendCount32(block, static_cast<std::uint32_t>(stocks.size()));
    for (const CStockMan* stock : stocks) CExportablePackage(*stock).AppendTo(block);
    return block;
}

std::string BuildClipboardBlock(const StockList& stocks) {
    std::vector<const CStockMan*> pointers;
    pointers.reserve(stocks.size());
    for (const auto& stock : stocks) pointers.push_back(stock.get());
    return BuildClipboardBlock(pointers);
}

std::size_t ReadClipboardBlock(std::string_view block, StockList& stocks) {
    if (block.size() < 5) return 0;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(block.data());
    const std::uint32_t count = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
                                static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    MemoryRecordSource source(bytes + 4, block.size() - 4);
    CExportablePackage package;
    std::size_t made = 0;
    try {
        while (made < count && ReadRecord(source, kStockFileVersion, package) == RecordRead::Ok) {
            stocks.push_back(package.MakeStock());
            ++made;
        }
    } catch (const std::bad_alloc&) {
        AppLog().Log(LOG_ERR, "[MEM] paste: out of memory after %d stocks", static_cast<int>(made));
    }
    return made;
}

}  // namespace quotrix
