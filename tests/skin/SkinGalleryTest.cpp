// The skin gallery open and skinned while the skin changes many times: every control kind the
// engine draws rebuilds its caches on each change, and what a change makes must be freed by the
// next one.
#include "GuiObjects.h"
#include "UiTestSupport.h"

#include "GalleryForm.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"

#include <gtest/gtest.h>

#include <cstdio>

class SkinGalleryTest : public TUiTest {
  protected:
    void SetUp() override {
        TUiTest::SetUp();
        FreeSkinManager();
    }
    void TearDown() override {
        form_.reset();
        FreeSkinManager();
        TUiTest::TearDown();
    }
    void Open() {
        form_.reset(new TGalleryForm(&TestApplication()));
        form_->StopMoving();
        form_->Show();
        SetForegroundWindow(form_->Handle());
        ASSERT_TRUE(PumpUntil([&] {
            TWinSkinForm* frame = SkinManager() ? SkinManager()->FindFrame(form_->Handle()) : nullptr;
            return frame && frame->FrameState() == fsRunning;
        }));
        PumpPending();
    }
    // One "Change skin": the next skin, its deferred refresh run at once rather than after the
    // manager's pause, and the window painted.
    void NextSkin() {
        form_->ShowSkin(form_->SkinIndex() + 1);
        if (TSkinManage* manager = SkinManager())
            if (manager->PendingAction() != saNone)
                manager->RunAction();
        PumpPending();
    }

    TOwnedComponent<TGalleryForm> form_;
};

TEST_F(SkinGalleryTest, AThousandSkinChangesLeaveTheObjectCountsWhereTheyWere) {
    Open();
    ASSERT_GE(form_->SkinCount(), 8);
    // Caches built once (fonts, brushes of the system colours) are made in the first round.
    for (int i = 0; i < form_->SkinCount(); ++i)
        NextSkin();
    const DWORD gdi = GdiObjectCount(), user = UserObjectCount();
    const int runs = 1000;
    for (int i = 0; i < runs; ++i)
        NextSkin();
    const DWORD gdiAfter = GdiObjectCount(), userAfter = UserObjectCount();
    std::printf("gallery, %d skin changes: GDI %lu -> %lu, USER %lu -> %lu\n", runs, gdi, gdiAfter, user,
                userAfter);
    EXPECT_LE(gdiAfter, gdi + 5);
    EXPECT_LE(userAfter, user + 5);
    EXPECT_EQ(form_->SkinIndex(), runs % form_->SkinCount());
    TWinSkinForm* frame = SkinManager()->FindFrame(form_->Handle());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->FrameState(), fsRunning);
}
