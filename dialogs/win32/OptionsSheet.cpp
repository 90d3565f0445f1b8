#include "dialogs/win32/OptionsSheet.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>

#include "dialogs/win32/PageControls.h"
#include "dialogs/win32/TradeDialogs.h"
#include "icons/win32/IconImages.h"
#include "platform/TextCodec.h"
#include "platform/win32/WinText.h"
#include "platform/win32/ui/DlgItems.h"
#include "platform/win32/ui/UiFont.h"
#include "platform/win32/ui/Wnd.h"

namespace quotrix {

namespace {

// A file dialog; `filter` is the Shift-JIS description, `pattern` its wildcard. Empty when
// cancelled.
std::string AskFile(HWND owner, const std::string& title, const std::string& filter, const wchar_t* pattern,
                    const wchar_t* extension, const std::string& current, bool mustExist) {
    std::wstring filterText = Wide(filter);
    filterText.push_back(L'\0');
    filterText += pattern;
    filterText.push_back(L'\0');
    filterText.push_back(L'\0');
    std::wstring titleText = Wide(title);
    wchar_t path[MAX_PATH] = {};
    wcsncpy(path, Wide(current).c_str(), MAX_PATH - 1);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filterText.c_str();
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrTitle = titleText.c_str();
    dialog.lpstrDefExt = extension;
    dialog.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | (mustExist ? OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST : 0);
    const BOOL chosen = mustExist ? GetOpenFileNameW(&dialog) : GetSaveFileNameW(&dialog);
    return chosen ? Narrow(path) : std::string();
}

// The arrow strip of a skin: the resource strip of its type, or the user's design file.
HBITMAP LoadSkinStrip(HINSTANCE resources, std::int32_t type, const std::string& file) {
    if (type == 3) {
        if (HBITMAP design = LoadArrowDesign(file)) return design;
        type = 0;
    }
    const UINT ids[] = {IDB_ARROWS_TYPE0, IDB_ARROWS_TYPE1, IDB_ARROWS_TYPE2};
    return static_cast<HBITMAP>(
        LoadImageW(resources, MAKEINTRESOURCEW(ids[std::clamp(type, 0, 2)]), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// The eight 16 x 16 pictures of the strip side by side (the mask grey is close to the face colour).
void DrawSkinPreview(const DRAWITEMSTRUCT& item, HINSTANCE resources, std::int32_t type, const std::string& file) {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    HBITMAP strip = LoadSkinStrip(resources, type, file);
    if (!strip) return;
    HDC source = CreateCompatibleDC(item.hDC);
    HGDIOBJ old = SelectObject(source, strip);
    const int top = item.rcItem.top + std::max(0L, (item.rcItem.bottom - item.rcItem.top - 16) / 2);
    for (int i = 0; i < 8; ++i) BitBlt(item.hDC, item.rcItem.left + i * 20, top, 16, 16, source, i * 16, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(strip);
}

// --- the small dialogs ---

class COptProxy : public CDialog {
  public:
    explicit COptProxy(AppSettings& settings) : CDialog(IDD_OPT_PROXY), settings_(settings) { model_.Load(settings); }

  protected:
    BOOL OnInitDialog() override {
        ApplyUiFont(hwnd_);
        SetItemText(hwnd_, IDC_PX_ADDRESS, model_.address);
        SetItemText(hwnd_, IDC_PX_PORT, model_.PortText());
        SetItemCheck(hwnd_, IDC_PX_LOGIN, model_.login);
        SetItemText(hwnd_, IDC_PX_USER, model_.user);
        SetItemText(hwnd_, IDC_PX_PASSWORD, model_.password);
        Enable();
        return TRUE;
    }
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT&) override {
        if (message != WM_COMMAND) return FALSE;
        switch (LOWORD(wParam)) {
            case IDC_PX_LOGIN:
                model_.login = IsItemChecked(hwnd_, IDC_PX_LOGIN);
                Enable();
                return TRUE;
            case IDOK: {
                if (auto problem = model_.SetPortText(GetItemText(hwnd_, IDC_PX_PORT))) {
                    RejectInput(hwnd_, IDC_PX_PORT, problem->message);
                    return TRUE;
                }
                model_.address = GetItemText(hwnd_, IDC_PX_ADDRESS);
                model_.user = GetItemText(hwnd_, IDC_PX_USER);
                model_.password = GetItemText(hwnd_, IDC_PX_PASSWORD);
                model_.Store(settings_);
                EndDialog(IDOK);
                return TRUE;
            }
            case IDCANCEL:
                EndDialog(IDCANCEL);
                return TRUE;
            default:
                return FALSE;
        }
    }

  private:
    void Enable() {
        EnableItem(hwnd_, IDC_PX_USER, model_.login);
        EnableItem(hwnd_, IDC_PX_PASSWORD, model_.login);
    }
    AppSettings& settings_;
    OptProxyModel model_;
};

class COptSkin : public CDialog {
  public:
    COptSkin(AppSettings& settings, const std::string& site) : CDialog(IDD_OPT_SKIN), settings_(settings), site_(site) {
        model_.Load(settings.arrowType, settings.arrowDesignFile);
    }

  protected:
    BOOL OnInitDialog() override {
        ApplyUiFont(hwnd_);
        const int ids[] = {IDC_SK_PLAIN, IDC_SK_BORDERED, 0, IDC_SK_USER};
        CheckRadioButton(hwnd_, IDC_SK_PLAIN, IDC_SK_USER, ids[model_.choice()]);
        SetItemCheck(hwnd_, IDC_SK_MONO, model_.monochrome);
        SetItemText(hwnd_, IDC_SK_FILE, model_.designFile);
        EnableItem(hwnd_, IDC_SK_SITE, !site_.empty());
        Enable();
        return TRUE;
    }
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT&) override {
        if (message != WM_COMMAND) return FALSE;
        switch (LOWORD(wParam)) {
            case IDC_SK_PLAIN:
                model_.SetChoice(OptSkinModel::SKIN_PLAIN);
                break;
            case IDC_SK_BORDERED:
                model_.SetChoice(OptSkinModel::SKIN_BORDERED);
                break;
            case IDC_SK_USER:
                model_.SetChoice(OptSkinModel::SKIN_USER);
                break;
            case IDC_SK_BROWSE: {
                const std::string file =
                    AskFile(hwnd_, SJIS("矢印アイコン デザインファイルの指定"), SJIS("デザインファイル(*.bmp)"),
                            L"*.bmp", L"BMP", GetItemText(hwnd_, IDC_SK_FILE), true);
                if (!file.empty()) SetItemText(hwnd_, IDC_SK_FILE, file);
                return TRUE;
            }
            case IDC_SK_SITE:
                ShellExecuteW(hwnd_, L"open", Wide(site_).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
                return TRUE;
            case IDOK: {
                model_.monochrome = IsItemChecked(hwnd_, IDC_SK_MONO);
                model_.designFile = GetItemText(hwnd_, IDC_SK_FILE);
                if (model_.choice() == OptSkinModel::SKIN_USER) {
                    HBITMAP design = LoadArrowDesign(model_.designFile);
                    if (!design) {
                        ShowMessage(hwnd_, OptSkinModel::DesignFileMessage(), MB_OK | MB_ICONEXCLAMATION);
                        SetFocus(GetDlgItem(hwnd_, IDC_SK_FILE));
                        return TRUE;
                    }
                    DeleteObject(design);
                }
                settings_.arrowType = model_.ArrowType();
                settings_.arrowDesignFile = model_.designFile;
                EndDialog(IDOK);
                return TRUE;
            }
            case IDCANCEL:
                EndDialog(IDCANCEL);
                return TRUE;
            default:
                return FALSE;
        }
        Enable();
        return TRUE;
    }

  private:
    void Enable() {
        EnableItem(hwnd_, IDC_SK_MONO, model_.MonochromeEnabled());
        EnableItem(hwnd_, IDC_SK_FILE, model_.FileEnabled());
        EnableItem(hwnd_, IDC_SK_BROWSE, model_.FileEnabled());
    }
    AppSettings& settings_;
    std::string site_;
    OptSkinModel model_;
};

}  // namespace

// --- the page base ---

COptionsSheet& COptPage::Options() const { return *static_cast<COptionsSheet*>(Sheet()); }
OptionsState& COptPage::Live() const { return Options().live; }
const OptionsServices& COptPage::Services() const { return Options().services; }

BOOL COptPage::OnInitDialog() {
    created_ = true;
    Load();
    Init();
    ShowBoxes();
    Show();
    return TRUE;
}

void COptPage::ShowBoxes() {
    for (std::size_t i = 0; i < boxes_.size(); ++i)
        SetItemCheck(hwnd_, IDC_OPT_BOX(pageNumber_, static_cast<int>(i)), FlagBoxChecked(Work(), boxes_[i]));
}

BOOL COptPage::OnCommand(UINT id, UINT code, HWND) {
    const UINT first = IDC_OPT_BOX(pageNumber_, 0);
    if (id >= first && id < first + boxes_.size()) {
        if (code == BN_CLICKED) {
            SetFlagBox(Work(), boxes_[id - first], IsItemChecked(hwnd_, static_cast<int>(id)));
            BoxChanged();
            SetModified();
        }
        return TRUE;
    }
    return Command(id, code);
}

void COptPage::Refuse(int id, const std::string& message) {
    RejectInput(hwnd_, id, message);
    // The sheet may still move the focus after the page refused; this puts it back in the box.
    PostMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(hwnd_, id)), TRUE);
    Options().pendingFocus_ = GetDlgItem(hwnd_, id);
}

bool COptPage::Accept(const std::optional<InputProblem>& problem, int id) {
    if (!problem) return true;
    Refuse(id, problem->message);
    return false;
}

bool COptPage::OnApply(bool closing) {
    Store();
    Options().PageStored(*this, closing);
    return true;
}

// --- page 1 ---

namespace {

void SetTimePicker(HWND page, int id, const DayTime& time) {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    const DayTime shown = time.IsValid() ? time : DayTime{};
    t.wHour = static_cast<WORD>(shown.hour);
    t.wMinute = static_cast<WORD>(shown.minute);
    t.wSecond = static_cast<WORD>(shown.second);
    t.wMilliseconds = 0;
    SendDlgItemMessageW(page, id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
}

DayTime TimePicker(HWND page, int id, const DayTime& fallback) {
    SYSTEMTIME t{};
    if (SendDlgItemMessageW(page, id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t)) != GDT_VALID) return fallback;
    return DayTime{t.wHour, t.wMinute, t.wSecond};
}

}  // namespace

void COptCheckPage::Init() {
    SendDlgItemMessageW(hwnd_, IDC_OPT_START_TIME, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH:mm:ss"));
    SendDlgItemMessageW(hwnd_, IDC_OPT_END_TIME, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH:mm:ss"));
}

void COptCheckPage::Show() {
    UpdateItemText(hwnd_, IDC_OPT_INTERVAL, model_.IntervalText());
    UpdateItemText(hwnd_, IDC_OPT_THREADS, model_.ThreadsText());
    SetTimePicker(hwnd_, IDC_OPT_START_TIME, model_.work.settings.startTime);
    SetTimePicker(hwnd_, IDC_OPT_END_TIME, model_.work.settings.endTime);
    BoxChanged();
}

void COptCheckPage::BoxChanged() {
    const bool on = model_.TimesEnabled();
    EnableItem(hwnd_, IDC_OPT_START_TIME, on);
    EnableItem(hwnd_, IDC_OPT_END_TIME, on);
    EnableItem(hwnd_, IDC_OPT_BOX(1, 2), on);
}

bool COptCheckPage::OnKillActive() {
    if (auto problem = model_.SetTexts(GetItemText(hwnd_, IDC_OPT_INTERVAL), GetItemText(hwnd_, IDC_OPT_THREADS))) {
        Refuse(problem->field == OptCheckModel::FIELD_INTERVAL ? IDC_OPT_INTERVAL : IDC_OPT_THREADS, problem->message);
        return false;
    }
    model_.work.settings.startTime = TimePicker(hwnd_, IDC_OPT_START_TIME, model_.work.settings.startTime);
    model_.work.settings.endTime = TimePicker(hwnd_, IDC_OPT_END_TIME, model_.work.settings.endTime);
    return true;
}

BOOL COptCheckPage::Command(UINT id, UINT code) {
    if ((id == IDC_OPT_INTERVAL || id == IDC_OPT_THREADS) && code == EN_CHANGE) SetModified();
    return TRUE;
}

BOOL COptCheckPage::OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT&) {
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == DTN_DATETIMECHANGE) SetModified();
    return FALSE;
}

// --- page 2 ---

void COptLinkPage::Init() {
    for (const char* kind : OptLinkModel::PageKinds()) AddComboItem(hwnd_, IDC_OPT_PAGE, Utf8ToSjis(kind));
}

void COptLinkPage::Show() {
    UpdateItemText(hwnd_, IDC_OPT_SECURL, model_.brokerageText);
    SetComboSelection(hwnd_, IDC_OPT_PAGE, model_.PageIndex());
    CheckRadioButton(hwnd_, IDC_OPT_NEWS_FIRST, IDC_OPT_BOARD_FIRST,
                     model_.BoardFirst() ? IDC_OPT_BOARD_FIRST : IDC_OPT_NEWS_FIRST);
}

BOOL COptLinkPage::Command(UINT id, UINT code) {
    switch (id) {
        case IDC_OPT_SECURL:
            if (code != EN_CHANGE) return TRUE;
            model_.brokerageText = GetItemText(hwnd_, IDC_OPT_SECURL);
            break;
        case IDC_OPT_PAGE:
            if (code != CBN_SELCHANGE) return TRUE;
            model_.SetPageIndex(ComboSelection(hwnd_, IDC_OPT_PAGE));
            break;
        case IDC_OPT_NEWS_FIRST:
        case IDC_OPT_BOARD_FIRST:
            if (code != BN_CLICKED) return TRUE;
            model_.SetBoardFirst(id == IDC_OPT_BOARD_FIRST);
            break;
        default:
            return FALSE;
    }
    SetModified();
    return TRUE;
}

// --- page 3 ---

namespace {

void SetUpItemList(HWND page, int id, std::span<const DisplayItem> items) {
    HWND list = GetDlgItem(page, id);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT area{};
    GetClientRect(list, &area);
    const int width = area.right - area.left - GetSystemMetrics(SM_CXVSCROLL);
    std::wstring name = Wide(SJIS("アイテム")), description = Wide(SJIS("説明"));
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = width * 2 / 5;
    column.pszText = name.data();
    ListView_InsertColumn(list, 0, &column);
    column.cx = width * 3 / 5;
    column.pszText = description.data();
    ListView_InsertColumn(list, 1, &column);
    for (std::size_t i = 0; i < items.size(); ++i) {
        std::wstring text = Wide(Utf8ToSjis(items[i].name));
        LVITEMW row{};
        row.mask = LVIF_TEXT;
        row.iItem = static_cast<int>(i);
        row.pszText = text.data();
        ListView_InsertItem(list, &row);
        std::wstring detail = Wide(Utf8ToSjis(items[i].description));
        ListView_SetItemText(list, static_cast<int>(i), 1, detail.data());
    }
}

}  // namespace

template <>
void COptModelPage<OptDispItemModel, IDD_OPT_DISPITEM, 3>::Load() {
    model_.Load(Live(), Services().fileOpen);
}

void COptDispItemPage::Init() {
    SetUpItemList(hwnd_, IDC_OPT_PF_LIST, OptDispItemModel::PortfolioItems());
    SetUpItemList(hwnd_, IDC_OPT_TIP_LIST, OptDispItemModel::TipItems());
    AddComboItem(hwnd_, IDC_OPT_STORAGE, SJIS("銘柄ファイルに保存(ファイル別の設定)"));
    AddComboItem(hwnd_, IDC_OPT_STORAGE, SJIS("共通設定として保存"));
}

void COptDispItemPage::FillLists() {
    HWND portfolio = GetDlgItem(hwnd_, IDC_OPT_PF_LIST), tips = GetDlgItem(hwnd_, IDC_OPT_TIP_LIST);
    for (std::size_t i = 0; i < OptDispItemModel::PortfolioItems().size(); ++i)
        ListView_SetCheckState(portfolio, static_cast<int>(i), model_.PortfolioItem(i));
    for (std::size_t i = 0; i < OptDispItemModel::TipItems().size(); ++i)
        ListView_SetCheckState(tips, static_cast<int>(i), model_.TipItem(i));
}

void COptDispItemPage::Show() {
    FillLists();
    SetComboSelection(hwnd_, IDC_OPT_STORAGE, model_.inFile ? 0 : 1);
    EnableItem(hwnd_, IDC_OPT_STORAGE, model_.StorageChoiceEnabled());
    BoxChanged();
}

void COptDispItemPage::BoxChanged() {
    // The description column: half the list, or nothing.
    for (int id : {IDC_OPT_PF_LIST, IDC_OPT_TIP_LIST}) {
        HWND list = GetDlgItem(hwnd_, id);
        RECT area{};
        GetClientRect(list, &area);
        const int width = area.right - area.left - GetSystemMetrics(SM_CXVSCROLL);
        const bool shown = model_.DescriptionShown();
        ListView_SetColumnWidth(list, 0, shown ? width * 2 / 5 : width);
        ListView_SetColumnWidth(list, 1, shown ? width * 3 / 5 : 0);
    }
}

BOOL COptDispItemPage::OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT&) {
    if (message != WM_NOTIFY || IsLoading()) return FALSE;
    const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
    if (header.code != LVN_ITEMCHANGED) return FALSE;
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if (!(change.uChanged & LVIF_STATE) || ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) == 0 ||
        change.iItem < 0)
        return FALSE;
    const bool on = ListView_GetCheckState(header.hwndFrom, change.iItem) != 0;
    const auto row = static_cast<std::size_t>(change.iItem);
    if (header.idFrom == IDC_OPT_PF_LIST && row < OptDispItemModel::PortfolioItems().size())
        model_.SetPortfolioItem(row, on);
    else if (header.idFrom == IDC_OPT_TIP_LIST && row < OptDispItemModel::TipItems().size())
        model_.SetTipItem(row, on);
    else
        return FALSE;
    SetModified();
    return FALSE;
}

