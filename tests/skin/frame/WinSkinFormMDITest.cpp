// Skinned multiple-document windows, on the skin gallery's MDI window: what the frames know of
// the MDI frame and its children, the children's skinned captions, and a maximized child.
#include "GalleryMDIForm.h"
#include "SkinActions.h"
#include "UiTestSupport.h"
#include "WindowCapture.h"

#include "Handles.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSkinFormButtons.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class SkinMDITest : public TUiTest {
  protected:
    void SetUp() override {
        TUiTest::SetUp();
        FreeSkinManager();
        form_.reset(new TGalleryMDIForm(&TestApplication()));
        form_->Show();
        SetForegroundWindow(form_->Handle());
        PumpPending();
        ASSERT_TRUE(PumpUntil(
            [&] {
                // The pending action runs now (it leaves its skin component set: not waited on).
                SkinActionDone();
                return Frame(form_->Handle()) && Frame(Child(0)) && Frame(Child(1)) &&
                       Frame(Child(0))->FrameState() == fsRunning &&
                       Frame(Child(1))->FrameState() == fsRunning;
            },
            3000));
        PumpPending();
    }
    void TearDown() override {
        form_.reset();
        FreeSkinManager();
        PumpPending();
        TUiTest::TearDown();
    }
    HWND Child(int index) const {
        TCustomForm* child = form_->MDIChildren(index);
        return child ? child->Handle() : nullptr;
    }
    static TWinSkinForm* Frame(HWND window) {
        return window && SkinManager() ? SkinManager()->FindFrame(window) : nullptr;
    }
    static bool HasRegion(HWND window) {
        TOwnedRegion region(CreateRectRgn(0, 0, 0, 0));
        return GetWindowRgn(window, region.Get()) != ERROR;
    }

    // Presses and releases the visible caption button with that action of the window's frame.
    static void Click(HWND window, int action) {
        TWinSysButton* button = nullptr;
        for (const auto& object : Frame(window)->CaptionButtons())
            if (object->Visible && object->Element().Action == action && object->BoundsRect.Width() > 0)
                button = object.get();
        ASSERT_NE(button, nullptr) << action;
        RECT outer{};
        GetWindowRect(window, &outer);
        const TFrameRect& r = button->BoundsRect;
        const LPARAM at = MAKELPARAM(outer.left + (r.Left + r.Right) / 2, outer.top + (r.Top + r.Bottom) / 2);
        SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, at);
        SendMessageA(window, WM_NCLBUTTONUP, HTCAPTION, at);
        PumpPending();
    }

    std::unique_ptr<TGalleryMDIForm> form_;
};

TEST_F(SkinMDITest, TheFramesKnowTheMDIFrameAndItsChildren) {
    TWinSkinForm* main = Frame(form_->Handle());
    EXPECT_EQ(main->FormKind(), fkMDIFrame);
    EXPECT_EQ(main->MDIClient(), form_->ClientHandle());
    EXPECT_EQ(SkinManager()->MDIClientWindow(), form_->ClientHandle());
    EXPECT_EQ(SkinManager()->MDIFrameForm(), form_.get());
    for (int i : {0, 1}) {
        EXPECT_EQ(Frame(Child(i))->FormKind(), fkMDIChild) << i;
        EXPECT_EQ(Frame(Child(i))->MDIClient(), nullptr) << i;
    }
    // The frame goes: its children's frames can no longer reach its form.
    form_.reset();
    PumpPending();
    EXPECT_EQ(SkinManager()->MDIFrameForm(), nullptr);
    EXPECT_EQ(SkinManager()->MDIClientWindow(), nullptr);
}

