#include "Timer.h"

#include "Application.h"

namespace {
constexpr UINT_PTR TimerId = 1;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    static const ATOM registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &TTimer::WindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TTimerWindow";
        return RegisterClassA(&wc);
    }();
    (void)registered;
    window_ = CreateWindowExA(0, "TTimerWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    Update();
}

TTimer::~TTimer() {
    if (running_)
        KillTimer(window_, TimerId);
    if (window_)
        DestroyWindow(window_);
}

void TTimer::SetEnabled(bool value) {
    if (value == enabled_)
        return;
    enabled_ = value;
    Update();
}

void TTimer::SetInterval(unsigned ms) {
    if (ms == interval_)
        return;
    interval_ = ms;
    Update();
}

void TTimer::Update() {
    if (running_) {
        KillTimer(window_, TimerId);
        running_ = false;
    }
    if (enabled_ && interval_ > 0 && window_)
        running_ = SetTimer(window_, TimerId, interval_, nullptr) != 0;
}

LRESULT CALLBACK TTimer::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER) {
        auto* timer = reinterpret_cast<TTimer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        try {
            if (timer && timer->enabled_ && timer->OnTimer)
                timer->OnTimer(timer);
        } catch (...) {
            HandleCurrentException();
        }
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}
