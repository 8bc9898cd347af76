#include "ToolBar.h"

#include "ComCtrls.h"
#include "ImageList.h"
#include "Menus.h"

namespace {

// Command numbers of the buttons: the index plus one (0 is no command).
int CommandOf(int index) {
    return index + 1;
}

// Lends the canvas a device context for the length of one event.
class TCanvasLoan {
  public:
    TCanvasLoan(TCanvas& canvas, HDC dc) : canvas_(canvas) { canvas_.SetHandle(dc); }
    ~TCanvasLoan() { canvas_.SetHandle(nullptr); }
    TCanvasLoan(const TCanvasLoan&) = delete;
    TCanvasLoan& operator=(const TCanvasLoan&) = delete;

  private:
    TCanvas& canvas_;
};

} // namespace

TToolBar::TToolBar(TComponent* owner) : TWinControl(owner), canvas_(new TCanvas) {
    SetBounds(0, 0, 150, 26);
    SetAlign(alTop);
    SetColor(clBtnFace);
}

TToolBar::~TToolBar() {
    delete canvas_;
}

const TPropertyInfo* TToolBar::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TToolBar::Flat, &TToolBar::SetFlat>("Flat"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TWinControl::FindProperty(name);
}

void TToolBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    InitCommonControlClasses(ICC_BAR_CLASSES);
    CreateSubClass(params, TOOLBARCLASSNAMEA);
    // The toolkit places the bar (alTop); the control must not move or size itself.
    params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER | (flat_ ? TBSTYLE_FLAT : 0);
}

void TToolBar::CreateHandleFinished() {
    HWND window = WindowHandle();
    SendMessageA(window, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(window, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    if (images_) {
        SendMessageA(window, TB_SETBITMAPSIZE, 0, MAKELPARAM(images_->Width(), images_->Height()));
        SendMessageA(window, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_->Handle()));
    }
    for (int i = 0; i < ButtonCount(); ++i)
        InsertButton(i);
}

void TToolBar::InsertButton(int index) {
    const TToolButton& source = Button(index);
    TBBUTTON button{};
    if (source.Style == tbsSeparator) {
        button.iBitmap = 6; // the gap's width
        button.fsStyle = BTNS_SEP;
    } else {
        button.iBitmap = images_ ? source.ImageIndex : I_IMAGENONE;
        button.fsStyle = source.Style == tbsDropDown ? BTNS_DROPDOWN : BTNS_BUTTON;
    }
    button.idCommand = CommandOf(index);
    button.fsState = source.Enabled ? TBSTATE_ENABLED : 0;
    button.iString = source.Caption.empty() ? -1 : reinterpret_cast<INT_PTR>(source.Caption.c_str());
    SendMessageA(WindowHandle(), TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
}

void TToolBar::SetImages(TImageList* images) {
    if (images == images_)
        return;
    if (images_)
        images_->RemoveFreeNotification(this);
    images_ = images;
    if (images_)
        images_->FreeNotification(this);
    // The picture size is fixed once the control holds buttons.
    if (HandleAllocated())
        RecreateWnd();
}

void TToolBar::SetFlat(bool value) {
    if (value == flat_)
        return;
    flat_ = value;
    if (HWND window = WindowHandle()) {
        DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
        style = value ? style | TBSTYLE_FLAT : style & ~static_cast<DWORD>(TBSTYLE_FLAT);
        // The window style too: not every version of the control keeps it with its own.
        SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style));
        SendMessageA(window, TB_SETSTYLE, 0, static_cast<LPARAM>(style));
        InvalidateRect(window, nullptr, TRUE);
    }
}

int TToolBar::AddButton(const TToolButton& button) {
    buttons_.push_back(button);
    if (button.DropdownMenu)
        button.DropdownMenu->FreeNotification(this);
    const int index = ButtonCount() - 1;
    if (HandleAllocated())
        InsertButton(index);
    return index;
}

void TToolBar::SetButtonEnabled(int index, bool enabled) {
    if (index < 0 || index >= ButtonCount() || buttons_[static_cast<size_t>(index)].Enabled == enabled)
        return;
    buttons_[static_cast<size_t>(index)].Enabled = enabled;
    if (HWND window = WindowHandle())
        SendMessageA(window, TB_ENABLEBUTTON, static_cast<WPARAM>(CommandOf(index)), MAKELPARAM(enabled, 0));
}

RECT TToolBar::ButtonRect(int index) const {
    RECT rect{};
    if (HWND window = WindowHandle())
        SendMessageA(window, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

void TToolBar::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation != opRemove)
        return;
    for (TToolButton& button : buttons_)
        if (button.DropdownMenu == component)
            button.DropdownMenu = nullptr;
    if (component == images_) {
        images_ = nullptr;
        if (HWND window = WindowHandle())
            SendMessageA(window, TB_SETIMAGELIST, 0, 0);
    }
}

