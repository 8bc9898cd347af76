// The skinned-control adapters on real windows: a skinned test form whose buttons, check boxes,
// radio buttons, panel and group box get adapters through the form's frame; bare windows of a
// plain window skinned by handle; switching off and on, giving back, and controls and windows
// that go away at awkward moments.
//
// Expected pixels come straight from the skin's images: the corners of a button cell are copied
// 1:1 (its margins), and a check or radio cell is drawn at its own size, so the window must show
// exactly those pixels there (magenta shows the skin's ButtonFace behind it).
#include "GuiObjects.h"
#include "SkinActions.h"
#include "SkinnedUiTest.h"
#include "UiTestSupport.h"

#include "Buttons.h"
#include "Edit.h"
#include "Form.h"
#include "Handles.h"
#include "JvWndProcHook.h"
#include "Panel.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSkinStore.h"
#include "WinSubClass.h"
#include "WinSubClassGeometry.h"

#include <gtest/gtest.h>

#include <cstdio>
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

TColor Face(const TSkinData& skin) {
    return static_cast<TColor>(ColorToRGB(skin.Colour(scButtonFace)));
}

// The pixel a w x h button shows at (x, y) of one of its 5 x 5 corners in cell `cell`.
TColor ButtonCornerPixel(const TSkinData& skin, int cell, int x, int y, int w, int h) {
    const TDataSkinButton& b = skin.Buttons();
    const int cells = b.Frame < 1 ? 1 : b.Frame;
    const int cellW = b.Bitmap.Width() / cells;
    const int sx = x < b.LeftWidth ? x : cellW - (w - x);
    const int sy = y < b.TopHeight ? y : b.Bitmap.Height() - (h - y);
    TColor c = b.Bitmap.PixelColor(cellW * (cell - 1) + sx, sy);
    if (b.Trans == 1 && c == Magenta)
        c = Face(skin);
    return c;
}

template <class Visit> void ForEachCornerPixel(const TSkinData& skin, int w, int h, Visit visit) {
    const TDataSkinButton& b = skin.Buttons();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((x < b.LeftWidth || x >= w - b.RightWidth) && (y < b.TopHeight || y >= h - b.BottomHeight))
                visit(x, y);
}

// Empty when the shot shows the cell in all four corners; else the first difference.
std::string ButtonCellDifference(const TBitmap& shot, const TSkinData& skin, int cell) {
    std::string difference;
    ForEachCornerPixel(skin, shot.Width(), shot.Height(), [&](int x, int y) {
        const TColor want = ButtonCornerPixel(skin, cell, x, y, shot.Width(), shot.Height());
        if (difference.empty() && shot.PixelColor(x, y) != want)
            difference = "cell " + std::to_string(cell) + " at (" + std::to_string(x) + ", " +
                         std::to_string(y) + "): " + Hex(shot.PixelColor(x, y)) + " instead of " + Hex(want);
    });
    return difference;
}

bool CornersDiffer(const TSkinData& skin, int a, int b, int w, int h) {
    bool differ = false;
    ForEachCornerPixel(skin, w, h, [&](int x, int y) {
        differ = differ || ButtonCornerPixel(skin, a, x, y, w, h) != ButtonCornerPixel(skin, b, x, y, w, h);
    });
    return differ;
}

// Empty when the shot of a check box (radio button) shows cell `cell` of its image where the
// layout puts it; else the first difference. With overlay the native control shows through the
// transparent pixels.
std::string CheckCellDifference(const TBitmap& shot, const TSkinData& skin, bool radio, int cell,
                                bool leftText = false, bool overlay = false) {
    const TDataSkinButton& b = skin.Buttons();
    const TBitmap& image = radio ? b.RadioBitmap : b.CheckBitmap;
    const int cells = radio ? b.RadioFrame : b.CheckFrame;
    const int cellW = StripCellWidth(image.Width(), cells);
    const TCheckLayout layout =
        CheckLayoutFor(shot.Width(), shot.Height(), cellW, image.Height(), leftText, radio);
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < cellW; ++x) {
            TColor want = image.PixelColor(cellW * (cell - 1) + x, y);
            // Over a native box its own drawing shows through.
            if (want == Magenta && overlay)
                continue;
            if (want == Magenta)
                want = Face(skin);
            const int sx = layout.Image.Left + x, sy = layout.Image.Top + y;
            if (sx < 0 || sy < 0 || sx >= shot.Width() || sy >= shot.Height())
                continue;
            if (shot.PixelColor(sx, sy) != want)
                return "cell " + std::to_string(cell) + " at (" + std::to_string(x) + ", " +
                       std::to_string(y) + "): " + Hex(shot.PixelColor(sx, sy)) + " instead of " + Hex(want);
        }
    return std::string();
}

// Set PP_TEST_CAPTURES to a folder to keep the pictures for a look.
void Keep(const TBitmap& picture, const std::string& name) {
    char folder[MAX_PATH] = {};
    if (GetEnvironmentVariableA("PP_TEST_CAPTURES", folder, sizeof folder))
        SaveCapture(picture, std::string(folder) + "\\" + name + ".bmp");
}

