#include "WinSubClassMediaGeometry.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

constexpr TMediaButtons Bit(TMediaButton button) {
    return MediaButtonBit(button);
}
using enum TMediaButton;

TEST(MediaButtons, TheSetTextNamesItsButtons) {
    const struct {
        const char* Text;
        TMediaButtons Buttons;
    } cases[] = {
        {"[btPlay,btStop]", Bit(mbPlay) | Bit(mbStop)},
        {"[ BTEJECT , btRecord ]", Bit(mbEject) | Bit(mbRecord)},
        {"[btPlay,btPause,btStop,btNext,btPrev,btStep,btBack,btRecord,btEject]", AllMediaButtons},
        {"[]", 0},
        {"", 0},
        // Unknown names and names that merely begin like a button are left out.
        {"[btPlayer,btFoo,btBack]", Bit(mbBack)},
        {"btPause", Bit(mbPause)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseMediaButtons(c.Text), c.Buttons) << c.Text;
}

TEST(MediaButtons, VisibleButtonsShareTheStripInTheirOrderWithoutGaps) {
    const struct {
        int Width, Height;
        TMediaButtons Visible;
        std::vector<TMediaButtonPlace> Places;
    } cases[] = {
        {90,
         30,
         Bit(mbEject) | Bit(mbPlay) | Bit(mbStop),
         {{mbPlay, {0, 0, 30, 30}}, {mbStop, {30, 0, 60, 30}}, {mbEject, {60, 0, 90, 30}}}},
        // The remainder spreads over the buttons; the last one ends at the edge.
        {10,
         5,
         Bit(mbPlay) | Bit(mbPause) | Bit(mbStop),
         {{mbPlay, {0, 0, 3, 5}}, {mbPause, {3, 0, 6, 5}}, {mbStop, {6, 0, 10, 5}}}},
        // Too narrow for every button: those without width are left out.
        {1, 5, Bit(mbPlay) | Bit(mbPause), {{mbPause, {0, 0, 1, 5}}}},
        {90, 30, 0, {}},
        {0, 30, AllMediaButtons, {}},
        {90, -1, AllMediaButtons, {}},
    };
    for (const auto& c : cases) {
        const auto places = LayOutMediaButtons(c.Width, c.Height, c.Visible);
        ASSERT_EQ(places.size(), c.Places.size()) << c.Width;
        for (std::size_t i = 0; i < places.size(); ++i) {
            EXPECT_EQ(places[i].Button, c.Places[i].Button) << c.Width << " #" << i;
            EXPECT_EQ(places[i].Rect, c.Places[i].Rect) << c.Width << " #" << i;
        }
    }
    // A huge strip does not wrap around.
    const auto huge = LayOutMediaButtons(INT_MAX, 1, AllMediaButtons);
    ASSERT_EQ(huge.size(), 9u);
    EXPECT_EQ(huge.back().Rect.Right, INT_MAX);
    EXPECT_GT(huge[4].Rect.Left, 0);

    const auto places = LayOutMediaButtons(90, 30, Bit(mbPlay) | Bit(mbStop) | Bit(mbEject));
    EXPECT_EQ(MediaButtonAt(places, 30, 0)->Button, mbStop);
    EXPECT_EQ(MediaButtonAt(places, 89, 29)->Button, mbEject);
    EXPECT_FALSE(MediaButtonAt(places, 90, 10).has_value());
    EXPECT_FALSE(MediaButtonAt(places, 10, 30).has_value());
}

} // namespace
