#include "WinSubClassScroll.h"

#include "Application.h"
#include "Bitmap.h"
#include "Handles.h"
#include "ImgUtil.h"
#include "SkinPropertyNames.h"
#include "SysUtils.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSubClassGeometry.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace {

const TDataSkinObject* SlotOf(const TSkinData* skin, TSkinSlot slot) {
    return skin ? skin->Slot(slot) : nullptr;
}

bool HasImage(const TDataSkinObject* element) {
    return element && !element->Bitmap.Empty();
}

int ElementCells(const TDataSkinObject* element) {
    return element ? std::max(element->Frame, 1) : 1;
}

RECT ToRect(const TFrameRect& r) {
    return RECT{r.Left, r.Top, r.Right, r.Bottom};
}

// A thumb's cell (cells side by side), lying along `vertical`: nine-sliced like any cell, but
// end caps longer than the target along its length are shortened rather than dropped.
void DrawThumbCell(HDC dc, const TFrameRect& where, const TDataSkinObject& element, int cells, int cell,
                   bool tile, bool transparent, bool vertical) {
    const TFrameRect source = StripCellRect(element.Bitmap.Width(), element.Bitmap.Height(), cells, cell);
    if (source.Width() <= 0 || source.Height() <= 0)
        return;
    RECT margins{element.LeftWidth, element.TopHeight, element.RightWidth, element.BottomHeight};
    const TThumbCaps caps =
        vertical ? ShrinkThumbCaps(std::min(element.TopHeight, source.Height()),
                                   std::min(element.BottomHeight, source.Height()), where.Height())
                 : ShrinkThumbCaps(std::min(element.LeftWidth, source.Width()),
                                   std::min(element.RightWidth, source.Width()), where.Width());
    (vertical ? margins.top : margins.left) = caps.Low;
    (vertical ? margins.bottom : margins.right) = caps.High;
    DrawNineSlice(dc, ToRect(where), element.Bitmap, ToRect(source), margins, tile, transparent);
}

int ScrollArrowSize() {
    return GetSystemMetrics(SM_CXHSCROLL);
}

bool WindowHasStyle(HWND window, DWORD style) {
    return window && (static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & style) == style;
}

// A window's client origin in its window coordinates.
POINT ClientOffset(HWND window) {
    RECT outer{};
    GetWindowRect(window, &outer);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    return POINT{origin.x - outer.left, origin.y - outer.top};
}

// A new skin may bring scroll-bar images or take them away: the overlay is placed or hidden to
// match. True when it stopped covering its bar, which its window must then draw again.
bool FollowSkin(TWScrollbar* bar, HWND window, const TSkinData* skin) {
    if (!bar)
        return false;
    const bool wasShown = bar->Shown();
    if (!wasShown || !HasImage(SlotOf(skin, ssScrollbar)))
        bar->UpdateBar(window);
    return wasShown && !bar->Shown();
}

// A combo box's list tells itself to show its caret; its bars are painted again afterwards.
constexpr UINT LBCB_CARETON = 0x1AE;

} // namespace

// ---- Reading and painting a bar

bool ReadNativeScrollBar(HWND window, int bar, TNativeScrollBar& info) {
    if (!window || !IsWindow(window))
        return false;
    if (bar == SB_CTL) {
        SCROLLINFO scroll{};
        scroll.cbSize = sizeof scroll;
        scroll.fMask = SIF_ALL;
        if (!GetScrollInfo(window, SB_CTL, &scroll))
            return false;
        RECT rect{};
        if (!GetWindowRect(window, &rect))
            return false;
        const bool vertical = (GetWindowLongA(window, GWL_STYLE) & SBS_VERT) != 0;
        const int length = vertical ? rect.bottom - rect.top : rect.right - rect.left;
        const TThumbExtent thumb = StandaloneThumb(scroll.nMin, scroll.nMax, static_cast<int>(scroll.nPage),
                                                   scroll.nPos, length, ScrollArrowSize());
        info.Bar = rect;
        info.ThumbStart = thumb.Start;
        info.ThumbEnd = thumb.End;
        info.Invisible = false;
        info.Unavailable = !IsWindowEnabled(window);
        return true;
    }
    SCROLLBARINFO scroll{};
    scroll.cbSize = sizeof scroll;
    if (!SkinGetScrollBarInfo(window, bar == SB_VERT ? OBJID_VSCROLL : OBJID_HSCROLL, &scroll))
        return false;
    info.Bar = scroll.rcScrollBar;
    info.ThumbStart = scroll.xyThumbTop;
    info.ThumbEnd = scroll.xyThumbBottom;
    info.Invisible = (scroll.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN)) != 0;
    // A disabled window's bars are unavailable whatever the bar itself reports.
    info.Unavailable = (scroll.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) != 0 || !IsWindowEnabled(window);
    return true;
}

