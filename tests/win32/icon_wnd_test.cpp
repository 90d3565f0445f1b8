// The desktop icon window under the real window system: its shape for each text placement, the
// region from the icon's mask, layered attributes, the tooltip's text, dragging with the owner's
// snap answer and the notifications the owner receives.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/DisplayTexts.h"
#include "icons/StockIcon.h"
#include "icons/win32/IconImages.h"
#include "icons/win32/IconWnd.h"
#include "model/StockMan.h"
#include "platform/Messages.h"
#include "platform/TextCodec.h"
#include "platform/win32/WinText.h"

namespace quotrix {
namespace {

// The main window's part: answers the snap query, records every other notification.
struct OwnerRecord {
    bool snap = false;
    std::vector<std::pair<UINT, LPARAM>> notes;  // message, lParam
};
OwnerRecord* g_owner = nullptr;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_owner && message == WM_APP_ICONWND_NOTIFY && lParam == WM_APP_QUERY_SNAP) return g_owner->snap ? 1 : 0;
    if (g_owner && (message == WM_APP_ICONWND_NOTIFY || message == WM_APP_TRAY_NOTIFY))
        g_owner->notes.emplace_back(message, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int RegionArea(HWND window) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    int area = 0;
    if (GetWindowRgn(window, region) != ERROR) {
        RECT box{};
        GetRgnBox(region, &box);
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x) area += PtInRegion(region, x, y) ? 1 : 0;
    }
    DeleteObject(region);
    return area;
}

bool InRegion(HWND window, int x, int y) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const bool in = GetWindowRgn(window, region) != ERROR && PtInRegion(region, x, y);
    DeleteObject(region);
    return in;
}

class IconWndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QuotrixIconWndTestOwner";
        RegisterClassW(&wc);
        owner_ = CreateWindowExW(0, wc.lpszClassName, L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                                 nullptr);
        ASSERT_NE(owner_, nullptr);
        g_owner = &record_;
        ASSERT_TRUE(images_.Build(GetModuleHandleW(nullptr), 0, ""));
        previous_ = SetIconShell(&shell_);
        look_.desktopColor = RGB(0, 96, 128);
        look_.colors = ChooseDesktopTextColors(look_.desktopColor, false, 0);
        LOGFONTW system{};
        SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof system, &system, 0);
        look_.font.height = system.lfHeight != 0 ? system.lfHeight : -12;
        look_.font.charSet = SHIFTJIS_CHARSET;
        look_.font.faceName = Narrow(system.lfFaceName);
        shell_.SetDesktopLook(&look_);
    }
    void TearDown() override {
        stocks_.clear();
        cache_.Clear();
        SetIconShell(previous_);
        g_owner = nullptr;
        DestroyWindow(owner_);
    }

    // A quoted stock on the desktop at (x, y) with `placement`.
    CStockMan& AddStock(int x, int y, std::uint8_t placement, std::uint32_t textFlags = 13) {
        stocks_.push_back(std::make_unique<CStockMan>("7203.t", Utf8ToSjis("テスト自動車")));
        CStockMan& s = *stocks_.back();
        s.status = STATUS_UPDATED;
        s.prevClose = 2000 * kYen;
        s.price = 2010 * kYen;
        s.change = 10 * kYen;
        s.showMode = 20;
        s.desktopLeft = x;
        s.desktopTop = y;
        s.desktopTxtMode = placement;
        s.desktopTxtFlags = textFlags;
        const std::string& tip = tips_.BuildStockTexts(s);
        EXPECT_TRUE(s.SetFirstIcon(owner_, cache_.GetIcon(StockIconCode(s, 0)), tip));
        ApplyWatchBand(s);
        return s;
    }

    static CIconWnd& Window(CStockMan& s) {
        auto* w = dynamic_cast<CIconWnd*>(s.DesktopWindow());
        EXPECT_NE(w, nullptr);
        return *w;
    }

    static void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }

    HWND owner_ = nullptr;
    OwnerRecord record_;
    IconImageList images_;
    IconCache cache_{images_};
    Win32IconShell shell_;
    IconShell* previous_ = nullptr;
    DesktopLook look_;
    CStockTipCtrl tips_;
    std::vector<std::unique_ptr<CStockMan>> stocks_;
};

