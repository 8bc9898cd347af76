// The skinned tab control on real windows of a skinned test form: every tab drawn from the
// skin's Tabs cells (selected, normal, under the mouse) in three skins and on all four sides,
// the page frame, switching tabs by mouse and by Ctrl+Tab, the button style, giving back the
// native look and object counts over many rounds.
//
// A tab cell's corners (the element's margins) are copied 1:1 from the skin's image into the
// tab's rectangle, flipped for tabs on the bottom and turned for tabs on the left and right, so
// the window must show exactly those pixels there; magenta shows the row's background.
#include "GuiObjects.h"
#include "MapSkinSource.h"
#include "SkinActions.h"
#include "SkinnedUiTest.h"
#include "UiTestSupport.h"

#include "BmpCodec.h"
#include "ComCtrls.h"
#include "Edit.h"
#include "Form.h"
#include "Handles.h"
#include "ImageList.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSkinIni.h"
#include "WinSkinStore.h"
#include "WinSubClass.h"
#include "WinSubClassGeometry.h"
#include "WinSubClassTabGeometry.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

namespace {

constexpr TColor Magenta = 0xFF00FF;

std::string Hex(TColor c) {
    std::ostringstream out;
    out << std::hex << "0x" << static_cast<unsigned>(c);
    return out.str();
}

TFrameRect FromRect(const RECT& r) {
    return TFrameRect{r.left, r.top, r.right, r.bottom};
}

struct TChangeCounter {
    int Changes = 0;
    void Change(TObject*) { ++Changes; }
};

} // namespace

class SkinTabTest : public TSkinnedUiTest {
  protected:
    void SetUp() override {
        SetUpSkin(1);
        if (HasFatalFailure())
            return;
        EXPECT_TRUE(MovePointerTo(0, 0));
        KeepDiscoveryAway();
    }
    void TearDown() override {
        form_.reset();
        TSkinnedUiTest::TearDown();
    }

