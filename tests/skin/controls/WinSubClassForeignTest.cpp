// The adapters for controls of other libraries, on stand-ins made here: controls of the same
// class names that publish the properties the adapters read. Control discovery finds them on a
// skinned form by class name (or by the Skin3rd list) and gives each its adapter; switching
// skinning off gives every one of them its own look and values back.
//
// Expected pixels come from the skin's own images: each media button shows the Buttons cell of
// its state, the glyph properties hold the skin's check and radio images, the page control's tab
// images the Tabs cells.
#include "SkinActions.h"
#include "SkinnedUiTest.h"
#include "UiTestSupport.h"

#include "Bitmap.h"
#include "Buttons.h"
#include "Form.h"
#include "StringList.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSubClass.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr TColor PlayerColour = 0x00C08040, OldGlyphColour = 0x0000A000;

// A bitmap of one colour: the value a stand-in's image property has before skinning.
void Fill(TBitmap& bitmap, int width, int height, TColor colour) {
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.SetPixelColor(x, y, colour);
}

// Empty when picture shows source's pixels from (left, top) on; else the first difference.
std::string PictureDifference(const TBitmap& picture, const TBitmap& source, int left, int width) {
    if (picture.Width() != width || picture.Height() != source.Height())
        return "size " + std::to_string(picture.Width()) + "x" + std::to_string(picture.Height());
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < width; ++x)
            if (picture.PixelColor(x, y) != source.PixelColor(left + x, y))
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    return std::string();
}

// A media player: its own look is one colour; it records where it was pressed.
class TStandInPlayer : public TCustomControl {
  public:
    using TCustomControl::TCustomControl;
    const char* ClassName() const override { return "TMediaPlayer"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override {
        static const TPropertyInfo props[] = {
            Prop<&TStandInPlayer::VisibleSet, &TStandInPlayer::SetVisibleSet>("VisibleButtons"),
            Prop<&TStandInPlayer::EnabledSet, &TStandInPlayer::SetEnabledSet>("EnabledButtons"),
            Prop<&TStandInPlayer::ColouredSet, &TStandInPlayer::SetColouredSet>("ColoredButtons"),
        };
        if (auto info = FindPropertyIn(props, name))
            return info;
        return TCustomControl::FindProperty(name);
    }
    std::string VisibleSet() const { return visible_; }
    void SetVisibleSet(const std::string& value) { visible_ = value; }
    std::string EnabledSet() const { return enabled_; }
    void SetEnabledSet(const std::string& value) { enabled_ = value; }
    std::string ColouredSet() const { return coloured_; }
    void SetColouredSet(const std::string& value) { coloured_ = value; }
    std::vector<POINT> Presses;
    int Releases = 0;

  protected:
    void Paint() override {
        Canvas().Brush().SetColor(PlayerColour);
        Canvas().FillRect(ClientRect());
    }
    void MouseDown(TMouseButton, TShiftState, int x, int y) override { Presses.push_back({x, y}); }
    void MouseUp(TMouseButton, TShiftState, int, int) override { ++Releases; }

  private:
    std::string visible_ = "[btPlay,btStop,btEject]";
    std::string enabled_ = "[btPlay,btStop]";
    std::string coloured_ = "[btPlay]";
};

// A check box or radio button that draws its own glyphs from "CustomGlyphs".
class TStandInGlyphBox : public TCustomControl {
  public:
    TStandInGlyphBox(TComponent* owner, const char* className)
        : TCustomControl(owner), className_(className) {
        Fill(glyphs_, 3, 3, OldGlyphColour);
    }
    const char* ClassName() const override { return className_; }
    const TPropertyInfo* FindProperty(std::string_view name) const override {
        static const TPropertyInfo props[] = {
            Prop<&TStandInGlyphBox::UseCustom, &TStandInGlyphBox::SetUseCustom>("UseCustomGlyphs"),
            ObjectProp<&TStandInGlyphBox::Glyphs>("CustomGlyphs"),
            Prop<&TStandInGlyphBox::TransparentColour, &TStandInGlyphBox::SetTransparentColour>(
                "TransparentColor"),
        };
        if (auto info = FindPropertyIn(props, name))
            return info;
        return TCustomControl::FindProperty(name);
    }
    bool UseCustom() const { return useCustom_; }
    void SetUseCustom(bool value) { useCustom_ = value; }
    const TBitmap& Glyphs() const { return glyphs_; }
    TColor TransparentColour() const { return transparent_; }
    void SetTransparentColour(TColor value) { transparent_ = value; }

