// Snapping a window's rectangle to the edges of the work area, shared by the desktop icon
// windows and the portfolio window. Pure functions, any thread; pixels in screen coordinates.
#pragma once

namespace quotrix {

// Right and bottom are excluded, as in a Win32 RECT.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const ScreenRect&) const = default;
};

// An edge within this many pixels (absolute distance) of a work-area edge snaps to it.
inline constexpr int kSnapDistance = 8;

// Vertically first, then horizontally; each way the first of four cases that applies: the near
// edge onto the near edge, the far edge onto the far edge, then the window just outside either
// edge. The size never changes.
ScreenRect SnapToWorkArea(const ScreenRect& window, const ScreenRect& workArea);

}  // namespace quotrix
