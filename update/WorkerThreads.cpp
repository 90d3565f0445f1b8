#include "update/WorkerThreads.h"

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace quotrix {

namespace {

struct Slot {
    std::condition_variable wake;
    WorkerThreads::Job job = nullptr;
    void* argument = nullptr;
    std::uint32_t tag = 0;
};

std::uint32_t ThreadTag(std::thread::id id) { return static_cast<std::uint32_t>(std::hash<std::thread::id>()(id)); }

}  // namespace

struct WorkerThreads::State {
    explicit State(std::chrono::milliseconds k) : keep(k) {}
    const std::chrono::milliseconds keep;
    std::mutex lock;
    // The most recently parked thread is taken first: its stack and caches are still warm, and
    // the others run out their wait and end when fewer are needed.
    std::vector<Slot*> parked;

    static void Loop(std::shared_ptr<State> state, Job job, void* argument) {
        Slot slot;
        slot.tag = ThreadTag(std::this_thread::get_id());
        for (;;) {
            job(argument);
            std::unique_lock hold(state->lock);
            slot.job = nullptr;
            state->parked.push_back(&slot);
            if (!slot.wake.wait_for(hold, state->keep, [&] { return slot.job != nullptr; })) {
                // Under the lock nobody can hand this slot a job any more.
                std::erase(state->parked, &slot);
                return;
            }
            job = slot.job;
            argument = slot.argument;
        }
    }
};

WorkerThreads& WorkerThreads::Instance() {
    static WorkerThreads pool;
    return pool;
}

WorkerThreads::WorkerThreads(std::chrono::milliseconds keep) : state_(std::make_shared<State>(keep)) {}

WorkerThreads::~WorkerThreads() = default;

bool WorkerThreads::Start(Job job, void* argument, std::uint32_t& tag) {
    {
        std::lock_guard hold(state_->lock);
        if (!state_->parked.empty()) {
            Slot* slot = state_->parked.back();
            state_->parked.pop_back();
            slot->job = job;
            slot->argument = argument;
            tag = slot->tag;
            slot->wake.notify_one();
            return true;
        }
    }
    try {
        std::thread thread(&State::Loop, state_, job, argument);
        tag = ThreadTag(thread.get_id());
        thread.detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

std::size_t WorkerThreads::Parked() const {
    std::lock_guard hold(state_->lock);
    return state_->parked.size();
}

}  // namespace quotrix
