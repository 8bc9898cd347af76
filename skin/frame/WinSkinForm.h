#pragma once
// The skinned frame of one top-level window: it subclasses the window, draws the borders and
// the caption (icon, title, caption buttons) from the skin, cuts the outline from the border
// images, answers the non-client hit test and mouse messages, keeps the client area at its
// size under the skin's border widths, and gives everything back when skinning ends.

#include "Component.h"
#include "Control.h"
#include "ControlDiscoveryRules.h"
#include "Graphics.h"
#include "Handles.h"
#include "Timer.h"
#include "WinSkinFormButtons.h"
#include "WinSkinFormGeometry.h"
#include "WindowRelay.h"

#include <memory>
#include <string>
#include <vector>

class TSkinData;
class TCustomForm;
class TBitmap;
class TSkinControl;
class TControl;
class TWinControl;
class TPopupMenu;
class TWinSkinMenu;
class TMenuBtn;
class TToolBar;
struct TToolButtonDraw;

// Where a frame is in its life: created (subclassed, nothing drawn yet), running, re-skinning
// (a skin change is being applied), closing (the window is being destroyed), resizing (the
// start fits the window to the frame), destroyed. The numbers are fixed; 2 is not one of them.
enum class TFrameState {
    fsCreated = 0,
    fsRunning = 1,
    fsReskinning = 3,
    fsClosing = 4,
    fsResizing = 5,
    fsDestroyed = 6
};
using enum TFrameState;

// What a window is to the multiple-document interface.
enum class TFormKind { fkPlain = 0, fkMDIFrame = 1, fkMDIChild = 2 };
using enum TFormKind;

// ButtonSet flags. No frame keeps WS_SYSMENU on its window while it draws the caption: with
// it, current Windows draws its own caption buttons over the skinned ones (on hover, on
// activation), so the style comes off at every frame paint and goes back when skinning ends.
constexpr unsigned bsMaximizeBox = 1, bsMinimizeBox = 2, bsHelpButton = 4, bsSystemMenu = 8;

// The frame widths a skin's border images give (no menu strip).
TFrameWidths SkinFrameWidths(const TSkinData& skin);

class TWinSkinForm : public TComponent {
  public:
    explicit TWinSkinForm(TComponent* owner);
    ~TWinSkinForm() override;
    const char* ClassName() const override { return "TWinSkinForm"; }

    // A frame attached while its window is being made draws from the window's first message on:
    // the client area is what the skin's frame leaves of the window's size.
    void StartAtCreation();

    // Set by the manager before taking over.
    void SetHandle(HWND window) { handle_ = window; }
    HWND Handle() const { return handle_; }
    void SetSkinName(const std::string& name) { skinName_ = name; }
    const std::string& SkinName() const { return skinName_; }

    // A window with a form object of the program / a foreign window.
    void TakeOverForm(TSkinData* skin, TCustomForm* form);
    void TakeOverWindow(TSkinData* skin);

    // After a skin change: widths and caption buttons from the new skin, then colours and size.
    void ReleaseCaptionObjects();
    void RebuildCaptionObjects();
    void Reskin();
    // Skinning switched off: the window gets its own frame back, the client area its size.
    void Unskin();
    // The procedures go back without resizing or repainting (shutdown, window destruction).
    void Detach();

    void PaintNonClient(HDC dc = nullptr) noexcept;
    // redraw false: the caller repaints the window afterwards.
    void UpdateRegion(bool redraw = true) noexcept;
    void RemoveRegion();
    // Resizes the window so that the client area keeps its size under the skin's widths.
    void FitToClient(bool keepMeasured, bool redraw = true);

