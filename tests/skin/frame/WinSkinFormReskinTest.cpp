// The skinned frame while the skin under it changes: a skin that does not load leaves every
// frame as it was, a skin whose frame cannot hold a window leaves it the system frame until a
// later skin can, a window someone else subclassed after its frame is skinned again safely, and
// an icon button without an image of its own shows the window's icon.
#include "SkinnedUiTest.h"
#include "UiTestSupport.h"

#include "Application.h"
#include "Buttons.h"
#include "Form.h"
#include "MapSkinSource.h"
#include "WinSkinForm.h"
#include "WinSkinFormButtons.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {
SIZE ClientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return SIZE{r.right, r.bottom};
}

bool HasRegion(HWND window) {
    TOwnedRegion region(CreateRectRgn(0, 0, 0, 0));
    return GetWindowRgn(window, region.Get()) != ERROR;
}

// A frame a window can wear: 4-pixel borders, a 24-pixel caption.
void UsableFrame(TMapSource& images, std::string& ini) {
    images.entries["side.bmp"] = SolidBmp(4, 40, 0x306090);
    images.entries["top.bmp"] = SolidBmp(40, 24, 0x306090);
    images.entries["bottom.bmp"] = SolidBmp(40, 4, 0x306090);
    ini += "[Personality]\nLeft=side.bmp\nRight=side.bmp\nTop=top.bmp\nBottom=bottom.bmp\n";
}

// Clicks and resizes of the test's controls and forms.
struct TCounts {
    int Clicks = 0, Resizes = 0;
    void Clicked(TObject*) { ++Clicks; }
    void Resized(TObject*) { ++Resizes; }
};

WNDPROC outsidePrevious = nullptr;
int outsideCalls = 0;
// Someone else's subclassing of a skinned window.
LRESULT CALLBACK OutsideProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    ++outsideCalls;
    return CallWindowProcA(outsidePrevious, window, msg, wParam, lParam);
}
} // namespace

class SkinReskinTest : public TSkinnedUiTest {
  protected:
    void TearDown() override {
        forms_.clear();
        PumpPending();
        TSkinnedUiTest::TearDown();
    }
    // Its controls are made before it is shown; an owned form is freed with its owner.
    TForm& ShowForm(const std::function<void(TForm&)>& populate = {}, TForm* owner = nullptr) {
        TForm* made = new TForm(owner ? static_cast<TComponent*>(owner) : &TestApplication());
        if (!owner)
            forms_.emplace_back(made);
        TForm& form = *made;
        form.SetCaption("Reskinned");
        form.SetBounds(200, 200, 260, 170);
        if (populate)
            populate(form);
        form.Show();
        SetForegroundWindow(form.Handle());
        PumpUntil([&] { return FrameOf(form) && FrameOf(form)->FrameState() == fsRunning; }, 3000);
        PumpPending();
        return form;
    }
    TWinSkinForm* FrameOf(TForm& form) const { return SkinManager()->FindFrame(form.Handle()); }
    // A skin built from images in memory, applied to the windows as a loaded one is.
    void LoadMapped(const std::string& ini, const TMapSource& images) {
        TQuickIni description;
        description.LoadFromText(ini);
        skin_->LoadElements(description, images);
        ASSERT_TRUE(skin_->SkinReady());
        skin_->ApplyNewSkin();
        SkinManager()->RunAction();
        PumpPending();
    }
    void RunPending() {
        if (SkinManager()->TimerEnabled())
            SkinManager()->RunAction();
        PumpPending();
    }
    // Ctrl+S: the component switched, the manager's action run.
    void Switch(bool on) {
        skin_->SetActive(on);
        SkinManager()->RunAction();
        PumpPending();
    }
    // The frame as the window draws it into a black picture of its size.
    std::unique_ptr<TBitmap> PaintedFrame(HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        auto picture = std::make_unique<TBitmap>(r.right - r.left, r.bottom - r.top);
        PatBlt(picture->MemoryDC(), 0, 0, picture->Width(), picture->Height(), BLACKNESS);
        EXPECT_EQ(
            SendMessageA(window, SKM_PAINTFRAME, reinterpret_cast<WPARAM>(picture->MemoryDC()), SKIN_MAGIC),
            SKIN_MAGIC);
        GdiFlush();
        return picture;
    }

