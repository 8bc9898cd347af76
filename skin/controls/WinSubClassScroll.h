#pragma once
// Skinned scroll bars. The system draws a control's scroll bars in its non-client area and
// redraws them on every scroll, so they cannot simply be painted over: each native bar is
// covered by a small window of ours, TWScrollbar, that sits exactly on top of it, draws it from
// the skin and hands every mouse press down to the native bar, whose own tracking loop scrolls,
// repeats and tracks the thumb. The adapters here create, place, refresh and remove these
// overlays:
//   TSkinScrollbar   program controls with scroll bars (list boxes, memos, any WS_VSCROLL or
//                    WS_HSCROLL control); TSkinListView adds the list view's header;
//   TSkinScrollbarH  the same for a bare window;
//   TSkinScControl   a stand-alone scroll bar control;
//   TComboxScrollBar a combo box's drop-down list, painted directly instead of covered.

#include "Bitmap.h"
#include "WinControl.h"
#include "WinSubClass.h"
#include "WinSubClassScrollGeometry.h"

#include <windows.h>

#include <memory>

class TSkinData;

// Overlay kinds: the horizontal or vertical bar of a window, a stand-alone scroll bar control.
constexpr int wkHorizontal = 0, wkVertical = 1, wkControl = 2;

// The border a control with scroll bars gets: the flat border of ours in place of a sunken
// edge, or none (a control that shows a single bar).
enum class TScrollBorder { sbFlat, sbNone };

// What a native bar reports of itself, in screen coordinates.
struct TNativeScrollBar {
    RECT Bar{};         // the bar's rectangle
    int ThumbStart = 0; // the thumb along the axis, from the bar's start
    int ThumbEnd = 0;
    bool Invisible = false;
    bool Unavailable = false;
};

// Reads the horizontal (SB_HORZ) or vertical (SB_VERT) bar of a window, or a scroll bar control
// (SB_CTL, its thumb computed as a stand-alone bar's). False when the system cannot tell.
bool ReadNativeScrollBar(HWND window, int bar, TNativeScrollBar& info);

// Draws a whole bar from the skin's scroll-bar elements into dc at (x, y): one off-screen bitmap
// (buffer when given, resized as needed and kept by the caller), one copy. Nothing when the skin
// has no Scrollbar image or the bar is empty.
void PaintSkinScrollBar(HDC dc, int x, int y, const TSkinData& skin, const TScrollBarFacts& facts,
                        TBitmap* buffer = nullptr);

// The window that covers one native scroll bar. It is owned by its adapter; its parent window is
// the target window's parent (a popup owned by the target when the target is a top-level window).
class TWScrollbar : public TCustomControl {
  public:
    explicit TWScrollbar(TComponent* owner);
    ~TWScrollbar() override;
    const char* ClassName() const override { return "TWScrollbar"; }

    // Covers the bar of kind (wk*) of window (control's window when control is given) for
    // adapter, and places itself on it.
    void SetTarget(TSkinControl* adapter, TControl* control, HWND window, int kind);
    // Follows the native bar of window (normally the target): placed on it and shown, or hidden
    // when the window or the bar is invisible. A failed read changes nothing.
    void UpdateBar(HWND window);
    void UpdateBar() { UpdateBar(targetWindow_); }
    void HideBar();
    // The part (sp*) under a point in the overlay's coordinates.
    int HitPart(POINT point) const;
    // The part the native bar's tracking is on (its scroll request code); repaints.
    void SetHotPart(int part);
    // Shown, and placed exactly on the native bar as it is now.
    bool CoversNativeBar() const;
    // Redraws now.
    void Refresh();
    // Redraws now, or hides the overlay when the native bar went away.
    void RefreshOrHide();

    TSkinControl* Adapter() const { return adapter_; }
    HWND TargetWindow() const { return targetWindow_; }
    TControl* TargetControl() const { return targetControl_; }
    int Kind() const { return kind_; }
    bool Vertical() const { return vertical_; }
    int ArrowSize() const { return arrowSize_; }
    int Length() const { return length_; }
    int HotPart() const { return hotPart_; }
    bool Pressed() const { return pressed_; }
    int ThumbStart() const { return thumbStart_; }
    int ThumbEnd() const { return thumbEnd_; }
    int DragThumbStart() const { return dragThumbStart_; }
    POINT DragCursor() const { return dragCursor_; }
    POINT BarOrigin() const { return barOrigin_; }
    const RECT& BarRect() const { return barRect_; }
    bool Shown() const { return shown_; }
    // Overlay paints so far (for the benchmarks).
    unsigned PaintCount() const { return paintCount_; }