    TSkinData* SkinData() const { return skin_; }
    TCustomForm* Form() const { return form_; }
    TFrameState FrameState() const { return frameState_; }
    bool Active() const { return active_; }
    const TFrameWidths& Widths() const { return widths_; }
    TBorderKind BorderKind() const { return borderKind_; }
    unsigned ButtonSet() const { return buttonSet_; }
    TWindowState WindowState() const { return windowState_; }
    TFormKind FormKind() const { return formKind_; }
    // The MDI client child of an MDI frame; null for other windows.
    HWND MDIClient() const { return mdiClient_; }
    bool IsMdiChild() const { return formKind_ == fkMDIChild; }
    // The manager's SetMdiMaximized: a maximized child shows the system's frame (the MDI frame's
    // menu strip carries its buttons), the normal state the skin's again.
    void MdiMaximizedChanged(bool on);
    bool SkinFrame() const { return skinFrame_; }
    // False while the skin's frame is unusable for this window: it keeps the system frame.
    bool FrameApplied() const { return frameApplied_; }
    bool IsSystemDialog() const { return isSystemDialog_; }
    const TFrameRect& TitleRect() const { return captionLayout_.Title; }
    HRGN Region() const { return region_; }
    const std::vector<std::unique_ptr<TWinSysButton>>& CaptionButtons() const { return captionButtons_; }
    // The caption laid out for the window as it is now (not as last painted): the buttons and
    // the title take their places from it.
    void RefreshCaptionLayout();
    // The caption button that a mouse action at p (window coordinates) is for, or null.
    TWinSysButton* CaptionButtonAt(POINT p) const;
    TNCObject* HotObject() const { return hotObject_; }
    void SetHotObject(TNCObject* object) { hotObject_ = object; }
    TCaptionFacts CaptionFacts() const;
    // Stops the hover timer (before closing actions).
    void StopHoverTimer();
    // Converts a screen point to the frame's window coordinates.
    POINT ScreenToFrame(POINT screen) const;
    // The skinned system menu at a screen point.
    void PopupSystemMenu(POINT screen);
    // The skinned system menu as last shown (owned; null before the first and after Unskin).
    TPopupMenu* SystemMenuPopup() const { return systemMenuPopup_; }
    // The small window icon drawn into a caption-button rectangle of a window DC.
    void DrawIcon(HDC dc, const RECT& rect);
    bool RightToLeft() const { return rightToLeft_; }

    // The skinned menu bar, null without one (WinSkinFormMenuBar.cpp).
    TWinSkinMenu* SkinMenuBar() const { return skinMenuBar_.get(); }
    // A popup of the menu bar is open; the menu it shows; the button it belongs to.
    bool MenuTracking() const;
    HMENU TrackedMenu() const;
    TMenuBtn* TrackedButton() const;
    // Opens the button's popup under it; false when nothing opened.
    bool OpenButtonPopup(TMenuBtn& button);
    // Posts a click on the button to the window.
    void PostMenuClick(const TMenuBtn& button);

    // The skinned-control adapters of this window (WinSubClass.cpp). Registering answers whether
    // the adapter was already in the list (it is then not added again).
    bool RegisterAdapter(TSkinControl* adapter);
    void UnregisterAdapter(TSkinControl* adapter);
    // Every adapter gets Restore (not while closing, not when its window is gone) and is freed.
    void ReleaseAdapters();
    // Frees the adapters whose window is gone.
    void PurgeAdapters();
    const std::vector<TSkinControl*>& Adapters() const { return adapters_; }
    // The drawing canvas every adapter of this frame is handed when it is attached.
    TCanvas* AdapterCanvas() const { return adapterCanvas_.get(); }
    // The window of a scroll-bar control was made anew: its adapter is replaced by a fresh one
    // (WinSubClassScroll.cpp).
    void ReplaceScrollAdapter(HWND window);

    // Control discovery (WinSkinFormControls.cpp): which adapter each control or child window
    // gets, run by the deferred start.
    void SkinFormControls(TCustomForm* form);
    void SkinComponents(TComponent* container);
    void SkinChildControls(TWinControl* parent);
    void SkinControl(TControl* control, TControl* form);
    // True when the Skin3rd list names the class (upper case): the list alone decides then.
    bool ApplySkin3rd(const std::string& upperClassName, TControl* control);
    void SkinChildWindows(HWND window);
    void SkinWindowByClass(HWND window);

