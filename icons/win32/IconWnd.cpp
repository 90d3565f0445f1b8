#include "icons/win32/IconWnd.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "app/DisplayTexts.h"
#include "icons/win32/IconImages.h"
#include "log/ErrLog.h"
#include "model/StockMan.h"
#include "platform/Messages.h"
#include "platform/win32/WinText.h"
#include "platform/win32/ui/UiFont.h"
#include "resources/resource.h"

namespace quotrix {

namespace {

constexpr wchar_t kClassName[] = L"QuotrixIconWnd";
constexpr UINT kUpperTool = 1;
constexpr UINT kLowerTool = 2;
constexpr std::size_t kTipBufferSize = 512;
constexpr int kIconSize = 16;

// The answer to a tooltip's text request, shared by every desktop window: it only has to live
// until the tooltip has copied it.
char g_tipBuffer[kTipBufferSize];
wchar_t g_tipBufferWide[kTipBufferSize];

using SetLayeredFunction = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

// Bound at run time: a system without layered windows still shows opaque desktop windows.
SetLayeredFunction LayeredFunction() {
    static const auto function = reinterpret_cast<SetLayeredFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetLayeredWindowAttributes")));
    return function;
}

bool RegisterIconWndClass(WNDPROC procedure) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(instance, kClassName, &wc)) return true;
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_HAND);
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_QUOTRIX));
    wc.hbrBackground = nullptr;  // the region shows only painted parts
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
}

LOGFONTW DesktopLogFont(const DesktopFont& font) {
    LOGFONTW lf{};
    lf.lfHeight = font.height;
    lf.lfWidth = font.width;
    lf.lfEscapement = font.escapement;
    lf.lfOrientation = font.orientation;
    lf.lfWeight = font.weight;
    lf.lfItalic = font.italic;
    lf.lfUnderline = font.underline;
    lf.lfStrikeOut = font.strikeOut;
    lf.lfCharSet = font.charSet;
    lf.lfOutPrecision = font.outPrecision;
    lf.lfClipPrecision = font.clipPrecision;
    lf.lfQuality = font.quality;
    lf.lfPitchAndFamily = font.pitchAndFamily;
    const std::wstring face = Wide(font.faceName);
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    return lf;
}

// The desktop font for `text`. A face without glyphs for the text (a Western system's icon-title
// font and a Japanese name) gives way to the UI font's face at the desktop font's size.
HFONT CreateDesktopFont(const DesktopFont& font, const std::wstring& text) {
    LOGFONTW lf = DesktopLogFont(font);
    HFONT made = CreateFontIndirectW(&lf);
    if (!made || text.empty() || FontHasGlyphs(made, text)) return made;
    const LOGFONTW& ui = GetUiFontInfo().logFont;
    if (lstrcmpiW(ui.lfFaceName, lf.lfFaceName) == 0) return made;
    lstrcpynW(lf.lfFaceName, ui.lfFaceName, LF_FACESIZE);
    lf.lfCharSet = ui.lfCharSet;
    if (HFONT fallback = CreateFontIndirectW(&lf)) {
        DeleteObject(made);
        return fallback;
    }
    return made;
}

// The icon's opaque pixels from its AND mask (black = opaque), row by row from the top.
std::vector<bool> OpaquePixels(HICON icon, int width, int height) {
    std::vector<bool> opaque;
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return opaque;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    HDC screen = GetDC(nullptr);
    // A monochrome icon's mask holds the AND half on top of the XOR half; its first rows are the AND mask.
    const int rows = GetDIBits(screen, info.hbmMask, 0, static_cast<UINT>(height), pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (rows <= 0) return opaque;
    opaque.resize(pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i) opaque[i] = (pixels[i] & 0xFFFFFF) == 0;
    return opaque;
}

}  // namespace

CIconWnd::CIconWnd(CStockIconCtrl& ctrl, const DesktopLook& look)
    : ctrl_(ctrl), stock_(dynamic_cast<CStockMan*>(&ctrl)), look_(look) {}

CIconWnd::~CIconWnd() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (bar_) DestroyIcon(bar_);
}

