#pragma once
// The small window that shows a control's hint.

#include "WinControl.h"

class THintWindow : public TCustomControl {
  public:
    explicit THintWindow(TComponent* owner);
    const char* ClassName() const override { return "THintWindow"; }
    // The size the text needs, at most maxWidth wide; origin (0, 0).
    RECT CalcHintRect(int maxWidth, const std::string& text);
    // Shows the text in rect (screen coordinates) without taking the focus.
    void ActivateHint(const RECT& rect, const std::string& text);
    void ReleaseHandle();
    bool Showing() const { return WindowHandle() && IsWindowVisible(WindowHandle()); }

  protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
};
