// The common controls, group boxes, memo, spin edit and glyph buttons of the toolkit: made from
// the system's classes, their values reach the windows and survive re-creation, and the user's
// actions come back as events.

#include "UiTestSupport.h"

#include "ComCtrls.h"
#include "Edit.h"
#include "Form.h"
#include "GlyphButtons.h"
#include "GroupBox.h"
#include "Menus.h"
#include "Spin.h"
#include "ToolBar.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

WNDPROC SystemProc(const char* systemClass) {
    WNDCLASSA info{};
    return GetClassInfoA(nullptr, systemClass, &info) ? info.lpfnWndProc : nullptr;
}

class ComCtrlsTest : public TUiTest {
  protected:
    void SetUp() override {
        TUiTest::SetUp();
        form_.reset(new TForm(&TestApplication()));
        form_->SetBounds(40, 40, 420, 320);
    }
    void TearDown() override {
        form_.reset();
        TUiTest::TearDown();
    }
    template <class T> T* Make(int left, int top, int width, int height) {
        auto* control = new T(form_.get());
        control->SetParent(form_.get());
        control->SetBounds(left, top, width, height);
        return control;
    }
    TOwnedComponent<TForm> form_;
};

struct TEvents {
    int changes = 0, clicks = 0;
    void Change(TObject*) { ++changes; }
    void Click(TObject*) { ++clicks; }
};

} // namespace

TEST(ScrollTarget, RequestsMoveWithinTheRangeLessThePage) {
    // position 50 in 0..100, page 11: the last position is 90.
    EXPECT_EQ(ScrollTarget(SB_LINEDOWN, 50, 0, 0, 100, 11, 1, 10), 51);
    EXPECT_EQ(ScrollTarget(SB_LINEUP, 0, 0, 0, 100, 11, 1, 10), 0);
    EXPECT_EQ(ScrollTarget(SB_PAGEDOWN, 85, 0, 0, 100, 11, 1, 10), 90);
    EXPECT_EQ(ScrollTarget(SB_THUMBTRACK, 50, 77, 0, 100, 11, 1, 10), 77);
    EXPECT_EQ(ScrollTarget(SB_THUMBPOSITION, 50, 1000, 0, 100, 11, 1, 10), 90);
    EXPECT_EQ(ScrollTarget(SB_TOP, 50, 0, -5, 100, 0, 1, 10), -5);
    EXPECT_EQ(ScrollTarget(SB_BOTTOM, 50, 0, -5, 100, 0, 1, 10), 100);
    EXPECT_EQ(ScrollTarget(SB_ENDSCROLL, 50, 0, 0, 100, 0, 1, 10), 50);
    // A page larger than the range, an empty range, steps that would overflow.
    EXPECT_EQ(ScrollTarget(SB_PAGEDOWN, 3, 0, 0, 10, 50, 1, 10), 0);
    EXPECT_EQ(ScrollTarget(SB_LINEDOWN, 7, 0, 7, 7, 0, 1, 1), 7);
    EXPECT_EQ(ScrollTarget(SB_PAGEDOWN, 0x7FFFFFF0, 0, 0, 0x7FFFFFFF, 0, 1, 0x7FFFFFFF), 0x7FFFFFFF);
}

