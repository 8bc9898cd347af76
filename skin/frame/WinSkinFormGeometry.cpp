#include "WinSkinFormGeometry.h"

#include <algorithm>
#include <climits>

namespace {

// Everything is computed in 64 bits and brought back into int range at the end, so that no
// skin value or window size, however absurd, can overflow.
using Wide = std::int64_t;

int Clamp(Wide value) {
    return static_cast<int>(std::clamp<Wide>(value, INT_MIN, INT_MAX));
}

// A rectangle from 64-bit edges; an inverted one collapses to zero size at its top-left.
TFrameRect MakeRect(Wide left, Wide top, Wide right, Wide bottom) {
    TFrameRect rect;
    rect.Left = Clamp(left);
    rect.Top = Clamp(top);
    rect.Right = Clamp(std::max(left, right));
    rect.Bottom = Clamp(std::max(top, bottom));
    return rect;
}

int Cells(int frames) {
    return frames < 1 ? 1 : frames;
}

int CellExtent(int extent, int frames) {
    return extent < 1 ? 0 : extent / Cells(frames);
}

} // namespace

TBorderKind BorderKindFromStyles(std::uint32_t style, std::uint32_t exStyle, bool isSystemDialog) {
    constexpr std::uint32_t caption = 0xC00000, thickFrame = 0x40000, modalFrameStyle = 0x80;
    constexpr std::uint32_t dialogModalFrame = 0x1;
    TBorderKind kind = bkSingle;
    if ((style & caption) != caption)
        kind = bkNone;
    else if (style & thickFrame)
        kind = bkSizeable;
    else if (style & modalFrameStyle)
        kind = bkDialog;
    if ((exStyle & dialogModalFrame) || isSystemDialog)
        kind = bkDialog;
    return kind;
}

TFrameWidths FrameWidthsFromImages(const TFramePieceImage& left, const TFramePieceImage& top,
                                   const TFramePieceImage& right, const TFramePieceImage& bottom) {
    TFrameWidths widths;
    widths.Left = CellExtent(left.Width, left.Frames);
    widths.Caption = CellExtent(top.Height, top.Frames);
    widths.Right = CellExtent(right.Width, right.Frames);
    widths.Bottom = CellExtent(bottom.Height, bottom.Frames);
    return widths;
}

bool FrameWidthsUsable(const TFrameWidths& widths, int windowWidth, int windowHeight) {
    if (widths.Caption < MinSkinCaption || widths.Caption > MaxSkinBorder)
        return false;
    for (int side : {widths.Left, widths.Right, widths.Bottom, widths.Menu}) {
        if (side < 0 || side > MaxSkinBorder)
            return false;
    }
    if (windowWidth == 0 && windowHeight == 0)
        return true;
    const Wide across = Wide(widths.Left) + widths.Right;
    const Wide down = Wide(widths.Caption) + widths.Menu + widths.Bottom;
    return across <= windowWidth && down <= windowHeight;
}

TFrameLayout FrameLayout(const TFrameWidths& widths, int windowWidth, int windowHeight) {
    const Wide w = windowWidth, h = windowHeight;
    const Wide left = widths.Left, right = w - widths.Right;
    const Wide caption = widths.Caption, menuBottom = caption + widths.Menu;
    const Wide bottom = h - widths.Bottom;
    TFrameLayout layout;
    layout.LeftBorder = MakeRect(0, 0, left, h);
    layout.RightBorder = MakeRect(right, 0, w, h);
    layout.Caption = MakeRect(left, 0, right, caption);
    layout.BottomBorder = MakeRect(left, bottom, right, h);
    layout.MenuStrip = MakeRect(left, caption, right, menuBottom);
    layout.Client = MakeRect(left, menuBottom, right, bottom);
    return layout;
}

TFrameRect NcCalcClientRect(const TFrameWidths& widths, int x, int y, int cx, int cy) {
    return MakeRect(Wide(x) + widths.Left, Wide(y) + widths.Caption + widths.Menu,
                    Wide(x) + cx - widths.Right, Wide(y) + cy - widths.Bottom);
}

