// The skinned menu bar: its rules without windows, and a form with a main menu driven with
// posted input like a user's: the strip drawn from the skin in place of the system's menu bar,
// the client area kept, buttons that open their popups by click, access key, Alt alone and a
// slide of the mouse, arrow keys that wrap around the bar and leave nested submenus to the
// menu, a disabled top item, the menu bar given back by Ctrl+S and taken again, a skin change.
//
// While a popup is open the user-interface thread sits in the menu's modal loop: a helper
// thread (TMenuDriver) watches the popup windows ("#32768") and posts the keys, and closes
// every menu it finds when it goes, so no test can hang on an open menu.
#include "GuiObjects.h"
#include "SkinActions.h"
#include "UiTestSupport.h"

#include "Form.h"
#include "Handles.h"
#include "ImgUtil.h"
#include "Menus.h"
#include "Timer.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSkinFormMenuBar.h"
#include "WinSkinStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

// ---- Rules of the bar

TEST(MenuBarRules, TheAccessKeyIsTheCharacterAfterTheFirstSingleAmpersand) {
    EXPECT_EQ(MenuAccelerator(L"&File"), L'F');
    EXPECT_EQ(MenuAccelerator(L"E&xit"), L'x');
    EXPECT_EQ(MenuAccelerator(L"Save && &Close"), L'C');
    EXPECT_EQ(MenuAccelerator(L"&&Plain"), 0);
    EXPECT_EQ(MenuAccelerator(L"Trailing&"), 0);
    EXPECT_EQ(MenuAccelerator(L""), 0);
    EXPECT_EQ(MenuAccelerator(L"&A&B"), L'A');
    EXPECT_TRUE(IsMenuAccelerator(L'f', L"&File"));
    EXPECT_TRUE(IsMenuAccelerator(L'X', L"E&xit"));
    EXPECT_FALSE(IsMenuAccelerator(L'e', L"E&xit"));
    EXPECT_FALSE(IsMenuAccelerator(0, L"Plain"));
    EXPECT_FALSE(IsMenuAccelerator(L'&', L"&&Plain"));
}

TEST(MenuBarRules, TheFirstButtonStartsAfterTheElementsCapOrAtSix) {
    EXPECT_EQ(MenuStripStart(true, 2, 3, 300, false), 6);
    EXPECT_EQ(MenuStripStart(true, 2, 3, 300, true), 11);
    EXPECT_EQ(MenuStripStart(false, 2, 3, 300, false), 6);
    EXPECT_EQ(MenuStripStart(false, 50, 50, 300, true), 6);
    // A strip narrower than the offset.
    EXPECT_EQ(MenuStripStart(true, 40, 0, 30, false), 12);
    EXPECT_EQ(MenuStripStart(true, 2, 3, 6, false), 6);
    EXPECT_EQ(MenuStripStart(true, 2, 3, 5, false), 12);
}

TEST(MenuBarRules, ButtonsFollowOneAnotherWithTenPixelsAroundTheirText) {
    const TFrameRect strip{4, 30, 204, 49};
    const auto rects = LayoutMenuButtons({{true, 20}, {false, 50}, {true, 0}, {true, 31}}, strip, 6, false);
    ASSERT_EQ(rects.size(), 4u);
    EXPECT_EQ(rects[0], (TFrameRect{10, 30, 40, 48}));
    EXPECT_EQ(rects[1], TFrameRect{});                 // invisible
    EXPECT_EQ(rects[2], (TFrameRect{40, 30, 40, 48})); // no text, no margin
    EXPECT_EQ(rects[3], (TFrameRect{40, 30, 81, 48}));
}

TEST(MenuBarRules, RightToLeftButtonsRunLeftwardsFromTheRightEdge) {
    const TFrameRect strip{4, 30, 204, 49};
    const auto rects = LayoutMenuButtons({{true, 20}, {true, 30}}, strip, 10, true);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0], (TFrameRect{164, 30, 194, 48}));
    EXPECT_EQ(rects[1], (TFrameRect{124, 30, 164, 48}));
}

TEST(MenuBarRules, ExtremeWidthsStayInRange) {
    const TFrameRect strip{0, 0, 100, 1};
    const auto rects = LayoutMenuButtons({{true, INT_MAX}, {true, INT_MAX}, {true, -5}}, strip, 6, false);
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[0].Left, 6);
    EXPECT_EQ(rects[1].Right, INT_MAX);
    EXPECT_LE(rects[2].Left, rects[2].Right);
    // A strip one row high still gives rectangles that are not inverted.
    EXPECT_GE(rects[0].Bottom, rects[0].Top);
}

TEST(MenuBarRules, ArrowKeysWrapAroundAndSkipButtonsThatCannotOpen) {
    const std::vector<bool> selectable{true, true, false, true};
    EXPECT_EQ(NeighbourMenuButton(selectable, 0, 1), 1);
    EXPECT_EQ(NeighbourMenuButton(selectable, 1, 1), 3);  // over the disabled one
    EXPECT_EQ(NeighbourMenuButton(selectable, 3, 1), 0);  // Right on the last: the first
    EXPECT_EQ(NeighbourMenuButton(selectable, 0, -1), 3); // Left on the first: the last
    EXPECT_EQ(NeighbourMenuButton(selectable, 3, -1), 1);
    EXPECT_EQ(NeighbourMenuButton({true}, 0, 1), 0);
    EXPECT_EQ(NeighbourMenuButton({true, false}, 0, -1), 0);
    EXPECT_EQ(NeighbourMenuButton({}, 0, 1), 0);
}

TEST(MenuBarRules, LeftInANestedSubmenuAndRightOnASubmenuAreTheMenusOwn) {
    constexpr unsigned left = VK_LEFT, right = VK_RIGHT;
    EXPECT_EQ(MenuBarKeyAction(left, {false, false}), mkPrevious);
    EXPECT_EQ(MenuBarKeyAction(left, {false, true}), mkPrevious);
    EXPECT_EQ(MenuBarKeyAction(left, {true, false}), mkNone);
    EXPECT_EQ(MenuBarKeyAction(right, {false, false}), mkNext);
    EXPECT_EQ(MenuBarKeyAction(right, {true, false}), mkNext);
    EXPECT_EQ(MenuBarKeyAction(right, {false, true}), mkNone);
    EXPECT_EQ(MenuBarKeyAction(VK_DOWN, {false, false}), mkNone);
}

