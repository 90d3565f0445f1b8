// The UI font of the running process: a face with the Japanese glyphs of our labels, given to a
// dialog and its controls by the dialog base before the dialog's own initialisation.
#include "platform/win32/ui/UiFont.h"

#include <gtest/gtest.h>

#include "platform/win32/ui/Wnd.h"
#include "resources/resource.h"

namespace quotrix {
namespace {

TEST(UiFont, ChosenFaceHasTheJapaneseGlyphsAndTheMessageFontsSize) {
    const UiFontInfo& info = GetUiFontInfo();
    EXPECT_FALSE(info.face.empty());
    EXPECT_EQ(info.charset, SHIFTJIS_CHARSET);
    EXPECT_TRUE(FontHasGlyphs(GetUiFont(), L"本ソフトは、自己責任のもとで、使用してください。"));
    EXPECT_TRUE(FontHasGlyphs(GetUiBoldFont(), L"Webページを開く(&O)..."));
    // An unassigned code point has no glyph anywhere: the check can say no.
    EXPECT_FALSE(FontHasGlyphs(GetUiFont(), L"株\x0378"));
    EXPECT_FALSE(FontHasGlyphs(nullptr, L"a"));

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    EXPECT_EQ(info.logFont.lfHeight, metrics.lfMessageFont.lfHeight);
    LOGFONTW bold{};
    ASSERT_EQ(GetObjectW(GetUiBoldFont(), sizeof bold, &bold), static_cast<int>(sizeof bold));
    EXPECT_EQ(bold.lfWeight, FW_BOLD);
    EXPECT_STREQ(bold.lfFaceName, info.logFont.lfFaceName);
    // Made once: every ask answers the same fonts.
    EXPECT_EQ(GetUiFont(), GetUiFont());
    EXPECT_NE(GetUiFont(), GetUiBoldFont());
}

std::wstring ClassOf(HWND window) {
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    return name;
}

class FontWitness : public CDialog {
  public:
    FontWitness() : CDialog(IDD_ABOUTBOX) {}
    HFONT seenAtInit = nullptr;

  protected:
    BOOL OnInitDialog() override {
        seenAtInit = reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(hwnd_, IDC_ABOUT_VERSION), WM_GETFONT, 0, 0));
        return TRUE;
    }
};

TEST(UiFont, DialogBaseGivesEveryControlTheFontBeforeInitialisation) {
    FontWitness dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    HWND box = dialog.GetSafeHwnd();
    EXPECT_EQ(dialog.seenAtInit, GetUiFont());
    // Every control that shows a text; the icon has none.
    int controls = 0;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (ClassOf(c) == L"Static" && (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) continue;
        ++controls;
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0)), GetUiFont()) << controls;
    }
    EXPECT_GE(controls, 10);

    // A window made by hand gets it with its children; no window is no harm.
    HWND tip = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(tip, nullptr);
    ApplyUiFont(tip);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(tip, WM_GETFONT, 0, 0)), GetUiFont());
    DestroyWindow(tip);
    ApplyUiFont(nullptr);
}

}  // namespace
}  // namespace quotrix
