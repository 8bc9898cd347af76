// The main window driven in-process through real messages: start-up from the files beside the
// program, the popup-menu commands, mouse clicks and the wheel, and closing, which writes both
// files. Each test has its own folder, so its perchpoints.dat and perchpoints.ini are fresh.
#include "Main.h"

#include "UiTestSupport.h"

#include "TextLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using TLines = std::vector<std::string>;

std::string Lines(const TLines& lines) {
    return JoinLines(lines);
}

BYTE Opacity(HWND window) {
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    GetLayeredWindowAttributes(window, &key, &alpha, &flags);
    return alpha;
}

RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

bool OnSomeMonitor(const RECT& r) {
    return MonitorFromRect(&r, MONITOR_DEFAULTTONULL) != nullptr;
}

std::string IniText(int left, int top, int width, int height, int move, int skin, int alpha, int fontSize) {
    return "[Settings]\r\nLeft=" + std::to_string(left) + "\r\nTop=" + std::to_string(top) +
           "\r\nRight=" + std::to_string(width) + "\r\nBottom=" + std::to_string(height) +
           "\r\nMove=" + std::to_string(move) + "\r\nSkin=" + std::to_string(skin) +
           "\r\nAlpha=" + std::to_string(alpha) + "\r\nfSize=" + std::to_string(fontSize) + "\r\n";
}

const char* const DatName = "perchpoints.dat";
const char* const IniName = "perchpoints.ini";
} // namespace

class MainWindowTest : public TUiTest {
  protected:
    void TearDown() override {
        form_.reset();
        TUiTest::TearDown();
    }

