#include "dialogs/win32/TradeDialogs.h"

#include "platform/TextCodec.h"
#include "platform/win32/WinText.h"
#include "platform/win32/ui/DlgItems.h"
#include "platform/win32/ui/UiFont.h"
#include "resources/resource.h"

namespace quotrix {

void StartCalculator(HWND owner, const CalculatorLauncher& calculator) {
    if (calculator && calculator()) return;
    ShowMessage(
        owner,
        SJIS("電卓の起動に失敗しました。電卓が正しくインストールされていないか、電卓の設定が正しくない可能性があり"
             "ます。"),
        MB_OK | MB_ICONEXCLAMATION);
}

// --- adding shares ---

CStockExchangeDlg::CStockExchangeDlg(std::string name, CalculatorLauncher calculator)
    : CDialog(IDD_STOCK_EXCHANGE), name_(std::move(name)), calculator_(std::move(calculator)) {}

BOOL CStockExchangeDlg::OnInitDialog() {
    ApplyUiFont(hwnd_);
    filling_ = true;
    SetItemText(hwnd_, IDC_EX_NAME, name_);
    SetItemText(hwnd_, IDC_EX_SHARES, "0");
    SetItemText(hwnd_, IDC_EX_AMOUNT, model.amountText);
    model.SetSharesText("0");
    filling_ = false;
    ShowState();
    SetFocus(GetDlgItem(hwnd_, IDC_EX_SHARES));
    SendDlgItemMessageW(hwnd_, IDC_EX_SHARES, EM_SETSEL, 0, -1);
    return FALSE;
}

void CStockExchangeDlg::ShowState() {
    SetItemCheck(hwnd_, IDC_EX_TOTAL, !model.unitPrice);
    SetItemCheck(hwnd_, IDC_EX_UNIT, model.unitPrice);
    EnableItem(hwnd_, IDC_EX_UNIT, model.UnitPriceEnabled());
    EnableItem(hwnd_, IDOK, model.OkEnabled());
}

BOOL CStockExchangeDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != WM_COMMAND) return FALSE;
    const UINT id = LOWORD(wParam), code = HIWORD(wParam);
    switch (id) {
        case IDC_EX_SHARES:
            if (code == EN_CHANGE && !filling_) {
                model.SetSharesText(GetItemText(hwnd_, IDC_EX_SHARES));
                ShowState();
            }
            return TRUE;
        case IDC_EX_TOTAL:
        case IDC_EX_UNIT:
            if (code == BN_CLICKED) {
                model.SetUnitPrice(id == IDC_EX_UNIT);
                ShowState();
            }
            return TRUE;
        case IDC_EX_CALC:
            StartCalculator(hwnd_, calculator_);
            return TRUE;
        case IDOK: {
            model.SetSharesText(GetItemText(hwnd_, IDC_EX_SHARES));
            model.SetAmountText(GetItemText(hwnd_, IDC_EX_AMOUNT));
            if (auto problem = model.Finish()) {
                RejectInput(hwnd_, problem->field == AddTradeModel::FIELD_SHARES ? IDC_EX_SHARES : IDC_EX_AMOUNT,
                            problem->message);
                return TRUE;
            }
            EndDialog(IDOK);
            return TRUE;
        }
        default:
            return CDialog::OnMessage(message, wParam, lParam, result);
    }
}

// --- removing shares ---

CSellStockDlg::CSellStockDlg(std::string name, CalculatorLauncher calculator)
    : CDialog(IDD_SELL_STOCK), name_(std::move(name)), calculator_(std::move(calculator)) {}

BOOL CSellStockDlg::OnInitDialog() {
    ApplyUiFont(hwnd_);
    filling_ = true;
    SetItemText(hwnd_, IDC_SE_NAME, name_);
    SetItemText(hwnd_, IDC_SE_SHARES, model.shares ? std::to_string(*model.shares) : std::string());
    SetItemText(hwnd_, IDC_SE_AMOUNT, model.amount ? AmountBoxText(*model.amount) : std::string());
    SetItemText(hwnd_, IDC_SE_AMOUNT_LABEL, model.AmountLabel());
    SetItemText(hwnd_, IDC_SE_GROUP, model.GroupLabel());
    SetItemText(hwnd_, IDC_SE_COST_LABEL, model.CostLabel());
    SetItemCheck(hwnd_, IDC_SE_TOTAL, !model.unitPrice);
    SetItemCheck(hwnd_, IDC_SE_UNIT, model.unitPrice);
    filling_ = false;
    ShowEditMode();
    ShowNumbers(0);
    SetFocus(GetDlgItem(hwnd_, IDC_SE_SHARES));
    SendDlgItemMessageW(hwnd_, IDC_SE_SHARES, EM_SETSEL, 0, -1);
    return FALSE;
}

