#pragma once
// The skin manager: the one object per process that decides which windows are skinned and
// with which skin component. It watches window creation and activation on the user-interface
// thread through a computer-based-training hook, gives every qualifying top-level window a
// skinned frame, and carries out the deferred actions the skin components ask for.

#include "Timer.h"
#include "WinSkinData.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

class TWinSkinForm;
class TWinSkinPopMenu;
class TBitmap;
class TCustomForm;
struct TCreateParams;

// Private messages of the skin engine.
constexpr UINT SKM_RESKIN = 0x3401;
constexpr UINT SKM_REDRAWFRAME = 0x3502;
constexpr UINT SKM_START = 0x3503;
constexpr UINT SKM_SKINONOFF = 0x3506;
constexpr UINT SKM_CUSTOMBUTTON = 0x3514;
constexpr UINT SKM_BUTTONVISIBLE = 0x3515;
constexpr UINT SKM_MDIREDRAW = 0x3516;
constexpr UINT SKM_RESCROLL = 0x3517;
constexpr UINT SKM_MENUATPOINT = 0x3518;
constexpr UINT SKM_ISSKINNED = 0x3523;
constexpr UINT SKM_PAINTFRAME = 0xBC4B;
constexpr UINT SKM_PROBE = 0xBC4D;
constexpr UINT SKM_SKINNED = 0xBC4E;
constexpr LPARAM SKIN_MAGIC = 0x41A2;

// Where the manager is in its life: idle until a window was activated or skinning was switched
// on, running from then on, closing while it is destroyed (frames are no longer forgotten one by
// one then).
enum class TManagerState { msIdle = 0, msRunning = 1, msClosing = 4 };

// The deferred actions.
// What the manager was asked to do after its pause.
enum class TSkinAction { saNone = 0, saSkinAll = 1, saUnskinAll = 2, saSkinChanged = 3 };
using enum TSkinAction;
// The kind of the next popup menu window, announced by a frame while it tracks a menu; it decides
// which of the skin component's menu switches the popup needs.
enum class TMenuKind { mkContextMenu = 0, mkMenuBar = 1, mkSystemMenu = 2 };
using enum TMenuKind;

class TSkinManage : public TObject {
  public:
    TSkinManage();
    ~TSkinManage() override;
    const char* ClassName() const override { return "TSkinManage"; }

    void RegisterSkinData(TSkinData* skin);
    void UnregisterSkinData(TSkinData* skin);
    void InstallHook();

    // Asks for an action after intervalMs. Before any window was activated (idle) only
    // records whether skinning is on; the first activation then skins through the hook.
    // A later request replaces a pending one.
    void ScheduleAction(TSkinAction action, unsigned intervalMs);
    // Every frame of the pending skin component drops its caption buttons (a new skin came).
    void RefreshFrames();
    // Gives a top-level window a frame; true when one was made. With creating (the window's
    // creation record, from the creation hook) the frame is attached before the window's first
    // message and draws from the first paint on.
    bool SkinWindow(HWND window, const CREATESTRUCTA* creating = nullptr);
    bool SkinForm(TCustomForm* form);
    TWinSkinForm* FindFrame(HWND window) const;
    // A frame of a window that is being destroyed leaves the list.
    void ForgetFrame(HWND window);
    // Runs the pending action now (the timer's handler).
    void RunAction(TObject* sender = nullptr);

    TManagerState State() const { return state_; }
    void SetState(TManagerState value) { state_ = value; }
    bool SkinningEnabled() const { return skinningEnabled_; }
    void SetSkinningEnabled(bool value) { skinningEnabled_ = value; }
    TSkinAction PendingAction() const { return pendingAction_; }
    TSkinData* PendingSkinData() const { return pendingSkinData_; }
    void SetPendingSkinData(TSkinData* skin) { pendingSkinData_ = skin; }
    TSkinData* DefaultSkinData() const { return defaultSkinData_; }
    const std::vector<TSkinData*>& SkinDatas() const { return skinDatas_; }
    const std::vector<TWinSkinForm*>& Frames() const { return frames_; }
    bool TimerEnabled() const { return timer_ && timer_->Enabled(); }
    // Kind of the next popup menu window: 0 context menu, 1 menu-bar drop-down, 2 system menu.
    TMenuKind NextMenuKind() const { return nextMenuKind_; }
    void SetNextMenuKind(TMenuKind value) { nextMenuKind_ = value; }
    // Set while a menu-bar menu is opened: new popup-menu skins are marked as the bar's.
    bool MenuFromBar() const { return menuFromBar_; }
    void SetMenuFromBar(bool value) { menuFromBar_ = value; }

