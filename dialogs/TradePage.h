// The trade page of a stock's property sheet and its small dialogs, as portable models: the
// working copy of the holding with its undo and redo history, adding and removing trades, margin
// and short positions with the cash each step moves, the remove dialog's profit preview, the name
// and market dialog and the account balance dialog.
//
// Money is PriceValue (ten-thousandths of a yen); share counts are unsigned 32-bit. Texts are
// Shift-JIS. The models are plain values used on the user-interface thread; nothing reaches the
// stock before Store.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/PageModel.h"
#include "files/StockRecord.h"
#include "model/StockMan.h"

namespace quotrix {

// Bits of the page's edit flags.
enum TradeEditFlags : unsigned {
    TRADE_EDIT_CURRENCY = 0x3,  // the stock is a currency pair (or of unknown market)
    TRADE_EDIT_NAME = 0x4,      // the name was edited on this page
    TRADE_EDIT_REFETCH = 0x8,   // the name is to be fetched again at the next update
};

// What the trade page's labels say, following the short flag.
struct TradeLabels {
    std::string shares;  // "買付株数:" / "売付株数:"
    std::string total;   // "買付総額:" / "売付総額:"
    std::string add;     // "買付株追加(&A)" / "売付株追加(&A)"
    std::string remove;  // "売付株削除(&S)" / "買付株削除(&S)"
};

// The holding as the page shows it.
struct HoldingTexts {
    std::string shares;
    std::string total;
    std::string average;
    std::string marketValue;
};

// What Store changed beyond the stock's own fields.
struct TradeStoreResult {
    PriceValue balanceDelta = 0;    // added to the cash balance (0 unless it is managed)
    bool portfolioChanged = false;  // the in-portfolio flag changed: rebuild the portfolio
    bool marketChanged = false;     // the addresses were rebuilt
    bool holdingStored = false;     // shares and a positive total were stored
    bool fileChanged = false;       // something the stock file keeps changed
};

class TradePageModel {
  public:
    void Load(const CStockMan& stock);

    // Adds a trade of `added` shares for `amount` in total; nothing for 0 shares.
    // False (and nothing changed) when the holding would leave the range of its counters.
    bool AddTrade(std::uint32_t added, PriceValue amount);
    // True when removing `removed` shares asks whether to continue with 0 shares.
    bool RemoveNeedsConfirmation(std::uint32_t removed) const { return removed > shares; }
    // Removes `removed` shares sold for `amount` (total) whose cost basis is `costBasis`. When
    // more than the holding is removed, `setToZero` is the user's answer: false leaves the
    // holding unchanged (the history entry stays). Nothing for 0 shares.
    void RemoveTrade(std::uint32_t removed, PriceValue amount, PriceValue costBasis, bool setToZero = true);
    // The margin box: the cost paid in cash returns to the trade cash (or is taken from it).
    void SetMargin(bool on);
    // The short box (only under margin).
    void SetShort(bool on);
    bool Undo();
    bool Redo();
    bool CanUndo() const { return !undoStack.empty(); }
    bool CanRedo() const { return !redoStack.empty(); }

    TradeLabels Labels() const;
    // `latestPrice` is the stock's price at the moment; `group` the digit-grouping choice.
    HoldingTexts Texts(PriceValue latestPrice, bool group) const;
    // "東京 (T)"; the name alone for market 0 and currency pairs.
    std::string MarketText() const;
    bool ShortEnabled() const { return margin; }
    bool HoldingEnabled() const { return shares != 0; }
    bool IsCurrency() const { return (editFlags & TRADE_EDIT_CURRENCY) != 0; }

    // Writes the working copy into the stock: market, name, trade mode, trade cash (and the
    // balance when `cashSwitches` has CASH_MANAGED), holding, in-portfolio flag, history.
    TradeStoreResult Store(CStockMan& stock, PriceValue& cashBalance, std::uint32_t cashSwitches);

    TradeSnapshot Snapshot() const { return {shares, cost, tradeCash, isShort, margin}; }

    std::string name;
    std::uint32_t code = 0;
    std::string codeText;
    std::uint32_t market = 0;
    std::uint32_t shares = 0;
    PriceValue cost = 0;
    PriceValue tradeCash = 0;
    bool margin = false;
    bool isShort = false;
    bool inPortfolio = false;
    unsigned editFlags = 0;
    std::vector<TradeSnapshot> undoStack;
    std::vector<TradeSnapshot> redoStack;