BOOL COptDispItemPage::Command(UINT id, UINT code) {
    switch (id) {
        case IDC_OPT_STORAGE:
            if (code != CBN_SELCHANGE) return TRUE;
            model_.inFile = ComboSelection(hwnd_, IDC_OPT_STORAGE) == 0;
            break;
        case IDC_OPT_RESTORE_COMMON:
            if (code != BN_CLICKED) return TRUE;
            model_.LoadCommon();
            Refresh();
            break;
        default:
            return FALSE;
    }
    SetModified();
    return TRUE;
}

// --- page 4 ---

void COptFormPage::Show() { UpdateItemText(hwnd_, IDC_OPT_NAME_MAX, model_.NameMaxText()); }

bool COptFormPage::OnKillActive() {
    return Accept(model_.SetNameMaxText(GetItemText(hwnd_, IDC_OPT_NAME_MAX)), IDC_OPT_NAME_MAX);
}

BOOL COptFormPage::Command(UINT id, UINT code) {
    switch (id) {
        case IDC_OPT_NAME_MAX:
            if (code == EN_CHANGE) SetModified();
            return TRUE;
        case IDC_OPT_MOVE:
            if (code == BN_CLICKED && Services().moveOnScreen) Services().moveOnScreen();
            return TRUE;
        case IDC_OPT_STD_STOCK:
            if (code == BN_CLICKED && Services().editStockDefaults) Services().editStockDefaults(GetParent(hwnd_));
            return TRUE;
        default:
            return FALSE;
    }
}