// ---- A form with a main menu

namespace {
std::string Hex(TColor c) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(c));
    return text;
}

// The popup menu windows of this process that are showing, with their menus.
struct TPopup {
    HWND Window;
    HMENU Menu;
};
std::vector<TPopup> OpenPopups() {
    std::vector<TPopup> popups;
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            char name[16] = {};
            if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
                GetClassNameA(window, name, sizeof name) && std::string(name) == "#32768") {
                DWORD_PTR menu = 0;
                SendMessageTimeoutA(window, MN_GETHMENU, 0, 0, SMTO_NORMAL, 1000, &menu);
                reinterpret_cast<std::vector<TPopup>*>(param)->push_back(
                    {window, reinterpret_cast<HMENU>(menu)});
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&popups));
    return popups;
}

bool IsOpen(HMENU menu) {
    for (const TPopup& popup : OpenPopups())
        if (popup.Menu == menu)
            return true;
    return false;
}

bool ItemSelected(HMENU menu, int position) {
    return (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_HILITE) != 0;
}

// A helper thread that plays the user while the menu's modal loop runs on the test thread:
// a script of waits and key presses. Whatever it leaves open is closed when it goes.
class TMenuDriver {
  public:
    using TScript = std::function<void(TMenuDriver&)>;
    explicit TMenuDriver(TScript script)
        : thread_([this, script] {
              try {
                  script(*this);
              } catch (...) {
                  failures_.push_back("the script threw");
              }
              done_ = true;
          }) {}
    TMenuDriver(const TMenuDriver&) = delete;
    TMenuDriver& operator=(const TMenuDriver&) = delete;
    ~TMenuDriver() {
        Stop();
        CloseAll();
    }

    bool Done() const { return done_; }
    // Ends the script (its waits give up at once) and waits for its thread, so that what it
    // recorded is read only once it can no longer change.
    void Stop() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    // What went wrong, one line per failed wait (the script is stopped first).
    const std::vector<std::string>& Failures() {
        Stop();
        return failures_;
    }
    // The menus seen open, in order, one entry per change (the script is stopped first).
    const std::vector<HMENU>& Seen() {
        Stop();
        return seen_;
    }

