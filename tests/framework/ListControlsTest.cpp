// List boxes, combo boxes and image lists on real windows: the string list and the window must
// never disagree, the selection must stay on its line, owner drawing must reach the events, and
// notices must come once per user action.
#include "UiTestSupport.h"

#include "Form.h"
#include "ImageList.h"
#include "ListControls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> WindowLines(HWND list) {
    std::vector<std::string> lines;
    auto count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::string text(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, i, 0)) + 1, '\0');
        text.resize(
            static_cast<size_t>(SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
        lines.push_back(text);
    }
    return lines;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

class ListControlsTest : public TUiTest {
  protected:
    void SetUp() override {
        TUiTest::SetUp();
        form_.reset(new TForm(&TestApplication()));
        form_->SetBounds(40, 40, 320, 260);
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
    int clicks = 0, doubleClicks = 0, changes = 0;
    void Click(TObject*) { ++clicks; }
    void DoubleClick(TObject*) { ++doubleClicks; }
    void Change(TObject*) { ++changes; }
};

} // namespace

TEST_F(ListControlsTest, ListLinesReachTheWindowAndTheSelectionStaysOnItsLine) {
    auto* list = Make<TListBox>(8, 8, 120, 100);
    list->Items().Add("a");
    list->Items().Add("b");
    list->Items().Add("c");
    list->SetItemIndex(1);
    HWND window = list->Handle();
    EXPECT_EQ(ClassOf(window), "TListBox");
    EXPECT_NE(dynamic_cast<TCustomListBox*>(FindControl(window)), nullptr);
    EXPECT_EQ(WindowLines(window), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(list->ItemIndex(), 1);

    list->Items().Insert(0, "z");
    EXPECT_EQ(WindowLines(window), (std::vector<std::string>{"z", "a", "b", "c"}));
    EXPECT_EQ(list->ItemIndex(), 2) << "the selection follows \"b\"";
    list->Items().Delete(2);
    EXPECT_EQ(list->ItemIndex(), -1) << "the selected line is gone";

    // Large changes refill the window; the selection must behave the same way.
    list->Items().BeginUpdate();
    list->Items().Clear();
    for (int i = 0; i < 300; ++i)
        list->Items().Add("line " + std::to_string(i));
    list->Items().EndUpdate();
    list->SetItemIndex(150);
    list->Items().Insert(0, "first");
    EXPECT_EQ(list->ItemIndex(), 151);
    list->SetItemIndex(300);
    list->Items().BeginUpdate();
    for (int i = 0; i < 100; ++i)
        list->Items().Delete(100);
    list->Items().EndUpdate();
    EXPECT_EQ(list->ItemIndex(), 200) << "the last line, refilled, is still the selected one";
    EXPECT_EQ(WindowLines(window).size(), 201u);
    list->Items().SetText("x\ny\n");
    EXPECT_EQ(WindowLines(window), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(list->ItemIndex(), -1);

    list->SetItemIndex(1);
    list->RecreateWnd();
    EXPECT_NE(list->Handle(), window);
    EXPECT_EQ(WindowLines(list->Handle()), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(list->ItemIndex(), 1) << "a new window keeps lines and selection";

    list->Items().SetText("beta\nAlpha\ngamma\n");
    list->SetSorted(true);
    EXPECT_EQ(WindowLines(list->Handle()), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    list->Items().Add("Delta");
    EXPECT_EQ(WindowLines(list->Handle()), (std::vector<std::string>{"Alpha", "beta", "Delta", "gamma"}));
}

TEST_F(ListControlsTest, OwnerDrawnListsDrawThroughTheEventAtTheirLineHeight) {
    auto* fixed = Make<TListBox>(8, 8, 120, 100);
    fixed->SetStyle(lbOwnerDrawFixed);
    fixed->SetItemHeight(17);
    fixed->SetIntegralHeight(true);
    fixed->SetBounds(8, 8, 120, 100);
    for (const char* line : {"one", "two", "three"})
        fixed->Items().Add(line);
    fixed->SetItemIndex(1);
    std::vector<std::pair<int, TOwnerDrawState>> drawn;
    struct TPainter {
        std::vector<std::pair<int, TOwnerDrawState>>* drawn;
        TListBox* list;
        void Draw(TWinControl*, int index, const RECT& rect, TOwnerDrawState state) {
            drawn->emplace_back(index, state);
            list->Canvas().Brush().SetColor(index == 2 ? clRed : clWhite);
            list->Canvas().FillRect(rect);
        }
    } painter{&drawn, fixed};
    fixed->OnDrawItem = Bind<&TPainter::Draw>(&painter);
    form_->Show();
    auto picture = CaptureClient(fixed->Handle());

    EXPECT_EQ(SendMessageA(fixed->Handle(), LB_GETITEMHEIGHT, 0, 0), 17);
    RECT outer{}, inner{};
    GetWindowRect(fixed->Handle(), &outer);
    GetClientRect(fixed->Handle(), &inner);
    EXPECT_EQ(inner.bottom % 17, 0) << "the height is cut to whole lines";
    EXPECT_LE(outer.bottom - outer.top, 100);
    EXPECT_GT(outer.bottom - outer.top, 100 - 17);
    bool sawSelected = false;
    for (auto [index, state] : drawn)
        if (index == 1 && (state & odSelected))
            sawSelected = true;
    EXPECT_TRUE(sawSelected);
    RECT third = fixed->ItemRect(2);
    EXPECT_EQ(picture->PixelColor(third.left + 5, third.top + 5), clRed);

    auto* variable = Make<TListBox>(140, 8, 120, 150);
    variable->SetStyle(lbOwnerDrawVariable);
    struct TMeasurer {
        void Measure(TWinControl*, int index, int& height) { height = 10 + 5 * index; }
    } measurer;
    variable->OnMeasureItem = Bind<&TMeasurer::Measure>(&measurer);
    for (const char* line : {"a", "b", "c"})
        variable->Items().Add(line);
    variable->HandleNeeded();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(SendMessageA(variable->Handle(), LB_GETITEMHEIGHT, i, 0), 10 + 5 * i);
}

TEST_F(ListControlsTest, AClickAndADoubleClickEachNotifyOnce) {
    auto* list = Make<TListBox>(8, 8, 120, 100);
    for (const char* line : {"one", "two", "three"})
        list->Items().Add(line);
    TEvents events;
    list->OnClick = Bind<&TEvents::Click>(&events);
    list->OnDblClick = Bind<&TEvents::DoubleClick>(&events);
    form_->Show();
    RECT second = list->ItemRect(1);
    int x = second.left + 10, y = (second.top + second.bottom) / 2;
    PostLeftClick(list->Handle(), x, y);
    PumpPending();
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(events.clicks, 1);
    EXPECT_EQ(events.doubleClicks, 0);
    PostMouse(list->Handle(), WM_LBUTTONDBLCLK, x, y, MK_LBUTTON);
    PostMouse(list->Handle(), WM_LBUTTONUP, x, y, 0);
    PumpPending();
    EXPECT_EQ(events.doubleClicks, 1);
}

TEST_F(ListControlsTest, AVirtualListHoldsOnlyTheCountAndFindsLinesByLetter) {
    auto* list = Make<TListBox>(8, 8, 120, 100);
    list->SetStyle(lbVirtual);
    for (const char* line : {"apple", "banana", "Blueberry", "cherry"})
        list->Items().Add(line);
    list->SetItemIndex(0);
    TEvents events;
    list->OnClick = Bind<&TEvents::Click>(&events);
    HWND window = list->Handle();
    EXPECT_FALSE(GetWindowLongA(window, GWL_STYLE) & LBS_HASSTRINGS);
    EXPECT_EQ(SendMessageA(window, LB_GETCOUNT, 0, 0), 4);
    form_->Show();
    for (int expected : {1, 2, 1}) {
        PostMessageA(window, WM_CHAR, 'b', 1);
        PumpPending();
        EXPECT_EQ(list->ItemIndex(), expected) << "the next line beginning with b, any case";
    }
    EXPECT_EQ(events.clicks, 3);
    list->Items().Delete(0);
    EXPECT_EQ(SendMessageA(window, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(list->ItemIndex(), 0) << "the selection stays on \"banana\"";
}

TEST_F(ListControlsTest, ComboBoxesKeepLinesIndexAndTextAndNotifyOnce) {
    auto* pick = Make<TComboBox>(8, 8, 150, 21);
    pick->SetStyle(csDropDownList);
    for (const char* line : {"x", "y", "z"})
        pick->Items().Add(line);
    pick->SetItemIndex(1);
    TEvents events;
    pick->OnClick = Bind<&TEvents::Click>(&events);
    pick->OnChange = Bind<&TEvents::Change>(&events);
    HWND window = pick->Handle();
    EXPECT_EQ(ClassOf(window), "TComboBox");
    EXPECT_NE(dynamic_cast<TCustomComboBox*>(FindControl(window)), nullptr);
    EXPECT_EQ(SendMessageA(window, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(pick->Text(), "y");
    form_->Show();
    PostKey(window, VK_DOWN);
    PumpPending();
    EXPECT_EQ(pick->ItemIndex(), 2);
    EXPECT_EQ(pick->Text(), "z");
    EXPECT_EQ(events.clicks, 1);
    EXPECT_EQ(events.changes, 1);

    auto* typed = Make<TComboBox>(8, 40, 150, 21);
    typed->SetText("free");
    typed->Items().Add("listed");
    TEvents typing;
    typed->OnChange = Bind<&TEvents::Change>(&typing);
    HWND edit = GetWindow(typed->Handle(), GW_CHILD);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(typed->Text(), "free");
    PostKey(edit, VK_END);
    PostMessageA(edit, WM_CHAR, '!', 1);
    PumpPending();
    EXPECT_EQ(typed->Text(), "free!");
    EXPECT_EQ(typing.changes, 1);

    auto* drawn = Make<TComboBox>(8, 80, 150, 19);
    drawn->SetStyle(csOwnerDrawFixed);
    drawn->SetItemHeight(16);
    drawn->Items().Add("only");
    drawn->SetItemIndex(0);
    TOwnerDrawState fieldState = 0;
    struct TFieldWatch {
        TOwnerDrawState* state;
        void Draw(TWinControl*, int, const RECT&, TOwnerDrawState s) { *state |= s; }
    } watch{&fieldState};
    drawn->OnDrawItem = Bind<&TFieldWatch::Draw>(&watch);
    drawn->SetBounds(8, 80, 150, 19);
    UpdateWindow(drawn->Handle());
    RedrawWindow(drawn->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(drawn->Height(), 19) << "the closed box is as high as asked";
    EXPECT_TRUE(fieldState & odComboBoxEdit);

    drawn->SetDroppedDown(true);
    EXPECT_TRUE(drawn->DroppedDown());
    EXPECT_TRUE(drawn->Perform(WM_GETDLGCODE) & DLGC_WANTALLKEYS)
        << "an open list keeps Escape from the form";
    drawn->SetDroppedDown(false);
}

TEST(ImageList, CutsCellsAndLeavesTheTransparentColourOut) {
    TestApplication();
    TImageList pictures(nullptr, 16, 16);
    TBitmap strip(32, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x)
            strip.SetPixelColor(x, y, clFuchsia);
    strip.SetPixelColor(3, 4, clRed);
    strip.SetPixelColor(16 + 4, 5, clBlue);
    EXPECT_EQ(pictures.AddMasked(strip), 0);
    EXPECT_EQ(pictures.Count(), 2);

    TBitmap sheet(16, 16);
    pictures.Draw(sheet.MemoryDC(), 0, 0, 1);
    GdiFlush();
    EXPECT_EQ(sheet.PixelColor(4, 5), clBlue);
    EXPECT_EQ(sheet.PixelColor(3, 4), clWhite);
    EXPECT_EQ(sheet.PixelColor(0, 0), clWhite) << "magenta is left out";
    pictures.Draw(sheet.MemoryDC(), 0, 0, 7); // no such cell: nothing happens
    GdiFlush();
    EXPECT_EQ(sheet.PixelColor(0, 0), clWhite);

    TBitmap small(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            small.SetPixelColor(x, y, y == 7 && x == 0 ? clLime : clGreen);
    EXPECT_EQ(pictures.AddMasked(small, clLime), 2) << "a smaller picture fills one cell";
    EXPECT_EQ(pictures.Count(), 3);
}
