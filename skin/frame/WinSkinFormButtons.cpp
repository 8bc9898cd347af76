#include "WinSkinFormButtons.h"

#include "Application.h"
#include "Bitmap.h"
#include "ImgUtil.h"
#include "Menus.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSkinMenuSystem.h"

#include <windowsx.h>

#include <algorithm>

// ---- TNCObject

void TNCObject::MouseDown() {
    TWinSkinForm* frame = OwnerFrame();
    if (frame->HotObject() && frame->HotObject() != this)
        frame->HotObject()->MouseLeave();
    if (!Visible)
        return;
    frame->SetHotObject(this);
    State = ncPressed;
    Paint();
}

void TNCObject::MouseUp() {
    if (!Visible)
        return;
    State = ncHot;
    Paint();
}

void TNCObject::MouseEnter() {
    TWinSkinForm* frame = OwnerFrame();
    if (frame->HotObject() == this)
        return;
    if (frame->HotObject())
        frame->HotObject()->MouseLeave();
    if (!Visible)
        return;
    frame->SetHotObject(this);
    State = ncHot;
    Paint();
}

void TNCObject::MouseLeave() {
    if (!Visible)
        return;
    TWinSkinForm* frame = OwnerFrame();
    frame->SetHotObject(nullptr);
    State = ncNormal;
    Paint();
    if (TSkinData* skin = frame->SkinData()) {
        skin->HideCaptionHint();
        skin->CaptionHintCounter() = 0;
    }
}

// ---- TWinSysButton

TCaptionButtonInfo TWinSysButton::Info() const {
    TCaptionButtonInfo info;
    info.Action = element_->Action;
    info.Align = element_->Align;
    info.XCoord = element_->XCoord;
    info.YCoord = element_->YCoord;
    info.Visibility = element_->Visibility;
    info.Visibility1 = element_->Visibility1;
    info.ImageWidth = element_->Bitmap.Width();
    info.ImageHeight = element_->Bitmap.Height();
    info.Frames = element_->Frame;
    return info;
}

bool TWinSysButton::IsIcon() const {
    return element_->Action == 3 || element_->Action == 11;
}

void TWinSysButton::PaintCell(HDC dc, int cell) {
    const RECT rect{BoundsRect.Left, BoundsRect.Top, BoundsRect.Right, BoundsRect.Bottom};
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    if (IsIcon()) {
        OwnerFrame()->DrawIcon(dc, rect);
        return;
    }
    // A strip cell: the whole cell stretched, magenta transparent.
    cell = std::clamp(cell, 1, std::max(1, element_->Frame));
    DrawNineSlice(dc, rect, element_->Bitmap, CellRect(*element_, cell), RECT{0, 0, 0, 0}, false, true);
}

void TWinSysButton::Paint() {
    TWinSkinForm* frame = OwnerFrame();
    if (!Visible || frame->FrameState() != fsRunning)
        return;
    TWindowDC dc(frame->Handle(), TWindowDC::Area::Window);
    if (!dc.Get())
        return;
    int cell = State;
    const int frames = element_->Frame;
    if (!Enabled)
        cell = frames > 3 ? 4 : 1;
    else if (element_->Visibility == 100 && State == ncHot)
        cell = 4;
    PaintCell(dc.Get(), cell);
}

// ---- the frame's caption mouse handling, hints and system menu

void TWinSkinForm::HideHint() {
    if (skin_)
        skin_->HideCaptionHint();
}

void TWinSkinForm::ForgetHint() {
    // The counter is the skin component's: left as it is, the next hover of any frame would
    // show its hint at once, or never.
    HideHint();
    if (skin_)
        skin_->CaptionHintCounter() = 0;
}

void TWinSkinForm::BuildIconBitmap() {
    if (!iconBitmap_)
        iconBitmap_ = std::make_unique<TBitmap>();
    HICON icon = WindowIcon(handle_);
    if (!icon)
        icon = reinterpret_cast<HICON>(GetClassLongPtrA(handle_, GCLP_HICONSM));
    DrawIconOnMagenta(*iconBitmap_, icon);
}

void TWinSkinForm::DrawIcon(HDC dc, const RECT& rect) {
    // The application's own icon, as its windows show it.
    if (HICON icon = ApplicationIcon()) {
        const int size = GetSystemMetrics(SM_CXSMICON);
        DrawIconEx(dc, rect.left, rect.top, icon, size, size, 0, nullptr, DI_NORMAL);
        return;
    }
    if (iconBitmap_)
        iconBitmap_->StretchDraw(dc, rect);
}