  private:
    void PushHistory();
    void Restore(const TradeSnapshot& snapshot);
};

// A refused entry: the box and the message to show.
struct InputProblem {
    int field = 0;
    std::string message;
};

// The add-trade dialog ("株取引の追加").
class AddTradeModel {
  public:
    enum Field { FIELD_SHARES = 1, FIELD_AMOUNT = 2 };

    void SetSharesText(const std::string& text);
    void SetAmountText(const std::string& text) { amountText = text; }
    void SetUnitPrice(bool unit);
    // "追加(&B)" is enabled while the share count is above 0.
    bool OkEnabled() const { return shares.value_or(0) > 0; }
    bool UnitPriceEnabled() const { return OkEnabled(); }
    // On "追加(&B)": the total amount, or what is wrong.
    std::optional<InputProblem> Finish();

    std::optional<std::uint32_t> shares = 0;
    std::string amountText = "0";
    bool unitPrice = false;
    // Set by Finish.
    std::uint32_t finalShares = 0;
    PriceValue finalAmount = 0;
};

// The remove-trade dialog ("株取引の削除") with its profit/loss preview.
class SellTradeModel {
  public:
    enum Field { FIELD_SHARES = 1, FIELD_AMOUNT = 2, FIELD_AVERAGE = 3, FIELD_COST_BASIS = 4 };

    // Prefilled from the page: all shares, at the latest price.
    void Init(const TradePageModel& page, PriceValue latestPrice, unsigned formatFlags);

    void SetSharesText(const std::string& text);
    void SetAmountText(const std::string& text);
    void SetUnitPrice(bool unit);
    // "編集(&E)" / "単価を戻す(&R)".
    void PressEdit();
    void SetAverageText(const std::string& text);
    void SetCostBasisText(const std::string& text);

    bool OkEnabled() const { return shares && *shares > 0 && *shares <= maxShares; }
    // The profit/loss text; nothing when an input is invalid (the box keeps its text).
    std::optional<std::string> ProfitText() const;
    std::string AverageText() const;  // the read-only texts outside cost-edit mode
    std::string CostBasisText() const;
    std::string EditCaption() const;  // "編集(&E)" / "単価を戻す(&R)"
    std::string AmountLabel() const;  // "売付金額(&P):" / "買付金額(&P):"
    std::string GroupLabel() const;   // "買付時の情報" / "売付時の情報"
    std::string CostLabel() const;    // "買付金額:" / "売付金額:"

    // On "削除(&D)": the removed count, the total amount and the cost basis, or what is wrong.
    std::optional<InputProblem> Finish();

    std::optional<std::uint32_t> shares;
    std::uint32_t maxShares = 0;
    Amount amount;
    bool unitPrice = false;
    Amount costBasis;
    Amount average;
    Amount startAverage;
    unsigned formatFlags = 0;
    bool isShort = false;
    bool costEdit = false;
    bool editEnabled = true;
    // Set by Finish.
    std::uint32_t finalShares = 0;
    PriceValue finalAmount = 0;
    PriceValue finalCostBasis = 0;

  private:
    Amount TotalAmount() const;
};

// The name and market dialog ("銘柄名/取引市場を編集できます。").
class ChangeMarketModel {
  public:
    // Reloads the page's name from the stock unless it was edited there.
    void Init(TradePageModel& page, const CStockMan& stock);
    // Applies the dialog's result ("変更(&C)") to the page; true when the page changed.
    bool ApplyTo(TradePageModel& page) const;

    bool NameEnabled() const { return !refetch; }
    bool ListShown() const { return !currency; }

    std::string name;
    int selection = -1;  // market - 1 for markets 1 to 7, else -1
    bool refetch = false;
    bool currency = false;
    std::string marketText;  // shown instead of the list for a currency pair

  private:
    std::string startName_;
    bool startRefetch_ = false;
    int startSelection_ = -1;
};

// The account balance dialog: what each of its three buttons does to the balance.
enum class BalanceChange { Set, Add, Subtract };
// Applies `amount`; false (and the balance unchanged) when nothing changed or the sum overflows.
bool ChangeBalance(PriceValue& balance, BalanceChange change, PriceValue amount);

// The seven markets as the market list shows them ("東京        (T)" ...), market 1 first.
const std::vector<std::string>& MarketListItems();

}  // namespace quotrix