void WindowSizeForClient(const TFrameWidths& widths, int clientWidth, int clientHeight, int& windowWidth,
                         int& windowHeight) {
    windowWidth = Clamp(Wide(std::max(clientWidth, 0)) + widths.Left + widths.Right);
    windowHeight = Clamp(Wide(std::max(clientHeight, 0)) + widths.Caption + widths.Menu + widths.Bottom);
}

int FrameHitTest(int previousCode, int /*x*/, int y, const TFrameWidths& widths) {
    if (previousCode != HitNowhere && previousCode != HitCaption)
        return previousCode;
    // The top rows stay with the system: there the sizing edge of a sizeable window is.
    constexpr int systemRows = 3;
    if (y < systemRows)
        return previousCode;
    if (widths.Menu > 0 && y >= widths.Caption && Wide(y) < Wide(widths.Caption) + widths.Menu)
        return HitMenu;
    return HitCaption;
}

// ---- Caption buttons

namespace {

bool AnyBox(const TCaptionFacts& facts) {
    return facts.HasMinimizeBox || facts.HasMaximizeBox;
}

// The conditions both codes share.
bool CommonCode(int code, const TCaptionFacts& facts) {
    switch (code) {
    case 0:
        return true;
    case 1:
        return facts.Maximized;
    case 2:
        return !facts.Maximized;
    case 3:
        return facts.Active;
    case 4:
        return !facts.Active;
    case 7:
        return !facts.HasMaximizeBox;
    case 9:
        return !facts.HasMinimizeBox;
    default:
        return false;
    }
}

bool VisibilityCode(int code, int action, const TCaptionFacts& facts, const TButtonVisibleQuery& query) {
    switch (code) {
    case 6:
    case 8:
        return AnyBox(facts) && facts.HasSystemMenu;
    case 10:
        return facts.HasHelpButton && !AnyBox(facts);
    case 100:
        return facts.MdiChildMaximizedWithMenuBar;
    case 200:
        return !facts.IsSystemDialog && facts.BorderKind == bkDialog;
    default:
        break;
    }
    if (code > 200 && code < 1000)
        return true;
    if (code >= 1000 && code <= 2000)
        return query && query(code, action) > 0;
    return CommonCode(code, facts);
}

bool Visibility1Code(int code, bool visibilityResult, const TCaptionFacts& facts) {
    switch (code) {
    case 6:
    case 8:
        return AnyBox(facts);
    case 10:
        return facts.HasHelpButton;
    case 100:
        return visibilityResult;
    default:
        return CommonCode(code, facts);
    }
}

} // namespace

TCaptionButtonState EvaluateCaptionButton(const TCaptionButtonInfo& button, const TCaptionFacts& facts,
                                          const TButtonVisibleQuery& query) {
    TCaptionButtonState state;
    const bool first = VisibilityCode(button.Visibility, button.Action, facts, query);
    state.Visible = first && Visibility1Code(button.Visibility1, first, facts);
    switch (button.Action) {
    case 0:
        if (!facts.HasSystemMenu)
            state.Visible = false;
        break;
    case 1:
        state.Enabled = facts.HasMaximizeBox && facts.HasSystemMenu;
        break;
    case 2:
        state.Enabled = facts.HasMinimizeBox && facts.HasSystemMenu;
        break;
    case 3:
    case 11:
    case 12:
        if (facts.BorderKind == bkDialog)
            state.Visible = false;
        break;
    default:
        break;
    }
    return state;
}

TFrameRect LayoutCaptionButton(const TCaptionButtonInfo& button, int windowWidth, const TFrameRect& titleRect,
                               const TFrameWidths& widths, int menuBarLeftWidth) {
    const int w = CellExtent(button.ImageWidth, button.Frames);
    const int h = button.ImageHeight;
    if (w < 1 || h < 1)
        return {};
    Wide x = 0, y = 0;
    switch (button.Align) {
    case 0:
        x = button.XCoord;
        y = button.YCoord;
        break;
    case 1:
        x = Wide(windowWidth) - button.XCoord;
        y = button.YCoord;
        break;
    case 2:
    case 8:
        x = Wide(titleRect.Left) - w - button.XCoord;
        y = button.YCoord;
        break;
    case 3:
    case 9:
        x = Wide(titleRect.Right) + button.XCoord;
        y = button.YCoord;
        break;
    case 100:
        x = Wide(windowWidth) - button.XCoord - widths.Right - menuBarLeftWidth;
        y = Wide(widths.Caption) + (Wide(widths.Menu) - h) / 2;
        break;
    default:
        break;
    }
    return MakeRect(x, y, x + w, y + h);
}