TEST_F(IconWndTest, ShapeOfEachPlacement) {
    CStockMan& alone = AddStock(100, 100, 0);
    CIconWnd& a = Window(alone);
    ASSERT_EQ(alone.CurrentShow(), SHOW_DESKTOP);
    HWND ha = a.GetSafeHwnd();
    EXPECT_TRUE(IsWindowVisible(ha));
    RECT r{};
    GetWindowRect(ha, &r);
    const RECT expected{100, 100, 116, 116};
    EXPECT_TRUE(EqualRect(&r, &expected));
    // Only the icon's opaque pixels: some of its 256 are see-through.
    const int iconArea = RegionArea(ha);
    EXPECT_GT(iconArea, 20);
    EXPECT_LT(iconArea, 256);

    CStockMan& right = AddStock(100, 140, 1);
    HWND hr = Window(right).GetSafeHwnd();
    const DesktopShape& sr = Window(right).Shape();
    ASSERT_TRUE(sr.textShown);
    GetWindowRect(hr, &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.right - r.left, sr.width);
    EXPECT_EQ(sr.text.left, 17);
    EXPECT_GT(sr.text.Width(), 30);  // the name, price and change
    EXPECT_EQ(RegionArea(hr), iconArea + sr.text.Width() * sr.text.Height());

    // Text left, bar between: text, bar, icon from left to right, all in the region.
    CStockMan& left = AddStock(100, 180, 2, 13 | kDesktopPriceBar);
    HWND hl = Window(left).GetSafeHwnd();
    const DesktopShape& sl = Window(left).Shape();
    ASSERT_TRUE(sl.barShown);
    EXPECT_EQ(sl.text.left, 0);
    EXPECT_LT(sl.text.right, sl.bar.left);
    EXPECT_LT(sl.bar.right, sl.iconX);
    EXPECT_EQ(sl.width, sl.iconX + 16);
    EXPECT_TRUE(InRegion(hl, sl.bar.left + 1, sl.bar.top + 1));
    EXPECT_TRUE(InRegion(hl, sl.text.left + 1, sl.text.top + 1));
    EXPECT_FALSE(InRegion(hl, sl.text.right, sl.text.top + 1));  // the gap before the bar

    // A longer text widens the window at the next refresh.
    const int before = sr.width;
    right.desktopTxtFlags = 0x3F;
    right.volume = 123456789;
    tips_.BuildStockTexts(right);
    Window(right).RefreshContent();
    EXPECT_GT(Window(right).Shape().width, before);
}

TEST_F(IconWndTest, TooltipTextIsTheStockTipCutAt511Bytes) {
    CStockMan& s = AddStock(200, 100, 1);
    CIconWnd& w = Window(s);
    ASSERT_NE(w.Tooltip(), nullptr);
    auto ask = [&](UINT code) {
        NMTTDISPINFOW info{};
        info.hdr.hwndFrom = w.Tooltip();
        info.hdr.idFrom = 1;
        info.hdr.code = code;
        SendMessageW(w.GetSafeHwnd(), WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&info));
        return info;
    };
    NMTTDISPINFOW wide = ask(TTN_NEEDTEXTW);
    ASSERT_NE(wide.lpszText, nullptr);
    EXPECT_EQ(Narrow(wide.lpszText), s.displayStrings[DISPLAY_TIP_TEXT]);

    s.displayStrings[DISPLAY_TIP_TEXT] = std::string(300, 'a') + std::string(300, 'b');
    NMTTDISPINFOW narrow = ask(TTN_NEEDTEXTA);
    const char* text = reinterpret_cast<NMTTDISPINFOA&>(narrow).lpszText;
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text).size(), 511u);
    // Double-byte characters are not split at the cut.
    s.displayStrings[DISPLAY_TIP_TEXT] = std::string(510, 'a') + Utf8ToSjis("株価");
    EXPECT_EQ(Narrow(ask(TTN_NEEDTEXTW).lpszText).size(), 510u);
}

