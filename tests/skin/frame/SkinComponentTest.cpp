// The skin component and the skin manager: switching on and off, deferred actions, loading from
// the store, the form filter, and skins that would leave a window unusable.
#include "UiTestSupport.h"

#include "Form.h"
#include "MapSkinSource.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSkinStore.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

namespace {
using Bytes = std::vector<std::uint8_t>;

struct TChangeCounter {
    int Changes = 0;
    void Changed(TObject*) { ++Changes; }
};

// Counts the requests the form filter sees and answers them.
struct TFormFilter {
    std::vector<std::string> Names;
    bool Answer = true;
    void Decide(TObject*, const std::string& name, bool& doSkin) {
        Names.push_back(name);
        doSkin = Answer;
    }
};
} // namespace

class SkinComponentTest : public TUiTest {
  protected:
    void SetUp() override {
        TUiTest::SetUp();
        FreeSkinManager();
        store_.reset(new TSkinStore(nullptr));
        LoadSkinStoreResources(*store_, GetModuleHandleA(nullptr));
        ASSERT_EQ(store_->Store().Count(), PP_PACKED_SKIN_COUNT);
    }
    void TearDown() override {
        forms_.clear();
        skin_.reset();
        FreeSkinManager();
        store_.reset();
        TUiTest::TearDown();
    }
    // A skin component as a form would hold it: loading ends after its properties are set.
    TSkinData& MakeSkin(bool active, bool withSkin, TSkinControlTypes controls = 0) {
        skin_.reset(new TSkinData(nullptr));
        skin_->BeginLoading();
        if (controls)
            skin_->SetSkinControls(controls);
        skin_->SetActive(active);
        if (withSkin)
            skin_->LoadFromStore(*store_, 1); // while loading: unpacked only, applied later
        skin_->OnSkinChanged = Bind<&TChangeCounter::Changed>(&changes_);
        skin_->EndLoading();
        return *skin_;
    }
    TForm& ShowForm(int tag = 0) {
        forms_.emplace_back(new TForm(&TestApplication()));
        TForm& form = *forms_.back();
        form.SetTag(tag);
        form.SetBounds(200, 200, 240, 160);
        form.Show();
        SetForegroundWindow(form.Handle());
        PumpPending();
        return form;
    }
    bool WaitForAction() {
        return PumpUntil([] { return !SkinManager()->TimerEnabled(); }, 3000);
    }

    std::unique_ptr<TSkinStore> store_;
    TOwnedComponent<TSkinData> skin_;
    std::vector<TOwnedComponent<TForm>> forms_;
    TChangeCounter changes_;
};

TEST_F(SkinComponentTest, SwitchingOnTwiceMakesOneRequestAndALaterRequestReplacesAnEarlierOne) {
    TSkinData& skin = MakeSkin(false, true);
    TSkinManage& manager = *SkinManager();
    manager.SetState(TManagerState::msRunning);
    skin.SetActive(true);
    skin.SetActive(true);
    EXPECT_EQ(manager.PendingAction(), saSkinAll);
    ASSERT_TRUE(WaitForAction());
    EXPECT_EQ(changes_.Changes, 1);
    EXPECT_TRUE(manager.SkinningEnabled());

    // Two requests before the timer: only the later runs.
    manager.SetPendingSkinData(&skin);
    manager.ScheduleAction(saSkinAll, 250);
    manager.ScheduleAction(saUnskinAll, 250);
    ASSERT_TRUE(WaitForAction());
    EXPECT_EQ(changes_.Changes, 2);
    EXPECT_FALSE(manager.SkinningEnabled());
    EXPECT_EQ(manager.PendingSkinData(), nullptr);
}

TEST_F(SkinComponentTest, BeforeAnyActivationARequestOnlyRecordsWhetherSkinningIsOn) {
    TSkinData& skin = MakeSkin(false, true);
    TSkinManage& manager = *SkinManager();
    ASSERT_EQ(manager.State(), TManagerState::msIdle);
    manager.SetPendingSkinData(&skin);
    manager.ScheduleAction(saSkinAll, 250);
    EXPECT_FALSE(manager.TimerEnabled());
    EXPECT_TRUE(manager.SkinningEnabled());
    manager.ScheduleAction(saUnskinAll, 250);
    EXPECT_FALSE(manager.SkinningEnabled());
    EXPECT_EQ(changes_.Changes, 0);
}

