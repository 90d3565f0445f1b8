// The window-system side of a shown icon, kept behind small interfaces so that the icon state
// (CStockIconCtrl) stays portable: the notification-area calls, and the stock's desktop window.
//
// Windows installs its implementation at start (icons/win32); without one every call fails, which
// leaves the icons hidden. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace quotrix {

class CStockIconCtrl;

// One notification-area icon as the shell is told about it.
struct TrayIcon {
    void* owner = nullptr;  // HWND that receives WM_APP_TRAY_NOTIFY
    std::uint32_t id = 0;
    void* icon = nullptr;              // HICON
    const std::string* tip = nullptr;  // Shift-JIS; the shell side cuts it to its limits
    bool balloon = false;              // show the tip as a balloon
};

enum class TrayOp { Add, Modify, Delete };

// The desktop window of one icon (CIconWnd implements it on Windows).
class DesktopIconWindow {
  public:
    virtual ~DesktopIconWindow() = default;
    virtual void SetOwner(void* owner) = 0;
    virtual bool IsVisible() const = 0;
    virtual void ActivateTip() = 0;
    virtual void UpdateTip() = 0;
    // Hands the icon over and recomputes the window region.
    virtual void SetIcon(void* icon) = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual void Repaint() = 0;
};

class IconShell {
  public:
    virtual ~IconShell() = default;
    virtual bool Tray(TrayOp op, const TrayIcon& icon) = 0;
    // A hidden desktop window at 0, 0 with a 16 x 16 client area, or none.
    virtual std::unique_ptr<DesktopIconWindow> CreateDesktopWindow(CStockIconCtrl& ctrl) { return nullptr; }
};

// The shell the icon controls use; never null (a shell that refuses everything until one is set).
IconShell& CurrentIconShell();
// Installs `shell` (not owned; null restores the refusing one) and answers the previous one.
IconShell* SetIconShell(IconShell* shell);

}  // namespace quotrix
