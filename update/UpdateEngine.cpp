#include "update/UpdateEngine.h"

#include <ctime>
#include <new>

#include "log/ErrLog.h"
#include "net/BoardNews.h"
#include "net/InetSession.h"
#include "platform/Messages.h"
#include "update/MarketCalendar.h"
#include "update/WorkerThreads.h"

namespace quotrix {

namespace {

std::int32_t LocalSecondsOfDay(std::time_t now) {
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
}

void RunWorkerJob(void* request) { RunWorker(static_cast<WorkerRequest*>(request)); }

// A pointer as Windows prints "%p": sixteen upper-case hex digits.
unsigned long long PointerBits(const void* p) {
    return static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(p));
}

}  // namespace

const char* AcquisitionResultName(std::intptr_t result) {
    switch (result) {
        case ACQ_NOP:
            return "NOP";
        case ACQ_SUCCESS:
            return "success";
        case ACQ_OFFLINE:
            return "offline";
        case ACQ_FAILURE:
            return "failure";
        default:
            return "error";
    }
}

bool IsActiveTimeAt(const TimeOfDay& start, const TimeOfDay& end, std::int32_t now) {
    const bool comparable = start.state == end.state && start.state != TimeOfDay::INVALID;
    if (comparable && start.seconds <= end.seconds) return start.seconds <= now && now <= end.seconds;
    return now >= start.seconds || now <= end.seconds;
}

UpdateEngine::UpdateEngine(UpdateOwner& owner, StockList& stocks, EngineServices services, UpdateView* view)
    : owner_(owner), stocks_(stocks), services_(std::move(services)), view_(view) {}

UpdateEngine::~UpdateEngine() = default;

bool UpdateEngine::StartChecks() {
    if (!owner_.SetTimer(kCheckTimerId, settings.intervalMs)) return false;
    oneShot_ = settings.checkAtStartup;
    owner_.Post(kWmTimer, kCheckTimerId, 0);
    return true;
}

bool UpdateEngine::RestartCheckTimer() { return owner_.SetTimer(kCheckTimerId, settings.intervalMs); }

void UpdateEngine::QueueAll() {
    if (InetSession::Instance().IsFull()) {
        AppLog().Log(LOG_DTL, "Queue denied. Retry timer install");
        if (!delayTimerInstalled_) delayTimerInstalled_ = owner_.SetTimer(kDelayTimerId, kDelayTimerMs);
        return;
    }
    AppLog().Log(LOG_DTL, "Queue all");
    if (queueHalt_) return;
    for (auto& stock : stocks_) line_.push_front(stock.get());
    ExecuteQueue();
}

void UpdateEngine::QueueOne(CStockMan& stock) {
    if (queueHalt_) return;
    line_.push_front(&stock);
    ExecuteQueue();
}

void UpdateEngine::ExecuteQueue() {
    if (queueHalt_) return;
    unsigned count = 0;
    // A pass ends after one full turn of failed starts, so that a machine out of threads does
    // not spin here forever.
    std::size_t failedInRow = 0;
    while (!line_.empty()) {
        if (!InetSession::Instance().Acquire(true)) break;
        CStockMan* stock = line_.back();
        line_.pop_back();
        ++count;
        if (StartWorker(stock)) {
            failedInRow = 0;
            continue;
        }
        InetSession::Instance().Release();
        line_.push_front(stock);
        if (++failedInRow >= line_.size()) break;
    }
    AppLog().Log(LOG_DTL, "[CHECK] Executed: %u / Queue: %u", count, static_cast<unsigned>(line_.size()));
}

