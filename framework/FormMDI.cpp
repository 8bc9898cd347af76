// Multiple documents: the MDI form with the system's MDI client window, and its MDI children.
// The system does the work (placing, activating, maximizing, the window list); the forms make
// the windows, route their default handling through DefFrameProc and DefMDIChildProc, and keep
// the menu the client lists the children in up to date.
#include "Form.h"

#include "SysUtils.h"

#include "Application.h"
#include "Menus.h"
#include "Screen.h"

#include <algorithm>
#include <string>

namespace {
// The command of the Window menu's first child entry; the rest follow. Far above the commands
// of menu items, which stay below the system commands at 0xF000.
constexpr UINT FirstChildCommand = 0xFF00;

bool IsMDIForm(const TComponent* component) {
    auto* form = dynamic_cast<const TCustomForm*>(component);
    return form && form->FormStyle() == fsMDIForm;
}
} // namespace

TCustomForm* TCustomForm::FindMDIFrame() const {
    if (IsMDIForm(Owner()))
        return static_cast<TCustomForm*>(Owner());
    if (Application && IsMDIForm(Application->MainForm()))
        return Application->MainForm();
    for (TCustomForm* form : Screen->Forms())
        if (form != this && IsMDIForm(form))
            return form;
    return nullptr;
}

TCustomForm* TCustomForm::MDIFrame() const {
    if (formStyle_ != fsMDIChild)
        return nullptr;
    HWND window = WindowHandle();
    if (!window)
        return FindMDIFrame();
    return dynamic_cast<TCustomForm*>(FindControl(GetParent(GetParent(window))));
}

void TCustomForm::MDIChildParams(TCreateParams& params) {
    params.Style = (params.Style & ~static_cast<DWORD>(WS_POPUP)) | WS_CHILD;
    if (Visible())
        params.Style |= WS_VISIBLE;
    params.ExStyle = (params.ExStyle & ~static_cast<DWORD>(WS_EX_APPWINDOW | WS_EX_TOPMOST | WS_EX_LAYERED)) |
                     WS_EX_MDICHILD;
    TCustomForm* frame = FindMDIFrame();
    params.WndParent = frame ? frame->ClientHandle() : nullptr;
    if (Position() == poDefault)
        params.X = params.Y = CW_USEDEFAULT;
}

void TCustomForm::CreateWnd() {
    if (formStyle_ == fsMDIChild) {
        TCustomForm* frame = FindMDIFrame();
        if (!frame)
            throw Exception("Cannot create form. No MDI forms are currently active");
        frame->HandleNeeded();
    }
    TWinControl::CreateWnd();
}

void TCustomForm::DestroyWnd() {
    HWND window = WindowHandle();
    // Through the client, which takes the child off its list and out of the frame's menu.
    if (window && formStyle_ == fsMDIChild && (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_MDICHILD))
        SendMessageA(GetParent(window), WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
    TWinControl::DestroyWnd();
}

void TCustomForm::DefaultHandler(TMessage& message) {
    HWND window = WindowHandle();
    if (window && formStyle_ == fsMDIForm) {
        message.Result = DefFrameProcA(window, clientHandle_, message.Msg, message.WParam, message.LParam);
        return;
    }
    if (window && formStyle_ == fsMDIChild && (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_MDICHILD)) {
        message.Result = DefMDIChildProcA(window, message.Msg, message.WParam, message.LParam);
        return;
    }
    TWinControl::DefaultHandler(message);
}

void TCustomForm::CreateMDIClient() {
    CLIENTCREATESTRUCT client{WindowMenuHandle(), FirstChildCommand};
    const RECT area = ClientRect();
    clientHandle_ =
        CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_HSCROLL | WS_VSCROLL,
                        area.left, area.top, area.right - area.left, area.bottom - area.top, WindowHandle(),
                        nullptr, GetModuleHandleA(nullptr), &client);
    if (!clientHandle_)
        RaiseLastOSError("Cannot create the MDI client window");
    Realign();
}

