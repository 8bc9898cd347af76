#include "SkinContrast.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return r | (g << 8) | (b << 16);
}

TEST(SkinContrastTest, LuminanceFollowsTheSrgbCurveAndChannelWeights) {
    EXPECT_DOUBLE_EQ(RelativeLuminance(Rgb(0, 0, 0)), 0.0);
    EXPECT_NEAR(RelativeLuminance(Rgb(255, 255, 255)), 1.0, 1e-12);
    // Colours are 0x00BBGGRR: red is the low byte.
    EXPECT_NEAR(RelativeLuminance(0x0000FF), 0.2126, 1e-12);
    EXPECT_NEAR(RelativeLuminance(0x00FF00), 0.7152, 1e-12);
    EXPECT_NEAR(RelativeLuminance(0xFF0000), 0.0722, 1e-12);
    // Mid grey is far darker than half: the curve, not the byte value.
    EXPECT_NEAR(RelativeLuminance(Rgb(128, 128, 128)), 0.21586, 1e-5);
    // Below 0.04045 the curve is linear.
    EXPECT_NEAR(RelativeLuminance(Rgb(10, 10, 10)), 10 / 255.0 / 12.92, 1e-12);
    // The top byte (a system-colour flag elsewhere) is not part of the colour.
    EXPECT_DOUBLE_EQ(RelativeLuminance(0xFF000000u | Rgb(200, 100, 50)),
                     RelativeLuminance(Rgb(200, 100, 50)));
}

TEST(SkinContrastTest, RatioIsSymmetricAndMatchesKnownPairs) {
    EXPECT_DOUBLE_EQ(ContrastRatio(Rgb(90, 40, 200), Rgb(130, 20, 10)),
                     ContrastRatio(Rgb(130, 20, 10), Rgb(90, 40, 200)));
    // The well-known greys on white either side of 4.5:1.
    EXPECT_LT(ContrastRatio(Rgb(0x77, 0x77, 0x77), Rgb(255, 255, 255)), 4.5);
    EXPECT_GT(ContrastRatio(Rgb(0x76, 0x76, 0x76), Rgb(255, 255, 255)), 4.5);
    EXPECT_NEAR(ContrastRatio(Rgb(0x76, 0x76, 0x76), Rgb(255, 255, 255)), 4.54, 0.01);
    // White on a saturated orange is weak although the colours look far apart.
    EXPECT_LT(ContrastRatio(Rgb(255, 255, 255), Rgb(255, 150, 70)), 2.5);
}

// A 20 x 10 box: the background, a 2-pixel stroke of text with one anti-aliased column each
// side, so that shades between text and background occur.
std::vector<std::uint32_t> Stroke(std::uint32_t back, std::uint32_t text, std::uint32_t edge) {
    std::vector<std::uint32_t> box(200, back);
    for (int y = 2; y < 8; ++y) {
        box[y * 20 + 8] = edge;
        box[y * 20 + 9] = text;
        box[y * 20 + 10] = text;
        box[y * 20 + 11] = edge;
    }
    return box;
}

TEST(SkinContrastTest, MeasuresTheTextColourNotItsAntiAliasedEdge) {
    const std::uint32_t back = Rgb(240, 240, 240), text = Rgb(30, 30, 30), edge = Rgb(140, 140, 140);
    const TTextContrast dark = MeasureTextContrast(Stroke(back, text, edge));
    EXPECT_EQ(dark.Background, back);
    EXPECT_EQ(dark.Text, text);
    EXPECT_EQ(dark.TextPixels, 12u);
    EXPECT_NEAR(dark.Ratio, ContrastRatio(back, text), 1e-9);
    // Light text on a dark background the same way round.
    const TTextContrast light = MeasureTextContrast(Stroke(text, back, edge));
    EXPECT_EQ(light.Background, text);
    EXPECT_EQ(light.Text, back);
    EXPECT_NEAR(light.Ratio, ContrastRatio(back, text), 1e-9);
    // Text in nearly the background's colour is found as such and measured low.
    const TTextContrast faint = MeasureTextContrast(Stroke(back, Rgb(200, 200, 200), Rgb(220, 220, 220)));
    EXPECT_EQ(faint.Text, Rgb(200, 200, 200));
    EXPECT_LT(faint.Ratio, 1.5);
}

TEST(SkinContrastTest, OnAGradientTheWeakestPartCounts) {
    // A caption-like gradient from navy to a lighter blue, one colour a column, so that the
    // white text has more pixels than any single background colour.
    const int width = 60, height = 12;
    auto column = [](int x) { return Rgb(10 + 2 * x, 36 + 2 * x, 106 + 2 * x); };
    std::vector<std::uint32_t> box;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            box.push_back(y >= 3 && y < 9 && x % 10 < 2 ? Rgb(255, 255, 255) : column(x));
    const TTextContrast across = MeasureTextContrast(box);
    EXPECT_EQ(across.Text, Rgb(255, 255, 255));
    EXPECT_EQ(across.TextPixels, 72u);
    // The light end decides, not the dark one where most of the box is.
    EXPECT_LT(across.Ratio, ContrastRatio(Rgb(255, 255, 255), column(width / 2)));
    EXPECT_GE(across.Ratio, ContrastRatio(Rgb(255, 255, 255), column(width - 1)));

    // A split band, light above and darker below, dark text over both: the darker band decides.
    const std::uint32_t upper = Rgb(112, 166, 226), lower = Rgb(70, 128, 204), ink = Rgb(10, 26, 56);
    box.clear();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            box.push_back(x % 7 == 3 ? ink : y < height / 2 ? upper : lower);
    const TTextContrast split = MeasureTextContrast(box);
    EXPECT_EQ(split.Text, ink);
    EXPECT_NEAR(split.Ratio, ContrastRatio(ink, lower), 1e-9);
    // A small spot of another colour (a border corner, a glyph) is not background.
    box[0] = Rgb(60, 60, 60);
    EXPECT_NEAR(MeasureTextContrast(box).Ratio, split.Ratio, 1e-9);
}

TEST(SkinContrastTest, HeavyTextIsStillTextAndAnEmptyBoxHasNone) {
    // Text covering almost as much of the box as the background does.
    std::vector<std::uint32_t> box(100, Rgb(255, 255, 255));
    for (int i = 0; i < 45; ++i)
        box[i * 2] = Rgb(0, 0, 0);
    const TTextContrast bold = MeasureTextContrast(box);
    EXPECT_EQ(bold.Background, Rgb(255, 255, 255));
    EXPECT_EQ(bold.Text, Rgb(0, 0, 0));
    EXPECT_NEAR(bold.Ratio, 21.0, 1e-9);
    // A box of one colour has no text: ratio 1.
    EXPECT_DOUBLE_EQ(MeasureTextContrast(std::vector<std::uint32_t>(30, Rgb(9, 9, 9))).Ratio, 1.0);
    const TTextContrast empty = MeasureTextContrast({});
    EXPECT_DOUBLE_EQ(empty.Ratio, 1.0);
    EXPECT_EQ(empty.TextPixels, 0u);
}

} // namespace