    TTempFolder folder_;
    std::vector<TOwnedComponent<TForm>> forms_;
};

TEST_F(SkinReskinTest, ASkinThatDoesNotLoadLeavesEveryFrameAsItWas) {
    TForm& form = ShowForm();
    TWinSkinForm* frame = FrameOf(form);
    ASSERT_NE(frame, nullptr);
    const size_t buttons = frame->CaptionButtons().size();
    ASSERT_GT(buttons, 0u);
    const auto before = PaintedFrame(form.Handle());
    ASSERT_NE(before->PixelColor(1, 1), clBlack);

    folder_.Write("damaged.skin", std::string(64, '\x7F'));
    struct TCase {
        const char* What;
        std::function<void()> Load;
        bool Message;
    };
    const TCase cases[] = {
        {"a damaged file", [&] { skin_->SetSkinFile(folder_.Path("damaged.skin")); }, true},
        {"a stored copy that does not unpack",
         [&] {
             TMemoryStream& stored = store_->Store().Items(5)->DataStream();
             stored.Clear();
             const std::string junk(40, '\x11');
             stored.WriteBuffer(junk.data(), junk.size());
             skin_->LoadFromStore(*store_, 5);
         },
         true},
        {"a missing file", [&] { skin_->SetSkinFile(folder_.Path("missing.skin")); }, false},
    };
    for (const TCase& c : cases) {
        std::unique_ptr<TDialogAnswerer> answer;
        if (c.Message)
            answer = std::make_unique<TDialogAnswerer>(TAnswer::Press("TMessageForm", "OK"));
        c.Load();
        if (answer) {
            EXPECT_TRUE(answer->Wait().Answered) << c.What << ": no message";
        }
        EXPECT_FALSE(skin_->SkinReady()) << c.What;
        EXPECT_FALSE(SkinManager()->TimerEnabled()) << c.What << ": a refresh was asked for";
        RunPending();
        ASSERT_EQ(FrameOf(form), frame) << c.What;
        EXPECT_EQ(frame->CaptionButtons().size(), buttons) << c.What << ": the caption buttons went";
        // Active again after the message, as it was.
        SetForegroundWindow(form.Handle());
        PumpPending();
        const auto after = PaintedFrame(form.Handle());
        EXPECT_EQ(after->PixelColor(1, 1), before->PixelColor(1, 1)) << c.What << ": the frame is not drawn";
        EXPECT_EQ(after->PixelColor(after->Width() / 2, 2), before->PixelColor(before->Width() / 2, 2))
            << c.What;
    }
    // Not ready: switching off and on again skins nothing.
    Switch(false);
    Switch(true);
    EXPECT_EQ(FrameOf(form), nullptr);
}

TEST_F(SkinReskinTest, AMissingSkinFileKeepsAStoredCopyFromBeingUsed) {
    skin_.reset(new TSkinData(nullptr));
    skin_->BeginLoading();
    ASSERT_TRUE(LoadSkinStreamResource(skin_->PackedSkin(), GetModuleHandleA(nullptr)));
    skin_->UnpackSkinWhenNeeded();
    skin_->EndLoading();
    skin_->SetSkinFile(folder_.Path("missing.skin"));
    skin_->SetActive(true);
    EXPECT_FALSE(skin_->SkinReady());
    EXPECT_NE(SkinManager()->PendingSkinData(), skin_.get()) << "switching on asked for skinning";
}

