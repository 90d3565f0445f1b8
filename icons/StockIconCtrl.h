// The state of one shown icon (the application's, the version-up icon or a stock's): where it is
// requested to show, where it shows now, its tray id and tip. The Windows side composes and
// shows the icons; this part is portable so that the stock model can carry it.
//
// Threads: main thread only.
#pragma once

#include <cstdint>
#include <string>

namespace quotrix {

enum ShowState : std::uint8_t { SHOW_HIDDEN = 0, SHOW_TRAY = 1, SHOW_DESKTOP = 20 };

class CIconWnd;

class CStockIconCtrl {
  public:
    CStockIconCtrl() = default;
    CStockIconCtrl(const CStockIconCtrl&) = delete;
    CStockIconCtrl& operator=(const CStockIconCtrl&) = delete;
    virtual ~CStockIconCtrl() = default;

    std::uint32_t TrayId() const { return trayId_; }
    void SetTrayId(std::uint32_t id) { trayId_ = id; }
    ShowState RequestedShow() const { return requestedShow_; }
    ShowState CurrentShow() const { return currentShow_; }
    CIconWnd* DesktopWindow() const { return desktopWnd_; }
    const std::string& Tip() const { return tip_; }

  protected:
    ShowState requestedShow_ = SHOW_HIDDEN;
    ShowState currentShow_ = SHOW_HIDDEN;
    void* owner_ = nullptr;       // the main window (HWND) that receives tray notifications
    void* cacheEntry_ = nullptr;  // IconCache entry in use
    void* icon_ = nullptr;        // its HICON
    std::uint8_t balloon_ = 0;    // show the next tip as a balloon
    std::uint32_t trayId_ = 0;
    std::string tip_;
    CIconWnd* desktopWnd_ = nullptr;  // owned
};

}  // namespace quotrix
