#include "icons/DesktopShape.h"

#include <algorithm>

#include "icons/PriceBar.h"

namespace quotrix {

DesktopShape LayoutDesktopShape(const DesktopShapeInput& in) {
    DesktopShape shape;
    const bool withText = (in.placement == TEXT_RIGHT || in.placement == TEXT_LEFT) && in.ownerPresent;
    if (!withText) {
        shape.width = in.iconWidth;
        shape.height = in.iconHeight;
        return shape;
    }
    const int barWidth = PriceBarWidth(std::max(in.barSetting, 1));
    const int row = std::max({in.iconHeight, kPriceBarHeight, in.textHeight});
    shape.height = row;
    shape.iconY = (row - in.iconHeight) / 2;
    // Each part is centred by its own height: a text taller than the bar must not be cut off at
    // the bottom of the row.
    const int lineY = (row - kPriceBarHeight) / 2;
    const int textY = (row - in.textHeight) / 2;
    shape.barShown = in.priceBar;
    shape.textShown = true;
    if (in.placement == TEXT_RIGHT) {
        shape.iconX = 0;
        int textX = in.iconWidth + 1;
        if (in.priceBar) {
            shape.bar = {in.iconWidth + 1, lineY, in.iconWidth + 1 + barWidth, lineY + kPriceBarHeight};
            textX = shape.bar.right + 2;
        }
        shape.text = {textX, textY, textX + in.textWidth, textY + in.textHeight};
        shape.width = shape.text.right;
    } else {
        shape.text = {0, textY, in.textWidth, textY + in.textHeight};
        int iconX = in.textWidth + 1;
        if (in.priceBar) {
            shape.bar = {in.textWidth + 2, lineY, in.textWidth + 2 + barWidth, lineY + kPriceBarHeight};
            iconX = shape.bar.right + 1;
        }
        shape.iconX = iconX;
        shape.width = iconX + in.iconWidth;
    }
    return shape;
}

std::vector<ScreenRect> OpaqueRuns(const std::vector<bool>& opaque, int width, int height, int dx, int dy) {
    std::vector<ScreenRect> runs;
    auto at = [&](int x, int y) {
        const std::size_t i =
            static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
        return i < opaque.size() && opaque[i];
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width;) {
            if (!at(x, y)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && at(x, y)) ++x;
            runs.push_back({start + dx, y + dy, x + dx, y + dy + 1});
        }
    }
    return runs;
}

ScreenRect DraggedWindow(const ScreenRect& window, int startX, int startY, int cursorX, int cursorY, bool snap,
                         const ScreenRect& workArea) {
    const int dx = cursorX - startX, dy = cursorY - startY;
    ScreenRect moved{window.left + dx, window.top + dy, window.right + dx, window.bottom + dy};
    return snap ? SnapToWorkArea(moved, workArea) : moved;
}

}  // namespace quotrix
