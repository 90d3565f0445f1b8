// The update engine: the queue of stocks waiting for a worker, the worker threads, the merge of
// their results, and the check schedule.
//
// Threads: every public member runs on the owner's thread (the main window's), except what the
// workers do inside the engine: a worker only reads its WorkerRequest, writes the copy in it and
// talks to the owner through UpdateOwner::Send. The engine never knows about windows.
// Ownership: the stock list belongs to the caller (the main window); the engine parks removed
// stocks in DeferredDeletes and frees them when no worker can still refer to them.
#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "log/ThreadLog.h"
#include "model/Stock.h"
#include "model/StockMan.h"
#include "update/UpdateOwner.h"
#include "update/UpdateStatus.h"

namespace quotrix {

inline constexpr unsigned kCheckTimerId = 1;
inline constexpr unsigned kDelayTimerId = 2;
inline constexpr unsigned kDelayTimerMs = 10000;

// A time of day for the active hours. Null and invalid bounds keep the comparisons of a date-time
// type that can be null or invalid (see IsActiveTimeAt).
struct TimeOfDay {
    enum State : std::uint8_t { VALID, INVALID, NULL_TIME };
    State state = VALID;
    std::int32_t seconds = 0;  // since midnight

    static TimeOfDay Hms(int h, int m, int s) { return {VALID, h * 3600 + m * 60 + s}; }
};

// Whether `nowSeconds` (since midnight) lies in [start, end], with hours across midnight when
// start > end; equal bounds make only that second active.
bool IsActiveTimeAt(const TimeOfDay& start, const TimeOfDay& end, std::int32_t nowSeconds);

// The settings the engine reads. Filled by the owner from the application settings.
struct CheckSettings {
    unsigned intervalMs = 90000;
    bool activeHoursOn = false;  // "自動更新する時間帯を指定する"
    TimeOfDay start = TimeOfDay::Hms(9, 0, 0);
    TimeOfDay end = TimeOfDay::Hms(15, 30, 0);
    bool checkAtStartup = false;    // "起動時は、時間外でも自動更新する"
    bool autoReleaseCheck = false;  // "新バージョンのリリースを、通知する"
    // "MarketCalendar": a day the Tokyo exchange is closed counts as outside the active hours.
    // Off unless the settings turn it on, so that an engine of its own checks on any day.
    bool marketCalendar = false;
    std::uint8_t boardNewsMask = 0;  // bit 0 check the board, bit 1 the news
};

// What the engine needs from the rest of the program. The defaults are the real fetchers and
// probes; each member may be replaced (the command-line tool, for instance, has no release check).
struct EngineServices {
    // Fetches and parses the quote page into `copy`; false on failure.
    std::function<bool(CStock& copy, ThreadLog& log)> fetchQuote;
    // Newest board post / news id for the stock, 0 when none.
    std::function<std::uint32_t(const CStock& copy, ThreadLog& log)> checkBoard;
    std::function<std::uint32_t(const CStock& copy, ThreadLog& log)> checkNews;
    std::function<bool()> isConnected;
    std::function<void()> refreshOnline;         // updates the Online flag (automatic paths)
    std::function<void()> refreshOnlineForUser;  // may dial (the user's own commands)
    std::function<bool()> releaseCheckedToday;
    std::function<void()> startReleaseCheck;
    // Closes the Internet session for good when the engine halts, so that a fetch that starts
    // during the shutdown stops at once ("Inet session open failure"). The program's own
    // session is the main window's to close; absent, Halt leaves the session open.
    std::function<void()> closeSession;
    // "ThreadWait": whether a run ended while waiting for its workers.
    std::function<int()> readThreadWait;
    std::function<void(int)> writeThreadWait;
    // The current moment (seconds since 1970, UTC); empty: the system clock. The active hours
    // take its local time of day, the market calendar its date in Tokyo.
    std::function<std::time_t()> now;
};

// What the engine asks of the window that shows the stocks. May be absent.
class UpdateView {
  public:
    virtual ~UpdateView() = default;
    // Redraw a stock's icon and tip; `updated` after a successful merge.
    virtual void RedrawStock(CStockMan& stock, bool updated) = 0;
    // Refresh the portfolio and summary views (re-lay them out when `relayout`).
    virtual void RefreshViews(bool relayout) = 0;
};

// One started worker. Created on the owner's thread, then owned and destroyed by the worker.
struct WorkerRequest {
    UpdateOwner* window = nullptr;
    std::int32_t item = 0;       // the stock's registry identifier
    CStockMan* stock = nullptr;  // only its update lock is used by the worker
    CStock copy;                 // the worker's results
    ThreadLog log;
    std::uint8_t checkMask = 0;
    std::uint32_t boardId = 0;
    std::uint32_t newsId = 0;
    EngineServices services;
    // Counts the worker until its last step is done; its thread may then wait for the next one.
    std::shared_ptr<std::atomic<int>> liveWorkers;
};

class UpdateEngine : public UpdateMessageSink {
  public:
    UpdateEngine(UpdateOwner& owner, StockList& stocks, EngineServices services, UpdateView* view = nullptr);
    ~UpdateEngine() override;
    UpdateEngine(const UpdateEngine&) = delete;
    UpdateEngine& operator=(const UpdateEngine&) = delete;

