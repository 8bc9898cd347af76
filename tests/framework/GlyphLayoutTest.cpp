#include "GlyphLayout.h"

#include <gtest/gtest.h>

namespace {

TGlyphLayoutInput Button(TButtonLayout layout, int margin, int spacing, int textWidth = 30, int glyph = 16) {
    TGlyphLayoutInput in;
    in.ClientWidth = 100;
    in.ClientHeight = 40;
    in.GlyphWidth = in.GlyphHeight = glyph;
    in.TextWidth = textWidth;
    in.TextHeight = textWidth ? 13 : 0;
    in.Layout = layout;
    in.Margin = margin;
    in.Spacing = spacing;
    return in;
}

} // namespace

TEST(GlyphLayout, MarginAndSpacingOfMinusOneSpreadTheGapsEvenly) {
    const TGlyphLayout at = LayoutGlyphButton(Button(blGlyphLeft, -1, -1));
    // 100 - 16 - 30 = 54 of free space: three gaps of 18.
    EXPECT_EQ(at.Margin, 18);
    EXPECT_EQ(at.Spacing, 18);
    EXPECT_EQ(at.GlyphX, 18);
    EXPECT_EQ(at.TextX, 18 + 16 + 18);
    EXPECT_EQ(100 - (at.TextX + 30), 18) << "the right gap equals the left one";
    EXPECT_EQ(at.GlyphY, 12);
    EXPECT_EQ(at.TextY, 14);
}

TEST(GlyphLayout, AnEmptyCaptionCentresTheGlyphAlone) {
    for (int spacing : {-1, 0, 4, 30}) {
        const TGlyphLayout at = LayoutGlyphButton(Button(blGlyphLeft, -1, spacing, 0));
        EXPECT_EQ(at.Spacing, 0) << spacing;
        EXPECT_EQ(at.GlyphX, 42) << spacing;
    }
}

TEST(GlyphLayout, EachLayoutPlacesGlyphAndTextOnItsSide) {
    TGlyphLayout at = LayoutGlyphButton(Button(blGlyphRight, 4, 2));
    EXPECT_EQ(at.GlyphX, 100 - 4 - 16);
    EXPECT_EQ(at.TextX, at.GlyphX - 2 - 30);
    EXPECT_EQ(at.TextAlign, gtaRight);

    TGlyphLayoutInput tall = Button(blGlyphBottom, -1, 4);
    tall.ClientHeight = 60;
    at = LayoutGlyphButton(tall);
    // Glyph under the caption, both centred across: (60 - 16 - 4 - 13) / 2 = 13.
    EXPECT_EQ(at.Margin, 13);
    EXPECT_EQ(at.GlyphY, 60 - 13 - 16);
    EXPECT_EQ(at.TextY, at.GlyphY - 4 - 13);
    EXPECT_EQ(at.GlyphX, 42);
    EXPECT_EQ(at.TextX, 35);
    EXPECT_EQ(at.TextAlign, gtaCentre);

    at = LayoutGlyphButton(Button(blGlyphTop, 3, -1));
    // A fixed margin with a free spacing: ((40 - 3 - 16) - 13) / 2 = 4.
    EXPECT_EQ(at.GlyphY, 3);
    EXPECT_EQ(at.Spacing, 4);
    EXPECT_EQ(at.TextY, 3 + 16 + 4);
}

TEST(GlyphLayout, HostileSizesStayWithinRange) {
    TGlyphLayoutInput in = Button(blGlyphLeft, -1, -1, 0x7FFFFFFF, 0x7FFFFFFF);
    in.ClientWidth = -5;
    const TGlyphLayout at = LayoutGlyphButton(in);
    EXPECT_GE(at.GlyphX, -0x40000000);
    EXPECT_LE(at.TextX, 0x40000000);
    in = Button(blGlyphTop, 0x7FFFFFFF, 0x7FFFFFFF);
    const TGlyphLayout far = LayoutGlyphButton(in);
    EXPECT_LE(far.TextY, 0x40000000);
}