TEST_F(SkinComponentTest, SwitchingOnWithoutASkinSkinsNothingUntilOneIsLoaded) {
    // At load completion an active component without a usable skin is switched off.
    EXPECT_FALSE(MakeSkin(true, false).Active());

    TSkinData& skin = MakeSkin(false, false);
    skin.SetActive(true);
    EXPECT_TRUE(skin.Active());
    EXPECT_EQ(SkinManager()->PendingAction(), saNone);
    EXPECT_FALSE(SkinManager()->TimerEnabled());
    // Loading while the manager is idle applies nothing yet ...
    skin.LoadFromStore(*store_, 0);
    EXPECT_TRUE(skin.SkinReady());
    EXPECT_FALSE(SkinManager()->TimerEnabled());
    // ... while it runs, the windows are refreshed after the pause.
    SkinManager()->SetState(TManagerState::msRunning);
    skin.LoadFromStore(*store_, 2);
    EXPECT_EQ(SkinManager()->PendingAction(), saSkinChanged);
    EXPECT_TRUE(SkinManager()->TimerEnabled());
    ASSERT_TRUE(WaitForAction());
    EXPECT_EQ(changes_.Changes, 1);
}

TEST_F(SkinComponentTest, ADialogSkinComponentLoadingLeavesARunningManagerRunning) {
    TSkinData& skin = MakeSkin(false, false);
    TSkinManage& manager = *SkinManager();
    manager.SetState(TManagerState::msRunning);
    auto dialogSkin = MakeComponent<TSkinData>(nullptr);
    dialogSkin->BeginLoading();
    dialogSkin->SetSkinFormtype(sfDialog);
    dialogSkin->EndLoading();
    EXPECT_EQ(manager.State(), TManagerState::msRunning);
    // A skin loaded afterwards still reaches the windows.
    skin.LoadFromStore(*store_, 2);
    EXPECT_EQ(manager.PendingAction(), saSkinChanged);
    EXPECT_TRUE(manager.TimerEnabled());
}

TEST_F(SkinComponentTest, LoadFromStoreTakesOnlyIndicesOfTheStore) {
    TSkinData& skin = MakeSkin(false, false);
    skin.LoadFromStore(*store_, 3);
    const std::string third = skin.SkinName();
    const TColor face = skin.Colour(scButtonFace);
    skin.LoadFromStore(*store_, -1);
    skin.LoadFromStore(*store_, store_->Store().Count());
    EXPECT_EQ(skin.SkinName(), third);
    EXPECT_EQ(skin.Colour(scButtonFace), face);
    EXPECT_TRUE(skin.SkinReady());
    skin.LoadFromStore(*store_, 0);
    EXPECT_NE(skin.SkinName(), third);
    // Fixed texts stay as they are.
    EXPECT_EQ(skin.Version(), "5.20.05.20");
    EXPECT_EQ(skin.SkinStore(), "(none)");
}

TEST_F(SkinComponentTest, LoadCompletionAdjustsTheMenuKinds) {
    const TSkinControlTypes both = SkinControlBit(xcMainMenu) | SkinControlBit(xcMenuItem) |
                                   SkinControlBit(xcSystemMenu) | SkinControlBit(xcButton);
    TSkinData& withBar = MakeSkin(false, true, both);
    EXPECT_FALSE(withBar.Skins(xcMenuItem));
    EXPECT_TRUE(withBar.Skins(xcSystemMenu));
    TSkinData& withoutBar = MakeSkin(false, true, both & ~SkinControlBit(xcMainMenu));
    EXPECT_TRUE(withoutBar.Skins(xcMenuItem));
    EXPECT_FALSE(withoutBar.Skins(xcSystemMenu));
}

