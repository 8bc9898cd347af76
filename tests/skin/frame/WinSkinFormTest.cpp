// The skinned frame on real windows: the main window starts skinned, its frame is drawn from
// the skin's images, the outline follows their transparent corners, the caption buttons work,
// skins change and skinning switches off and on with the client area kept, dialogs are skinned
// while they are open, and windows that go away at awkward moments leave nothing behind.
//
// Expected pixels are read straight from the skin component's elements (image, cell count,
// margins): the margins of each frame piece are copied 1:1 from the current cell, so the window
// must show exactly those pixels there.
#include "GuiObjects.h"
#include "SkinActions.h"
#include "UiTestSupport.h"

#include "Dialogs.h"
#include "Form.h"
#include "Handles.h"
#include "Main.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSkinFormButtons.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {
const char* const IniName = "perchpoints.ini";

RECT OuterRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

SIZE ClientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return SIZE{r.right, r.bottom};
}

BYTE Opacity(HWND window) {
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    GetLayeredWindowAttributes(window, &key, &alpha, &flags);
    return alpha;
}

// The window's region type (ERROR without one) and, when there is one, the region.
struct TWindowRegion {
    int Type = ERROR;
    TOwnedRegion Region;
};
TWindowRegion WindowRegion(HWND window) {
    TWindowRegion result;
    result.Region.Reset(CreateRectRgn(0, 0, 0, 0));
    result.Type = GetWindowRgn(window, result.Region.Get());
    return result;
}

// Magenta as the region scan sees it: each channel within the key's value and one above.
bool IsMagenta(TColor c) {
    const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    return r == 255 && g <= 1 && b == 255;
}

std::string Hex(TColor c) {
    std::ostringstream out;
    out << std::hex << "0x" << static_cast<unsigned>(c);
    return out.str();
}

enum TPiece { pcLeft, pcRight, pcTop, pcBottom };

const TDataSkinBorder& PieceElement(const TSkinData& skin, TPiece piece) {
    switch (piece) {
    case pcLeft:
        return skin.FrameLeft();
    case pcRight:
        return skin.FrameRight();
    case pcTop:
        return skin.FrameTop();
    default:
        return skin.FrameBottom();
    }
}

// The piece's rectangle in window coordinates for a W x H window.
RECT PieceRect(const TFrameWidths& w, TPiece piece, int width, int height) {
    switch (piece) {
    case pcLeft:
        return RECT{0, 0, w.Left, height};
    case pcRight:
        return RECT{width - w.Right, 0, width, height};
    case pcTop:
        return RECT{w.Left, 0, width - w.Right, w.Caption};
    default:
        return RECT{w.Left, height - w.Bottom, width - w.Right, height};
    }
}

// The image pixel that a piece of pieceW x pieceH shows at (x, y) of the piece, when that point
// lies in one of the fixed margins along the piece (copied 1:1 from the cell); none in the centre.
// State cells stand side by side for the side pieces and are stacked for the top and bottom.
std::optional<TColor> MarginPixel(const TDataSkinBorder& element, TPiece piece, bool active, int pieceW,
                                  int pieceH, int x, int y) {
    const TBitmap& image = element.Bitmap;
    const int frames = element.Frame < 1 ? 1 : element.Frame;
    const int cell = (active || frames == 1) ? 0 : 1;
    if (piece == pcLeft || piece == pcRight) {
        const int cellW = image.Width() / frames;
        const int sx = cell * cellW + x;
        if (y < element.TopHeight)
            return image.PixelColor(sx, y);
        if (y >= pieceH - element.BottomHeight)
            return image.PixelColor(sx, image.Height() - (pieceH - y));
        return std::nullopt;
    }
    const int cellH = image.Height() / frames;
    const int sy = cell * cellH + y;
    if (x < element.LeftWidth)
        return image.PixelColor(x, sy);
    if (x >= pieceW - element.RightWidth)
        return image.PixelColor(image.Width() - (pieceW - x), sy);
    return std::nullopt;
}

// Calls visit(windowX, windowY, imagePixel) for every margin pixel of the four pieces.
template <class Visit>
void ForEachMarginPixel(const TSkinData& skin, const TFrameWidths& widths, bool active, int width, int height,
                        Visit visit) {
    for (TPiece piece : {pcLeft, pcRight, pcTop, pcBottom}) {
        const RECT r = PieceRect(widths, piece, width, height);
        const int pw = r.right - r.left, ph = r.bottom - r.top;
        for (int y = 0; y < ph; ++y)
            for (int x = 0; x < pw; ++x)
                if (auto pixel = MarginPixel(PieceElement(skin, piece), piece, active, pw, ph, x, y))
                    visit(r.left + x, r.top + y, *pixel);
    }
}

bool SamePicture(const TBitmap& a, const TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.PixelColor(x, y) != b.PixelColor(x, y))
                return false;
    return true;
}

// Where two pictures of one size differ, for failure messages.
std::string Difference(const TBitmap& a, const TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return "sizes " + std::to_string(a.Width()) + "x" + std::to_string(a.Height()) + " and " +
               std::to_string(b.Width()) + "x" + std::to_string(b.Height());
    int count = 0;
    RECT box{a.Width(), a.Height(), -1, -1};
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.PixelColor(x, y) != b.PixelColor(x, y)) {
                ++count;
                box = RECT{std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                           std::max<LONG>(box.right, x), std::max<LONG>(box.bottom, y)};
            }
    return std::to_string(count) + " pixels differ within (" + std::to_string(box.left) + ", " +
           std::to_string(box.top) + ")-(" + std::to_string(box.right) + ", " + std::to_string(box.bottom) +
           ")";
}

