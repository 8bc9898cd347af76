#include "SkinChoice.h"

#include <gtest/gtest.h>

#include <climits>

TEST(SkinChoice, StepsThroughTheStoreAndComesToTheFirstFromAnyNumberThatNamesNoSkin) {
    struct TRow {
        int Current, Count, Expected;
    };
    const TRow table[] = {
        {0, 8, 1},  {6, 8, 7},       {7, 8, 0},       {8, 8, 0}, {100, 8, 0}, {-1, 8, 0},
        {-5, 8, 0}, {INT_MIN, 8, 0}, {INT_MAX, 8, 0}, {0, 1, 0}, {0, 0, 0},   {3, 0, 0},
    };
    for (const TRow& row : table)
        EXPECT_EQ(NextSkinNumber(row.Current, row.Count), row.Expected)
            << "from " << row.Current << " of " << row.Count;
}