TEST_F(ComCtrlsTest, EachCommonControlIsTheSystemsControlAndKeepsItsValuesWhenMadeAgain) {
    auto* progress = Make<TProgressBar>(8, 8, 150, 16);
    progress->SetRange(10, 60);
    progress->SetPosition(30);
    auto* track = Make<TTrackBar>(8, 30, 150, 40);
    track->SetRange(0, 20);
    track->SetPosition(15);
    auto* tabs = Make<TTabControl>(170, 8, 230, 120);
    tabs->Tabs().Add("One");
    tabs->Tabs().Add("Two");
    tabs->Tabs().Add("Three");
    tabs->TabsChanged();
    tabs->SetTabIndex(2);
    auto* picker = Make<TDateTimePicker>(8, 80, 150, 21);
    SYSTEMTIME day{};
    day.wYear = 2024;
    day.wMonth = 2;
    day.wDay = 29;
    picker->SetDateTime(day);
    auto* list = Make<TListView>(170, 140, 230, 120);
    list->AddColumn("Name", 100);
    list->AddColumn("Size", 60);
    list->AddItem("a.txt", {"1 KB"});
    list->AddItem("b.txt", {"2 KB"});
    form_->Show();

    EXPECT_EQ(ClassOf(progress->Handle()), "TProgressBar");
    EXPECT_EQ(SendMessageA(progress->Handle(), PBM_GETPOS, 0, 0), 30);
    EXPECT_EQ(SendMessageA(progress->Handle(), PBM_GETRANGE, TRUE, 0), 10);
    EXPECT_EQ(SendMessageA(track->Handle(), TBM_GETPOS, 0, 0), 15);
    EXPECT_EQ(SendMessageA(tabs->Handle(), TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(tabs->TabIndex(), 2);
    RECT display = tabs->DisplayRect();
    EXPECT_GT(display.top, 10) << "the page area lies under the tabs";
    EXPECT_EQ(SendMessageA(list->Handle(), LVM_GETITEMCOUNT, 0, 0), 2);
    ASSERT_NE(list->HeaderHandle(), nullptr);
    EXPECT_EQ(SendMessageA(list->HeaderHandle(), HDM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_NE(SystemProc(PROGRESS_CLASSA), nullptr);

    // Re-created windows (another orientation, side or kind) keep what the user set.
    track->SetOrientation(trVertical);
    tabs->SetTabPosition(tpBottom);
    picker->SetKind(dtkTime);
    EXPECT_TRUE(GetWindowLongA(track->Handle(), GWL_STYLE) & TBS_VERT);
    EXPECT_EQ(track->Position(), 15);
    EXPECT_TRUE(GetWindowLongA(tabs->Handle(), GWL_STYLE) & TCS_BOTTOM);
    EXPECT_EQ(SendMessageA(tabs->Handle(), TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(tabs->TabIndex(), 2);
    EXPECT_EQ(picker->DateTime().wYear, 2024);
    EXPECT_EQ(picker->DateTime().wDay, 29);
    EXPECT_LT(tabs->DisplayRect().bottom, tabs->Height() - 10) << "bottom tabs leave the page above them";

    progress->SetPosition(1000);
    EXPECT_EQ(progress->Position(), 60);
    progress->SetStep(20);
    progress->StepIt();
    EXPECT_EQ(progress->Position(), 30) << "past the end the bar starts again";
    EXPECT_EQ(SendMessageA(progress->Handle(), PBM_GETPOS, 0, 0), 30);
}

TEST_F(ComCtrlsTest, TheUsersChangesComeBackAsOneEventEach) {
    auto* track = Make<TTrackBar>(8, 8, 200, 40);
    auto* tabs = Make<TTabControl>(8, 60, 300, 100);
    tabs->Tabs().Add("First");
    tabs->Tabs().Add("Second");
    tabs->TabsChanged();
    auto* bar = Make<TScrollBar>(8, 180, 200, 17);
    bar->SetParams(0, 0, 50, 10);
    bar->SetLargeChange(10);
    TEvents trackEvents, tabEvents, barEvents;
    track->OnChange = Bind<&TEvents::Change>(&trackEvents);
    tabs->OnChange = Bind<&TEvents::Change>(&tabEvents);
    bar->OnChange = Bind<&TEvents::Change>(&barEvents);
    form_->Show();
    SetForegroundWindow(form_->Handle());
    track->SetFocus();
    PumpPending();

    PostKey(track->Handle(), VK_RIGHT);
    ASSERT_TRUE(PumpUntil([&] { return trackEvents.changes == 1; }));
    EXPECT_EQ(track->Position(), 1);

    RECT second{};
    SendMessageA(tabs->Handle(), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
    PostLeftClick(tabs->Handle(), (second.left + second.right) / 2, (second.top + second.bottom) / 2);
    ASSERT_TRUE(PumpUntil([&] { return tabEvents.changes == 1; }));
    EXPECT_EQ(tabs->TabIndex(), 1);

    // A press in the track right of the thumb pages once.
    PostLeftClick(bar->Handle(), 180, 8);
    ASSERT_TRUE(PumpUntil([&] { return barEvents.changes >= 1; }));
    PumpFor(100);
    EXPECT_EQ(bar->Position(), 10);
    EXPECT_EQ(barEvents.changes, 1);
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(bar->Handle(), SB_CTL, &info);
    EXPECT_EQ(info.nPos, 10);
    EXPECT_EQ(info.nPage, 10u);
}

TEST_F(ComCtrlsTest, StatusBarPanelsAndSimpleTextReachTheBar) {
    auto* status = Make<TStatusBar>(0, 0, 400, 20);
    status->AddPanel("Ready", 100);
    status->AddPanel("12 files", 80);
    status->AddPanel("", 50);
    form_->Show();
    int edges[8] = {};
    ASSERT_EQ(SendMessageA(status->Handle(), SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges)), 3);
    EXPECT_EQ(edges[0], 100);
    EXPECT_EQ(edges[1], 180);
    EXPECT_EQ(edges[2], -1);
    char text[64] = {};
    SendMessageA(status->Handle(), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "12 files");
    EXPECT_TRUE(GetWindowLongA(status->Handle(), GWL_STYLE) & SBARS_SIZEGRIP);
    EXPECT_EQ(status->Top() + status->Height(), form_->ClientHeight()) << "the bar sits at the bottom";
    status->SetSimplePanel(true);
    status->SetSimpleText("Copying");
    EXPECT_TRUE(SendMessageA(status->Handle(), SB_ISSIMPLE, 0, 0));
}

TEST_F(ComCtrlsTest, ARadioGroupMakesItsButtonsAndReportsTheUsersChoice) {
    auto* group = Make<TRadioGroup>(8, 8, 200, 120);
    group->SetCaption("Mode");
    group->Items().Add("Copy");
    group->Items().Add("Move");
    group->Items().Add("Link");
    group->ItemsChanged();
    group->SetItemIndex(0);
    TEvents events;
    group->OnClick = Bind<&TEvents::Click>(&events);
    form_->Show();
    ASSERT_EQ(group->ButtonCount(), 3);
    EXPECT_EQ(group->Buttons(1)->Caption(), "Move");
    EXPECT_EQ(SendMessageA(group->Buttons(0)->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(events.clicks, 0) << "setting the index is not the user's click";

    PostLeftClick(group->Buttons(2)->Handle(), 6, 6);
    ASSERT_TRUE(PumpUntil([&] { return events.clicks == 1; }));
    EXPECT_EQ(group->ItemIndex(), 2);
    EXPECT_EQ(SendMessageA(group->Buttons(0)->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    RECT first{};
    GetWindowRect(group->Buttons(0)->Handle(), &first);
    RECT box{};
    GetWindowRect(group->Handle(), &box);
    EXPECT_GT(first.top, box.top + 8) << "the buttons start under the caption";

    group->Items().Delete(2);
    group->ItemsChanged();
    EXPECT_EQ(group->ButtonCount(), 2);
    EXPECT_EQ(group->ItemIndex(), -1) << "the chosen line is gone";
}

TEST_F(ComCtrlsTest, MemoAndSpinEditKeepTheirTextAndNumbers) {
    auto* memo = Make<TMemo>(8, 8, 200, 80);
    memo->SetScrollBars(ssBoth);
    memo->SetWordWrap(false);
    memo->SetLines({"first", "", "third"});
    auto* spin = Make<TSpinEdit>(8, 100, 100, 21);
    spin->SetRange(0, 10);
    spin->SetValue(4);
    form_->Show();

    const DWORD style = static_cast<DWORD>(GetWindowLongA(memo->Handle(), GWL_STYLE));
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_TRUE(style & WS_HSCROLL);
    EXPECT_EQ(memo->Lines(), (std::vector<std::string>{"first", "", "third"}));
    memo->SetWordWrap(true);
    EXPECT_FALSE(GetWindowLongA(memo->Handle(), GWL_STYLE) & WS_HSCROLL)
        << "a wrapped memo does not scroll sideways";
    EXPECT_EQ(memo->Lines().size(), 3u) << "the text survives the new window";

    HWND buddy = reinterpret_cast<HWND>(SendMessageA(spin->Button().Handle(), UDM_GETBUDDY, 0, 0));
    EXPECT_EQ(buddy, spin->Handle());
    EXPECT_EQ(spin->Text(), "4");
    SetForegroundWindow(form_->Handle());
    spin->SetFocus();
    PostKey(spin->Handle(), VK_UP);
    ASSERT_TRUE(PumpUntil([&] { return spin->Value() == 5; }));
    EXPECT_EQ(spin->Text(), "5");
    spin->SetValue(99);
    EXPECT_EQ(spin->Value(), 10);
}

TEST_F(ComCtrlsTest, GlyphButtonsDrawTheirGlyphAndClickLikeButtons) {
    auto* bit = Make<TBitBtn>(8, 8, 100, 40);
    bit->SetCaption("Open");
    bit->Glyph().SetSize(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            bit->Glyph().SetPixelColor(x, y, y == 15 && x == 0 ? 0xFFFFFF : 0x0000FF);
    auto* speedA = Make<TSpeedButton>(120, 8, 30, 30);
    auto* speedB = Make<TSpeedButton>(150, 8, 30, 30);
    speedA->SetGroupIndex(1);
    speedB->SetGroupIndex(1);
    speedA->SetDown(true);
    TEvents bitEvents, speedEvents;
    bit->OnClick = Bind<&TEvents::Click>(&bitEvents);
    speedB->OnClick = Bind<&TEvents::Click>(&speedEvents);
    form_->Show();
    PumpPending();

    EXPECT_EQ(GetWindowLongA(bit->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    std::unique_ptr<TBitmap> capture = CaptureClient(bit->Handle());
    ASSERT_TRUE(capture);
    const TBitmap& shot = *capture;
    // Margin -1, spacing 4: the glyph and "Open" centred together, the glyph first.
    bool red = false;
    for (int x = 0; x < 50 && !red; ++x)
        red = shot.PixelColor(x, 20) == 0x0000FF;
    EXPECT_TRUE(red) << "the glyph is drawn in the left half";
    EXPECT_NE(shot.PixelColor(80, 20), 0x0000FF);

    PostLeftClick(bit->Handle(), 50, 20);
    ASSERT_TRUE(PumpUntil([&] { return bitEvents.clicks == 1; }));

    PostLeftClick(form_->Handle(), 165, 23);
    ASSERT_TRUE(PumpUntil([&] { return speedEvents.clicks == 1; }));
    EXPECT_TRUE(speedB->Down());
    EXPECT_FALSE(speedA->Down()) << "one button of a group is down";
    speedB->SetDown(false);
    EXPECT_TRUE(speedB->Down()) << "the last one stays down unless all may be up";
    speedB->SetAllowAllUp(true);
    speedB->SetDown(false);
    EXPECT_FALSE(speedB->Down());
}

TEST_F(ComCtrlsTest, ToolBarButtonsClickAndADropDownButtonOpensItsMenu) {
    auto* bar = new TToolBar(form_.get());
    bar->SetParent(form_.get());
    auto* menu = new TPopupMenu(form_.get());
    auto* pick = new TMenuItem(form_.get());
    pick->SetCaption("Pick");
    menu->Items().Add(pick);
    TEvents plain, drop, chosen;
    pick->OnClick = Bind<&TEvents::Click>(&chosen);
    TToolButton button;
    button.Caption = "One";
    button.OnClick = Bind<&TEvents::Click>(&plain);
    bar->AddButton(button);
    TToolButton gap;
    gap.Style = tbsSeparator;
    bar->AddButton(gap);
    TToolButton dropDown;
    dropDown.Style = tbsDropDown;
    dropDown.Caption = "Two";
    dropDown.DropdownMenu = menu;
    dropDown.OnClick = Bind<&TEvents::Click>(&drop);
    bar->AddButton(dropDown);
    form_->Show();
    SetForegroundWindow(form_->Handle());
    PumpPending();
    EXPECT_EQ(ClassOf(bar->Handle()), "TToolBar");
    EXPECT_EQ(SendMessageA(bar->Handle(), TB_BUTTONCOUNT, 0, 0), 3);

    const RECT first = bar->ButtonRect(0);
    PostLeftClick(bar->Handle(), (first.left + first.right) / 2, (first.top + first.bottom) / 2);
    ASSERT_TRUE(PumpUntil([&] { return plain.clicks == 1; }));

    // The arrow at the drop-down button's right end opens its menu under it.
    const RECT second = bar->ButtonRect(2);
    TDialogAnswerer answer(TAnswer::ChooseMenu("Pick"));
    PostMouse(bar->Handle(), WM_LBUTTONDOWN, second.right - 3, (second.top + second.bottom) / 2, MK_LBUTTON);
    ASSERT_TRUE(PumpUntil([&] { return chosen.clicks == 1; }));
    answer.Wait();
    PostMouse(bar->Handle(), WM_LBUTTONUP, second.right - 3, (second.top + second.bottom) / 2);
    PumpPending();
    EXPECT_EQ(plain.clicks, 1);
    EXPECT_EQ(drop.clicks, 0);

    // Flat by name, as skinning sets it.
    EXPECT_TRUE(bar->SetPropText("Flat", "True"));
    EXPECT_NE(GetWindowLongA(bar->Handle(), GWL_STYLE) & TBSTYLE_FLAT, 0);
}