    // The window as the program makes it, with its files in this test's folder.
    TForm1& Start() {
        form_.reset(new TForm1(&TestApplication(), folder_.Path("perchpoints.exe")));
        form_->OnOpenFolder = Bind<&MainWindowTest::FolderOpened>(this);
        form_->Show();
        PumpPending();
        // Painted: the buttons' height is worked out at each paint.
        RedrawWindow(form_->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        return *form_;
    }
    TForm1& StartWith(const std::string& ini) {
        folder_.Write(IniName, ini);
        return Start();
    }

    HWND Panel() { return form_->panels1->Handle(); }
    HWND Window() { return form_->Handle(); }
    TLines Items() { return form_->panels1->Items().Lines(); }

    POINT ItemCentre(int index) {
        RECT r = form_->panels1->ItemRect(index);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    // A right click at the point opens the popup menu; the item is chosen from it (none:
    // the menu is dismissed).
    TDialogReport Menu(POINT at, const std::string& item) {
        TDialogAnswerer answer(TAnswer::ChooseMenu(item));
        PostRightClick(Panel(), at.x, at.y);
        EXPECT_TRUE(PumpUntil([&] { return answer.Done(); })) << "no popup menu for " << item;
        PumpPending();
        const TDialogReport& report = answer.Wait();
        // A check that nothing changed means nothing unless the command was really chosen.
        EXPECT_TRUE(report.Answered) << "the popup menu did not offer " << item;
        return report;
    }
    // The same menu opened from the keyboard: no mouse press names a new current item.
    TDialogReport KeyboardMenu(const std::string& item) {
        TDialogAnswerer answer(TAnswer::ChooseMenu(item));
        PostContextMenuKey(Panel());
        EXPECT_TRUE(PumpUntil([&] { return answer.Done(); })) << "no popup menu for " << item;
        PumpPending();
        const TDialogReport& report = answer.Wait();
        EXPECT_TRUE(report.Answered) << "the popup menu did not offer " << item;
        return report;
    }
    // A short title typed into the input box (empty: the box is cancelled).
    TDialogReport ShortTitle(POINT at, const std::string& title) {
        TDialogAnswerer input(title.empty()
                                  ? TAnswer::Press("TForm", "Cancel", "Enter short title")
                                  : TAnswer::Press("TForm", "OK", "Enter short title").Typing(title));
        Menu(at, "Set perchpoint short title");
        EXPECT_TRUE(PumpUntil([&] { return input.Done(); })) << "no input box";
        PumpPending();
        return input.Wait();
    }

    // Closes the window expecting a message box with one OK button; gives its text.
    std::string CloseExpectingError() {
        TDialogAnswerer answer(TAnswer::Press("#32770", "OK", "Perchpoints"));
        PostMessageA(Window(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(PumpUntil([&] { return answer.Done(); })) << "no message box";
        PumpPending();
        const TDialogReport& report = answer.Wait();
        EXPECT_TRUE(report.Answered);
        return report.Text;
    }

    void FolderOpened(TObject*, const std::string& path) { opened_.push_back(path); }

    TTempFolder folder_;
    TOwnedComponent<TForm1> form_;
    TLines opened_;
};

// ---- start-up

TEST_F(MainWindowTest, FirstStartWithoutSettingsUsesTheLayoutAndTheDefaults) {
    TForm1& form = Start();
    RECT r = WindowRect(Window());
    EXPECT_EQ(r.left, 859);
    EXPECT_EQ(r.top, 266);
    RECT client{};
    GetClientRect(Window(), &client);
    EXPECT_EQ(client.right, 272);
    EXPECT_EQ(client.bottom, 156);
    EXPECT_EQ(Opacity(Window()), 220);
    EXPECT_EQ(form.panels1->Font().Size(), 9);
    EXPECT_FALSE(form.movchk->Checked());
    EXPECT_EQ(form.Label1->Caption(), "Copy Files");
    EXPECT_EQ(form.SkinNumber(), 0);
    EXPECT_TRUE(form.panels1->Items().Empty());

    char caption[64] = {};
    GetWindowTextA(Window(), caption, sizeof caption);
    EXPECT_STREQ(caption, "Perchpoints");
    LONG style = GetWindowLongA(Window(), GWL_STYLE);
    LONG exStyle = GetWindowLongA(Window(), GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_LAYERED);
    // The panel fills the client area above the 24-pixel strip.
    EXPECT_EQ(form.panels1->BoundsRect().bottom, 132);
    EXPECT_EQ(form.panels1->Width(), 272);
    EXPECT_EQ(form.Panel1->Top(), 132);
    EXPECT_EQ(form.Panel1->Height(), 24);
    EXPECT_EQ(form.movchk->Hint(), "COPY or MOVE files");
    EXPECT_EQ(GetFocus(), Panel());
}

TEST_F(MainWindowTest, TheSettingsFileGivesPositionSizeOpacityFontSkinAndMode) {
    TForm1& form = StartWith("[Settings]\r\nLeft=100\r\nTop=120\r\nRight=300\r\nBottom=200\r\nMove=1\r\nSkin="
                             "3\r\nAlpha=300\r\nfSize=12\r\n");
    RECT r = WindowRect(Window());
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 120);
    // Right and Bottom are the outer width and height, not edges.
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 200);
    // Only the low eight bits of Alpha count: 300 is 44.
    EXPECT_EQ(Opacity(Window()), 44);
    EXPECT_EQ(form.panels1->Font().Size(), 12);
    EXPECT_EQ(form.SkinNumber(), 3);
    EXPECT_TRUE(form.movchk->Checked());
    EXPECT_EQ(form.Label1->Caption(), "Move files");
}

TEST_F(MainWindowTest, HexValuesAreReadAndGarbageGivesTheDefaults) {
    TForm1& hex = StartWith("[Settings]\r\nLeft=0x1F\r\nTop=0X20\r\nAlpha=0xC8\r\nfSize=0xA\r\nMove=0x1\r\n");
    EXPECT_EQ(WindowRect(Window()).left, 31);
    EXPECT_EQ(WindowRect(Window()).top, 32);
    EXPECT_EQ(Opacity(Window()), 200);
    EXPECT_EQ(hex.panels1->Font().Size(), 10);
    EXPECT_TRUE(hex.movchk->Checked());

    TForm1& garbage =
        StartWith("[Settings]\r\nLeft=12abc\r\nTop=\r\nRight=wide\r\nAlpha=lots\r\nfSize=9.5\r\n"
                  "Move=yes\r\nSkin=0x\r\n\x01\xFF garbage line\r\n");
    EXPECT_EQ(WindowRect(Window()).left, 859);
    EXPECT_EQ(WindowRect(Window()).top, 266);
    EXPECT_EQ(Opacity(Window()), 220);
    EXPECT_EQ(garbage.panels1->Font().Size(), 9);
    EXPECT_FALSE(garbage.movchk->Checked());
    EXPECT_EQ(garbage.Label1->Caption(), "Copy Files");
    EXPECT_EQ(garbage.SkinNumber(), 0);

    // Keys outside the Settings section are not settings.
    StartWith("[Other]\r\nLeft=5\r\nAlpha=10\r\n");
    EXPECT_EQ(WindowRect(Window()).left, 859);
    EXPECT_EQ(Opacity(Window()), 220);
}

TEST_F(MainWindowTest, TheWindowIsNeverNarrowerThanItsMinimum) {
    StartWith("[Settings]\r\nRight=100\r\nBottom=200\r\n");
    RECT r = WindowRect(Window());
    EXPECT_EQ(r.right - r.left, 210);
    EXPECT_EQ(r.bottom - r.top, 200);
}

TEST_F(MainWindowTest, APositionOnNoMonitorComesBackAndAVisibleOneStays) {
    StartWith("[Settings]\r\nLeft=5000\r\nTop=4000\r\nRight=300\r\nBottom=200\r\n");
    RECT r = WindowRect(Window());
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT inside{};
    IntersectRect(&inside, &r, &monitor.rcWork);
    EXPECT_TRUE(EqualRect(&inside, &r)) << r.left << "," << r.top;
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 200);

    // Hanging over the edge is still visible: it stays exactly as saved.
    int edge = monitor.rcMonitor.right - 50;
    StartWith("[Settings]\r\nLeft=" + std::to_string(edge) + "\r\nTop=-20\r\nRight=300\r\nBottom=200\r\n");
    EXPECT_EQ(WindowRect(Window()).left, edge);
    EXPECT_EQ(WindowRect(Window()).top, -20);
}

TEST_F(MainWindowTest, HugeAndNegativeNumbersStartAUsableWindow) {
    TForm1& form = StartWith("[Settings]\r\nLeft=2147483647\r\nTop=-2147483648\r\nRight=2147483647\r\n"
                             "Bottom=-2147483648\r\nAlpha=-1\r\nfSize=-3\r\nSkin=-7\r\nMove=-1\r\n");
    RECT r = WindowRect(Window());
    EXPECT_TRUE(OnSomeMonitor(r)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    EXPECT_GE(r.right - r.left, 210);
    EXPECT_EQ(Opacity(Window()), 255);
    EXPECT_TRUE(form.movchk->Checked());
    EXPECT_EQ(form.SkinNumber(), -7);
}

TEST_F(MainWindowTest, AnUnreadableListFileIsReportedAndStartUpGoesNoFurther) {
    const std::string list = Lines({"C:\\Data", "C:\\Other=Title"});
    const std::string settings = "[Settings]\r\nLeft=100\r\nTop=100\r\nAlpha=100\r\nMove=1\r\n";
    folder_.Write(DatName, list);
    folder_.Write(IniName, settings);
    HANDLE lock =
        CreateFileA(folder_.Path(DatName).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    TDialogAnswerer answer(TAnswer::Press("#32770", "OK", "Perchpoints"));
    TForm1& form = Start();
    CloseHandle(lock);
    const TDialogReport& report = answer.Wait();
    ASSERT_TRUE(report.Answered);
    std::string expected = "Cannot open file \"" + folder_.Path(DatName) + "\". ";
    EXPECT_EQ(report.Text.substr(0, expected.size()), expected) << report.Text;
    // The window as laid out: the settings were never read.
    EXPECT_EQ(WindowRect(Window()).left, 859);
    EXPECT_EQ(Opacity(Window()), 210);
    EXPECT_FALSE(form.movchk->Checked());
    EXPECT_TRUE(Items().empty());

    // What could not be read is not overwritten with an empty list and the layout's settings.
    PostMessageA(Window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Window()); })) << "the window did not close";
    EXPECT_EQ(folder_.Read(DatName), list);
    EXPECT_EQ(folder_.Read(IniName), settings);
}

