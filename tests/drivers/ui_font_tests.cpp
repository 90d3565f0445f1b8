// The UI font seen from outside, under the locale the test runs in (a Japanese Windows, or a
// Western one with code page 1252): the face the start-up log names has the glyphs of every
// Japanese text of the about box, the stock menu and the stock list manager's menu bar, and those
// windows really draw their texts in it. Each window's pixels are searched for the text as this
// driver draws it in the logged face; empty boxes in place of the glyphs would not match.
#include <algorithm>
#include <climits>

#include "tests/drivers/driver_support.h"

namespace {

using namespace quotrix;
using namespace quotrix::driver;

constexpr UINT kAboutCommand = 33034;
constexpr UINT kPopupMenus = 232;
constexpr UINT kManagerCommand = 33070;  // Ctrl+M of the main window
constexpr UINT kManagerMenu = 5001;
const wchar_t kManagerTitle[] = L"Quotrix! 登録銘柄マネージャ";
// The frame of the box a ticked menu item shows in its picture column.
constexpr COLORREF kCheckFrame = 0xC56A31;

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

// The part of a menu text before its "(&X)" letter mark: what a search of the pixels can find
// whether or not the letter is underlined at the moment.
std::wstring LabelOf(const std::wstring& text) { return text.substr(0, text.find(L'(')); }

// What the screen shows in `area` (screen co-ordinates).
Mask AreaMask(const RECT& area) {
    HDC screen = GetDC(nullptr);
    Mask mask = MaskOf(screen, area.left, area.top, area.right - area.left, area.bottom - area.top);
    ReleaseDC(nullptr, screen);
    return mask;
}

// Alt and `letter` pressed and let go, as a user reaches a menu-bar item by its letter.
void PressAlt(WORD letter) {
    INPUT keys[4] = {};
    for (INPUT& key : keys) key.type = INPUT_KEYBOARD;
    keys[0].ki.wVk = VK_MENU;
    keys[1].ki.wVk = letter;
    keys[2].ki.wVk = letter;
    keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
    keys[3].ki.wVk = VK_MENU;
    keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, keys, sizeof(INPUT));
}

void Press(WORD key) {
    INPUT keys[2] = {};
    for (INPUT& k : keys) k.type = INPUT_KEYBOARD;
    keys[0].ki.wVk = key;
    keys[1].ki.wVk = key;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
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

    // The drop-down the manager opens for Alt+`letter`, or nullptr. Injected keys reach the
    // foreground window's thread, and Wine now and then drops a first one.
    static HWND OpenByLetter(HWND manager, const Child& child, WORD letter) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            SetForegroundWindow(manager);
            for (DWORD waited = 0; waited < 3000 && GetForegroundWindow() != manager; waited += 100) Sleep(100);
            PressAlt(letter);
            if (HWND menu = WaitForMenu(child.pi.dwProcessId, 3000)) return menu;
            // A lone Alt leaves the bar selected without a drop-down.
            Press(VK_ESCAPE);
        }
        return nullptr;
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

