// The up-downs that live inside other controls, skinned on a real form by control discovery: the
// spin edit's up-down drawn inside the field's border and the scroller a tab control shows when
// its tabs do not fit. Both show the skin's up-down cells in several skins, still step what they
// step when clicked, follow a skin change and get their native look back when skinning ends.
//
// A half's first and last pixel come 1:1 from the cell (corners of a nine-slice, or the ends of a
// stretch), so the window must show exactly those pixels there; magenta shows ButtonFace.
#include "MapSkinSource.h"
#include "SkinActions.h"
#include "UiTestSupport.h"

#include "BmpCodec.h"
#include "ComCtrls.h"
#include "Form.h"
#include "Spin.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSkinIni.h"
#include "WinSkinStore.h"
#include "WinSubClass.h"
#include "WinSubClassBarGeometry.h"
#include "WinSubClassGeometry.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr TColor Magenta = 0xFF00FF;

std::string Hex(TColor c) {
    std::ostringstream out;
    out << std::hex << "0x" << static_cast<unsigned>(c);
    return out.str();
}

RECT WindowRectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

} // namespace

class SkinUpDownTest : public TUiTest {
  protected:
    void SetUp() override {
        TUiTest::SetUp();
        FreeSkinManager();
        EXPECT_TRUE(MovePointerTo(0, 0));
        store_.reset(new TSkinStore(nullptr));
        LoadSkinStoreResources(*store_, GetModuleHandleA(nullptr));
        ASSERT_GE(store_->Store().Count(), 8);
        skin_.reset(new TSkinData(nullptr));
        skin_->BeginLoading();
        skin_->SetActive(true);
        skin_->LoadFromStore(*store_, 1);
        skin_->EndLoading();
    }
    void TearDown() override {
        form_.reset();
        skin_.reset();
        FreeSkinManager();
        store_.reset();
        TUiTest::TearDown();
    }
    // A spin edit and a tab control whose two tabs fit; discovery skins both.
    void MakeForm() {
        form_.reset(new TForm(&TestApplication()));
        form_->SetBounds(120, 120, 400, 260);
        spin_ = new TSpinEdit(form_.get());
        spin_->SetParent(form_.get());
        spin_->SetBounds(20, 20, 100, 24);
        spin_->SetRange(0, 100);
        spin_->SetValue(42);
        tabs_ = new TTabControl(form_.get());
        tabs_->SetParent(form_.get());
        tabs_->SetBounds(20, 70, 160, 120);
        tabs_->Tabs().Add("One");
        tabs_->Tabs().Add("Two");
        tabs_->TabsChanged();
        form_->Show();
        SetForegroundWindow(form_->Handle());
        ASSERT_TRUE(PumpUntil([&] { return Adapter<TSkinTab>(tabs_) && Adapter<TSkinEdit>(spin_); }));
        PumpPending();
    }
    template <class T> T* Adapter(TControl* control) {
        TWinSkinForm* frame = SkinManager() ? SkinManager()->FindFrame(form_->Handle()) : nullptr;
        if (!frame)
            return nullptr;
        for (TSkinControl* adapter : frame->Adapters())
            if (adapter->Control() == control && adapter->State() == asAttached)
                if (auto* typed = dynamic_cast<T*>(adapter))
                    return typed;
        return nullptr;
    }
    void Settle() {
        ASSERT_TRUE(PumpUntil(SkinActionDone, 3000));
        PumpPending();
    }
    void UseSkin(int index) {
        skin_->LoadFromStore(*store_, index);
        Settle();
    }
    // Ctrl+S: skinning off or on again.
    void SetSkinning(bool on) {
        skin_->SetActive(on);
        Settle();
        if (on) {
            ASSERT_TRUE(PumpUntil([&] { return Adapter<TSkinTab>(tabs_) && Adapter<TSkinEdit>(spin_); }));
        }
        PumpPending();
    }
    void AddTabs() {
        for (const char* text : {"Three", "Four", "Five", "Six", "Seven"})
            tabs_->Tabs().Add(text);
        tabs_->TabsChanged();
        PumpPending();
    }
    HWND Scroller() const { return FindWindowExA(tabs_->Handle(), nullptr, "msctls_updown32", nullptr); }
    TColor Face() const { return static_cast<TColor>(ColorToRGB(skin_->Colour(scButtonFace))); }
    // Pixel (x, y) of face cell `cell` of the 8-cell image; magenta shows ButtonFace.
    TColor CellPixel(const TBitmap& image, int cell, int x, int y) const {
        const int width = StripCellWidth(image.Width(), 8);
        const TColor c = image.PixelColor(width * (cell - 1) + x, y);
        return c == Magenta ? Face() : c;
    }
    // Empty when the shot shows the corners of the given cells in the two halves; area is the
    // part of the window the halves share, in the window's client coordinates.
    std::string HalvesDifference(const TBitmap& shot, const TBitmap& image, const RECT& area, bool horizontal,
                                 int firstCell, int secondCell) {
        const TUpDownHalves halves =
            UpDownHalves(area.right - area.left, area.bottom - area.top, horizontal, 0, false, true);
        const int cellWidth = StripCellWidth(image.Width(), 8), cellHeight = image.Height();
        for (auto [half, cell] : {std::pair{halves.First, firstCell}, std::pair{halves.Second, secondCell}}) {
            const int left = area.left + half.Left, top = area.top + half.Top;
            const int right = area.left + half.Right - 1, bottom = area.top + half.Bottom - 1;
            const struct {
                int X, Y, CellX, CellY;
            } spots[] = {{left, top, 0, 0}, {right, bottom, cellWidth - 1, cellHeight - 1}};
            for (const auto& spot : spots) {
                const TColor want = CellPixel(image, cell, spot.CellX, spot.CellY);
                const TColor got = shot.PixelColor(spot.X, spot.Y);
                if (got != want)
                    return "cell " + std::to_string(cell) + " at (" + std::to_string(spot.X) + ", " +
                           std::to_string(spot.Y) + "): " + Hex(got) + " instead of " + Hex(want);
            }
        }
        return {};
    }
    // The part of the spin edit's up-down that its skin draws: 3 pixels clear of the field's
    // outer edges (the skinned border's rings), in the up-down's client coordinates.
    RECT EmbeddedArea() {
        const RECT field = WindowRectOf(spin_->Handle()), button = WindowRectOf(spin_->Button().Handle());
        const int w = button.right - button.left, h = button.bottom - button.top;
        return RECT{0, std::max(0L, field.top + 3 - button.top),
                    std::min<LONG>(w, field.right - 3 - button.left),
                    std::min<LONG>(h, field.bottom - 3 - button.top)};
    }
    void Press(HWND window, int x, int y) {
        POINT screen{x, y};
        ClientToScreen(window, &screen);
        EXPECT_TRUE(MovePointerTo(screen.x, screen.y));
        PostMouse(window, WM_LBUTTONDOWN, x, y);
        PumpPending();
    }
    void Release(HWND window, int x, int y) {
        PostMouse(window, WM_LBUTTONUP, x, y);
        PumpPending();
        EXPECT_TRUE(MovePointerTo(0, 0));
        PumpPending();
    }

