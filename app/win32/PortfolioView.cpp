#include "app/win32/PortfolioView.h"

#include <windowsx.h>

#include <algorithm>

#include "app/DisplayTexts.h"
#include "icons/DesktopColors.h"
#include "icons/PriceBar.h"
#include "icons/StockIcon.h"
#include "icons/win32/IconImages.h"
#include "log/ErrLog.h"
#include "platform/TextCodec.h"
#include "platform/win32/WinText.h"
#include "platform/win32/ui/UiFont.h"
#include "resources/resource.h"

namespace quotrix {

namespace {

constexpr int kButtonSize = 13;
constexpr COLORREF kButtonMask = RGB(192, 192, 192);
constexpr UINT kCloseTool = 3;
constexpr UINT kRollUpTool = 2;
constexpr UINT kAutoHideTool = 1;
constexpr int kBoldWeight = 700;
// Button pictures of bitmap 230; the hovered look is 5 further on.
constexpr int kPicAutoHide = 0;
constexpr int kPicRollUp = 1;
constexpr int kPicClose = 2;
constexpr int kPicRollDown = 3;
constexpr int kPicAlwaysShown = 4;
constexpr int kPicHovered = 5;
constexpr int kPicCloseHovered = 7;
constexpr int kPicAlwaysShownHovered = 9;

// A string-table text (Shift-JIS).
std::string ResourceText(HINSTANCE resources, UINT id) {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(resources, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? Narrow(std::wstring_view(text, static_cast<std::size_t>(length))) : std::string();
}

// The new text of tool `id` of `owner` in `tooltip`.
void SetToolText(HWND tooltip, HWND owner, UINT id, std::wstring text) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = owner;
    tool.uId = id;
    tool.lpszText = text.data();
    SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

// Which of `stocks` the portfolio lists, into `listed`; answers the index of `stock` (-1: none).
int ListedStocks(const StockList& stocks, const CStockMan& stock, std::vector<bool>& listed) {
    int index = -1;
    for (std::size_t i = 0; i < stocks.size(); ++i) {
        listed.push_back((stocks[i]->fileFlags & FILEFLAG_PORTFOLIO) != 0);
        if (stocks[i].get() == &stock) index = static_cast<int>(i);
    }
    return index;
}

// The virtual screen is a 32-bit DIB section: drawing into it never leaves the process, which
// for a screen-compatible bitmap it may (an X server round trip per drawing call under Wine).
HBITMAP MakeScreenBitmap(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

struct Gdi {
    HGDIOBJ object;
    explicit Gdi(HGDIOBJ o) : object(o) {}
    ~Gdi() {
        if (object) DeleteObject(object);
    }
};

}  // namespace

CPortfolioView::CPortfolioView(PortfolioHost& host, const AppSettings& settings) : host_(host), settings_(settings) {}

CPortfolioView::~CPortfolioView() {
    if (atlas_) {
        SelectObject(atlas_, atlasOld_);
        DeleteDC(atlas_);
    }
    if (atlasBitmap_) DeleteObject(atlasBitmap_);
    if (screen_) {
        SelectObject(screen_, screenOld_);
        DeleteDC(screen_);
    }
    if (screenBitmap_) DeleteObject(screenBitmap_);
    if (rowFont_) DeleteObject(rowFont_);
    if (boldFont_) DeleteObject(boldFont_);
    if (background_) DeleteObject(background_);
    if (buttons_) ImageList_Destroy(buttons_);
}

bool CPortfolioView::Attach(HWND window, HWND scrollBar, HWND tooltip, HINSTANCE resources) {
    hwnd_ = window;
    scrollBar_ = scrollBar;
    tooltip_ = tooltip;
    resources_ = resources;
    // A borderless window: the portfolio draws its own title strip and frame.
    LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    style &= ~static_cast<LONG_PTR>(WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_BORDER | WS_DLGFRAME);
    SetWindowLongPtrW(hwnd_, GWL_STYLE, style | WS_POPUP);
    LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    ex &= ~static_cast<LONG_PTR>(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE);
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex);
    SetWindowPos(hwnd_, nullptr, 0, 0, 10, 10, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);

    buttons_ = ImageList_LoadImageW(resources_, MAKEINTRESOURCEW(IDB_PORTFOLIO_BUTTONS), kButtonSize, 0, kButtonMask,
                                    IMAGE_BITMAP, LR_CREATEDIBSECTION);
    if (!buttons_) AppLog().Log(LOG_ERR, "[WND] Portfolio button pictures missing");
    sizeCursor_ = LoadCursorW(nullptr, IDC_SIZENS);
    ApplyLook();
    if (!MakeFonts()) return false;
    // The first virtual screen: 10 x 10 in the background colour.
    screenWidth_ = screenHeight_ = 0;
    HDC dc = GetDC(hwnd_);
    screen_ = CreateCompatibleDC(dc);
    ReleaseDC(hwnd_, dc);
    screenBitmap_ = MakeScreenBitmap(10, 10);
    if (!screen_ || !screenBitmap_) return false;
    screenOld_ = SelectObject(screen_, screenBitmap_);
    screenWidth_ = screenHeight_ = 10;
    RECT all{0, 0, 10, 10};
    FillRect(screen_, &all, background_);
    return true;
}

void CPortfolioView::ApplyLook() {
    colors_ = PortfolioColorsFor(settings_.bkCol);
    ForgetIcons();
    if (background_) DeleteObject(background_);
    background_ = CreateSolidBrush(settings_.bkCol & 0xFFFFFF);
    if (HIMAGELIST images = host_.StockImages()) ImageList_SetBkColor(images, settings_.bkCol & 0xFFFFFF);
    if (!hwnd_) return;
    // Translucency: the whole window, or a colour key on the background.
    LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    const bool layered = settings_.pfTranslucent || settings_.pfTransparent;
    if (layered) {
        SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex | WS_EX_LAYERED);
        DWORD flags = 0;
        if (settings_.pfTransparent) flags |= LWA_COLORKEY;
        if (settings_.pfTranslucent) flags |= LWA_ALPHA;
        const BYTE alpha = settings_.pfTranslucent ? static_cast<BYTE>(PortfolioAlpha(settings_.pfAlpha)) : 255;
        SetLayeredWindowAttributes(hwnd_, settings_.bkCol & 0xFFFFFF, alpha, flags);
    } else if (ex & WS_EX_LAYERED) {
        SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    }
}

bool CPortfolioView::MakeFonts() {
    const int size = PortfolioFontSize(settings_.pfFont);
    if (size == fontSize_ && rowFont_) return true;
    LOGFONTW font{};
    font.lfHeight = -size;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfPitchAndFamily = FF_SWISS;
    // The face of the UI font, which has Japanese glyphs whatever the system's language.
    const std::wstring& face = GetUiFontInfo().face;
    wcsncpy(font.lfFaceName, face.empty() ? GetUiFontInfo().logFont.lfFaceName : face.c_str(), LF_FACESIZE - 1);
    HFONT row = CreateFontIndirectW(&font);
    if (!row) {
        AppLog().Log(LOG_ERR, "%s in WM_PAINT 0x%08x", SJIS("フォント生成失敗").c_str(),
                     static_cast<unsigned>(reinterpret_cast<UINT_PTR>(hwnd_)));
        return false;
    }
    font.lfWeight = kBoldWeight;
    HFONT bold = CreateFontIndirectW(&font);
    if (!bold) {
        DeleteObject(row);
        AppLog().Log(LOG_ERR, "%s in WM_PAINT 0x%08x", SJIS("太字フォント生成失敗").c_str(),
                     static_cast<unsigned>(reinterpret_cast<UINT_PTR>(hwnd_)));
        return false;
    }
    if (rowFont_) DeleteObject(rowFont_);
    if (boldFont_) DeleteObject(boldFont_);
    rowFont_ = row;
    boldFont_ = bold;
    fontSize_ = size;
    layout_.SetFontSize(size);
    measures_.clear();
    labelsMeasured_ = false;
    return true;
}

void CPortfolioView::Restore(int firstRow, int visibleRows) { layout_.Restore(firstRow, visibleRows); }

void CPortfolioView::CollectRows() {
    rows_.clear();
    for (auto& stock : host_.PortfolioStocks())
        if (stock->fileFlags & FILEFLAG_PORTFOLIO) rows_.push_back(stock.get());
}

int CPortfolioView::MeasureText(HDC dc, const std::string& text) {
    if (text.empty()) return 0;
    const std::wstring wide = Wide(text);
    SIZE size{};
    if (!GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size))
        throw PaintError{SJIS("文字サイズ取得失敗")};
    return size.cx;
}

