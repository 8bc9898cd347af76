#pragma once
// Push buttons, check boxes and radio buttons, made from the system's BUTTON
// class under their own class names.

#include "Form.h"
#include "Panel.h"
#include "WinControl.h"

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TButtonControl : public TWinControl {
  public:
    explicit TButtonControl(TComponent* owner);
    const char* ClassName() const override { return "TButtonControl"; }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    // Check boxes and radio buttons: taRightJustify puts the text right of the box (the
    // default), taLeftJustify left of it.
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);

  protected:
    void CreateParams(TCreateParams& params) override;
    bool wordWrap_ = false;
    TAlignment alignment_ = taRightJustify;
};

class TButton : public TButtonControl {
  public:
    explicit TButton(TComponent* owner);
    const char* ClassName() const override { return "TButton"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;

    // Enter presses a default button, Escape a cancel button.
    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult value) { modalResult_ = value; }
    // The button shows the default look (it takes Enter now).
    bool Active() const { return active_; }
    void Click() override;
    void WndProc(TMessage& message) override;

  protected:
    void CreateParams(TCreateParams& params) override;
    // Shows or drops the default look.
    virtual void SetButtonStyle(bool isDefault);

  private:
    bool default_ = false;
    bool cancel_ = false;
    bool active_ = false;
    TModalResult modalResult_ = mrNone;
};

class TCheckBox : public TButtonControl {
  public:
    explicit TCheckBox(TComponent* owner);
    const char* ClassName() const override { return "TCheckBox"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;

    bool Checked() const { return state_ == cbChecked; }
    // A change of state clicks the box (OnClick), whoever makes it.
    void SetChecked(bool checked) { SetState(checked ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return state_; }
    void SetState(TCheckBoxState state);
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool value) { allowGrayed_ = value; }
    void WndProc(TMessage& message) override;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleFinished() override;
    virtual void Toggle();

  private:
    TCheckBoxState state_ = cbUnchecked;
    bool allowGrayed_ = false;
};

class TRadioButton : public TButtonControl {
  public:
    explicit TRadioButton(TComponent* owner);
    const char* ClassName() const override { return "TRadioButton"; }
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    void WndProc(TMessage& message) override;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleFinished() override;

  private:
    bool checked_ = false;
};