void PaintSkinScrollBar(HDC dc, int x, int y, const TSkinData& skin, const TScrollBarFacts& facts,
                        TBitmap* buffer) {
    const TDataSkinObject* arrows = skin.Slot(ssScrollbar);
    if (!dc || !HasImage(arrows) || facts.Width <= 0 || facts.Height <= 0)
        return;
    const TDataSkinObject* horzTrack = skin.Slot(ssHorzScroll);
    const TDataSkinObject* track = skin.Slot(facts.Vertical ? ssVertScroll : ssHorzScroll);
    const TDataSkinObject* horzThumb = skin.Slot(ssHorzScrollThumb);
    const TDataSkinObject* thumb = skin.Slot(facts.Vertical ? ssVertScrollThumb : ssHorzScrollThumb);

    TScrollBarFacts plan = facts;
    plan.ImageHeight = arrows->Bitmap.Height();
    plan.TrackCells = 4;
    // The vertical thumb is cut like the horizontal one and shares its transparency.
    const TDataSkinObject* thumbShape = HasImage(horzThumb) ? horzThumb : thumb;
    plan.ThumbCells = ElementCells(thumbShape);
    const TScrollBarLayout layout = LayoutScrollBar(plan);

    // The caller's buffer is kept from paint to paint; else one just for this paint.
    std::unique_ptr<TBitmap> own;
    if (!buffer) {
        own = std::make_unique<TBitmap>();
        buffer = own.get();
    }
    if (buffer->Width() != facts.Width || buffer->Height() != facts.Height)
        buffer->SetSize(facts.Width, facts.Height);
    HDC target = buffer->MemoryDC();
    if (!target || buffer->Width() != facts.Width || buffer->Height() != facts.Height)
        return;
    SetStretchBltMode(target, COLORONCOLOR);
    FillButtonFace(target, RECT{0, 0, facts.Width, facts.Height}, skin);
    if (layout.HasTrack() && HasImage(track)) {
        const bool tile = horzTrack ? horzTrack->Tile == 1 : track->Tile == 1;
        DrawCellOf(target, ToRect(layout.Track), *track, 4, layout.TrackCell, tile, track->Trans == 1);
    }
    DrawStripCell(target, ToRect(layout.FirstArrow), arrows->Bitmap, 23, layout.FirstArrowCell);
    DrawStripCell(target, ToRect(layout.SecondArrow), arrows->Bitmap, 23, layout.SecondArrowCell);
    if (layout.HasThumb() && HasImage(thumb)) {
        const bool transparent = thumbShape->Trans == 1;
        DrawThumbCell(target, layout.Thumb, *thumb, plan.ThumbCells, layout.ThumbCell, thumb->Tile == 1,
                      transparent, facts.Vertical);
        if (layout.HasGrip())
            DrawStripCell(target, ToRect(layout.Grip), arrows->Bitmap, 23, layout.GripCell);
    }
    GdiFlush();
    BitBlt(dc, x, y, facts.Width, facts.Height, target, 0, 0, SRCCOPY);
}

// ---- TWScrollbar

TWScrollbar::TWScrollbar(TComponent* owner) : TCustomControl(owner) {
    arrowSize_ = ScrollArrowSize();
    SetVisible(false);
    SetTabStop(false);
}

TWScrollbar::~TWScrollbar() {
    *alive_ = false;
}

void TWScrollbar::CreateParams(TCreateParams& params) {
    TCustomControl::CreateParams(params);
    params.ExStyle |= WS_EX_TOOLWINDOW;
    params.Style &= ~static_cast<DWORD>(WS_TABSTOP | WS_CLIPCHILDREN);
    if (parentWindow_) {
        params.WndParent = parentWindow_;
    } else {
        // Over a top-level window: a popup it owns, so that it stays above it.
        params.Style = (params.Style & ~static_cast<DWORD>(WS_CHILD)) | WS_POPUP;
        params.WndParent = targetWindow_;
    }
}

void TWScrollbar::SetTarget(TSkinControl* adapter, TControl* control, HWND window, int kind) {
    adapter_ = adapter;
    targetControl_ = control;
    if (auto* windowed = dynamic_cast<TWinControl*>(control))
        window = windowed->WindowHandle() ? windowed->WindowHandle() : window;
    targetWindow_ = window;
    kind_ = kind;
    if (kind == wkControl) {
        std::string text;
        if (control && control->GetPropText(SkinProperty::Kind, text))
            vertical_ = !SameText(text, "sbhorizontal");
        else
            vertical_ = (GetWindowLongA(window, GWL_STYLE) & SBS_VERT) != 0;
    } else {
        vertical_ = kind == wkVertical;
    }
    parentWindow_ = window && WindowHasStyle(window, WS_CHILD) ? GetParent(window) : nullptr;
    TColor colour = clBtnFace;
    if (adapter && adapter->SkinData())
        colour = adapter->SkinData()->Colour(scButtonFace);
    if (control && control->Parent())
        colour = control->Parent()->Color();
    SetColor(colour);
    UpdateBar(window);
}

bool TWScrollbar::SkinDrawsBars() const {
    return adapter_ && adapter_->SkinData() && HasImage(adapter_->SkinData()->Slot(ssScrollbar));
}

bool TWScrollbar::ReadBar(TNativeScrollBar& info) const {
    return ReadNativeScrollBar(targetWindow_, kind_ == wkControl ? SB_CTL : (vertical_ ? SB_VERT : SB_HORZ),
                               info);
}

