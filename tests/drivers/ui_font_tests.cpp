// The UI font seen from outside, under the locale the test runs in (a Japanese Windows, or a
// Western one with code page 1252): the face the start-up log names has the glyphs of every
// Japanese text of the about box and the stock menu, and those windows really draw their texts in
// it. Each window's pixels are searched for the text as this driver draws it in the logged face;
// empty boxes in place of the glyphs would not match.
#include <algorithm>
#include <climits>

#include "tests/drivers/driver_support.h"

namespace {

using namespace quotrix;
using namespace quotrix::driver;

constexpr UINT kAboutCommand = 33034;
constexpr UINT kPopupMenus = 232;

// Screenshots of both locales lie side by side.
std::string Shot(const char* name) { return std::string(name) + (GetACP() == 932 ? "_cp932" : "_cp1252"); }

// An ink mask: true where a pixel is dark (the texts are dark on a light ground).
struct Mask {
    int width = 0, height = 0;
    std::vector<bool> ink;
    bool At(int x, int y) const { return ink[static_cast<std::size_t>(y * width + x)]; }
};

bool Dark(std::uint32_t pixel) {
    const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    return r * 3 + g * 6 + b < 128 * 10;
}

Mask MaskOf(HDC source, int x, int y, int w, int h) {
    const std::vector<std::uint32_t> pixels = CopyPixels(source, x, y, w, h);
    Mask mask{w, h, std::vector<bool>(pixels.size())};
    for (std::size_t i = 0; i < pixels.size(); ++i) mask.ink[i] = Dark(pixels[i]);
    return mask;
}

// What a window shows on the screen now.
Mask WindowMask(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    HDC screen = GetDC(nullptr);
    Mask mask = MaskOf(screen, r.left, r.top, r.right - r.left, r.bottom - r.top);
    ReleaseDC(nullptr, screen);
    return mask;
}

// `text` drawn black on white in `font`, cut to its ink.
Mask TextMask(HFONT font, const std::wstring& text) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 40);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    HGDIOBJ oldFont = SelectObject(memory, font);
    RECT all{0, 0, 400, 40};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(memory, RGB(0, 0, 0));
    SetBkMode(memory, TRANSPARENT);
    RECT at{4, 4, 400, 40};
    DrawTextW(memory, text.c_str(), -1, &at, DT_SINGLELINE | DT_NOPREFIX);
    Mask whole = MaskOf(memory, 0, 0, 400, 40);
    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    int left = whole.width, top = whole.height, right = -1, bottom = -1;
    for (int y = 0; y < whole.height; ++y)
        for (int x = 0; x < whole.width; ++x)
            if (whole.At(x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    Mask cut{std::max(0, right - left + 1), std::max(0, bottom - top + 1), {}};
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) cut.ink.push_back(whole.At(x, y));
    return cut;
}

int InkOf(const Mask& mask) { return static_cast<int>(std::count(mask.ink.begin(), mask.ink.end(), true)); }

// The fewest differing pixels of `text` against any place of `window`.
int BestMatch(const Mask& window, const Mask& text) {
    int best = INT_MAX;
    for (int y = 0; y + text.height <= window.height; ++y)
        for (int x = 0; x + text.width <= window.width; ++x) {
            int differ = 0;
            for (int ty = 0; ty < text.height && differ < best; ++ty)
                for (int tx = 0; tx < text.width; ++tx) differ += text.At(tx, ty) != window.At(x + tx, y + ty);
            best = std::min(best, differ);
        }
    return best;
}

// Found: at most a twentieth of the text's ink differs (edge pixels blend into another ground).
bool Shows(const Mask& window, const Mask& text) {
    return InkOf(text) > 20 && BestMatch(window, text) <= std::max(3, InkOf(text) / 20);
}

bool HasGlyphs(HFONT font, const std::wstring& text) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    std::vector<WORD> glyphs(text.size() + 1);
    const DWORD done =
        GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, old);
    DeleteDC(dc);
    if (done == GDI_ERROR) return false;
    return std::find(glyphs.begin(), glyphs.begin() + static_cast<std::ptrdiff_t>(text.size()), 0xFFFF) ==
           glyphs.begin() + static_cast<std::ptrdiff_t>(text.size());
}

bool IsJapanese(const std::wstring& text) {
    // Kana, kanji and full-width forms; an icon control's text is its resource number after 0xFFFF.
    return std::any_of(text.begin(), text.end(),
                       [](wchar_t c) { return (c >= 0x3000 && c < 0xA000) || (c >= 0xFF00 && c < 0xFFF0); });
}

