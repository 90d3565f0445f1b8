#include "icons/Snap.h"

#include <cstdlib>

namespace quotrix {

namespace {

bool Near(int a, int b) { return std::abs(a - b) <= kSnapDistance; }

// One axis: returns the new start of a span [start, start + size) against [lo, hi).
int SnapSpan(int start, int size, int lo, int hi) {
    int end = start + size;
    if (Near(start, lo)) return lo;
    if (Near(end, hi)) return hi - size;
    if (Near(end, lo)) return lo - size;
    if (Near(start, hi)) return hi;
    return start;
}

}  // namespace

ScreenRect SnapToWorkArea(const ScreenRect& window, const ScreenRect& workArea) {
    int w = window.Width();
    int h = window.Height();
    int top = SnapSpan(window.top, h, workArea.top, workArea.bottom);
    int left = SnapSpan(window.left, w, workArea.left, workArea.right);
    return {left, top, left + w, top + h};
}

}  // namespace quotrix
