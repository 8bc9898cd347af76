#include "ItemsPanel.h"

#include "Form.h"
#include "Handles.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

namespace {
RECT ToRect(const TItemRect& r) {
    return RECT{r.Left, r.Top, r.Right, r.Bottom};
}

constexpr UINT ItemTextFormat = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | DT_EDITCONTROL;
static_assert(ItemTextFormat == 0xA824);
} // namespace

TItemsPanel::TItemsPanel(TComponent* owner) : TCustomPanel(owner) {
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
    SetCaption("");
    SetTabStop(true);
}

const TPropertyInfo* TItemsPanel::FindProperty(std::string_view name) const {
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

TItemLayout TItemsPanel::Layout() const {
    return TItemLayout{items_.Count(), itemHeight_, Width(), Height(), orientation_ == poVertical};
}

int TItemsPanel::ItemIndexAt(int x, int y) const {
    return ::ItemIndexAt(Layout(), x, y);
}

RECT TItemsPanel::ItemRect(int index) const {
    return ToRect(::ItemRect(Layout(), index));
}

void TItemsPanel::SetItems(const TStringList& items) {
    items_.Assign(items);
    Relayout();
}

void TItemsPanel::SetItemHeight(int value) {
    if (value == itemHeight_)
        return;
    itemHeight_ = value;
    Relayout();
}

void TItemsPanel::SetAutoSize(bool value) {
    if (value == autoSize_)
        return;
    autoSize_ = value;
    if (value)
        itemHeight_ = AxisLength() / (items_.Count() + 1);
    Relayout();
}

void TItemsPanel::SetAutoGrow(bool value) {
    if (value == autoGrow_)
        return;
    autoGrow_ = value;
    if (value) {
        autoSize_ = false;
        SetAlign(alNone);
    }
    Relayout();
}

void TItemsPanel::SetClickable(bool value) {
    if (value == clickable_)
        return;
    clickable_ = value;
    Invalidate();
}

void TItemsPanel::SetHotTrack(bool value) {
    if (value == hotTrack_)
        return;
    hotTrack_ = value;
    Invalidate();
}

void TItemsPanel::SetHotTrackColor(TColor value) {
    if (value == hotTrackColor_)
        return;
    hotTrackColor_ = value;
    Invalidate();
}

void TItemsPanel::SetOrientation(TPanelOrientation value) {
    if (value == orientation_)
        return;
    orientation_ = value;
    Invalidate();
}

void TItemsPanel::Relayout() {
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

void TItemsPanel::Resize() {
    TCustomPanel::Resize();
    Relayout();
}

// The items cover the whole control: no bevel inset.
void TItemsPanel::AdjustClientRect(RECT&) const {}

void TItemsPanel::Paint() {
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
        first =
            std::clamp(static_cast<int>((vertical ? clip.top : clip.left) / itemHeight_) - 1, 0, count - 1);
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
        RECT visible{};
        if (!IntersectRect(&visible, &r, &clip))
            continue;
        Frame3D(canvas, r, clBtnHighlight, clBtnShadow);
        DrawItemText(i, r, false);
    }
    if (FocusCueShown())
        DrawFocusCue(canvas, itemIndex_);
}

void TItemsPanel::DrawItemText(int index, const RECT& rect, bool highlighted) {
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
    UINT align = Alignment() == taLeftJustify    ? DT_LEFT
                 : Alignment() == taRightJustify ? DT_RIGHT
                                                 : DT_CENTER;
    canvas.Brush().SetColor(Color());
    canvas.DrawText(text.data(), length, textRect, ItemTextFormat | align);
}

int TItemsPanel::ActiveItem() const {
    return orientation_ == poVertical ? ItemIndexAt(1, active_.top + 1) : ItemIndexAt(active_.left + 1, 1);
}

void TItemsPanel::DrawItemRaised() {
    Frame3D(Canvas(), active_, clBtnHighlight, clBtnShadow);
    DrawItemText(ActiveItem(), active_, false);
    RedrawActiveCue();
}

void TItemsPanel::DrawItemPressed() {
    if (!clickable_)
        return;
    Frame3D(Canvas(), active_, clBtnShadow, clBtnHighlight);
    DrawItemText(ActiveItem(), active_, true);
    RedrawActiveCue();
}

void TItemsPanel::DrawItemHot() {
    Frame3D(Canvas(), active_, Font().Color(), Font().Color());
    DrawItemText(ActiveItem(), active_, true);
    RedrawActiveCue();
}

// ---- keyboard and focus

RECT TItemsPanel::PaintedItemRect(int index) const {
    RECT r = ItemRect(index);
    const int count = items_.Count();
    if (autoSize_ && count > 0 && index == count - 1) {
        const int remainder = AutoSizeRemainder(AxisLength(), count);
        if (orientation_ == poVertical)
            r.bottom += remainder;
        else
            r.right += remainder;
    }
    return r;
}

bool TItemsPanel::FocusCueShown() const {
    if (itemIndex_ < 0 || itemIndex_ >= items_.Count() || !Focused())
        return false;
    const TCustomForm* form = ParentForm();
    if (form && (form->HiddenCues() & UISF_HIDEFOCUS))
        return false;
    return (SendMessageA(WindowHandle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
}

// A dotted ring inside the item's frame, every other pixel in the font colour. Drawn opaque, not
// inverted as the system's focus rectangle is, so that drawing it again over itself (after the
// item was drawn pressed or raised) leaves it as it was.
void TItemsPanel::DrawFocusCue(TCanvas& canvas, int index) {
    RECT r = PaintedItemRect(index);
    InflateRect(&r, -3, -3);
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0)
        return;
    static const WORD checker[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    TOwnedBitmap pattern(CreateBitmap(8, 8, 1, 1, checker));
    TOwnedBrush brush(CreatePatternBrush(pattern.Get()));
    HDC dc = canvas.Handle();
    TSaveDCGuard saved(dc);
    SetTextColor(dc, ColorToRGB(Font().Color()));
    SetBkColor(dc, ColorToRGB(Color()));
    SelectObject(dc, brush.Get());
    PatBlt(dc, r.left, r.top, width, 1, PATCOPY);
    PatBlt(dc, r.left, r.bottom - 1, width, 1, PATCOPY);
    PatBlt(dc, r.left, r.top + 1, 1, height - 2, PATCOPY);
    PatBlt(dc, r.right - 1, r.top + 1, 1, height - 2, PATCOPY);
}

void TItemsPanel::RedrawActiveCue() {
    if (ActiveItem() == itemIndex_ && FocusCueShown())
        DrawFocusCue(Canvas(), itemIndex_);
}

void TItemsPanel::InvalidateItem(int index) {
    if (!HandleAllocated() || index < 0 || index >= items_.Count())
        return;
    RECT r = PaintedItemRect(index);
    InvalidateRect(WindowHandle(), &r, FALSE);
}

void TItemsPanel::SetItemIndex(int value) {
    if (value == itemIndex_)
        return;
    const bool shown = FocusCueShown();
    InvalidateItem(itemIndex_);
    itemIndex_ = value;
    if (!shown && !FocusCueShown())
        return;
    InvalidateItem(itemIndex_);
    // Painted now: a press draws the item pressed right after this, and a later paint would
    // cover that.
    Update();
}

void TItemsPanel::MoveItemIndex(int index) {
    if (index == itemIndex_)
        return;
    SetItemIndex(index);
    if (OnItemIndexChange)
        OnItemIndexChange(this, index);
}

void TItemsPanel::StepItemIndex(TItemStep step) {
    // Keys that move the focus show where it is, as arrows and Tab already do.
    if (HWND root = HandleAllocated() ? GetAncestor(WindowHandle(), GA_ROOT) : nullptr)
        SendMessageA(root, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    MoveItemIndex(ItemAfterStep(itemIndex_, items_.Count(), step));
}

void TItemsPanel::PopupAtItem() {
    // The menu key's own request: no point, so it opens where the focus is.
    Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(WindowHandle()), MAKELPARAM(0xFFFF, 0xFFFF));
}

void TItemsPanel::KeyDown(WORD& key, TShiftState shift) {
    TCustomPanel::KeyDown(key, shift);
    if (key == 0 || (shift & ssAlt))
        return;
    switch (key) {
    case VK_UP:
    case VK_LEFT:
        StepItemIndex(TItemStep::Previous);
        break;
    case VK_DOWN:
    case VK_RIGHT:
        StepItemIndex(TItemStep::Next);
        break;
    case VK_HOME:
        StepItemIndex(TItemStep::First);
        break;
    case VK_END:
        StepItemIndex(TItemStep::Last);
        break;
    case VK_RETURN:
        if (itemIndex_ < 0 || itemIndex_ >= items_.Count())
            return;
        key = 0;
        if (OnItemClick)
            OnItemClick(this, itemIndex_);
        return;
    case VK_APPS:
        key = 0;
        PopupAtItem();
        return;
    case VK_F10:
        if (!(shift & ssShift))
            return;
        key = 0;
        menuKeyDown_ = true;
        PopupAtItem();
        return;
    default:
        return;
    }
    key = 0;
}

void TItemsPanel::KeyUp(WORD& key, TShiftState shift) {
    TCustomPanel::KeyUp(key, shift);
    // The system would open the menu (or the menu bar) once more on the release.
    if (key == VK_APPS || (key == VK_F10 && std::exchange(menuKeyDown_, false)))
        key = 0;
}

void TItemsPanel::WndProc(TMessage& message) {
    switch (message.Msg) {
    case WM_GETDLGCODE:
        // The arrows move the focus among the items, not to the next control.
        message.Result = DLGC_WANTARROWS;
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
        TCustomPanel::WndProc(message);
        InvalidateItem(itemIndex_);
        return;
    case WM_CONTEXTMENU:
        // From the keyboard (no point): at the current item rather than at the panel's corner.
        if (GET_X_LPARAM(message.LParam) == -1 && GET_Y_LPARAM(message.LParam) == -1 && itemIndex_ >= 0 &&
            itemIndex_ < items_.Count()) {
            const RECT r = PaintedItemRect(itemIndex_);
            const POINT at = ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
            message.LParam = MAKELPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y));
        }
        break;
    default:
        break;
    }
    TCustomPanel::WndProc(message);
}

void TItemsPanel::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    // A press takes the keyboard focus, and the focus goes to the item pressed.
    if (TabStop() && CanFocus() && !Focused())
        SetFocus();
    TCustomPanel::MouseDown(button, shift, x, y);
    MoveItemIndex(ItemIndexAt(x, y));
    if (button != mbLeft)
        return;
    pressed_ = true;
    active_ = ItemRect(ItemIndexAt(x, y));
    DrawItemPressed();
}

void TItemsPanel::MouseMove(TShiftState shift, int x, int y) {
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

void TItemsPanel::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomPanel::MouseUp(button, shift, x, y);
    DrawItemRaised();
    int index = ItemIndexAt(x, y);
    bool clicked = index != -1 && pressed_;
    pressed_ = false;
    active_ = RECT{0, 0, 0, 0};
    if (clicked && OnItemClick)
        OnItemClick(this, index);
}
