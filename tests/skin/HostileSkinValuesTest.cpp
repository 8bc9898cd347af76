// Values a broken or malicious skin (or a squeezed control) hands the adapters' arithmetic: zero
// and negative cell counts, images smaller than their margins, thumbs longer than their track,
// empty ranges and sizes at the ends of int. Every result must stay drawable: rectangles never
// inverted, source cells never outside their image, cells within the image's count. Under the
// sanitizers these tables also catch a division by zero or a signed overflow.
#include "GlyphLayout.h"
#include "WinSubClassBarGeometry.h"
#include "WinSubClassComboGeometry.h"
#include "WinSubClassGeometry.h"
#include "WinSubClassScrollGeometry.h"
#include "WinSubClassTabGeometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

// Sizes that turn up: none, negative, tiny, ordinary and the ends of int.
const std::vector<int> Sizes = {INT_MIN, -100, -1, 0, 1, 2, 3, 7, 16, 300, INT_MAX - 1, INT_MAX};

std::string Show(const TFrameRect& r) {
    return "{" + std::to_string(r.Left) + ", " + std::to_string(r.Top) + ", " + std::to_string(r.Right) +
           ", " + std::to_string(r.Bottom) + "}";
}

bool NotInverted(const TFrameRect& r) {
    return r.Left <= r.Right && r.Top <= r.Bottom;
}

bool Inside(const TFrameRect& r, long long width, long long height) {
    return NotInverted(r) && r.Left >= 0 && r.Top >= 0 && r.Right <= width && r.Bottom <= height;
}

} // namespace

TEST(HostileSkinValues, StripCellsNeverLeaveTheirImage) {
    for (int width : Sizes)
        for (int height : Sizes)
            for (int cells : {INT_MIN, -3, 0, 1, 4, 8, 23, INT_MAX})
                for (int cell : {INT_MIN, -1, 0, 1, 2, 8, 9, INT_MAX}) {
                    const TFrameRect r = StripCellRect(width, height, cells, cell);
                    const bool empty = r.Left == 0 && r.Top == 0 && r.Right == 0 && r.Bottom == 0;
                    if (empty)
                        continue;
                    ASSERT_TRUE(Inside(r, width, height) && r.Width() > 0 && r.Height() > 0)
                        << width << "x" << height << " cells " << cells << " cell " << cell << ": "
                        << Show(r);
                    EXPECT_GE(cell, 1);
                    EXPECT_LE(cell, cells);
                    EXPECT_LE(static_cast<long long>(StripCellWidth(width, cells)) * cells, width);
                }
}

TEST(HostileSkinValues, NineSliceMarginsLeaveTheCellACentreOrStretchItWhole) {
    struct TCase {
        int CellW, CellH, DestW, DestH;
        TFrameRect Margins, Want;
    };
    const TCase cases[] = {
        // Ordinary: kept.
        {20, 10, 100, 30, {4, 3, 4, 3}, {4, 3, 4, 3}},
        // An image smaller than its margins: stretched whole along that axis.
        {6, 10, 100, 30, {4, 3, 4, 3}, {0, 3, 0, 3}},
        {20, 4, 100, 30, {4, 3, 4, 3}, {4, 0, 4, 0}},
        // Margins that take the whole cell leave no centre to stretch.
        {8, 6, 100, 30, {4, 3, 4, 3}, {0, 0, 0, 0}},
        // One margin alone larger than the cell.
        {8, 6, 100, 30, {50, 0, 0, 50}, {0, 0, 0, 0}},
        // A destination smaller than the margins.
        {20, 10, 7, 5, {4, 3, 4, 3}, {0, 0, 0, 0}},
        {20, 10, 8, 6, {4, 3, 4, 3}, {4, 3, 4, 3}},
        // Negative margins count as none.
        {20, 10, 100, 30, {-5, -1, 4, INT_MIN}, {0, 0, 4, 0}},
        // Sums past int.
        {20, 10, 100, 30, {INT_MAX, INT_MAX, INT_MAX, INT_MAX}, {0, 0, 0, 0}},
        // No cell at all.
        {0, 0, 100, 30, {4, 3, 4, 3}, {0, 0, 0, 0}},
        {-5, 10, 100, 30, {1, 1, 1, 1}, {0, 1, 0, 1}},
    };
    for (const TCase& c : cases) {
        const TFrameRect got = NineSliceMargins(c.CellW, c.CellH, c.DestW, c.DestH, c.Margins);
        EXPECT_EQ(Show(got), Show(c.Want)) << c.CellW << "x" << c.CellH << " into " << c.DestW << "x"
                                           << c.DestH << " with " << Show(c.Margins);
    }
    // Whatever comes in: the corners never read past the cell.
    for (int cell : Sizes)
        for (int dest : Sizes)
            for (int margin : Sizes) {
                const TFrameRect m =
                    NineSliceMargins(cell, cell, dest, dest, TFrameRect{margin, margin, margin, 1});
                ASSERT_GE(m.Left, 0);
                ASSERT_GE(m.Bottom, 0);
                if (m.Left > 0 || m.Right > 0) {
                    ASSERT_LT(static_cast<long long>(m.Left) + m.Right, cell)
                        << cell << " " << dest << " " << margin;
                }
            }
}

