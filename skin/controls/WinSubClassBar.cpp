#include "WinSubClassBar.h"

#include "Bitmap.h"
#include "Handles.h"
#include "ImgUtil.h"
#include "WinControl.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSubClassBarGeometry.h"
#include "WinSubClassGeometry.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

RECT ToRect(const TFrameRect& r) {
    return RECT{r.Left, r.Top, r.Right, r.Bottom};
}

void FillColour(HDC dc, const RECT& rect, TColor colour) {
    TOwnedBrush brush(CreateSolidBrush(ColorToRGB(colour)));
    FillRect(dc, &rect, brush.Get());
}

std::wstring StatusText(HWND window, int part, WORD& flags) {
    const LRESULT info = SendMessageW(window, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0);
    flags = HIWORD(info);
    const size_t length = LOWORD(info);
    if (flags & SBT_OWNERDRAW)
        return {};
    std::wstring text(length + 1, L'\0');
    SendMessageW(window, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcsnlen(text.c_str(), length));
    return text;
}

// The skin's Progress element when it can draw the whole bar: its image holds its cells (an
// image too narrow for them is as good as none), and a chunked bar has its chunk image too.
// Without one the bar paints itself.
const TDataSkinObject* UsableProgress(const TSkinData* skin) {
    const TDataSkinObject* progress = skin ? skin->Slot(ssProgress) : nullptr;
    if (!progress || progress->Bitmap.Empty() ||
        StripCellWidth(progress->Bitmap.Width(), progress->Frame) <= 0)
        return nullptr;
    if (progress->Style == 1) {
        const TDataSkinObject* chunk = skin->Slot(ssProgressChunk);
        if (!chunk || chunk->Bitmap.Empty())
            return nullptr;
    }
    return progress;
}

// The shared buffer of every status bar (one bar paints at a time).
TBitmap& StatusBuffer() {
    static TBitmap buffer;
    return buffer;
}

} // namespace

// ---- TSkinProgress

bool TSkinProgress::BeforeMessage(TMessage& message) {
    if (!UsableProgress(skin_))
        return TSkinControl::BeforeMessage(message);
    switch (message.Msg) {
    case WM_PAINT:
        FullPaint(message);
        message.Result = 0;
        return false;
    case WM_ERASEBKGND:
        message.Result = 1;
        return false;
    default:
        return TSkinControl::BeforeMessage(message);
    }
}

void TSkinProgress::Paint(HDC dc, const RECT& rect) {
    const TDataSkinObject* progress = UsableProgress(skin_);
    if (!dc || !progress)
        return;
    const bool chunks = progress->Style == 1;
    const TDataSkinObject* chunk = skin_->Slot(ssProgressChunk);
    const bool vertical = (GetWindowLongA(handle_, GWL_STYLE) & PBS_VERTICAL) != 0;
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return;
    if (vertical)
        std::swap(width, height);
    TBitmap buffer(width, height);
    HDC target = buffer.MemoryDC();
    const RECT all{0, 0, width, height};
    FillButtonFace(target, all, *skin_);
    const int position = static_cast<int>(SendMessageA(handle_, PBM_GETPOS, 0, 0));
    const int upper = static_cast<int>(SendMessageA(handle_, PBM_GETRANGE, FALSE, 0));
    if (!chunks) {
        DrawCellOf(target, all, *progress, 2, 1, progress->Tile == 1, true);
        const int lower = static_cast<int>(SendMessageA(handle_, PBM_GETRANGE, TRUE, 0));
        const int filled = ProgressFillWidth(width, position, lower, upper);
        if (filled > 0)
            DrawCellOf(target, RECT{0, 0, filled, height}, *progress, 2, 2, progress->Tile == 1, true);
    } else {
        DrawCellOf(target, all, *progress, 1, 1, false, true);
        const int filled = ProgressChunkFillWidth(width, position, upper);
        if (filled > 0) {
            const TBitmap& image = chunk->Bitmap;
            if (chunk->Tile == 1) {
                const int y = CentreOffset(height, image.Height());
                const int x = chunk->LeftWidth + 2;
                TSaveDCGuard saved(target);
                IntersectClipRect(target, x, 0, std::min(x + filled, width), height);
                for (int at = 0; at < filled; at += std::max(image.Width(), 1))
                    BitBlt(target, x + at, y, image.Width(), image.Height(), image.MemoryDC(), 0, 0, SRCCOPY);
            } else {
                DrawCellOf(target, RECT{2, 2, 2 + filled, height - 2}, *chunk, 1, 1, false,
                           chunk->Trans == 1);
            }
        }
    }
    if (vertical)
        RotateCounterClockwise(buffer);
    BitBlt(dc, rect.left, rect.top, buffer.Width(), buffer.Height(), buffer.MemoryDC(), 0, 0, SRCCOPY);
}

