// The drawing side of the skinned frame: borders, caption, title and caption buttons, and the
// window outline cut from the border images.
#include "WinSkinForm.h"

#include "Bitmap.h"
#include "ImgUtil.h"
#include "SysUtils.h"
#include "ToolBar.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinFormMenuBar.h"
#include "WinSubClass.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {
enum { pieceLeft = 1, pieceRight = 2, pieceTop = 3, pieceBottom = 4 };

const TDataSkinBorder& PieceElement(const TSkinData& skin, int piece) {
    switch (piece) {
    case pieceLeft:
        return skin.FrameLeft();
    case pieceRight:
        return skin.FrameRight();
    case pieceTop:
        return skin.FrameTop();
    default:
        return skin.FrameBottom();
    }
}

// One frame piece rendered at the size of its rectangle: state cells stacked for the top and
// bottom pieces, side by side for the sides; the fixed edges are the element's margins along
// the piece; the centre is tiled unless the element says stretched.
void RenderPiece(HDC dc, const RECT& dest, const TDataSkinBorder& element, int piece, bool active) {
    if (element.Bitmap.Empty() || dest.right <= dest.left || dest.bottom <= dest.top)
        return;
    const int cell = (active || element.Frame <= 1) ? 1 : 2;
    const bool across = piece == pieceTop || piece == pieceBottom;
    const RECT margins = across ? RECT{element.LeftWidth, 0, element.RightWidth, 0}
                                : RECT{0, element.TopHeight, 0, element.BottomHeight};
    DrawNineSlice(dc, dest, element.Bitmap, CellRect(element, cell, across), margins, element.Tile != 1,
                  false);
}

// A 32-bit top-down image of the piece, for the region scan.
std::vector<std::uint32_t> RenderPiecePixels(const TDataSkinBorder& element, int piece, bool active,
                                             int width, int height) {
    TBitmap bitmap(width, height, pf32bit);
    FillBitmap(bitmap, clFuchsia);
    RenderPiece(bitmap.MemoryDC(), RECT{0, 0, width, height}, element, piece, active);
    GdiFlush();
    std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        const auto* row = static_cast<const std::uint32_t*>(bitmap.ScanLine(y));
        std::copy(row, row + width, pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
    }
    return pixels;
}

// The runs as one region, handed to the system in blocks.
TOwnedRegion RegionFromRuns(const std::vector<TRegionRun>& runs) {
    TOwnedRegion result(CreateRectRgn(0, 0, 0, 0));
    for (size_t start = 0; start < runs.size(); start += RegionBlockSize) {
        const size_t count = std::min<size_t>(RegionBlockSize, runs.size() - start);
        std::vector<std::uint8_t> buffer(sizeof(RGNDATAHEADER) + count * sizeof(RECT));
        auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
        data->rdh.dwSize = sizeof(RGNDATAHEADER);
        data->rdh.iType = RDH_RECTANGLES;
        data->rdh.nCount = static_cast<DWORD>(count);
        data->rdh.nRgnSize = static_cast<DWORD>(count * sizeof(RECT));
        RECT bounds{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
        auto* rects = reinterpret_cast<RECT*>(data->Buffer);
        for (size_t i = 0; i < count; ++i) {
            const TRegionRun& run = runs[start + i];
            rects[i] = RECT{run.Left, run.Top, run.Right, run.Bottom};
            bounds.left = std::min<LONG>(bounds.left, run.Left);
            bounds.top = std::min<LONG>(bounds.top, run.Top);
            bounds.right = std::max<LONG>(bounds.right, run.Right);
            bounds.bottom = std::max<LONG>(bounds.bottom, run.Bottom);
        }
        data->rdh.rcBound = bounds;
        const TOwnedRegion block(ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data));
        if (block.Get())
            CombineRgn(result.Get(), result.Get(), block.Get(), RGN_OR);
    }
    return result;
}
} // namespace

void TWinSkinForm::PaintPiece(HDC dc, int piece, const RECT& rect) {
    RenderPiece(dc, rect, PieceElement(*skin_, piece), piece, active_);
}

std::wstring TWinSkinForm::WindowText() const {
    return WindowTextOf(handle_);
}

std::wstring TWinSkinForm::TitleText() const {
    return titlePrefix_ + WindowText() + titleSuffix_;
}