TWinSysButton* TWinSkinForm::CaptionButtonAt(POINT p) const {
    for (const auto& button : captionButtons_)
        if (button->Visible && button->Element().Action >= 0 && button->BoundsRect.Contains(p.x, p.y))
            return button.get();
    return nullptr;
}

LRESULT TWinSkinForm::NcMouse(UINT msg, WPARAM wParam, LPARAM lParam) {
    const POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const POINT p = ScreenToFrame(screen);
    TWinSysButton* object = CaptionButtonAt(p);
    switch (msg) {
    case WM_NCMOUSEMOVE:
        if (!active_)
            return 0;
        if (object) {
            object->MouseEnter();
            return 0;
        }
        if (hotObject_)
            hotObject_->MouseLeave();
        hotObject_ = nullptr;
        return PassOn(msg, wParam, lParam);
    case WM_NCLBUTTONDOWN:
        HideHint();
        if (object) {
            if (!active_)
                SetForegroundWindow(handle_);
            object->MouseDown();
            return 0;
        }
        if (windowState_ == wsMaximized && active_ && wParam == HTCAPTION)
            wParam = HTMENU;
        return PassOn(msg, wParam, lParam);
    case WM_NCLBUTTONUP:
        HideHint();
        if (object) {
            if (object == hotObject_) {
                object->MouseUp();
                RunButtonAction(*object, screen);
            }
            return 0;
        }
        return PassOn(msg, wParam, lParam);
    case WM_NCLBUTTONDBLCLK:
        if (object) {
            if (object->IsIcon()) {
                StopHoverTimer();
                PostMessageA(handle_, WM_SYSCOMMAND, SC_CLOSE, 0);
            }
            return 0;
        }
        if (windowState_ != wsNormal) {
            PostMessageA(handle_, WM_SYSCOMMAND, SC_RESTORE, 0);
            return 0;
        }
        if (buttonSet_ & bsMaximizeBox) {
            PostMessageA(handle_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
            return 0;
        }
        return PassOn(msg, wParam, lParam);
    case WM_NCRBUTTONDOWN:
        HideHint();
        if (wParam == HTCAPTION && !(exStyle_ & WS_EX_MDICHILD)) {
            PopupSystemMenu(screen);
            return 0;
        }
        return PassOn(msg, wParam, lParam);
    default:
        return PassOn(msg, wParam, lParam);
    }
}

void TWinSkinForm::RunButtonAction(TWinSysButton& button, POINT screen) {
    switch (button.Element().Action) {
    case 0: {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE;
        const bool hasClose = !systemMenu_ || GetMenuItemInfoA(systemMenu_, SC_CLOSE, FALSE, &info);
        if (hasClose) {
            StopHoverTimer();
            PostMessageA(handle_, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        break;
    }
    case 1:
    case 22:
        if (button.Enabled) {
            if (windowState_ == wsMaximized) {
                windowState_ = wsNormal;
                PostMessageA(handle_, WM_SYSCOMMAND, SC_RESTORE, 0);
            } else {
                if (TSkinManage* manager = SkinManager(); manager && IsMdiChild())
                    manager->SetMdiMaximized(true);
                windowState_ = wsMaximized;
                hotObject_ = nullptr;
                PostMessageA(handle_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
            }
        }
        break;
    case 2:
    case 23:
        if (button.Enabled) {
            if (windowState_ == wsMinimized) {
                windowState_ = wsNormal;
                PostMessageA(handle_, WM_SYSCOMMAND, SC_RESTORE, 0);
            } else {
                windowState_ = wsMinimized;
                if (hadSysMenuStyle_)
                    SetWindowLongA(handle_, GWL_STYLE, GetWindowLongA(handle_, GWL_STYLE) | WS_SYSMENU);
                PostMessageA(handle_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            }
        }
        break;
    case 3:
    case 11:
    case 12:
        PopupSystemMenu(POINT{screen.x + 1, screen.y + 1});
        break;
    case 4:
        PostMessageA(handle_, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
        break;
    case 7:
    case 60:
        SendToActiveMDIChild(SC_MINIMIZE);
        break;
    case 8:
    case 61:
        SendToActiveMDIChild(SC_RESTORE);
        break;
    case 9:
    case 62:
        SendToActiveMDIChild(SC_CLOSE);
        break;
    default:
        PostMessageA(handle_, SKM_CUSTOMBUTTON, static_cast<WPARAM>(button.Element().Action), 0);
        break;
    }
}

HWND TWinSkinForm::ActiveMDIChild(bool* maximized) const {
    BOOL zoomed = FALSE;
    HWND child = formKind_ == fkMDIFrame && mdiClient_
                     ? reinterpret_cast<HWND>(
                           SendMessageA(mdiClient_, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&zoomed)))
                     : nullptr;
    if (maximized)
        *maximized = child && zoomed;
    return child;
}

void TWinSkinForm::SendToActiveMDIChild(WPARAM command) {
    if (HWND child = ActiveMDIChild())
        SendMessageA(child, WM_SYSCOMMAND, command, 0);
}

void TWinSkinForm::HoverTick(TObject*) {
    if (!hotObject_ || !skin_ || frameState_ != fsRunning || MenuTracking())
        return;
    POINT cursor{};
    GetCursorPos(&cursor);
    const POINT p = ScreenToFrame(cursor);
    if (!hotObject_->BoundsRect.Contains(p.x, p.y)) {
        hotObject_->MouseLeave();
        hotObject_ = nullptr;
        skin_->HideCaptionHint();
        skin_->CaptionHintCounter() = 0;
        return;
    }
    // Menu-bar buttons have no hints.
    auto* button = dynamic_cast<TWinSysButton*>(hotObject_);
    if (!button)
        return;
    int& counter = skin_->CaptionHintCounter();
    counter += static_cast<int>(250);
    const int pause = Application ? Application->HintPause() : 500;
    const int hidePause = Application ? Application->HintHidePause() : 2500;
    if (counter < 2 * pause)
        return;
    if (counter < 2 * pause + hidePause) {
        if (const char* text = CaptionButtonHint(button->Element().Action)) {
            RECT window{};
            GetWindowRect(handle_, &window);
            const RECT at{window.left + button->BoundsRect.Left, cursor.y + 24, 0, 0};
            skin_->ShowCaptionHint(at, text);
        }
    } else
        skin_->HideCaptionHint();
}

void TWinSkinForm::PopupSystemMenu(POINT screen) {
    const DWORD now = GetTickCount();
    if (now - lastSysMenuTime_ <= doubleClickTime_ && hotObject_) {
        // A second click on the icon within the double-click time closes the window.
        StopHoverTimer();
        PostMessageA(handle_, WM_CLOSE, 0, 0);
        return;
    }
    if (TSkinManage* manager = SkinManager())
        manager->SetNextMenuKind(mkSystemMenu);
    lastSysMenuTime_ = now;
    if (!systemMenu_)
        systemMenu_ = GetSystemMenu(handle_, FALSE);
    if (!systemMenu_)
        return;
    // The skinned menu is built afresh from the system menu, so that what the window allows now
    // shows; a chosen item sends its command as the system's own menu would.
    RefreshWindowState();
    if (!systemMenuPopup_)
        systemMenuPopup_ = new TPopupMenu(this);
    TSystemMenuFacts facts;
    facts.WindowState = static_cast<int>(windowState_);
    facts.Sizeable = sizeable_;
    facts.HasMinimizeBox = (buttonSet_ & bsMinimizeBox) != 0;
    facts.HasMaximizeBox = (buttonSet_ & bsMaximizeBox) != 0;
    BuildSystemMenuPopup(*systemMenuPopup_, systemMenu_, facts, skin_,
                         Bind<&TWinSkinForm::SystemMenuClick>(this));
    // The menu's loop may end with the window gone: nothing of this frame is used after it.
    systemMenuPopup_->Popup(screen.x, screen.y);
    // A system menu the skin's switches left unskinned leaves no announcement behind.
    if (TSkinManage* manager = SkinManager())
        if (manager->PopupMenus().empty())
            manager->SetNextMenuKind(mkContextMenu);
}

void TWinSkinForm::SystemMenuClick(TObject* sender) {
    auto* item = dynamic_cast<TComponent*>(sender);
    if (item && IsWindow(handle_))
        PostMessageA(handle_, WM_SYSCOMMAND, static_cast<WPARAM>(item->TagInt()), 0);
}

void TWinSkinForm::FreeSystemMenuPopup() {
    if (!systemMenuPopup_)
        return;
    TPopupMenu* popup = systemMenuPopup_;
    systemMenuPopup_ = nullptr;
    TComponent::Free(popup);
}
