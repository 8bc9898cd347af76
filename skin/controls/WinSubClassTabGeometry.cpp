#include "WinSubClassTabGeometry.h"

#include <algorithm>

TTabOrientation TabOrientationFromStyle(std::uint32_t style) {
    const bool bottom = (style & 0x2) != 0, vertical = (style & 0x80) != 0;
    if (bottom && vertical)
        return toRight;
    if (bottom)
        return toBottom;
    if (vertical)
        return toLeft;
    return toTop;
}

TFrameRect TabPageRect(const TFrameRect& displayArea, TTabOrientation orientation) {
    TFrameRect page{displayArea.Left - 4, displayArea.Top - 4, displayArea.Right + 4, displayArea.Bottom + 4};
    switch (orientation) {
    case toTop:
        page.Top += 1;
        break;
    case toBottom:
        page.Bottom -= 1;
        break;
    case toLeft:
        page.Left += 1;
        break;
    case toRight:
        page.Right -= 1;
        break;
    }
    return page;
}

TFrameRect TabRowRect(int width, int height, const TFrameRect& page, TTabOrientation orientation) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    switch (orientation) {
    case toBottom:
        return TFrameRect{0, std::clamp(page.Bottom, 0, height), width, height};
    case toLeft:
        return TFrameRect{0, 0, std::clamp(page.Left, 0, width), height};
    case toRight:
        return TFrameRect{std::clamp(page.Right, 0, width), 0, width, height};
    case toTop:
    default:
        return TFrameRect{0, 0, width, std::clamp(page.Top, 0, height)};
    }
}

TRowBufferSize RowBufferSize(const TFrameRect& row, TTabOrientation orientation) {
    const int w = std::max(row.Width(), 0), h = std::max(row.Height(), 0);
    if (orientation == toLeft || orientation == toRight)
        return TRowBufferSize{h, w};
    return TRowBufferSize{w, h};
}

TFrameRect TabRectInBuffer(const TFrameRect& tab, const TFrameRect& row, TTabOrientation orientation) {
    const int l = tab.Left - row.Left, t = tab.Top - row.Top, r = tab.Right - row.Left,
              b = tab.Bottom - row.Top;
    switch (orientation) {
    case toTop:
        return TFrameRect{l, t + 1, r, b + 1};
    case toBottom:
        return TFrameRect{l, t, r, b};
    case toLeft: {
        // The buffer is turned a quarter counter-clockwise: its x runs up the row.
        const int length = std::max(row.Height(), 0);
        return TFrameRect{length - b, l, length - t, r};
    }
    case toRight:
    default: {
        // Turned clockwise: its x runs down the row, its y in from the outer edge.
        const int thickness = std::max(row.Width(), 0);
        return TFrameRect{t, thickness - r, b, thickness - l};
    }
    }
}

void BufferPointToWindow(int x, int y, const TFrameRect& row, TTabOrientation orientation, int& wx, int& wy) {
    switch (orientation) {
    case toTop:
    case toBottom:
        wx = row.Left + x;
        wy = row.Top + y;
        break;
    case toLeft:
        wx = row.Left + y;
        wy = row.Top + std::max(row.Height(), 0) - 1 - x;
        break;
    case toRight:
    default:
        wx = row.Left + std::max(row.Width(), 0) - 1 - y;
        wy = row.Top + x;
        break;
    }
}

int TabCell(bool selected, bool hot, int imageCells) {
    if (imageCells < 1)
        return 0;
    const int cell = selected ? 2 : hot ? 4 : 1;
    return cell <= imageCells ? cell : 1;
}

TTabIconPlace TabIconPlace(const TFrameRect& tab, int iconWidth, int iconHeight, int textWidth) {
    constexpr int Gap = 3;
    TTabIconPlace place;
    const int block = iconWidth + Gap + textWidth;
    place.IconLeft = tab.Left + std::max(Gap, (tab.Width() - block) / 2);
    place.IconTop = tab.Top + (tab.Height() - iconHeight) / 2;
    place.TextLeft = place.IconLeft + iconWidth + Gap;
    return place;
}

TFrameRect TabCloseBox(const TFrameRect& tab) {
    return TFrameRect{tab.Right - 8, tab.Top + 2, tab.Right - 2, tab.Top + 8};
}

TFrameRect UsableMargins(int cellWidth, int cellHeight, const TFrameRect& margins) {
    TFrameRect m{std::max(margins.Left, 0), std::max(margins.Top, 0), std::max(margins.Right, 0),
                 std::max(margins.Bottom, 0)};
    if (static_cast<long long>(m.Left) + m.Right >= cellWidth)
        m.Left = m.Right = 0;
    if (static_cast<long long>(m.Top) + m.Bottom >= cellHeight)
        m.Top = m.Bottom = 0;
    return m;
}