void TWinSkinForm::PaintTitle(HDC dc, const RECT& captionRect) {
    const TDataSkinTitle& title = skin_->Title();
    const std::wstring text = TitleText();
    TSelectGuard font(dc, skin_->CaptionFont());
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const TColor colour = skin_->Colour(active_ ? scTitleTextActive : scTitleTextNoActive);
    SetTextColor(dc, ColorToRGB(colour));
    const TFrameRect& placed = captionLayout_.Title;
    RECT t{placed.Left, placed.Top, placed.Right, placed.Bottom};
    const TBitmap& back = title.TextBack();
    if (!back.Empty() && t.right > t.left) {
        // The back image: a three-part strip of two stacked cells.
        const int cellHeight = back.Height() / 2;
        const int cell = active_ ? 1 : 2;
        const int width = t.right - t.left, height = captionRect.bottom - captionRect.top;
        if (cellHeight > 0 && height > 0) {
            TBitmap strip(width, height);
            FillBitmap(strip, clFuchsia);
            HDC stripDC = strip.MemoryDC();
            const int oldStretch = SetStretchBltMode(stripDC, COLORONCOLOR);
            for (const TStripPart& part : ThreePartStrip(back.Width(), cellHeight, width, height,
                                                         title.TextBackLeft, title.TextBackRight))
                StretchBlt(stripDC, part.Dest.Left, part.Dest.Top, part.Dest.Width(), part.Dest.Height(),
                           back.MemoryDC(), part.Source.Left, cellHeight * (cell - 1) + part.Source.Top,
                           part.Source.Width(), part.Source.Height(), SRCCOPY);
            SetStretchBltMode(stripDC, oldStretch);
            strip.SetTransparent(true);
            strip.SetTransparentColor(clFuchsia);
            strip.Draw(dc, t.left, captionRect.top);
        }
    }
    t.left += title.TextBackLeft;
    t.right -= title.TextBackRight;
    const UINT format = rightToLeft_
                            ? (DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_RTLREADING)
                            : (DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (t.right > t.left)
        DrawSkinText(dc, text, t, format);
    SetBkMode(dc, oldMode);
}

void TWinSkinForm::EvaluateCaptionButtons() {
    const TCaptionFacts facts = CaptionFacts();
    const HWND self = handle_;
    TButtonVisibleQuery query = [self](int code, int action) {
        return static_cast<int>(SendMessageA(self, SKM_BUTTONVISIBLE, static_cast<WPARAM>(code), action));
    };
    for (const auto& button : captionButtons_) {
        const TCaptionButtonState state = EvaluateCaptionButton(button->Info(), facts, query);
        button->Visible = state.Visible;
        button->Enabled = state.Enabled;
    }
}

void TWinSkinForm::LayOutCaption(HDC dc, int windowWidth, bool minimized) {
    EvaluateCaptionButtons();
    TCaptionLayoutInput input;
    input.WindowWidth = windowWidth;
    input.Minimized = minimized;
    input.Widths = widths_;
    {
        const TFrameRect piece = CaptionPieceRect(windowWidth, minimized, widths_);
        RECT measured{piece.Left, piece.Top, piece.Right, piece.Bottom};
        TSelectGuard font(dc, skin_->CaptionFont());
        DrawSkinText(dc, TitleText(), measured, DT_CALCRECT | DT_NOCLIP | DT_NOPREFIX);
        input.TitleWidth = measured.right - measured.left;
        input.TitleHeight = measured.bottom - measured.top;
    }
    const TDataSkinTitle& title = skin_->Title();
    input.Title.TextShift = title.TextShift();
    input.Title.TextShiftVert = title.TextShiftVert();
    input.Title.TextRightClip = title.TextRightClip();
    input.Title.TextAlignment = title.TextAlignment;
    input.Title.TextBackLeft = title.TextBackLeft;
    input.Title.TextBackRight = title.TextBackRight;
    input.RightToLeft = rightToLeft_;
    input.Popup = (style_ & WS_POPUP) != 0;
    input.BorderKind = borderKind_;
    const TDataSkinObject* menuBar = skin_->Slot(ssMenuBar);
    input.MenuBarLeftWidth = menuBar ? menuBar->LeftWidth : 0;
    input.Buttons.reserve(captionButtons_.size());
    for (const auto& button : captionButtons_)
        input.Buttons.push_back(TCaptionButtonSlot{button->Info(), button->Visible});
    captionLayout_ = CaptionLayout(input);
    for (size_t i = 0; i < captionButtons_.size(); ++i)
        if (captionLayout_.Buttons[i].Placed)
            captionButtons_[i]->BoundsRect = captionLayout_.Buttons[i].Bounds;
}

void TWinSkinForm::RefreshCaptionLayout() {
    if (!skin_ || !skin_->ElementsLoaded() || !skinFrame_ || borderKind_ == bkNone)
        return;
    RECT window{};
    GetWindowRect(handle_, &window);
    TWindowDC dc(handle_, TWindowDC::Area::Window);
    if (dc.Get())
        LayOutCaption(dc.Get(), window.right - window.left, IsIconic(handle_) != FALSE);
}

void TWinSkinForm::PaintCaptionButtons(HDC dc) {
    for (const auto& button : captionButtons_) {
        if (!button->Visible || button->Element().Bitmap.Empty() || button->Element().Visibility == 100)
            continue;
        const int cell = (button->Element().Frame >= 4 && (!active_ || !button->Enabled)) ? 4 : 1;
        button->PaintCell(dc, cell);
    }
}

void TWinSkinForm::PaintCaption(HDC dc, bool minimized) {
    const int width = std::max(1, static_cast<int>(windowRect_.right - windowRect_.left));
    const int height = minimized ? std::max(1, static_cast<int>(windowRect_.bottom - windowRect_.top))
                                 : std::max(1, widths_.Caption);
    TBitmap caption(width, height);
    HDC buffer = caption.MemoryDC();
    LayOutCaption(buffer, windowRect_.right - windowRect_.left, minimized);
    const TFrameRect& placed = captionLayout_.Caption;
    const RECT piece{placed.Left, placed.Top, placed.Right, placed.Bottom};
    if (minimized) {
        RECT all{0, 0, width, height};
        FillRect(buffer, &all, skin_->ButtonFaceBrush());
    } else {
        // The corners the side pieces drew stay.
        BitBlt(buffer, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    }
    PaintPiece(buffer, pieceTop, piece);
    PaintTitle(buffer, piece);
    PaintCaptionButtons(buffer);
    GdiFlush();
    BitBlt(dc, 0, 0, width, height, buffer, 0, 0, SRCCOPY);
    SetBkMode(dc, OPAQUE);
}

void TWinSkinForm::PaintNonClient(HDC dc) noexcept {
    if (!skin_ || !skin_->ElementsLoaded() || !skinFrame_ || borderKind_ == bkNone)
        return;
    if (frameState_ != fsRunning && frameState_ != fsReskinning)
        return;
    // The window's own DC unless one is given.
    std::optional<TWindowDC> own;
    if (!dc)
        own.emplace(handle_, TWindowDC::Area::Window);
    const HDC windowDC = own ? own->Get() : dc;
    if (!windowDC)
        return;
    try {
        GetWindowRect(handle_, &windowRect_);
        const int w = windowRect_.right - windowRect_.left, h = windowRect_.bottom - windowRect_.top;
        if (IsIconic(handle_)) {
            PaintCaption(windowDC, true);
        } else if (w > 0 && h > 0) {
            const TFrameLayout layout = FrameLayout(widths_, w, h);
            auto toRect = [](const TFrameRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; };
            PaintPiece(windowDC, pieceLeft, toRect(layout.LeftBorder));
            PaintPiece(windowDC, pieceRight, toRect(layout.RightBorder));
            PaintPiece(windowDC, pieceBottom, toRect(layout.BottomBorder));
            PaintCaption(windowDC, false);
            if (widths_.Menu > 0) {
                const RECT strip = toRect(layout.MenuStrip);
                if (skinMenuBar_)
                    skinMenuBar_->Paint(windowDC, strip);
                else
                    FillRect(windowDC, &strip, skin_->ButtonFaceBrush());
            }
        }
    } catch (...) {
        // A frame that cannot be drawn now (no memory for a bitmap) is drawn next time.
        TraceSwallowed("TWinSkinForm::PaintNonClient");
    }
    if (IsWindowVisible(handle_))
        framePainted_ = true;
    hotObject_ = nullptr;
}

TOwnedRegion TWinSkinForm::BuildRegion(int w, int h) {
    const TDataSkinBorder* pieces[] = {&skin_->FrameLeft(), &skin_->FrameRight(), &skin_->FrameTop(),
                                       &skin_->FrameBottom()};
    const bool anyTrans =
        std::any_of(std::begin(pieces), std::end(pieces), [](auto* p) { return p->Trans == 1; });
    if (!anyTrans)
        return TOwnedRegion(CreateRectRgn(0, 0, w, h));
    const TFrameLayout layout = FrameLayout(widths_, w, h);
    // The inner part holds the menu strip as well as the client area.
    TOwnedRegion inner(
        CreateRectRgn(layout.Client.Left, layout.MenuStrip.Top, layout.Client.Right, layout.Client.Bottom));
    if (borderKind_ == bkNone)
        return inner;
    auto pieceRegion = [&](int piece, const TFrameRect& r, bool scan) {
        const TDataSkinBorder& element = PieceElement(*skin_, piece);
        if (r.Width() <= 0 || r.Height() <= 0)
            return TOwnedRegion(CreateRectRgn(0, 0, 0, 0));
        if (element.Trans != 1 || !scan)
            return TOwnedRegion(CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom));
        const std::vector<std::uint32_t> pixels =
            RenderPiecePixels(element, piece, active_, r.Width(), r.Height());
        return RegionFromRuns(
            ScanOpaqueRuns(pixels.data(), r.Width(), r.Height(), r.Width(), 0xFF00FF, 1, r.Left, r.Top));
    };
    const TOwnedRegion left = pieceRegion(pieceLeft, layout.LeftBorder, h > 1);
    const TOwnedRegion right = pieceRegion(pieceRight, layout.RightBorder, h > 1);
    const TOwnedRegion bottom = pieceRegion(pieceBottom, layout.BottomBorder, widths_.Bottom >= 2);
    const TOwnedRegion top = pieceRegion(pieceTop, layout.Caption, widths_.Caption > 1);
    CombineRgn(left.Get(), left.Get(), right.Get(), RGN_OR);
    CombineRgn(bottom.Get(), bottom.Get(), top.Get(), RGN_OR);
    CombineRgn(left.Get(), left.Get(), bottom.Get(), RGN_OR);
    CombineRgn(inner.Get(), inner.Get(), left.Get(), RGN_OR);
    return inner;
}

void TWinSkinForm::UpdateRegion(bool redraw) noexcept {
    if (frameState_ == fsDestroyed || !skinFrame_ || !skin_ || !skin_->ElementsLoaded())
        return;
    RECT window{};
    GetWindowRect(handle_, &window);
    const int w = window.right - window.left, h = window.bottom - window.top;
    if (w <= 0 || h <= 0)
        return;
    // A maximized or minimized MDI child keeps the region it had.
    if (formKind_ == fkMDIChild && windowState_ != wsNormal)
        return;
    // An MDI child's region is made anew on every call: its MDI client also shapes it (tiling,
    // cascading, a maximized sibling) without changing its size.
    if (w == regionWidth_ && h == regionHeight_ && formKind_ != fkMDIChild && frameState_ != fsReskinning)
        return;
    try {
        TOwnedRegion region = BuildRegion(w, h);
        regionWidth_ = w;
        regionHeight_ = h;
        // The system owns the region from here on; the frame keeps its handle only to know it.
        if (SetWindowRgn(handle_, region.Get(), redraw))
            region_ = region.Release();
    } catch (...) {
        // Without a new region the window keeps its outline until the next size change.
        TraceSwallowed("TWinSkinForm::UpdateRegion");
    }
}

void TWinSkinForm::RemoveRegion() {
    if (!region_)
        return;
    SetWindowRgn(handle_, nullptr, (exStyle_ & WS_EX_MDICHILD) != 0);
    region_ = nullptr;
    regionWidth_ = regionHeight_ = -1;
}

// ---- Tool-bar painters

static_assert(cdsSelected == CDIS_SELECTED && cdsGrayed == CDIS_GRAYED && cdsDisabled == CDIS_DISABLED &&
              cdsChecked == CDIS_CHECKED && cdsFocus == CDIS_FOCUS && cdsDefault == CDIS_DEFAULT &&
              cdsHot == CDIS_HOT);

void TWinSkinForm::PaintToolbarBackground(TToolBar* sender, const RECT& rect, bool&) {
    try {
        if (!sender || !skin_ || skin_->HasOption(xoToolbarBK))
            return;
        const TDataSkinObject* toolbar = skin_->Slot(ssToolbar);
        if (!toolbar || toolbar->Bitmap.Empty())
            return;
        HDC dc = sender->Canvas().Handle();
        const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   toolbar->Bitmap.MemoryDC(), 0, 0, toolbar->Bitmap.Width(), toolbar->Bitmap.Height(),
                   SRCCOPY);
        SetStretchBltMode(dc, oldMode);
    } catch (...) {
        TraceSwallowed("TWinSkinForm::PaintToolbarBackground");
    }
}

void TWinSkinForm::PaintToolbarButton(TToolBar* sender, int button, UINT state, TToolButtonDraw& draw) {
    try {
        if (!sender || !skin_ || frameState_ != fsRunning || skin_->HasOption(xoToolbarButton))
            return;
        const TDataSkinButton& element = skin_->Buttons();
        const int cell = ToolbarButtonCell(state);
        if (element.Bitmap.Empty() || cell == 0)
            return;
        TFont& font = sender->Canvas().Font();
        if (cell == 1 && element.HasNormalColour2)
            font.SetColor(element.NormalColour2);
        else if (cell == 4 && element.HasMouseOverColour2)
            font.SetColor(element.MouseOverColour2);
        else if (cell == 2 && element.HasPressedColour2)
            font.SetColor(element.PressedColour2);
        RECT bounds = sender->ButtonRect(button);
        InflateRect(&bounds, -1, -1);
        DrawCellOf(sender->Canvas().Handle(), bounds, element, 5, cell, false, element.Trans == 1);
        // The cell is the button's face and edge: the control's own would cover it.
        draw.Edges = false;
        draw.Background = false;
    } catch (...) {
        TraceSwallowed("TWinSkinForm::PaintToolbarButton");
    }
}
