#include "icons/win32/IconImages.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "icons/PriceBar.h"
#include "log/ErrLog.h"
#include "model/Stock.h"
#include "platform/Messages.h"
#include "platform/win32/WinText.h"
#include "resources/resource.h"

namespace quotrix {

namespace {

constexpr int kIconSize = 16;
constexpr int kDesignWidth = 128;
constexpr UINT kStripIds[3] = {IDB_ARROWS_TYPE0, IDB_ARROWS_TYPE1, IDB_ARROWS_TYPE2};

// Handles in log lines are printed as 32-bit numbers.
unsigned Hex(const void* handle) { return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(handle)); }

HBITMAP LoadResourceBitmap(HINSTANCE resources, UINT id) {
    return static_cast<HBITMAP>(LoadImageW(resources, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

bool AddStrip(HIMAGELIST list, HBITMAP strip) {
    if (!strip) return false;
    const bool added = ImageList_AddMasked(list, strip, kIconMaskColor) >= 0;
    DeleteObject(strip);
    return added;
}

}  // namespace

HBITMAP LoadArrowDesign(const std::string& path) {
    if (path.empty()) return nullptr;
    auto* bitmap = static_cast<HBITMAP>(
        LoadImageW(nullptr, Wide(path).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bitmap) return nullptr;
    BITMAP info{};
    if (GetObjectW(bitmap, sizeof info, &info) != sizeof info || info.bmWidth != kDesignWidth ||
        std::abs(info.bmHeight) != kIconSize) {
        DeleteObject(bitmap);
        return nullptr;
    }
    return bitmap;
}

IconImageList::~IconImageList() {
    if (list_) ImageList_Destroy(list_);
}

bool IconImageList::Build(HINSTANCE resources, std::int32_t arrowType, const std::string& designFile) {
    if (arrowType < 0 || arrowType > 3) arrowType = 0;
    HIMAGELIST list = ImageList_Create(kIconSize, kIconSize, ILC_COLOR8 | ILC_MASK, 0, 2);
    if (!list) {
        AppLog().Log(LOG_ERR, "ImageList_Create failure");
        return false;
    }
    if (!AddStrip(list, LoadResourceBitmap(resources, IDB_MARKS))) {
        AppLog().Log(LOG_ERR, "Image list: bitmap %d failure", IDB_MARKS);
        ImageList_Destroy(list);
        return false;
    }
    bool design = false;
    if (arrowType == 3) {
        design = AddStrip(list, LoadArrowDesign(designFile));
        if (!design) {
            AppLog().Log(LOG_INT, "Arrow design file rejected: %s", designFile.c_str());
            ImageList_SetImageCount(list, kMarkImages);
        }
    }
    if (!design && !AddStrip(list, LoadResourceBitmap(resources, kStripIds[arrowType == 3 ? 0 : arrowType]))) {
        // Without arrows the list is of no use: the old one stays.
        AppLog().Log(LOG_ERR, "Image list: arrow strip %d failure", static_cast<int>(arrowType));
        ImageList_Destroy(list);
        return false;
    }
    if (list_) ImageList_Destroy(list_);
    list_ = list;
    usesDesign_ = design;
    ImageList_SetBkColor(list_, bkColor_);
    return true;
}

void IconImageList::SetBkColor(COLORREF color) {
    bkColor_ = color;
    if (list_) ImageList_SetBkColor(list_, color);
}

void* IconImageList::Compose(IconCode code) {
    const int base = static_cast<int>(IconBase(code));
    const int first = static_cast<int>(IconOverlay1(code));
    const int second = static_cast<int>(IconOverlay2(code));
    HICON icon = nullptr;
    if (second != static_cast<int>(kNoOverlay)) {
        HIMAGELIST merged = ImageList_Merge(list_, base, list_, first, 0, 0);
        HIMAGELIST twice = merged ? ImageList_Merge(merged, 0, list_, second, 0, 0) : nullptr;
        if (twice) icon = ImageList_GetIcon(twice, 0, ILD_NORMAL);
        if (twice) ImageList_Destroy(twice);
        if (merged) ImageList_Destroy(merged);
        if (!icon)
            AppLog().Log(LOG_ERR, "ExtractIcon failure: HANDLE=0x%08x, idx=%d, flg1=%d, flg2=%d", Hex(list_), base,
                         first, second);
    } else if (first == static_cast<int>(kNoOverlay)) {
        icon = ImageList_GetIcon(list_, base, ILD_NORMAL);
        if (!icon) AppLog().Log(LOG_ERR, "ExtractIcon failure: HANDLE=0x%08x, idx=%d", Hex(list_), base);
    } else {
        HIMAGELIST merged = ImageList_Merge(list_, base, list_, first, 0, 0);
        if (merged) {
            icon = ImageList_GetIcon(merged, 0, ILD_NORMAL);
            ImageList_Destroy(merged);
        }
        if (!icon) AppLog().Log(LOG_ERR, "ExtractIcon failure: HANDLE=0x%08x, idx=%d, flg=%d", Hex(list_), base, first);
    }
    return icon;
}

void IconImageList::Destroy(void* icon) {
    if (icon) DestroyIcon(static_cast<HICON>(icon));
}

bool BuildImageList(IconImageList& images, IconCache& cache, HINSTANCE resources, std::int32_t arrowType,
                    const std::string& designFile) {
    if (!images.Build(resources, arrowType, designFile)) return false;
    cache.Rebuild();
    return true;
}

// ---- Notification area ----

namespace {

NotifyIconFunction g_notify = &Shell_NotifyIconW;

constexpr std::size_t kTipMax = 127;
constexpr std::size_t kBalloonTitleMax = 63;
constexpr std::size_t kBalloonTextMax = 254;

void CopyCut(wchar_t* target, const std::wstring& text, std::size_t max) {
    std::size_t n = std::min(text.size(), max);
    // A cut between the halves of a surrogate pair would leave half a character.
    if (n < text.size() && n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), target);
    target[n] = L'\0';
}

}  // namespace

NotifyIconFunction SetNotifyIconFunction(NotifyIconFunction function) {
    NotifyIconFunction previous = g_notify;
    g_notify = function ? function : &Shell_NotifyIconW;
    return previous;
}

void FillNotifyIconData(const TrayIcon& icon, NOTIFYICONDATAW& data) {
    data = NOTIFYICONDATAW{};
    data.cbSize = NOTIFYICONDATAW_V2_SIZE;
    data.hWnd = static_cast<HWND>(icon.owner);
    data.uID = icon.id;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_APP_TRAY_NOTIFY;
    data.hIcon = static_cast<HICON>(icon.icon);
    const std::wstring tip = icon.tip ? Wide(*icon.tip) : std::wstring();
    CopyCut(data.szTip, tip, kTipMax);
    if (!icon.balloon) return;
    data.uFlags |= NIF_INFO;
    // The first line is the balloon's title, the rest its text. A one-line tip becomes the text:
    // a balloon without text is not shown at all.
    const std::size_t lineFeed = tip.find(L'\n');
    if (lineFeed == std::wstring::npos) {
        CopyCut(data.szInfo, tip, kBalloonTextMax);
    } else {
        std::wstring title = tip.substr(0, lineFeed);
        if (!title.empty() && title.back() == L'\r') title.pop_back();
        CopyCut(data.szInfoTitle, title, kBalloonTitleMax);
        CopyCut(data.szInfo, tip.substr(lineFeed + 1), kBalloonTextMax);
    }
    data.uTimeout = 20000;
    data.dwInfoFlags = NIIF_INFO;
}

bool Win32IconShell::Tray(TrayOp op, const TrayIcon& icon) {
    NOTIFYICONDATAW data;
    FillNotifyIconData(icon, data);
    const DWORD message = op == TrayOp::Add ? NIM_ADD : op == TrayOp::Modify ? NIM_MODIFY : NIM_DELETE;
    return g_notify(message, &data) != FALSE;
}

// ---- Price bar ----

HICON PriceBarIcon(const CBasicStock& stock, int w) {
    w = std::max(w, 1);
    const int width = PriceBarWidth(w);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    if (!dc) {
        AppLog().Log(LOG_ERR, "CreateCompatibleDC HANDLE=0x%08x = null", Hex(screen));
        ReleaseDC(nullptr, screen);
        return nullptr;
    }
    HBITMAP color = CreateCompatibleBitmap(screen, width, kPriceBarHeight);
    if (!color) AppLog().Log(LOG_ERR, "CreateCompatibleBitmap HANDLE=0x%08x = 0x%08x", Hex(screen), Hex(color));
    ReleaseDC(nullptr, screen);
    // All black: every pixel of the bar is opaque.
    const std::vector<WORD> zeros(static_cast<std::size_t>((width + 15) / 16) * kPriceBarHeight, 0);
    HBITMAP mask = CreateBitmap(width, kPriceBarHeight, 1, 1, zeros.data());
    if (!mask) AppLog().Log(LOG_ERR, "CreateCompatibleBitmap = 0x%08x", Hex(mask));
    if (!color || !mask) {
        if (color) DeleteObject(color);
        if (mask) DeleteObject(mask);
        DeleteDC(dc);
        return nullptr;
    }
    HGDIOBJ old = SelectObject(dc, color);
    for (const BarPaint& step : PriceBarLayout(stock, w)) {
        HBRUSH brush = CreateSolidBrush(step.color);
        if (!brush) {
            AppLog().Log(LOG_ERR, "CreateSolidBrush");
            continue;
        }
        const RECT rect{step.left, step.top, step.right, step.bottom};
        if (step.frame)
            FrameRect(dc, &rect, brush);
        else
            FillRect(dc, &rect, brush);
        DeleteObject(brush);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask;
    info.hbmColor = color;
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(color);
    DeleteObject(mask);
    return icon;
}

}  // namespace quotrix
