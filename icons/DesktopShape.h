// The shape of a desktop icon window: where its icon, price bar and text go for each text
// placement, the window size they make, the row runs of the icon's opaque pixels that become its
// window region, and where a drag puts the window.
//
// Pixels; positions inside the window are client coordinates (the window has no frame), window
// rectangles are screen coordinates. Pure functions, any thread.
#pragma once

#include <cstdint>
#include <vector>

#include "icons/Snap.h"

namespace quotrix {

// Where the text goes beside the icon.
enum TextPlacement : std::uint8_t { TEXT_NONE = 0, TEXT_RIGHT = 1, TEXT_LEFT = 2 };

// DesktopTxtFlags bit 31: the price bar shows between the icon and the text.
inline constexpr std::uint32_t kDesktopPriceBar = 0x80000000u;

struct DesktopShapeInput {
    int placement = TEXT_RIGHT;  // TextPlacement; other values count as TEXT_NONE
    int iconWidth = 16;
    int iconHeight = 16;
    int textWidth = 0;  // the measured desktop text
    int textHeight = 0;
    bool priceBar = false;     // the stock shows its price bar
    int barSetting = 20;       // w of the 2w + 3 pixels wide bar
    bool ownerPresent = true;  // without the main window only the icon is shown
};

struct DesktopShape {
    int width = 0;  // the window's size
    int height = 0;
    int iconX = 0;
    int iconY = 0;
    bool textShown = false;
    ScreenRect text;  // client coordinates; empty when no text is shown
    bool barShown = false;
    ScreenRect bar;

    bool operator==(const DesktopShape&) const = default;
};

DesktopShape LayoutDesktopShape(const DesktopShapeInput& in);

// The opaque pixels of an icon as one rectangle per run of opaque pixels in a row, offset by
// (dx, dy). `opaque` holds width x height flags, row by row from the top; a shorter vector counts
// the missing pixels as transparent.
std::vector<ScreenRect> OpaqueRuns(const std::vector<bool>& opaque, int width, int height, int dx, int dy);

// A drag in progress: the window at `window`, grabbed at client point (startX, startY), the cursor
// now at client point (cursorX, cursorY). The window moves by the cursor's offset from the grab
// point and, when `snap` is on, is then snapped to the work area.
ScreenRect DraggedWindow(const ScreenRect& window, int startX, int startY, int cursorX, int cursorY, bool snap,
                         const ScreenRect& workArea);

}  // namespace quotrix