bool CPortfolioView::AutoHideShown() const { return !rolledUp_ && settings_.timerAction != 0; }

int CPortfolioView::TitleTextWidth(HDC dc) {
    const PortfolioTotals totals = host_.TotalsForTitle();
    const PortfolioTitle title =
        MakePortfolioTitle(settings_.boolFlags1, (settings_.itemFlags.other & OTHER_FILE_NAME) != 0,
                           host_.PortfolioFileTitle(), totals.incomplete, totals.line, false);
    HGDIOBJ old = SelectObject(dc, title.bold ? boldFont_ : rowFont_);
    const int width = MeasureText(dc, title.text);
    SelectObject(dc, old);
    return width;
}

void CPortfolioView::RebuildLayout() {
    if (!hwnd_) return;
    try {
        if (!MakeFonts()) return;
        CollectRows();
        HDC dc = GetDC(hwnd_);
        HGDIOBJ old = SelectObject(dc, rowFont_);
        LayoutOptions o;
        o.portfolioFlags = settings_.itemFlags.portfolioText;
        if (o.portfolioFlags & 0x1000) o.portfolioFlags |= 0x2000;
        o.labelRow = (settings_.itemFlags.other & OTHER_LABEL_ROW) != 0;
        o.priceBars = (settings_.itemFlags.other & OTHER_PRICE_BARS) != 0;
        o.barSetting = kDefaultPriceBarSetting;
        o.autoHideShown = settings_.timerAction != 0;
        o.fontSize = fontSize_;
        if (o.labelRow && !labelsMeasured_) {
            for (int k = 0; k < kPortfolioColumns; ++k)
                labelWidths_[static_cast<std::size_t>(k)] = MeasureText(dc, ColumnLabel(k));
            labelsMeasured_ = true;
        }
        o.labelWidth = labelWidths_;
        std::vector<RowMeasure> rows;
        rows.reserve(rows_.size());
        for (CStockMan* stock : rows_) {
            const std::uint32_t marks = RowMarks(*stock, settings_.checkMask);
            o.markKinds |= marks;
            Cached& cached = measures_[stock];
            if (!cached.valid || (stock->displayFlag & DISPFLAG_TEXTS_CHANGED) ||
                cached.measure.marks != MarkCount(marks)) {
                cached.measure = MeasureRow(*stock, o.portfolioFlags, MarkCount(marks),
                                            [&](const std::string& text) { return MeasureText(dc, text); });
                cached.valid = true;
                stock->displayFlag &= static_cast<std::uint8_t>(~DISPFLAG_TEXTS_CHANGED);
            }
            rows.push_back(cached.measure);
        }
        SelectObject(dc, old);
        o.titleTextWidth = TitleTextWidth(dc);
        ReleaseDC(hwnd_, dc);
        // Stocks that left the list take their measurements with them.
        if (measures_.size() > rows_.size() + 64) {
            std::unordered_map<const CStockMan*, Cached> kept;
            for (CStockMan* stock : rows_) kept[stock] = measures_[stock];
            measures_.swap(kept);
        }
        if (layout_.Rebuild(rows, o) || screenWidth_ != layout_.ContentWidth() ||
            screenHeight_ != layout_.RowHeight() * std::max(1, layout_.RowCount())) {
            if (!BuildVirtualScreen()) throw PaintError{SJIS("仮想画面構築失敗")};
            RenderRows(nullptr, false);
            resizePending_ = true;
            ApplySize();
            InvalidateRect(hwnd_, nullptr, FALSE);
        }
    } catch (const PaintError& e) {
        AppLog().Log(LOG_ERR, "%s in WM_PAINT 0x%08x", e.text.c_str(),
                     static_cast<unsigned>(reinterpret_cast<UINT_PTR>(hwnd_)));
    }
}

bool CPortfolioView::BuildVirtualScreen() {
    const int width = std::max(1, layout_.ContentWidth());
    const int height = std::max(1, layout_.RowHeight() * std::max(1, layout_.RowCount()));
    HBITMAP bitmap = MakeScreenBitmap(width, height);
    if (!bitmap) return false;
    SelectObject(screen_, bitmap);
    if (screenBitmap_) DeleteObject(screenBitmap_);
    screenBitmap_ = bitmap;
    screenWidth_ = width;
    screenHeight_ = layout_.RowHeight() * std::max(1, layout_.RowCount());
    RECT all{0, 0, width, height};
    FillRect(screen_, &all, background_);
    return true;
}