// The stock list manager's menu bar and its drop-downs draw their items themselves in the UI
// font, and the "&" letters still reach them: Alt+F opens "ファイル", and Alt+V then G switches
// the grid lines, which the settings keep when the manager closes.
TEST_F(UiFont, ManagerMenuBarDrawsInTheFaceAndKeepsItsLetters) {
    SetDword(L"NewBoolean1", 0);
    const std::string path = WriteFile({"7203.t"});
    Child child;
    HWND main = StartQuotrix(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    const DWORD pid = child.pi.dwProcessId;
    std::wstring face;
    int charset = 0;
    ASSERT_TRUE(LoggedFont(face, charset)) << Log();
    HFONT font = MakeFont(face);
    ASSERT_NE(font, nullptr);

    // Every text of the manager's menu, as the program file holds it, has glyphs in the face.
    HMODULE program = LoadLibraryExW(g_quotrix.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    HMENU resource = LoadMenuW(program, MAKEINTRESOURCEW(kManagerMenu));
    ASSERT_NE(resource, nullptr);
    std::vector<std::wstring> barTexts, texts;
    for (int i = 0; i < GetMenuItemCount(resource); ++i) {
        wchar_t text[256] = {};
        GetMenuStringW(resource, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        barTexts.push_back(text);
    }
    MenuTexts(resource, texts);
    DestroyMenu(resource);
    FreeLibrary(program);
    ASSERT_EQ(barTexts.size(), 5u);
    EXPECT_GE(texts.size(), 30u);
    for (std::wstring text : texts) {
        std::erase(text, L'\t');
        EXPECT_TRUE(HasGlyphs(font, text)) << Narrow(text);
    }

    ASSERT_TRUE(WaitForLog("[FILE] Stock "));
    PostMessageW(main, WM_COMMAND, kManagerCommand, 0);
    HWND manager = WaitFor(pid, kWait, [](HWND h) { return TextOf(h) == kManagerTitle && IsWindowVisible(h); });
    ASSERT_NE(manager, nullptr);
    // The bar lies between the caption and the client area; every item shows its label in the
    // face. Where the system's menu font has no glyphs for them (a Western Windows), that proves
    // the bar draws its items itself.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    HFONT menuFont = CreateFontIndirectW(&metrics.lfMenuFont);
    const bool systemDrawsThem = HasGlyphs(menuFont, L"ファイル編集表示ヘルプ");
    DeleteObject(menuFont);
    if (GetACP() != 932) {
        EXPECT_FALSE(systemDrawsThem) << Narrow(metrics.lfMenuFont.lfFaceName);
    }
    SetForegroundWindow(manager);
    RedrawWindow(manager, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(300);
    RECT window{};
    GetWindowRect(manager, &window);
    POINT client{0, 0};
    ClientToScreen(manager, &client);
    const Mask strip = AreaMask({window.left, window.top, window.right, client.y});
    for (const std::wstring& text : barTexts)
        EXPECT_TRUE(Shows(strip, TextMask(font, LabelOf(text)))) << Narrow(text) << " in " << Narrow(face);

    // Alt+F: the "ファイル" drop-down, its items in the face too.
    HWND dropDown = OpenByLetter(manager, child, 'F');
    ASSERT_NE(dropDown, nullptr);
    Sleep(300);
    Screenshot(Shot("ui_font_manager_menu").c_str());
    const Mask shown = WindowMask(dropDown);
    EXPECT_TRUE(Shows(shown, TextMask(font, L"ファイルへ保存"))) << Narrow(face);
    EXPECT_TRUE(Shows(shown, TextMask(font, L"銘柄登録ウィザード"))) << Narrow(face);
    // Escape closes the drop-down, then leaves the bar.
    Press(VK_ESCAPE);
    Sleep(200);
    Press(VK_ESCAPE);
    EXPECT_TRUE(WaitForMenuGone(pid));

    // Alt+V, then the drop-down's own letter G: "境界線(&G)" is ticked the next time, in the box
    // only our drawing makes (some of the display switches are on from the start).
    HWND view = OpenByLetter(manager, child, 'V');
    ASSERT_NE(view, nullptr);
    Sleep(300);
    const int ticked = CountColour(view, kCheckFrame);
    EXPECT_GT(ticked, 20);
    Press('G');
    EXPECT_TRUE(WaitForMenuGone(pid));
    view = OpenByLetter(manager, child, 'V');
    ASSERT_NE(view, nullptr);
    Sleep(300);
    EXPECT_GT(CountColour(view, kCheckFrame), ticked + 20);
    Screenshot(Shot("ui_font_manager_view_menu").c_str());
    Press(VK_ESCAPE);
    Sleep(200);
    Press(VK_ESCAPE);
    EXPECT_TRUE(WaitForMenuGone(pid));
    PostMessageW(manager, WM_CLOSE, 0, 0);
    for (DWORD waited = 0; waited < kWait && IsWindow(manager); waited += 100) Sleep(100);
    EXPECT_FALSE(IsWindow(manager));
    for (DWORD waited = 0; waited < kWait && !(GetDword(L"NewBoolean1", 0) & 1); waited += 100) Sleep(100);
    EXPECT_EQ(GetDword(L"NewBoolean1", 0) & 1, 1u);
    SetDword(L"NewBoolean1", 0);

    DeleteObject(font);
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

}  // namespace
