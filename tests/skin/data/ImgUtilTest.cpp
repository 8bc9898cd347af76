#include "ImgUtil.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using Pixels = std::vector<std::vector<TColor>>; // [row][column]

// Bitmaps are not copyable, so the helper hands out an owned one.
std::unique_ptr<TBitmap> MakeBitmap(const Pixels& rows, TPixelFormat format = pf24bit) {
    auto bitmap =
        std::make_unique<TBitmap>(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), format);
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            bitmap->SetPixelColor(static_cast<int>(x), static_cast<int>(y), rows[y][x]);
    return bitmap;
}

Pixels Read(const TBitmap& bitmap) {
    Pixels rows(static_cast<size_t>(bitmap.Height()),
                std::vector<TColor>(static_cast<size_t>(bitmap.Width())));
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            rows[static_cast<size_t>(y)][static_cast<size_t>(x)] = bitmap.PixelColor(x, y);
    return rows;
}

TEST(MixColours, WeightsBelow100ArePercentagesAndAboveArePerMille) {
    EXPECT_EQ(MixColours(0x000000, 0xFFFFFF, 50), 0x808080);
    EXPECT_EQ(MixColours(0x0000FF, 0xFF0000, 0), 0xFF0000);
    // 100 is 10 % of c1 on the per-mille scale, not all of it.
    EXPECT_EQ(MixColours(0xFFFFFF, 0x000000, 100), 0x1A1A1A);
    EXPECT_EQ(MixColours(0x808080, 0x0000FF, 150), 0x1313EC);
    EXPECT_EQ(MixColours(0x102030, 0x000000, 1000), 0x102030);
    // Weights outside the scale stay inside a byte per channel.
    EXPECT_EQ(MixColours(0xFFFFFF, 0x000000, 2000), 0xFFFFFF);
    EXPECT_EQ(MixColours(0xFFFFFF, 0x000000, -50), 0x000000);
}

TEST(MixColours, ResolvesSystemColoursFirst) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE), text = GetSysColor(COLOR_WINDOWTEXT);
    EXPECT_EQ(MixColours(clBtnFace, clWindowText, 99),
              MixColours(static_cast<TColor>(face), static_cast<TColor>(text), 99));
    EXPECT_EQ(MixColours(clBtnFace, 0, 0), 0);
}

TEST(ColourSaturation, BrightColoursGetTheirSaturationDarkOnes200) {
    EXPECT_EQ(ColourSaturation(0x0000FF), 255);
    EXPECT_EQ(ColourSaturation(0x000080), 200);
    EXPECT_EQ(ColourSaturation(0x9F9F9F), 200);
    EXPECT_EQ(ColourSaturation(0xFFFFFF), 0);
    // 255 x 3 / 170 = 4.5 and 255 x 1 / 170 = 1.5: halves go to the even neighbour.
    EXPECT_EQ(ColourSaturation(0xA7A7AA), 4);
    EXPECT_EQ(ColourSaturation(0xA9A9AA), 2);
}

TEST(GradientRamp, EndsAtBothColoursAndTruncatesTowardZero) {
    TGradientRampCache cache;
    const std::vector<COLORREF>& up = cache.Ramp(40, RGB(0, 0, 0), RGB(255, 255, 255));
    ASSERT_EQ(up.size(), 40u);
    EXPECT_EQ(up[0], RGB(0, 0, 0));
    EXPECT_EQ(up[1], RGB(7, 7, 7)); // (19 + 255) div 39
    EXPECT_EQ(up[39], RGB(255, 255, 255));
    EXPECT_EQ(cache.Ramp(3, RGB(255, 0, 0), RGB(0, 0, 0)),
              (std::vector<COLORREF>{RGB(255, 0, 0), RGB(128, 0, 0), RGB(1, 0, 0)}));
    EXPECT_EQ(cache.Ramp(1, RGB(10, 0, 200), RGB(21, 0, 0)), (std::vector<COLORREF>{RGB(15, 0, 100)}));
}