    CheckSettings settings;

    // Installs the check timer and posts the first check so that it runs at once.
    bool StartChecks();
    // The interval changed: the check timer starts again at settings.intervalMs, without an
    // extra check now.
    bool RestartCheckTimer();
    // Shutting down, in two steps so that the owner can save in between (the stocks are still
    // there): Halt kills the timers and sets the halt flags; WaitForWorkers waits for every
    // worker (Pump keeps their messages flowing meanwhile), then frees the stocks.
    void Halt();
    void WaitForWorkers();
    void Shutdown() {
        Halt();
        WaitForWorkers();
    }

    void QueueAll();
    void QueueOne(CStockMan& stock);
    void ExecuteQueue();
    bool StartWorker(CStockMan* stock);
    void UpdateOneNow(CStockMan& stock);
    // Takes the stock out of the list and the line and parks it until no worker can hold it.
    void RemoveStock(CStockMan& stock);

    void OnCheckTimer(unsigned timerId);
    bool IsActiveTime();
    void StatusChange(std::uint32_t status);

    std::intptr_t OnOwnerMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void OnOwnerTimer(unsigned timerId) override { OnCheckTimer(timerId); }

    std::size_t QueueLength() const { return line_.size(); }
    std::size_t DeferredCount() const { return deferredDeletes_.size(); }
    bool DelayTimerInstalled() const { return delayTimerInstalled_; }
    int LiveWorkers() const { return liveWorkers_->load(); }
    unsigned CheckEvents() const { return checkEvents_; }
    // Outcomes merged into a stock, and outcomes dropped because their stock was gone.
    std::uint64_t Merges() const { return merges_; }
    std::uint64_t DroppedOutcomes() const { return dropped_; }

  private:
    void Merge(WorkerRequest& request, std::intptr_t result);
    void FlushWorkerLog(CStockMan& stock, ThreadLog& log, std::intptr_t result);
    void FreeDeferred();

    UpdateOwner& owner_;
    StockList& stocks_;
    EngineServices services_;
    UpdateView* view_;
    // The waiting line: the back is the head (taken next), the front the tail.
    std::deque<CStockMan*> line_;
    bool queueHalt_ = false;
    StockList deferredDeletes_;
    bool delayTimerInstalled_ = false;
    bool oneShot_ = false;
    unsigned checkEvents_ = 0;
    std::uint64_t merges_ = 0;
    std::uint64_t dropped_ = 0;
    std::shared_ptr<std::atomic<int>> liveWorkers_ = std::make_shared<std::atomic<int>>(0);
};

// The worker thread's body (exposed for the tests of its steps).
void RunWorker(WorkerRequest* request);

}  // namespace quotrix
