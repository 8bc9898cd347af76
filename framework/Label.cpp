#include "Label.h"

#include "WinControl.h"

#include <cctype>

bool IsAccel(unsigned key, const std::string& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(caption[i + 1]);
        return std::toupper(c) == std::toupper(static_cast<int>(key & 0xFF));
    }
    return false;
}

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 65, 17);
}

const TPropertyInfo* TLabel::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TLabel::Transparent, &TLabel::SetTransparent>("Transparent"),
        Prop<&TLabel::WordWrap, &TLabel::SetWordWrap>("WordWrap"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TGraphicControl::FindProperty(name);
}

void TLabel::SetAlignment(TAlignment value) {
    if (value == alignment_)
        return;
    alignment_ = value;
    Invalidate();
}

void TLabel::SetTransparent(bool value) {
    if (value == transparent_)
        return;
    transparent_ = value;
    Invalidate();
}

void TLabel::SetWordWrap(bool value) {
    if (value == wordWrap_)
        return;
    wordWrap_ = value;
    Invalidate();
}

void TLabel::SetShowAccelChar(bool value) {
    if (value == showAccelChar_)
        return;
    showAccelChar_ = value;
    Invalidate();
}

void TLabel::SetFocusControl(TWinControl* control) {
    if (focusControl_)
        focusControl_->RemoveFreeNotification(this);
    focusControl_ = control;
    if (control)
        control->FreeNotification(this);
}

void TLabel::Notification(TComponent* component, TOperation operation) {
    TGraphicControl::Notification(component, operation);
    if (operation == opRemove && component == focusControl_)
        focusControl_ = nullptr;
}

void TLabel::WndProc(TMessage& message) {
    if (message.Msg == CM_DIALOGCHAR) {
        if (focusControl_ && Enabled() && showAccelChar_ &&
            IsAccel(static_cast<unsigned>(message.WParam), Caption()) && focusControl_->CanFocus()) {
            focusControl_->SetFocus();
            message.Result = 1;
        }
        return;
    }
    TGraphicControl::WndProc(message);
}

void TLabel::Paint() {
    TCanvas& canvas = Canvas();
    RECT rect{0, 0, Width(), Height()};
    if (!transparent_) {
        canvas.Brush().SetColor(Color());
        canvas.FillRect(rect);
    }
    canvas.Brush().SetStyle(bsClear);
    UINT format = DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0u) | (showAccelChar_ ? 0u : DT_NOPREFIX) |
                  (alignment_ == taLeftJustify    ? DT_LEFT
                   : alignment_ == taRightJustify ? DT_RIGHT
                                                  : DT_CENTER);
    if (!Enabled())
        canvas.Font().SetColor(clGrayText);
    canvas.DrawText(Caption().c_str(), -1, rect, format);
}