bool CIconWnd::Create(int x, int y, int iconWidth, int iconHeight) {
    if (hwnd_) return true;
    iconSize_ = SIZE{iconWidth, iconHeight};
    last_ = POINT{x, y};
    if (!RegisterIconWndClass(&CWnd::WindowProc)) {
        AppLog().Log(LOG_ERR, "[WND] Desktop icon class registration failed");
        return false;
    }
    owner_ = static_cast<HWND>(ctrl_.Owner());
    if (!CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"Quotrix!", WS_POPUP, x, y, iconWidth, iconHeight, owner_,
                         nullptr, GetModuleHandleW(nullptr), static_cast<CWnd*>(this))) {
        AppLog().Log(LOG_ERR, "[WND] Desktop icon window creation failed: %lu", GetLastError());
        return false;
    }
    created_ = true;

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_BALLOON,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (tooltip_) {
        ApplyUiFont(tooltip_);
        SetWindowPos(tooltip_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        for (UINT id : {kUpperTool, kLowerTool}) {
            TTTOOLINFOW tool{};
            tool.cbSize = sizeof tool;
            tool.uFlags = TTF_SUBCLASS;
            tool.hwnd = hwnd_;
            tool.uId = id;
            tool.lpszText = LPSTR_TEXTCALLBACKW;
            SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
        SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 300);
        SendMessageW(tooltip_, TTM_ACTIVATE, FALSE, 0);
    } else {
        AppLog().Log(LOG_ERR, "TIP creation failed");
    }
    SetTopmost(look_.topmost);
    RefreshContent();
    return true;
}

void CIconWnd::SetOwner(void* owner) {
    owner_ = static_cast<HWND>(owner);
    // Owned by the main window: it never shows on the taskbar and goes with the program.
    if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner_));
}

bool CIconWnd::IsVisible() const { return hwnd_ && IsWindowVisible(hwnd_); }

void CIconWnd::ActivateTip() {
    if (tooltip_) SendMessageW(tooltip_, TTM_ACTIVATE, TRUE, 0);
}

void CIconWnd::UpdateTip() {
    if (tooltip_) SendMessageW(tooltip_, TTM_UPDATE, 0, 0);
}

void CIconWnd::SetIcon(void* icon) {
    icon_ = static_cast<HICON>(icon);
    UpdateShape();
}

void CIconWnd::Show() {
    // Shown without taking the focus from the user's work.
    if (hwnd_) ShowWindow(hwnd_, SW_SHOWNA);
}

