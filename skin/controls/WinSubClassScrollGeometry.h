#pragma once
// The arithmetic of the skinned scroll bars: which part of a bar a point lies on, where the
// thumb of a stand-alone bar sits, where a dragged thumb goes, which position a dragged thumb of
// a combo box's list stands for, and where arrows, track, thumb and grip are drawn with which
// cells. Plain functions without windows.h, so that they are checked natively under the
// sanitizers. Every function takes hostile values (a zero range, a bar shorter than its arrows,
// a thumb longer than the track, ranges near the ends of int) without dividing by zero or
// overflowing.

#include "WinSkinFormGeometry.h"

// Parts of a scroll bar. The numbers are the system's scroll request codes: line up or left,
// line down or right, page up or left, page down or right, and the thumb.
constexpr int spNone = -1, spFirstArrow = 0, spSecondArrow = 1, spTrackBefore = 2, spTrackAfter = 3,
              spThumb = 5;
// The scroll request that ends a tracking loop: lights no part.
constexpr int spEndScroll = 8;

// The part under coordinate c along the bar's axis (bar coordinates).
int ScrollHitPart(int c, int arrowSize, int thumbStart, int thumbEnd, int length);

// a * b / c rounded to the nearest integer (halves away from zero), computed without overflow and
// saturated to int (to +-2^62 for the 64-bit form); 0 when c is 0.
int MulDivRound(long long a, long long b, long long c);
long long MulDivRound64(long long a, long long b, long long c);

// A thumb's extent along the bar's axis, in bar coordinates; empty when Start == End.
struct TThumbExtent {
    int Start = 0;
    int End = 0;
    int Length() const { return End - Start; }
    bool operator==(const TThumbExtent&) const = default;
};

// The range a stand-alone bar computes with: max - min, or 9999999 when they are equal (or max
// lies below min).
long long StandaloneRange(int min, int max);

// The thumb of a stand-alone scroll bar control of the given length from its scroll information.
// With a page the thumb is as long as the page's share of the track but at least 8; without one
// it is one arrow long. It never leaves the track between the arrows; a track too short for a
// thumb gives an empty one at the first arrow's end.
TThumbExtent StandaloneThumb(int min, int max, int page, int pos, int length, int arrowSize);

// Where a thumb dragged by delta pixels from dragStart starts: within the track
// [arrowSize, length - arrowSize - thumbLength]; at the first arrow when it does not fit.
TThumbExtent DraggedThumb(int dragStart, int delta, int thumbLength, int length, int arrowSize);

// The position a combo box's list takes while its thumb is dragged: start is the thumb's offset
// into the track when the press came, delta the cursor's movement along the axis, track the
// room the thumb has to move in (bar length - 2 arrows - thumb length).
int ComboDragPosition(int start, int delta, int track, int min, int max, int page);

// Everything the painter of a bar needs to know, in the bar's own coordinates (origin 0).
struct TScrollBarFacts {
    bool Vertical = true;
    int Width = 0; // the bar's rectangle
    int Height = 0;
    int ArrowSize = 0;   // the system's arrow size
    int ImageHeight = 0; // height of the skin's Scrollbar image
    bool Enabled = true; // the bar is not reported unavailable
    int HotPart = spNone;
    bool Pressed = false;
    int ThumbStart = 0; // the thumb's extent along the axis
    int ThumbEnd = 0;
    int ThumbCells = 3; // cells of the thumb image
    int TrackCells = 4; // cells of the track image
    bool operator==(const TScrollBarFacts&) const = default;
};

// Where the pieces go and which cells they show. A rectangle that is not drawn is empty; a cell
// is 1-based and never above the image's count.
struct TScrollBarLayout {
    int Length = 0;    // along the axis
    int Thickness = 0; // across, for thumb and grip
    TFrameRect FirstArrow, SecondArrow, Track, Thumb, Grip;
    int FirstArrowCell = 0, SecondArrowCell = 0; // of the 23-cell Scrollbar strip
    int TrackCell = 0;                           // of HorzScroll / VertScroll
    int ThumbCell = 0;                           // of the thumb image
    int GripCell = 0;                            // of the Scrollbar strip
    bool HasTrack() const { return Track.Width() > 0 && Track.Height() > 0; }
    bool HasThumb() const { return Thumb.Width() > 0 && Thumb.Height() > 0; }
    bool HasGrip() const { return Grip.Width() > 0 && Grip.Height() > 0; }
};

// The bar's thickness for thumb and grip: the image height, but the arrow size when the two
// differ by more than 2 pixels.
int ScrollBarThickness(int imageHeight, int arrowSize);

// The cell of an arrow of the Scrollbar strip: base is the arrow's normal cell; the arrow that is
// the hot part shows base + 1 when pressed, else base + 3.
int ScrollArrowCell(int base, bool hot, bool pressed);

TScrollBarLayout LayoutScrollBar(const TScrollBarFacts& facts);

// The two end caps of a thumb along its length when the thumb is shorter than both together:
// each shortened in proportion, so that the thumb still shows both of its ends (its outline)
// rather than the whole cell squeezed. Caps that fit, or a length of 0 or less, stay as they are
// (negative caps count as 0).
struct TThumbCaps {
    int Low = 0, High = 0;
};
TThumbCaps ShrinkThumbCaps(int low, int high, int length);