void TWScrollbar::UpdateBar(HWND window) {
    if (!window)
        window = targetWindow_;
    // A skin without scroll-bar images leaves the native bar to be seen.
    if (!SkinDrawsBars()) {
        if (shown_ || IsWindowVisible(WindowHandle()))
            HideBar();
        return;
    }
    TNativeScrollBar info;
    if (!ReadNativeScrollBar(window, kind_ == wkControl ? SB_CTL : (vertical_ ? SB_VERT : SB_HORZ), info))
        return;
    if (!WindowHasStyle(window, WS_VISIBLE) || info.Invisible) {
        HideBar();
        return;
    }
    POINT topLeft{info.Bar.left, info.Bar.top}, bottomRight{info.Bar.right, info.Bar.bottom};
    ::ScreenToClient(window, &topLeft);
    ::ScreenToClient(window, &bottomRight);
    barRect_ = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    const int width = info.Bar.right - info.Bar.left, height = info.Bar.bottom - info.Bar.top;
    length_ = vertical_ ? height : width;
    barOrigin_ = POINT{info.Bar.left, info.Bar.top};
    POINT place = barOrigin_;
    if (parentWindow_)
        ::ScreenToClient(parentWindow_, &place);
    HWND overlay = Handle();
    if (!overlay)
        return;
    // Directly above the target: after the window before it (the top when there is none). An
    // owned popup is above its owner anyway.
    if (parentWindow_) {
        HWND before = GetWindow(window, GW_HWNDPREV);
        if (before != overlay)
            SetWindowPos(overlay, before ? before : HWND_TOP, 0, 0, 0, 0,
                         SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    }
    RECT now{};
    GetWindowRect(overlay, &now);
    if (parentWindow_)
        MapWindowPoints(nullptr, parentWindow_, reinterpret_cast<POINT*>(&now), 2);
    const bool placed = IsWindowVisible(overlay) && now.left == place.x && now.top == place.y &&
                        now.right - now.left == width && now.bottom - now.top == height;
    if (!placed) {
        SetVisible(true);
        MoveWindow(overlay, place.x, place.y, width, height, TRUE);
    }
    shown_ = true;
}

bool TWScrollbar::CoversNativeBar() const {
    TNativeScrollBar info;
    if (!shown_ || !ReadBar(info) || info.Invisible)
        return false;
    // Where the overlay's window is now, not where it was put: the window may have moved on
    // the screen since (its frame took a skin of other widths), and the overlay with it.
    HWND overlay = WindowHandle();
    RECT place{};
    return overlay && IsWindowVisible(overlay) && GetWindowRect(overlay, &place) &&
           EqualRect(&place, &info.Bar);
}

void TWScrollbar::HideBar() {
    SetVisible(false);
    shown_ = false;
}

int TWScrollbar::HitPart(POINT point) const {
    return ScrollHitPart(vertical_ ? point.y : point.x, arrowSize_, thumbStart_, thumbEnd_, length_);
}

void TWScrollbar::SetHotPart(int part) {
    hotPart_ = part;
    Refresh();
}

void TWScrollbar::RefreshOrHide() {
    if (!shown_)
        return;
    if (!SkinDrawsBars()) {
        HideBar();
        return;
    }
    TNativeScrollBar info;
    if (!ReadBar(info)) {
        Refresh();
        return;
    }
    if (info.Invisible || !WindowHasStyle(targetWindow_, WS_VISIBLE)) {
        HideBar();
        return;
    }
    // The overlay's own window is not touched by the control's painting: only a bar that
    // changed since it was drawn needs drawing again.
    TScrollBarFacts facts;
    if (paintCount_ > 0 && CurrentFacts(facts, info) && facts == painted_)
        return;
    Refresh();
}

void TWScrollbar::Refresh() {
    HWND overlay = WindowHandle();
    if (!overlay || !shown_)
        return;
    InvalidateRect(overlay, nullptr, FALSE);
    UpdateWindow(overlay);
}

void TWScrollbar::WndProc(TMessage& message) {
    switch (message.Msg) {
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case WM_PAINT: {
        HDC dc = reinterpret_cast<HDC>(message.WParam);
        if (dc) {
            PaintOverlay(dc);
        } else {
            TPaintDC paint(WindowHandle());
            PaintOverlay(paint.Get());
        }
        message.Result = 0;
        return;
    }
    case WM_MOUSEMOVE: {
        TCustomControl::WndProc(message);
        const int part = HitPart(
            POINT{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))});
        if (TrackHot(hotPart_, part, WindowHandle()))
            Refresh();
        return;
    }
    case WM_MOUSELEAVE:
        TCustomControl::WndProc(message);
        if (!pressed_ && hotPart_ != spNone) {
            hotPart_ = spNone;
            Refresh();
        }
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        MouseDown(message);
        return;
    case WM_LBUTTONUP:
        MouseUp(message);
        return;
    default:
        TCustomControl::WndProc(message);
        return;
    }
}

void TWScrollbar::MouseDown(TMessage& message) {
    const std::shared_ptr<bool> alive = alive_;
    TCustomControl::WndProc(message);
    if (!*alive)
        return;
    GetCursorPos(&dragCursor_);
    TNativeScrollBar info;
    if (ReadBar(info)) {
        dragThumbStart_ = info.ThumbStart;
        thumbStart_ = info.ThumbStart;
        thumbEnd_ = info.ThumbEnd;
    }
    POINT point{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
    hotPart_ = HitPart(point);
    if (kind_ != wkControl) {
        point.x += barOrigin_.x;
        point.y += barOrigin_.y;
    }
    pressed_ = true;
    Refresh();
    ReleaseCapture();
    HWND target = targetWindow_;
    // Returns when the native bar's tracking loop ends (the button went up).
    if (kind_ != wkControl)
        SendMessageA(target, WM_NCLBUTTONDOWN, HitCode(), MAKELPARAM(point.x, point.y));
    else
        SendMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    if (!*alive)
        return;
    pressed_ = false;
    ReleaseCapture();
    if (kind_ == wkControl)
        Refresh();
    message.Result = 0;
}

void TWScrollbar::MouseUp(TMessage& message) {
    const std::shared_ptr<bool> alive = alive_;
    TCustomControl::WndProc(message);
    if (!*alive)
        return;
    pressed_ = false;
    ReleaseCapture();
    const LPARAM point = message.LParam;
    if (kind_ != wkControl)
        PostMessageA(targetWindow_, WM_NCLBUTTONUP, HitCode(), point);
    else
        PostMessageA(targetWindow_, WM_LBUTTONUP, MK_LBUTTON, point);
    if (kind_ == wkControl)
        Refresh();
}

bool TWScrollbar::CurrentFacts(TScrollBarFacts& facts, const TNativeScrollBar& info) {
    const int width = info.Bar.right - info.Bar.left, height = info.Bar.bottom - info.Bar.top;
    RECT client{};
    GetClientRect(WindowHandle(), &client);
    if (width <= 0 || height <= 0 || (kind_ != wkControl && (width > client.right || height > client.bottom)))
        return false;
    length_ = vertical_ ? height : width;
    const int nativeLength = info.ThumbEnd - info.ThumbStart;
    if (pressed_ && hotPart_ == spThumb && kind_ != wkControl) {
        POINT cursor{};
        GetCursorPos(&cursor);
        const int delta = vertical_ ? cursor.y - dragCursor_.y : cursor.x - dragCursor_.x;
        const TThumbExtent thumb = DraggedThumb(dragThumbStart_, delta, nativeLength, length_, arrowSize_);
        thumbStart_ = thumb.Start;
        thumbEnd_ = thumb.End;
    } else {
        thumbStart_ = info.ThumbStart;
        thumbEnd_ = info.ThumbEnd;
    }
    facts = TScrollBarFacts{};
    facts.Vertical = vertical_;
    facts.Width = width;
    facts.Height = height;
    facts.ArrowSize = arrowSize_;
    facts.Enabled = !info.Unavailable;
    facts.HotPart = hotPart_;
    facts.Pressed = pressed_;
    facts.ThumbStart = thumbStart_;
    facts.ThumbEnd = thumbEnd_;
    return true;
}

void TWScrollbar::PaintOverlay(HDC dc) {
    if (!dc || !adapter_)
        return;
    const TSkinData* skin = adapter_->SkinData();
    if (!skin || !HasImage(skin->Slot(ssScrollbar)))
        return;
    TNativeScrollBar info;
    TScrollBarFacts facts;
    if (!ReadBar(info) || info.Invisible || !CurrentFacts(facts, info))
        return;
    RECT client{};
    GetClientRect(WindowHandle(), &client);
    const int width = facts.Width, height = facts.Height;
    ++paintCount_;
    painted_ = facts;
    if (kind_ == wkControl && (width != client.right || height != client.bottom)) {
        // The control's bar drawn at its own size, stretched onto the overlay.
        TBufferDC stretched(dc, width, height);
        PaintSkinScrollBar(stretched.Get(), 0, 0, *skin, facts, &buffer_);
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, 0, 0, client.right, client.bottom, stretched.Get(), 0, 0, width, height, SRCCOPY);
        return;
    }
    PaintSkinScrollBar(dc, 0, 0, *skin, facts, &buffer_);
}

