// The skinned combo box, edit and date-time picker on real windows of a skinned test form: the
// combo box's border and button in each state, in three skins, from the skin's own images; its
// list dropped down and a line chosen by mouse and keyboard; the edit's rings; the picker's
// arrow opening the calendar; giving back the native look; and object counts over many rounds.
//
// With the built-in skins the combo box is one composed element (Style 2): the whole window is a
// nine-slice cell whose right margin is the button, so the button's top and bottom rows and the
// border's corners are copied 1:1 from the composed image, and the shot must show exactly those
// pixels there (magenta shows the control's own drawing).
#include "GuiObjects.h"
#include "MapSkinSource.h"
#include "SkinActions.h"
#include "SkinnedUiTest.h"
#include "UiTestSupport.h"

#include "BmpCodec.h"
#include "Buttons.h"
#include "ComCtrls.h"
#include "Edit.h"
#include "Form.h"
#include "ImgUtil.h"
#include "ListControls.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSkinIni.h"
#include "WinSkinStore.h"
#include "WinSubClass.h"
#include "WinSubClassCombo.h"
#include "WinSubClassComboGeometry.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <map>
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

// Empty when the shot of a combo box (window coordinates) shows cell `cell` of the composed
// combo element where it is copied 1:1: the corners, and the button's margin columns over the
// rows the nine-slice does not stretch.
std::string ComboCellDifference(const TBitmap& shot, const TDataSkinObject& element, int cell) {
    const int cells = element.Frame < 1 ? 1 : element.Frame;
    const int cellW = element.Bitmap.Width() / cells, cellH = element.Bitmap.Height();
    const int w = shot.Width(), h = shot.Height();
    if (cellW <= 0 || w < element.LeftWidth + element.RightWidth ||
        h < element.TopHeight + element.BottomHeight)
        return "window too small for the cell";
    int compared = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool leftCol = x < element.LeftWidth, rightCol = x >= w - element.RightWidth;
            const bool topRow = y < element.TopHeight, bottomRow = y >= h - element.BottomHeight;
            if (!(leftCol || rightCol) || !(topRow || bottomRow || h == cellH))
                continue;
            const int sx = leftCol ? x : cellW - (w - x);
            const int sy = topRow || h == cellH ? y : cellH - (h - y);
            const TColor want = element.Bitmap.PixelColor(cellW * (cell - 1) + sx, sy);
            if (want == Magenta)
                continue;
            ++compared;
            if (shot.PixelColor(x, y) != want)
                return "cell " + std::to_string(cell) + " at (" + std::to_string(x) + ", " +
                       std::to_string(y) + "): " + Hex(shot.PixelColor(x, y)) + " instead of " + Hex(want);
        }
    return compared > 20 ? std::string() : "too few pixels compared";
}

// The composed image's cells must differ where they are compared, or the checks mean nothing.
bool CellsDiffer(const TDataSkinObject& element, int a, int b) {
    const int cells = element.Frame < 1 ? 1 : element.Frame;
    const int cellW = element.Bitmap.Width() / cells;
    for (int y = 0; y < element.Bitmap.Height(); ++y)
        for (int x = cellW - element.RightWidth; x < cellW; ++x)
            if (element.Bitmap.PixelColor(cellW * (a - 1) + x, y) !=
                element.Bitmap.PixelColor(cellW * (b - 1) + x, y))
                return true;
    return false;
}

TColor Rgb(TColor c) {
    return static_cast<TColor>(ColorToRGB(c));
}

struct TChangeCounter {
    int Changes = 0;
    void Change(TObject*) { ++Changes; }
};

LRESULT CALLBACK PlainProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, msg, wParam, lParam);
}

HWND MakePlainWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = "PPComboPlain";
        RegisterClassA(&wc);
        registered = true;
    }
    return CreateWindowExA(0, "PPComboPlain", "Plain", WS_POPUP | WS_CAPTION | WS_VISIBLE, 520, 120, 260, 200,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

} // namespace

class SkinComboTest : public TSkinnedUiTest {
  protected:
    void SetUp() override {
        SetUpSkin(1);
        if (HasFatalFailure())
            return;
        EXPECT_TRUE(MovePointerTo(0, 0));
        KeepDiscoveryAway("PPComboPlain");
    }
    void TearDown() override {
        form_.reset();
        TSkinnedUiTest::TearDown();
    }

