#include "WinSkinFormGeometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <iterator>
#include <ostream>
#include <utility>
#include <vector>

// Readable failures.
static void PrintTo(const TFrameRect& rect, std::ostream* out) {
    *out << "(" << rect.Left << ", " << rect.Top << ", " << rect.Right << ", " << rect.Bottom << ")";
}
static void PrintTo(const TStripPart& part, std::ostream* out) {
    PrintTo(part.Source, out);
    *out << " -> ";
    PrintTo(part.Dest, out);
}

namespace {

constexpr std::uint32_t WsCaption = 0xC00000, WsBorder = 0x800000, WsDlgFrame = 0x400000;
constexpr std::uint32_t WsThickFrame = 0x40000, DsModalFrame = 0x80, WsExDlgModalFrame = 0x1;

// A usual skin: 4 left, 30 caption, 6 right, 5 bottom, with a 20 pixel menu strip.
TFrameWidths Widths(int menu = 20) {
    TFrameWidths widths;
    widths.Left = 4;
    widths.Caption = 30;
    widths.Right = 6;
    widths.Bottom = 5;
    widths.Menu = menu;
    return widths;
}

TFrameRect Rect(int left, int top, int right, int bottom) {
    return TFrameRect{left, top, right, bottom};
}

long long Area(const TFrameRect& rect) {
    return static_cast<long long>(rect.Right - rect.Left) * (rect.Bottom - rect.Top);
}

bool Overlap(const TFrameRect& a, const TFrameRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// ---- Border kind and widths

TEST(FrameGeometry, BorderKindFollowsCaptionFrameAndDialogStyles) {
    struct Case {
        std::uint32_t Style, ExStyle;
        bool SystemDialog;
        TBorderKind Kind;
    };
    const Case cases[] = {
        {WsCaption | WsThickFrame, 0, false, bkSizeable},
        {WsCaption, 0, false, bkSingle},
        {WsBorder, 0, false, bkNone}, // half a caption is no caption
        {WsDlgFrame | WsThickFrame, 0, false, bkNone},
        {0, 0, false, bkNone},
        {WsCaption | DsModalFrame, 0, false, bkDialog},
        {WsCaption | WsThickFrame | DsModalFrame, 0, false, bkSizeable},
        {WsCaption | WsThickFrame, WsExDlgModalFrame, false, bkDialog},
        {WsCaption | WsThickFrame, 0, true, bkDialog},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BorderKindFromStyles(c.Style, c.ExStyle, c.SystemDialog), c.Kind)
            << std::hex << c.Style << " " << c.ExStyle << " " << c.SystemDialog;
    }
}

TEST(FrameGeometry, WidthsAreOneCellOfEachImage) {
    // Top and bottom stack their cells, the sides put them side by side.
    TFrameWidths widths = FrameWidthsFromImages({8, 100, 2}, {200, 60, 2}, {6, 300, 1}, {100, 10, 2});
    EXPECT_EQ(widths, (TFrameWidths{4, 30, 6, 5, 0}));
    EXPECT_TRUE(FrameWidthsUsable(widths));
    // Cell counts below 1 count as one cell; a missing image gives no border.
    widths = FrameWidthsFromImages({8, 1, 0}, {9, 24, -3}, {0, 0, 1}, {-5, -5, 1});
    EXPECT_EQ(widths, (TFrameWidths{8, 24, 0, 0, 0}));
    EXPECT_TRUE(FrameWidthsUsable(widths));
}

TEST(FrameGeometry, HostileSkinsGiveAnUnusableFrame) {
    struct Case {
        const char* What;
        TFramePieceImage Left, Top, Right, Bottom;
    };
    const TFramePieceImage side{4, 50, 1};
    const Case cases[] = {
        {"no top image", side, {0, 0, 1}, side, side},
        {"caption below the minimum", side, {100, MinSkinCaption - 1, 1}, side, side},
        {"more cells than rows", side, {100, 20, 21}, side, side},
        {"negative top image", side, {100, -40, 1}, side, side},
        {"huge caption", side, {100, INT_MAX, 1}, side, side},
        {"caption just too high", side, {100, MaxSkinBorder + 1, 1}, side, side},
        {"huge left border", {INT_MAX, 10, 1}, {100, 24, 1}, side, side},
        {"huge bottom border", side, {100, 24, 1}, side, {10, MaxSkinBorder + 1, 1}},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(FrameWidthsUsable(FrameWidthsFromImages(c.Left, c.Top, c.Right, c.Bottom))) << c.What;
    // At the limits the frame is still accepted.
    EXPECT_TRUE(FrameWidthsUsable(
        FrameWidthsFromImages({MaxSkinBorder, 1, 1}, {1, MinSkinCaption, 1}, side, {1, MaxSkinBorder, 1})));
}

TEST(FrameGeometry, UsableWidthsLeaveRoomForTheClientArea) {
    const TFrameWidths widths = Widths(); // 10 across, 55 down
    EXPECT_TRUE(FrameWidthsUsable(widths, 10, 55));
    EXPECT_TRUE(FrameWidthsUsable(widths, 400, 300));
    EXPECT_FALSE(FrameWidthsUsable(widths, 9, 300));
    EXPECT_FALSE(FrameWidthsUsable(widths, 400, 54)); // the menu strip counts too
    EXPECT_FALSE(FrameWidthsUsable(widths, -400, 300));
    EXPECT_FALSE(FrameWidthsUsable(widths, INT_MIN, INT_MAX));
    EXPECT_TRUE(FrameWidthsUsable(widths, INT_MAX, INT_MAX));

    for (int TFrameWidths::*field :
         {&TFrameWidths::Left, &TFrameWidths::Right, &TFrameWidths::Bottom, &TFrameWidths::Menu}) {
        TFrameWidths bad = widths;
        bad.*field = -1;
        EXPECT_FALSE(FrameWidthsUsable(bad));
        bad.*field = INT_MIN;
        EXPECT_FALSE(FrameWidthsUsable(bad, INT_MAX, INT_MAX));
        bad.*field = INT_MAX;
        EXPECT_FALSE(FrameWidthsUsable(bad));
    }
}

// ---- Frame pieces and client area

TEST(FrameGeometry, PiecesCoverTheWindowWithoutOverlap) {
    const TFrameLayout layout = FrameLayout(Widths(), 300, 200);
    EXPECT_EQ(layout.LeftBorder, Rect(0, 0, 4, 200));
    EXPECT_EQ(layout.RightBorder, Rect(294, 0, 300, 200));
    EXPECT_EQ(layout.Caption, Rect(4, 0, 294, 30));
    EXPECT_EQ(layout.MenuStrip, Rect(4, 30, 294, 50));
    EXPECT_EQ(layout.Client, Rect(4, 50, 294, 195));
    EXPECT_EQ(layout.BottomBorder, Rect(4, 195, 294, 200));

    const TFrameRect pieces[] = {layout.LeftBorder, layout.RightBorder, layout.Caption,
                                 layout.MenuStrip,  layout.Client,      layout.BottomBorder};
    long long area = 0;
    for (size_t i = 0; i < std::size(pieces); ++i) {
        area += Area(pieces[i]);
        for (size_t j = i + 1; j < std::size(pieces); ++j)
            EXPECT_FALSE(Overlap(pieces[i], pieces[j])) << i << " " << j;
    }
    EXPECT_EQ(area, 300 * 200);
    // The corners belong to the sides.
    EXPECT_TRUE(layout.LeftBorder.Contains(0, 0));
    EXPECT_TRUE(layout.RightBorder.Contains(299, 199));
}

TEST(FrameGeometry, PiecesOfAWindowSmallerThanItsFrameCollapse) {
    const TFrameLayout layout = FrameLayout(Widths(), 7, 40);
    EXPECT_EQ(layout.Caption, Rect(4, 0, 4, 30));
    EXPECT_EQ(layout.Client, Rect(4, 50, 4, 50));
    EXPECT_EQ(layout.BottomBorder, Rect(4, 35, 4, 40));
    for (const TFrameRect& rect : {layout.LeftBorder, layout.RightBorder, layout.Caption, layout.MenuStrip,
                                   layout.Client, layout.BottomBorder}) {
        EXPECT_LE(rect.Left, rect.Right);
        EXPECT_LE(rect.Top, rect.Bottom);
    }
    const TFrameLayout extreme = FrameLayout(Widths(), INT_MIN, INT_MAX);
    EXPECT_LE(extreme.Client.Left, extreme.Client.Right);
}

TEST(FrameGeometry, NcCalcSizeAnswersTheAreaInsideTheBorders) {
    EXPECT_EQ(NcCalcClientRect(Widths(), 100, 50, 300, 200), Rect(104, 100, 394, 245));
    EXPECT_EQ(NcCalcClientRect(Widths(0), -100, -50, 300, 200), Rect(-96, -20, 194, 145));
    EXPECT_EQ(NcCalcClientRect(TFrameWidths{}, 1, 2, 3, 4), Rect(1, 2, 4, 6));
    // A window smaller than its frame: the client area shrinks to nothing at its corner.
    EXPECT_EQ(NcCalcClientRect(Widths(), 100, 50, 5, 10), Rect(104, 100, 104, 100));
    // Nothing wraps around at the ends of the int range.
    const TFrameRect high = NcCalcClientRect(Widths(), INT_MAX, INT_MAX, INT_MAX, INT_MAX);
    EXPECT_EQ(high, Rect(INT_MAX, INT_MAX, INT_MAX, INT_MAX));
    const TFrameRect low = NcCalcClientRect(Widths(), INT_MIN, INT_MIN, INT_MIN, INT_MIN);
    EXPECT_EQ(low, Rect(INT_MIN + 4, INT_MIN + 50, INT_MIN + 4, INT_MIN + 50));
    // Hostile widths may give the widest rectangle there is; its extent saturates.
    const TFrameRect widest =
        NcCalcClientRect(TFrameWidths{INT_MIN, INT_MIN, INT_MIN, 0, 0}, 0, 0, INT_MAX, 0);
    EXPECT_EQ(widest, Rect(INT_MIN, INT_MIN, INT_MAX, 0));
    EXPECT_EQ(widest.Width(), INT_MAX);
    EXPECT_EQ(widest.Height(), INT_MAX);
    EXPECT_EQ(Rect(INT_MAX, INT_MAX, INT_MIN, INT_MIN).Width(), INT_MIN);
}

TEST(FrameGeometry, WindowSizeForClientIsTheInverseOfNcCalcSize) {
    const TFrameWidths skins[] = {Widths(), Widths(0), TFrameWidths{}, TFrameWidths{1, 8, 256, 3, 19}};
    for (const TFrameWidths& widths : skins) {
        for (int client : {0, 1, 272, 156, 5000}) {
            int width = 0, height = 0;
            WindowSizeForClient(widths, client, client + 7, width, height);
            const TFrameRect rect = NcCalcClientRect(widths, 30, -20, width, height);
            EXPECT_EQ(rect.Width(), client);
            EXPECT_EQ(rect.Height(), client + 7);
            EXPECT_EQ(rect.Left, 30 + widths.Left);
        }
    }
    int width = 0, height = 0;
    WindowSizeForClient(Widths(), -50, INT_MIN, width, height);
    EXPECT_EQ(width, 10);
    EXPECT_EQ(height, 55);
    WindowSizeForClient(Widths(), INT_MAX, INT_MAX, width, height);
    EXPECT_EQ(width, INT_MAX);
    EXPECT_EQ(height, INT_MAX);
}

// ---- Hit test

TEST(FrameGeometry, HitTestTurnsTheCaptionAndMenuStripButKeepsEverythingElse) {
    constexpr int Client = 1, Left = 10, TopLeft = 13, Top = 12, BottomRight = 17, Close = 20;
    struct Case {
        int Previous, Y, Menu, Expected;
    };
    const Case cases[] = {
        // The top three rows keep the system's answer (its sizing edge).
        {HitNowhere, 0, 20, HitNowhere},
        {HitCaption, 2, 20, HitCaption},
        {HitNowhere, 2, 20, HitNowhere},
        {Top, 1, 20, Top},
        // Below them the caption.
        {HitNowhere, 3, 20, HitCaption},
        {HitNowhere, 29, 20, HitCaption},
        // The menu strip, rows 30 to 49.
        {HitNowhere, 30, 20, HitMenu},
        {HitCaption, 49, 20, HitMenu},
        {HitNowhere, 50, 20, HitCaption},
        {HitNowhere, 30, 0, HitCaption},
        {HitNowhere, -5, 20, HitNowhere},
        // Borders, corners, client and the system's buttons keep theirs anywhere.
        {Client, 40, 20, Client},
        {Client, 100, 20, Client},
        {Left, 35, 20, Left},
        {TopLeft, 0, 20, TopLeft},
        {BottomRight, 199, 20, BottomRight},
        {Close, 10, 20, Close},
        {HitMenu, 10, 20, HitMenu},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FrameHitTest(c.Previous, 50, c.Y, Widths(c.Menu)), c.Expected)
            << c.Previous << " y=" << c.Y;
    TFrameWidths huge = Widths(INT_MAX);
    huge.Caption = INT_MAX;
    EXPECT_EQ(FrameHitTest(HitNowhere, 0, INT_MAX, huge), HitMenu);
}

// ---- Caption buttons

TCaptionFacts NormalWindow() {
    TCaptionFacts facts;
    facts.HasSystemMenu = true;
    facts.HasMinimizeBox = true;
    facts.HasMaximizeBox = true;
    return facts;
}

bool Visible(int visibility, int visibility1, const TCaptionFacts& facts, int action = 50,
             const TButtonVisibleQuery& query = {}) {
    TCaptionButtonInfo button;
    button.Action = action; // a custom action: no adjustment
    button.Visibility = visibility;
    button.Visibility1 = visibility1;
    return EvaluateCaptionButton(button, facts, query).Visible;
}

TEST(CaptionButtons, VisibilityCodes) {
    const TCaptionFacts normal = NormalWindow();
    TCaptionFacts maximized = normal;
    maximized.Maximized = true;
    TCaptionFacts inactive = normal;
    inactive.Active = false;
    TCaptionFacts minOnlyNoMenu;
    minOnlyNoMenu.HasMinimizeBox = true;
    TCaptionFacts menuOnly;
    menuOnly.HasSystemMenu = true;
    TCaptionFacts helpOnly = menuOnly;
    helpOnly.HasHelpButton = true;
    TCaptionFacts helpAndBoxes = normal;
    helpAndBoxes.HasHelpButton = true;
    TCaptionFacts mdi = normal;
    mdi.MdiChildMaximizedWithMenuBar = true;
    TCaptionFacts dialog = normal;
    dialog.BorderKind = bkDialog;
    TCaptionFacts systemDialog = dialog;
    systemDialog.IsSystemDialog = true;

    struct Case {
        int Code;
        const TCaptionFacts& Facts;
        bool Visibility, Visibility1; // as first code (the other 0), as second code (the other 0)
    };
    const Case cases[] = {
        {0, normal, true, true},
        {1, maximized, true, true},
        {1, normal, false, false},
        {2, normal, true, true},
        {2, maximized, false, false},
        {3, normal, true, true},
        {3, inactive, false, false},
        {4, inactive, true, true},
        {4, normal, false, false},
        {5, normal, false, false},
        // 6 and 8: a box; the first code also needs the system menu.
        {6, normal, true, true},
        {8, normal, true, true},
        {6, minOnlyNoMenu, false, true},
        {8, minOnlyNoMenu, false, true},
        {6, menuOnly, false, false},
        {7, normal, false, false},
        {7, menuOnly, true, true},
        {9, normal, false, false},
        {9, menuOnly, true, true},
        // 10: help; the first code only without boxes.
        {10, helpOnly, true, true},
        {10, helpAndBoxes, false, true},
        {10, normal, false, false},
        {100, mdi, true, true},
        {100, normal, false, true}, // the second code repeats the first (0 here)
        // The codes above 10 beyond 100 mean something only as the first code.
        {200, dialog, true, false},
        {200, systemDialog, false, false},
        {200, normal, false, false},
        {201, normal, true, false},
        {999, normal, true, false},
        {11, normal, false, false},
        {99, normal, false, false},
        {2001, normal, false, false},
        {-1, normal, false, false},
        {INT_MIN, normal, false, false},
        {INT_MAX, normal, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Visible(c.Code, 0, c.Facts), c.Visibility) << "Visibility " << c.Code;
        EXPECT_EQ(Visible(0, c.Code, c.Facts), c.Visibility1) << "Visibility1 " << c.Code;
    }
    // Both codes must agree.
    EXPECT_FALSE(Visible(1, 2, maximized));
    EXPECT_TRUE(Visible(1, 100, maximized));
    EXPECT_FALSE(Visible(1, 100, normal));
}

TEST(CaptionButtons, CodesFrom1000To2000AskTheApplication) {
    std::vector<std::pair<int, int>> asked;
    const TButtonVisibleQuery query = [&](int code, int action) {
        asked.emplace_back(code, action);
        return code == 1500 ? 1 : code == 2000 ? -3 : 0;
    };
    const TCaptionFacts facts = NormalWindow();
    EXPECT_TRUE(Visible(1500, 0, facts, 44, query));
    EXPECT_FALSE(Visible(1000, 0, facts, 45, query));
    EXPECT_FALSE(Visible(2000, 0, facts, 46, query));
    EXPECT_FALSE(Visible(1500, 1, facts, 47, query)); // the second code still counts
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{1500, 44}, {1000, 45}, {2000, 46}, {1500, 47}}));
    // Not asked outside the range, nor for the second code.
    asked.clear();
    EXPECT_FALSE(Visible(2001, 0, facts, 1, query));
    EXPECT_FALSE(Visible(0, 1500, facts, 1, query));
    EXPECT_TRUE(Visible(999, 0, facts, 1, query));
    EXPECT_TRUE(asked.empty());
    // Without anyone to ask the button stays hidden.
    EXPECT_FALSE(Visible(1500, 0, facts));
}

