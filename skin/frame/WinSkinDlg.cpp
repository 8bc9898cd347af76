#include "WinSkinDlg.h"

#include "Application.h"
#include "Form.h"
#include "Menus.h"
#include "Screen.h"
#include "SysUtils.h"
#include "WinSkinForm.h"
#include "WinSkinFormGeometry.h"
#include "WinSkinMenu.h"

#include <algorithm>
#include <cctype>

namespace {
TSkinManage* manager = nullptr;
// Set when the manager goes: the hook then only passes calls on.
bool closing = false;

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

HINSTANCE ThisModule() {
    return GetModuleHandleA(nullptr);
}

// Whether a menu of this thread is open: its modal loop dispatches our timer too.
bool ThreadMenuOpen() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetCurrentThreadId(), &info) &&
           (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE)) != 0;
}
} // namespace

std::string WindowClassName(HWND window) {
    char name[101] = {};
    if (GetClassNameA(window, name, sizeof name) <= 0)
        return std::string();
    return name;
}

TSkinManage* SkinManager() {
    return manager;
}

bool SkinFrameInsets(TCustomForm& form, const TCreateParams& params, RECT& insets) {
    if (form.Tag() == 99 || (params.Style & WS_CHILD) || (params.Style & WS_CAPTION) != WS_CAPTION)
        return false;
    const TSkinData* skin = ActiveMainSkinData();
    if (!skin)
        return false;
    const TFrameWidths widths = SkinFrameWidths(*skin);
    if (!FrameWidthsUsable(widths))
        return false;
    insets = RECT{widths.Left, widths.Caption, widths.Right, widths.Bottom};
    // A main menu is drawn in a strip below the caption.
    if (form.Menu() && form.Menu()->Items().Count() > 0 && skin->Skins(xcMainMenu))
        insets.top += GetSystemMetrics(SM_CYMENU);
    return true;
}

TSkinManage& EnsureSkinManager() {
    if (!manager)
        manager = new TSkinManage();
    return *manager;
}

void FreeSkinManager() {
    delete manager;
    manager = nullptr;
}

// ---- TSkinManage

TSkinManage::TSkinManage() {
    closing = false;
    timer_ = std::make_unique<TTimer>(nullptr);
    timer_->SetEnabled(false);
    timer_->SetInterval(100);
    timer_->OnTimer = Bind<&TSkinManage::RunAction>(this);
}

TSkinManage::~TSkinManage() {
    state_ = TManagerState::msClosing;
    skinningEnabled_ = false;
    timer_.reset();
    // Every window gets its own procedures back; nothing is resized on the way out.
    std::vector<TWinSkinForm*> frames;
    frames.swap(frames_);
    for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
        TWinSkinForm* frame = *it;
        frame->Detach();
        TComponent::Free(frame);
    }
    if (hook_)
        UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    closing = true;
    if (manager == this)
        manager = nullptr;
}

void TSkinManage::RegisterSkinData(TSkinData* skin) {
    if (!skin || std::find(skinDatas_.begin(), skinDatas_.end(), skin) != skinDatas_.end())
        return;
    skinDatas_.push_back(skin);
    if (!defaultSkinData_ && skin->SkinFormtype() == sfMainform)
        defaultSkinData_ = skin;
}

void TSkinManage::UnregisterSkinData(TSkinData* skin) {
    skinDatas_.erase(std::remove(skinDatas_.begin(), skinDatas_.end(), skin), skinDatas_.end());
    if (pendingSkinData_ == skin)
        pendingSkinData_ = nullptr;
    if (defaultSkinData_ == skin)
        defaultSkinData_ = nullptr;
    // Frames painting with it must not outlive it.
    std::vector<TWinSkinForm*> frames = frames_;
    for (TWinSkinForm* frame : frames)
        if (frame->SkinData() == skin) {
            RemoveFrame(frame);
            if (state_ != TManagerState::msClosing)
                frame->Unskin();
            else
                frame->Detach();
            TComponent::Free(frame);
        }
}

void TSkinManage::InstallHook() {
    if (!hook_)
        hook_ = SetWindowsHookExA(WH_CBT, &TSkinManage::HookProc, nullptr, GetCurrentThreadId());
}

