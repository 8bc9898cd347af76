#include "WindowPlacement.h"

#include <gtest/gtest.h>

namespace {
const TMonitorArea Primary{{0, 0, 1280, 1024}, {0, 0, 1280, 984}};
const TMonitorArea Right{{1280, 0, 3200, 1080}, {1280, 0, 3200, 1040}};
} // namespace

TEST(KeepOnScreen, AnyVisiblePartKeepsThePositionExactly) {
    TScreenRect window{859, 266, 1147, 460};
    EXPECT_EQ(KeepOnScreen(window, {Primary}), window);
    TScreenRect mostlyOff{1270, 1000, 1570, 1200}; // ten pixels still show
    EXPECT_EQ(KeepOnScreen(mostlyOff, {Primary}), mostlyOff);
    TScreenRect onSecond{2000, 100, 2300, 300};
    EXPECT_EQ(KeepOnScreen(onSecond, {Primary, Right}), onSecond);
}

TEST(KeepOnScreen, AWindowOnAMissingMonitorMovesToTheNearestWorkArea) {
    // It was on the right-hand monitor, which is gone.
    TScreenRect lost{2000, 100, 2300, 300};
    EXPECT_EQ(KeepOnScreen(lost, {Primary}), (TScreenRect{980, 100, 1280, 300}));
    // Minimized windows report -32000: back to the top-left of the work area.
    EXPECT_EQ(KeepOnScreen(TScreenRect{-32000, -32000, -31840, -31972}, {Primary, Right}),
              (TScreenRect{0, 0, 160, 28}));
    // Below the task bar's monitor edge: kept above the task bar.
    EXPECT_EQ(KeepOnScreen(TScreenRect{100, 1100, 400, 1300}, {Primary}), (TScreenRect{100, 784, 400, 984}));
}

TEST(KeepOnScreen, LargerThanTheWorkAreaStartsAtItsCorner) {
    EXPECT_EQ(KeepOnScreen(TScreenRect{5000, 5000, 7000, 7000}, {Primary}), (TScreenRect{0, 0, 2000, 2000}));
    EXPECT_EQ(KeepOnScreen(TScreenRect{5, 5, 50, 50}, {}), (TScreenRect{5, 5, 50, 50}));
}