// ---- TScrollOverlays

void TScrollOverlays::Create(TSkinControl* adapter, TControl* control, HWND window) {
    for (int kind : {wkHorizontal, wkVertical}) {
        auto* bar = new TWScrollbar(adapter);
        bars_[kind] = bar;
        bar->SetTarget(adapter, control, window, kind);
    }
}

void TScrollOverlays::Retarget(TSkinControl* adapter, TControl* control, HWND window) {
    for (int kind : {wkHorizontal, wkVertical})
        if (bars_[kind])
            bars_[kind]->SetTarget(adapter, control, window, kind);
}

void TScrollOverlays::Forget(TComponent* component) {
    for (TWScrollbar*& bar : bars_)
        if (bar == component)
            bar = nullptr;
}

void TScrollOverlays::Free() {
    for (TWScrollbar*& bar : bars_) {
        TWScrollbar* gone = bar;
        bar = nullptr;
        if (gone)
            TComponent::Free(gone);
    }
}

void TScrollOverlays::Update(HWND window) {
    for (TWScrollbar* bar : bars_)
        if (bar)
            bar->UpdateBar(window);
}

void TScrollOverlays::Hide() {
    for (TWScrollbar* bar : bars_)
        if (bar && bar->Shown())
            bar->HideBar();
}

void TScrollOverlays::RefreshOrHide() {
    for (TWScrollbar* bar : bars_)
        if (bar)
            bar->RefreshOrHide();
}

void TScrollOverlays::ShowScrollPart(const TMessage& message) {
    TWScrollbar* bar = message.Msg == WM_HSCROLL ? bars_[0] : message.Msg == WM_VSCROLL ? bars_[1] : nullptr;
    if (bar)
        bar->SetHotPart(LOWORD(message.WParam));
}

bool TScrollOverlays::FollowSkin(HWND window, const TSkinData* skin) {
    bool uncovered = false;
    for (TWScrollbar* bar : bars_)
        uncovered = ::FollowSkin(bar, window, skin) || uncovered;
    return uncovered;
}

void TScrollOverlays::FillCorner(HDC dc, HWND window, const TSkinData* skin) const {
    if (!dc || !BothShown() || !skin)
        return;
    const TWScrollbar *horizontal = bars_[0], *vertical = bars_[1];
    const POINT offset = ClientOffset(window);
    RECT corner{vertical->BarRect().left + offset.x, horizontal->BarRect().top + offset.y,
                vertical->BarRect().right + offset.x, horizontal->BarRect().bottom + offset.y};
    if (corner.right <= corner.left || corner.bottom <= corner.top)
        return;
    FillButtonFace(dc, corner, *skin);
}

void TScrollOverlays::Remove(HWND window) {
    Free();
    if (window && IsWindow(window))
        RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
}

// ---- TSkinScrollbar

TSkinScrollbar::TSkinScrollbar(TComponent* owner) : TSkinControl(owner) {}

TSkinScrollbar::~TSkinScrollbar() {
    bars_.Free();
}

void TSkinScrollbar::Notification(TComponent* component, TOperation operation) {
    TSkinControl::Notification(component, operation);
    if (operation == opRemove)
        bars_.Forget(component);
}

