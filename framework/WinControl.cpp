#include "WinControl.h"

#include "SysUtils.h"

#include "Application.h"
#include "Form.h"
#include "Menus.h"
#include "Screen.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>
#include <unordered_map>

namespace {

// The window procedure each registered class came with.
std::map<std::string, WNDPROC>& ClassProcs() {
    static std::map<std::string, WNDPROC> procs;
    return procs;
}

HINSTANCE ModuleInstance() {
    return GetModuleHandleA(nullptr);
}

// The control of each window, also kept here: every message to one of our windows looks its
// control up, and a window property is a round trip to the window server on some systems.
// The property stays the record other modules may read.
struct TControlTable {
    std::mutex lock;
    std::unordered_map<HWND, TWinControl*> controls;
};

TControlTable& ControlTable() {
    static TControlTable table;
    return table;
}
} // namespace

ATOM ControlAtom() {
    static const ATOM atom = [] {
        char name[64];
        std::snprintf(name, sizeof name, "ControlOfs%.8llX%.8lX",
                      static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(ModuleInstance())),
                      static_cast<unsigned long>(GetCurrentThreadId()));
        return GlobalAddAtomA(name);
    }();
    return atom;
}

TWinControl* FindControl(HWND window) {
    if (!window)
        return nullptr;
    TControlTable& table = ControlTable();
    std::lock_guard<std::mutex> guard(table.lock);
    auto found = table.controls.find(window);
    if (found == table.controls.end())
        return nullptr;
    // A window that went without its last message (its thread ended) is forgotten.
    if (IsWindow(window))
        return found->second;
    table.controls.erase(found);
    return nullptr;
}

TWinControl* FindVCLWindow(POINT screenPoint) {
    HWND window = WindowFromPoint(screenPoint);
    while (window) {
        if (TWinControl* control = FindControl(window))
            return control;
        window = GetParent(window);
    }
    return nullptr;
}

TWinControl* ControlFromCreation(HWND window, const CREATESTRUCTA* creation) {
    if (!window || !creation)
        return nullptr;
    // Only our own classes carry a control in their creation record.
    if (reinterpret_cast<WNDPROC>(GetClassLongPtrA(window, GCLP_WNDPROC)) != ControlWindowProc)
        return nullptr;
    // An MDI child's record points at the system's MDI creation record, which carries ours.
    if ((creation->dwExStyle & WS_EX_MDICHILD) && creation->lpCreateParams)
        return reinterpret_cast<TWinControl*>(
            static_cast<const MDICREATESTRUCTA*>(creation->lpCreateParams)->lParam);
    return static_cast<TWinControl*>(creation->lpCreateParams);
}

namespace {
// The procedure the window's class was made from, for the few messages a top-level window
// receives before WM_NCCREATE links it to its control.
WNDPROC OriginalClassProc(HWND window) {
    char name[256] = {};
    if (GetClassNameA(window, name, sizeof name) > 0) {
        auto known = ClassProcs().find(name);
        if (known != ClassProcs().end() && known->second)
            return known->second;
    }
    return DefWindowProcA;
}
} // namespace

LRESULT CALLBACK ControlWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWinControl* control = FindControl(window);
    if (!control) {
        // The control comes with the creation record, so that a creation hook can find it
        // before this and a window created meanwhile cannot take it.
        if (msg == WM_NCCREATE)
            control = ControlFromCreation(window, reinterpret_cast<const CREATESTRUCTA*>(lParam));
        if (!control)
            return CallWindowProcA(OriginalClassProc(window), window, msg, wParam, lParam);
        control->AttachWindow(window);
    }
    TMessage message{msg, wParam, lParam, 0};
    try {
        // A copy: a hook may replace the handler while it runs.
        if (TWndMethod handler = control->WindowProc())
            handler(message);
    } catch (...) {
        // No dialog opens in the middle of painting: such errors are shown afterwards.
        HandleCurrentException(PaintingMessage(msg));
    }
    if (msg == WM_NCDESTROY)
        control->DetachWindow();
    return message.Result;
}

// ---- TWinControl

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {
    SetColor(clBtnFace);
}

TWinControl::~TWinControl() {
    if (handle_)
        DestroyHandle();
}

