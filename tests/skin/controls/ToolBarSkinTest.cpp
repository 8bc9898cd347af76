// Tool bars skinned on a real form: discovery points the bar's custom-draw events at the frame's
// painters, which lay the skin's generated Toolbar image under the bar and the Buttons cell of a
// hot or pressed button under its picture. Expected pixels are read from the skin's own images
// where the drawing maps them 1:1: the rows of the background, the corners of the button's cell.
#include "SkinnedUiTest.h"
#include "UiTestSupport.h"

#include "Form.h"
#include "Menus.h"
#include "SkinActions.h"
#include "ToolBar.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSubClassGeometry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr TColor Magenta = 0xFF00FF;

enum class TButtonLook { Normal, Hot, Pressed };

} // namespace

class SkinToolBarTest : public TSkinnedUiTest {
  protected:
    void TearDown() override {
        form_.reset();
        TSkinnedUiTest::TearDown();
    }
    void MakeForm(TSkinOptions options) {
        skin_->SetOptions(options);
        form_.reset(new TForm(&TestApplication()));
        form_->SetBounds(100, 100, 360, 160);
        toolbar_ = new TToolBar(form_.get());
        toolbar_->SetParent(form_.get());
        // As high as the skin's background image: its rows are shown 1:1.
        toolbar_->SetBounds(0, 0, 300, 40);
        toolbar_->AddButton(TToolButton{});
        // Owned by the bar: only the tool-bar rule reaches this menu, not the form's menus.
        menu_ = new TPopupMenu(toolbar_);
        auto* item = new TMenuItem(menu_);
        item->SetCaption("Choice");
        menu_->Items().Add(item);
        toolbar_->AddButton(TToolButton{tbsDropDown, -1, "", true, menu_, {}});
        form_->Show();
        SetForegroundWindow(form_->Handle());
        ASSERT_TRUE(PumpUntil([&] { return SkinManager()->FindFrame(form_->Handle()) != nullptr; }));
        frame_ = SkinManager()->FindFrame(form_->Handle());
        ASSERT_TRUE(PumpUntil([&] { return frame_->Toolbars().size() == 1; }));
        PumpPending();
    }
    void UseSkin(int index) {
        skin_->LoadFromStore(*store_, index);
        ASSERT_TRUE(PumpUntil(SkinActionDone, 3000));
        PumpPending();
    }
    // The first button shown in a look: the pointer away, over it, or over it and pressed.
    std::unique_ptr<TBitmap> Show(TButtonLook look) {
        HWND bar = toolbar_->Handle();
        const RECT button = toolbar_->ButtonRect(0);
        POINT centre{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
        POINT away{toolbar_->Width() - 5, 5};
        const POINT& at = look == TButtonLook::Normal ? away : centre;
        POINT screen = at;
        ClientToScreen(bar, &screen);
        EXPECT_TRUE(MovePointerTo(screen.x, screen.y));
        PostMouse(bar, WM_MOUSEMOVE, at.x, at.y);
        if (look == TButtonLook::Pressed)
            PostMouse(bar, WM_LBUTTONDOWN, at.x, at.y, MK_LBUTTON);
        PumpPending();
        RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        auto shot = CaptureClient(bar);
        if (look == TButtonLook::Pressed) {
            // Let go away from the button: no click.
            PostMouse(bar, WM_LBUTTONUP, away.x, away.y);
            PumpPending();
        }
        return shot;
    }
    TOwnedComponent<TForm> form_;
    TWinSkinForm* frame_ = nullptr;
    TToolBar* toolbar_ = nullptr;
    TPopupMenu* menu_ = nullptr;
};

TEST_F(SkinToolBarTest, ButtonsShowTheSkinsCellOfTheirStateOnTheToolbarBackground) {
    MakeForm(SkinOptionBit(xoPreview));
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(toolbar_->Flat());
    int checked = 0;
    for (int index : {0, 3, 6}) {
        SCOPED_TRACE("skin " + std::to_string(index));
        UseSkin(index);
        const TDataSkinObject* background = skin_->Slot(ssToolbar);
        ASSERT_NE(background, nullptr);
        const TDataSkinButton& element = skin_->Buttons();
        if (element.Bitmap.Empty())
            continue;
        const RECT button = toolbar_->ButtonRect(0);
        const RECT cell{button.left + 1, button.top + 1, button.right - 1, button.bottom - 1};
        const int cellW = StripCellWidth(element.Bitmap.Width(), 5), cellH = element.Bitmap.Height();
        ASSERT_EQ(toolbar_->ClientHeight(), background->Bitmap.Height());
        const int freeX = toolbar_->ClientWidth() - 3;

        const struct {
            TButtonLook Look;
            int Cell; // 0: the background shows
        } looks[] = {{TButtonLook::Normal, 0}, {TButtonLook::Hot, 4}, {TButtonLook::Pressed, 2}};
        for (const auto& look : looks) {
            SCOPED_TRACE("cell " + std::to_string(look.Cell));
            auto shot = Show(look.Look);
            // The background: the generated image's rows, one for one.
            for (int row : {0, 20, 39})
                EXPECT_EQ(shot->PixelColor(freeX, row), background->Bitmap.PixelColor(9, row))
                    << "row " << row;
            const auto expect = [&](int x, int y, int cellX, int cellY) {
                // The bar's background is the same along a row.
                const TColor behind = shot->PixelColor(freeX, y);
                TColor want = behind;
                if (look.Cell > 0) {
                    want = element.Bitmap.PixelColor(cellW * (look.Cell - 1) + cellX, cellY);
                    if (want == Magenta && element.Trans == 1)
                        want = behind;
                }
                EXPECT_EQ(shot->PixelColor(x, y), want) << "at " << x << ", " << y;
            };
            expect(cell.left, cell.top, 0, 0);
            expect(cell.right - 1, cell.bottom - 1, cellW - 1, cellH - 1);
        }
        ++checked;
    }
    EXPECT_GE(checked, 2) << "too few skins with a Buttons image";
}

TEST_F(SkinToolBarTest, TheOptionsLeaveBackgroundAndButtonsToTheSystem) {
    MakeForm(SkinOptionBit(xoToolbarBK) | SkinOptionBit(xoToolbarButton));
    ASSERT_FALSE(HasFatalFailure());
    UseSkin(3);
    const TDataSkinButton& element = skin_->Buttons();
    ASSERT_FALSE(element.Bitmap.Empty());
    const RECT button = toolbar_->ButtonRect(0);
    const int freeX = toolbar_->ClientWidth() - 3;
    const int cellW = StripCellWidth(element.Bitmap.Width(), 5);
    auto shot = Show(TButtonLook::Pressed);
    const TColor face = static_cast<TColor>(GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(shot->PixelColor(freeX, 0), face);
    EXPECT_EQ(shot->PixelColor(freeX, toolbar_->ClientHeight() - 1), face);
    // The pressed button keeps the system's sunken look, not the skin's pressed cell.
    EXPECT_NE(shot->PixelColor(button.left + 1, button.top + 1), element.Bitmap.PixelColor(cellW, 0));
}

TEST_F(SkinToolBarTest, SkinningTakesOverTheEventsAndTheDropDownMenuAndGivesThemBack) {
    MakeForm(SkinOptionBit(xoPreview));
    ASSERT_FALSE(HasFatalFailure());
    const TMenuItem& item = *menu_->Items().Items(0);
    EXPECT_TRUE(toolbar_->OnCustomDraw);
    EXPECT_TRUE(toolbar_->OnCustomDrawButton);
    EXPECT_TRUE(menu_->OwnerDraw());
    EXPECT_TRUE(item.OnDrawItem);
    skin_->SetActive(false);
    ASSERT_TRUE(PumpUntil(SkinActionDone, 3000));
    EXPECT_FALSE(toolbar_->OnCustomDraw);
    EXPECT_FALSE(toolbar_->OnCustomDrawButton);
    EXPECT_FALSE(menu_->OwnerDraw());
    EXPECT_FALSE(item.OnDrawItem);
    // Freed with the frame gone: nothing may still point at it.
    form_.reset();
    toolbar_ = nullptr;
    PumpPending();
}

TEST_F(SkinToolBarTest, TheBandsOfACoolBarTakeTheSkinsButtonFace) {
    form_.reset(new TForm(&TestApplication()));
    form_->SetBounds(100, 100, 360, 160);
    auto* coolBar = new TCoolBar(form_.get());
    coolBar->SetParent(form_.get());
    auto* tools = new TToolBar(form_.get());
    tools->AddButton(TToolButton{});
    coolBar->AddBand(tools, "Tools", 200);
    coolBar->AddBand(nullptr, "Empty", 100);
    form_->Show();
    SetForegroundWindow(form_->Handle());
    ASSERT_TRUE(PumpUntil([&] { return SkinManager()->FindFrame(form_->Handle()) != nullptr; }));
    frame_ = SkinManager()->FindFrame(form_->Handle());
    // The tool bar in the band is skinned like any other.
    ASSERT_TRUE(PumpUntil([&] { return frame_->Toolbars().size() == 1; }));
    const COLORREF face = ColorToRGB(skin_->Colour(scButtonFace));
    ASSERT_NE(face, GetSysColor(COLOR_BTNFACE));
    for (int i = 0; i < 2; ++i) {
        REBARBANDINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = RBBIM_COLORS;
        ASSERT_TRUE(SendMessageA(coolBar->Handle(), RB_GETBANDINFOA, static_cast<WPARAM>(i),
                                 reinterpret_cast<LPARAM>(&info)));
        EXPECT_EQ(info.clrBack, face) << "band " << i;
    }
}
