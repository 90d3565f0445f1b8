#include "icons/PriceBar.h"

#include <algorithm>
#include <cstdlib>

#include "model/Stock.h"

namespace quotrix {

namespace {

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kInside = 0xFFF5E8;
constexpr std::uint32_t kRangeAbove = 0xFFC0B4;
constexpr std::uint32_t kRangeBelow = 0xDCC8FF;
constexpr std::uint32_t kOpenBelowStart = 0x9480FF;
constexpr std::uint32_t kOpenBelowStep = 0x0C0C00;
constexpr std::uint32_t kOpenAboveStart = 0xFF786C;
constexpr std::uint32_t kOpenAboveStep = 0x000C0C;
constexpr std::uint32_t kFall = 0x0000FF;
constexpr std::uint32_t kRise = 0xFF0000;
constexpr std::uint32_t kUnchanged = 0x646464;

// Deviations beyond a hundred billion yen only come from damaged data; bounding them keeps the
// arithmetic below inside 64 bits.
constexpr std::int64_t kMaxDeviation = 1000000000000000;

std::int64_t Bounded(std::int64_t v) { return std::clamp<std::int64_t>(v, -kMaxDeviation, kMaxDeviation); }

}  // namespace

std::vector<BarPaint> PriceBarLayout(const CBasicStock& s, int w) {
    w = std::max(w, 1);
    const int width = PriceBarWidth(w);
    const int c = w + 1;
    std::vector<BarPaint> steps;
    auto fill = [&](int left, int top, int right, int bottom, std::uint32_t color) {
        steps.push_back(BarPaint{left, top, right, bottom, color, false});
    };
    fill(0, 0, width, kPriceBarHeight, kBlack);
    steps.push_back(BarPaint{0, 0, width, kPriceBarHeight, kWhite, true});
    fill(1, 1, width - 1, kPriceBarHeight - 1, kInside);
    if (s.change == 0 && s.open == 0 && s.high == 0 && s.low == 0) return steps;

    const std::int64_t prev = Bounded(s.price) - Bounded(s.change);
    const std::int64_t high = Bounded(Bounded(s.high) - prev);
    const std::int64_t low = Bounded(Bounded(s.low) - prev);
    const std::int64_t open = Bounded(Bounded(s.open) - prev);
    const std::int64_t change = Bounded(s.change);
    const bool range = s.high != 0 || s.low != 0 || s.price <= 0;
    std::int64_t scale = range ? std::max({std::llabs(high), std::llabs(low), std::llabs(change)}) : std::llabs(change);
    scale = (scale + 90000) / 100000 * 100000;
    if (scale == 0) scale = 1;
    auto column = [&](std::int64_t deviation) {
        const std::int64_t offset = (w * deviation + scale - 1) / scale;
        return static_cast<int>(std::clamp<std::int64_t>(offset, -w, w));
    };
    int highCol = column(high);
    int lowCol = column(low);
    const int openCol = column(open);
    const int priceCol = column(change);
    if (lowCol > highCol) lowCol = highCol = 0;

    if (range) {
        if (lowCol >= 0) {
            fill(c + lowCol, 1, c + highCol + 1, 9, kRangeAbove);
        } else if (highCol <= 0) {
            fill(c + lowCol, 1, c + highCol + 1, 9, kRangeBelow);
        } else {
            fill(c + lowCol, 1, c, 9, kRangeBelow);
            fill(c + 1, 1, c + highCol + 1, 9, kRangeAbove);
        }
    }
    if (s.open != 0 && openCol != 0) {
        const bool below = open < 0;
        std::uint32_t color = below ? kOpenBelowStart : kOpenAboveStart;
        const std::uint32_t step = below ? kOpenBelowStep : kOpenAboveStep;
        const int x = c + openCol;
        fill(x, 1, x + 1, 3, color);
        for (int row = 3; row <= 7; ++row) {
            color += step;
            fill(x, row, x + 1, row + 1, color);
        }
    }
    if (change != 0) {
        const std::uint32_t color = change < 0 ? kFall : kRise;
        if (priceCol >= 0)
            fill(c, 3, c + priceCol + 1, 8, color);
        else
            fill(c + priceCol, 3, c + 1, 8, color);
        fill(c, 2, c + 1, 9, color);
    } else {
        fill(c, 2, c + 1, 9, kUnchanged);
    }
    return steps;
}

std::vector<std::uint32_t> RenderPriceBar(const std::vector<BarPaint>& steps, int width, int height) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, 0);
    auto put = [&](int x, int y, std::uint32_t color) {
        if (x >= 0 && x < width && y >= 0 && y < height) pixels[static_cast<std::size_t>(y) * width + x] = color;
    };
    for (const BarPaint& p : steps) {
        for (int y = p.top; y < p.bottom; ++y)
            for (int x = p.left; x < p.right; ++x)
                if (!p.frame || y == p.top || y == p.bottom - 1 || x == p.left || x == p.right - 1) put(x, y, p.color);
    }
    return pixels;
}

}  // namespace quotrix