void CSellStockDlg::ShowEditMode() {
    ShowItem(hwnd_, IDC_SE_AVERAGE_TEXT, !model.costEdit);
    ShowItem(hwnd_, IDC_SE_COST_TEXT, !model.costEdit);
    ShowItem(hwnd_, IDC_SE_AVERAGE, model.costEdit);
    ShowItem(hwnd_, IDC_SE_COST, model.costEdit);
    SetItemText(hwnd_, IDC_SE_EDIT, model.EditCaption());
}

// Shows what the model computed; the box the user is typing in (`editedBox`) keeps its text.
void CSellStockDlg::ShowNumbers(int editedBox) {
    filling_ = true;
    if (auto profit = model.ProfitText()) UpdateItemText(hwnd_, IDC_SE_PROFIT, *profit);
    if (model.costEdit) {
        if (editedBox != IDC_SE_AVERAGE && model.average)
            UpdateItemText(hwnd_, IDC_SE_AVERAGE, AmountBoxText(*model.average));
        if (editedBox != IDC_SE_COST && model.costBasis)
            UpdateItemText(hwnd_, IDC_SE_COST, AmountBoxText(*model.costBasis));
    } else {
        UpdateItemText(hwnd_, IDC_SE_AVERAGE_TEXT, model.AverageText());
        UpdateItemText(hwnd_, IDC_SE_COST_TEXT, model.CostBasisText());
    }
    EnableItem(hwnd_, IDOK, model.OkEnabled());
    EnableItem(hwnd_, IDC_SE_EDIT, model.editEnabled);
    filling_ = false;
}

BOOL CSellStockDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != WM_COMMAND) return FALSE;
    const UINT id = LOWORD(wParam), code = HIWORD(wParam);
    const bool typed = code == EN_CHANGE && !filling_;
    switch (id) {
        case IDC_SE_SHARES:
            if (typed) {
                model.SetSharesText(GetItemText(hwnd_, id));
                ShowNumbers(id);
            }
            return TRUE;
        case IDC_SE_AMOUNT:
            if (typed) {
                model.SetAmountText(GetItemText(hwnd_, id));
                ShowNumbers(id);
            }
            return TRUE;
        case IDC_SE_AVERAGE:
            if (typed) {
                model.SetAverageText(GetItemText(hwnd_, id));
                ShowNumbers(id);
            }
            return TRUE;
        case IDC_SE_COST:
            if (typed) {
                model.SetCostBasisText(GetItemText(hwnd_, id));
                ShowNumbers(id);
            }
            return TRUE;
        case IDC_SE_TOTAL:
        case IDC_SE_UNIT:
            if (code == BN_CLICKED) {
                model.SetUnitPrice(id == IDC_SE_UNIT);
                ShowNumbers(0);
            }
            return TRUE;
        case IDC_SE_EDIT:
            model.PressEdit();
            ShowEditMode();
            ShowNumbers(0);
            if (HWND average = GetDlgItem(hwnd_, IDC_SE_AVERAGE)) SetFocus(average);
            return TRUE;
        case IDC_SE_CALC:
            StartCalculator(hwnd_, calculator_);
            return TRUE;
        case IDOK: {
            if (auto problem = model.Finish()) {
                const int box = problem->field == SellTradeModel::FIELD_SHARES       ? IDC_SE_SHARES
                                : problem->field == SellTradeModel::FIELD_AVERAGE    ? IDC_SE_AVERAGE
                                : problem->field == SellTradeModel::FIELD_COST_BASIS ? IDC_SE_COST
                                                                                     : IDC_SE_AMOUNT;
                RejectInput(hwnd_, box, problem->message);
                return TRUE;
            }
            EndDialog(IDOK);
            return TRUE;
        }
        default:
            return CDialog::OnMessage(message, wParam, lParam, result);
    }
}

// --- name and market ---

CChangeMarket::CChangeMarket() : CDialog(IDD_CHANGE_MARKET) {}

