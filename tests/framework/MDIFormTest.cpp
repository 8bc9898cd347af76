// Multiple-document forms: the MDI client, its children, tiling, the Window menu, maximizing and
// closing children, and freeing the frame.
#include "UiTestSupport.h"

#include "Form.h"
#include "GuiObjects.h"
#include "Menus.h"
#include "Panel.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class MDIFormTest : public TUiTest {
  protected:
    void SetUp() override {
        TUiTest::SetUp();
        frame_.reset(MakeFrame(&TestApplication()));
        first_ = MakeChild(frame_.get(), "First", 10, 10);
        second_ = MakeChild(frame_.get(), "Second", 40, 40);
        PumpPending();
    }
    void TearDown() override {
        frame_.reset();
        TUiTest::TearDown();
    }
    TForm* MakeFrame(TComponent* owner) {
        auto* frame = new TForm(owner);
        frame->SetFormStyle(fsMDIForm);
        frame->SetBounds(60, 60, 600, 450);
        auto* menu = new TMainMenu(frame);
        auto* file = new TMenuItem(frame);
        file->SetCaption("&File");
        menu->Items().Add(file);
        auto* exit = new TMenuItem(frame);
        exit->SetCaption("E&xit");
        file->Add(exit);
        auto* window = new TMenuItem(frame);
        window->SetCaption("&Window");
        menu->Items().Add(window);
        auto* tile = new TMenuItem(frame);
        tile->SetCaption("&Tile");
        window->Add(tile);
        frame->SetMenu(menu);
        frame->SetWindowMenu(window);
        // The client takes what this strip leaves.
        auto* strip = new TPanel(frame);
        strip->SetParent(frame);
        strip->SetHeight(30);
        strip->SetAlign(alTop);
        frame->Show();
        return frame;
    }
    static TForm* MakeChild(TComponent* owner, const char* caption, int left, int top) {
        auto* child = new TForm(owner);
        child->SetFormStyle(fsMDIChild);
        child->SetCaption(caption);
        child->SetBounds(left, top, 200, 150);
        child->Show();
        return child;
    }
    static RECT PlaceIn(HWND window, HWND parent) {
        RECT rect{};
        GetWindowRect(window, &rect);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    // The texts of the Window menu's entries.
    std::vector<std::string> WindowMenuTexts() const {
        HMENU window = GetSubMenu(GetMenu(frame_->Handle()), 1 + (frame_->ActiveMDIChildMaximized() ? 1 : 0));
        std::vector<std::string> texts;
        for (int i = 0; i < GetMenuItemCount(window); ++i) {
            char text[80] = {};
            GetMenuStringA(window, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            texts.push_back(text);
        }
        return texts;
    }

  public:
    void Destroyed(TObject*) { ++freed_; }

  protected:
    TOwnedComponent<TForm> frame_;
    int freed_ = 0;
    TForm* first_ = nullptr;
    TForm* second_ = nullptr;
};

TEST_F(MDIFormTest, TheChildrenAreWindowsOfTheClientWhichFillsWhatTheAlignedControlsLeave) {
    HWND client = frame_->ClientHandle();
    ASSERT_NE(client, nullptr);
    char className[32] = {};
    GetClassNameA(client, className, sizeof className);
    EXPECT_STRCASEEQ(className, "MDIClient");
    EXPECT_EQ(GetParent(first_->Handle()), client);
    EXPECT_EQ(GetParent(second_->Handle()), client);
    EXPECT_EQ(first_->MDIFrame(), frame_.get());
    EXPECT_EQ(frame_->MDIFrame(), nullptr);
    EXPECT_EQ(frame_->MDIChildCount(), 2);
    EXPECT_EQ(frame_->MDIChildren(0), second_); // the one on top first
    EXPECT_EQ(frame_->ActiveMDIChild(), second_);
    EXPECT_EQ(PlaceIn(first_->Handle(), client).left, 10);

    RECT area{};
    GetClientRect(frame_->Handle(), &area);
    const RECT place = PlaceIn(client, frame_->Handle());
    EXPECT_EQ(place.top, 30);
    EXPECT_EQ(place.bottom, area.bottom);
    EXPECT_EQ(place.right, area.right);
    frame_->SetBounds(60, 60, 500, 400);
    GetClientRect(frame_->Handle(), &area);
    EXPECT_EQ(PlaceIn(client, frame_->Handle()).top, 30);
    EXPECT_EQ(PlaceIn(client, frame_->Handle()).bottom, area.bottom);
}

TEST_F(MDIFormTest, TileAndCascadeGiveTheChildrenTheSystemsPlaces) {
    HWND client = frame_->ClientHandle();
    RECT area{};
    GetClientRect(client, &area);
    frame_->SetTileMode(tbVertical);
    frame_->Tile();
    RECT a = PlaceIn(first_->Handle(), client), b = PlaceIn(second_->Handle(), client);
    if (a.left > b.left)
        std::swap(a, b);
    EXPECT_EQ(a.left, 0);
    EXPECT_EQ(a.right, b.left);
    EXPECT_EQ(b.right, area.right);
    EXPECT_EQ(a.bottom - a.top, area.bottom);
    frame_->SetTileMode(tbHorizontal);
    frame_->Tile();
    a = PlaceIn(first_->Handle(), client), b = PlaceIn(second_->Handle(), client);
    if (a.top > b.top)
        std::swap(a, b);
    EXPECT_EQ(a.top, 0);
    EXPECT_EQ(a.bottom, b.top);
    EXPECT_EQ(b.bottom, area.bottom);
    EXPECT_EQ(a.right - a.left, area.right);

    frame_->Cascade();
    a = PlaceIn(first_->Handle(), client), b = PlaceIn(second_->Handle(), client);
    if (a.left > b.left)
        std::swap(a, b);
    EXPECT_EQ(a.left, 0);
    EXPECT_EQ(a.top, 0);
    EXPECT_GT(b.left, 0);
    EXPECT_EQ(b.left - a.left, b.top - a.top);
    EXPECT_EQ(a.right - a.left, b.right - b.left);
    // The active child ends in front.
    EXPECT_EQ(PlaceIn(frame_->ActiveMDIChild()->Handle(), client).left, b.left);
}

TEST_F(MDIFormTest, TheWindowMenuListsTheChildrenAndChoosingOneActivatesIt) {
    const std::vector<std::string> texts = WindowMenuTexts();
    ASSERT_EQ(texts.size(), 4u) << testing::PrintToString(texts);
    EXPECT_EQ(texts[0], "&Tile");
    EXPECT_EQ(texts[2], "&1 First");
    EXPECT_EQ(texts[3], "&2 Second");
    HMENU window = GetSubMenu(GetMenu(frame_->Handle()), 1);
    PostMessageA(frame_->Handle(), WM_COMMAND, GetMenuItemID(window, 2), 0);
    EXPECT_TRUE(PumpUntil([&] { return frame_->ActiveMDIChild() == first_; }));
    frame_->Next();
    EXPECT_EQ(frame_->ActiveMDIChild(), second_);
    frame_->Previous();
    EXPECT_EQ(frame_->ActiveMDIChild(), first_);

    // A new main menu keeps the list.
    frame_->Menu()->Items()[0]->SetCaption("&Files");
    PumpPending();
    EXPECT_EQ(WindowMenuTexts().size(), 4u) << testing::PrintToString(WindowMenuTexts());
}

TEST_F(MDIFormTest, AMaximizedChildThatIsClosedIsFreedAndTheOtherGoesOn) {
    second_->OnDestroy = Bind<&MDIFormTest::Destroyed>(this);
    SendMessageA(second_->Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(IsZoomed(second_->Handle()));
    EXPECT_TRUE(frame_->ActiveMDIChildMaximized());
    PostMessageA(second_->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(PumpUntil([&] { return freed_ == 1; }));
    EXPECT_EQ(frame_->MDIChildCount(), 1);
    EXPECT_EQ(frame_->ActiveMDIChild(), first_);
    EXPECT_EQ(WindowMenuTexts().size(), 3u) << testing::PrintToString(WindowMenuTexts());
    SendMessageA(first_->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(frame_->ActiveMDIChildMaximized());
    EXPECT_EQ(GetMenuItemCount(GetMenu(frame_->Handle())), 2);
}

TEST_F(MDIFormTest, FreeingTheFrameFreesItsChildrenWhoeverOwnsThemAndLeaksNothing) {
    frame_.reset();
    PumpPending();
    const DWORD gdi = GdiObjectCount(), user = UserObjectCount();
    for (int round = 0; round < 20; ++round) {
        TForm* frame = MakeFrame(&TestApplication());
        MakeChild(frame, "Owned", 0, 0);
        TForm* stranger = MakeChild(&TestApplication(), "Stranger", 20, 20);
        stranger->OnDestroy = Bind<&MDIFormTest::Destroyed>(this);
        PumpPending();
        EXPECT_EQ(frame->MDIChildCount(), 2);
        TComponent::Free(frame);
        if (freed_ != round + 1) {
            ADD_FAILURE() << "the frame left a child it does not own";
            TComponent::Free(stranger);
            return;
        }
        PumpPending();
    }
    EXPECT_LE(GdiObjectCount(), gdi + 4);
    EXPECT_LE(UserObjectCount(), user + 4);
}

} // namespace