// ---- TSkinStatusBar

bool TSkinStatusBar::BeforeMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_PAINT:
        FullPaint(message);
        return false;
    case WM_ERASEBKGND:
        message.Result = 1;
        return false;
    default:
        return TSkinControl::BeforeMessage(message);
    }
}

void TSkinStatusBar::DrawEdge(HDC dc, const RECT& rect, int cell) const {
    const TDataSkinObject* edges = skin_->Slot(ssStatusBarEdges);
    if (edges && !edges->Bitmap.Empty()) {
        DrawCellOf(dc, rect, *edges, 3, cell, edges->Tile == 1, edges->Trans == 1);
        return;
    }
    if (cell == 3)
        return;
    const bool raised = cell == 2;
    RECT frame = rect;
    ::DrawEdge(dc, &frame, raised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
}

void TSkinStatusBar::Paint(HDC dc, const RECT& rect) {
    if (!dc || !skin_)
        return;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return;
    TBitmap& buffer = StatusBuffer();
    if (buffer.Width() != width || buffer.Height() != height)
        buffer.SetSize(width, height);
    HDC target = buffer.MemoryDC();
    const RECT all{0, 0, width, height};
    FillButtonFace(target, all, *skin_);
    TSelectGuard font(target, PlainFont());
    const TDataSkinObject* edges = skin_->Slot(ssStatusBarEdges);
    SetTextColor(target, ColorToRGB(edges ? edges->NormalColour2 : skin_->Colour(scButtonText)));
    SetBkMode(target, TRANSPARENT);
    const bool rtl = RightToLeft();

    auto drawText = [&](std::wstring text, RECT area) {
        // Leading tabs centre (one) or right-align (two) a panel's text, as the control does.
        UINT align = rtl ? DT_RIGHT : DT_LEFT;
        size_t tabs = 0;
        while (tabs < text.size() && tabs < 2 && text[tabs] == L'\t')
            ++tabs;
        if (tabs == 1)
            align = DT_CENTER;
        else if (tabs == 2)
            align = rtl ? DT_LEFT : DT_RIGHT;
        text.erase(0, tabs);
        if (text.empty())
            text = L" ";
        area.left += 2;
        area.right -= 2;
        DrawSkinText(target, text, area,
                     align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | (rtl ? DT_RTLREADING : 0));
    };

    int parts[256] = {};
    const int count =
        static_cast<int>(SendMessageA(handle_, SB_GETPARTS, 256, reinterpret_cast<LPARAM>(parts)));
    const bool simple = SendMessageA(handle_, SB_ISSIMPLE, 0, 0) != 0 || count <= 0;
    // Owner-drawn panels, drawn by their owner once the bar is on the screen.
    std::vector<std::pair<int, RECT>> ownerDrawn;
    if (simple) {
        WORD flags = 0;
        DrawEdge(target, all, 1);
        drawText(StatusText(handle_, 0, flags), all);
    } else {
        for (int i = 0; i < std::min(count, 256); ++i) {
            RECT part{};
            if (!SendMessageA(handle_, SB_GETRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&part)))
                continue;
            part.left += 2;
            if (i == count - 1)
                part.right = width;
            WORD flags = 0;
            const std::wstring text = StatusText(handle_, i, flags);
            const int cell = StatusEdgeCell((flags & SBT_NOBORDERS) ? pbNone
                                            : (flags & SBT_POPOUT)  ? pbRaised
                                                                    : pbLowered);
            DrawEdge(target, part, cell);
            if (!(flags & SBT_OWNERDRAW))
                drawText(text, part);
            else
                ownerDrawn.emplace_back(i, part);
        }
    }
    const TDataSkinObject* extra = skin_->Slot(ssExtraImages);
    if ((GetWindowLongA(handle_, GWL_STYLE) & SBARS_SIZEGRIP) && extra && !extra->Bitmap.Empty()) {
        const int cells = std::max(extra->Frame, 1);
        const int cellWidth = StripCellWidth(extra->Bitmap.Width(), cells);
        if (cells >= 5 && cellWidth > 0) {
            const int gripHeight = extra->Bitmap.Height();
            const RECT grip{width - 1 - cellWidth, height - 1 - gripHeight, width - 1, height - 1};
            DrawStripCell(target, grip, extra->Bitmap, cells, 5);
        }
    }
    BitBlt(dc, rect.left, rect.top, width, height, target, 0, 0, SRCCOPY);
    // What lies on the bar: its non-windowed children, then the owner's panels.
    if (auto* windowed = dynamic_cast<TWinControl*>(control_)) {
        RECT client = windowed->ClientRect();
        windowed->PaintControls(dc, client);
    }
    for (auto [panel, part] : ownerDrawn) {
        InflateRect(&part, -2, -2);
        OffsetRect(&part, rect.left, rect.top);
        DrawOwnerPanel(dc, panel, part);
    }
}