void CPortfolioView::StockChanged(const CStockMan& stock) {
    if (!hwnd_ || !(stock.fileFlags & FILEFLAG_PORTFOLIO)) return;
    if (TryRedrawRow(stock)) return;
    const int old = layout_.ContentWidth();
    const int oldRows = layout_.RowCount();
    const auto before = screenBitmap_;
    RebuildLayout();
    if (screenBitmap_ != before || layout_.ContentWidth() != old || layout_.RowCount() != oldRows) return;
    // The layout stayed: only this stock's row is drawn again.
    const auto at = std::find(rows_.begin(), rows_.end(), &stock);
    if (at == rows_.end()) return;
    const int index = static_cast<int>(at - rows_.begin());
    RECT area{0, index * layout_.RowHeight(), layout_.ContentWidth(), (index + 1) * layout_.RowHeight()};
    try {
        RenderRows(&area, true);
    } catch (const PaintError& e) {
        AppLog().Log(LOG_ERR, "%s in WM_PAINT 0x%08x", e.text.c_str(),
                     static_cast<unsigned>(reinterpret_cast<UINT_PTR>(hwnd_)));
    }
}

bool CPortfolioView::TryRedrawRow(const CStockMan& stock) {
    // A merge changes one stock: when its new texts fit the columns as they are, only its row is
    // measured and drawn again.
    const auto at = std::find(rows_.begin(), rows_.end(), &stock);
    const auto cached = measures_.find(&stock);
    if (at == rows_.end() || cached == measures_.end() || !cached->second.valid || !rowFont_ || !screen_) return false;
    try {
        std::uint32_t flags = settings_.itemFlags.portfolioText;
        if (flags & 0x1000) flags |= 0x2000;
        const int marks = MarkCount(RowMarks(stock, settings_.checkMask));
        // The virtual screen's own DC measures with the row font as well as the window's would,
        // without asking the window system for a DC.
        HDC dc = screen_;
        HGDIOBJ old = SelectObject(dc, rowFont_);
        RowMeasure fresh;
        try {
            fresh = MeasureRow(stock, flags, marks, [&](const std::string& text) { return MeasureText(dc, text); });
        } catch (const PaintError&) {
            SelectObject(dc, old);
            throw;
        }
        SelectObject(dc, old);
        if (!layout_.Absorbs(cached->second.measure, fresh)) return false;
        cached->second.measure = fresh;
        const_cast<CStockMan&>(stock).displayFlag &= static_cast<std::uint8_t>(~DISPFLAG_TEXTS_CHANGED);
        const int index = static_cast<int>(at - rows_.begin());
        RECT area{0, index * layout_.RowHeight(), layout_.ContentWidth(), (index + 1) * layout_.RowHeight()};
        RenderRows(&area, true);
    } catch (const PaintError& e) {
        AppLog().Log(LOG_ERR, "%s in WM_PAINT 0x%08x", e.text.c_str(),
                     static_cast<unsigned>(reinterpret_cast<UINT_PTR>(hwnd_)));
    }
    return true;
}

void CPortfolioView::DrawIcon(HDC dc, int x, int y, int image, std::uint32_t mark, bool highlighted) {
    HIMAGELIST images = host_.StockImages();
    if (!images || image < 0 || image > static_cast<int>(IMG_ARROW_LARGE_RISE)) return;
    // Drawing through the image list costs several masked copies; each picture is composed once
    // on the row's background and copied from then on.
    const int markIndex = mark <= IMG_MARK_OUT_OF_HOURS ? static_cast<int>(mark) : 4;
    const std::size_t key = static_cast<std::size_t>((image * 5 + markIndex) * 2 + (highlighted ? 1 : 0));
    if (!atlas_) {
        HDC screen = GetDC(hwnd_);
        atlas_ = CreateCompatibleDC(screen);
        ReleaseDC(hwnd_, screen);
        atlasBitmap_ = MakeScreenBitmap(16, 16 * static_cast<int>(atlasSlots_.size()));
        if (!atlas_ || !atlasBitmap_) throw PaintError{SJIS("仮想画面構築失敗")};
        atlasOld_ = SelectObject(atlas_, atlasBitmap_);
        atlasSlots_.fill(-1);
        atlasUsed_ = 0;
    }
    int& slot = atlasSlots_[key];
    if (slot < 0) {
        slot = atlasUsed_++;
        RECT r{0, slot * 16, 16, slot * 16 + 16};
        HBRUSH brush = highlighted ? CreateSolidBrush(colors_.line) : nullptr;
        FillRect(atlas_, &r, brush ? brush : background_);
        if (brush) DeleteObject(brush);
        ImageList_Draw(images, image, atlas_, 0, slot * 16, ILD_TRANSPARENT);
        if (markIndex < 4) ImageList_Draw(images, markIndex, atlas_, 0, slot * 16, ILD_TRANSPARENT);
    }
    BitBlt(dc, x, y, 16, 16, atlas_, 0, slot * 16, SRCCOPY);
}

void CPortfolioView::ForgetIcons() {
    atlasSlots_.fill(-1);
    atlasUsed_ = 0;
}

DesktopTextColors CPortfolioView::DesktopColors() const {
    // Over a transparent background the text stands on the desktop, as a desktop icon's does; the
    // background colour is what is keyed out.
    return ChooseDesktopTextColors(GetSysColor(COLOR_BACKGROUND), settings_.DesktopFontInForce(),
                                   settings_.dskFontColor, settings_.bkCol);
}

COLORREF CPortfolioView::TextColor() const { return Transparent() ? DesktopColors().text : colors_.text; }

void CPortfolioView::PutText(HDC dc, int x, int y, const std::string& text, COLORREF color, bool shadow) {
    if (text.empty()) return;
    const std::wstring wide = Wide(text);
    const int n = static_cast<int>(wide.size());
    if (shadow && Transparent() && !(settings_.boolFlags2 & kBoolFlags2NoShadow)) {
        SetTextColor(dc, DesktopColors().shadow);
        TextOutW(dc, x + 1, y, wide.c_str(), n);
        TextOutW(dc, x, y + 1, wide.c_str(), n);
        TextOutW(dc, x + 1, y + 1, wide.c_str(), n);
    }
    SetTextColor(dc, color);
    TextOutW(dc, x, y, wide.c_str(), n);
}

void CPortfolioView::RenderRows(const RECT* area, bool redraw) {
    if (!screen_) return;
    const int rh = layout_.RowHeight();
    HGDIOBJ oldFont = SelectObject(screen_, rowFont_);
    if (!oldFont) throw PaintError{SJIS("フォント設定失敗")};
    SetBkMode(screen_, TRANSPARENT);
    if (!area) ForgetIcons();
    int y = 0;
    for (int i = 0; i < static_cast<int>(rows_.size()); ++i, y += rh) {
        if (area && (y + rh <= area->top || y >= area->bottom)) continue;
        RECT row{0, y, screenWidth_, y + rh};
        FillRect(screen_, &row, background_);
        RenderRow(screen_, *rows_[static_cast<std::size_t>(i)], y, i);
    }
    SelectObject(screen_, oldFont);
    if (!redraw || !hwnd_ || rolledUp_) return;
    // The visible part of the area is copied again.
    const int top = layout_.ListTop();
    RECT client{0, top, layout_.ContentWidth(), top + layout_.VisibleRows() * rh};
    if (area) {
        RECT shown{area->left, area->top - layout_.FirstRow() * rh + top, area->right,
                   area->bottom - layout_.FirstRow() * rh + top};
        RECT both{};
        if (!IntersectRect(&both, &shown, &client)) return;
        InvalidateRect(hwnd_, &both, FALSE);
    } else {
        InvalidateRect(hwnd_, &client, FALSE);
    }
}

