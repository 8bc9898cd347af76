#pragma once
// A panel that shows the lines of a string list as equal push-button-like
// items in a column (or a row), reports clicks with the item's index, and
// answers which item lies under a point. It takes the keyboard focus (a
// press on it, or Tab) and then works from the keyboard too: see ItemIndex.

#include "ItemsPanelGeometry.h"

#include "Panel.h"
#include "StringList.h"

enum TPanelOrientation { poHorizontal, poVertical };

using TPanelItemClickEvent = TMethod<void(TObject* sender, int itemIndex)>;

class TItemsPanel : public TCustomPanel {
  public:
    explicit TItemsPanel(TComponent* owner);
    const char* ClassName() const override { return "TItemsPanel"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override;

    // The lines shown. Changing them does not notify the panel.
    TStringList& Items() { return items_; }
    const TStringList& Items() const { return items_; }
    // Copies the given lines, then lays out.
    void SetItems(const TStringList& items);

    // Show the part after the first "=" (true) or before it. Changing it
    // neither lays out nor repaints.
    bool ShortPanelTitle() const { return shortPanelTitle_; }
    void SetShortPanelTitle(bool value) { shortPanelTitle_ = value; }
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool AutoGrow() const { return autoGrow_; }
    void SetAutoGrow(bool value);
    bool Clickable() const { return clickable_; }
    void SetClickable(bool value);
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool value);
    TColor HotTrackColor() const { return hotTrackColor_; }
    void SetHotTrackColor(TColor value);
    TPanelOrientation Orientation() const { return orientation_; }
    void SetOrientation(TPanelOrientation value);

    int ItemIndexAt(int x, int y) const;
    RECT ItemRect(int index) const;

    // The item the keyboard is on, or -1. A focus cue marks it while the panel has the focus and
    // its window shows focus cues (after keyboard use, as the toolkit switches them). A press of
    // any mouse button moves it to the item under the pointer; Up and Down (Left and Right), Home
    // and End move it, Enter clicks it, and the menu key or Shift+F10 opens the popup menu at it.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int value);

    TPanelItemClickEvent OnItemClick;
    // A press or a key moved ItemIndex (setting it does not fire this).
    TPanelItemClickEvent OnItemIndexChange;

  protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void Resize() override;
    void AdjustClientRect(RECT& rect) const override;
    void WndProc(TMessage& message) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;

  private:
    TItemLayout Layout() const;
    int AxisLength() const { return orientation_ == poVertical ? Height() : Width(); }
    void Relayout();
    void DrawItemText(int index, const RECT& rect, bool highlighted);
    int ActiveItem() const;
    void DrawItemRaised();
    void DrawItemPressed();
    void DrawItemHot();
    // The item's rectangle as painted: the last one takes the remainder of an even split.
    RECT PaintedItemRect(int index) const;
    bool FocusCueShown() const;
    void DrawFocusCue(TCanvas& canvas, int index);
    // After direct drawing of the active rectangle: its cue again, when it has one.
    void RedrawActiveCue();
    void InvalidateItem(int index);
    void MoveItemIndex(int index);
    void StepItemIndex(TItemStep step);
    void PopupAtItem();

    TStringList items_;
    bool shortPanelTitle_ = true;
    int itemHeight_ = 16;
    bool autoSize_ = false;
    bool autoGrow_ = false;
    bool pressed_ = false;
    bool clickable_ = true;
    RECT active_{0, 0, 0, 0};
    bool hotTrack_ = false;
    TColor hotTrackColor_ = clHighlight;
    TPanelOrientation orientation_ = poVertical;
    int itemIndex_ = -1;
    // Shift+F10 opened the menu: its release is ours too, not the system's menu-bar key.
    bool menuKeyDown_ = false;
};
