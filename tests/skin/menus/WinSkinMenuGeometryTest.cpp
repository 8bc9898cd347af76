#include "WinSkinMenuGeometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>

static void PrintTo(const TFrameRect& rect, std::ostream* out) {
    *out << "(" << rect.Left << ", " << rect.Top << ", " << rect.Right << ", " << rect.Bottom << ")";
}

namespace {

TMenuItemMetrics Text(int captionWidth, int shortcutWidth = 0) {
    TMenuItemMetrics metrics;
    metrics.CaptionWidth = captionWidth;
    metrics.CaptionHeight = 13;
    metrics.ShortcutWidth = shortcutWidth;
    metrics.SystemItemHeight = 19;
    return metrics;
}

TMenuContentFacts Facts(const TMenuItemMetrics& metrics, int leftWidth, bool rightToLeft = false) {
    TMenuContentFacts facts;
    facts.LeftWidth = leftWidth;
    facts.GlyphSize = MenuGlyphSize(metrics.HasImages ? metrics.ImageWidth : 0, metrics.Checked);
    facts.CaptionWidth = metrics.CaptionWidth;
    facts.CaptionHeight = metrics.CaptionHeight;
    facts.HasShortcut = metrics.ShortcutWidth > 0;
    facts.Separator = metrics.Separator;
    facts.RightToLeft = rightToLeft;
    return facts;
}

bool Inside(const TFrameRect& inner, const TFrameRect& outer) {
    return inner.Left >= outer.Left && inner.Right <= outer.Right && inner.Top >= outer.Top &&
           inner.Bottom <= outer.Bottom && inner.Left <= inner.Right && inner.Top <= inner.Bottom;
}

} // namespace

TEST(MenuItemMeasure, GlyphSizeFollowsTheImageListButNeverShrinksACheckMark) {
    EXPECT_EQ(MenuGlyphSize(0, false), 16);
    EXPECT_EQ(MenuGlyphSize(24, false), 24);
    EXPECT_EQ(MenuGlyphSize(10, false), 10);
    EXPECT_EQ(MenuGlyphSize(10, true), 16);
    EXPECT_EQ(MenuGlyphSize(-5, true), 16);
}

TEST(MenuItemMeasure, PopupItemGetsTheImageMarginAndTheSkinAdditions) {
    const TMenuItemSize standard = StandardMenuItemSize(Text(100));
    // Without an image list: caption plus a little, then L and 35.
    const TMenuItemSize popup = MeasurePopupItemSize(standard, 4, false, false);
    EXPECT_EQ(popup.Width, standard.Width + 4 + 35);
    EXPECT_EQ(popup.Height, standard.Height);
    // With an image list the additions are 12 (popup) and 10 (main menu) after L.
    EXPECT_EQ(MeasurePopupItemSize(standard, 4, true, false).Width, standard.Width + 16);
    EXPECT_EQ(MeasureMenuItemSize(standard, 4, true, false).Width, standard.Width + 14);
    EXPECT_EQ(MeasureMenuItemSize(standard, 0, false, false).Width, standard.Width + 35);
}

TEST(MenuItemMeasure, HeightIsTheSystemsButAtLeastTextAndGlyph) {
    EXPECT_EQ(StandardMenuItemSize(Text(50)).Height, 19);
    TMenuItemMetrics tall = Text(50);
    tall.CaptionHeight = 30;
    EXPECT_EQ(StandardMenuItemSize(tall).Height, 34);
    TMenuItemMetrics bigImages = Text(50);
    bigImages.HasImages = true;
    bigImages.ImageWidth = 32;
    EXPECT_EQ(StandardMenuItemSize(bigImages).Height, 34);
    TMenuItemMetrics lowSystem = Text(50);
    lowSystem.SystemItemHeight = 0;
    EXPECT_EQ(StandardMenuItemSize(lowSystem).Height, 18); // the 16-pixel glyph box and its margin
}

TEST(MenuItemMeasure, ShortcutWidensTheItem) {
    const int plain = StandardMenuItemSize(Text(80)).Width;
    const int withShortcut = StandardMenuItemSize(Text(80, 40)).Width;
    EXPECT_GE(withShortcut, plain + 40 + MenuShortcutGap);
}

TEST(MenuItemMeasure, OwnerDrawnSeparatorIsMeasuredAtTheSeparatorsHeight) {
    TMenuItemMetrics separator = Text(0);
    separator.Separator = true;
    const TMenuItemSize standard = StandardMenuItemSize(separator);
    EXPECT_EQ(standard.Height, MenuSeparatorHeight);
    EXPECT_LT(standard.Height, StandardMenuItemSize(Text(0)).Height);
    // The skin's additions keep it thin, even when the caller's measurement was a full item's.
    EXPECT_EQ(MeasurePopupItemSize(TMenuItemSize{0, 19}, 4, false, true).Height, MenuSeparatorHeight);
    EXPECT_EQ(MeasureMenuItemSize(TMenuItemSize{0, 19}, 4, true, true).Height, MenuSeparatorHeight);
}