    // Waits until condition holds; records a failure with the text when it does not in time.
    bool WaitFor(const std::function<bool()>& condition, const std::string& what, unsigned timeoutMs = 4000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!stop_ && std::chrono::steady_clock::now() < end) {
            if (condition())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        failures_.push_back("timed out waiting for " + what);
        return false;
    }
    // Waits for the popup of the menu, with its first item selected (it opens so), and notes it.
    bool WaitForPopup(HMENU menu, const std::string& what) {
        const bool open = WaitFor([&] { return IsOpen(menu) && ItemSelected(menu, 0); }, what);
        if (open)
            seen_.push_back(menu);
        return open;
    }
    bool WaitForNoPopup(const std::string& what) {
        return WaitFor([] { return OpenPopups().empty(); }, what);
    }
    // A key pressed while the menu is open (it reads the keys of the whole thread).
    static void Key(WORD key) {
        const std::vector<TPopup> popups = OpenPopups();
        if (!popups.empty())
            PostMessageA(popups.front().Window, WM_KEYDOWN, key, 0);
    }
    // Escape until no popup is left.
    static void CloseAll() {
        for (int i = 0; i < 50 && !OpenPopups().empty(); ++i) {
            for (const TPopup& popup : OpenPopups())
                PostMessageA(popup.Window, WM_KEYDOWN, VK_ESCAPE, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

  private:
    std::atomic<bool> done_{false};
    std::atomic<bool> stop_{false};
    std::vector<std::string> failures_;
    std::vector<HMENU> seen_;
    std::thread thread_;
};

// Clicks of menu items, by caption.
struct TClicks {
    std::vector<std::string> Captions;
    int Resizes = 0;
    void Clicked(TObject* sender) { Captions.push_back(static_cast<TMenuItem*>(sender)->Caption()); }
    void Resized(TObject*) { ++Resizes; }
};

// WM_COMMAND messages that reach a window through its queue.
std::vector<WPARAM>* commandLog = nullptr;
HWND commandWindow = nullptr;
LRESULT CALLBACK CommandWatch(int code, WPARAM wParam, LPARAM lParam) {
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && commandLog && msg->hwnd == commandWindow &&
        msg->message == WM_COMMAND)
        commandLog->push_back(msg->wParam);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The pixels of a button's caption: how many show the colour.
int CountColour(const TBitmap& shot, const TFrameRect& r, TColor colour) {
    const auto wanted = static_cast<TColor>(ColorToRGB(colour));
    int count = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            count += shot.PixelColor(x, y) == wanted;
    return count;
}
} // namespace

class MenuBarTest : public TUiTest {
  protected:
    void SetUp() override {
        TUiTest::SetUp();
        FreeSkinManager();
        store_.reset(new TSkinStore(nullptr));
        LoadSkinStoreResources(*store_, GetModuleHandleA(nullptr));
        ASSERT_EQ(store_->Store().Count(), PP_PACKED_SKIN_COUNT);
    }
    void TearDown() override {
        TMenuDriver::CloseAll();
        form_.reset();
        skin_.reset();
        FreeSkinManager();
        store_.reset();
        PumpPending();
        TUiTest::TearDown();
    }

    // A skin component switched on with skin number index of the store.
    void MakeSkin(int index) {
        skin_.reset(new TSkinData(nullptr));
        skin_->BeginLoading();
        skin_->SetActive(true);
        skin_->LoadFromStore(*store_, index);
        skin_->EndLoading();
    }
    TMenuItem* AddItem(TMenuItem& parent, const std::string& caption) {
        // Owned by the form, made after the menu: freed before it.
        auto* item = new TMenuItem(form_.get());
        item->SetCaption(caption);
        item->OnClick = Bind<&TClicks::Clicked>(&clicks_);
        parent.Add(item);
        return item;
    }
    // The form: File (Open, Save, -, Exit), Edit (Copy, More > (Alpha, Beta)), Locked
    // (disabled), Help (About); shown and skinned.
    void MakeForm() {
        form_.reset(new TForm(&TestApplication()));
        form_->SetCaption("Menu bar");
        form_->SetBounds(160, 140, 420, 260);
        form_->SetClientSize(400, 200);
        menu_ = new TMainMenu(form_.get());
        file_ = AddItem(menu_->Items(), "&File");
        AddItem(*file_, "&Open");
        AddItem(*file_, "&Save");
        AddItem(*file_, "-");
        AddItem(*file_, "E&xit");
        edit_ = AddItem(menu_->Items(), "&Edit");
        AddItem(*edit_, "&Copy");
        more_ = AddItem(*edit_, "&More");
        AddItem(*more_, "&Alpha");
        AddItem(*more_, "&Beta");
        locked_ = AddItem(menu_->Items(), "&Locked");
        AddItem(*locked_, "Never");
        locked_->SetEnabled(false);
        help_ = AddItem(menu_->Items(), "&Help");
        AddItem(*help_, "&About");
        form_->SetMenu(menu_);
        form_->Show();
        Activate();
        ASSERT_TRUE(PumpUntil([&] { return Frame() && Frame()->FrameState() == fsRunning && Bar(); }, 3000));
        PumpPending();
    }
    void Activate() {
        SetForegroundWindow(Window());
        SetActiveWindow(Window());
        PumpPending();
    }
    HWND Window() const { return form_->Handle(); }
    TWinSkinForm* Frame() const { return SkinManager() ? SkinManager()->FindFrame(Window()) : nullptr; }
    TWinSkinMenu* Bar() const { return Frame() ? Frame()->SkinMenuBar() : nullptr; }
    TMenuBtn* ButtonOf(const TMenuItem* item) const {
        for (const auto& button : Bar()->Buttons())
            if (button->Item == item)
                return button.get();
        return nullptr;
    }
    // The middle of a button in screen coordinates.
    POINT ScreenPoint(const TMenuBtn& button) const {
        RECT window{};
        GetWindowRect(Window(), &window);
        return POINT{window.left + (button.BoundsRect.Left + button.BoundsRect.Right) / 2,
                     window.top + (button.BoundsRect.Top + button.BoundsRect.Bottom) / 2};
    }
    // A click on a button as the system reports it.
    void ClickButton(const TMenuItem* item) {
        TMenuBtn* button = ButtonOf(item);
        ASSERT_NE(button, nullptr);
        const POINT p = ScreenPoint(*button);
        PostMessageA(Window(), WM_NCLBUTTONDOWN, HTMENU, MAKELPARAM(p.x, p.y));
        PostMessageA(Window(), WM_NCLBUTTONUP, HTMENU, MAKELPARAM(p.x, p.y));
    }
    // Pumps until the driver's script has run; reports what it missed.
    void Run(TMenuDriver& driver, unsigned timeoutMs = 15000) {
        EXPECT_TRUE(PumpUntil([&] { return driver.Done(); }, timeoutMs)) << "the script did not finish";
        TMenuDriver::CloseAll();
        PumpUntil([&] { return !Frame() || !Frame()->MenuTracking(); }, 3000);
        for (const std::string& failure : driver.Failures())
            ADD_FAILURE() << failure;
        PumpPending();
    }
    HMENU Popup(const TMenuItem* item) const {
        TMenuBtn* button = ButtonOf(item);
        return button ? button->Submenu : nullptr;
    }
    // Ctrl+S's work: switching the component, then the manager's deferred action.
    void SwitchSkinning(bool on) {
        skin_->SetActive(on);
        ASSERT_TRUE(PumpUntil(SkinActionDone, 3000));
        Activate();
        if (on) {
            ASSERT_TRUE(
                PumpUntil([&] { return Frame() && Frame()->FrameState() == fsRunning && Bar(); }, 3000));
        }
        PumpPending();
    }

    // Every strip pixel outside the buttons shows a colour of the MenuBar cell for the
    // activation, the strip's top row the cell's top row; returns the mismatches.
    int StripMismatches(const std::string& label) {
        TWinSkinForm* frame = Frame();
        const TDataSkinObject* element = skin_->Slot(ssMenuBar);
        if (!frame || !element)
            return -1;
        auto shot = CaptureWindow(Window());
        const RECT cell = CellRect(*element, frame->Active() ? 1 : 2, true);
        std::set<TColor> colours;
        for (int y = cell.top; y < cell.bottom; ++y)
            for (int x = cell.left; x < cell.right; ++x)
                colours.insert(element->Bitmap.PixelColor(x, y));
        const TFrameWidths& w = frame->Widths();
        RECT window{};
        GetWindowRect(Window(), &window);
        const int right = window.right - window.left - w.Right;
        int mismatches = 0, compared = 0;
        for (int y = w.Caption; y < w.Caption + w.Menu; ++y)
            for (int x = w.Left; x < right; ++x) {
                bool onButton = false;
                for (const auto& button : Bar()->Buttons())
                    onButton = onButton || button->BoundsRect.Contains(x, y);
                if (onButton)
                    continue;
                ++compared;
                const TColor shown = shot->PixelColor(x, y);
                const bool ok = y == w.Caption ? shown == element->Bitmap.PixelColor(cell.left, cell.top)
                                               : colours.count(shown) != 0;
                if (!ok && ++mismatches <= 3)
                    ADD_FAILURE() << label << ": strip pixel (" << x << ", " << y << ") shows " << Hex(shown);
            }
        EXPECT_GT(compared, 100) << label;
        if (mismatches)
            SaveCapture(*shot, "menubar-strip.bmp");
        // The window's outline holds the whole strip.
        TOwnedRegion region(CreateRectRgn(0, 0, 0, 0));
        if (GetWindowRgn(Window(), region.Get()) != ERROR) {
            EXPECT_TRUE(PtInRegion(region.Get(), w.Left, w.Caption)) << label;
            EXPECT_TRUE(PtInRegion(region.Get(), right - 1, w.Caption + w.Menu - 1)) << label;
        }
        return mismatches;
    }

    std::unique_ptr<TSkinStore> store_;
    TOwnedComponent<TSkinData> skin_;
    TOwnedComponent<TForm> form_;
    TMainMenu* menu_ = nullptr;
    TMenuItem* file_ = nullptr;
    TMenuItem* edit_ = nullptr;
    TMenuItem* more_ = nullptr;
    TMenuItem* locked_ = nullptr;
    TMenuItem* help_ = nullptr;
    TClicks clicks_;
};

// ---- The strip

TEST_F(MenuBarTest, TheMenuBarBecomesAStripBelowTheCaptionAndTheClientAreaKeepsItsSize) {
    MakeSkin(2);
    MakeForm();
    TWinSkinForm* frame = Frame();
    ASSERT_NE(frame, nullptr);
    // The window's own menu bar is off; the strip is one menu row high.
    EXPECT_EQ(GetMenu(Window()), nullptr);
    EXPECT_EQ(Bar()->MenuHandle(), menu_->Handle());
    EXPECT_EQ(frame->Widths().Menu, GetSystemMetrics(SM_CYMENU));
    ASSERT_EQ(Bar()->Buttons().size(), 4u);
    EXPECT_EQ(Bar()->Buttons()[0]->Caption, L"&File");
    EXPECT_FALSE(Bar()->Buttons()[2]->ItemEnabled);
    // The client area is the one asked for, below the strip.
    RECT client{}, window{};
    GetClientRect(Window(), &client);
    GetWindowRect(Window(), &window);
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 200);
    POINT origin{0, 0};
    ClientToScreen(Window(), &origin);
    EXPECT_EQ(origin.y - window.top, frame->Widths().Caption + frame->Widths().Menu);
    EXPECT_EQ(window.bottom - window.top,
              200 + frame->Widths().Caption + frame->Widths().Menu + frame->Widths().Bottom);
    // The buttons lie inside the strip, one after the other.
    for (const auto& button : Bar()->Buttons()) {
        EXPECT_GE(button->BoundsRect.Top, frame->Widths().Caption);
        EXPECT_LE(button->BoundsRect.Bottom, frame->Widths().Caption + frame->Widths().Menu);
        EXPECT_GT(button->BoundsRect.Width(), 10);
    }
    // The strip answers the hit test as a menu, the caption above it as a caption.
    const int y = window.top + frame->Widths().Caption + frame->Widths().Menu / 2;
    EXPECT_EQ(SendMessageA(Window(), WM_NCHITTEST, 0, MAKELPARAM(window.left + 200, y)), HTMENU);
    EXPECT_EQ(SendMessageA(Window(), WM_NCHITTEST, 0,
                           MAKELPARAM(window.left + 200, window.top + frame->Widths().Caption / 2)),
              HTCAPTION);
    EXPECT_EQ(SendMessageA(Window(), WM_NCHITTEST, 0, MAKELPARAM(origin.x + 5, origin.y + 5)), HTCLIENT);
}

TEST_F(MenuBarTest, AFormSkinnedFromItsCreationIsLaidOutOnceWithRoomForTheStrip) {
    MakeSkin(2);
    form_.reset(new TForm(&TestApplication()));
    form_->SetBounds(160, 140, 420, 260);
    form_->SetClientSize(400, 200);
    menu_ = new TMainMenu(form_.get());
    AddItem(*AddItem(menu_->Items(), "&File"), "&Open");
    form_->SetMenu(menu_);
    form_->Show();
    // Before the deferred start takes the menu over, the client area already leaves the strip's
    // room; taking it over does not resize the client (which would lay every child out again).
    RECT shown{};
    GetClientRect(Window(), &shown);
    form_->OnResize = Bind<&TClicks::Resized>(&clicks_);
    ASSERT_TRUE(PumpUntil([&] { return Frame() && Frame()->FrameState() == fsRunning && Bar(); }, 3000));
    PumpPending();
    RECT running{};
    GetClientRect(Window(), &running);
    EXPECT_EQ(running.right - running.left, shown.right - shown.left);
    EXPECT_EQ(running.bottom - running.top, shown.bottom - shown.top);
    EXPECT_EQ(clicks_.Resizes, 0);
    EXPECT_EQ(Frame()->Widths().Menu, GetSystemMetrics(SM_CYMENU));
}

TEST_F(MenuBarTest, TheStripIsDrawnFromTheSkinInEverySkinTried) {
    for (int index : {2, 4, 6}) {
        MakeSkin(index);
        MakeForm();
        const std::string label = "skin " + std::to_string(index);
        ASSERT_TRUE(Frame()->Active()) << label;
        EXPECT_EQ(StripMismatches(label), 0);
        // Captions in the menu-bar text colour; the disabled one in the shadow colour only.
        auto shot = CaptureWindow(Window());
        EXPECT_GT(CountColour(*shot, ButtonOf(file_)->BoundsRect, skin_->Colour(scMenuBarText)), 5) << label;
        EXPECT_GT(CountColour(*shot, ButtonOf(locked_)->BoundsRect, skin_->Colour(scButtonShadow)), 5)
            << label;
        EXPECT_EQ(CountColour(*shot, ButtonOf(locked_)->BoundsRect, skin_->Colour(scMenuBarText)), 0)
            << label;
        form_.reset();
        skin_.reset();
        FreeSkinManager();
        PumpPending();
    }
}

TEST_F(MenuBarTest, AnInactiveWindowShowsTheSecondCell) {
    MakeSkin(2);
    MakeForm();
    TOwnedComponent<TForm> other(new TForm(&TestApplication()));
    other->SetBounds(20, 20, 120, 80);
    other->Show();
    SetForegroundWindow(other->Handle());
    PumpPending();
    ASSERT_FALSE(Frame()->Active());
    EXPECT_EQ(StripMismatches("inactive"), 0);
}

TEST_F(MenuBarTest, AHotButtonIsFramedAndLosesTheFrameWhenThePointerLeaves) {
    MakeSkin(2);
    MakeForm();
    TMenuBtn* help = ButtonOf(help_);
    const POINT p = ScreenPoint(*help);
    SendMessageA(Window(), WM_NCMOUSEMOVE, HTMENU, MAKELPARAM(p.x, p.y));
    EXPECT_EQ(Frame()->HotObject(), help);
    EXPECT_EQ(help->State, ncHot);
    auto shot = CaptureWindow(Window());
    const TColor frameColour = static_cast<TColor>(ColorToRGB(skin_->Colour(scButtonHilight)));
    EXPECT_EQ(shot->PixelColor(help->BoundsRect.Left, help->BoundsRect.Top + 2), frameColour);
    EXPECT_EQ(shot->PixelColor(help->BoundsRect.Right - 1, help->BoundsRect.Bottom - 1), frameColour);
    // Onto the caption, away from every button.
    RECT window{};
    GetWindowRect(Window(), &window);
    SendMessageA(Window(), WM_NCMOUSEMOVE, HTCAPTION,
                 MAKELPARAM(window.left + 150, window.top + Frame()->Widths().Caption / 2));
    EXPECT_EQ(help->State, ncNormal);
    EXPECT_EQ(Frame()->HotObject(), nullptr);
    shot = CaptureWindow(Window());
    EXPECT_NE(shot->PixelColor(help->BoundsRect.Left, help->BoundsRect.Top + 2), frameColour);
}

// ---- Opening and sliding

TEST_F(MenuBarTest, AClickOpensThePopupUnderTheButtonAndAKeyboardChoiceRunsTheItem) {
    MakeSkin(2);
    MakeForm();
    const HMENU file = Popup(file_);
    ASSERT_NE(file, nullptr);
    RECT popupRect{};
    TMenuDriver driver([&](TMenuDriver& d) {
        if (!d.WaitForPopup(file, "the File popup"))
            return;
        GetWindowRect(OpenPopups().front().Window, &popupRect);
        d.Key(VK_DOWN); // Save
        d.WaitFor([&] { return ItemSelected(file, 1); }, "Save selected");
        d.Key(VK_RETURN);
        d.WaitForNoPopup("the popup to close");
    });
    ClickButton(file_);
    Run(driver);
    // Under the button, at its left edge.
    RECT window{};
    GetWindowRect(Window(), &window);
    EXPECT_EQ(popupRect.left, window.left + ButtonOf(file_)->BoundsRect.Left);
    EXPECT_EQ(popupRect.top, window.top + ButtonOf(file_)->BoundsRect.Bottom);
    PumpUntil([&] { return !clicks_.Captions.empty() && clicks_.Captions.back() == "&Save"; }, 2000);
    // The top item's own click comes first, then the chosen item.
    EXPECT_EQ(clicks_.Captions, (std::vector<std::string>{"&File", "&Save"}));
    EXPECT_FALSE(Frame()->MenuTracking());
    EXPECT_EQ(ButtonOf(file_)->State == ncPressed, false);
}

TEST_F(MenuBarTest, LeftAndRightWrapAroundTheBarSkippingTheDisabledItem) {
    MakeSkin(4);
    MakeForm();
    const HMENU file = Popup(file_), edit = Popup(edit_), help = Popup(help_);
    TMenuDriver driver([&](TMenuDriver& d) {
        if (!d.WaitForPopup(file, "File"))
            return;
        d.Key(VK_LEFT); // on the first: the last
        if (!d.WaitForPopup(help, "Help after Left on File"))
            return;
        d.Key(VK_RIGHT); // on the last: the first
        if (!d.WaitForPopup(file, "File after Right on Help"))
            return;
        d.Key(VK_RIGHT);
        if (!d.WaitForPopup(edit, "Edit after Right on File"))
            return;
        d.Key(VK_UP); // round to the last item of Edit
        d.WaitFor([&] { return ItemSelected(edit, 1); }, "More selected");
        d.Key(VK_ESCAPE);
        d.WaitForNoPopup("the popups to close");
    });
    ClickButton(file_);
    Run(driver);
    EXPECT_EQ(driver.Seen(), (std::vector<HMENU>{file, help, file, edit}));
    EXPECT_EQ(OpenPopups().size(), 0u);
}

TEST_F(MenuBarTest, RightOnASubmenuOpensItAndLeftClosesOnlyTheNestedSubmenu) {
    MakeSkin(6);
    MakeForm();
    const HMENU file = Popup(file_), edit = Popup(edit_);
    const HMENU more = GetSubMenu(edit, 1);
    ASSERT_NE(more, nullptr);
    size_t popupsWithNested = 0, popupsAfterLeft = 0;
    TMenuDriver driver([&](TMenuDriver& d) {
        if (!d.WaitForPopup(edit, "Edit"))
            return;
        d.Key(VK_DOWN);
        d.WaitFor([&] { return ItemSelected(edit, 1); }, "More selected");
        d.Key(VK_RIGHT); // opens More, not the next button
        if (!d.WaitFor([&] { return IsOpen(more) && ItemSelected(more, 0); }, "the nested submenu"))
            return;
        popupsWithNested = OpenPopups().size();
        d.Key(VK_LEFT); // closes More only
        if (!d.WaitFor([&] { return !IsOpen(more); }, "the nested submenu to close"))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        popupsAfterLeft = OpenPopups().size();
        d.WaitFor([&] { return IsOpen(edit); }, "Edit to stay open");
        d.Key(VK_LEFT); // now the previous button
        d.WaitForPopup(file, "File after Left on Edit");
        d.Key(VK_ESCAPE);
        d.WaitForNoPopup("the popups to close");
    });
    ClickButton(edit_);
    Run(driver);
    EXPECT_EQ(popupsWithNested, 2u);
    EXPECT_EQ(popupsAfterLeft, 1u);
    EXPECT_EQ(driver.Seen(), (std::vector<HMENU>{edit, file}));
}

TEST_F(MenuBarTest, MovingTheMouseAlongTheBarSwitchesPopups) {
    MakeSkin(2);
    MakeForm();
    const HMENU file = Popup(file_), edit = Popup(edit_), help = Popup(help_);
    // Client coordinates of a button's middle (the strip lies above the client area).
    auto client = [&](const TMenuItem* item) {
        POINT p = ScreenPoint(*ButtonOf(item));
        ScreenToClient(Window(), &p);
        return p;
    };
    const POINT onFile = client(file_), onEdit = client(edit_), onLocked = client(locked_),
                onHelp = client(help_);
    int popupsAfterSameButton = -1;
    TMenuDriver driver([&](TMenuDriver& d) {
        if (!d.WaitForPopup(file, "File"))
            return;
        // Along the same button: nothing changes.
        PostMouse(Window(), WM_MOUSEMOVE, onFile.x + 2, onFile.y);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        popupsAfterSameButton = IsOpen(file) ? 1 : 0;
        PostMouse(Window(), WM_MOUSEMOVE, onEdit.x, onEdit.y);
        if (!d.WaitForPopup(edit, "Edit under the mouse"))
            return;
        // The disabled button does not take the popup.
        PostMouse(Window(), WM_MOUSEMOVE, onLocked.x, onLocked.y);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        d.WaitFor([&] { return IsOpen(edit); }, "Edit to stay open over the disabled button");
        PostMouse(Window(), WM_MOUSEMOVE, onHelp.x, onHelp.y);
        if (!d.WaitForPopup(help, "Help under the mouse"))
            return;
        d.Key(VK_ESCAPE);
        d.WaitForNoPopup("the popups to close");
    });
    ClickButton(file_);
    Run(driver);
    EXPECT_EQ(popupsAfterSameButton, 1);
    EXPECT_EQ(driver.Seen(), (std::vector<HMENU>{file, edit, help}));
}

TEST_F(MenuBarTest, AltWithAnAccessKeyAltAloneAndTheMenuAtPointMessageOpenTheirButtons) {
    MakeSkin(2);
    MakeForm();
    const HMENU file = Popup(file_), edit = Popup(edit_), help = Popup(help_);
    {
        TMenuDriver driver([&](TMenuDriver& d) {
            if (d.WaitForPopup(edit, "Edit by Alt+E"))
                d.Key(VK_ESCAPE);
            d.WaitForNoPopup("Edit to close");
        });
        PostKey(Window(), 'E', true);
        Run(driver);
    }
    {
        TMenuDriver driver([&](TMenuDriver& d) {
            if (d.WaitForPopup(file, "File by Alt alone"))
                d.Key(VK_ESCAPE);
            d.WaitForNoPopup("File to close");
        });
        PostKey(Window(), VK_MENU, true);
        Run(driver);
    }
    {
        TMenuDriver driver([&](TMenuDriver& d) {
            if (d.WaitForPopup(help, "Help at the point"))
                d.Key(VK_ESCAPE);
            d.WaitForNoPopup("Help to close");
        });
        const POINT p = ScreenPoint(*ButtonOf(help_));
        PostMessageA(Window(), SKM_MENUATPOINT, 0, MAKELPARAM(p.x, p.y));
        Run(driver);
    }
    // The disabled button's access key opens nothing.
    PostKey(Window(), 'L', true);
    PumpFor(300);
    EXPECT_TRUE(OpenPopups().empty());
    TMenuDriver::CloseAll();
    // Alt+Space stays the system menu's.
    std::vector<HMENU> bar;
    for (const auto& button : Bar()->Buttons())
        bar.push_back(button->Submenu);
    HMENU shown = nullptr;
    {
        TMenuDriver driver([&](TMenuDriver& d) {
            if (d.WaitFor([&] { return !OpenPopups().empty(); }, "the system menu by Alt+Space"))
                shown = OpenPopups().front().Menu;
            d.Key(VK_ESCAPE);
            d.WaitForNoPopup("the system menu to close");
        });
        PostKey(Window(), VK_SPACE, true);
        Run(driver);
    }
    EXPECT_NE(shown, nullptr);
    EXPECT_EQ(std::find(bar.begin(), bar.end(), shown), bar.end()) << "Alt+Space opened a menu-bar popup";
}

TEST_F(MenuBarTest, TheFormsDialogCharacterWithAltHeldPostsAClickOnTheButton) {
    MakeSkin(2);
    MakeForm();
    const HMENU help = Popup(help_);
    BYTE saved[256] = {};
    GetKeyboardState(saved);
    BYTE alt[256];
    std::copy(std::begin(saved), std::end(saved), std::begin(alt));
    alt[VK_MENU] = 0x80;
    SetKeyboardState(alt);
    const LRESULT handled = form_->Perform(CM_DIALOGCHAR, 'h', 0);
    // Control held as well: not a menu key.
    alt[VK_CONTROL] = 0x80;
    SetKeyboardState(alt);
    const LRESULT withControl = form_->Perform(CM_DIALOGCHAR, 'e', 0);
    SetKeyboardState(saved);
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(withControl, 0);
    TMenuDriver driver([&](TMenuDriver& d) {
        if (d.WaitForPopup(help, "Help by the dialog character"))
            d.Key(VK_ESCAPE);
        d.WaitForNoPopup("Help to close");
    });
    Run(driver);
    EXPECT_EQ(driver.Seen(), (std::vector<HMENU>{help}));
}

TEST_F(MenuBarTest, ADisabledTopItemOpensNoPopupButItsCommandIsPosted) {
    MakeSkin(2);
    MakeForm();
    std::vector<WPARAM> commands;
    commandLog = &commands;
    commandWindow = Window();
    TOwnedHook watch(SetWindowsHookExA(WH_GETMESSAGE, &CommandWatch, nullptr, GetCurrentThreadId()));
    ClickButton(locked_);
    PumpFor(300);
    const bool popup = !OpenPopups().empty();
    TMenuDriver::CloseAll();
    watch.Reset();
    commandLog = nullptr;
    EXPECT_FALSE(popup);
    EXPECT_EQ(commands, (std::vector<WPARAM>{locked_->Command()}));
    EXPECT_FALSE(Frame()->MenuTracking());
    // The framework runs no click of a disabled item.
    EXPECT_TRUE(clicks_.Captions.empty());
}

TEST_F(MenuBarTest, AFormFreedWhileItsPopupIsOpenLeavesNothingBehind) {
    MakeSkin(2);
    MakeForm();
    const HMENU file = Popup(file_);
    // The form goes from a timer inside the popup's modal loop.
    struct TFreeForm {
        TOwnedComponent<TForm>* Form;
        TTimer* Timer;
        void Tick(TObject*) {
            Timer->SetEnabled(false);
            Form->reset();
        }
    };
    TOwnedComponent<TTimer> timer(new TTimer(nullptr));
    TFreeForm freeForm{&form_, timer.get()};
    timer->SetEnabled(false);
    timer->SetInterval(100);
    timer->OnTimer = Bind<&TFreeForm::Tick>(&freeForm);
    TMenuDriver driver([&](TMenuDriver& d) {
        if (!d.WaitForPopup(file, "File"))
            return;
        RunOnUiThread([&] { timer->SetEnabled(true); });
        d.WaitForNoPopup("the popup to go with its form");
    });
    ClickButton(file_);
    EXPECT_TRUE(PumpUntil([&] { return driver.Done() && !form_; }, 8000));
    for (const std::string& failure : driver.Failures())
        ADD_FAILURE() << failure;
    EXPECT_TRUE(SkinManager()->Frames().empty() || SkinManager()->Frames().front()->Handle() != nullptr);
    // A new form's bar works: nothing of the old popup's tracking is left.
    MakeForm();
    const HMENU help = Popup(help_);
    TMenuDriver again([&](TMenuDriver& d) {
        if (d.WaitForPopup(help, "Help of the new form"))
            d.Key(VK_ESCAPE);
        d.WaitForNoPopup("Help to close");
    });
    ClickButton(help_);
    Run(again);
    EXPECT_EQ(again.Seen(), (std::vector<HMENU>{help}));
}

TEST_F(MenuBarTest, ThePopupsItemsAreMeasuredAndDrawnByTheSkinnedPainter) {
    MakeSkin(2);
    MakeForm();
    const HMENU file = Popup(file_);
    RECT item{}, separator{};
    std::unique_ptr<TBitmap> picture;
    TMenuDriver driver([&](TMenuDriver& d) {
        if (!d.WaitForPopup(file, "File"))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        GetMenuItemRect(nullptr, file, 0, &item);
        GetMenuItemRect(nullptr, file, 2, &separator);
        const TPopup popup = OpenPopups().front();
        RECT r{};
        GetWindowRect(popup.Window, &r);
        picture = std::make_unique<TBitmap>(r.right - r.left, r.bottom - r.top);
        HDC dc = GetWindowDC(popup.Window);
        BitBlt(picture->MemoryDC(), 0, 0, picture->Width(), picture->Height(), dc, 0, 0, SRCCOPY);
        ReleaseDC(popup.Window, dc);
        GdiFlush();
        d.Key(VK_ESCAPE);
        d.WaitForNoPopup("File to close");
    });
    ClickButton(file_);
    Run(driver);
    ASSERT_NE(picture, nullptr);
    // A separator is measured lower than an item with text (a plain owner-drawn menu measures
    // every entry one menu row high).
    EXPECT_GT(item.bottom - item.top, 0);
    EXPECT_LT(separator.bottom - separator.top, item.bottom - item.top);
    // The skin's colours: the first item selected in the skin's selected-text colour, the others
    // in its menu-text colour; nothing in the system's selection colour.
    const TFrameRect all{0, 0, picture->Width(), picture->Height()};
    EXPECT_GT(CountColour(*picture, all, skin_->Colour(scMenuText)), 10);
    EXPECT_GT(CountColour(*picture, all, skin_->Colour(scHilightText)), 5);
    EXPECT_EQ(CountColour(*picture, all, static_cast<TColor>(GetSysColor(COLOR_HIGHLIGHT))), 0);
}

// ---- Switching off, skin changes, menu changes

TEST_F(MenuBarTest, SkinningOffGivesTheMenuBarBackAndOnTakesItAgainWithTheClientAreaKept) {
    MakeSkin(2);
    MakeForm();
    // A popup was open once: its items were made owner-drawn.
    const HMENU file = Popup(file_);
    {
        TMenuDriver driver([&](TMenuDriver& d) {
            if (d.WaitForPopup(file, "File"))
                d.Key(VK_ESCAPE);
            d.WaitForNoPopup("File to close");
        });
        ClickButton(file_);
        Run(driver);
    }
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    ASSERT_TRUE(GetMenuItemInfoA(file, 0, TRUE, &info));
    EXPECT_TRUE(info.fType & MFT_OWNERDRAW);

    SwitchSkinning(false);
    EXPECT_EQ(Frame(), nullptr);
    EXPECT_EQ(GetMenu(Window()), menu_->Handle());
    RECT client{};
    GetClientRect(Window(), &client);
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 200);
    ASSERT_TRUE(GetMenuItemInfoA(file, 0, TRUE, &info));
    EXPECT_FALSE(info.fType & MFT_OWNERDRAW) << "the native items draw themselves again";
    // The system's menu bar: its hit test, and it opens natively (without the skinned bar).
    RECT window{};
    GetWindowRect(Window(), &window);
    POINT origin{0, 0};
    ClientToScreen(Window(), &origin);
    EXPECT_EQ(SendMessageA(Window(), WM_NCHITTEST, 0,
                           MAKELPARAM(origin.x + 10, origin.y - GetSystemMetrics(SM_CYMENU) / 2)),
              HTMENU);