TEST(CaptionButtons, ActionsAdjustVisibilityAndEnabling) {
    auto evaluate = [](int action, const TCaptionFacts& facts) {
        TCaptionButtonInfo button;
        button.Action = action;
        return EvaluateCaptionButton(button, facts);
    };
    const TCaptionFacts normal = NormalWindow();
    TCaptionFacts noMenu = normal;
    noMenu.HasSystemMenu = false;
    TCaptionFacts noBoxes = normal;
    noBoxes.HasMinimizeBox = noBoxes.HasMaximizeBox = false;
    TCaptionFacts dialog = normal;
    dialog.BorderKind = bkDialog;

    // Close needs the system menu.
    EXPECT_TRUE(evaluate(0, normal).Visible);
    EXPECT_FALSE(evaluate(0, noMenu).Visible);
    // Maximize and minimize stay visible but are disabled without their box or the system menu.
    for (int action : {1, 2}) {
        EXPECT_TRUE(evaluate(action, normal).Visible);
        EXPECT_TRUE(evaluate(action, normal).Enabled);
        EXPECT_TRUE(evaluate(action, noBoxes).Visible);
        EXPECT_FALSE(evaluate(action, noBoxes).Enabled);
        EXPECT_FALSE(evaluate(action, noMenu).Enabled);
    }
    TCaptionFacts maxOnly = normal;
    maxOnly.HasMinimizeBox = false;
    EXPECT_TRUE(evaluate(1, maxOnly).Enabled);
    EXPECT_FALSE(evaluate(2, maxOnly).Enabled);
    // Icon and system-menu buttons do not show on dialog frames.
    for (int action : {3, 11, 12}) {
        EXPECT_TRUE(evaluate(action, normal).Visible);
        EXPECT_FALSE(evaluate(action, dialog).Visible);
    }
    // Other actions are left alone, even on a dialog without system menu or boxes.
    TCaptionFacts bare = dialog;
    bare.HasSystemMenu = bare.HasMaximizeBox = bare.HasMinimizeBox = false;
    for (int action : {4, 7, 9, 22, 23, 62, -1, 5000}) {
        EXPECT_TRUE(evaluate(action, bare).Visible) << action;
        EXPECT_TRUE(evaluate(action, bare).Enabled) << action;
    }
    // The unused elements of a skin (-1 throughout) never show.
    TCaptionButtonInfo unused;
    unused.Action = unused.Visibility = unused.Visibility1 = -1;
    EXPECT_FALSE(EvaluateCaptionButton(unused, normal).Visible);
}