    // The tool-bar painters discovery points a tool bar's custom-draw events at
    // (WinSkinFormPaint.cpp): the skin's generated Toolbar image stretched over the bar, and the
    // Buttons cell of a pressed, hot or default button under its picture.
    void PaintToolbarBackground(TToolBar* sender, const RECT& rect, bool& defaultDraw);
    void PaintToolbarButton(TToolBar* sender, int button, UINT state, TToolButtonDraw& draw);
    // The tool bars whose events point at the painters.
    const std::vector<TToolBar*>& Toolbars() const { return toolbars_; }

  protected:
    void Notification(TComponent* component, TOperation operation) override;

  private:
    // Points the tool bar's unassigned custom-draw events at the painters and, with menuItems,
    // has the skin draw the items of its drop-down menus (WinSkinFormControls.cpp).
    void HookToolbar(TToolBar* toolbar, bool menuItems);
    // Takes the painters and the menus' skinned drawing off every hooked tool bar again.
    void ReleaseToolbars();
    bool ServedByAdapter(TControl* control, HWND window) const;
    void AttachSupplied(TComponent* supplied);
    void CarryOut(const TDiscoveryDecision& decision, TControl* control);
    TSkinControl* AttachAdapter(TAdapterClass adapterClass, bool skinColour, TControl* control, HWND window,
                                int mode = 0, bool extended = false);
    LRESULT RelayedMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // Every message the frame takes, in one dispatch (WinSkinForm.cpp says which frames each is
    // for); the rest goes on to the window's own procedure.
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT PassOn(UINT msg, WPARAM wParam, LPARAM lParam);
    void ReadFormKind();
    void SubclassMDIClient();
    LRESULT MDIClientMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT EraseBackground(WPARAM wParam, LPARAM lParam);
    LRESULT NcDestroy(WPARAM wParam, LPARAM lParam);
    LRESULT ControlColour(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT NcPaint(WPARAM wParam, LPARAM lParam);
    LRESULT CreatedOrShown(UINT msg, WPARAM wParam, LPARAM lParam);
    // True when the command was posted as a system command.
    bool PostSystemCommand(WPARAM wParam, LPARAM lParam);
    // The menu of a window without a form object changed.
    LRESULT WindowMenuChanged(WPARAM wParam, LPARAM lParam);
    void Start(TSkinData* skin);
    void DeferredStart();
    void Subclass();
    void RestoreProc();
    // The system frame back on the window, its client area kept (framed: the skin drew it).
    void GiveBackSystemFrame(bool framed, bool closing);
    // At a skin change: the frame goes when the new skin's cannot hold the window, and comes
    // when a window that kept the system frame can wear the new one.
    void JudgeFrame();
    void ReadFrameWidths();
    void RefreshWindowState();
    void BuildIconBitmap();
    LRESULT NcCalcSize(WPARAM wParam, LPARAM lParam);
    LRESULT NcHitTest(WPARAM wParam, LPARAM lParam);
    LRESULT NcActivate(WPARAM wParam, LPARAM lParam);
    LRESULT NcMouse(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT SysCommand(WPARAM wParam, LPARAM lParam);
    void OnSize(WPARAM wParam, LPARAM lParam);
    void HoverTick(TObject* sender);
    void RunButtonAction(TWinSysButton& button, POINT screen);
    // The active child of an MDI frame (null for other windows), and whether it is maximized.
    HWND ActiveMDIChild(bool* maximized = nullptr) const;
    void SendToActiveMDIChild(WPARAM command);
    void HideHint();
    // Hides the hint and starts its pause afresh: the frame lets go of its caption buttons.
    void ForgetHint();
    void SystemMenuClick(TObject* sender);
    void FreeSystemMenuPopup();

    // Painting (WinSkinFormPaint.cpp).
    void PaintPiece(HDC dc, int piece, const RECT& rect);
    void PaintCaption(HDC dc, bool minimized);
    void PaintTitle(HDC dc, const RECT& captionRect);
    // Which caption buttons show; the application may be asked.
    void EvaluateCaptionButtons();
    // Lays the caption out for a W-wide window, the title measured on dc.
    void LayOutCaption(HDC dc, int windowWidth, bool minimized);
    void PaintCaptionButtons(HDC dc);
    std::wstring WindowText() const;
    std::wstring TitleText() const;
    // The window text's width in the caption font.
    int CaptionTextWidth() const;
    TOwnedRegion BuildRegion(int width, int height);

    // The menu bar (WinSkinFormMenuBar.cpp).
    class TFormHook;
    void CreateMenuBar();
    // The window has a menu the skin draws as the frame's strip, and no strip yet.
    bool MenuBarWanted() const;
    // Keeps the strip's room for a menu the window got while the skin drew its frame.
    void ReserveMenuStrip();
    // Lays the form out again under a new skin whose frame left its client area as it was.
    void NudgeLayout();
    // The form's colour, and that of the skinned forms it owns.
    void ColourFormFamily(TColor colour);
    // Every control the form owns paints itself again.
    void InvalidateOwnedControls();
    // The client area is the one the frame's widths leave.
    bool ClientFitsFrame() const;
    void ReleaseMenuBar(bool giveBack);
    void MenuChanged();
    bool MenuBarMouse(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool MenuBarKey(LPARAM key);
    LRESULT MenuItemMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void MenuAtPoint(LPARAM lParam);
    void ShowButtonState(int index, int state);
    void HookFormHandler();
    void UnhookFormHandler();
    void FormHandler(TMessage& message, const TWndMethod& previous);

    HWND handle_ = nullptr;
    std::string skinName_;
    TSkinData* skin_ = nullptr;
    TCustomForm* form_ = nullptr;
    WNDPROC oldWndProc_ = nullptr;
    bool subclassed_ = false;
    bool isUnicode_ = false;
    std::unique_ptr<TWindowRelay> relay_;
    // The MDI client's procedure, for an MDI frame.
    std::unique_ptr<TWindowRelay> mdiClientRelay_;
    std::unique_ptr<TTimer> hoverTimer_;
    std::wstring titlePrefix_ = L"  ";
    std::wstring titleSuffix_ = L" ";
    std::string windowClassName_;
    bool skinFrame_ = false;
    // The skin component's switches ask for the frame (it may still be left off, below).
    bool frameWanted_ = false;
    bool frameApplied_ = false;
    RECT clientSize_{};
    DWORD lastSysMenuTime_ = 0;
    UINT doubleClickTime_ = 0;
    HWND ownerWindow_ = nullptr;
    TFrameWidths widths_;
    RECT windowRect_{};
    SIZE systemFrameSize_{};
    bool rightToLeft_ = false;
    bool sizeable_ = false;
    bool isSystemDialog_ = false;
    bool isChild_ = false;
    HMENU systemMenu_ = nullptr;
    TColor savedColor_ = 0;
    DWORD style_ = 0;
    DWORD exStyle_ = 0;
    TNCObject* hotObject_ = nullptr;
    HRGN region_ = nullptr;
    int regionWidth_ = -1, regionHeight_ = -1;
    std::unique_ptr<TBitmap> iconBitmap_;
    std::vector<std::unique_ptr<TWinSysButton>> captionButtons_;
    TCaptionLayout captionLayout_;
    bool active_ = true;
    // The frame was drawn since the window was last shown.
    bool framePainted_ = false;
    TBorderKind borderKind_ = bkSingle;
    unsigned buttonSet_ = 0;
    TWindowState windowState_ = wsNormal;
    TFormKind formKind_ = fkPlain;
    HWND mdiClient_ = nullptr;
    TFrameState frameState_ = fsCreated;
    bool hadSysMenuStyle_ = false;
    bool startedAtCreation_ = false;
    // The start after the creation ran (when the window was first shown, or when asked).
    bool deferredStarted_ = false;
    std::vector<TSkinControl*> adapters_;
    std::unique_ptr<TCanvas> adapterCanvas_ = std::make_unique<TCanvas>();
    std::vector<TToolBar*> toolbars_;
    TPopupMenu* systemMenuPopup_ = nullptr;
    TOwnedComponent<TWinSkinMenu> skinMenuBar_;
    TFormHook* formHook_ = nullptr;
    // How much the client area grew when the system's menu bar came off under the system frame.
    int menuGrowth_ = 0;
};
