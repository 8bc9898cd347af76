#include "Dialogs.h"

#include "Application.h"
#include "Buttons.h"
#include "Edit.h"
#include "Label.h"
#include "Screen.h"

#include <algorithm>
#include <vector>

namespace {
// Average character size of a font, for dialog units.
SIZE AverageCharSize(HFONT font) {
    HDC dc = GetDC(nullptr);
    SIZE size{};
    {
        TSelectGuard select(dc, font);
        static const char sample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        GetTextExtentPoint32A(dc, sample, 52, &size);
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        size.cx = (size.cx / 26 + 1) / 2;
        size.cy = metrics.tmHeight;
    }
    ReleaseDC(nullptr, dc);
    return size;
}

struct TButtonInfo {
    const char* Caption;
    TModalResult Result;
};

TButtonInfo ButtonInfo(TMsgDlgBtn button) {
    switch (button) {
    case mbYes:
        return {"&Yes", mrYes};
    case mbNo:
        return {"&No", mrNo};
    case mbOK:
        return {"OK", mrOk};
    case mbCancel:
        return {"Cancel", mrCancel};
    case mbAbort:
        return {"&Abort", mrAbort};
    case mbRetry:
        return {"&Retry", mrRetry};
    case mbIgnore:
        return {"&Ignore", mrIgnore};
    case mbAll:
        return {"&All", 12};
    case mbNoToAll:
        return {"N&o to All", 13};
    case mbYesToAll:
        return {"Yes to &All", 14};
    default:
        return {"&Help", 0};
    }
}

const char* Caption(TMsgDlgType type) {
    switch (type) {
    case mtWarning:
        return "Warning";
    case mtError:
        return "Error";
    case mtInformation:
        return "Information";
    case mtConfirmation:
        return "Confirmation";
    default:
        return nullptr;
    }
}

LPCSTR IconId(TMsgDlgType type) {
    switch (type) {
    case mtWarning:
        return reinterpret_cast<LPCSTR>(IDI_EXCLAMATION);
    case mtError:
        return reinterpret_cast<LPCSTR>(IDI_HAND);
    case mtInformation:
        return reinterpret_cast<LPCSTR>(IDI_ASTERISK);
    case mtConfirmation:
        return reinterpret_cast<LPCSTR>(IDI_QUESTION);
    default:
        return nullptr;
    }
}

// A system icon drawn by its parent.
class TIconImage : public TGraphicControl {
  public:
    TIconImage(TComponent* owner, HICON icon) : TGraphicControl(owner), icon_(icon) {
        SetBounds(0, 0, 32, 32);
    }
    const char* ClassName() const override { return "TImage"; }

  protected:
    void Paint() override { DrawIconEx(Canvas().Handle(), 0, 0, icon_, 32, 32, 0, nullptr, DI_NORMAL); }

  private:
    HICON icon_;
};

TCustomForm* ScaledDialogBase(TCustomForm* form, HFONT font) {
    if (font)
        form->Font().SetHandle(font);
    form->SetBorderStyle(bsDialog);
    form->SetPosition(poScreenCenter);
    return form;
}
} // namespace

TMessageForm::TMessageForm(TComponent* owner) : TForm(owner) {}

void TMessageForm::KeyDown(WORD& key, TShiftState shift) {
    // Ctrl+C copies the dialog's text, as system message boxes do.
    if ((shift & ssCtrl) && (key == 'C' || key == VK_INSERT)) {
        std::string text;
        for (TControl* control : ControlList())
            if (auto* label = dynamic_cast<TLabel*>(control))
                text += label->Caption() + "\r\n";
        if (OpenClipboard(WindowHandle())) {
            EmptyClipboard();
            if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
                std::copy(text.c_str(), text.c_str() + text.size() + 1,
                          static_cast<char*>(GlobalLock(memory)));
                GlobalUnlock(memory);
                if (!SetClipboardData(CF_TEXT, memory))
                    GlobalFree(memory);
            }
            CloseClipboard();
        }
        return;
    }
    TForm::KeyDown(key, shift);
}