void CPortfolioView::RenderRow(HDC dc, const CStockMan& stock, int y, int rowIndex) {
    const int rh = layout_.RowHeight();
    const int width = layout_.ContentWidth();
    const bool flat = (settings_.newBoolean1 & PF_NB1_FLAT) != 0;
    // Border line above the row.
    if (stock.fileFlags & 0x1) {
        HPEN pen = CreatePen(PS_SOLID, 1, flat ? colors_.line : colors_.light);
        if (!pen) throw PaintError{SJIS("境界線生成失敗")};
        Gdi keep(pen);
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, 20, y - 1, nullptr);
        LineTo(dc, width - 1, y - 1);
        if (!flat) {
            HPEN dark = CreatePen(PS_SOLID, 1, colors_.dark);
            if (!dark) {
                SelectObject(dc, old);
                throw PaintError{SJIS("境界線生成失敗")};
            }
            Gdi keepDark(dark);
            SelectObject(dc, dark);
            MoveToEx(dc, 20, y - 2, nullptr);
            LineTo(dc, width - 1, y - 2);
            SelectObject(dc, pen);
        }
        SelectObject(dc, old);
    }
    // Highlight.
    const bool alert = (stock.status & STATUS_UPDATED) && stock.WatchAlert(stock.price);
    const bool highlighted = RowHighlighted(alert, menuRow_ == rowIndex, settings_.pfTranslucent, Transparent());
    if (highlighted) {
        HBRUSH brush = CreateSolidBrush(colors_.line);
        Gdi keep(brush);
        RECT r{1, y, width - 1, y + rh - 1};
        FillRect(dc, &r, brush);
    }
    // Icon with its status mark.
    HIMAGELIST images = host_.StockImages();
    const int iconY = y + (rh > 16 ? (rh - 16) / 2 : 0);
    if (images) DrawIcon(dc, 1, iconY, stock.arrowImage, StatusMark(stock.status), highlighted);

    const COLORREF text = TextColor();
    const bool red = (settings_.boolFlags1 & PF_BF1_RED_NEGATIVES) != 0;
    const ColumnSpans spans = layout_.Spans();
    const std::uint32_t marks = RowMarks(stock, settings_.checkMask);
    auto drawMarks = [&](int x) {
        if (!images) return;
        if (marks & 2) {
            DrawIcon(dc, x, iconY, IMG_NEWS, kNoMark, highlighted);
            x += 16;
        }
        if (marks & 1) DrawIcon(dc, x, iconY, IMG_BOARD, kNoMark, highlighted);
    };
    const int textY = y + 1;
    if (!layout_.Column(TEXT_NAME).exists) {
        drawMarks(18);
    } else {
        const std::string& name = RowName(stock);
        PutText(dc, 20, textY, name, text, true);
        const RowMeasure& m = measures_[&stock].measure;
        drawMarks(20 + m.width[TEXT_NAME] - 16 * m.marks);
    }
    if (layout_.Column(TEXT_CODE).exists)
        PutText(dc, spans.at[TEXT_CODE].left, textY, stock.valueTexts[TEXT_CODE].text, text, false);
    if (layout_.PriceBars() && (stock.status & STATUS_UPDATED)) {
        // The bar's steps straight into the row: an icon per row would cost a bitmap pair each.
        const int left = spans.barLeft, top = y + (rh - 11) / 2;
        for (const BarPaint& step : PriceBarLayout(stock, layout_.BarSetting())) {
            HBRUSH brush = CreateSolidBrush(step.color);
            if (!brush) continue;
            const RECT rect{left + step.left, top + step.top, left + step.right, top + step.bottom};
            if (step.frame)
                FrameRect(dc, &rect, brush);
            else
                FillRect(dc, &rect, brush);
            DeleteObject(brush);
        }
    }
    if (layout_.Column(TEXT_TIME).exists)
        PutText(dc, spans.at[TEXT_TIME].left, textY, stock.valueTexts[TEXT_TIME].text, text, false);
    const RowMeasure& m = measures_[&stock].measure;
    for (int k : kRightAlignedOrder) {
        const ColumnLayout& c = layout_.Column(k);
        if (!c.exists) continue;
        const NumberText& record = stock.valueTexts[static_cast<std::size_t>(k)];
        if (record.text.empty()) continue;
        bool negative = record.negative;
        if (k == TEXT_PRICE || k == TEXT_CHANGE) negative = (stock.displayWord & DISPWORD_FALLING) != 0;
        if (k == TEXT_PROFIT) negative = (stock.displayWord & DISPWORD_LOSS) != 0;
        const COLORREF color = red && negative ? kNegativeColor : text;
        const ColumnSpan& span = spans.at[static_cast<std::size_t>(k)];
        if (k == TEXT_TRADE_MARK) {
            PutText(dc, span.left, textY, record.text, color, false);
            continue;
        }
        const int right = span.right - (c.fraction - m.fraction[static_cast<std::size_t>(k)]);
        PutText(dc, right - m.width[static_cast<std::size_t>(k)], textY, record.text, color, false);
    }
}