const char* CaptionButtonHint(int action) {
    switch (action) {
    case 0:
    case 9:
    case 62:
        return "Close";
    case 1:
    case 22:
        return "Maximize";
    case 2:
    case 7:
    case 23:
    case 60:
        return "Minimize";
    case 8:
    case 61:
        return "Restore";
    default:
        return nullptr;
    }
}

// ---- Title

TFrameRect LayoutTitle(const TFrameRect& captionRect, int textWidth, int textHeight,
                       const TTitleMetrics& metrics, int reservedRight, bool rightToLeft, bool popup,
                       TBorderKind borderKind) {
    const Wide rw = Wide(captionRect.Right) - captionRect.Left;
    const Wide rh = Wide(captionRect.Bottom) - captionRect.Top;
    const Wide tw = Wide(textWidth) + metrics.TextBackLeft + metrics.TextBackRight;
    const Wide th = textHeight;
    const Wide reserved = reservedRight;

    Wide shift = 0;
    switch (metrics.TextAlignment) {
    case 0:
        shift = rightToLeft ? rw - reserved - tw : metrics.TextShift;
        break;
    case 1:
        shift = rightToLeft ? (rw - tw - reserved) / 2 : (rw - tw) / 2;
        break;
    case 2:
        shift = rightToLeft ? metrics.TextShift : rw - metrics.TextRightClip - tw;
        break;
    default:
        break;
    }
    const Wide shiftVert = (rh - th) / 2 + metrics.TextShiftVert / 2;

    Wide left = Wide(captionRect.Left) + shift;
    Wide right = left + tw;
    const Wide top = Wide(captionRect.Top) + shiftVert;
    const Wide bottom = top + th;

    if (rightToLeft && shift <= 0)
        left = metrics.TextShift;
    if (rightToLeft) {
        // Against the right-hand buttons, clear of the frame's own edge.
        left += 10;
        right += 10;
    } else if (popup) {
        const Wide limit = Wide(captionRect.Right) - reserved - 5;
        if (limit < right && reserved > 5)
            right = limit;
    } else {
        right = std::min<Wide>(right, Wide(captionRect.Right) - metrics.TextRightClip);
    }
    if (borderKind == bkDialog && metrics.TextAlignment == 0)
        left -= 16; // dialogs show no icon

    // Not MakeRect: a title clipped to less than nothing stays inverted and draws nothing.
    return TFrameRect{Clamp(left), Clamp(top), Clamp(right), Clamp(bottom)};
}

TDialogTitleFit FitDialogToTitle(int width, int textShift, int textWidth, int textRightClip) {
    const Wide needed = std::min<Wide>(Wide(textShift) + textWidth + textRightClip, MaxDialogWidth);
    if (needed <= width)
        return TDialogTitleFit{width, 0};
    return TDialogTitleFit{Clamp(needed), Clamp((needed - width) / 2)};
}

// ---- The caption's layout

TFrameRect CaptionPieceRect(int windowWidth, bool minimized, const TFrameWidths& widths) {
    const Wide width = std::max<Wide>(1, windowWidth);
    if (minimized)
        return TFrameRect{0, 0, Clamp(width), widths.Caption};
    return TFrameRect{widths.Left, 0, Clamp(width - widths.Right), widths.Caption};
}

