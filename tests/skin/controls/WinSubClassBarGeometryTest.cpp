#include "WinSubClassBarGeometry.h"

#include <gtest/gtest.h>

TEST(BarGeometry, ProgressFillFollowsPositionWithinTheRange) {
    EXPECT_EQ(ProgressFillWidth(200, 0, 0, 100), 0) << "at the lower limit only the empty cell";
    EXPECT_EQ(ProgressFillWidth(200, 100, 0, 100), 200);
    EXPECT_EQ(ProgressFillWidth(200, 50, 0, 100), 100);
    EXPECT_EQ(ProgressFillWidth(200, 30, 20, 40), 100);
    EXPECT_EQ(ProgressFillWidth(200, 500, 0, 100), 200) << "never past the end";
    EXPECT_EQ(ProgressFillWidth(200, 5, 10, 10), 0) << "an empty range fills nothing below it";
    EXPECT_EQ(ProgressFillWidth(200, 10, 10, 10), 200);
    EXPECT_EQ(ProgressFillWidth(200, 50, 0, -5), 0);
    EXPECT_EQ(ProgressFillWidth(0x7FFFFFFF, 0x7FFFFFFF, -0x7FFFFFFF, 0x7FFFFFFF), 0x7FFFFFFF);
    // Chunks count from 0, whatever the lower limit.
    EXPECT_EQ(ProgressChunkFillWidth(200, 30, 40), 150);
    EXPECT_EQ(ProgressChunkFillWidth(200, 80, 40), 200);
    EXPECT_EQ(ProgressChunkFillWidth(200, 10, 0), 0);
    EXPECT_EQ(MulDivRound(7, 3, 2), 11);
    EXPECT_EQ(MulDivRound(-7, 3, 2), -11);
    EXPECT_EQ(MulDivRound(5, 5, 0), 0);
}

TEST(BarGeometry, UpDownHalvesAndTheirCells) {
    TUpDownHalves halves = UpDownHalves(17, 31, false, 2, true, true);
    EXPECT_EQ(halves.First, (TFrameRect{0, 0, 17, 15}));
    EXPECT_EQ(halves.Second, (TFrameRect{0, 15, 17, 31}));
    EXPECT_EQ(halves.FirstCell, 1);
    EXPECT_EQ(halves.SecondCell, 6) << "the pressed lower half";
    halves = UpDownHalves(17, 31, false, 2, false, true);
    EXPECT_EQ(halves.SecondCell, 5) << "hovering alone does not light it";
    halves = UpDownHalves(17, 31, false, 1, true, false);
    EXPECT_EQ(halves.FirstCell, 3);
    EXPECT_EQ(halves.SecondCell, 7);
    halves = UpDownHalves(41, 20, true, 1, true, true);
    EXPECT_EQ(halves.First, (TFrameRect{0, 0, 20, 20}));
    EXPECT_EQ(halves.FirstCell, 2);
    halves = UpDownHalves(-3, -3, true, 0, false, true);
    EXPECT_EQ(halves.Second.Width(), 0);
    EXPECT_EQ(UpDownHalfAt(17, 30, false, 5, 14), 1);
    EXPECT_EQ(UpDownHalfAt(17, 30, false, 5, 15), 2);
    EXPECT_EQ(UpDownHalfAt(17, 30, false, 5, 30), 0);
    EXPECT_EQ(StatusEdgeCell(pbRaised), 2);
    EXPECT_EQ(StatusEdgeCell(pbLowered), 1);
    EXPECT_EQ(StatusEdgeCell(pbNone), 3);
}
