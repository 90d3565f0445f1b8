// The portable half of the desktop icon windows: colours, layered flags, the shape of each text
// placement, the icon mask's row runs and dragging.
#include <gtest/gtest.h>

#include "icons/DesktopColors.h"
#include "icons/DesktopLook.h"
#include "icons/DesktopShape.h"
#include "model/StockMan.h"

namespace quotrix {
namespace {

TEST(DesktopColors, DarkTestAndTheChoicesItMakes) {
    // 2R + 4G + B: 896 is still dark, 897 is light.
    EXPECT_TRUE(IsDarkColor(0x000000));
    EXPECT_TRUE(IsDarkColor(0x0000C0 | (0x20 << 8) | (0x00 << 16)));   // 384 + 128 = 512
    EXPECT_TRUE(IsDarkColor(0x000080 | (0x80 << 8) | (0x80 << 16)));   // 256 + 512 + 128 = 896
    EXPECT_FALSE(IsDarkColor(0x000080 | (0x80 << 8) | (0x81 << 16)));  // 897
    EXPECT_FALSE(IsDarkColor(0xFFFFFF));
    // Green weighs most: pure green is light, pure blue dark.
    EXPECT_FALSE(IsDarkColor(0x00FF00));
    EXPECT_TRUE(IsDarkColor(0xFF0000));

    // Unconfigured: white with a near-black shadow on a dark desktop, the reverse on a light one.
    EXPECT_EQ(ChooseDesktopTextColors(0x808000, false, 0x123456), (DesktopTextColors{0xFFFFFF, 0x050505}));
    EXPECT_EQ(ChooseDesktopTextColors(0xC0C0C0, false, 0x123456), (DesktopTextColors{0x000000, 0xFAFAFA}));
    // Configured: the user's colour, shadowed by its own darkness.
    EXPECT_EQ(ChooseDesktopTextColors(0x000000, true, 0x00FFFF), (DesktopTextColors{0x00FFFF, 0x050505}));
    EXPECT_EQ(ChooseDesktopTextColors(0xFFFFFF, true, 0x400000), (DesktopTextColors{0x400000, 0xFAFAFA}));
    // A shadow in exactly the desktop colour would vanish with the keyed background.
    EXPECT_EQ(ChooseDesktopTextColors(0xFAFAFA, false, 0).shadow, 0xFAFAFBu);
    EXPECT_EQ(ChooseDesktopTextColors(0x050505, false, 0).shadow, 0x050506u);
    // A window keying out its own background (the portfolio): the text follows the desktop, the
    // shadow moves off the key colour, and a desktop of the shadow's colour no longer matters.
    EXPECT_EQ(ChooseDesktopTextColors(0xC0C0C0, false, 0, 0xFAFAFA), (DesktopTextColors{0x000000, 0xFAFAFB}));
    EXPECT_EQ(ChooseDesktopTextColors(0xFAFAFA, false, 0, 0xE1FFFF), (DesktopTextColors{0x000000, 0xFAFAFA}));
    EXPECT_EQ(ChooseDesktopTextColors(0x202020, true, 0x00FFFF, 0x050505).shadow, 0x050506u);
}

TEST(DesktopColors, LayeredFlagsAndShadow) {
    EXPECT_EQ(LayeredFlags({255, false}), 0u);
    EXPECT_EQ(LayeredFlags({254, false}), kLayeredAlpha);
    EXPECT_EQ(LayeredFlags({255, true}), kLayeredColorKey);
    EXPECT_EQ(LayeredFlags({128, true}), kLayeredAlpha | kLayeredColorKey);
    // No shadow on an opaque text background, whatever the option says.
    EXPECT_TRUE(DrawsTextShadow(true, true));
    EXPECT_FALSE(DrawsTextShadow(true, false));
    EXPECT_FALSE(DrawsTextShadow(false, true));
}

TEST(DesktopLook, FromTheFlagWords) {
    AppSettings s;
    s.alphaVal = 100;
    s.boolFlags1 = BF1_DESKTOP_TRANSLUCENT | BF1_DESKTOP_TOPMOST;
    s.boolFlags2 = 0;
    DesktopLook look = DesktopLookFrom(s, 0x01808000);  // the high byte is not a colour
    EXPECT_EQ(look.desktopColor, 0x808000u);
    EXPECT_EQ(look.layered, (LayeredLook{100, false}));
    EXPECT_TRUE(look.topmost);
    EXPECT_FALSE(look.snap);
    EXPECT_FALSE(look.shadow);  // the background is opaque
    EXPECT_EQ(look.colors.text, 0xFFFFFFu);

    s.boolFlags1 = BF1_DESKTOP_TRANSPARENT_TEXT | BF1_DESKTOP_SNAP;
    look = DesktopLookFrom(s, 0xE0E0E0);
    EXPECT_EQ(look.layered, (LayeredLook{255, true}));
    EXPECT_TRUE(look.snap);
    EXPECT_TRUE(look.shadow);
    EXPECT_EQ(look.colors, (DesktopTextColors{0, 0xFAFAFA}));
    s.boolFlags2 = BF2_NO_TEXT_SHADOW;
    EXPECT_FALSE(DesktopLookFrom(s, 0xE0E0E0).shadow);
    // A configured desktop font brings its colour.
    s.boolFlags2 = BF2_DESKTOP_FONT;
    s.dskFontColor = 0x0000FF;
    EXPECT_EQ(DesktopLookFrom(s, 0xE0E0E0).colors.text, 0x0000FFu);
}

DesktopShapeInput Input(int placement, bool bar, int textWidth = 60, int textHeight = 12) {
    DesktopShapeInput in;
    in.placement = placement;
    in.textWidth = textWidth;
    in.textHeight = textHeight;
    in.priceBar = bar;
    in.barSetting = 20;  // 43 pixels wide
    return in;
}

TEST(DesktopShape, IconOnlyForPlacementZeroOrWithoutTheMainWindow) {
    const DesktopShape alone = LayoutDesktopShape(Input(TEXT_NONE, true));
    EXPECT_EQ(alone.width, 16);
    EXPECT_EQ(alone.height, 16);
    EXPECT_EQ(alone.iconX, 0);
    EXPECT_FALSE(alone.textShown);
    EXPECT_FALSE(alone.barShown);
    DesktopShapeInput orphan = Input(TEXT_RIGHT, false);
    orphan.ownerPresent = false;
    EXPECT_EQ(LayoutDesktopShape(orphan), alone);
    EXPECT_EQ(LayoutDesktopShape(Input(7, false)), alone);  // an unknown placement
}

TEST(DesktopShape, TextRightOfTheIcon) {
    DesktopShape s = LayoutDesktopShape(Input(TEXT_RIGHT, false));
    EXPECT_EQ(s.iconX, 0);
    EXPECT_EQ(s.iconY, 0);
    EXPECT_EQ(s.text, (ScreenRect{17, 2, 77, 14}));
    EXPECT_EQ(s.width, 77);
    EXPECT_EQ(s.height, 16);

    // With the bar: icon, bar one pixel right of it, text two pixels right of the bar.
    s = LayoutDesktopShape(Input(TEXT_RIGHT, true));
    EXPECT_TRUE(s.barShown);
    EXPECT_EQ(s.bar, (ScreenRect{17, 3, 60, 13}));
    EXPECT_EQ(s.text.left, 62);
    EXPECT_EQ(s.width, 122);
}

TEST(DesktopShape, TextLeftWithTheBarOrdersTextBarIcon) {
    DesktopShape s = LayoutDesktopShape(Input(TEXT_LEFT, true));
    EXPECT_EQ(s.text, (ScreenRect{0, 2, 60, 14}));
    EXPECT_EQ(s.bar, (ScreenRect{62, 3, 105, 13}));
    EXPECT_EQ(s.iconX, 106);
    EXPECT_LT(s.text.right, s.bar.left);
    EXPECT_LT(s.bar.right, s.iconX);
    EXPECT_EQ(s.width, 122);

    s = LayoutDesktopShape(Input(TEXT_LEFT, false));
    EXPECT_EQ(s.iconX, 61);
    EXPECT_EQ(s.width, 77);
}

TEST(DesktopShape, TallTextSetsTheRowAndEveryPartIsCentred) {
    const DesktopShape s = LayoutDesktopShape(Input(TEXT_RIGHT, true, 80, 21));
    EXPECT_EQ(s.height, 21);
    EXPECT_EQ(s.iconY, 2);
    EXPECT_EQ(s.bar.top, 5);
    // The whole text stays inside the row.
    EXPECT_EQ(s.text.top, 0);
    EXPECT_EQ(s.text.bottom, 21);
    // An empty text still leaves the icon and the bar their places.
    const DesktopShape empty = LayoutDesktopShape(Input(TEXT_LEFT, false, 0, 0));
    EXPECT_EQ(empty.iconX, 1);
    EXPECT_EQ(empty.width, 17);
    EXPECT_EQ(empty.height, 16);
}

TEST(DesktopShape, OpaqueRunsOfTheMask) {
    // 4 x 3: a row with two runs, an empty row, a full row.
    const std::vector<bool> mask = {true,  false, true,  true,   //
                                    false, false, false, false,  //
                                    true,  true,  true,  true};
    const std::vector<ScreenRect> runs = OpaqueRuns(mask, 4, 3, 10, 20);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0], (ScreenRect{10, 20, 11, 21}));
    EXPECT_EQ(runs[1], (ScreenRect{12, 20, 14, 21}));
    EXPECT_EQ(runs[2], (ScreenRect{10, 22, 14, 23}));
    // A short mask is transparent where it has no flags.
    EXPECT_EQ(OpaqueRuns({true}, 16, 16, 0, 0).size(), 1u);
    EXPECT_TRUE(OpaqueRuns({}, 16, 16, 0, 0).empty());
}

