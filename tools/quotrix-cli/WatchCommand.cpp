// quotrix-cli watch FILE: runs the update engine on a stock file and redraws the table of its
// stocks after every merge, until Ctrl+C (or after one pass with --once).
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <string>
#include <unordered_map>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "Command.h"
#include "LoadStocks.h"
#include "app/RuntimeSetup.h"
#include "log/ErrLog.h"
#include "model/StockMan.h"
#include "net/InetSession.h"
#include "platform/SettingsStores.h"
#include "platform/TextCodec.h"
#include "update/DefaultServices.h"
#include "update/MarketCalendar.h"
#include "update/QueueOwner.h"
#include "update/RunningTotals.h"

namespace quotrix::cli {

namespace {

std::atomic<bool> g_stop{false};

extern "C" void OnStopSignal(int) { g_stop = true; }

bool StdoutIsTerminal() {
#if defined(_WIN32)
    return _isatty(_fileno(stdout)) != 0;
#else
    return isatty(STDOUT_FILENO) != 0;
#endif
}

struct WatchOptions {
    std::string path;
    bool once = false;
    bool save = false;
    bool ignoreHours = false;
    int intervalSeconds = 0;  // 0: the setting
    int threads = 0;          // 0: the setting
    // --date: the market calendar decides as if Tokyo's date were this one (the time of day
    // stays the clock's), to see what a holiday does without waiting for one.
    bool hasDate = false;
    CivilDate date;
};

bool ParseWatchOptions(const std::vector<std::string>& args, WatchOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto number = [&](int& out, int low, int high) {
            if (i + 1 >= args.size()) return false;
            char* end = nullptr;
            const long value = std::strtol(args[++i].c_str(), &end, 10);
            if (*end != '\0' || value < low || value > high) return false;
            out = static_cast<int>(value);
            return true;
        };
        if (a == "--once") {
            options.once = true;
        } else if (a == "--save") {
            options.save = true;
        } else if (a == "--ignore-hours") {
            options.ignoreHours = true;
        } else if (a == "--interval") {
            if (!number(options.intervalSeconds, 1, 86400)) return false;
        } else if (a == "--threads") {
            if (!number(options.threads, 1, 25)) return false;
        } else if (a == "--date") {
            if (i + 1 >= args.size() || !ParseCivilDate(args[++i], options.date)) return false;
            options.hasDate = true;
        } else if (!a.empty() && a[0] == '-') {
            return false;
        } else if (options.path.empty()) {
            options.path = a;
        } else {
            return false;
        }
    }
    return !options.path.empty();
}

// No control characters from a damaged file or page may reach the terminal.
std::string Printable(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return text;
}

std::string Price(PriceValue value, unsigned flags) {
    std::string text;
    return FormatPrice(value, text, flags | FMT_GROUP);
}

std::string ChangeText(const CStock& stock) {
    std::string text = Price(stock.change, FMT_SIGN);
    char percent[32];
    if (stock.prevClose > 0)
        std::snprintf(percent, sizeof percent, "  %+.2f%%",
                      static_cast<double>(stock.change) * 100.0 / static_cast<double>(stock.prevClose));
    else
        std::snprintf(percent, sizeof percent, "    ---%%");
    return text + percent;
}

// The table of stocks. A merge marks its stock's row and replaces that stock's share of the
// totals; rows are formatted, and the whole table put together, only when it is printed, which a
// terminal gets at most every kFrame (and once more when the pass ends), a pipe once per pass.
class TableView : public UpdateView {
  public:
    static constexpr int kColumns = 6;
    static constexpr auto kFrame = std::chrono::milliseconds(200);

    TableView(const StockList& stocks, bool clearScreen) : clearScreen_(clearScreen) {
        rows_.reserve(stocks.size());
        for (std::size_t i = 0; i < stocks.size(); ++i) {
            rowOf_.emplace(stocks[i].get(), i);
            rows_.push_back(Row(*stocks[i]));
            stocks_.push_back(stocks[i].get());
        }
        stale_.assign(stocks.size(), false);
        totals_.Reset(stocks);
    }

    // The stocks stay while the view lives (the engine halts before the table is dropped).
    void RedrawStock(CStockMan& stock, bool updated) override {
        const auto it = rowOf_.find(&stock);
        if (it != rowOf_.end()) stale_[it->second] = true;
        totals_.Update(stock);
        dirty_ = true;
        if (updated) ++merges_;
    }
    void RefreshViews(bool) override { dirty_ = true; }

    int Merges() const { return merges_; }

    // `now`: the pass has ended, draw whatever changed without waiting for the next frame.
    void DrawIfChanged(bool now) {
        if (!dirty_) return;
        const auto time = std::chrono::steady_clock::now();
        if (!now && time - lastDraw_ < kFrame) return;
        dirty_ = false;
        lastDraw_ = time;
        Draw();
    }

