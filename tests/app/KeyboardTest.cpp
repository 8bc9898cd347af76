// The main window from the keyboard, in-process through real messages: the target panel takes
// the focus, a focus cue marks the current target once the keyboard is used, Up/Down/Home/End
// move it, Enter opens it, and the menu key or Shift+F10 opens the popup menu at it and for it.
#include "Main.h"
#include "SkinActions.h"

#include "HeldKeys.h"
#include "UiTestSupport.h"

#include "TextLines.h"
#include "WinSkinDlg.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

namespace {
using TLines = std::vector<std::string>;

// The screen rectangle of the next popup menu this process shows, which it then dismisses.
class TMenuWatcher {
  public:
    TMenuWatcher()
        : thread_([this] {
              for (int i = 0; i < 2000 && !stop_; ++i) {
                  HWND menu = nullptr;
                  EnumWindows(
                      [](HWND window, LPARAM found) {
                          DWORD process = 0;
                          GetWindowThreadProcessId(window, &process);
                          char name[16] = {};
                          GetClassNameA(window, name, sizeof name);
                          if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
                              std::strcmp(name, "#32768") == 0) {
                              *reinterpret_cast<HWND*>(found) = window;
                              return FALSE;
                          }
                          return TRUE;
                      },
                      reinterpret_cast<LPARAM>(&menu));
                  if (menu) {
                      GetWindowRect(menu, &rect_);
                      seen_ = true;
                      PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
                      return;
                  }
                  Sleep(5);
              }
          }) {}
    TMenuWatcher(const TMenuWatcher&) = delete;
    TMenuWatcher& operator=(const TMenuWatcher&) = delete;
    ~TMenuWatcher() {
        stop_ = true;
        thread_.join();
    }
    bool Seen() const { return seen_; }
    POINT TopLeft() const { return POINT{rect_.left, rect_.top}; }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> seen_{false};
    RECT rect_{};
    std::thread thread_;
};
} // namespace

class KeyboardTest : public TUiTest {
  protected:
    void SetUp() override {
        TUiTest::SetUp();
        // The mouse stays out of the way: a menu opening under it would select what it points at.
        EXPECT_TRUE(MovePointerTo(0, 0));
    }
    void TearDown() override {
        form_.reset();
        TUiTest::TearDown();
    }

