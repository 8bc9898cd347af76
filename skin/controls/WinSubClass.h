#pragma once
// Skinned-control adapters: small objects that take over the look of one existing control (a
// control of the program or a bare window of a dialog) without replacing it. The control keeps
// its behaviour, data and events; the adapter sees each of its messages first, paints over it
// with images of the current skin and gives everything back when skinning ends.
//
// An adapter hooks a program control through the control's replaceable WindowProc and a bare
// window by subclassing its window procedure. Either way the hook goes through a small relay
// object rather than straight to the adapter: when somebody else replaced the handler after us,
// the relay stays in their chain as a plain pass-through once the adapter is gone, so unhooking
// never cuts off a later subclasser and no handler ever points at a freed adapter.

#include "Component.h"
#include "Control.h"
#include "Graphics.h"
#include "Handles.h"
#include "WindowRelay.h"

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <string_view>

class TSkinData;
class TWinSkinForm;
class TCanvas;
class TBitmap;
struct TDataSkinObject;

// MouseState bits.
constexpr unsigned char msHot = 1, msPressed = 2;

// Adapter states.
constexpr int asAttached = 1, asRestored = 2, asDestroyed = 6;

// How much of its control an adapter paints: over the control's own painting (its mark, its
// line), or the whole control itself.
enum class TPaintCover { pcOverNative, pcWhole };

// Tag of a button, check box or radio button whose background shows its parent's.
constexpr int TransparentTag = 5555;

// Shared drawing of the adapters. An element's own cells are drawn with DrawElementCell.
// Cell cell (from 1) of an image of cells equal cells side by side, stretched into dest with
// magenta transparent. Nothing for an empty image or cells < 1.
void DrawStripCell(HDC dc, const RECT& dest, const TBitmap& image, int cells, int cell);
// Cell cell (from 1) of an element's image read as cells equal cells side by side, whatever
// the element's own count, nine-sliced into dest with the element's margins.
void DrawCellOf(HDC dc, const RECT& dest, const TDataSkinObject& element, int cells, int cell, bool tile,
                bool transparent);
// A published property of object reads "True" (false when object has no such property).
bool PropertyIsTrue(const TPersistent& object, std::string_view name);
// The skin's ButtonFace brush: the component's own, or one made into spare while no skin has
// been loaded.
HBRUSH ButtonFaceBrush(const TSkinData& skin, TOwnedBrush& spare);
void FillButtonFace(HDC dc, const RECT& rect, const TSkinData& skin);
// The size of one picture of a system image list; false for none.
bool ListImageSize(HIMAGELIST images, int& width, int& height);
// Picture index of a system image list with its top-left corner at x, y (transparent where
// the list's mask says). Nothing for no list or an index out of range.
void DrawListImage(HDC dc, HIMAGELIST images, int index, int x, int y);
// Paints the part of the parent's client area that lies under window into dc (whose origin is
// window's top-left corner): the parent's own background drawing, else its brush or colour.
void PaintParentBackground(HWND window, HDC dc, TColor fallback);

class TSkinControlRelay;

class TSkinControl : public TComponent {
  public:
    explicit TSkinControl(TComponent* owner);
    ~TSkinControl() override;
    const char* ClassName() const override { return "TSkinControl"; }