void TToolBar::DropDown(int index) {
    if (index < 0 || index >= ButtonCount())
        return;
    TPopupMenu* menu = buttons_[static_cast<size_t>(index)].DropdownMenu;
    if (!menu)
        return;
    RECT rect = ButtonRect(index);
    MapWindowPoints(WindowHandle(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
    menu->Popup(rect.left, rect.bottom);
}

LRESULT TToolBar::CustomDraw(NMTBCUSTOMDRAW& draw) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
        if (OnCustomDraw) {
            bool defaultDraw = true;
            const TCanvasLoan loan(*canvas_, draw.nmcd.hdc);
            OnCustomDraw(this, ClientRect(), defaultDraw);
            if (!defaultDraw)
                return CDRF_SKIPDEFAULT;
        }
        return OnCustomDrawButton ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
    }
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT || !OnCustomDrawButton)
        return CDRF_DODEFAULT;
    const int index = static_cast<int>(draw.nmcd.dwItemSpec) - 1;
    if (index < 0 || index >= ButtonCount())
        return CDRF_DODEFAULT;
    TToolButtonDraw how;
    {
        const TCanvasLoan loan(*canvas_, draw.nmcd.hdc);
        canvas_->Font().SetColor(static_cast<TColor>(draw.clrText));
        OnCustomDrawButton(this, index, draw.nmcd.uItemState, how);
        draw.clrText = ColorToRGB(canvas_->Font().Color());
    }
    if (!how.DefaultDraw)
        return CDRF_SKIPDEFAULT;
    return (how.Edges ? 0 : TBCDRF_NOEDGES) | (how.Background ? 0 : TBCDRF_NOBACKGROUND);
}

void TToolBar::WndProc(TMessage& message) {
    if (message.Msg == CN_COMMAND) {
        const int index = LOWORD(message.WParam) - 1;
        message.Result = 0;
        if (index >= 0 && index < ButtonCount())
            if (TNotifyEvent click = buttons_[static_cast<size_t>(index)].OnClick)
                click(this);
        return;
    }
    if (message.Msg == CN_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(message.LParam);
        if (header->code == static_cast<UINT>(NM_CUSTOMDRAW)) {
            message.Result = CustomDraw(*reinterpret_cast<NMTBCUSTOMDRAW*>(header));
            return;
        }
        if (header->code == static_cast<UINT>(TBN_DROPDOWN)) {
            DropDown(reinterpret_cast<NMTOOLBARA*>(header)->iItem - 1);
            message.Result = TBDDRET_DEFAULT;
            return;
        }
    }
    TWinControl::WndProc(message);
}

// ---- TCoolBar

TCoolBar::TCoolBar(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 150, 30);
    SetAlign(alTop);
    SetColor(clBtnFace);
}

void TCoolBar::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    InitCommonControlClasses(ICC_COOL_CLASSES);
    CreateSubClass(params, REBARCLASSNAMEA);
    params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER | RBS_VARHEIGHT | RBS_BANDBORDERS;
}

void TCoolBar::CreateHandleFinished() {
    for (int i = 0; i < BandCount(); ++i)
        InsertBand(i);
}

void TCoolBar::InsertBand(int index) {
    const TCoolBand& band = Band(index);
    REBARBANDINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = RBBIM_STYLE | RBBIM_TEXT | RBBIM_COLORS | RBBIM_SIZE;
    info.fStyle = RBBS_CHILDEDGE;
    info.clrFore = GetSysColor(COLOR_BTNTEXT);
    info.clrBack = ColorToRGB(band.Color);
    info.lpText = const_cast<char*>(band.Text.c_str());
    info.cx = static_cast<UINT>(band.Width);
    if (band.Control) {
        info.fMask |= RBBIM_CHILD | RBBIM_CHILDSIZE;
        info.hwndChild = band.Control->Handle();
        info.cyMinChild = static_cast<UINT>(band.Control->Height());
    }
    SendMessageA(WindowHandle(), RB_INSERTBANDA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&info));
}

int TCoolBar::AddBand(TWinControl* control, const std::string& text, int width) {
    if (control) {
        // The band places it, not the toolkit's alignment.
        control->SetAlign(alNone);
        control->SetParent(this);
        control->FreeNotification(this);
    }
    bands_.push_back(TCoolBand{control, text, width, clBtnFace});
    const int index = BandCount() - 1;
    if (HandleAllocated())
        InsertBand(index);
    return index;
}

void TCoolBar::SetBandColor(int index, TColor color) {
    if (index < 0 || index >= BandCount() || bands_[static_cast<size_t>(index)].Color == color)
        return;
    bands_[static_cast<size_t>(index)].Color = color;
    if (HWND window = WindowHandle()) {
        REBARBANDINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = RBBIM_COLORS;
        info.clrFore = GetSysColor(COLOR_BTNTEXT);
        info.clrBack = ColorToRGB(color);
        SendMessageA(window, RB_SETBANDINFOA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info));
        InvalidateRect(window, nullptr, TRUE);
    }
}

void TCoolBar::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == opRemove)
        for (TCoolBand& band : bands_)
            if (band.Control == component)
                band.Control = nullptr;
}