    std::unique_ptr<TSkinStore> store_;
    TOwnedComponent<TSkinData> skin_;
    TOwnedComponent<TForm> form_;
    TSpinEdit* spin_ = nullptr;
    TTabControl* tabs_ = nullptr;
};

TEST_F(SkinUpDownTest, TheSpinEditsUpDownIsDrawnInsideTheFieldFromTheSkinAndStillSteps) {
    MakeForm();
    HWND button = spin_->Button().Handle();
    ASSERT_EQ(GetParent(button), spin_->Handle()) << "the up-down sits inside the field";
    int checked = 0;
    for (int index = 0; index < 8; ++index) {
        SCOPED_TRACE("skin " + std::to_string(index));
        UseSkin(index);
        const TDataSkinObject* element = skin_->Slot(ssUpDownVert);
        if (!element || element->Bitmap.Empty())
            continue;
        auto* edit = Adapter<TSkinEdit>(spin_);
        ASSERT_NE(edit, nullptr);
        auto* upDown = dynamic_cast<TSkinUpDown*>(edit->UpDownAdapter());
        ASSERT_NE(upDown, nullptr);
        EXPECT_TRUE(upDown->Embedded());
        EXPECT_EQ(upDown->Handle(), button);
        const RECT area = EmbeddedArea();
        ASSERT_GT(area.top, 0) << "the border's rings run over the up-down's top";

        // The skin change alone repainted it.
        auto shot = CaptureClient(button);
        EXPECT_EQ(HalvesDifference(*shot, element->Bitmap, area, false, 1, 5), "");
        EXPECT_EQ(shot->PixelColor(0, 0), 0xFFFFFFu) << "the field's white ring";

        // Pressing the lower half shows it pressed and steps the value down; the upper one up.
        const int before = spin_->Value();
        const int lowerY = (area.top + area.bottom) * 3 / 4, upperY = area.top + (area.bottom - area.top) / 4;
        Press(button, area.right / 2, lowerY);
        EXPECT_EQ(HalvesDifference(*CaptureClient(button), element->Bitmap, area, false, 1, 6), "");
        Release(button, area.right / 2, lowerY);
        EXPECT_LT(spin_->Value(), before);
        EXPECT_EQ(spin_->Text(), std::to_string(spin_->Value()));
        const int lowered = spin_->Value();
        Press(button, area.right / 2, upperY);
        EXPECT_EQ(HalvesDifference(*CaptureClient(button), element->Bitmap, area, false, 2, 5), "");
        Release(button, area.right / 2, upperY);
        EXPECT_GT(spin_->Value(), lowered);
        EXPECT_EQ(HalvesDifference(*CaptureClient(button), element->Bitmap, area, false, 1, 5), "")
            << "released";
        ++checked;
    }
    EXPECT_GE(checked, 3);
}