void CPortfolioView::ApplySize() {
    if (!hwnd_) return;
    RECT window{};
    if (!GetWindowRect(hwnd_, &window)) return;
    const int cx = GetSystemMetrics(SM_CXVSCROLL);
    int width = layout_.WindowWidth(cx);
    int height = layout_.WindowHeight();
    if (rolledUp_) {
        width = layout_.TitleWidth();
        height = layout_.RowHeight() + 2;
    }
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const ScreenRect workArea{work.left, work.top, work.right, work.bottom};
    const bool rolling = rolledUp_ || window.bottom - window.top == layout_.RowHeight() + 2;
    ScreenRect r = ResizeKeepingDock(ScreenRect{window.left, window.top, window.right, window.bottom}, width, height,
                                     workArea, rolling);
    if (settings_.boolFlags1 & PF_BF1_SNAP) r = SnapToWorkArea(r, workArea);
    if (r.left != window.left || r.top != window.top || width != window.right - window.left ||
        height != window.bottom - window.top)
        SetWindowPos(hwnd_, nullptr, r.left, r.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    resizePending_ = false;
    PlaceScrollBar();
    UpdateTools();
}

void CPortfolioView::PlaceScrollBar() {
    if (!scrollBar_) return;
    const ScrollBarPlace bar = layout_.ScrollBar(GetSystemMetrics(SM_CXVSCROLL));
    if (!bar.shown || rolledUp_) {
        ShowWindow(scrollBar_, SW_HIDE);
        return;
    }
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = bar.min;
    info.nMax = bar.max;
    info.nPage = static_cast<UINT>(bar.page);
    info.nPos = bar.pos;
    SetScrollInfo(scrollBar_, SB_CTL, &info, TRUE);
    SetWindowPos(scrollBar_, nullptr, bar.x, bar.y, bar.width, bar.height, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(scrollBar_, SW_SHOW);
}

int CPortfolioView::ClientWidth() const {
    RECT client{};
    GetClientRect(hwnd_, &client);
    return client.right;
}

void CPortfolioView::UpdateTools() {
    if (!tooltip_) return;
    const int w = ClientWidth();
    auto place = [&](UINT id, RECT rect) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = hwnd_;
        tool.uId = id;
        tool.rect = rect;
        SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    };
    place(kCloseTool, RECT{w - 15, 2, w - 2, 15});
    place(kRollUpTool, RECT{w - 28, 2, w - 15, 15});
    place(kAutoHideTool, AutoHideShown() ? RECT{w - 41, 2, w - 28, 15} : RECT{0, 0, 0, 0});
    // One tool per visible row.
    const int rows = rolledUp_ ? 0 : layout_.VisibleRows();
    const int top = layout_.ListTop();
    const int rh = layout_.RowHeight();
    for (int i = 0; i < std::max(rows, rowTools_); ++i) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = hwnd_;
        tool.uId = static_cast<UINT_PTR>(kFirstRowToolId + static_cast<std::uint32_t>(i));
        tool.rect = RECT{1, top + i * rh, w - 1, top + (i + 1) * rh};
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        if (i >= rows)
            SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        else if (i >= rowTools_)
            SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        else
            SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    rowTools_ = rows;
    // The texts follow the scroll position.
    SendMessageW(tooltip_, TTM_UPDATE, 0, 0);
}

void CPortfolioView::InvalidateTitle() {
    if (!hwnd_) return;
    RECT title{0, 0, ClientWidth(), layout_.ListTop()};
    InvalidateRect(hwnd_, &title, FALSE);
}

void CPortfolioView::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    try {
        RECT client{};
        if (!GetClientRect(hwnd_, &client)) throw PaintError{SJIS("GetWindowRect失敗")};
        const int width = client.right;
        const int rh = layout_.RowHeight();
        SetBkMode(dc, TRANSPARENT);
        // 1-3: the title strip with its text and icon.
        const int strip = rolledUp_ ? rh + 2 : layout_.ListTop();
        if (ps.rcPaint.top < strip) PaintTitle(dc, width);
        if (rolledUp_) {
            // 4: the window is the title strip.
            if (resizePending_ || client.bottom != rh + 2 || width != layout_.TitleWidth()) ApplySize();
        } else {
            // 5: a pending resize.
            if (resizePending_) ApplySize();
            // 6: labels.
            if (layout_.LabelRow() && ps.rcPaint.top < strip) PaintLabels(dc);
            // 7: the visible rows, one block copy.
            const int top = layout_.ListTop();
            const int height = layout_.VisibleRows() * rh;
            if (height > 0 &&
                !BitBlt(dc, 0, top, layout_.ContentWidth(), height, screen_, 0, layout_.FirstRow() * rh, SRCCOPY))
                throw PaintError{SJIS("GetWindowRect失敗")};
            // Below the rows, above the frame.
            RECT rest{0, top + height, layout_.ContentWidth(), client.bottom};
            FillRect(dc, &rest, background_);
        }
        // 8, 9.
        PaintFrame(dc, width, client.bottom);
        PaintButtons(dc, width);
    } catch (const PaintError& e) {
        AppLog().Log(LOG_ERR, "%s in WM_PAINT 0x%08x", e.text.c_str(),
                     static_cast<unsigned>(reinterpret_cast<UINT_PTR>(hwnd_)));
    }
    EndPaint(hwnd_, &ps);
}

void CPortfolioView::PaintTitle(HDC dc, int width) {
    const int rh = layout_.RowHeight();
    const int strip = rolledUp_ ? rh + 2 : layout_.ListTop();
    RECT title{0, 0, width, strip};
    FillRect(dc, &title, background_);
    const PortfolioTotals totals = host_.TotalsForTitle();
    const PortfolioTitle t =
        MakePortfolioTitle(settings_.boolFlags1, (settings_.itemFlags.other & OTHER_FILE_NAME) != 0,
                           host_.PortfolioFileTitle(), totals.incomplete, totals.line, rolledUp_);
    HGDIOBJ old = SelectObject(dc, t.bold ? boldFont_ : rowFont_);
    if (!old) throw PaintError{SJIS("フォント設定失敗")};
    PutText(dc, 20, TitleTextY(fontSize_), t.text, TextColor(), true);
    SelectObject(dc, old);
    // The title icon: the totals arrow, else image 10, with the overall status mark.
    if (HIMAGELIST images = host_.StockImages()) {
        const int offset = rh > 16 ? (rh - 16) / 2 : 0;
        const int image =
            t.totals && totals.arrow != 0 ? static_cast<int>(totals.arrow) : static_cast<int>(IMG_ARROW_NO_QUOTE);
        ImageList_Draw(images, image, dc, 1, offset + 1, ILD_TRANSPARENT);
        const std::uint32_t mark = OverallStatusMark(totals.overallKind);
        if (mark != kNoMark) ImageList_Draw(images, static_cast<int>(mark), dc, 1, offset + 1, ILD_TRANSPARENT);
    }
}

void CPortfolioView::PaintLabels(HDC dc) {
    const int y = layout_.RowHeight() + 2;
    HGDIOBJ old = SelectObject(dc, rowFont_);
    if (!old) throw PaintError{SJIS("フォント設定失敗")};
    const COLORREF color = TextColor();
    const ColumnSpans spans = layout_.Spans();
    const std::string nameLabel = SJIS("銘柄名");
    if (layout_.Column(TEXT_NAME).exists && layout_.Column(TEXT_NAME).width >= MeasureText(dc, nameLabel))
        PutText(dc, 20, y, nameLabel, color, true);
    // Price and change share one centred label.
    const bool price = layout_.Column(TEXT_PRICE).exists, change = layout_.Column(TEXT_CHANGE).exists;
    if (price || change) {
        const std::string label = change ? SJIS("前日比") : SJIS("株価");
        const int left = price ? spans.at[TEXT_PRICE].left : spans.at[TEXT_CHANGE].left;
        const int right = change ? spans.at[TEXT_CHANGE].right : spans.at[TEXT_PRICE].right;
        PutText(dc, (left + right - MeasureText(dc, label)) / 2, y, label, color, true);
    }
    for (int k = 0; k < kPortfolioColumns; ++k) {
        if (k == TEXT_NAME || k == TEXT_PRICE || k == TEXT_CHANGE || !layout_.Column(k).exists) continue;
        const std::string& label = ColumnLabel(k);
        if (label.empty()) continue;
        const ColumnSpan& span = spans.at[static_cast<std::size_t>(k)];
        const int right = (k == TEXT_CODE || k == TEXT_TIME || k == TEXT_TRADE_MARK)
                              ? span.right
                              : span.right - layout_.Column(k).fraction;
        PutText(dc, right - MeasureText(dc, label), y, label, color, true);
    }
    SelectObject(dc, old);
}