// The top rows of a whole-window picture, black outside the window region (what lies there is
// never shown and keeps whatever an earlier skin left).
std::unique_ptr<TBitmap> TopStrip(const TBitmap& shot, int rows, HWND window) {
    auto strip = std::make_unique<TBitmap>(shot.Width(), rows, pf24bit);
    BitBlt(strip->MemoryDC(), 0, 0, shot.Width(), rows, shot.MemoryDC(), 0, 0, SRCCOPY);
    TOwnedRegion outside(CreateRectRgn(0, 0, shot.Width(), rows));
    TOwnedRegion region(CreateRectRgn(0, 0, 0, 0));
    if (GetWindowRgn(window, region.Get()) != ERROR) {
        CombineRgn(outside.Get(), outside.Get(), region.Get(), RGN_DIFF);
        FillRgn(strip->MemoryDC(), outside.Get(), static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    GdiFlush();
    return strip;
}

DWORD GuiObjects(DWORD kind) {
    return kind == GR_GDIOBJECTS ? GdiObjectCount() : UserObjectCount();
}

} // namespace

class SkinFrameTest : public TUiTest {
  protected:
    void TearDown() override {
        others_.clear();
        form_.reset();
        PumpPending();
        TUiTest::TearDown();
    }
    void Start(const std::string& settings = std::string()) {
        if (!settings.empty())
            folder_.Write(IniName, settings);
        form_.reset(new TForm1(&TestApplication(), folder_.Path("perchpoints.exe")));
        form_->Show();
        PumpPending();
        // The frame starts on a message the manager posts; painting follows. A manager left
        // running by an earlier test also refreshes the frame for the skin loaded at start.
        PumpUntil([&] { return SkinActionDone() && Frame() && Frame()->FrameState() == fsRunning; }, 3000);
        Activate();
    }
    void Activate() {
        SetForegroundWindow(Window());
        SetActiveWindow(Window());
        PumpPending();
    }
    HWND Window() const { return form_->Handle(); }
    TWinSkinForm* Frame() const {
        return SkinManager() ? SkinManager()->FindFrame(form_->Handle()) : nullptr;
    }
    TSkinData& Skin() const { return *form_->SkinData1; }

    // "Change skin", then the manager's deferred refresh.
    void ChangeSkin() {
        form_->Changeskin1Click(nullptr);
        EXPECT_TRUE(PumpUntil(SkinActionDone, 3000));
        PumpPending();
    }
    // Ctrl+S, then the manager's deferred action.
    void CtrlS() {
        WORD key = 'S';
        form_->FormKeyDown(form_.get(), key, ssCtrl);
        EXPECT_TRUE(PumpUntil(SkinActionDone, 3000));
        PumpPending();
    }

    // The caption button with that action, visible; null when the skin shows none.
    TWinSysButton* Button(int action) const {
        TWinSkinForm* frame = Frame();
        if (!frame)
            return nullptr;
        for (const auto& object : frame->CaptionButtons()) {
            auto* button = static_cast<TWinSysButton*>(object.get());
            if (button->Visible && button->Element().Action == action && button->BoundsRect.Width() > 0)
                return button;
        }
        return nullptr;
    }
    // The middle of a caption button, in screen coordinates, as a message's lParam.
    POINT ScreenPoint(const TFrameRect& r) const {
        const RECT outer = OuterRect(Window());
        return POINT{outer.left + (r.Left + r.Right) / 2, outer.top + (r.Top + r.Bottom) / 2};
    }
    static LPARAM AsLParam(POINT p) { return MAKELPARAM(p.x, p.y); }
    // A caption point on no button and off the title, in screen coordinates.
    POINT FreeCaptionPoint() const {
        TWinSkinForm* frame = Frame();
        const RECT outer = OuterRect(Window());
        const int y = frame->Widths().Caption / 2;
        for (int x = frame->Widths().Left + 1; x < outer.right - outer.left - frame->Widths().Right; ++x) {
            bool taken = frame->TitleRect().Contains(x, y);
            for (const auto& object : frame->CaptionButtons())
                taken = taken || (object->Visible && object->BoundsRect.Contains(x, y));
            if (!taken)
                return POINT{outer.left + x, outer.top + y};
        }
        return POINT{outer.left + frame->Widths().Left, outer.top + y};
    }

    // Every margin pixel of the four frame pieces that the window shows (opaque in the skin,
    // not under a caption button or the title) equals the skin's pixel; gives the mismatches.
    int FrameMismatches(const std::string& label) {
        TWinSkinForm* frame = Frame();
        if (!frame)
            return -1;
        Activate();
        auto shot = CaptureWindow(Window());
        const bool active = frame->Active();
        const RECT outer = OuterRect(Window());
        const int w = outer.right - outer.left, h = outer.bottom - outer.top;
        std::vector<TFrameRect> covered{frame->TitleRect()};
        for (const auto& object : frame->CaptionButtons())
            if (object->Visible)
                covered.push_back(object->BoundsRect);
        int compared = 0, mismatches = 0;
        ForEachMarginPixel(Skin(), frame->Widths(), active, w, h, [&](int x, int y, TColor expected) {
            if (IsMagenta(expected))
                return; // outside the window region: not drawn
            for (const TFrameRect& r : covered)
                if (r.Contains(x, y))
                    return;
            ++compared;
            const TColor shown = shot->PixelColor(x, y);
            if (shown != expected && ++mismatches <= 5)
                ADD_FAILURE() << label << ": pixel (" << x << ", " << y << ") shows " << Hex(shown)
                              << ", the skin has " << Hex(expected);
        });
        EXPECT_GT(compared, 100) << label << ": too few margin pixels to compare";
        if (mismatches)
            SaveCapture(*shot, folder_.Path("frame.bmp"));
        return mismatches;
    }

    // The button's rectangle on a picture of the window shows state cell `cell` (from 1) of its
    // image, magenta left out; gives the pixels that differ.
    int ButtonCellMismatches(const TBitmap& shot, TWinSysButton& button, int cell) const {
        const TBitmap& image = button.Element().Bitmap;
        const int cellW = image.Width() / std::max(1, button.Element().Frame);
        const TFrameRect r = button.BoundsRect;
        int mismatches = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) {
                const TColor expected = image.PixelColor((cell - 1) * cellW + x - r.Left, y - r.Top);
                if (!IsMagenta(expected) && shot.PixelColor(x, y) != expected)
                    ++mismatches;
            }
        return mismatches;
    }

    TTempFolder folder_;
    TOwnedComponent<TForm1> form_;
    std::vector<TOwnedComponent<TForm>> others_;
};

// ---- start-up

TEST_F(SkinFrameTest, TheMainWindowStartsSkinnedKeepingItsClientSizeTopmostAndTranslucence) {
    Start();
    ASSERT_NE(SkinManager(), nullptr);
    TWinSkinForm* frame = Frame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->FrameState(), fsRunning);
    EXPECT_TRUE(frame->SkinFrame());
    EXPECT_EQ(frame->Form(), form_.get());
    const SIZE client = ClientSize(Window());
    EXPECT_EQ(client.cx, 272);
    EXPECT_EQ(client.cy, 156);
    // The outer size is the client plus the skin's frame, not the system's.
    const RECT outer = OuterRect(Window());
    const TFrameWidths& widths = frame->Widths();
    EXPECT_EQ(outer.right - outer.left, 272 + widths.Left + widths.Right);
    EXPECT_EQ(outer.bottom - outer.top, 156 + widths.Caption + widths.Bottom);
    TWindowRegion region = WindowRegion(Window());
    EXPECT_NE(region.Type, ERROR);
    EXPECT_NE(region.Type, NULLREGION);
    const LONG exStyle = GetWindowLongA(Window(), GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_LAYERED);
    EXPECT_EQ(Opacity(Window()), form_->AlphaBlendValue());
    // The system draws no caption buttons of its own over the skinned ones.
    EXPECT_FALSE(GetWindowLongA(Window(), GWL_STYLE) & WS_SYSMENU);
}

TEST_F(SkinFrameTest, TheSavedSkinNumberIsTheSkinShown) {
    Start("[Settings]\r\nSkin=4\r\n");
    EXPECT_EQ(form_->SkinNumber(), 4);
    EXPECT_EQ(Skin().SkinName(), "Walnut");
    TWinSkinForm* frame = Frame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->Widths().Left, Skin().FrameLeft().Bitmap.Width() / Skin().FrameLeft().Frame);
    EXPECT_EQ(frame->Widths().Caption, Skin().FrameTop().Bitmap.Height() / Skin().FrameTop().Frame);
    // The client area is the layout's whatever skin was saved (its frame is not the one the
    // layout was made with).
    const SIZE client = ClientSize(Window());
    EXPECT_EQ(client.cx, 272);
    EXPECT_EQ(client.cy, 156);
    EXPECT_EQ(FrameMismatches("Walnut at start"), 0);
}

// ---- pixels and outline

TEST_F(SkinFrameTest, TheFrameShowsTheSkinsImagesForEverySkinItIsChangedTo) {
    Start("[Settings]\r\nSkin=1\r\n");
    ASSERT_EQ(form_->SkinNumber(), 1);
    EXPECT_EQ(FrameMismatches("skin 1"), 0);
    for (int target : {2, 4, 6}) {
        while (form_->SkinNumber() != target)
            ChangeSkin();
        TWinSkinForm* frame = Frame();
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->FrameState(), fsRunning);
        // The widths follow the new skin: the client area keeps its size.
        const SIZE client = ClientSize(Window());
        EXPECT_EQ(client.cx, 272) << "skin " << target;
        EXPECT_EQ(client.cy, 156) << "skin " << target;
        EXPECT_EQ(frame->Widths().Bottom, Skin().FrameBottom().Bitmap.Height() / Skin().FrameBottom().Frame);
        EXPECT_EQ(FrameMismatches("skin " + std::to_string(target)), 0);
    }
}