TEST(MenuItemMeasure, NativeItems) {
    EXPECT_EQ(MeasureNativeItemSize(60, 19, false, 0), (TMenuItemSize{86, 23}));
    EXPECT_EQ(MeasureNativeItemSize(60, 19, false, 4), (TMenuItemSize{90, 23}));
    EXPECT_EQ(MeasureNativeItemSize(0, 19, true, 4).Height, MenuSeparatorHeight);
}

TEST(MenuItemMeasure, HostileSizesNeitherOverflowNorGoNegative) {
    TMenuItemMetrics huge = Text(INT_MAX, INT_MAX);
    huge.CaptionHeight = INT_MAX;
    huge.HasImages = true;
    huge.ImageWidth = INT_MAX;
    const TMenuItemSize size = MeasurePopupItemSize(StandardMenuItemSize(huge), INT_MAX, true, false);
    EXPECT_GT(size.Width, 0);
    EXPECT_GT(size.Height, 0);
    TMenuItemMetrics negative = Text(-50, -50);
    negative.CaptionHeight = -10;
    const TMenuItemSize small = StandardMenuItemSize(negative);
    EXPECT_GE(small.Width, 0);
    EXPECT_GE(small.Height, 18);
}

// Whatever the measurement gives must hold what the painter draws: the caption and the shortcut
// within the item and apart, left to right and mirrored.
TEST(MenuItemLayout, MeasuredItemHoldsCaptionAndShortcut) {
    for (int leftWidth : {0, 4, 12})
        for (bool images : {false, true})
            for (bool checked : {false, true})
                for (int shortcut : {0, 45})
                    for (bool rtl : {false, true})
                        for (bool mainMenu : {false, true}) {
                            TMenuItemMetrics metrics = Text(120, shortcut);
                            metrics.HasImages = images;
                            metrics.ImageWidth = images ? 20 : 0;
                            metrics.Checked = checked;
                            const TMenuItemSize standard = StandardMenuItemSize(metrics);
                            const TMenuItemSize size =
                                mainMenu ? MeasureMenuItemSize(standard, leftWidth, images, false)
                                         : MeasurePopupItemSize(standard, leftWidth, images, false);
                            const TFrameRect item{0, 40, size.Width, 40 + size.Height};
                            const TMenuItemLayout layout =
                                LayoutMenuItem(item, Facts(metrics, leftWidth, rtl));
                            SCOPED_TRACE(::testing::Message()
                                         << "L " << leftWidth << " images " << images << " checked "
                                         << checked << " shortcut " << shortcut << " rtl " << rtl << " main "
                                         << mainMenu);
                            EXPECT_TRUE(Inside(layout.Glyph, item));
                            EXPECT_TRUE(Inside(layout.Caption, item));
                            EXPECT_EQ(layout.Caption.Width(), 120);
                            EXPECT_TRUE(
                                Inside(layout.Glyph, TFrameRect{0, 40, size.Width, 40 + size.Height}));
                            if (shortcut) {
                                EXPECT_GE(layout.Shortcut.Width(), shortcut);
                                EXPECT_TRUE(Inside(layout.Shortcut, item));
                            }
                            // The caption never runs into the glyph box.
                            if (rtl)
                                EXPECT_LE(layout.Caption.Right + MenuTextGap, layout.Glyph.Left);
                            else
                                EXPECT_GE(layout.Caption.Left, layout.Glyph.Right + MenuTextGap);
                        }
}

TEST(MenuItemLayout, LeftToRightPlacesGlyphTextAndShortcut) {
    TMenuContentFacts facts;
    facts.LeftWidth = 4;
    facts.GlyphSize = 16;
    facts.CaptionWidth = 50;
    facts.CaptionHeight = 13;
    facts.HasShortcut = true;
    const TMenuItemLayout layout = LayoutMenuItem(TFrameRect{10, 20, 210, 39}, facts);
    EXPECT_EQ(layout.Glyph, (TFrameRect{15, 21, 31, 37}));
    EXPECT_EQ(layout.Text, (TFrameRect{34, 20, 209, 39}));
    EXPECT_EQ(layout.Caption, (TFrameRect{34, 23, 84, 36})); // centred: (19 - 13) / 2
    EXPECT_EQ(layout.Shortcut, (TFrameRect{84, 23, 199, 36}));
}

