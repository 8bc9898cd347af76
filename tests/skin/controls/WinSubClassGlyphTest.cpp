// Bitmap, speed and menu buttons skinned on a real form: the push button's cells behind, the
// glyph where the button's layout puts it, in the state's glyph cell.
#include "SkinActions.h"
#include "SkinnedUiTest.h"
#include "UiTestSupport.h"

#include "Form.h"
#include "GlyphButtons.h"
#include "TransparentBlit.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSkinStore.h"
#include "WinSubClass.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr TColor Magenta = 0xFF00FF;
constexpr TColor GlyphRed = 0x0000E0;
constexpr TColor GlyphGrey = 0x808080;

// The top-left pixel of cell `cell` of the push-button strip (drawn 1:1 or mapped exactly).
TColor CornerOfCell(const TSkinData& skin, int cell) {
    const TDataSkinButton& b = skin.Buttons();
    const int cells = b.Frame < 1 ? 1 : b.Frame;
    const TColor c = b.Bitmap.PixelColor(b.Bitmap.Width() / cells * (cell - 1), 0);
    return c == Magenta ? static_cast<TColor>(ColorToRGB(skin.Colour(scButtonFace))) : c;
}

// A two-cell glyph: red when up, grey when disabled; white (its bottom-left pixel) transparent.
void MakeGlyph(TBitmap& glyph) {
    glyph.SetSize(32, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x)
            glyph.SetPixelColor(x, y, x % 16 < 2 || y > 13 ? 0xFFFFFF : x < 16 ? GlyphRed : GlyphGrey);
}

// The columns where a colour shows on the middle row, as [first, last]; -1 when nowhere.
std::pair<int, int> ColumnsOf(const TBitmap& shot, TColor colour) {
    int first = -1, last = -1;
    for (int x = 0; x < shot.Width(); ++x)
        if (shot.PixelColor(x, shot.Height() / 2) == colour) {
            if (first < 0)
                first = x;
            last = x;
        }
    return {first, last};
}

} // namespace