bool UpdateEngine::StartWorker(CStockMan* stock) {
    if (!stock) {
        AppLog().Log(LOG_ERR, "Thread exec: Invalid stock pointer");
        return false;
    }
    const auto item = static_cast<std::int32_t>(stock->Id());
    WorkerRequest* request = new (std::nothrow) WorkerRequest;
    if (!request) {
        AppLog().Log(LOG_ERR, "Item: %d / Thread memory allocation", item);
        return false;
    }
    request->window = &owner_;
    request->item = item;
    request->stock = stock;
    request->copy = static_cast<const CStock&>(*stock);
    request->log.level = AppLog().ThreadLogLevel();
    request->checkMask = settings.boardNewsMask;
    request->services = services_;
    request->liveWorkers = liveWorkers_;
    ++*liveWorkers_;
    std::uint32_t handle = 0;
    if (WorkerThreads::Instance().Start(RunWorkerJob, request, handle)) {
        AppLog().Log(LOG_DTL, "Item: %d / Thread: 0x%08X / Data: 0x%016llX", item, handle, PointerBits(stock));
        return true;
    }
    AppLog().Log(LOG_ERR, "Item: %d / Thread: 0x%08X / Data: 0x%016llX", item, 0u, PointerBits(stock));
    --*liveWorkers_;
    delete request;
    return false;
}

void UpdateEngine::UpdateOneNow(CStockMan& stock) {
    if (services_.refreshOnlineForUser) services_.refreshOnlineForUser();
    if (!InetSession::Instance().Acquire(false)) return;
    if (!StartWorker(&stock)) InetSession::Instance().Release();
}

void UpdateEngine::RemoveStock(CStockMan& stock) {
    std::erase(line_, &stock);
    for (auto it = stocks_.begin(); it != stocks_.end(); ++it) {
        if (it->get() != &stock) continue;
        // Unregistered at once, so that a worker's late outcome finds no stock to merge into.
        StockRegistry::Instance().Unregister(stock);
        deferredDeletes_.push_back(std::move(*it));
        stocks_.erase(it);
        return;
    }
}

void RunWorker(WorkerRequest* request) {
    if (!request) return;
    AcquisitionResult result = ACQ_NOP;
    CStock& copy = request->copy;
    ThreadLog& log = request->log;
    const EngineServices& services = request->services;
    if (request->window && request->window->IsAlive() && request->stock->updateLock.try_acquire()) {
        bool fetch = true;
        if (NoAutoUpdateOffline) {
            const bool connected = services.isConnected && services.isConnected();
            log.Append(LOG_INT, "Network: %sline", connected ? "on" : "off");
            if (!connected) {
                result = ACQ_OFFLINE;
                fetch = false;
            }
        }
        if (fetch && CheckHalt) fetch = false;
        if (fetch) {
            log.Append(LOG_INT, "Item: %d / Code: %s : %04u%s", request->item, copy.codeText.c_str(), copy.code,
                       MarketSuffix(copy.market));
            request->window->Send(WM_APP_CHECK_START, static_cast<std::uintptr_t>(request->item), 0);
            if (copy.quoteUrl.empty()) copy.BuildUrls();
            if (!services.fetchQuote || !services.fetchQuote(copy, log)) {
                copy.status = StatusFailed(copy.status);
                result = ACQ_FAILURE;
            } else {
                copy.status = STATUS_UPDATED;
                result = ACQ_SUCCESS;
                if (request->checkMask != 0) {
                    if (copy.market & 0x80) {
                        log.Append(LOG_DTL, "Board/News: skipped");
                    } else {
                        auto reachable = [&] { return !CheckHalt && services.isConnected && services.isConnected(); };
                        std::uint32_t boardId = 0, newsId = 0;
                        if ((request->checkMask & 1) && services.checkBoard && reachable()) {
                            boardId = services.checkBoard(copy, log);
                            log.Append(LOG_DTL, "Board ID: 0x%08X", boardId);
                        }
                        if ((request->checkMask & 2) && services.checkNews && reachable()) {
                            newsId = services.checkNews(copy, log);
                            log.Append(LOG_DTL, "New ID: 0x%08X", newsId);
                        }
                        if (boardId != 0 || newsId != 0) {
                            request->boardId = boardId;
                            request->newsId = newsId;
                        }
                    }
                }
            }
        }
        request->stock->updateLock.release();
    }
    log.Append(LOG_INT, "Item: %d / Data acquisition: %s", request->item, AcquisitionResultName(result));
    InetSession::Instance().Release();
    if (result != ACQ_NOP && request->window)
        request->window->Send(WM_APP_CHECK_RESULT, reinterpret_cast<std::uintptr_t>(request), result);
    auto live = request->liveWorkers;
    delete request;
    if (live) --*live;
}