TEST_F(SkinReskinTest, AFrameTheNewSkinCannotHoldGoesAndALaterSkinBringsItBack) {
    TForm& form = ShowForm();
    ASSERT_NE(FrameOf(form), nullptr);
    ASSERT_TRUE(FrameOf(form)->FrameApplied());
    // A caption two pixels high and borders wider than any window.
    TMapSource unusable;
    unusable.entries["left.bmp"] = SolidBmp(400, 10, 0x203040);
    unusable.entries["top.bmp"] = SolidBmp(40, 2, 0x203040);
    const std::string unusableIni =
        "[Personality]\nLeft=left.bmp\nRight=left.bmp\nTop=top.bmp\nBottom=top.bmp\n";
    // Each window keeps the client area it had when first seen here.
    std::vector<std::pair<TForm*, SIZE>> windows{{&form, ClientSize(form.Handle())}};
    auto systemFrame = [&](const char* when) {
        for (auto [f, client] : windows) {
            const HWND window = f->Handle();
            TWinSkinForm* now = FrameOf(*f);
            ASSERT_NE(now, nullptr) << when;
            EXPECT_FALSE(now->FrameApplied()) << when;
            EXPECT_FALSE(HasRegion(window)) << when;
            EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU) << when;
            EXPECT_EQ(ClientSize(window).cx, client.cx) << when;
            EXPECT_EQ(ClientSize(window).cy, client.cy) << when;
            RECT outer{};
            GetWindowRect(window, &outer);
            const POINT caption{outer.left + 60, outer.top + GetSystemMetrics(SM_CYFRAME) + 4};
            EXPECT_EQ(SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(caption.x, caption.y)), HTCAPTION)
                << when;
        }
    };
    auto skinFrame = [&](const char* when) {
        for (auto [f, client] : windows) {
            const HWND window = f->Handle();
            PumpUntil([&] { return FrameOf(*f) && FrameOf(*f)->FrameState() == fsRunning; }, 2000);
            TWinSkinForm* now = FrameOf(*f);
            ASSERT_NE(now, nullptr) << when;
            EXPECT_TRUE(now->FrameApplied()) << when;
            EXPECT_TRUE(HasRegion(window)) << when;
            EXPECT_EQ(now->Widths().Caption, skin_->FrameTop().Bitmap.Height() / skin_->FrameTop().Frame)
                << when;
            EXPECT_EQ(ClientSize(window).cx, client.cx) << when;
            EXPECT_EQ(ClientSize(window).cy, client.cy) << when;
            RECT outer{};
            GetWindowRect(window, &outer);
            EXPECT_EQ(outer.right - outer.left, client.cx + now->Widths().Left + now->Widths().Right) << when;
        }
    };

    const TWinSkinForm* frame = FrameOf(form);
    LoadMapped(unusableIni, unusable);
    systemFrame("changed to a skin that cannot hold it");
    EXPECT_EQ(FrameOf(form), frame);
    // A window made meanwhile starts with the system frame.
    TForm& later = ShowForm();
    windows.emplace_back(&later, ClientSize(later.Handle()));
    systemFrame("made under a skin that cannot hold it");
    skin_->LoadFromStore(*store_, 2);
    RunPending();
    skinFrame("changed to one that can");

    // Ctrl+S, both ways.
    Switch(false);
    LoadMapped(unusableIni, unusable);
    Switch(true);
    systemFrame("switched on with a skin that cannot hold it");
    Switch(false);
    skin_->LoadFromStore(*store_, 4);
    RunPending();
    Switch(true);
    skinFrame("switched on with one that can");
}