    // Multiple-document windows. The MDI client and form of the MDI frame that started last, read
    // by the frames of its children.
    HWND MDIClientWindow() const { return mdiClientWindow_; }
    TCustomForm* MDIFrameForm() const { return mdiFrameForm_; }
    void SetMDIFrame(HWND client, TCustomForm* form);
    // The last value given to SetMdiMaximized.
    bool ChildMaximized() const { return childMaximized_; }
    // A child was maximized (on) or no longer is: unless the skin leaves MDI children their
    // system frame, every MDI-child frame switches between its maximized and its normal frame.
    void SetMdiMaximized(bool on);

    // Popup menu windows ("#32768"): skinned as they are made, released as they go.
    void SkinPopupMenuWindow(HWND window);
    bool ReleasePopupMenuWindow(HWND window);
    bool IsPopupMenuWindow(HWND window) const;
    // Every popup-menu skin is marked as the menu bar's.
    void MarkMenusFromBar();
    // The newest popup-menu skin without a menu handle gets this one.
    void AttachMenuHandle(HMENU menu);
    // The picture of the popup-menu skin showing the menu, null when none does.
    const TBitmap* FindMenuBitmap(HMENU menu) const;
    const std::vector<std::unique_ptr<TWinSkinPopMenu>>& PopupMenus() const { return popupMenus_; }

    // A window whose skin was switched off keeps its client size when skinned again; a form
    // skinned for the first time was laid out for the skin's frame and keeps its outer size.
    void RememberUnskinned(HWND window) { unskinned_.insert(window); }
    bool LaidOutForSkin(HWND window) const { return unskinned_.count(window) == 0; }

    // Which skin component serves a window of that class.
    TSkinData* ChooseSkinData(HWND window, const std::string& className) const;
    bool MaySkinWindow(HWND window, const std::string& className) const;

  private:
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
    LRESULT Hook(int code, WPARAM wParam, LPARAM lParam);
    void PurgeFrames();
    void UnskinAll(TSkinData* only);
    void RemoveFrame(TWinSkinForm* frame);

    std::unique_ptr<TTimer> timer_;
    std::vector<TWinSkinForm*> frames_;
    std::vector<TSkinData*> skinDatas_;
    bool skinningEnabled_ = false;
    bool skinAllPass_ = false;
    TManagerState state_ = TManagerState::msIdle;
    TMenuKind nextMenuKind_ = mkContextMenu;
    bool menuFromBar_ = false;
    bool childMaximized_ = false;
    HWND mdiClientWindow_ = nullptr;
    TCustomForm* mdiFrameForm_ = nullptr;
    std::vector<std::unique_ptr<TWinSkinPopMenu>> popupMenus_;
    TSkinAction pendingAction_ = saNone;
    TSkinData* pendingSkinData_ = nullptr;
    TSkinData* defaultSkinData_ = nullptr;
    HHOOK hook_ = nullptr;
    std::set<HWND> unskinned_;
};

// The manager of this process, or null before the first skin component finished loading.
TSkinManage* SkinManager();
// Creates it when missing.
TSkinManage& EnsureSkinManager();
// Frees it (the skin engine shuts down): every frame gives its window back, the hook goes.
void FreeSkinManager();

// The frame widths a form will get from the skin that will draw it (the toolkit asks this
// before the form's window exists); false when the system's frame stays.
bool SkinFrameInsets(TCustomForm& form, const TCreateParams& params, RECT& insets);

// A window's class name, at most 100 characters.
std::string WindowClassName(HWND window);