TEST_F(SkinComponentTest, TheFormFilterLeavesCalendarsAndReportPreviewsAlone) {
    TSkinData& skin = MakeSkin(false, true);
    auto decide = [&](const std::string& name) {
        bool doSkin = true;
        skin.DoFormSkin(nullptr, name, doSkin);
        return doSkin;
    };
    EXPECT_FALSE(decide("SysMonthCal32"));
    EXPECT_TRUE(decide("sysmonthcal32"));
    EXPECT_TRUE(decide("TfrPreviewForm"));
    skin.SetSkinControls(skin.SkinControls() | SkinControlBit(xcFastReport));
    EXPECT_FALSE(decide("TfrPreviewForm"));
    EXPECT_TRUE(decide("tfrPreviewForm"));
    TFormFilter filter;
    skin.OnFormSkin = Bind<&TFormFilter::Decide>(&filter);
    EXPECT_TRUE(decide("SysMonthCal32"));
    filter.Answer = false;
    EXPECT_FALSE(decide("TForm"));
    EXPECT_EQ(filter.Names, (std::vector<std::string>{"SysMonthCal32", "TForm"}));
}

TEST_F(SkinComponentTest, FormsAreSkinnedWhenActivatedExceptWithTag99) {
    MakeSkin(true, true);
    TForm& plain = ShowForm();
    TForm& marked = ShowForm(99);
    ASSERT_TRUE(PumpUntil([&] { return SkinManager()->FindFrame(plain.Handle()) != nullptr; }));
    SetForegroundWindow(marked.Handle());
    PumpFor(300);
    EXPECT_EQ(SkinManager()->FindFrame(marked.Handle()), nullptr);
    EXPECT_EQ(SendMessageA(marked.Handle(), SKM_ISSKINNED, 0, 0), 0);
    EXPECT_EQ(SendMessageA(plain.Handle(), SKM_ISSKINNED, 0, 0), 1);
    EXPECT_EQ(SendMessageA(plain.Handle(), SKM_PROBE, 0, SKIN_MAGIC), SKIN_MAGIC);
}

TEST_F(SkinComponentTest, AFrameTheSkinCannotHoldLeavesTheSystemFrame) {
    // A caption two pixels high and borders wider than any window.
    TMapSource images;
    images.entries["left.bmp"] = SolidBmp(400, 10, 0x203040);
    images.entries["top.bmp"] = SolidBmp(40, 2, 0x203040);
    images.entries["bottom.bmp"] = SolidBmp(40, 0x7FFF, 0x203040);
    TQuickIni ini;
    ini.LoadFromText("[Personality]\nLeft=left.bmp\nRight=left.bmp\nTop=top.bmp\nBottom=bottom.bmp\n");
    TSkinData& skin = MakeSkin(false, false);
    skin.LoadElements(ini, images);
    ASSERT_TRUE(skin.SkinReady());
    RECT insets{};
    TCreateParams params;
    params.Style = WS_OVERLAPPEDWINDOW;
    skin.SetActive(true);
    TForm& form = ShowForm();
    EXPECT_FALSE(SkinFrameInsets(form, params, insets));
    RECT before{};
    GetClientRect(form.Handle(), &before);
    SkinManager()->SetPendingSkinData(&skin);
    SkinManager()->SetSkinningEnabled(true);
    SkinManager()->SkinWindow(form.Handle());
    PumpPending();
    TWinSkinForm* frame = SkinManager()->FindFrame(form.Handle());
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(frame->FrameApplied());
    EXPECT_EQ(frame->Region(), nullptr);
    RECT after{};
    GetClientRect(form.Handle(), &after);
    EXPECT_EQ(after.right, before.right);
    EXPECT_EQ(after.bottom, before.bottom);
    // The window still answers the system's way: its caption moves it.
    RECT window{};
    GetWindowRect(form.Handle(), &window);
    const LRESULT hit =
        SendMessageA(form.Handle(), WM_NCHITTEST, 0,
                     MAKELPARAM(window.left + 60, window.top + GetSystemMetrics(SM_CYFRAME) + 4));
    EXPECT_EQ(hit, HTCAPTION);
}

