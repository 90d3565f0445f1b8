#include "platform/win32/Win32UpdateOwner.h"

#include "platform/Messages.h"

namespace quotrix {

namespace {
constexpr wchar_t kClassName[] = L"QuotrixUpdateOwner";
}

Win32UpdateOwner::Win32UpdateOwner(UpdateMessageSink* sink, HWND target)
    : sink_(sink), hwnd_(target), ownWindow_(target == nullptr) {
    if (!ownWindow_) return;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(instance, kClassName, &wc)) {
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = kClassName;
        RegisterClassExW(&wc);
    }
    hwnd_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
}

Win32UpdateOwner::~Win32UpdateOwner() {
    if (ownWindow_ && hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK Win32UpdateOwner::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Win32UpdateOwner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32UpdateOwner*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->sink_) {
        if (message == WM_TIMER) {
            self->sink_->OnOwnerTimer(static_cast<unsigned>(wParam));
            return 0;
        }
        if (message >= WM_APP) return self->sink_->OnOwnerMessage(message, wParam, lParam);
    }
    if (message == WM_NCDESTROY && self) self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool Win32UpdateOwner::Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    HWND target = hwnd_;
    if (!target || !IsWindow(target)) return false;
    SendMessageW(target, message, wParam, lParam);
    return true;
}

bool Win32UpdateOwner::Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    return hwnd_ && PostMessageW(hwnd_, message, wParam, lParam);
}

bool Win32UpdateOwner::SetTimer(unsigned timerId, unsigned periodMs) {
    return hwnd_ && ::SetTimer(hwnd_, timerId, periodMs, nullptr) != 0;
}

void Win32UpdateOwner::KillTimer(unsigned timerId) {
    if (hwnd_) ::KillTimer(hwnd_, timerId);
}

bool Win32UpdateOwner::IsAlive() { return hwnd_ && IsWindow(hwnd_); }

void Win32UpdateOwner::Pump(unsigned ms) {
    // Messages sent from other threads are delivered inside PeekMessage; posted ones stay queued.
    const DWORD until = GetTickCount() + ms;
    for (;;) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        const DWORD now = GetTickCount();
        if (static_cast<LONG>(until - now) <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, until - now, QS_SENDMESSAGE);
    }
}

void Win32UpdateOwner::RunFor(unsigned ms) {
    const DWORD until = GetTickCount() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const DWORD now = GetTickCount();
        if (static_cast<LONG>(until - now) <= 0 || !IsAlive()) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, until - now, QS_ALLINPUT);
    }
}

}  // namespace quotrix