void TWinControl::BeforeDestruction() {
    TControl::BeforeDestruction();
    // The window goes first, while the whole object can still answer it.
    DestroyHandle();
    // Child controls go with their parent, whoever owns them.
    while (!controls_.empty()) {
        TControl* child = controls_.back();
        RemoveControl(child);
        TComponent::Free(child);
    }
}

const TPropertyInfo* TWinControl::FindProperty(std::string_view name) const {
    static const TPropertyInfo props[] = {
        Prop<&TWinControl::TabStop, &TWinControl::SetTabStop>("TabStop"),
        Prop<&TWinControl::TabOrder, &TWinControl::SetTabOrder>("TabOrder"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TControl::FindProperty(name);
}

void TWinControl::AttachWindow(HWND window) {
    handle_ = window;
    SetPropA(window, MAKEINTATOM(ControlAtom()), this);
    TControlTable& table = ControlTable();
    std::lock_guard<std::mutex> guard(table.lock);
    table.controls[window] = this;
}

void TWinControl::DetachWindow() {
    if (handle_) {
        RemovePropA(handle_, MAKEINTATOM(ControlAtom()));
        TControlTable& table = ControlTable();
        std::lock_guard<std::mutex> guard(table.lock);
        auto found = table.controls.find(handle_);
        if (found != table.controls.end() && found->second == this)
            table.controls.erase(found);
    }
    handle_ = nullptr;
    trackingLeave_ = false;
}

HWND TWinControl::Handle() {
    if (!handle_) {
        if (Parent())
            Parent()->HandleNeeded(); // makes ours too
        if (!handle_)
            CreateWnd();
    }
    return handle_;
}

void TWinControl::CreateParams(TCreateParams& params) {
    params.Caption = Caption();
    params.Style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (Visible())
        params.Style |= WS_VISIBLE;
    if (!Enabled())
        params.Style |= WS_DISABLED;
    if (tabStop_)
        params.Style |= WS_TABSTOP;
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    params.WndParent = Parent() ? Parent()->WindowHandle() : nullptr;
    params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& params, const char* systemClass) {
    params.BaseClassName = systemClass;
    params.Style &= ~static_cast<DWORD>(WS_CLIPCHILDREN);
}

void TWinControl::CreateWnd() {
    if (creating_)
        return;
    creating_ = true;
    struct TResetFlag {
        bool& flag;
        ~TResetFlag() { flag = false; }
    } resetFlag{creating_};

    TCreateParams params;
    CreateParams(params);
    if (params.Style & WS_CHILD) {
        if (!params.WndParent)
            throw Exception("Control '" + Name() + "' has no parent window");
    }
    auto& procs = ClassProcs();
    auto known = procs.find(params.WinClassName);
    if (known == procs.end()) {
        WNDCLASSA wc{};
        WNDPROC original = DefWindowProcA;
        if (!params.BaseClassName.empty()) {
            if (!GetClassInfoA(nullptr, params.BaseClassName.c_str(), &wc))
                RaiseLastOSError("Window class " + params.BaseClassName);
            original = wc.lpfnWndProc;
            wc.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
        } else {
            wc.style = params.ClassStyle;
            wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        }
        wc.lpfnWndProc = ControlWindowProc;
        wc.hInstance = ModuleInstance();
        wc.lpszClassName = params.WinClassName.c_str();
        if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            RaiseLastOSError("Window class " + params.WinClassName);
        known = procs.emplace(params.WinClassName, original).first;
    }
    defWndProc_ = known->second;
    CreateWindowHandle(params);
    if (!handle_)
        RaiseLastOSError("Cannot create window of " + params.WinClassName);
    if (!params.BaseClassName.empty())
        SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), 0);
    UpdateBoundsFromWindow();
    CreateHandleFinished();
    CreateChildHandles();
}

namespace {
// Child windows get ids of their own, so that the notifications that carry only an id find
// their control. Ids below 0x100 are left to dialog conventions (IDOK, IDCANCEL, ...).
HMENU NextChildId() {
    static unsigned next = 0x100;
    const unsigned id = next;
    next = next >= 0xFFFF ? 0x100 : next + 1;
    return reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id));
}
} // namespace

void TWinControl::CreateWindowHandle(const TCreateParams& params) {
    HMENU id = (params.Style & WS_CHILD) ? NextChildId() : nullptr;
    HWND window = CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(),
                                  params.Style, params.X, params.Y, params.Width, params.Height,
                                  params.WndParent, id, ModuleInstance(), this);
    if (!window)
        handle_ = nullptr;
}