    // A skinned form with a drop-down list combo box, a drop-down combo box, an edit and a
    // date-time picker.
    void MakeForm() {
        form_.reset(new TForm(&TestApplication()));
        form_->SetBounds(120, 120, 380, 260);
        list_ = new TComboBox(form_.get());
        list_->SetParent(form_.get());
        list_->SetStyle(csDropDownList);
        list_->SetBounds(10, 10, 150, 21);
        for (int i = 0; i < 30; ++i)
            list_->Items().Add("Line " + std::to_string(i));
        list_->SetItemIndex(0);
        list_->OnChange = Bind<&TChangeCounter::Change>(&changes_);
        drop_ = new TComboBox(form_.get());
        drop_->SetParent(form_.get());
        drop_->SetBounds(10, 50, 150, 21);
        drop_->Items().Add("Alpha");
        drop_->Items().Add("Beta");
        drop_->SetText("Alpha");
        edit_ = new TEdit(form_.get());
        edit_->SetParent(form_.get());
        edit_->SetBounds(200, 10, 150, 24);
        edit_->SetText("Text");
        picker_ = new TDateTimePicker(form_.get());
        picker_->SetParent(form_.get());
        picker_->SetBounds(200, 50, 150, 24);
        form_->Show();
        SetForegroundWindow(form_->Handle());
        ASSERT_TRUE(PumpUntil([&] { return SkinManager()->FindFrame(form_->Handle()) != nullptr; }));
        frame_ = SkinManager()->FindFrame(form_->Handle());
        edit_->SetFocus();
        PumpPending();
    }
    template <class T> T* Skin(TControl* control) {
        auto* adapter = new T(control);
        adapter->AttachControl(frame_, skin_.get(), false, nullptr);
        PumpPending();
        return adapter;
    }
    void UseSkin(int index) {
        skin_->LoadFromStore(*store_, index);
        ASSERT_TRUE(PumpUntil(SkinActionDone, 3000));
        PumpPending();
    }
    // The mouse really moves there (the system's cursor) and the window is told, as the user's
    // move does.
    void MoveMouse(HWND window, int x, int y) {
        POINT p{x, y};
        ClientToScreen(window, &p);
        EXPECT_TRUE(MovePointerTo(p.x, p.y));
        PostMouse(window, WM_MOUSEMOVE, x, y);
        PumpPending();
    }
    void MouseAway(TSkinControl* adapter) {
        EXPECT_TRUE(MovePointerTo(0, 0));
        PostMessageA(adapter->Handle(), CM_MOUSELEAVE, 0, 0);
        PumpUntil([&] { return (adapter->MouseState() & msHot) == 0; }, 2000);
        PumpPending();
    }
    std::unique_ptr<TBitmap> Shot(HWND window) { return CaptureWindow(window); }
    POINT ButtonCentre(const TSkinComBox& adapter) {
        const RECT& r = adapter.ButtonRect();
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    TOwnedComponent<TForm> form_;
    TWinSkinForm* frame_ = nullptr;
    TComboBox* list_ = nullptr;
    TComboBox* drop_ = nullptr;
    TEdit* edit_ = nullptr;
    TDateTimePicker* picker_ = nullptr;
    TChangeCounter changes_;
};

// The arrow recoloured for its background keeps its shape and its see-through pixels, from images
// of either depth and from a cell that is not the first.
TEST(LegibleGlyph, ARecolouredGlyphKeepsItsShapeAndItsSeeThroughPixels) {
    const char* shape[] = {"#####.", ".###..", "..#...", "......"};
    for (TPixelFormat format : {pf24bit, pf32bit}) {
        SCOPED_TRACE(format == pf32bit ? "32 bits" : "24 bits");
        TBitmap image(12, 4, format);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 12; ++x)
                image.SetPixelColor(x, y,
                                    x >= 6 && shape[y][x - 6] == '#' ? TColor(0x101010) : TColor(0xFF00FF));
        TBitmap target(6, 4, pf32bit);
        FillBitmap(target, clBlack);
        DrawLegibleGlyph(target.MemoryDC(), RECT{0, 0, 6, 4}, image, RECT{6, 0, 12, 4}, clBlack);
        GdiFlush();
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x)
                EXPECT_EQ(target.PixelColor(x, y), shape[y][x] == '#' ? clWhite : clBlack) << x << "," << y;
    }
}

TEST_F(SkinComboTest, TheButtonShowsTheCellOfItsStateInThreeSkins) {
    MakeForm();
    auto* skin = Skin<TSkinComBox>(list_);
    EXPECT_EQ(SendMessageA(list_->Handle(), SKM_ISSKINNED, 0, 0), 1);
    EXPECT_EQ(skin->ComboStyle() & 3, static_cast<DWORD>(CBS_DROPDOWNLIST));
    for (int index : {1, 3, 5}) {
        SCOPED_TRACE("skin " + std::to_string(index));
        UseSkin(index);
        const TDataSkinObject& element = *skin_->ComboButton();
        ASSERT_EQ(element.Style, 2);
        ASSERT_TRUE(CellsDiffer(element, 1, 2) && CellsDiffer(element, 1, 3) && CellsDiffer(element, 1, 4));
        edit_->SetFocus();
        MouseAway(skin);
        EXPECT_EQ(ComboCellDifference(*Shot(list_->Handle()), element, 1), "");
        EXPECT_EQ(skin->LastCell(), 1);

        // Hot under the mouse, and not when the mouse is on the text part.
        const POINT centre = ButtonCentre(*skin);
        MoveMouse(list_->Handle(), centre.x, centre.y);
        EXPECT_EQ(skin->MouseState(), msHot);
        EXPECT_EQ(ComboCellDifference(*Shot(list_->Handle()), element, 4), "");
        MoveMouse(list_->Handle(), 10, centre.y);
        EXPECT_EQ(skin->MouseState(), 0);
        EXPECT_EQ(ComboCellDifference(*Shot(list_->Handle()), element, 1), "");

        // Pressed: the list drops down; the release ends the press.
        PostMouse(list_->Handle(), WM_LBUTTONDOWN, centre.x, centre.y, MK_LBUTTON);
        PumpPending();
        EXPECT_TRUE(skin->DroppedDown());
        EXPECT_EQ(ComboCellDifference(*Shot(list_->Handle()), element, 2), "");
        PostMouse(list_->Handle(), WM_LBUTTONUP, centre.x, centre.y);
        PumpPending();
        list_->SetDroppedDown(false);
        PumpPending();
        EXPECT_FALSE(skin->DroppedDown());
        EXPECT_EQ(skin->MouseState() & msPressed, 0);

        // Focused: the hot cell as well.
        list_->SetFocus();
        MouseAway(skin);
        EXPECT_EQ(ComboCellDifference(*Shot(list_->Handle()), element, 4), "");

        // Disabled: cell 3 whatever the mouse does.
        edit_->SetFocus();
        list_->SetEnabled(false);
        PumpPending();
        MoveMouse(list_->Handle(), centre.x, centre.y);
        EXPECT_EQ(ComboCellDifference(*Shot(list_->Handle()), element, 3), "");
        list_->SetEnabled(true);
        MouseAway(skin);
    }
}