struct TClickCounter {
    int Clicks = 0;
    void Click(TObject*) { ++Clicks; }
};

// Frees the control that was clicked, from inside its own click.
struct TFreeOnClick {
    int Clicks = 0;
    void Click(TObject* sender) {
        ++Clicks;
        TComponent::Free(static_cast<TComponent*>(sender));
    }
};

// A plain top-level window with bare children, as a dialog of another library has them.
LRESULT CALLBACK PlainProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) {
        auto* commands = reinterpret_cast<std::vector<WPARAM>*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (commands)
            commands->push_back(wParam);
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

HWND MakePlainWindow(std::vector<WPARAM>* commands) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.lpszClassName = "PPAdapterPlain";
        RegisterClassA(&wc);
        registered = true;
    }
    HWND window = CreateWindowExA(0, "PPAdapterPlain", "Plain", WS_POPUP | WS_CAPTION | WS_VISIBLE, 420, 120,
                                  260, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(commands));
    return window;
}

HWND MakeChild(HWND parent, const char* className, const char* text, DWORD style, int id, RECT r) {
    HWND child = CreateWindowExA(
        0, className, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left, r.bottom - r.top,
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    return child;
}

// A later subclasser of a window: counts what it sees and passes everything on.
WNDPROC laterOldProc = nullptr;
int laterSeen = 0;
LRESULT CALLBACK LaterProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    ++laterSeen;
    return CallWindowProcA(laterOldProc, window, msg, wParam, lParam);
}

// A later hook of a program control through the hook registry.
struct TLaterHook {
    int Seen = 0;
    bool Hook(TMessage&) {
        ++Seen;
        return false;
    }
};

} // namespace

class SkinAdapterTest : public TSkinnedUiTest {
  protected:
    void SetUp() override {
        SetUpSkin(1);
        if (HasFatalFailure())
            return;
        KeepDiscoveryAway("PPAdapterPlain");
    }
    void TearDown() override {
        forms_.clear();
        TSkinnedUiTest::TearDown();
    }

    // A skinned form with two buttons (the second the default one), a disabled button, a check
    // box, a radio button, a panel and an edit that takes the focus.
    TForm& MakeForm() {
        forms_.emplace_back(new TForm(&TestApplication()));
        TForm& form = *forms_.back();
        form.SetBounds(120, 120, 360, 260);
        edit_ = new TEdit(&form);
        edit_->SetParent(&form);
        edit_->SetBounds(250, 10, 80, 22);
        button_ = new TButton(&form);
        button_->SetParent(&form);
        button_->SetBounds(10, 10, 110, 30);
        button_->SetCaption("Go");
        button_->OnClick = Bind<&TClickCounter::Click>(&clicks_);
        defaultButton_ = new TButton(&form);
        defaultButton_->SetParent(&form);
        defaultButton_->SetBounds(130, 10, 110, 30);
        defaultButton_->SetCaption("OK");
        defaultButton_->SetDefault(true);
        disabled_ = new TButton(&form);
        disabled_->SetParent(&form);
        disabled_->SetBounds(10, 50, 110, 30);
        disabled_->SetCaption("Off");
        disabled_->SetEnabled(false);
        check_ = new TCheckBox(&form);
        check_->SetParent(&form);
        check_->SetBounds(10, 90, 150, 24);
        check_->SetCaption("Check");
        radio_ = new TRadioButton(&form);
        radio_->SetParent(&form);
        radio_->SetBounds(10, 120, 150, 24);
        radio_->SetCaption("Radio");
        panel_ = new TPanel(&form);
        panel_->SetParent(&form);
        panel_->SetBounds(180, 90, 150, 100);
        panel_->SetColor(clBtnHighlight);
        form.Show();
        SetForegroundWindow(form.Handle());
        EXPECT_TRUE(PumpUntil([&] { return SkinManager()->FindFrame(form.Handle()) != nullptr; }));
        frame_ = SkinManager()->FindFrame(form.Handle());
        edit_->SetFocus();
        PumpPending();
        return form;
    }