void TSkinScrollbar::AttachScrollbar(TWinControl* control, TSkinData* skin, TWinSkinForm* frame,
                                     TCanvas* canvas) {
    if (attached_ || !control || control != Owner() || control->IsDestroying())
        return;
    std::string borderStyle;
    const bool noBorderStyle =
        control->GetPropText(SkinProperty::BorderStyle, borderStyle) && SameText(borderStyle, "bsNone");
    HWND window = control->Handle();
    // Our border replaces the system's edge; a window without one keeps its client area clean.
    const bool hasEdge = (GetWindowLongA(window, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) != 0 ||
                         (GetWindowLongA(window, GWL_STYLE) & WS_BORDER) != 0;
    hasBorder_ = !noBorderStyle && hasEdge && !SameText(control->ClassName(), "TImageScrollBox") &&
                 border_ == TScrollBorder::sbFlat;
    TSkinControl::AttachControl(frame, skin, false, canvas);
    if (!attached_)
        return;
    ApplyFixedColour();
    bars_.Create(this, control, handle_);
    for (TWScrollbar* bar : bars_) {
        bar->SetEnabled(control->Enabled());
        if (!control->Visible())
            bar->HideBar();
    }
    if (hasBorder_) {
        // The new border is measured and drawn on the control alone: a frame change that
        // redraws would make the system repaint the parent's frame as well.
        SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                         SWP_NOREDRAW);
        RedrawWindow(handle_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
    }
}

void TSkinScrollbar::ApplyFixedColour() {
    if (!control_ || !skin_ || !control_->HasProperty(SkinProperty::FixedColor))
        return;
    if (!useSkinColour_) {
        std::string saved;
        if (!control_->GetPropText(SkinProperty::FixedColor, saved))
            return;
        savedColour_ = static_cast<TColor>(std::stoll(saved.empty() ? std::string("0") : saved, nullptr, 0));
        useSkinColour_ = true;
    }
    control_->SetPropText(SkinProperty::FixedColor,
                          std::to_string(static_cast<long long>(skin_->Colour(scButtonFace))));
}

void TSkinScrollbar::SkinChanged() {
    if (useSkinColour_ && control_ && !control_->IsDestroying())
        ApplyFixedColour();
    const bool uncovered = bars_.FollowSkin(handle_, skin_);
    if (handle_ && (hasBorder_ || uncovered))
        RedrawWindow(handle_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    for (TWScrollbar* bar : bars_)
        if (bar && bar->Shown()) {
            if (!FrameRepaintsAll())
                bar->Refresh();
            else if (HWND overlay = bar->WindowHandle())
                InvalidateRect(overlay, nullptr, FALSE);
        }
}

void TSkinScrollbar::DoRestore() {
    const bool destroying = state_ == asDestroyed || !control_ || control_->IsDestroying();
    if (!destroying && useSkinColour_ && control_->HasProperty(SkinProperty::FixedColor))
        control_->SetPropText(SkinProperty::FixedColor, std::to_string(static_cast<long long>(savedColour_)));
    // The base would set the control's Color: FixedColor is the only colour changed here.
    useSkinColour_ = false;
    TSkinControl::DoRestore();
    if (!destroying)
        bars_.Remove(handle_);
}

void TSkinScrollbar::PaintBorder(HDC dc) {
    if (!dc || !handle_ || !skin_)
        return;
    RECT rect{};
    if (!GetWindowRect(handle_, &rect))
        return;
    OffsetRect(&rect, -rect.left, -rect.top);
    TOwnedBrush shadow(CreateSolidBrush(ColorToRGB(skin_->Colour(scButtonShadow))));
    FrameRect(dc, &rect, shadow.Get());
    const POINT inside = ClientOffset(handle_);
    if (inside.x >= 2 && inside.y >= 2) {
        InflateRect(&rect, -1, -1);
        TOwnedBrush spare;
        FrameRect(dc, &rect, ButtonFaceBrush(*skin_, spare));
    }
}

bool TSkinScrollbar::BeforeMessage(TMessage& message) {
    if (!TSkinControl::BeforeMessage(message))
        return false;
    // The control's window was made anew: the frame gives it a fresh adapter.
    TWScrollbar* vertical = bars_.Vertical();
    if (!rescrollPosted_ && handle_ && vertical && vertical->TargetWindow() != handle_ && IsWindow(handle_)) {
        if (frame_ && frame_->Handle()) {
            rescrollPosted_ = true;
            PostMessageA(frame_->Handle(), SKM_RESCROLL, reinterpret_cast<WPARAM>(handle_), 0);
        } else {
            bars_.Retarget(this, control_, handle_);
        }
    }
    switch (message.Msg) {
    case WM_NCPAINT:
        // The native bars' drawing (themed, much of a list's paint) would only be covered.
        if (BarsCovered()) {
            PaintNonClient();
            message.Result = 0;
            return false;
        }
        if (!hasBorder_)
            return true;
        PassOn(message);
        {
            TWindowDC dc(handle_, TWindowDC::Area::Window);
            PaintBorder(dc.Get());
        }
        return false;
    case SKM_PAINTFRAME:
        if (message.LParam != SKIN_MAGIC)
            return true;
        if (hasBorder_)
            PaintBorder(reinterpret_cast<HDC>(message.WParam));
        message.Result = SKIN_MAGIC;
        return false;
    default:
        return true;
    }
}

void TSkinScrollbar::AfterMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
        bars_.Update(handle_);
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        bars_.ShowScrollPart(message);
        break;
    case WM_MOUSEWHEEL:
        for (TWScrollbar* bar : bars_)
            if (bar && bar->Shown())
                bar->Refresh();
        break;
    case CM_VISIBLECHANGED:
        if (control_ && control_->Visible())
            bars_.Update(handle_);
        else
            bars_.Hide();
        break;
    case CM_ENABLEDCHANGED:
        for (TWScrollbar* bar : bars_)
            if (bar && control_)
                bar->SetEnabled(control_->Enabled());
        TSkinControl::AfterMessage(message);
        break;
    case WM_PAINT:
        // The window's own DC is needed only for the corner between two bars.
        if (bars_.BothShown())
            TSkinControl::AfterMessage(message);
        else
            RefreshBars();
        break;
    default:
        TSkinControl::AfterMessage(message);
        break;
    }
}

void TSkinScrollbar::RefreshBars() {
    for (TWScrollbar* bar : {bars_.Vertical(), bars_.Horizontal()}) {
        if (!bar)
            continue;
        if (bar->Shown())
            bar->RefreshOrHide();
        else if (WindowHasStyle(handle_, bar->Vertical() ? WS_VSCROLL : WS_HSCROLL))
            bar->UpdateBar(handle_);
    }
}

bool TSkinScrollbar::BarsCovered() {
    if (!handle_ || !skin_)
        return false;
    const LONG style = GetWindowLongA(handle_, GWL_STYLE);
    const TWScrollbar *horizontal = bars_.Horizontal(), *vertical = bars_.Vertical();
    if ((style & WS_HSCROLL) && !(horizontal && horizontal->CoversNativeBar()))
        return false;
    if ((style & WS_VSCROLL) && !(vertical && vertical->CoversNativeBar()))
        return false;
    // A window with neither bar nor border has nothing of its own to paint here.
    return hasBorder_ || (style & (WS_HSCROLL | WS_VSCROLL));
}

void TSkinScrollbar::PaintNonClient() {
    RECT window{};
    if (!GetWindowRect(handle_, &window))
        return;
    TWindowDC dc(handle_, TWindowDC::Area::Window);
    if (!dc.Get())
        return;
    const POINT inside = ClientOffset(handle_);
    RECT client{};
    GetClientRect(handle_, &client);
    OffsetRect(&client, inside.x, inside.y);
    ExcludeClipRect(dc.Get(), client.left, client.top, client.right, client.bottom);
    for (TWScrollbar* bar : bars_)
        if (bar && bar->Shown()) {
            RECT place = bar->BarRect();
            OffsetRect(&place, inside.x, inside.y);
            ExcludeClipRect(dc.Get(), place.left, place.top, place.right, place.bottom);
        }
    RECT whole{0, 0, window.right - window.left, window.bottom - window.top};
    FillButtonFace(dc.Get(), whole, *skin_);
    if (hasBorder_)
        PaintBorder(dc.Get());
}

void TSkinScrollbar::Paint(HDC dc, const RECT&) {
    RefreshBars();
    bars_.FillCorner(dc, handle_, skin_);
}

// ---- TSkinListView

