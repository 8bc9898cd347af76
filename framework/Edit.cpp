#include "Edit.h"

#include <vector>

TEdit::TEdit(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetColor(clWindow);
    captureMouse_ = false;
}

const TPropertyInfo* TEdit::FindProperty(std::string_view name) const
{
    static const TPropertyInfo props[] = {
        Prop<&TEdit::Text, &TEdit::SetText>("Text"),
        Prop<&TEdit::ReadOnly, &TEdit::SetReadOnly>("ReadOnly"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TWinControl::FindProperty(name);
}

void TEdit::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, "EDIT");
    params.Style |= ES_AUTOHSCROLL | ES_LEFT | (readOnly_ ? ES_READONLY : 0);
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::CreateHandleFinished()
{
    if (maxLength_ > 0)
        SendMessageA(WindowHandle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

std::string TEdit::Text() const
{
    HWND window = WindowHandle();
    if (!window)
        return Caption();
    int length = GetWindowTextLengthA(window);
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    int got = GetWindowTextA(window, buffer.data(), length + 1);
    return std::string(buffer.data(), static_cast<size_t>(got));
}

void TEdit::SelectAll()
{
    if (HWND window = WindowHandle())
        SendMessageA(window, EM_SETSEL, 0, -1);
}

void TEdit::SetMaxLength(int value)
{
    maxLength_ = value;
    if (HWND window = WindowHandle())
        SendMessageA(window, EM_LIMITTEXT, static_cast<WPARAM>(value), 0);
}

void TEdit::SetReadOnly(bool value)
{
    if (value == readOnly_)
        return;
    readOnly_ = value;
    if (HWND window = WindowHandle())
        SendMessageA(window, EM_SETREADONLY, value, 0);
}

void TEdit::WndProc(TMessage& message)
{
    if (message.Msg == CN_COMMAND) {
        if (HIWORD(message.WParam) == EN_CHANGE) {
            StoreCaption(Text());
            if (OnChange)
                OnChange(this);
        }
        return;
    }
    TWinControl::WndProc(message);
}