TEST_F(SkinMDITest, AChildsCaptionShowsTheSkinsCaptionCells) {
    for (int i : {0, 1}) {
        TWinSkinForm* frame = Frame(Child(i));
        const TSkinData& skin = form_->Skin();
        const TFrameWidths& w = frame->Widths();
        ASSERT_GT(w.Caption, 0);
        auto shot = CaptureWindow(Child(i));
        std::vector<TFrameRect> covered{frame->TitleRect()};
        for (const auto& object : frame->CaptionButtons())
            if (object->Visible)
                covered.push_back(object->BoundsRect);
        const TDataSkinBorder& top = skin.FrameTop();
        const int frames = std::max(1, top.Frame);
        const int cellH = top.Bitmap.Height() / frames;
        const int sy = (frame->Active() || frames == 1) ? 0 : cellH;
        const int pieceW = shot->Width() - w.Left - w.Right;
        int compared = 0, mismatches = 0;
        // The fixed left and right ends of the caption piece are copied 1:1 from its cell.
        for (int y = 0; y < w.Caption; ++y)
            for (int x = 0; x < pieceW; ++x) {
                int sx = -1;
                if (x < top.LeftWidth)
                    sx = x;
                else if (x >= pieceW - top.RightWidth)
                    sx = top.Bitmap.Width() - (pieceW - x);
                if (sx < 0)
                    continue;
                const TColor expected = top.Bitmap.PixelColor(sx, sy + y);
                bool hidden = (expected & 0xFFFFFF) == 0xFF00FF;
                for (const TFrameRect& r : covered)
                    hidden = hidden || r.Contains(w.Left + x, y);
                if (hidden)
                    continue;
                ++compared;
                mismatches += shot->PixelColor(w.Left + x, y) != expected;
            }
        EXPECT_GT(compared, 20) << "child " << i;
        EXPECT_EQ(mismatches, 0) << "child " << i;
    }
}

TEST_F(SkinMDITest, AMaximizedChildLeavesEveryChildFrameWithoutItsRegionUntilItEnds) {
    TSkinManage& manager = *SkinManager();
    ASSERT_FALSE(manager.ChildMaximized());
    ASSERT_TRUE(HasRegion(Child(0)));
    ASSERT_TRUE(HasRegion(Child(1)));
    manager.SetMdiMaximized(true);
    EXPECT_TRUE(manager.ChildMaximized());
    EXPECT_FALSE(HasRegion(Child(0)));
    EXPECT_FALSE(HasRegion(Child(1)));
    // A sibling resized meanwhile stays without one.
    SetWindowPos(Child(1), nullptr, 0, 0, 260, 190, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_FALSE(HasRegion(Child(1)));
    manager.SetMdiMaximized(false);
    EXPECT_FALSE(manager.ChildMaximized());
    EXPECT_TRUE(HasRegion(Child(0)));
    EXPECT_TRUE(HasRegion(Child(1)));
    EXPECT_EQ(Frame(Child(0))->WindowState(), wsNormal);
}

} // namespace

TEST_F(SkinMDITest, TheMDIClientEndsTheMaximizedFramesWhenItArrangesOrLosesAChild) {
    TSkinManage& manager = *SkinManager();
    HWND client = form_->ClientHandle();
    for (UINT arrange : {WM_MDITILE, WM_MDICASCADE}) {
        manager.SetMdiMaximized(true);
        SendMessageA(client, arrange, 0, 0);
        EXPECT_FALSE(manager.ChildMaximized()) << arrange;
        EXPECT_TRUE(HasRegion(Child(0))) << arrange;
    }
    // The child that goes was the maximized one: the one left is normal.
    manager.SetMdiMaximized(true);
    SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(Child(0)), 0);
    PumpPending();
    EXPECT_FALSE(manager.ChildMaximized());
    EXPECT_TRUE(HasRegion(Child(0)));
}

TEST_F(SkinMDITest, TheMDIClientShowsNoScrollBarsWhenTheSkinDoesNotAskForThem) {
    HWND client = form_->ClientHandle();
    // The bars the system would show (children outside the client), and the frame recalculated.
    SetWindowLongA(client, GWL_STYLE, GetWindowLongA(client, GWL_STYLE) | WS_HSCROLL | WS_VSCROLL);
    SetWindowPos(client, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    EXPECT_EQ(GetWindowLongA(client, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), 0);
}

TEST_F(SkinMDITest, AChildMaximizedByItsButtonIsRestoredByTheFramesButton) {
    Click(Child(0), 1);
    EXPECT_TRUE(SkinManager()->ChildMaximized());
    EXPECT_TRUE(IsZoomed(Child(0)));
    EXPECT_FALSE(HasRegion(Child(1)));
    EXPECT_TRUE(Frame(form_->Handle())->CaptionFacts().MdiChildMaximizedWithMenuBar);
    // The frame's button for the active child restores it.
    Click(form_->Handle(), 8);
    EXPECT_FALSE(IsZoomed(Child(0)));
    EXPECT_FALSE(SkinManager()->ChildMaximized());
    EXPECT_TRUE(HasRegion(Child(0)));
    EXPECT_TRUE(HasRegion(Child(1)));
    EXPECT_FALSE(Frame(form_->Handle())->CaptionFacts().MdiChildMaximizedWithMenuBar);
}