TEST_F(SkinComboTest, TheArrowIsLegibleOnTheButtonInEveryStateOfEverySkin) {
    MakeForm();
    auto* skin = Skin<TSkinComBox>(list_);
    const int button = GetSystemMetrics(SM_CXHSCROLL) + 2;
    for (int index = 0; index < 8; ++index) {
        SCOPED_TRACE("skin " + std::to_string(index));
        UseSkin(index);
        const TDataSkinObject& composed = *skin_->ComboButton();
        const TDataSkinObject* extra = skin_->Slot(ssExtraImages);
        ASSERT_NE(extra, nullptr);
        const int cellW = composed.Bitmap.Width() / composed.Frame, cellH = composed.Bitmap.Height();
        for (int cell = 1; cell <= 4; ++cell) {
            // Where the composed cell carries the arrow: the glyph's own pixels are the arrow,
            // its transparent ones show the button beneath.
            const RECT glyph = CellRect(*extra, cell);
            const int gw = glyph.right - glyph.left, gh = glyph.bottom - glyph.top;
            const int left = cellW * (cell - 1) + cellW - button + (button - gw) / 2, top = (cellH - gh) / 2;
            // The arrow's colour is the one most of its pixels show (edges may be blended).
            std::map<TColor, int> counts;
            for (int y = 0; y < gh; ++y)
                for (int x = 0; x < gw; ++x)
                    if (extra->Bitmap.PixelColor(glyph.left + x, glyph.top + y) != Magenta)
                        ++counts[composed.Bitmap.PixelColor(left + x, top + y)];
            ASSERT_FALSE(counts.empty());
            const TColor arrow = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                                     return a.second < b.second;
                                 })->first;
            // The button next to the arrow: the glyph's top-left corner is transparent.
            const TColor under = composed.Bitmap.PixelColor(left, top);
            const double worst =
                ContrastRatio(static_cast<std::uint32_t>(arrow), static_cast<std::uint32_t>(under));
            EXPECT_GE(worst, MinLegibleContrast) << "cell " << cell;
        }
    }
    // On the screen: the Contrast skin's pressed button is black, its arrow now white.
    UseSkin(5);
    const POINT centre = ButtonCentre(*skin);
    PostMouse(list_->Handle(), WM_LBUTTONDOWN, centre.x, centre.y, MK_LBUTTON);
    PumpPending();
    auto shot = Shot(list_->Handle());
    int white = 0, black = 0;
    const RECT r = skin->ButtonRect();
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            white += shot->PixelColor(x, y) == 0xFFFFFF;
            black += shot->PixelColor(x, y) == 0;
        }
    EXPECT_GE(white, 12);
    EXPECT_GT(black, white);
    PostMouse(list_->Handle(), WM_LBUTTONUP, centre.x, centre.y);
    list_->SetDroppedDown(false);
    PumpPending();
}

