#pragma once
// The tab adapters: tab controls (tabs on any side, with the page frame), the older tab sets,
// tab controls in button style, and the pages of a page control.
#include "ControlDiscoveryRules.h"
#include "WinSubClass.h"
#include "WinSubClassTabGeometry.h"

#include "Bitmap.h"

#include <vector>

// Message a tab with a close box sends to its frame's window before its page is closed
// (wParam the tab window, lParam the tab's index); a non-zero answer keeps the page.
constexpr UINT SKM_CLOSETAB = 0x3507;
// Tag of a page control whose tabs carry close boxes.
constexpr int CloseTabsTag = 7777;

// Which member of the tab family a tab adapter serves: a tab control, or another member (a page
// control), which discovery marks with its mode.
enum class TTabMember { tmTabControl, tmOtherMember };

// Tab controls and bare "systabcontrol32" windows: the whole control drawn from the skin's Tabs
// element and page frame.
class TSkinTab : public TSkinControl {
  public:
    explicit TSkinTab(TComponent* owner);
    ~TSkinTab() override;
    const char* ClassName() const override { return "TSkinTab"; }
    void AttachControl(TWinSkinForm* frame, TSkinData* skin, bool useSkinColour, TCanvas* canvas) override;
    void AttachWindow(HWND window, TSkinData* skin, TWinSkinForm* frame, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void SkinChanged() override;
    void Paint(HDC dc, const RECT& rect) override;

    // The skinned scroller the control shows when its tabs do not fit; none until it shows one.
    TSkinControl* Scroller() const { return scroller_; }
    TTabOrientation Orientation() const { return orientation_; }
    const TBitmap& TabImage() const { return tabImage_; }
    const TBitmap& PaneImage() const { return paneImage_; }
    const std::vector<RECT>& CloseRects() const { return closeRects_; }
    bool IsUnicodeTab() const { return isUnicodeTab_; }
    bool CloseButtons() const { return closeButtons_; }
    // Close boxes on the tabs (a page control with the close-box tag gets them at attach).
    void SetCloseButtons(bool value) { closeButtons_ = value; }
    // The tab under the mouse, -1 for none.
    int HotTab() const { return hotTab_; }
    // The control's non-windowed children are painted over the tabs for every member: a plain
    // tab control's would otherwise vanish under the full paint.
    void SetMember(TTabMember member) { member_ = member; }
    TTabMember Member() const { return member_; }
    // The member as discovery's mode.
    int Mode() const { return member_ == TTabMember::tmOtherMember ? TabOtherMode : 0; }

  protected:
    void DoRestore() override;
    // The new window may have its tabs on another side and a scroller of its own.
    void WindowRecreated() override;
    // Prepares the tab and page images for the present skin and tab side.
    void PrepareImages();
    // The row of tabs drawn into dc (a bitmap of the whole window); the page frame after it
    // unless rowOnly.
    void PaintTabs(HDC dc, const RECT& rect, bool rowOnly);
    void AfterAttach();
    // The tab's picture from the control's image list (if it has one) and its text, into place.
    void DrawTabFace(HDC dc, int index, const RECT& place);
    virtual bool DrawsPageFrame() const { return true; }
    // The adapter paints the whole control; else (a skin without tab images) the control paints
    // itself and only the page frame is drawn over it.
    virtual bool DrawsWholeControl() const { return !tabImage_.Empty(); }

    TTabOrientation orientation_ = toTop;
    TBitmap tabImage_;
    TBitmap paneImage_;
    TBitmap rowBuffer_;
    std::vector<RECT> closeRects_;
    bool isUnicodeTab_ = false;
    bool closeButtons_ = false;
    int hotTab_ = -1;
    TSkinControl* scroller_ = nullptr;
    TTabMember member_ = TTabMember::tmTabControl;

  private:
    // Gives the control's up-down child (made when the tabs stop fitting) the skin's up-down; an
    // adapter whose window went away is replaced.
    void AttachScroller();
    void ReleaseScroller();
    void SetHotTab(int tab);
    bool PressOnCloseBox(int x, int y);
    void DrawTabCell(HDC dc, const RECT& place, int cell);
    // The page rectangle of a window of that size, from the control's display area.
    TFrameRect PageRect(int width, int height) const;
    // The page frame image over the page of the window rectangle rect (at the origin) on dc.
    void PaintPageFrame(HDC dc, const RECT& rect);
    // The page frame over what the control painted itself: on dc (a window DC, or a client DC
    // when clientDc), or on the window's own when dc is none.
    void PaintOverNative(HDC dc, bool clientDc);
};

// The older tab-set control: the tab row only, no page frame.
class TSkinTab31 : public TSkinTab {
  public:
    explicit TSkinTab31(TComponent* owner);
    const char* ClassName() const override { return "TSkinTab31"; }

  protected:
    bool DrawsPageFrame() const override { return false; }
};

// Tab controls in button style: each tab a skinned push button.
class TSkinTabBtn : public TSkinTab {
  public:
    explicit TSkinTabBtn(TComponent* owner);
    const char* ClassName() const override { return "TSkinTabBtn"; }
    void Paint(HDC dc, const RECT& rect) override;

  protected:
    // Drawn from the skin's buttons, whatever the tab images.
    bool DrawsWholeControl() const override { return true; }
};

// A page of a page control: filled with ButtonFace.
class TSkinTabSheet : public TSkinControl {
  public:
    explicit TSkinTabSheet(TComponent* owner);
    const char* ClassName() const override { return "TSkinTabSheet"; }
    bool BeforeMessage(TMessage& message) override;
};
