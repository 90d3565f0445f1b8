// A stock on the desktop: a small borderless window with the stock's icon and, beside it, its
// desktop text and price bar, shaped by a window region so that only those parts show, optionally
// translucent or with a see-through text background. The left button drags it, a double click
// and the right button act as on the stock's notification-area icon, hovering shows its tip.
//
// Ownership: the stock's icon control owns the window; the window points at its control, its
// stock (both outlive it: the stock destroys its window first) and the main window's DesktopLook.
// The icon belongs to the icon cache; the price bar picture belongs to the window. Main thread only.
#pragma once

#include <windows.h>

#include <string>

#include "icons/DesktopLook.h"
#include "icons/DesktopShape.h"
#include "icons/IconShell.h"
#include "platform/win32/ui/Wnd.h"

namespace quotrix {

class CStockIconCtrl;
class CStockMan;

// Sent to the owner (WM_APP_ICONWND_NOTIFY's lParam) when the user has dragged a window to a
// new place, which the stock file keeps.
inline constexpr LPARAM kIconWndMoved = WM_EXITSIZEMOVE;

class CIconWnd : public CWnd, public DesktopIconWindow {
  public:
    CIconWnd(CStockIconCtrl& ctrl, const DesktopLook& look);
    ~CIconWnd() override;

    // A hidden window at (x, y) with the icon's size, its tooltip, shape and transparency.
    bool Create(int x, int y, int iconWidth, int iconHeight);
    bool Created() const { return created_; }

    // DesktopIconWindow.
    void SetOwner(void* owner) override;
    bool IsVisible() const override;
    void ActivateTip() override;
    void UpdateTip() override;
    void SetIcon(void* icon) override;
    void Show() override;
    void Hide() override;
    void Repaint() override;

    // Re-measures the text, recomputes the region and re-applies transparency.
    void UpdateShape();
    // A new price bar picture (when the stock shows one), then UpdateShape and a repaint.
    void RefreshContent();
    void SetTopmost(bool topmost);
    // The screen position, or the last known one when the window is gone.
    POINT GetPosition() const;

    // What tests and the screenshot look at.
    HWND Tooltip() const { return tooltip_; }
    const DesktopShape& Shape() const { return shape_; }

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void OnPaint();
    void OnLButtonDown(POINT at);
    void OnMouseMove(WPARAM keys, POINT at);
    void OnLButtonUp();
    void EndDrag();
    LRESULT OnNotify(const NMHDR& header);
    void OnDestroy();
    void OnPositionChanged(const WINDOWPOS& pos);
    void ApplyTransparency();
    bool ApplyRegion();
    static ScreenRect WorkArea();
    void UpdateToolRects();
    bool OwnerPresent() const;
    bool SnapWanted() const;
    int Placement() const;
    bool ShowsPriceBar() const;
    std::string DesktopText() const;
    void Notify(LPARAM what) const;
    void TellMoved() const;

    CStockIconCtrl& ctrl_;
    CStockMan* stock_;  // null for a control that is not a stock's
    const DesktopLook& look_;
    HWND owner_ = nullptr;
    HWND tooltip_ = nullptr;
    bool created_ = false;
    bool dragging_ = false;
    bool moved_ = false;  // the current drag moved the window
    bool topmost_ = false;
    POINT dragStart_{};  // client coordinates
    HICON icon_ = nullptr;
    SIZE iconSize_{16, 16};
    HICON bar_ = nullptr;  // owned
    DesktopShape shape_;
    SIZE textSize_{};
    LayeredLook layered_;  // as applied
    bool layeredApplied_ = false;
    POINT last_{};  // kept when the window is destroyed
};

}  // namespace quotrix
