// Stock icons under the real window system: the image list with its arrow strips and design
// files, composed icons read back pixel by pixel, icons put in the notification area through
// CStockIconCtrl (the calls recorded on their way to Shell_NotifyIconW, which answers them), and
// the price bar. Leaves icon-row.bmp and tray.bmp beside the test program for a person to look at.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/DisplayTexts.h"
#include "icons/PriceBar.h"
#include "icons/win32/IconImages.h"
#include "model/StockMan.h"
#include "platform/TextCodec.h"
#include "platform/win32/WinText.h"
#include "resources/resource.h"

namespace quotrix {
namespace {

// Pixels as COLORREF; `transparent` from the mask where there is one.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> color;
    std::vector<bool> transparent;
    COLORREF at(int x, int y) const { return color[y * width + x]; }
    bool clear(int x, int y) const { return transparent[y * width + x]; }
};

std::vector<COLORREF> ReadBitmap(HBITMAP bitmap, int& width, int& height) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    width = info.bmWidth;
    height = std::abs(info.bmHeight);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    std::vector<std::uint32_t> raw(static_cast<std::size_t>(width) * height);
    HDC dc = GetDC(nullptr);
    const int lines = GetDIBits(dc, bitmap, 0, height, raw.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(lines, height);
    std::vector<COLORREF> out;
    for (std::uint32_t p : raw) out.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    return out;
}

Picture ReadIcon(HICON icon) {
    Picture pic;
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return pic;
    pic.color = ReadBitmap(info.hbmColor, pic.width, pic.height);
    int w = 0, h = 0;
    const std::vector<COLORREF> mask = ReadBitmap(info.hbmMask, w, h);
    for (COLORREF m : mask) pic.transparent.push_back(m != 0);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return pic;
}

// A picture of the artwork as the program carries it (the mask colour marks transparency).
Picture ReadResourceStrip(UINT id) {
    Picture pic;
    auto* bitmap = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap) return pic;
    pic.color = ReadBitmap(bitmap, pic.width, pic.height);
    for (COLORREF c : pic.color) pic.transparent.push_back(c == kIconMaskColor);
    DeleteObject(bitmap);
    return pic;
}

// What merging the layers must give at (x, y) of the 16 x 16 picture.
struct Layer {
    const Picture* strip;
    int index;
};
void ExpectComposed(const Picture& icon, std::vector<Layer> layers, const char* what) {
    ASSERT_EQ(icon.width, 16) << what;
    int mismatches = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            bool covered = false;
            COLORREF expected = 0;
            for (const Layer& l : layers) {
                const int sx = l.index * 16 + x;
                if (!l.strip->clear(sx, y)) {
                    covered = true;
                    expected = l.strip->at(sx, y);
                }
            }
            if (icon.clear(x, y) == covered || (covered && icon.at(x, y) != expected) ||
                (!covered && icon.at(x, y) != 0)) {
                if (++mismatches <= 5)
                    ADD_FAILURE() << what << " pixel " << x << "," << y << " colour " << std::hex << icon.at(x, y)
                                  << " expected " << expected << (covered ? " opaque" : " transparent");
            }
        }
    EXPECT_EQ(mismatches, 0) << what;
}