// --- page 5 ---

void COptIconPage::Show() {
    const auto texts = model_.StepTexts();
    for (int i = 0; i < 4; ++i) {
        UpdateItemText(hwnd_, IDC_OPT_STEP1 + i, texts[static_cast<std::size_t>(i)]);
        UpdateItemText(hwnd_, IDC_OPT_UNIT1 + i, model_.UnitText(i));
    }
    CheckRadioButton(hwnd_, IDC_OPT_PERCENT, IDC_OPT_YEN, model_.Percent() ? IDC_OPT_PERCENT : IDC_OPT_YEN);
    CheckRadioButton(hwnd_, IDC_OPT_BASIS_CHANGE, IDC_OPT_BASIS_PROFIT,
                     model_.ProfitBasis() ? IDC_OPT_BASIS_PROFIT : IDC_OPT_BASIS_CHANGE);
    SetItemCheck(hwnd_, IDC_OPT_TRAY_TOTAL, model_.TrayShown());
    InvalidateRect(GetDlgItem(hwnd_, IDC_OPT_SKIN_PREVIEW), nullptr, TRUE);
}

bool COptIconPage::ReadSteps() {
    const auto problem = model_.SetStepTexts(ItemTexts<4>(hwnd_, IDC_OPT_STEP1));
    return Accept(problem, IDC_OPT_STEP1 + (problem ? problem->field : 0));
}