TEST_F(MainWindowTest, ALockedSettingsFileGivesTheDefaultsAndIsNotOverwritten) {
    const std::string settings = "[Settings]\r\nLeft=100\r\nAlpha=100\r\n";
    folder_.Write(IniName, settings);
    HANDLE lock =
        CreateFileA(folder_.Path(IniName).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    Start();
    CloseHandle(lock);
    EXPECT_EQ(WindowRect(Window()).left, 859);
    EXPECT_EQ(Opacity(Window()), 220);
    PostMessageA(Window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Window()); })) << "the window did not close";
    EXPECT_EQ(folder_.Read(IniName), settings);
    EXPECT_TRUE(folder_.Exists(DatName));
}

// ---- the popup menu and its commands

TEST_F(MainWindowTest, ThePopupMenuHoldsTheTwelveCommandsInOrder) {
    Start();
    TDialogReport menu = Menu(POINT{10, 10}, "");
    ASSERT_TRUE(menu.Answered);
    TLines captions;
    TLines ticked;
    for (const TMenuEntry& entry : menu.MenuItems) {
        captions.push_back(entry.Caption);
        if (entry.Checked)
            ticked.push_back(entry.Caption);
    }
    EXPECT_EQ(captions, (TLines{"Create new perchpoint", "Set perchpoint short title",
                                "Delete current perchpoint", "-", "Use short titles", "Reload targets",
                                "Font size+", "Font size-", "Change skin", "-", "EXIT", "About"}));
    EXPECT_EQ(ticked, (TLines{"Use short titles"}));
}

