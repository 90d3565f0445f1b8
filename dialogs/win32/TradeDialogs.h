// The trade page's small dialogs: adding shares, removing shares with the profit preview, the name
// and market, the update log viewer, and the account balance dialog the options use. Each moves
// values between its controls and its model (dialogs/TradePage.h). UI thread only; modal.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "dialogs/TradePage.h"
#include "platform/win32/ui/Wnd.h"

namespace quotrix {

// Starts the calculator; false when it could not be started.
using CalculatorLauncher = std::function<bool()>;

// "株取引の追加": IDOK with the model's finalShares and finalAmount set.
class CStockExchangeDlg : public CDialog {
  public:
    CStockExchangeDlg(std::string name, CalculatorLauncher calculator);
    AddTradeModel model;

  protected:
    BOOL OnInitDialog() override;
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void ShowState();
    std::string name_;
    CalculatorLauncher calculator_;
    bool filling_ = false;
};

// "株取引の削除": IDOK with the model's finalShares, finalAmount and finalCostBasis set.
class CSellStockDlg : public CDialog {
  public:
    CSellStockDlg(std::string name, CalculatorLauncher calculator);
    SellTradeModel model;  // Init before DoModal

  protected:
    BOOL OnInitDialog() override;
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void ShowNumbers(int editedBox);
    void ShowEditMode();
    std::string name_;
    CalculatorLauncher calculator_;
    bool filling_ = false;
};

// "銘柄名・市場変更": IDOK when "変更(&C)" was pressed; the model holds the dialog's values.
class CChangeMarket : public CDialog {
  public:
    CChangeMarket();
    ChangeMarketModel model;  // Init before DoModal

  protected:
    BOOL OnInitDialog() override;
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

// "銘柄データ更新ログの表示": the whole log, read-only.
class CStockErrLogDlg : public CDialog {
  public:
    explicit CStockErrLogDlg(std::string text);

  protected:
    BOOL OnInitDialog() override;

  private:
    std::string text_;
};

// The account balance dialog: which of its three buttons was pressed, with the typed amount.
class CChangeAccountBal : public CDialog {
  public:
    CChangeAccountBal();
    // Runs the dialog and applies the chosen change to `balance`; true when it really changed.
    static bool Run(HWND owner, PriceValue& balance);

    std::optional<BalanceChange> change;
    PriceValue amount = 0;

  protected:
    BOOL OnInitDialog() override;
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

// "電卓の起動に失敗しました。..." after a calculator that could not be started.
void StartCalculator(HWND owner, const CalculatorLauncher& calculator);

}  // namespace quotrix
