#include "WinSkinForm.h"

#include "Application.h"
#include "Bitmap.h"
#include "Form.h"
#include "SkinPropertyNames.h"
#include "SysUtils.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinFormMenuBar.h"
#include "WinSkinMenuPaint.h"
#include "WinSubClass.h"
#include "WindowRelay.h"

#include <windowsx.h>

#include <algorithm>

namespace {
// The frame's relay on its window. When skinning ends while a later subclasser still calls us,
// taking our procedure out would cut that subclasser off: the relay's record stays behind as a
// pass-through until the window is gone, and the window's next frame takes it over instead of
// subclassing again.
constexpr char FrameRelay[] = "PerchpointsSkinFrame";
constexpr char MDIClientRelay[] = "PerchpointsSkinMDIClient";

LRESULT CallProc(WNDPROC proc, bool unicode, HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return TWindowRelay::CallProc(proc, unicode, window, msg, wParam, lParam);
}

constexpr UINT SC_MASK = 0xFFF0;

// A minimized window comes back at its normal rectangle; these read and resize that one.
bool NormalPosition(HWND window, RECT& normal) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement))
        return false;
    normal = placement.rcNormalPosition;
    return true;
}

void ResizeNormalPosition(HWND window, int width, int height) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement))
        return;
    placement.rcNormalPosition.right = placement.rcNormalPosition.left + width;
    placement.rcNormalPosition.bottom = placement.rcNormalPosition.top + height;
    placement.flags = 0;
    SetWindowPlacement(window, &placement);
}

// The system's frame around a client area for the window's present styles.
SIZE SystemFrameOf(HWND window) {
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)),
                       GetMenu(window) != nullptr, static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}
} // namespace

TFrameWidths SkinFrameWidths(const TSkinData& skin) {
    auto image = [](const TDataSkinBorder& piece) {
        return TFramePieceImage{piece.Bitmap.Width(), piece.Bitmap.Height(), piece.Frame};
    };
    return FrameWidthsFromImages(image(skin.FrameLeft()), image(skin.FrameTop()), image(skin.FrameRight()),
                                 image(skin.FrameBottom()));
}

TWinSkinForm::TWinSkinForm(TComponent* owner) : TComponent(owner) {
    doubleClickTime_ = GetDoubleClickTime();
    hoverTimer_ = std::make_unique<TTimer>(nullptr);
    hoverTimer_->SetEnabled(false);
    hoverTimer_->SetInterval(250);
    hoverTimer_->OnTimer = Bind<&TWinSkinForm::HoverTick>(this);
}

TWinSkinForm::~TWinSkinForm() {
    try {
        if (subclassed_)
            Detach();
        ReleaseAdapters();
        ForgetHint();
    } catch (...) {
        // Nothing may escape a destructor.
        TraceSwallowed("TWinSkinForm::~TWinSkinForm");
    }
    hoverTimer_.reset();
    captionButtons_.clear();
    if (TSkinManage* manager = SkinManager())
        manager->ForgetFrame(handle_);
}

// ---- taking over

void TWinSkinForm::TakeOverForm(TSkinData* skin, TCustomForm* form) {
    form_ = form;
    if (skin->OnBeforeSkinForm)
        skin->OnBeforeSkinForm(form, handle_, skinName_);
    if (skin->Skins(xcMenuItem))
        form->SetPropText(SkinProperty::AutoScroll, "False");
    Start(skin);
    if (skin->Skins(xcMenuItem))
        SetMainMenusOwnerDraw(*form, skin, true);
    savedColor_ = form->Color();
    form->SetColor(skin->Colour(scButtonFace));
}

void TWinSkinForm::TakeOverWindow(TSkinData* skin) {
    Start(skin);
}

void TWinSkinForm::Start(TSkinData* skin) {
    if (subclassed_)
        return;
    if (TSkinManage* manager = SkinManager())
        manager->SetState(TManagerState::msRunning);
    skin_ = skin;
    skinFrame_ = skin->Skins(xcMainMenu);
    style_ = static_cast<DWORD>(GetWindowLongA(handle_, GWL_STYLE));
    exStyle_ = static_cast<DWORD>(GetWindowLongA(handle_, GWL_EXSTYLE));
    rightToLeft_ = (exStyle_ & WS_EX_LEFTSCROLLBAR) != 0;
    isChild_ = (style_ & WS_CHILD) != 0;
    windowClassName_ = WindowClassName(handle_);
    ownerWindow_ = GetWindow(handle_, GW_OWNER);
    hadSysMenuStyle_ = (style_ & WS_SYSMENU) != 0;
    buttonSet_ = 0;
    if (style_ & WS_SYSMENU)
        buttonSet_ |= bsSystemMenu;
    if (style_ & WS_MINIMIZEBOX)
        buttonSet_ |= bsMinimizeBox;
    if (style_ & WS_MAXIMIZEBOX)
        buttonSet_ |= bsMaximizeBox;
    if (exStyle_ & WS_EX_CONTEXTHELP)
        buttonSet_ |= bsHelpButton;
    RefreshWindowState();
    sizeable_ = (style_ & WS_THICKFRAME) != 0;
    isSystemDialog_ = windowClassName_ == "#32770" || windowClassName_ == "TMessageForm";
    borderKind_ = BorderKindFromStyles(style_, exStyle_, isSystemDialog_);
    ReadFormKind();
    // An MDI child with the option keeps the system frame.
    if (formKind_ == fkMDIChild && skin->HasOption(xoMDIChildBorder))
        skinFrame_ = false;
    isUnicode_ = IsWindowUnicode(handle_) != FALSE;
    Subclass();
    frameWanted_ = skinFrame_;
    if (skinFrame_) {
        RebuildCaptionObjects();
        // A skin whose frame cannot hold this window leaves it its system frame; the window
        // was laid out for that one.
        frameApplied_ = borderKind_ == bkNone || FrameWidthsUsable(widths_);
        if (!frameApplied_) {
            skinFrame_ = false;
            if (TSkinManage* manager = SkinManager())
                manager->RememberUnskinned(handle_);
        }
    }
    if (skinFrame_) {
        CreateMenuBar();
        HookFormHandler();
    }
    if (!skinFrame_)
        frameState_ = fsRunning;
    TSkinManage* manager = SkinManager();
    if (manager && formKind_ == fkMDIChild && windowState_ == wsMaximized && !manager->ChildMaximized())
        manager->SetMdiMaximized(true);
}

