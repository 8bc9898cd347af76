#include "MapSkinSource.h"
#include "WinSkinData.h"

#include "BmpCodec.h"
#include "ImgUtil.h"
#include "SkinArchive.h"
#include "SkinInfo.h"
#include "SkinRead.h"
#include "Streams.h"
#include "WinSkinStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr TColor kMagenta = 0xFF00FF;

// A 24-bit BMP file whose pixel (x, y) is colour(x, y).
Bytes Bmp(int width, int height, const std::function<TColor(int, int)>& colour) {
    TBmpImage image;
    image.Width = width;
    image.Height = height;
    image.BitCount = 24;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto c = static_cast<std::uint32_t>(colour(x, y));
            image.Pixels.push_back(0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
        }
    }
    return EncodeBmp24(image);
}

Bytes Solid(int width, int height, TColor colour) {
    return Bmp(width, height, [colour](int, int) { return colour; });
}

class SkinLoader : public ::testing::Test {
  protected:
    void Load(const std::string& description) {
        TQuickIni ini;
        ini.LoadFromText(description);
        skin->LoadElements(ini, images);
    }

    TMapSource images;
    TOwnedComponent<TSkinData> skin = MakeComponent<TSkinData>(nullptr);
};

TEST_F(SkinLoader, FrameBordersTakeTheirSideKeysAndDefaults) {
    images.entries["frameleft.bmp"] = Solid(4, 30, 0x112233);
    images.entries["frametop.bmp"] =
        Bmp(60, 40, [](int x, int y) { return x == 20 && y == 6 ? TColor(0x0000FF) : TColor(0x00FF00); });
    Load("[Personality]\nLeft=Skins\\FrameLeft.bmp\nLeftTopHeight=0x10\nLeftBotHeight=$8\nLeftStretch=5\n"
         "Top=frametop.bmp\nTopTopHeight=12\nTopBotHeight=20\nTopFrame=2\nTopTrans=0\nTopStretch=0\n"
         "Right=frameleft.BMP\n");
    const TDataSkinBorder& left = skin->FrameLeft();
    EXPECT_EQ(left.Name, "Left");
    EXPECT_EQ(left.Bitmap.Width(), 4);
    EXPECT_EQ((std::vector<int>{left.LeftWidth, left.TopHeight, left.RightWidth, left.BottomHeight}),
              (std::vector<int>{0, 16, 0, 8}));
    EXPECT_EQ((std::vector<int>{left.Frame, left.Tile, left.Trans}), (std::vector<int>{1, 1, 1}));
    const TDataSkinBorder& top = skin->FrameTop();
    EXPECT_EQ((std::vector<int>{top.LeftWidth, top.TopHeight, top.RightWidth, top.BottomHeight}),
              (std::vector<int>{12, 0, 20, 0}));
    EXPECT_EQ((std::vector<int>{top.Frame, top.Tile, top.Trans}), (std::vector<int>{2, 0, 0}));
    EXPECT_TRUE(skin->FrameRight().Bitmap.Empty()); // ".BMP" is not ".bmp"
    EXPECT_TRUE(skin->FrameBottom().Bitmap.Empty());
    // The caption colour is the top image's pixel at (width / 3, cell height / 3).
    EXPECT_EQ(skin->Colour(scCaption), 0x0000FF);
    EXPECT_EQ(skin->CaptionColour(), 0x0000FF);
    EXPECT_TRUE(skin->SkinReady());
}