BOOL CChangeMarket::OnInitDialog() {
    ApplyUiFont(hwnd_);
    SendDlgItemMessageW(hwnd_, IDC_CM_NAME, EM_LIMITTEXT, 255, 0);
    SetItemText(hwnd_, IDC_CM_NAME, model.name);
    SetItemCheck(hwnd_, IDC_CM_REFETCH, model.refetch);
    EnableItem(hwnd_, IDC_CM_NAME, model.NameEnabled());
    for (const std::string& item : MarketListItems())
        SendDlgItemMessageW(hwnd_, IDC_CM_MARKET, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
    SendDlgItemMessageW(hwnd_, IDC_CM_MARKET, CB_SETCURSEL, static_cast<WPARAM>(model.selection), 0);
    ShowItem(hwnd_, IDC_CM_MARKET, model.ListShown());
    ShowItem(hwnd_, IDC_CM_MARKET_TEXT, !model.ListShown());
    SetItemText(hwnd_, IDC_CM_MARKET_TEXT, model.marketText);
    return TRUE;
}

BOOL CChangeMarket::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
        case IDC_CM_REFETCH:
            model.refetch = IsItemChecked(hwnd_, IDC_CM_REFETCH);
            EnableItem(hwnd_, IDC_CM_NAME, model.NameEnabled());
            return TRUE;
        case IDOK:
            model.name = GetItemText(hwnd_, IDC_CM_NAME);
            model.refetch = IsItemChecked(hwnd_, IDC_CM_REFETCH);
            if (model.ListShown())
                model.selection = static_cast<int>(SendDlgItemMessageW(hwnd_, IDC_CM_MARKET, CB_GETCURSEL, 0, 0));
            EndDialog(IDOK);
            return TRUE;
        default:
            return CDialog::OnMessage(message, wParam, lParam, result);
    }
}

// --- the log ---

CStockErrLogDlg::CStockErrLogDlg(std::string text) : CDialog(IDD_STOCK_ERRLOG), text_(std::move(text)) {}

BOOL CStockErrLogDlg::OnInitDialog() {
    ApplyUiFont(hwnd_);
    SetItemText(hwnd_, IDC_LOG_TEXT, text_);
    // The newest lines are at the end. The focus is set here: the dialog's own would select the
    // whole text and scroll back to the top.
    HWND box = GetDlgItem(hwnd_, IDC_LOG_TEXT);
    SetFocus(box);
    const LRESULT length = SendMessageW(box, WM_GETTEXTLENGTH, 0, 0);
    SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(length), length);
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
    return FALSE;
}

// --- the account balance ---

CChangeAccountBal::CChangeAccountBal() : CDialog(IDD_ACCOUNT_BALANCE) {}

BOOL CChangeAccountBal::OnInitDialog() {
    ApplyUiFont(hwnd_);
    SetItemText(hwnd_, IDC_AB_AMOUNT, "0");
    SetFocus(GetDlgItem(hwnd_, IDC_AB_AMOUNT));
    SendDlgItemMessageW(hwnd_, IDC_AB_AMOUNT, EM_SETSEL, 0, -1);
    return FALSE;
}

BOOL CChangeAccountBal::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != WM_COMMAND) return FALSE;
    const UINT id = LOWORD(wParam);
    if (id == IDOK) return TRUE;  // Return in the box: one of the three buttons must be chosen
    if (id != IDC_AB_SET && id != IDC_AB_ADD && id != IDC_AB_SUBTRACT)
        return CDialog::OnMessage(message, wParam, lParam, result);
    const Amount typed = ParseAmountText(GetItemText(hwnd_, IDC_AB_AMOUNT));
    if (!typed) {
        RejectInput(hwnd_, IDC_AB_AMOUNT, NotAmountMessage());
        return TRUE;
    }
    amount = *typed;
    change = id == IDC_AB_SET ? BalanceChange::Set : id == IDC_AB_ADD ? BalanceChange::Add : BalanceChange::Subtract;
    EndDialog(id);
    return TRUE;
}

bool CChangeAccountBal::Run(HWND owner, PriceValue& balance) {
    CChangeAccountBal dialog;
    if (dialog.DoModal(owner) == IDCANCEL || !dialog.change) return false;
    return ChangeBalance(balance, *dialog.change, dialog.amount);
}

}  // namespace quotrix
