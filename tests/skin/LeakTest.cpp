// Leak checks, one table over the actions a user repeats: each action runs a few warm-up rounds
// (caches built once are no leak), then LeakRounds() rounds, and the process's GDI and USER
// objects must end within a small allowance of where they were. Every round also checks that it
// did what it claims (the menu was skinned, the dialog skinned, the list dropped down), so that
// a count that stays put means something. The counts are printed; `make soak` runs the table
// with a thousand rounds.
//
// The skin gallery carries every control kind the engine draws; Ctrl+S, the popup menu and the
// folder chooser are the main window's own.
#include "GuiObjects.h"
#include "UiTestSupport.h"

#include "GalleryForm.h"
#include "GalleryMDIForm.h"
#include "JvSelectDirectory.h"
#include "ListControls.h"
#include "Main.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSubClass.h"
#include "WinSubClassCombo.h"
#include "WinSubClassScroll.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

enum class TLeakAction {
    SkinChange,
    CtrlS,
    PopupMenu,
    Combo,
    Scroll,
    Gallery,
    Discovery,
    MdiSkinChange,
    MdiCtrlS
};

struct TLeakCase {
    const char* Name;
    TLeakAction Action;
    int WarmUp;
};

// Failures name the action.
void PrintTo(const TLeakCase& leak, std::ostream* out) {
    *out << leak.Name;
}

constexpr DWORD Allowance = 5;

TWinSkinForm* FrameOf(HWND window) {
    return SkinManager() ? SkinManager()->FindFrame(window) : nullptr;
}

bool Running(HWND window) {
    TWinSkinForm* frame = FrameOf(window);
    return frame && frame->FrameState() == fsRunning;
}

// The manager's deferred work (refresh, skins off, skins on) run now instead of after its pause.
void RunPendingAction() {
    if (TSkinManage* manager = SkinManager())
        if (manager->PendingAction() != saNone)
            manager->RunAction();
    PumpPending();
}

// A thread timer inside the popup menu's own loop: once the menu is open it is painted, asked
// whether it is skinned, and closed.
int skinnedMenus = 0;
void CALLBACK CloseMenuTick(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND popup = FindVisibleThreadWindow("#32768")) {
        RedrawWindow(popup, nullptr, nullptr, RDW_UPDATENOW);
        if (SendMessageA(popup, SKM_ISSKINNED, 0, 0) == 1)
            ++skinnedMenus;
        EndMenu();
    }
}

// A thread timer inside the folder chooser's modal loop: once the dialog's frame runs, whether
// its OK button has an adapter, then the dialog closed. Whatever is still open after 8 s is closed.
struct TChooserWatch {
    DWORD Started = 0;
    bool Acted = false, Skinned = false;
};
TChooserWatch* chooserWatch = nullptr;
void CALLBACK CloseChooserTick(HWND, UINT, UINT_PTR, DWORD) {
    TChooserWatch* watch = chooserWatch;
    HWND dialog = watch ? FindVisibleThreadWindow("TSelectDirDlg") : nullptr;
    if (!dialog || (watch->Acted && GetTickCount() - watch->Started < 8000))
        return;
    if (!watch->Acted && Running(dialog)) {
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        auto* form = dynamic_cast<TSelectDirDlg*>(FindControl(dialog));
        for (TSkinControl* adapter : FrameOf(dialog)->Adapters())
            watch->Skinned |= form && adapter->Control() == form->OKButton;
    } else if (GetTickCount() - watch->Started < 8000) {
        return;
    }
    watch->Acted = true;
    PostMessageA(dialog, WM_CLOSE, 0, 0);
}

} // namespace

class LeakTest : public TUiTest, public ::testing::WithParamInterface<TLeakCase> {
  protected:
    void SetUp() override {
        TUiTest::SetUp();
        FreeSkinManager();
        // The mouse stays out of the way: a menu opening under it would select what it points at.
        EXPECT_TRUE(MovePointerTo(0, 0));
    }
    void TearDown() override {
        gallery_.reset();
        mdi_.reset();
        main_.reset();
        PumpPending();
        FreeSkinManager();
        TUiTest::TearDown();
    }

    void OpenGallery() {
        gallery_.reset(new TGalleryForm(&TestApplication()));
        gallery_->StopMoving();
        gallery_->Show();
        SetForegroundWindow(gallery_->Handle());
        RunPendingAction();
        ASSERT_TRUE(PumpUntil([&] { return Running(gallery_->Handle()); }));
        PumpPending();
    }
    // The MDI gallery: an MDI frame with two document children, skinned.
    void OpenMdiGallery() {
        mdi_.reset(new TGalleryMDIForm(&TestApplication()));
        mdi_->Show();
        SetForegroundWindow(mdi_->Handle());
        RunPendingAction();
        ASSERT_TRUE(PumpUntil([&] { return Running(mdi_->Handle()); }));
        ASSERT_EQ(mdi_->MDIChildCount(), 2);
        PumpPending();
    }
    void StartMain() {
        folder_.Write("perchpoints.ini",
                      "[Settings]\r\nLeft=100\r\nTop=100\r\nRight=300\r\nBottom=260\r\nSkin=1\r\n");
        main_.reset(new TForm1(&TestApplication(), folder_.Path("perchpoints.exe")));
        main_->Show();
        SetForegroundWindow(main_->Handle());
        SetActiveWindow(main_->Handle());
        RunPendingAction();
        ASSERT_TRUE(PumpUntil([&] { return Running(main_->Handle()); }));
        PumpPending();
    }
    TWinSkinForm* GalleryFrame() const { return FrameOf(gallery_->Handle()); }

