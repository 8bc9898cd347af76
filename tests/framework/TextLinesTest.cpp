#include "TextLines.h"

#include <gtest/gtest.h>

using namespace std::string_literals;
using Lines = std::vector<std::string>;

TEST(SplitLines, EachBreakStyleEndsOneLine) {
    EXPECT_EQ(SplitLines("a\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitLines("a\rb"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitLines("a\r\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
}

TEST(SplitLines, LfCrIsTwoBreaksNotOne) {
    EXPECT_EQ(SplitLines("a\n\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\r\r\nb"), (Lines{"a", "", "b"}));
}

TEST(SplitLines, KeepsInnerEmptyLinesButNoTrailingOne) {
    EXPECT_EQ(SplitLines("a\n\nb\n"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(SplitLines("\n"), (Lines{""}));
    EXPECT_EQ(SplitLines("\n\n"), (Lines{"", ""}));
    EXPECT_TRUE(SplitLines("").empty());
}

TEST(SplitLines, StopsAtNul) {
    EXPECT_EQ(SplitLines("a\nb\0c\nd"s), (Lines{"a", "b"}));
    EXPECT_EQ(SplitLines("a\r\0\nb"s), (Lines{"a"}));
    EXPECT_TRUE(SplitLines("\0a"s).empty());
}

TEST(SplitLines, PassesOtherBytesThrough) {
    EXPECT_EQ(SplitLines("\t x \xE9\xFF"), (Lines{"\t x \xE9\xFF"}));
}

TEST(JoinLines, EndsEveryLineWithCrLfAndRoundTrips) {
    EXPECT_EQ(JoinLines({}), "");
    EXPECT_EQ(JoinLines({""}), "\r\n");
    EXPECT_EQ(JoinLines({"C:\\Data=Work", "", "D:\\x"}), "C:\\Data=Work\r\n\r\nD:\\x\r\n");
    Lines lines{"a", "", "b=c=d", "\xE9"};
    EXPECT_EQ(SplitLines(JoinLines(lines)), lines);
}