TEST_F(SkinFrameTest, AnInactiveWindowShowsTheInactiveCells) {
    Start("[Settings]\r\nSkin=2\r\n");
    TWinSkinForm* frame = Frame();
    ASSERT_NE(frame, nullptr);
    // Another window takes the activation: the frame repaints from the second cells.
    others_.emplace_back(new TForm(&TestApplication()));
    TForm& other = *others_.back();
    other.SetBounds(10, 10, 200, 120);
    other.Show();
    SetForegroundWindow(other.Handle());
    PumpPending();
    ASSERT_FALSE(frame->Active());
    auto shot = CaptureWindow(Window());
    const RECT outer = OuterRect(Window());
    int compared = 0, mismatches = 0;
    ForEachMarginPixel(Skin(), frame->Widths(), false, outer.right - outer.left, outer.bottom - outer.top,
                       [&](int x, int y, TColor expected) {
                           if (IsMagenta(expected) || y < frame->Widths().Caption)
                               return; // the caption has buttons and the title; the bottom corners do not
                           ++compared;
                           mismatches += shot->PixelColor(x, y) != expected;
                       });
    EXPECT_GT(compared, 20);
    EXPECT_EQ(mismatches, 0);
    // An inactive caption does not light its buttons.
    TWinSysButton* close = Button(0);
    ASSERT_NE(close, nullptr);
    SendMessageA(Window(), WM_NCMOUSEMOVE, HTCAPTION, AsLParam(ScreenPoint(close->BoundsRect)));
    EXPECT_EQ(frame->HotObject(), nullptr);
    EXPECT_EQ(close->State, ncNormal);
}

TEST_F(SkinFrameTest, TheWindowRegionCutsTheMagentaCornersOfTheBorderImages) {
    Start("[Settings]\r\nSkin=1\r\n");
    TWinSkinForm* frame = Frame();
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(Skin().FrameLeft().Trans, 1);
    // Built afresh while the window is active, so the active cells cut it.
    Skin().ApplyNewSkin();
    SkinManager()->RunAction();
    PumpPending();
    ASSERT_TRUE(frame->Active());
    TWindowRegion region = WindowRegion(Window());
    ASSERT_EQ(region.Type, COMPLEXREGION);
    const RECT outer = OuterRect(Window());
    int cut = 0, kept = 0, wrong = 0;
    ForEachMarginPixel(Skin(), frame->Widths(), true, outer.right - outer.left, outer.bottom - outer.top,
                       [&](int x, int y, TColor pixel) {
                           const bool inside = PtInRegion(region.Region.Get(), x, y) != FALSE;
                           const bool opaque = !IsMagenta(pixel);
                           (opaque ? kept : cut) += 1;
                           if (inside != opaque && ++wrong <= 5)
                               ADD_FAILURE() << "(" << x << ", " << y << ") is " << (inside ? "in" : "out of")
                                             << " the region, skin pixel " << Hex(pixel);
                       });
    EXPECT_GT(cut, 0) << "the skin's corners have no magenta to cut";
    EXPECT_GT(kept, 0);
    EXPECT_EQ(wrong, 0);
    // The client area is wholly inside.
    EXPECT_TRUE(PtInRegion(region.Region.Get(), frame->Widths().Left, frame->Widths().Caption));
    EXPECT_TRUE(PtInRegion(region.Region.Get(), outer.right - outer.left - frame->Widths().Right - 1,
                           outer.bottom - outer.top - frame->Widths().Bottom - 1));
}

TEST_F(SkinFrameTest, ASkinWithoutTransparentPiecesGivesARectangularRegion) {
    Start();
    TWinSkinForm* frame = Frame();
    ASSERT_NE(frame, nullptr);
    for (const TDataSkinBorder* piece :
         {&Skin().FrameLeft(), &Skin().FrameRight(), &Skin().FrameTop(), &Skin().FrameBottom()})
        const_cast<TDataSkinBorder*>(piece)->Trans = 0;
    Skin().ApplyNewSkin();
    SkinManager()->RunAction();
    PumpPending();
    TWindowRegion region = WindowRegion(Window());
    ASSERT_EQ(region.Type, SIMPLEREGION);
    RECT box{};
    GetRgnBox(region.Region.Get(), &box);
    const RECT outer = OuterRect(Window());
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, outer.right - outer.left);
    EXPECT_EQ(box.bottom, outer.bottom - outer.top);
}

TEST_F(SkinFrameTest, TheTitleIsDrawnInTheSkinsColoursAndFollowsTheWindowText) {
    Start("[Settings]\r\nSkin=1\r\n");
    TWinSkinForm* frame = Frame();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(frame->Active());
    auto count = [&](const TBitmap& shot, TColor colour) {
        const COLORREF rgb = ColorToRGB(colour);
        const TFrameRect t = frame->TitleRect();
        int n = 0;
        for (int y = t.Top; y < t.Bottom; ++y)
            for (int x = t.Left; x < t.Right; ++x)
                n += shot.PixelColor(x, y) == static_cast<TColor>(rgb);
        return n;
    };
    auto shot = CaptureWindow(Window());
    EXPECT_GT(frame->TitleRect().Width(), 20);
    EXPECT_GT(count(*shot, Skin().Colour(scTitleTextActive)), 10) << "no title text in the active colour";
    const auto before = TopStrip(*shot, frame->Widths().Caption, Window());

    // A new window text shows at once, in a wider title.
    const int width = frame->TitleRect().Width();
    form_->SetCaption("Perchpoints with a longer title");
    PumpPending();
    const auto after = TopStrip(*CaptureWindow(Window()), frame->Widths().Caption, Window());
    EXPECT_FALSE(SamePicture(*before, *after));
    EXPECT_GT(frame->TitleRect().Width(), width);

    // Inactive, the title takes the inactive colour.
    others_.emplace_back(new TForm(&TestApplication()));
    others_.back()->SetBounds(10, 10, 200, 120);
    others_.back()->Show();
    SetForegroundWindow(others_.back()->Handle());
    PumpPending();
    ASSERT_FALSE(frame->Active());
    shot = CaptureWindow(Window());
    EXPECT_GT(count(*shot, Skin().Colour(scTitleTextNoActive)), 10) << "no title text in the inactive colour";
    EXPECT_EQ(count(*shot, Skin().Colour(scTitleTextActive)), 0);
}

// ---- caption buttons

TEST_F(SkinFrameTest, CaptionButtonsShowTheCellOfTheirState) {
    Start("[Settings]\r\nSkin=1\r\n");
    TWinSkinForm* frame = Frame();
    ASSERT_NE(frame, nullptr);
    TWinSysButton* close = Button(0);
    TWinSysButton* maximize = Button(1);
    ASSERT_NE(close, nullptr);
    ASSERT_NE(maximize, nullptr);
    ASSERT_GE(close->Element().Frame, 4);
    // Without a maximize box the maximize button is shown disabled (cell 4).
    EXPECT_FALSE(maximize->Enabled);
    auto shot = CaptureWindow(Window());
    EXPECT_EQ(ButtonCellMismatches(*shot, *close, 1), 0);
    EXPECT_EQ(ButtonCellMismatches(*shot, *maximize, 4), 0);
    EXPECT_NE(ButtonCellMismatches(*shot, *close, 3), 0) << "the hot cell looks like the normal one";

    SendMessageA(Window(), WM_NCMOUSEMOVE, HTCAPTION, AsLParam(ScreenPoint(close->BoundsRect)));
    shot = CaptureWindow(Window());
    EXPECT_EQ(ButtonCellMismatches(*shot, *close, 3), 0) << "hot";
    SendMessageA(Window(), WM_NCLBUTTONDOWN, HTCAPTION, AsLParam(ScreenPoint(close->BoundsRect)));
    shot = CaptureWindow(Window());
    EXPECT_EQ(ButtonCellMismatches(*shot, *close, 2), 0) << "pressed";
    // Leaving the caption: normal again, nothing closed.
    SendMessageA(Window(), WM_NCLBUTTONUP, HTCAPTION, AsLParam(FreeCaptionPoint()));
    SendMessageA(Window(), WM_NCMOUSEMOVE, HTCAPTION, AsLParam(FreeCaptionPoint()));
    EXPECT_EQ(frame->HotObject(), nullptr);
    shot = CaptureWindow(Window());
    EXPECT_EQ(ButtonCellMismatches(*shot, *close, 1), 0) << "after leaving";
    EXPECT_TRUE(IsWindowVisible(Window()));
}