    SwitchSkinning(true);
    EXPECT_EQ(GetMenu(Window()), nullptr);
    GetClientRect(Window(), &client);
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 200);
    EXPECT_EQ(StripMismatches("skinned again"), 0);
    // And it still opens.
    {
        TMenuDriver driver([&](TMenuDriver& d) {
            if (d.WaitForPopup(file, "File again"))
                d.Key(VK_ESCAPE);
            d.WaitForNoPopup("File to close");
        });
        ClickButton(file_);
        Run(driver);
        EXPECT_EQ(driver.Seen(), (std::vector<HMENU>{file}));
    }
}

TEST_F(MenuBarTest, ChangeSkinRepaintsTheStripInTheNewSkin) {
    MakeSkin(2);
    MakeForm();
    EXPECT_EQ(StripMismatches("before"), 0);
    skin_->LoadFromStore(*store_, 5);
    ASSERT_TRUE(PumpUntil(SkinActionDone, 3000));
    Activate();
    ASSERT_NE(Bar(), nullptr);
    EXPECT_EQ(Frame()->Widths().Menu, GetSystemMetrics(SM_CYMENU));
    RECT client{};
    GetClientRect(Window(), &client);
    EXPECT_EQ(client.bottom, 200);
    EXPECT_EQ(StripMismatches("after the change"), 0);
    auto shot = CaptureWindow(Window());
    EXPECT_GT(CountColour(*shot, ButtonOf(file_)->BoundsRect, skin_->Colour(scMenuBarText)), 5);
}