bool COptIconPage::OnKillActive() { return ReadSteps(); }

BOOL COptIconPage::Command(UINT id, UINT code) {
    if (id >= IDC_OPT_STEP1 && id < IDC_OPT_STEP1 + 4) {
        if (code == EN_CHANGE) SetModified();
        return TRUE;
    }
    if (code != BN_CLICKED) return FALSE;
    switch (id) {
        case IDC_OPT_PERCENT:
        case IDC_OPT_YEN: {
            const bool percent = id == IDC_OPT_PERCENT;
            if (percent == model_.Percent()) return TRUE;
            // The boxes are read in the old unit before they are converted.
            if (ReadSteps()) model_.SetPercent(percent);
            Refresh();
            break;
        }
        case IDC_OPT_BASIS_CHANGE:
        case IDC_OPT_BASIS_PROFIT:
            model_.SetProfitBasis(id == IDC_OPT_BASIS_PROFIT);
            break;
        case IDC_OPT_TRAY_TOTAL:
            model_.SetTrayShown(IsItemChecked(hwnd_, IDC_OPT_TRAY_TOTAL));
            break;
        case IDC_OPT_ICON_STANDARD:
            model_.LoadStandard();
            Refresh();
            break;
        case IDC_OPT_SKIN: {
            COptSkin skin(model_.work.settings, Services().skinSite);
            if (skin.DoModal(GetParent(hwnd_)) != IDOK) return TRUE;
            InvalidateRect(GetDlgItem(hwnd_, IDC_OPT_SKIN_PREVIEW), nullptr, TRUE);
            break;
        }
        default:
            return FALSE;
    }
    SetModified();
    return TRUE;
}