TEST_F(SkinFrameTest, CaptionButtonsGetHotPressedAndActOnlyWhenReleasedOverThemselves) {
    Start();
    TWinSkinForm* frame = Frame();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(frame->Active());
    TWinSysButton* close = Button(0);
    TWinSysButton* minimize = Button(2);
    ASSERT_NE(close, nullptr);
    ASSERT_NE(minimize, nullptr);

    // Hover: the button under the mouse is hot.
    SendMessageA(Window(), WM_NCMOUSEMOVE, HTCAPTION, AsLParam(ScreenPoint(close->BoundsRect)));
    EXPECT_EQ(frame->HotObject(), close);
    EXPECT_EQ(close->State, ncHot);
    // Moving on to another button moves the hot state with it.
    SendMessageA(Window(), WM_NCMOUSEMOVE, HTCAPTION, AsLParam(ScreenPoint(minimize->BoundsRect)));
    EXPECT_EQ(frame->HotObject(), minimize);
    EXPECT_EQ(close->State, ncNormal);
    EXPECT_EQ(minimize->State, ncHot);

    // Press on close, release elsewhere on the caption: nothing happens.
    SendMessageA(Window(), WM_NCLBUTTONDOWN, HTCAPTION, AsLParam(ScreenPoint(close->BoundsRect)));
    EXPECT_EQ(frame->HotObject(), close);
    EXPECT_EQ(close->State, ncPressed);
    EXPECT_EQ(minimize->State, ncNormal);
    SendMessageA(Window(), WM_NCLBUTTONUP, HTCAPTION, AsLParam(FreeCaptionPoint()));
    PumpFor(100);
    EXPECT_TRUE(IsWindowVisible(Window()));
    EXPECT_FALSE(folder_.Exists(IniName)) << "the window was closed";
    // Pressed on close, released over minimize: minimize was not pressed, so no action either.
    SendMessageA(Window(), WM_NCLBUTTONDOWN, HTCAPTION, AsLParam(ScreenPoint(close->BoundsRect)));
    SendMessageA(Window(), WM_NCLBUTTONUP, HTCAPTION, AsLParam(ScreenPoint(minimize->BoundsRect)));
    PumpFor(100);
    EXPECT_FALSE(IsIconic(Window()));
    EXPECT_TRUE(IsWindowVisible(Window()));

    // A click on minimize minimizes; restored, the client area is as before.
    SendMessageA(Window(), WM_NCLBUTTONDOWN, HTCAPTION, AsLParam(ScreenPoint(minimize->BoundsRect)));
    SendMessageA(Window(), WM_NCLBUTTONUP, HTCAPTION, AsLParam(ScreenPoint(minimize->BoundsRect)));
    EXPECT_TRUE(PumpUntil([&] { return IsIconic(Window()) != FALSE; }, 2000));
    EXPECT_EQ(frame->WindowState(), wsMinimized);
    ShowWindow(Window(), SW_RESTORE);
    PumpPending();
    EXPECT_FALSE(IsIconic(Window()));
    ASSERT_EQ(Frame(), frame);
    EXPECT_EQ(frame->WindowState(), wsNormal);
    const SIZE client = ClientSize(Window());
    EXPECT_EQ(client.cx, 272);
    EXPECT_EQ(client.cy, 156);
    EXPECT_EQ(FrameMismatches("after restoring"), 0);
}

TEST_F(SkinFrameTest, APressSlidOntoAnotherButtonActsThereAndARepaintForgetsThePress) {
    Start();
    TWinSkinForm* frame = Frame();
    ASSERT_NE(frame, nullptr);
    TWinSysButton* close = Button(0);
    TWinSysButton* minimize = Button(2);
    ASSERT_NE(close, nullptr);
    ASSERT_NE(minimize, nullptr);
    // Pressed on close, a repaint of the whole frame, released on close: nothing.
    SendMessageA(Window(), WM_NCLBUTTONDOWN, HTCAPTION, AsLParam(ScreenPoint(close->BoundsRect)));
    RedrawWindow(Window(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(frame->HotObject(), nullptr);
    SendMessageA(Window(), WM_NCLBUTTONUP, HTCAPTION, AsLParam(ScreenPoint(close->BoundsRect)));
    PumpFor(100);
    EXPECT_TRUE(IsWindowVisible(Window()));
    EXPECT_FALSE(folder_.Exists(IniName));
    // Pressed on close, slid onto minimize, released there: minimize acts.
    SendMessageA(Window(), WM_NCLBUTTONDOWN, HTCAPTION, AsLParam(ScreenPoint(close->BoundsRect)));
    SendMessageA(Window(), WM_NCMOUSEMOVE, HTCAPTION, AsLParam(ScreenPoint(minimize->BoundsRect)));
    SendMessageA(Window(), WM_NCLBUTTONUP, HTCAPTION, AsLParam(ScreenPoint(minimize->BoundsRect)));
    EXPECT_TRUE(PumpUntil([&] { return IsIconic(Window()) != FALSE; }, 2000));
    EXPECT_TRUE(IsWindowVisible(Window()));
    ShowWindow(Window(), SW_RESTORE);
    PumpPending();
}

TEST_F(SkinFrameTest, ACaptionButtonIsFoundWhereItIsBeforeTheFrameIsRepainted) {
    Start();
    TWinSkinForm* frame = Frame();
    ASSERT_NE(frame, nullptr);
    TWinSysButton* close = Button(0);
    ASSERT_NE(close, nullptr);
    ASSERT_EQ(close->Element().Align, 1); // anchored to the right edge
    TFrameRect moved = close->BoundsRect;
    moved.Left += 40;
    moved.Right += 40;
    // Widened while hidden: no paint sees the new size before the press.
    ShowWindow(Window(), SW_HIDE);
    form_->Constraints().SetMaxWidth(0);
    const RECT outer = OuterRect(Window());
    SetWindowPos(Window(), nullptr, 0, 0, outer.right - outer.left + 40, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(Window(), WM_NCLBUTTONDOWN, HTNOWHERE, AsLParam(ScreenPoint(moved)));
    EXPECT_EQ(frame->HotObject(), close);
    EXPECT_EQ(close->BoundsRect, moved);
}

TEST_F(SkinFrameTest, TheCaptionAnswersTheHitTestAndADoubleClickOnItDoesNotMaximize) {
    Start();
    TWinSkinForm* frame = Frame();
    ASSERT_NE(frame, nullptr);
    auto hit = [&](POINT screen) { return SendMessageA(Window(), WM_NCHITTEST, 0, AsLParam(screen)); };
    EXPECT_EQ(hit(FreeCaptionPoint()), HTCAPTION);
    // Caption buttons are found by position: the system sees caption there.
    EXPECT_EQ(hit(ScreenPoint(Button(0)->BoundsRect)), HTCAPTION);
    const RECT outer = OuterRect(Window());
    EXPECT_EQ(hit(POINT{outer.left + frame->Widths().Left + 20, outer.top + frame->Widths().Caption + 20}),
              HTCLIENT);
    // The window has no maximize box: a double click on the caption leaves it as it is.
    SendMessageA(Window(), WM_NCLBUTTONDBLCLK, HTCAPTION, AsLParam(FreeCaptionPoint()));
    PumpFor(100);
    EXPECT_FALSE(IsZoomed(Window()));
    EXPECT_EQ(OuterRect(Window()).right - OuterRect(Window()).left, outer.right - outer.left);
}

TEST_F(SkinFrameTest, TheCloseButtonClosesTheWindowAndItsSettingsAreWritten) {
    Start();
    TWinSysButton* close = Button(0);
    ASSERT_NE(close, nullptr);
    const POINT at = ScreenPoint(close->BoundsRect);
    SendMessageA(Window(), WM_NCLBUTTONDOWN, HTCAPTION, AsLParam(at));
    SendMessageA(Window(), WM_NCLBUTTONUP, HTCAPTION, AsLParam(at));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(Window()); }, 3000));
    // FormClose ran: the settings file is there.
    EXPECT_TRUE(folder_.Exists(IniName));
}

TEST_F(SkinFrameTest, ADoubleClickOnTheIconClosesTheWindow) {
    Start();
    TWinSysButton* icon = Button(3);
    ASSERT_NE(icon, nullptr);
    SendMessageA(Window(), WM_NCLBUTTONDBLCLK, HTCAPTION, AsLParam(ScreenPoint(icon->BoundsRect)));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(Window()); }, 3000));
    EXPECT_TRUE(folder_.Exists(IniName));
}

