#include "WinSubClassGeometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>

static void PrintTo(const TFrameRect& rect, std::ostream* out) {
    *out << "(" << rect.Left << ", " << rect.Top << ", " << rect.Right << ", " << rect.Bottom << ")";
}

namespace {

TEST(ButtonCellTest, StatesInTheirOrderAndDisabledAlwaysThree) {
    // pressed, hot, focused-or-default, enabled -> cell
    struct Row {
        bool pressed, hot, focused, enabled;
        int cell;
    };
    const Row rows[] = {
        {false, false, false, true, 1},  {true, false, false, true, 2}, {true, true, true, true, 2},
        {false, true, false, true, 4},   {false, true, true, true, 4},  {false, false, true, true, 5},
        {false, false, false, false, 3}, {true, true, true, false, 3},  {false, true, false, false, 3},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ButtonCell(row.pressed, row.hot, row.focused, row.enabled), row.cell)
            << row.pressed << row.hot << row.focused << row.enabled;
}

TCheckFacts Facts(bool checked, bool indeterminate, bool disabled, int cells) {
    TCheckFacts facts;
    facts.NativeChecked = checked;
    facts.NativeIndeterminate = indeterminate;
    facts.Disabled = disabled;
    facts.ImageCells = cells;
    return facts;
}

TEST(CheckBoxCellTest, FourCellImage) {
    EXPECT_EQ(CheckBoxCell(Facts(false, false, false, 4)), 1);
    EXPECT_EQ(CheckBoxCell(Facts(true, false, false, 4)), 2);
    EXPECT_EQ(CheckBoxCell(Facts(false, false, true, 4)), 3);
    EXPECT_EQ(CheckBoxCell(Facts(true, false, true, 4)), 4);
    EXPECT_EQ(CheckBoxCell(Facts(false, true, false, 4)), 4);
    EXPECT_EQ(CheckBoxCell(Facts(false, true, true, 4)), 4);
}

TEST(CheckBoxCellTest, TwelveCellImageSkipsTheCellsNeverSelected) {
    EXPECT_EQ(CheckBoxCell(Facts(false, false, false, 12)), 1);
    EXPECT_EQ(CheckBoxCell(Facts(true, false, false, 12)), 5);
    EXPECT_EQ(CheckBoxCell(Facts(false, false, true, 12)), 4);
    EXPECT_EQ(CheckBoxCell(Facts(true, false, true, 12)), 8);
    EXPECT_EQ(CheckBoxCell(Facts(false, true, false, 12)), 9);
    EXPECT_EQ(CheckBoxCell(Facts(false, true, true, 12)), 12);
    EXPECT_EQ(CheckBoxCell(Facts(true, true, true, 12)), 12);
}

TEST(CheckBoxCellTest, PropertiesOfTheControlOverTheNativeState) {
    TCheckFacts facts = Facts(false, false, false, 4);
    facts.PropertyCell = CheckStateCell("cbChecked");
    EXPECT_EQ(CheckBoxCell(facts), 2);
    facts.PropertyCell = CheckStateCell("cbUnchecked");
    EXPECT_EQ(CheckBoxCell(facts), 1);
    facts.PropertyCell = CheckStateCell("cbGrayed");
    EXPECT_EQ(CheckBoxCell(facts), 4);
    // Greyed and disabled stays within the four cells.
    facts.Disabled = true;
    EXPECT_EQ(CheckBoxCell(facts), 4);

    TCheckFacts data = Facts(true, false, false, 4);
    data.HasDataField = true;
    data.LastCheckState = 0; // no BM_SETCHECK yet: the native state
    EXPECT_EQ(CheckBoxCell(data), 2);
    data.LastCheckState = 1;
    EXPECT_EQ(CheckBoxCell(data), 1);
    data.LastCheckState = 3;
    EXPECT_EQ(CheckBoxCell(data), 4);
    data.LastCheckState = 7; // no such state: ignored
    EXPECT_EQ(CheckBoxCell(data), 2);
    data.HasDataBinding = true;
    EXPECT_EQ(CheckBoxCell(data), 1);
}

TEST(CheckBoxCellTest, StateTextIsReadCaseInsensitivelyUncheckFirst) {
    EXPECT_EQ(CheckStateCell("UNCHECKED"), 1);
    EXPECT_EQ(CheckStateCell("Checked"), 2);
    EXPECT_EQ(CheckStateCell("cbGRAYED"), 4);
    EXPECT_EQ(CheckStateCell(""), 0);
    EXPECT_EQ(CheckStateCell("other"), 0);
}

TEST(RadioButtonCellTest, FourAndEightCellImages) {
    EXPECT_EQ(RadioButtonCell(false, false, 4), 1);
    EXPECT_EQ(RadioButtonCell(true, false, 4), 2);
    EXPECT_EQ(RadioButtonCell(false, true, 4), 3);
    EXPECT_EQ(RadioButtonCell(true, true, 4), 4);
    EXPECT_EQ(RadioButtonCell(false, false, 8), 1);
    EXPECT_EQ(RadioButtonCell(true, false, 8), 5);
    EXPECT_EQ(RadioButtonCell(false, true, 8), 4);
    EXPECT_EQ(RadioButtonCell(true, true, 8), 8);
}

TEST(CellHostileInputTest, CellsNeverOutsideTheImage) {
    for (int cells = -3; cells <= 13; ++cells) {
        for (int mask = 0; mask < 8; ++mask) {
            TCheckFacts facts = Facts(mask & 1, mask & 2, mask & 4, cells);
            facts.PropertyCell = 4;
            const int check = CheckBoxCell(facts);
            const int radio = RadioButtonCell(mask & 1, mask & 4, cells);
            if (cells < 1) {
                EXPECT_EQ(check, 0);
                EXPECT_EQ(radio, 0);
            } else {
                EXPECT_GE(check, 1);
                EXPECT_LE(check, cells);
                EXPECT_GE(radio, 1);
                EXPECT_LE(radio, cells);
            }
        }
    }
}

TEST(StripCellTest, CellsSideBySideAndHostileSizes) {
    EXPECT_EQ(StripCellRect(60, 15, 4, 1), (TFrameRect{0, 0, 15, 15}));
    EXPECT_EQ(StripCellRect(60, 15, 4, 4), (TFrameRect{45, 0, 60, 15}));
    // A width that does not divide: every cell stays inside the image.
    EXPECT_EQ(StripCellRect(62, 15, 4, 4), (TFrameRect{45, 0, 60, 15}));
    EXPECT_EQ(StripCellRect(60, 15, 4, 5), TFrameRect{});
    EXPECT_EQ(StripCellRect(60, 15, 4, 0), TFrameRect{});
    EXPECT_EQ(StripCellRect(60, 15, 0, 1), TFrameRect{});
    EXPECT_EQ(StripCellRect(60, 15, -2, 1), TFrameRect{});
    // Narrower than its cell count: no cell at all rather than cells of width 0.
    EXPECT_EQ(StripCellRect(3, 15, 4, 1), TFrameRect{});
    EXPECT_EQ(StripCellRect(0, 15, 4, 1), TFrameRect{});
    EXPECT_EQ(StripCellRect(60, 0, 4, 1), TFrameRect{});
    EXPECT_EQ(StripCellWidth(INT_MAX, 1), INT_MAX);
    EXPECT_EQ(StripCellRect(INT_MAX, 10, INT_MAX, INT_MAX), (TFrameRect{INT_MAX - 1, 0, INT_MAX, 10}));
    EXPECT_EQ(StripCellWidth(10, 0), 0);
}

TEST(CheckLayoutTest, ImageLeftTextBesideIt) {
    const TCheckLayout layout = CheckLayoutFor(100, 20, 13, 13, false, false);
    EXPECT_EQ(layout.Image, (TFrameRect{0, 3, 13, 16})); // (20 - 13) / 2 = 3
    EXPECT_EQ(layout.Text, (TFrameRect{15, 0, 100, 20}));
}

TEST(CheckLayoutTest, LeftTextPutsTheImageRightRadioOnePixelIn) {
    const TCheckLayout check = CheckLayoutFor(100, 20, 13, 13, true, false);
    EXPECT_EQ(check.Image, (TFrameRect{87, 3, 100, 16}));
    EXPECT_EQ(check.Text, (TFrameRect{0, 0, 85, 20}));
    const TCheckLayout radio = CheckLayoutFor(100, 20, 13, 13, true, true);
    EXPECT_EQ(radio.Image, (TFrameRect{86, 3, 99, 16}));
    EXPECT_EQ(radio.Text, (TFrameRect{0, 0, 84, 20}));
}

TEST(CheckLayoutTest, CentringRoundsTowardZero) {
    // An image taller than the window: offset -1.5 becomes -1, not -2.
    EXPECT_EQ(CheckLayoutFor(50, 10, 13, 13, false, false).Image.Top, -1);
    EXPECT_EQ(CheckLayoutFor(50, 16, 13, 13, false, false).Image.Top, 1);
    EXPECT_EQ(CentreOffset(7, 2), 2);
    EXPECT_EQ(CentreOffset(2, 7), -2);
    EXPECT_EQ(CentreOffset(INT_MIN, INT_MAX),
              static_cast<int>((static_cast<long long>(INT_MIN) - INT_MAX) / 2));
}

TEST(CheckLayoutTest, HostileSizesGiveNoNegativeText) {
    const TCheckLayout tiny = CheckLayoutFor(5, 5, 13, 13, false, false);
    EXPECT_LE(tiny.Text.Left, tiny.Text.Right);
    const TCheckLayout left = CheckLayoutFor(5, 5, 13, 13, true, true);
    EXPECT_LE(left.Text.Left, left.Text.Right);
    const TCheckLayout negative = CheckLayoutFor(-5, -5, -1, -1, false, false);
    EXPECT_LE(negative.Text.Left, negative.Text.Right);
    EXPECT_LE(negative.Image.Left, negative.Image.Right);
}

TEST(CaptionLinesTest, DoubleBarsBecomeLineBreaks) {
    EXPECT_EQ(SplitCaptionLines(L"Two||lines"), L"Two\r\nlines");
    EXPECT_EQ(SplitCaptionLines(L"a||b||c"), L"a\r\nb\r\nc");
    EXPECT_EQ(SplitCaptionLines(L"a|b"), L"a|b");
    EXPECT_EQ(SplitCaptionLines(L"a|||b"), L"a\r\n|b");
    EXPECT_EQ(SplitCaptionLines(L"||"), L"\r\n");
    EXPECT_EQ(SplitCaptionLines(L"|"), L"|");
    EXPECT_EQ(SplitCaptionLines(L""), L"");
}

} // namespace