void TWinControl::CreateChildHandles() {
    const std::vector<TControl*> children = controls_;
    for (TControl* child : children)
        if (auto* windowed = dynamic_cast<TWinControl*>(child); windowed && !windowed->handle_)
            windowed->CreateWnd();
}

void TWinControl::DestroyWnd() {
    if (handle_)
        DestroyWindow(handle_);
}

void TWinControl::DestroyHandle() {
    if (!handle_)
        return;
    DestroyWnd();
    if (handle_) // the window refused to go; forget it anyway
        DetachWindow();
}

void TWinControl::RecreateWnd() {
    if (handle_)
        Perform(CM_RECREATEWND);
}

void TWinControl::SetParent(TWinControl* parent) {
    if (parent == Parent())
        return;
    // A window cannot follow its control to another parent: make it anew.
    DestroyHandle();
    TControl::SetParent(parent);
    if (parent && parent->HandleAllocated() && !IsLoading())
        CreateWnd();
}

void TWinControl::InsertControl(TControl* control) {
    controls_.push_back(control);
    if (auto* windowed = dynamic_cast<TWinControl*>(control))
        tabList_.push_back(windowed);
    control->parent_ = this;
    if (!IsLoading() && !control->IsLoading()) {
        control->Perform(CM_PARENTCOLORCHANGED);
        control->Perform(CM_PARENTFONTCHANGED);
        control->Perform(CM_PARENTSHOWHINTCHANGED);
    }
    Realign();
    control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control) {
    auto it = std::find(controls_.begin(), controls_.end(), control);
    if (it == controls_.end())
        return;
    control->Invalidate();
    controls_.erase(it);
    tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), control), tabList_.end());
    if (mouseChild_ == control)
        mouseChild_ = nullptr;
    control->parent_ = nullptr;
    if (!IsDestroying())
        Realign();
}

void TWinControl::Broadcast(TMessage& message) {
    const std::vector<TControl*> children = controls_;
    for (TControl* child : children) {
        if (std::find(controls_.begin(), controls_.end(), child) == controls_.end())
            continue;
        message.Result = child->Perform(message.Msg, message.WParam, message.LParam);
        if (message.Result != 0)
            return;
    }
}

TControl* TWinControl::ControlAtPos(POINT point, bool allowDisabled) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* child = *it;
        if (child->IsWindowed() || !child->Visible() || (!allowDisabled && !child->Enabled()))
            continue;
        RECT r = child->BoundsRect();
        if (PtInRect(&r, point))
            return child;
    }
    return nullptr;
}

int TWinControl::TabOrder() const {
    if (!Parent())
        return -1;
    const auto& list = Parent()->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order) {
    if (!Parent())
        return;
    auto& list = Parent()->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end())
        return;
    list.erase(it);
    order = std::clamp(order, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + order, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
    for (TWinControl* child : tabList_) {
        list.push_back(child);
        child->GetTabOrderList(list);
    }
}

bool TWinControl::Focused() const {
    return handle_ && GetFocus() == handle_;
}

bool TWinControl::CanFocus() const {
    for (const TControl* control = this; control; control = control->Parent())
        if (!control->Visible() || !control->Enabled())
            return false;
    return true;
}

void TWinControl::SetFocus() {
    if (TCustomForm* form = ParentForm(); form && form != this)
        form->SetActiveControl(this);
    if (CanFocus())
        ::SetFocus(Handle());
}

void TWinControl::SetParentBackground(bool value) {
    if (value == parentBackground_)
        return;
    parentBackground_ = value;
    Invalidate();
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    Constraints().Apply(width, height);
    if (left == Left() && top == Top() && width == Width() && height == Height())
        return;
    if (handle_) {
        // The window reports the new bounds back (WM_WINDOWPOSCHANGED, WM_SIZE).
        SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        bool resized = width != Width() || height != Height();
        StoreBounds(left, top, width, height);
        if (resized) {
            Realign();
            Resize();
        }
    }
    RequestAlign();
}