TEST(HostileSkinValues, CheckAndRadioLayoutsKeepTheCaptionInsideTheWindow) {
    for (int width : Sizes)
        for (int height : {-1, 0, 13, 300})
            for (int cellWidth : Sizes)
                for (int imageHeight : {INT_MIN, 0, 13, INT_MAX})
                    for (bool leftText : {false, true})
                        for (bool radio : {false, true}) {
                            const TCheckLayout layout =
                                CheckLayoutFor(width, height, cellWidth, imageHeight, leftText, radio);
                            ASSERT_TRUE(Inside(layout.Text, std::max(width, 0), std::max(height, 0)))
                                << width << "x" << height << " cell " << cellWidth << " left " << leftText
                                << " radio " << radio << ": " << Show(layout.Text);
                            ASSERT_TRUE(NotInverted(layout.Image)) << Show(layout.Image);
                        }
    // An image wider than the window leaves the caption nothing rather than a negative width.
    const TCheckLayout squeezed = CheckLayoutFor(10, 20, 13, 13, false, false);
    EXPECT_EQ(squeezed.Text.Width(), 0);
}

TEST(HostileSkinValues, ProgressFillsStayWithinTheBar) {
    const std::vector<int> values = {INT_MIN, -10, 0, 1, 50, 100, INT_MAX};
    for (int width : Sizes)
        for (int position : values)
            for (int lower : values)
                for (int upper : values) {
                    const int filled = ProgressFillWidth(width, position, lower, upper);
                    ASSERT_GE(filled, 0);
                    ASSERT_LE(filled, std::max(width, 0))
                        << width << " " << position << " " << lower << " " << upper;
                    const int chunk = ProgressChunkFillWidth(width, position, upper);
                    ASSERT_GE(chunk, 0);
                    ASSERT_LE(chunk, std::max(width, 0));
                }
    // A zero range (lower = upper): full at the limit, empty below.
    EXPECT_EQ(ProgressFillWidth(120, 5, 5, 5), 120);
    EXPECT_EQ(ProgressFillWidth(120, 4, 5, 5), 0);
}

TEST(HostileSkinValues, UpDownHalvesCoverTheControlWithCellsOfTheStrip) {
    for (int width : Sizes)
        for (int height : Sizes)
            for (bool horizontal : {false, true})
                for (int hover : {-1, 0, 1, 2, 3})
                    for (bool pressed : {false, true})
                        for (bool enabled : {false, true}) {
                            const TUpDownHalves h =
                                UpDownHalves(width, height, horizontal, hover, pressed, enabled);
                            const int w = std::max(width, 0), hh = std::max(height, 0);
                            ASSERT_TRUE(Inside(h.First, w, hh) && Inside(h.Second, w, hh))
                                << width << "x" << height << ": " << Show(h.First) << Show(h.Second);
                            // Together they are the whole control, with no gap.
                            EXPECT_EQ(horizontal ? h.First.Right : h.First.Bottom,
                                      horizontal ? h.Second.Left : h.Second.Top);
                            EXPECT_EQ(horizontal ? h.Second.Right : h.Second.Bottom, horizontal ? w : hh);
                            ASSERT_GE(h.FirstCell, 1);
                            ASSERT_LE(h.FirstCell, 4);
                            ASSERT_GE(h.SecondCell, 5);
                            ASSERT_LE(h.SecondCell, 8);
                        }
}