    // One round of the action; true when it did what it claims.
    bool Round(TLeakAction action) {
        switch (action) {
        case TLeakAction::SkinChange:
            return NextSkin();
        case TLeakAction::CtrlS:
            return SkinningOffAndOn();
        case TLeakAction::PopupMenu:
            return PopupMenu();
        case TLeakAction::Combo:
            return DropCombos();
        case TLeakAction::Scroll:
            return ScrollAndReattach();
        case TLeakAction::Gallery:
            return GalleryOpenedAndClosed();
        case TLeakAction::Discovery:
            return FolderChooser();
        case TLeakAction::MdiSkinChange:
            mdiSkin_ = (mdiSkin_ + 1) % PP_PACKED_SKIN_COUNT;
            mdi_->ShowSkin(mdiSkin_);
            RunPendingAction();
            return Running(mdi_->Handle()) && mdi_->MDIChildCount() == 2;
        case TLeakAction::MdiCtrlS:
            return MdiSkinningOffAndOn();
        }
        return false;
    }

    // "Change skin": the next skin, its refresh, the window painted in it.
    bool NextSkin() {
        const int next = (gallery_->SkinIndex() + 1) % gallery_->SkinCount();
        gallery_->ShowSkin(next);
        RunPendingAction();
        return gallery_->SkinIndex() == next && Running(gallery_->Handle());
    }
    // Skinning switched off and on with the MDI gallery open: its frame and its children's given back
    // and made anew.
    bool MdiSkinningOffAndOn() {
        mdi_->Skin().SetActive(false);
        RunPendingAction();
        const bool off = !Running(mdi_->Handle());
        mdi_->Skin().SetActive(true);
        RunPendingAction();
        return off && PumpUntil([&] { return Running(mdi_->Handle()); }, 3000) && mdi_->MDIChildCount() == 2;
    }
    // Ctrl+S twice on the main window: the frame and every adapter restored, then made anew.
    bool SkinningOffAndOn() {
        const bool off = CtrlS() && !Running(main_->Handle());
        return CtrlS() && off && PumpUntil([&] { return Running(main_->Handle()); }, 3000);
    }
    bool CtrlS() {
        const bool was = main_->SkinData1->Active();
        WORD key = 'S';
        main_->FormKeyDown(main_.get(), key, ssCtrl);
        RunPendingAction();
        return main_->SkinData1->Active() != was;
    }
    // The main window's menu by a right click, painted skinned and closed from inside its loop.
    bool PopupMenu() {
        const int before = skinnedMenus;
        PostRightClick(main_->panels1->Handle(), 10, 10);
        PumpUntil([&] { return skinnedMenus > before && !FindVisibleThreadWindow("#32768"); }, 3000);
        return skinnedMenus == before + 1 && SkinManager()->PopupMenus().empty();
    }
    // Every combo box's list dropped down, painted and closed again.
    bool DropCombos() {
        int dropped = 0, combos = 0;
        for (TSkinControl* adapter : std::vector<TSkinControl*>(GalleryFrame()->Adapters())) {
            auto* skin = dynamic_cast<TSkinComBox*>(adapter);
            auto* combo = skin ? dynamic_cast<TComboBox*>(skin->Control()) : nullptr;
            if (!combo)
                continue;
            ++combos;
            combo->SetFocus();
            PostKey(GetFocus(), VK_F4);
            PumpPending();
            const bool open = skin->DroppedDown() && SendMessageA(skin->Handle(), CB_GETDROPPEDSTATE, 0, 0);
            PostKey(GetFocus(), VK_F4);
            PumpPending();
            dropped += open && !skin->DroppedDown();
        }
        return combos >= 3 && dropped == combos;
    }
    // The memo, list box, list view and scroll bars scrolled a page or a line, down and up by
    // turns (the overlays follow), then their scroll adapters restored and attached anew.
    bool ScrollAndReattach() {
        TWinSkinForm* frame = GalleryFrame();
        const bool down = ++scrolls_ % 2 != 0;
        int overlays = 0, moved = 0;
        std::vector<TControl*> controls;
        for (TSkinControl* adapter : frame->Adapters()) {
            HWND window = adapter->Handle();
            const bool standalone = dynamic_cast<TSkinScControl*>(adapter) != nullptr;
            if (!standalone && !dynamic_cast<TSkinScrollbar*>(adapter))
                continue;
            const int bar = standalone ? SB_CTL : SB_VERT;
            const int before = GetScrollPos(window, bar);
            if (standalone) {
                const bool vertical = GetWindowLongA(window, GWL_STYLE) & SBS_VERT;
                SendMessageA(GetParent(window), vertical ? WM_VSCROLL : WM_HSCROLL,
                             down ? SB_LINEDOWN : SB_LINEUP, reinterpret_cast<LPARAM>(window));
            } else {
                SendMessageA(window, WM_VSCROLL, down ? SB_PAGEDOWN : SB_PAGEUP, 0);
                SendMessageA(window, WM_HSCROLL, down ? SB_LINEDOWN : SB_LINEUP, 0);
            }
            ++overlays;
            moved += GetScrollPos(window, bar) != before;
            controls.push_back(adapter->Control());
        }
        PumpPending();
        const size_t attached = frame->Adapters().size();
        for (TSkinControl* adapter : std::vector<TSkinControl*>(frame->Adapters()))
            if (std::find(controls.begin(), controls.end(), adapter->Control()) != controls.end()) {
                adapter->Restore();
                TComponent::Free(adapter);
            }
        for (TControl* control : controls)
            frame->SkinControl(control, gallery_.get());
        PumpPending();
        return overlays >= 4 && moved == overlays && frame->Adapters().size() == attached;
    }
    bool GalleryOpenedAndClosed() {
        OpenGallery();
        const bool opened = gallery_ && GalleryFrame() && !GalleryFrame()->Adapters().empty();
        gallery_.reset();
        PumpPending();
        return opened;
    }
    // A skinned folder chooser opened from the main window's skin and closed.
    bool FolderChooser() {
        TJvSelectDirectory chooser(nullptr);
        chooser.SetClassicDialog(true);
        chooser.SetInitialDir(folder_.Path("."));
        TChooserWatch watch;
        watch.Started = GetTickCount();
        chooserWatch = &watch;
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, CloseChooserTick);
        chooser.ChooseFolder();
        KillTimer(nullptr, timer);
        chooserWatch = nullptr;
        return watch.Skinned;
    }

    TTempFolder folder_;
    TOwnedComponent<TGalleryForm> gallery_;
    std::unique_ptr<TForm1> main_;
    TOwnedComponent<TGalleryMDIForm> mdi_;
    int scrolls_ = 0;
    int mdiSkin_ = 0;
};

