#pragma once
// A component that fires OnTimer every Interval milliseconds while enabled.

#include "Component.h"
#include "Graphics.h"

#include <windows.h>

class TTimer : public TComponent {
  public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    const char* ClassName() const override { return "TTimer"; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned ms);
    TNotifyEvent OnTimer;

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void Update();

    HWND window_ = nullptr;
    bool enabled_ = true;
    bool running_ = false;
    unsigned interval_ = 1000;
};