    TForm1& Start(const TLines& entries) {
        folder_.Write("perchpoints.dat", JoinLines(entries));
        form_.reset(new TForm1(&TestApplication(), folder_.Path("perchpoints.exe")));
        form_->OnOpenFolder = Bind<&KeyboardTest::FolderOpened>(this);
        form_->Show();
        PumpFor(50);
        PumpUntil(SkinActionDone, 3000);
        PumpPending();
        RedrawWindow(form_->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        return *form_;
    }

    TItemsPanel& Panel() { return *form_->panels1; }
    void Key(WORD key) {
        PostKey(Panel().Handle(), key);
        PumpPending();
    }
    void KeyTo(TWinControl& control, WORD key) {
        PostKey(control.Handle(), key);
        PumpPending();
    }

    // Pixels of the focus cue's ring (three pixels inside the item's frame) in the panel's font
    // colour, as the screen shows them.
    int CueDots(int index) {
        RedrawWindow(Panel().Handle(), nullptr, nullptr, RDW_UPDATENOW);
        auto shot = CaptureClient(Panel().Handle());
        RECT r = Panel().ItemRect(index);
        InflateRect(&r, -3, -3);
        const COLORREF ink = ColorToRGB(Panel().Font().Color());
        int dots = 0;
        for (int x = r.left; x < r.right; ++x)
            dots += (ColorToRGB(shot->PixelColor(x, r.top)) == ink) +
                    (ColorToRGB(shot->PixelColor(x, r.bottom - 1)) == ink);
        for (int y = r.top + 1; y < r.bottom - 1; ++y)
            dots += (ColorToRGB(shot->PixelColor(r.left, y)) == ink) +
                    (ColorToRGB(shot->PixelColor(r.right - 1, y)) == ink);
        return dots;
    }
    // About half of the ring is dotted.
    int RingLength(int index) {
        RECT r = Panel().ItemRect(index);
        InflateRect(&r, -3, -3);
        return 2 * (r.right - r.left) + 2 * (r.bottom - r.top) - 4;
    }
    void ExpectCueOn(int index, const std::string& when) {
        for (int i = 0; i < Panel().Items().Count(); ++i) {
            if (i == index)
                EXPECT_GE(CueDots(i), RingLength(i) / 2 - 4) << when << ": item " << i;
            else
                EXPECT_EQ(CueDots(i), 0) << when << ": item " << i;
        }
    }

    void FolderOpened(TObject*, const std::string& path) { opened_.push_back(path); }

    TTempFolder folder_;
    TOwnedComponent<TForm1> form_;
    TLines opened_;
};

TEST_F(KeyboardTest, FocusMovesOverTheTargetsAndEnterOpensOne) {
    TLines folders;
    for (const char* name : {"A", "B", "C", "D"})
        folders.push_back(folder_.MakeFolder(name));
    TForm1& form = Start(folders);
    ASSERT_EQ(GetFocus(), Panel().Handle());
    EXPECT_EQ(Panel().ItemIndex(), 0);

    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(Panel().ItemIndex(), 2);
    EXPECT_EQ(form.CurrentItem(), 2);
    Key(VK_END);
    EXPECT_EQ(form.CurrentItem(), 3);
    Key(VK_DOWN);
    EXPECT_EQ(form.CurrentItem(), 3);
    Key(VK_HOME);
    EXPECT_EQ(form.CurrentItem(), 0);
    Key(VK_UP);
    EXPECT_EQ(form.CurrentItem(), 0);
    // The arrows stay within the panel: the focus does not go to the bottom strip.
    EXPECT_EQ(GetFocus(), Panel().Handle());
    EXPECT_TRUE(opened_.empty());

    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_EQ(opened_, (TLines{folders[1]}));

    // Tab goes to the Move switch and back; a press on a target takes the focus back too.
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), form.movchk->Handle());
    KeyTo(*form.movchk, VK_TAB);
    EXPECT_EQ(GetFocus(), Panel().Handle());
    Key(VK_TAB);
    ASSERT_EQ(GetFocus(), form.movchk->Handle());
    RECT third = Panel().ItemRect(3);
    PostRightClick(Panel().Handle(), 10, (third.top + third.bottom) / 2);
    TDialogAnswerer dismiss(TAnswer::ChooseMenu(""));
    PumpUntil([&] { return dismiss.Done(); });
    PumpPending();
    EXPECT_EQ(GetFocus(), Panel().Handle());
    EXPECT_EQ(Panel().ItemIndex(), 3);
    EXPECT_EQ(form.CurrentItem(), 3);
    EXPECT_EQ(opened_.size(), 1u);
}

TEST_F(KeyboardTest, EnterOnAMissingFolderSaysSoAndEnterOnNoTargetDoesNothing) {
    TForm1& form = Start({folder_.Path("gone"), "C:\\B", "C:\\C", "C:\\D", "C:\\E"});
    TDialogAnswerer answer(TAnswer::Press("TMessageForm", "OK", "Perchpoints"));
    Key(VK_RETURN);
    PumpUntil([&] { return answer.Done(); });
    EXPECT_EQ(answer.Wait().Text, "Target folder not available!");

    // A press below the last button (five in 132 pixels leave two): no current target, and
    // Enter opens nothing.
    PostLeftClick(Panel().Handle(), 10, Panel().Height() - 1);
    PumpPending();
    ASSERT_EQ(form.CurrentItem(), -1);
    TDialogAnswerer none(TAnswer::Press("TMessageForm", "OK").Within(500));
    Key(VK_RETURN);
    EXPECT_FALSE(none.Wait().Found);
    // Down from there comes to the first target.
    Key(VK_DOWN);
    EXPECT_EQ(form.CurrentItem(), 0);
}