TEST(DesktopShape, DragMovesByTheCursorOffsetAndSnaps) {
    const ScreenRect work{0, 0, 800, 570};
    const ScreenRect window{300, 300, 380, 316};
    // Grabbed at (5, 5), the cursor now at (25, -3): 20 right, 8 up.
    EXPECT_EQ(DraggedWindow(window, 5, 5, 25, -3, false, work), (ScreenRect{320, 292, 400, 308}));
    // Dropped 5 pixels below the top of the work area: it lands on the top.
    const ScreenRect toTop = DraggedWindow(window, 5, 5, 5, 5 - 295, true, work);
    EXPECT_EQ(toTop, (ScreenRect{300, 0, 380, 16}));
    EXPECT_EQ(DraggedWindow(window, 5, 5, 5, 5 - 295, false, work).top, 5);
}

TEST(DesktopShape, NewStocksTakeTheDefaultTextPlacement) {
    CStockDefaults defaults;
    defaults.desktopTxtMode = 2;
    CStockMan stock("7203.t", &defaults);
    EXPECT_EQ(stock.desktopTxtMode, 2);
    // A value out of range leaves the placement as it is.
    defaults.desktopTxtMode = 5;
    stock.ApplyDefaults(defaults);
    EXPECT_EQ(stock.desktopTxtMode, 2);
}

}  // namespace
}  // namespace quotrix
