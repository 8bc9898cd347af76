#pragma once
// A copy that leaves out the pixels of one key colour, as GdiTransparentBlt does, built from
// ordinary blits through a mask: some systems make the mask bitmaps anew for every
// GdiTransparentBlt, which costs more than drawing the image itself.

#include <windows.h>

// Copies the source rectangle (sx, sy, sw, sh) to (x, y, w, h) of the target, stretched when the
// sizes differ (colour on colour), except the pixels equal to key. Returns false where nothing
// was drawn.
bool TransparentBlit(HDC target, int x, int y, int w, int h, HDC source, int sx, int sy, int sw, int sh,
                     COLORREF key);

// The same size on both sides.
inline bool TransparentBlit(HDC target, int x, int y, int w, int h, HDC source, int sx, int sy,
                            COLORREF key) {
    return TransparentBlit(target, x, y, w, h, source, sx, sy, w, h, key);
}