TEST_F(MainWindowTest, DeleteRemovesTheRightClickedEntry) {
    folder_.Write(DatName, Lines({"C:\\A", "C:\\B", "C:\\C"}));
    TForm1& form = Start();
    Menu(ItemCentre(1), "Delete current perchpoint");
    EXPECT_EQ(Items(), (TLines{"C:\\A", "C:\\C"}));
    // Deleting the last entry leaves the current item past the end; deleting again without a
    // new press does nothing.
    Menu(ItemCentre(1), "Delete current perchpoint");
    EXPECT_EQ(Items(), (TLines{"C:\\A"}));
    EXPECT_EQ(form.CurrentItem(), 1);
    KeyboardMenu("Delete current perchpoint");
    EXPECT_EQ(Items(), (TLines{"C:\\A"}));
}

TEST_F(MainWindowTest, AShortTitleIsSetThenReplacedAndACancelKeepsIt) {
    folder_.Write(DatName, Lines({"C:\\Data", "C:\\Other"}));
    Start();
    TDialogReport box = ShortTitle(ItemCentre(0), "Work");
    EXPECT_EQ(box.Text, "Short title: ");
    EXPECT_EQ(box.Buttons, (TLines{"OK", "Cancel"}));
    EXPECT_EQ(Items(), (TLines{"C:\\Data=Work", "C:\\Other"}));
    EXPECT_EQ(ShortTitle(ItemCentre(0), "Home").Text, "Short title: Work");
    EXPECT_EQ(Items(), (TLines{"C:\\Data=Home", "C:\\Other"}));
    EXPECT_TRUE(ShortTitle(ItemCentre(0), "").Answered);
    EXPECT_EQ(Items(), (TLines{"C:\\Data=Home", "C:\\Other"}));
}

TEST_F(MainWindowTest, BelowTheLastButtonOnlyUseShortTitlesDoesAnything) {
    // Five buttons in 132 pixels: 26 each, and two pixels below the last that belong to none.
    folder_.Write(DatName, Lines({"C:\\A=One", "C:\\B", "C:\\C", "C:\\D", "C:\\E"}));
    TForm1& form = Start();
    const POINT below{10, 131};
    ASSERT_EQ(form.panels1->ItemIndexAt(below.x, below.y), -1);
    const TLines all = Items();
    Menu(below, "Delete current perchpoint");
    EXPECT_EQ(form.CurrentItem(), -1);
    EXPECT_EQ(Items(), all);
    {
        TDialogAnswerer input(TAnswer::Press("TForm", "OK", "Enter short title").Typing("X").Within(1500));
        Menu(below, "Set perchpoint short title");
        EXPECT_FALSE(input.Wait().Found);
    }
    EXPECT_EQ(Items(), all);
    Menu(below, "Use short titles");
    EXPECT_FALSE(form.Shorten->Checked());
    EXPECT_FALSE(form.panels1->ShortPanelTitle());
    EXPECT_FALSE(Menu(below, "").MenuItems.at(4).Checked);
}

TEST_F(MainWindowTest, ReloadReadsTheFileAgainOrKeepsTheListWhenItCannot) {
    folder_.Write(DatName, Lines({"C:\\A", "C:\\B"}));
    Start();
    folder_.Write(DatName, Lines({"C:\\X"}));
    Menu(POINT{10, 10}, "Reload targets");
    EXPECT_EQ(Items(), (TLines{"C:\\X"}));

    // A locked file is reported, and the list in hand stays (it would be saved on close).
    folder_.Write(DatName, Lines({"C:\\Y"}));
    HANDLE lock =
        CreateFileA(folder_.Path(DatName).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    {
        TDialogAnswerer answer(TAnswer::Press("#32770", "OK", "Perchpoints"));
        Menu(POINT{10, 10}, "Reload targets");
        EXPECT_EQ(answer.Wait().Text.rfind("Cannot open file \"" + folder_.Path(DatName) + "\". ", 0), 0u);
    }
    CloseHandle(lock);
    EXPECT_EQ(Items(), (TLines{"C:\\X"}));

    // A file that is gone changes nothing; closing writes the list anew.
    folder_.Remove(DatName);
    Menu(POINT{10, 10}, "Reload targets");
    EXPECT_EQ(Items(), (TLines{"C:\\X"}));
    PostMessageA(Window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Window()); })) << "the window did not close";
    EXPECT_EQ(folder_.Read(DatName), "C:\\X\r\n");
}

TEST_F(MainWindowTest, FontSizeStepsAndTheAboutBoxHasNoButtons) {
    TForm1& form = Start();
    Menu(POINT{10, 10}, "Font size+");
    Menu(POINT{10, 10}, "Font size+");
    Menu(POINT{10, 10}, "Font size-");
    EXPECT_EQ(form.panels1->Font().Size(), 10);

    TDialogAnswerer about(TAnswer::Close("TMessageForm", "Information"));
    Menu(POINT{10, 10}, "About");
    const TDialogReport& box = about.Wait();
    EXPECT_TRUE(box.Answered);
    EXPECT_TRUE(box.Buttons.empty());
    EXPECT_EQ(box.Icons, 1);
    EXPECT_NE(box.Text.find("Perchpoints"), std::string::npos);
}