TEST_F(SkinLoader, ImageValuesNameArchiveEntriesByFileNameAndExactExtension) {
    images.entries["gripper.bmp"] = Solid(5, 3, 0x010203);
    images.entries["damaged.bmp"] = Bytes{'B', 'M', 1, 2, 3};
    Bytes huge = Solid(2, 2, 0);
    huge[18] = 0x88; // width 5000 ...
    huge[19] = 0x13;
    huge[22] = 0x88; // ... and height 5000, announced by a file holding four pixels
    huge[23] = 0x13;
    images.entries["corrupt.bmp"] = huge;
    images.entries["huge.bmp"] = Solid(TSkinData::MaxImageSide + 1, 1, 0); // valid, but too wide
    Load("[GroupBoxEdge]\nImage=Skins\\Gripper.bmp\n[StatusBarEdges]\nImage=c:gripper.bmp\n"
         "[ToolBars]\nImage=gripper.BMP\n[SunkEdge]\nImage=gripper\n[ExtraImages]\nImage=damaged.bmp\n"
         "[Scrollbar]\nImage=corrupt.bmp\n"
         "[Headerbar]\nImage=huge.bmp\n[MenuItem]\nImage=missing.bmp\n[MenuBackground]\nImage=skins\\\n");
    EXPECT_EQ(skin->Slot(ssGroupBoxEdge)->Bitmap.Width(), 5);
    EXPECT_EQ(skin->Slot(ssStatusBarEdges)->Bitmap.Width(), 5);
    // Every other value names no usable image, but the element exists all the same.
    for (TSkinSlot slot :
         {ssToolBars, ssSunkEdge, ssExtraImages, ssScrollbar, ssHeaderbar, ssMenuItem, ssMenuBackground}) {
        ASSERT_NE(skin->Slot(slot), nullptr) << SkinSlotName(slot);
        EXPECT_TRUE(skin->Slot(slot)->Bitmap.Empty()) << SkinSlotName(slot);
    }
    EXPECT_EQ(skin->Slot(ssHorzScroll), nullptr); // no Image= at all
}

TEST_F(SkinLoader, ColoursExtraColoursAndCustomColours) {
    Load("[Colours]\nButtonFace=212 208 200\nButtonText=1 2 3\nHilight=\n"
         "[Colour0]\ncolor=1 2 3\n[COLOUR1]\nx=1\n[Colours2]\ncolor=9 9 9\n[Customcolors]\nColor3=9 9 9\n");
    EXPECT_EQ(skin->Colour(scButtonFace), 0xC8D0D4);
    EXPECT_TRUE(skin->ColourSet(scButtonFace));
    EXPECT_EQ(skin->Colour(scMenuBar), 0xC8D0D4); // falls back to the ButtonFace just read
    EXPECT_FALSE(skin->ColourSet(scMenuBar));
    EXPECT_EQ(skin->Colour(scWindowText), clWindowText);
    EXPECT_EQ(skin->Colour(scButtonLight), clBtnHighlight);
    EXPECT_EQ(skin->Colour(scHilight), clHighlight);
    EXPECT_FALSE(skin->ColourSet(scHilight));
    EXPECT_EQ(skin->ExtraColours(), (std::vector<TColor>{0x030201, clWindowText, 0x090909}));
    EXPECT_EQ(skin->CustomColours()[3], 0x090909);
    EXPECT_EQ(skin->CustomColours()[0], clWhite);
    EXPECT_NE(skin->ButtonFaceBrush(), nullptr);
}

TEST_F(SkinLoader, CaptionButtonsAreFilteredSharePositionsAndCountTheirCells) {
    images.entries["close.bmp"] = Solid(57, 19, 0x0000FF);
    images.entries["max.bmp"] = Solid(114, 19, 0x00FF00);
    images.entries["mdi.bmp"] = Bmp(48, 10, [](int x, int) { return TColor(x / 4); });
    Load("[Buttons]\nAction=0\n[Button.Radio]\n[BUTTON]\n[ButtonClose]\nAction=0\nButtonImage=close.bmp\n"
         "[ButtonMax]\nAction=1\nVisibility=2\nXcoord=40\nYcoord=5\nButtonImage=max.bmp\n"
         "[ButtonHelp]\nAction=4\nXcoord=99\n[ButtonDropped]\nAction=-1\n"
         "[ButtonKept]\nAction=-1\nVisibility=0\n[ButtonIcon]\nAction=3\nButtonImage=close.bmp\n"
         "[ButtonIcon2]\nAction=11\nframe=1\nButtonImage=close.bmp\n[MDICONTROLS]\nImage=mdi.bmp\n");
    const auto& buttons = skin->SysButtons();
    ASSERT_EQ(buttons.size(), 9u);
    EXPECT_EQ(buttons[0]->Name, "BUTTONCLOSE");
    EXPECT_EQ(buttons[0]->Frame, 3); // 57 x 19: ratio 3.0
    EXPECT_EQ(buttons[0]->CombineOp, -1);
    EXPECT_EQ(buttons[1]->Frame, 6); // 114 x 19: ratio 6.0
    EXPECT_EQ((std::pair{buttons[2]->XCoord, buttons[2]->YCoord}), (std::pair{40, 5}));
    EXPECT_EQ(buttons[3]->Name, "BUTTONKEPT");
    EXPECT_EQ(buttons[3]->Visibility1, -1);
    EXPECT_EQ(buttons[3]->Frame, 6);
    EXPECT_TRUE(buttons[4]->Bitmap.Empty()); // an icon button without a cell count draws the icon
    EXPECT_EQ(buttons[5]->Bitmap.Width(), 57);
    for (int i = 0; i < 3; ++i) {
        const TDataSkinSysButton& mdi = *buttons[static_cast<size_t>(6 + i)];
        EXPECT_EQ(mdi.Action, 7 + i);
        EXPECT_EQ((std::vector<int>{mdi.Align, mdi.Visibility, mdi.Visibility1, mdi.Frame}),
                  (std::vector<int>{100, 100, 100, 4}));
        EXPECT_EQ(mdi.Bitmap.Width(), 16);
        EXPECT_EQ(mdi.Bitmap.Height(), 10);
        EXPECT_EQ(mdi.Bitmap.PixelColor(0, 0), 4 * i);
        EXPECT_EQ(mdi.Bitmap.PixelColor(15, 9), 4 * i + 3);
        EXPECT_EQ(mdi.XCoord, 8 * (3 - i));
    }
}