TEST_F(KeyboardTest, TheFocusCueShowsAfterKeyboardUseAndStaysThroughSkinChanges) {
    // Real folders: a click on a target opens it (here: records it).
    TForm1& form = Start({folder_.MakeFolder("A") + "=One", folder_.MakeFolder("B") + "=Two",
                          folder_.MakeFolder("C") + "=Three"});
    ASSERT_TRUE(form.SkinData1->Active());
    ASSERT_NE(SkinManager()->FindFrame(form.Handle()), nullptr);
    ASSERT_EQ(GetFocus(), Panel().Handle());
    // Used with the mouse only, the window looks as it always did.
    ExpectCueOn(-1, "at start");
    PostLeftClick(Panel().Handle(), 10, 10);
    PumpPending();
    ExpectCueOn(-1, "after a click");

    Key(VK_DOWN);
    ExpectCueOn(1, "after Down");
    Key(VK_TAB);
    ExpectCueOn(-1, "with the focus on the switch");
    KeyTo(*form.movchk, VK_TAB);
    ExpectCueOn(1, "back with Tab");
    // Home and End show it too, and a press moves it.
    Key(VK_END);
    ExpectCueOn(2, "after End");
    PostLeftClick(Panel().Handle(), 10, 10);
    PumpPending();
    ExpectCueOn(0, "after a click on the first target");

    // Ctrl+S: unskinned and skinned again, the cue stays where it is.
    for (bool active : {false, true}) {
        {
            THeldKeys ctrl{VK_CONTROL};
            Key('S');
        }
        ASSERT_EQ(form.SkinData1->Active(), active);
        PumpUntil(SkinActionDone, 3000);
        PumpFor(100);
        EXPECT_EQ(GetFocus(), Panel().Handle());
        ExpectCueOn(0, active ? "skinned again" : "unskinned");
    }
    // "Change skin" from the keyboard's menu.
    TDialogAnswerer change(TAnswer::ChooseMenu("Change skin"));
    Key(VK_APPS);
    PumpUntil([&] { return change.Done(); });
    PumpUntil(SkinActionDone, 3000);
    PumpFor(100);
    ASSERT_TRUE(change.Wait().Answered);
    EXPECT_EQ(form.SkinNumber(), 1);
    EXPECT_EQ(GetFocus(), Panel().Handle());
    ExpectCueOn(0, "after Change skin");
}

TEST_F(KeyboardTest, TheMenuKeyAndShiftF10OpenThePopupMenuAtTheCurrentTargetForIt) {
    TForm1& form = Start({"C:\\A", "C:\\B", "C:\\C", "C:\\D"});
    Key(VK_DOWN);
    Key(VK_DOWN);
    auto expectAtItem = [&](const TMenuWatcher& watcher, int index) {
        ASSERT_TRUE(watcher.Seen());
        RECT item = Panel().ItemRect(index);
        MapWindowPoints(Panel().Handle(), nullptr, reinterpret_cast<POINT*>(&item), 2);
        EXPECT_TRUE(PtInRect(&item, watcher.TopLeft()))
            << "menu at " << watcher.TopLeft().x << "," << watcher.TopLeft().y << ", item " << item.left
            << "," << item.top << "-" << item.right << "," << item.bottom;
    };
    {
        TMenuWatcher watcher;
        Key(VK_APPS);
        PumpUntil([&] { return watcher.Seen(); });
        PumpPending();
        expectAtItem(watcher, 2);
    }
    Key(VK_UP);
    {
        TMenuWatcher watcher;
        THeldKeys shift{VK_SHIFT};
        PostMessageA(Panel().Handle(), WM_SYSKEYDOWN, VK_F10, 1);
        PostMessageA(Panel().Handle(), WM_SYSKEYUP, VK_F10,
                     1 | (static_cast<LPARAM>(KF_REPEAT | KF_UP) << 16));
        PumpUntil([&] { return watcher.Seen(); });
        PumpPending();
        expectAtItem(watcher, 1);
    }
    // Once only: the key's release opens no second menu.
    {
        TDialogAnswerer none(TAnswer::ChooseMenu("").Within(500));
        EXPECT_FALSE(none.Wait().Found);
    }

    // The commands are for the target the focus is on.
    TDialogAnswerer answer(TAnswer::ChooseMenu("Delete current perchpoint"));
    Key(VK_APPS);
    PumpUntil([&] { return answer.Done(); });
    PumpPending();
    ASSERT_TRUE(answer.Wait().Answered);
    EXPECT_EQ(form.panels1->Items().Lines(), (TLines{"C:\\A", "C:\\C", "C:\\D"}));
}