TEST_F(IconWndTest, LayeredAttributesFollowTheLook) {
    look_.layered = {150, true};
    CStockMan& s = AddStock(300, 100, 1);
    HWND h = Window(s).GetSafeHwnd();
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_LAYERED);
    ASSERT_TRUE(GetLayeredWindowAttributes(h, &key, &alpha, &flags));
    EXPECT_EQ(key, look_.desktopColor);
    EXPECT_EQ(alpha, 150);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA | LWA_COLORKEY));

    look_.layered = {255, false};
    Window(s).UpdateShape();
    EXPECT_FALSE(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_LAYERED);
}

TEST_F(IconWndTest, DragSnapsByTheOwnersAnswerAndTellsItOnlyOfTheMove) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    CStockMan& s = AddStock(300, 300, 0);
    HWND h = Window(s).GetSafeHwnd();
    auto place = [&] {
        RECT r{};
        GetWindowRect(h, &r);
        return POINT{r.left, r.top};
    };
    record_.snap = false;
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(14, 4 + work.top + 5 - 300));
    EXPECT_EQ(place().x, 310);
    EXPECT_EQ(place().y, work.top + 5);
    record_.snap = true;
    SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(14, 4));
    EXPECT_EQ(place().x, 320);
    EXPECT_EQ(place().y, work.top);  // 5 pixels below the top lands on it
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(14, 4));
    EXPECT_EQ(GetCapture(), nullptr);
    // The stock records the place for its file.
    EXPECT_EQ(s.desktopLeft, 320);
    EXPECT_EQ(s.desktopTop, work.top);
    Pump();
    // Told at the first step (the drop may never come) and again at the drop, of the move only.
    ASSERT_EQ(record_.notes.size(), 2u);
    for (const auto& note : record_.notes)
        EXPECT_EQ(note, (std::pair<UINT, LPARAM>{WM_APP_ICONWND_NOTIFY, kIconWndMoved}));

    // A click without a move tells nothing; the right button and a double click do.
    record_.notes.clear();
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    SendMessageW(h, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 4));
    SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4, 4));
    Pump();
    ASSERT_EQ(record_.notes.size(), 2u);
    EXPECT_EQ(record_.notes[0], (std::pair<UINT, LPARAM>{WM_APP_ICONWND_NOTIFY, WM_RBUTTONDOWN}));
    EXPECT_EQ(record_.notes[1], (std::pair<UINT, LPARAM>{WM_APP_TRAY_NOTIFY, WM_LBUTTONDBLCLK}));
}

TEST_F(IconWndTest, ThePositionOutlivesTheWindow) {
    CStockMan& s = AddStock(400, 100, 1);
    CIconWnd& w = Window(s);
    SetWindowPos(w.GetSafeHwnd(), nullptr, 420, 130, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    DestroyWindow(w.GetSafeHwnd());
    EXPECT_EQ(w.GetPosition().x, 420);
    EXPECT_EQ(w.GetPosition().y, 130);
    EXPECT_FALSE(w.IsVisible());
}

TEST_F(IconWndTest, AFarAwayStoredPlaceComesBackOnScreen) {
    CStockMan& s = AddStock(-30000, 40000, 0);
    RECT r{};
    GetWindowRect(Window(s).GetSafeHwnd(), &r);
    EXPECT_GE(r.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
    EXPECT_LE(r.bottom, GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

TEST_F(IconWndTest, RestingMouseShowsTheTipText) {
    CStockMan& s = AddStock(300, 220, 1);
    CIconWnd& w = Window(s);
    ASSERT_NE(w.Tooltip(), nullptr);
    RECT r{};
    GetWindowRect(w.GetSafeHwnd(), &r);
    const POINT at{w.Shape().text.left + 4, (r.bottom - r.top) / 2};
    SetCursorPos(r.left + at.x, r.top + at.y);
    // One move: every further one would start the tooltip's show delay again.
    SendMessageW(w.GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    for (int i = 0; i < 60 && !IsWindowVisible(w.Tooltip()); ++i) {
        Sleep(50);
        Pump();
    }
    EXPECT_TRUE(IsWindowVisible(w.Tooltip()));
    wchar_t text[600] = {};
    GetWindowTextW(w.Tooltip(), text, 600);
    EXPECT_EQ(Narrow(text), s.displayStrings[DISPLAY_TIP_TEXT]);
    SetCursorPos(0, 0);
}

}  // namespace
}  // namespace quotrix