TEST_F(SkinComboTest, TheListDropsDownAndALineIsChosenByMouseAndByKeyboard) {
    MakeForm();
    auto* skin = Skin<TSkinComBox>(list_);
    // By mouse: a click on the button opens the list, a click on a line chooses it.
    const POINT centre = ButtonCentre(*skin);
    PostLeftClick(list_->Handle(), centre.x, centre.y);
    PumpPending();
    ASSERT_TRUE(skin->DroppedDown());
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(list_->Handle(), &info));
    ASSERT_TRUE(IsWindowVisible(info.hwndList));
    // The open list's scroll bar is the skin's: it shows other pixels than the system's bar.
    ASSERT_NE(skin->ListScrollAdapter(), nullptr);
    EXPECT_EQ(skin->EditWindow(), nullptr);
    EXPECT_EQ(SendMessageA(info.hwndList, SKM_ISSKINNED, 0, 0), 1);
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof bar;
    ASSERT_TRUE(GetScrollBarInfo(info.hwndList, OBJID_VSCROLL, &bar));
    ASSERT_FALSE(bar.rgstate[0] & STATE_SYSTEM_INVISIBLE);
    auto barPixels = [&] {
        RECT outer{};
        GetWindowRect(info.hwndList, &outer);
        auto shot = CaptureWindow(info.hwndList);
        std::vector<TColor> pixels;
        for (int y = bar.rcScrollBar.top; y < bar.rcScrollBar.bottom; ++y)
            for (int x = bar.rcScrollBar.left; x < bar.rcScrollBar.right; ++x)
                pixels.push_back(shot->PixelColor(x - outer.left, y - outer.top));
        return pixels;
    };
    const std::vector<TColor> skinnedBar = barPixels();
    SendMessageA(info.hwndList, SKM_SKINONOFF, 0, 0);
    RedrawWindow(info.hwndList, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    EXPECT_NE(barPixels(), skinnedBar);
    SendMessageA(info.hwndList, SKM_SKINONOFF, 1, 0);
    RedrawWindow(info.hwndList, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    EXPECT_EQ(barPixels(), skinnedBar);
    const int line = static_cast<int>(SendMessageA(info.hwndList, LB_GETITEMHEIGHT, 0, 0));
    ASSERT_GT(line, 0);
    const int before = changes_.Changes;
    PostMouse(info.hwndList, WM_MOUSEMOVE, 10, line * 3 + line / 2);
    PostMouse(info.hwndList, WM_LBUTTONDOWN, 10, line * 3 + line / 2, MK_LBUTTON);
    PostMouse(info.hwndList, WM_LBUTTONUP, 10, line * 3 + line / 2);
    PumpUntil([&] { return !skin->DroppedDown(); }, 2000);
    PumpPending();
    EXPECT_FALSE(skin->DroppedDown());
    EXPECT_FALSE(IsWindowVisible(info.hwndList));
    EXPECT_EQ(list_->ItemIndex(), 3);
    EXPECT_GT(changes_.Changes, before);

    // By keyboard: F4 opens, Down moves, Enter chooses.
    list_->SetFocus();
    PumpPending();
    PostKey(list_->Handle(), VK_F4);
    PumpPending();
    EXPECT_TRUE(skin->DroppedDown());
    PostKey(list_->Handle(), VK_DOWN);
    PostKey(list_->Handle(), VK_DOWN);
    PostKey(list_->Handle(), VK_RETURN);
    PumpUntil([&] { return !skin->DroppedDown(); }, 2000);
    PumpPending();
    EXPECT_FALSE(skin->DroppedDown());
    EXPECT_EQ(list_->ItemIndex(), 5);
    // And skinned still, in the state of the focus.
    MouseAway(skin);
    EXPECT_EQ(ComboCellDifference(*Shot(list_->Handle()), *skin_->ComboButton(), 4), "");
}

TEST_F(SkinComboTest, ADropDownComboBoxHooksItsEditPartAndGivesItBack) {
    MakeForm();
    HWND edit = GetTopWindow(drop_->Handle());
    ASSERT_NE(edit, nullptr);
    const LONG_PTR ownProc = GetWindowLongPtrA(edit, GWLP_WNDPROC);
    auto* skin = Skin<TSkinComBox>(drop_);
    EXPECT_EQ(skin->EditWindow(), edit);
    EXPECT_NE(GetWindowLongPtrA(edit, GWLP_WNDPROC), ownProc);
    EXPECT_EQ(ComboCellDifference(*Shot(drop_->Handle()), *skin_->ComboButton(), 1), "");
    // A press in the edit part presses the button's look; typing still reaches the edit.
    PostMouse(edit, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    PumpPending();
    EXPECT_EQ(skin->MouseState() & msPressed, msPressed);
    PostMouse(edit, WM_LBUTTONUP, 5, 5);
    PumpPending();
    EXPECT_EQ(skin->MouseState() & msPressed, 0);
    SetWindowTextA(edit, "Gamma");
    EXPECT_EQ(drop_->Text(), "Gamma");
    // Focused in its edit part: the hot cell.
    MouseAway(skin);
    EXPECT_EQ(ComboCellDifference(*Shot(drop_->Handle()), *skin_->ComboButton(), 4), "");
    skin->Restore();
    EXPECT_EQ(GetWindowLongPtrA(edit, GWLP_WNDPROC), ownProc);
    EXPECT_EQ(skin->EditWindow(), nullptr);
}

TEST_F(SkinComboTest, ASimpleComboBoxHasNoButtonButItsListGetsSkinnedScrollBars) {
    MakeForm();
    drop_->SetStyle(csSimple);
    drop_->SetBounds(10, 80, 150, 100);
    for (int i = 0; i < 30; ++i)
        drop_->Items().Add("More " + std::to_string(i));
    PumpPending();
    auto* skin = Skin<TSkinComBox>(drop_);
    EXPECT_EQ(skin->ComboStyle() & 3, static_cast<DWORD>(CBS_SIMPLE));
    ASSERT_NE(skin->ListWindow(), nullptr);
    ASSERT_NE(skin->ChildListAdapter(), nullptr);
    EXPECT_EQ(skin->ListScrollAdapter(), nullptr);
    EXPECT_EQ(SendMessageA(skin->ListWindow(), SKM_ISSKINNED, 0, 0), 1);
    // No drop-down button: nothing of the ComboButton cell is drawn.
    skin->PaintFrame(nullptr);
    EXPECT_EQ(skin->LastCell(), 0);
    skin->Restore();
    EXPECT_EQ(skin->ChildListAdapter(), nullptr);
    EXPECT_EQ(SendMessageA(skin->ListWindow(), SKM_ISSKINNED, 0, 0), 0);
}

TEST_F(SkinComboTest, AComboBoxMadeAnewWithAnotherStyleHasItsNewPartsSkinned) {
    MakeForm();
    auto* skin = Skin<TSkinComBox>(drop_);
    ASSERT_NE(skin->EditWindow(), nullptr);
    ASSERT_NE(skin->ListScrollAdapter(), nullptr);
    // Drop-down to drop-down list: no edit part any more, a new list.
    drop_->SetStyle(csDropDownList);
    PumpPending();
    EXPECT_EQ(SendMessageA(drop_->Handle(), SKM_ISSKINNED, 0, 0), 1);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(drop_->Handle(), &info));
    EXPECT_EQ(skin->EditWindow(), nullptr);
    ASSERT_NE(skin->ListScrollAdapter(), nullptr);
    EXPECT_EQ(skin->ListScrollAdapter()->Handle(), info.hwndList);
    EXPECT_EQ(SendMessageA(info.hwndList, SKM_ISSKINNED, 0, 0), 1);
    EXPECT_EQ(ComboCellDifference(*Shot(drop_->Handle()), *skin_->ComboButton(), 1), "");
    // And back: the new edit part is hooked.
    drop_->SetStyle(csDropDown);
    PumpPending();
    HWND edit = GetTopWindow(drop_->Handle());
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(skin->EditWindow(), edit);
    PostMouse(edit, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    PumpPending();
    EXPECT_EQ(skin->MouseState() & msPressed, msPressed);
    PostMouse(edit, WM_LBUTTONUP, 5, 5);
    PumpPending();
}

TEST_F(SkinComboTest, AButtonOnTheLeftShowsTheMirroredCell) {
    MakeForm();
    SetWindowLongA(list_->Handle(), GWL_EXSTYLE,
                   GetWindowLongA(list_->Handle(), GWL_EXSTYLE) | WS_EX_LEFTSCROLLBAR);
    SetWindowPos(list_->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    auto* skin = Skin<TSkinComBox>(list_);
    MouseAway(skin);
    const TDataSkinObject* left = skin_->Slot(ssSunkEdge);
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(ComboCellDifference(*Shot(list_->Handle()), *left, 1), "");
    EXPECT_NE(ComboCellDifference(*Shot(list_->Handle()), *skin_->ComboButton(), 1), "");
}

TEST_F(SkinComboTest, AnEditWithABorderShowsOneDarkAndTwoWhiteRings) {
    MakeForm();
    auto* skin = Skin<TSkinEdit>(edit_);
    for (int index : {0, 2, 6}) {
        SCOPED_TRACE("skin " + std::to_string(index));
        UseSkin(index);
        auto check = [&] {
            auto shot = Shot(edit_->Handle());
            const int w = shot->Width(), h = shot->Height();
            const TColor shadow = Rgb(skin_->Colour(scButtonShadow));
            for (int x = 0; x < w; ++x) {
                EXPECT_EQ(shot->PixelColor(x, 0), shadow) << x;
                EXPECT_EQ(shot->PixelColor(x, h - 1), shadow) << x;
            }
            for (int ring : {1, 2}) {
                EXPECT_EQ(shot->PixelColor(w / 2, ring), 0xFFFFFF) << ring;
                EXPECT_EQ(shot->PixelColor(ring, h / 2), 0xFFFFFF) << ring;
                EXPECT_EQ(shot->PixelColor(w - 1 - ring, h / 2), 0xFFFFFF) << ring;
            }
        };
        check();
        // The system drawing its border again (a frame change) does not bring the native one back.
        SetWindowPos(edit_->Handle(), nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        PumpPending();
        check();
    }
    EXPECT_EQ(skin->UpDownAdapter(), nullptr);
    // An edit without a border keeps its own look.
    plain_.push_back(MakePlainWindow());
    HWND bare = CreateWindowExA(0, "EDIT", "bare", WS_CHILD | WS_VISIBLE, 10, 10, 120, 20, plain_.back(),
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    PumpPending();
    auto native = Shot(bare);
    auto* bareSkin = new TSkinEdit(frame_);
    bareSkin->AttachWindow(bare, skin_.get(), frame_, nullptr);
    InvalidateRect(bare, nullptr, TRUE);
    PumpPending();
    EXPECT_TRUE(SameBitmaps(*native, *Shot(bare)));
    // Asked to paint itself into a context, it answers with the magic value.
    TBitmap into(200, 40);
    EXPECT_EQ(SendMessageA(edit_->Handle(), 0xBC4A, reinterpret_cast<WPARAM>(into.MemoryDC()), 0x41A2),
              0x41A2);
}

TEST_F(SkinComboTest, ThePickersArrowIsSkinnedAndOpensTheCalendarLeavingTheFocus) {
    MakeForm();
    auto* skin = Skin<TSkinDateTime>(picker_);
    TArrowButton* arrow = skin->Arrow();
    ASSERT_NE(arrow, nullptr);
    ASSERT_TRUE(IsWindow(arrow->Handle()));
    EXPECT_EQ(GetParent(arrow->Handle()), picker_->Handle());
    EXPECT_TRUE(GetWindowLongA(picker_->Handle(), GWL_STYLE) & WS_CLIPCHILDREN);
    RECT client{}, place{};
    GetClientRect(picker_->Handle(), &client);
    GetWindowRect(arrow->Handle(), &place);
    MapWindowPoints(nullptr, picker_->Handle(), reinterpret_cast<POINT*>(&place), 2);
    EXPECT_EQ(place.right, client.right);
    EXPECT_EQ(place.bottom - place.top, client.bottom);
    EXPECT_EQ(place.right - place.left, GetSystemMetrics(SM_CXHSCROLL));
    // The border: one dark ring, one white.
    {
        auto shot = Shot(picker_->Handle());
        EXPECT_EQ(shot->PixelColor(shot->Width() / 2, 0), Rgb(skin_->Colour(scButtonShadow)));
        EXPECT_EQ(shot->PixelColor(shot->Width() / 2, 1), 0xFFFFFF);
    }
    // The arrow shows ComboArrow's cell 1, under the mouse cell 4.
    const TDataSkinObject* cells = skin_->Slot(ssComboArrow);
    ASSERT_NE(cells, nullptr);
    ASSERT_NE(frame_, nullptr);
    auto arrowCentre = [&] {
        auto shot = CaptureClient(arrow->Handle());
        return shot->PixelColor(shot->Width() / 2, shot->Height() / 2);
    };
    const int cellW = cells->Bitmap.Width() / cells->Frame;
    EXPECT_EQ(arrowCentre(), cells->Bitmap.PixelColor(cellW / 2, cells->Bitmap.Height() / 2));
    MoveMouse(arrow->Handle(), 3, 3);
    EXPECT_TRUE(arrow->Hot());
    EXPECT_EQ(arrowCentre(), cells->Bitmap.PixelColor(cellW * 3 + cellW / 2, cells->Bitmap.Height() / 2));
    PostMessageA(arrow->Handle(), WM_MOUSELEAVE, 0, 0);
    PumpPending();
    EXPECT_FALSE(arrow->Hot());
    // Another skin: the arrow shows its cell at once.
    const TColor before = arrowCentre();
    UseSkin(5);
    cells = skin_->Slot(ssComboArrow);
    ASSERT_NE(cells, nullptr);
    const int newCellW = cells->Bitmap.Width() / cells->Frame;
    ASSERT_NE(cells->Bitmap.PixelColor(newCellW / 2, cells->Bitmap.Height() / 2), before);
    EXPECT_EQ(arrowCentre(), cells->Bitmap.PixelColor(newCellW / 2, cells->Bitmap.Height() / 2));
    // A click on it opens the calendar, and the focus is the picker's.
    PostLeftClick(arrow->Handle(), 5, 5);
    ASSERT_TRUE(PumpUntil([&] { return SendMessageA(picker_->Handle(), DTM_GETMONTHCAL, 0, 0) != 0; }, 3000));
    EXPECT_TRUE(GetFocus() == picker_->Handle() || IsChild(picker_->Handle(), GetFocus()) ||
                GetFocus() == reinterpret_cast<HWND>(SendMessageA(picker_->Handle(), DTM_GETMONTHCAL, 0, 0)));
    // (Closing it is the calendar's business: Wine leaves the focus on the hidden calendar then.)
    PostKey(reinterpret_cast<HWND>(SendMessageA(picker_->Handle(), DTM_GETMONTHCAL, 0, 0)), VK_ESCAPE);
    PumpUntil([&] { return SendMessageA(picker_->Handle(), DTM_GETMONTHCAL, 0, 0) == 0; }, 3000);
    // Restore: the arrow window goes.
    HWND arrowWindow = arrow->Handle();
    skin->Restore();
    EXPECT_FALSE(IsWindow(arrowWindow));
    EXPECT_EQ(skin->Arrow(), nullptr);
    EXPECT_FALSE(GetWindowLongA(picker_->Handle(), GWL_STYLE) & WS_CLIPCHILDREN);
}

TEST_F(SkinComboTest, APickerMadeAnewGetsItsArrowAndItsClippingBack) {
    MakeForm();
    auto* skin = Skin<TSkinDateTime>(picker_);
    picker_->RecreateWnd();
    PumpPending();
    TArrowButton* arrow = skin->Arrow();
    ASSERT_NE(arrow, nullptr);
    ASSERT_TRUE(IsWindow(arrow->Handle()));
    EXPECT_EQ(GetParent(arrow->Handle()), picker_->Handle());
    EXPECT_TRUE(GetWindowLongA(picker_->Handle(), GWL_STYLE) & WS_CLIPCHILDREN);
    // Drawn on the new picker: ComboArrow's cell 1.
    const TDataSkinObject* cells = skin_->Slot(ssComboArrow);
    ASSERT_NE(cells, nullptr);
    RedrawWindow(picker_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    auto shot = CaptureClient(arrow->Handle());
    const int cellW = cells->Bitmap.Width() / cells->Frame;
    EXPECT_EQ(shot->PixelColor(shot->Width() / 2, shot->Height() / 2),
              cells->Bitmap.PixelColor(cellW / 2, cells->Bitmap.Height() / 2));
}

// The skinned picker works its calendar exactly as the native one: a press on the arrow opens it
// and it stays open after the release, a click on a day picks that day, Alt+Down and F4 open it
// and Escape closes it; keys go where the system sends them, to the window with the focus.
TEST_F(SkinComboTest, ThePickersCalendarOpensStaysAndClosesAsTheNativeOnesDoes) {
    MakeForm();
    TChangeCounter changes, cancels;
    picker_->OnChange = Bind<&TChangeCounter::Change>(&changes);
    // The form's Escape button must not take the calendar's keys.
    auto* cancel = new TButton(form_.get());
    cancel->SetParent(form_.get());
    cancel->SetBounds(200, 100, 80, 24);
    cancel->SetCancel(true);
    cancel->OnClick = Bind<&TChangeCounter::Change>(&cancels);
    auto calendar = [&] {
        return reinterpret_cast<HWND>(SendMessageA(picker_->Handle(), DTM_GETMONTHCAL, 0, 0));
    };
    auto down = [&] { return calendar() && IsWindowVisible(calendar()); };
    auto key = [&](WORD vk, bool alt) {
        PostKey(GetFocus(), vk, alt);
        PumpFor(200);
    };
    for (bool skinned : {false, true}) {
        SCOPED_TRACE(skinned ? "skinned" : "native");
        HWND pressed = picker_->Handle();
        RECT client{};
        GetClientRect(pressed, &client);
        POINT at{client.right - GetSystemMetrics(SM_CXVSCROLL) / 2, client.bottom / 2};
        if (skinned) {
            auto* adapter = Skin<TSkinDateTime>(picker_);
            ASSERT_NE(adapter->Arrow(), nullptr);
            pressed = adapter->Arrow()->Handle();
            at = POINT{4, 4};
        }
        picker_->SetFocus();
        PumpPending();

        PostMouse(pressed, WM_LBUTTONDOWN, at.x, at.y, MK_LBUTTON);
        ASSERT_TRUE(PumpUntil(down, 2000)) << "the press opens the calendar";
        PostMouse(pressed, WM_LBUTTONUP, at.x, at.y);
        PumpFor(300);
        ASSERT_TRUE(down()) << "and it stays open after the release";

        // A click on a day of the month shown picks it and closes the calendar.
        SYSTEMTIME shown = picker_->DateTime();
        const WORD day = shown.wDay == 15 ? 16 : 15;
        POINT dayAt{-1, -1};
        RECT area{};
        GetClientRect(calendar(), &area);
        for (int y = 0; y < area.bottom && dayAt.x < 0; y += 3)
            for (int x = 0; x < area.right && dayAt.x < 0; x += 3) {
                MCHITTESTINFO hit{};
                hit.cbSize = sizeof hit;
                hit.pt = POINT{x, y};
                SendMessageA(calendar(), MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
                if (hit.uHit == MCHT_CALENDARDATE && hit.st.wDay == day && hit.st.wMonth == shown.wMonth)
                    dayAt = hit.pt;
            }
        ASSERT_GE(dayAt.x, 0);
        const int changesBefore = changes.Changes;
        PostLeftClick(calendar(), dayAt.x, dayAt.y);
        ASSERT_TRUE(PumpUntil([&] { return !down(); }, 2000)) << "picking a day closes the calendar";
        EXPECT_EQ(picker_->DateTime().wDay, day);
        EXPECT_GT(changes.Changes, changesBefore);
        EXPECT_EQ(GetFocus(), picker_->Handle()) << "the picker has the focus again";

        key(VK_DOWN, true);
        EXPECT_TRUE(down()) << "Alt+Down opens it";
        key(VK_RIGHT, false);
        EXPECT_TRUE(down()) << "the calendar's own keys are its own";
        EXPECT_EQ(GetFocus(), calendar());
        key(VK_ESCAPE, false);
        EXPECT_FALSE(down()) << "Escape closes it";
        EXPECT_EQ(cancels.Changes, 0) << "and only it";
        EXPECT_EQ(GetFocus(), picker_->Handle());
        key(VK_F4, false);
        EXPECT_TRUE(down()) << "F4 opens it";
        key(VK_ESCAPE, false);
        EXPECT_FALSE(down());
        EXPECT_EQ(picker_->DateTime().wDay, day) << "Escape changes nothing";
    }
}

TEST_F(SkinComboTest, RestoreGivesTheNativeLookBack) {
    MakeForm();
    EXPECT_TRUE(MovePointerTo(0, 0));
    PumpPending();
    auto nativeList = Shot(list_->Handle());
    auto nativeEdit = Shot(edit_->Handle());
    auto* listSkin = Skin<TSkinComBox>(list_);
    auto* editSkin = Skin<TSkinEdit>(edit_);
    EXPECT_FALSE(SameBitmaps(*nativeList, *Shot(list_->Handle())));
    EXPECT_FALSE(SameBitmaps(*nativeEdit, *Shot(edit_->Handle())));
    listSkin->Restore();
    editSkin->Restore();
    EXPECT_EQ(listSkin->State(), asRestored);
    PumpPending();
    EXPECT_TRUE(SameBitmaps(*nativeList, *Shot(list_->Handle())));
    EXPECT_TRUE(SameBitmaps(*nativeEdit, *Shot(edit_->Handle())));
    // Switching skinning off does the same through the frame.
    Skin<TSkinComBox>(drop_);
    skin_->SetActive(false);
    ASSERT_TRUE(PumpUntil(SkinActionDone, 3000));
    PumpPending();
    EXPECT_EQ(SendMessageA(drop_->Handle(), SKM_ISSKINNED, 0, 0), 0);
}

TEST_F(SkinComboTest, HostileSkinValuesDrawSomethingAndNeverFail) {
    MakeForm();
    // Images smaller than their margins, one pixel for four or five cells, no arrow image at all
    // in the second round.
    TMapSource images;
    images.entries["button.bmp"] = SolidBmp(1, 1, 0x00A000);
    images.entries["sunk.bmp"] = SolidBmp(2, 2, 0x0000A0);
    images.entries["extra.bmp"] = SolidBmp(3, 1, 0x101010);
    TOwnedComponent<TSkinData> hostile(new TSkinData(nullptr));
    for (const char* description :
         {"[ComboButton]\nImage=button.bmp\nLeftWidth=40\nRightWidth=40\nTopHeight=30\nBottomHeight=30\n"
          "[SunkEdge]\nImage=sunk.bmp\nLeftWidth=9\nTopHeight=9\n[ExtraImages]\nImage=extra.bmp\n",
          "[ComboButton]\nImage=button.bmp\nStyle=1\n", "[ComboButton]\nImage=button.bmp\n"}) {
        SCOPED_TRACE(description);
        TQuickIni ini;
        ini.LoadFromText(description);
        hostile->LoadElements(ini, images);
        auto* combo = new TSkinComBox(list_);
        combo->AttachControl(frame_, hostile.get(), false, nullptr);
        auto* edit = new TSkinEdit(edit_);
        edit->AttachControl(frame_, hostile.get(), false, nullptr);
        auto* picker = new TSkinDateTime(picker_);
        picker->AttachControl(frame_, hostile.get(), false, nullptr);
        PumpPending();
        for (bool pressed : {false, true}) {
            PostMouse(list_->Handle(), pressed ? WM_LBUTTONDOWN : WM_LBUTTONUP, 140, 10,
                      pressed ? MK_LBUTTON : 0);
            PumpPending();
            combo->PaintFrame(nullptr);
            UpdateWindow(picker->Arrow()->Handle());
        }
        list_->SetDroppedDown(false);
        PumpPending();
        // The combo box still works.
        list_->SetItemIndex(2);
        EXPECT_EQ(list_->Text(), "Line 2");
        EXPECT_GE(combo->LastCell(), 1);
        EXPECT_LE(combo->LastCell(), 4);
        frame_->ReleaseAdapters();
    }
}

TEST_F(SkinComboTest, AttachAndRestoreRoundsLeaveTheObjectCountsWhereTheyWere) {
    MakeForm();
    auto round = [&] {
        auto* combo = new TSkinComBox(list_);
        combo->AttachControl(frame_, skin_.get(), false, nullptr);
        auto* drop = new TSkinComBox(drop_);
        drop->AttachControl(frame_, skin_.get(), false, nullptr);
        auto* edit = new TSkinEdit(edit_);
        edit->AttachControl(frame_, skin_.get(), false, nullptr);
        auto* picker = new TSkinDateTime(picker_);
        picker->AttachControl(frame_, skin_.get(), false, nullptr);
        combo->PaintFrame(nullptr);
        drop->PaintFrame(nullptr);
        edit->PaintFrame(nullptr);
        picker->PaintFrame(nullptr);
        UpdateWindow(picker->Arrow()->Handle());
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
    std::printf("combo rounds: GDI %lu -> %lu, USER %lu -> %lu\n", static_cast<unsigned long>(gdi),
                static_cast<unsigned long>(gdiAfter), static_cast<unsigned long>(user),
                static_cast<unsigned long>(userAfter));
    EXPECT_LE(gdiAfter, gdi + 5);
    EXPECT_LE(userAfter, user + 5);
    EXPECT_TRUE(frame_->Adapters().empty());
    EXPECT_EQ(list_->WindowProc(), list_->DefaultWindowProc());
}
