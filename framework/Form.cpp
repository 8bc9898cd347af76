#include "Form.h"

#include "SysUtils.h"

#include "Application.h"
#include "Menus.h"
#include "Screen.h"

#include <algorithm>

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
    SetVisible(false);
    SetParentFont(false);
    SetBounds(0, 0, 320, 240);
    Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
    Screen->RemoveForm(this);
}

void TCustomForm::BeforeDestruction() {
    if (OnDestroy && !IsDestroying())
        OnDestroy(this);
    FreeMDIChildren();
    Screen->RemoveForm(this);
    TWinControl::BeforeDestruction();
}

const TPropertyInfo* TCustomForm::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle>("BorderStyle"),
        Prop<&TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview>("KeyPreview"),
        Prop<&TCustomForm::AlphaBlend, &TCustomForm::SetAlphaBlend>("AlphaBlend"),
        Prop<&TCustomForm::AutoScroll, &TCustomForm::SetAutoScroll>("AutoScroll"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TWinControl::FindProperty(name);
}

void TCustomForm::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    params.ExStyle = 0;
    switch (borderStyle_) {
    case bsNone:
        params.Style |= WS_POPUP;
        break;
    case bsSingle:
    case bsToolWindow:
        params.Style |= WS_CAPTION | WS_BORDER;
        break;
    case bsSizeable:
    case bsSizeToolWin:
        params.Style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case bsDialog:
        params.Style |= WS_POPUP | WS_CAPTION;
        params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        break;
    }
    if (borderStyle_ != bsNone) {
        if (borderIcons_ & biSystemMenu)
            params.Style |= WS_SYSMENU;
        if (borderStyle_ != bsDialog && borderStyle_ != bsToolWindow && borderStyle_ != bsSizeToolWin) {
            if (borderIcons_ & biMinimize)
                params.Style |= WS_MINIMIZEBOX;
            if (borderIcons_ & biMaximize)
                params.Style |= WS_MAXIMIZEBOX;
        }
        if ((borderIcons_ & biHelp) && !(borderIcons_ & (biMinimize | biMaximize)))
            params.ExStyle |= WS_EX_CONTEXTHELP;
    }
    if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin)
        params.ExStyle |= WS_EX_TOOLWINDOW;
    if (formStyle_ == fsStayOnTop)
        params.ExStyle |= WS_EX_TOPMOST;
    if (alphaBlend_)
        params.ExStyle |= WS_EX_LAYERED;
    if (Application && (!Application->MainForm() || Application->MainForm() == this))
        params.ExStyle |= WS_EX_APPWINDOW;
    params.WndParent = Application ? Application->Handle() : nullptr;
    if (formStyle_ == fsMDIChild)
        MDIChildParams(params);
}

namespace {
TFrameInsetsQuery frameInsetsQuery = nullptr;
}

void TCustomForm::CreateHandleFinished() {
    if (clientWidth_ >= 0) {
        int w = clientWidth_, h = clientHeight_;
        clientWidth_ = clientHeight_ = -1;
        // The client size asked for is the one under the frame the window will wear: a skin
        // that draws the frame keeps the outer size it finds, so the window is sized for its
        // frame now.
        bool drawnByOthers = false;
        const RECT insets = FrameInsets(drawnByOthers);
        if (drawnByOthers)
            SetBounds(Left(), Top(), w + insets.left + insets.right, h + insets.top + insets.bottom);
        else
            TControl::SetClientSize(w, h);
    }
    // Bounds set before the window existed may have been judged under another frame.
    if (minClientHeight_ > 0)
        SetBounds(Left(), Top(), Width(), Height());
    if (Application && Application->Icon()) {
        SendMessageA(WindowHandle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Application->Icon()));
        SendMessageA(WindowHandle(), WM_SETICON, ICON_SMALL,
                     reinterpret_cast<LPARAM>(Application->SmallIcon()));
    }
    if (menu_)
        ::SetMenu(WindowHandle(), menu_->Handle());
    if (formStyle_ == fsMDIForm)
        CreateMDIClient();
    ApplyAlpha();
}

void TCustomForm::Loaded() {
    TWinControl::Loaded();
    Realign();
}

void TCustomForm::DoCreate() {
    if (OnCreate)
        OnCreate(this);
}