// Writes a 24-bit BMP (also the design files the tests feed in).
void WriteBmp(const std::string& path, int width, int height, const std::vector<COLORREF>& pixels) {
    const int stride = (width * 3 + 3) & ~3;
    std::vector<unsigned char> data(static_cast<std::size_t>(stride) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = pixels[static_cast<std::size_t>(y) * width + x];
            unsigned char* p = &data[static_cast<std::size_t>(height - 1 - y) * stride + x * 3];
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(data.size());
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

std::string BesideTheProgram(const char* name) {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return Narrow(folder) + name;
}

std::string TempPath(const char* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return Narrow(folder) + name;
}

// ---- The image list ----

constexpr UINT kArrowStripIds[3] = {IDB_ARROWS_TYPE0, IDB_ARROWS_TYPE1, IDB_ARROWS_TYPE2};

TEST(IconImageList, EveryArrowTypeAndDesignFiles) {
    const Picture marks = ReadResourceStrip(IDB_MARKS);
    const Picture solid = ReadResourceStrip(IDB_ARROWS_TYPE0);
    ASSERT_EQ(marks.width, 160);
    ASSERT_EQ(solid.width, 128);
    IconImageList images;
    for (int type : {0, 1, 2, 3, 7, -1}) {
        ASSERT_TRUE(images.Build(GetModuleHandleW(nullptr), type, "")) << type;
        EXPECT_EQ(ImageList_GetImageCount(images.Handle()), 18) << type;
        EXPECT_FALSE(images.UsesDesignFile());
    }

    // A design of 128 x 16 is taken; its sixth picture is plain green.
    std::vector<COLORREF> design(128 * 16, kIconMaskColor);
    for (int y = 2; y < 14; ++y)
        for (int x = 5 * 16 + 2; x < 5 * 16 + 14; ++x) design[y * 128 + x] = RGB(0, 0xFF, 0);
    const std::string good = TempPath("quotrix-design-good.bmp");
    WriteBmp(good, 128, 16, design);
    ASSERT_TRUE(images.Build(GetModuleHandleW(nullptr), 3, good));
    EXPECT_TRUE(images.UsesDesignFile());
    HICON icon = static_cast<HICON>(images.Compose(MakeIconCode(IMG_ARROW_SMALL_RISE)));
    const Picture mine = ReadIcon(icon);
    DestroyIcon(icon);
    EXPECT_EQ(mine.at(8, 8), RGB(0, 0xFF, 0));
    EXPECT_TRUE(mine.clear(1, 1));

    // 127 x 16, a text file called .bmp and a missing file all give the type 0 arrows.
    const std::string narrow = TempPath("quotrix-design-127.bmp");
    WriteBmp(narrow, 127, 16, std::vector<COLORREF>(127 * 16, RGB(0, 0xFF, 0)));
    const std::string text = TempPath("quotrix-design-text.bmp");
    std::ofstream(text) << "not a picture";
    for (const std::string& file : {narrow, text, TempPath("quotrix-no-such-design.bmp")}) {
        EXPECT_EQ(LoadArrowDesign(file), nullptr) << file;
        ASSERT_TRUE(images.Build(GetModuleHandleW(nullptr), 3, file));
        EXPECT_FALSE(images.UsesDesignFile());
        HICON fallback = static_cast<HICON>(images.Compose(MakeIconCode(IMG_ARROW_LARGE_RISE)));
        ExpectComposed(ReadIcon(fallback), {{&solid, 7}}, "type 0 fallback");
        DestroyIcon(fallback);
    }
    DeleteFileW(Wide(good).c_str());
    DeleteFileW(Wide(narrow).c_str());
    DeleteFileW(Wide(text).c_str());
}

TEST(IconImageList, ComposedIconsKeepTheArtworkPixels) {
    const Picture marks = ReadResourceStrip(IDB_MARKS);
    IconImageList images;
    // The portfolio background must not leak into the icons' transparent pixels.
    images.SetBkColor(RGB(0xFF, 0xFF, 0xE1));
    for (int type = 0; type < 3; ++type) {
        const Picture arrows = ReadResourceStrip(kArrowStripIds[type]);
        ASSERT_TRUE(images.Build(GetModuleHandleW(nullptr), type, ""));
        for (int arrow = 0; arrow < 8; ++arrow) {
            HICON plain = static_cast<HICON>(images.Compose(MakeIconCode(IMG_ARROW_NO_QUOTE + arrow)));
            ExpectComposed(ReadIcon(plain), {{&arrows, arrow}}, "arrow");
            DestroyIcon(plain);
        }
        HICON marked = static_cast<HICON>(images.Compose(MakeIconCode(IMG_ARROW_FALL, IMG_MARK_CHECKING)));
        ExpectComposed(ReadIcon(marked), {{&arrows, 2}, {&marks, 1}}, "arrow with mark");
        DestroyIcon(marked);
        HICON framed =
            static_cast<HICON>(images.Compose(MakeIconCode(IMG_HOLDING_FRAME, IMG_ARROW_LARGE_RISE, IMG_MARK_FAILED)));
        ExpectComposed(ReadIcon(framed), {{&marks, 6}, {&arrows, 7}, {&marks, 0}}, "frame, arrow and mark");
        DestroyIcon(framed);
    }
    HICON app = static_cast<HICON>(images.Compose(kIconApplication));
    ExpectComposed(ReadIcon(app), {{&marks, 8}}, "application image");
    DestroyIcon(app);
}

// ---- The notification area ----

struct RecordedCall {
    DWORD message;
    NOTIFYICONDATAW data;
    BOOL result;
};
std::vector<RecordedCall>* g_calls = nullptr;
int g_failAdds = 0;

BOOL WINAPI RecordNotify(DWORD message, PNOTIFYICONDATAW data) {
    BOOL result = FALSE;
    if (message == NIM_ADD && g_failAdds > 0)
        --g_failAdds;
    else
        result = Shell_NotifyIconW(message, data);
    if (g_calls) g_calls->push_back({message, *data, result});
    return result;
}

class TrayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        owner_ = CreateWindowExW(0, L"STATIC", L"Quotrix tray test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(owner_, nullptr);
        ASSERT_TRUE(images_.Build(GetModuleHandleW(nullptr), 0, ""));
        previousShell_ = SetIconShell(&shell_);
        g_calls = &calls_;
        g_failAdds = 0;
        previousNotify_ = SetNotifyIconFunction(&RecordNotify);
    }
    void TearDown() override {
        stocks_.clear();
        cache_.Clear();
        SetNotifyIconFunction(previousNotify_);
        g_calls = nullptr;
        SetIconShell(previousShell_);
        DestroyWindow(owner_);
    }

    // What the main window does after a stock changed: texts, icon code, cache, show state.
    void Refresh(CStockMan& stock) {
        const std::string& tip = tips_.BuildStockTexts(stock);
        IconCacheEntry* entry = cache_.GetIcon(StockIconCode(stock, tips_.options.boolFlags1));
        if (!stock.CacheEntry())
            stock.SetFirstIcon(owner_, entry, tip);
        else
            stock.UpdateIcon(entry, tip);
        ApplyWatchBand(stock);
    }

    CStockMan& AddStock(const char* identity, std::int32_t prevYen, std::int32_t priceYen, std::uint32_t status) {
        stocks_.push_back(std::make_unique<CStockMan>(identity, Utf8ToSjis("テスト銘柄")));
        CStockMan& s = *stocks_.back();
        s.showMode = 1;
        s.status = status;
        s.updateTime = "10:30";
        s.prevClose = prevYen * kYen;
        s.price = priceYen * kYen;
        s.change = s.price - s.prevClose;
        s.volume = 1000;
        Refresh(s);
        return s;
    }

    HWND owner_ = nullptr;
    IconImageList images_;
    IconCache cache_{images_};
    Win32IconShell shell_;
    IconShell* previousShell_ = nullptr;
    NotifyIconFunction previousNotify_ = nullptr;
    CStockTipCtrl tips_;
    std::vector<RecordedCall> calls_;
    std::vector<std::unique_ptr<CStockMan>> stocks_;
};

TEST_F(TrayTest, StocksShareOneIconPerCodeAndReleaseIt) {
    CStockMan& up1 = AddStock("7203.t", 1000, 1020, STATUS_UPDATED);
    CStockMan& up2 = AddStock("6758.t", 2000, 2015, STATUS_UPDATED);
    CStockMan& down = AddStock("9984.t", 3000, 2970, STATUS_UPDATED | STATUS_CHECKING);
    EXPECT_EQ(up1.arrowImage, IMG_ARROW_LARGE_RISE);
    EXPECT_EQ(up2.arrowImage, IMG_ARROW_LARGE_RISE);
    EXPECT_EQ(up1.Icon(), up2.Icon());
    EXPECT_NE(up1.Icon(), down.Icon());
    EXPECT_EQ(cache_.Size(), 2u);
    EXPECT_EQ(cache_.Find(MakeIconCode(IMG_ARROW_LARGE_RISE))->users, 2u);
    EXPECT_EQ(up1.CurrentShow(), SHOW_TRAY);

    // The real shell took the first icon.
    ASSERT_FALSE(calls_.empty());
    bool added = false;
    for (const auto& c : calls_)
        if (c.message == NIM_ADD && c.data.uID == up1.Id()) added = c.result != FALSE;
    EXPECT_TRUE(added);

    // A price change moves one stock to another picture; the shared one stays for the other.
    up2.price = up2.prevClose;
    up2.change = 0;
    Refresh(up2);
    EXPECT_EQ(cache_.Find(MakeIconCode(IMG_ARROW_LARGE_RISE))->users, 1u);
    EXPECT_NE(cache_.Find(MakeIconCode(IMG_ARROW_UNCHANGED)), nullptr);
    stocks_.erase(stocks_.begin());  // up1 goes: its picture is destroyed
    EXPECT_EQ(cache_.Find(MakeIconCode(IMG_ARROW_LARGE_RISE)), nullptr);
    stocks_.clear();
    EXPECT_EQ(cache_.Size(), 0u);
    // Every stock took its icon out of the notification area.
    int deletes = 0;
    for (const auto& c : calls_) deletes += c.message == NIM_DELETE;
    EXPECT_GE(deletes, 3);
}

TEST_F(TrayTest, TipsBalloonsAndTheShellProtocol) {
    CStockMan& s = AddStock("7203.t", 1000, 1000, STATUS_UPDATED);
    calls_.clear();
    std::string longTip(200, 'x');
    EXPECT_TRUE(s.SetTip(longTip));
    ASSERT_EQ(calls_.size(), 1u);
    const NOTIFYICONDATAW& d = calls_[0].data;
    EXPECT_EQ(calls_[0].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_TRUE(calls_[0].result);
    EXPECT_EQ(d.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V2_SIZE));
    EXPECT_EQ(d.hWnd, owner_);
    EXPECT_EQ(d.uID, s.Id());
    EXPECT_EQ(d.uCallbackMessage, 0x8078u);
    EXPECT_EQ(d.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(d.hIcon, s.Icon());
    EXPECT_EQ(std::wstring(d.szTip), std::wstring(127, L'x'));

    // Japanese text is handed over as UTF-16; the balloon splits the tip at its first line feed.
    calls_.clear();
    s.SetBalloon(true);
    EXPECT_TRUE(s.SetTip(Utf8ToSjis("トヨタ 10:30 1000 (+0)\n 出来高 1,000")));
    s.SetBalloon(false);
    ASSERT_EQ(calls_.size(), 1u);
    const NOTIFYICONDATAW& b = calls_[0].data;
    EXPECT_EQ(b.uFlags & NIF_INFO, static_cast<UINT>(NIF_INFO));
    EXPECT_EQ(std::wstring(b.szInfoTitle), L"\u30C8\u30E8\u30BF 10:30 1000 (+0)");
    EXPECT_EQ(std::wstring(b.szInfo), L" \u51FA\u6765\u9AD8 1,000");
    EXPECT_EQ(b.uTimeout, 20000u);
    EXPECT_EQ(b.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));

    // The shell lost the icon: modify fails, add succeeds.
    NOTIFYICONDATAW gone = calls_[0].data;
    Shell_NotifyIconW(NIM_DELETE, &gone);
    calls_.clear();
    EXPECT_TRUE(s.SetTip("back"));
    ASSERT_EQ(calls_.size(), 2u);
    EXPECT_EQ(calls_[0].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_FALSE(calls_[0].result);
    EXPECT_EQ(calls_[1].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_TRUE(calls_[1].result);

    // Hidden, then shown with a refused first add: delete and add again.
    EXPECT_TRUE(s.SetShow(SHOW_HIDDEN));
    calls_.clear();
    g_failAdds = 1;
    EXPECT_FALSE(s.SetShow(SHOW_TRAY));  // refused: the state stays hidden
    EXPECT_EQ(s.CurrentShow(), SHOW_HIDDEN);
    EXPECT_TRUE(s.ShowIconCtrl());
    EXPECT_EQ(s.CurrentShow(), SHOW_TRAY);
}

// ---- The price bar ----

TEST(PriceBarIcon, PaintsWhatTheLayoutSays) {
    struct Case {
        const char* what;
        std::int32_t prev, price, open, high, low;
        COLORREF centre;
    };
    for (const Case c :
         {Case{"rise", 1000, 1010, 998, 1015, 995, 0xFF0000}, Case{"fall", 1000, 990, 1004, 1006, 985, 0x0000FF},
          Case{"no change", 1000, 1000, 1000, 1005, 995, 0x646464}}) {
        CBasicStock s;
        s.prevClose = c.prev * kYen;
        s.price = c.price * kYen;
        s.change = s.price - s.prevClose;
        s.open = c.open * kYen;
        s.high = c.high * kYen;
        s.low = c.low * kYen;
        HICON icon = PriceBarIcon(s, kDefaultPriceBarSetting);
        ASSERT_NE(icon, nullptr) << c.what;
        const Picture bar = ReadIcon(icon);
        DestroyIcon(icon);
        ASSERT_EQ(bar.width, 43) << c.what;
        ASSERT_EQ(bar.height, 10) << c.what;
        const std::vector<std::uint32_t> expected =
            RenderPriceBar(PriceBarLayout(s, kDefaultPriceBarSetting), 43, kPriceBarHeight);
        int wrong = 0;
        for (int i = 0; i < 430; ++i) wrong += bar.color[i] != expected[i] || bar.transparent[i];
        EXPECT_EQ(wrong, 0) << c.what;
        EXPECT_EQ(bar.at(21, 5), c.centre) << c.what;
        EXPECT_EQ(bar.at(0, 0), 0xFFFFFFu) << c.what;
    }
}

// ---- A picture for people ----

void SaveScreenPart(HDC source, int left, int top, int width, int height, const std::string& path) {
    HDC dc = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, width, height, source, left, top, SRCCOPY);
    SelectObject(dc, old);
    int w = 0, h = 0;
    WriteBmp(path, width, height, ReadBitmap(bitmap, w, h));
    DeleteObject(bitmap);
    DeleteDC(dc);
}

TEST_F(TrayTest, ARowOfIconsToLookAt) {
    // Every arrow, then marks and frames, drawn on a light and a dark taskbar colour, 3 times
    // enlarged; and whatever the shell shows of the tray.
    tips_.options.boolFlags1 |= kBoolFlags1HoldingFrame;
    const struct {
        std::int32_t price;
        std::uint32_t status;
        std::uint32_t shares;
    } rows[] = {{0, STATUS_NONE, 0},
                {880, STATUS_UPDATED, 0},
                {993, STATUS_UPDATED, 0},
                {998, STATUS_UPDATED, 0},
                {1000, STATUS_UPDATED, 0},
                {1002, STATUS_UPDATED, 0},
                {1006, STATUS_UPDATED, 0},
                {1100, STATUS_UPDATED, 0},
                {1100, STATUS_UPDATED | STATUS_FAILED, 0},
                {993, STATUS_UPDATED | STATUS_CHECKING, 0},
                {1002, STATUS_UPDATED | STATUS_OFFLINE, 0},
                {998, STATUS_OUT_OF_HOURS | 1, 0},
                {1100, STATUS_UPDATED, 100},
                {880, STATUS_UPDATED | STATUS_CHECKING, 100}};
    std::vector<HICON> icons;
    for (const auto& r : rows) {
        CStockMan& s = AddStock("7203.t", 1000, r.price, r.status);
        s.shares = r.shares;
        s.cost = r.shares * 1000 * kYen;
        Refresh(s);
        icons.push_back(static_cast<HICON>(s.Icon()));
    }
    const int zoom = 3, cell = 16 * zoom + 8;
    const int width = cell * static_cast<int>(icons.size()) + 8, height = 2 * cell + 8;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF backgrounds[2] = {RGB(240, 240, 240), RGB(32, 32, 32)};
    for (int band = 0; band < 2; ++band) {
        HBRUSH brush = CreateSolidBrush(backgrounds[band]);
        RECT r{0, band * cell + 4, width, (band + 1) * cell + 4};
        FillRect(dc, &r, brush);
        DeleteObject(brush);
        for (std::size_t i = 0; i < icons.size(); ++i)
            EXPECT_TRUE(DrawIconEx(dc, 8 + static_cast<int>(i) * cell, band * cell + 8, icons[i], 16 * zoom, 16 * zoom,
                                   0, nullptr, DI_NORMAL));
    }
    SelectObject(dc, old);
    int w = 0, h = 0;
    WriteBmp(BesideTheProgram("icon-row.bmp"), width, height, ReadBitmap(bitmap, w, h));
    DeleteObject(bitmap);
    DeleteDC(dc);

    // Let the shell draw, then take what it shows.
    for (int i = 0; i < 20; ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(25);
    }
    RECT tray{};
    HWND trayWindow = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (trayWindow && GetWindowRect(trayWindow, &tray) && tray.right > tray.left)
        SaveScreenPart(screen, tray.left, tray.top, tray.right - tray.left, tray.bottom - tray.top,
                       BesideTheProgram("tray.bmp"));
    else
        SaveScreenPart(screen, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                       BesideTheProgram("tray.bmp"));
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(cache_.Size(), 14u);
}

}  // namespace
}  // namespace quotrix
