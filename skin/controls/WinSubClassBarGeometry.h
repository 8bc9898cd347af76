#pragma once
// The arithmetic of the progress-bar, status-bar, up-down and track-bar adapters, as plain
// functions without windows.h (checked natively under the sanitizers). Hostile ranges and sizes
// never divide by zero and never reach outside the bar.

#include "WinSkinFormGeometry.h"

// a * b / c rounded to the nearest integer (halves away from zero), as the system's MulDiv
// does; 0 when c is 0.
int MulDivRound(int a, int b, int c);

// How much of a bar of that width is filled at position within lower..upper; nothing unless
// upper and position are above 0; never outside 0..barWidth.
int ProgressFillWidth(int barWidth, int position, int lower, int upper);
// The same for the chunk style, which counts from 0 whatever the lower limit is.
int ProgressChunkFillWidth(int barWidth, int position, int upper);

// The edge cell of a status-bar panel: 2 raised, 1 lowered (the usual), 3 no border.
enum TPanelBevel { pbLowered, pbRaised, pbNone };
int StatusEdgeCell(TPanelBevel bevel);

// The two halves of an up-down control (left/right when horizontal, else top/bottom; the split
// at half the width or height, rounded toward zero) and their face cells (the second half's
// cells are the first's + 4): 1 normal, 2 pressed under the mouse, 3 disabled.
struct TUpDownHalves {
    TFrameRect First, Second;
    int FirstCell = 1, SecondCell = 5;
};
// hover: 0 the mouse is on neither half, 1 on the first, 2 on the second.
TUpDownHalves UpDownHalves(int width, int height, bool horizontal, int hover, bool pressed, bool enabled);
// Which half a client point lies in (1 or 2), 0 outside.
int UpDownHalfAt(int width, int height, bool horizontal, int x, int y);