TEST(HostileSkinValues, ComboAndPickerRectanglesStayInsideAndUpright) {
    for (int width : Sizes)
        for (int height : Sizes)
            for (int button : Sizes) {
                const int w = std::max(width, 0), h = std::max(height, 0);
                for (bool left : {false, true}) {
                    const TComboLayout layout = ComboLayoutFor(width, height, button, left);
                    ASSERT_TRUE(Inside(layout.Text, w, h) && Inside(layout.Button, w, h))
                        << width << "x" << height << " button " << button << ": " << Show(layout.Text)
                        << Show(layout.Button);
                    const TFrameRect plain = PlainComboButton(width, height, button, button, left);
                    ASSERT_TRUE(Inside(plain, w, h))
                        << width << "x" << height << " " << button << Show(plain);
                    const TFrameRect arrow = PickerArrowRect(width, height, button, left);
                    ASSERT_TRUE(NotInverted(arrow)) << width << "x" << height << " " << button << Show(arrow);
                    ASSERT_GE(arrow.Top, 0);
                }
            }
    // A glyph larger than its place overhangs it evenly, whatever the sizes.
    for (int outer : Sizes)
        for (int glyph : Sizes) {
            const TFrameRect r = CentredRect(TFrameRect{0, 0, outer, outer}, glyph, glyph);
            ASSERT_TRUE(NotInverted(r)) << outer << " " << glyph << Show(r);
        }
    EXPECT_EQ(Show(CentredRect(TFrameRect{0, 0, 10, 10}, 14, 4)), Show(TFrameRect{-2, 3, 12, 7}));
}

TEST(HostileSkinValues, TabCellsMarginsAndRowsWithBrokenImages) {
    for (int cells : {INT_MIN, -1, 0, 1, 2, 3, 4, 5, INT_MAX})
        for (bool selected : {false, true})
            for (bool hot : {false, true}) {
                const int cell = TabCell(selected, hot, cells);
                if (cells < 1)
                    EXPECT_EQ(cell, 0) << cells;
                else
                    EXPECT_TRUE(cell >= 1 && cell <= cells) << cells << " gave " << cell;
            }
    for (int cell : Sizes)
        for (int margin : Sizes) {
            const TFrameRect m = UsableMargins(cell, cell, TFrameRect{margin, 0, margin, margin});
            ASSERT_TRUE(m.Left >= 0 && m.Top >= 0 && m.Right >= 0 && m.Bottom >= 0);
            if (m.Left > 0 || m.Right > 0) {
                ASSERT_LT(static_cast<long long>(m.Left) + m.Right, cell);
            }
        }
    // A page that covers the whole window (or lies outside it) leaves an empty row, never an
    // inverted one.
    for (TTabOrientation o : {toTop, toBottom, toLeft, toRight})
        for (int edge : Sizes) {
            const TFrameRect row = TabRowRect(200, 100, TFrameRect{edge, edge, edge, edge}, o);
            ASSERT_TRUE(Inside(row, 200, 100)) << o << " " << edge << Show(row);
            const TRowBufferSize size = RowBufferSize(row, o);
            ASSERT_TRUE(size.Width >= 0 && size.Height >= 0);
        }
}