// ---- mouse and wheel

TEST_F(MainWindowTest, AClickCountsForTheButtonUnderTheRelease) {
    TLines folders;
    for (const char* name : {"A", "B", "C", "D", "E"})
        folders.push_back(folder_.MakeFolder(name));
    folder_.Write(DatName, Lines(folders));
    TForm1& form = Start();
    const POINT below{10, 131};

    PostLeftDrag(Panel(), ItemCentre(0), ItemCentre(1));
    PumpPending();
    EXPECT_EQ(opened_, (TLines{folders[1]}));
    PostLeftDrag(Panel(), below, ItemCentre(0));
    PumpPending();
    EXPECT_EQ(opened_, (TLines{folders[1], folders[0]}));
    // Released on no button: no click.
    PostLeftDrag(Panel(), ItemCentre(2), below);
    PumpPending();
    EXPECT_EQ(opened_.size(), 2u);

    // A right press and release names the current item and opens the menu, but clicks nothing.
    Menu(ItemCentre(3), "");
    EXPECT_EQ(opened_.size(), 2u);
    EXPECT_EQ(form.CurrentItem(), 3);
    POINT last = ItemCentre(4);
    PostMouse(Panel(), WM_MBUTTONDOWN, last.x, last.y, MK_MBUTTON);
    PostMouse(Panel(), WM_MBUTTONUP, last.x, last.y);
    PumpPending();
    EXPECT_EQ(form.CurrentItem(), 4);
    EXPECT_EQ(opened_.size(), 2u);
}

TEST_F(MainWindowTest, AClickOnAMissingFolderSaysSoAndKeepsTheEntry) {
    const TLines entries{folder_.MakeFolder("here"), folder_.Path("gone") + "=Gone"};
    folder_.Write(DatName, Lines(entries));
    Start();
    TDialogAnswerer answer(TAnswer::Press("TMessageForm", "OK", "Perchpoints"));
    POINT gone = ItemCentre(1);
    PostLeftClick(Panel(), gone.x, gone.y);
    PumpUntil([&] { return answer.Done(); });
    const TDialogReport& box = answer.Wait();
    EXPECT_TRUE(box.Answered);
    EXPECT_EQ(box.Text, "Target folder not available!");
    EXPECT_EQ(box.Buttons, (TLines{"OK"}));
    EXPECT_EQ(box.Icons, 0);
    EXPECT_TRUE(opened_.empty());
    EXPECT_EQ(Items(), entries);
}

TEST_F(MainWindowTest, TheWheelMovesTheOpacityWithinItsBounds) {
    Start();
    for (int i = 0; i < 20; ++i)
        PostWheel(Panel(), -1); // towards the user: more opaque
    PumpPending();
    EXPECT_EQ(Opacity(Window()), 250);
    for (int i = 0; i < 100; ++i)
        PostWheel(form_->Panel1->Handle(), 1);
    PumpPending();
    EXPECT_EQ(Opacity(Window()), 100);

    // From an odd value the steps end at 99.
    StartWith("[Settings]\r\nAlpha=101\r\n");
    for (int i = 0; i < 3; ++i)
        PostWheel(Panel(), 1);
    PumpPending();
    EXPECT_EQ(Opacity(Window()), 99);
}

// ---- closing

enum class TCloseWay { CloseBox, CloseMessage, AltF4, ExitCommand };

class MainWindowClosing : public MainWindowTest, public ::testing::WithParamInterface<TCloseWay> {
  protected:
    void CloseBy(TCloseWay way) {
        switch (way) {
        case TCloseWay::CloseBox:
            PostMessageA(Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case TCloseWay::CloseMessage:
            PostMessageA(Window(), WM_CLOSE, 0, 0);
            break;
        case TCloseWay::AltF4:
            PostKey(Panel(), VK_F4, true);
            break;
        case TCloseWay::ExitCommand:
            Menu(POINT{10, 10}, "EXIT");
            break;
        }
        ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Window()); })) << "the window did not close";
    }
};

TEST_P(MainWindowClosing, WritesBothFilesByteForByte) {
    const std::string list = "C:\\B\r\nC:\\A=A title\r\n\r\nC:\\B\r\n";
    folder_.Write(DatName, list);
    TForm1& form = Start();
    // Something to save besides the defaults.
    PostLeftClick(form.movchk->Handle(), 4, 4);
    PostWheel(Panel(), 1);
    PumpPending();
    Menu(POINT{10, 10}, "Font size+");
    ASSERT_TRUE(form.movchk->Checked());
    EXPECT_EQ(form.Label1->Caption(), "Move files");
    RECT r = WindowRect(Window());

    CloseBy(GetParam());
    EXPECT_FALSE(IsWindowVisible(Window()));
    EXPECT_EQ(folder_.Read(DatName), list);
    EXPECT_EQ(folder_.Read(IniName), IniText(859, 266, r.right - r.left, r.bottom - r.top, 1, 0, 218, 10));
}

