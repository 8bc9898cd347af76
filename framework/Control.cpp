#include "Control.h"

#include "SysUtils.h"

#include "Form.h"
#include "Menus.h"
#include "WinControl.h"

#include <windowsx.h>

TShiftState MouseShiftState(WPARAM keys) {
    TShiftState shift = 0;
    if (keys & MK_SHIFT)
        shift |= ssShift;
    if (keys & MK_CONTROL)
        shift |= ssCtrl;
    if (keys & MK_LBUTTON)
        shift |= ssLeft;
    if (keys & MK_RBUTTON)
        shift |= ssRight;
    if (keys & MK_MBUTTON)
        shift |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0)
        shift |= ssAlt;
    return shift;
}

TShiftState KeyboardShiftState() {
    TShiftState shift = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        shift |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0)
        shift |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0)
        shift |= ssAlt;
    return shift;
}

// ---- TSizeConstraints

void TSizeConstraints::Changed() {
    if (OnChange)
        OnChange(this);
}

void TSizeConstraints::SetMinWidth(int value) {
    if (value == minWidth_)
        return;
    minWidth_ = value;
    Changed();
}

void TSizeConstraints::SetMinHeight(int value) {
    if (value == minHeight_)
        return;
    minHeight_ = value;
    Changed();
}

void TSizeConstraints::SetMaxWidth(int value) {
    if (value == maxWidth_)
        return;
    maxWidth_ = value;
    Changed();
}

void TSizeConstraints::SetMaxHeight(int value) {
    if (value == maxHeight_)
        return;
    maxHeight_ = value;
    Changed();
}

void TSizeConstraints::Apply(int& width, int& height) const {
    if (maxWidth_ > 0 && width > maxWidth_)
        width = maxWidth_;
    if (maxHeight_ > 0 && height > maxHeight_)
        height = maxHeight_;
    if (minWidth_ > 0 && width < minWidth_)
        width = minWidth_;
    if (minHeight_ > 0 && height < minHeight_)
        height = minHeight_;
}

// ---- TControl

TControl::TControl(TComponent* owner) : TComponent(owner) {
    windowProc_ = DefaultWindowProc();
    font_.OnChange = Bind<&TControl::FontObjectChanged>(this);
    constraints_.OnChange = Bind<&TControl::ConstraintsChanged>(this);
}

TControl::~TControl() {
    if (parent_)
        parent_->RemoveControl(this);
}

void TControl::BeforeDestruction() {
    TComponent::BeforeDestruction();
    if (parent_)
        parent_->RemoveControl(this);
}

const TPropertyInfo* TControl::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TControl::Caption, &TControl::SetCaption>("Caption"),
        Prop<&TControl::Caption, &TControl::SetCaption>("Text"),
        Prop<&TControl::Color, &TControl::SetColor>("Color"),
        Prop<&TControl::ParentColor, &TControl::SetParentColor>("ParentColor"),
        ObjectProp<static_cast<const TFont& (TControl::*)() const>(&TControl::Font)>("Font"),
        Prop<&TControl::ParentFont, &TControl::SetParentFont>("ParentFont"),
        Prop<&TControl::Visible, &TControl::SetVisible>("Visible"),
        Prop<&TControl::Enabled, &TControl::SetEnabled>("Enabled"),
        Prop<&TControl::Hint, &TControl::SetHint>("Hint"),
        Prop<&TControl::ShowHint, &TControl::SetShowHint>("ShowHint"),
        Prop<&TControl::Align, &TControl::SetAlign>("Align"),
        Prop<&TControl::Left, &TControl::SetLeft>("Left"),
        Prop<&TControl::Top, &TControl::SetTop>("Top"),
        Prop<&TControl::Width, &TControl::SetWidth>("Width"),
        Prop<&TControl::Height, &TControl::SetHeight>("Height"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TComponent::FindProperty(name);
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage message{msg, wParam, lParam, 0};
    if (windowProc_)
        windowProc_(message);
    return message.Result;
}