TEST(CaptionButtons, LayoutByAlign) {
    const TFrameRect title = Rect(50, 5, 150, 20);
    auto place = [&](int align, int frames = 3, int imageWidth = 60, int imageHeight = 15) {
        TCaptionButtonInfo button;
        button.Align = align;
        button.XCoord = 30;
        button.YCoord = 4;
        button.ImageWidth = imageWidth;
        button.ImageHeight = imageHeight;
        button.Frames = frames;
        return LayoutCaptionButton(button, 300, title, Widths(), 7);
    };
    // One cell of 20 x 15.
    EXPECT_EQ(place(0), Rect(30, 4, 50, 19));
    EXPECT_EQ(place(1), Rect(270, 4, 290, 19)); // from the right edge
    EXPECT_EQ(place(2), Rect(0, 4, 20, 19));    // left of the title
    EXPECT_EQ(place(8), place(2));
    EXPECT_EQ(place(3), Rect(180, 4, 200, 19)); // right of the title
    EXPECT_EQ(place(9), place(3));
    // In the menu strip: right edge less the right border and the menu bar's margin, centred.
    EXPECT_EQ(place(100), Rect(257, 32, 277, 47));
    EXPECT_EQ(place(4), Rect(0, 0, 20, 15));
    EXPECT_EQ(place(-1), Rect(0, 0, 20, 15));
    // Cell counts below one count as one; no cell at all gives no rectangle.
    EXPECT_EQ(place(0, 0), Rect(30, 4, 90, 19));
    EXPECT_EQ(place(0, -2), Rect(30, 4, 90, 19));
    EXPECT_EQ(place(0, 61), TFrameRect{});
    EXPECT_EQ(place(0, 1, 0), TFrameRect{});
    EXPECT_EQ(place(0, 1, -60), TFrameRect{});
    EXPECT_EQ(place(0, 1, 60, 0), TFrameRect{});

    TCaptionButtonInfo hostile;
    hostile.Align = 1;
    hostile.XCoord = INT_MIN;
    hostile.ImageWidth = INT_MAX;
    hostile.ImageHeight = INT_MAX;
    hostile.YCoord = INT_MAX;
    const TFrameRect rect = LayoutCaptionButton(hostile, INT_MAX, title, Widths(), INT_MIN);
    EXPECT_LE(rect.Left, rect.Right);
    EXPECT_LE(rect.Top, rect.Bottom);
}

