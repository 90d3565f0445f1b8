// The Win32 owner under the real window manager: SendMessage handshakes, window timers, and
// the shutdown pump that keeps workers' sent messages flowing.
#include "platform/win32/Win32UpdateOwner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace quotrix {
namespace {

struct Recorder : UpdateMessageSink {
    DWORD owner = GetCurrentThreadId();
    std::atomic<int> messages{0};
    std::atomic<int> wrongThread{0};
    std::vector<unsigned> timers;
    std::intptr_t OnOwnerMessage(unsigned, std::uintptr_t wParam, std::intptr_t) override {
        if (GetCurrentThreadId() != owner) ++wrongThread;
        if (wParam) ++*reinterpret_cast<int*>(wParam);
        ++messages;
        return 0;
    }
    void OnOwnerTimer(unsigned id) override { timers.push_back(id); }
};

TEST(Win32UpdateOwner, WorkerSendsAreHandledOnTheOwnerThread) {
    Recorder sink;
    Win32UpdateOwner owner(&sink);
    ASSERT_TRUE(owner.IsAlive());
    std::atomic<int> mismatches{0};
    std::vector<std::thread> senders;
    for (int t = 0; t < 4; ++t)
        senders.emplace_back([&] {
            for (int i = 0; i < 50; ++i) {
                int value = 0;
                if (!owner.Send(0x807A, reinterpret_cast<std::uintptr_t>(&value), 0) || value != 1) ++mismatches;
            }
        });
    // Pump, as the shutdown wait does, instead of a full message loop.
    for (int i = 0; i < 200 && sink.messages < 200; ++i) owner.Pump(20);
    for (auto& s : senders) s.join();
    EXPECT_EQ(sink.messages, 200);
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(sink.wrongThread, 0);
}

TEST(Win32UpdateOwner, TimersAndPostedTimerTicks) {
    Recorder sink;
    Win32UpdateOwner owner(&sink);
    ASSERT_TRUE(owner.SetTimer(1, 20));
    ASSERT_TRUE(owner.Post(WM_TIMER, 7, 0));
    owner.RunFor(200);
    ASSERT_FALSE(sink.timers.empty());
    EXPECT_EQ(sink.timers.front(), 7u);
    EXPECT_GE(sink.timers.size(), 3u);
    owner.KillTimer(1);
    const auto fired = sink.timers.size();
    owner.RunFor(100);
    EXPECT_EQ(sink.timers.size(), fired);
}

TEST(Win32UpdateOwner, SendToAGoneOwnerFailsAtOnce) {
    Recorder sink;
    auto owner = std::make_unique<Win32UpdateOwner>(&sink);
    HWND window = owner->Window();
    DestroyWindow(window);
    EXPECT_FALSE(owner->IsAlive());
    EXPECT_FALSE(owner->Send(0x807B, 0, 0));
}

}  // namespace
}  // namespace quotrix