void CPortfolioView::PaintFrame(HDC dc, int width, int height) {
    if (settings_.newBoolean1 & PF_NB1_NO_FRAME) return;
    const bool flat = (settings_.newBoolean1 & PF_NB1_FLAT) != 0;
    HPEN line = CreatePen(PS_SOLID, 1, colors_.line);
    HPEN dark = CreatePen(PS_SOLID, 1, flat ? colors_.line : colors_.dark);
    Gdi keepLine(line), keepDark(dark);
    if (!line || !dark) throw PaintError{SJIS("境界線生成失敗")};
    HGDIOBJ old = SelectObject(dc, line);
    MoveToEx(dc, 0, height - 1, nullptr);
    LineTo(dc, 0, 0);
    LineTo(dc, width, 0);
    SelectObject(dc, dark);
    MoveToEx(dc, width - 1, 0, nullptr);
    LineTo(dc, width - 1, height - 1);
    LineTo(dc, -1, height - 1);
    SelectObject(dc, old);
}

void CPortfolioView::PaintButtons(HDC dc, int width) {
    if (!buttons_) return;
    const int close = hovered_ == TitleHit::Close ? kPicCloseHovered : kPicClose;
    int roll = rolledUp_ ? kPicRollDown : kPicRollUp;
    if (hovered_ == TitleHit::RollUp) roll += kPicHovered;
    ImageList_Draw(buttons_, close, dc, width - 15, 2, ILD_TRANSPARENT);
    ImageList_Draw(buttons_, roll, dc, width - 28, 2, ILD_TRANSPARENT);
    if (!AutoHideShown()) return;
    int autoHide = autoHideSuspended_ ? kPicAlwaysShown : kPicAutoHide;
    if (hovered_ == TitleHit::AutoHide) autoHide = autoHideSuspended_ ? kPicAlwaysShownHovered : kPicAutoHide + 5;
    ImageList_Draw(buttons_, autoHide, dc, width - 41, 2, ILD_TRANSPARENT);
}

TitleHit CPortfolioView::HitAt(int x, int y) const {
    return PortfolioLayout::HitTest(x, y, ClientWidth(), AutoHideShown());
}

void CPortfolioView::RelayToTooltip(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!tooltip_) return;
    MSG msg{hwnd_, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
    GetCursorPos(&msg.pt);
    SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

BOOL CPortfolioView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!hwnd_) return FALSE;
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    // The tooltip sees the mouse before the view acts on it.
    if (message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP || message == WM_RBUTTONDOWN ||
        message == WM_RBUTTONUP)
        RelayToTooltip(message, wParam, lParam);
    switch (message) {
        case WM_PAINT:
            OnPaint();
            return TRUE;
        case WM_ERASEBKGND:
            result = 1;  // every pixel is painted by WM_PAINT
            return TRUE;
        case WM_VSCROLL:
            OnVScroll(LOWORD(wParam));
            NoteMouseActivity();
            return TRUE;
        case WM_MOUSEWHEEL:
            ScrollBy(PortfolioLayout::WheelRows(GET_WHEEL_DELTA_WPARAM(wParam)));
            NoteMouseActivity();
            return TRUE;
        case WM_MOUSEMOVE:
            OnMouseMove(x, y, wParam);
            return TRUE;
        case WM_MOUSELEAVE:
            trackingLeave_ = false;
            if (hovered_ != TitleHit::List) {
                hovered_ = TitleHit::List;
                InvalidateTitle();
            }
            return TRUE;
        case WM_SETCURSOR: {
            if (LOWORD(lParam) != HTCLIENT) return FALSE;
            POINT p;
            GetCursorPos(&p);
            ScreenToClient(hwnd_, &p);
            RECT client{};
            GetClientRect(hwnd_, &client);
            if (moving_ == 2 || (moving_ == 0 && layout_.NearBottomEdge(p.y, client.bottom, rolledUp_))) {
                SetCursor(sizeCursor_);
                result = TRUE;
                return TRUE;
            }
            return FALSE;
        }
        case WM_LBUTTONDOWN:
            OnLButtonDown(x, y);
            return TRUE;
        case WM_LBUTTONUP:
            OnLButtonUp(x, y);
            return TRUE;
        case WM_LBUTTONDBLCLK:
            OnLButtonDblClk(x, y);
            return TRUE;
        case WM_RBUTTONDOWN:
            OnRButtonDown(x, y);
            return TRUE;
        case WM_RBUTTONUP:
            NoteMouseActivity();
            return TRUE;
        case WM_CAPTURECHANGED:
            // Another window took the mouse: the drag ends.
            if (reinterpret_cast<HWND>(lParam) != hwnd_) moving_ = 0;
            return FALSE;
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<NMHDR*>(lParam), result);
        default:
            return FALSE;
    }
}

BOOL CPortfolioView::OnNotify(NMHDR& header, LRESULT& result) {
    if (header.hwndFrom != tooltip_ || header.code != TTN_GETDISPINFOW) return FALSE;
    auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
    static std::wstring answer;
    answer.clear();
    std::vector<const CStockMan*> visible;
    for (int i = layout_.FirstRow();
         i < layout_.FirstRow() + layout_.VisibleRows() && i < static_cast<int>(rows_.size()); ++i)
        visible.push_back(rows_[static_cast<std::size_t>(i)]);
    const PortfolioTotals totals = host_.TotalsForTitle();
    DisplayOptions options;
    options.boolFlags1 = settings_.boolFlags1;
    std::string text;
    if (GetTipText(options, static_cast<std::uint32_t>(header.idFrom), rolledUp_, totals.incomplete, totals.line,
                   visible, text))
        answer = Wide(text);
    info.lpszText = answer.data();
    result = 0;
    return TRUE;
}