INSTANTIATE_TEST_SUITE_P(EveryWay, MainWindowClosing,
                         ::testing::Values(TCloseWay::CloseBox, TCloseWay::CloseMessage, TCloseWay::AltF4,
                                           TCloseWay::ExitCommand));

TEST_F(MainWindowTest, AListFileThatCannotBeReplacedIsReportedAndNothingIsLost) {
    folder_.Write(DatName, Lines({"C:\\A"}));
    Start();
    ShortTitle(ItemCentre(0), "Work");
    const std::string failed = "Cannot create file \"" + folder_.Path(DatName) + "\". ";

    folder_.SetReadOnly(DatName, true);
    EXPECT_EQ(CloseExpectingError().rfind(failed, 0), 0u);
    EXPECT_TRUE(IsWindowVisible(Window()));
    folder_.SetReadOnly(DatName, false);

    // Written beside it and moved over it: a failure at the last step leaves the old file whole
    // and no half-written copy behind.
    HANDLE lock =
        CreateFileA(folder_.Path(DatName).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(CloseExpectingError().rfind(failed, 0), 0u);
    CloseHandle(lock);
    EXPECT_TRUE(IsWindowVisible(Window()));
    EXPECT_EQ(folder_.Read(DatName), "C:\\A\r\n");
    EXPECT_EQ(folder_.Files(), (TLines{DatName}));
    EXPECT_EQ(Items(), (TLines{"C:\\A=Work"}));

    PostMessageA(Window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Window()); })) << "the window did not close";
    EXPECT_EQ(folder_.Read(DatName), "C:\\A=Work\r\n");
    EXPECT_TRUE(folder_.Exists(IniName));
}

TEST_F(MainWindowTest, ClosedWhileMinimizedItSavesWhereItComesBack) {
    StartWith("[Settings]\r\nLeft=100\r\nTop=120\r\nRight=300\r\nBottom=200\r\n");
    ShowWindow(Window(), SW_MINIMIZE);
    PumpPending();
    ASSERT_TRUE(IsIconic(Window()));
    PostMessageA(Window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Window()); })) << "the window did not close";
    EXPECT_EQ(folder_.Read(IniName), IniText(100, 120, 300, 200, 0, 0, 220, 9));
}

TEST_F(MainWindowTest, AReadOnlySettingsFileIsReportedAndNothingIsLost) {
    const std::string settings = "[Settings]\r\nAlpha=200\r\n";
    folder_.Write(IniName, settings);
    folder_.SetReadOnly(IniName, true);
    Start();
    PostWheel(Panel(), 1);
    PumpPending();
    EXPECT_EQ(CloseExpectingError(), "Unable to write to " + folder_.Path(IniName));
    EXPECT_TRUE(IsWindowVisible(Window()));
    EXPECT_EQ(folder_.Read(IniName), settings);
    EXPECT_EQ(Opacity(Window()), 198);

    folder_.SetReadOnly(IniName, false);
    PostMessageA(Window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Window()); })) << "the window did not close";
    EXPECT_NE(folder_.Read(IniName).find("Alpha=198\r\n"), std::string::npos);
}

// ---- lists nobody would write by hand

namespace {
struct TBadList {
    const char* Name;
    std::string Bytes;
};

// Only the name: the bytes may be a megabyte.
void PrintTo(const TBadList& list, std::ostream* out) {
    *out << list.Name;
}

std::string Garbage() {
    std::string bytes;
    unsigned seed = 12345;
    for (int i = 0; i < 65536; ++i) {
        seed = seed * 1103515245 + 12345;
        bytes.push_back(static_cast<char>(1 + (seed >> 16) % 255)); // every byte but NUL
    }
    return bytes;
}

std::string ManyLines() {
    TLines lines;
    for (int i = 0; i < 100000; ++i)
        lines.push_back("C:\\Targets\\Folder " + std::to_string(i) +
                        (i % 3 ? "" : "=Title " + std::to_string(i)));
    return Lines(lines);
}
} // namespace

class MainWindowBadList : public MainWindowTest, public ::testing::WithParamInterface<TBadList> {};

TEST_P(MainWindowBadList, StartsShowsAndLosesNothingOnClose) {
    const std::string& bytes = GetParam().Bytes;
    folder_.Write(DatName, bytes);
    Start();
    const TLines expected = SplitLines(bytes);
    EXPECT_EQ(Items(), expected);
    PostMessageA(Window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Window()); })) << "the window did not close";
    EXPECT_EQ(SplitLines(folder_.Read(DatName)), expected);
    EXPECT_EQ(folder_.Read(DatName), JoinLines(expected));
}

