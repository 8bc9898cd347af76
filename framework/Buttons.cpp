#include "Buttons.h"

#include "Label.h"

// ---- TButtonControl

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
    captureMouse_ = false; // the system button tracks the mouse itself
}

void TButtonControl::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    if (alignment_ == taLeftJustify)
        params.Style |= BS_LEFTTEXT;
}

void TButtonControl::SetAlignment(TAlignment value) {
    if (value == alignment_)
        return;
    alignment_ = value;
    RecreateWnd();
}

void TButtonControl::SetWordWrap(bool value) {
    if (value == wordWrap_)
        return;
    wordWrap_ = value;
    RecreateWnd();
}

// ---- TButton

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
    SetBounds(0, 0, 75, 25);
}

const TPropertyInfo* TButton::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TButton::Default, &TButton::SetDefault>("Default"),
        Prop<&TButton::Cancel, &TButton::SetCancel>("Cancel"),
        Prop<&TButton::ModalResult, &TButton::SetModalResult>("ModalResult"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TButtonControl::FindProperty(name);
}

void TButton::CreateParams(TCreateParams& params) {
    TButtonControl::CreateParams(params);
    CreateSubClass(params, "BUTTON");
    params.Style |= (default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | (wordWrap_ ? BS_MULTILINE : 0);
}

void TButton::SetDefault(bool value) {
    if (value == default_)
        return;
    default_ = value;
    active_ = value;
    SetButtonStyle(value);
}

void TButton::SetButtonStyle(bool isDefault) {
    if (HWND window = WindowHandle())
        SendMessageA(window, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
    if (TCustomForm* form = ParentForm(); form && modalResult_ != mrNone)
        form->SetModalResult(modalResult_);
    TButtonControl::Click();
}

void TButton::WndProc(TMessage& message) {
    switch (message.Msg) {
    case CN_COMMAND:
        if (HIWORD(message.WParam) == BN_CLICKED)
            Click();
        return;
    case CM_DIALOGKEY:
        if (((message.WParam == VK_RETURN && (active_ || Focused())) ||
             (message.WParam == VK_ESCAPE && cancel_)) &&
            (GetKeyState(VK_MENU) >= 0) && CanFocus()) {
            Click();
            message.Result = 1;
        }
        return;
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<unsigned>(message.WParam), Caption()) && CanFocus()) {
            Click();
            message.Result = 1;
        }
        return;
    case CM_FOCUSCHANGED: {
        // A focused button takes Enter; otherwise the default one does.
        auto* focused = reinterpret_cast<TWinControl*>(message.LParam);
        bool active = focused == this || (default_ && !dynamic_cast<TButton*>(focused));
        if (active != active_) {
            active_ = active;
            SetButtonStyle(active);
        }
        return;
    }
    default:
        break;
    }
    TButtonControl::WndProc(message);
}

// ---- TCheckBox

TCheckBox::TCheckBox(TComponent* owner) : TButtonControl(owner) {
    SetBounds(0, 0, 97, 17);
}

const TPropertyInfo* TCheckBox::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TCheckBox::Checked, &TCheckBox::SetChecked>("Checked"),
        Prop<&TWinControl::ParentBackground, &TWinControl::SetParentBackground>("ParentBackground"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TButtonControl::FindProperty(name);
}

void TCheckBox::CreateParams(TCreateParams& params) {
    TButtonControl::CreateParams(params);
    CreateSubClass(params, "BUTTON");
    params.Style |= BS_3STATE | (wordWrap_ ? BS_MULTILINE : 0);
}

void TCheckBox::CreateHandleFinished() {
    SendMessageA(WindowHandle(), BM_SETCHECK, state_, 0);
}

void TCheckBox::SetState(TCheckBoxState state) {
    if (state == state_)
        return;
    state_ = state;
    if (HWND window = WindowHandle())
        SendMessageA(window, BM_SETCHECK, state, 0);
    if (!IsLoading())
        Click();
}

void TCheckBox::Toggle() {
    switch (state_) {
    case cbUnchecked:
        SetState(allowGrayed_ ? cbGrayed : cbChecked);
        break;
    case cbChecked:
        SetState(cbUnchecked);
        break;
    default:
        SetState(cbChecked);
        break;
    }
}

void TCheckBox::WndProc(TMessage& message) {
    if (message.Msg == CN_COMMAND) {
        if (HIWORD(message.WParam) == BN_CLICKED)
            Toggle();
        return;
    }
    if (message.Msg == CM_DIALOGCHAR) {
        if (IsAccel(static_cast<unsigned>(message.WParam), Caption()) && CanFocus()) {
            SetFocus();
            Toggle();
            message.Result = 1;
        }
        return;
    }
    TButtonControl::WndProc(message);
}

// ---- TRadioButton

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
    SetBounds(0, 0, 113, 17);
}

void TRadioButton::CreateParams(TCreateParams& params) {
    TButtonControl::CreateParams(params);
    CreateSubClass(params, "BUTTON");
    params.Style |= BS_RADIOBUTTON | (wordWrap_ ? BS_MULTILINE : 0);
}

void TRadioButton::CreateHandleFinished() {
    SendMessageA(WindowHandle(), BM_SETCHECK, checked_, 0);
}

void TRadioButton::SetChecked(bool checked) {
    if (checked == checked_)
        return;
    checked_ = checked;
    if (HWND window = WindowHandle())
        SendMessageA(window, BM_SETCHECK, checked, 0);
    if (checked) {
        if (TWinControl* parent = Parent())
            for (TControl* sibling : parent->ControlList())
                if (auto* radio = dynamic_cast<TRadioButton*>(sibling); radio && radio != this)
                    radio->SetChecked(false);
        if (!IsLoading())
            Click();
    }
}

void TRadioButton::WndProc(TMessage& message) {
    if (message.Msg == CN_COMMAND) {
        if (HIWORD(message.WParam) == BN_CLICKED)
            SetChecked(true);
        return;
    }
    TButtonControl::WndProc(message);
}
