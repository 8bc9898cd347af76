#include "ItemsPanel.h"

#include <algorithm>

namespace {
RECT ToRect(const TItemRect& r) { return RECT {r.Left, r.Top, r.Right, r.Bottom}; }

constexpr UINT ItemTextFormat = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | DT_EDITCONTROL;
static_assert(ItemTextFormat == 0xA824);
} // namespace

TItemsPanel::TItemsPanel(TComponent* owner) : TCustomPanel(owner)
{
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
    SetCaption("");
}

const TPropertyInfo* TItemsPanel::FindProperty(std::string_view name) const
{
    static const TPropertyInfo props[] = {
        Prop<&TItemsPanel::ShortPanelTitle, &TItemsPanel::SetShortPanelTitle>("Short_Panel_Title"),
        Prop<&TItemsPanel::ItemHeight, &TItemsPanel::SetItemHeight>("ItemHeight"),
        Prop<&TItemsPanel::AutoSize, &TItemsPanel::SetAutoSize>("AutoSize"),
        Prop<&TItemsPanel::AutoGrow, &TItemsPanel::SetAutoGrow>("AutoGrow"),
        Prop<&TItemsPanel::Clickable, &TItemsPanel::SetClickable>("Clickable"),
        Prop<&TItemsPanel::HotTrack, &TItemsPanel::SetHotTrack>("HotTrack"),
    };
    if (auto info = FindPropertyIn(props, name))
        return info;
    return TCustomPanel::FindProperty(name);
}

TItemLayout TItemsPanel::Layout() const
{
    return TItemLayout {items_.Count(), itemHeight_, Width(), Height(), orientation_ == poVertical};
}

int TItemsPanel::ItemIndexAt(int x, int y) const { return ::ItemIndexAt(Layout(), x, y); }

RECT TItemsPanel::ItemRect(int index) const { return ToRect(::ItemRect(Layout(), index)); }

void TItemsPanel::SetItems(const TStringList& items)
{
    items_.Assign(items);
    Relayout();
}

void TItemsPanel::SetItemHeight(int value)
{
    if (value == itemHeight_)
        return;
    itemHeight_ = value;
    Relayout();
}

void TItemsPanel::SetAutoSize(bool value)
{
    if (value == autoSize_)
        return;
    autoSize_ = value;
    if (value)
        itemHeight_ = AxisLength() / (items_.Count() + 1);
    Relayout();
}

void TItemsPanel::SetAutoGrow(bool value)
{
    if (value == autoGrow_)
        return;
    autoGrow_ = value;
    if (value) {
        autoSize_ = false;
        SetAlign(alNone);
    }
    Relayout();
}

void TItemsPanel::SetClickable(bool value)
{
    if (value == clickable_)
        return;
    clickable_ = value;
    Invalidate();
}

void TItemsPanel::SetHotTrack(bool value)
{
    if (value == hotTrack_)
        return;
    hotTrack_ = value;
    Invalidate();
}

void TItemsPanel::SetHotTrackColor(TColor value)
{
    if (value == hotTrackColor_)
        return;
    hotTrackColor_ = value;
    Invalidate();
}

void TItemsPanel::SetOrientation(TPanelOrientation value)
{
    if (value == orientation_)
        return;
    orientation_ = value;
    Invalidate();
}

void TItemsPanel::Relayout()
{
    int count = items_.Count();
    if (autoGrow_ && count > 0) {
        long long extent = static_cast<long long>(count) * itemHeight_;
        int size = static_cast<int>(std::min<long long>(extent, 0x7FFF));
        if (orientation_ == poVertical)
            SetHeight(size);
        else
            SetWidth(size);
    } else {
        Invalidate();
    }
}

void TItemsPanel::Resize()
{
    TCustomPanel::Resize();
    Relayout();
}

// The items cover the whole control: no bevel inset.
void TItemsPanel::AdjustClientRect(RECT&) const {}