BOOL COptIconPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != WM_DRAWITEM || wParam != IDC_OPT_SKIN_PREVIEW) return FALSE;
    DrawSkinPreview(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), Services().resources,
                    model_.work.settings.arrowType, model_.work.settings.arrowDesignFile);
    result = TRUE;
    return TRUE;
}

// --- page 6 ---

namespace {

std::string FontSampleText(const DesktopFont& font) {
    if (font.faceName.empty()) return {};
    return font.faceName + " " + std::to_string(font.height < 0 ? -font.height : font.height) + "px";
}

}  // namespace

void COptStockPage::Show() {
    SetSlider(hwnd_, IDC_OPT_DSK_ALPHA, 0, 255, model_.work.settings.alphaVal);
    BoxChanged();
}

void COptStockPage::BoxChanged() {
    EnableItem(hwnd_, IDC_OPT_FONT, model_.FontChosen());
    EnableItem(hwnd_, IDC_OPT_DSK_ALPHA, (model_.work.settings.boolFlags1 & BF1_DESKTOP_TRANSLUCENT) != 0);
    SetItemText(hwnd_, IDC_OPT_FONT_SAMPLE,
                model_.FontChosen() ? FontSampleText(model_.work.settings.desktopFont) : "");
}

void COptStockPage::PickFont() {
    const DesktopFont& current = model_.work.settings.desktopFont;
    LOGFONTW font{};
    font.lfHeight = current.height;
    font.lfWidth = current.width;
    font.lfEscapement = current.escapement;
    font.lfOrientation = current.orientation;
    font.lfWeight = current.weight;
    font.lfItalic = current.italic;
    font.lfUnderline = current.underline;
    font.lfStrikeOut = current.strikeOut;
    font.lfCharSet = current.charSet;
    font.lfOutPrecision = current.outPrecision;
    font.lfClipPrecision = current.clipPrecision;
    font.lfQuality = current.quality;
    font.lfPitchAndFamily = current.pitchAndFamily;
    wcsncpy(font.lfFaceName, Wide(current.faceName).c_str(), LF_FACESIZE - 1);
    CHOOSEFONTW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetParent(hwnd_);
    dialog.lpLogFont = &font;
    dialog.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
    dialog.rgbColors = model_.work.settings.dskFontColor;
    if (!ChooseFontW(&dialog)) return;
    DesktopFont chosen;
    chosen.height = font.lfHeight;
    chosen.width = font.lfWidth;
    chosen.escapement = font.lfEscapement;
    chosen.orientation = font.lfOrientation;
    chosen.weight = font.lfWeight;
    chosen.italic = font.lfItalic;
    chosen.underline = font.lfUnderline;
    chosen.strikeOut = font.lfStrikeOut;
    chosen.charSet = font.lfCharSet;
    chosen.outPrecision = font.lfOutPrecision;
    chosen.clipPrecision = font.lfClipPrecision;
    chosen.quality = font.lfQuality;
    chosen.pitchAndFamily = font.lfPitchAndFamily;
    chosen.faceName = Narrow(font.lfFaceName);
    model_.SetFont(chosen, dialog.rgbColors);
    BoxChanged();
    SetModified();
}