// The whole caption laid out at once: the title keeps clear of the right-anchored buttons that
// show, buttons anchored to the title follow it, a hidden one gets no place, and a minimized
// window lays its caption across the whole window.
TEST(CaptionLayout, TitleFirstThenTheButtonsThatShow) {
    auto button = [](int align, int xCoord, int yCoord, int imageWidth, int imageHeight, int frames) {
        TCaptionButtonInfo info;
        info.Align = align;
        info.XCoord = xCoord;
        info.YCoord = yCoord;
        info.ImageWidth = imageWidth;
        info.ImageHeight = imageHeight;
        info.Frames = frames;
        return info;
    };
    const TCaptionButtonInfo close = button(1, 30, 5, 64, 16, 4); // 16 wide, from the right edge
    const TCaptionButtonInfo pin = button(3, 2, 6, 14, 14, 1);    // right of the title
    const TCaptionButtonInfo help = button(0, 40, 5, 16, 16, 1);  // never shows here
    const TCaptionButtonInfo blank = button(1, 90, 5, 0, 16, 1);  // shows, but has no image
    const TCaptionButtonPlace none{};
    auto at = [](int left, int top, int right, int bottom) {
        return TCaptionButtonPlace{true, Rect(left, top, right, bottom)};
    };
    struct Case {
        const char* What;
        bool Minimized, Popup, CloseShows;
        int TitleWidth;
        TFrameRect Caption, Title;
        int Reserved;
        TCaptionButtonPlace Close, Pin;
    };
    const Case cases[] = {
        {"plain", false, false, true, 50, Rect(4, 0, 194, 30), Rect(24, 7, 74, 23), 30, at(170, 5, 186, 21),
         at(76, 6, 90, 20)},
        {"popup, long title", false, true, true, 200, Rect(4, 0, 194, 30), Rect(24, 7, 159, 23), 30,
         at(170, 5, 186, 21), at(161, 6, 175, 20)},
        {"popup, long title, close hidden", false, true, false, 200, Rect(4, 0, 194, 30),
         Rect(24, 7, 224, 23), 0, none, at(226, 6, 240, 20)},
        {"minimized", true, false, true, 50, Rect(0, 0, 200, 30), Rect(20, 7, 70, 23), 30,
         at(170, 5, 186, 21), at(72, 6, 86, 20)},
    };
    for (const Case& c : cases) {
        TCaptionLayoutInput input;
        input.WindowWidth = 200;
        input.Minimized = c.Minimized;
        input.Widths = Widths(0);
        input.TitleWidth = c.TitleWidth;
        input.TitleHeight = 16;
        input.Title.TextShift = 20;
        input.Popup = c.Popup;
        input.Buttons = {{close, c.CloseShows}, {pin, true}, {help, false}, {blank, true}};
        const TCaptionLayout layout = CaptionLayout(input);
        EXPECT_EQ(layout.Caption, c.Caption) << c.What;
        EXPECT_EQ(layout.Title, c.Title) << c.What;
        EXPECT_EQ(layout.ReservedRight, c.Reserved) << c.What;
        ASSERT_EQ(layout.Buttons.size(), 4u) << c.What;
        EXPECT_EQ(layout.Buttons[0], c.Close) << c.What;
        EXPECT_EQ(layout.Buttons[1], c.Pin) << c.What;
        EXPECT_EQ(layout.Buttons[2], none) << c.What;
        EXPECT_EQ(layout.Buttons[3], none) << c.What;
    }
}