INSTANTIATE_TEST_SUITE_P(Inputs, MainWindowBadList,
                         ::testing::Values(TBadList{"BinaryGarbage", Garbage()},
                                           TBadList{"OneMegabyteLine", "C:\\" + std::string(1 << 20, 'x')},
                                           TBadList{"MixedLineEnds", "C:\\A\rC:\\B\nC:\\C\r\n\r\rC:\\D\n\r"},
                                           TBadList{"HundredThousandLines", ManyLines()}),
                         [](const ::testing::TestParamInfo<TBadList>& info) {
                             return std::string(info.param.Name);
                         });

// ---- a list that ends before its file does

TEST_F(MainWindowTest, ANulEndsTheListAndTheWholeFileIsKeptAsABackup) {
    const std::string bytes("C:\\A\r\nC:\\B\0C:\\C\r\nC:\\D\r\n", 23);
    folder_.Write(DatName, bytes);
    Start();
    EXPECT_EQ(Items(), (TLines{"C:\\A", "C:\\B"}));
    PostMessageA(Window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Window()); }));
    EXPECT_EQ(folder_.Read(DatName), "C:\\A\r\nC:\\B\r\n");
    EXPECT_EQ(folder_.Read("perchpoints.dat.bak"), bytes);

    // Once: the next start finds the backup there and leaves it as it is.
    const std::string again("C:\\X\0C:\\Y\r\n", 11);
    folder_.Write(DatName, again);
    Start();
    PostMessageA(Window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Window()); }));
    EXPECT_EQ(folder_.Read(DatName), "C:\\X\r\n");
    EXPECT_EQ(folder_.Read("perchpoints.dat.bak"), bytes);
    EXPECT_EQ(folder_.Files(), (TLines{DatName, "perchpoints.dat.bak", IniName}));
}

TEST_F(MainWindowTest, NoBackupWhenNothingFollowsTheNulOrTheListWasReloadedWhole) {
    folder_.Write(DatName, std::string("C:\\A\r\n\0", 7));
    Start();
    PostMessageA(Window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Window()); }));
    EXPECT_EQ(folder_.Read(DatName), "C:\\A\r\n");

    // Reloaded from a file without a NUL, the list is the whole file again.
    folder_.Write(DatName, std::string("C:\\A\0C:\\B\r\n", 11));
    Start();
    folder_.Write(DatName, "C:\\C\r\n");
    Menu(POINT{10, 10}, "Reload targets");
    EXPECT_EQ(Items(), (TLines{"C:\\C"}));
    PostMessageA(Window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Window()); }));
    EXPECT_EQ(folder_.Read(DatName), "C:\\C\r\n");
    EXPECT_FALSE(folder_.Exists("perchpoints.dat.bak"));
}

// ---- a list that could not be read at start

class MainWindowLockedAtStart : public MainWindowTest {
  protected:
    // Starts with the list file locked by another program (the error is answered), then lets go.
    void StartLockedThenRelease() {
        folder_.Write(DatName, list_);
        folder_.Write(IniName, settings_);
        HANDLE lock =
            CreateFileA(folder_.Path(DatName).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        TDialogAnswerer error(TAnswer::Press("#32770", "OK", "Perchpoints"));
        Start();
        CloseHandle(lock);
        ASSERT_TRUE(error.Wait().Answered);
        ASSERT_TRUE(Items().empty());
    }
    // A folder dropped on the bottom strip, and Yes to the question.
    void AddTarget(const std::string& folder) {
        TDialogAnswerer yes(TAnswer::PressId("#32770", IDYES, "NEW TARGET"));
        TStringList dropped;
        dropped.Add(folder);
        form_->JvDragDrop2Drop(nullptr, POINT{10, 10}, dropped);
        ASSERT_TRUE(yes.Wait().Answered);
    }
    // Closes; the question about the list, if any comes, is answered with the button given.
    TDialogReport CloseAnswering(int button, unsigned waitMs = 10000) {
        TDialogAnswerer answer(TAnswer::PressId("#32770", button, "Perchpoints").Within(waitMs));
        PostMessageA(Window(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(Window()); }, 15000));
        return answer.Wait();
    }

    const std::string list_ = Lines({"C:\\Data", "C:\\Other=Title"});
    const std::string settings_ = "[Settings]\r\nLeft=100\r\nAlpha=100\r\n";
};