TEST_F(MenuBarTest, AChangedMenuRebuildsTheButtonsAndARemovedMenuTakesTheStripAway) {
    MakeSkin(2);
    MakeForm();
    help_->SetCaption("&Info");
    PumpPending();
    ASSERT_NE(Bar(), nullptr);
    EXPECT_EQ(GetMenu(Window()), nullptr);
    EXPECT_EQ(Bar()->MenuHandle(), menu_->Handle());
    ASSERT_EQ(Bar()->Buttons().size(), 4u);
    EXPECT_EQ(Bar()->Buttons()[3]->Caption, L"&Info");
    EXPECT_EQ(Bar()->ButtonByAccelerator(L'i'), Bar()->Buttons()[3].get());
    RECT client{};
    GetClientRect(Window(), &client);
    EXPECT_EQ(client.bottom, 200);
    // A menu whose items are all gone leaves no button behind that could open a freed popup.
    std::vector<TMenuItem*> tops;
    for (int i = 0; i < menu_->Items().Count(); ++i)
        tops.push_back(menu_->Items()[i]);
    for (TMenuItem* top : tops)
        menu_->Items().Remove(top);
    PumpPending();
    ASSERT_NE(Bar(), nullptr);
    EXPECT_TRUE(Bar()->Buttons().empty());
    for (TMenuItem* top : tops)
        menu_->Items().Add(top);
    PumpPending();
    ASSERT_NE(Bar(), nullptr);
    EXPECT_EQ(Bar()->Buttons().size(), 4u);
    EXPECT_EQ(GetMenu(Window()), nullptr);
    // Without a main menu the strip goes and the client area takes its room.
    form_->SetMenu(nullptr);
    PumpPending();
    EXPECT_EQ(Bar(), nullptr);
    EXPECT_EQ(Frame()->Widths().Menu, 0);
    GetClientRect(Window(), &client);
    EXPECT_EQ(client.bottom, 200 + GetSystemMetrics(SM_CYMENU));
    // And back.
    form_->SetMenu(menu_);
    PumpPending();
    ASSERT_NE(Bar(), nullptr);
    GetClientRect(Window(), &client);
    EXPECT_EQ(client.bottom, 200);
}