TEST(CaptionButtons, HintTextsByAction) {
    const std::pair<int, const char*> hints[] = {
        {0, "Close"},     {9, "Close"},    {62, "Close"},   {1, "Maximize"},
        {22, "Maximize"}, {2, "Minimize"}, {7, "Minimize"}, {23, "Minimize"},
        {60, "Minimize"}, {8, "Restore"},  {61, "Restore"}, {3, nullptr},
        {4, nullptr},     {11, nullptr},   {-1, nullptr},   {100, nullptr},
    };
    for (const auto& [action, text] : hints) {
        const char* hint = CaptionButtonHint(action);
        if (!text)
            EXPECT_EQ(hint, nullptr) << action;
        else
            EXPECT_STREQ(hint, text) << action;
    }
}

// ---- Title

struct TitleCase {
    const char* What;
    int Alignment, TextWidth, Reserved;
    bool RightToLeft, Popup;
    TBorderKind Kind;
    TFrameRect Expected;
};

TEST(FrameTitle, Layout) {
    // Caption piece 200 x 24 at x 4; text 50 x 14, back image caps 3 and 5: the title is 58 wide
    // and sits 6 down ((24 - 14) / 2 + 2 / 2).
    const TFrameRect caption = Rect(4, 0, 204, 24);
    TTitleMetrics metrics;
    metrics.TextShift = 20;
    metrics.TextShiftVert = 2;
    metrics.TextRightClip = 30;
    metrics.TextBackLeft = 3;
    metrics.TextBackRight = 5;
    const TitleCase cases[] = {
        {"left", 0, 50, 0, false, false, bkSizeable, Rect(24, 6, 82, 20)},
        {"centred", 1, 50, 0, false, false, bkSizeable, Rect(75, 6, 133, 20)},
        {"right", 2, 50, 0, false, false, bkSizeable, Rect(116, 6, 174, 20)},
        {"other alignment", 7, 50, 0, false, false, bkSizeable, Rect(4, 6, 62, 20)},
        {"clipped", 0, 300, 0, false, false, bkSizeable, Rect(24, 6, 174, 20)},
        {"clipped centre", 1, 300, 0, false, false, bkSizeable, Rect(-50, 6, 174, 20)},
        // Dialogs show no icon: a left-aligned title starts 16 pixels further left.
        {"dialog left", 0, 50, 0, false, false, bkDialog, Rect(8, 6, 82, 20)},
        {"dialog centred", 1, 50, 0, false, false, bkDialog, Rect(75, 6, 133, 20)},
        // Popups clip before the right-anchored buttons instead, when there are any.
        {"popup clipped", 0, 300, 40, false, true, bkSizeable, Rect(24, 6, 159, 20)},
        {"popup short", 0, 50, 40, false, true, bkSizeable, Rect(24, 6, 82, 20)},
        {"popup right", 2, 50, 40, false, true, bkSizeable, Rect(116, 6, 159, 20)},
        {"popup no buttons", 0, 300, 5, false, true, bkSizeable, Rect(24, 6, 332, 20)},
        // Right to left: against the buttons, 10 pixels right, no clip.
        {"rtl left", 0, 50, 40, true, false, bkSizeable, Rect(116, 6, 174, 20)},
        {"rtl centred", 1, 50, 40, true, false, bkSizeable, Rect(65, 6, 123, 20)},
        {"rtl right", 2, 50, 40, true, false, bkSizeable, Rect(34, 6, 92, 20)},
        {"rtl popup", 0, 50, 40, true, true, bkSizeable, Rect(116, 6, 174, 20)},
        {"rtl too wide", 0, 300, 40, true, false, bkSizeable, Rect(30, 6, 174, 20)},
        {"rtl dialog", 0, 300, 40, true, false, bkDialog, Rect(14, 6, 174, 20)},
    };
    for (const TitleCase& c : cases) {
        TTitleMetrics m = metrics;
        m.TextAlignment = c.Alignment;
        EXPECT_EQ(LayoutTitle(caption, c.TextWidth, 14, m, c.Reserved, c.RightToLeft, c.Popup, c.Kind),
                  c.Expected)
            << c.What;
    }
}

