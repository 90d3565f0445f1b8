#include "update/QueueOwner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace quotrix {
namespace {

struct Recorder : UpdateMessageSink {
    std::thread::id owner = std::this_thread::get_id();
    std::atomic<int> messages{0};
    std::atomic<int> wrongThread{0};
    std::vector<unsigned> timers;
    std::intptr_t OnOwnerMessage(unsigned message, std::uintptr_t wParam, std::intptr_t) override {
        if (std::this_thread::get_id() != owner) ++wrongThread;
        // The sender is still blocked: the value behind wParam is alive and may be written.
        if (wParam) ++*reinterpret_cast<int*>(wParam);
        ++messages;
        return message;
    }
    void OnOwnerTimer(unsigned id) override { timers.push_back(id); }
};

TEST(QueueOwner, SendBlocksUntilTheOwnerThreadHandledIt) {
    Recorder sink;
    QueueOwner owner(&sink);
    constexpr int kSenders = 8, kEach = 200;
    std::atomic<int> mismatches{0};
    std::vector<std::thread> senders;
    for (int t = 0; t < kSenders; ++t)
        senders.emplace_back([&] {
            for (int i = 0; i < kEach; ++i) {
                int value = 0;
                if (!owner.Send(0x807A, reinterpret_cast<std::uintptr_t>(&value), 0) || value != 1) ++mismatches;
            }
        });
    owner.Run([&] { return sink.messages == kSenders * kEach; });
    for (auto& s : senders) s.join();
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(sink.wrongThread, 0);
}

TEST(QueueOwner, CloseReleasesBlockedSendersAndRefusesNewOnes) {
    QueueOwner owner;  // no loop ever runs
    std::atomic<bool> result{true};
    std::thread sender([&] { result = owner.Send(0x807B, 0, 0); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    owner.Close();
    sender.join();
    EXPECT_FALSE(result);
    EXPECT_FALSE(owner.Send(0x807B, 0, 0));
    EXPECT_FALSE(owner.IsAlive());
}

TEST(QueueOwner, TimersFireUntilKilledAndPumpRunsNoTimers) {
    Recorder sink;
    QueueOwner owner(&sink);
    owner.SetTimer(1, 10);
    owner.SetTimer(2, 1000);
    owner.RunFor(std::chrono::milliseconds(120));
    const auto fired = sink.timers.size();
    EXPECT_GE(fired, 3u);
    for (unsigned id : sink.timers) EXPECT_EQ(id, 1u);
    owner.Pump(50);
    EXPECT_EQ(sink.timers.size(), fired);
    owner.KillTimer(1);
    EXPECT_FALSE(owner.TimerRunning(1));
    EXPECT_TRUE(owner.TimerRunning(2));
    owner.RunFor(std::chrono::milliseconds(50));
    EXPECT_EQ(sink.timers.size(), fired);
}

TEST(QueueOwner, PostedMessagesAndSendsFromTheOwnerThread) {
    Recorder sink;
    QueueOwner owner(&sink);
    int value = 0;
    EXPECT_TRUE(owner.Send(1, reinterpret_cast<std::uintptr_t>(&value), 0));  // handled at once
    EXPECT_EQ(value, 1);
    owner.Post(2, reinterpret_cast<std::uintptr_t>(&value), 0);
    EXPECT_EQ(value, 1);
    owner.RunFor(std::chrono::milliseconds(10));
    EXPECT_EQ(value, 2);
}

}  // namespace
}  // namespace quotrix