TEST_F(SkinComponentTest, WindowsThatGoWhileAnActionIsPendingAreForgotten) {
    TSkinData& skin = MakeSkin(true, true);
    TForm& form = ShowForm();
    ASSERT_TRUE(PumpUntil([&] { return SkinManager()->FindFrame(form.Handle()) != nullptr; }));
    // A skin change is pending when the window goes.
    skin.LoadFromStore(*store_, 4);
    ASSERT_TRUE(SkinManager()->TimerEnabled());
    forms_.clear();
    ASSERT_TRUE(WaitForAction());
    EXPECT_TRUE(SkinManager()->Frames().empty());
    // A window that goes before its deferred start.
    forms_.emplace_back(new TForm(&TestApplication()));
    forms_.back()->SetBounds(220, 220, 200, 120);
    forms_.back()->Show();
    SkinManager()->SkinWindow(forms_.back()->Handle());
    forms_.clear();
    PumpFor(100);
    EXPECT_TRUE(SkinManager()->Frames().empty());
}

TEST_F(SkinComponentTest, AFormMadeWhileSkinningIsOnIsSkinnedBeforeItIsShown) {
    MakeSkin(true, true);
    forms_.emplace_back(new TForm(&TestApplication()));
    TForm& form = *forms_.back();
    form.SetBounds(240, 240, 200, 100);
    form.SetClientSize(180, 90);
    form.HandleNeeded();
    // Before the window is shown or any message has been handled.
    TWinSkinForm* frame = SkinManager()->FindFrame(form.Handle());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->FrameState(), fsRunning);
    EXPECT_NE(frame->Region(), nullptr);
    RECT client{}, window{};
    GetClientRect(form.Handle(), &client);
    GetWindowRect(form.Handle(), &window);
    EXPECT_EQ(client.right, 180);
    EXPECT_EQ(client.bottom, 90);
    const TFrameWidths& widths = frame->Widths();
    EXPECT_EQ(window.right - window.left, 180 + widths.Left + widths.Right);
    EXPECT_EQ(window.bottom - window.top, 90 + widths.Caption + widths.Bottom);
    // Showing and the deferred start change nothing of that.
    form.Show();
    PumpPending();
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, 180);
    EXPECT_EQ(client.bottom, 90);
}

TEST_F(SkinComponentTest, AStoredSkinIsUnpackedOnlyWhenFirstNeeded) {
    // As the main window holds it: switched on, its own copy not unpacked yet.
    skin_.reset(new TSkinData(nullptr));
    skin_->BeginLoading();
    skin_->SetActive(true);
    ASSERT_TRUE(LoadSkinStreamResource(skin_->PackedSkin(), GetModuleHandleA(nullptr)));
    skin_->UnpackSkinWhenNeeded();
    skin_->EndLoading();
    EXPECT_TRUE(skin_->Active());
    EXPECT_FALSE(skin_->SkinReady());
    // The saved skin replaces it without the copy ever being unpacked ...
    skin_->LoadFromStore(*store_, 5);
    EXPECT_TRUE(skin_->SkinReady());
    const std::string fifth = skin_->SkinName();
    EXPECT_TRUE(skin_->EnsureUnpacked());
    EXPECT_EQ(skin_->SkinName(), fifth);

    // ... and when no stored skin is selected, the first window to skin unpacks it.
    skin_.reset(new TSkinData(nullptr));
    skin_->BeginLoading();
    skin_->SetActive(true);
    ASSERT_TRUE(LoadSkinStreamResource(skin_->PackedSkin(), GetModuleHandleA(nullptr)));
    skin_->UnpackSkinWhenNeeded();
    skin_->EndLoading();
    skin_->LoadFromStore(*store_, store_->Store().Count());
    EXPECT_FALSE(skin_->SkinReady());
    TForm& form = ShowForm();
    ASSERT_TRUE(PumpUntil([&] { return SkinManager()->FindFrame(form.Handle()) != nullptr; }));
    EXPECT_TRUE(skin_->SkinReady());
    TSkinData second(nullptr);
    second.LoadFromStore(*store_, 1);
    EXPECT_EQ(skin_->SkinName(), second.SkinName());
}