TCaptionLayout CaptionLayout(const TCaptionLayoutInput& input) {
    TCaptionLayout layout;
    layout.Caption = CaptionPieceRect(input.WindowWidth, input.Minimized, input.Widths);
    auto placed = [](const TCaptionButtonSlot& slot) {
        return slot.Visible && slot.Info.ImageWidth > 0 && slot.Info.ImageHeight > 0;
    };
    for (const TCaptionButtonSlot& slot : input.Buttons)
        if (placed(slot) && slot.Info.Align == 1)
            layout.ReservedRight = std::max(layout.ReservedRight, slot.Info.XCoord);
    layout.Title = LayoutTitle(layout.Caption, input.TitleWidth, input.TitleHeight, input.Title,
                               layout.ReservedRight, input.RightToLeft, input.Popup, input.BorderKind);
    layout.Buttons.reserve(input.Buttons.size());
    for (const TCaptionButtonSlot& slot : input.Buttons) {
        TCaptionButtonPlace place;
        if (placed(slot)) {
            place.Placed = true;
            place.Bounds = LayoutCaptionButton(slot.Info, input.WindowWidth, layout.Title, input.Widths,
                                               input.MenuBarLeftWidth);
        }
        layout.Buttons.push_back(place);
    }
    return layout;
}

// ---- Three-part strip

std::vector<TStripPart> ThreePartStrip(int cellWidth, int cellHeight, int width, int height, int leftCap,
                                       int rightCap) {
    std::vector<TStripPart> parts;
    if (cellWidth < 1 || cellHeight < 1 || width < 1 || height < 1 || width > MaxStripExtent)
        return parts;
    const int lc = std::clamp(leftCap, 0, cellWidth);
    const int rc = std::clamp(rightCap, 0, cellWidth);
    // One copy of source columns [sourceLeft, sourceLeft + span) to target column x, full height,
    // clipped to the target.
    auto copy = [&](Wide sourceLeft, Wide x, Wide span) {
        Wide from = std::max<Wide>(x, 0), to = std::min<Wide>(x + span, width);
        if (from >= to)
            return;
        const Wide sourceFrom = sourceLeft + (from - x);
        parts.push_back(
            {MakeRect(sourceFrom, 0, sourceFrom + (to - from), cellHeight), MakeRect(from, 0, to, height)});
    };
    copy(0, 0, lc);
    const Wide middle = Wide(cellWidth) - lc - rc;
    if (middle > 0) {
        const Wide end = Wide(width) - rc;
        for (Wide x = lc; x < end; x += middle)
            copy(lc, x, middle);
    }
    copy(Wide(cellWidth) - rc, Wide(width) - rc, rc);
    return parts;
}

// ---- Region scan

std::vector<TRegionRun> ScanOpaqueRuns(const std::uint32_t* pixels, int width, int height, int stride,
                                       std::uint32_t key, int tolerance, int dx, int dy) {
    std::vector<TRegionRun> runs;
    if (!pixels || width < 1 || height < 1 || stride < width)
        return runs;
    const int tol = std::clamp(tolerance, -256, 255);
    int low[3], high[3];
    for (int channel = 0; channel < 3; ++channel) {
        low[channel] = static_cast<int>((key >> (8 * channel)) & 0xFF);
        high[channel] = std::min(low[channel] + tol, 255);
    }
    auto transparent = [&](std::uint32_t pixel) {
        for (int channel = 0; channel < 3; ++channel) {
            const int value = static_cast<int>((pixel >> (8 * channel)) & 0xFF);
            if (value < low[channel] || value > high[channel])
                return false;
        }
        return true;
    };
    for (int row = 0; row < height; ++row) {
        const std::uint32_t* line = pixels + static_cast<std::size_t>(row) * static_cast<std::size_t>(stride);
        int x = 0;
        while (x < width) {
            while (x < width && transparent(line[x]))
                ++x;
            if (x == width)
                break;
            const int start = x;
            while (x < width && !transparent(line[x]))
                ++x;
            runs.push_back(MakeRect(Wide(start) + dx, Wide(row) + dy, Wide(x) + dx, Wide(row) + dy + 1));
        }
    }
    return runs;
}

int ToolbarButtonCell(unsigned state) {
    if (state & cdsSelected)
        return 2;
    if (state & (cdsFocus | cdsHot))
        return 4;
    if ((state & cdsDefault) && !(state & (cdsGrayed | cdsDisabled)))
        return 1;
    return 0;
}
