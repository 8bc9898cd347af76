#pragma once
// The arithmetic of skinned tab controls: the side the tabs are on, the page rectangle, the
// tab row and how a tab's rectangle maps into the row buffer, which is always drawn lying down
// (as for tabs on top) and turned for tabs on the left or right. Plain functions without
// windows.h, checked natively under the sanitizers.

#include "WinSkinFormGeometry.h"

#include <cstdint>

enum TTabOrientation { toTop = 0, toBottom = 1, toLeft = 2, toRight = 3 };

// From the tab window's style: bottom (0x2) with vertical (0x80) is right, bottom alone
// bottom, vertical alone left, neither top.
TTabOrientation TabOrientationFromStyle(std::uint32_t style);

// The page frame's rectangle from the control's display area: grown by 4 on every side, then
// moved 1 pixel away from the tabs.
TFrameRect TabPageRect(const TFrameRect& displayArea, TTabOrientation orientation);

// The tab row in a window of width x height: the strip between the window edge on the tabs'
// side and the page rectangle. Empty (zero thickness) when the page reaches that edge.
TFrameRect TabRowRect(int width, int height, const TFrameRect& page, TTabOrientation orientation);

// The row buffer's size: the row's length by its thickness (lying down for left and right).
struct TRowBufferSize {
    int Width = 0;
    int Height = 0;
    bool operator==(const TRowBufferSize&) const = default;
};
TRowBufferSize RowBufferSize(const TFrameRect& row, TTabOrientation orientation);

// A tab's rectangle (window coordinates) in row-buffer coordinates: on top moved down 1, on
// the bottom moved to the buffer's origin, on the left and right rotated into the lying-down
// buffer so that turning the buffer (left: a quarter counter-clockwise, right: clockwise)
// brings it back to its place.
TFrameRect TabRectInBuffer(const TFrameRect& tab, const TFrameRect& row, TTabOrientation orientation);

// Where pixel (x, y) of the row buffer shows in the window. For tabs on the bottom, left and
// right this undoes TabRectInBuffer; tabs on top show one pixel lower than their own rectangle.
void BufferPointToWindow(int x, int y, const TFrameRect& row, TTabOrientation orientation, int& wx, int& wy);

// The tab's cell of the five-cell Tabs strip: the selected (focused) tab 2, a tab under the
// mouse 4, else 1; cells beyond the image's count fall back to 1.
int TabCell(bool selected, bool hot, int imageCells);

// Where the picture and the text of a tab with a picture go: side by side, 3 pixels apart,
// centred in the tab as one block but starting at least 3 pixels inside it; the picture
// centred across the tab.
struct TTabIconPlace {
    int IconLeft = 0;
    int IconTop = 0;
    int TextLeft = 0;
    bool operator==(const TTabIconPlace&) const = default;
};
TTabIconPlace TabIconPlace(const TFrameRect& tab, int iconWidth, int iconHeight, int textWidth);

// The close box of a tab (buffer coordinates): the square from right - 8, top + 2 to
// right - 2, top + 8.
TFrameRect TabCloseBox(const TFrameRect& tab);

// Margins (left, top, right, bottom) that leave an image cell of cellWidth x cellHeight a
// centre to stretch: negative ones count as 0, and a pair that would cover the whole cell is
// dropped, so that a too small image is stretched whole instead of leaving a hole.
TFrameRect UsableMargins(int cellWidth, int cellHeight, const TFrameRect& margins);