void TWinSkinForm::ReadFormKind() {
    formKind_ = fkPlain;
    mdiClient_ = nullptr;
    for (HWND child = GetTopWindow(handle_); child; child = GetWindow(child, GW_HWNDNEXT))
        if (lstrcmpiA(WindowClassName(child).c_str(), "MDIClient") == 0) {
            formKind_ = fkMDIFrame;
            mdiClient_ = child;
            if (TSkinManage* manager = SkinManager())
                manager->SetMDIFrame(child, form_);
            SubclassMDIClient();
            break;
        }
    if (exStyle_ & WS_EX_MDICHILD)
        formKind_ = fkMDIChild;
}

void TWinSkinForm::SubclassMDIClient() {
    if (mdiClientRelay_ || !mdiClient_)
        return;
    auto relay = std::make_unique<TWindowRelay>(RelayKind<MDIClientRelay>,
                                                Bind<&TWinSkinForm::MDIClientMessage>(this));
    if (relay->Install(mdiClient_))
        mdiClientRelay_ = std::move(relay);
}

LRESULT TWinSkinForm::MDIClientMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Kept: the relay may go while the message is under way (the frame unskinned by it).
    const WNDPROC previous = mdiClientRelay_->Previous();
    const bool unicode = mdiClientRelay_->Unicode();
    HWND client = mdiClientRelay_->Window();
    auto passOn = [&] { return TWindowRelay::CallProc(previous, unicode, client, msg, wParam, lParam); };
    try {
        TSkinManage* manager = SkinManager();
        switch (msg) {
        case WM_NCCALCSIZE:
            // The skinned frame's MDI client shows no scroll bars unless the skin asks for them.
            if (skinFrame_ && skin_ && !skin_->HasOption(xoMDIScrollbar))
                SetWindowLongA(mdiClient_, GWL_STYLE,
                               GetWindowLongA(mdiClient_, GWL_STYLE) & ~(WS_HSCROLL | WS_VSCROLL));
            break;
        case WM_MDIDESTROY: {
            const LRESULT result = passOn();
            if (skinFrame_ && manager && mdiClientRelay_) {
                BOOL maximized = FALSE;
                SendMessageA(mdiClient_, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized));
                manager->SetMdiMaximized(maximized != FALSE);
            }
            return result;
        }
        case WM_MDITILE:
        case WM_MDICASCADE:
            if (skinFrame_ && manager && manager->ChildMaximized())
                manager->SetMdiMaximized(false);
            break;
        case SKM_MDIREDRAW:
            RedrawWindow(handle_, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
            return 0;
        default:
            break;
        }
    } catch (...) {
        HandleCurrentException(true);
    }
    return passOn();
}

void TWinSkinForm::MdiMaximizedChanged(bool on) {
    if (on) {
        RemoveRegion();
        return;
    }
    if (windowState_ != wsMinimized)
        windowState_ = wsNormal;
    UpdateRegion();
    if (!region_)
        SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TWinSkinForm::Subclass() {
    auto relay =
        std::make_unique<TWindowRelay>(RelayKind<FrameRelay>, Bind<&TWinSkinForm::RelayedMessage>(this));
    if (!relay->Install(handle_))
        return;
    relay_ = std::move(relay);
    oldWndProc_ = relay_->Previous();
    isUnicode_ = relay_->Unicode();
    subclassed_ = true;
}

void TWinSkinForm::RestoreProc() {
    mdiClientRelay_.reset();
    if (!subclassed_)
        return;
    subclassed_ = false;
    relay_.reset();
}

LRESULT TWinSkinForm::RelayedMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        return WindowProc(msg, wParam, lParam);
    } catch (...) {
        HandleCurrentException(true);
        return 0;
    }
}

LRESULT TWinSkinForm::PassOn(UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallProc(oldWndProc_, isUnicode_, handle_, msg, wParam, lParam);
}