    void MakeForm(TTabPosition position = tpTop) {
        form_.reset(new TForm(&TestApplication()));
        form_->SetBounds(120, 120, 420, 300);
        tabs_ = new TTabControl(form_.get());
        tabs_->SetParent(form_.get());
        tabs_->SetTabPosition(position);
        tabs_->SetBounds(10, 10, 380, 200);
        tabs_->Tabs().Add("First");
        tabs_->Tabs().Add("Second");
        tabs_->Tabs().Add("Third");
        tabs_->TabsChanged();
        tabs_->OnChange = Bind<&TChangeCounter::Change>(&changes_);
        edit_ = new TEdit(form_.get());
        edit_->SetParent(form_.get());
        edit_->SetBounds(10, 220, 100, 22);
        form_->Show();
        SetForegroundWindow(form_->Handle());
        ASSERT_TRUE(PumpUntil([&] { return SkinManager()->FindFrame(form_->Handle()) != nullptr; }));
        frame_ = SkinManager()->FindFrame(form_->Handle());
        PumpPending();
    }
    TSkinTab* SkinTabs() {
        auto* adapter = new TSkinTab(tabs_);
        adapter->AttachControl(frame_, skin_.get(), false, nullptr);
        PumpPending();
        return adapter;
    }
    void UseSkin(int index) {
        skin_->LoadFromStore(*store_, index);
        ASSERT_TRUE(PumpUntil(SkinActionDone, 3000));
        PumpPending();
    }
    RECT ItemRect(int index) {
        RECT r{};
        SendMessageA(tabs_->Handle(), TCM_GETITEMRECT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&r));
        return r;
    }
    // The tab row as the adapter lays it out, from the control's own display area.
    TFrameRect Row(TTabOrientation o) {
        RECT client{};
        GetClientRect(tabs_->Handle(), &client);
        RECT display = client;
        SendMessageA(tabs_->Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
        return TabRowRect(client.right, client.bottom, TabPageRect(FromRect(display), o), o);
    }
    // Empty when the shot shows the four corners of cell `cell` of the Tabs image on tab `index`.
    std::string TabCellDifference(const TBitmap& shot, int index, int cell, TTabOrientation o) {
        const TDataSkinBorder& tabs = *skin_->Tabs();
        const TFrameRect source = StripCellRect(tabs.Bitmap.Width(), tabs.Bitmap.Height(), 5, cell);
        const TFrameRect row = Row(o);
        const TFrameRect place = TabRectInBuffer(FromRect(ItemRect(index)), row, o);
        const int cw = source.Width(), ch = source.Height();
        if (place.Width() < tabs.LeftWidth + tabs.RightWidth ||
            place.Height() < tabs.TopHeight + tabs.BottomHeight)
            return "tab too small";
        const TColor face = static_cast<TColor>(ColorToRGB(form_->Color()));
        int compared = 0;
        for (int y = 0; y < ch; ++y)
            for (int x = 0; x < cw; ++x) {
                const bool leftCol = x < tabs.LeftWidth, rightCol = x >= cw - tabs.RightWidth;
                const bool topRow = y < tabs.TopHeight, bottomRow = y >= ch - tabs.BottomHeight;
                if (!(leftCol || rightCol) || !(topRow || bottomRow))
                    continue;
                // Where the pixel lands in the lying-down buffer (bottom tabs use the flipped image).
                const int bx = leftCol ? place.Left + x : place.Right - (cw - x);
                const int fromTop = topRow ? y : place.Height() - (ch - y);
                const int by = o == toBottom ? place.Bottom - 1 - fromTop : place.Top + fromTop;
                if (by >= row.Height() && (o == toTop || o == toBottom))
                    continue; // cut off by the page frame
                int wx = 0, wy = 0;
                BufferPointToWindow(bx, by, row, o, wx, wy);
                if (!row.Contains(wx, wy))
                    continue;
                TColor want = tabs.Bitmap.PixelColor(source.Left + x, source.Top + y);
                if (want == Magenta)
                    want = face;
                ++compared;
                if (shot.PixelColor(wx, wy) != want)
                    return "tab " + std::to_string(index) + " cell " + std::to_string(cell) + " at (" +
                           std::to_string(wx) + ", " + std::to_string(wy) +
                           "): " + Hex(shot.PixelColor(wx, wy)) + " instead of " + Hex(want);
            }
        return compared > 20 ? std::string() : "too few pixels compared: " + std::to_string(compared);
    }
    void Hover(int index) {
        const RECT r = ItemRect(index);
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        POINT screen = p;
        ClientToScreen(tabs_->Handle(), &screen);
        EXPECT_TRUE(MovePointerTo(screen.x, screen.y));
        PostMouse(tabs_->Handle(), WM_MOUSEMOVE, p.x, p.y);
        PumpPending();
    }
    void MouseAway() {
        EXPECT_TRUE(MovePointerTo(0, 0));
        PostMessageA(tabs_->Handle(), CM_MOUSELEAVE, 0, 0);
        PumpPending();
    }
    std::unique_ptr<TBitmap> Shot() { return CaptureClient(tabs_->Handle()); }
    TOwnedComponent<TForm> form_;
    TWinSkinForm* frame_ = nullptr;
    TTabControl* tabs_ = nullptr;
    TEdit* edit_ = nullptr;
    TChangeCounter changes_;
};

TEST_F(SkinTabTest, TabsShowTheCellsOfSelectedNormalAndHotInThreeSkins) {
    MakeForm();
    auto* skin = SkinTabs();
    EXPECT_EQ(SendMessageA(tabs_->Handle(), SKM_ISSKINNED, 0, 0), 1);
    EXPECT_EQ(skin->Orientation(), toTop);
    for (int index : {0, 3, 5}) {
        SCOPED_TRACE("skin " + std::to_string(index));
        UseSkin(index);
        ASSERT_FALSE(skin_->Tabs()->Bitmap.Empty());
        MouseAway();
        auto shot = Shot();
        EXPECT_EQ(TabCellDifference(*shot, 0, 2, toTop), "");
        EXPECT_EQ(TabCellDifference(*shot, 1, 1, toTop), "");
        EXPECT_EQ(TabCellDifference(*shot, 2, 1, toTop), "");
        EXPECT_NE(TabCellDifference(*shot, 1, 2, toTop), "") << "selected and normal cells must differ";
        Hover(1);
        EXPECT_EQ(skin->HotTab(), 1);
        shot = Shot();
        EXPECT_EQ(TabCellDifference(*shot, 1, 4, toTop), "");
        EXPECT_EQ(TabCellDifference(*shot, 0, 2, toTop), "");
        MouseAway();
        EXPECT_EQ(skin->HotTab(), -1);
        EXPECT_EQ(TabCellDifference(*Shot(), 1, 1, toTop), "");
        // The page frame starts right under the tab row with the frame image's top-left pixel.
        const TBitmap& pane = skin->PaneImage();
        ASSERT_FALSE(pane.Empty());
        const TFrameRect row = Row(toTop);
        RECT client{};
        GetClientRect(tabs_->Handle(), &client);
        if (pane.PixelColor(pane.Width() / 2, 1) != Magenta) {
            EXPECT_EQ(Shot()->PixelColor(client.right / 2 - 40, row.Bottom + 1),
                      pane.PixelColor(pane.Width() / 2, 1));
        }
    }
}