void TWinControl::UpdateBoundsFromWindow() {
    if (!handle_)
        return;
    RECT r{};
    GetWindowRect(handle_, &r);
    if (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD) {
        if (HWND parent = GetParent(handle_))
            MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    }
    StoreBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TWinControl::BoundsChanged() {}

RECT TWinControl::ClientRect() const {
    if (handle_) {
        RECT r{};
        GetClientRect(handle_, &r);
        return r;
    }
    return TControl::ClientRect();
}

POINT TWinControl::ClientOrigin() const {
    if (handle_) {
        POINT p{0, 0};
        ::ClientToScreen(handle_, &p);
        return p;
    }
    return TControl::ClientOrigin();
}

void TWinControl::Invalidate() {
    if (handle_)
        InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Update() {
    if (handle_)
        UpdateWindow(handle_);
}

void TWinControl::Realign() {
    if (aligning_ || IsLoading() || IsDestroying())
        return;
    RECT rect = ClientRect();
    AdjustClientRect(rect);
    aligning_ = true;
    try {
        AlignControls(nullptr, rect);
    } catch (...) {
        aligning_ = false;
        throw;
    }
    aligning_ = false;
}

void TWinControl::AdjustClientRect(RECT&) const {}

void TWinControl::AlignControls(TControl*, RECT& rect) {
    static const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
    const std::vector<TControl*> children = controls_;
    for (TAlign align : order) {
        for (TControl* child : children) {
            if (child->Align() != align || !child->Visible())
                continue;
            int w = rect.right - rect.left, h = rect.bottom - rect.top;
            switch (align) {
            case alTop:
                child->SetBounds(rect.left, rect.top, w, child->Height());
                rect.top += child->Height();
                break;
            case alBottom:
                child->SetBounds(rect.left, rect.bottom - child->Height(), w, child->Height());
                rect.bottom -= child->Height();
                break;
            case alLeft:
                child->SetBounds(rect.left, rect.top, child->Width(), h);
                rect.left += child->Width();
                break;
            case alRight:
                child->SetBounds(rect.right - child->Width(), rect.top, child->Width(), h);
                rect.right -= child->Width();
                break;
            default:
                child->SetBounds(rect.left, rect.top, w, h);
                break;
            }
        }
    }
}

void TWinControl::FontChanged() {
    if (handle_) {
        SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), 0);
        Invalidate();
    }
    for (TControl* child : std::vector<TControl*>(ControlList()))
        child->Perform(CM_PARENTFONTCHANGED);
}

void TWinControl::ColorChanged() {
    Invalidate();
    for (TControl* child : std::vector<TControl*>(ControlList()))
        child->Perform(CM_PARENTCOLORCHANGED);
}

void TWinControl::TextChanged() {
    if (handle_)
        SetWindowTextA(handle_, Caption().c_str());
}