// ---- the window procedure
//
// One case per message, and each case says which frames it is for:
// - every frame, also one that leaves the window's frame to the system and only serves the
//   adapters;
// - a drawn frame: the skin draws this window's frame (a top-level window or an MDI child);
// - a started frame: drawn, and the deferred start has run. Before the start nothing of the
//   frame is drawn, and the system is kept from drawing its own.
// What no case takes goes on to the window's own procedure.

LRESULT TWinSkinForm::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    const bool created = frameState_ == fsCreated;
    const bool drawn = skinFrame_ && (!isChild_ || IsMdiChild());
    const bool started = drawn && !created;
    switch (msg) {
    // Every frame.
    case WM_ERASEBKGND:
        return EraseBackground(wParam, lParam);
    case WM_NCDESTROY:
        return NcDestroy(wParam, lParam);
    case WM_INITMENUPOPUP:
        if (TSkinManage* manager = SkinManager())
            manager->SetNextMenuKind(reinterpret_cast<HMENU>(wParam) == systemMenu_ ? mkSystemMenu
                                                                                    : mkMenuBar);
        break;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        return ControlColour(msg, wParam, lParam);
    case SKM_START:
        if (!deferredStarted_)
            DeferredStart();
        else if (form_)
            SkinFormControls(form_); // what was made between the start and now
        return 0;
    case SKM_ISSKINNED:
        PostMessageA(handle_, SKM_SKINNED, 0, SKIN_MAGIC);
        return 1;
    case SKM_PAINTFRAME:
        if (lParam != SKIN_MAGIC)
            break;
        if (wParam)
            PaintNonClient(reinterpret_cast<HDC>(wParam));
        return SKIN_MAGIC;
    case SKM_PROBE:
        return lParam == SKIN_MAGIC ? SKIN_MAGIC : 1;
    case SKM_RESKIN:
        Reskin();
        return 0;
    case SKM_RESCROLL:
        ReplaceScrollAdapter(reinterpret_cast<HWND>(wParam));
        return 0;

    // The non-client area.
    case 0x00AE: // the system's caption-button drawing of some themes
        if (skinFrame_)
            return 0;
        break;
    case WM_NCPAINT:
        if (skinFrame_ && created)
            return 0;
        if (started)
            return NcPaint(wParam, lParam);
        break;
    case WM_NCACTIVATE:
        if (skinFrame_ && created && !IsMdiChild()) {
            active_ = wParam != 0;
            // Nothing is drawn before the start, but the activation itself goes ahead.
            return TRUE;
        }
        if (drawn)
            active_ = wParam != 0;
        if (started)
            return NcActivate(wParam, lParam);
        break;
    case WM_NCCALCSIZE:
        if (started)
            return NcCalcSize(wParam, lParam);
        break;
    case WM_NCHITTEST:
        if (started)
            return NcHitTest(wParam, lParam);
        break;
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
        if (started) {
            // Found where they are now, whether or not the frame was painted since.
            RefreshCaptionLayout();
            LRESULT result = 0;
            if (MenuBarMouse(msg, wParam, lParam, result))
                return result;
            return NcMouse(msg, wParam, lParam);
        }
        break;
    case SKM_REDRAWFRAME:
        if (started) {
            PaintNonClient();
            return 0;
        }
        break;

    // Sizes, states, texts and the menus of a drawn frame.
    case WM_SIZE:
        if (drawn) {
            OnSize(wParam, lParam);
            return 0;
        }
        break;
    case WM_CREATE:
    case WM_SHOWWINDOW:
        if (drawn)
            return CreatedOrShown(msg, wParam, lParam);
        break;
    case WM_ACTIVATE:
        if (drawn)
            active_ = LOWORD(wParam) != WA_INACTIVE;
        break;
    case WM_GETMINMAXINFO:
        if (drawn) {
            const LRESULT result = PassOn(msg, wParam, lParam);
            RefreshWindowState();
            return result;
        }
        break;
    case WM_WINDOWPOSCHANGED:
        if (drawn)
            RefreshWindowState();
        break;
    case WM_SETICON:
        if (drawn) {
            const LRESULT result = PassOn(msg, wParam, lParam);
            BuildIconBitmap();
            return result;
        }
        break;
    case WM_SETTEXT:
        if (drawn) {
            const LRESULT result = PassOn(msg, wParam, lParam);
            // The caption shows the new title at once.
            if (IsWindowVisible(handle_))
                PaintNonClient();
            return result;
        }
        break;
    case WM_COMMAND:
        if (drawn && PostSystemCommand(wParam, lParam))
            return 0;
        break;
    case WM_SYSCOMMAND:
        if (drawn)
            return SysCommand(wParam, lParam);
        break;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
        if (started)
            return MenuItemMessage(msg, wParam, lParam);
        break;
    case SKM_MENUATPOINT:
        if (drawn) {
            RefreshCaptionLayout();
            MenuAtPoint(lParam);
            return 0;
        }
        break;
    case CM_MENUCHANGED:
        // A form object's menu changes reach the frame through the form's handler.
        if (drawn && !form_)
            return WindowMenuChanged(wParam, lParam);
        break;
    default:
        break;
    }
    return PassOn(msg, wParam, lParam);
}

LRESULT TWinSkinForm::EraseBackground(WPARAM wParam, LPARAM lParam) {
    if (form_ || !skin_)
        return PassOn(WM_ERASEBKGND, wParam, lParam);
    RECT client{};
    GetClientRect(handle_, &client);
    FillRect(reinterpret_cast<HDC>(wParam), &client, skin_->ButtonFaceBrush());
    return 1;
}