TEST(MenuItemLayout, RightToLeftMirrors) {
    TMenuContentFacts facts;
    facts.LeftWidth = 4;
    facts.GlyphSize = 16;
    facts.CaptionWidth = 50;
    facts.CaptionHeight = 13;
    facts.HasShortcut = true;
    facts.RightToLeft = true;
    const TMenuItemLayout layout = LayoutMenuItem(TFrameRect{10, 20, 210, 39}, facts);
    EXPECT_EQ(layout.Glyph, (TFrameRect{189, 21, 205, 37}));
    EXPECT_EQ(layout.Text, (TFrameRect{11, 20, 186, 39}));
    EXPECT_EQ(layout.Caption, (TFrameRect{136, 23, 186, 36}));
    EXPECT_EQ(layout.Shortcut, (TFrameRect{20, 23, 136, 36}));
}

TEST(MenuItemLayout, SeparatorHasNoGlyphBoxAndNarrowItemsStayOrdered) {
    TMenuContentFacts facts;
    facts.Separator = true;
    facts.LeftWidth = 4;
    const TMenuItemLayout separator = LayoutMenuItem(TFrameRect{0, 0, 100, 8}, facts);
    EXPECT_EQ(separator.Glyph.Width(), 0);
    EXPECT_EQ(separator.Glyph.Height(), 0);
    EXPECT_EQ(separator.Text.Left, 5 + MenuTextGap);

    TMenuContentFacts narrow;
    narrow.LeftWidth = 40;
    narrow.CaptionWidth = 200;
    narrow.CaptionHeight = 40;
    narrow.HasShortcut = true;
    for (bool rtl : {false, true}) {
        narrow.RightToLeft = rtl;
        const TMenuItemLayout layout = LayoutMenuItem(TFrameRect{0, 0, 30, 10}, narrow);
        for (const TFrameRect& rect : {layout.Text, layout.Caption, layout.Shortcut}) {
            EXPECT_LE(rect.Left, rect.Right);
            EXPECT_LE(rect.Top, rect.Bottom);
        }
        EXPECT_LE(layout.Caption.Height(), 10);
    }
}

TEST(MenuItemLayout, CheckMarkIsCentredInTheBoxAndDownTheItem) {
    int x = 0, y = 0;
    MenuCheckMarkOrigin(TFrameRect{0, 20, 100, 39}, TFrameRect{5, 21, 21, 37}, 12, 12, x, y);
    EXPECT_EQ(x, 5 + 2 + 1);
    EXPECT_EQ(y, 20 + 3 + 1);
}

TEST(SeparatorStrip, CapsAndStretchedMiddleFromTheCellsBottomRows) {
    // A 20 x 20 cell into a 100 x 8 item: the bottom 8 rows.
    const TSeparatorStrip strip = SeparatorStrip(20, 20, TFrameRect{0, 30, 100, 38}, 4, 5);
    ASSERT_EQ(strip.Count, 3);
    EXPECT_EQ(strip.Parts[0].Source, (TFrameRect{0, 12, 4, 20}));
    EXPECT_EQ(strip.Parts[0].Dest, (TFrameRect{0, 30, 4, 38}));
    EXPECT_EQ(strip.Parts[1].Source, (TFrameRect{4, 12, 15, 20}));
    EXPECT_EQ(strip.Parts[1].Dest, (TFrameRect{4, 30, 95, 38}));
    EXPECT_EQ(strip.Parts[2].Source, (TFrameRect{15, 12, 20, 20}));
    EXPECT_EQ(strip.Parts[2].Dest, (TFrameRect{95, 30, 100, 38}));
}

TEST(SeparatorStrip, LowCellIsCentredAndBadSizesGiveNothingOrStayInside) {
    const TSeparatorStrip low = SeparatorStrip(20, 4, TFrameRect{0, 30, 100, 38}, 4, 4);
    ASSERT_EQ(low.Count, 3);
    EXPECT_EQ(low.Parts[1].Source, (TFrameRect{4, 0, 16, 4}));
    EXPECT_EQ(low.Parts[1].Dest, (TFrameRect{4, 32, 96, 36}));

    EXPECT_EQ(SeparatorStrip(0, 20, TFrameRect{0, 0, 100, 8}, 4, 4).Count, 0);
    EXPECT_EQ(SeparatorStrip(20, 20, TFrameRect{0, 0, 0, 8}, 4, 4).Count, 0);
    EXPECT_EQ(SeparatorStrip(20, 20, TFrameRect{0, 0, 100, 8}, 4, 4).Count, 3);

    // Caps wider than the cell or the item are narrowed; every part stays inside both.
    for (int width : {1, 3, 7, 50})
        for (int caps : {-3, 0, 6, 30}) {
            const TFrameRect item{10, 0, 10 + width, 8};
            const TSeparatorStrip strip = SeparatorStrip(12, 20, item, caps, caps + 1);
            for (int i = 0; i < strip.Count; ++i) {
                const TStripPart& part = strip.Parts[static_cast<size_t>(i)];
                EXPECT_TRUE(Inside(part.Dest, item)) << width << " " << caps;
                EXPECT_TRUE(Inside(part.Source, TFrameRect{0, 0, 12, 20})) << width << " " << caps;
                EXPECT_GT(part.Dest.Width(), 0);
                EXPECT_GT(part.Source.Width(), 0);
            }
        }
}