TEST_F(SkinUpDownTest, CtrlSGivesTheSpinEditsUpDownItsNativeLookAndSkinsItAgain) {
    MakeForm();
    UseSkin(0);
    HWND button = spin_->Button().Handle();
    SetSkinning(false);
    EXPECT_NE(SendMessageA(button, SKM_ISSKINNED, 0, 0), 1);
    RedrawWindow(spin_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    auto native = CaptureClient(button);

    SetSkinning(true);
    auto* edit = Adapter<TSkinEdit>(spin_);
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(edit->UpDownAdapter(), nullptr) << "skinned again when skinning comes back";
    EXPECT_FALSE(SameBitmaps(*native, *CaptureClient(button)));

    SetSkinning(false);
    EXPECT_NE(SendMessageA(button, SKM_ISSKINNED, 0, 0), 1);
    EXPECT_TRUE(SameBitmaps(*native, *CaptureClient(button))) << "the native look is back without a repaint";
    // Unskinned it still steps.
    const int before = spin_->Value();
    RECT client{};
    GetClientRect(button, &client);
    Press(button, client.right / 2, client.bottom / 4);
    Release(button, client.right / 2, client.bottom / 4);
    EXPECT_EQ(spin_->Value(), before + 1);
}

// One click on an arrow is one step, skinned and unskinned; holding the button starts repeating
// only after the usual delay, at the system's pace, and stops with the release.
TEST_F(SkinUpDownTest, OneClickOnTheSpinEditsArrowIsOneStepAndHoldingRepeatsAfterTheUsualDelay) {
    MakeForm();
    UseSkin(0);
    const struct {
        bool Skinned;
        int Increment;
    } cases[] = {{true, 1}, {false, 1}, {false, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Skinned ? "skinned" : "unskinned") + ", increment " +
                     std::to_string(c.Increment));
        if (!c.Skinned && SkinManager() && SkinManager()->FindFrame(form_->Handle()))
            SetSkinning(false);
        spin_->SetIncrement(c.Increment);
        spin_->SetRange(0, 1000);
        HWND button = spin_->Button().Handle();
        RECT client{};
        GetClientRect(button, &client);
        const int x = client.right / 2, upY = client.bottom / 4, downY = client.bottom * 3 / 4;

        spin_->SetValue(40);
        Press(button, x, upY);
        Release(button, x, upY);
        PumpFor(1000);
        EXPECT_EQ(spin_->Value(), 40 + c.Increment) << "one click up";
        Press(button, x, downY);
        Release(button, x, downY);
        PumpFor(1000);
        EXPECT_EQ(spin_->Value(), 40) << "one click down";

        // Held: one step at once, nothing more for a while, then steps at a pace one can follow.
        spin_->SetValue(0);
        Press(button, x, upY);
        PumpFor(250);
        EXPECT_EQ(spin_->Value(), c.Increment) << "before the repeat delay";
        PumpFor(1250);
        const int steps = spin_->Value() / c.Increment;
        EXPECT_GE(steps, 4) << "holding repeats";
        EXPECT_LE(steps, 40) << "at a pace one can follow";
        Release(button, x, upY);
        const int released = spin_->Value();
        PumpFor(700);
        EXPECT_EQ(spin_->Value(), released) << "the release ends the repeat";
        EXPECT_EQ(spin_->Text(), std::to_string(spin_->Value()));
    }
}