void CPortfolioView::OnVScroll(int code) {
    const int page = layout_.VisibleRows();
    switch (code) {
        case SB_LINEUP:
            ScrollBy(-1);
            break;
        case SB_LINEDOWN:
            ScrollBy(1);
            break;
        case SB_PAGEUP:
            ScrollBy(-page);
            break;
        case SB_PAGEDOWN:
            ScrollBy(page);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO info{};
            info.cbSize = sizeof info;
            info.fMask = SIF_TRACKPOS;
            GetScrollInfo(scrollBar_, SB_CTL, &info);
            ScrollBy(info.nTrackPos - layout_.FirstRow());
            break;
        }
        case SB_TOP:
            ScrollBy(-layout_.RowCount());
            break;
        case SB_BOTTOM:
            ScrollBy(layout_.RowCount());
            break;
        default:
            break;
    }
}

void CPortfolioView::ScrollBy(int rows) {
    if (!layout_.ScrollBy(rows)) return;
    const int top = layout_.ListTop();
    RECT list{0, top, layout_.ContentWidth(), top + layout_.VisibleRows() * layout_.RowHeight()};
    InvalidateRect(hwnd_, &list, FALSE);
    if (scrollBar_) SetScrollPos(scrollBar_, SB_CTL, layout_.FirstRow(), TRUE);
    if (tooltip_) SendMessageW(tooltip_, TTM_UPDATE, 0, 0);
}