TEST_F(SkinFrameTest, RestingOnACaptionButtonShowsItsHintInTheSkinComponentsHintWindow) {
    Start();
    TApplication& application = TestApplication();
    const int pause = application.HintPause();
    application.SetHintPause(50);
    struct TRestore {
        TApplication& App;
        int Pause;
        ~TRestore() { App.SetHintPause(Pause); }
    } restore{application, pause};

    for (auto [action, text] : {std::pair<int, const char*>{2, "Minimize"}, {0, "Close"}}) {
        TWinSysButton* button = Button(action);
        ASSERT_NE(button, nullptr) << text;
        const POINT at = ScreenPoint(button->BoundsRect);
        EXPECT_TRUE(MovePointerTo(at.x, at.y));
        PostMessageA(Window(), WM_NCMOUSEMOVE, HTCAPTION, AsLParam(at));
        PumpPending();
        EXPECT_TRUE(Frame()->Active()) << text;
        EXPECT_EQ(Frame()->HotObject(), button) << text;
        EXPECT_TRUE(PumpUntil([&] { return Skin().CaptionHintShowing(); }, 1500)) << text;
        HWND hint = FindVisibleThreadWindow("THintWindow");
        ASSERT_NE(hint, nullptr) << text;
        char shown[64] = {};
        GetWindowTextA(hint, shown, sizeof shown);
        EXPECT_STREQ(shown, text);
        TWinControl* control = FindControl(hint);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->Owner(), &Skin());
        if (action == 2) {
            // A press hides it; released off the button nothing happens.
            SendMessageA(Window(), WM_NCLBUTTONDOWN, HTCAPTION, AsLParam(at));
            EXPECT_FALSE(Skin().CaptionHintShowing());
            EXPECT_FALSE(IsWindowVisible(hint));
            SendMessageA(Window(), WM_NCLBUTTONUP, HTCAPTION, AsLParam(FreeCaptionPoint()));
            EXPECT_FALSE(IsIconic(Window()));
        }
        // Leaving the button hides it.
        const POINT away = FreeCaptionPoint();
        EXPECT_TRUE(MovePointerTo(away.x, away.y));
        PostMessageA(Window(), WM_NCMOUSEMOVE, HTCAPTION, AsLParam(away));
        EXPECT_TRUE(PumpUntil([&] { return !Skin().CaptionHintShowing(); }, 1500)) << text;
        EXPECT_FALSE(IsWindowVisible(hint));
    }
}

// ---- the system menu

class SkinSystemMenuTest : public SkinFrameTest {
  protected:
    // The system menu's own caption of a command, as the menu shows it.
    std::string Caption(UINT command) {
        char text[80] = {};
        GetMenuStringA(GetSystemMenu(Window(), FALSE), command, text, sizeof text, MF_BYCOMMAND);
        return text;
    }
    static bool Has(const TDialogReport& report, const std::string& caption, bool enabled) {
        for (const TMenuEntry& entry : report.MenuItems)
            if (entry.Caption == caption)
                return entry.Enabled == enabled;
        return false;
    }
};

TEST_F(SkinSystemMenuTest, AltSpaceOpensTheSystemMenuAndItsCommandTakesEffect) {
    Start();
    const std::string minimize = Caption(SC_MINIMIZE), close = Caption(SC_CLOSE);
    ASSERT_FALSE(minimize.empty());
    TDialogAnswerer answer(TAnswer::ChooseMenu(minimize));
    PostMessageA(Window(), WM_SYSCOMMAND, SC_KEYMENU, ' ');
    EXPECT_TRUE(PumpUntil([&] { return answer.Done(); }, 5000));
    const TDialogReport& report = answer.Wait();
    ASSERT_TRUE(report.Found);
    EXPECT_TRUE(report.Answered);
    EXPECT_TRUE(Has(report, minimize, true));
    EXPECT_TRUE(Has(report, close, true));
    EXPECT_TRUE(Has(report, Caption(SC_MAXIMIZE), false)) << "the window has no maximize box";
    EXPECT_TRUE(Has(report, Caption(SC_RESTORE), false)) << "the window is not minimized";
    EXPECT_TRUE(PumpUntil([&] { return IsIconic(Window()) != FALSE; }, 2000));
    ShowWindow(Window(), SW_RESTORE);
    PumpPending();
}

TEST_F(SkinSystemMenuTest, TheAltSpaceKeysOpenItToo) {
    Start();
    TDialogAnswerer answer(TAnswer::ChooseMenu(""));
    PostKey(Window(), VK_SPACE, true);
    EXPECT_TRUE(PumpUntil([&] { return answer.Done(); }, 5000));
    const TDialogReport& report = answer.Wait();
    ASSERT_TRUE(report.Found);
    EXPECT_TRUE(Has(report, Caption(SC_CLOSE), true));
    PumpPending();
    EXPECT_TRUE(IsWindowVisible(Window()));
    EXPECT_FALSE(IsIconic(Window()));
}

TEST_F(SkinSystemMenuTest, EveryClickOnTheIconOpensTheSystemMenuWithoutClosingTheWindow) {
    Start();
    TWinSysButton* icon = Button(3);
    ASSERT_NE(icon, nullptr);
    const POINT at = ScreenPoint(icon->BoundsRect);
    {
        TDialogAnswerer answer(TAnswer::ChooseMenu(""));
        SendMessageA(Window(), WM_NCLBUTTONDOWN, HTCAPTION, AsLParam(at));
        PostMessageA(Window(), WM_NCLBUTTONUP, HTCAPTION, AsLParam(at));
        EXPECT_TRUE(PumpUntil([&] { return answer.Done(); }, 5000));
        const TDialogReport& report = answer.Wait();
        ASSERT_TRUE(report.Found);
        EXPECT_TRUE(Has(report, Caption(SC_CLOSE), true));
    }
    PumpPending();
    EXPECT_TRUE(IsWindowVisible(Window()));
    // The menu was dismissed; a click long after opens it again instead of closing.
    Sleep(GetDoubleClickTime() + 50);
    {
        TDialogAnswerer answer(TAnswer::ChooseMenu(""));
        SendMessageA(Window(), WM_NCLBUTTONDOWN, HTCAPTION, AsLParam(at));
        PostMessageA(Window(), WM_NCLBUTTONUP, HTCAPTION, AsLParam(at));
        EXPECT_TRUE(PumpUntil([&] { return answer.Done(); }, 5000));
        EXPECT_TRUE(answer.Wait().Found);
    }
    PumpPending();
    EXPECT_TRUE(IsWindowVisible(Window()));
    EXPECT_FALSE(folder_.Exists(IniName));
}

TEST_F(SkinSystemMenuTest, ARightClickOnTheCaptionOpensTheSystemMenu) {
    Start();
    const std::string close = Caption(SC_CLOSE);
    TDialogAnswerer answer(TAnswer::ChooseMenu(close));
    PostMessageA(Window(), WM_NCRBUTTONDOWN, HTCAPTION, AsLParam(FreeCaptionPoint()));
    EXPECT_TRUE(PumpUntil([&] { return answer.Done(); }, 5000));
    const TDialogReport& report = answer.Wait();
    ASSERT_TRUE(report.Found);
    EXPECT_TRUE(Has(report, close, true));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(Window()); }, 3000));
    EXPECT_TRUE(folder_.Exists(IniName));
}

// ---- changing skins, switching skinning off and on