void TCustomForm::AlignControls(TControl* control, RECT& rect) {
    TWinControl::AlignControls(control, rect);
    // The client takes what the aligned controls leave.
    if (clientHandle_)
        SetWindowPos(clientHandle_, HWND_BOTTOM, rect.left, rect.top,
                     std::max<LONG>(rect.right - rect.left, 0), std::max<LONG>(rect.bottom - rect.top, 0),
                     SWP_NOACTIVATE);
}

HMENU TCustomForm::WindowMenuHandle() {
    if (!menu_ || !windowMenu_ || windowMenu_->ParentItem() != &menu_->Items())
        return nullptr;
    // The system menu holds the visible items only.
    int position = 0;
    for (int i = 0; i < menu_->Items().Count(); ++i) {
        TMenuItem* item = menu_->Items()[i];
        if (item == windowMenu_)
            return item->Visible() ? GetSubMenu(menu_->Handle(), position) : nullptr;
        if (item->Visible())
            ++position;
    }
    return nullptr;
}

void TCustomForm::UpdateMDIMenu() {
    HWND window = WindowHandle();
    if (!clientHandle_ || !window)
        return;
    HMENU frameMenu = menu_ ? menu_->Handle() : nullptr;
    SendMessageA(clientHandle_, WM_MDISETMENU, reinterpret_cast<WPARAM>(frameMenu),
                 reinterpret_cast<LPARAM>(WindowMenuHandle()));
    DrawMenuBar(window);
}

void TCustomForm::SetWindowMenu(TMenuItem* item) {
    if (item == windowMenu_)
        return;
    if (windowMenu_)
        windowMenu_->RemoveFreeNotification(this);
    windowMenu_ = item;
    if (windowMenu_)
        windowMenu_->FreeNotification(this);
    UpdateMDIMenu();
}

TCustomForm* TCustomForm::ActiveMDIChild() const {
    if (!clientHandle_)
        return nullptr;
    auto active = reinterpret_cast<HWND>(SendMessageA(clientHandle_, WM_MDIGETACTIVE, 0, 0));
    return active ? dynamic_cast<TCustomForm*>(FindControl(active)) : nullptr;
}

bool TCustomForm::ActiveMDIChildMaximized() const {
    BOOL maximized = FALSE;
    if (clientHandle_ &&
        SendMessageA(clientHandle_, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized)))
        return maximized != FALSE;
    return false;
}

namespace {
template <class F> void ForEachMDIChild(HWND client, F&& visit) {
    if (!client)
        return;
    for (HWND child = GetWindow(client, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (auto* form = dynamic_cast<TCustomForm*>(FindControl(child));
            form && form->FormStyle() == fsMDIChild)
            if (!visit(form))
                return;
}
} // namespace

int TCustomForm::MDIChildCount() const {
    int count = 0;
    ForEachMDIChild(clientHandle_, [&](TCustomForm*) { return ++count, true; });
    return count;
}

TCustomForm* TCustomForm::MDIChildren(int index) const {
    TCustomForm* found = nullptr;
    int left = index;
    ForEachMDIChild(clientHandle_, [&](TCustomForm* form) {
        if (left-- == 0)
            found = form;
        return found == nullptr;
    });
    if (!found)
        throw Exception("MDI child index out of range (" + std::to_string(index) + ")");
    return found;
}

void TCustomForm::FreeMDIChildren() {
    // Each child's window goes as it is freed, so the first of those left is always another.
    while (clientHandle_ && MDIChildCount() > 0)
        TComponent::Free(MDIChildren(0));
}

void TCustomForm::Tile() {
    if (clientHandle_)
        SendMessageA(clientHandle_, WM_MDITILE,
                     tileMode_ == tbHorizontal ? MDITILE_HORIZONTAL : MDITILE_VERTICAL, 0);
}

void TCustomForm::Cascade() {
    if (clientHandle_)
        SendMessageA(clientHandle_, WM_MDICASCADE, 0, 0);
}

void TCustomForm::ArrangeIcons() {
    if (clientHandle_)
        SendMessageA(clientHandle_, WM_MDIICONARRANGE, 0, 0);
}

void TCustomForm::Next() {
    if (clientHandle_)
        SendMessageA(clientHandle_, WM_MDINEXT, 0, 0);
}

void TCustomForm::Previous() {
    if (clientHandle_)
        SendMessageA(clientHandle_, WM_MDINEXT, 0, 1);
}
