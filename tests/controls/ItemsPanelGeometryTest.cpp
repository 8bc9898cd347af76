#include "ItemsPanelGeometry.h"

#include <gtest/gtest.h>

namespace {
TItemLayout Vertical(int count, int itemHeight, int width = 100, int height = 132) {
    return TItemLayout{count, itemHeight, width, height, true};
}
} // namespace

TEST(ItemsPanelGeometry, AutoSizeSplitsTheAxisAndGivesTheLastItemTheRest) {
    // Five lines in 132 pixels: 26 each, the last two pixels taller.
    EXPECT_EQ(AutoItemHeight(132, 5), 26);
    EXPECT_EQ(AutoSizeRemainder(132, 5), 2);
    TItemLayout layout = Vertical(5, 26);
    EXPECT_EQ(ItemRect(layout, 0), (TItemRect{0, 0, 100, 26}));
    EXPECT_EQ(ItemRect(layout, 4), (TItemRect{0, 104, 100, 130}));
    EXPECT_EQ(ItemIndexAt(layout, 10, 0), 0);
    EXPECT_EQ(ItemIndexAt(layout, 10, 25), 0);
    EXPECT_EQ(ItemIndexAt(layout, 10, 26), 1);
    EXPECT_EQ(ItemIndexAt(layout, 10, 129), 4);
    // The painted extension of the last item is not part of it.
    EXPECT_EQ(ItemIndexAt(layout, 10, 130), -1);
    EXPECT_EQ(ItemIndexAt(layout, 10, 131), -1);
    EXPECT_EQ(AutoItemHeight(0, 0), 0);
    EXPECT_EQ(AutoSizeRemainder(50, 0), 0);
}

TEST(ItemsPanelGeometry, BoundsAreExclusiveAlongTheAxisInclusiveAcrossIt) {
    TItemLayout layout = Vertical(2, 30, 80);
    EXPECT_EQ(ItemIndexAt(layout, 0, 0), 0);
    EXPECT_EQ(ItemIndexAt(layout, 80, 59), 1); // x == Width still hits
    EXPECT_EQ(ItemIndexAt(layout, 81, 10), -1);
    EXPECT_EQ(ItemIndexAt(layout, -1, 10), -1);
    EXPECT_EQ(ItemIndexAt(layout, 10, -1), -1);
    EXPECT_EQ(ItemIndexAt(layout, 10, 60), -1);

    TItemLayout row{3, 40, 200, 20, false};
    EXPECT_EQ(ItemRect(row, 1), (TItemRect{40, 0, 80, 20}));
    EXPECT_EQ(ItemIndexAt(row, 119, 20), 2);
    EXPECT_EQ(ItemIndexAt(row, 120, 5), -1);
    EXPECT_EQ(ItemIndexAt(row, 5, 21), -1);
}

TEST(ItemsPanelGeometry, NoLinesOrNoExtentHitsNothing) {
    EXPECT_EQ(ItemIndexAt(Vertical(0, 26), 1, 1), -1);
    // More lines than pixels: the extent becomes 0 and nothing is hit.
    int count = 200;
    TItemLayout crowded = Vertical(count, AutoItemHeight(132, count));
    EXPECT_EQ(crowded.ItemHeight, 0);
    EXPECT_EQ(AutoSizeRemainder(132, count), 132);
    EXPECT_EQ(ItemIndexAt(crowded, 1, 1), -1);
    EXPECT_EQ(ItemRect(crowded, count - 1), (TItemRect{0, 0, 100, 0}));
}

TEST(ItemsPanelGeometry, OutOfRangeIndexGivesTheEmptyRectangle) {
    TItemLayout layout = Vertical(3, 20);
    EXPECT_EQ(ItemRect(layout, -1), TItemRect{});
    EXPECT_EQ(ItemRect(layout, 3), TItemRect{});
    // A huge list never wraps the arithmetic around.
    TItemLayout huge = Vertical(2000000, 5000);
    EXPECT_EQ(ItemIndexAt(huge, 1, 2147483000), 429496);
    EXPECT_GT(ItemRect(huge, 1999999).Top, 0);
}

TEST(ItemsPanelGeometry, DisplayTextFollowsShortTitles) {
    EXPECT_EQ(ItemDisplayText("D:\\Music=Tunes", true), "Tunes");
    EXPECT_EQ(ItemDisplayText("D:\\Music=Tunes", false), "D:\\Music");
    EXPECT_EQ(ItemDisplayText("D:\\Music", true), "D:\\Music");
    EXPECT_EQ(ItemDisplayText("D:\\Music", false), "D:\\Music");
    EXPECT_EQ(ItemDisplayText("D:\\Music=", true), "");
    EXPECT_EQ(ItemDisplayText("a=b=c", true), "b=c");
    EXPECT_EQ(ItemDisplayText("", true), "");
}

TEST(ItemsPanelGeometry, KeyStepsStopAtTheEndsAndStartFromNone) {
    using enum TItemStep;
    // Up, down, Home and End over four items.
    EXPECT_EQ(ItemAfterStep(1, 4, Next), 2);
    EXPECT_EQ(ItemAfterStep(3, 4, Next), 3);
    EXPECT_EQ(ItemAfterStep(2, 4, Previous), 1);
    EXPECT_EQ(ItemAfterStep(0, 4, Previous), 0);
    EXPECT_EQ(ItemAfterStep(2, 4, First), 0);
    EXPECT_EQ(ItemAfterStep(1, 4, Last), 3);
    // No current item (a press below the buttons): either step starts at the first.
    EXPECT_EQ(ItemAfterStep(-1, 4, Next), 0);
    EXPECT_EQ(ItemAfterStep(-1, 4, Previous), 0);
    EXPECT_EQ(ItemAfterStep(-1, 4, Last), 3);
    // The current item was deleted from the end: back to the last one there is.
    EXPECT_EQ(ItemAfterStep(4, 4, Next), 3);
    EXPECT_EQ(ItemAfterStep(9, 4, Previous), 3);
    // One item, and none.
    EXPECT_EQ(ItemAfterStep(0, 1, Next), 0);
    EXPECT_EQ(ItemAfterStep(0, 1, Previous), 0);
    for (TItemStep step : {Previous, Next, First, Last}) {
        EXPECT_EQ(ItemAfterStep(0, 0, step), -1);
        EXPECT_EQ(ItemAfterStep(-1, 0, step), -1);
    }
    // Far ends of the number range do not wrap.
    EXPECT_EQ(ItemAfterStep(2147483647, 5, Next), 4);
    EXPECT_EQ(ItemAfterStep(-2147483647 - 1, 5, Previous), 0);
}
