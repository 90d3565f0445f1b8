// How the update engine reaches the thread that owns the stocks (the main window's thread).
//
// Workers deliver their messages synchronously: Send returns only after the owner's thread has
// handled the message, so that the request the message points to stays valid meanwhile. On
// Windows this is SendMessage to the main window and SetTimer/KillTimer; elsewhere a queue
// drained by the owner's loop with a reply handshake (QueueOwner).
#pragma once

#include <cstdint>

namespace quotrix {

// Receives what the owner's thread takes off its queue: worker messages and timer ticks.
class UpdateMessageSink {
  public:
    virtual ~UpdateMessageSink() = default;
    virtual std::intptr_t OnOwnerMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    virtual void OnOwnerTimer(unsigned timerId) = 0;
};

class UpdateOwner {
  public:
    virtual ~UpdateOwner() = default;
    // Any thread. Blocks until the owner's thread has handled the message (handled at once when
    // called on the owner's thread). False when the owner is gone; the message is then dropped.
    virtual bool Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    // Any thread. Queues the message and returns.
    virtual bool Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    // Owner's thread. A timer that fires every `periodMs` until killed; setting it again restarts it.
    virtual bool SetTimer(unsigned timerId, unsigned periodMs) = 0;
    virtual void KillTimer(unsigned timerId) = 0;
    // Owner's thread: waits `ms` while still handling messages sent by workers, so that a worker
    // blocked in Send can finish.
    virtual void Pump(unsigned ms) = 0;
    // Whether the owner (the main window) still exists.
    virtual bool IsAlive() = 0;
};

}  // namespace quotrix
