// The Win32 side of the icons: the icon image list (16 x 16, 8-bit colour with the mask colour
// 0xC0C0C0) with its arrow strips, the composition of cached icons, the notification-area calls
// and the price bar icon.
//
// Ownership: IconImageList owns its image list; composed HICONs belong to the IconCache, the
// price bar icon to the caller (DestroyIcon). Main thread only.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "icons/DesktopLook.h"
#include "icons/IconCache.h"
#include "icons/IconShell.h"

namespace quotrix {

struct CBasicStock;

inline constexpr COLORREF kIconMaskColor = RGB(192, 192, 192);

class IconImageList : public IconComposer {
  public:
    IconImageList() = default;
    IconImageList(const IconImageList&) = delete;
    IconImageList& operator=(const IconImageList&) = delete;
    ~IconImageList() override;

    // A new list with bitmap 150 and the arrow strip of `arrowType` (a user's design file for type
    // 3, type 0's strip when that file is not a 128 x 16 bitmap). The old list stays when it fails.
    bool Build(HINSTANCE resources, std::int32_t arrowType, const std::string& designFile);
    HIMAGELIST Handle() const { return list_; }
    // True when the last Build took the user's design file.
    bool UsesDesignFile() const { return usesDesign_; }
    // The portfolio background; kept across rebuilds.
    void SetBkColor(COLORREF color);

    void* Compose(IconCode code) override;
    void Destroy(void* icon) override;

  private:
    HIMAGELIST list_ = nullptr;
    COLORREF bkColor_ = CLR_NONE;
    bool usesDesign_ = false;
};

// Builds the list for the arrow type and, on success, recomposes every cached icon so that the
// shown icons take the new pictures.
bool BuildImageList(IconImageList& images, IconCache& cache, HINSTANCE resources, std::int32_t arrowType,
                    const std::string& designFile);

// A design file is a bitmap file of exactly 128 x 16 pixels; null otherwise.
HBITMAP LoadArrowDesign(const std::string& path);

// The notification area through Shell_NotifyIconW (Windows 2000 layout); tips are cut to 127
// characters, balloon titles to 63 and balloon texts to 254.
class Win32IconShell : public IconShell {
  public:
    bool Tray(TrayOp op, const TrayIcon& icon) override;
    // Stocks get desktop windows (CIconWnd, icons/win32/IconWnd.cpp) drawn with `look`, which the
    // caller keeps; none until a look is set.
    void SetDesktopLook(const DesktopLook* look) { look_ = look; }
    std::unique_ptr<DesktopIconWindow> CreateDesktopWindow(CStockIconCtrl& ctrl) override;

  private:
    const DesktopLook* look_ = nullptr;
};

// Fills the structure one tray call passes.
void FillNotifyIconData(const TrayIcon& icon, NOTIFYICONDATAW& data);

// The function the tray calls go through; tests put a recorder in front of the shell.
using NotifyIconFunction = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAW data);
NotifyIconFunction SetNotifyIconFunction(NotifyIconFunction function);

// The price bar of a stock as an opaque icon of 2w + 3 by 10 pixels; null when it cannot be drawn
// (logged).
HICON PriceBarIcon(const CBasicStock& stock, int w);

}  // namespace quotrix