void TWinControl::VisibleChanged() {
    if (handle_)
        ShowWindow(handle_, Visible() ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void TWinControl::EnabledChanged() {
    if (handle_)
        EnableWindow(handle_, Enabled());
    Invalidate();
}

bool TWinControl::EraseBackground(HDC dc) {
    RECT r{};
    GetClientRect(handle_, &r);
    background_.SetColor(Color());
    FillRect(dc, &r, background_.Handle());
    return true;
}

void TWinControl::PaintWindow(HDC dc) {
    // A standard control paints itself into a given context.
    TMessage message{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
    DefaultHandler(message);
}

void TWinControl::PaintControls(HDC dc, const RECT& clip) {
    for (TControl* child : std::vector<TControl*>(ControlList())) {
        if (child->IsWindowed() || !child->Visible())
            continue;
        RECT bounds = child->BoundsRect(), visible{};
        if (!IntersectRect(&visible, &bounds, &clip))
            continue;
        TSaveDCGuard saved(dc);
        IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
        POINT oldOrigin{};
        OffsetViewportOrgEx(dc, bounds.left, bounds.top, &oldOrigin);
        child->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
}

void TWinControl::PaintTo(HDC dc, int x, int y) {
    TSaveDCGuard saved(dc);
    POINT oldOrigin{};
    OffsetViewportOrgEx(dc, x, y, &oldOrigin);
    RECT client = ClientRect();
    IntersectClipRect(dc, 0, 0, client.right, client.bottom);
    // As on the screen: a control that paints fully skips its erase, but its colour is still
    // the ground it paints on.
    if (opaquePaint_)
        TWinControl::EraseBackground(dc);
    else
        EraseBackground(dc);
    PaintWindow(dc);
    PaintControls(dc, client);
    for (TControl* child : std::vector<TControl*>(ControlList()))
        if (auto* windowed = dynamic_cast<TWinControl*>(child);
            windowed && windowed->Visible() && windowed->handle_)
            windowed->PaintTo(dc, windowed->Left(), windowed->Top());
}

void TWinControl::PaintHandler(TMessage& message) {
    if (message.WParam) {
        HDC dc = reinterpret_cast<HDC>(message.WParam);
        RECT client = ClientRect();
        PaintWindow(dc);
        PaintControls(dc, client);
        return;
    }
    bool hasGraphicChildren = std::any_of(controls_.begin(), controls_.end(),
                                          [](TControl* c) { return !c->IsWindowed() && c->Visible(); });
    if (!opaquePaint_ && !hasGraphicChildren) {
        DefaultHandler(message);
        return;
    }
    // Everything is drawn off-screen and reaches the window in one copy.
    TPaintDC paint(handle_);
    RECT client = ClientRect();
    const RECT& area = paint.PaintRect();
    if (IsRectEmpty(&area))
        return;
    // Only the area to paint is buffered, so small repaints of a large window stay cheap.
    RECT bufferArea{};
    if (!IntersectRect(&bufferArea, &area, &client))
        return;
    TBufferDC buffer(paint.Get(), bufferArea);
    IntersectClipRect(buffer.Get(), bufferArea.left, bufferArea.top, bufferArea.right, bufferArea.bottom);
    // A fresh buffer holds garbage: it always gets the control's colour first.
    TWinControl::EraseBackground(buffer.Get());
    PaintWindow(buffer.Get());
    PaintControls(buffer.Get(), bufferArea);
    buffer.CopyToArea(paint.Get());
}

void TWinControl::ReflectNotification(TMessage& message, HWND child) {
    if (child && child != handle_ && FindControl(child)) {
        message.Result = SendMessageA(child, CN_BASE + message.Msg, message.WParam, message.LParam);
        return;
    }
    DefaultHandler(message);
}

bool TWinControl::DoKeyDown(WORD& key, TShiftState shift) {
    TWinControl* form = ParentForm();
    if (form && form != this && static_cast<TCustomForm*>(form)->KeyPreview() && form->DoKeyDown(key, shift))
        return true;
    KeyDown(key, shift);
    return key == 0;
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key) {
    if (OnKeyPress)
        OnKeyPress(this, key);
}

void TWinControl::DoEnter() {
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit)
        OnExit(this);
}

bool TWinControl::HandleKeyNavigation(TMessage& message) {
    auto key = static_cast<WORD>(message.WParam);
    LRESULT mask = 0;
    switch (key) {
    case VK_TAB:
        mask = DLGC_WANTTAB;
        break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        mask = DLGC_WANTARROWS;
        break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL:
        mask = DLGC_WANTALLKEYS;
        break;
    default:
        return false;
    }
    if (Perform(WM_GETDLGCODE) & (mask | DLGC_WANTALLKEYS))
        return false;
    TCustomForm* form = ParentForm();
    return form && form->Perform(CM_DIALOGKEY, key, message.LParam) != 0;
}

void TWinControl::WndProc(TMessage& message) {
    switch (message.Msg) {
    case WM_PAINT:
        PaintHandler(message);
        return;
    case WM_ERASEBKGND:
        if (opaquePaint_ || EraseBackground(reinterpret_cast<HDC>(message.WParam)))
            message.Result = 1;
        else
            DefaultHandler(message);
        return;
    case WM_SIZE:
        DefaultHandler(message);
        UpdateBoundsFromWindow();
        Realign();
        Resize();
        return;
    case WM_MOVE:
        DefaultHandler(message);
        UpdateBoundsFromWindow();
        return;
    case WM_WINDOWPOSCHANGED:
        UpdateBoundsFromWindow();
        DefaultHandler(message);
        return;
    case WM_SETTEXT:
        DefaultHandler(message);
        StoreCaption(message.LParam ? reinterpret_cast<const char*>(message.LParam) : "");
        return;
    case WM_COMMAND:
        if (message.LParam) {
            ReflectNotification(message, reinterpret_cast<HWND>(message.LParam));
            return;
        }
        if (HIWORD(message.WParam) == 0 && DispatchMenuCommand(LOWORD(message.WParam)))
            return;
        break;
    case WM_NOTIFY:
        ReflectNotification(message, reinterpret_cast<NMHDR*>(message.LParam)->hwndFrom);
        return;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        ReflectNotification(message, reinterpret_cast<HWND>(message.LParam));
        return;
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_COMPAREITEM:
    case WM_DELETEITEM: {
        UINT controlType =
            message.Msg == WM_DRAWITEM      ? reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam)->CtlType
            : message.Msg == WM_MEASUREITEM ? reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam)->CtlType
                                            : 0;
        if (controlType == ODT_MENU) {
            if (!DispatchMenuOwnerDraw(message))
                DefaultHandler(message);
            return;
        }
        // The structure names the child's window where it has one; only WM_MEASUREITEM goes
        // by the control id.
        HWND child = nullptr;
        if (message.Msg == WM_DRAWITEM)
            child = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam)->hwndItem;
        else if (message.Msg == WM_COMPAREITEM)
            child = reinterpret_cast<COMPAREITEMSTRUCT*>(message.LParam)->hwndItem;
        else if (message.Msg == WM_DELETEITEM)
            child = reinterpret_cast<DELETEITEMSTRUCT*>(message.LParam)->hwndItem;
        if (!child)
            child = GetDlgItem(handle_, static_cast<int>(message.WParam));
        ReflectNotification(message, child);
        return;
    }
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(message.WParam);
        SetTextColor(dc, ColorToRGB(Font().Color()));
        SetBkColor(dc, ColorToRGB(Color()));
        background_.SetColor(Color());
        message.Result = reinterpret_cast<LRESULT>(background_.Handle());
        return;
    }
    case WM_SETFOCUS:
        DefaultHandler(message);
        if (TCustomForm* form = ParentForm(); form && form != this)
            form->SetFocusedControl(this);
        return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        auto key = static_cast<WORD>(message.WParam);
        if (DoKeyDown(key, KeyboardShiftState()))
            return;
        message.WParam = key;
        break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        auto key = static_cast<WORD>(message.WParam);
        KeyUp(key, KeyboardShiftState());
        if (key == 0)
            return;
        message.WParam = key;
        break;
    }
    case WM_CHAR: {
        char key = static_cast<char>(message.WParam);
        KeyPress(key);
        if (key == 0)
            return;
        message.WParam = static_cast<unsigned char>(key);
        break;
    }
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
        message.Result = HandleKeyNavigation(message) ? 1 : 0;
        return;
    case CN_SYSCHAR:
    case CN_CHAR:
        if (message.Msg == CN_SYSCHAR || !(Perform(WM_GETDLGCODE) & (DLGC_WANTCHARS | DLGC_WANTALLKEYS))) {
            if (message.WParam != VK_SPACE || message.Msg == CN_CHAR)
                if (TCustomForm* form = ParentForm())
                    message.Result = form->Perform(CM_DIALOGCHAR, message.WParam, message.LParam) != 0;
        }
        return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
        Broadcast(message);
        return;
    case CM_RECREATEWND:
        recreating_ = true;
        DestroyHandle();
        recreating_ = false;
        HandleNeeded();
        return;
    case WM_MOUSEWHEEL: {
        POINT pos{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
        int delta = GET_WHEEL_DELTA_WPARAM(message.WParam);
        if (DoMouseWheel(MouseShiftState(GET_KEYSTATE_WPARAM(message.WParam)), delta, pos))
            return;
        // Unhandled, the wheel goes to the parent control.
        if (Parent())
            message.Result = Parent()->Perform(message.Msg, message.WParam, message.LParam);
        else
            DefaultHandler(message);
        return;
    }
    case WM_CONTEXTMENU: {
        POINT screen{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
        TControl* target = this;
        if (screen.x != -1 || screen.y != -1) {
            if (TControl* child = ControlAtPos(ScreenToClient(screen)))
                target = child;
        } else {
            screen = ClientToScreen(POINT{0, 0});
        }
        for (TControl* c = target; c; c = c->Parent()) {
            if (TPopupMenu* menu = c->PopupMenu(); menu && menu->AutoPopup()) {
                menu->SetPopupComponent(target);
                menu->Popup(screen.x, screen.y);
                message.Result = 1;
                return;
            }
            if (c == this)
                break;
        }
        DefaultHandler(message);
        return;
    }
    case WM_SETCURSOR:
        if (Screen->Cursor() != crDefault) {
            ::SetCursor(Screen->CursorHandle(Screen->Cursor()));
            message.Result = 1;
            return;
        }
        if (Cursor() != crDefault && LOWORD(message.LParam) == HTCLIENT) {
            ::SetCursor(Screen->CursorHandle(Cursor()));
            message.Result = 1;
            return;
        }
        break;
    case WM_MOUSEMOVE:
        if (!trackingLeave_) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, handle_, 0};
            trackingLeave_ = TrackMouseEvent(&track) != FALSE;
            Perform(CM_MOUSEENTER);
        }
        // The windowless child under the mouse hears when the mouse comes and goes.
        if (GetCapture() != handle_)
            SetMouseChild(ControlAtPos(POINT{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)}));
        break;
    case WM_MOUSELEAVE:
        trackingLeave_ = false;
        SetMouseChild(nullptr);
        Perform(CM_MOUSELEAVE);
        DefaultHandler(message);
        return;
    default:
        break;
    }

    if (message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MBUTTONDBLCLK && message.Msg != WM_MOUSEWHEEL) {
        bool down = message.Msg == WM_LBUTTONDOWN || message.Msg == WM_RBUTTONDOWN ||
                    message.Msg == WM_MBUTTONDOWN || message.Msg == WM_LBUTTONDBLCLK ||
                    message.Msg == WM_RBUTTONDBLCLK || message.Msg == WM_MBUTTONDBLCLK;
        bool up = message.Msg == WM_LBUTTONUP || message.Msg == WM_RBUTTONUP || message.Msg == WM_MBUTTONUP;
        // Windowless children get the mouse where they lie, unless we hold it.
        if (GetCapture() != handle_) {
            POINT point{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
            if (TControl* child = ControlAtPos(point)) {
                LPARAM local = MAKELPARAM(point.x - child->Left(), point.y - child->Top());
                message.Result = child->Perform(message.Msg, message.WParam, local);
                return;
            }
        }
        if (down && captureMouse_)
            SetCapture(handle_);
        // Let go before the handlers run: a click may open a dialog. Only a capture we took:
        // a system button that loses its own before it sees the release never clicks.
        if (up && captureMouse_ && !(message.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) &&
            GetCapture() == handle_)
            ReleaseCapture();
        DefaultHandler(message);
        TControl::WndProc(message);
        return;
    }
    TControl::WndProc(message);
}