TEST(FrameTitle, VerticalHalvesTruncateTowardZero) {
    TTitleMetrics metrics;
    metrics.TextShiftVert = -3;
    // (10 - 15) / 2 = -2, -3 / 2 = -1.
    const TFrameRect title = LayoutTitle(Rect(0, 0, 100, 10), 20, 15, metrics, 0, false, false, bkSingle);
    EXPECT_EQ(title.Top, -3);
    EXPECT_EQ(title.Bottom, 12);
}

TEST(FrameTitle, ExtremeMetricsStayInRange) {
    // Sums past the ends of int saturate instead of wrapping round to the other side of the
    // caption (a title far to the right would otherwise land far to the left, and the other way).
    struct TCase {
        TFrameRect Caption;
        int TextWidth, TextHeight;
        TTitleMetrics Metrics;
        int Reserved;
        bool RightToLeft;
        TBorderKind Kind;
        TFrameRect Want;
    };
    const TCase cases[] = {
        // A shift and a text wider than int: starts at the end of int, cut at the caption's right.
        {Rect(0, 0, 100, 20),
         INT_MAX,
         10,
         {.TextShift = INT_MAX, .TextBackLeft = INT_MAX, .TextBackRight = INT_MAX},
         0,
         false,
         bkSizeable,
         Rect(INT_MAX, 5, 100, 15)},
        // Right-aligned with a clip of INT_MIN: 100 - INT_MIN does not fit an int.
        {Rect(0, 0, 100, 20),
         50,
         10,
         {.TextRightClip = INT_MIN, .TextAlignment = 2},
         0,
         false,
         bkSizeable,
         Rect(INT_MAX, 5, INT_MAX, 15)},
        // Right to left against buttons reserving INT_MIN: pushed past the end, then 10 more.
        {Rect(0, 0, 100, 20), 50, 10, {}, INT_MIN, true, bkSizeable, Rect(INT_MAX, 5, INT_MAX, 15)},
        // A caption as tall as int allows with the vertical shift at its most negative.
        {Rect(0, INT_MIN, 100, INT_MAX),
         10,
         INT_MAX,
         {.TextShiftVert = INT_MIN},
         0,
         false,
         bkSizeable,
         Rect(0, INT_MIN, 10, -1)},
        // A dialog's 16 pixels for the missing icon, taken off a title that starts at INT_MIN.
        {Rect(0, 0, 100, 20),
         50,
         10,
         {.TextShift = INT_MIN},
         0,
         false,
         bkDialog,
         Rect(INT_MIN, 5, INT_MIN + 50, 15)},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(LayoutTitle(c.Caption, c.TextWidth, c.TextHeight, c.Metrics, c.Reserved, c.RightToLeft,
                              false, c.Kind),
                  c.Want)
            << c.Want.Left << ", " << c.Want.Top << ", " << c.Want.Right << ", " << c.Want.Bottom;

    // Every alignment and kind at the ends of int: under the sanitizers nothing overflows.
    TTitleMetrics metrics;
    metrics.TextShift = INT_MAX;
    metrics.TextShiftVert = INT_MIN;
    metrics.TextRightClip = INT_MIN;
    metrics.TextBackLeft = INT_MAX;
    metrics.TextBackRight = INT_MAX;
    for (int alignment : {0, 1, 2}) {
        metrics.TextAlignment = alignment;
        for (bool rtl : {false, true}) {
            for (bool popup : {false, true}) {
                const TFrameRect wide = LayoutTitle(Rect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), INT_MAX,
                                                    INT_MIN, metrics, INT_MIN, rtl, popup, bkDialog);
                const TFrameRect inverted = LayoutTitle(Rect(INT_MAX, INT_MAX, INT_MIN, INT_MIN), INT_MIN,
                                                        INT_MAX, metrics, INT_MAX, rtl, popup, bkSizeable);
                // Vertically (the same for every alignment): the caption 2^32 - 1 high, the text
                // INT_MIN high, shifted by INT_MIN / 2, puts the top at -1 and the bottom below
                // INT_MIN; the inverted caption puts the top below INT_MIN and the bottom at -1.
                EXPECT_EQ(wide.Top, -1) << alignment << rtl << popup;
                EXPECT_EQ(wide.Bottom, INT_MIN) << alignment << rtl << popup;
                EXPECT_EQ(inverted.Top, INT_MIN) << alignment << rtl << popup;
                EXPECT_EQ(inverted.Bottom, -1) << alignment << rtl << popup;
            }
        }
    }
}

