#pragma once
// Colour arithmetic, cached gradients, whole-bitmap transforms and text output shared by the
// skin loader and the skin painters.

#include "Bitmap.h"
#include "Graphics.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Weights below 100 are percentages of c1, weights of 100 and more per-mille values (150 is
// 15 %). System colours are resolved first.
TColor MixColours(TColor c1, TColor c2, int weight);

// 0..255 for a colour with a channel of 160 or more; 200 for every darker colour.
int ColourSaturation(TColor colour);

// Paints rect line by line from start to end (top to bottom when vertical, else left to
// right); only the lines inside dc's clip box are drawn.
void GradientFill(HDC dc, const RECT& rect, TColor start, bool vertical, TColor end);

// The frame and the controls repaint the same few gradients over and over; the last 16 ramps
// are kept so that they are not recomputed.
class TGradientRampCache {
  public:
    static constexpr int SlotCount = 16;

    // The ramp of length colours (length >= 1) from start to end, both plain RGB.
    const std::vector<COLORREF>& Ramp(int length, COLORREF start, COLORREF end);
    // Ramps computed so far (a cache hit computes none).
    std::uint64_t BuildCount() const { return builds_; }
    // Forgets every ramp.
    void Clear();

  private:
    // A slot is known by the request that built it: length and the two end colours.
    struct TSlot {
        int length = 0;
        COLORREF start = 0, end = 0;
        std::vector<COLORREF> ramp;
    };
    std::array<TSlot, SlotCount> slots_;
    int next_ = 0;
    std::uint64_t builds_ = 0;
};

// The one cache GradientFill uses.
TGradientRampCache& GradientRampCache();

// Every pixel (255, 0, 255) becomes colour; the bitmap is made 24-bit first.
void ReplaceMagenta(TBitmap& bitmap, TColor colour);
// Left and right exchanged.
void MirrorBitmap(TBitmap& bitmap);
// Each of cells equal side-by-side cells mirrored in place; the cells keep their order, so a
// state image stays a state image. Columns right of the last whole cell stay as they are.
void MirrorCells(TBitmap& bitmap, int cells);
// Top and bottom exchanged.
void FlipBitmap(TBitmap& bitmap);
// A quarter turn to the right; width and height exchange.
void RotateClockwise(TBitmap& bitmap);
// A quarter turn to the left; width and height exchange.
void RotateCounterClockwise(TBitmap& bitmap);

// Draws one cell of a skin image into dest, cut into nine pieces by margins: corners as they
// are, edges stretched along their length, the centre stretched or (tile) repeated. Margins
// that do not fit into dest are dropped in pairs. With transparent, magenta is left out.
void DrawNineSlice(HDC dc, const RECT& dest, const TBitmap& image, const RECT& cell, const RECT& margins,
                   bool tile, bool transparent);

// The whole bitmap in one colour.
void FillBitmap(TBitmap& bitmap, TColor colour);
// A window's small icon, else its big one; null without either.
HICON WindowIcon(HWND window);
// The application's icon, as its windows show it; null without one.
HICON ApplicationIcon();
// The icon drawn at the small-icon size on magenta, which becomes the bitmap's transparent
// colour; without an icon the bitmap stays magenta.
void DrawIconOnMagenta(TBitmap& bitmap, HICON icon);

// Converted with the system's ANSI code page.
std::wstring AnsiToWide(const std::string& text);
// A window's text, wide (empty for no window). A window that reports no length is still asked
// for its text, in ANSI.
std::wstring WindowTextOf(HWND window);
// DrawText of wide text (through the ANSI call where the system has no wide one). rect is
// updated as DrawText does with DT_CALCRECT.
int DrawSkinText(HDC dc, const std::wstring& text, RECT& rect, UINT format);

// Calls of user32 that older systems lack, looked up once by name.
bool HasSkinGetScrollBarInfo();
// FALSE when the system lacks the call.
BOOL SkinGetScrollBarInfo(HWND window, LONG objectId, SCROLLBARINFO* info);
// Asks for WM_MOUSELEAVE; nothing when the system lacks the call.
void SkinTrackMouseLeave(HWND window);

// Hot tracking on a mouse move: hot (the part, section or tab under the mouse) becomes item.
// leaveWindow, when given, is asked for WM_MOUSELEAVE so that the item cools when the mouse
// leaves (asking again while asked changes nothing). True when hot changed: the caller repaints.
template <class T> bool TrackHot(T& hot, const T& item, HWND leaveWindow) {
    if (leaveWindow)
        SkinTrackMouseLeave(leaveWindow);
    if (hot == item)
        return false;
    hot = item;
    return true;
}