TMessageForm* CreateMessageDialog(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    auto* form = new TMessageForm(Application);
    form->SetName("MessageForm");
    ScaledDialogBase(form, Screen->MessageFont());
    form->SetKeyPreview(true);
    const char* caption = Caption(type);
    form->SetCaption(caption ? caption : (Application ? Application->Title() : std::string()));
    if (type == mtInformation || (type != mtCustom && buttons.size() == 0))
        form->SetBorderIcons(biSystemMenu);

    SIZE unit = AverageCharSize(form->Font().Handle());
    auto dlu = [&](int x) { return MulDiv(x, unit.cx, 4); };
    auto dluY = [&](int y) { return MulDiv(y, unit.cy, 8); };
    int margin = dlu(8), vmargin = dluY(8), spacing = dlu(10), buttonWidth = dlu(50), buttonHeight = dluY(14),
        buttonSpacing = dlu(4);

    // The text block, at most three quarters of the screen wide.
    RECT textRect{0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0};
    {
        HDC dc = GetDC(nullptr);
        TSelectGuard select(dc, form->Font().Handle());
        DrawTextA(dc, text.c_str(), -1, &textRect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
        ReleaseDC(nullptr, dc);
    }
    int textWidth = textRect.right, textHeight = textRect.bottom;

    int iconWidth = 0, iconHeight = 0;
    if (LPCSTR iconId = IconId(type)) {
        auto* image = new TIconImage(form, LoadIconA(nullptr, iconId));
        image->SetName("Image");
        image->SetParent(form);
        image->SetBounds(margin, vmargin, 32, 32);
        iconWidth = 32 + spacing;
        iconHeight = 32;
    }

    int count = static_cast<int>(buttons.size());
    int buttonsWidth = count > 0 ? count * buttonWidth + (count - 1) * buttonSpacing : 0;
    int clientWidth = std::max(iconWidth + textWidth, buttonsWidth) + 2 * margin;
    int contentHeight = std::max(iconHeight, textHeight);
    int clientHeight = vmargin + contentHeight + (count > 0 ? vmargin + buttonHeight : 0) + vmargin;

    auto* message = new TLabel(form);
    message->SetName("Message");
    message->SetParent(form);
    message->SetWordWrap(true);
    message->SetShowAccelChar(false);
    message->SetCaption(text);
    message->SetBounds(margin + iconWidth, vmargin, textWidth, textHeight);

    int x = (clientWidth - buttonsWidth) / 2;
    int y = vmargin + contentHeight + vmargin;
    bool defaultSet = false;
    TMsgDlgBtn cancelButton = mbHelp;
    for (TMsgDlgBtn b : buttons)
        if (b == mbCancel || (cancelButton != mbCancel && (b == mbNo || (b == mbOK && count == 1))))
            cancelButton = b;
    for (TMsgDlgBtn b : buttons) {
        TButtonInfo info = ButtonInfo(b);
        auto* button = new TButton(form);
        std::string name = info.Caption;
        name.erase(std::remove(name.begin(), name.end(), '&'), name.end());
        name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
        button->SetName(name);
        button->SetParent(form);
        button->SetCaption(info.Caption);
        button->SetModalResult(info.Result);
        button->SetBounds(x, y, buttonWidth, buttonHeight);
        if (!defaultSet && b != mbHelp) {
            button->SetDefault(true);
            form->SetActiveControl(button);
            defaultSet = true;
        }
        if (b == cancelButton)
            button->SetCancel(true);
        x += buttonWidth + buttonSpacing;
    }
    form->SetClientSize(clientWidth, clientHeight);
    return form;
}

int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    TOwnedComponent<TMessageForm> form(CreateMessageDialog(text, type, buttons));
    return form->ShowModal();
}

void ShowMessage(const std::string& text) {
    MessageDlg(text, mtCustom, {mbOK});
}

bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    TOwnedComponent<TForm> form(new TForm(Application));
    ScaledDialogBase(form.get(), Screen->MessageFont());
    form->SetCaption(caption);
    SIZE unit = AverageCharSize(form->Font().Handle());
    auto dlu = [&](int x) { return MulDiv(x, unit.cx, 4); };
    auto dluY = [&](int y) { return MulDiv(y, unit.cy, 8); };
    form->SetClientSize(dlu(180), dluY(63));

    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    // Prompts quote the user's own text (a short title "Smith & Co"): an "&" stays an "&".
    label->SetShowAccelChar(false);
    label->SetCaption(prompt);
    label->SetBounds(dlu(8), dluY(8), dlu(164), dluY(10));

    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(dlu(8), dluY(19), dlu(164), dluY(12));
    edit->SetMaxLength(255);
    edit->SetText(value);
    label->SetFocusControl(edit);

    int buttonTop = dluY(41), buttonWidth = dlu(50), buttonHeight = dluY(14);
    auto* ok = new TButton(form.get());
    ok->SetParent(form.get());
    ok->SetName("OK");
    ok->SetCaption("OK");
    ok->SetModalResult(mrOk);
    ok->SetDefault(true);
    ok->SetBounds(dlu(38), buttonTop, buttonWidth, buttonHeight);

    auto* cancel = new TButton(form.get());
    cancel->SetParent(form.get());
    cancel->SetName("Cancel");
    cancel->SetCaption("Cancel");
    cancel->SetModalResult(mrCancel);
    cancel->SetCancel(true);
    cancel->SetBounds(dlu(92), buttonTop, buttonWidth, buttonHeight);

    form->SetActiveControl(edit);
    edit->HandleNeeded();
    edit->SelectAll();
    if (form->ShowModal() != mrOk)
        return false;
    value = edit->Text();
    return true;
}

std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& fallback) {
    std::string value = fallback;
    return InputQuery(caption, prompt, value) ? value : fallback;
}