TEST_F(KeyboardTest, FromASkinNumberThatNamesNoSkinTheFirstChangeSkinSelectsTheFirstSkin) {
    auto holds = [&](int item) {
        return form_->SkinData1->PackedSkin().Bytes() ==
               form_->SkinStore1->Store().Items(item)->DataStream().Bytes();
    };
    auto changeSkin = [&] {
        TDialogAnswerer change(TAnswer::ChooseMenu("Change skin"));
        Key(VK_APPS);
        PumpUntil([&] { return change.Done(); });
        PumpUntil(SkinActionDone, 3000);
        EXPECT_TRUE(change.Wait().Answered);
    };
    for (const char* saved : {"-5", "8", "2147483647"}) {
        folder_.Write("perchpoints.ini", std::string("[Settings]\r\nSkin=") + saved + "\r\n");
        Start({"C:\\A"});
        // The number names no skin: the window keeps the skin it was built with, a copy of the second.
        EXPECT_TRUE(holds(1)) << saved;
        changeSkin();
        EXPECT_EQ(form_->SkinNumber(), 0) << saved;
        EXPECT_TRUE(holds(0)) << saved;
        changeSkin();
        EXPECT_TRUE(holds(1)) << saved;
    }
}

TEST_F(KeyboardTest, TheMoveSwitchShowsAFocusCueSkinnedAndUnskinnedAndSpaceTogglesIt) {
    TForm1& form = Start({"C:\\A", "C:\\B"});
    // Dots of the caption's ink along the top row of the caption beside the box (no letter
    // reaches it).
    auto cueDots = [&] {
        auto shot = CaptureClient(form.Panel1->Handle());
        const TLabel& caption = *form.Label1;
        const COLORREF ink = ColorToRGB(caption.Font().Color());
        int dots = 0;
        for (int x = caption.Left(); x < caption.Left() + caption.Width(); ++x)
            dots += ColorToRGB(shot->PixelColor(x, caption.Top())) == ink;
        return dots;
    };
    for (bool skinned : {true, false}) {
        const char* look = skinned ? "skinned" : "unskinned";
        ASSERT_EQ(form.SkinData1->Active(), skinned);
        ASSERT_EQ(GetFocus(), Panel().Handle()) << look;
        EXPECT_EQ(cueDots(), 0) << look;
        Key(VK_TAB);
        ASSERT_EQ(GetFocus(), form.movchk->Handle()) << look;
        EXPECT_GE(cueDots(), 15) << look << ": the switch has the focus";
        const bool was = form.movchk->Checked();
        KeyTo(*form.movchk, VK_SPACE);
        EXPECT_NE(form.movchk->Checked(), was) << look;
        EXPECT_GE(cueDots(), 15) << look << ": toggled";
        KeyTo(*form.movchk, VK_TAB);
        EXPECT_EQ(cueDots(), 0) << look << ": the focus is back on the targets";
        {
            THeldKeys ctrl{VK_CONTROL};
            Key('S');
        }
        PumpUntil(SkinActionDone, 3000);
        PumpFor(100);
    }
}