TEST_F(SkinReskinTest, AWindowSubclassedFromOutsideIsSkinnedAgainAndLetGoInEitherOrder) {
    for (bool outsideLeavesFirst : {false, true}) {
        SCOPED_TRACE(outsideLeavesFirst ? "the outside subclass goes first" : "the skin goes first");
        if (!skin_->Active())
            Switch(true);
        TForm& form = ShowForm();
        const HWND window = form.Handle();
        ASSERT_NE(FrameOf(form), nullptr);
        outsidePrevious = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OutsideProc)));
        Switch(false);
        ASSERT_EQ(FrameOf(form), nullptr);
        Switch(true);
        PumpUntil([&] { return FrameOf(form) && FrameOf(form)->FrameState() == fsRunning; }, 2000);
        ASSERT_NE(FrameOf(form), nullptr);

        // Every message passes each procedure once: to the frame, the outside one, the window's.
        outsideCalls = 0;
        EXPECT_EQ(SendMessageA(window, SKM_ISSKINNED, 0, 0), 1);
        form.SetCaption("Skinned again");
        char text[32] = {};
        GetWindowTextA(window, text, sizeof text);
        EXPECT_STREQ(text, "Skinned again");
        RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_NE(PaintedFrame(window)->PixelColor(1, 1), clBlack);
        EXPECT_GT(outsideCalls, 0);

        const auto outsideLeaves = [&] {
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(outsidePrevious));
        };
        if (outsideLeavesFirst) {
            outsideLeaves();
            Switch(false);
        } else {
            Switch(false);
            outsideLeaves();
        }
        ASSERT_EQ(FrameOf(form), nullptr);
        outsideCalls = 0;
        EXPECT_EQ(SendMessageA(window, SKM_ISSKINNED, 0, 0), 0);
        form.SetCaption("Plain");
        GetWindowTextA(window, text, sizeof text);
        EXPECT_STREQ(text, "Plain");
        EXPECT_EQ(outsideCalls, 0);
        forms_.clear();
        PumpPending();
    }
}