TEST(FrameTitle, ADialogGrowsToShowItsTitleWhateverTheSkinSays) {
    struct TCase {
        int Width, Shift, Text, Clip;
        TDialogTitleFit Want;
    };
    const TCase cases[] = {
        {200, 10, 150, 30, {200, 0}},  // wide enough
        {200, 10, 250, 30, {290, 45}}, // grows, controls move by half
        {200, 10, 251, 30, {291, 45}}, // halves truncate
        {200, INT_MAX, INT_MAX, INT_MAX, {MaxDialogWidth, (MaxDialogWidth - 200) / 2}},
        {200, INT_MAX, 100, 1, {MaxDialogWidth, (MaxDialogWidth - 200) / 2}},
        {200, INT_MIN, INT_MAX, INT_MIN, {200, 0}}, // a sum below zero needs nothing
        {200, -50, 100, -50, {200, 0}},
        {MaxDialogWidth + 10, INT_MAX, INT_MAX, 0, {MaxDialogWidth + 10, 0}},
        {0, 0, 0, 0, {0, 0}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(FitDialogToTitle(c.Width, c.Shift, c.Text, c.Clip), c.Want)
            << c.Width << " " << c.Shift << " " << c.Text << " " << c.Clip;
}

// ---- Three-part strip

std::vector<TStripPart> Parts(std::initializer_list<TStripPart> parts) {
    return parts;
}
TStripPart Part(int sourceLeft, int sourceRight, int destLeft, int destRight, int cellHeight = 10,
                int height = 16) {
    return {Rect(sourceLeft, 0, sourceRight, cellHeight), Rect(destLeft, 0, destRight, height)};
}

TEST(ThreePartStrip, CapsMiddleCopiesAndTheRightCapLast) {
    // Cell 20 wide, caps 4 and 6: a middle of 10 repeated from x 4 while x < 39.
    EXPECT_EQ(ThreePartStrip(20, 10, 45, 16, 4, 6),
              Parts({Part(0, 4, 0, 4), Part(4, 14, 4, 14), Part(4, 14, 14, 24), Part(4, 14, 24, 34),
                     Part(4, 14, 34, 44), Part(14, 20, 39, 45)}));
    // Without a right cap the last copy is cut at the target's edge.
    EXPECT_EQ(ThreePartStrip(20, 10, 30, 16, 4, 0),
              Parts({Part(0, 4, 0, 4), Part(4, 20, 4, 20), Part(4, 14, 20, 30)}));
    // Exactly as wide as the caps: no middle.
    EXPECT_EQ(ThreePartStrip(20, 10, 10, 16, 4, 6), Parts({Part(0, 4, 0, 4), Part(14, 20, 4, 10)}));
    // No caps: the whole cell repeated.
    EXPECT_EQ(ThreePartStrip(8, 10, 20, 16, 0, 0),
              Parts({Part(0, 8, 0, 8), Part(0, 8, 8, 16), Part(0, 4, 16, 20)}));
}

TEST(ThreePartStrip, NoMiddleWhenTheCellIsNotWiderThanItsCaps) {
    EXPECT_EQ(ThreePartStrip(10, 10, 30, 16, 4, 6), Parts({Part(0, 4, 0, 4), Part(4, 10, 24, 30)}));
    EXPECT_EQ(ThreePartStrip(10, 10, 30, 16, 7, 6), Parts({Part(0, 7, 0, 7), Part(4, 10, 24, 30)}));
    // Caps wider than the cell are clamped to it.
    EXPECT_EQ(ThreePartStrip(8, 10, 30, 16, 12, 0), Parts({Part(0, 8, 0, 8)}));
    EXPECT_EQ(ThreePartStrip(8, 10, 30, 16, 12, 12), Parts({Part(0, 8, 0, 8), Part(0, 8, 22, 30)}));
    EXPECT_EQ(ThreePartStrip(8, 10, 30, 16, -5, INT_MAX), Parts({Part(0, 8, 22, 30)}));
}

TEST(ThreePartStrip, CapsAreCutToANarrowTarget) {
    // Right cap over the left one.
    EXPECT_EQ(ThreePartStrip(20, 10, 10, 16, 8, 8), Parts({Part(0, 8, 0, 8), Part(12, 20, 2, 10)}));
    // Both caps wider than the target: cut at its edges.
    EXPECT_EQ(ThreePartStrip(20, 10, 5, 16, 8, 8), Parts({Part(0, 5, 0, 5), Part(15, 20, 0, 5)}));
}

TEST(ThreePartStrip, NothingForEmptyOrOversizedInput) {
    EXPECT_TRUE(ThreePartStrip(0, 10, 30, 16, 1, 1).empty());
    EXPECT_TRUE(ThreePartStrip(20, 0, 30, 16, 1, 1).empty());
    EXPECT_TRUE(ThreePartStrip(20, 10, 0, 16, 1, 1).empty());
    EXPECT_TRUE(ThreePartStrip(20, 10, 30, 0, 1, 1).empty());
    EXPECT_TRUE(ThreePartStrip(-20, -10, -30, -16, 1, 1).empty());
    EXPECT_TRUE(ThreePartStrip(3, 10, MaxStripExtent + 1, 16, 1, 1).empty());
    EXPECT_TRUE(ThreePartStrip(3, 10, INT_MAX, 16, 1, 1).empty());
    // The widest target with a one-pixel middle: one copy per column, no more.
    EXPECT_EQ(ThreePartStrip(3, INT_MAX, MaxStripExtent, INT_MAX, 1, 1).size(), size_t(MaxStripExtent));
}

// ---- Region scan

constexpr std::uint32_t M = 0xFF00FF, K = 0x102030; // magenta, some opaque colour

std::vector<TRegionRun> Scan(const std::vector<std::uint32_t>& pixels, int width, int height,
                             int tolerance = 1, int dx = 0, int dy = 0, int stride = 0) {
    return ScanOpaqueRuns(pixels.data(), width, height, stride ? stride : width, M, tolerance, dx, dy);
}

TEST(RegionScan, MagentaCornersCutTheRuns) {
    const std::vector<std::uint32_t> image = {
        M, K, K, K, K, M, //
        K, K, K, K, K, K, //
        M, M, K, K, M, M, //
        K, M, K, M, M, K, //
    };
    EXPECT_EQ(Scan(image, 6, 4),
              (std::vector<TRegionRun>{Rect(1, 0, 5, 1), Rect(0, 1, 6, 2), Rect(2, 2, 4, 3), Rect(0, 3, 1, 4),
                                       Rect(2, 3, 3, 4), Rect(5, 3, 6, 4)}));
    // Moved by the piece's position.
    EXPECT_EQ(Scan(image, 6, 4, 1, 100, -2)[0], Rect(101, -2, 105, -1));
    EXPECT_EQ(Scan(image, 6, 4, 1, 100, -2)[5], Rect(105, 1, 106, 2));
}

TEST(RegionScan, ToleranceReachesUpFromTheKeyOnEveryChannel) {
    const std::uint32_t near[] = {0xFF01FF, 0xFF00FF};
    for (std::uint32_t pixel : near)
        EXPECT_TRUE(Scan({pixel}, 1, 1).empty()) << std::hex << pixel;
    // Below the key or beyond the tolerance is opaque; the top byte does not count.
    const std::uint32_t far[] = {0xFE00FF, 0xFF00FE, 0xFF02FF, 0x00FF00};
    for (std::uint32_t pixel : far)
        EXPECT_EQ(Scan({pixel}, 1, 1).size(), 1u) << std::hex << pixel;
    EXPECT_TRUE(Scan({0xFFFF00FF}, 1, 1).empty());
    EXPECT_TRUE(Scan({0xFF02FF}, 1, 1, 2).empty());
    EXPECT_EQ(Scan({M}, 1, 1, 0).size(), 0u);
    EXPECT_EQ(Scan({M}, 1, 1, -1).size(), 1u);
    // The cap at 255 for a key at the top of the range, with a huge tolerance.
    const std::uint32_t white = 0xFFFFFF;
    EXPECT_TRUE(ScanOpaqueRuns(&white, 1, 1, 1, white, INT_MAX, 0, 0).empty());
    EXPECT_EQ(ScanOpaqueRuns(&white, 1, 1, 1, 0xFFFFFE, INT_MIN, 0, 0).size(), 1u);
}

TEST(RegionScan, TransparentImageOrBadInputGivesNoRuns) {
    EXPECT_TRUE(Scan(std::vector<std::uint32_t>(12, M), 4, 3).empty());
    const std::vector<std::uint32_t> opaque(12, K);
    EXPECT_TRUE(Scan(opaque, 0, 3).empty());
    EXPECT_TRUE(Scan(opaque, 4, 0).empty());
    EXPECT_TRUE(Scan(opaque, -4, 3).empty());
    EXPECT_TRUE(Scan(opaque, 4, 3, 1, 0, 0, 3).empty()); // stride below the width
    EXPECT_TRUE(ScanOpaqueRuns(nullptr, 4, 3, 4, M, 1, 0, 0).empty());
}

TEST(RegionScan, StridePaddingIsNotScanned) {
    const std::vector<std::uint32_t> image = {
        M, K, K, /* padding */ K, //
        K, M, M, /* padding */ K,
    };
    EXPECT_EQ(Scan(image, 3, 2, 1, 0, 0, 4), (std::vector<TRegionRun>{Rect(1, 0, 3, 1), Rect(0, 1, 1, 2)}));
}

TEST(RegionScan, OffsetsAtTheEndsOfTheRangeDoNotWrap) {
    const std::vector<TRegionRun> runs = Scan({K, K}, 2, 1, 1, INT_MAX, INT_MIN);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0], Rect(INT_MAX, INT_MIN, INT_MAX, INT_MIN + 1));
}

} // namespace

TEST(FrameGeometry, ToolbarButtonCellFollowsTheCustomDrawState) {
    const struct {
        unsigned State;
        int Cell;
    } cases[] = {
        {0, 0},
        {cdsChecked, 0},
        {cdsSelected, 2},
        {cdsSelected | cdsHot | cdsDisabled, 2},
        {cdsHot, 4},
        {cdsFocus, 4},
        {cdsHot | cdsDefault, 4},
        {cdsDefault, 1},
        {cdsDefault | cdsGrayed, 0},
        {cdsDefault | cdsDisabled, 0},
        {cdsGrayed, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToolbarButtonCell(c.State), c.Cell) << "state 0x" << std::hex << c.State;
}
