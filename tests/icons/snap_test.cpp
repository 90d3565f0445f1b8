#include "icons/Snap.h"

#include <gtest/gtest.h>

namespace quotrix {
namespace {

const ScreenRect kWork{0, 0, 1000, 700};

ScreenRect At(int left, int top) { return {left, top, left + 100, top + 50}; }

TEST(Snap, EachVerticalCaseInItsOrder) {
    EXPECT_EQ(SnapToWorkArea(At(300, 5), kWork), At(300, 0));      // top onto the top
    EXPECT_EQ(SnapToWorkArea(At(300, -8), kWork), At(300, 0));     // 8 away still snaps
    EXPECT_EQ(SnapToWorkArea(At(300, 656), kWork), At(300, 650));  // bottom onto the bottom
    EXPECT_EQ(SnapToWorkArea(At(300, -45), kWork), At(300, -50));  // bottom onto the top: above it
    EXPECT_EQ(SnapToWorkArea(At(300, 695), kWork), At(300, 700));  // top onto the bottom: below it
    EXPECT_EQ(SnapToWorkArea(At(300, 9), kWork), At(300, 9));      // 9 away does not
    // A window as tall as the work area: the top case wins over the bottom one.
    EXPECT_EQ(SnapToWorkArea({300, 3, 400, 703}, kWork), (ScreenRect{300, 0, 400, 700}));
}

TEST(Snap, EachHorizontalCaseAndBothAxesTogether) {
    EXPECT_EQ(SnapToWorkArea(At(7, 300), kWork), At(0, 300));
    EXPECT_EQ(SnapToWorkArea(At(895, 300), kWork), At(900, 300));
    EXPECT_EQ(SnapToWorkArea(At(-96, 300), kWork), At(-100, 300));
    EXPECT_EQ(SnapToWorkArea(At(1004, 300), kWork), At(1000, 300));
    EXPECT_EQ(SnapToWorkArea(At(891, 300), kWork), At(891, 300));  // right edge 9 away
    EXPECT_EQ(SnapToWorkArea(At(892, 300), kWork), At(900, 300));  // 8 away does
    EXPECT_EQ(SnapToWorkArea(At(-3, 653), kWork), At(0, 650));
    // A work area that does not start at 0 (a taskbar on the left or top).
    EXPECT_EQ(SnapToWorkArea(At(45, 35), {40, 30, 1000, 700}), At(40, 30));
}

}  // namespace
}  // namespace quotrix