TEST_F(SkinTabTest, TabsOnTheBottomAreFlippedAndOnTheSidesTurned) {
    const struct {
        TTabPosition position;
        TTabOrientation orientation;
    } sides[] = {{tpBottom, toBottom}, {tpLeft, toLeft}, {tpRight, toRight}};
    for (const auto& side : sides) {
        SCOPED_TRACE("side " + std::to_string(side.orientation));
        MakeForm(side.position);
        auto* skin = SkinTabs();
        EXPECT_EQ(skin->Orientation(), side.orientation);
        MouseAway();
        auto shot = Shot();
        EXPECT_EQ(TabCellDifference(*shot, 0, 2, side.orientation), "");
        EXPECT_EQ(TabCellDifference(*shot, 1, 1, side.orientation), "");
        // Not drawn as on top.
        EXPECT_NE(TabCellDifference(*shot, 1, 1, toTop), "");
        form_.reset();
        PumpPending();
    }
}

TEST_F(SkinTabTest, SwitchingByMouseAndByCtrlTabStillWorks) {
    MakeForm();
    auto* skin = SkinTabs();
    const RECT second = ItemRect(1);
    PostLeftClick(tabs_->Handle(), (second.left + second.right) / 2, (second.top + second.bottom) / 2);
    PumpPending();
    EXPECT_EQ(tabs_->TabIndex(), 1);
    EXPECT_EQ(changes_.Changes, 1);
    MouseAway();
    EXPECT_EQ(TabCellDifference(*Shot(), 1, 2, toTop), "");
    EXPECT_EQ(TabCellDifference(*Shot(), 0, 1, toTop), "");

    // Ctrl+Tab with the focus on the tabs: the next tab, Ctrl+Shift+Tab the one before.
    tabs_->SetFocus();
    PumpPending();
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    PostKey(tabs_->Handle(), VK_TAB);
    PumpPending();
    EXPECT_EQ(tabs_->TabIndex(), 2);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    PostKey(tabs_->Handle(), VK_TAB);
    PumpPending();
    keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(tabs_->TabIndex(), 1);
    EXPECT_EQ(TabCellDifference(*Shot(), 1, 2, toTop), "");
    EXPECT_NE(skin->State(), asDestroyed);
}

TEST_F(SkinTabTest, TabsInButtonStyleAreSkinnedButtons) {
    MakeForm();
    SetWindowLongA(tabs_->Handle(), GWL_STYLE, GetWindowLongA(tabs_->Handle(), GWL_STYLE) | TCS_BUTTONS);
    auto* skin = new TSkinTabBtn(tabs_);
    skin->AttachControl(frame_, skin_.get(), false, nullptr);
    MouseAway();
    auto shot = Shot();
    const TDataSkinButton& b = skin_->Buttons();
    const int cellW = b.Bitmap.Width() / b.Frame;
    // The top-left corner of each button: the selected one pressed (2), the others normal (1).
    for (int index : {0, 1}) {
        const RECT r = ItemRect(index);
        const int cell = index == 0 ? 2 : 1;
        for (int y = 0; y < b.TopHeight; ++y)
            for (int x = 0; x < b.LeftWidth; ++x) {
                const TColor want = b.Bitmap.PixelColor(cellW * (cell - 1) + x, y);
                if (want != Magenta) {
                    EXPECT_EQ(shot->PixelColor(r.left + x, r.top + y), want) << index << " " << x << "," << y;
                }
            }
    }
}