TEST_F(MainWindowLockedAtStart, AReloadMakesTheListTheFilesAgainAndCloseSavesIt) {
    StartLockedThenRelease();
    Menu(POINT{10, 10}, "Reload targets");
    EXPECT_EQ(Items(), (TLines{"C:\\Data", "C:\\Other=Title"}));
    const std::string added = folder_.MakeFolder("New");
    AddTarget(added);
    EXPECT_FALSE(CloseAnswering(IDNO, 1500).Found);
    EXPECT_EQ(folder_.Read(DatName), Lines({"C:\\Data", "C:\\Other=Title", added}));
    // The settings were never read: they stay as they are.
    EXPECT_EQ(folder_.Read(IniName), settings_);
}

TEST_F(MainWindowLockedAtStart, AChangedListIsSavedOverTheFileOnlyOnYes) {
    StartLockedThenRelease();
    const std::string added = folder_.MakeFolder("New");
    AddTarget(added);
    TDialogReport no = CloseAnswering(IDNO);
    ASSERT_TRUE(no.Answered);
    EXPECT_EQ(no.Buttons, (TLines{"&Yes", "&No"}));
    EXPECT_NE(no.Text.find(folder_.Path(DatName)), std::string::npos) << no.Text;
    EXPECT_EQ(folder_.Read(DatName), list_);
    EXPECT_EQ(folder_.Read(IniName), settings_);
}

TEST_F(MainWindowLockedAtStart, YesSavesTheChangedListThroughTheSameReplace) {
    StartLockedThenRelease();
    const std::string added = folder_.MakeFolder("New");
    AddTarget(added);
    ASSERT_TRUE(CloseAnswering(IDYES).Answered);
    EXPECT_EQ(folder_.Read(DatName), Lines({added}));
    EXPECT_EQ(folder_.Read(IniName), settings_);
    // Nothing left over from the replace.
    EXPECT_EQ(folder_.Files(), (TLines{DatName, IniName}));
}

TEST_F(MainWindowLockedAtStart, AnUnchangedListLeavesTheFileAloneWithoutAsking) {
    StartLockedThenRelease();
    EXPECT_FALSE(CloseAnswering(IDYES, 1500).Found);
    EXPECT_EQ(folder_.Read(DatName), list_);
    EXPECT_EQ(folder_.Read(IniName), settings_);
}

// ---- the window's least height

TEST_F(MainWindowTest, TheBottomStripAndOneRowOfButtonsStayInView) {
    TForm1& form = StartWith("[Settings]\r\nRight=300\r\nBottom=50\r\n");
    RECT client{};
    GetClientRect(Window(), &client);
    EXPECT_EQ(client.bottom, 24 + 70);
    EXPECT_EQ(form.panels1->Height(), 70);
    EXPECT_EQ(form.Panel1->Top(), 70);
    EXPECT_EQ(form.Panel1->Top() + form.Panel1->Height(), client.bottom);
    // Dragging an edge is held at the same height.
    MINMAXINFO limits{};
    SendMessageA(Window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.y, WindowRect(Window()).bottom - WindowRect(Window()).top);
    EXPECT_EQ(limits.ptMinTrackSize.x, 210);
}

// ---- the input box shows the user's text as it is

namespace {
// The prompt of the open input box as its label shows it, seen from inside the modal loop.
struct TPromptSeen {
    bool Seen = false;
    std::string Caption;
    bool AccessKeys = true;
};
TPromptSeen promptSeen;

void CALLBACK LookAtInputBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowA(nullptr, "Enter short title");
    if (promptSeen.Seen || !box || GetWindowThreadProcessId(box, nullptr) != GetCurrentThreadId() ||
        !IsWindowVisible(box))
        return;
    if (TWinControl* form = FindControl(box))
        for (TComponent* component : form->Components())
            if (auto* label = dynamic_cast<TLabel*>(component)) {
                promptSeen.Caption = label->Caption();
                promptSeen.AccessKeys = label->ShowAccelChar();
            }
    promptSeen.Seen = true;
    PostMessageA(box, WM_CLOSE, 0, 0);
}
} // namespace

TEST_F(MainWindowTest, AnAmpersandInAShortTitleIsShownAsItIs) {
    folder_.Write(DatName, Lines({"C:\\Data=\xE4rger & Co"}));
    Start();
    promptSeen = {};
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, LookAtInputBox);
    Menu(ItemCentre(0), "Set perchpoint short title");
    ASSERT_TRUE(PumpUntil([] { return promptSeen.Seen; }));
    KillTimer(nullptr, timer);
    EXPECT_EQ(promptSeen.Caption, "Short title: \xE4rger & Co");
    // An "&" is a character here, not the mark of an access key.
    EXPECT_FALSE(promptSeen.AccessKeys);
    // Closed like Cancel: the entry stays.
    EXPECT_EQ(Items(), (TLines{"C:\\Data=\xE4rger & Co"}));
}
