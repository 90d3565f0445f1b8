#include "dialogs/StockListModel.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "dialogs/PageModel.h"
#include "model/Price.h"
#include "platform/TextCodec.h"

namespace quotrix {

namespace {

// Leading decimal digits, saturating; no digits give 0.
std::uint64_t LeadingNumber(std::string_view text) {
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
        value = value > (UINT64_MAX - digit) / 10 ? UINT64_MAX : value * 10 + digit;
    }
    return value;
}

template <typename T>
int Order(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

const StockListColumnInfo& StockListColumnAt(int column) {
    static const std::array<StockListColumnInfo, kStockListColumns> columns = {{
        {Utf8ToSjis("銘柄名"), 87, ColumnAlign::Left},
        {Utf8ToSjis("コード"), 55, ColumnAlign::Right},
        {Utf8ToSjis("市場"), 40, ColumnAlign::Centre},
        {Utf8ToSjis("売買株数"), 60, ColumnAlign::Right},
        {Utf8ToSjis("売買種別"), 60, ColumnAlign::Centre},
        {Utf8ToSjis("売買総額"), 80, ColumnAlign::Right},
        {Utf8ToSjis("比較対象"), 65, ColumnAlign::Left},
        {Utf8ToSjis("境界線"), 30, ColumnAlign::Centre},
        {Utf8ToSjis("表示"), 160, ColumnAlign::Left},
    }};
    return columns[static_cast<std::size_t>(std::clamp(column, 0, kStockListColumns - 1))];
}

StockListRow BuildStockListRow(const CStockMan& stock, bool groupDigits) {
    const unsigned flags = groupDigits ? static_cast<unsigned>(FMT_GROUP) : 0u;
    StockListRow row;
    row[SLC_NAME] = stock.name;
    row[SLC_CODE] = stock.codeText;
    row[SLC_MARKET] = MarketName(stock.market);
    FormatCount(static_cast<std::int32_t>(stock.shares), row[SLC_SHARES], flags);
    if (stock.shares != 0) {
        if (stock.tradeMode & TRADE_MARGIN_BUY)
            row[SLC_TRADE_KIND] = SJIS("信用") + ((stock.tradeMode & TRADE_SELL) ? SJIS("売") : SJIS("買"));
        else
            row[SLC_TRADE_KIND] = SJIS("買");
        FormatPrice(stock.cost, row[SLC_TOTAL], flags);
    } else {
        row[SLC_TRADE_KIND] = " ";
        row[SLC_TOTAL] = "-";
    }
    switch (stock.iconIndexMode) {
        case 0:
            row[SLC_REFERENCE] = SJIS("前日値");
            break;
        case 1:
            row[SLC_REFERENCE] = SJIS("売買単価");
            break;
        case 2:
            row[SLC_REFERENCE] = SJIS("目標株価");
            break;
        default:
            break;
    }
    // File flag bit 0: a border line above the stock's portfolio row.
    if (stock.fileFlags & 0x1) row[SLC_BORDER] = SJIS("○");
    row[SLC_SHOW] = ShowModeText(stock.showMode, stock.fileFlags);
    return row;
}

SortKind SortKindOf(int column) {
    switch (column) {
        case SLC_CODE:
            return SortKind::Number;
        case SLC_SHARES:
        case SLC_TOTAL:
            return SortKind::Amount;
        default:
            return SortKind::Bytes;
    }
}

int CompareStockListTexts(int column, std::string_view a, std::string_view b) {
    switch (SortKindOf(column)) {
        case SortKind::Number:
            return Order(LeadingNumber(a), LeadingNumber(b));
        case SortKind::Amount:
            return Order(ParseAmountText(a).value_or(0), ParseAmountText(b).value_or(0));
        case SortKind::Bytes:
        default: {
            const int order = a.compare(b);
            return order < 0 ? -1 : (order > 0 ? 1 : 0);
        }
    }
}

void StockListSort::Click(int column) {
    if (column == column_) {
        direction_ = -direction_;
    } else {
        column_ = column;
        direction_ = 1;
    }
}

std::string DeleteQuestionLine(const CStock& stock) {
    return SJIS("・") + stock.name + " (" + stock.codeText + MarketSuffix(stock.market) + ")\r\n";
}

std::string DeleteQuestionText(std::span<const CStock* const> found) {
    if (found.empty()) return {};
    char head[128];
    std::snprintf(head, sizeof head, SJIS("次の%d銘柄を削除します。よろしいですか？\r\n\r\n").c_str(),
                  static_cast<int>(found.size()));
    std::string text = head;
    for (const CStock* stock : found) text += DeleteQuestionLine(*stock);
    return text;
}

bool ApplyRowOrder(StockList& stocks, std::span<const std::uint32_t> rowIds) {
    std::unordered_map<std::uint32_t, std::size_t> rank;
    for (std::size_t i = 0; i < rowIds.size(); ++i) rank.emplace(rowIds[i], i);
    auto rankOf = [&](const std::unique_ptr<CStockMan>& stock) {
        const auto it = rank.find(stock->Id());
        return it == rank.end() ? rowIds.size() : it->second;
    };
    if (std::is_sorted(stocks.begin(), stocks.end(),
                       [&](const auto& a, const auto& b) { return rankOf(a) < rankOf(b); }))
        return false;
    std::stable_sort(stocks.begin(), stocks.end(), [&](const auto& a, const auto& b) { return rankOf(a) < rankOf(b); });
    return true;
}

}  // namespace quotrix
