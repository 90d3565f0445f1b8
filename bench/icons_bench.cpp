// The display texts are rebuilt for a stock after every merge of a quote, and a new arrow, mark or
// frame makes the cache compose an icon. Composition here merges the program's own artwork in
// memory, as the image list does, so the figure shows the cache's and the layering's share; the
// GDI calls come on top under Windows.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/DisplayTexts.h"
#include "icons/IconCache.h"
#include "icons/StockIcon.h"
#include "model/StockMan.h"
#include "platform/TextCodec.h"

namespace quotrix {
namespace {

std::vector<std::unique_ptr<CStockMan>> MakeStocks(std::size_t count) {
    const std::string names[] = {Utf8ToSjis("トヨタ自動車(株)"), Utf8ToSjis("ソニーグループ（株）"),
                                 Utf8ToSjis("三菱ＵＦＪフィナンシャル・グループ"), Utf8ToSjis("任天堂")};
    std::vector<std::unique_ptr<CStockMan>> stocks;
    for (std::size_t i = 0; i < count; ++i) {
        auto s = std::make_unique<CStockMan>(static_cast<std::uint32_t>(1300 + i), 1);
        s->name = names[i % 4];
        s->status = STATUS_UPDATED | ((i % 7 == 0) ? static_cast<std::uint32_t>(STATUS_OUT_OF_HOURS) : 0u);
        s->updateTime = "15:00";
        s->prevClose = static_cast<PriceValue>(1000 + i) * kYen;
        s->price = s->prevClose + static_cast<PriceValue>(i % 41) * 5000 - 100000;
        s->change = s->price - s->prevClose;
        s->open = s->prevClose + 10000;
        s->high = s->price + 30000;
        s->low = s->price - 30000;
        s->volume = static_cast<std::uint32_t>(i * 1234);
        s->dividendYield = 1.5;
        s->per = 12.3;
        if (i % 3 == 0) {
            s->shares = 100;
            s->cost = s->prevClose * 100;
            s->tradeMode = static_cast<std::uint8_t>(i % 4);
        }
        stocks.push_back(std::move(s));
    }
    return stocks;
}

void BM_BuildStockTexts1000(benchmark::State& state) {
    auto stocks = MakeStocks(1000);
    CStockTipCtrl tips;
    tips.options.newBoolean1 = 0x6;  // short names too
    tips.options.tipTextFlags = 0x7FFFF;
    for (auto _ : state) {
        for (auto& s : stocks) benchmark::DoNotOptimize(tips.BuildStockTexts(*s).data());
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_BuildStockTexts1000)->Unit(benchmark::kMicrosecond);

// The artwork strips as 32-bit pixels (0 = transparent), read from the checked-in bitmaps.
struct Strip {
    int width = 0;
    std::vector<std::uint32_t> pixels;  // 16 rows
};

Strip ReadStrip(const char* name) {
    Strip strip;
    // The source tree's resources folder, found from this file's own path.
    std::string root = __FILE__;
    root.resize(root.rfind("/bench/") + 1);
    std::ifstream in(root + "resources/" + name, std::ios::binary);
    const std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (d.size() < 54) return strip;
    auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(d[at] | d[at + 1] << 8 | d[at + 2] << 16 | d[at + 3] << 24);
    };
    const std::uint32_t offset = u32(10);
    strip.width = static_cast<int>(u32(18));
    const int stride = (strip.width * 3 + 3) & ~3;
    strip.pixels.resize(static_cast<std::size_t>(strip.width) * 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < strip.width; ++x) {
            const std::size_t at = offset + static_cast<std::size_t>(15 - y) * stride + x * 3;
            const std::uint32_t rgb = d[at] | d[at + 1] << 8 | d[at + 2] << 16;
            strip.pixels[static_cast<std::size_t>(y) * strip.width + x] = rgb == 0xC0C0C0 ? 0 : (rgb | 0xFF000000);
        }
    return strip;
}

// Layers pictures of the marks strip (0 to 9) and the arrow strip (10 to 17) like ImageList_Merge.
class MemoryComposer : public IconComposer {
  public:
    MemoryComposer() : marks_(ReadStrip("Marks150.bmp")), arrows_(ReadStrip("Arrows137.bmp")) {}
    void* Compose(IconCode code) override {
        auto* icon = new std::array<std::uint32_t, 256>{};
        for (std::uint32_t layer : {IconBase(code), IconOverlay1(code), IconOverlay2(code)}) {
            if (layer == kNoOverlay || layer > IMG_ARROW_LARGE_RISE) continue;
            const Strip& strip = layer < kMarkImages ? marks_ : arrows_;
            const int left = static_cast<int>(layer < kMarkImages ? layer : layer - kMarkImages) * 16;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    const std::uint32_t p = strip.pixels[static_cast<std::size_t>(y) * strip.width + left + x];
                    if (p) (*icon)[y * 16 + x] = p;
                }
        }
        return icon;
    }
    void Destroy(void* icon) override { delete static_cast<std::array<std::uint32_t, 256>*>(icon); }

  private:
    Strip marks_;
    Strip arrows_;
};

void BM_Compose100Icons(benchmark::State& state) {
    MemoryComposer composer;
    IconCache cache(composer);
    std::vector<IconCode> codes;
    const std::uint32_t marks[] = {kNoMark, IMG_MARK_FAILED, IMG_MARK_CHECKING, IMG_MARK_OFFLINE,
                                   IMG_MARK_OUT_OF_HOURS};
    for (std::uint32_t arrow = IMG_ARROW_NO_QUOTE; arrow <= IMG_ARROW_LARGE_RISE && codes.size() < 100; ++arrow)
        for (std::uint32_t mark : marks) {
            codes.push_back(MakeIconCode(arrow, mark));
            codes.push_back(MakeIconCode(IMG_HOLDING_FRAME, arrow, mark));
            codes.push_back(MakeIconCode(IMG_TOTALS_FRAME, arrow, mark));
        }
    codes.resize(100);
    for (auto _ : state) {
        for (IconCode code : codes) benchmark::DoNotOptimize(cache.GetIcon(code));
        state.PauseTiming();
        cache.Clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(BM_Compose100Icons)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quotrix