TEST_F(SkinTabTest, ABareTabWindowAsATabSetAndAPageFilledWithButtonFace) {
    MakeForm();
    // A tab window of another library, skinned by handle as the older tab set: row only.
    HWND bare = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 10, 10, 300,
                                120, form_->Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(bare, nullptr);
    SetWindowPos(bare, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    for (const char* text : {"One", "Two"}) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(text);
        SendMessageA(bare, TCM_INSERTITEMA, static_cast<WPARAM>(SendMessageA(bare, TCM_GETITEMCOUNT, 0, 0)),
                     reinterpret_cast<LPARAM>(&item));
    }
    auto* set = new TSkinTab31(frame_);
    set->AttachWindow(bare, skin_.get(), frame_, nullptr);
    PumpPending();
    EXPECT_EQ(SendMessageA(bare, SKM_ISSKINNED, 0, 0), 1);
    auto shot = CaptureClient(bare);
    const TDataSkinBorder& tabs = *skin_->Tabs();
    const TFrameRect source = StripCellRect(tabs.Bitmap.Width(), tabs.Bitmap.Height(), 5, 2);
    RECT first{};
    SendMessageA(bare, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    // The selected tab's top-left corner from cell 2 (one pixel lower), and no page frame.
    int same = 0, compared = 0;
    for (int y = 0; y < tabs.TopHeight; ++y)
        for (int x = 0; x < tabs.LeftWidth; ++x) {
            const TColor want = tabs.Bitmap.PixelColor(source.Left + x, source.Top + y);
            if (want == Magenta)
                continue;
            ++compared;
            same += shot->PixelColor(first.left + x, first.top + 1 + y) == want;
        }
    EXPECT_GT(compared, 0);
    EXPECT_EQ(same, compared);
    RECT display{0, 0, shot->Width(), shot->Height()};
    SendMessageA(bare, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    const TColor face = static_cast<TColor>(ColorToRGB(skin_->Colour(scButtonFace)));
    EXPECT_EQ(shot->PixelColor(display.left - 3, (display.top + display.bottom) / 2), face);
    DestroyWindow(bare);
    EXPECT_EQ(set->State(), asDestroyed);

    // A page: its background is the skin's ButtonFace.
    HWND page = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 10, 10, 100, 60,
                                form_->Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowPos(page, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    PumpPending();
    ASSERT_NE(CaptureClient(page)->PixelColor(50, 30), face) << "the page must not show ButtonFace natively";
    auto* sheet = new TSkinTabSheet(frame_);
    sheet->AttachWindow(page, skin_.get(), frame_, nullptr);
    RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = GetDC(page);
    SendMessageA(page, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ReleaseDC(page, dc);
    EXPECT_EQ(CaptureClient(page)->PixelColor(50, 30), face);
    DestroyWindow(page);
}

TEST_F(SkinTabTest, AClickOnATabsCloseBoxClosesItsPage) {
    MakeForm();
    auto* skin = SkinTabs();
    EXPECT_FALSE(skin->CloseButtons()) << "a tab control of this kind has no close boxes";
    skin->SetCloseButtons(true);
    tabs_->Invalidate();
    PumpPending();
    ASSERT_EQ(skin->CloseRects().size(), 3u);
    const RECT box = skin->CloseRects()[1];
    const RECT second = ItemRect(1);
    // In the tab's top-right corner (one pixel lower, as the whole row is).
    EXPECT_EQ(box.right, second.right - 2);
    EXPECT_EQ(box.top, second.top + 1 + 2);
    // A press beside the box is the tab's; a press on it closes the page.
    PostLeftClick(tabs_->Handle(), second.left + 4, (second.top + second.bottom) / 2);
    PumpPending();
    EXPECT_EQ(tabs_->TabIndex(), 1);
    PostLeftClick(tabs_->Handle(), (box.left + box.right) / 2, (box.top + box.bottom) / 2);
    PumpPending();
    EXPECT_EQ(SendMessageA(tabs_->Handle(), TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(skin->CloseRects().size(), 2u);
    // The page is gone from the control too: it does not come back when the tabs are laid out
    // again, and the tab taking its place is the selected one.
    tabs_->TabsChanged();
    PumpPending();
    ASSERT_EQ(tabs_->Tabs().Count(), 2);
    EXPECT_EQ(tabs_->Tabs().Strings(1), "Third");
    EXPECT_EQ(SendMessageA(tabs_->Handle(), TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(tabs_->TabIndex(), 1);
}

TEST_F(SkinTabTest, ATabControlMadeAnewOnAnotherSideIsDrawnForThatSide) {
    MakeForm();
    auto* skin = SkinTabs();
    const struct {
        TTabPosition position;
        TTabOrientation orientation;
    } sides[] = {{tpBottom, toBottom}, {tpRight, toRight}, {tpTop, toTop}};
    for (const auto& side : sides) {
        SCOPED_TRACE("side " + std::to_string(side.orientation));
        HWND before = tabs_->Handle();
        tabs_->SetTabPosition(side.position);
        PumpPending();
        ASSERT_NE(tabs_->Handle(), before);
        EXPECT_EQ(skin->Orientation(), side.orientation);
        MouseAway();
        auto shot = Shot();
        EXPECT_EQ(TabCellDifference(*shot, 0, 2, side.orientation), "");
        EXPECT_EQ(TabCellDifference(*shot, 1, 1, side.orientation), "");
    }
}

TEST_F(SkinTabTest, TabsShowThePicturesOfTheirImageList) {
    MakeForm();
    // Pictures of one colour that no skin has: each tab must show all pixels of its own.
    constexpr TColor Mark = 0x02FE01;
    auto* images = new TImageList(form_.get(), 12, 12);
    TBitmap picture(36, 12);
    {
        TOwnedBrush brush(CreateSolidBrush(Mark));
        RECT all{0, 0, 36, 12};
        FillRect(picture.MemoryDC(), &all, brush.Get());
    }
    images->AddMasked(picture, Magenta);
    tabs_->SetImages(images);
    SkinTabs();
    MouseAway();
    auto shot = Shot();
    for (int index = 0; index < 3; ++index) {
        RECT r = ItemRect(index);
        InflateRect(&r, 2, 2);
        int marked = 0;
        for (int y = std::max<LONG>(r.top, 0); y < std::min<LONG>(r.bottom, shot->Height()); ++y)
            for (int x = std::max<LONG>(r.left, 0); x < std::min<LONG>(r.right, shot->Width()); ++x)
                marked += shot->PixelColor(x, y) == Mark;
        EXPECT_EQ(marked, 12 * 12) << "tab " << index;
    }
}

TEST_F(SkinTabTest, RestoreGivesTheNativeLookBack) {
    MakeForm();
    MouseAway();
    auto native = Shot();
    auto* skin = SkinTabs();
    EXPECT_FALSE(SameBitmaps(*native, *Shot()));
    skin->Restore();
    tabs_->Invalidate();
    PumpPending();
    EXPECT_TRUE(SameBitmaps(*native, *Shot()));
    EXPECT_EQ(SendMessageA(tabs_->Handle(), SKM_ISSKINNED, 0, 0), 0);
}

TEST_F(SkinTabTest, ASkinWithoutTabImagesLeavesTheTabRowNative) {
    // A Tabs element whose image does not load, without and with a page frame image, and no Tabs
    // element at all (a bare tab window is skinned all the same): the tabs are the control's own.
    TMapSource images;
    images.entries["pane.bmp"] = SolidBmp(12, 12, 0x0000A0);
    TOwnedComponent<TSkinData> skin(new TSkinData(nullptr));
    MakeForm();
    MouseAway();
    auto native = Shot();
    const TFrameRect row = Row(toTop);
    ASSERT_GT(row.Height(), 10);
    const auto rowDifference = [&](const TBitmap& shot) {
        int differing = 0;
        for (int y = row.Top; y < row.Bottom; ++y)
            for (int x = row.Left; x < row.Right; ++x)
                differing += shot.PixelColor(x, y) != native->PixelColor(x, y);
        return differing;
    };
    const struct {
        const char* Description;
        bool PageFrame;
    } cases[] = {
        {"[Tabs]\nImage=missing.bmp\n", false},
        {"[Tabs]\nImage=missing.bmp\nBorder=pane.bmp\n", true},
        {"[Buttons]\nBitmap=missing.bmp\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Description);
        TQuickIni ini;
        ini.LoadFromText(c.Description);
        skin->LoadElements(ini, images);
        auto* adapter = new TSkinTab(tabs_);
        adapter->AttachControl(frame_, skin.get(), false, nullptr);
        PumpPending();
        auto shot = Shot();
        EXPECT_EQ(rowDifference(*shot), 0);
        const RECT display = [&] {
            RECT r{0, 0, shot->Width(), shot->Height()};
            SendMessageA(tabs_->Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
            return r;
        }();
        const int cx = (display.left + display.right) / 2, cy = (display.top + display.bottom) / 2;
        EXPECT_EQ(shot->PixelColor(cx, cy), c.PageFrame ? 0x0000A0 : native->PixelColor(cx, cy));
        // Pressed and hovered, the tabs stay the control's own.
        const RECT third = ItemRect(2);
        PostLeftClick(tabs_->Handle(), (third.left + third.right) / 2, (third.top + third.bottom) / 2);
        PumpPending();
        EXPECT_EQ(tabs_->TabIndex(), 2);
        tabs_->SetTabIndex(0);
        MouseAway();
        EXPECT_EQ(rowDifference(*Shot()), 0);
        frame_->ReleaseAdapters();
        tabs_->Invalidate();
        PumpPending();
    }
}

TEST_F(SkinTabTest, HostileSkinValuesDrawSomethingAndNeverFail) {
    // Tab images smaller than their margins or than five cells, a page frame of one pixel, huge
    // margins; a skin without tab images still draws the page frame.
    TMapSource images;
    images.entries["tabs.bmp"] = SolidBmp(3, 2, 0x00A000);
    images.entries["pane.bmp"] = SolidBmp(1, 1, 0x0000A0);
    images.entries["wide.bmp"] = SolidBmp(40, 3, 0x00A000);
    TOwnedComponent<TSkinData> hostile(new TSkinData(nullptr));
    for (TTabPosition position : {tpTop, tpBottom, tpLeft, tpRight}) {
        MakeForm(position);
        for (const char* description :
             {"[Tabs]\nImage=tabs.bmp\nBorder=pane.bmp\nLeftWidth=500\nTopHeight=-7\nBottomHeight=90\n",
              "[Tabs]\nImage=wide.bmp\nStyle=1\n[Tab.Pane]\nImage=pane.bmp\nLeftWidth=9\n",
              "[Tabs]\nImage=missing.bmp\nBorder=pane.bmp\n"}) {
            SCOPED_TRACE(description);
            TQuickIni ini;
            ini.LoadFromText(description);
            hostile->LoadElements(ini, images);
            auto* skin = new TSkinTab(tabs_);
            skin->AttachControl(frame_, hostile.get(), false, nullptr);
            Hover(1);
            UpdateWindow(tabs_->Handle());
            const RECT third = ItemRect(2);
            PostLeftClick(tabs_->Handle(), (third.left + third.right) / 2, (third.top + third.bottom) / 2);
            PumpPending();
            EXPECT_EQ(tabs_->TabIndex(), 2);
            tabs_->SetTabIndex(0);
            frame_->ReleaseAdapters();
        }
        // Without tab images the page frame is still drawn: the one-pixel frame image fills it.
        auto* skin = new TSkinTab(tabs_);
        skin->AttachControl(frame_, hostile.get(), false, nullptr);
        EXPECT_TRUE(skin->TabImage().Empty());
        ASSERT_FALSE(skin->PaneImage().Empty());
        RECT client{}, display{};
        GetClientRect(tabs_->Handle(), &client);
        display = client;
        SendMessageA(tabs_->Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
        EXPECT_EQ(Shot()->PixelColor((display.left + display.right) / 2, (display.top + display.bottom) / 2),
                  0x0000A0);
        form_.reset();
        PumpPending();
    }
}

TEST_F(SkinTabTest, AttachAndRestoreRoundsLeaveTheObjectCountsWhereTheyWere) {
    MakeForm();
    auto round = [&] {
        auto* skin = new TSkinTab(tabs_);
        skin->AttachControl(frame_, skin_.get(), false, nullptr);
        UpdateWindow(tabs_->Handle());
        frame_->ReleaseAdapters();
    };
    round();
    PumpPending();
    const int rounds = LeakRounds();
    const DWORD gdi = GdiObjectCount(), user = UserObjectCount();
    for (int i = 0; i < rounds; ++i)
        round();
    PumpPending();
    const DWORD gdiAfter = GdiObjectCount(), userAfter = UserObjectCount();
    std::printf("tab rounds: GDI %lu -> %lu, USER %lu -> %lu\n", static_cast<unsigned long>(gdi),
                static_cast<unsigned long>(gdiAfter), static_cast<unsigned long>(user),
                static_cast<unsigned long>(userAfter));
    EXPECT_LE(gdiAfter, gdi + 5);
    EXPECT_LE(userAfter, user + 5);
    EXPECT_EQ(tabs_->WindowProc(), tabs_->DefaultWindowProc());
}