    // Attaches to the program control that owns this adapter (once): its WindowProc is
    // replaced, the adapter registers with frame, and with useSkinColour the control takes the
    // skin's ButtonFace colour. canvas is the frame's drawing canvas, or null.
    virtual void AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas);
    // Attaches to a bare window (once) by subclassing its window procedure (the wide one for a
    // Unicode window).
    virtual void AttachWindow(HWND window, TSkinData* skin, TWinSkinForm* frame, TCanvas* canvas);
    // Gives back what skinning changed (once: DoRestore runs on the first call only); the hook
    // stays but passes everything on.
    void Restore();
    // True lets the control handle the message.
    virtual bool BeforeMessage(TMessage& message);
    virtual void AfterMessage(TMessage& message);
    // Paints the whole window rectangle on dc, or on the window's own DC when dc is null.
    virtual void PaintFrame(HDC dc);
    // The adapter's drawing on dc, rect being the window rectangle moved to the origin.
    virtual void Paint(HDC dc, const RECT& rect);
    // The skin was replaced: colours again, then a repaint.
    virtual void SkinChanged();
    virtual bool Skinnable() const { return true; }

    // Invalidates the window (or RepaintTarget) and updates it.
    void Repaint();
    // Whatever a message should reach next: the control's previous handler or the old procedure.
    void PassOn(TMessage& message);

    unsigned char MouseState() const { return mouseState_; }
    bool Active() const { return active_; }
    bool Attached() const { return attached_; }
    int State() const { return state_; }
    bool IsUnicode() const { return isUnicode_; }
    bool Enabled() const { return enabled_; }
    bool Focused() const { return focused_; }
    HWND Handle() const { return handle_; }
    TControl* Control() const { return control_; }
    TSkinData* SkinData() const { return skin_; }
    TWinSkinForm* Frame() const { return frame_; }
    // The frame is taking a new skin and repaints its whole window afterwards: a change paints
    // nothing of its own then, it only invalidates.
    bool FrameRepaintsAll() const;
    TCanvas* Canvas() const { return canvas_; }
    bool UseSkinColour() const { return useSkinColour_; }
    TColor SavedColour() const { return savedColour_; }
    bool ParentBackgroundWasOn() const { return parentBackgroundWasOn_; }
    const std::wstring& Caption() const { return caption_; }
    const RECT& WindowRect() const { return windowRect_; }
    TComponent* RepaintTarget() const { return repaintTarget_; }
    void SetRepaintTarget(TComponent* target) { repaintTarget_ = target; }
    // The message router every message of the skinned window goes through.
    void Route(TMessage& message);

  protected:
    void Notification(TComponent* component, TOperation operation) override;
    // What Restore gives back: colour and parent background here; an override gives back its own
    // and calls this.
    virtual void DoRestore();
    // The control's window was made anew (Handle is the new one): what the adapter had set up on
    // the old window (its children, styles, what it read from the style) is set up again here.
    virtual void WindowRecreated() {}
    // False once the adapter was freed: code after a call that may free it (passing a message
    // on, a click) checks this before it touches a member.
    class TAliveToken {
      public:
        explicit TAliveToken(const std::shared_ptr<bool>& flag) : flag_(flag) {}
        explicit operator bool() const { return *flag_; }

      private:
        std::shared_ptr<bool> flag_;
    };
    TAliveToken AliveToken() const { return TAliveToken(alive_); }
    // The msHot bit of MouseState set to hot, through TrackHot.
    bool TrackMouseHot(bool hot, HWND leaveWindow);
    // Reads Enabled and Focused from the window.
    void RefreshWindowState();
    // The font a bare window draws with (WM_GETFONT), else the system's GUI font.
    HFONT WindowFont() const;
    // Full paint of a WM_PAINT or WM_PRINT: the DC in wParam or BeginPaint, Paint on the whole
    // window rectangle.
    void FullPaint(TMessage& message);
    // The parent's background (program control) or its Color/ButtonFace (bare window).
    void EraseTransparent(HDC dc);
    bool SkinOption(int option) const;
    bool RightToLeft() const;

    unsigned char mouseState_ = 0;
    TCanvas* canvas_ = nullptr;
    bool enabled_ = false;
    bool focused_ = false;
    std::wstring caption_;
    TWndMethod oldWndMethod_;
    WNDPROC oldWindowProc_ = nullptr;
    bool active_ = true;
    bool isUnicode_ = false;
    TSkinData* skin_ = nullptr;
    HWND handle_ = nullptr;
    TControl* control_ = nullptr;
    RECT windowRect_{};
    TComponent* repaintTarget_ = nullptr;
    bool useSkinColour_ = false;
    TColor savedColour_ = clNone;
    bool attached_ = false;
    int state_ = 0;
    TWinSkinForm* frame_ = nullptr;
    bool parentBackgroundWasOn_ = false;

  private:
    void Unhook();
    LRESULT RelayedMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void ApplyParentBackgroundRule();
    void UndoParentBackgroundRule();

    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    // The control's window is being made anew: its WM_NCDESTROY does not end the skinning.
    bool recreating_ = false;
    bool restored_ = false;
    // The control went away before us: it is not touched any more.
    bool controlGone_ = false;
    std::unique_ptr<TSkinControlRelay> controlRelay_;
    std::unique_ptr<TWindowRelay> windowRelay_;
};

// Every adapter class, so that whoever creates adapters needs this one header.
#include "WinSubClassBar.h"
#include "WinSubClassBox.h"
#include "WinSubClassButton.h"
#include "WinSubClassCheck.h"
#include "WinSubClassCombo.h"
#include "WinSubClassForeign.h"
#include "WinSubClassScroll.h"
#include "WinSubClassTab.h"
