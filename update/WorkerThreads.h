// Threads for the update workers, kept for a short while after their worker has ended so that
// the next worker of the pass starts on one of them instead of on a new thread.
//
// A pass over 1,000 stocks starts 1,000 workers from the owner's thread, one in each result
// message. Creating a thread was most of what the owner did per message (20-30 µs on Linux,
// far more under Windows and Wine, where it made the owner's thread the limit of a pass at 25
// places); handing a job to a parked thread is a lock and a wake-up. Each job still runs alone on
// its thread, from start to end, exactly as on a thread of its own.
//
// Threads: Start from any thread. A parked thread waits `keep` for a job and then ends; the
// shared state lives until the last of them has ended, so destroying the pool never waits.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace quotrix {

class WorkerThreads {
  public:
    using Job = void (*)(void* argument);
    static constexpr std::chrono::milliseconds kDefaultKeep{2000};

    // The process's pool, used by the update engine.
    static WorkerThreads& Instance();

    explicit WorkerThreads(std::chrono::milliseconds keep = kDefaultKeep);
    ~WorkerThreads();
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;

    // Runs job(argument) on a parked thread, or on a new one when none is parked. `tag` names
    // the thread in log lines. False (the job not run) when no thread could be created.
    bool Start(Job job, void* argument, std::uint32_t& tag);
    // Threads waiting for a job now.
    std::size_t Parked() const;

  private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace quotrix