void TControl::DefaultHandler(TMessage& message) {
    switch (message.Msg) {
    case WM_GETTEXTLENGTH:
        message.Result = static_cast<LRESULT>(caption_.size());
        break;
    default:
        break;
    }
}

void TControl::WndProc(TMessage& message) {
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
        HandleMouse(message);
        return;
    case CM_FONTCHANGED:
        FontChanged();
        return;
    case CM_COLORCHANGED:
        ColorChanged();
        return;
    case CM_TEXTCHANGED:
        TextChanged();
        return;
    case CM_VISIBLECHANGED:
        VisibleChanged();
        return;
    case CM_ENABLEDCHANGED:
        EnabledChanged();
        return;
    case CM_PARENTFONTCHANGED:
        ParentFontChanged();
        return;
    case CM_PARENTCOLORCHANGED:
        ParentColorChanged();
        return;
    case CM_SHOWHINTCHANGED:
    case CM_PARENTSHOWHINTCHANGED:
        ShowHintChanged();
        return;
    case CM_MOUSEENTER:
        mouseInControl_ = true;
        return;
    case CM_MOUSELEAVE:
        mouseInControl_ = false;
        return;
    case CM_HITTEST:
        message.Result = 1;
        return;
    default:
        break;
    }
    DefaultHandler(message);
}

void TControl::HandleMouse(TMessage& message) {
    int x = GET_X_LPARAM(message.LParam);
    int y = GET_Y_LPARAM(message.LParam);
    TShiftState shift = MouseShiftState(message.WParam);
    auto button = [&]() {
        switch (message.Msg) {
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_RBUTTONUP:
            return mbRight;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
        case WM_MBUTTONUP:
            return mbMiddle;
        default:
            return mbLeft;
        }
    }();
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        MouseDown(button, shift, x, y);
        break;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        // A double click is a second press as well.
        MouseDown(button, shift | ssDouble, x, y);
        if (button == mbLeft)
            DblClick();
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        MouseUp(button, shift, x, y);
        break;
    default:
        MouseMove(shift, x, y);
        break;
    }
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TControl::DblClick() {
    if (OnDblClick)
        OnDblClick(this);
}

void TControl::Click() {
    if (OnClick)
        OnClick(this);
}

void TControl::Resize() {
    if (OnResize)
        OnResize(this);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_)
        return;
    if (parent == this)
        throw Exception("A control cannot have itself as its parent");
    if (parent_)
        parent_->RemoveControl(this);
    if (parent)
        parent->InsertControl(this);
}

TCustomForm* TControl::ParentForm() const {
    const TControl* control = this;
    while (control->parent_)
        control = control->parent_;
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(control));
}

void TControl::StoreBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    constraints_.Apply(width, height);
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    bool resized = width != width_ || height != height_;
    StoreBounds(left, top, width, height);
    BoundsChanged();
    if (!IsWindowed()) {
        if (parent_)
            parent_->Invalidate();
        if (resized)
            Resize();
    }
    RequestAlign();
}

void TControl::RequestAlign() {
    if (parent_ && !IsLoading())
        parent_->Realign();
}

RECT TControl::ClientRect() const {
    return RECT{0, 0, width_, height_};
}

int TControl::ClientWidth() const {
    RECT r = ClientRect();
    return r.right - r.left;
}

int TControl::ClientHeight() const {
    RECT r = ClientRect();
    return r.bottom - r.top;
}

void TControl::SetClientSize(int width, int height) {
    RECT r = ClientRect();
    SetBounds(left_, top_, width_ + width - (r.right - r.left), height_ + height - (r.bottom - r.top));
}

POINT TControl::ClientOrigin() const {
    if (!parent_)
        return POINT{left_, top_};
    POINT origin = parent_->ClientOrigin();
    return POINT{origin.x + left_, origin.y + top_};
}

POINT TControl::ClientToScreen(POINT point) const {
    POINT origin = ClientOrigin();
    return POINT{point.x + origin.x, point.y + origin.y};
}

POINT TControl::ScreenToClient(POINT point) const {
    POINT origin = ClientOrigin();
    return POINT{point.x - origin.x, point.y - origin.y};
}