TEST_F(SkinLoader, CaptionButtonSectionsAreCapped) {
    std::string description;
    for (int i = 0; i < 1000; ++i)
        description += "[Button" + std::to_string(i) + "]\nAction=" + std::to_string(i) + "\n";
    Load(description);
    EXPECT_EQ(skin->SysButtons().size(), static_cast<size_t>(TSkinData::MaxCaptionButtons + 3));
}

TEST_F(SkinLoader, ButtonsAndTitle) {
    images.entries["buttons.bmp"] = Solid(80, 21, 0x808080);
    images.entries["check.bmp"] = Solid(104, 13, 0);
    images.entries["radio.bmp"] = Solid(32, 16, 0);
    Load("[Colours]\nButtonText=1 1 1\n[Buttons]\nLeftWidth=4\nTile=2\nBitmap=buttons.bmp\n"
         "CheckButton=check.bmp\nRadioButton=radio.bmp\nNormalColour=0x0000FF\nNormalColour2=10 20 30\n"
         "MouseOverColour2=\n[Personality]\nTextShift=5\nTextShiftVert=3\nTextRightClip=7\nTextAlignment=1\n"
         "TXTBackleft=2\nTXTBackRight=4\nActiveTextR=255\nActiveTextG=255\n"
         "InActiveTextR=1\nInActiveTextG=2\nInActiveTextB=3\n");
    const TDataSkinButton& buttons = skin->Buttons();
    EXPECT_EQ(buttons.LeftWidth, 4);
    EXPECT_EQ(buttons.Tile, 0);
    EXPECT_EQ(buttons.Frame, 5);
    EXPECT_EQ(buttons.NormalColour, 0xFF);
    EXPECT_EQ(buttons.PressedColour, -1);
    EXPECT_EQ(buttons.CheckFrame, 8); // 104 pixels of 13-pixel cells
    EXPECT_EQ(buttons.RadioFrame, 4); // two 16-pixel cells, raised to the minimum
    EXPECT_TRUE(buttons.HasNormalColour2);
    EXPECT_FALSE(buttons.HasMouseOverColour2);
    EXPECT_EQ(buttons.NormalColour2, 0x1E140A);
    EXPECT_EQ(buttons.MouseOverColour2, 0x010101); // the skin's ButtonText

    const TDataSkinTitle& title = skin->Title();
    EXPECT_EQ((std::vector<int>{title.TextShift(), title.TextShiftVert(), title.TextRightClip(),
                                title.BottomHeight}),
              (std::vector<int>{5, 3, 7, 0}));
    EXPECT_EQ(
        (std::vector<int>{title.TextAlignment, title.TextBackLeft, title.TextBackRight, title.FontHeight}),
        (std::vector<int>{1, 2, 4, 14}));
    EXPECT_EQ(title.Frame, 2);
    EXPECT_EQ(title.ActiveTextColour, clNone); // blue is missing
    EXPECT_EQ(title.InactiveTextColour, 0x030201);
}

