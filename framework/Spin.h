#pragma once
// The spin edit: a number field with an up-down control inside its right edge.

#include "ComCtrls.h"
#include "Edit.h"

class TSpinEdit : public TEdit {
  public:
    explicit TSpinEdit(TComponent* owner);
    const char* ClassName() const override { return "TSpinEdit"; }
    void SetParent(TWinControl* parent) override;
    int Value() const;
    void SetValue(int value);
    int MinValue() const { return button_->Min(); }
    int MaxValue() const { return button_->Max(); }
    void SetRange(int min, int max) { button_->SetRange(min, max); }
    int Increment() const { return button_->Increment(); }
    void SetIncrement(int value) { button_->SetIncrement(value); }
    // The up-down control: a child of the field, along its right edge; the text stops before it.
    TUpDown& Button() { return *button_; }
    void WndProc(TMessage& message) override;

  protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleFinished() override;

  private:
    // Puts the up-down along the right edge of the client area and keeps the text clear of it.
    void PlaceButton();
    TUpDown* button_;
};
