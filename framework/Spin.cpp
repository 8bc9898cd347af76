#include "Spin.h"

#include <cstdlib>

TSpinEdit::TSpinEdit(TComponent* owner) : TEdit(owner), button_(new TUpDown(this))
{
    SetBounds(0, 0, 121, 21);
    button_->SetAssociate(this);
    button_->SetRange(0, 100);
}

void TSpinEdit::SetParent(TWinControl* parent)
{
    TEdit::SetParent(parent);
    button_->SetParent(parent);
}

void TSpinEdit::CreateParams(TCreateParams& params)
{
    TEdit::CreateParams(params);
    params.Style |= ES_NUMBER;
}

void TSpinEdit::CreateHandleFinished()
{
    TEdit::CreateHandleFinished();
    // The up-down takes the field as its buddy when both windows exist.
    if (button_->HandleAllocated())
        button_->RecreateWnd();
    else if (Parent())
        button_->HandleNeeded();
}

int TSpinEdit::Value() const
{
    if (button_->HandleAllocated())
        return button_->Position();
    return std::atoi(Text().c_str());
}

void TSpinEdit::SetValue(int value)
{
    button_->SetPosition(value);
    if (!button_->HandleAllocated())
        SetText(std::to_string(button_->Position()));
}