TEST(HostileSkinValues, ScrollBarsWithZeroRangesAndThumbsLongerThanTheirTrack) {
    struct TCase {
        int Min, Max, Page, Pos, Length, Arrow;
    };
    const TCase cases[] = {
        {0, 0, 0, 0, 200, 16},             // min = max
        {5, 5, 10, 5, 200, 16},            // min = max with a page
        {10, 0, 0, 5, 200, 16},            // max below min
        {0, 100, 500, 50, 200, 16},        // page larger than the range
        {0, 100, 0, 50, 20, 16},           // shorter than two arrows
        {0, 100, 10, 50, 0, 16},           // no length
        {0, 100, 10, 50, 200, -4},         // negative arrows
        {0, 100, 10, 50, 200, INT_MAX},    // arrows longer than the bar
        {INT_MIN, INT_MAX, 1, 0, 200, 16}, // the whole of int
        {INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MAX, 16},
        {0, 100, INT_MIN, INT_MIN, 200, 16},
    };
    for (const TCase& c : cases) {
        const TThumbExtent t = StandaloneThumb(c.Min, c.Max, c.Page, c.Pos, c.Length, c.Arrow);
        const long long arrow = std::max(c.Arrow, 0);
        ASSERT_LE(t.Start, t.End) << c.Min << ".." << c.Max << " page " << c.Page << " length " << c.Length;
        if (t.Length() > 0) {
            EXPECT_GE(t.Start, arrow);
            EXPECT_LE(t.End, static_cast<long long>(c.Length) - arrow);
        }
    }
    // A thumb longer than its track never leaves the bar, however far it is dragged.
    for (int delta : {INT_MIN, -50, 0, 50, INT_MAX}) {
        const TThumbExtent t = DraggedThumb(20, delta, 500, 200, 16);
        EXPECT_LE(t.Start, t.End);
        EXPECT_EQ(t.Start, 16);
    }
    EXPECT_EQ(ComboDragPosition(10, 5, 0, 0, 100, 10), 0) << "no room to move in";
    EXPECT_EQ(ComboDragPosition(10, 5, 50, 7, 7, 10), 7) << "a zero range";

    // Images without cells, a bar narrower than its thumb image, a thumb past the bar's end.
    for (int thumbCells : {INT_MIN, 0, 1, 3})
        for (int trackCells : {INT_MIN, 0, 1, 4})
            for (int imageHeight : {INT_MIN, 0, 17, 60, INT_MAX})
                for (int thumbEnd : {-5, 30, 199, 400}) {
                    TScrollBarFacts facts;
                    facts.Width = 17;
                    facts.Height = 200;
                    facts.ArrowSize = 17;
                    facts.ImageHeight = imageHeight;
                    facts.ThumbStart = 20;
                    facts.ThumbEnd = thumbEnd;
                    facts.ThumbCells = thumbCells;
                    facts.TrackCells = trackCells;
                    facts.HotPart = spThumb;
                    facts.Pressed = true;
                    const TScrollBarLayout layout = LayoutScrollBar(facts);
                    ASSERT_TRUE(layout.TrackCell >= 1 && layout.TrackCell <= std::max(trackCells, 1));
                    if (layout.HasThumb()) {
                        ASSERT_GE(layout.Thumb.Top, 0);
                        ASSERT_LE(layout.Thumb.Bottom, 200);
                        ASSERT_TRUE(layout.ThumbCell >= 1 && layout.ThumbCell <= std::max(thumbCells, 1));
                    }
                    if (layout.HasGrip()) {
                        ASSERT_TRUE(layout.Grip.Top >= layout.Thumb.Top - 1 && layout.Grip.Bottom <= 200);
                    }
                }
}

TEST(HostileSkinValues, GlyphButtonLayoutsWithGlyphsLargerThanTheButton) {
    for (TButtonLayout layout : {blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom})
        for (int client : Sizes)
            for (int glyph : Sizes)
                for (int margin : {INT_MIN, -1, 0, 4, INT_MAX})
                    for (int spacing : {INT_MIN, -1, 0, 4, INT_MAX}) {
                        TGlyphLayoutInput in;
                        in.ClientWidth = in.ClientHeight = client;
                        in.GlyphWidth = in.GlyphHeight = glyph;
                        in.TextWidth = 40;
                        in.TextHeight = 13;
                        in.Layout = layout;
                        in.Margin = margin;
                        in.Spacing = spacing;
                        const TGlyphLayout out = LayoutGlyphButton(in);
                        // Positions stay in a range a device context takes.
                        for (int v : {out.GlyphX, out.GlyphY, out.TextX, out.TextY})
                            ASSERT_TRUE(v >= -0x40000000 && v <= 0x40000000) << v;
                    }
    // A glyph without caption larger than the button is centred on it, overhanging both sides
    // alike (across, the odd pixel goes to the far side).
    TGlyphLayoutInput in;
    in.ClientWidth = 20;
    in.ClientHeight = 20;
    in.GlyphWidth = 40;
    in.GlyphHeight = 40;
    in.Layout = blGlyphTop;
    const TGlyphLayout out = LayoutGlyphButton(in);
    EXPECT_NEAR(out.GlyphX, -10, 1);
    EXPECT_EQ(out.GlyphY, -10);
}