LRESULT TWinSkinForm::NcDestroy(WPARAM wParam, LPARAM lParam) {
    frameState_ = fsClosing;
    const WNDPROC old = oldWndProc_;
    const bool unicode = isUnicode_;
    const HWND window = handle_;
    Detach();
    frameState_ = fsDestroyed;
    return CallProc(old, unicode, window, WM_NCDESTROY, wParam, lParam);
}

LRESULT TWinSkinForm::ControlColour(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = PassOn(msg, wParam, lParam);
    if (!form_) {
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        if (msg == WM_CTLCOLORSTATIC && skin_) {
            SetBkColor(reinterpret_cast<HDC>(wParam), ColorToRGB(skin_->Colour(scButtonFace)));
            result = reinterpret_cast<LRESULT>(skin_->ButtonFaceBrush());
        }
    }
    return result;
}

LRESULT TWinSkinForm::NcPaint(WPARAM wParam, LPARAM lParam) {
    // Without a caption the system's own border stays.
    if (borderKind_ == bkNone)
        return PassOn(WM_NCPAINT, wParam, lParam);
    if (GetWindowLongA(handle_, GWL_STYLE) & WS_SYSMENU)
        SetWindowLongA(handle_, GWL_STYLE, GetWindowLongA(handle_, GWL_STYLE) & ~WS_SYSMENU);
    if (skin_ && skin_->FramePainting())
        PaintNonClient();
    return 0;
}

LRESULT TWinSkinForm::CreatedOrShown(UINT msg, WPARAM wParam, LPARAM lParam) {
    const bool shown = msg == WM_SHOWWINDOW && wParam;
    if (shown)
        framePainted_ = false;
    // A form skinned as it was made has its controls take the skin before it is first seen:
    // its first paint is the skinned one, not a native one painted over at once.
    if (shown && startedAtCreation_ && !deferredStarted_)
        DeferredStart();
    // A window skinned as it was made gets its outline before it is first seen.
    const LRESULT result = PassOn(msg, wParam, lParam);
    if (frameState_ == fsRunning && (msg == WM_CREATE || wParam))
        UpdateRegion();
    return result;
}

bool TWinSkinForm::PostSystemCommand(WPARAM wParam, LPARAM lParam) {
    // A command whose number is one of these system commands is posted as that command.
    if (HIWORD(wParam) != 0 || lParam != 0)
        return false;
    switch (LOWORD(wParam) & SC_MASK) {
    case SC_SIZE:
    case SC_MOVE:
    case SC_MINIMIZE:
    case SC_MAXIMIZE:
    case SC_NEXTWINDOW:
    case SC_PREVWINDOW:
    case SC_CLOSE:
    case SC_RESTORE:
        PostMessageA(handle_, WM_SYSCOMMAND, LOWORD(wParam), 0);
        return true;
    default:
        return false;
    }
}

LRESULT TWinSkinForm::WindowMenuChanged(WPARAM wParam, LPARAM lParam) {
    const bool painting = skin_ && skin_->FramePainting();
    if (skin_)
        skin_->SetFramePainting(false);
    const LRESULT result = PassOn(CM_MENUCHANGED, wParam, lParam);
    if (skin_)
        skin_->SetFramePainting(painting);
    MenuChanged();
    return result;
}

// ---- start, sizes, states

void TWinSkinForm::StartAtCreation() {
    if (frameState_ == fsCreated && skinFrame_) {
        frameState_ = fsRunning;
        startedAtCreation_ = true;
    }
}

void TWinSkinForm::RefreshWindowState() {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(handle_, &placement))
        return;
    if (IsIconic(handle_) || placement.showCmd == SW_SHOWMINIMIZED || placement.showCmd == SW_MINIMIZE ||
        placement.showCmd == SW_SHOWMINNOACTIVE)
        windowState_ = wsMinimized;
    else if (IsZoomed(handle_))
        windowState_ = wsMaximized;
    else
        windowState_ = wsNormal;
}