BOOL COptStockPage::Command(UINT id, UINT code) {
    if (id != IDC_OPT_FONT) return FALSE;
    if (code == BN_CLICKED) PickFont();
    return TRUE;
}

BOOL COptStockPage::OnMessage(UINT message, WPARAM, LPARAM lParam, LRESULT&) {
    if (message != WM_HSCROLL || reinterpret_cast<HWND>(lParam) != GetDlgItem(hwnd_, IDC_OPT_DSK_ALPHA)) return FALSE;
    model_.work.settings.alphaVal =
        static_cast<std::uint8_t>(std::clamp(SliderPosition(hwnd_, IDC_OPT_DSK_ALPHA), 0, 255));
    SetModified();
    return TRUE;
}

// --- page 7 ---

void COptPortfolioPage::Init() {
    for (const char* name : OptPortfolioModel::FontSizeNames()) AddComboItem(hwnd_, IDC_OPT_PF_FONT, Utf8ToSjis(name));
    for (const char* action : OptPortfolioModel::IdleActions())
        AddComboItem(hwnd_, IDC_OPT_IDLE_ACTION, Utf8ToSjis(action));
}

void COptPortfolioPage::Show() {
    const AppSettings& s = model_.work.settings;
    SetComboSelection(hwnd_, IDC_OPT_PF_FONT, model_.FontSizeIndex());
    SetComboSelection(hwnd_, IDC_OPT_IDLE_ACTION, s.timerAction);
    SetItemCheck(hwnd_, IDC_OPT_LAST_PLACE, model_.LastPlace());
    SetItemCheck(hwnd_, IDC_OPT_PF_TRANSPARENT, s.pfTransparent);
    SetItemCheck(hwnd_, IDC_OPT_PF_TRANSLUCENT, s.pfTranslucent);
    SetSlider(hwnd_, IDC_OPT_PF_ALPHA, 10, 255, s.pfAlpha);
    EnableItem(hwnd_, IDC_OPT_PF_ALPHA, s.pfTranslucent);
    UpdateItemText(hwnd_, IDC_OPT_IDLE_TIME, model_.IdleTimeText());
    UpdateItemText(hwnd_, IDC_OPT_BOX(7, 3), model_.MouseBoxCaption());
    InvalidateRect(GetDlgItem(hwnd_, IDC_OPT_BKCOL), nullptr, TRUE);
}

bool COptPortfolioPage::OnKillActive() {
    return Accept(model_.SetIdleTimeText(GetItemText(hwnd_, IDC_OPT_IDLE_TIME)), IDC_OPT_IDLE_TIME);
}

BOOL COptPortfolioPage::Command(UINT id, UINT code) {
    AppSettings& s = model_.work.settings;
    switch (id) {
        case IDC_OPT_IDLE_TIME:
            if (code == EN_CHANGE) SetModified();
            return TRUE;
        case IDC_OPT_PF_FONT:
            if (code != CBN_SELCHANGE) return TRUE;
            model_.SetFontSizeIndex(ComboSelection(hwnd_, IDC_OPT_PF_FONT));
            break;
        case IDC_OPT_IDLE_ACTION:
            if (code != CBN_SELCHANGE) return TRUE;
            model_.SetIdleAction(ComboSelection(hwnd_, IDC_OPT_IDLE_ACTION));
            UpdateItemText(hwnd_, IDC_OPT_BOX(7, 3), model_.MouseBoxCaption());
            break;
        case IDC_OPT_LAST_PLACE:
            if (code != BN_CLICKED) return TRUE;
            model_.SetLastPlace(IsItemChecked(hwnd_, IDC_OPT_LAST_PLACE));
            break;
        case IDC_OPT_PF_TRANSPARENT:
            if (code != BN_CLICKED) return TRUE;
            s.pfTransparent = IsItemChecked(hwnd_, IDC_OPT_PF_TRANSPARENT);
            break;
        case IDC_OPT_PF_TRANSLUCENT:
            if (code != BN_CLICKED) return TRUE;
            model_.SetTranslucent(IsItemChecked(hwnd_, IDC_OPT_PF_TRANSLUCENT));
            EnableItem(hwnd_, IDC_OPT_PF_ALPHA, s.pfTranslucent);
            break;
        case IDC_OPT_BKCOL_PICK: {
            if (code != BN_CLICKED) return TRUE;
            static COLORREF custom[16] = {};
            CHOOSECOLORW dialog{};
            dialog.lStructSize = sizeof dialog;
            dialog.hwndOwner = GetParent(hwnd_);
            dialog.rgbResult = s.bkCol & 0xFFFFFF;
            dialog.lpCustColors = custom;
            dialog.Flags = CC_RGBINIT | CC_FULLOPEN;
            if (!ChooseColorW(&dialog)) return TRUE;
            s.bkCol = dialog.rgbResult & 0xFFFFFF;
            InvalidateRect(GetDlgItem(hwnd_, IDC_OPT_BKCOL), nullptr, TRUE);
            break;
        }
        default:
            return FALSE;
    }
    SetModified();
    return TRUE;
}