RECT TCustomForm::ClientRect() const {
    if (!WindowHandle() && clientWidth_ >= 0)
        return RECT{0, 0, clientWidth_, clientHeight_};
    if (!WindowHandle()) {
        // Without a window, the frame is what the style will give it.
        const RECT insets = const_cast<TCustomForm*>(this)->FrameInsets();
        return RECT{0, 0, Width() - insets.left - insets.right, Height() - insets.top - insets.bottom};
    }
    return TWinControl::ClientRect();
}

void SetFrameInsetsQuery(TFrameInsetsQuery query) {
    frameInsetsQuery = query;
}

RECT TCustomForm::FrameInsets() {
    bool drawnByOthers = false;
    return FrameInsets(drawnByOthers);
}

RECT TCustomForm::FrameInsets(bool& drawnByOthers) {
    TCreateParams params;
    CreateParams(params);
    RECT insets{0, 0, 0, 0};
    drawnByOthers = frameInsetsQuery && frameInsetsQuery(*this, params, insets);
    if (drawnByOthers)
        return insets;
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, params.Style, menu_ != nullptr, params.ExStyle);
    return RECT{-frame.left, -frame.top, frame.right, frame.bottom};
}

void TCustomForm::SetClientSize(int width, int height) {
    if (WindowHandle()) {
        TControl::SetClientSize(width, height);
        return;
    }
    const RECT insets = FrameInsets();
    clientWidth_ = width;
    clientHeight_ = height;
    StoreBounds(Left(), Top(), width + insets.left + insets.right, height + insets.top + insets.bottom);
    Realign();
}

int TCustomForm::MinFrameHeight() {
    // The frame the window wears from now on: while a skin changes it (switched on or off,
    // another skin) the window's present frame is the old one.
    const RECT insets = FrameInsets();
    return minClientHeight_ + insets.top + insets.bottom;
}

void TCustomForm::SetMinClientHeight(int value) {
    if (value == minClientHeight_)
        return;
    minClientHeight_ = value;
    SetBounds(Left(), Top(), Width(), Height());
}

void TCustomForm::SetBounds(int left, int top, int width, int height) {
    if (minClientHeight_ > 0)
        height = std::max(height, MinFrameHeight());
    // A size set after a client size was asked for (before the window exists) is the later
    // wish: the window must not take the client size back when it is made.
    if (!WindowHandle() && clientWidth_ >= 0 && (width != Width() || height != Height()))
        clientWidth_ = clientHeight_ = -1;
    TWinControl::SetBounds(left, top, width, height);
}

