#include "app/AddStocks.h"

#include <cstdio>

#include "model/Stock.h"
#include "platform/TextCodec.h"

namespace quotrix {

StockList TakeDuplicates(const StockList& listed, StockList& incoming) {
    StockList kept;
    StockList refused;
    auto known = [&](const CStockMan& stock) {
        for (const auto& other : listed)
            if (other && SameInstrument(*other, stock)) return true;
        for (const auto& other : kept)
            if (SameInstrument(*other, stock)) return true;
        return false;
    };
    for (auto& stock : incoming) {
        if (!stock) continue;
        if (known(*stock))
            refused.push_back(std::move(stock));
        else
            kept.push_back(std::move(stock));
    }
    incoming = std::move(kept);
    return refused;
}

std::string DuplicateReport(const StockList& refused) {
    if (refused.empty()) return {};
    char head[128];
    std::snprintf(head, sizeof head, SJIS("次の%d銘柄を追加できませんでした。\r\n\r\n").c_str(),
                  static_cast<int>(refused.size()));
    std::string text = head;
    for (const auto& stock : refused)
        text += SJIS("・") + stock->name + " (" + stock->codeText + MarketSuffix(stock->market) + ")\r\n";
    return text;
}

const std::string& DuplicateReportCaption() { return SJIS("銘柄の追加"); }

std::string AddedItemsLogLine(std::size_t count, bool byKeywords) {
    char line[64];
    std::snprintf(line, sizeof line, byKeywords ? "Add %d items by keywords" : "Add %d items", static_cast<int>(count));
    return line;
}

}  // namespace quotrix