void CIconWnd::Hide() {
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

void CIconWnd::Repaint() {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

bool CIconWnd::OwnerPresent() const { return owner_ && IsWindow(owner_); }

bool CIconWnd::SnapWanted() const {
    return OwnerPresent() &&
           SendMessageW(owner_, WM_APP_ICONWND_NOTIFY, ctrl_.TrayId(), static_cast<LPARAM>(WM_APP_QUERY_SNAP)) != 0;
}

int CIconWnd::Placement() const {
    return stock_ && stock_->desktopTxtMode < 3 ? static_cast<int>(stock_->desktopTxtMode)
                                                : static_cast<int>(TEXT_NONE);
}

bool CIconWnd::ShowsPriceBar() const { return stock_ && (stock_->desktopTxtFlags & kDesktopPriceBar) != 0; }

std::string CIconWnd::DesktopText() const {
    return stock_ ? stock_->displayStrings[DISPLAY_DESKTOP_TEXT] : std::string();
}

void CIconWnd::Notify(LPARAM what) const {
    // Posted: the owner's answer (a menu, a deleted stock) must not run inside this window's handler.
    if (OwnerPresent()) PostMessageW(owner_, WM_APP_ICONWND_NOTIFY, ctrl_.TrayId(), what);
}

void CIconWnd::RefreshContent() {
    if (!hwnd_) return;
    HICON bar = ShowsPriceBar() && stock_ ? PriceBarIcon(*stock_, look_.barSetting) : nullptr;
    if (ShowsPriceBar() && !bar) AppLog().Log(LOG_ERR, "StockBar icon handle=0x%08x", 0u);
    if (bar_) DestroyIcon(bar_);
    bar_ = bar;
    UpdateShape();
    Repaint();
}

void CIconWnd::UpdateShape() {
    if (!hwnd_) return;
    // The text is measured with the desktop font; without a font there is no text.
    SIZE text{};
    const std::wstring wide = Wide(DesktopText());
    if (HFONT font = CreateDesktopFont(look_.font, wide)) {
        HDC dc = GetDC(hwnd_);
        HGDIOBJ old = SelectObject(dc, font);
        if (!wide.empty()) GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &text);
        SelectObject(dc, old);
        ReleaseDC(hwnd_, dc);
        DeleteObject(font);
    }
    textSize_ = text;
    if (icon_) ApplyRegion();
    ApplyTransparency();
}

bool CIconWnd::ApplyRegion() {
    DesktopShapeInput in;
    in.placement = Placement();
    in.iconWidth = iconSize_.cx;
    in.iconHeight = iconSize_.cy;
    in.textWidth = textSize_.cx;
    in.textHeight = textSize_.cy;
    in.priceBar = ShowsPriceBar();
    in.barSetting = look_.barSetting;
    in.ownerPresent = OwnerPresent();
    const DesktopShape shape = LayoutDesktopShape(in);

    HRGN region = CreateRectRgn(0, 0, 0, 0);
    bool ok = region != nullptr;
    std::vector<ScreenRect> parts = OpaqueRuns(OpaquePixels(icon_, iconSize_.cx, iconSize_.cy), iconSize_.cx,
                                               iconSize_.cy, shape.iconX, shape.iconY);
    if (shape.barShown) parts.push_back(shape.bar);
    if (shape.textShown && shape.text.Width() > 0 && shape.text.Height() > 0) parts.push_back(shape.text);
    for (const ScreenRect& part : parts) {
        if (!ok) break;
        HRGN piece = CreateRectRgn(part.left, part.top, part.right, part.bottom);
        ok = piece && CombineRgn(region, region, piece, RGN_OR) != ERROR;
        if (piece) DeleteObject(piece);
    }
    if (!ok) {
        // The old shape stays.
        AppLog().Log(LOG_ERR, "[WND] Desktop icon region failed");
        if (region) DeleteObject(region);
        return false;
    }
    shape_ = shape;
    RECT now{};
    GetWindowRect(hwnd_, &now);
    ScreenRect placed{now.left, now.top, now.left + shape.width, now.top + shape.height};
    if (SnapWanted()) placed = SnapToWorkArea(placed, WorkArea());
    // Sized first, so that the new region is taken against the new size (Wine keeps pixels of the
    // old size otherwise).
    SetWindowPos(hwnd_, nullptr, placed.left, placed.top, shape.width, shape.height, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowRgn(hwnd_, region, TRUE);  // the system owns the region now
    UpdateToolRects();
    return true;
}

void CIconWnd::UpdateToolRects() {
    if (!tooltip_) return;
    RECT client{};
    GetClientRect(hwnd_, &client);
    const LONG half = client.bottom / 2;
    for (UINT id : {kUpperTool, kLowerTool}) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = hwnd_;
        tool.uId = id;
        tool.rect = id == kUpperTool ? RECT{0, 0, client.right, half} : RECT{0, half, client.right, client.bottom};
        SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void CIconWnd::ApplyTransparency() {
    SetLayeredFunction setLayered = LayeredFunction();
    if (!hwnd_ || !setLayered) return;
    const LayeredLook wanted = look_.layered;
    // Re-applying unchanged attributes would make the window flicker.
    if (layeredApplied_ && wanted == layered_) return;
    const DWORD flags = LayeredFlags(wanted);
    const LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    if (flags != 0) {
        SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex | WS_EX_LAYERED);
        if (!setLayered(hwnd_, look_.desktopColor, wanted.alpha, flags)) {
            AppLog().Log(LOG_ERR, "[WND] SetLayeredWindowAttributes failed: %lu", GetLastError());
            return;
        }
    } else if (ex & WS_EX_LAYERED) {
        SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
    }
    layered_ = wanted;
    layeredApplied_ = true;
}

void CIconWnd::SetTopmost(bool topmost) {
    if (!hwnd_ || topmost == topmost_) return;
    if (SetWindowPos(hwnd_, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER))
        topmost_ = topmost;
}

POINT CIconWnd::GetPosition() const {
    if (!hwnd_) return last_;
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return POINT{r.left, r.top};
}

ScreenRect CIconWnd::WorkArea() {
    RECT work{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        work = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return {work.left, work.top, work.right, work.bottom};
}

LRESULT CIconWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // painting covers every visible pixel
        case WM_MOUSEACTIVATE:
            // A click on a desktop icon leaves the user's active window active.
            return MA_NOACTIVATE;
        case WM_LBUTTONDOWN:
            OnLButtonDown(at);
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(wParam, at);
            return 0;
        case WM_LBUTTONUP:
            OnLButtonUp();
            return 0;
        case WM_CAPTURECHANGED:
            // The drag ends when another window takes the mouse, too: its new place still counts.
            if (dragging_ && reinterpret_cast<HWND>(lParam) != hwnd_) EndDrag();
            return 0;
        case WM_LBUTTONDBLCLK:
            // The same handling as a double click on the tray icon.
            if (OwnerPresent()) PostMessageW(owner_, WM_APP_TRAY_NOTIFY, ctrl_.TrayId(), WM_LBUTTONDBLCLK);
            return 0;
        case WM_RBUTTONDOWN:
            Notify(WM_RBUTTONDOWN);
            return 0;
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_WINDOWPOSCHANGED:
            OnPositionChanged(*reinterpret_cast<const WINDOWPOS*>(lParam));
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        default:
            return CWnd::OnMessage(message, wParam, lParam);
    }
}

void CIconWnd::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    if (icon_) DrawIconEx(dc, shape_.iconX, shape_.iconY, icon_, iconSize_.cx, iconSize_.cy, 0, nullptr, DI_NORMAL);
    const int placement = Placement();
    if (placement == TEXT_RIGHT || placement == TEXT_LEFT) {
        if (!OwnerPresent()) {
            AppLog().Log(LOG_INT, "WM_PAINT: Main Wnd handle null");
        } else {
            const COLORREF background = look_.desktopColor;
            if (HBRUSH brush = CreateSolidBrush(background)) {
                const RECT text{shape_.text.left, shape_.text.top, shape_.text.right, shape_.text.bottom};
                FillRect(dc, &text, brush);
                DeleteObject(brush);
            }
            if (shape_.barShown && bar_)
                DrawIconEx(dc, shape_.bar.left, shape_.bar.top, bar_, shape_.bar.Width(), shape_.bar.Height(), 0,
                           nullptr, DI_NORMAL);
            const std::wstring wide = Wide(DesktopText());
            HFONT font = wide.empty() ? nullptr : CreateDesktopFont(look_.font, wide);
            if (font) {
                HGDIOBJ old = SelectObject(dc, font);
                SetTextColor(dc, look_.colors.text);
                SetBkColor(dc, background);
                const int x = shape_.text.left, y = shape_.text.top, n = static_cast<int>(wide.size());
                if (look_.shadow) {
                    SetTextColor(dc, look_.colors.shadow);
                    TextOutW(dc, x + 1, y + 1, wide.c_str(), n);
                    SetBkMode(dc, TRANSPARENT);
                    TextOutW(dc, x, y + 1, wide.c_str(), n);
                    TextOutW(dc, x + 1, y, wide.c_str(), n);
                    SetTextColor(dc, look_.colors.text);
                }
                TextOutW(dc, x, y, wide.c_str(), n);
                SelectObject(dc, old);
                DeleteObject(font);
            }
        }
    }
    EndPaint(hwnd_, &ps);
}