TSkinListView::TSkinListView(TComponent* owner) : TSkinScrollbar(owner) {}

void TSkinListView::Notification(TComponent* component, TOperation operation) {
    TSkinScrollbar::Notification(component, operation);
    if (operation == opRemove && component == header_)
        header_ = nullptr;
}

void TSkinListView::AttachScrollbar(TWinControl* control, TSkinData* skin, TWinSkinForm* frame,
                                    TCanvas* canvas) {
    if (attached_)
        return;
    TSkinScrollbar::AttachScrollbar(control, skin, frame, canvas);
    if (!attached_ || !handle_)
        return;
    HWND header = reinterpret_cast<HWND>(SendMessageA(handle_, LVM_GETHEADER, 0, 0));
    if (header && IsWindow(header)) {
        // Owned by this adapter, and not on the frame's list: it goes with the list view's skinning.
        header_ = new TSkinHeader(this);
        header_->AttachWindow(header, skin, nullptr, canvas);
    }
}

// ---- TSkinHeader

TSkinHeader::TSkinHeader(TComponent* owner) : TSkinControl(owner) {}

bool TSkinHeader::CanPaint() const {
    return HasImage(SlotOf(skin_, ssHeaderbar));
}

int TSkinHeader::SectionAt(POINT point) const {
    const int count = static_cast<int>(SendMessageA(handle_, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT rect{};
        if (SendMessageA(handle_, HDM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rect)) &&
            PtInRect(&rect, point))
            return i;
    }
    return -1;
}

bool TSkinHeader::BeforeMessage(TMessage& message) {
    if (!TSkinControl::BeforeMessage(message))
        return false;
    if (!CanPaint())
        return true;
    switch (message.Msg) {
    case WM_PAINT:
        FullPaint(message);
        return false;
    case WM_ERASEBKGND:
        message.Result = 1;
        return false;
    default:
        return true;
    }
}

void TSkinHeader::AfterMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_MOUSEMOVE: {
        const int section = SectionAt(
            POINT{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))});
        if (TrackHot(hotSection_, section, handle_))
            InvalidateRect(handle_, nullptr, FALSE);
        break;
    }
    case WM_MOUSELEAVE:
        if (hotSection_ != -1) {
            hotSection_ = -1;
            InvalidateRect(handle_, nullptr, FALSE);
        }
        break;
    case WM_LBUTTONDOWN:
        pressedSection_ = SectionAt(
            POINT{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))});
        InvalidateRect(handle_, nullptr, FALSE);
        break;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (pressedSection_ != -1) {
            pressedSection_ = -1;
            InvalidateRect(handle_, nullptr, FALSE);
        }
        break;
    default:
        TSkinControl::AfterMessage(message);
        break;
    }
}

