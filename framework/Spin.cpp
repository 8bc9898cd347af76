#include "Spin.h"

#include <algorithm>
#include <cstdlib>

namespace {
constexpr int ButtonWidth = 15;
}

TSpinEdit::TSpinEdit(TComponent* owner) : TEdit(owner), button_(new TUpDown(this)) {
    SetBounds(0, 0, 121, 21);
    button_->SetAssociate(this);
    button_->SetRange(0, 100);
}

void TSpinEdit::SetParent(TWinControl* parent) {
    TEdit::SetParent(parent);
    // The up-down lives inside the field; it is parented once the field has a place itself.
    if (parent && button_->Parent() != this)
        button_->SetParent(this);
}

void TSpinEdit::CreateParams(TCreateParams& params) {
    TEdit::CreateParams(params);
    // The field does not paint over its up-down.
    params.Style |= ES_NUMBER | WS_CLIPCHILDREN;
}

void TSpinEdit::CreateHandleFinished() {
    TEdit::CreateHandleFinished();
    // The up-down's window follows (children are made after their parent).
    PlaceButton();
}

void TSpinEdit::WndProc(TMessage& message) {
    TEdit::WndProc(message);
    if (message.Msg == WM_SIZE)
        PlaceButton();
}

void TSpinEdit::PlaceButton() {
    HWND window = WindowHandle();
    if (!window)
        return;
    RECT client{};
    GetClientRect(window, &client);
    const int width = std::min<int>(ButtonWidth, client.right);
    button_->SetBounds(client.right - width, 0, width, client.bottom);
    SendMessageA(window, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, width));
}

int TSpinEdit::Value() const {
    if (button_->HandleAllocated())
        return button_->Position();
    return std::atoi(Text().c_str());
}

void TSpinEdit::SetValue(int value) {
    button_->SetPosition(value);
    if (!button_->HandleAllocated())
        SetText(std::to_string(button_->Position()));
}
