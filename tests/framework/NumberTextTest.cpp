#include "NumberText.h"

#include <gtest/gtest.h>

TEST(ParseInteger, DecimalWithSign) {
    EXPECT_EQ(ParseIntegerOr("220", -7), 220);
    EXPECT_EQ(ParseIntegerOr("-32000", -7), -32000);
    EXPECT_EQ(ParseIntegerOr("+5", -7), 5);
    EXPECT_EQ(ParseIntegerOr("0", -7), 0);
    EXPECT_EQ(ParseIntegerOr("2147483647", -7), 2147483647);
    EXPECT_EQ(ParseIntegerOr("-2147483648", -7), INT32_MIN);
}

TEST(ParseInteger, HexadecimalIsTheThirtyTwoBitPattern) {
    EXPECT_EQ(ParseIntegerOr("0x1F", -7), 31);
    EXPECT_EQ(ParseIntegerOr("0X1f", -7), 31);
    EXPECT_EQ(ParseIntegerOr("0xFFFFFFFF", -7), -1);
    EXPECT_EQ(ParseIntegerOr("-0x10", -7), -16);
    EXPECT_EQ(ParseIntegerOr("0x12C", -7) & 0xFF, 44); // Alpha=0x12C keeps its low byte
}

TEST(ParseInteger, AnythingElseGivesTheFallback) {
    for (const char* text : {"", " ", "-", "+", "0x", "0x123456789", "0xG1", "12a", "1.5", "2147483648",
                             "-2147483649", "99999999999999999999", "$1F", "1 2", "garbage", "\x01\x02"}) {
        EXPECT_EQ(ParseIntegerOr(text, -7), -7) << text;
    }
}
