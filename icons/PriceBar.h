// The price bar: a small picture of the day's range, open and price against the previous close,
// 2w + 3 by 10 pixels. The layout is portable; Windows paints it into an icon (PriceBarIcon).
//
// Colours are COLORREF values (0x00BBGGRR): rises blue, falls red. Pure functions, any thread.
#pragma once

#include <cstdint>
#include <vector>

namespace quotrix {

struct CBasicStock;

inline constexpr int kPriceBarHeight = 10;
inline constexpr int kDefaultPriceBarSetting = 20;

// One painting step: a filled rectangle, or a one-pixel frame. Right and bottom are excluded.
struct BarPaint {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    std::uint32_t color = 0;
    bool frame = false;
};

constexpr int PriceBarWidth(int setting) { return 2 * setting + 3; }

// The painting steps, in order, for bar setting `w` (at least 1).
std::vector<BarPaint> PriceBarLayout(const CBasicStock& stock, int w);
// The pixels (row by row, COLORREF) the steps give; for checks and previews.
std::vector<std::uint32_t> RenderPriceBar(const std::vector<BarPaint>& steps, int width, int height);

}  // namespace quotrix
