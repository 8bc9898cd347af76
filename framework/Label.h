#pragma once
// A line of text drawn by its parent, without a window of its own.

#include "Control.h"
#include "Panel.h"

class TLabel : public TGraphicControl {
  public:
    explicit TLabel(TComponent* owner);
    const char* ClassName() const override { return "TLabel"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);
    // Alt plus the underlined letter moves the focus to this control.
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* control);
    void WndProc(TMessage& message) override;

  protected:
    void Paint() override;
    void Notification(TComponent* component, TOperation operation) override;

  private:
    TAlignment alignment_ = taLeftJustify;
    bool transparent_ = false;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    TWinControl* focusControl_ = nullptr;
};

// True when key is the character after the single "&" of a caption.
bool IsAccel(unsigned key, const std::string& caption);