BOOL COptPortfolioPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_DRAWITEM && wParam == IDC_OPT_BKCOL) {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        HBRUSH brush = CreateSolidBrush(model_.work.settings.bkCol & 0xFFFFFF);
        FillRect(item.hDC, &item.rcItem, brush);
        DeleteObject(brush);
        RECT frame = item.rcItem;
        DrawEdge(item.hDC, &frame, EDGE_SUNKEN, BF_RECT);
        result = TRUE;
        return TRUE;
    }
    if (message == WM_HSCROLL && reinterpret_cast<HWND>(lParam) == GetDlgItem(hwnd_, IDC_OPT_PF_ALPHA)) {
        model_.SetAlpha(SliderPosition(hwnd_, IDC_OPT_PF_ALPHA));
        SetModified();
        return TRUE;
    }
    return FALSE;
}

// --- page 8 ---

void COptOtherPage::Show() {
    const int ids[] = {IDC_OPT_START_FILE, IDC_OPT_START_ADD, IDC_OPT_START_LAST};
    CheckRadioButton(hwnd_, IDC_OPT_START_FILE, IDC_OPT_START_LAST,
                     ids[std::min<int>(model_.work.settings.defAction, 2)]);
    SetItemText(hwnd_, IDC_OPT_BALANCE,
                model_.BalanceText((model_.work.settings.nameOptions & NAMEOPT_DIGIT_GROUPING) != 0));
    const bool managed = model_.BalanceEnabled();
    for (int id : {IDC_OPT_BALANCE, IDC_OPT_BALANCE_SET, IDC_OPT_BALANCE_CLEAR}) EnableItem(hwnd_, id, managed);
    EnableItem(hwnd_, IDC_OPT_ADVANCED, !Options().DetailAdded());
}

BOOL COptOtherPage::Command(UINT id, UINT code) {
    if (code != BN_CLICKED) return FALSE;
    switch (id) {
        case IDC_OPT_START_FILE:
        case IDC_OPT_START_ADD:
        case IDC_OPT_START_LAST:
            model_.work.settings.defAction = static_cast<std::uint8_t>(id - IDC_OPT_START_FILE);
            break;
        case IDC_OPT_BALANCE_SET: {
            PriceValue balance = model_.work.cashBalance;
            if (!CChangeAccountBal::Run(GetParent(hwnd_), balance)) return TRUE;
            model_.SetBalance(balance);
            Show();
            break;
        }
        case IDC_OPT_BALANCE_CLEAR:
            model_.ClearBalance();
            Show();
            break;
        case IDC_OPT_ADVANCED:
            // The button goes before the page takes the focus away from it.
            EnableItem(hwnd_, IDC_OPT_ADVANCED, false);
            Options().AddDetailPage();
            return TRUE;
        default:
            return FALSE;
    }
    SetModified();
    return TRUE;
}

// --- page 9 ---

void COptDetailPage::Init() {
    for (const char* level : OptDetailModel::LogLevels()) AddComboItem(hwnd_, IDC_OPT_LOG_LEVEL, Utf8ToSjis(level));
}

void COptDetailPage::Show() {
    for (int i = 0; i < 3; ++i) {
        SetItemCheck(hwnd_, IDC_OPT_TO_CONNECT + i, model_.TimeoutUsed(i));
        UpdateItemText(hwnd_, IDC_OPT_TO_CONNECT_S + i, model_.TimeoutText(i));
        EnableItem(hwnd_, IDC_OPT_TO_CONNECT_S + i, model_.TimeoutUsed(i));
    }
    UpdateItemText(hwnd_, IDC_OPT_CALC, model_.work.settings.calcPath);
    SetComboSelection(hwnd_, IDC_OPT_LOG_LEVEL, std::clamp(model_.work.logLevel, 0, 5));
    UpdateItemText(hwnd_, IDC_OPT_LOG_PATH, model_.work.logPath);
    EnableItem(hwnd_, IDC_OPT_PROXY, model_.work.settings.UseProxy());
}

void COptDetailPage::BoxChanged() { EnableItem(hwnd_, IDC_OPT_PROXY, model_.work.settings.UseProxy()); }

void COptDetailPage::ReadTexts() {
    model_.work.settings.calcPath = GetItemText(hwnd_, IDC_OPT_CALC);
    model_.work.logPath = GetItemText(hwnd_, IDC_OPT_LOG_PATH);
}