void CIconWnd::OnLButtonDown(POINT at) {
    SetCapture(hwnd_);
    dragging_ = true;
    moved_ = false;
    dragStart_ = at;
}

void CIconWnd::OnMouseMove(WPARAM keys, POINT at) {
    if (!(keys & MK_LBUTTON)) return;
    if (!dragging_) {
        // The button went down elsewhere: the drag starts here.
        OnLButtonDown(at);
        return;
    }
    RECT r{};
    GetWindowRect(hwnd_, &r);
    const ScreenRect moved = DraggedWindow({r.left, r.top, r.right, r.bottom}, dragStart_.x, dragStart_.y, at.x, at.y,
                                           SnapWanted(), WorkArea());
    if (moved.left == r.left && moved.top == r.top) return;
    SetWindowPos(hwnd_, nullptr, moved.left, moved.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The file has a new place to keep from the first step on: the drop may never come (the
    // program exits while the button is held) or come after an exit already queued.
    if (!moved_) TellMoved();
    moved_ = true;
}

void CIconWnd::OnLButtonUp() {
    if (dragging_) EndDrag();
    if (GetCapture() == hwnd_) ReleaseCapture();
}

void CIconWnd::EndDrag() {
    dragging_ = false;
    // Not a click: the owner only learns that the stock file has a new position to keep.
    if (moved_) TellMoved();
    moved_ = false;
}

void CIconWnd::TellMoved() const {
    // Sent, not posted: a message already waiting in the queue (an exit) must find the file
    // marked changed. The owner only marks and logs, nothing that could pump messages.
    if (OwnerPresent()) SendMessageW(owner_, WM_APP_ICONWND_NOTIFY, ctrl_.TrayId(), kIconWndMoved);
}

LRESULT CIconWnd::OnNotify(const NMHDR& header) {
    if (header.hwndFrom != tooltip_ || (header.code != TTN_NEEDTEXTW && header.code != TTN_NEEDTEXTA)) return 0;
    const std::string tip = stock_ ? DesktopTipText(*stock_) : ctrl_.Tip().substr(0, kTipBufferSize - 1);
    const std::size_t n = std::min(tip.size(), kTipBufferSize - 1);
    std::copy(tip.begin(), tip.begin() + static_cast<std::ptrdiff_t>(n), g_tipBuffer);
    g_tipBuffer[n] = '\0';
    if (header.code == TTN_NEEDTEXTA) {
        auto& info = *reinterpret_cast<NMTTDISPINFOA*>(const_cast<NMHDR*>(&header));
        info.lpszText = g_tipBuffer;
    } else {
        const std::wstring wide = Wide(g_tipBuffer);
        const std::size_t w = std::min(wide.size(), kTipBufferSize - 1);
        std::copy(wide.begin(), wide.begin() + static_cast<std::ptrdiff_t>(w), g_tipBufferWide);
        g_tipBufferWide[w] = L'\0';
        auto& info = *reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(&header));
        info.lpszText = g_tipBufferWide;
    }
    return 0;
}

void CIconWnd::OnPositionChanged(const WINDOWPOS& pos) {
    if (pos.flags & SWP_NOMOVE) return;
    last_ = POINT{pos.x, pos.y};
    // The stock file records where the window is.
    if (stock_ && created_) {
        stock_->desktopLeft = pos.x;
        stock_->desktopTop = pos.y;
    }
}

void CIconWnd::OnDestroy() {
    last_ = GetPosition();
    if (tooltip_) DestroyWindow(tooltip_);
    tooltip_ = nullptr;
    created_ = false;
}

// ---- The shell's desktop windows ----

std::unique_ptr<DesktopIconWindow> Win32IconShell::CreateDesktopWindow(CStockIconCtrl& ctrl) {
    // Only stocks have a place on the desktop: the stock file keeps it.
    auto* stock = dynamic_cast<CStockMan*>(&ctrl);
    if (!look_ || !stock) return nullptr;
    // A position from another screen layout (a monitor that is gone) is brought back into view.
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int right = left + GetSystemMetrics(SM_CXVIRTUALSCREEN), bottom = top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    int x = stock->desktopLeft, y = stock->desktopTop;
    if (right - left > kIconSize && bottom - top > kIconSize) {
        x = std::clamp(x, left, right - kIconSize);
        y = std::clamp(y, top, bottom - kIconSize);
    }
    auto window = std::make_unique<CIconWnd>(ctrl, *look_);
    if (!window->Create(x, y, kIconSize, kIconSize)) return nullptr;
    return window;
}

}  // namespace quotrix