void TControl::SetAlign(TAlign align) {
    if (align == align_)
        return;
    align_ = align;
    RequestAlign();
}

void TControl::SetColor(TColor color) {
    if (color == color_)
        return;
    color_ = color;
    parentColor_ = false;
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value) {
    if (value == parentColor_)
        return;
    parentColor_ = value;
    if (value && parent_ && !IsLoading())
        Perform(CM_PARENTCOLORCHANGED);
}

void TControl::ParentColorChanged() {
    if (parentColor_ && parent_) {
        SetColor(parent_->Color());
        parentColor_ = true;
    }
}

// A new limit holds at once, not only from the next resize.
void TControl::ConstraintsChanged(TObject*) {
    SetBounds(left_, top_, width_, height_);
}

void TControl::FontObjectChanged(TObject*) {
    if (!settingParentFont_)
        parentFont_ = false;
    Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool value) {
    if (value == parentFont_)
        return;
    parentFont_ = value;
    if (value && parent_ && !IsLoading())
        Perform(CM_PARENTFONTCHANGED);
}

void TControl::ParentFontChanged() {
    if (parentFont_ && parent_) {
        settingParentFont_ = true;
        font_.Assign(parent_->Font());
        settingParentFont_ = false;
    }
}

void TControl::FontChanged() {
    Invalidate();
}
void TControl::ColorChanged() {
    Invalidate();
}
void TControl::TextChanged() {
    Invalidate();
}

void TControl::SetCaption(const std::string& caption) {
    if (caption == caption_)
        return;
    caption_ = caption;
    Perform(CM_TEXTCHANGED);
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_)
        return;
    visible_ = visible;
    Perform(CM_VISIBLECHANGED, visible);
    RequestAlign();
}

void TControl::VisibleChanged() {
    if (parent_)
        parent_->Invalidate();
}

bool TControl::Showing() const {
    for (const TControl* control = this; control; control = control->parent_)
        if (!control->visible_)
            return false;
    return true;
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Perform(CM_ENABLEDCHANGED);
}

void TControl::EnabledChanged() {
    Invalidate();
}

void TControl::SetShowHint(bool value) {
    if (value == showHint_ && !parentShowHint_)
        return;
    showHint_ = value;
    parentShowHint_ = false;
    Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool value) {
    if (value == parentShowHint_)
        return;
    parentShowHint_ = value;
    if (value && parent_)
        Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::ShowHintChanged() {
    if (parentShowHint_ && parent_)
        showHint_ = parent_->ShowHint();
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
    if (menu == popupMenu_)
        return;
    if (popupMenu_)
        popupMenu_->RemoveFreeNotification(this);
    popupMenu_ = menu;
    if (menu)
        menu->FreeNotification(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == popupMenu_)
        popupMenu_ = nullptr;
}

void TControl::Loaded() {
    TComponent::Loaded();
    if (parent_) {
        if (parentColor_)
            Perform(CM_PARENTCOLORCHANGED);
        if (parentFont_)
            Perform(CM_PARENTFONTCHANGED);
    }
    RequestAlign();
}

void TControl::Invalidate() {
    if (!parent_ || !visible_)
        return;
    if (HWND window = parent_->WindowHandle()) {
        RECT r = BoundsRect();
        InvalidateRect(window, &r, TRUE);
    }
}

void TControl::Update() {
    if (parent_)
        parent_->Update();
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

// ---- TGraphicControl

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {
    captureMouse_ = false;
    SetParentColor(true);
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::WndProc(TMessage& message) {
    if (message.Msg == WM_PAINT) {
        // The parent hands a device context whose origin is our top-left.
        canvas_.SetHandle(reinterpret_cast<HDC>(message.WParam));
        try {
            canvas_.Font().Assign(Font());
            Paint();
        } catch (...) {
            canvas_.SetHandle(nullptr);
            throw;
        }
        canvas_.SetHandle(nullptr);
        return;
    }
    TControl::WndProc(message);
}

bool TControl::DoMouseWheel(TShiftState, int, POINT) {
    return false;
}