void CPortfolioView::SetVisibleRows(int delta) {
    int startY = static_cast<int>(moveStart_.y);
    const bool all = layout_.SetVisibleRows(delta, startY);
    moveStart_.y = startY;
    if (all) {
        RebuildLayout();
    }
    resizePending_ = true;
    ApplySize();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void CPortfolioView::OnMouseMove(int x, int y, WPARAM keys) {
    if (!trackingLeave_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
        trackingLeave_ = TrackMouseEvent(&track) != FALSE;
    }
    NoteMouseActivity();
    // Where the message says the mouse is, on the screen: the window may have moved since.
    POINT p{x, y};
    ClientToScreen(hwnd_, &p);
    if (moving_ == 1) {
        ScreenRect r{moveOrigin_.left + (p.x - moveStart_.x), moveOrigin_.top + (p.y - moveStart_.y), 0, 0};
        r.right = r.left + (moveOrigin_.right - moveOrigin_.left);
        r.bottom = r.top + (moveOrigin_.bottom - moveOrigin_.top);
        if (settings_.boolFlags1 & PF_BF1_SNAP) {
            RECT work{};
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
            r = SnapToWorkArea(r, ScreenRect{work.left, work.top, work.right, work.bottom});
        }
        SetWindowPos(hwnd_, nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    if (moving_ == 2) {
        SetCursor(sizeCursor_);
        const int rows = layout_.DragRows(p.y - moveStart_.y);
        if (rows != 0) SetVisibleRows(rows);
        return;
    }
    const TitleHit hit = HitAt(x, y);
    const TitleHit hover = hit == TitleHit::List || hit == TitleHit::Title ? TitleHit::List : hit;
    if (hover != hovered_) {
        hovered_ = hover;
        InvalidateTitle();
    }
    RECT client{};
    GetClientRect(hwnd_, &client);
    if (!(keys & MK_LBUTTON) && layout_.NearBottomEdge(y, client.bottom, rolledUp_)) SetCursor(sizeCursor_);
}

void CPortfolioView::OnLButtonDown(int x, int y) {
    StopActionTimer();
    const TitleHit hit = HitAt(x, y);
    pressed_ = hit;
    if (hit == TitleHit::Close || hit == TitleHit::RollUp || hit == TitleHit::AutoHide) return;
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int mode = hit == TitleHit::List && layout_.NearBottomEdge(y, client.bottom, rolledUp_) ? 2 : 1;
    moveStart_ = POINT{x, y};
    ClientToScreen(hwnd_, &moveStart_);
    GetWindowRect(hwnd_, &moveOrigin_);
    SetCapture(hwnd_);
    moving_ = mode;
}

void CPortfolioView::OnLButtonUp(int x, int y) {
    if (moving_) {
        moving_ = 0;
        ReleaseCapture();
    }
    const TitleHit hit = HitAt(x, y);
    const TitleHit pressed = pressed_;
    pressed_ = TitleHit::List;
    NoteMouseActivity();
    if (hit == pressed) PressButton(hit);
}

void CPortfolioView::PressButton(TitleHit hit) {
    switch (hit) {
        case TitleHit::Close:
            host_.PortfolioHide();
            break;
        case TitleHit::RollUp:
            if (rolledUp_)
                RollDown();
            else
                RollUp();
            break;
        case TitleHit::AutoHide:
            if (autoHideSuspended_)
                ResumeAutoHide();
            else
                PauseAutoHide();
            break;
        default:
            break;
    }
}

void CPortfolioView::OnLButtonDblClk(int x, int y) {
    StopActionTimer();
    const int row = rolledUp_ ? -1 : layout_.RowAt(y);
    if (row >= 0 && row < static_cast<int>(rows_.size())) {
        host_.PortfolioRowDoubleClick(*rows_[static_cast<std::size_t>(row)]);
        return;
    }
    if (y < layout_.ListTop() && HitAt(x, y) != TitleHit::Close) {
        if (rolledUp_)
            RollDown();
        else
            RollUp();
    }
}

void CPortfolioView::OnRButtonDown(int, int y) {
    StopActionTimer();
    const int row = rolledUp_ ? -1 : layout_.RowAt(y);
    if (row < 0 || row >= static_cast<int>(rows_.size())) {
        host_.PortfolioAppMenu();
        return;
    }
    CStockMan& stock = *rows_[static_cast<std::size_t>(row)];
    const std::uint32_t id = stock.Id();
    auto redrawRow = [&](int index) {
        RECT area{0, index * layout_.RowHeight(), layout_.ContentWidth(), (index + 1) * layout_.RowHeight()};
        try {
            RenderRows(&area, true);
            UpdateWindow(hwnd_);
        } catch (const PaintError&) {
        }
    };
    menuRow_ = row;
    redrawRow(row);
    host_.PortfolioRowMenu(stock, MoveFlags(stock));
    menuRow_ = -1;
    // The command may have moved or removed the row: find it again.
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i]->Id() == id) redrawRow(static_cast<int>(i));
}

unsigned CPortfolioView::MoveFlags(const CStockMan& stock) {
    std::vector<bool> listed;
    const int index = ListedStocks(host_.PortfolioStocks(), stock, listed);
    unsigned flags = 0;
    if (ListedNeighbour(listed, index, true) >= 0) flags |= 1;
    if (ListedNeighbour(listed, index, false) >= 0) flags |= 2;
    return flags;
}

bool CPortfolioView::MoveRow(const CStockMan& stock, bool up) {
    StockList& stocks = host_.PortfolioStocks();
    std::vector<bool> listed;
    const int index = ListedStocks(stocks, stock, listed);
    const int other = ListedNeighbour(listed, index, up);
    if (other < 0 || !listed[static_cast<std::size_t>(index)]) return false;
    std::swap(stocks[static_cast<std::size_t>(index)], stocks[static_cast<std::size_t>(other)]);
    // The two rows swap places in the list; both visible: only their rectangle is drawn again.
    const auto a = std::find(rows_.begin(), rows_.end(), &stock);
    const auto b = std::find(rows_.begin(), rows_.end(), stocks[static_cast<std::size_t>(index)].get());
    if (a == rows_.end() || b == rows_.end()) {
        RebuildLayout();
        return true;
    }
    std::iter_swap(a, b);
    const int ra = static_cast<int>(a - rows_.begin()), rb = static_cast<int>(b - rows_.begin());
    const int first = layout_.FirstRow(), last = first + layout_.VisibleRows();
    if (ra >= first && ra < last && rb >= first && rb < last) {
        const int top = std::min(ra, rb), bottom = std::max(ra, rb) + 1;
        RECT area{0, top * layout_.RowHeight(), layout_.ContentWidth(), bottom * layout_.RowHeight()};
        try {
            RenderRows(&area, true);
        } catch (const PaintError& e) {
            AppLog().Log(LOG_ERR, "%s in WM_PAINT 0x%08x", e.text.c_str(),
                         static_cast<unsigned>(reinterpret_cast<UINT_PTR>(hwnd_)));
        }
    } else {
        try {
            RenderRows(nullptr, true);
        } catch (const PaintError&) {
        }
    }
    return true;
}

void CPortfolioView::TitleChanged() {
    RebuildLayout();
    InvalidateTitle();
}

void CPortfolioView::AddRows(int n) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    layout_.AddRows(n, work.bottom - work.top);
    RebuildLayout();
    resizePending_ = true;
    ApplySize();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void CPortfolioView::StartActionTimer() {
    if (settings_.timerAction == 0 || autoHideSuspended_ || !hwnd_) return;
    SetTimer(hwnd_, kActionTimerId, settings_.activateTime ? settings_.activateTime : 2000, nullptr);
    actionRunning_ = true;
}

void CPortfolioView::StopActionTimer() {
    if (hwnd_) KillTimer(hwnd_, kActionTimerId);
    actionRunning_ = false;
}

void CPortfolioView::NoteMouseActivity() {
    const std::uint8_t action = settings_.timerAction;
    if (settings_.boolFlags1 & PF_BF1_AUTO_ROLL_DOWN) {
        if (action == 2 && rolledUp_) RollDown();
        if (action == 3 && !(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_TOPMOST))
            SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (!autoHideSuspended_ && action != 0 && visible_) StartActionTimer();
}

void CPortfolioView::OnActionTimer() {
    StopActionTimer();
    switch (settings_.timerAction) {
        case 1:
            AppLog().Log(LOG_DTL, "[TIMER] Action: hide");
            host_.PortfolioHide();
            break;
        case 2:
            AppLog().Log(LOG_DTL, "[TIMER] Action: roll-up");
            RollUp();
            break;
        case 3:
            AppLog().Log(LOG_DTL, "[TIMER] Action: bottom");
            SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
            break;
        default:
            AppLog().Log(LOG_DTL, "[TIMER] Action: none");
            break;
    }
}

void CPortfolioView::RollUp() { SetRolled(true); }

void CPortfolioView::RollDown() {
    autoHideSuspended_ = false;
    SetRolled(false);
    // The idle action runs again from now.
    if (visible_) StartActionTimer();
}

void CPortfolioView::SetRolled(bool rolledUp) {
    rolledUp_ = rolledUp;
    if (tooltip_) {
        SetToolText(tooltip_, hwnd_, kRollUpTool,
                    Wide(ResourceText(resources_, rolledUp ? IDS_TIP_ROLL_DOWN : IDS_TIP_ROLL_UP)));
    }
    SetAutoHideTip();
    resizePending_ = true;
    ApplySize();
    InvalidateRect(hwnd_, nullptr, FALSE);
    host_.PortfolioRolled(rolledUp);
}

void CPortfolioView::SetAutoHideTip() {
    if (!tooltip_) return;
    // Rolled up, the button is not there and its tip is empty.
    std::wstring text;
    if (!rolledUp_)
        text = Wide(ResourceText(resources_, autoHideSuspended_ ? IDS_TIP_ALWAYS_SHOWN : IDS_TIP_AUTO_HIDE));
    SetToolText(tooltip_, hwnd_, kAutoHideTool, std::move(text));
}

void CPortfolioView::PauseAutoHide() {
    autoHideSuspended_ = true;
    StopActionTimer();
    SetAutoHideTip();
    InvalidateTitle();
}

void CPortfolioView::ResumeAutoHide() {
    autoHideSuspended_ = false;
    SetAutoHideTip();
    StartActionTimer();
    InvalidateTitle();
}

void CPortfolioView::PlaceAtStart(const PortfolioPlacement& placement, bool rolledUp) {
    RebuildLayout();
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // A file that did not say how many rows to show gets as many as the screen holds.
    if (layout_.VisibleRows() == layout_.RowCount()) {
        layout_.FitHeight(work.bottom - work.top);
        RebuildLayout();
    }
    const int cx = GetSystemMetrics(SM_CXVSCROLL);
    const ScreenRect desktop{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                             GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                             GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const ScreenRect r = quotrix::PlaceAtStart(placement, layout_.WindowWidth(cx), layout_.WindowHeight(),
                                               ScreenRect{work.left, work.top, work.right, work.bottom}, desktop,
                                               (settings_.boolFlags1 & PF_BF1_SNAP) != 0);
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    if (rolledUp)
        RollUp();
    else
        RollDown();
}

PortfolioPlacement CPortfolioView::CurrentPlacement() const {
    RECT window{};
    GetWindowRect(hwnd_, &window);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ScreenRect r{window.left, window.top, window.right, window.bottom};
    // A rolled-up window is stored at its full height, so that a bottom-docked one comes back
    // where it was.
    if (rolledUp_) r.bottom = r.top + layout_.WindowHeight();
    return PlacementToSave(r, ScreenRect{work.left, work.top, work.right, work.bottom});
}

void CPortfolioView::Show(bool activate) {
    autoHideSuspended_ = false;
    SetAutoHideTip();
    // The user's show unrolls; the start-up's keeps the roll-up the last run ended with.
    if (rolledUp_ && activate)
        RollDown();
    else
        InvalidateTitle();
    ShowWindow(hwnd_, activate ? SW_SHOW : SW_SHOWNOACTIVATE);
    if (activate) SetForegroundWindow(hwnd_);
    visible_ = true;
    StartActionTimer();
    InvalidateTitle();
}

void CPortfolioView::Hide() {
    ShowWindow(hwnd_, SW_HIDE);
    visible_ = false;
    StopActionTimer();
}

}  // namespace quotrix
