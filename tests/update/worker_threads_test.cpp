#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "update/WorkerThreads.h"

namespace quotrix {
namespace {

using namespace std::chrono_literals;

// Jobs that record their thread and wait, all of them, until the test lets them go.
struct Gate {
    std::mutex lock;
    std::condition_variable changed;
    int running = 0;
    int finished = 0;
    bool open = false;
    std::set<std::thread::id> threads;

    static void Job(void* self) {
        auto& gate = *static_cast<Gate*>(self);
        std::unique_lock hold(gate.lock);
        gate.threads.insert(std::this_thread::get_id());
        ++gate.running;
        gate.changed.notify_all();
        gate.changed.wait(hold, [&] { return gate.open; });
        ++gate.finished;
        gate.changed.notify_all();
    }
    bool WaitFor(int Gate::*count, int n) {
        std::unique_lock hold(lock);
        return changed.wait_for(hold, 10s, [&] { return this->*count >= n; });
    }
    void Open() {
        std::lock_guard hold(lock);
        open = true;
        changed.notify_all();
    }
};

bool WaitForParked(const WorkerThreads& pool, std::size_t n) {
    const auto until = std::chrono::steady_clock::now() + 10s;
    while (pool.Parked() != n && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(1ms);
    return pool.Parked() == n;
}

// Jobs started while the others still run get threads of their own (they would wait for each
// other forever otherwise); once they have ended, the next jobs run on the same threads.
TEST(WorkerThreads, BusyThreadsAreNeverSharedAndIdleOnesAreReused) {
    WorkerThreads pool(10s);
    Gate first;
    std::set<std::uint32_t> tags;
    for (int i = 0; i < 5; ++i) {
        std::uint32_t tag = 0;
        ASSERT_TRUE(pool.Start(Gate::Job, &first, tag));
        tags.insert(tag);
    }
    ASSERT_TRUE(first.WaitFor(&Gate::running, 5));
    EXPECT_EQ(first.threads.size(), 5u);
    EXPECT_EQ(tags.size(), 5u);
    first.Open();
    ASSERT_TRUE(first.WaitFor(&Gate::finished, 5));
    ASSERT_TRUE(WaitForParked(pool, 5));

    Gate second;
    for (int i = 0; i < 7; ++i) {
        std::uint32_t tag = 0;
        ASSERT_TRUE(pool.Start(Gate::Job, &second, tag));
    }
    ASSERT_TRUE(second.WaitFor(&Gate::running, 7));
    std::size_t reused = 0;
    for (const auto& id : second.threads) reused += first.threads.count(id);
    EXPECT_EQ(reused, 5u);
    EXPECT_EQ(second.threads.size(), 7u);
    EXPECT_EQ(pool.Parked(), 0u);
    second.Open();
    ASSERT_TRUE(second.WaitFor(&Gate::finished, 7));
    EXPECT_TRUE(WaitForParked(pool, 7));
}

// A parked thread ends after its wait; a job handed over right at the end of the wait is still
// run. Destroying the pool while threads are parked must not wait for them or break them.
TEST(WorkerThreads, ParkedThreadsEndAfterTheirWaitAndNoJobIsLost) {
    std::atomic<int> runs{0};
    auto count = [](void* n) { ++*static_cast<std::atomic<int>*>(n); };
    {
        WorkerThreads pool(20ms);
        for (int round = 0; round < 200; ++round) {
            std::uint32_t tag = 0;
            ASSERT_TRUE(pool.Start(count, &runs, tag));
            // Around the end of a parked thread's wait, now and then.
            std::this_thread::sleep_for(std::chrono::microseconds(round % 3 == 0 ? 19500 : 100));
        }
        const auto until = std::chrono::steady_clock::now() + 10s;
        while (runs < 200 && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(1ms);
        EXPECT_EQ(runs.load(), 200);
        EXPECT_TRUE(WaitForParked(pool, 0));

        std::uint32_t tag = 0;
        ASSERT_TRUE(pool.Start(count, &runs, tag));
    }
    const auto until = std::chrono::steady_clock::now() + 10s;
    while (runs < 201 && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(1ms);
    EXPECT_EQ(runs.load(), 201);
}

}  // namespace
}  // namespace quotrix