    // Adapters as control discovery makes them: owned by the control, attached through the frame.
    template <class T> T* Skin(TControl* control, bool useSkinColour = false) {
        auto* adapter = new T(control);
        adapter->AttachControl(frame_, skin_.get(), useSkinColour, nullptr);
        return adapter;
    }
    void SkinAll() {
        buttonSkin_ = Skin<TSkinButton>(button_);
        defaultSkin_ = Skin<TSkinButton>(defaultButton_);
        disabledSkin_ = Skin<TSkinButton>(disabled_);
        checkSkin_ = Skin<TSkinCheckBox>(check_);
        radioSkin_ = Skin<TSkinRadioButton>(radio_);
        panelSkin_ = Skin<TSkinBox>(panel_, true);
        PumpPending();
    }
    void UseSkin(int index) {
        skin_->LoadFromStore(*store_, index);
        ASSERT_TRUE(PumpUntil(SkinActionDone, 3000));
        PumpPending();
    }
    std::unique_ptr<TBitmap> Shot(TWinControl* control) { return CaptureClient(control->Handle()); }
    void HoverOver(HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        EXPECT_TRUE(MovePointerTo((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        PostMouse(window, WM_MOUSEMOVE, (r.right - r.left) / 2, (r.bottom - r.top) / 2);
        PumpPending();
    }
    HWND Plain() {
        plain_.push_back(MakePlainWindow(&commands_));
        return plain_.back();
    }
    std::vector<TOwnedComponent<TForm>> forms_;
    std::vector<WPARAM> commands_;
    TWinSkinForm* frame_ = nullptr;
    TEdit* edit_ = nullptr;
    TButton* button_ = nullptr;
    TButton* defaultButton_ = nullptr;
    TButton* disabled_ = nullptr;
    TCheckBox* check_ = nullptr;
    TRadioButton* radio_ = nullptr;
    TPanel* panel_ = nullptr;
    TSkinButton* buttonSkin_ = nullptr;
    TSkinButton* defaultSkin_ = nullptr;
    TSkinButton* disabledSkin_ = nullptr;
    TSkinCheckBox* checkSkin_ = nullptr;
    TSkinRadioButton* radioSkin_ = nullptr;
    TSkinBox* panelSkin_ = nullptr;
    TClickCounter clicks_;
};

TEST_F(SkinAdapterTest, AttachingRegistersWithTheFrameOnceAndAnswersTheSkinnedQuestion) {
    MakeForm();
    ASSERT_NE(frame_, nullptr);
    EXPECT_EQ(SendMessageA(button_->Handle(), SKM_ISSKINNED, 0, 0), 0);
    SkinAll();
    EXPECT_EQ(frame_->Adapters().size(), 6u);
    EXPECT_TRUE(frame_->RegisterAdapter(buttonSkin_));
    EXPECT_EQ(frame_->Adapters().size(), 6u);
    // A second attach does nothing.
    buttonSkin_->AttachControl(frame_, skin_.get(), false, nullptr);
    EXPECT_EQ(frame_->Adapters().size(), 6u);
    EXPECT_EQ(SendMessageA(button_->Handle(), SKM_ISSKINNED, 0, 0), 1);
    EXPECT_EQ(buttonSkin_->State(), asAttached);
    EXPECT_EQ(buttonSkin_->Control(), button_);
    EXPECT_EQ(buttonSkin_->Handle(), button_->Handle());
    // A freed adapter leaves the list.
    TComponent::Free(radioSkin_);
    EXPECT_EQ(frame_->Adapters().size(), 5u);
    EXPECT_EQ(SendMessageA(radio_->Handle(), SKM_ISSKINNED, 0, 0), 0);
}

TEST_F(SkinAdapterTest, ButtonsShowTheCellOfTheirStateInThreeSkins) {
    MakeForm();
    SkinAll();
    const int w = button_->Width(), h = button_->Height();
    int distinguished = 0;
    for (int index : {1, 3, 6}) {
        SCOPED_TRACE("skin " + std::to_string(index));
        UseSkin(index);
        ASSERT_FALSE(skin_->Buttons().Bitmap.Empty());
        edit_->SetFocus();
        EXPECT_TRUE(MovePointerTo(5, 5));
        PumpUntil([&] { return buttonSkin_->MouseState() == 0; }, 2000);
        PumpPending();
        EXPECT_EQ(ButtonCellDifference(*Shot(button_), *skin_, 1), "");
        EXPECT_EQ(ButtonCellDifference(*Shot(defaultButton_), *skin_, 5), "");
        EXPECT_EQ(ButtonCellDifference(*Shot(disabled_), *skin_, 3), "");
        if (CornersDiffer(*skin_, 1, 2, w, h) && CornersDiffer(*skin_, 1, 4, w, h))
            ++distinguished;

        // Hot under the mouse; a disabled button stays in cell 3.
        HoverOver(button_->Handle());
        EXPECT_EQ(buttonSkin_->MouseState(), msHot);
        EXPECT_EQ(ButtonCellDifference(*Shot(button_), *skin_, 4), "");
        HoverOver(disabled_->Handle());
        EXPECT_EQ(ButtonCellDifference(*Shot(disabled_), *skin_, 3), "");

        // Pressed by the mouse until released over it; the release clicks once.
        const int before = clicks_.Clicks;
        HoverOver(button_->Handle());
        PostMouse(button_->Handle(), WM_LBUTTONDOWN, 20, 10, MK_LBUTTON);
        PumpPending();
        EXPECT_EQ(ButtonCellDifference(*Shot(button_), *skin_, 2), "");
        EXPECT_EQ(clicks_.Clicks, before);
        PostMouse(button_->Handle(), WM_LBUTTONUP, 20, 10);
        PumpPending();
        EXPECT_EQ(clicks_.Clicks, before + 1);
        // It took the focus; hot wins over focused while the mouse is on it.
        EXPECT_EQ(GetFocus(), button_->Handle());
        EXPECT_EQ(ButtonCellDifference(*Shot(button_), *skin_, 4), "");

        // Pressed by Space until the key goes up; the click is the button's own.
        EXPECT_TRUE(MovePointerTo(5, 5));
        PumpUntil([&] { return buttonSkin_->MouseState() == 0; }, 2000);
        PostMessageA(button_->Handle(), WM_KEYDOWN, VK_SPACE, 0x00390001);
        PumpPending();
        EXPECT_EQ(ButtonCellDifference(*Shot(button_), *skin_, 2), "");
        PostMessageA(button_->Handle(), WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001));
        PumpPending();
        EXPECT_EQ(clicks_.Clicks, before + 2);
        // Focused now: cell 5.
        EXPECT_EQ(ButtonCellDifference(*Shot(button_), *skin_, 5), "");
    }
    EXPECT_GE(distinguished, 3) << "the skins' cells must differ for these checks to mean anything";
}

TEST_F(SkinAdapterTest, ATwoLineCaptionAndTheTransparentTag) {
    MakeForm();
    button_->SetCaption("One||Two");
    button_->SetBounds(10, 10, 110, 50);
    button_->SetTagInt(TransparentTag);
    SkinAll();
    EXPECT_TRUE(buttonSkin_->Transparent());
    EXPECT_FALSE(defaultSkin_->Transparent());
    // The two lines take two text rows: the text is drawn higher than a one-line caption.
    auto rowsWithText = [&](const TBitmap& shot) {
        int rows = 0;
        const TColor face = Face(*skin_);
        for (int y = 6; y < shot.Height() - 6; ++y) {
            bool text = false;
            for (int x = 6; x < shot.Width() - 6 && !text; ++x)
                text = shot.PixelColor(x, y) != shot.PixelColor(6, y) && shot.PixelColor(x, y) != face;
            rows += text;
        }
        return rows;
    };
    const int twoLines = rowsWithText(*Shot(button_));
    button_->SetCaption("One");
    PumpPending();
    const int oneLine = rowsWithText(*Shot(button_));
    EXPECT_GT(oneLine, 0);
    EXPECT_GT(twoLines, oneLine + oneLine / 2);
}

TEST_F(SkinAdapterTest, CheckBoxesAndRadioButtonsShowTheirStateAtOnceInThreeSkins) {
    MakeForm();
    SkinAll();
    EXPECT_EQ(checkSkin_->Mode(), 1);
    for (int index : {0, 2, 7}) {
        SCOPED_TRACE("skin " + std::to_string(index));
        UseSkin(index);
        ASSERT_EQ(skin_->Buttons().CheckFrame, 12);
        ASSERT_EQ(skin_->Buttons().RadioFrame, 8);
        check_->SetEnabled(true);
        check_->SetState(cbUnchecked);
        PumpPending();
        EXPECT_EQ(CheckCellDifference(*Shot(check_), *skin_, false, 1), "");
        // A click shows the new state with no other repaint in between.
        PostLeftClick(check_->Handle(), 5, 10);
        PumpPending();
        EXPECT_TRUE(check_->Checked());
        EXPECT_EQ(checkSkin_->LastCell(), 5);
        EXPECT_EQ(CheckCellDifference(*Shot(check_), *skin_, false, 5), "");
        PostLeftClick(check_->Handle(), 5, 10);
        PumpPending();
        EXPECT_FALSE(check_->Checked());
        EXPECT_EQ(CheckCellDifference(*Shot(check_), *skin_, false, 1), "");
        Keep(*CaptureWindow(forms_.back()->Handle()), "adapters-skin" + std::to_string(index));
        // Indeterminate, disabled and both.
        check_->SetState(cbGrayed);
        PumpPending();
        EXPECT_EQ(CheckCellDifference(*Shot(check_), *skin_, false, 9), "");
        check_->SetEnabled(false);
        PumpPending();
        EXPECT_EQ(CheckCellDifference(*Shot(check_), *skin_, false, 12), "");
        check_->SetState(cbChecked);
        PumpPending();
        EXPECT_EQ(CheckCellDifference(*Shot(check_), *skin_, false, 8), "");
        check_->SetState(cbUnchecked);
        PumpPending();
        EXPECT_EQ(CheckCellDifference(*Shot(check_), *skin_, false, 4), "");

        radio_->SetChecked(false);
        PumpPending();
        EXPECT_EQ(CheckCellDifference(*Shot(radio_), *skin_, true, 1), "");
        PostLeftClick(radio_->Handle(), 5, 10);
        PumpPending();
        EXPECT_TRUE(radio_->Checked());
        EXPECT_EQ(CheckCellDifference(*Shot(radio_), *skin_, true, 5), "");
    }
}

TEST_F(SkinAdapterTest, LeftTextPutsTheImageAtTheRightEdge) {
    MakeForm();
    SkinAll();
    SetWindowLongA(check_->Handle(), GWL_STYLE, GetWindowLongA(check_->Handle(), GWL_STYLE) | BS_LEFTTEXT);
    SetWindowLongA(radio_->Handle(), GWL_STYLE, GetWindowLongA(radio_->Handle(), GWL_STYLE) | BS_LEFTTEXT);
    check_->Invalidate();
    radio_->Invalidate();
    PumpPending();
    EXPECT_EQ(CheckCellDifference(*Shot(check_), *skin_, false, 1, true), "");
    EXPECT_EQ(CheckCellDifference(*Shot(radio_), *skin_, true, 1, true), "");
    // And not at the left.
    EXPECT_NE(CheckCellDifference(*Shot(check_), *skin_, false, 1, false), "");
}

TEST_F(SkinAdapterTest, BareWindowsOfAPlainWindowAreSkinnedByHandle) {
    MakeForm();
    HWND plain = Plain();
    HWND button = MakeChild(plain, "BUTTON", "Bare", BS_PUSHBUTTON, 41, RECT{10, 10, 120, 40});
    HWND check = MakeChild(plain, "BUTTON", "Bare check", BS_AUTOCHECKBOX, 42, RECT{10, 50, 160, 74});
    HWND group = MakeChild(plain, "BUTTON", "Group", BS_GROUPBOX, 43, RECT{10, 80, 240, 160});
    auto* buttonSkin = new TSkinButton(frame_);
    buttonSkin->AttachWindow(button, skin_.get(), frame_, nullptr);
    auto* checkSkin = new TSkinCheckBox(frame_);
    checkSkin->AttachWindow(check, skin_.get(), frame_, nullptr);
    auto* groupSkin = new TSkinGroupBox(frame_);
    groupSkin->AttachWindow(group, skin_.get(), frame_, nullptr);
    PumpPending();
    EXPECT_EQ(checkSkin->Mode(), 0);
    EXPECT_EQ(groupSkin->Mode(), 0);
    EXPECT_EQ(buttonSkin->Caption(), L"Bare");
    EXPECT_EQ(SendMessageA(button, SKM_ISSKINNED, 0, 0), 1);
    EXPECT_EQ(ButtonCellDifference(*CaptureClient(button), *skin_, 1), "");
    // Overlay: the native box is painted, then the skin's image over its mark.
    EXPECT_EQ(CheckCellDifference(*CaptureClient(check), *skin_, false, 1, false, true), "");
    PostLeftClick(check, 5, 12);
    PumpPending();
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(CheckCellDifference(*CaptureClient(check), *skin_, false, 5, false, true), "");
    // The group box's line is the skin's ButtonShadow colour.
    {
        auto shot = CaptureClient(group);
        const TColor shadow = static_cast<TColor>(ColorToRGB(skin_->Colour(scButtonShadow)));
        bool line = false;
        for (int y = 0; y < shot->Height() && !line; ++y)
            line = shot->PixelColor(1, y) == shadow;
        EXPECT_TRUE(line);
    }
    // A click posts the command to the parent with the button's id.
    HoverOver(button);
    PostMouse(button, WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
    PumpPending();
    EXPECT_EQ(ButtonCellDifference(*CaptureClient(button), *skin_, 2), "");
    PostMouse(button, WM_LBUTTONUP, 10, 10);
    PumpPending();
    // (The check box's own click came before.)
    ASSERT_EQ(commands_.size(), 2u);
    EXPECT_EQ(LOWORD(commands_[0]), 42);
    EXPECT_EQ(LOWORD(commands_[1]), 41);
    EXPECT_EQ(HIWORD(commands_[1]), BN_CLICKED);
    // Destroying the window marks the adapter destroyed; the frame's next pass frees it.
    DestroyWindow(check);
    EXPECT_EQ(checkSkin->State(), asDestroyed);
    const size_t before = frame_->Adapters().size();
    frame_->PurgeAdapters();
    EXPECT_EQ(frame_->Adapters().size(), before - 1);
}

TEST_F(SkinAdapterTest, RestoreGivesThePanelItsColourAndParentBackgroundBack) {
    MakeForm();
    ASSERT_TRUE(panel_->ParentBackground());
    SkinAll();
    EXPECT_EQ(panel_->Color(), skin_->Colour(scButtonFace));
    EXPECT_FALSE(panel_->ParentBackground());
    EXPECT_TRUE(panelSkin_->ParentBackgroundWasOn());
    EXPECT_EQ(panelSkin_->SavedColour(), clBtnHighlight);
    // A skin change gives the panel the new ButtonFace.
    UseSkin(4);
    EXPECT_EQ(panel_->Color(), skin_->Colour(scButtonFace));
    panelSkin_->Restore();
    EXPECT_EQ(panel_->Color(), clBtnHighlight);
    EXPECT_TRUE(panel_->ParentBackground());
    EXPECT_EQ(panelSkin_->State(), asRestored);
    // Only once.
    panel_->SetColor(clWindow);
    panelSkin_->Restore();
    EXPECT_EQ(panel_->Color(), clWindow);
}

TEST_F(SkinAdapterTest, SwitchingSkinningOffGivesEveryControlItsOwnLookAndAdaptersGo) {
    MakeForm();
    SkinAll();
    auto skinned = Shot(button_);
    skin_->SetActive(false);
    ASSERT_TRUE(PumpUntil(SkinActionDone, 3000));
    PumpPending();
    EXPECT_EQ(SkinManager()->FindFrame(forms_.back()->Handle()), nullptr);
    EXPECT_EQ(panel_->Color(), clBtnHighlight);
    EXPECT_TRUE(panel_->ParentBackground());
    EXPECT_EQ(SendMessageA(button_->Handle(), SKM_ISSKINNED, 0, 0), 0);
    EXPECT_NE(ButtonCellDifference(*Shot(button_), *skin_, 1), "");
    // The controls still work.
    PostLeftClick(button_->Handle(), 10, 10);
    PumpPending();
    EXPECT_EQ(clicks_.Clicks, 1);
}

TEST_F(SkinAdapterTest, SkinOnOffMessagePaintsNativelyUntilSwitchedOnAgain) {
    MakeForm();
    SkinAll();
    EXPECT_EQ(ButtonCellDifference(*Shot(button_), *skin_, 1), "");
    SendMessageA(button_->Handle(), SKM_SKINONOFF, 0, 0);
    EXPECT_FALSE(buttonSkin_->Active());
    button_->Invalidate();
    PumpPending();
    EXPECT_NE(ButtonCellDifference(*Shot(button_), *skin_, 1), "");
    // Off, the adapter does not even answer the skinned question: the control does.
    EXPECT_EQ(SendMessageA(button_->Handle(), SKM_ISSKINNED, 0, 0), 0);
    SendMessageA(button_->Handle(), SKM_SKINONOFF, static_cast<WPARAM>(-1), 0);
    EXPECT_FALSE(buttonSkin_->Active());
    SendMessageA(button_->Handle(), SKM_SKINONOFF, 1, 0);
    EXPECT_TRUE(buttonSkin_->Active());
    PumpPending();
    EXPECT_EQ(ButtonCellDifference(*Shot(button_), *skin_, 1), "");
}

TEST_F(SkinAdapterTest, ClosingTheFormWhileAButtonIsPressedOrHotLeavesNothingBehind) {
    for (int round = 0; round < 2; ++round) {
        MakeForm();
        SkinAll();
        HoverOver(button_->Handle());
        if (round == 0)
            PostMouse(button_->Handle(), WM_LBUTTONDOWN, 20, 10, MK_LBUTTON);
        PumpPending();
        EXPECT_NE(buttonSkin_->MouseState(), 0);
        HWND window = button_->Handle();
        forms_.clear();
        PumpFor(100);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_TRUE(SkinManager()->Frames().empty());
    }
    EXPECT_TRUE(MovePointerTo(0, 0));
}

TEST_F(SkinAdapterTest, AButtonFreedInsideItsOwnClickTakesItsAdapterWithIt) {
    MakeForm();
    SkinAll();
    TFreeOnClick freer;
    button_->OnClick = Bind<&TFreeOnClick::Click>(&freer);
    HWND window = button_->Handle();
    const size_t before = frame_->Adapters().size();
    PostMouse(window, WM_LBUTTONDOWN, 20, 10, MK_LBUTTON);
    PostMouse(window, WM_LBUTTONUP, 20, 10);
    PumpPending();
    EXPECT_EQ(freer.Clicks, 1);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(frame_->Adapters().size(), before - 1);
    // The rest of the form goes on as before.
    PostLeftClick(check_->Handle(), 5, 10);
    PumpPending();
    EXPECT_TRUE(check_->Checked());
}

// Frees the form from inside a button's click, as a dialog closed at once would go.
struct TFreeFormOnClick {
    std::vector<TOwnedComponent<TForm>>* Forms = nullptr;
    int Clicks = 0;
    void Click(TObject*) {
        ++Clicks;
        Forms->clear();
    }
};

TEST_F(SkinAdapterTest, AFormFreedInsideAButtonsClickTakesFrameAndAdaptersWithIt) {
    MakeForm();
    SkinAll();
    TFreeFormOnClick freer;
    freer.Forms = &forms_;
    button_->OnClick = Bind<&TFreeFormOnClick::Click>(&freer);
    HWND window = button_->Handle();
    PostMouse(window, WM_LBUTTONDOWN, 20, 10, MK_LBUTTON);
    PostMouse(window, WM_LBUTTONUP, 20, 10);
    PumpPending();
    EXPECT_EQ(freer.Clicks, 1);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(SkinManager()->Frames().empty());
}

TEST_F(SkinAdapterTest, AnAdapterAttachedBeforeTheWindowExistsSkinsItOnceItDoes) {
    forms_.emplace_back(new TForm(&TestApplication()));
    TForm& form = *forms_.back();
    form.SetBounds(140, 140, 200, 120);
    ASSERT_TRUE(PumpUntil([&] { return SkinManager()->FindFrame(form.Handle()) != nullptr; }));
    frame_ = SkinManager()->FindFrame(form.Handle());
    auto* button = new TButton(&form);
    button->SetBounds(10, 10, 100, 30);
    button->SetCaption("Late");
    auto* adapter = new TSkinButton(button);
    adapter->AttachControl(frame_, skin_.get(), false, nullptr);
    EXPECT_EQ(adapter->Handle(), nullptr);
    button->SetParent(&form);
    form.Show();
    PumpPending();
    EXPECT_EQ(adapter->Handle(), button->Handle());
    EXPECT_EQ(SendMessageA(button->Handle(), SKM_ISSKINNED, 0, 0), 1);
    // The form's only control has the focus.
    EXPECT_EQ(ButtonCellDifference(*CaptureClient(button->Handle()), *skin_,
                                   GetFocus() == button->Handle() ? 5 : 1),
              "");
}

TEST_F(SkinAdapterTest, ARecreatedWindowStaysSkinned) {
    MakeForm();
    SkinAll();
    HWND old = button_->Handle();
    button_->Perform(CM_RECREATEWND);
    PumpPending();
    HWND now = button_->Handle();
    ASSERT_TRUE(IsWindow(now));
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(buttonSkin_->State(), asAttached);
    EXPECT_TRUE(buttonSkin_->Active());
    EXPECT_EQ(buttonSkin_->Handle(), now);
    EXPECT_EQ(SendMessageA(now, SKM_ISSKINNED, 0, 0), 1);
    EXPECT_EQ(ButtonCellDifference(*Shot(button_), *skin_, 1), "");
    // A check box re-created with a new style (word wrap) too.
    check_->SetWordWrap(true);
    PumpPending();
    EXPECT_EQ(SendMessageA(check_->Handle(), SKM_ISSKINNED, 0, 0), 1);
    EXPECT_EQ(CheckCellDifference(*Shot(check_), *skin_, false, 1), "");
}

TEST_F(SkinAdapterTest, ALaterSubclasserOfABareWindowSurvivesTheAdaptersRemoval) {
    MakeForm();
    HWND plain = Plain();
    HWND button = MakeChild(plain, "BUTTON", "Bare", BS_PUSHBUTTON, 51, RECT{10, 10, 120, 40});
    auto* adapter = new TSkinButton(frame_);
    adapter->AttachWindow(button, skin_.get(), frame_, nullptr);
    laterSeen = 0;
    laterOldProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LaterProc)));
    EXPECT_EQ(SendMessageA(button, SKM_ISSKINNED, 0, 0), 1);
    TComponent::Free(adapter);
    // The later subclasser is still in place and reaches the button's own procedure.
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(button, GWLP_WNDPROC)), &LaterProc);
    const int seen = laterSeen;
    EXPECT_EQ(SendMessageA(button, SKM_ISSKINNED, 0, 0), 0);
    SetWindowTextA(button, "Still here");
    char text[32] = {};
    GetWindowTextA(button, text, sizeof text);
    EXPECT_STREQ(text, "Still here");
    EXPECT_GT(laterSeen, seen);
    InvalidateRect(button, nullptr, TRUE);
    PumpPending();
    DestroyWindow(button);
    PumpPending();

    // And a program control: a hook of the registry made after the adapter keeps working.
    TLaterHook later;
    buttonSkin_ = Skin<TSkinButton>(button_);
    ASSERT_TRUE(AttachHook(button_, Bind<&TLaterHook::Hook>(&later)));
    TComponent::Free(buttonSkin_);
    EXPECT_EQ(SendMessageA(button_->Handle(), SKM_ISSKINNED, 0, 0), 0);
    EXPECT_GT(later.Seen, 0);
    PostLeftClick(button_->Handle(), 10, 10);
    PumpPending();
    EXPECT_EQ(clicks_.Clicks, 1);
    EXPECT_TRUE(DetachHook(button_, Bind<&TLaterHook::Hook>(&later)));
    // The control dies with the relay the adapter left behind.
    forms_.clear();
    PumpPending();
}

