#include "WinSubClassTabGeometry.h"

#include <gtest/gtest.h>

#include <ostream>

static void PrintTo(const TFrameRect& rect, std::ostream* out) {
    *out << "(" << rect.Left << ", " << rect.Top << ", " << rect.Right << ", " << rect.Bottom << ")";
}

namespace {

TEST(TabOrientationTest, FromTheBottomAndVerticalStyleBits) {
    EXPECT_EQ(TabOrientationFromStyle(0), toTop);
    EXPECT_EQ(TabOrientationFromStyle(0x2), toBottom);
    EXPECT_EQ(TabOrientationFromStyle(0x80), toLeft);
    EXPECT_EQ(TabOrientationFromStyle(0x82), toRight);
    // Other bits (child, visible, multi-line 0x200, buttons 0x100) do not matter.
    EXPECT_EQ(TabOrientationFromStyle(0x50000000u | 0x200 | 0x100), toTop);
    EXPECT_EQ(TabOrientationFromStyle(0x50000000u | 0x280), toLeft);
}

TEST(TabPageRectTest, GrownByFourAndOnePixelAwayFromTheTabs) {
    const TFrameRect display{10, 30, 190, 140};
    EXPECT_EQ(TabPageRect(display, toTop), (TFrameRect{6, 27, 194, 144}));
    EXPECT_EQ(TabPageRect(display, toBottom), (TFrameRect{6, 26, 194, 143}));
    EXPECT_EQ(TabPageRect(display, toLeft), (TFrameRect{7, 26, 194, 144}));
    EXPECT_EQ(TabPageRect(display, toRight), (TFrameRect{6, 26, 193, 144}));
}

TEST(TabRowRectTest, TheStripOnTheTabsSideOnAllFourSides) {
    const TFrameRect page{20, 25, 170, 130};
    EXPECT_EQ(TabRowRect(200, 150, page, toTop), (TFrameRect{0, 0, 200, 25}));
    EXPECT_EQ(TabRowRect(200, 150, page, toBottom), (TFrameRect{0, 130, 200, 150}));
    EXPECT_EQ(TabRowRect(200, 150, page, toLeft), (TFrameRect{0, 0, 20, 150}));
    EXPECT_EQ(TabRowRect(200, 150, page, toRight), (TFrameRect{170, 0, 200, 150}));
    EXPECT_EQ(RowBufferSize(TFrameRect{0, 0, 200, 25}, toTop), (TRowBufferSize{200, 25}));
    EXPECT_EQ(RowBufferSize(TFrameRect{0, 130, 200, 150}, toBottom), (TRowBufferSize{200, 20}));
    // Left and right rows are built lying down.
    EXPECT_EQ(RowBufferSize(TFrameRect{0, 0, 20, 150}, toLeft), (TRowBufferSize{150, 20}));
    EXPECT_EQ(RowBufferSize(TFrameRect{170, 0, 200, 150}, toRight), (TRowBufferSize{150, 30}));
}

TEST(TabRowRectTest, APageOutsideTheWindowGivesARowInsideIt) {
    const TFrameRect wild{-50, -40, 900, 800};
    for (TTabOrientation o : {toTop, toBottom, toLeft, toRight}) {
        for (const TFrameRect& page : {wild, TFrameRect{300, 300, -10, -10}}) {
            const TFrameRect row = TabRowRect(200, 150, page, o);
            EXPECT_GE(row.Left, 0);
            EXPECT_GE(row.Top, 0);
            EXPECT_LE(row.Right, 200);
            EXPECT_LE(row.Bottom, 150);
            EXPECT_GE(row.Width(), 0) << o;
            EXPECT_GE(row.Height(), 0) << o;
            const TRowBufferSize size = RowBufferSize(row, o);
            EXPECT_GE(size.Width, 0);
            EXPECT_GE(size.Height, 0);
        }
        const TFrameRect none = TabRowRect(-3, -3, wild, o);
        EXPECT_EQ(none.Width(), 0);
        EXPECT_EQ(none.Height(), 0);
    }
}

// Every pixel of a tab, taken into the buffer and turned back, lands on itself.
TEST(TabRectInBufferTest, TurningTheBufferBringsEveryTabBackToItsPlace) {
    struct Case {
        TTabOrientation orientation;
        TFrameRect row;
        TFrameRect tab;
    };
    const Case cases[] = {
        {toBottom, {0, 130, 200, 150}, {2, 130, 60, 148}},  {toLeft, {0, 0, 24, 150}, {2, 2, 22, 50}},
        {toLeft, {0, 0, 24, 150}, {2, 48, 22, 110}},        {toRight, {170, 0, 200, 150}, {172, 2, 198, 60}},
        {toRight, {170, 0, 200, 150}, {172, 58, 198, 149}},
    };
    for (const Case& c : cases) {
        const TFrameRect inBuffer = TabRectInBuffer(c.tab, c.row, c.orientation);
        const TRowBufferSize size = RowBufferSize(c.row, c.orientation);
        EXPECT_GE(inBuffer.Left, 0);
        EXPECT_GE(inBuffer.Top, 0);
        EXPECT_LE(inBuffer.Right, size.Width);
        EXPECT_LE(inBuffer.Bottom, size.Height);
        // Same area, sides exchanged for left and right.
        EXPECT_EQ(static_cast<long long>(inBuffer.Width()) * inBuffer.Height(),
                  static_cast<long long>(c.tab.Width()) * c.tab.Height());
        int misplaced = 0;
        for (int y = inBuffer.Top; y < inBuffer.Bottom; ++y)
            for (int x = inBuffer.Left; x < inBuffer.Right; ++x) {
                int wx = 0, wy = 0;
                BufferPointToWindow(x, y, c.row, c.orientation, wx, wy);
                misplaced += !c.tab.Contains(wx, wy);
            }
        EXPECT_EQ(misplaced, 0) << c.orientation;
    }
}

TEST(TabRectInBufferTest, TheOuterEdgeOfATabIsTheTopOfItsCell) {
    // On the left the window's left edge, on the right its right edge, is the buffer's top.
    const TFrameRect leftRow{0, 0, 24, 150};
    int wx = 0, wy = 0;
    BufferPointToWindow(10, 0, leftRow, toLeft, wx, wy);
    EXPECT_EQ(wx, 0);
    const TFrameRect rightRow{170, 0, 200, 150};
    BufferPointToWindow(10, 0, rightRow, toRight, wx, wy);
    EXPECT_EQ(wx, 199);
    // The buffer of top and bottom tabs shows as it is.
    BufferPointToWindow(7, 0, TFrameRect{0, 0, 200, 24}, toTop, wx, wy);
    EXPECT_EQ(wx, 7);
    EXPECT_EQ(wy, 0);
    BufferPointToWindow(7, 3, TFrameRect{0, 130, 200, 150}, toBottom, wx, wy);
    EXPECT_EQ(wy, 133);
    // On top a tab moves down one pixel; at the bottom it starts at the buffer's top.
    EXPECT_EQ(TabRectInBuffer(TFrameRect{2, 2, 60, 22}, TFrameRect{0, 0, 200, 24}, toTop),
              (TFrameRect{2, 3, 60, 23}));
    EXPECT_EQ(TabRectInBuffer(TFrameRect{2, 131, 60, 149}, TFrameRect{0, 130, 200, 150}, toBottom),
              (TFrameRect{2, 1, 60, 19}));
}

TEST(TabCellTest, SelectedHotNormalAndShortImages) {
    EXPECT_EQ(TabCell(false, false, 5), 1);
    EXPECT_EQ(TabCell(true, false, 5), 2);
    EXPECT_EQ(TabCell(true, true, 5), 2);
    EXPECT_EQ(TabCell(false, true, 5), 4);
    // An image of fewer cells never has a cell asked that it lacks.
    EXPECT_EQ(TabCell(false, true, 3), 1);
    EXPECT_EQ(TabCell(true, false, 1), 1);
    EXPECT_EQ(TabCell(true, false, 0), 0);
    EXPECT_EQ(TabCell(false, false, -2), 0);
}

TEST(TabIconPlaceTest, PictureAndTextCentredAsOneBlockAtLeastThreeInside) {
    // A 100 x 20 tab at (10, 4), a 16 x 12 picture: block of 16 + 3 + text.
    EXPECT_EQ(TabIconPlace(TFrameRect{10, 4, 110, 24}, 16, 12, 41), (TTabIconPlace{30, 8, 49}));
    // Text wider than the tab: the picture stays 3 pixels inside.
    EXPECT_EQ(TabIconPlace(TFrameRect{10, 4, 110, 24}, 16, 12, 300), (TTabIconPlace{13, 8, 32}));
    // A picture higher than the tab overhangs it evenly.
    EXPECT_EQ(TabIconPlace(TFrameRect{0, 0, 40, 10}, 8, 14, 0), (TTabIconPlace{14, -2, 25}));
}

TEST(TabCloseBoxTest, SixPixelSquareInTheTopRightCorner) {
    EXPECT_EQ(TabCloseBox(TFrameRect{10, 2, 80, 22}), (TFrameRect{72, 4, 78, 10}));
}

TEST(UsableMarginsTest, MarginsThatLeaveNoCentreAreDroppedInPairs) {
    EXPECT_EQ(UsableMargins(44, 22, TFrameRect{5, 5, 5, 2}), (TFrameRect{5, 5, 5, 2}));
    // A one-pixel image: nothing but centre.
    EXPECT_EQ(UsableMargins(1, 1, TFrameRect{4, 5, 4, 4}), (TFrameRect{0, 0, 0, 0}));
    // Only the pair that does not fit goes.
    EXPECT_EQ(UsableMargins(10, 30, TFrameRect{5, 5, 5, 5}), (TFrameRect{0, 5, 0, 5}));
    EXPECT_EQ(UsableMargins(30, 3, TFrameRect{5, 2, 5, 1}), (TFrameRect{5, 0, 5, 0}));
    // Negative and huge values.
    EXPECT_EQ(UsableMargins(30, 30, TFrameRect{-7, 3, 2, -1}), (TFrameRect{0, 3, 2, 0}));
    EXPECT_EQ(UsableMargins(30, 30, TFrameRect{2147483647, 0, 2147483647, 0}), (TFrameRect{0, 0, 0, 0}));
    EXPECT_EQ(UsableMargins(0, -4, TFrameRect{0, 0, 0, 0}), (TFrameRect{0, 0, 0, 0}));
}

} // namespace
