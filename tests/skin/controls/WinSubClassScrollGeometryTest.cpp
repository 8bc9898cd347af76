#include "WinSubClassScrollGeometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <tuple>

static void PrintTo(const TFrameRect& rect, std::ostream* out) {
    *out << "(" << rect.Left << ", " << rect.Top << ", " << rect.Right << ", " << rect.Bottom << ")";
}
static void PrintTo(const TThumbExtent& thumb, std::ostream* out) {
    *out << "[" << thumb.Start << ", " << thumb.End << ")";
}

namespace {

TEST(ScrollHitPartTest, PartsAlongABar) {
    // A 200-pixel bar, arrows of 16, thumb from 50 to 80.
    struct Row {
        int c, part;
    };
    const Row rows[] = {{-5, spFirstArrow},   {0, spFirstArrow},    {15, spFirstArrow},
                        {16, spTrackBefore},  {49, spTrackBefore},  {50, spThumb},
                        {79, spThumb},        {80, spTrackAfter},   {183, spTrackAfter},
                        {184, spSecondArrow}, {199, spSecondArrow}, {250, spSecondArrow}};
    for (const Row& row : rows)
        EXPECT_EQ(ScrollHitPart(row.c, 16, 50, 80, 200), row.part) << row.c;
}

TEST(ScrollHitPartTest, ThumbAtTheEndsAndNoThumb) {
    // Thumb right after the first arrow: no track before it.
    EXPECT_EQ(ScrollHitPart(16, 16, 16, 40, 200), spThumb);
    // No thumb (empty extent): the track on both sides of it.
    EXPECT_EQ(ScrollHitPart(30, 16, 0, 0, 200), spTrackAfter);
    // A bar shorter than its two arrows: only arrows.
    EXPECT_EQ(ScrollHitPart(5, 16, 0, 0, 20), spFirstArrow);
    EXPECT_EQ(ScrollHitPart(17, 16, 0, 0, 20), spSecondArrow);
    // Extreme values do not wrap.
    EXPECT_EQ(ScrollHitPart(INT_MAX, 16, 20, 30, INT_MIN), spSecondArrow);
    EXPECT_EQ(ScrollHitPart(INT_MAX - 17, 16, 20, 30, INT_MAX), spTrackAfter);
    EXPECT_EQ(ScrollHitPart(INT_MAX - 16, 16, 20, 30, INT_MAX), spSecondArrow);
}

TEST(MulDivRoundTest, RoundsLikeTheSystemAndNeverDividesByZero) {
    EXPECT_EQ(MulDivRound(10, 3, 4), 8); // 7.5 rounds up
    EXPECT_EQ(MulDivRound(10, 1, 4), 3); // 2.5 rounds up
    EXPECT_EQ(MulDivRound(10, 1, 3), 3);
    EXPECT_EQ(MulDivRound(-10, 3, 4), -8);
    EXPECT_EQ(MulDivRound(10, -3, 4), -8);
    EXPECT_EQ(MulDivRound(10, 3, -4), -8);
    EXPECT_EQ(MulDivRound(-10, -3, 4), 8);
    EXPECT_EQ(MulDivRound(5, 7, 0), 0);
    EXPECT_EQ(MulDivRound(0, 7, 3), 0);
    // Products beyond 64 bits: full ranges of int.
    EXPECT_EQ(MulDivRound(4294967295LL, 4294967295LL, 4294967295LL), INT_MAX);
    EXPECT_EQ(MulDivRound(1000, 4294967295LL, 4294967295LL), 1000);
    EXPECT_EQ(MulDivRound(3000000000LL, 3000000000LL, 9000000000000000000LL), 1);
    EXPECT_EQ(MulDivRound(-3000000000LL, 3000000000LL, 1), INT_MIN);
}

TEST(StandaloneThumbTest, WithAPage) {
    // 200 long, arrows 16: a track of 168. Range 100, page 11: a tenth of the track.
    EXPECT_EQ(StandaloneThumb(0, 100, 11, 0, 200, 16), (TThumbExtent{16, 33}));
    // Halfway: start moves by the position's share of the whole track.
    EXPECT_EQ(StandaloneThumb(0, 100, 11, 50, 200, 16), (TThumbExtent{100, 117}));
    // The last position puts the thumb's end on the second arrow.
    EXPECT_EQ(StandaloneThumb(0, 100, 11, 90, 200, 16).End, 184);
    // A tiny page: the thumb is 8 long and moves over the track less 8.
    EXPECT_EQ(StandaloneThumb(0, 1000, 2, 0, 200, 16), (TThumbExtent{16, 24}));
    EXPECT_EQ(StandaloneThumb(0, 1000, 2, 1000, 200, 16), (TThumbExtent{176, 184}));
    // Offset minimum.
    EXPECT_EQ(StandaloneThumb(-50, 50, 11, -50, 200, 16).Start, 16);
}

TEST(StandaloneThumbTest, WithoutAPage) {
    // One arrow long, moving over the bar less three arrows.
    EXPECT_EQ(StandaloneThumb(0, 100, 0, 0, 200, 16), (TThumbExtent{16, 32}));
    EXPECT_EQ(StandaloneThumb(0, 100, 0, 100, 200, 16), (TThumbExtent{168, 184}));
    EXPECT_EQ(StandaloneThumb(0, 100, 0, 50, 200, 16), (TThumbExtent{92, 108}));
}

TEST(StandaloneThumbTest, HostileScrollInformation) {
    // min = max: the range is 9999999 and the thumb sits at the first arrow.
    EXPECT_EQ(StandaloneRange(5, 5), 9999999);
    EXPECT_EQ(StandaloneThumb(5, 5, 1, 5, 200, 16), (TThumbExtent{16, 24}));
    EXPECT_EQ(StandaloneThumb(5, 5, 0, 5, 200, 16), (TThumbExtent{16, 32}));
    // max below min, position outside the range.
    EXPECT_EQ(StandaloneThumb(10, 0, 0, 3, 200, 16).Start, 16);
    EXPECT_EQ(StandaloneThumb(0, 100, 0, 500, 200, 16), (TThumbExtent{168, 184}));
    EXPECT_EQ(StandaloneThumb(0, 100, 0, -500, 200, 16).Start, 16);
    // A page larger than the range: the thumb fills the track, no more.
    EXPECT_EQ(StandaloneThumb(0, 10, 500, 0, 200, 16), (TThumbExtent{16, 184}));
    // The full int range with a page and without.
    const TThumbExtent huge = StandaloneThumb(INT_MIN, INT_MAX, 1000, INT_MAX, 200, 16);
    EXPECT_GE(huge.Start, 16);
    EXPECT_LE(huge.End, 184);
    EXPECT_EQ(huge.Length(), 8);
    const TThumbExtent hugeNoPage = StandaloneThumb(INT_MIN, INT_MAX, 0, 0, 200, 16);
    EXPECT_GE(hugeNoPage.Start, 16);
    EXPECT_LE(hugeNoPage.End, 184);
    EXPECT_EQ(StandaloneThumb(INT_MIN, INT_MAX, INT_MAX, INT_MIN, 200, 16), (TThumbExtent{16, 100}));
    // A bar shorter than two arrows: no thumb. One just long enough for a short thumb.
    EXPECT_EQ(StandaloneThumb(0, 100, 10, 50, 20, 16).Length(), 0);
    EXPECT_EQ(StandaloneThumb(0, 100, 0, 50, 0, 16).Length(), 0);
    EXPECT_EQ(StandaloneThumb(0, 100, 10, 50, 36, 16), (TThumbExtent{16, 20}));
    // Negative sizes from a broken window.
    EXPECT_EQ(StandaloneThumb(0, 100, 10, 50, -40, -3).Length(), 0);
}

TEST(DraggedThumbTest, FollowsTheMouseWithinTheTrack) {
    // 200 long, arrows 16, thumb of 30 dragged from 50.
    EXPECT_EQ(DraggedThumb(50, 0, 30, 200, 16), (TThumbExtent{50, 80}));
    EXPECT_EQ(DraggedThumb(50, 25, 30, 200, 16), (TThumbExtent{75, 105}));
    EXPECT_EQ(DraggedThumb(50, -100, 30, 200, 16), (TThumbExtent{16, 46}));
    EXPECT_EQ(DraggedThumb(50, 1000, 30, 200, 16), (TThumbExtent{154, 184}));
    // A thumb longer than the track stays at the first arrow.
    EXPECT_EQ(DraggedThumb(50, 10, 300, 200, 16), (TThumbExtent{16, 316}));
    // Extreme movement does not overflow.
    EXPECT_EQ(DraggedThumb(INT_MAX, INT_MAX, 30, 200, 16).Start, 154);
    EXPECT_EQ(DraggedThumb(INT_MIN, INT_MIN, 30, 200, 16).Start, 16);
}

TEST(ComboDragPositionTest, WithAPage) {
    // 100 lines, 10 visible, the thumb can move 140 pixels.
    EXPECT_EQ(ComboDragPosition(0, 0, 140, 0, 99, 10), 0);
    EXPECT_EQ(ComboDragPosition(0, 70, 140, 0, 99, 10), 45);
    EXPECT_EQ(ComboDragPosition(0, 140, 140, 0, 99, 10), 89);
    // Beyond the end: the last top line, max - page + 1.
    EXPECT_EQ(ComboDragPosition(0, 500, 140, 0, 99, 10), 90);
    // Above the start: the first line.
    EXPECT_EQ(ComboDragPosition(20, -100, 140, 0, 99, 10), 0);
    // The thumb's offset at the press counts.
    EXPECT_EQ(ComboDragPosition(70, 0, 140, 0, 99, 10), 45);
}

TEST(ComboDragPositionTest, WithoutAPageAndHostileValues) {
    EXPECT_EQ(ComboDragPosition(0, 50, 100, 0, 200, 0), 100);
    EXPECT_EQ(ComboDragPosition(0, 300, 100, 0, 200, 0), 200);
    EXPECT_EQ(ComboDragPosition(0, 50, 100, 10, 210, 0), 110);
    // No room to move, an empty or reversed range, a page over the range.
    EXPECT_EQ(ComboDragPosition(0, 50, 0, 3, 99, 10), 3);
    EXPECT_EQ(ComboDragPosition(0, 50, -20, 3, 99, 10), 3);
    EXPECT_EQ(ComboDragPosition(0, 50, 100, 7, 7, 0), 7);
    EXPECT_EQ(ComboDragPosition(0, 50, 100, 9, 2, 0), 9);
    EXPECT_EQ(ComboDragPosition(0, 50, 100, 0, 10, 500), 0);
    // Extreme ranges stay inside them.
    const int position = ComboDragPosition(0, INT_MAX, 100, INT_MIN, INT_MAX, 0);
    EXPECT_EQ(position, INT_MAX);
    EXPECT_EQ(ComboDragPosition(INT_MIN, INT_MIN, 100, INT_MIN, INT_MAX, 5), INT_MIN);
}

TScrollBarFacts VerticalBar(int length) {
    TScrollBarFacts facts;
    facts.Vertical = true;
    facts.Width = 17;
    facts.Height = length;
    facts.ArrowSize = 17;
    facts.ImageHeight = 17;
    facts.ThumbStart = 40;
    facts.ThumbEnd = 90;
    return facts;
}

TEST(LayoutScrollBarTest, ArrowsTrackThumbAndGripOfAVerticalBar) {
    const TScrollBarLayout layout = LayoutScrollBar(VerticalBar(200));
    EXPECT_EQ(layout.Length, 200);
    EXPECT_EQ(layout.Thickness, 17);
    EXPECT_EQ(layout.FirstArrow, (TFrameRect{0, 0, 17, 17}));
    EXPECT_EQ(layout.SecondArrow, (TFrameRect{0, 183, 17, 200}));
    EXPECT_EQ(layout.Track, (TFrameRect{0, 17, 17, 183}));
    EXPECT_EQ(layout.Thumb, (TFrameRect{0, 40, 17, 90}));
    // The grip is as long as the image is high, centred on the thumb.
    EXPECT_EQ(layout.Grip, (TFrameRect{0, 56, 17, 73}));
    EXPECT_EQ(layout.FirstArrowCell, 9);
    EXPECT_EQ(layout.SecondArrowCell, 13);
    EXPECT_EQ(layout.TrackCell, 1);
    EXPECT_EQ(layout.ThumbCell, 1);
    EXPECT_EQ(layout.GripCell, 20);
}

TEST(LayoutScrollBarTest, AHorizontalBarUsesItsOwnCellsAndAxis) {
    TScrollBarFacts facts = VerticalBar(0);
    facts.Vertical = false;
    facts.Width = 150;
    facts.Height = 17;
    const TScrollBarLayout layout = LayoutScrollBar(facts);
    EXPECT_EQ(layout.FirstArrow, (TFrameRect{0, 0, 17, 17}));
    EXPECT_EQ(layout.SecondArrow, (TFrameRect{133, 0, 150, 17}));
    EXPECT_EQ(layout.Thumb, (TFrameRect{40, 0, 90, 17}));
    EXPECT_EQ(layout.FirstArrowCell, 1);
    EXPECT_EQ(layout.SecondArrowCell, 5);
    EXPECT_EQ(layout.GripCell, 17);
}

TEST(LayoutScrollBarTest, HotAndPressedCells) {
    TScrollBarFacts facts = VerticalBar(200);
    facts.HotPart = spFirstArrow;
    EXPECT_EQ(LayoutScrollBar(facts).FirstArrowCell, 12);
    EXPECT_EQ(LayoutScrollBar(facts).SecondArrowCell, 13);
    facts.Pressed = true;
    EXPECT_EQ(LayoutScrollBar(facts).FirstArrowCell, 10);
    facts.HotPart = spSecondArrow;
    EXPECT_EQ(LayoutScrollBar(facts).FirstArrowCell, 9);
    EXPECT_EQ(LayoutScrollBar(facts).SecondArrowCell, 14);
    facts.HotPart = spThumb;
    EXPECT_EQ(LayoutScrollBar(facts).ThumbCell, 2);
    EXPECT_EQ(LayoutScrollBar(facts).GripCell, 21);
    facts.Pressed = false;
    EXPECT_EQ(LayoutScrollBar(facts).ThumbCell, 3);
    EXPECT_EQ(LayoutScrollBar(facts).GripCell, 22);
    // The track under a press on it shows no special cell, and the end of a scroll lights nothing.
    facts.HotPart = spTrackBefore;
    EXPECT_EQ(LayoutScrollBar(facts).ThumbCell, 1);
    facts.HotPart = spEndScroll;
    EXPECT_EQ(LayoutScrollBar(facts).FirstArrowCell, 9);
    EXPECT_EQ(LayoutScrollBar(facts).SecondArrowCell, 13);
    // A thumb image of one cell shows it in every state.
    facts.HotPart = spThumb;
    facts.ThumbCells = 1;
    EXPECT_EQ(LayoutScrollBar(facts).ThumbCell, 1);
    facts.ThumbCells = 0;
    EXPECT_EQ(LayoutScrollBar(facts).ThumbCell, 1);
}

TEST(LayoutScrollBarTest, ShortBarsHaveHalfLengthArrowsAndNoTrack) {
    TScrollBarFacts facts = VerticalBar(30);
    facts.ThumbStart = facts.ThumbEnd = 0;
    TScrollBarLayout layout = LayoutScrollBar(facts);
    EXPECT_EQ(layout.FirstArrow, (TFrameRect{0, 0, 17, 15}));
    EXPECT_EQ(layout.SecondArrow, (TFrameRect{0, 15, 17, 30}));
    EXPECT_FALSE(layout.HasTrack());
    EXPECT_FALSE(layout.HasThumb());
    // Odd length: the halves cover the bar together.
    facts.Height = 31;
    layout = LayoutScrollBar(facts);
    EXPECT_EQ(layout.FirstArrow.Bottom, 15);
    EXPECT_EQ(layout.SecondArrow, (TFrameRect{0, 15, 17, 31}));
    // Exactly two arrows: full arrows, no track between.
    facts.Height = 34;
    layout = LayoutScrollBar(facts);
    EXPECT_EQ(layout.FirstArrow, (TFrameRect{0, 0, 17, 17}));
    EXPECT_EQ(layout.SecondArrow, (TFrameRect{0, 17, 17, 34}));
    EXPECT_FALSE(layout.HasTrack());
}

TEST(LayoutScrollBarTest, DisabledBarsShowTrackCellThreeAndNoThumb) {
    TScrollBarFacts facts = VerticalBar(200);
    facts.Enabled = false;
    facts.HotPart = spThumb;
    const TScrollBarLayout layout = LayoutScrollBar(facts);
    EXPECT_EQ(layout.TrackCell, 3);
    EXPECT_FALSE(layout.HasThumb());
    EXPECT_FALSE(layout.HasGrip());
    EXPECT_TRUE(layout.HasTrack());
    // A track image of fewer cells shows its last one rather than nothing.
    facts.TrackCells = 2;
    EXPECT_EQ(LayoutScrollBar(facts).TrackCell, 2);
}

TEST(LayoutScrollBarTest, GripOnlyOnThumbsLongEnough) {
    TScrollBarFacts facts = VerticalBar(200);
    // Longer than the image height - 2 (15): a grip; 15 or less: none.
    facts.ThumbStart = 40;
    facts.ThumbEnd = 56;
    EXPECT_TRUE(LayoutScrollBar(facts).HasGrip());
    facts.ThumbEnd = 55;
    EXPECT_FALSE(LayoutScrollBar(facts).HasGrip());
    EXPECT_TRUE(LayoutScrollBar(facts).HasThumb());
    // A grip that would reach outside the bar (thumb at the very end, grip longer) is left out.
    facts.ThumbStart = 184;
    facts.ThumbEnd = 200;
    EXPECT_FALSE(LayoutScrollBar(facts).HasGrip());
}

TEST(LayoutScrollBarTest, ThumbsOutsideTheBarAndHostileSizes) {
    TScrollBarFacts facts = VerticalBar(200);
    // A thumb longer than the bar, reversed, or starting before it is not drawn.
    facts.ThumbStart = 10;
    facts.ThumbEnd = 260;
    EXPECT_FALSE(LayoutScrollBar(facts).HasThumb());
    facts.ThumbStart = 90;
    facts.ThumbEnd = 40;
    EXPECT_FALSE(LayoutScrollBar(facts).HasThumb());
    facts.ThumbStart = -5;
    facts.ThumbEnd = 40;
    EXPECT_FALSE(LayoutScrollBar(facts).HasThumb());
    // An image far from the arrow size: thumb and grip as thick as an arrow.
    facts = VerticalBar(200);
    facts.ImageHeight = 40;
    EXPECT_EQ(LayoutScrollBar(facts).Thickness, 17);
    facts.ImageHeight = 19;
    EXPECT_EQ(LayoutScrollBar(facts).Thickness, 19);
    facts.ImageHeight = 0;
    TScrollBarLayout layout = LayoutScrollBar(facts);
    EXPECT_EQ(layout.Thickness, 17);
    EXPECT_FALSE(layout.HasGrip());
    // Nothing at all to draw on.
    facts = VerticalBar(0);
    facts.Width = 0;
    layout = LayoutScrollBar(facts);
    EXPECT_FALSE(layout.HasTrack());
    EXPECT_FALSE(layout.HasThumb());
    facts = VerticalBar(-50);
    facts.ArrowSize = -4;
    layout = LayoutScrollBar(facts);
    EXPECT_EQ(layout.Length, 0);
    EXPECT_FALSE(layout.HasThumb());
}

TEST(ScrollBarThicknessTest, ImageHeightWithinTwoPixelsOfTheArrow) {
    EXPECT_EQ(ScrollBarThickness(17, 17), 17);
    EXPECT_EQ(ScrollBarThickness(15, 17), 15);
    EXPECT_EQ(ScrollBarThickness(19, 17), 19);
    EXPECT_EQ(ScrollBarThickness(14, 17), 17);
    EXPECT_EQ(ScrollBarThickness(20, 17), 17);
}

TEST(ShrinkThumbCaps, AThumbShorterThanItsCapsKeepsBothEndsShortenedInProportion) {
    // Caps that fit stay as they are.
    EXPECT_EQ(ShrinkThumbCaps(6, 6, 12).Low, 6);
    EXPECT_EQ(ShrinkThumbCaps(6, 6, 40).High, 6);
    // Too short: both ends shown, together exactly the thumb's length.
    for (const auto& [low, high, length] : {std::tuple{6, 6, 8}, std::tuple{3, 9, 6}, std::tuple{7, 0, 5},
                                            std::tuple{1, 1, 1}, std::tuple{INT_MAX / 2, INT_MAX / 2, 9}}) {
        const TThumbCaps caps = ShrinkThumbCaps(low, high, length);
        EXPECT_EQ(caps.Low + caps.High, length) << low << "," << high << "," << length;
        EXPECT_GE(caps.Low, 0);
        EXPECT_GE(caps.High, 0);
        EXPECT_LE(caps.Low, low);
        EXPECT_LE(caps.High, high);
    }
    EXPECT_EQ(ShrinkThumbCaps(6, 6, 8).Low, 4);
    EXPECT_EQ(ShrinkThumbCaps(3, 9, 8).Low, 2);
    // Hostile values: negative caps count as 0; no length, nothing to shorten.
    EXPECT_EQ(ShrinkThumbCaps(-4, 6, 5).Low, 0);
    EXPECT_EQ(ShrinkThumbCaps(-4, 6, 5).High, 5);
    EXPECT_EQ(ShrinkThumbCaps(6, 6, 0).Low, 6);
}

} // namespace