// The texts of popup `position` of menu 232 and its submenus, from the program file itself.
void MenuTexts(HMENU menu, std::vector<std::wstring>& texts) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        if (GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION) > 0) texts.push_back(text);
        if (HMENU sub = GetSubMenu(menu, i)) MenuTexts(sub, texts);
    }
}

class UiFont : public QuotrixRun {
  protected:
    // The face and charset of the start-up log's "UI font: %s (charset %d)".
    bool LoggedFont(std::wstring& face, int& charset) {
        if (!WaitForLog("UI font: ")) return false;
        const std::string log = Log();
        const std::size_t at = log.find("UI font: ") + 9;
        const std::size_t open = log.find(" (charset ", at);
        if (open == std::string::npos) return false;
        face = Wide(log.substr(at, open - at));
        charset = std::atoi(log.c_str() + open + 10);
        return true;
    }

    // The font the program makes: the message font's size and weight with the logged face.
    static HFONT MakeFont(const std::wstring& face) {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        LOGFONTW font = metrics.lfMessageFont;
        lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
        font.lfCharSet = SHIFTJIS_CHARSET;
        font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
        return CreateFontIndirectW(&font);
    }
};

TEST_F(UiFont, LoggedFaceHasTheGlyphsAndTheAboutBoxAndStockMenuDrawInIt) {
    const std::string path = WriteFile({"7203.t"});
    Child child;
    HWND main = StartQuotrix(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    std::wstring face;
    int charset = 0;
    ASSERT_TRUE(LoggedFont(face, charset)) << Log();
    EXPECT_EQ(charset, SHIFTJIS_CHARSET) << Narrow(face);
    HFONT font = MakeFont(face);
    ASSERT_NE(font, nullptr);

    // "あ" is a glyph of its own, not the box of a missing one (an unassigned code point).
    const Mask a = TextMask(font, L"あ");
    const Mask missing = TextMask(font, L"\x0378");
    EXPECT_GT(InkOf(a), 10);
    EXPECT_TRUE(a.width != missing.width || a.height != missing.height || a.ink != missing.ink);

    // The about box: every Japanese text of it has glyphs in the face, and the box draws in it.
    PostMessageW(main, WM_COMMAND, kAboutCommand, 0);
    HWND box = WaitForBox(child.pi.dwProcessId, L"免責事項");
    ASSERT_NE(box, nullptr);
    int japanese = 0;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const std::wstring text = TextOf(c);
        if (!IsJapanese(text)) continue;
        ++japanese;
        EXPECT_TRUE(HasGlyphs(font, text)) << Narrow(text);
    }
    EXPECT_GE(japanese, 7);
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(300);
    Screenshot(Shot("ui_font_about_box").c_str());
    const Mask about = WindowMask(box);
    EXPECT_TRUE(Shows(about, TextMask(font, L"本ソフトは、自己責任"))) << Narrow(face);
    EXPECT_TRUE(Shows(about, TextMask(font, L"表示されている株価"))) << Narrow(face);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitForBoxGone(child.pi.dwProcessId, L"免責事項"));

    // The stock menu: the texts of menu 232 as the program file holds them, and the menu's
    // pixels. "削除" is neither the bold default nor grayed.
    HMODULE program = LoadLibraryExW(g_quotrix.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    HMENU menus = LoadMenuW(program, MAKEINTRESOURCEW(kPopupMenus));
    ASSERT_NE(menus, nullptr);
    std::vector<std::wstring> texts;
    MenuTexts(menus, texts);
    DestroyMenu(menus);
    FreeLibrary(program);
    EXPECT_GE(texts.size(), 30u);
    for (std::wstring text : texts) {
        // A tab puts the shortcut in a column of its own; it is not drawn as a character.
        std::erase(text, L'\t');
        EXPECT_TRUE(HasGlyphs(font, text)) << Narrow(text);
    }

    ASSERT_TRUE(WaitForLog("[FILE] Stock "));
    HWND menu = OpenTrayMenu(main, child, static_cast<WPARAM>(StockIds().front()));
    ASSERT_NE(menu, nullptr);
    Sleep(300);
    Screenshot(Shot("ui_font_stock_menu").c_str());
    const Mask shown = WindowMask(menu);
    EXPECT_TRUE(Shows(shown, TextMask(font, L"削除"))) << Narrow(face);
    EXPECT_TRUE(Shows(shown, TextMask(font, L"非表示"))) << Narrow(face);
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitForMenuGone(child.pi.dwProcessId));

    DeleteObject(font);
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

}  // namespace