bool COptDetailPage::OnKillActive() {
    ReadTexts();
    const auto problem = model_.SetTimeoutTexts(ItemTexts<3>(hwnd_, IDC_OPT_TO_CONNECT_S));
    return Accept(problem, IDC_OPT_TO_CONNECT_S + (problem ? problem->field - OptDetailModel::FIELD_CONNECT : 0));
}

BOOL COptDetailPage::Command(UINT id, UINT code) {
    if (id >= IDC_OPT_TO_CONNECT && id < IDC_OPT_TO_CONNECT + 3) {
        if (code != BN_CLICKED) return TRUE;
        model_.SetTimeoutUsed(static_cast<int>(id - IDC_OPT_TO_CONNECT), IsItemChecked(hwnd_, static_cast<int>(id)));
        EnableItem(hwnd_, static_cast<int>(id - IDC_OPT_TO_CONNECT + IDC_OPT_TO_CONNECT_S),
                   IsItemChecked(hwnd_, static_cast<int>(id)));
        SetModified();
        return TRUE;
    }
    if ((id >= IDC_OPT_TO_CONNECT_S && id < IDC_OPT_TO_CONNECT_S + 3) || id == IDC_OPT_CALC || id == IDC_OPT_LOG_PATH) {
        if (code == EN_CHANGE) SetModified();
        return TRUE;
    }
    switch (id) {
        case IDC_OPT_LOG_LEVEL:
            if (code != CBN_SELCHANGE) return TRUE;
            model_.work.logLevel = ComboSelection(hwnd_, IDC_OPT_LOG_LEVEL);
            break;
        case IDC_OPT_PROXY: {
            if (code != BN_CLICKED) return TRUE;
            COptProxy proxy(model_.work.settings);
            if (proxy.DoModal(GetParent(hwnd_)) != IDOK) return TRUE;
            break;
        }
        case IDC_OPT_CALC_BROWSE: {
            if (code != BN_CLICKED) return TRUE;
            const std::string file =
                AskFile(GetParent(hwnd_), SJIS("電卓プログラムの指定"), SJIS("実行可能ファイル(*.EXE)"), L"*.EXE",
                        L"EXE", GetItemText(hwnd_, IDC_OPT_CALC), true);
            if (file.empty()) return TRUE;
            SetItemText(hwnd_, IDC_OPT_CALC, file);
            break;
        }
        case IDC_OPT_CALC_STD:
            if (code != BN_CLICKED) return TRUE;
            model_.StandardCalculator();
            SetItemText(hwnd_, IDC_OPT_CALC, model_.work.settings.calcPath);
            break;
        case IDC_OPT_LOG_BROWSE: {
            if (code != BN_CLICKED) return TRUE;
            const std::string file = AskFile(GetParent(hwnd_), SJIS("ログファイルの指定"), SJIS("ログファイル(*.LOG)"),
                                             L"*.LOG", L"LOG", GetItemText(hwnd_, IDC_OPT_LOG_PATH), false);
            if (file.empty()) return TRUE;
            SetItemText(hwnd_, IDC_OPT_LOG_PATH, file);
            break;
        }
        case IDC_OPT_DETAIL_DEFAULTS:
            if (code != BN_CLICKED) return TRUE;
            model_.RestoreDefaults();
            Refresh();
            break;
        default:
            return FALSE;
    }
    SetModified();
    return TRUE;
}

void COptDetailPage::Store() {
    ReadTexts();
    COptModelPage::Store();
}

// --- the sheet ---

COptionsSheet::COptionsSheet(OptionsState& state, const OptionsServices& sheetServices)
    : CCenterPropertySheet(SJIS("オプション")), live(state), services(sheetServices) {
    AddPage(check_);
    AddPage(link_);
    AddPage(items_);
    AddPage(form_);
    AddPage(icon_);
    AddPage(desktop_);
    AddPage(portfolio_);
    AddPage(other_);
}

bool COptionsSheet::Run(HWND owner, int startPage) {
    if (startPage >= 8 && !detailAdded_) {
        AddPage(detail_);
        detailAdded_ = true;
    }
    SetStartPage(std::clamp(startPage, 0, detailAdded_ ? 8 : 7));
    return DoModal(owner);
}

void COptionsSheet::AddDetailPage() {
    if (detailAdded_) return;
    if (!InsertPageNow(detail_)) return;
    detailAdded_ = true;
    SetActivePage(detail_);
}

bool COptionsSheet::OnSheetMessage(UINT message, WPARAM wParam, LPARAM, LRESULT&) {
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && pendingFocus_) {
        if (IsWindow(pendingFocus_))
            PostMessageW(GetParent(pendingFocus_), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pendingFocus_), TRUE);
        pendingFocus_ = nullptr;
    }
    return false;
}

void COptionsSheet::PageStored(const COptPage& page, bool closing) {
    const COptPage* pages[] = {&check_, &link_, &items_, &form_, &icon_, &desktop_, &portfolio_, &other_, &detail_};
    const COptPage* last = nullptr;
    for (const COptPage* p : pages)
        if (p->Created()) last = p;
    if (&page == last && services.applied) services.applied(closing);
}

}  // namespace quotrix
