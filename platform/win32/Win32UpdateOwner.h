// The Windows UpdateOwner: worker messages are SendMessage calls to a window of the owner's
// thread, timers are window timers. Either the main window (which hands the messages to the
// engine) or, without one, a message-only window of our own.
#pragma once

#include <windows.h>

#include "update/UpdateOwner.h"

namespace quotrix {

class Win32UpdateOwner : public UpdateOwner {
  public:
    // With `target` null a message-only window is created that passes everything to `sink`.
    Win32UpdateOwner(UpdateMessageSink* sink, HWND target = nullptr);
    ~Win32UpdateOwner() override;

    bool Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    bool Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    bool SetTimer(unsigned timerId, unsigned periodMs) override;
    void KillTimer(unsigned timerId) override;
    void Pump(unsigned ms) override;
    bool IsAlive() override;

    HWND Window() const { return hwnd_; }
    // Runs the thread's message loop until `ms` have passed or the window is gone.
    void RunFor(unsigned ms);

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    UpdateMessageSink* sink_;
    HWND hwnd_;
    bool ownWindow_;
};

}  // namespace quotrix
