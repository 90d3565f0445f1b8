// portfolio_pass.exe: the portfolio's costs for 1,000 stocks on the Windows build: laying out
// (RebuildLayout, every row measured), drawing every row into the virtual screen (RenderRows),
// and one merge's repaint (the changed row measured and drawn again, then the block copy of the
// visible rows). The target for a merge is under 1 ms.
//
// Run by hand under Wine (no quote server needed):
//   QUOTRIX_BUILD=build/windows tools/wine-run.sh --x build/windows/bench/win32/portfolio_pass.exe [--stocks N]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/DisplayTexts.h"
#include "app/win32/PortfolioView.h"
#include "icons/IconCache.h"
#include "icons/win32/IconImages.h"
#include "platform/TextCodec.h"

namespace quotrix {
bool g_noBars = false;
bool g_noIcons = false;
namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

class BenchHost : public PortfolioHost {
  public:
    StockList stocks;
    IconImageList* images = nullptr;
    StockList& PortfolioStocks() override { return stocks; }
    HIMAGELIST StockImages() override { return images ? images->Handle() : nullptr; }
    PortfolioTotals TotalsForTitle() override {
        return PortfolioTotals{Utf8ToSjis("合計 12,345,678 (+12,345  +0.10%) 損益 +1,234,567"), false, 15, 0};
    }
    std::string PortfolioFileTitle() override { return "bench.quotrix"; }
    void PortfolioRowMenu(CStockMan&, unsigned) override {}
    void PortfolioAppMenu() override {}
    void PortfolioRowDoubleClick(CStockMan&) override {}
    void PortfolioHide() override {}
    void PortfolioRolled(bool) override {}
};

CPortfolioView* g_view = nullptr;

LRESULT CALLBACK BenchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (g_view && g_view->OnMessage(message, wParam, lParam, result)) return result;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Quote(CStockMan& s, int i, int step) {
    s.status = STATUS_UPDATED;
    s.updateTime = "15:00";
    s.prevClose = (1000 + i) * kYen;
    s.change = ((i + step) % 7 - 3) * 5 * kYen;
    s.price = s.prevClose + s.change;
    s.open = s.prevClose;
    s.high = std::max(s.price, s.prevClose) + kYen;
    s.low = std::min(s.price, s.prevClose) - kYen;
    s.volume = 100000u + static_cast<std::uint32_t>(i) * 7u + static_cast<std::uint32_t>(step);
}

int Run(int count) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    AppSettings settings;
    settings.boolFlags1 |= 0x10000 | 0x400;
    BenchHost host;
    IconImageList images;
    IconCache cache(images);
    if (!g_noIcons && BuildImageList(images, cache, module, 0, "")) host.images = &images;
    if (g_noBars) settings.itemFlags.other &= ~0x10u;
    CStockTipCtrl tips;
    for (int i = 0; i < count; ++i) {
        auto s =
            std::make_unique<CStockMan>(std::to_string(1301 + i) + ".t", Utf8ToSjis("ベンチ銘柄") + std::to_string(i));
        Quote(*s, i, 0);
        if (i % 10 == 0) {
            s->shares = 100;
            s->cost = 100 * 900 * kYen;
        }
        tips.BuildStockTexts(*s);
        host.stocks.push_back(std::move(s));
    }

    WNDCLASSW wc{};
    wc.lpfnWndProc = BenchProc;
    wc.hInstance = module;
    wc.lpszClassName = L"PortfolioBench";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                module, nullptr);
    HWND bar =
        CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | SBS_VERT, 0, 0, 16, 200, hwnd, nullptr, module, nullptr);
    CPortfolioView view(host, settings);
    g_view = &view;
    if (!view.Attach(hwnd, bar, nullptr, module)) {
        std::fprintf(stderr, "portfolio_pass: the view could not be made\n");
        return 1;
    }
    view.Restore(0, 30);
    view.PlaceAtStart(PortfolioPlacement{20, 20, 0}, false);
    view.Show(false);
    UpdateWindow(hwnd);

    // Every measurement again: a font or flag change.
    constexpr int kRounds = 5;
    double layout = 1e9, render = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        for (auto& s : host.stocks) s->displayFlag |= DISPFLAG_TEXTS_CHANGED;
        auto t0 = Clock::now();
        view.RebuildLayout();
        layout = std::min(layout, Ms(Clock::now() - t0));
        t0 = Clock::now();
        view.RenderRows(nullptr, false);
        render = std::min(render, Ms(Clock::now() - t0));
    }

    // Merges: one stock's quote changes; its texts are rebuilt (not timed: the display texts'
    // own cost), then the portfolio measures and draws that row and repaints.
    constexpr int kMerges = 200;
    std::vector<double> merges;
    for (int m = 0; m < kMerges; ++m) {
        const int i = (m * 37) % count;
        CStockMan& s = *host.stocks[static_cast<std::size_t>(i)];
        Quote(s, i, m + 1);
        tips.BuildStockTexts(s);
        const auto t0 = Clock::now();
        view.StockChanged(s);
        UpdateWindow(hwnd);
        GdiFlush();
        merges.push_back(Ms(Clock::now() - t0));
    }
    std::sort(merges.begin(), merges.end());
    std::printf("portfolio, %d stocks (%d visible rows)\n", count, view.VisibleRows());
    std::printf("  RebuildLayout, every row measured: %8.3f ms\n", layout);
    std::printf("  RenderRows, every row:             %8.3f ms\n", render);
    std::printf("  merge repaint, median:             %8.3f ms\n", merges[merges.size() / 2]);
    std::printf("  merge repaint, 90th percentile:    %8.3f ms\n", merges[merges.size() * 9 / 10]);
    std::printf("  merge repaint target:                 1.000 ms\n");
    g_view = nullptr;
    DestroyWindow(hwnd);
    return 0;
}

}  // namespace
}  // namespace quotrix

int main(int argc, char** argv) {
    int count = 1000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--stocks") == 0 && i + 1 < argc) count = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--no-bars") == 0) quotrix::g_noBars = true;
        if (std::strcmp(argv[i], "--no-icons") == 0) quotrix::g_noIcons = true;
    }
    return quotrix::Run(count);
}