TEST_F(SkinAdapterTest, AUnicodeBareWindowIsSubclassedWideAndGivenBackWhole) {
    MakeForm();
    HWND plain = Plain();
    HWND button = CreateWindowExW(0, L"BUTTON", L"Caf\u00e9 \u0416", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                  10, 10, 120, 30, plain, reinterpret_cast<HMENU>(static_cast<INT_PTR>(61)),
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(IsWindowUnicode(button));
    const LONG_PTR original = GetWindowLongPtrW(button, GWLP_WNDPROC);
    auto* adapter = new TSkinButton(frame_);
    adapter->AttachWindow(button, skin_.get(), frame_, nullptr);
    EXPECT_TRUE(adapter->IsUnicode());
    EXPECT_EQ(adapter->Caption(), L"Caf\u00e9 \u0416");
    EXPECT_EQ(SendMessageW(button, SKM_ISSKINNED, 0, 0), 1);
    // Wide text passes through the skinned window whole.
    SetWindowTextW(button, L"\u0416\u0418");
    wchar_t text[8] = {};
    GetWindowTextW(button, text, 8);
    EXPECT_STREQ(text, L"\u0416\u0418");
    PumpPending();
    EXPECT_EQ(ButtonCellDifference(*CaptureClient(button), *skin_, 1), "");
    TComponent::Free(adapter);
    EXPECT_EQ(GetWindowLongPtrW(button, GWLP_WNDPROC), original);
    EXPECT_EQ(SendMessageW(button, SKM_ISSKINNED, 0, 0), 0);
    DestroyWindow(button);
}

TEST_F(SkinAdapterTest, GroupBoxesContainersAndSizeGripsTakeTheSkinsColours) {
    MakeForm();
    const TColor face = Face(*skin_);
    const TColor shadow = static_cast<TColor>(ColorToRGB(skin_->Colour(scButtonShadow)));
    // A group of the program: painted whole, the line in ButtonShadow below half the text height.
    panel_->SetCaption("Group");
    auto* group = Skin<TSkinGroupBox>(panel_);
    EXPECT_EQ(group->Mode(), 1);
    panel_->Invalidate();
    PumpPending();
    {
        auto shot = Shot(panel_);
        const int middle = shot->Height() / 2;
        EXPECT_EQ(shot->PixelColor(1, middle), shadow);
        EXPECT_EQ(shot->PixelColor(shot->Width() - 2, middle), shadow);
        EXPECT_EQ(shot->PixelColor(shot->Width() / 2, shot->Height() - 2), shadow);
        EXPECT_EQ(shot->PixelColor(shot->Width() / 2, middle), face);
        EXPECT_EQ(shot->PixelColor(0, middle), face);
    }

    // A bare container: its background and its statics' colour from ButtonFace.
    HWND plain = Plain();
    HWND container = CreateWindowExA(0, "PPAdapterPlain", "", WS_CHILD | WS_VISIBLE, 10, 10, 200, 100, plain,
                                     nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND label = MakeChild(container, "STATIC", "Label", 0, 71, RECT{10, 10, 100, 30});
    auto* box = new TSkinBoxH(frame_);
    box->AttachWindow(container, skin_.get(), frame_, nullptr);
    PumpPending();
    {
        auto shot = CaptureClient(container);
        EXPECT_EQ(shot->PixelColor(150, 80), face);
        TWindowDC dc(label);
        EXPECT_EQ(SendMessageA(container, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.Get()),
                               reinterpret_cast<LPARAM>(label)),
                  reinterpret_cast<LRESULT>(skin_->ButtonFaceBrush()));
    }

    // A size grip: filled with ButtonFace.
    HWND grip = MakeChild(plain, "SCROLLBAR", "", SBS_SIZEGRIP, 72, RECT{220, 150, 240, 170});
    auto* sizer = new TSkinSizer(frame_);
    sizer->AttachWindow(grip, skin_.get(), frame_, nullptr);
    InvalidateRect(grip, nullptr, TRUE);
    PumpPending();
    {
        auto shot = CaptureClient(grip);
        for (int y = 0; y < shot->Height(); y += 3)
            for (int x = 0; x < shot->Width(); x += 3)
                ASSERT_EQ(shot->PixelColor(x, y), face) << x << ", " << y;
    }
}

TEST_F(SkinAdapterTest, ASizeGripMadeOnASkinnedWindowIsSkinnedAsItIsMade) {
    TForm& form = MakeForm();
    // The form's frame started before the grip was made; a window without a frame keeps the
    // system's grip.
    HWND grip = MakeChild(form.Handle(), "SCROLLBAR", "", SBS_SIZEGRIP, 74, RECT{10, 150, 26, 166});
    HWND unframed = MakeChild(Plain(), "SCROLLBAR", "", SBS_SIZEGRIP, 75, RECT{220, 150, 236, 166});
    PumpPending();
    EXPECT_EQ(SendMessageA(grip, SKM_ISSKINNED, 0, 0), 1);
    EXPECT_EQ(SendMessageA(unframed, SKM_ISSKINNED, 0, 0), 0);
    InvalidateRect(grip, nullptr, TRUE);
    PumpPending();
    auto shot = CaptureClient(grip);
    for (int y = 0; y < shot->Height(); y += 3)
        for (int x = 0; x < shot->Width(); x += 3)
            ASSERT_EQ(shot->PixelColor(x, y), Face(*skin_)) << x << ", " << y;
    DestroyWindow(grip);
    PumpPending();
}

TEST_F(SkinAdapterTest, AttachAndRestoreRoundsLeaveTheObjectCountsWhereTheyWere) {
    MakeForm();
    // One round first: caches built once (fonts, brushes of the system) are not leaks.
    auto round = [&] {
        auto* button = Skin<TSkinButton>(button_);
        auto* check = Skin<TSkinCheckBox>(check_);
        auto* panel = Skin<TSkinBox>(panel_, true);
        UpdateWindow(button_->Handle());
        UpdateWindow(check_->Handle());
        button->PaintFrame(nullptr);
        frame_->ReleaseAdapters();
        (void)check;
        (void)panel;
    };
    round();
    PumpPending();
    const int rounds = LeakRounds();
    const DWORD gdi = GdiObjectCount(), user = UserObjectCount();
    for (int i = 0; i < rounds; ++i)
        round();
    PumpPending();
    const DWORD gdiAfter = GdiObjectCount(), userAfter = UserObjectCount();
    std::printf("adapter rounds: GDI %lu -> %lu, USER %lu -> %lu\n", static_cast<unsigned long>(gdi),
                static_cast<unsigned long>(gdiAfter), static_cast<unsigned long>(user),
                static_cast<unsigned long>(userAfter));
    EXPECT_LE(gdiAfter, gdi + 5);
    EXPECT_LE(userAfter, user + 5);
    EXPECT_TRUE(frame_->Adapters().empty());
    EXPECT_EQ(button_->WindowProc(), button_->DefaultWindowProc());
}