LRESULT CALLBACK TSkinManage::HookProc(int code, WPARAM wParam, LPARAM lParam) {
    if (closing || !manager)
        return CallNextHookEx(nullptr, code, wParam, lParam);
    try {
        return manager->Hook(code, wParam, lParam);
    } catch (...) {
        HandleCurrentException(true);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT TSkinManage::Hook(int code, WPARAM wParam, LPARAM lParam) {
    const HHOOK hook = hook_;
    auto* window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE) {
        if (state_ == TManagerState::msIdle)
            state_ = TManagerState::msRunning;
        SkinWindow(window);
    } else if (code == HCBT_DESTROYWND) {
        ReleasePopupMenuWindow(window);
    } else if (code == HCBT_CREATEWND) {
        const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        // A size grip made on a skinned window (by a dialog that grows one when it becomes
        // resizable) is skinned by that window's frame as it is made.
        if (create && (create->style & WS_CHILD) && (create->style & SBS_SIZEGRIP) &&
            SameText(WindowClassName(window), "ScrollBar")) {
            if (TWinSkinForm* frame = FindFrame(create->hwndParent))
                frame->SkinWindowByClass(window);
        } else if (create && !(create->style & WS_CHILD) && WindowClassName(window) == "#32768")
            SkinPopupMenuWindow(window);
        // MDI children, and the program's own forms, are skinned as they are made, so that
        // neither the system frame nor a wrong size is ever seen.
        else if (create && (create->dwExStyle & WS_EX_MDICHILD))
            SkinWindow(window);
        else if (create && !(create->style & WS_CHILD) &&
                 dynamic_cast<TCustomForm*>(ControlFromCreation(window, create)))
            SkinWindow(window, create);
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

void TSkinManage::ScheduleAction(TSkinAction action, unsigned intervalMs) {
    pendingAction_ = action;
    timer_->SetInterval(intervalMs);
    if (state_ != TManagerState::msIdle) {
        // A later request replaces the pending one and starts the wait again.
        timer_->SetEnabled(false);
        timer_->SetEnabled(true);
        return;
    }
    if (action == saSkinAll)
        skinningEnabled_ = true;
    else if (action == saUnskinAll)
        skinningEnabled_ = false;
}

void TSkinManage::SetMDIFrame(HWND client, TCustomForm* form) {
    mdiClientWindow_ = client;
    mdiFrameForm_ = form;
}

void TSkinManage::SetMdiMaximized(bool on) {
    if (on == childMaximized_)
        return;
    childMaximized_ = on;
    // A skin with the option leaves MDI children the system frame.
    for (TWinSkinForm* frame : frames_)
        if (frame->IsMdiChild() && frame->SkinData() && !frame->SkinData()->HasOption(xoMDIChildBorder))
            frame->MdiMaximizedChanged(on);
}

void TSkinManage::RefreshFrames() {
    for (TWinSkinForm* frame : frames_)
        if (frame->SkinData() == pendingSkinData_)
            frame->ReleaseCaptionObjects();
}

void TSkinManage::PurgeFrames() {
    for (size_t i = frames_.size(); i-- > 0;) {
        TWinSkinForm* frame = frames_[i];
        if (frame->FrameState() == fsDestroyed) {
            frames_.erase(frames_.begin() + static_cast<std::ptrdiff_t>(i));
            TComponent::Free(frame);
        }
    }
}

void TSkinManage::SkinPopupMenuWindow(HWND window) {
    if (!skinningEnabled_ || !window || IsPopupMenuWindow(window))
        return;
    TSkinData* skin = ChooseSkinData(window, "#32768");
    if (!skin || !skin->SkinReady())
        return;
    // The kind of menu a frame announced decides which switch lets it be skinned.
    const bool allowed = nextMenuKind_ == mkMenuBar      ? skin->Skins(xcMainMenu) || skin->Skins(xcMenuItem)
                         : nextMenuKind_ == mkSystemMenu ? skin->Skins(xcSystemMenu)
                                                         : skin->Skins(xcPopupMenu);
    if (!allowed)
        return;
    auto popup = std::make_unique<TWinSkinPopMenu>();
    if (!popup->Attach(window, skin))
        return;
    popup->SetFromBar(menuFromBar_);
    popupMenus_.push_back(std::move(popup));
}

bool TSkinManage::ReleasePopupMenuWindow(HWND window) {
    auto it = std::find_if(popupMenus_.begin(), popupMenus_.end(),
                           [window](const auto& popup) { return popup->Handle() == window; });
    if (it == popupMenus_.end())
        return false;
    std::unique_ptr<TWinSkinPopMenu> popup = std::move(*it);
    popupMenus_.erase(it);
    popup->Detach();
    if (popupMenus_.empty()) {
        menuFromBar_ = false;
        nextMenuKind_ = mkContextMenu;
    }
    return true;
}

bool TSkinManage::IsPopupMenuWindow(HWND window) const {
    return std::any_of(popupMenus_.begin(), popupMenus_.end(),
                       [window](const auto& popup) { return popup->Handle() == window; });
}

void TSkinManage::MarkMenusFromBar() {
    for (auto& popup : popupMenus_)
        popup->SetFromBar(true);
}

void TSkinManage::AttachMenuHandle(HMENU menu) {
    if (!menu)
        return;
    for (auto& popup : popupMenus_)
        if (popup->MenuHandle() == menu)
            return;
    for (auto it = popupMenus_.rbegin(); it != popupMenus_.rend(); ++it)
        if (!(*it)->MenuHandle()) {
            (*it)->SetMenuHandle(menu);
            return;
        }
}

const TBitmap* TSkinManage::FindMenuBitmap(HMENU menu) const {
    if (!menu)
        return nullptr;
    for (const auto& popup : popupMenus_)
        if (popup->MenuHandle() == menu)
            return &popup->Background();
    return nullptr;
}

TWinSkinForm* TSkinManage::FindFrame(HWND window) const {
    for (TWinSkinForm* frame : frames_)
        if (frame->Handle() == window)
            return frame;
    return nullptr;
}

void TSkinManage::ForgetFrame(HWND window) {
    if (state_ == TManagerState::msClosing)
        return;
    auto it =
        std::find_if(frames_.begin(), frames_.end(), [&](TWinSkinForm* f) { return f->Handle() == window; });
    if (it == frames_.end())
        return;
    // The children of a frame that goes must not reach its form or client any more.
    if (mdiClientWindow_ && (*it)->MDIClient() == mdiClientWindow_)
        SetMDIFrame(nullptr, nullptr);
    frames_.erase(it);
}

void TSkinManage::RemoveFrame(TWinSkinForm* frame) {
    frames_.erase(std::remove(frames_.begin(), frames_.end(), frame), frames_.end());
}

bool TSkinManage::MaySkinWindow(HWND window, const std::string& className) const {
    if (!defaultSkinData_)
        return true;
    bool doSkin = true;
    const std::string lower = Lower(className);
    if (!defaultSkinData_->HasOption(xoPreview) && lower.find("preview") != std::string::npos)
        doSkin = false;
    if (className == "#32770" && (GetWindowLongA(window, GWL_STYLE) & 0x200))
        doSkin = false;
    if (lower == "tpopupdbtreeview")
        doSkin = false;
    defaultSkinData_->DoFormSkin(window, className, doSkin);
    return doSkin;
}

TSkinData* TSkinManage::ChooseSkinData(HWND window, const std::string& className) const {
    TSkinData* chosen = nullptr;
    for (TSkinData* skin : skinDatas_)
        if (skin->SkinFormtype() == sfOnlyThisForm)
            if (auto* owner = dynamic_cast<TWinControl*>(skin->Owner());
                owner && owner->WindowHandle() == window)
                chosen = skin;
    if (chosen)
        return chosen;
    const std::string lower = Lower(className);
    if (lower == "tmessageform" || lower == "#32770")
        for (TSkinData* skin : skinDatas_)
            if (skin->SkinFormtype() == sfDialog)
                chosen = skin;
    if (chosen)
        return chosen;
    for (TSkinData* skin : skinDatas_)
        if (skin->SkinFormtype() == sfMainform)
            chosen = skin;
    if (chosen)
        return chosen;
    return skinDatas_.empty() ? nullptr : skinDatas_.front();
}

bool TSkinManage::SkinWindow(HWND window, const CREATESTRUCTA* creating) {
    if (!skinningEnabled_ || !window || !IsWindow(window))
        return false;
    PurgeFrames();
    // A window being made has no procedure of its own to ask yet.
    if (FindFrame(window) || (!creating && SendMessageA(window, SKM_ISSKINNED, 0, 0) == 1))
        return false;
    TCustomForm* form = nullptr;
    if (creating)
        form = dynamic_cast<TCustomForm*>(ControlFromCreation(window, creating));
    if (!form && Screen)
        for (TCustomForm* candidate : Screen->Forms())
            if (candidate->WindowHandle() == window)
                form = candidate;
    if (!form)
        form = dynamic_cast<TCustomForm*>(FindControl(window));
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    const std::string className = WindowClassName(window);
    if (!skinAllPass_ && (style & WS_CHILD) && !(exStyle & WS_EX_MDICHILD) &&
        Lower(WindowClassName(GetParent(window))) != "mdiclient")
        return false;
    const bool ours = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)) == ThisModule();
    if (!form && !ours && className != "#32770")
        return false;
    RECT rect{};
    GetWindowRect(window, &rect);
    bool hasArea = rect.right > rect.left && rect.bottom > rect.top;
    if (creating)
        hasArea = creating->cx > 0 && creating->cy > 0;
    if (!hasArea && !(exStyle & WS_EX_MDICHILD))
        return false;
    if (form && form->Tag() == 99)
        return false;
    if (className.find("TcxPopupEditPopupWindow") != std::string::npos ||
        className.find("TTERenderWindow") != std::string::npos || className == "TApplication")
        return false;
    if (!MaySkinWindow(window, className))
        return false;
    TSkinData* skin = ChooseSkinData(window, className);
    if (!skin || !skin->EnsureUnpacked())
        return false;
    auto* frame = new TWinSkinForm(form);
    frame->SetHandle(window);
    frame->SetSkinName(className);
    if (form)
        frame->TakeOverForm(skin, form);
    else
        frame->TakeOverWindow(skin);
    frames_.push_back(frame);
    if (creating)
        frame->StartAtCreation();
    PostMessageA(window, SKM_START, 0, 1000);
    return true;
}

bool TSkinManage::SkinForm(TCustomForm* form) {
    if (!form || !form->HandleAllocated() || !IsWindowVisible(form->WindowHandle()))
        return false;
    if (GetWindowLongA(form->WindowHandle(), GWL_STYLE) & WS_CHILD)
        return false;
    return SkinWindow(form->WindowHandle());
}

void TSkinManage::UnskinAll(TSkinData* only) {
    for (size_t i = frames_.size(); i-- > 0;) {
        // Giving a window back can end other frames (a dialog closes with its owner).
        if (i >= frames_.size())
            continue;
        TWinSkinForm* frame = frames_[i];
        if (only && frame->SkinData() != only)
            continue;
        frames_.erase(frames_.begin() + static_cast<std::ptrdiff_t>(i));
        const HWND window = frame->Handle();
        frame->Unskin();
        TComponent::Free(frame);
        if (IsWindow(window)) {
            InvalidateRect(window, nullptr, TRUE);
            UpdateWindow(window);
        }
        if (only)
            break;
    }
}

void TSkinManage::RunAction(TObject*) {
    TSkinData* skin = pendingSkinData_;
    // Skinning, unskinning or measuring the menus again under an open menu would take its items,
    // its picture or the menu itself away while the system still shows it: the action waits,
    // the timer asking again, until the menu has closed.
    if (skin && (ThreadMenuOpen() || !popupMenus_.empty())) {
        timer_->SetEnabled(true);
        return;
    }
    timer_->SetEnabled(false);
    if (!skin)
        return;
    const TSkinAction action = pendingAction_;
    pendingAction_ = saNone;
    PurgeFrames();
    if (skin->SkinFormtype() == sfOnlyThisForm) {
        if (action == saSkinAll) {
            skinningEnabled_ = skinAllPass_ = true;
            if (Screen)
                for (auto it = Screen->Forms().rbegin(); it != Screen->Forms().rend(); ++it)
                    if (*it == skin->Owner()) {
                        SkinForm(*it);
                        break;
                    }
            skinAllPass_ = false;
        } else if (action == saUnskinAll) {
            skinningEnabled_ = false;
            UnskinAll(skin);
        } else if (action == saSkinChanged) {
            for (TWinSkinForm* frame : frames_)
                if (frame->SkinData() == skin) {
                    frame->RebuildCaptionObjects();
                    frame->Reskin();
                    break;
                }
        }
    } else if (action == saSkinAll) {
        skinningEnabled_ = skinAllPass_ = true;
        if (Screen) {
            const std::vector<TCustomForm*> forms = Screen->Forms();
            for (auto it = forms.rbegin(); it != forms.rend(); ++it)
                SkinForm(*it);
        }
        skinAllPass_ = false;
    } else if (action == saUnskinAll) {
        skinningEnabled_ = false;
        UnskinAll(nullptr);
    } else if (action == saSkinChanged) {
        const std::vector<TWinSkinForm*> frames = frames_;
        for (TWinSkinForm* frame : frames)
            if (frame->SkinData() == skin) {
                frame->ReleaseCaptionObjects();
                frame->RebuildCaptionObjects();
            }
        for (TWinSkinForm* frame : frames)
            if (frame->SkinData() == skin)
                frame->Reskin();
    }
    skin->DoSkinChanged();
    pendingSkinData_ = nullptr;
}