TEST(GradientRamp, KeepsTheLast16RampsAndReplacesTheOldest) {
    TGradientRampCache cache;
    for (int i = 0; i < 16; ++i)
        cache.Ramp(10 + i, RGB(0, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(cache.BuildCount(), 16u);
    cache.Ramp(10, RGB(0, 0, 0), RGB(255, 0, 0));
    cache.Ramp(25, RGB(0, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(cache.BuildCount(), 16u);
    // Same length, other end colour: a different ramp, the 17th. It takes the slot of the first.
    cache.Ramp(10, RGB(0, 0, 0), RGB(254, 0, 0));
    EXPECT_EQ(cache.BuildCount(), 17u);
    cache.Ramp(11, RGB(0, 0, 0), RGB(255, 0, 0));
    cache.Ramp(25, RGB(0, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(cache.BuildCount(), 17u);
    cache.Ramp(10, RGB(0, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(cache.BuildCount(), 18u);
}

TEST(GradientFill, PaintsOnlyVisibleLinesOfTheFullRamp) {
    TBitmap bitmap(3, 40);
    HDC dc = bitmap.MemoryDC();
    IntersectClipRect(dc, 0, 10, 3, 20);
    GradientRampCache().Clear();
    GradientFill(dc, RECT{0, 0, 3, 40}, clBlack, true, clWhite);
    SelectClipRgn(dc, nullptr);
    EXPECT_EQ(GradientRampCache().BuildCount(), 1u);
    EXPECT_EQ(bitmap.PixelColor(1, 9), clWhite);   // untouched
    EXPECT_EQ(bitmap.PixelColor(1, 10), 0x414141); // (19 + 10 x 255) div 39 = 65
    EXPECT_EQ(bitmap.PixelColor(2, 19), 0x7C7C7C); // (19 + 19 x 255) div 39 = 124
    EXPECT_EQ(bitmap.PixelColor(0, 20), clWhite);

    // The same gradient again is served from the cache; horizontal runs left to right.
    TBitmap across(4, 2);
    GradientFill(across.MemoryDC(), RECT{0, 0, 4, 2}, 0x0000FF, false, 0x00FF00);
    GradientFill(bitmap.MemoryDC(), RECT{0, 0, 3, 40}, clBlack, true, clWhite);
    EXPECT_EQ(GradientRampCache().BuildCount(), 2u);
    // Falling channels truncate toward zero too, so red ends at 1, not 0.
    EXPECT_EQ(Read(across)[1], (std::vector<TColor>{0x0000FF, 0x0055AB, 0x00AA56, 0x00FF01}));

    // Nothing for an empty or invisible rectangle.
    GradientFill(across.MemoryDC(), RECT{0, 0, 4, 0}, clBlack, true, clBlack);
    GradientFill(across.MemoryDC(), RECT{10, 10, 20, 20}, clBlack, true, clBlack);
    EXPECT_EQ(GradientRampCache().BuildCount(), 2u);
}

TEST(BitmapTransforms, MirrorFlipAndRotateMovePixelsExactly) {
    const Pixels input = {{1, 2, 3}, {4, 5, 6}};
    auto bitmap = MakeBitmap(input);
    MirrorBitmap(*bitmap);
    EXPECT_EQ(Read(*bitmap), (Pixels{{3, 2, 1}, {6, 5, 4}}));
    bitmap = MakeBitmap(input);
    FlipBitmap(*bitmap);
    EXPECT_EQ(Read(*bitmap), (Pixels{{4, 5, 6}, {1, 2, 3}}));
    bitmap = MakeBitmap(input);
    RotateClockwise(*bitmap);
    EXPECT_EQ(Read(*bitmap), (Pixels{{4, 1}, {5, 2}, {6, 3}}));
    RotateCounterClockwise(*bitmap);
    EXPECT_EQ(Read(*bitmap), input);
    RotateCounterClockwise(*bitmap);
    EXPECT_EQ(Read(*bitmap), (Pixels{{3, 6}, {2, 5}, {1, 4}}));

    auto wide = MakeBitmap({{1, 2, 3, 4, 5, 6, 7}}, pf32bit);
    MirrorCells(*wide, 3);
    EXPECT_EQ(Read(*wide), (Pixels{{2, 1, 4, 3, 6, 5, 7}}));

    TBitmap empty;
    MirrorBitmap(empty);
    RotateClockwise(empty);
    EXPECT_TRUE(empty.Empty());
}

TEST(BitmapTransforms, ReplaceMagentaTouchesOnlyExactMagentaAndMakes24Bit) {
    auto bitmap = MakeBitmap({{0xFF00FF, 0xFF00FE, 0xFE00FF, 0x000000}}, pf32bit);
    ReplaceMagenta(*bitmap, 0x123456);
    EXPECT_EQ(bitmap->PixelFormat(), pf24bit);
    EXPECT_EQ(Read(*bitmap), (Pixels{{0x123456, 0xFF00FE, 0xFE00FF, 0x000000}}));
}

TEST(DrawNineSlice, KeepsCornersStretchesEdgesAndTilesTheCentre) {
    // One 4 x 3 cell at x = 4 of an 8-pixel-wide image; margins 1 all round leave a 2 x 1 centre.
    const TColor A = 0x0000AA, B = 0x00BB00, C = 0xCC0000, M = 0xFF00FF;
    auto imageOwner =
        MakeBitmap({{0, 0, 0, 0, A, B, C, A}, {0, 0, 0, 0, B, 1, 2, B}, {0, 0, 0, 0, A, B, M, A}});
    const TBitmap& image = *imageOwner;
    TBitmap target(6, 3);
    DrawNineSlice(target.MemoryDC(), RECT{0, 0, 6, 3}, image, RECT{4, 0, 8, 3}, RECT{1, 1, 1, 1}, true,
                  false);
    EXPECT_EQ(Read(target)[1], (std::vector<TColor>{B, 1, 2, 1, 2, B}));
    EXPECT_EQ(Read(target)[0][0], A);
    EXPECT_EQ(Read(target)[0][5], A);

    DrawNineSlice(target.MemoryDC(), RECT{0, 0, 6, 3}, image, RECT{4, 0, 8, 3}, RECT{1, 1, 1, 1}, false,
                  false);
    EXPECT_EQ(Read(target)[1], (std::vector<TColor>{B, 1, 1, 2, 2, B}));

    // Transparent: the magenta pixel leaves what was there.
    auto under = MakeBitmap({{7, 7, 7, 7}, {7, 7, 7, 7}, {7, 7, 7, 7}});
    DrawNineSlice(under->MemoryDC(), RECT{0, 0, 4, 3}, image, RECT{4, 0, 8, 3}, RECT{}, false, true);
    EXPECT_EQ(Read(*under)[2], (std::vector<TColor>{A, B, 7, A}));

    // Margins that do not fit are dropped: a 1-pixel-wide target gets the cell squeezed.
    TBitmap thin(1, 3);
    DrawNineSlice(thin.MemoryDC(), RECT{0, 0, 1, 3}, image, RECT{4, 0, 8, 3}, RECT{1, 0, 1, 0}, false, false);
    EXPECT_NE(thin.PixelColor(0, 0), clWhite);
}

TEST(DrawNineSlice, AStretchedTransparentCellLeavesOutMagentaAfterStretching) {
    // The cell {A, M} of a 3 x 1 image at x = 1, stretched or tiled to 4 x 1 over 7s.
    const TColor A = 0x0000AA, M = 0xFF00FF;
    auto imageOwner = MakeBitmap({{0x111111, A, M}});
    const struct {
        const char* name;
        RECT margins;
        bool tile;
        std::vector<TColor> expected;
    } cases[] = {
        {"stretched", RECT{}, false, {A, A, 7, 7}},
        {"tiled", RECT{}, true, {A, 7, A, 7}},
        {"margins that do not fit", RECT{1, 0, 1, 0}, false, {A, A, 7, 7}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto under = MakeBitmap({{7, 7, 7, 7}});
        DrawNineSlice(under->MemoryDC(), RECT{0, 0, 4, 1}, *imageOwner, RECT{1, 0, 3, 1}, c.margins, c.tile,
                      true);
        EXPECT_EQ(Read(*under)[0], c.expected);
    }
}

} // namespace