TEST(MenuItemLayout, ItemsKeepOffThePicturesBorder) {
    // Client area at (1, 1) of a 200 x 100 window with a 3-pixel border: client x 2..196.
    EXPECT_EQ(ItemInsidePicture(TFrameRect{0, 2, 199, 21}, 1, 1, 200, 100, 3), (TFrameRect{2, 2, 196, 21}));
    EXPECT_EQ(ItemInsidePicture(TFrameRect{10, 90, 50, 110}, 1, 1, 200, 100, 3),
              (TFrameRect{10, 90, 50, 96}));
    // An item wholly on the border keeps nothing and is not inverted.
    const TFrameRect none = ItemInsidePicture(TFrameRect{0, 0, 2, 2}, 0, 0, 200, 100, 3);
    EXPECT_EQ(none.Width(), 0);
    EXPECT_EQ(none.Height(), 0);
    EXPECT_EQ(ItemInsidePicture(TFrameRect{0, 0, 50, 50}, 0, 0, 4, 4, 3).Width(), 0);
}

TEST(SystemMenuEntry, WindowStateDecidesTheSystemCommands) {
    TSystemMenuFacts normal;
    normal.HasMinimizeBox = true;
    // A normal window without a sizing border and without a maximize box, as the main window.
    EXPECT_FALSE(SystemMenuEntry(ScRestore, 0, normal).Enabled);
    EXPECT_EQ(SystemMenuEntry(ScRestore, 0, normal).Glyph, mgRestore);
    EXPECT_TRUE(SystemMenuEntry(ScMove, 0, normal).Enabled);
    EXPECT_FALSE(SystemMenuEntry(ScSize, 0, normal).Enabled);
    EXPECT_TRUE(SystemMenuEntry(ScMinimize, 0, normal).Enabled);
    EXPECT_EQ(SystemMenuEntry(ScMinimize, 0, normal).Glyph, mgMinimize);
    EXPECT_FALSE(SystemMenuEntry(ScMaximize, 0, normal).Enabled);
    EXPECT_EQ(SystemMenuEntry(ScMaximize, 0, normal).Glyph, mgMaximize);
    EXPECT_EQ(SystemMenuEntry(ScClose, 0, normal), (TSystemMenuEntry{true, false, mgClose}));
    // The system's own (stale) grey does not decide the state-driven commands...
    EXPECT_TRUE(SystemMenuEntry(ScMinimize, 3, normal).Enabled);
    // ... but does decide the others: grey (MF_GRAYED), disabled (MF_DISABLED) or both, with or
    // without the tick, which is read as well.
    for (unsigned state : {1u, 2u, 3u, 1u | 8u, 3u | 8u}) {
        EXPECT_FALSE(SystemMenuEntry(ScClose, state, normal).Enabled) << state;
        EXPECT_FALSE(SystemMenuEntry(0xF180, state, normal).Enabled) << state;
    }
    EXPECT_TRUE(SystemMenuEntry(0xF180, 0, normal).Enabled);
    EXPECT_EQ(SystemMenuEntry(0xF180, 8, normal), (TSystemMenuEntry{true, true, mgNone}));
    EXPECT_EQ(SystemMenuEntry(0xF180, 1u | 8u, normal), (TSystemMenuEntry{false, true, mgNone}));
    // The low four bits of a command are the system's own.
    EXPECT_EQ(SystemMenuEntry(ScMinimize | 2, 0, normal).Glyph, mgMinimize);

    TSystemMenuFacts maximized = normal;
    maximized.WindowState = 1;
    maximized.Sizeable = maximized.HasMaximizeBox = true;
    EXPECT_TRUE(SystemMenuEntry(ScRestore, 0, maximized).Enabled);
    EXPECT_FALSE(SystemMenuEntry(ScMove, 0, maximized).Enabled);
    EXPECT_FALSE(SystemMenuEntry(ScSize, 0, maximized).Enabled);
    EXPECT_FALSE(SystemMenuEntry(ScMaximize, 0, maximized).Enabled);

    TSystemMenuFacts minimized = maximized;
    minimized.WindowState = 2;
    EXPECT_FALSE(SystemMenuEntry(ScMinimize, 0, minimized).Enabled);
    EXPECT_TRUE(SystemMenuEntry(ScMaximize, 0, minimized).Enabled);
    EXPECT_TRUE(SystemMenuEntry(ScMove, 0, minimized).Enabled);
    TSystemMenuFacts sizeable = normal;
    sizeable.Sizeable = true;
    EXPECT_TRUE(SystemMenuEntry(ScSize, 0, sizeable).Enabled);
}