    void WndProc(TMessage& message) override;

  protected:
    void CreateParams(TCreateParams& params) override;

  private:
    // The skin has the images to draw a bar; without them the overlay stays hidden.
    bool SkinDrawsBars() const;
    bool ReadBar(TNativeScrollBar& info) const;
    // What a paint now would show (the thumb following a drag); false when nothing can be shown.
    bool CurrentFacts(TScrollBarFacts& facts, const TNativeScrollBar& info);
    void PaintOverlay(HDC dc);
    void MouseDown(TMessage& message);
    void MouseUp(TMessage& message);
    // The target's scroll-bar hit code (HTHSCROLL or HTVSCROLL).
    WPARAM HitCode() const { return vertical_ ? HTVSCROLL : HTHSCROLL; }

    TSkinControl* adapter_ = nullptr;
    HWND targetWindow_ = nullptr;
    TControl* targetControl_ = nullptr;
    HWND parentWindow_ = nullptr;
    int kind_ = wkHorizontal;
    bool vertical_ = false;
    int arrowSize_ = 0;
    int length_ = 0;
    int hotPart_ = spNone;
    bool pressed_ = false;
    int thumbStart_ = 0, thumbEnd_ = 0;
    int dragThumbStart_ = 0;
    POINT dragCursor_{};
    POINT barOrigin_{};
    RECT barRect_{};
    bool shown_ = false;
    bool trackingLeave_ = false;
    unsigned paintCount_ = 0;
    // The bar is built here and copied once.
    TBitmap buffer_;
    TScrollBarFacts painted_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// The two overlays of a window's horizontal and vertical bars, kept by the adapter that owns
// them (their owner component). The adapter hands on its notifications, so that an overlay
// freed by somebody else is forgotten here.
class TScrollOverlays {
  public:
    TScrollOverlays() = default;
    TScrollOverlays(const TScrollOverlays&) = delete;
    TScrollOverlays& operator=(const TScrollOverlays&) = delete;
    ~TScrollOverlays() { Free(); }

    // Both overlays, owned by adapter, over the bars of window (control's window when given).
    void Create(TSkinControl* adapter, TControl* control, HWND window);
    // The overlays there are cover the bars of another window (made anew for the control).
    void Retarget(TSkinControl* adapter, TControl* control, HWND window);
    void Forget(TComponent* component);
    void Free();
    // Each overlay follows its native bar of window.
    void Update(HWND window);
    void Hide();
    void RefreshOrHide();
    // A scroll message of the window (WM_HSCROLL, WM_VSCROLL) shows its part on the overlay.
    void ShowScrollPart(const TMessage& message);
    // The overlays follow a new skin; true when one stopped covering its bar (the window must
    // draw its frame again).
    bool FollowSkin(HWND window, const TSkinData* skin);
    // The square between two shown overlays, filled on a DC of window's window rectangle.
    void FillCorner(HDC dc, HWND window, const TSkinData* skin) const;
    // Both overlays gone; window draws its own bars and frame again.
    void Remove(HWND window);

    TWScrollbar* Horizontal() const { return bars_[0]; }
    TWScrollbar* Vertical() const { return bars_[1]; }
    bool BothShown() const { return bars_[0] && bars_[1] && bars_[0]->Shown() && bars_[1]->Shown(); }
    TWScrollbar* const* begin() const { return bars_; }
    TWScrollbar* const* end() const { return bars_ + 2; }

  private:
    TWScrollbar* bars_[2] = {nullptr, nullptr};
};

// Program controls with scroll bars: both native bars covered by overlays, and a flat border
// in place of the sunken edge.
class TSkinScrollbar : public TSkinControl {
  public:
    explicit TSkinScrollbar(TComponent* owner);
    ~TSkinScrollbar() override;
    const char* ClassName() const override { return "TSkinScrollbar"; }
    // Attaches to control, which must be this adapter's owner (once).
    virtual void AttachScrollbar(TWinControl* control, TSkinData* skin, TWinSkinForm* frame, TCanvas* canvas);
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void Paint(HDC dc, const RECT& rect) override;
    void SkinChanged() override;

    bool HasBorder() const { return hasBorder_; }
    TWScrollbar* HorizontalBar() const { return bars_.Horizontal(); }
    TWScrollbar* VerticalBar() const { return bars_.Vertical(); }
    // Set before attaching.
    void SetBorder(TScrollBorder border) { border_ = border; }

