#include "WinSubClassComboGeometry.h"

#include <gtest/gtest.h>

#include <ostream>

static void PrintTo(const TFrameRect& rect, std::ostream* out) {
    *out << "(" << rect.Left << ", " << rect.Top << ", " << rect.Right << ", " << rect.Bottom << ")";
}

namespace {

bool Within(const TFrameRect& r, int width, int height) {
    return r.Left >= 0 && r.Top >= 0 && r.Left <= r.Right && r.Top <= r.Bottom && r.Right <= width &&
           r.Bottom <= height;
}

TEST(ComboCellTest, PressedBeforeHotAndDisabledAlwaysThree) {
    EXPECT_EQ(ComboCell(false, false, true), 1);
    EXPECT_EQ(ComboCell(true, false, true), 2);
    EXPECT_EQ(ComboCell(true, true, true), 2);
    EXPECT_EQ(ComboCell(false, true, true), 4);
    EXPECT_EQ(ComboCell(false, false, false), 3);
    EXPECT_EQ(ComboCell(true, true, false), 3);
    EXPECT_EQ(PlainComboCell(false, true, false), 3);
}

TEST(ComboLayoutTest, ButtonOnEitherSideAndTextBesideIt) {
    // 17-pixel button (the scroll-arrow width) in a 120 x 21 combo box.
    const TComboLayout right = ComboLayoutFor(120, 21, 17, false);
    EXPECT_EQ(right.Button, (TFrameRect{101, 2, 118, 19}));
    EXPECT_EQ(right.Text, (TFrameRect{2, 2, 99, 19}));
    const TComboLayout left = ComboLayoutFor(120, 21, 17, true);
    EXPECT_EQ(left.Button, (TFrameRect{0, 2, 19, 19}));
    EXPECT_EQ(left.Text, (TFrameRect{21, 2, 118, 19}));
    // Text and button never overlap.
    EXPECT_LE(right.Text.Right, right.Button.Left);
    EXPECT_GE(left.Text.Left, left.Button.Right);
}

TEST(ComboLayoutTest, TinyOrHostileSizesStayInsideTheWindowAndUninverted) {
    for (int width : {-5, 0, 1, 3, 10, 19, 40})
        for (int height : {-1, 0, 1, 3, 21})
            for (int button : {-20, 0, 17, 100})
                for (bool leftButton : {false, true}) {
                    const TComboLayout layout = ComboLayoutFor(width, height, button, leftButton);
                    const int w = width < 0 ? 0 : width, h = height < 0 ? 0 : height;
                    EXPECT_TRUE(Within(layout.Button, w, h)) << width << "x" << height << " " << button;
                    EXPECT_TRUE(Within(layout.Text, w, h)) << width << "x" << height << " " << button;
                }
}

TEST(PlainComboButtonTest, OneCellWideCentredAndNeverTallerThanTheWindow) {
    EXPECT_EQ(PlainComboButton(100, 24, 16, 18, false), (TFrameRect{83, 3, 99, 21}));
    EXPECT_EQ(PlainComboButton(100, 24, 16, 18, true), (TFrameRect{1, 3, 17, 21}));
    // An image taller than the window is cut to the window's inside.
    EXPECT_EQ(PlainComboButton(100, 12, 16, 40, false), (TFrameRect{83, 1, 99, 11}));
    // A zero-width cell or an empty image gives an empty button, not an inverted one.
    EXPECT_EQ(PlainComboButton(100, 24, 0, 18, false).Width(), 0);
    EXPECT_EQ(PlainComboButton(100, 24, 16, 0, false).Height(), 0);
    EXPECT_TRUE(Within(PlainComboButton(5, 2, 16, 18, false), 5, 2));
    EXPECT_TRUE(Within(PlainComboButton(5, 2, 16, 18, true), 5, 2));
}

TEST(CentredRectTest, GlyphKeepsItsSizeAndRoundsTowardZero) {
    EXPECT_EQ(CentredRect(TFrameRect{101, 2, 118, 19}, 12, 12), (TFrameRect{103, 4, 115, 16}));
    // Larger than the place: it overhangs evenly.
    EXPECT_EQ(CentredRect(TFrameRect{0, 0, 10, 10}, 14, 12), (TFrameRect{-2, -1, 12, 11}));
    EXPECT_EQ(CentredRect(TFrameRect{0, 0, 10, 10}, -3, 0), (TFrameRect{5, 5, 5, 5}));
}

TEST(PickerArrowRectTest, RightOrLeftAndHeightFourLess) {
    EXPECT_EQ(PickerArrowRect(150, 24, 17, false), (TFrameRect{129, 0, 146, 20}));
    EXPECT_EQ(PickerArrowRect(150, 24, 17, true), (TFrameRect{2, 0, 19, 20}));
    EXPECT_EQ(PickerArrowRect(10, 2, 17, false).Height(), 0);
    EXPECT_EQ(PickerArrowRect(10, 24, -4, false).Width(), 0);
}

TEST(ContrastTest, RatiosAsTheGuidelinesDefineThem) {
    EXPECT_NEAR(ContrastRatio(0x000000, 0xFFFFFF), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(0xFFFFFF, 0x000000), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(0x123456, 0x123456), 1.0, 1e-9);
    // #777777 on white is the well-known just-too-light grey (4.48).
    EXPECT_NEAR(ContrastRatio(0x777777, 0xFFFFFF), 4.48, 0.01);
    // Green weighs most, blue least (colours are 0x00BBGGRR).
    EXPECT_GT(RelativeLuminance(0x00FF00), RelativeLuminance(0x0000FF));
    EXPECT_GT(RelativeLuminance(0x0000FF), RelativeLuminance(0xFF0000));
    // Bits above the colour are ignored.
    EXPECT_NEAR(RelativeLuminance(0xFF000000), 0.0, 1e-9);
}

TEST(ContrastTest, AnIllegibleGlyphTurnsBlackOrWhite) {
    // Black arrow on a black pressed button: white.
    EXPECT_EQ(LegibleGlyphColour(0x000000, 0x000000), 0xFFFFFFu);
    // A dark grey arrow on a dark button: white as well.
    EXPECT_EQ(LegibleGlyphColour(0x353535, 0x0B0B0B), 0xFFFFFFu);
    // Grey on light grey: black.
    EXPECT_EQ(LegibleGlyphColour(0xA0A0A0, 0xD4D0C8), 0x000000u);
    // Black on yellow is legible and stays; so does a coloured one that is dark enough.
    EXPECT_EQ(LegibleGlyphColour(0x000000, 0x00DFFF), 0x000000u);
    EXPECT_EQ(LegibleGlyphColour(0x8C4F0A, 0xF7F2E8), 0x8C4F0Au);
    // Whatever it gives is legible.
    for (std::uint32_t bg : {0x000000u, 0x404040u, 0x767676u, 0x777777u, 0x808080u, 0xFFFFFFu, 0x0000FFu})
        for (std::uint32_t glyph : {0x000000u, 0x6E6E6Eu, 0xFFFFFFu, 0x00FF00u})
            EXPECT_GE(ContrastRatio(LegibleGlyphColour(glyph, bg), bg), MinLegibleContrast)
                << bg << " " << glyph;
}

} // namespace