TEST_F(SkinFrameTest, ChangeSkinRepaintsThroughAllEightAndBackAndTheNumberIsSaved) {
    Start();
    ASSERT_EQ(form_->SkinStore1->Store().Count(), 8);
    ASSERT_EQ(form_->SkinNumber(), 0);
    auto caption = [&] {
        TWinSkinForm* frame = Frame();
        auto shot = CaptureWindow(Window());
        return TopStrip(*shot, frame ? frame->Widths().Caption : 1, Window());
    };
    const auto first = caption();
    auto previous = caption();
    std::vector<std::string> names{Skin().SkinName()};
    for (int step = 1; step <= 8; ++step) {
        ChangeSkin();
        EXPECT_EQ(form_->SkinNumber(), step % 8);
        auto now = caption();
        EXPECT_FALSE(SamePicture(*previous, *now)) << "the caption did not change at step " << step;
        previous = std::move(now);
        names.push_back(Skin().SkinName());
    }
    EXPECT_TRUE(SamePicture(*first, *previous))
        << "back at the first skin the caption differs: " << Difference(*first, *previous);
    if (!SamePicture(*first, *previous)) {
        SaveCapture(*first, folder_.Path("first.bmp"));
        SaveCapture(*previous, folder_.Path("back.bmp"));
    }
    EXPECT_EQ(names.front(), names.back());
    const SIZE client = ClientSize(Window());
    EXPECT_EQ(client.cx, 272);
    EXPECT_EQ(client.cy, 156);

    ChangeSkin();
    ChangeSkin();
    ASSERT_EQ(form_->SkinNumber(), 2);
    PostMessageA(Window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Window()); }, 3000));
    EXPECT_NE(folder_.Read(IniName).find("Skin=2\r\n"), std::string::npos) << folder_.Read(IniName);
}