HFONT TSkinStatusBar::PlainFont() {
    // A program's bar has its font in the control; a bare one answers for its own.
    HFONT source = control_ ? control_->Font().Handle() : nullptr;
    if (!source)
        source = WindowFont();
    LOGFONTW font{};
    if (!GetObjectW(source, sizeof font, &font))
        return source;
    font.lfWeight = FW_NORMAL;
    font.lfItalic = font.lfUnderline = font.lfStrikeOut = FALSE;
    if (!plainFont_ || std::memcmp(&font, &plainLog_, sizeof font) != 0) {
        plainFont_.Reset(CreateFontIndirectW(&font));
        plainLog_ = font;
    }
    return plainFont_ ? plainFont_.Get() : source;
}

void TSkinStatusBar::DrawOwnerPanel(HDC dc, int panel, const RECT& rect) const {
    HWND parent = GetParent(handle_);
    if (!parent)
        return;
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_STATIC;
    draw.CtlID = static_cast<UINT>(GetDlgCtrlID(handle_));
    draw.itemID = static_cast<UINT>(panel);
    draw.itemAction = ODA_DRAWENTIRE;
    draw.hwndItem = handle_;
    draw.hDC = dc;
    draw.rcItem = rect;
    // An owner-drawn part's text is the data its owner gave it.
    draw.itemData = static_cast<ULONG_PTR>(SendMessageA(handle_, SB_GETTEXTA, static_cast<WPARAM>(panel), 0));
    TSaveDCGuard saved(dc);
    SendMessageA(parent, WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
}

// ---- TSkinUpDown

bool TSkinUpDown::BeforeMessage(TMessage& message) {
    switch (message.Msg) {
    case WM_PAINT:
        FullPaint(message);
        return false;
    case WM_ERASEBKGND:
        if (!control_) {
            RECT client{};
            GetClientRect(handle_, &client);
            FillRect(reinterpret_cast<HDC>(message.WParam), &client,
                     static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        }
        message.Result = 1;
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const TAliveToken alive = AliveToken();
        PassOn(message);
        if (!alive)
            return false;
        mouseState_ |= msPressed;
        PaintFrame(nullptr);
        return false;
    }
    case WM_LBUTTONUP: {
        mouseState_ &= ~msPressed;
        const TAliveToken alive = AliveToken();
        PassOn(message);
        if (alive)
            PaintFrame(nullptr);
        return false;
    }
    default:
        return TSkinControl::BeforeMessage(message);
    }
}

void TSkinUpDown::AfterMessage(TMessage& message) {
    // The control's timer steps the value while a half is held: the face follows the mouse.
    if (message.Msg == WM_MOUSEMOVE || message.Msg == WM_CAPTURECHANGED) {
        if (message.Msg == WM_CAPTURECHANGED)
            mouseState_ &= ~msPressed;
        // Only a move onto the other half changes the picture.
        if (message.Msg == WM_MOUSEMOVE && HoverHalf() == paintedHover_)
            return;
        PaintFrame(nullptr);
        return;
    }
    TSkinControl::AfterMessage(message);
}

int TSkinUpDown::HoverHalf() const {
    RECT window{};
    if (!handle_ || !GetWindowRect(handle_, &window))
        return 0;
    OffsetRect(&window, -window.left, -window.top);
    return HoverHalf(window);
}

int TSkinUpDown::HoverHalf(const RECT& rect) const {
    const bool horizontal = horizontalHint_ || (GetWindowLongA(handle_, GWL_STYLE) & UDS_HORZ);
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(handle_, &cursor);
    return UpDownHalfAt(rect.right - rect.left, rect.bottom - rect.top, horizontal, cursor.x - rect.left,
                        cursor.y - rect.top);
}

void TSkinUpDown::Paint(HDC dc, const RECT& window) {
    if (!dc || !skin_)
        return;
    RECT rect = window;
    if (embedded_) {
        RECT client{};
        GetClientRect(handle_, &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        // The field's skinned border (three rings) runs over the edge of its client area.
        if (HWND parent = GetParent(handle_)) {
            RECT outer{};
            GetWindowRect(parent, &outer);
            MapWindowPoints(nullptr, handle_, reinterpret_cast<POINT*>(&outer), 2);
            rect.top = std::max<LONG>(rect.top, outer.top + 3);
            rect.bottom = std::min<LONG>(rect.bottom, outer.bottom - 3);
            rect.right = std::min<LONG>(rect.right, outer.right - 3);
        }
    }
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return;
    RefreshWindowState();
    const bool horizontal = horizontalHint_ || (GetWindowLongA(handle_, GWL_STYLE) & UDS_HORZ);
    const int hover = HoverHalf(rect);
    paintedHover_ = hover;
    const TUpDownHalves halves =
        UpDownHalves(width, height, horizontal, hover, (mouseState_ & msPressed) != 0, enabled_);

    TBitmap buffer(width, height);
    HDC target = buffer.MemoryDC();
    FillButtonFace(target, RECT{0, 0, width, height}, *skin_);
    const auto* element =
        static_cast<const TDataSkinBorder*>(skin_->Slot(horizontal ? ssUpDownHorz : ssUpDownVert));
    const RECT firstHalf = ToRect(halves.First), secondHalf = ToRect(halves.Second);
    // An image too narrow for its eight cells counts as none: the halves are drawn in lines.
    if (element && StripCellWidth(element->Bitmap.Width(), 8) > 0 && element->Bitmap.Height() > 0) {
        for (auto [half, cell] :
             {std::pair{firstHalf, halves.FirstCell}, std::pair{secondHalf, halves.SecondCell}}) {
            DrawCellOf(target, half, *element, 8, cell, element->Tile == 1, element->Trans == 1);
            const int glyphWidth = StripCellWidth(element->Bitmap2.Width(), 8);
            if (glyphWidth > 0) {
                const int gx = half.left + CentreOffset(half.right - half.left, glyphWidth);
                const int gy = half.top + CentreOffset(half.bottom - half.top, element->Bitmap2.Height());
                DrawStripCell(target, RECT{gx, gy, gx + glyphWidth, gy + element->Bitmap2.Height()},
                              element->Bitmap2, 8, cell);
            }
        }
    } else {
        // No images: outlined halves with arrows drawn in lines.
        int index = 0;
        for (auto [half, cell] :
             {std::pair{firstHalf, halves.FirstCell}, std::pair{secondHalf, halves.SecondCell}}) {
            const int state = (cell - 1) % 4 + 1;
            FillColour(target, half, skin_->Colour(state == 2 || state == 4 ? scButtonShadow : scButtonFace));
            TOwnedBrush outline(CreateSolidBrush(ColorToRGB(skin_->Colour(scButtonDkShadow))));
            FrameRect(target, &half, outline.Get());
            TOwnedPen pen(
                CreatePen(PS_SOLID, 1, ColorToRGB(enabled_ ? skin_->Colour(scButtonText) : clBtnShadow)));
            TSelectGuard selected(target, pen.Get());
            const int cx = (half.left + half.right) / 2, cy = (half.top + half.bottom) / 2;
            for (int step = 0; step < 3; ++step) {
                if (horizontal) {
                    const int x = index == 0 ? cx - 1 + step : cx + 1 - step;
                    MoveToEx(target, x, cy - step, nullptr);
                    LineTo(target, x, cy + step + 1);
                } else {
                    // Up: the apex on top; down: the apex at the bottom; both 2 pixels above centre.
                    const int spread = index == 0 ? step : 2 - step;
                    MoveToEx(target, cx - spread, cy - 2 + step, nullptr);
                    LineTo(target, cx + spread + 1, cy - 2 + step);
                }
            }
            ++index;
        }
    }
    BitBlt(dc, rect.left, rect.top, width, height, target, 0, 0, SRCCOPY);
}

// ---- TSkinTrackBar

bool TSkinTrackBar::BeforeMessage(TMessage& message) {
    if ((message.Msg != WM_NOTIFY && message.Msg != CN_NOTIFY) || !skin_)
        return TSkinControl::BeforeMessage(message);
    auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(message.LParam);
    if (!draw || draw->hdr.code != static_cast<UINT>(NM_CUSTOMDRAW))
        return TSkinControl::BeforeMessage(message);
    switch (draw->dwDrawStage) {
    case CDDS_PREPAINT:
        message.Result = CDRF_NOTIFYITEMDRAW;
        return false;
    case CDDS_ITEMPREPAINT:
        break;
    default:
        message.Result = CDRF_DODEFAULT;
        return false;
    }
    const bool vertical = (GetWindowLongA(handle_, GWL_STYLE) & TBS_VERT) != 0;
    HDC dc = draw->hdc;
    if (draw->dwItemSpec == TBCD_THUMB) {
        RECT thumb{};
        SendMessageA(handle_, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        const TDataSkinObject* vert = skin_->Slot(ssTrackThumbVert);
        const TDataSkinObject* horz = skin_->Slot(ssTrackThumbHorz);
        const TDataSkinObject* image = vertical && vert && !vert->Bitmap.Empty() ? vert : horz;
        if (image && !image->Bitmap.Empty()) {
            DrawStripCell(dc, thumb, image->Bitmap, 5, 2);
        } else {
            TOwnedBrush outline(CreateSolidBrush(ColorToRGB(skin_->Colour(scButtonShadow))));
            FrameRect(dc, &thumb, outline.Get());
        }
        message.Result = CDRF_SKIPDEFAULT;
        return false;
    }
    if (draw->dwItemSpec == TBCD_CHANNEL) {
        RECT channel{};
        SendMessageA(handle_, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
        const TDataSkinObject* track = skin_->Slot(vertical ? ssTrackVert : ssTrack);
        if (track && !track->Bitmap.Empty()) {
            const TBitmap& image = track->Bitmap;
            RECT dest{};
            if (vertical) {
                // The control reports a vertical channel as if it lay horizontally.
                const RECT turned{channel.top, channel.left, channel.bottom, channel.right};
                const int across = (turned.left + turned.right) / 2 - image.Width() / 2;
                dest = RECT{across, turned.top, across + image.Width(), turned.bottom};
                DrawNineSlice(dc, dest, image, RECT{0, 0, image.Width(), image.Height()},
                              RECT{0, track->TopHeight, 0, track->BottomHeight}, false, true);
            } else {
                const int across = (channel.top + channel.bottom) / 2 - image.Height() / 2;
                dest = RECT{channel.left, across, channel.right, across + image.Height()};
                DrawNineSlice(dc, dest, image, RECT{0, 0, image.Width(), image.Height()},
                              RECT{track->LeftWidth, 0, track->RightWidth, 0}, false, true);
            }
            message.Result = CDRF_SKIPDEFAULT;
            return false;
        }
        message.Result = CDRF_DODEFAULT;
        return false;
    }
    message.Result = CDRF_DODEFAULT;
    return false;
}

void TSkinTrackBar::SkinChanged() {
    // The repaint runs the control's custom drawing again with the new skin.
    TSkinControl::SkinChanged();
}

// ---- up-downs inside other controls

void KeepChildUpDown(TComponent* owner, TSkinData* skin, TCanvas* canvas, TSkinControl*& adapter, HWND window,
                     bool embedded, bool horizontal) {
    if (adapter && adapter->State() != asDestroyed && adapter->Handle() == window)
        return;
    ReleaseChildUpDown(adapter);
    if (!window || SendMessageA(window, SKM_ISSKINNED, 0, 0) == 1)
        return;
    auto* upDown = new TSkinUpDown(owner);
    upDown->SetEmbedded(embedded);
    upDown->SetHorizontalHint(horizontal);
    upDown->AttachWindow(window, skin, nullptr, canvas);
    if (!upDown->Attached()) {
        TComponent::Free(upDown);
        return;
    }
    adapter = upDown;
}

void ReleaseChildUpDown(TSkinControl*& adapter) {
    TSkinControl* upDown = adapter;
    if (!upDown)
        return;
    adapter = nullptr;
    const HWND window = upDown->Handle();
    const bool alive = upDown->State() != asDestroyed;
    if (alive)
        upDown->Restore();
    TComponent::Free(upDown);
    if (alive && window && IsWindow(window))
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}