void TSkinHeader::Paint(HDC dc, const RECT& rect) {
    const TDataSkinObject* bar = SlotOf(skin_, ssHeaderbar);
    if (!dc || !HasImage(bar))
        return;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return;
    TBufferDC buffer(dc, width, height);
    HDC target = buffer.Get();
    FillButtonFace(target, RECT{0, 0, width, height}, *skin_);
    const int cells = ElementCells(bar);
    // Cells: 1 normal, 2 pressed, 4 hot (when the image has them).
    auto cellFor = [&](int section) {
        int cell = section == pressedSection_ ? 2 : section == hotSection_ ? 4 : 1;
        return cell <= cells ? cell : 1;
    };
    HFONT font = WindowFont();
    TSelectGuard selectFont(target, font);
    SetBkMode(target, TRANSPARENT);
    const int count = static_cast<int>(SendMessageA(handle_, HDM_GETITEMCOUNT, 0, 0));
    const auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(handle_, HDM_GETIMAGELIST, 0, 0));
    int right = 0;
    for (int i = 0; i < count; ++i) {
        RECT item{};
        if (!SendMessageA(handle_, HDM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)))
            continue;
        right = std::max(right, static_cast<int>(item.right));
        const int cell = cellFor(i);
        DrawCellOf(target, item, *bar, cells, cell, bar->Tile == 1, bar->Trans == 1);
        char text[260] = {};
        HDITEMA info{};
        info.mask = HDI_TEXT | HDI_FORMAT | HDI_IMAGE;
        info.iImage = -1;
        info.pszText = text;
        info.cchTextMax = sizeof text;
        SendMessageA(handle_, HDM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info));
        TColor colour = cell == 2   ? bar->PressedColour2
                        : cell == 4 ? bar->MouseOverColour2
                                    : bar->NormalColour2;
        if (!IsWindowEnabled(handle_))
            colour = static_cast<TColor>(GetSysColor(COLOR_BTNSHADOW));
        SetTextColor(target, ColorToRGB(colour));
        UINT align = DT_LEFT;
        if ((info.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT)
            align = DT_RIGHT;
        else if ((info.fmt & HDF_JUSTIFYMASK) == HDF_CENTER)
            align = DT_CENTER;
        RECT textRect{item.left + 6, item.top, item.right - 6, item.bottom};
        if (cell == 2)
            OffsetRect(&textRect, 1, 1);
        // The section's picture leads, the text follows it.
        int iconWidth = 0, iconHeight = 0;
        if ((info.fmt & HDF_IMAGE) && info.iImage >= 0 && ListImageSize(images, iconWidth, iconHeight)) {
            DrawListImage(target, images, info.iImage, textRect.left,
                          textRect.top + (textRect.bottom - textRect.top - iconHeight) / 2);
            textRect.left += iconWidth + 3;
        }
        std::wstring caption = AnsiToWide(text);
        DrawSkinText(target, caption, textRect, align | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    if (right < width)
        DrawCellOf(target, RECT{right, 0, width, height}, *bar, cells, 1, bar->Tile == 1, bar->Trans == 1);
    buffer.CopyTo(dc, rect.left, rect.top);
}

// ---- TSkinScrollbarH

TSkinScrollbarH::TSkinScrollbarH(TComponent* owner) : TSkinControl(owner) {}

TSkinScrollbarH::~TSkinScrollbarH() {
    bars_.Free();
}

void TSkinScrollbarH::Notification(TComponent* component, TOperation operation) {
    TSkinControl::Notification(component, operation);
    if (operation == opRemove)
        bars_.Forget(component);
}

void TSkinScrollbarH::AttachWindow(HWND window, TSkinData* skin, TWinSkinForm* frame, TCanvas* canvas) {
    if (attached_)
        return;
    TSkinControl::AttachWindow(window, skin, frame, canvas);
    if (!attached_)
        return;
    bars_.Create(this, nullptr, window);
}

void TSkinScrollbarH::DoRestore() {
    TSkinControl::DoRestore();
    if (state_ != asDestroyed)
        bars_.Remove(handle_);
}

void TSkinScrollbarH::AfterMessage(TMessage& message) {
    if (handle_ && !IsWindowVisible(handle_))
        bars_.Hide();
    switch (message.Msg) {
    case WM_SIZE:
    case WM_NCPAINT:
        bars_.Update(handle_);
        bars_.RefreshOrHide();
        break;
    case WM_WINDOWPOSCHANGED:
        bars_.Update(handle_);
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        bars_.ShowScrollPart(message);
        break;
    default:
        TSkinControl::AfterMessage(message);
        break;
    }
}

void TSkinScrollbarH::SkinChanged() {
    if (bars_.FollowSkin(handle_, skin_) && handle_)
        RedrawWindow(handle_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    TSkinControl::SkinChanged();
}

void TSkinScrollbarH::Paint(HDC dc, const RECT&) {
    bars_.RefreshOrHide();
    bars_.FillCorner(dc, handle_, skin_);
}

// ---- TSkinScControl

TSkinScControl::TSkinScControl(TComponent* owner) : TSkinControl(owner) {}

TSkinScControl::~TSkinScControl() {
    FreeBar();
}

void TSkinScControl::Notification(TComponent* component, TOperation operation) {
    TSkinControl::Notification(component, operation);
    if (operation == opRemove && component == bar_)
        bar_ = nullptr;
}

void TSkinScControl::AttachScControl(TWinControl* control, TSkinData* skin, TWinSkinForm* frame,
                                     TCanvas* canvas) {
    if (attached_ || !control || control != Owner() || control->IsDestroying())
        return;
    control->HandleNeeded();
    TSkinControl::AttachControl(frame, skin, false, canvas);
    if (!attached_)
        return;
    bar_ = new TWScrollbar(this);
    bar_->SetHint(control->Hint());
    bar_->SetShowHint(control->ShowHint());
    bar_->SetTarget(this, control, handle_, wkControl);
    bar_->SetEnabled(control->Enabled());
    if (!control->Visible())
        bar_->HideBar();
}

void TSkinScControl::FreeBar() {
    TWScrollbar* gone = bar_;
    bar_ = nullptr;
    if (gone)
        TComponent::Free(gone);
}

void TSkinScControl::DoRestore() {
    TSkinControl::DoRestore();
    if (state_ != asDestroyed && control_ && !control_->IsDestroying()) {
        FreeBar();
        if (handle_ && IsWindow(handle_))
            InvalidateRect(handle_, nullptr, TRUE);
    }
}

void TSkinScControl::WindowRecreated() {
    if (!bar_)
        return;
    bar_->SetTarget(this, control_, handle_, wkControl);
    if (control_) {
        bar_->SetEnabled(control_->Enabled());
        if (!control_->Visible())
            bar_->HideBar();
    }
}

bool TSkinScControl::BeforeMessage(TMessage& message) {
    if (!TSkinControl::BeforeMessage(message))
        return false;
    // Under its overlay the native bar would paint only to be covered (themed, that is most of
    // the cost of a repaint); its update area is taken without drawing.
    switch (message.Msg) {
    case WM_ERASEBKGND:
        if (!bar_ || !bar_->CoversNativeBar())
            return true;
        message.Result = 1;
        return false;
    case WM_PAINT:
        if (message.WParam || !bar_ || !bar_->CoversNativeBar())
            return true;
        {
            PAINTSTRUCT paint{};
            if (BeginPaint(handle_, &paint))
                EndPaint(handle_, &paint);
        }
        message.Result = 0;
        return false;
    default:
        return true;
    }
}

void TSkinScControl::AfterMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_WINDOWPOSCHANGED:
        if (bar_)
            bar_->UpdateBar(handle_);
        break;
    case WM_NCPAINT:
        if (auto* windowed = dynamic_cast<TWinControl*>(control_); windowed && windowed->WindowHandle())
            handle_ = windowed->WindowHandle();
        if (bar_)
            bar_->UpdateBar(handle_);
        break;
    case SBM_SETSCROLLINFO:
    case CN_HSCROLL:
    case CN_VSCROLL:
        if (bar_)
            bar_->Refresh();
        break;
    case CM_VISIBLECHANGED:
        if (bar_) {
            if (control_ && control_->Visible())
                bar_->UpdateBar(handle_);
            else
                bar_->HideBar();
        }
        break;
    case CM_ENABLEDCHANGED:
        if (bar_ && control_)
            bar_->SetEnabled(control_->Enabled());
        if (bar_)
            bar_->Refresh();
        break;
    default:
        TSkinControl::AfterMessage(message);
        break;
    }
}

void TSkinScControl::SkinChanged() {
    // The control paints itself again in the base's repaint when its overlay went away.
    FollowSkin(bar_, handle_, skin_);
    TSkinControl::SkinChanged();
}

void TSkinScControl::Paint(HDC, const RECT&) {
    if (bar_)
        bar_->RefreshOrHide();
}

// ---- TComboxScrollBar

TComboxScrollBar::TComboxScrollBar(TComponent* owner) : TSkinControl(owner) {}