std::intptr_t UpdateEngine::OnOwnerMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    switch (message) {
        case WM_APP_CHECK_START: {
            if (CheckHalt) return 0;
            CStockMan* stock = StockRegistry::Instance().Find(static_cast<std::uint32_t>(wParam));
            if (!stock) return 0;
            stock->status = StatusChecking(stock->status);
            if (view_) {
                view_->RedrawStock(*stock, false);
                if (stock->fileFlags & FILEFLAG_PORTFOLIO) view_->RefreshViews(false);
            }
            return 0;
        }
        case WM_APP_CHECK_RESULT:
            ExecuteQueue();
            if (!CheckHalt) Merge(*reinterpret_cast<WorkerRequest*>(wParam), lParam);
            return 0;
        case WM_APP_QUEUE_ITEM: {
            CStockMan* stock = StockRegistry::Instance().Find(static_cast<std::uint32_t>(wParam));
            if (!stock) return 0;
            AppLog().Log(LOG_DTL, "Queue item: %d", static_cast<int>(wParam));
            QueueOne(*stock);
            return 0;
        }
        case kWmTimer:
            OnCheckTimer(static_cast<unsigned>(wParam));
            return 0;
        default:
            return 0;
    }
}

void UpdateEngine::FlushWorkerLog(CStockMan& stock, ThreadLog& log, std::intptr_t result) {
    const bool failed = result != ACQ_SUCCESS && result != ACQ_OFFLINE;
    if (AppLog().CopiesWorkerLog(failed) && !log.text.empty()) log.Flush(stock.updateLog, AppLog());
}

void UpdateEngine::Merge(WorkerRequest& request, std::intptr_t result) {
    CStockMan* stock = StockRegistry::Instance().Find(static_cast<std::uint32_t>(request.item));
    if (!stock) {
        ++dropped_;
        return;
    }
    ++merges_;
    FlushWorkerLog(*stock, request.log, result);
    const CStock& copy = request.copy;
    switch (result) {
        case ACQ_SUCCESS:
            // The holding (shares, cost) belongs to the user and is never overwritten by a quote.
            stock->code = copy.code;
            stock->market = copy.market;
            stock->volume = copy.volume;
            stock->change = copy.change;
            stock->prevClose = copy.prevClose;
            stock->open = copy.open;
            stock->high = copy.high;
            stock->low = copy.low;
            stock->price = copy.price;
            stock->dividendYield = copy.dividendYield;
            stock->per = copy.per;
            stock->eps = copy.eps;
            stock->pbr = copy.pbr;
            stock->updateTime = copy.updateTime;
            stock->quoteUrl = copy.quoteUrl;
            stock->boardUrl = copy.boardUrl;
            stock->newsUrl = copy.newsUrl;
            if (stock->status & kNamePending) stock->name = copy.name;
            TakeOverBoardId(request.boardId, stock->lastBoardId, stock->newMarks);
            TakeOverNewsId(request.newsId, stock->lastNewsId, stock->newMarks);
            stock->status = STATUS_UPDATED;
            AppLog().Log(LOG_DTL, "Item: %d / Update: success", request.item);
            break;
        case ACQ_OFFLINE:
            stock->status = StatusOfflineOutcome(stock->status);
            AppLog().Log(LOG_DTL, "Item: %d / Update: offline", request.item);
            break;
        case ACQ_FAILURE:
            stock->status = StatusFailed(stock->status);
            AppLog().Log(LOG_INT, "Item: %d / Update: failure", request.item);
            break;
        default:
            AppLog().Log(LOG_ERR, "Item: %d / Unknown check notify: %d", request.item, static_cast<int>(result));
            break;
    }
    if (view_) {
        if (stock->fileFlags & FILEFLAG_PORTFOLIO) view_->RefreshViews(false);
        view_->RedrawStock(*stock, result == ACQ_SUCCESS);
    }
}

void UpdateEngine::FreeDeferred() { deferredDeletes_.clear(); }

