#include "update/QueueOwner.h"

namespace quotrix {

QueueOwner::QueueOwner(UpdateMessageSink* sink) : sink_(sink), ownerThread_(std::this_thread::get_id()) {}

QueueOwner::~QueueOwner() { Close(); }

bool QueueOwner::Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (std::this_thread::get_id() == ownerThread_) {
        if (!IsAlive() || !sink_) return false;
        sink_->OnOwnerMessage(message, wParam, lParam);
        return true;
    }
    auto item = std::make_shared<Message>(message, wParam, lParam, true);
    std::unique_lock lock(lock_);
    if (closed_) return false;
    queue_.push_back(item);
    // Woken after the lock is let go, the owner does not at once wait for it again.
    lock.unlock();
    wake_.notify_all();
    lock.lock();
    item->replied.wait(lock, [&] { return item->done; });
    return item->handled;
}

bool QueueOwner::Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    std::lock_guard lock(lock_);
    if (closed_) return false;
    queue_.push_back(std::make_shared<Message>(message, wParam, lParam, false));
    wake_.notify_all();
    return true;
}

bool QueueOwner::SetTimer(unsigned timerId, unsigned periodMs) {
    std::lock_guard lock(lock_);
    if (closed_) return false;
    const auto period = std::chrono::milliseconds(periodMs);
    timers_[timerId] = Timer{period, Clock::now() + period};
    return true;
}

void QueueOwner::KillTimer(unsigned timerId) {
    std::lock_guard lock(lock_);
    timers_.erase(timerId);
}

bool QueueOwner::TimerRunning(unsigned timerId) const {
    std::lock_guard lock(lock_);
    return timers_.count(timerId) != 0;
}

bool QueueOwner::IsAlive() {
    std::lock_guard lock(lock_);
    return !closed_;
}

void QueueOwner::Close() {
    std::lock_guard lock(lock_);
    closed_ = true;
    // Senders blocked on us must not wait for a loop that will never run again.
    for (auto& item : queue_) {
        item->done = true;
        item->replied.notify_all();
    }
    queue_.clear();
    timers_.clear();
    wake_.notify_all();
}

bool QueueOwner::HandleQueued(std::unique_lock<std::mutex>& lock) {
    if (queue_.empty()) return false;
    auto item = queue_.front();
    queue_.pop_front();
    lock.unlock();
    if (sink_) sink_->OnOwnerMessage(item->message, item->wParam, item->lParam);
    lock.lock();
    item->handled = sink_ != nullptr;
    item->done = true;
    if (item->sent) {
        // The sender wakes to a free lock (the item is ours until this function returns).
        lock.unlock();
        item->replied.notify_all();
        lock.lock();
    }
    return true;
}

bool QueueOwner::DispatchOne(std::unique_lock<std::mutex>& lock, Clock::time_point until) {
    while (!closed_) {
        if (HandleQueued(lock)) return true;
        const auto now = Clock::now();
        auto next = until;
        for (auto& [id, timer] : timers_) {
            if (timer.due <= now) {
                timer.due = now + timer.period;
                const unsigned timerId = id;
                lock.unlock();
                if (sink_) sink_->OnOwnerTimer(timerId);
                lock.lock();
                return true;
            }
            next = std::min(next, timer.due);
        }
        if (now >= until) return false;
        wake_.wait_until(lock, next);
    }
    return false;
}

bool QueueOwner::Run(const std::function<bool()>& done) {
    std::unique_lock lock(lock_);
    while (!closed_) {
        lock.unlock();
        if (done && done()) return true;
        lock.lock();
        DispatchOne(lock, Clock::now() + std::chrono::milliseconds(50));
    }
    return false;
}

void QueueOwner::RunFor(Clock::duration duration) {
    const auto until = Clock::now() + duration;
    std::unique_lock lock(lock_);
    while (!closed_ && DispatchOne(lock, until)) {
    }
}

void QueueOwner::Pump(unsigned ms) {
    // Only worker messages: timers must not fire while the owner is shutting down.
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    std::unique_lock lock(lock_);
    while (!closed_) {
        if (HandleQueued(lock)) continue;
        if (Clock::now() >= until) return;
        wake_.wait_until(lock, until);
    }
}

}  // namespace quotrix