bool TComboxScrollBar::BeforeMessage(TMessage& message) {
    if (!TSkinControl::BeforeMessage(message))
        return false;
    if (!skin_ || !HasImage(skin_->Slot(ssScrollbar)))
        return true;
    switch (message.Msg) {
    case WM_NCPAINT: {
        const TAliveToken alive = AliveToken();
        PassOn(message);
        if (alive)
            PaintBars();
        return false;
    }
    case WM_NCMOUSEMOVE:
        // No hot tracking of the native bar under ours.
        return message.WParam != HTHSCROLL && message.WParam != HTVSCROLL;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: {
        if (message.WParam != HTVSCROLL && message.WParam != HTHSCROLL)
            return true;
        const POINT screen{static_cast<short>(LOWORD(message.LParam)),
                           static_cast<short>(HIWORD(message.LParam))};
        if (message.WParam == HTVSCROLL && DragThumb(screen)) {
            message.Result = 0;
            return false;
        }
        // An arrow or the track: the native bar tracks and repeats; ours shows the press.
        const TAliveToken alive = AliveToken();
        TNativeScrollBar info;
        const int bar = message.WParam == HTVSCROLL ? SB_VERT : SB_HORZ;
        if (ReadNativeScrollBar(handle_, bar, info)) {
            const int c = bar == SB_VERT ? screen.y - info.Bar.top : screen.x - info.Bar.left;
            const int length =
                bar == SB_VERT ? info.Bar.bottom - info.Bar.top : info.Bar.right - info.Bar.left;
            hotPart_ = ScrollHitPart(c, ScrollArrowSize(), info.ThumbStart, info.ThumbEnd, length);
        }
        pressed_ = true;
        PaintBars();
        PassOn(message);
        if (!alive)
            return false;
        pressed_ = false;
        hotPart_ = spNone;
        PaintBars();
        return false;
    }
    default:
        return true;
    }
}

void TComboxScrollBar::AfterMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (pressed_ || dragging_)
            hotPart_ = LOWORD(message.WParam);
        PaintBars();
        break;
    case LBCB_CARETON:
        PaintBars();
        break;
    default:
        TSkinControl::AfterMessage(message);
        break;
    }
}

void TComboxScrollBar::PaintBars() {
    if (!handle_ || !IsWindow(handle_) || !skin_)
        return;
    TWindowDC dc(handle_, TWindowDC::Area::Window);
    if (!dc.Get())
        return;
    PaintBar(dc.Get(), SB_VERT);
    PaintBar(dc.Get(), SB_HORZ);
}

void TComboxScrollBar::PaintBar(HDC dc, int bar) {
    TNativeScrollBar info;
    if (!ReadNativeScrollBar(handle_, bar, info) || info.Invisible)
        return;
    RECT window{};
    GetWindowRect(handle_, &window);
    TScrollBarFacts facts;
    facts.Vertical = bar == SB_VERT;
    facts.Width = info.Bar.right - info.Bar.left;
    facts.Height = info.Bar.bottom - info.Bar.top;
    facts.ArrowSize = ScrollArrowSize();
    facts.Enabled = !info.Unavailable;
    facts.HotPart = bar == SB_VERT || !dragging_ ? hotPart_ : spNone;
    facts.Pressed = pressed_ || dragging_;
    facts.ThumbStart = info.ThumbStart;
    facts.ThumbEnd = info.ThumbEnd;
    PaintSkinScrollBar(dc, info.Bar.left - window.left, info.Bar.top - window.top, *skin_, facts);
}

bool TComboxScrollBar::DragThumb(POINT screen) {
    TNativeScrollBar info;
    if (!ReadNativeScrollBar(handle_, SB_VERT, info) || info.Unavailable)
        return false;
    const int arrow = ScrollArrowSize();
    const int along = screen.y - info.Bar.top;
    if (along < info.ThumbStart || along >= info.ThumbEnd)
        return false;
    SCROLLINFO scroll{};
    scroll.cbSize = sizeof scroll;
    scroll.fMask = SIF_ALL;
    if (!GetScrollInfo(handle_, SB_VERT, &scroll))
        return false;
    const int length = info.Bar.bottom - info.Bar.top;
    const int start = info.ThumbStart - arrow;
    const int track = length - 2 * arrow - (info.ThumbEnd - info.ThumbStart);
    const int page = static_cast<int>(scroll.nPage);
    int position = scroll.nPos;
    lastDragPosition_ = position;

    const TAliveToken alive = AliveToken();
    HWND window = handle_;
    SetCapture(window);
    dragging_ = true;
    hotPart_ = spThumb;
    PaintBars();
    MSG msg{};
    bool done = false;
    while (!done) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (GetCapture() != window || !IsWindow(window))
                break;
            WaitMessage();
            continue;
        }
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        const bool clientMove = msg.message == WM_MOUSEMOVE && msg.hwnd == window;
        const bool frameMove = msg.message == WM_NCMOUSEMOVE && msg.hwnd == window;
        const bool release =
            (msg.message == WM_LBUTTONUP || msg.message == WM_NCLBUTTONUP) && msg.hwnd == window;
        if (clientMove || frameMove || release) {
            POINT point{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
            if (msg.message == WM_MOUSEMOVE || msg.message == WM_LBUTTONUP)
                ClientToScreen(window, &point);
            if (!release) {
                const int next =
                    ComboDragPosition(start, point.y - screen.y, track, scroll.nMin, scroll.nMax, page);
                if (next != position) {
                    position = next;
                    lastDragPosition_ = position;
                    SendMessageA(window, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, position & 0xFFFF), 0);
                    if (!alive || !IsWindow(window))
                        return true;
                }
                continue;
            }
            SendMessageA(window, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position & 0xFFFF), 0);
            if (IsWindow(window))
                PostMessageA(window, WM_VSCROLL, SB_ENDSCROLL, 0);
            done = true;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (!alive || !IsWindow(window))
            return true;
        if (GetCapture() != window)
            break;
    }
    if (GetCapture() == window)
        ReleaseCapture();
    if (!alive)
        return true;
    dragging_ = false;
    hotPart_ = spNone;
    PaintBars();
    return true;
}

// ---- The frame: a scroll-bar control's window was made anew

void TWinSkinForm::ReplaceScrollAdapter(HWND window) {
    if (!window)
        return;
    for (auto it = adapters_.rbegin(); it != adapters_.rend(); ++it) {
        auto* old = dynamic_cast<TSkinScrollbar*>(*it);
        if (!old || old->Handle() != window)
            continue;
        auto* control = dynamic_cast<TWinControl*>(old->Control());
        const bool listView = dynamic_cast<TSkinListView*>(old) != nullptr;
        TComponent::Free(old);
        if (!control || control->IsDestroying())
            return;
        TSkinScrollbar* fresh = listView ? new TSkinListView(control) : new TSkinScrollbar(control);
        fresh->AttachScrollbar(control, skin_, this, AdapterCanvas());
        return;
    }
}