  private:
    const char* className_;
    bool useCustom_ = false;
    TBitmap glyphs_;
    TColor transparent_ = 0x123456;
};

// The other family's check box: its glyph sits in its "Properties".
class TStandInCheckProperties : public TPersistent {
  public:
    TStandInCheckProperties() { Fill(glyph_, 3, 3, OldGlyphColour); }
    const TPropertyInfo* FindProperty(std::string_view name) const override {
        static const TPropertyInfo props[] = {ObjectProp<&TStandInCheckProperties::Glyph>("Glyph")};
        return FindPropertyIn(props, name);
    }
    const TBitmap& Glyph() const { return glyph_; }

  private:
    TBitmap glyph_;
};

class TStandInPropertiesBox : public TCustomControl {
  public:
    using TCustomControl::TCustomControl;
    const char* ClassName() const override { return "TcxCheckBox"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override {
        static const TPropertyInfo props[] = {ObjectProp<&TStandInPropertiesBox::Properties>("Properties")};
        if (auto info = FindPropertyIn(props, name))
            return info;
        return TCustomControl::FindProperty(name);
    }
    const TStandInCheckProperties& Properties() const { return properties_; }

  private:
    TStandInCheckProperties properties_;
};

class TStandInPageControl : public TCustomControl {
  public:
    explicit TStandInPageControl(TComponent* owner) : TCustomControl(owner) {
        Fill(normal_, 2, 2, OldGlyphColour);
        Fill(active_, 2, 2, OldGlyphColour);
    }
    const char* ClassName() const override { return "TAdvPageControl"; }
    const TPropertyInfo* FindProperty(std::string_view name) const override {
        static const TPropertyInfo props[] = {
            ObjectProp<&TStandInPageControl::Normal>("TabBackGround"),
            ObjectProp<&TStandInPageControl::Active>("TabBackGroundActive"),
        };
        if (auto info = FindPropertyIn(props, name))
            return info;
        return TCustomControl::FindProperty(name);
    }
    const TBitmap& Normal() const { return normal_; }
    const TBitmap& Active() const { return active_; }

  private:
    TBitmap normal_;
    TBitmap active_;
};

} // namespace

class SkinForeignTest : public TSkinnedUiTest {
  protected:
    void TearDown() override {
        form_.reset();
        TSkinnedUiTest::TearDown();
    }

    // A skinned form with one stand-in of each kind, skinned by discovery.
    void MakeForm() {
        EXPECT_TRUE(MovePointerTo(0, 0));
        TStringList skin3rd;
        skin3rd.Assign(skin_->Skin3rd());
        skin3rd.Add("TAdvPageControl=advpagecontrol");
        skin_->SetSkin3rd(skin3rd);
        form_.reset(new TForm(&TestApplication()));
        form_->SetBounds(100, 100, 420, 300);
        const auto place = [this](TControl* control, int left, int top, int width, int height) {
            control->SetParent(form_.get());
            control->SetBounds(left, top, width, height);
        };
        player_ = new TStandInPlayer(form_.get());
        place(player_, 10, 10, 180, 30);
        rzCheck_ = new TStandInGlyphBox(form_.get(), "TRzCheckBox");
        place(rzCheck_, 10, 50, 120, 20);
        rzRadio_ = new TStandInGlyphBox(form_.get(), "TRzRadioButton");
        place(rzRadio_, 10, 80, 120, 20);
        cxCheck_ = new TStandInPropertiesBox(form_.get());
        place(cxCheck_, 10, 110, 120, 20);
        // A radio group of the same family hands its buttons the radio image.
        rzGroup_ = new TStandInGlyphBox(form_.get(), "TRzRadioGroup");
        place(rzGroup_, 200, 10, 200, 100);
        groupRadio_ = new TStandInGlyphBox(form_.get(), "TRzRadioButton");
        groupRadio_->SetParent(rzGroup_);
        groupRadio_->SetBounds(10, 20, 120, 20);
        pages_ = new TStandInPageControl(form_.get());
        place(pages_, 200, 120, 200, 100);
        button_ = new TButton(form_.get());
        place(button_, 10, 140, 100, 28);
        form_->Show();
        SetForegroundWindow(form_->Handle());
        ASSERT_TRUE(PumpUntil([&] {
            frame_ = SkinManager()->FindFrame(form_->Handle());
            return frame_ && frame_->FrameState() == fsRunning && SkinActionDone();
        }));
        PumpPending();
    }
    TSkinControl* AdapterOf(const TControl* control) const {
        for (TSkinControl* adapter : frame_->Adapters())
            if (adapter->Control() == control)
                return adapter;
        return nullptr;
    }
    void SwitchOff() {
        skin_->SetActive(false);
        ASSERT_TRUE(PumpUntil(SkinActionDone, 3000));
        PumpPending();
    }