TEST_F(SkinLoader, SlotsReadTheirSectionsAndGetFixedCellCounts) {
    for (const char* name : {"a.bmp", "b.bmp"})
        images.entries[name] = Solid(46, 10, 0x404040);
    Load("[Progress]\nBitmap=a.bmp\nTile=3\nFrame=9\n[Progress.Chunk]\nStyle=1\n"
         "[Personality]\nmenuBar=a.bmp\nTileMenu=4\n"
         "[GroupBox]\nImage=a.bmp\nFrame=9\nBackgroundAlignment=2\n[Tabs]\nImage=a.bmp\nBorder=b.bmp\n"
         "[Tab.Pane]\nImage=a.bmp\nTopHeight=9\nLeftWidth=2\n[Headerbar]\nImage=a.bmp\nFrame=3\n"
         "[Scrollbar]\nImage=a.bmp\nTile=2\nNormalColour2=5 5 5\n"
         "[HorzScrollThumb]\nImage=a.bmp\nFrameCount=4\n[VertScrollThumb]\nImage=a.bmp\n"
         "[UpDown.Vert]\nImage=a.bmp\nGlyphImage=b.bmp\n[TRACKVERT]\nImage=a.bmp\nFrame=-3\n"
         "[Trackbar.ThumbUp]\nImage=a.bmp\n");
    // Fixed counts overwrite what the description says; a count below 1 counts as one cell.
    const std::pair<TSkinSlot, int> frames[] = {
        {ssProgress, 2},   {ssMenuBar, 2},      {ssGroupBox, 1},        {ssTabs, 5},
        {ssHeaderbar, 3},  {ssScrollbar, 23},   {ssHorzScrollThumb, 4}, {ssVertScrollThumb, 3},
        {ssUpDownVert, 8}, {ssTrackThumbUp, 5}, {ssTrackVert, 1}};
    for (auto [slot, frame] : frames) {
        ASSERT_NE(skin->Slot(slot), nullptr) << SkinSlotName(slot);
        EXPECT_EQ(skin->Slot(slot)->Frame, frame) << SkinSlotName(slot);
    }
    EXPECT_EQ(skin->Slot(ssProgressChunk), nullptr);
    EXPECT_EQ(skin->Progress()->Tile, 1);
    const TDataSkinObject* menuBar = skin->Slot(ssMenuBar);
    EXPECT_EQ(menuBar->Name, "Personality");
    EXPECT_EQ((std::vector<int>{menuBar->Tile, menuBar->LeftWidth, menuBar->RightWidth}),
              (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(skin->GroupBox()->BackgroundAlignment, 2);
    EXPECT_EQ(skin->Tabs()->Bitmap2.Width(), 46);
    EXPECT_EQ(skin->UpDownVert()->Bitmap2.Width(), 46);
    EXPECT_EQ((std::pair{skin->Slot(ssTabPane)->TopHeight, skin->Slot(ssTabPane)->LeftWidth}),
              (std::pair{4, 2}));
    EXPECT_EQ(skin->Slot(ssScrollbar)->Tile, 0);
    EXPECT_EQ(skin->Slot(ssScrollbar)->NormalColour2, 0x050505);
    EXPECT_EQ(skin->Slot(ssScrollbar)->PressedColour2, clBtnText);
    EXPECT_FALSE(skin->IsBuiltIn(ssTrackVert));

    // Without its own [Track] the skin gets the program's channel image.
    const TDataSkinObject* track = skin->Slot(ssTrack);
    ASSERT_NE(track, nullptr);
    EXPECT_TRUE(skin->IsBuiltIn(ssTrack));
    EXPECT_EQ(track->Name, "TRACK");
    EXPECT_EQ((std::vector<int>{track->LeftWidth, track->TopHeight, track->RightWidth, track->BottomHeight,
                                track->Tile, track->Frame, track->Bitmap.Width(), track->Bitmap.Height()}),
              (std::vector<int>{3, 3, 3, 3, 0, 1, 16, 8}));

    // A reload empties what the new description lacks.
    Load("[Headerbar]\nImage=a.bmp\n");
    EXPECT_EQ(skin->Progress(), nullptr);
    EXPECT_EQ(skin->Slot(ssScrollbar), nullptr);
    EXPECT_EQ(skin->Slot(ssHeaderbar)->Frame, 5);
    EXPECT_TRUE(skin->IsBuiltIn(ssTrackVert));
}

class ComboSkin : public SkinLoader {
  protected:
    static constexpr TColor kSunk[4] = {0x000010, 0x000020, 0x000030, 0x000040};
    static constexpr TColor kButton[4] = {0x001000, 0x002000, 0x003000, 0x004000};
    // Light: it stands out from the dark buttons and is drawn as it is.
    static constexpr TColor kArrow = 0xF0E0D0;

    void SetUp() override {
        images.entries["sunk.bmp"] = Bmp(40, 21, [](int x, int) { return kSunk[x / 10]; });
        images.entries["button.bmp"] =
            Bmp(68, 21, [](int x, int y) { return x % 17 == 0 && y == 0 ? kMagenta : kButton[x / 17]; });
        images.entries["arrow.bmp"] = Bmp(35, 4, [](int, int) { return kArrow; });
        button = GetSystemMetrics(SM_CXHSCROLL) + 2;
    }
    int button = 0;
};

TEST_F(ComboSkin, ComboFramesComposeEdgeButtonAndArrowPerState) {
    Load("[SunkEdge]\nImage=sunk.bmp\nTopHeight=3\nBottomHeight=2\n[ComboButton]\nImage=button.bmp\n"
         "[ExtraImages]\nImage=arrow.bmp\n");
    const TDataSkinBorder* combo = skin->ComboButton();
    const TDataSkinObject* sunk = skin->Slot(ssSunkEdge);
    ASSERT_EQ(combo->Bitmap.Width(), 200);
    EXPECT_EQ(combo->Bitmap.Height(), 21);
    EXPECT_EQ(combo->Style, 2);
    EXPECT_EQ((std::vector<int>{combo->LeftWidth, combo->TopHeight, combo->RightWidth, combo->BottomHeight}),
              (std::vector<int>{2, 3, button + 2, 2}));
    EXPECT_EQ((std::vector<int>{sunk->LeftWidth, sunk->RightWidth}), (std::vector<int>{button + 2, 2}));
    for (int cell = 0; cell < 4; ++cell) {
        const int x = 50 * cell;
        EXPECT_EQ(combo->Bitmap.PixelColor(x, 0), kSunk[cell]);         // the edge
        EXPECT_EQ(combo->Bitmap.PixelColor(x + 10, 10), kMagenta);      // the text area
        EXPECT_EQ(combo->Bitmap.PixelColor(x + 49, 20), kButton[cell]); // the button
        EXPECT_EQ(combo->Bitmap.PixelColor(x + 50 - button + (button - 7) / 2 + 3, 9), kArrow);
        // The left-button strip is each cell mirrored in place.
        EXPECT_EQ(sunk->Bitmap.PixelColor(x + 49, 0), kSunk[cell]);
        EXPECT_EQ(sunk->Bitmap.PixelColor(x, 20), kButton[cell]);
    }
    // The picker's arrow cells are 17 x 17 squares cut from the button area.
    const TDataSkinObject* arrow = skin->Slot(ssComboArrow);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(arrow->Name, "ComboxArrow");
    EXPECT_EQ((std::vector<int>{arrow->Bitmap.Width(), arrow->Bitmap.Height(), arrow->Frame}),
              (std::vector<int>{68, 17, 4}));
    EXPECT_EQ(arrow->Bitmap.PixelColor(16, 0), kButton[0]);
    EXPECT_EQ(arrow->Bitmap.PixelColor(17 * 3 + 16, 16), kButton[3]);
}

TEST_F(ComboSkin, AnArrowThatWouldNotStandOutFromItsButtonIsDrawnInWhiteOrBlack) {
    // A dark arrow on the dark buttons: white. A light one on a light pressed button: black.
    images.entries["arrow.bmp"] = Bmp(35, 4, [](int x, int) { return x / 7 == 1 ? 0xE0E0E0 : 0x100000; });
    images.entries["button.bmp"] =
        Bmp(68, 21, [](int x, int) { return x / 17 == 1 ? 0xF0F0F0 : kButton[x / 17]; });
    Load("[SunkEdge]\nImage=sunk.bmp\n[ComboButton]\nImage=button.bmp\n[ExtraImages]\nImage=arrow.bmp\n");
    const TDataSkinBorder* combo = skin->ComboButton();
    ASSERT_EQ(combo->Bitmap.Width(), 200);
    for (int cell = 0; cell < 4; ++cell)
        EXPECT_EQ(combo->Bitmap.PixelColor(50 * cell + 50 - button + (button - 7) / 2 + 3, 9),
                  cell == 1 ? clBlack : clWhite)
            << cell;
}

TEST_F(ComboSkin, WithoutSunkenEdgeTheArrowIsTheButtonOnButtonFace) {
    Load("[Colours]\nButtonFace=1 2 3\n[ComboButton]\nImage=button.bmp\n");
    const TDataSkinBorder* combo = skin->ComboButton();
    EXPECT_EQ(combo->Style, 0);
    // The second image mirrors each of the four cells in place.
    EXPECT_EQ(combo->Bitmap2.PixelColor(16, 0), kMagenta);
    EXPECT_EQ(combo->Bitmap2.PixelColor(16 + 17, 0), kMagenta);
    EXPECT_EQ(combo->Bitmap2.PixelColor(0, 0), kButton[0]);
    const TDataSkinObject* arrow = skin->Slot(ssComboArrow);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(arrow->Frame, 4);
    EXPECT_EQ(arrow->Bitmap.PixelColor(17, 0), 0x030201);
    EXPECT_EQ(arrow->Bitmap.PixelColor(18, 0), kButton[1]);

    // A later skin with a sunken edge but no combo button shows no arrow from this one.
    Load("[SunkEdge]\nImage=sunk.bmp\n");
    EXPECT_EQ(skin->ComboButton(), nullptr);
    EXPECT_EQ(skin->Slot(ssSunkEdge)->Bitmap.Width(), 40); // no combo frames either
    ASSERT_NE(skin->Slot(ssComboArrow), nullptr);
    EXPECT_TRUE(skin->Slot(ssComboArrow)->Bitmap.Empty());
}

TEST_F(SkinLoader, ToolbarGradientFollowsTheCaptionColour) {
    Load("[Colours]\nButtonFace=200 200 200\n");
    const TDataSkinObject* toolbar = skin->Slot(ssToolbar);
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ((std::vector<int>{toolbar->Bitmap.Width(), toolbar->Bitmap.Height(), toolbar->Frame}),
              (std::vector<int>{10, 40, 1}));
    EXPECT_EQ(toolbar->Bitmap.PixelColor(0, 0), 0xF7F7F7); // 15 % face, 85 % white
    // Towards 15 % grey and 85 % caption (= face), 0xBDBDBD; a falling ramp stops one short.
    EXPECT_EQ(toolbar->Bitmap.PixelColor(9, 39), 0xBEBEBE);

    // A saturated caption: the bottom is the caption lightened, by 45 % at saturation 255.
    images.entries["top.bmp"] = Solid(30, 30, 0x0000FF);
    Load("[Colours]\nButtonFace=200 200 200\n[Personality]\nTop=top.bmp\n");
    EXPECT_EQ(skin->Slot(ssToolbar), toolbar);              // kept, redrawn
    EXPECT_EQ(toolbar->Bitmap.PixelColor(0, 39), 0x8D8DFF); // towards 0x8C8CFF
}

TEST_F(SkinLoader, DescriptionOfTheLoadedSkin) {
    images.entries["buttons.bmp"] = Solid(80, 21, 0);
    Load("[TitlebarSkin]\nSkinName=Test\n[Personality]\nTopFrame=2\n[Colours]\nButtonFace=212 208 200\n"
         "[Button0]\nAction=0\n[Buttons]\nLeftWidth=4\nBitmap=buttons.bmp\n");
    const std::vector<std::string> lines = DescribeSkin(*skin);
    auto at = [&lines](const std::string& line) {
        auto found = std::find(lines.begin(), lines.end(), line);
        EXPECT_NE(found, lines.end()) << line;
        return found - lines.begin();
    };
    EXPECT_EQ(at("SkinName = Test"), 0);
    const std::vector<long long> order = {
        at("FrameTop.Frame = 2"),          at("Colours[0] = 0xFF000008 default"),
        at("Colours[3] = 0x00C8D0D4 set"), at("SysButtons[0].Action = 0"),
        at("SysButtons[3].Action = 9"),    at("Buttons.LeftWidth = 4"),
        at("Buttons.Bitmap = 80x21"),      at("Title.FontHeight = 14"),
        at("ProgressChunk = absent"),      at("Track = builtin"),
        at("Toolbar.Bitmap = 10x40")};
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    std::set<std::string> unique(lines.begin(), lines.end());
    EXPECT_EQ(unique.size(), lines.size()); // every line names one value once
}

TEST(SkinData, UnpacksAPackedSkinThroughTheArchive) {
    const std::string description = "[Personality]\nTop=Skins\\FrameTop.bmp\n[Buttons]\nBitmap=buttons.bmp\n";
    Bytes packed = PackSkinArchive({{"FrameTop.bmp", Solid(9, 6, 0x00FF00)},
                                    {"buttons.bmp", Solid(10, 4, 0)},
                                    {"skin.ini", Bytes(description.begin(), description.end())}});
    auto skin = MakeComponent<TSkinData>(nullptr);
    EXPECT_FALSE(skin->SkinReady());
    skin->PackedSkin().WriteBuffer(packed.data(), packed.size());
    ASSERT_TRUE(skin->UnpackSkin());
    EXPECT_TRUE(skin->SkinReady());
    EXPECT_EQ(skin->FrameTop().Bitmap.Width(), 9);
    EXPECT_EQ(skin->Buttons().Bitmap.Width(), 10);
    EXPECT_EQ(skin->Colour(scCaption), 0x00FF00);
}

// Every skin built into the program, as the store carries it.
TEST(BuiltInSkins, LoadWithEveryElementTheyAreMadeFor) {
    auto store = MakeComponent<TSkinStore>(nullptr);
    const int count = LoadSkinStoreResources(*store, GetModuleHandleA(nullptr));
    for (int index = 0; index < count; ++index) {
        TSkinCollectionItem& item = *store->Store().Items(index);
        SCOPED_TRACE(item.Name());
        // Read without the component's message box, which a failing skin would leave waiting.
        TSkinReader reader;
        std::string error;
        ASSERT_TRUE(reader.ReadArchive(item.DataStream(), error)) << error;
        TMemoryStream description;
        std::string entryName;
        ASSERT_TRUE(reader.ExtractFileContaining(".ini", description, entryName));
        TQuickIni ini;
        ini.LoadFromStream(description);
        auto skin = MakeComponent<TSkinData>(nullptr);
        skin->LoadElements(ini, reader);
        for (const TDataSkinBorder* frame :
             {&skin->FrameLeft(), &skin->FrameRight(), &skin->FrameTop(), &skin->FrameBottom()})
            EXPECT_FALSE(frame->Bitmap.Empty()) << frame->Name;
        EXPECT_FALSE(skin->Title().TextBack().Empty());
        EXPECT_FALSE(skin->Buttons().Bitmap.Empty());
        EXPECT_FALSE(skin->Buttons().CheckBitmap.Empty());
        EXPECT_FALSE(skin->Buttons().RadioBitmap.Empty());
        std::set<int> actions;
        for (const auto& button : skin->SysButtons()) {
            if (!button->Bitmap.Empty())
                actions.insert(button->Action);
        }
        for (int action : {0, 1, 2, 4, 7, 8, 9})
            EXPECT_TRUE(actions.count(action)) << "caption button action " << action;
        EXPECT_TRUE(actions.count(3) || actions.count(11)) << "icon button";
        for (int i = 0; i < scColourCount; ++i) {
            if (i != scWindow && i != scGrayText && i != scCaption) {
                EXPECT_TRUE(skin->ColourSet(static_cast<TSkinColourIndex>(i))) << "colour " << i;
            }
        }
        for (int slot = 0; slot < ssSlotCount; ++slot) {
            const auto which = static_cast<TSkinSlot>(slot);
            if (which == ssHeaderbar || which == ssTrackThumbLeft || which == ssTrackThumbRight ||
                which == ssTrackThumbUp || which == ssTrackThumbDown)
                continue;
            const TDataSkinObject* element = skin->Slot(which);
            ASSERT_NE(element, nullptr) << SkinSlotName(which);
            EXPECT_FALSE(element->Bitmap.Empty()) << SkinSlotName(which);
            EXPECT_FALSE(skin->IsBuiltIn(which)) << SkinSlotName(which);
        }
        EXPECT_FALSE(skin->Tabs()->Bitmap2.Empty());
        EXPECT_FALSE(skin->UpDownHorz()->Bitmap2.Empty());
        EXPECT_FALSE(skin->UpDownVert()->Bitmap2.Empty());
    }
    // The build packs every skin of skins/ into the program; none loading is a fault, not a skip.
    EXPECT_EQ(count, PP_PACKED_SKIN_COUNT);
    EXPECT_EQ(count, 8);
}

} // namespace