TEST_F(SkinFrameTest, CtrlSSwitchesSkinningOffAndOnKeepingTheClientArea) {
    Start("[Settings]\r\nSkin=1\r\nAlpha=190\r\n");
    ASSERT_NE(Frame(), nullptr);
    const BYTE alpha = Opacity(Window());
    EXPECT_EQ(alpha, 190);
    const RECT before = OuterRect(Window());

    CtrlS();
    EXPECT_FALSE(Skin().Active());
    EXPECT_EQ(Frame(), nullptr);
    TWindowRegion region = WindowRegion(Window());
    EXPECT_TRUE(region.Type == ERROR || region.Type == NULLREGION) << region.Type;
    EXPECT_TRUE(GetWindowLongA(Window(), GWL_STYLE) & WS_SYSMENU);
    SIZE client = ClientSize(Window());
    EXPECT_EQ(client.cx, 272);
    EXPECT_EQ(client.cy, 156);
    EXPECT_TRUE(GetWindowLongA(Window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetWindowLongA(Window(), GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(Opacity(Window()), alpha);
    // The window stays where it was.
    EXPECT_EQ(OuterRect(Window()).left, before.left);
    EXPECT_EQ(OuterRect(Window()).top, before.top);
    // The system's caption shows the window active, as it is: in the active caption colour, not
    // the inactive one.
    if (GetActiveWindow() == Window()) {
        std::unique_ptr<TBitmap> shot = CaptureWindow(Window());
        const TColor caption = shot->PixelColor(shot->Width() / 2, GetSystemMetrics(SM_CYFRAME) + 2);
        const TColor active = ColorToRGB(GetSysColor(COLOR_ACTIVECAPTION));
        const TColor inactive = ColorToRGB(GetSysColor(COLOR_INACTIVECAPTION));
        auto distance = [](TColor a, TColor b) {
            return std::abs(int(a & 0xFF) - int(b & 0xFF)) +
                   std::abs(int((a >> 8) & 0xFF) - int((b >> 8) & 0xFF)) +
                   std::abs(int((a >> 16) & 0xFF) - int((b >> 16) & 0xFF));
        };
        const TColor activeEnd = ColorToRGB(GetSysColor(COLOR_GRADIENTACTIVECAPTION));
        const TColor inactiveEnd = ColorToRGB(GetSysColor(COLOR_GRADIENTINACTIVECAPTION));
        EXPECT_LT(std::min(distance(caption, active), distance(caption, activeEnd)),
                  std::min(distance(caption, inactive), distance(caption, inactiveEnd)));
    }

    CtrlS();
    EXPECT_TRUE(Skin().Active());
    PumpUntil([&] { return Frame() && Frame()->FrameState() == fsRunning; }, 2000);
    ASSERT_NE(Frame(), nullptr);
    EXPECT_EQ(Frame()->FrameState(), fsRunning);
    client = ClientSize(Window());
    EXPECT_EQ(client.cx, 272);
    EXPECT_EQ(client.cy, 156);
    region = WindowRegion(Window());
    EXPECT_EQ(region.Type, COMPLEXREGION);
    EXPECT_FALSE(GetWindowLongA(Window(), GWL_STYLE) & WS_SYSMENU);
    EXPECT_TRUE(GetWindowLongA(Window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(Opacity(Window()), alpha);
    EXPECT_EQ(OuterRect(Window()).right - OuterRect(Window()).left, before.right - before.left);
    EXPECT_EQ(OuterRect(Window()).bottom - OuterRect(Window()).top, before.bottom - before.top);
    EXPECT_EQ(FrameMismatches("skinned again"), 0);
}

TEST_F(SkinFrameTest, ASkinChangedWhileMinimizedKeepsTheClientAreaWhenRestored) {
    Start();
    ShowWindow(Window(), SW_MINIMIZE);
    PumpPending();
    ASSERT_TRUE(IsIconic(Window()));
    ChangeSkin(); // Classic to Porcelain: wider borders, a taller caption
    ASSERT_EQ(Skin().SkinName(), "Porcelain");
    ShowWindow(Window(), SW_RESTORE);
    PumpPending();
    ASSERT_NE(Frame(), nullptr);
    const SIZE client = ClientSize(Window());
    EXPECT_EQ(client.cx, 272);
    EXPECT_EQ(client.cy, 156);
    EXPECT_EQ(FrameMismatches("restored"), 0);
}

TEST_F(SkinFrameTest, SwitchingOffAndOnWhileMinimizedKeepsTheClientAreaWhenRestored) {
    Start("[Settings]\r\nSkin=4\r\n");
    ShowWindow(Window(), SW_MINIMIZE);
    PumpPending();
    ASSERT_TRUE(IsIconic(Window()));
    CtrlS();
    ASSERT_EQ(Frame(), nullptr);
    ShowWindow(Window(), SW_RESTORE);
    PumpPending();
    SIZE client = ClientSize(Window());
    EXPECT_EQ(client.cx, 272) << "off";
    EXPECT_EQ(client.cy, 156) << "off";

    ShowWindow(Window(), SW_MINIMIZE);
    PumpPending();
    CtrlS();
    ShowWindow(Window(), SW_RESTORE);
    PumpPending();
    PumpUntil([&] { return Frame() && Frame()->FrameState() == fsRunning; }, 2000);
    ASSERT_NE(Frame(), nullptr);
    client = ClientSize(Window());
    EXPECT_EQ(client.cx, 272) << "on";
    EXPECT_EQ(client.cy, 156) << "on";
}

TEST_F(SkinFrameTest, CtrlSTwiceWithinTheDelayOnlyTheLaterRequestRuns) {
    Start("[Settings]\r\nSkin=3\r\n");
    TWinSkinForm* frame = Frame();
    ASSERT_NE(frame, nullptr);
    const RECT before = OuterRect(Window());
    WORD key = 'S';
    form_->FormKeyDown(form_.get(), key, ssCtrl);
    key = 'S';
    form_->FormKeyDown(form_.get(), key, ssCtrl);
    EXPECT_TRUE(Skin().Active());
    EXPECT_TRUE(PumpUntil(SkinActionDone, 3000));
    PumpPending();
    // Skinning is on and stayed on: the same frame, the same window.
    EXPECT_EQ(Frame(), frame);
    EXPECT_EQ(frame->FrameState(), fsRunning);
    const RECT after = OuterRect(Window());
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    EXPECT_EQ(WindowRegion(Window()).Type, COMPLEXREGION);
    EXPECT_EQ(FrameMismatches("after two switches"), 0);
}

TEST_F(SkinFrameTest, AChangedSkinWhileSkinningIsOffShowsWhenItIsSwitchedOn) {
    Start();
    CtrlS();
    ASSERT_EQ(Frame(), nullptr);
    // "Change skin" while off loads the next skin but skins nothing.
    form_->Changeskin1Click(nullptr);
    PumpFor(400);
    EXPECT_EQ(Frame(), nullptr);
    EXPECT_EQ(Skin().SkinName(), "Porcelain");
    CtrlS();
    PumpUntil([&] { return Frame() && Frame()->FrameState() == fsRunning; }, 2000);
    ASSERT_NE(Frame(), nullptr);
    EXPECT_EQ(Frame()->Widths().Left, Skin().FrameLeft().Bitmap.Width() / Skin().FrameLeft().Frame);
    EXPECT_EQ(FrameMismatches("Porcelain after switching on"), 0);
}

// ---- dialogs

namespace {
// Checks from the user-interface thread, while a modal dialog runs, that the dialog has a
// running frame; then lets a TDialogAnswerer answer it. Without a frame it answers after a while
// anyway, so the modal loop always ends.
struct TDialogWatch {
    const char* ClassName = "";
    TAnswer Answer;
    HWND Dialog = nullptr;
    bool Framed = false;
    bool Subclassed = false;
    // Every control of the dialog lies inside its client area under the skin's frame.
    bool ControlsInside = false;
    // The window's width, and the width its title needs (title margins of the skin included).
    int Width = 0;
    int TitleNeeds = 0;
    // The dialog's background and the skin's button face.
    COLORREF Background = CLR_INVALID;
    COLORREF ButtonFace = CLR_INVALID;
    DWORD Started = 0;
    // Runs once when the dialog first has a running frame (a skin change, say); the dialog is
    // looked at on a later tick.
    std::function<void()> WhileOpen;
    bool RanWhileOpen = false;
    std::unique_ptr<TDialogAnswerer> Answerer;
};
TDialogWatch* watch = nullptr;

void CALLBACK WatchTick(HWND, UINT, UINT_PTR, DWORD) {
    if (!watch || watch->Answerer)
        return;
    HWND dialog = FindVisibleThreadWindow(watch->ClassName);
    if (dialog) {
        watch->Dialog = dialog;
        TWinSkinForm* frame = SkinManager() ? SkinManager()->FindFrame(dialog) : nullptr;
        if (frame && frame->FrameState() == fsRunning && watch->WhileOpen && !watch->RanWhileOpen) {
            watch->RanWhileOpen = true;
            watch->WhileOpen();
            return;
        }
        if (frame && frame->FrameState() == fsRunning) {
            watch->Framed = true;
            // The frame answers the manager's question.
            watch->Subclassed = SendMessageA(dialog, SKM_ISSKINNED, 0, 0) == 1;
            RECT client{};
            GetClientRect(dialog, &client);
            int controls = 0, outside = 0;
            for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                if (!IsWindowVisible(child))
                    continue;
                RECT r{};
                GetWindowRect(child, &r);
                MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
                ++controls;
                outside += r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom;
            }
            watch->ControlsInside = controls > 0 && outside == 0;
            RECT outer{};
            GetWindowRect(dialog, &outer);
            watch->Width = outer.right - outer.left;
            char caption[256] = {};
            GetWindowTextA(dialog, caption, sizeof caption);
            const std::string title = caption;
            const TSkinData* skin = frame->SkinData();
            SIZE text{};
            {
                TWindowDC dc(dialog, TWindowDC::Area::Window);
                HGDIOBJ old = SelectObject(dc.Get(), skin->CaptionFont());
                GetTextExtentPoint32A(dc.Get(), title.c_str(), static_cast<int>(title.size()), &text);
                SelectObject(dc.Get(), old);
            }
            watch->TitleNeeds = skin->Title().TextShift() + text.cx + skin->Title().TextRightClip();
            UpdateWindow(dialog);
            {
                TWindowDC clientDC(dialog);
                watch->Background = GetPixel(clientDC.Get(), 1, 1);
            }
            watch->ButtonFace = ColorToRGB(skin->Colour(scButtonFace));
        }
    }
    if (watch->Framed || GetTickCount() - watch->Started > 3000)
        watch->Answerer = std::make_unique<TDialogAnswerer>(watch->Answer);
}

// Runs show() (which shows a modal dialog of that class) while the watch runs.
TDialogWatch WatchDialog(const char* className, TAnswer answer, const std::function<void()>& show,
                         std::function<void()> whileOpen = {}) {
    TDialogWatch result;
    result.ClassName = className;
    result.WhileOpen = std::move(whileOpen);
    result.Answer = std::move(answer);
    result.Started = GetTickCount();
    watch = &result;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, WatchTick);
    show();
    KillTimer(nullptr, timer);
    watch = nullptr;
    if (result.Answerer)
        result.Answerer->Wait();
    return result;
}
} // namespace

TEST_F(SkinFrameTest, AMessageDialogIsSkinnedWhileItIsOpen) {
    Start();
    TDialogWatch seen = WatchDialog("TMessageForm", TAnswer::Press("TMessageForm", "OK"),
                                    [] { ShowMessage("Skinned dialog"); });
    ASSERT_NE(seen.Dialog, nullptr);
    EXPECT_TRUE(seen.Framed);
    EXPECT_TRUE(seen.Subclassed);
    EXPECT_TRUE(seen.ControlsInside);
    EXPECT_EQ(seen.Background, seen.ButtonFace);
    ASSERT_TRUE(seen.Answerer);
    EXPECT_TRUE(seen.Answerer->Wait().Answered);
    EXPECT_FALSE(IsWindow(seen.Dialog) && IsWindowVisible(seen.Dialog));
}

TEST_F(SkinFrameTest, ASystemMessageBoxIsSkinnedWhileItIsOpen) {
    Start();
    int result = 0;
    const HWND owner = Window();
    TDialogWatch seen = WatchDialog("#32770", TAnswer::Press("#32770", "OK", "Skinned box"), [&] {
        result = MessageBoxA(owner, "A system dialog", "Skinned box", MB_OK);
    });
    ASSERT_NE(seen.Dialog, nullptr);
    EXPECT_TRUE(seen.Framed);
    EXPECT_TRUE(seen.Subclassed);
    EXPECT_TRUE(seen.ControlsInside);
    EXPECT_EQ(seen.Background, seen.ButtonFace);
    ASSERT_TRUE(seen.Answerer);
    EXPECT_TRUE(seen.Answerer->Wait().Answered);
    EXPECT_EQ(result, IDOK);
}

TEST_F(SkinFrameTest, ADialogOpenWhileTheSkinChangesTakesTheNewSkin) {
    Start();
    const HWND owner = Window();
    HWND dialog = nullptr;
    TDialogWatch seen = WatchDialog(
        "#32770", TAnswer::Press("#32770", "OK", "Skin change"),
        [&] { MessageBoxA(owner, "The skin changes under this box", "Skin change", MB_OK); },
        [&] {
            dialog = FindVisibleThreadWindow("#32770");
            form_->Changeskin1Click(nullptr);
            SkinManager()->RunAction();
        });
    ASSERT_TRUE(seen.Framed);
    EXPECT_EQ(seen.Dialog, dialog);
    EXPECT_EQ(Skin().SkinName(), "Porcelain");
    EXPECT_TRUE(seen.ControlsInside);
    EXPECT_EQ(seen.Background, seen.ButtonFace);
    ASSERT_TRUE(seen.Answerer);
    EXPECT_TRUE(seen.Answerer->Wait().Answered);
    ASSERT_NE(Frame(), nullptr);
    EXPECT_EQ(FrameMismatches("main window after the change"), 0);
}

TEST_F(SkinFrameTest, ASystemMessageBoxIsWidenedForALongTitle) {
    Start();
    const HWND owner = Window();
    const char* title = "A message box title much wider than the little text the box shows";
    TDialogWatch seen = WatchDialog("#32770", TAnswer::Press("#32770", "OK", title),
                                    [&] { MessageBoxA(owner, "Short", title, MB_OK); });
    ASSERT_TRUE(seen.Framed);
    EXPECT_GE(seen.Width, seen.TitleNeeds);
    EXPECT_TRUE(seen.ControlsInside);
    ASSERT_TRUE(seen.Answerer);
    EXPECT_TRUE(seen.Answerer->Wait().Answered);
}

TEST_F(SkinFrameTest, AFormTaggedNinetyNineGetsNoFrameWhileAnUntaggedOneDoes) {
    Start();
    others_.emplace_back(new TForm(&TestApplication()));
    TForm& tagged = *others_.back();
    tagged.SetTag(99);
    // 99 whatever the component's own tag for controls says.
    Skin().SetDisableTag(7);
    tagged.SetCaption("Tagged");
    tagged.SetBounds(20, 20, 240, 140);
    others_.emplace_back(new TForm(&TestApplication()));
    TForm& plain = *others_.back();
    plain.SetCaption("Plain");
    plain.SetBounds(60, 60, 240, 140);

    tagged.Show();
    SetForegroundWindow(tagged.Handle());
    plain.Show();
    SetForegroundWindow(plain.Handle());
    PumpPending();
    EXPECT_EQ(SkinManager()->FindFrame(tagged.Handle()), nullptr);
    EXPECT_FALSE(SkinManager()->SkinWindow(tagged.Handle()));
    EXPECT_NE(SkinManager()->FindFrame(plain.Handle()), nullptr);
    // Nor does skinning every window give it one.
    CtrlS();
    CtrlS();
    EXPECT_EQ(SkinManager()->FindFrame(tagged.Handle()), nullptr);
    EXPECT_NE(SkinManager()->FindFrame(plain.Handle()), nullptr);
    EXPECT_NE(SkinManager()->FindFrame(Window()), nullptr);
}

// ---- robustness

namespace {
LRESULT CALLBACK PlainProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, msg, wParam, lParam);
}

// A bare top-level window of this module (no form object), shown and activated.
HWND MakeBareWindow() {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = "PPSkinTestBare";
        return RegisterClassA(&wc) != 0;
    }();
    if (!registered)
        return nullptr;
    HWND window = CreateWindowExA(0, "PPSkinTestBare", "Bare", WS_OVERLAPPEDWINDOW, 40, 40, 220, 140, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    return window;
}
} // namespace

TEST_F(SkinFrameTest, WindowsDestroyedBeforeTheirFrameStartedLeaveNothingBehind) {
    Start();
    // A form: made while skinning is on, it draws its frame from the start, but the deferred
    // part of the start waits for a posted message that the window never sees.
    auto* form = new TForm(&TestApplication());
    form->SetCaption("Short-lived");
    form->SetBounds(30, 30, 200, 120);
    form->Show();
    SetForegroundWindow(form->Handle());
    const HWND formWindow = form->Handle();
    TWinSkinForm* frame = SkinManager()->FindFrame(formWindow);
    ASSERT_NE(frame, nullptr);
    MSG pending{};
    EXPECT_TRUE(PeekMessageA(&pending, formWindow, SKM_START, SKM_START, PM_NOREMOVE));
    TComponent::Free(form);
    EXPECT_EQ(SkinManager()->FindFrame(formWindow), nullptr);

    // A bare window: its frame has no owner; the manager drops it.
    HWND bare = MakeBareWindow();
    ASSERT_NE(bare, nullptr);
    TWinSkinForm* bareFrame = SkinManager()->FindFrame(bare);
    ASSERT_NE(bareFrame, nullptr);
    EXPECT_EQ(bareFrame->FrameState(), fsCreated);
    DestroyWindow(bare);
    PumpPending();
    // The next action purges it.
    Skin().ApplyNewSkin();
    SkinManager()->RunAction();
    PumpPending();
    for (TWinSkinForm* f : SkinManager()->Frames())
        EXPECT_NE(f, bareFrame);
    ASSERT_NE(Frame(), nullptr);
    EXPECT_EQ(Frame()->FrameState(), fsRunning);
}

TEST_F(SkinFrameTest, AWindowDestroyedWhileASkinChangeIsPendingDoesNoHarm) {
    Start();
    auto* form = new TForm(&TestApplication());
    form->SetCaption("Short-lived");
    form->SetBounds(30, 30, 200, 120);
    form->Show();
    SetForegroundWindow(form->Handle());
    HWND bare = MakeBareWindow();
    PumpPending();
    ASSERT_NE(SkinManager()->FindFrame(form->Handle()), nullptr);
    ASSERT_NE(SkinManager()->FindFrame(bare), nullptr);

    form_->Changeskin1Click(nullptr);
    ASSERT_TRUE(SkinManager()->TimerEnabled());
    TComponent::Free(form);
    DestroyWindow(bare);
    EXPECT_TRUE(PumpUntil(SkinActionDone, 3000));
    PumpPending();
    ASSERT_NE(Frame(), nullptr);
    EXPECT_EQ(Frame()->FrameState(), fsRunning);
    EXPECT_NE(Button(0), nullptr) << "the caption buttons were rebuilt";
    EXPECT_EQ(FrameMismatches("after the change"), 0);

    // The same while skinning is switched off.
    form = new TForm(&TestApplication());
    form->SetBounds(30, 30, 200, 120);
    form->Show();
    SetForegroundWindow(form->Handle());
    PumpPending();
    WORD key = 'S';
    form_->FormKeyDown(form_.get(), key, ssCtrl);
    TComponent::Free(form);
    EXPECT_TRUE(PumpUntil(SkinActionDone, 3000));
    EXPECT_EQ(Frame(), nullptr);
    CtrlS();
    EXPECT_TRUE(PumpUntil([&] { return Frame() && Frame()->FrameState() == fsRunning; }, 2000));
}

TEST_F(SkinFrameTest, ManySkinChangesAndSwitchesLeakNoGdiOrUserObjects) {
    Start();
    // One round first, so that everything made once (fonts, caches, the hint window) exists.
    form_->Changeskin1Click(nullptr);
    SkinManager()->RunAction();
    Skin().SetActive(false);
    SkinManager()->RunAction();
    Skin().SetActive(true);
    SkinManager()->RunAction();
    PumpPending();
    const DWORD gdiBefore = GuiObjects(GR_GDIOBJECTS), userBefore = GuiObjects(GR_USEROBJECTS);

    for (int i = 0; i < 100; ++i) {
        form_->Changeskin1Click(nullptr);
        SkinManager()->RunAction();
        PumpPending();
    }
    for (int i = 0; i < 100; ++i) {
        Skin().SetActive(!Skin().Active());
        SkinManager()->RunAction();
        PumpPending();
    }
    ASSERT_TRUE(Skin().Active());
    ASSERT_NE(Frame(), nullptr);
    PumpUntil([&] { return Frame()->FrameState() == fsRunning; }, 2000);
    const SIZE client = ClientSize(Window());
    EXPECT_EQ(client.cx, 272);
    EXPECT_EQ(client.cy, 156);
    const DWORD gdiAfter = GuiObjects(GR_GDIOBJECTS), userAfter = GuiObjects(GR_USEROBJECTS);
    std::printf("GDI objects %lu -> %lu, USER objects %lu -> %lu\n", static_cast<unsigned long>(gdiBefore),
                static_cast<unsigned long>(gdiAfter), static_cast<unsigned long>(userBefore),
                static_cast<unsigned long>(userAfter));
    EXPECT_LE(gdiAfter, gdiBefore + 5);
    EXPECT_LE(userAfter, userBefore + 5);
}

// The least height keeps the bottom strip and one row of buttons in view under any frame.
TEST_F(SkinFrameTest, TheLeastHeightFollowsTheFrameTheWindowWears) {
    auto leastClientHeight = [&] {
        MINMAXINFO limits{};
        SendMessageA(Window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        RECT window{}, client{};
        GetWindowRect(Window(), &window);
        GetClientRect(Window(), &client);
        return limits.ptMinTrackSize.y - ((window.bottom - window.top) - client.bottom);
    };
    Start("[Settings]\r\nSkin=4\r\nRight=300\r\nBottom=50\r\n");
    EXPECT_EQ(ClientSize(Window()).cy, 24 + 70);
    EXPECT_EQ(leastClientHeight(), 24 + 70);
    CtrlS();
    ASSERT_EQ(Frame(), nullptr);
    EXPECT_EQ(leastClientHeight(), 24 + 70);
    EXPECT_EQ(ClientSize(Window()).cy, 24 + 70);
    CtrlS();
    EXPECT_EQ(ClientSize(Window()).cy, 24 + 70);
    ChangeSkin();
    EXPECT_EQ(leastClientHeight(), 24 + 70);
    EXPECT_EQ(ClientSize(Window()).cy, 24 + 70);
}