TEST_F(SkinReskinTest, AnIconButtonWithoutAnImageShowsTheWindowsIconAndOpensTheSystemMenu) {
    TForm& form = ShowForm();
    TMapSource images;
    std::string ini;
    UsableFrame(images, ini);
    ini += "[Button1]\nAction=3\nAlign=0\nXcoord=6\nYcoord=4\nVisibility=0\nVisibility1=0\n";
    skin_->CaptionIcon().Assign(TBitmap());
    LoadMapped(ini, images);
    TWinSkinForm* frame = FrameOf(form);
    ASSERT_NE(frame, nullptr);
    ASSERT_FALSE(frame->CaptionButtons().empty());
    // The skin's first button; the MDI child's three follow.
    auto* icon = static_cast<TWinSysButton*>(frame->CaptionButtons().front().get());
    ASSERT_EQ(icon->Element().Action, 3);
    EXPECT_FALSE(icon->Element().Bitmap.Empty());
    EXPECT_FALSE(skin_->CaptionIcon().Empty());
    RedrawWindow(form.Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    ASSERT_TRUE(icon->Visible);
    EXPECT_EQ(icon->BoundsRect.Width(), GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(icon->BoundsRect.Left, 6);

    RECT outer{};
    GetWindowRect(form.Handle(), &outer);
    const LPARAM at = MAKELPARAM(outer.left + (icon->BoundsRect.Left + icon->BoundsRect.Right) / 2,
                                 outer.top + (icon->BoundsRect.Top + icon->BoundsRect.Bottom) / 2);
    TDialogAnswerer answer(TAnswer::ChooseMenu(""));
    SendMessageA(form.Handle(), WM_NCLBUTTONDOWN, HTCAPTION, at);
    PostMessageA(form.Handle(), WM_NCLBUTTONUP, HTCAPTION, at);
    EXPECT_TRUE(PumpUntil([&] { return answer.Done(); }, 5000));
    EXPECT_TRUE(answer.Wait().Found) << "no system menu";
    PumpPending();
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
}

TEST_F(SkinReskinTest, TheFormObjectAnswersTheProbeAndPaintsAndReskinsItsFrameWhenAsked) {
    TForm& form = ShowForm();
    EXPECT_EQ(form.Perform(SKM_PROBE, 0, SKIN_MAGIC), SKIN_MAGIC);
    EXPECT_EQ(form.Perform(SKM_PROBE, 0, 0), 1);

    const auto byWindow = PaintedFrame(form.Handle());
    TBitmap byForm(byWindow->Width(), byWindow->Height());
    PatBlt(byForm.MemoryDC(), 0, 0, byForm.Width(), byForm.Height(), BLACKNESS);
    EXPECT_EQ(form.Perform(SKM_PAINTFRAME, reinterpret_cast<WPARAM>(byForm.MemoryDC()), SKIN_MAGIC),
              SKIN_MAGIC);
    GdiFlush();
    EXPECT_NE(byForm.PixelColor(1, 1), clBlack) << "no frame painted";
    EXPECT_TRUE(SameBitmaps(*byWindow, byForm));

    form.SetColor(0x0000C0);
    EXPECT_EQ(form.Perform(SKM_RESKIN), 0);
    EXPECT_EQ(form.Color(), skin_->Colour(scButtonFace));
}

TEST_F(SkinReskinTest, AKeyNoControlOfAModelessFormTookIsTriedOnTheMainForm) {
    TCounts counts;
    TForm& mainForm = ShowForm([&](TForm& form) {
        auto* go = new TButton(&form);
        go->SetParent(&form);
        go->SetBounds(10, 10, 80, 26);
        go->SetCaption("&Go");
        go->OnClick = Bind<&TCounts::Clicked>(&counts);
    });
    TForm& other = ShowForm();
    struct TMainFormGuard {
        TCustomForm* Saved = Application->MainForm();
        ~TMainFormGuard() { Application->SetMainForm(Saved); }
    } guard;
    Application->SetMainForm(&mainForm);
    EXPECT_EQ(other.Perform(CM_DIALOGCHAR, 'g', 0), 0) << "the main form's answer is not the form's";
    EXPECT_EQ(counts.Clicks, 1);
    // The main form itself forwards nothing.
    EXPECT_EQ(mainForm.Perform(CM_DIALOGCHAR, 'x', 0), 0);
    EXPECT_EQ(counts.Clicks, 1);
}

TEST_F(SkinReskinTest, ASkinChangeColoursTheOwnedFormsAndLaysTheFormOutAgain) {
    TForm& form = ShowForm();
    TForm& owned = ShowForm({}, &form);
    auto& unskinned = *new TForm(&form);
    unskinned.SetTag(99);
    unskinned.SetBounds(480, 200, 200, 120);
    unskinned.Show();
    const TColor ownColour = unskinned.Color();
    TCounts counts;
    form.OnResize = Bind<&TCounts::Resized>(&counts);
    const SIZE client = ClientSize(form.Handle());
    skin_->LoadFromStore(*store_, 4);
    RunPending();
    EXPECT_EQ(form.Color(), skin_->Colour(scButtonFace));
    EXPECT_EQ(owned.Color(), skin_->Colour(scButtonFace));
    EXPECT_EQ(unskinned.Color(), ownColour) << "a form left unskinned keeps its colour";
    EXPECT_GT(counts.Resizes, 0) << "the form was not laid out again";
    EXPECT_EQ(ClientSize(form.Handle()).cx, client.cx);
    EXPECT_EQ(ClientSize(form.Handle()).cy, client.cy);
    form.OnResize = {};
}

TEST_F(SkinReskinTest, SwitchingOffRepaintsEveryControlInItsOwnLook) {
    // The window keeps the system frame (nothing resizes it when skinning ends); only its
    // controls are skinned.
    skin_->SetSkinControls(skin_->SkinControls() & ~SkinControlBit(xcMainMenu));
    TButton* button = nullptr;
    TForm& form = ShowForm([&](TForm& f) {
        button = new TButton(&f);
        button->SetParent(&f);
        button->SetBounds(20, 20, 110, 30);
        button->SetCaption("Native");
    });
    ASSERT_TRUE(PumpUntil([&] { return FrameOf(form) && !FrameOf(form)->Adapters().empty(); }, 3000));
    RedrawWindow(button->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const auto skinned = CaptureClient(button->Handle());
    Switch(false);
    const auto shown = CaptureClient(button->Handle());
    RedrawWindow(button->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const auto native = CaptureClient(button->Handle());
    EXPECT_FALSE(SameBitmaps(*skinned, *native)) << "the skin does not change the button's look";
    EXPECT_TRUE(SameBitmaps(*shown, *native)) << "the button still shows the skin";
}