void TWinSkinForm::DeferredStart() {
    deferredStarted_ = true;
    // An MDI form makes its MDI client after its window: the frame started before it existed.
    if (formKind_ == fkPlain)
        ReadFormKind();
    // A menu the window got after the start (a form sets it once its window exists).
    CreateMenuBar();
    systemMenu_ = GetSystemMenu(handle_, FALSE);
    BuildIconBitmap();
    GetClientRect(handle_, &clientSize_);
    clientSize_.bottom = std::max(0L, clientSize_.bottom - menuGrowth_);
    RECT window{};
    GetWindowRect(handle_, &window);
    systemFrameSize_ = SIZE{(window.right - window.left) - clientSize_.right,
                            (window.bottom - window.top) - clientSize_.bottom};
    RECT normal{};
    if (IsIconic(handle_) && NormalPosition(handle_, normal)) {
        // Minimized: the client area is the one it comes back with, under the system frame.
        systemFrameSize_ = SystemFrameOf(handle_);
        clientSize_ = RECT{0, 0, std::max(0L, normal.right - normal.left - systemFrameSize_.cx),
                           std::max(0L, normal.bottom - normal.top - systemFrameSize_.cy)};
        TSkinManage* manager = SkinManager();
        if (frameState_ == fsCreated && skinFrame_ && !isChild_ && borderKind_ != bkNone &&
            !(form_ && manager && manager->LaidOutForSkin(handle_))) {
            int width = 0, height = 0;
            WindowSizeForClient(widths_, clientSize_.right, clientSize_.bottom, width, height);
            ResizeNormalPosition(handle_, width, height);
        }
    }
    if (form_)
        SkinFormControls(form_);
    else
        SkinChildWindows(handle_);
    if (frameState_ == fsCreated && skinFrame_ && formKind_ == fkMDIChild) {
        // An MDI child: a maximized one is redrawn by its MDI client, a minimized one waits
        // for its restore, a normal one keeps its client area under the skin's frame.
        if (windowState_ == wsMaximized) {
            if (TSkinManage* manager = SkinManager(); manager && manager->MDIClientWindow())
                PostMessageA(manager->MDIClientWindow(), SKM_MDIREDRAW, reinterpret_cast<WPARAM>(handle_), 0);
        } else if (windowState_ == wsNormal) {
            frameState_ = fsResizing;
            FitToClient(false);
            frameState_ = fsRunning;
            UpdateRegion();
        }
    } else if (frameState_ == fsCreated && skinFrame_) {
        if (!isChild_ && borderKind_ != bkNone && windowState_ != wsMinimized) {
            frameState_ = fsResizing;
            // A form laid out for the skin's frame keeps its outer size; every other window
            // keeps its client area.
            TSkinManage* manager = SkinManager();
            const bool keepOuter = form_ && manager && manager->LaidOutForSkin(handle_);
            if (keepOuter)
                SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                             SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
            else
                FitToClient(false);
            frameState_ = fsRunning;
            if (windowState_ == wsMaximized)
                SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                             SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
            else
                UpdateRegion();
        }
    }
    menuGrowth_ = 0;
    if (form_ && skin_ && skin_->Skins(xcPopupMenu))
        SetPopupMenusOwnerDraw(*form_, skin_, true);
    SendMessageA(handle_, SKM_SKINNED, 0, SKIN_MAGIC);
    if (skin_ && skin_->OnAfterSkinForm)
        skin_->OnAfterSkinForm(form_, handle_, skinName_);
    frameState_ = fsRunning;
    if (skinFrame_)
        hoverTimer_->SetEnabled(GetActiveWindow() == handle_);
    // A frame that drew from the window's creation on has nothing new to show.
    if (skinFrame_ && !startedAtCreation_ && IsWindowVisible(handle_))
        RedrawWindow(handle_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

void TWinSkinForm::ReadFrameWidths() {
    if (!skin_ || !skin_->ElementsLoaded())
        return;
    if (borderKind_ == bkNone) {
        widths_ = TFrameWidths{};
        return;
    }
    widths_ = SkinFrameWidths(*skin_);
    widths_.Menu = skinMenuBar_ ? GetSystemMetrics(SM_CYMENU) : 0;
}

void TWinSkinForm::ReleaseCaptionObjects() {
    hotObject_ = nullptr;
    captionButtons_.clear();
}

void TWinSkinForm::RebuildCaptionObjects() {
    if (!skin_ || !skin_->ElementsLoaded())
        return;
    ReadFrameWidths();
    ReleaseCaptionObjects();
    for (auto& element : skin_->SysButtons()) {
        auto button = std::make_unique<TWinSysButton>(this, element.get());
        if (button->IsIcon()) {
            // A skin without an icon image shows the window's icon: the button still opens the
            // system menu.
            BuildIconBitmap();
            if (element->Bitmap.Empty())
                element->Bitmap.Assign(*iconBitmap_);
            if (skin_->CaptionIcon().Empty())
                skin_->CaptionIcon().Assign(*iconBitmap_);
            element->Frame = 1;
        }
        captionButtons_.push_back(std::move(button));
    }
}

void TWinSkinForm::FitToClient(bool keepMeasured, bool redraw) {
    if (IsIconic(handle_)) {
        // It comes back with its client area under the present frame.
        int width = 0, height = 0;
        WindowSizeForClient(widths_, clientSize_.right, clientSize_.bottom, width, height);
        ResizeNormalPosition(handle_, width, height);
        SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        return;
    }
    GetWindowRect(handle_, &windowRect_);
    if (isSystemDialog_ || frameState_ == fsReskinning)
        GetClientRect(handle_, &clientSize_);
    int clientWidth = clientSize_.right, clientHeight = clientSize_.bottom;
    if (!keepMeasured && form_) {
        const RECT client = form_->ClientRect();
        clientWidth = client.right;
        clientHeight = std::max(0L, client.bottom - menuGrowth_);
    }
    int width = 0, height = 0;
    WindowSizeForClient(widths_, clientWidth, clientHeight, width, height);
    if (isSystemDialog_ && !keepMeasured && skin_) {
        // A dialog's title must fit its caption: the dialog grows, its controls move to the
        // middle of the new width.
        const TDialogTitleFit fit = FitDialogToTitle(width, skin_->Title().TextShift(), CaptionTextWidth(),
                                                     skin_->Title().TextRightClip());
        if (fit.Width > width) {
            const int shift = fit.Shift;
            for (HWND child = GetWindow(handle_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                RECT r{};
                GetWindowRect(child, &r);
                MapWindowPoints(nullptr, handle_, reinterpret_cast<POINT*>(&r), 2);
                SetWindowPos(child, nullptr, r.left + shift, r.top, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING |
                                 SWP_NOOWNERZORDER);
            }
            width = fit.Width;
        }
    }
    SetWindowPos(handle_, nullptr, windowRect_.left, windowRect_.top, width, height,
                 SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE |
                     (redraw ? 0 : SWP_NOREDRAW | SWP_DEFERERASE));
}

int TWinSkinForm::CaptionTextWidth() const {
    TWindowDC dc(handle_, TWindowDC::Area::Window);
    if (!dc.Get())
        return 0;
    TSelectGuard font(dc.Get(), skin_ ? skin_->CaptionFont() : nullptr);
    const std::wstring text = WindowText();
    SIZE extent{};
    GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
    return extent.cx;
}

void TWinSkinForm::OnSize(WPARAM wParam, LPARAM lParam) {
    PassOn(WM_SIZE, wParam, lParam);
    if (wParam == SIZE_RESTORED)
        windowState_ = wsNormal;
    else if (wParam == SIZE_MINIMIZED)
        windowState_ = wsMinimized;
    else if (wParam == SIZE_MAXIMIZED)
        windowState_ = wsMaximized;
    if (windowState_ == wsMinimized)
        return;
    // While a child is maximized no MDI child has a region; a maximized one has none either.
    if (TSkinManage* manager = SkinManager();
        IsMdiChild() && ((manager && manager->ChildMaximized()) || windowState_ != wsNormal))
        return;
    // The client area a minimized window will come back with.
    if (windowState_ == wsNormal && frameState_ == fsRunning && !IsIconic(handle_))
        GetClientRect(handle_, &clientSize_);
    // A skin change repaints the whole window once when it is done.
    if (frameState_ == fsRunning || frameState_ == fsReskinning)
        UpdateRegion(frameState_ != fsReskinning);
}

LRESULT TWinSkinForm::NcCalcSize(WPARAM wParam, LPARAM lParam) {
    if (!wParam) {
        // The window's rectangle becomes its client rectangle: asked while the window is made
        // and by the system's own size calculations.
        auto* rect = reinterpret_cast<RECT*>(lParam);
        const RECT window = *rect;
        PassOn(WM_NCCALCSIZE, wParam, lParam);
        if (borderKind_ != bkNone) {
            const TFrameRect client = NcCalcClientRect(
                widths_, window.left, window.top, window.right - window.left, window.bottom - window.top);
            *rect = RECT{client.Left, client.Top, client.Right, client.Bottom};
        }
        return 0;
    }
    PassOn(WM_NCCALCSIZE, wParam, lParam);
    ReserveMenuStrip();
    auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
    if (borderKind_ == bkNone) {
        params->rgrc[1] = params->rgrc[0];
        return WVR_VALIDRECTS;
    }
    const WINDOWPOS* pos = params->lppos;
    const TFrameRect client = NcCalcClientRect(widths_, pos->x, pos->y, pos->cx, pos->cy);
    params->rgrc[0] = RECT{client.Left, client.Top, client.Right, client.Bottom};
    params->rgrc[1] = params->rgrc[0];
    return WVR_VALIDRECTS;
}

POINT TWinSkinForm::ScreenToFrame(POINT screen) const {
    ScreenToClient(handle_, &screen);
    if (!(windowState_ == wsMinimized && (exStyle_ & WS_EX_MDICHILD))) {
        screen.x += widths_.Left;
        screen.y += widths_.Caption + widths_.Menu;
    }
    return screen;
}

LRESULT TWinSkinForm::NcHitTest(WPARAM wParam, LPARAM lParam) {
    const LRESULT previous = PassOn(WM_NCHITTEST, wParam, lParam);
    const POINT p = ScreenToFrame(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    int code = FrameHitTest(static_cast<int>(previous), p.x, p.y, widths_);
    // The system answers for its own frame; ours may be wider: the sizing edges follow the
    // skin's borders.
    RECT window{};
    GetWindowRect(handle_, &window);
    const int w = window.right - window.left, h = window.bottom - window.top;
    if (sizeable_ && windowState_ == wsNormal &&
        (code == HTCAPTION || code == HTNOWHERE || code == HTCLIENT)) {
        const bool left = p.x < widths_.Left, right = p.x >= w - widths_.Right;
        const bool top = p.y < 3, bottom = p.y >= h - widths_.Bottom;
        if (top && left)
            code = HTTOPLEFT;
        else if (top && right)
            code = HTTOPRIGHT;
        else if (bottom && left)
            code = HTBOTTOMLEFT;
        else if (bottom && right)
            code = HTBOTTOMRIGHT;
        else if (left)
            code = HTLEFT;
        else if (right)
            code = HTRIGHT;
        else if (bottom)
            code = HTBOTTOM;
        else if (top)
            code = HTTOP;
    } else if (!sizeable_ && code != HTCLIENT && p.y >= 3 && p.y < widths_.Caption)
        code = HTCAPTION;
    return code;
}

LRESULT TWinSkinForm::NcActivate(WPARAM wParam, LPARAM) {
    active_ = wParam != 0;
    hoverTimer_->SetEnabled(active_ && frameState_ == fsRunning);
    if (!active_ && hotObject_)
        hotObject_->MouseLeave();
    // A window just shown has its whole frame still to paint: that paint shows the new state,
    // so the frame is not drawn twice.
    if (framePainted_)
        PaintNonClient();
    return TRUE;
}

LRESULT TWinSkinForm::SysCommand(WPARAM wParam, LPARAM lParam) {
    const UINT command = static_cast<UINT>(wParam) & SC_MASK;
    // Alt or F10 alone, or Alt with a button's access key, open the menu bar.
    if (command == SC_KEYMENU && lParam != ' ' && lParam != '-' && skinMenuBar_ && !MenuTracking() &&
        !GetCapture() && MenuBarKey(lParam))
        return 1;
    if (command == SC_KEYMENU && lParam == ' ') {
        // Alt+Space: the system menu at the client area's top-left corner.
        POINT corner{0, 0};
        ClientToScreen(handle_, &corner);
        PopupSystemMenu(corner);
        return 0;
    }
    if (command == SC_MINIMIZE)
        windowState_ = wsMinimized;
    else if (command == SC_MAXIMIZE)
        windowState_ = wsMaximized;
    else if (command == SC_RESTORE) {
        windowState_ = wsNormal;
        // A child restored from maximized: every child's frame is the skin's again.
        if (TSkinManage* manager = SkinManager(); manager && IsMdiChild() && manager->ChildMaximized())
            manager->SetMdiMaximized(false);
    }
    return PassOn(WM_SYSCOMMAND, wParam, lParam);
}

// ---- switching off

void TWinSkinForm::StopHoverTimer() {
    if (hoverTimer_)
        hoverTimer_->SetEnabled(false);
}

void TWinSkinForm::Unskin() {
    const bool closing = frameState_ == fsClosing;
    StopHoverTimer();
    ForgetHint();
    ReleaseAdapters();
    if (form_ && skin_) {
        if (skin_->Skins(xcPopupMenu))
            SetPopupMenusOwnerDraw(*form_, skin_, false);
        if (skin_->Skins(xcMenuItem))
            SetMainMenusOwnerDraw(*form_, skin_, false);
    }
    FreeSystemMenuPopup();
    if (subclassed_) {
        RestoreProc();
        UnhookFormHandler();
        if (form_ && !closing)
            form_->SetColor(savedColor_);
        if (IsWindow(handle_))
            GiveBackSystemFrame(skinFrame_, closing);
    }
    // Every control shows its own look again, also those whose adapter had nothing to put back
    // and would otherwise keep the skin's pixels until something else repaints them.
    if (form_ && !closing && IsWindow(handle_))
        InvalidateOwnedControls();
}

void TWinSkinForm::GiveBackSystemFrame(bool framed, bool closing) {
    if (framed && hadSysMenuStyle_)
        SetWindowLongA(handle_, GWL_STYLE, GetWindowLongA(handle_, GWL_STYLE) | WS_SYSMENU);
    // The frame kept activation changes from the system while it drew the caption: the system's
    // own caption is told whether the window is active now.
    if (framed && frameState_ != fsCreated && !closing)
        SendMessageA(handle_, WM_NCACTIVATE, GetActiveWindow() == handle_, 0);
    if (framed && frameState_ != fsCreated && !closing && (!isChild_ || (exStyle_ & WS_EX_MDICHILD))) {
        // The client area keeps its size under the system frame again.
        RECT window{}, client{};
        GetWindowRect(handle_, &window);
        GetClientRect(handle_, &client);
        // The menu bar goes back first: the size below is fitted to it.
        ReleaseMenuBar(true);
        if (SkinManager())
            SkinManager()->RememberUnskinned(handle_);
        if (IsIconic(handle_)) {
            // Minimized: the size it comes back with is the one to fit.
            const SIZE system = SystemFrameOf(handle_);
            ResizeNormalPosition(handle_, clientSize_.right + system.cx, clientSize_.bottom + system.cy);
            SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                         SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        } else {
            RECT frame{0, 0, client.right, client.bottom};
            AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(handle_, GWL_STYLE)),
                               GetMenu(handle_) != nullptr,
                               static_cast<DWORD>(GetWindowLongA(handle_, GWL_EXSTYLE)));
            SetWindowPos(handle_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                         SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE);
        }
    }
    ReleaseMenuBar(true);
    if (region_) {
        SetWindowRgn(handle_, nullptr, TRUE);
        region_ = nullptr;
    }
    regionWidth_ = regionHeight_ = -1;
}

void TWinSkinForm::Detach() {
    FreeSystemMenuPopup();
    StopHoverTimer();
    RestoreProc();
    ReleaseAdapters();
    UnhookFormHandler();
    ReleaseMenuBar(frameState_ != fsClosing && IsWindow(handle_));
}

void TWinSkinForm::JudgeFrame() {
    if (!frameWanted_ || !subclassed_)
        return;
    const bool usable = borderKind_ == bkNone || FrameWidthsUsable(widths_);
    if (usable == frameApplied_)
        return;
    frameApplied_ = usable;
    if (!usable) {
        // The new skin's frame cannot hold the window: it wears the system frame again, its
        // client area kept; the controls stay skinned.
        StopHoverTimer();
        ForgetHint();
        hotObject_ = nullptr;
        FreeSystemMenuPopup();
        skinFrame_ = false;
        UnhookFormHandler();
        GiveBackSystemFrame(true, false);
        return;
    }
    // A window that kept the system frame takes this skin's frame, its client area kept.
    RECT client{};
    GetClientRect(handle_, &client);
    RECT normal{};
    const bool minimized = IsIconic(handle_) && NormalPosition(handle_, normal);
    if (minimized) {
        const SIZE system = SystemFrameOf(handle_);
        client = RECT{0, 0, std::max(0L, normal.right - normal.left - system.cx),
                      std::max(0L, normal.bottom - normal.top - system.cy)};
    }
    clientSize_ = client;
    skinFrame_ = true;
    CreateMenuBar();
    HookFormHandler();
    if (!minimized) {
        int width = 0, height = 0;
        WindowSizeForClient(widths_, client.right, client.bottom, width, height);
        SetWindowPos(handle_, nullptr, 0, 0, width, height,
                     SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOREDRAW |
                         SWP_DEFERERASE);
    }
    hoverTimer_->SetEnabled(GetActiveWindow() == handle_);
}

void TWinSkinForm::Reskin() {
    // Reskinning already while the adapters change: they only invalidate, and the window is
    // repainted once below.
    frameState_ = fsReskinning;
    // Whether the new skin's frame can hold the window is judged anew, both ways.
    JudgeFrame();
    if (skinFrame_) {
        // New widths and outline first, while nothing in the window waits to be painted: the
        // frame change and the new outline then erase nothing, and the client area keeps its
        // size, so the children stay where they are.
        FitToClient(true, false);
        if (form_)
            NudgeLayout();
        regionWidth_ = regionHeight_ = -1;
        UpdateRegion(false);
    }
    if (form_ && skin_)
        ColourFormFamily(skin_->Colour(scButtonFace));
    for (TSkinControl* adapter : std::vector<TSkinControl*>(adapters_))
        if (std::find(adapters_.begin(), adapters_.end(), adapter) != adapters_.end())
            adapter->SkinChanged();
    if (skinFrame_) {
        // Then one repaint of the whole window in the new skin.
        RedrawWindow(handle_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
    // The popup menus are measured again for the new skin, whoever draws the frame.
    if (form_ && skin_ && skin_->Skins(xcPopupMenu))
        SetPopupMenusOwnerDraw(*form_, skin_, true);
    SendMessageA(handle_, SKM_SKINNED, 0, SKIN_MAGIC);
    if (skin_ && skin_->OnAfterSkinForm)
        skin_->OnAfterSkinForm(form_, handle_, skinName_);
    frameState_ = fsRunning;
}

void TWinSkinForm::NudgeLayout() {
    // The client area kept its size, so the toolkit saw no reason to lay the form out: one pixel
    // taller and back makes it align its controls and run its resize handler under the new
    // skin. Nothing is drawn meanwhile; the skin change repaints the window once afterwards.
    RECT window{};
    if (IsIconic(handle_) || IsZoomed(handle_) || !GetWindowRect(handle_, &window))
        return;
    const int width = window.right - window.left, height = window.bottom - window.top;
    constexpr UINT quiet = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_DEFERERASE;
    SetWindowPos(handle_, nullptr, 0, 0, width, height + 1, quiet);
    SetWindowPos(handle_, nullptr, 0, 0, width, height, quiet);
}

void TWinSkinForm::ColourFormFamily(TColor colour) {
    form_->SetColor(colour);
    // The forms this one owns take the colour with it when they wear a frame of their own
    // (which puts their own colour back when skinning ends); a form left unskinned keeps its own.
    TSkinManage* manager = SkinManager();
    for (TComponent* component : std::vector<TComponent*>(form_->Components())) {
        auto* owned = dynamic_cast<TCustomForm*>(component);
        if (!owned || !owned->HandleAllocated() || !manager)
            continue;
        const TWinSkinForm* frame = manager->FindFrame(owned->WindowHandle());
        if (frame && frame->form_ == owned)
            owned->SetColor(colour);
    }
}

void TWinSkinForm::InvalidateOwnedControls() {
    for (TComponent* component : std::vector<TComponent*>(form_->Components()))
        if (auto* control = dynamic_cast<TControl*>(component))
            control->Invalidate();
}

TCaptionFacts TWinSkinForm::CaptionFacts() const {
    TCaptionFacts facts;
    facts.Maximized = windowState_ == wsMaximized;
    facts.Minimized = windowState_ == wsMinimized;
    facts.Active = active_;
    facts.HasSystemMenu = (buttonSet_ & bsSystemMenu) != 0;
    facts.HasMinimizeBox = (buttonSet_ & bsMinimizeBox) != 0;
    facts.HasMaximizeBox = (buttonSet_ & bsMaximizeBox) != 0;
    facts.HasHelpButton = (buttonSet_ & bsHelpButton) != 0;
    facts.IsSystemDialog = isSystemDialog_;
    facts.BorderKind = borderKind_;
    if (skinMenuBar_)
        ActiveMDIChild(&facts.MdiChildMaximizedWithMenuBar);
    return facts;
}