void TWinControl::SetMouseChild(TControl* child) {
    if (child == mouseChild_)
        return;
    TControl* left = mouseChild_;
    mouseChild_ = child;
    if (left)
        left->Perform(CM_MOUSELEAVE);
    if (child && child == mouseChild_)
        child->Perform(CM_MOUSEENTER);
}

void TWinControl::DefaultHandler(TMessage& message) {
    if (!handle_) {
        TControl::DefaultHandler(message);
        return;
    }
    message.Result = CallWindowProcA(defWndProc_, handle_, message.Msg, message.WParam, message.LParam);
}

// ---- TCustomControl

class TCustomControl::TControlCanvas : public TCanvas {
  public:
    explicit TControlCanvas(TCustomControl& control) : control_(control) {}
    ~TControlCanvas() override { ReleaseOwned(); }
    void ReleaseOwned() {
        if (!ownedDC_)
            return;
        SetHandle(nullptr);
        ReleaseDC(window_, ownedDC_);
        ownedDC_ = nullptr;
    }

  protected:
    void CreateHandle() override {
        window_ = control_.Handle();
        ownedDC_ = GetDC(window_);
        SetHandle(ownedDC_);
    }

  private:
    TCustomControl& control_;
    HWND window_ = nullptr;
    HDC ownedDC_ = nullptr;
};

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {
    opaquePaint_ = true;
    canvas_ = std::make_unique<TControlCanvas>(*this);
}

TCustomControl::~TCustomControl() = default;

TCanvas& TCustomControl::Canvas() {
    return *canvas_;
}

void TCustomControl::ReleaseCanvas() {
    canvas_->ReleaseOwned();
}

bool TCustomControl::EraseBackground(HDC) {
    return true;
}

void TCustomControl::PaintWindow(HDC dc) {
    canvas_->ReleaseOwned();
    canvas_->SetHandle(dc);
    try {
        Paint();
    } catch (...) {
        canvas_->SetHandle(nullptr);
        throw;
    }
    canvas_->SetHandle(nullptr);
}

void TCustomControl::WndProc(TMessage& message) {
    TWinControl::WndProc(message);
    // A context taken for drawing outside painting is given back at once.
    canvas_->ReleaseOwned();
}
