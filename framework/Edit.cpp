#include "Edit.h"

#include <vector>

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetColor(clWindow);
    captureMouse_ = false;
}

const TPropertyInfo* TEdit::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TEdit::Text, &TEdit::SetText>("Text"),
        Prop<&TEdit::ReadOnly, &TEdit::SetReadOnly>("ReadOnly"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TWinControl::FindProperty(name);
}

void TEdit::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    CreateSubClass(params, "EDIT");
    params.Style |= ES_AUTOHSCROLL | ES_LEFT | (readOnly_ ? ES_READONLY : 0);
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::CreateHandleFinished() {
    if (maxLength_ > 0)
        SendMessageA(WindowHandle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

std::string TEdit::Text() const {
    HWND window = WindowHandle();
    if (!window)
        return Caption();
    int length = GetWindowTextLengthA(window);
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    int got = GetWindowTextA(window, buffer.data(), length + 1);
    return std::string(buffer.data(), static_cast<size_t>(got));
}

void TEdit::SelectAll() {
    if (HWND window = WindowHandle())
        SendMessageA(window, EM_SETSEL, 0, -1);
}

void TEdit::SetMaxLength(int value) {
    maxLength_ = value;
    if (HWND window = WindowHandle())
        SendMessageA(window, EM_LIMITTEXT, static_cast<WPARAM>(value), 0);
}

void TEdit::SetReadOnly(bool value) {
    if (value == readOnly_)
        return;
    readOnly_ = value;
    if (HWND window = WindowHandle())
        SendMessageA(window, EM_SETREADONLY, value, 0);
}

void TEdit::WndProc(TMessage& message) {
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

// ---- TMemo

TMemo::TMemo(TComponent* owner) : TEdit(owner) {
    SetBounds(0, 0, 185, 89);
}

const TPropertyInfo* TMemo::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TMemo::ScrollBars, &TMemo::SetScrollBars>("ScrollBars"),
        Prop<&TMemo::WordWrap, &TMemo::SetWordWrap>("WordWrap"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TEdit::FindProperty(name);
}

void TMemo::CreateParams(TCreateParams& params) {
    TEdit::CreateParams(params);
    params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
    params.Style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
    // A wrapped memo has nothing to scroll sideways.
    const bool horizontal = (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) && !wordWrap_;
    if (!wordWrap_)
        params.Style |= ES_AUTOHSCROLL;
    if (horizontal)
        params.Style |= WS_HSCROLL;
    if (scrollBars_ == ssVertical || scrollBars_ == ssBoth)
        params.Style |= WS_VSCROLL;
}

void TMemo::SetScrollBars(TScrollStyle value) {
    if (value == scrollBars_)
        return;
    scrollBars_ = value;
    SetCaption(Text());
    RecreateWnd();
}

void TMemo::SetWordWrap(bool value) {
    if (value == wordWrap_)
        return;
    wordWrap_ = value;
    SetCaption(Text());
    RecreateWnd();
}

std::vector<std::string> TMemo::Lines() const {
    std::vector<std::string> lines;
    const std::string text = Text();
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

void TMemo::SetLines(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i)
            text += "\r\n";
        text += lines[i];
    }
    SetCaption(text);
}