  protected:
    void Notification(TComponent* component, TOperation operation) override;
    void DoRestore() override;
    // The flat border (ButtonShadow outside, ButtonFace inside) on a DC of the window rectangle.
    void PaintBorder(HDC dc);
    // Each shown overlay drawn again when its bar changed; a bar that appeared gets placed.
    void RefreshBars();
    // True when every bar the window shows has its overlay exactly over it, so that nothing of
    // the native bars can be seen.
    bool BarsCovered();
    // The whole non-client area but the overlays' places: the border, and ButtonFace inside it
    // (the corner between two bars, a thicker edge). The native bars are not drawn at all.
    void PaintNonClient();

  private:
    void ApplyFixedColour();
    TScrollOverlays bars_;
    TScrollBorder border_ = TScrollBorder::sbFlat;
    bool hasBorder_ = false;
    bool rescrollPosted_ = false;
};

// List views: the scroll bars as above, and the header drawn from the skin's Headerbar.
class TSkinHeader;
class TSkinListView : public TSkinScrollbar {
  public:
    explicit TSkinListView(TComponent* owner);
    const char* ClassName() const override { return "TSkinListView"; }
    void AttachScrollbar(TWinControl* control, TSkinData* skin, TWinSkinForm* frame,
                         TCanvas* canvas) override;
    TSkinHeader* Header() const { return header_; }

  protected:
    void Notification(TComponent* component, TOperation operation) override;

  private:
    TSkinHeader* header_ = nullptr;
};

// A header control (attached by handle): every section drawn from the skin's Headerbar element
// with its text, into one bitmap and copied once.
class TSkinHeader : public TSkinControl {
  public:
    explicit TSkinHeader(TComponent* owner);
    const char* ClassName() const override { return "TSkinHeader"; }
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void Paint(HDC dc, const RECT& rect) override;
    // The section under the mouse (-1: none) and the one pressed.
    int HotSection() const { return hotSection_; }

  private:
    bool CanPaint() const;
    int SectionAt(POINT point) const;
    int hotSection_ = -1;
    int pressedSection_ = -1;
};

// Bare windows with scroll bars (attached with AttachWindow): both bars covered by overlays.
class TSkinScrollbarH : public TSkinControl {
  public:
    explicit TSkinScrollbarH(TComponent* owner);
    ~TSkinScrollbarH() override;
    const char* ClassName() const override { return "TSkinScrollbarH"; }
    void AttachWindow(HWND window, TSkinData* skin, TWinSkinForm* frame, TCanvas* canvas) override;
    void AfterMessage(TMessage& message) override;
    void Paint(HDC dc, const RECT& rect) override;
    void SkinChanged() override;
    TWScrollbar* HorizontalBar() const { return bars_.Horizontal(); }
    TWScrollbar* VerticalBar() const { return bars_.Vertical(); }

  protected:
    void Notification(TComponent* component, TOperation operation) override;
    void DoRestore() override;

  private:
    TScrollOverlays bars_;
};

// Stand-alone scroll bar controls: one overlay over the whole control.
class TSkinScControl : public TSkinControl {
  public:
    explicit TSkinScControl(TComponent* owner);
    ~TSkinScControl() override;
    const char* ClassName() const override { return "TSkinScControl"; }
    // Attaches to control, which must be this adapter's owner (once).
    void AttachScControl(TWinControl* control, TSkinData* skin, TWinSkinForm* frame, TCanvas* canvas);
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void Paint(HDC dc, const RECT& rect) override;
    void SkinChanged() override;
    TWScrollbar* Bar() const { return bar_; }

  protected:
    void Notification(TComponent* component, TOperation operation) override;
    void DoRestore() override;
    // The overlay covers the new window, which may lie the other way.
    void WindowRecreated() override;

  private:
    void FreeBar();
    TWScrollbar* bar_ = nullptr;
};

// A combo box's drop-down list (attached with AttachWindow): its own non-client scroll bars
// painted from the skin over the native ones, without an overlay window. A press on the
// vertical thumb is dragged here (a local message loop) so that the list follows the mouse.
class TComboxScrollBar : public TSkinControl {
  public:
    explicit TComboxScrollBar(TComponent* owner);
    const char* ClassName() const override { return "TComboxScrollBar"; }
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    // Paints both bars (when shown) on the window's DC.
    void PaintBars();
    // The last position a thumb drag sent, -1 before the first.
    int LastDragPosition() const { return lastDragPosition_; }
    bool Dragging() const { return dragging_; }

  private:
    void PaintBar(HDC dc, int bar);
    // A press on the vertical thumb, at a screen point: true when it was dragged here.
    bool DragThumb(POINT screen);
    int hotPart_ = spNone;
    bool pressed_ = false;
    bool dragging_ = false;
    int lastDragPosition_ = -1;
};
