// The portable UpdateOwner: a message queue with a reply handshake and a timer wheel, drained by
// the owner's own loop (Run/RunFor). Used by quotrix-cli and the tests.
//
// Threads: Send/Post from any thread; everything else on the owner's thread (the thread that
// constructed the object).
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "update/UpdateOwner.h"

namespace quotrix {

class QueueOwner : public UpdateOwner {
  public:
    using Clock = std::chrono::steady_clock;

    explicit QueueOwner(UpdateMessageSink* sink = nullptr);
    ~QueueOwner() override;

    void SetSink(UpdateMessageSink* sink) { sink_ = sink; }

    bool Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    bool Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    bool SetTimer(unsigned timerId, unsigned periodMs) override;
    void KillTimer(unsigned timerId) override;
    void Pump(unsigned ms) override;
    bool IsAlive() override;

    // Handles messages and timers until `done` answers true (checked after each one) or the
    // owner is closed. Returns false when it stopped because of Close.
    bool Run(const std::function<bool()>& done);
    // Handles messages and timers for the given time.
    void RunFor(Clock::duration duration);
    // Ends the owner: pending and later sends fail, Run returns.
    void Close();
    bool TimerRunning(unsigned timerId) const;

  private:
    struct Message {
        Message(unsigned m, std::uintptr_t w, std::intptr_t l, bool s) : message(m), wParam(w), lParam(l), sent(s) {}
        unsigned message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        bool sent;
        bool done = false;
        bool handled = false;
        // Its sender's own wake-up: one shared by all senders woke every waiting worker at each
        // reply, and a pass over many stocks spent more time in those wake-ups than in the pages.
        std::condition_variable replied;
    };
    // Handles the oldest queued message, if any (lock held on entry and exit).
    bool HandleQueued(std::unique_lock<std::mutex>& lock);
    // Handles at most one due item, waiting until `until` for one. Returns false on timeout.
    bool DispatchOne(std::unique_lock<std::mutex>& lock, Clock::time_point until);

    UpdateMessageSink* sink_;
    std::thread::id ownerThread_;
    mutable std::mutex lock_;
    std::condition_variable wake_;  // the owner: a message arrived
    std::deque<std::shared_ptr<Message>> queue_;
    struct Timer {
        Clock::duration period;
        Clock::time_point due;
    };
    std::map<unsigned, Timer> timers_;
    bool closed_ = false;
};

}  // namespace quotrix