    void Draw() {
        static const std::array<std::string, kColumns> kHeader = {SJIS("コード"), SJIS("銘柄名"), SJIS("株価"),
                                                                  SJIS("前日比"), SJIS("出来高"), SJIS("状態")};
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            if (!stale_[i]) continue;
            rows_[i] = Row(*stocks_[i]);
            stale_[i] = false;
        }
        std::array<std::size_t, kColumns> widths{};
        for (int c = 0; c < kColumns; ++c) widths[c] = kHeader[c].size();
        for (const auto& row : rows_)
            for (int c = 0; c < kColumns; ++c) widths[c] = std::max(widths[c], row[c].size());
        constexpr std::array<bool, kColumns> kRight = {false, false, true, true, true, false};
        std::string out = clearScreen_ ? "\x1b[H\x1b[2J" : "\n";
        auto line = [&](const std::array<std::string, kColumns>& row) {
            for (int c = 0; c < kColumns; ++c) {
                const std::string pad(widths[c] - row[c].size(), ' ');
                if (c > 0) out += "  ";
                out += kRight[c] ? pad + row[c] : (c + 1 < kColumns ? row[c] + pad : row[c]);
            }
            out += "\n";
        };
        line(kHeader);
        for (const auto& row : rows_) line(row);
        // "合計 %s (%s) 損益 %s" as the totals line reads.
        out += SJIS("合計 ") + Price(totals_.Value(), 0) + " (" + Price(totals_.Change(), FMT_SIGN) + SJIS(") 損益 ") +
               Price(totals_.Profit(), FMT_SIGN) + "\n";
        Print(out);
    }

  private:
    static std::array<std::string, kColumns> Row(const CStockMan& stock) {
        std::string code = stock.codeText + MarketSuffix(stock.market);
        std::string marks;
        if (stock.newMarks & 1) marks += SJIS(" 掲");
        if (stock.newMarks & 2) marks += SJIS(" ニ");
        std::string volume;
        FormatCount(static_cast<std::int32_t>(stock.volume), volume, FMT_GROUP);
        const bool quoted = (stock.status & 1) != 0 || stock.price != 0;
        return {Printable(code),
                Printable(stock.name) + marks,
                quoted ? Price(stock.price, 0) : "-",
                quoted ? ChangeText(stock) : "-",
                quoted ? volume : "-",
                Printable(StatusSuffix(stock.status))};
    }

    bool clearScreen_;
    std::vector<std::array<std::string, kColumns>> rows_;
    std::vector<const CStockMan*> stocks_;
    std::vector<bool> stale_;  // the row's stock changed since the row was formatted
    std::unordered_map<const CStockMan*, std::size_t> rowOf_;
    RunningTotals totals_;
    bool dirty_ = true;
    int merges_ = 0;
    std::chrono::steady_clock::time_point lastDraw_{};
};

int RunWatch(const std::vector<std::string>& args) {
    WatchOptions options;
    if (!ParseWatchOptions(args, options)) return UsageError("watch");

    LoadedFile file = LoadStocks(options.path);
    if (file.stocks.empty()) {
        PrintError(options.path + ": no stocks to watch");
        return kExitFailure;
    }

    auto store = CreateUserSettingsStore();
    LoadLogSettings(*store, AppLog());
    AppSettings& settings = ProcessSettings();
    LoadSettings(*store, settings, 0xFFFFFF, AppLog());
    if (options.threads > 0) settings.maxThreads = options.threads;
    ApplyNetworkSettings(settings);
    for (auto& stock : file.stocks) stock->BuildUrls();

    QueueOwner owner;
    TableView view(file.stocks, StdoutIsTerminal());

    EngineServices services = DefaultEngineServices();
    if (options.hasDate) {
        const std::int64_t day = DaysFromCivil(options.date);
        services.now = [day] {
            // Seconds into Tokyo's day now, on the chosen day.
            constexpr std::int64_t kJapan = 9 * 3600, kDay = 86400;
            const std::int64_t into = ((static_cast<std::int64_t>(std::time(nullptr)) + kJapan) % kDay + kDay) % kDay;
            return static_cast<std::time_t>(day * kDay + into - kJapan);
        };
    }
    UpdateEngine engine(owner, file.stocks, std::move(services), &view);
    owner.SetSink(&engine);
    engine.settings = CheckSettingsFrom(settings);
    if (options.intervalSeconds > 0) engine.settings.intervalMs = static_cast<unsigned>(options.intervalSeconds) * 1000;
    if (options.ignoreHours) {
        engine.settings.activeHoursOn = false;
        engine.settings.marketCalendar = false;
    }

    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    if (!engine.StartChecks()) {
        PrintError("the check timer could not be started");
        return kExitFailure;
    }
    const bool terminal = StdoutIsTerminal();
    owner.Run([&] {
        const bool idle = engine.QueueLength() == 0 && engine.LiveWorkers() == 0;
        // A terminal follows the merges frame by frame; a pipe or file gets one table per
        // finished pass.
        if (terminal || idle) view.DrawIfChanged(idle);
        if (g_stop) return true;
        // One pass: the first check event has run and every worker it started has ended.
        return options.once && engine.CheckEvents() > 0 && engine.QueueLength() == 0 && engine.LiveWorkers() == 0;
    });

    engine.Halt();
    int status = kExitOk;
    if (options.save) {
        if (WriteStockFile(options.path, file.stocks, file.placement, file.cashBalance, file.header))
            Print(options.path + SJIS(" に保存しました。\n"));
        else
            status = kExitFailure;
    }
    engine.WaitForWorkers();
    return status;
}

}  // namespace

QUOTRIX_CLI_COMMAND(watch, "watch",
                    "watch FILE [--once] [--interval S] [--threads N] [--ignore-hours] [--date YYYY-MM-DD] [--save]",
                    "update the stocks of a file from the quote site and show them live", RunWatch);

}  // namespace quotrix::cli