void TItemsPanel::Paint()
{
    TCanvas& canvas = Canvas();
    canvas.Brush().SetColor(Color());
    int count = items_.Count();
    if (count == 0)
        return;
    int remainder = 0;
    if (autoSize_) {
        SetItemHeight(AutoItemHeight(AxisLength(), count));
        remainder = AutoSizeRemainder(AxisLength(), count);
    }
    RECT clip = canvas.ClipRect();
    bool vertical = orientation_ == poVertical;
    // Only the items that reach the area being painted need drawing; with
    // many lines and a zero item extent that is just the last one.
    int first = 0;
    if (itemHeight_ > 0)
        first = std::clamp(static_cast<int>((vertical ? clip.top : clip.left) / itemHeight_) - 1, 0, count - 1);
    else
        first = count - 1;
    for (int i = first; i < count; ++i) {
        RECT r = ItemRect(i);
        if (i == count - 1) {
            if (vertical)
                r.bottom += remainder;
            else
                r.right += remainder;
        }
        if (vertical ? r.top >= clip.bottom : r.left >= clip.right)
            break;
        RECT visible {};
        if (!IntersectRect(&visible, &r, &clip))
            continue;
        Frame3D(canvas, r, clBtnHighlight, clBtnShadow);
        DrawItemText(i, r, false);
    }
}

void TItemsPanel::DrawItemText(int index, const RECT& rect, bool highlighted)
{
    if (index < 0 || index >= items_.Count())
        return;
    TCanvas& canvas = Canvas();
    canvas.Font().Assign(Font());
    RECT textRect = rect;
    textRect.left += canvas.TextWidth(" ");
    textRect.right -= canvas.TextWidth("  ");
    if (highlighted && hotTrack_)
        canvas.Font().SetStyle(canvas.Font().Style() | fsBold);
    std::string_view text = ItemDisplayText(items_[index], shortPanelTitle_);
    // Text far beyond what the item can show is never measured: a huge line
    // still ends in the same ellipsis, without the cost.
    size_t limit = static_cast<size_t>(std::max<long>(textRect.right - textRect.left, 0L)) * 2 + 256;
    int length = static_cast<int>(std::min(text.size(), limit));
    UINT align = Alignment() == taLeftJustify ? DT_LEFT : Alignment() == taRightJustify ? DT_RIGHT : DT_CENTER;
    canvas.Brush().SetColor(Color());
    canvas.DrawText(text.data(), length, textRect, ItemTextFormat | align);
}

int TItemsPanel::ActiveItem() const
{
    return orientation_ == poVertical ? ItemIndexAt(1, active_.top + 1) : ItemIndexAt(active_.left + 1, 1);
}

void TItemsPanel::DrawItemRaised()
{
    Frame3D(Canvas(), active_, clBtnHighlight, clBtnShadow);
    DrawItemText(ActiveItem(), active_, false);
}

void TItemsPanel::DrawItemPressed()
{
    if (!clickable_)
        return;
    Frame3D(Canvas(), active_, clBtnShadow, clBtnHighlight);
    DrawItemText(ActiveItem(), active_, true);
}

void TItemsPanel::DrawItemHot()
{
    Frame3D(Canvas(), active_, Font().Color(), Font().Color());
    DrawItemText(ActiveItem(), active_, true);
}

void TItemsPanel::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomPanel::MouseDown(button, shift, x, y);
    if (button != mbLeft)
        return;
    pressed_ = true;
    active_ = ItemRect(ItemIndexAt(x, y));
    DrawItemPressed();
}

void TItemsPanel::MouseMove(TShiftState shift, int x, int y)
{
    TCustomPanel::MouseMove(shift, x, y);
    if (pressed_) {
        DrawItemRaised();
        active_ = ItemRect(ItemIndexAt(x, y));
        DrawItemPressed();
    } else if (hotTrack_) {
        DrawItemRaised();
        active_ = ItemRect(ItemIndexAt(x, y));
        DrawItemHot();
    }
}

void TItemsPanel::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomPanel::MouseUp(button, shift, x, y);
    DrawItemRaised();
    int index = ItemIndexAt(x, y);
    bool clicked = index != -1 && pressed_;
    pressed_ = false;
    active_ = RECT {0, 0, 0, 0};
    if (clicked && OnItemClick)
        OnItemClick(this, index);
}