void UpdateEngine::OnCheckTimer(unsigned timerId) {
    if (timerId == kCheckTimerId) {
        AppLog().Log(LOG_DTL, "[TIMER] CHECK EVENT");
        ++checkEvents_;
        if (!InetSession::Instance().IsInUse()) FreeDeferred();
        if (!IsActiveTime()) {
            StatusChange(STATUS_OUT_OF_HOURS);
            return;
        }
        if (services_.refreshOnline) services_.refreshOnline();
        if (Online) {
            QueueAll();
            if (settings.autoReleaseCheck && services_.startReleaseCheck &&
                !(services_.releaseCheckedToday && services_.releaseCheckedToday()))
                services_.startReleaseCheck();
            return;
        }
        StatusChange(STATUS_OFFLINE);
    } else if (timerId == kDelayTimerId) {
        AppLog().Log(LOG_DTL, "[TIMER] TEMP CHECK EVENT");
        if (InetSession::Instance().IsFull()) return;
        owner_.KillTimer(kDelayTimerId);
        delayTimerInstalled_ = false;
        if (services_.refreshOnline) services_.refreshOnline();
        if (Online)
            QueueAll();
        else
            StatusChange(STATUS_OFFLINE);
    }
}

bool UpdateEngine::IsActiveTime() {
    if (oneShot_) {
        oneShot_ = false;
        return true;
    }
    const std::time_t now = services_.now ? services_.now() : std::time(nullptr);
    // The exchange's day is Tokyo's whatever the machine's zone; the hours stay the machine's
    // own, since a user abroad may have set them to his clock.
    if (settings.marketCalendar && !MarketCalendar::IsTradingMoment(now)) {
        AppLog().Log(LOG_DTL, "[CHECK] Market closed: %s", MarketCalendar::JapanDate(now).Text().c_str());
        return false;
    }
    if (!settings.activeHoursOn) return true;
    return IsActiveTimeAt(settings.start, settings.end, LocalSecondsOfDay(now));
}

void UpdateEngine::StatusChange(std::uint32_t status) {
    int changed = 0;
    for (auto& stock : stocks_) {
        const std::uint32_t before = stock->status;
        stock->status = status == STATUS_OUT_OF_HOURS ? StatusOutOfHoursEvent(before) : StatusOfflineEvent(before);
        if (stock->status == before) continue;
        ++changed;
        if (view_) view_->RedrawStock(*stock, false);
    }
    AppLog().Log(LOG_DTL, "Status change: %d / %d items", static_cast<int>(status), changed);
    if (view_) view_->RefreshViews(changed > 0);
}

void UpdateEngine::Halt() {
    owner_.KillTimer(kCheckTimerId);
    AppLog().Log(LOG_INT, "[TIMER] KILL Check timer");
    if (delayTimerInstalled_) {
        owner_.KillTimer(kDelayTimerId);
        delayTimerInstalled_ = false;
        AppLog().Log(LOG_INT, "[TIMER] KILL Delay timer");
    }
    CheckHalt = true;
    AppLog().Log(LOG_INT, "[CHECK] SET Check halt flag for theads");
    queueHalt_ = true;
    line_.clear();
    AppLog().Log(LOG_INT, "[CHECK] SET Check halt flag for queue");
    if (services_.closeSession) services_.closeSession();
}

void UpdateEngine::WaitForWorkers() {
    auto& session = InetSession::Instance();
    // Waiting pumps the worker messages: a worker blocked in Send would otherwise keep its
    // session place, and the wait would never end.
    if (session.IsInUse()) {
        AppLog().Log(LOG_INT, "THREAD: WAITING TERMINATION");
        owner_.Pump(1000);
        if (session.IsInUse()) {
            const bool record = !services_.readThreadWait || services_.readThreadWait() != 2;
            if (record && services_.writeThreadWait) services_.writeThreadWait(1);
            while (session.IsInUse()) owner_.Pump(500);
            if (record && services_.writeThreadWait) services_.writeThreadWait(0);
        }
        AppLog().Log(LOG_INT, "THREAD: TERMINATED ALL");
    } else {
        AppLog().Log(LOG_INT, "THREAD: NO WORK THREAD");
    }
    // A worker gives its session place back just before its last message; it still uses the
    // owner until its last step is done.
    while (liveWorkers_->load() > 0) owner_.Pump(10);
    stocks_.clear();
    deferredDeletes_.clear();
}

}  // namespace quotrix
