#include "TargetEntry.h"

#include <gtest/gtest.h>

TEST(TargetEntry, PathAndTitleSplitAtTheFirstEquals) {
    EXPECT_EQ(TargetPath("C:\\Data"), "C:\\Data");
    EXPECT_EQ(TargetShortTitle("C:\\Data"), "");
    EXPECT_EQ(TargetPath("C:\\Data=Work"), "C:\\Data");
    EXPECT_EQ(TargetShortTitle("C:\\Data=Work"), "Work");
    // A folder whose name holds "=" is cut there.
    EXPECT_EQ(TargetPath("C:\\a=b\\c=Title"), "C:\\a");
    EXPECT_EQ(TargetShortTitle("C:\\a=b\\c=Title"), "b\\c=Title");
    EXPECT_EQ(TargetPath(""), "");
    EXPECT_EQ(TargetPath("=x"), "");
}

TEST(TargetEntry, SettingATitleAddsOrReplaces) {
    EXPECT_EQ(WithShortTitle("C:\\Data", "Work"), "C:\\Data=Work");
    EXPECT_EQ(WithShortTitle("C:\\Data=Work", "Home"), "C:\\Data=Home");
    EXPECT_EQ(WithShortTitle("C:\\Data=a=b", "c"), "C:\\Data=c");
}