void TCustomForm::SetBorderStyle(TBorderStyle style) {
    if (style == borderStyle_)
        return;
    borderStyle_ = style;
    RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons icons) {
    if (icons == borderIcons_)
        return;
    borderIcons_ = icons;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle style) {
    if (style == formStyle_)
        return;
    const bool windowChanges =
        formStyle_ == fsMDIChild || formStyle_ == fsMDIForm || style == fsMDIChild || style == fsMDIForm;
    formStyle_ = style;
    if (windowChanges)
        RecreateWnd();
    else if (HWND window = WindowHandle())
        SetWindowPos(window, style == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetAlphaBlend(bool value) {
    if (value == alphaBlend_)
        return;
    alphaBlend_ = value;
    ApplyAlpha();
}

void TCustomForm::SetAlphaBlendValue(BYTE value) {
    if (value == alphaBlendValue_)
        return;
    alphaBlendValue_ = value;
    ApplyAlpha();
}

void TCustomForm::ApplyAlpha() {
    HWND window = WindowHandle();
    if (!window)
        return;
    LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    if (alphaBlend_) {
        if (!(exStyle & WS_EX_LAYERED))
            SetWindowLongA(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
        SetLayeredWindowAttributes(window, 0, alphaBlendValue_, LWA_ALPHA);
    } else if (exStyle & WS_EX_LAYERED) {
        SetWindowLongA(window, GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
    }
}

void TCustomForm::SetMenu(TMainMenu* menu) {
    if (menu == menu_)
        return;
    if (menu_)
        menu_->RemoveFreeNotification(this);
    menu_ = menu;
    if (menu_)
        menu_->FreeNotification(this);
    if (HWND window = WindowHandle()) {
        ::SetMenu(window, menu_ ? menu_->Handle() : nullptr);
        Perform(CM_MENUCHANGED);
    }
}

void TCustomForm::SetActiveControl(TWinControl* control) {
    if (control == activeControl_)
        return;
    activeControl_ = control;
    if (control && WindowHandle() && GetActiveWindow() == WindowHandle() && control->CanFocus())
        ::SetFocus(control->Handle());
}

void TCustomForm::SetFocusedControl(TWinControl* control) {
    if (control == focusedControl_)
        return;
    TWinControl* old = focusedControl_;
    focusedControl_ = control;
    activeControl_ = control;
    if (old)
        old->Perform(CM_EXIT);
    if (control)
        control->Perform(CM_ENTER);
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
}

void TCustomForm::SelectNext(TWinControl* current, bool forward, bool checkTabStop) {
    std::vector<TWinControl*> list;
    TWinControl* scope = (current && !checkTabStop && current->Parent()) ? current->Parent() : this;
    scope->GetTabOrderList(list);
    if (list.empty())
        return;
    int count = static_cast<int>(list.size());
    auto it = std::find(list.begin(), list.end(), current);
    int start = it == list.end() ? (forward ? count - 1 : 0) : static_cast<int>(it - list.begin());
    for (int step = 1; step <= count; ++step) {
        int index = ((start + (forward ? step : -step)) % count + count) % count;
        TWinControl* candidate = list[static_cast<size_t>(index)];
        if ((!checkTabStop || candidate->TabStop()) && candidate->CanFocus() &&
            (checkTabStop || candidate->Parent() == scope)) {
            candidate->SetFocus();
            return;
        }
    }
}

void TCustomForm::PlaceOnScreen() {
    if (placed_)
        return;
    placed_ = true;
    if (position_ == poScreenCenter) {
        RECT work{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        SetBounds(work.left + (work.right - work.left - Width()) / 2,
                  work.top + (work.bottom - work.top - Height()) / 2, Width(), Height());
    }
}

void TCustomForm::Show() {
    SetVisible(true);
    HWND window = WindowHandle();
    if (window && formStyle_ == fsMDIChild)
        SendMessageA(GetParent(window), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(window), 0);
    else if (window)
        SetForegroundWindow(window);
}

void TCustomForm::VisibleChanged() {
    if (Visible()) {
        HWND window = Handle();
        PlaceOnScreen();
        // An MDI child keeps the maximized state its siblings gave it.
        ShowWindow(window, formStyle_ == fsMDIChild ? SW_SHOW : SW_SHOWNORMAL);
        if (OnShow)
            OnShow(this);
    } else if (HWND window = WindowHandle()) {
        ShowWindow(window, SW_HIDE);
        if (OnHide)
            OnHide(this);
    }
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::DoClose(TCloseAction& action) {
    if (OnClose)
        OnClose(this, action);
}

void TCustomForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    bool isMain = Application && Application->MainForm() == this;
    // A hidden MDI child would still be listed and activated by the MDI client: it goes.
    TCloseAction action = isMain || formStyle_ == fsMDIChild ? caFree : caHide;
    // An error here (a file that cannot be written) keeps the window open.
    DoClose(action);
    if (action == caNone)
        return;
    if (isMain)
        Application->Terminate();
    else if (action == caHide)
        Hide();
    else if (action == caMinimize)
        ShowWindow(Handle(), SW_MINIMIZE);
    else
        Release();
}

void TCustomForm::Release() {
    if (Application)
        Application->ReleaseLater(this);
}

TModalResult TCustomForm::ShowModal() {
    if (Visible() || modal_)
        throw Exception("Cannot make a visible window modal");
    if (GetCapture())
        ReleaseCapture();
    modal_ = true;
    modalResult_ = mrNone;
    HWND previousActive = GetActiveWindow();
    std::vector<HWND> disabled = DisableTaskWindows(Handle());
    struct TRestore {
        TCustomForm& form;
        std::vector<HWND>& windows;
        HWND previous;
        ~TRestore() {
            EnableTaskWindows(windows);
            if (previous && IsWindow(previous))
                SetActiveWindow(previous);
            form.modal_ = false;
            if (form.Visible())
                form.Hide();
        }
    } restore{*this, disabled, previousActive};
    Show();
    SetActiveWindow(Handle());
    while (modalResult_ == mrNone) {
        Application->HandleMessage();
        if (Application->Terminated())
            modalResult_ = mrCancel;
        if (modalResult_ != mrNone && !CloseQuery())
            modalResult_ = mrNone;
    }
    return modalResult_;
}

bool TCustomForm::DoMouseWheel(TShiftState shift, int delta, POINT mousePos) {
    bool handled = false;
    if (delta > 0 && OnMouseWheelUp)
        OnMouseWheelUp(this, shift, mousePos, handled);
    else if (delta < 0 && OnMouseWheelDown)
        OnMouseWheelDown(this, shift, mousePos, handled);
    return handled;
}

void TCustomForm::DialogKey(TMessage& message) {
    if (GetKeyState(VK_MENU) >= 0) {
        switch (message.WParam) {
        case VK_TAB:
            if (GetKeyState(VK_CONTROL) >= 0) {
                SelectNext(activeControl_, GetKeyState(VK_SHIFT) >= 0, true);
                message.Result = 1;
                return;
            }
            break;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            if (activeControl_) {
                SelectNext(activeControl_, message.WParam == VK_RIGHT || message.WParam == VK_DOWN, false);
                message.Result = 1;
            }
            return;
        default:
            break;
        }
    }
    Broadcast(message);
}

void TCustomForm::MinMaxInfo(TMessage& message) {
    DefaultHandler(message);
    auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
    const TSizeConstraints& c = Constraints();
    if (c.MinWidth() > 0)
        info->ptMinTrackSize.x = c.MinWidth();
    if (c.MinHeight() > 0)
        info->ptMinTrackSize.y = c.MinHeight();
    if (minClientHeight_ > 0)
        info->ptMinTrackSize.y = std::max<LONG>(info->ptMinTrackSize.y, MinFrameHeight());
    if (c.MaxWidth() > 0)
        info->ptMaxTrackSize.x = c.MaxWidth();
    if (c.MaxHeight() > 0)
        info->ptMaxTrackSize.y = c.MaxHeight();
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == menu_)
        menu_ = nullptr;
    if (component == windowMenu_)
        windowMenu_ = nullptr;
    if (component == activeControl_)
        activeControl_ = nullptr;
    if (component == focusedControl_)
        focusedControl_ = nullptr;
}

void TCustomForm::FocusActiveControl() {
    TWinControl* target = activeControl_;
    if (!target || !target->CanFocus()) {
        std::vector<TWinControl*> list;
        GetTabOrderList(list);
        auto it = std::find_if(list.begin(), list.end(),
                               [](TWinControl* c) { return c->TabStop() && c->CanFocus(); });
        target = it == list.end() ? nullptr : *it;
    }
    if (target && !IsIconic(WindowHandle()))
        ::SetFocus(target->Handle());
    else if (GetFocus() != WindowHandle())
        ::SetFocus(WindowHandle());
}

void TCustomForm::WndProc(TMessage& message) {
    switch (message.Msg) {
    case WM_CLOSE:
        Close();
        return;
    case WM_ACTIVATE:
        if (LOWORD(message.WParam) != WA_INACTIVE) {
            FocusActiveControl();
            if (OnActivate)
                OnActivate(this);
        } else if (OnDeactivate) {
            OnDeactivate(this);
        }
        return;
    case WM_GETMINMAXINFO:
        MinMaxInfo(message);
        return;
    case WM_MDIACTIVATE:
        // An MDI child is activated by its client, not by the system's activation.
        DefaultHandler(message);
        if (formStyle_ == fsMDIChild && reinterpret_cast<HWND>(message.LParam) == WindowHandle()) {
            if (OnActivate)
                OnActivate(this);
        } else if (formStyle_ == fsMDIChild && OnDeactivate) {
            OnDeactivate(this);
        }
        return;
    case WM_SETFOCUS:
        if (formStyle_ == fsMDIChild) {
            DefaultHandler(message);
            FocusActiveControl();
            return;
        }
        break;
    case CM_MENUCHANGED:
        if (formStyle_ == fsMDIForm)
            UpdateMDIMenu();
        break;
    case WM_NCDESTROY:
        clientHandle_ = nullptr;
        break;
    case CM_DIALOGKEY:
        DialogKey(message);
        return;
    case CM_FOCUSCHANGED:
        Broadcast(message);
        message.Result = 0;
        return;
    case WM_CHANGEUISTATE: {
        const WORD cues = HIWORD(message.WParam) & (UISF_HIDEFOCUS | UISF_HIDEACCEL);
        if (LOWORD(message.WParam) == UIS_SET)
            hiddenCues_ |= cues;
        else if (LOWORD(message.WParam) == UIS_CLEAR)
            hiddenCues_ &= static_cast<WORD>(~cues);
        break;
    }
    default:
        break;
    }
    TWinControl::WndProc(message);
}