    TOwnedComponent<TForm> form_;
    TWinSkinForm* frame_ = nullptr;
    TStandInPlayer* player_ = nullptr;
    TStandInGlyphBox* rzCheck_ = nullptr;
    TStandInGlyphBox* rzRadio_ = nullptr;
    TStandInPropertiesBox* cxCheck_ = nullptr;
    TStandInGlyphBox* rzGroup_ = nullptr;
    TStandInGlyphBox* groupRadio_ = nullptr;
    TStandInPageControl* pages_ = nullptr;
    TButton* button_ = nullptr;
};

TEST_F(SkinForeignTest, DiscoveryGivesEachForeignControlItsAdapterModeAndTheFramesCanvas) {
    MakeForm();
    ASSERT_NE(frame_, nullptr);
    ASSERT_NE(frame_->AdapterCanvas(), nullptr);
    const struct {
        const char* Name;
        const TControl* Control;
        const char* Adapter;
        int Mode;
        bool SkinColour;
    } cases[] = {
        {"player", player_, "TSkinMP", -1, false},
        {"check box", rzCheck_, "TSkinObjImage", ObjImageCheckMode, true},
        {"radio button", rzRadio_, "TSkinObjImage", ObjImageRadioMode, true},
        {"properties check box", cxCheck_, "TSkinObjImage", ObjImageThirdMode, true},
        {"radio in its group", groupRadio_, "TSkinObjImage", ObjImageRadioMode, true},
        {"radio group", rzGroup_, "TSkinGroupBox", -1, true},
        {"page control", pages_, "TSkinAdvPage", -1, true},
        {"button", button_, "TSkinButton", -1, false},
    };
    for (const auto& c : cases) {
        const TSkinControl* adapter = AdapterOf(c.Control);
        ASSERT_NE(adapter, nullptr) << c.Name;
        EXPECT_STREQ(adapter->ClassName(), c.Adapter) << c.Name;
        EXPECT_EQ(adapter->UseSkinColour(), c.SkinColour) << c.Name;
        EXPECT_EQ(adapter->Canvas(), frame_->AdapterCanvas()) << c.Name;
        if (auto* images = dynamic_cast<const TSkinObjImage*>(adapter)) {
            EXPECT_EQ(images->Mode(), c.Mode) << c.Name;
        }
    }
}

TEST_F(SkinForeignTest, GlyphAndTabImagePropertiesHoldTheSkinsImagesUntilSkinningEnds) {
    MakeForm();
    const TDataSkinButton& buttons = skin_->Buttons();
    const TDataSkinBorder* tabs = skin_->Tabs();
    ASSERT_FALSE(buttons.CheckBitmap.Empty());
    ASSERT_FALSE(buttons.RadioBitmap.Empty());
    ASSERT_TRUE(tabs && !tabs->Bitmap.Empty());
    const int tabCell = tabs->Bitmap.Width() / std::max(tabs->Frame, 1);
    const struct {
        const char* Name;
        const TBitmap& Image;
        const TBitmap& Source;
        int Left, Width;
        int OldSide; // the square the property held before
    } cases[] = {
        {"check box", rzCheck_->Glyphs(), buttons.CheckBitmap, 0, buttons.CheckBitmap.Width(), 3},
        {"radio button", rzRadio_->Glyphs(), buttons.RadioBitmap, 0, buttons.RadioBitmap.Width(), 3},
        {"radio in its group", groupRadio_->Glyphs(), buttons.RadioBitmap, 0, buttons.RadioBitmap.Width(), 3},
        {"properties glyph", cxCheck_->Properties().Glyph(), buttons.CheckBitmap, 0,
         buttons.CheckBitmap.Width(), 3},
        {"tab", pages_->Normal(), tabs->Bitmap, 0, tabCell, 2},
        {"selected tab", pages_->Active(), tabs->Bitmap, tabCell, tabCell, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PictureDifference(c.Image, c.Source, c.Left, c.Width), "") << c.Name;
    EXPECT_TRUE(rzCheck_->UseCustom());
    EXPECT_EQ(rzRadio_->TransparentColour(), 0xFF00FF);
    EXPECT_TRUE(rzCheck_->Glyphs().Transparent());

    // Another skin's images replace the first's; switching off still gives back the originals.
    skin_->LoadFromStore(*store_, 3);
    ASSERT_TRUE(PumpUntil(SkinActionDone, 3000));
    PumpPending();
    const TBitmap& check = skin_->Buttons().CheckBitmap;
    const TDataSkinBorder* newTabs = skin_->Tabs();
    ASSERT_TRUE(newTabs && !newTabs->Bitmap.Empty());
    EXPECT_EQ(PictureDifference(rzCheck_->Glyphs(), check, 0, check.Width()), "");
    EXPECT_EQ(PictureDifference(pages_->Normal(), newTabs->Bitmap, 0,
                                newTabs->Bitmap.Width() / std::max(newTabs->Frame, 1)),
              "");

    SwitchOff();
    for (const auto& c : cases) {
        EXPECT_EQ(c.Image.Width(), c.OldSide) << c.Name;
        EXPECT_EQ(c.Image.Height(), c.OldSide) << c.Name;
        EXPECT_EQ(c.Image.PixelColor(1, 1), OldGlyphColour) << c.Name;
    }
    EXPECT_FALSE(rzCheck_->UseCustom());
    EXPECT_EQ(rzRadio_->TransparentColour(), 0x123456);
}

TEST_F(SkinForeignTest, PlayerStripShowsTheButtonCellsAndHandsClicksToThePlayer) {
    MakeForm();
    auto* adapter = dynamic_cast<TSkinMP*>(AdapterOf(player_));
    ASSERT_NE(adapter, nullptr);
    ASSERT_NE(adapter->Strip(), nullptr);
    HWND strip = adapter->Strip()->Handle();
    ASSERT_TRUE(IsWindow(strip));
    RECT r{};
    GetClientRect(strip, &r);
    ASSERT_EQ(r.right, 180);
    ASSERT_EQ(r.bottom, player_->ClientRect().bottom);
    // Play, Stop and Eject share the strip; Eject is not enabled.
    const int w = r.right, h = r.bottom;
    TBitmap expected(w, h);
    FillButtonFace(expected.MemoryDC(), r, *skin_);
    const int cells[] = {1, 1, 3};
    for (int i = 0; i < 3; ++i) {
        const RECT place{w * i / 3, 0, w * (i + 1) / 3, h};
        DrawElementCell(expected.MemoryDC(), place, skin_->Buttons(), cells[i]);
    }
    GdiFlush();
    auto shot = CaptureClient(strip);
    int mismatches = 0;
    for (int i = 0; i < 3; ++i)
        for (int y = 0; y < h; ++y)
            for (int x = w * i / 3; x < w * (i + 1) / 3; ++x) {
                const bool ring = x < w * i / 3 + 2 || x >= w * (i + 1) / 3 - 2 || y < 2 || y >= h - 2;
                mismatches += ring && shot->PixelColor(x, y) != expected.PixelColor(x, y);
            }
    EXPECT_EQ(mismatches, 0);

    // A click on Stop reaches the player inside its Stop button; one on Eject does not.
    PostLeftClick(strip, 90, h / 2);
    PumpPending();
    ASSERT_EQ(player_->Presses.size(), 1u);
    EXPECT_GE(player_->Presses[0].x, 60);
    EXPECT_LT(player_->Presses[0].x, 120);
    EXPECT_EQ(player_->Releases, 1);
    PostLeftClick(strip, 150, h / 2);
    PumpPending();
    EXPECT_EQ(player_->Presses.size(), 1u);

    SwitchOff();
    EXPECT_FALSE(IsWindow(strip));
    player_->Invalidate();
    PumpPending();
    EXPECT_EQ(CaptureClient(player_->Handle())->PixelColor(90, h / 2), PlayerColour);
}