TEST_F(MenuBarTest, OpeningAndClosingPopupsLeavesNoObjectsBehind) {
    MakeSkin(2);
    MakeForm();
    const HMENU file = Popup(file_), edit = Popup(edit_);
    auto cycle = [&] {
        TMenuDriver driver([&](TMenuDriver& d) {
            if (!d.WaitForPopup(file, "File"))
                return;
            d.Key(VK_RIGHT);
            if (d.WaitForPopup(edit, "Edit"))
                d.Key(VK_ESCAPE);
            d.WaitForNoPopup("the popups to close");
        });
        ClickButton(file_);
        Run(driver);
    };
    cycle(); // caches built once
    const DWORD gdi = GdiObjectCount(), user = UserObjectCount();
    for (int i = 0; i < 20; ++i)
        cycle();
    EXPECT_LE(GdiObjectCount(), gdi + 4);
    EXPECT_LE(UserObjectCount(), user + 2);
}

// ---- A window without a form object

namespace {
LRESULT CALLBACK BareMenuProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, msg, wParam, lParam);
}
} // namespace

TEST_F(MenuBarTest, ABareWindowsPopupItemsAreMeasuredAsNativeEntries) {
    MakeSkin(2);
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = BareMenuProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = "PPSkinTestBareMenu";
        return RegisterClassA(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    HMENU bar = CreateMenu(), file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 101, "Open the whole folder here");
    AppendMenuA(file, MF_STRING, 102, "Close");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    HWND window = CreateWindowExA(0, "PPSkinTestBareMenu", "Bare menu", WS_OVERLAPPEDWINDOW, 160, 140, 420,
                                  260, nullptr, bar, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    auto frame = [&] { return SkinManager() ? SkinManager()->FindFrame(window) : nullptr; };
    ASSERT_TRUE(PumpUntil(
        [&] { return frame() && frame()->FrameState() == fsRunning && frame()->SkinMenuBar(); }, 3000));
    PumpPending();

    RECT item{};
    TMenuDriver driver([&](TMenuDriver& d) {
        if (!d.WaitFor([&] { return IsOpen(file); }, "File"))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        GetMenuItemRect(nullptr, file, 0, &item);
        d.Key(VK_ESCAPE);
        d.WaitForNoPopup("File to close");
    });
    const TMenuBtn& button = *frame()->SkinMenuBar()->Buttons().front();
    RECT r{};
    GetWindowRect(window, &r);
    const LPARAM at = MAKELPARAM(r.left + (button.BoundsRect.Left + button.BoundsRect.Right) / 2,
                                 r.top + (button.BoundsRect.Top + button.BoundsRect.Bottom) / 2);
    PostMessageA(window, WM_NCLBUTTONDOWN, HTMENU, at);
    PostMessageA(window, WM_NCLBUTTONUP, HTMENU, at);
    EXPECT_TRUE(PumpUntil([&] { return driver.Done(); }, 15000));
    TMenuDriver::CloseAll();
    PumpUntil([&] { return !frame()->MenuTracking(); }, 3000);
    for (const std::string& failure : driver.Failures())
        ADD_FAILURE() << failure;

    // The item is as wide as its text (some 26 characters), not empty.
    EXPECT_GT(item.right - item.left, 100);
    EXPECT_GT(item.bottom - item.top, 8);
    DestroyWindow(window);
    if (IsMenu(bar))
        DestroyMenu(bar);
    PumpPending();
}