class SkinGlyphTest : public TSkinnedUiTest {
  protected:
    void SetUp() override {
        SetUpSkin(1);
        if (HasFatalFailure())
            return;
        form_.reset(new TForm(&TestApplication()));
        form_->SetBounds(100, 100, 420, 200);
        left_ = Place(10, 10, 120, 34, "Open");
        right_ = Place(140, 10, 120, 34, "Save");
        right_->SetLayout(blGlyphRight);
        speed_ = new TSpeedButton(form_.get());
        speed_->SetParent(form_.get());
        speed_->SetBounds(280, 10, 34, 34);
        speed_->SetGroupIndex(1);
        speed_->SetAllowAllUp(true);
        MakeGlyph(speed_->Glyph());
        speed_->SetNumGlyphs(2);
        menu_ = Place(10, 60, 120, 34, "More");
        form_->Show();
        SetForegroundWindow(form_->Handle());
        ASSERT_TRUE(PumpUntil([&] { return SkinManager()->FindFrame(form_->Handle()) != nullptr; }));
        frame_ = SkinManager()->FindFrame(form_->Handle());
        // Discovery gives the glyph buttons theirs; the menu button is made by hand here.
        ASSERT_TRUE(PumpUntil([&] { return frame_->Adapters().size() >= 4; }));
        for (TControl* control : std::initializer_list<TControl*>{left_, right_, speed_, menu_})
            EXPECT_TRUE(AdapterOf(control) && std::string(AdapterOf(control)->ClassName()) ==
                                                  (control == speed_ ? "TSkinSpeedButton" : "TSkinBitButton"))
                << control->ClassName();
        frame_->ReleaseAdapters();
        for (TBitBtn* button : {left_, right_})
            (new TSkinBitButton(button))->AttachControl(frame_, skin_.get(), false, nullptr);
        (new TSkinSpeedButton(speed_))->AttachControl(frame_, skin_.get(), false, nullptr);
        (new TSkinMenuButton(menu_))->AttachControl(frame_, skin_.get(), false, nullptr);
        PumpPending();
    }
    void TearDown() override {
        form_.reset();
        TSkinnedUiTest::TearDown();
    }
    TSkinControl* AdapterOf(TControl* control) const {
        for (TSkinControl* adapter : frame_->Adapters())
            if (adapter->Control() == control)
                return adapter;
        return nullptr;
    }
    TBitBtn* Place(int left, int top, int width, int height, const char* caption) {
        auto* button = new TBitBtn(form_.get());
        button->SetParent(form_.get());
        button->SetBounds(left, top, width, height);
        button->SetCaption(caption);
        MakeGlyph(button->Glyph());
        button->SetNumGlyphs(2);
        return button;
    }
    std::unique_ptr<TBitmap> Shot(TWinControl* control) {
        RedrawWindow(control->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return CaptureClient(control->Handle());
    }
    std::unique_ptr<TBitmap> ShotOfSpeed() {
        RedrawWindow(form_->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        auto all = CaptureClient(form_->Handle());
        auto part = std::make_unique<TBitmap>(34, 34);
        BitBlt(part->MemoryDC(), 0, 0, 34, 34, all->MemoryDC(), 280, 10, SRCCOPY);
        return part;
    }
    TOwnedComponent<TForm> form_;
    TWinSkinForm* frame_ = nullptr;
    TBitBtn* left_ = nullptr;
    TBitBtn* right_ = nullptr;
    TBitBtn* menu_ = nullptr;
    TSpeedButton* speed_ = nullptr;
};

TEST_F(SkinGlyphTest, BitmapButtonsPutTheGlyphOnTheirLayoutsSideOverTheButtonCell) {
    for (int index : {0, 3, 6}) {
        SCOPED_TRACE("skin " + std::to_string(index));
        skin_->LoadFromStore(*store_, index);
        ASSERT_TRUE(PumpUntil(SkinActionDone, 3000));
        PumpPending();
        auto left = Shot(left_);
        auto right = Shot(right_);
        // The first button holds the focus: the focused cell.
        EXPECT_EQ(left->PixelColor(0, 0), CornerOfCell(*skin_, left_->Focused() ? 5 : 1));
        EXPECT_EQ(right->PixelColor(0, 0), CornerOfCell(*skin_, 1));
        const auto [leftFirst, leftLast] = ColumnsOf(*left, GlyphRed);
        const auto [rightFirst, rightLast] = ColumnsOf(*right, GlyphRed);
        ASSERT_GE(leftFirst, 0) << "the glyph is drawn";
        ASSERT_GE(rightFirst, 0);
        EXPECT_EQ(leftLast - leftFirst + 1, 14) << "the glyph at its own size, white left out";
        EXPECT_LT(leftLast, 60) << "glyph left of the caption";
        EXPECT_GT(rightFirst, 60) << "glyph right of the caption";

        // Disabled: the disabled cell behind, the glyph's disabled cell in front.
        left_->SetEnabled(false);
        auto off = Shot(left_);
        EXPECT_EQ(off->PixelColor(0, 0), CornerOfCell(*skin_, 3));
        EXPECT_EQ(ColumnsOf(*off, GlyphRed).first, -1);
        EXPECT_GE(ColumnsOf(*off, GlyphGrey).first, 0);
        left_->SetEnabled(true);
    }
}

TEST_F(SkinGlyphTest, SpeedButtonsShowDownAndHotFromTheButtonCellsAndMenuButtonsTheirDropPart) {
    auto up = ShotOfSpeed();
    EXPECT_EQ(up->PixelColor(0, 0), CornerOfCell(*skin_, 1));
    speed_->SetDown(true);
    auto down = ShotOfSpeed();
    EXPECT_EQ(down->PixelColor(0, 0), CornerOfCell(*skin_, 2));
    speed_->SetDown(false);
    // The real mouse over it: the hot cell.
    POINT at{297, 27};
    ClientToScreen(form_->Handle(), &at);
    EXPECT_TRUE(MovePointerTo(at.x, at.y));
    PostMouse(form_->Handle(), WM_MOUSEMOVE, 297, 27);
    ASSERT_TRUE(PumpUntil([&] { return speed_->MouseInside(); }));
    auto hot = ShotOfSpeed();
    EXPECT_EQ(hot->PixelColor(0, 0), CornerOfCell(*skin_, 4));
    // A click still works, and shows it down.
    PostLeftClick(form_->Handle(), 297, 27);
    ASSERT_TRUE(PumpUntil([&] { return speed_->Down(); }));

    auto menu = Shot(menu_);
    const int separator = 120 - 2 - 14;
    const TColor shadow = static_cast<TColor>(ColorToRGB(skin_->Colour(scButtonShadow)));
    EXPECT_EQ(menu->PixelColor(separator, 17), shadow) << "the drop-down part's separator";
}

TEST_F(SkinGlyphTest, SwitchingSkinningOffAndOnKeepsEveryButtonsOwnGlyph) {
    // Other pictures drawn with a key colour between two paints of a button, as on a real screen.
    TBitmap other(32, 16), scratch(32, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x)
            other.SetPixelColor(x, y, y == 15 && x == 0 ? 0xFFFFFF : 0xC00000);
    auto drawOther = [&] {
        TransparentBlit(scratch.MemoryDC(), 0, 0, 32, 16, other.MemoryDC(), 0, 0, 0xFFFFFF);
    };
    for (bool on : {false, true, false}) {
        SCOPED_TRACE(on ? "skinned again" : "unskinned");
        // Painted skinned first, then in the other mode.
        Shot(left_);
        ShotOfSpeed();
        skin_->SetActive(on);
        ASSERT_TRUE(PumpUntil(SkinActionDone, 3000));
        PumpPending();
        for (int button = 0; button < 3; ++button) {
            drawOther();
            const auto shot = button == 0 ? Shot(left_) : button == 1 ? Shot(right_) : ShotOfSpeed();
            const auto [first, last] = ColumnsOf(*shot, GlyphRed);
            ASSERT_GE(first, 0) << "the glyph of button " << button << " is drawn";
            EXPECT_EQ(last - first + 1, 14) << "the glyph itself, white left out";
        }
    }
}

TEST_F(SkinGlyphTest, ABitmapButtonSetAsTheDefaultShowsTheDefaultCellWhileAnotherHasTheFocus) {
    auto focus = [&](TBitBtn* button) {
        button->SetFocus();
        return PumpUntil([&] { return button->Focused(); });
    };
    ASSERT_TRUE(focus(left_));
    auto normal = Shot(right_);
    right_->SetDefault(true);
    // The focus moves between buttons: the focused one takes Enter, the default one keeps its look.
    ASSERT_TRUE(focus(right_));
    ASSERT_TRUE(focus(left_));
    auto asDefault = Shot(right_);
    EXPECT_EQ(asDefault->PixelColor(0, 0), CornerOfCell(*skin_, 5));
    EXPECT_FALSE(SameBitmaps(*normal, *asDefault)) << "the default cell, not the normal one";
}

TEST_F(SkinGlyphTest, ASpeedButtonTaggedTransparentShowsItsParentThroughTheCellsClearPixels) {
    // A skin whose button cell leaves its corner clear.
    int index = 0;
    for (; index < store_->Store().Count(); ++index) {
        skin_->LoadFromStore(*store_, index);
        ASSERT_TRUE(PumpUntil(SkinActionDone, 3000));
        const TDataSkinButton& b = skin_->Buttons();
        if (!b.Bitmap.Empty() && b.Bitmap.PixelColor(0, 0) == Magenta)
            break;
    }
    ASSERT_LT(index, store_->Store().Count()) << "no skin's button cell has a clear corner";
    PumpPending();
    constexpr TColor Ground = 0x00A000;
    form_->SetColor(Ground);
    EXPECT_EQ(ShotOfSpeed()->PixelColor(0, 0), CornerOfCell(*skin_, 1)) << "opaque: the skin's face";

    TComponent::Free(AdapterOf(speed_));
    speed_->SetTag(TransparentTag);
    (new TSkinSpeedButton(speed_))->AttachControl(frame_, skin_.get(), false, nullptr);
    auto shot = ShotOfSpeed();
    EXPECT_EQ(shot->PixelColor(0, 0), Ground);
    EXPECT_EQ(ColumnsOf(*shot, GlyphRed).second - ColumnsOf(*shot, GlyphRed).first + 1, 14) << "its glyph";
}