TEST_P(LeakTest, RoundsLeaveTheObjectCountsWhereTheyWere) {
    const TLeakCase& leak = GetParam();
    switch (leak.Action) {
    case TLeakAction::CtrlS:
    case TLeakAction::PopupMenu:
    case TLeakAction::Discovery:
        StartMain();
        break;
    case TLeakAction::Gallery:
        break;
    case TLeakAction::MdiSkinChange:
    case TLeakAction::MdiCtrlS:
        OpenMdiGallery();
        break;
    default:
        OpenGallery();
        break;
    }
    ASSERT_FALSE(HasFatalFailure());
    const UINT_PTR menuTimer =
        leak.Action == TLeakAction::PopupMenu ? SetTimer(nullptr, 0, 1, CloseMenuTick) : 0;
    for (int i = 0; i < leak.WarmUp; ++i)
        ASSERT_TRUE(Round(leak.Action)) << "warm-up round " << i;
    PumpPending();
    const DWORD gdi = GdiObjectCount(), user = UserObjectCount();
    const int rounds = LeakRounds();
    int done = 0;
    for (int i = 0; i < rounds; ++i)
        done += Round(leak.Action);
    PumpPending();
    if (menuTimer)
        KillTimer(nullptr, menuTimer);
    const DWORD gdiAfter = GdiObjectCount(), userAfter = UserObjectCount();
    std::printf("%s x%d: GDI %lu -> %lu, USER %lu -> %lu\n", leak.Name, rounds,
                static_cast<unsigned long>(gdi), static_cast<unsigned long>(gdiAfter),
                static_cast<unsigned long>(user), static_cast<unsigned long>(userAfter));
    EXPECT_EQ(done, rounds);
    EXPECT_LE(gdiAfter, gdi + Allowance);
    EXPECT_LE(userAfter, user + Allowance);
}

INSTANTIATE_TEST_SUITE_P(Actions, LeakTest,
                         ::testing::Values(TLeakCase{"SkinChange", TLeakAction::SkinChange, 8},
                                           TLeakCase{"CtrlS", TLeakAction::CtrlS, 2},
                                           TLeakCase{"PopupMenu", TLeakAction::PopupMenu, 5},
                                           TLeakCase{"Combo", TLeakAction::Combo, 2},
                                           TLeakCase{"Scroll", TLeakAction::Scroll, 2},
                                           TLeakCase{"Gallery", TLeakAction::Gallery, 3},
                                           TLeakCase{"Discovery", TLeakAction::Discovery, 3},
                                           TLeakCase{"MdiSkinChange", TLeakAction::MdiSkinChange, 8},
                                           TLeakCase{"MdiCtrlS", TLeakAction::MdiCtrlS, 2}),
                         [](const ::testing::TestParamInfo<TLeakCase>& info) {
                             return std::string(info.param.Name);
                         });