TEST_F(SkinUpDownTest, ATabControlsScrollerGetsTheSkinsUpDownWhenItAppearsAndScrollsTheTabs) {
    MakeForm();
    auto* tab = Adapter<TSkinTab>(tabs_);
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(Scroller(), nullptr) << "two tabs fit";
    EXPECT_EQ(tab->Scroller(), nullptr);
    // More tabs than fit: the control makes its scroller, and the adapter skins it.
    AddTabs();
    HWND scroller = Scroller();
    ASSERT_NE(scroller, nullptr);
    ASSERT_TRUE(IsWindowVisible(scroller));
    ASSERT_NE(tab->Scroller(), nullptr);
    EXPECT_EQ(tab->Scroller()->Handle(), scroller);
    EXPECT_EQ(SendMessageA(scroller, SKM_ISSKINNED, 0, 0), 1);

    int checked = 0;
    for (int index = 0; index < 8; ++index) {
        SCOPED_TRACE("skin " + std::to_string(index));
        UseSkin(index);
        const TDataSkinObject* element = skin_->Slot(ssUpDownHorz);
        if (!element || element->Bitmap.Empty())
            continue;
        RECT client{};
        GetClientRect(scroller, &client);
        EXPECT_EQ(HalvesDifference(*CaptureClient(scroller), element->Bitmap, client, true, 1, 5), "");

        // The right half scrolls the row one tab on, the left one back.
        SendMessageA(tabs_->Handle(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0),
                     reinterpret_cast<LPARAM>(scroller));
        SendMessageA(scroller, UDM_SETPOS32, 0, 0);
        PumpPending();
        RECT first{};
        SendMessageA(tabs_->Handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
        const int right = client.right * 3 / 4, left = client.right / 4, middle = client.bottom / 2;
        Press(scroller, right, middle);
        EXPECT_EQ(HalvesDifference(*CaptureClient(scroller), element->Bitmap, client, true, 1, 6), "");
        Release(scroller, right, middle);
        RECT moved{};
        SendMessageA(tabs_->Handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&moved));
        EXPECT_LT(moved.left, first.left) << "the row scrolled";
        Press(scroller, left, middle);
        Release(scroller, left, middle);
        RECT back{};
        SendMessageA(tabs_->Handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&back));
        EXPECT_EQ(back.left, first.left) << "and back";
        ++checked;
    }
    EXPECT_GE(checked, 3);
}

TEST_F(SkinUpDownTest, CtrlSGivesTheTabScrollerItsNativeLookAndTheNextAttachFindsIt) {
    MakeForm();
    AddTabs();
    UseSkin(0);
    HWND scroller = Scroller();
    ASSERT_NE(scroller, nullptr);
    SetSkinning(false);
    EXPECT_NE(SendMessageA(scroller, SKM_ISSKINNED, 0, 0), 1);
    RedrawWindow(tabs_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    auto native = CaptureClient(scroller);

    // Skinning again: the scroller is there when the tab adapter attaches.
    SetSkinning(true);
    auto* tab = Adapter<TSkinTab>(tabs_);
    ASSERT_NE(tab, nullptr);
    ASSERT_NE(tab->Scroller(), nullptr);
    EXPECT_EQ(tab->Scroller()->Handle(), scroller);
    EXPECT_FALSE(SameBitmaps(*native, *CaptureClient(scroller)));
    // The tab row is not painted over it.
    const TDataSkinObject* element = skin_->Slot(ssUpDownHorz);
    if (element && !element->Bitmap.Empty()) {
        RECT client{};
        GetClientRect(scroller, &client);
        RedrawWindow(tabs_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_EQ(HalvesDifference(*CaptureClient(scroller), element->Bitmap, client, true, 1, 5), "");
    }

    SetSkinning(false);
    EXPECT_EQ(Adapter<TSkinTab>(tabs_), nullptr);
    EXPECT_TRUE(SameBitmaps(*native, *CaptureClient(scroller)));
}

TEST_F(SkinUpDownTest, AnUpDownImageTooNarrowForItsCellsStillShowsTwoUsableHalves) {
    MakeForm();
    // An up-down of its own that discovery leaves alone, skinned with a broken skin: images of
    // fewer pixels than cells, margins far larger than the image.
    auto* upDown = new TUpDown(form_.get());
    upDown->SetTag(skin_->DisableTag());
    upDown->SetParent(form_.get());
    upDown->SetBounds(250, 20, 17, 40);
    upDown->SetRange(0, 10);
    PumpPending();
    TMapSource images;
    images.entries["narrow.bmp"] = SolidBmp(5, 20, 0x00A000);
    TOwnedComponent<TSkinData> hostile(new TSkinData(nullptr));
    TQuickIni ini;
    ini.LoadFromText("[UpDown.Vert]\nImage=narrow.bmp\nGlyphImage=narrow.bmp\nLeftWidth=50\nTopHeight=90\n");
    hostile->LoadElements(ini, images);
    auto* adapter = new TSkinUpDown(upDown);
    adapter->AttachWindow(upDown->Handle(), hostile.get(), nullptr, nullptr);
    RedrawWindow(upDown->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    auto shot = CaptureClient(upDown->Handle());
    const TColor outline = static_cast<TColor>(ColorToRGB(hostile->Colour(scButtonDkShadow)));
    // Outlined halves with their arrows, as without images; nothing of the broken image.
    EXPECT_EQ(shot->PixelColor(0, 0), outline);
    EXPECT_EQ(shot->PixelColor(0, 39), outline);
    EXPECT_EQ(shot->PixelColor(16, 19), outline) << "the upper half's bottom edge";
    int green = 0;
    for (int y = 0; y < shot->Height(); ++y)
        for (int x = 0; x < shot->Width(); ++x)
            green += shot->PixelColor(x, y) == 0x00A000;
    EXPECT_EQ(green, 0);
    TComponent::Free(adapter);
}
