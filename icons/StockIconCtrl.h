// The state of one shown icon (the application's, the version-up icon or a stock's): where it is
// requested to show, where it shows now, its tray id, its composed icon and tip. The window system
// is reached through IconShell, so this part stays portable and the stock model can carry it.
//
// Ownership: the control holds a counted reference on its IconCache entry (the HICON is the
// cache's) and owns its desktop window. Threads: main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace quotrix {

enum ShowState : std::uint8_t { SHOW_HIDDEN = 0, SHOW_TRAY = 1, SHOW_DESKTOP = 20 };

class DesktopIconWindow;
class IconCache;
struct IconCacheEntry;

class CStockIconCtrl {
  public:
    CStockIconCtrl();
    // With `createDesktopWindow`, asks the shell for a desktop window at once; otherwise the shell
    // is asked the first time the icon goes to the desktop. Without one the control goes on with
    // the notification area only.
    CStockIconCtrl(std::uint32_t trayId, bool createDesktopWindow);
    CStockIconCtrl(const CStockIconCtrl&) = delete;
    CStockIconCtrl& operator=(const CStockIconCtrl&) = delete;
    // Hides the icon, destroys the desktop window and lets go of the cache entry.
    virtual ~CStockIconCtrl();

    // The first icon of a control: hides what is shown, records the owner window, stores the tip
    // and applies the entry. False (and a log line) without an entry.
    bool SetFirstIcon(void* owner, IconCacheEntry* entry, const std::string& tip);
    // A new icon and tip, applied by the requested state. False (and a log line) without an entry.
    bool UpdateIcon(IconCacheEntry* entry, const std::string& tip);
    // Shows `entry` by the requested state and keeps it.
    bool ShowIconCtrlK(IconCacheEntry* entry);
    // Stores the tip and applies the entry; logs `failure` when there is none.
    bool ApplyTipAndEntry(IconCacheEntry* entry, const std::string& tip, const char* failure);
    // Requests a show state (0, 1 or 20); nothing happens when it is already requested and no
    // balloon is pending.
    bool SetShow(std::uint8_t state);
    // Shows the current icon by the requested state.
    bool ShowIconCtrl();
    bool SetTip(const std::string& tip);
    // The next notification-area update shows the tip as a balloon.
    void SetBalloon(bool on) { balloon_ = on ? 1 : 0; }
    bool BalloonPending() const { return balloon_ != 0; }
    // The cache lets go of the entry (the cache is cleared) or hands over a recomposed icon.
    void DropCacheEntry();
    void CacheIconChanged();

    std::uint32_t TrayId() const { return trayId_; }
    void SetTrayId(std::uint32_t id) { trayId_ = id; }
    std::uint8_t RequestedShow() const { return requestedShow_; }
    std::uint8_t CurrentShow() const { return currentShow_; }
    DesktopIconWindow* DesktopWindow() const { return desktopWnd_.get(); }
    const std::string& Tip() const { return tip_; }
    void* Owner() const { return owner_; }
    void* Icon() const { return icon_; }
    IconCacheEntry* CacheEntry() const { return cacheEntry_; }

  protected:
    // For derived classes whose desktop window looks at their own members: the window goes
    // before those members do.
    void DestroyDesktopWindow();

    std::uint8_t requestedShow_ = SHOW_TRAY;
    std::uint8_t currentShow_ = SHOW_HIDDEN;
    void* owner_ = nullptr;                 // the main window (HWND) that receives tray notifications
    IconCacheEntry* cacheEntry_ = nullptr;  // IconCache entry in use
    void* icon_ = nullptr;                  // its HICON
    std::uint8_t balloon_ = 0;              // show the next tip as a balloon
    std::uint32_t trayId_ = 0;
    std::string tip_;
    std::unique_ptr<DesktopIconWindow> desktopWnd_;

  private:
    friend class IconCache;
    bool Hide();
    bool ShowInTray();
    bool ShowOnDesktop();
    void RefreshDesktopTip();
    void KeepEntry(IconCacheEntry* entry);
};

}  // namespace quotrix
