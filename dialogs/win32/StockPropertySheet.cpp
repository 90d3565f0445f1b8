#include "dialogs/win32/StockPropertySheet.h"

#include "dialogs/win32/PageControls.h"
#include "icons/StockIcon.h"
#include "log/ErrLog.h"
#include "platform/TextCodec.h"
#include "platform/win32/WinText.h"
#include "platform/win32/ui/DlgItems.h"
#include "platform/win32/ui/UiFont.h"
#include "resources/resource.h"

namespace quotrix {

namespace {

// The trade page whose keys the message hook looks for (one sheet at a time per thread).
thread_local CStockPricePage* g_keyPage = nullptr;

}  // namespace

// --- the page base ---

bool CStockSheetPage::OnApply(bool closing) {
    if (!closing) static_cast<CStockPagesSheet*>(Sheet())->ApplyPage(page_);
    return true;
}

void CStockPagesSheet::ShowPage(Page page) {
    for (int i = 0; i < PageCount(); ++i) {
        auto* stockPage = dynamic_cast<CStockSheetPage*>(PageAt(i));
        if (stockPage && stockPage->Kind() == page) return SetActivePage(i);
    }
}

// --- the trade page ---

CStockPricePage::CStockPricePage(StockSheetModel& model, CStockMan& stock, const StockSheetServices& services)
    : CStockSheetPage(IDD_STOCK_PRICE_PAGE, CStockPagesSheet::PAGE_TRADE, model),
      trade_(model.trade),
      stock_(stock),
      services_(services) {}

CStockPricePage::~CStockPricePage() {
    if (keyHook_) UnhookWindowsHookEx(keyHook_);
    if (g_keyPage == this) g_keyPage = nullptr;
}

BOOL CStockPricePage::OnInitDialog() {
    SetItemText(hwnd_, IDC_TP_NAME, trade_.name);
    SetItemText(hwnd_, IDC_TP_CODE, trade_.codeText);
    SetItemText(hwnd_, IDC_TP_MARKET, trade_.MarketText());

    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                               0, 0, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (tooltip_) ApplyUiFont(tooltip_);
    AddTooltip(IDC_TP_UNDO, SJIS("元に戻す(Ctrl+Z)"));
    AddTooltip(IDC_TP_REDO, SJIS("やり直し(Ctrl+Y)"));
    AddTooltip(IDC_TP_NAME_MARKET, SJIS("銘柄名・市場変更(Ctrl+H)"));
    AddTooltip(IDC_TP_LOG, SJIS("ログを開く(Ctrl+L)"));
    if (stock_.updateLog.empty()) {
        ShowItem(hwnd_, IDC_TP_LOG, false);
        EnableItem(hwnd_, IDC_TP_LOG, false);
    }

    // Only the page's four keys of the main window's table; the others keep their meaning in
    // the boxes (Ctrl+C copies a number).
    if (services_.accelerators) {
        const int count = CopyAcceleratorTableW(services_.accelerators, nullptr, 0);
        std::vector<ACCEL> all(static_cast<std::size_t>(count));
        CopyAcceleratorTableW(services_.accelerators, all.data(), count);
        for (const ACCEL& key : all)
            if (key.cmd == ID_ACCEL_UNDO || key.cmd == ID_ACCEL_REDO || key.cmd == ID_ACCEL_TRADE_H ||
                key.cmd == ID_ACCEL_TRADE_L)
                keys_.push_back(key);
        g_keyPage = this;
        keyHook_ = SetWindowsHookExW(WH_GETMESSAGE, KeyHook, nullptr, GetCurrentThreadId());
    }
    Refresh();
    return TRUE;
}

void CStockPricePage::AddTooltip(int id, const std::string& text) {
    HWND button = GetDlgItem(hwnd_, id);
    if (!tooltip_ || !button) return;
    std::wstring wide = Wide(text);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(button);
    tool.lpszText = wide.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

LRESULT CALLBACK CStockPricePage::KeyHook(int code, WPARAM wParam, LPARAM lParam) {
    CStockPricePage* page = g_keyPage;
    if (code == HC_ACTION && wParam == PM_REMOVE && page && page->hwnd_) {
        MSG& msg = *reinterpret_cast<MSG*>(lParam);
        const bool onPage = msg.hwnd == page->hwnd_ || IsChild(page->hwnd_, msg.hwnd);
        if (msg.message == WM_KEYDOWN && onPage && IsWindowVisible(page->hwnd_)) {
            const bool control = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
            for (const ACCEL& key : page->keys_) {
                if ((key.fVirt & FVIRTKEY) && key.key == msg.wParam && ((key.fVirt & FCONTROL) != 0) == control &&
                    ((key.fVirt & FSHIFT) != 0) == shift) {
                    PostMessageW(page->hwnd_, WM_COMMAND, key.cmd, 0);
                    msg.message = WM_NULL;
                    break;
                }
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CStockPricePage::OnSetActive() { Refresh(); }

void CStockPricePage::Refresh() {
    Loading loading(*this);
    const TradeLabels labels = trade_.Labels();
    SetItemText(hwnd_, IDC_TP_SHARES_LABEL, labels.shares);
    SetItemText(hwnd_, IDC_TP_TOTAL_LABEL, labels.total);
    SetItemText(hwnd_, IDC_TP_ADD, labels.add);
    SetItemText(hwnd_, IDC_TP_REMOVE, labels.remove);
    // The market value follows the stock's latest price at each refresh.
    const HoldingTexts texts = trade_.Texts(stock_.price, services_.groupDigits);
    SetItemText(hwnd_, IDC_TP_SHARES, texts.shares);
    SetItemText(hwnd_, IDC_TP_TOTAL, texts.total);
    SetItemText(hwnd_, IDC_TP_AVERAGE, texts.average);
    SetItemText(hwnd_, IDC_TP_VALUE, texts.marketValue);
    SetItemText(hwnd_, IDC_TP_MARKET, trade_.MarketText());
    SetItemText(hwnd_, IDC_TP_NAME, trade_.name);
    SetItemCheck(hwnd_, IDC_TP_PORTFOLIO, trade_.inPortfolio);
    SetItemCheck(hwnd_, IDC_TP_MARGIN, trade_.margin);
    SetItemCheck(hwnd_, IDC_TP_SHORT, trade_.isShort);
    EnableItem(hwnd_, IDC_TP_SHORT, trade_.ShortEnabled());
    for (int id : {IDC_TP_REMOVE, IDC_TP_TOTAL_LABEL, IDC_TP_TOTAL, IDC_TP_TOTAL_UNIT, IDC_TP_AVERAGE_LABEL,
                   IDC_TP_AVERAGE, IDC_TP_AVERAGE_UNIT, IDC_TP_VALUE_LABEL, IDC_TP_VALUE, IDC_TP_VALUE_UNIT})
        EnableItem(hwnd_, id, trade_.HoldingEnabled());
    EnableItem(hwnd_, IDC_TP_UNDO, trade_.CanUndo());
    EnableItem(hwnd_, IDC_TP_REDO, trade_.CanRedo());
}

BOOL CStockPricePage::OnCommand(UINT id, UINT code, HWND) {
    switch (id) {
        case IDC_TP_PORTFOLIO:
            trade_.inPortfolio = IsItemChecked(hwnd_, IDC_TP_PORTFOLIO);
            break;
        case IDC_TP_MARGIN:
            trade_.SetMargin(IsItemChecked(hwnd_, IDC_TP_MARGIN));
            break;
        case IDC_TP_SHORT:
            trade_.SetShort(IsItemChecked(hwnd_, IDC_TP_SHORT));
            break;
        case IDC_TP_ADD:
            AddTrade();
            return TRUE;
        case IDC_TP_REMOVE:
            RemoveTrade();
            return TRUE;
        case IDC_TP_UNDO:
        case ID_ACCEL_UNDO:
            if (!trade_.Undo()) return TRUE;
            break;
        case IDC_TP_REDO:
        case ID_ACCEL_REDO:
            if (!trade_.Redo()) return TRUE;
            break;
        case IDC_TP_NAME_MARKET:
        case ID_ACCEL_TRADE_H:
            ChangeNameAndMarket();
            return TRUE;
        case IDC_TP_LOG:
        case ID_ACCEL_TRADE_L:
            OpenLog();
            return TRUE;
        default:
            return FALSE;
    }
    (void)code;
    Refresh();
    SetModified();
    return TRUE;
}

void CStockPricePage::AddTrade() {
    CStockExchangeDlg dialog(trade_.name, services_.calculator);
    if (dialog.DoModal(hwnd_) != IDOK || dialog.model.finalShares == 0) return;
    if (!trade_.AddTrade(dialog.model.finalShares, dialog.model.finalAmount)) {
        ShowMessage(hwnd_, NotAmountMessage(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    Refresh();
    SetModified();
}

void CStockPricePage::RemoveTrade() {
    if (!trade_.HoldingEnabled()) return;
    CSellStockDlg dialog(trade_.name, services_.calculator);
    dialog.model.Init(trade_, stock_.price, services_.groupDigits ? static_cast<unsigned>(FMT_GROUP) : 0u);
    if (dialog.DoModal(hwnd_) != IDOK || dialog.model.finalShares == 0) return;
    bool setToZero = true;
    if (trade_.RemoveNeedsConfirmation(dialog.model.finalShares))
        setToZero =
            MessageBoxW(hwnd_, Wide(SJIS("売買済株数よりも多い株数です。株数を0に設定して続けますか？")).c_str(),
                        Wide(SJIS("お問い合わせ")).c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
    trade_.RemoveTrade(dialog.model.finalShares, dialog.model.finalAmount, dialog.model.finalCostBasis, setToZero);
    Refresh();
    SetModified();
}

void CStockPricePage::ChangeNameAndMarket() {
    CChangeMarket dialog;
    dialog.model.Init(trade_, stock_);
    if (dialog.DoModal(hwnd_) != IDOK) {
        Refresh();
        return;
    }
    if (dialog.model.ApplyTo(trade_)) SetModified();
    Refresh();
}

void CStockPricePage::OpenLog() {
    if (stock_.updateLog.empty()) {
        EnableItem(hwnd_, IDC_TP_LOG, false);
        return;
    }
    CStockErrLogDlg dialog(stock_.updateLog);
    dialog.DoModal(hwnd_);
}

BOOL CStockPricePage::OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message == WM_DRAWITEM) {
        DrawSmallButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return TRUE;
    }
    if (message == WM_DESTROY) {
        if (keyHook_) UnhookWindowsHookEx(keyHook_);
        keyHook_ = nullptr;
        if (g_keyPage == this) g_keyPage = nullptr;
        if (tooltip_) DestroyWindow(tooltip_);
        tooltip_ = nullptr;
    }
    return FALSE;
}

// The four looks of the small buttons: disabled, normal, pressed, focused.
void CStockPricePage::DrawSmallButton(const DRAWITEMSTRUCT& item) {
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    RECT rect = item.rcItem;
    DrawFrameControl(item.hDC, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    const wchar_t* glyph = item.CtlID == IDC_TP_UNDO          ? L"\x2190"
                           : item.CtlID == IDC_TP_REDO        ? L"\x2192"
                           : item.CtlID == IDC_TP_NAME_MARKET ? L"\x540D"
                                                              : L"\x2261";
    RECT text = rect;
    if (pressed) OffsetRect(&text, 1, 1);
    SetBkMode(item.hDC, TRANSPARENT);
    HGDIOBJ old = SelectObject(item.hDC, GetUiFont());
    if (disabled) {
        // The engraved look of a disabled control.
        OffsetRect(&text, 1, 1);
        SetTextColor(item.hDC, GetSysColor(COLOR_3DHILIGHT));
        DrawTextW(item.hDC, glyph, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        OffsetRect(&text, -1, -1);
        SetTextColor(item.hDC, GetSysColor(COLOR_GRAYTEXT));
    } else {
        SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
    }
    DrawTextW(item.hDC, glyph, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(item.hDC, old);
    if ((item.itemState & ODS_FOCUS) && !disabled) {
        InflateRect(&rect, -3, -3);
        DrawFocusRect(item.hDC, &rect);
    }
}

// --- the display page ---

CStockDispPage::CStockDispPage(StockSheetModel& model)
    : CStockSheetPage(IDD_STOCK_DISP_PAGE, CStockPagesSheet::PAGE_DISPLAY, model) {}

BOOL CStockDispPage::OnInitDialog() {
    AddComboItems(hwnd_, IDC_DP_WHERE, {"タスクトレイに表示", "デスクトップに表示"});
    return TRUE;
}

void CStockDispPage::OnSetActive() {
    Loading loading(*this);
    const DisplayPageModel& display = model_.display;
    for (int i = 0; i < 4; ++i) SetItemCheck(hwnd_, IDC_DP_ALWAYS + i, static_cast<int>(display.choice) == i);
    SetComboSelection(hwnd_, IDC_DP_WHERE, display.desktop ? 1 : 0);
    SetItemCheck(hwnd_, IDC_DP_BALLOON, display.balloon);
    SetItemCheck(hwnd_, IDC_DP_PORTFOLIO, model_.trade.inPortfolio);
    SetItemCheck(hwnd_, IDC_DP_BORDER, display.border);
    SetItemText(hwnd_, IDC_DP_RANGE, DisplayPageModel::WatchRangeText(model_.watch.lower, model_.watch.upper));
    ShowEnabling();
}

void CStockDispPage::ShowEnabling() {
    EnableItem(hwnd_, IDC_DP_WHERE, model_.display.ListEnabled());
    EnableItem(hwnd_, IDC_DP_BALLOON, model_.display.BalloonEnabled());
}

BOOL CStockDispPage::OnCommand(UINT id, UINT code, HWND) {
    DisplayPageModel& display = model_.display;
    switch (id) {
        case IDC_DP_ALWAYS:
        case IDC_DP_NEVER:
        case IDC_DP_OUTSIDE:
        case IDC_DP_INSIDE:
            if (code != BN_CLICKED || !IsItemChecked(hwnd_, static_cast<int>(id))) return TRUE;
            display.SetChoice(static_cast<DisplayPageModel::Choice>(id - IDC_DP_ALWAYS));
            break;
        case IDC_DP_WHERE:
            if (code != CBN_SELCHANGE) return TRUE;
            display.SetDesktop(ComboSelection(hwnd_, IDC_DP_WHERE) == 1);
            break;
        case IDC_DP_BALLOON:
            display.balloon = IsItemChecked(hwnd_, IDC_DP_BALLOON);
            break;
        case IDC_DP_PORTFOLIO:
            // The trade page's "ポートフォリオ(&P)" is the same flag.
            model_.trade.inPortfolio = IsItemChecked(hwnd_, IDC_DP_PORTFOLIO);
            break;
        case IDC_DP_BORDER:
            display.border = IsItemChecked(hwnd_, IDC_DP_BORDER);
            break;
        case IDC_DP_RANGE_BUTTON:
            static_cast<CStockPagesSheet*>(Sheet())->ShowPage(CStockPagesSheet::PAGE_WATCH);
            return TRUE;
        default:
            return FALSE;
    }
    ShowEnabling();
    SetModified();
    return TRUE;
}

// --- the icon page ---

CStockIconPage::CStockIconPage(StockSheetModel& model, const StockSheetServices& services)
    : CStockSheetPage(IDD_STOCK_ICON_PAGE, CStockPagesSheet::PAGE_ICON, model), services_(services) {}

BOOL CStockIconPage::OnInitDialog() {
    AddComboItems(hwnd_, IDC_IP_UNIT, {"％", "円"});
    // One of the two buttons in the same place: the defaults' own, or the way back to them.
    ShowWindow(GetDlgItem(hwnd_, IDC_IP_STANDARD), services_.editsDefaults ? SW_HIDE : SW_SHOW);
    ShowWindow(GetDlgItem(hwnd_, IDC_IP_RECOMMENDED), services_.editsDefaults ? SW_SHOW : SW_HIDE);
    return TRUE;
}

void CStockIconPage::OnSetActive() {
    model_.icon.SetHoldingPresent(model_.trade.shares != 0 && model_.trade.cost > 0);
    ShowAll();
}

void CStockIconPage::ShowAll() {
    Loading loading(*this);
    const IconPageModel& icon = model_.icon;
    const std::array<std::string, 4> texts = icon.BoxTexts();
    for (int i = 0; i < 4; ++i) {
        SetItemText(hwnd_, IDC_IP_STEP1 + i, texts[static_cast<std::size_t>(i)]);
        SetItemText(hwnd_, IDC_IP_UNIT1 + i, icon.UnitText(i));
    }
    SetComboSelection(hwnd_, IDC_IP_UNIT, icon.percent ? 0 : 1);
    std::string target;
    FormatPrice(model_.watch.target, target, FMT_GROUP);
    SetItemText(hwnd_, IDC_IP_TARGET_TEXT, target);
    ShowReference();
}

void CStockIconPage::ShowReference() {
    const IconPageModel& icon = model_.icon;
    SetItemCheck(hwnd_, IDC_IP_PREVIOUS, icon.reference == 0);
    SetItemCheck(hwnd_, IDC_IP_TRADE, icon.reference == 1);
    SetItemCheck(hwnd_, IDC_IP_TARGET, icon.reference == 2);
    EnableItem(hwnd_, IDC_IP_TRADE, icon.TradeReferenceEnabled());
    SetItemText(hwnd_, IDC_IP_CAPTION, icon.Caption());
    SetItemText(hwnd_, IDC_IP_EXPLAIN, icon.Explanation());
}

bool CStockIconPage::ReadBoxes() {
    if (auto problem = model_.icon.SetBoxTexts(ItemTexts<4>(hwnd_, IDC_IP_STEP1))) {
        RejectInput(hwnd_, IDC_IP_STEP1 + problem->field, problem->message);
        return false;
    }
    return true;
}

bool CStockIconPage::OnKillActive() { return ReadBoxes(); }

BOOL CStockIconPage::OnCommand(UINT id, UINT code, HWND) {
    IconPageModel& icon = model_.icon;
    if (id >= IDC_IP_STEP1 && id < IDC_IP_STEP1 + 4) {
        if (code == EN_CHANGE) SetModified();
        return TRUE;
    }
    switch (id) {
        case IDC_IP_UNIT: {
            if (code != CBN_SELCHANGE) return TRUE;
            const bool percent = ComboSelection(hwnd_, IDC_IP_UNIT) == 0;
            if (percent == icon.percent) return TRUE;
            // The boxes belong to the old unit's set; a bad entry keeps the old unit.
            if (!ReadBoxes()) {
                SetComboSelection(hwnd_, IDC_IP_UNIT, icon.percent ? 0 : 1);
                return TRUE;
            }
            icon.SetPercent(percent);
            ShowAll();
            break;
        }
        case IDC_IP_PREVIOUS:
        case IDC_IP_TRADE:
        case IDC_IP_TARGET:
            if (code != BN_CLICKED || !IsItemChecked(hwnd_, static_cast<int>(id))) return TRUE;
            icon.SetReference(static_cast<std::uint8_t>(id - IDC_IP_PREVIOUS));
            ShowReference();
            break;
        case IDC_IP_STANDARD:
            if (!services_.defaults) return TRUE;
            icon.LoadStandard(*services_.defaults, services_.defaults->iconIndexMode);
            ShowAll();
            break;
        case IDC_IP_RECOMMENDED:
            if (code != BN_CLICKED) return TRUE;
            icon.LoadRecommended();
            ShowAll();
            break;
        case IDC_IP_TARGET_BUTTON:
            static_cast<CStockPagesSheet*>(Sheet())->ShowPage(CStockPagesSheet::PAGE_WATCH);
            return TRUE;
        default:
            return FALSE;
    }
    SetModified();
    return TRUE;
}

BOOL CStockIconPage::OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message != WM_DRAWITEM) return FALSE;
    const DRAWITEMSTRUCT& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item.CtlID < IDC_IP_ARROW1 || item.CtlID >= IDC_IP_ARROW1 + 4) return FALSE;
    static const int kArrows[4] = {IMG_ARROW_LARGE_RISE, IMG_ARROW_RISE, IMG_ARROW_FALL, IMG_ARROW_LARGE_FALL};
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    if (services_.arrows) {
        const int x = item.rcItem.left + (item.rcItem.right - item.rcItem.left - 16) / 2;
        const int y = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - 16) / 2;
        ImageList_Draw(services_.arrows, kArrows[item.CtlID - IDC_IP_ARROW1], item.hDC, x, y, ILD_TRANSPARENT);
    }
    result = TRUE;
    return TRUE;
}

// --- the watch page ---

CStockWatchPage::CStockWatchPage(StockSheetModel& model)
    : CStockSheetPage(IDD_STOCK_WATCH_PAGE, CStockPagesSheet::PAGE_WATCH, model) {}

BOOL CStockWatchPage::OnInitDialog() {
    AddComboItems(hwnd_, IDC_WP_HIGHLIGHT, {"なし", "監視範囲外のとき", "監視範囲内のとき"});
    return TRUE;
}

void CStockWatchPage::OnSetActive() {
    Loading loading(*this);
    const WatchPageModel& watch = model_.watch;
    SetItemText(hwnd_, IDC_WP_LOWER, AmountBoxText(watch.lower));
    SetItemText(hwnd_, IDC_WP_UPPER, AmountBoxText(watch.upper));
    SetItemText(hwnd_, IDC_WP_TARGET, AmountBoxText(watch.target));
    SetComboSelection(hwnd_, IDC_WP_HIGHLIGHT, watch.highlight);
    SetItemCheck(hwnd_, IDC_WP_TARGET_HIGHLIGHT, watch.targetHighlight);
    SetItemCheck(hwnd_, IDC_WP_TARGET_SHOW, watch.targetShown);
}

bool CStockWatchPage::OnKillActive() {
    auto problem = model_.watch.SetTexts(GetItemText(hwnd_, IDC_WP_LOWER), GetItemText(hwnd_, IDC_WP_UPPER),
                                         GetItemText(hwnd_, IDC_WP_TARGET));
    if (!problem) return true;
    const int box = problem->field == WatchPageModel::FIELD_LOWER   ? IDC_WP_LOWER
                    : problem->field == WatchPageModel::FIELD_UPPER ? IDC_WP_UPPER
                                                                    : IDC_WP_TARGET;
    RejectInput(hwnd_, box, problem->message);
    return false;
}

BOOL CStockWatchPage::OnCommand(UINT id, UINT code, HWND) {
    WatchPageModel& watch = model_.watch;
    switch (id) {
        case IDC_WP_LOWER:
        case IDC_WP_UPPER:
        case IDC_WP_TARGET:
            if (code != EN_CHANGE) return TRUE;
            break;
        case IDC_WP_HIGHLIGHT:
            if (code != CBN_SELCHANGE) return TRUE;
            watch.SetHighlight(ComboSelection(hwnd_, IDC_WP_HIGHLIGHT));
            break;
        case IDC_WP_TARGET_HIGHLIGHT:
            watch.targetHighlight = IsItemChecked(hwnd_, IDC_WP_TARGET_HIGHLIGHT);
            break;
        case IDC_WP_TARGET_SHOW:
            watch.targetShown = IsItemChecked(hwnd_, IDC_WP_TARGET_SHOW);
            break;
        default:
            return FALSE;
    }
    SetModified();
    return TRUE;
}

// --- the desktop items page ---

CStockDeskIconPage::CStockDeskIconPage(StockSheetModel& model, const StockSheetServices& services)
    : CStockSheetPage(IDD_STOCK_DESK_PAGE, CStockPagesSheet::PAGE_DESK, model), services_(services) {}

BOOL CStockDeskIconPage::OnInitDialog() {
    AddComboItems(hwnd_, IDC_DK_MODE, {"非表示", "右側に表示", "左側に表示"});
    return TRUE;
}

void CStockDeskIconPage::OnSetActive() {
    Loading loading(*this);
    SetComboSelection(hwnd_, IDC_DK_MODE, static_cast<int>(model_.desk.textMode));
    ShowItems();
}

void CStockDeskIconPage::ShowItems() {
    Loading loading(*this);
    const auto& items = DeskItems();
    for (std::size_t i = 0; i < items.size(); ++i)
        SetItemCheck(hwnd_, IDC_DK_ITEM0 + static_cast<int>(i), model_.desk.Item(items[i].bit));
}

BOOL CStockDeskIconPage::OnCommand(UINT id, UINT code, HWND) {
    DeskItemsPageModel& desk = model_.desk;
    const auto& items = DeskItems();
    if (id >= IDC_DK_ITEM0 && id < IDC_DK_ITEM0 + items.size()) {
        desk.SetItem(items[id - IDC_DK_ITEM0].bit, IsItemChecked(hwnd_, static_cast<int>(id)));
    } else if (id == IDC_DK_MODE) {
        if (code != CBN_SELCHANGE) return TRUE;
        desk.textMode = static_cast<std::uint32_t>(std::max(0, ComboSelection(hwnd_, IDC_DK_MODE)));
    } else if (id == IDC_DK_SIMPLE) {
        desk.Simple();
        ShowItems();
    } else if (id == IDC_DK_PORTFOLIO) {
        desk.MatchPortfolio(services_.portfolioItemFlags, services_.portfolioPriceBars);
        ShowItems();
    } else {
        return FALSE;
    }
    SetModified();
    return TRUE;
}

// --- the sheet ---

CStockPropertySheet::CStockPropertySheet(CStockMan& stock, const StockSheetServices& services)
    : CStockPagesSheet(StockSheetTitle(stock, services.removeCompanyMark)),
      stock_(stock),
      services_(services),
      trade_(model_, stock, services),
      display_(model_),
      icon_(model_, services),
      watch_(model_),
      desk_(model_, services) {
    model_.Load(stock);
    AddPage(trade_);
    AddPage(display_);
    AddPage(icon_);
    AddPage(watch_);
    AddPage(desk_);
}

void CStockPropertySheet::ApplyPage(Page page) {
    TradeStoreResult result;
    PriceValue ignored = 0;
    PriceValue& balance = services_.cashBalance ? *services_.cashBalance : ignored;
    const StockSavedFields before = StockSavedFields::Of(stock_);
    switch (page) {
        case PAGE_TRADE:
            result = model_.trade.Store(stock_, balance, services_.cashSwitches);
            break;
        case PAGE_DISPLAY:
            model_.display.Store(stock_, false);
            break;
        case PAGE_ICON:
            model_.icon.Store(stock_);
            if (stock_.shares == 0 && stock_.iconIndexMode == 1) stock_.iconIndexMode = 0;
            break;
        case PAGE_WATCH:
            model_.watch.Store(stock_);
            break;
        case PAGE_DESK: {
            std::uint32_t mode = stock_.desktopTxtMode;
            model_.desk.Store(stock_, mode);
            stock_.desktopTxtMode = static_cast<std::uint8_t>(mode);
            break;
        }
    }
    result.fileChanged = result.balanceDelta != 0 || !(before == StockSavedFields::Of(stock_));
    if (services_.stored) services_.stored(result);
}

bool CStockPropertySheet::Run(HWND owner) {
    if (!DoModal(owner)) return false;
    PriceValue ignored = 0;
    const TradeStoreResult result =
        model_.StoreAll(stock_, services_.cashBalance ? *services_.cashBalance : ignored, services_.cashSwitches);
    if (services_.stored) services_.stored(result);
    return true;
}

}  // namespace quotrix
