// Skinned controls taken away in the middle of an interaction: a scroll thumb dragged, an
// up-down arrow held while it repeats, a combo box's list dropped down with its thumb dragged,
// a date-time picker's calendar open, a caption button's hint showing. Each is cut short twice:
// the control's window destroyed (for the hint, the form's), and skinning switched off (Ctrl+S:
// every adapter and frame released). Afterwards nothing may crash or hang, nothing of the gone
// skinning may fire in the second that follows, the form goes on working, the object counts
// come back, and a control that only lost its skin works on as the system's own.
#include "GuiObjects.h"
#include "SkinActions.h"
#include "SkinnedUiTest.h"
#include "UiTestSupport.h"

#include "Buttons.h"
#include "ComCtrls.h"
#include "Form.h"
#include "ListControls.h"
#include "Spin.h"
#include "WinSkinDlg.h"
#include "WinSkinForm.h"
#include "WinSubClass.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

enum class TInteraction { ThumbDrag, ArrowHeld, ListDown, CalendarOpen, CaptionHint };
enum class TTeardown { Destroy, Unskin };

struct TRow {
    const char* Name;
    TInteraction Interaction;
    TTeardown Teardown;
};

constexpr DWORD Allowance = 4;

// Calls its function every `interval` ms from a thread timer, which the system's tracking
// loops dispatch as well as the test's pump.
class TTicker {
  public:
    TTicker(unsigned interval, std::function<void()> tick) : tick_(std::move(tick)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, interval, &TTicker::Tick);
    }
    ~TTicker() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }

  private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (current_)
            current_->tick_();
    }
    static inline TTicker* current_ = nullptr;
    std::function<void()> tick_;
    UINT_PTR timer_ = 0;
};

// The pointer in a window's client coordinates, as a mouse message's lParam.
LPARAM PointerIn(HWND window) {
    POINT at{};
    GetCursorPos(&at);
    ScreenToClient(window, &at);
    return MAKELPARAM(at.x, at.y);
}

struct TClicks {
    int Count = 0;
    void Click(TObject*) { ++Count; }
};

} // namespace

class InteractionTeardownTest : public TSkinnedUiTest, public ::testing::WithParamInterface<TRow> {
  protected:
    void SetUp() override {
        SetUpSkin(0);
        if (HasFatalFailure())
            return;
        EXPECT_TRUE(MovePointerTo(0, 0));
        hintPause_ = TestApplication().HintPause();
        // Shown on the fourth tick of the frame's hover timer.
        TestApplication().SetHintPause(400);
    }
    void TearDown() override {
        form_.reset();
        TestApplication().SetHintPause(hintPause_);
        TSkinnedUiTest::TearDown();
    }

    template <class T> T* Put(int left, int top, int width, int height) {
        auto* control = new T(form_.get());
        control->SetParent(form_.get());
        control->SetBounds(left, top, width, height);
        return control;
    }
    // A form skinned by discovery: a list box of 300 lines, a spin edit, a drop-down list
    // combo box, a date-time picker and a button.
    void MakeForm() {
        form_.reset(new TForm(&TestApplication()));
        form_->SetBounds(100, 100, 420, 300);
        list_ = Put<TListBox>(10, 10, 150, 200);
        for (int i = 0; i < 300; ++i)
            list_->Items().Add("Line " + std::to_string(i));
        spin_ = Put<TSpinEdit>(180, 10, 100, 24);
        spin_->SetRange(0, 1000);
        combo_ = Put<TComboBox>(180, 50, 150, 21);
        combo_->SetStyle(csDropDownList);
        for (int i = 0; i < 30; ++i)
            combo_->Items().Add("Item " + std::to_string(i));
        picker_ = Put<TDateTimePicker>(180, 90, 150, 24);
        button_ = Put<TButton>(180, 200, 80, 24);
        button_->OnClick = Bind<&TClicks::Click>(&clicks_);
        form_->Show();
        SetForegroundWindow(form_->Handle());
        ASSERT_TRUE(PumpUntil([&] {
            return Adapter<TSkinScrollbar>(list_) && Adapter<TSkinEdit>(spin_) &&
                   Adapter<TSkinComBox>(combo_) && Adapter<TSkinDateTime>(picker_) &&
                   Frame()->FrameState() == fsRunning;
        }));
        PumpPending();
    }
    TWinSkinForm* Frame() const {
        return form_ && SkinManager() ? SkinManager()->FindFrame(form_->Handle()) : nullptr;
    }
    template <class T> T* Adapter(TControl* control) const {
        if (TWinSkinForm* frame = Frame())
            for (TSkinControl* adapter : frame->Adapters())
                if (adapter->Control() == control && adapter->State() == asAttached)
                    if (auto* typed = dynamic_cast<T*>(adapter))
                        return typed;
        return nullptr;
    }
    HWND Calendar() const {
        return reinterpret_cast<HWND>(SendMessageA(picker_->Handle(), DTM_GETMONTHCAL, 0, 0));
    }
    bool Dropped() const { return SendMessageA(combo_->Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0; }
    int TopIndex() const { return static_cast<int>(SendMessageA(list_->Handle(), LB_GETTOPINDEX, 0, 0)); }
    void Press(HWND window, int x, int y) {
        POINT screen{x, y};
        ClientToScreen(window, &screen);
        EXPECT_TRUE(MovePointerTo(screen.x, screen.y));
        PostMouse(window, WM_LBUTTONDOWN, x, y, MK_LBUTTON);
    }
    // Rests the pointer on the frame's minimize button, as the user does.
    void HoverCaptionButton() {
        for (const auto& object : Frame()->CaptionButtons()) {
            auto* button = static_cast<TWinSysButton*>(object.get());
            if (!button->Visible || button->Element().Action != 2)
                continue;
            RECT outer{};
            GetWindowRect(form_->Handle(), &outer);
            const POINT at{outer.left + (button->BoundsRect.Left + button->BoundsRect.Right) / 2,
                           outer.top + (button->BoundsRect.Top + button->BoundsRect.Bottom) / 2};
            EXPECT_TRUE(MovePointerTo(at.x, at.y));
            PostMessageA(form_->Handle(), WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(at.x, at.y));
            return;
        }
        ADD_FAILURE() << "no minimize button";
    }

    // Starts the interaction; the control whose destruction ends it is target_.
    void Begin(TInteraction interaction) {
        TWinControl* const targets[] = {list_, spin_, combo_, picker_, form_.get()};
        target_ = targets[static_cast<int>(interaction)];
        targetWindow_ = target_->Handle();
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        GetComboBoxInfo(combo_->Handle(), &info);
        listWindow_ = info.hwndList;
        switch (interaction) {
        case TInteraction::ThumbDrag: {
            TWScrollbar* bar = Adapter<TSkinScrollbar>(list_)->VerticalBar();
            ASSERT_TRUE(bar && bar->Shown());
            Press(bar->Handle(), 5, (bar->ThumbStart() + bar->ThumbEnd()) / 2);
            break;
        }
        case TInteraction::ArrowHeld:
            Press(spin_->Button().Handle(), 4, 4);
            break;
        case TInteraction::ListDown: {
            const RECT& button = Adapter<TSkinComBox>(combo_)->ButtonRect();
            PostLeftClick(combo_->Handle(), (button.left + button.right) / 2,
                          (button.top + button.bottom) / 2);
            break;
        }
        case TInteraction::CalendarOpen:
            PostLeftClick(Adapter<TSkinDateTime>(picker_)->Arrow()->Handle(), 4, 4);
            break;
        case TInteraction::CaptionHint:
            HoverCaptionButton();
            break;
        }
    }
    // One tick of the interaction under way; true once it is in full swing.
    bool InTheMiddle(TInteraction interaction) {
        switch (interaction) {
        case TInteraction::ThumbDrag: {
            POINT at{};
            GetCursorPos(&at);
            EXPECT_TRUE(MovePointerTo(at.x, at.y + 6));
            PostMessageA(list_->Handle(), WM_MOUSEMOVE, MK_LBUTTON, PointerIn(list_->Handle()));
            // The overlay is pressed while the native bar's tracking loop runs.
            return TopIndex() > 10 && Adapter<TSkinScrollbar>(list_)->VerticalBar()->Pressed();
        }
        case TInteraction::ArrowHeld:
            return spin_->Value() >= 3 && GetCapture() == spin_->Button().Handle();
        case TInteraction::ListDown: {
            // Down, then its thumb pressed and dragged in the list adapter's own loop.
            auto* scroll = dynamic_cast<TComboxScrollBar*>(Adapter<TSkinComBox>(combo_)->ListScrollAdapter());
            if (!Dropped() || !scroll)
                return false;
            SCROLLBARINFO bar{};
            bar.cbSize = sizeof bar;
            GetScrollBarInfo(scroll->Handle(), OBJID_VSCROLL, &bar);
            POINT at{bar.rcScrollBar.left + 4,
                     bar.rcScrollBar.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2};
            if (!scroll->Dragging()) {
                EXPECT_TRUE(MovePointerTo(at.x, at.y));
                PostMessageA(scroll->Handle(), WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(at.x, at.y));
                return false;
            }
            GetCursorPos(&at);
            EXPECT_TRUE(MovePointerTo(at.x, at.y + 6));
            PostMessageA(scroll->Handle(), WM_MOUSEMOVE, MK_LBUTTON, PointerIn(scroll->Handle()));
            return scroll->LastDragPosition() > 3;
        }
        case TInteraction::CalendarOpen:
            return Calendar() && IsWindowVisible(Calendar());
        case TInteraction::CaptionHint:
            return skin_->CaptionHintShowing();
        }
        return false;
    }
    // The mouse button goes up, or the pointer away.
    void Release(TInteraction interaction) {
        if (interaction == TInteraction::ThumbDrag && IsWindow(targetWindow_))
            PostMessageA(targetWindow_, WM_LBUTTONUP, 0, PointerIn(targetWindow_));
        if (interaction == TInteraction::ListDown && IsWindow(listWindow_))
            PostMessageA(listWindow_, WM_LBUTTONUP, 0, PointerIn(listWindow_));
        if (interaction == TInteraction::ArrowHeld && IsWindow(targetWindow_))
            PostMouse(spin_->Button().Handle(), WM_LBUTTONUP, 4, 4);
        EXPECT_TRUE(MovePointerTo(0, 0));
    }

    // The control, its skin gone, works as the system's own.
    void WorksNatively(TInteraction interaction) {
        switch (interaction) {
        case TInteraction::ThumbDrag: {
            EXPECT_EQ(SendMessageA(list_->Handle(), SKM_ISSKINNED, 0, 0), 0);
            SCROLLBARINFO bar{};
            bar.cbSize = sizeof bar;
            ASSERT_TRUE(GetScrollBarInfo(list_->Handle(), OBJID_VSCROLL, &bar));
            const int before = TopIndex();
            PostMessageA(list_->Handle(), WM_NCLBUTTONDOWN, HTVSCROLL,
                         MAKELPARAM(bar.rcScrollBar.left + 4, bar.rcScrollBar.bottom - 4));
            PostMessageA(list_->Handle(), WM_LBUTTONUP, 0, 0);
            PumpPending();
            EXPECT_EQ(TopIndex(), before + 1) << "the native down arrow scrolls a line";
            break;
        }
        case TInteraction::ArrowHeld: {
            HWND upDown = spin_->Button().Handle();
            EXPECT_NE(SendMessageA(upDown, SKM_ISSKINNED, 0, 0), 1);
            const int released = spin_->Value();
            PumpFor(600);
            EXPECT_EQ(spin_->Value(), released) << "the release ended the repeat";
            Press(upDown, 4, 4);
            PostMouse(upDown, WM_LBUTTONUP, 4, 4);
            PumpFor(300);
            EXPECT_EQ(spin_->Value(), released + 1) << "a click steps once";
            break;
        }
        case TInteraction::ListDown: {
            COMBOBOXINFO info{};
            info.cbSize = sizeof info;
            ASSERT_TRUE(GetComboBoxInfo(combo_->Handle(), &info));
            EXPECT_EQ(SendMessageA(info.hwndList, SKM_ISSKINNED, 0, 0), 0);
            if (!Dropped())
                PostLeftClick(combo_->Handle(), info.rcButton.left + 4, info.rcButton.top + 4);
            ASSERT_TRUE(PumpUntil([&] { return Dropped(); }, 2000));
            const int line = static_cast<int>(SendMessageA(info.hwndList, LB_GETITEMHEIGHT, 0, 0));
            const int top = static_cast<int>(SendMessageA(info.hwndList, LB_GETTOPINDEX, 0, 0));
            PostMouse(info.hwndList, WM_MOUSEMOVE, 10, line * 3 + line / 2);
            PostLeftClick(info.hwndList, 10, line * 3 + line / 2);
            EXPECT_TRUE(PumpUntil([&] { return !Dropped(); }, 2000));
            EXPECT_EQ(combo_->ItemIndex(), top + 3) << "a click on a line chooses it";
            break;
        }
        case TInteraction::CalendarOpen: {
            // Closed and opened again by the system's keys.
            EXPECT_EQ(SendMessageA(picker_->Handle(), SKM_ISSKINNED, 0, 0), 0);
            for (bool open : {false, true, false}) {
                PostKey(GetFocus(), open ? VK_F4 : VK_ESCAPE);
                EXPECT_TRUE(PumpUntil([&] { return (IsWindowVisible(Calendar()) != FALSE) == open; }, 2000));
            }
            break;
        }
        case TInteraction::CaptionHint:
            EXPECT_EQ(Frame(), nullptr) << "the form wears the system's frame";
            break;
        }
    }

    // The form goes on: a click on its button clicks it, and a caption button's hint comes
    // after its pause.
    void FormGoesOn() {
        ASSERT_TRUE(PumpUntil([&] { return Frame() && Frame()->FrameState() == fsRunning; }, 3000));
        const int clicks = clicks_.Count;
        PostLeftClick(button_->Handle(), 10, 10);
        PumpPending();
        EXPECT_EQ(clicks_.Count, clicks + 1);
        SetForegroundWindow(form_->Handle());
        PumpPending();
        HoverCaptionButton();
        PumpFor(500);
        EXPECT_FALSE(skin_->CaptionHintShowing()) << "the hint waits its pause";
        EXPECT_TRUE(PumpUntil([&] { return skin_->CaptionHintShowing(); }, 3000));
        EXPECT_TRUE(MovePointerTo(0, 0));
        PumpUntil([&] { return !skin_->CaptionHintShowing(); }, 1000);
    }
    TOwnedComponent<TForm> form_;
    TListBox* list_ = nullptr;
    TSpinEdit* spin_ = nullptr;
    TComboBox* combo_ = nullptr;
    TDateTimePicker* picker_ = nullptr;
    TButton* button_ = nullptr;
    TWinControl* target_ = nullptr;
    HWND targetWindow_ = nullptr;
    HWND listWindow_ = nullptr;
    TClicks clicks_;
    int hintPause_ = 0;
};

TEST_P(InteractionTeardownTest, NothingBreaksAndNothingIsLeftBehind) {
    const TRow& row = GetParam();
    // A form made, used, shown unskinned and freed once first: what the first one makes for
    // good is not counted.
    MakeForm();
    ASSERT_FALSE(HasFatalFailure());
    FormGoesOn();
    for (bool on : {false, true}) {
        skin_->SetActive(on);
        ASSERT_TRUE(PumpUntil(SkinActionDone, 3000));
        PumpPending();
    }
    form_.reset();
    PumpPending();
    const DWORD gdi = GdiObjectCount(), user = UserObjectCount();

    MakeForm();
    ASSERT_FALSE(HasFatalFailure());
    HWND window = form_->Handle();
    bool middle = false, done = false;
    {
        // Torn down from a timer, as the interaction's own loop runs; released when the skin
        // manager has done what it was asked.
        TTicker ticker(100, [&] {
            if (done)
                return;
            if (!middle) {
                if (!InTheMiddle(row.Interaction))
                    return;
                middle = true;
                if (row.Teardown == TTeardown::Unskin) {
                    skin_->SetActive(false);
                    return;
                }
                if (target_ == form_.get())
                    form_.reset();
                else
                    TComponent::Free(target_);
            }
            if (SkinManager() && SkinManager()->TimerEnabled())
                return;
            Release(row.Interaction);
            done = true;
        });
        Begin(row.Interaction);
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_TRUE(PumpUntil([&] { return done; }, 8000))
            << (middle ? "not released" : "never in the middle");
    }
    // Whatever timers the gone skinning left would fire now.
    PumpFor(1000);
    EXPECT_FALSE(skin_->CaptionHintShowing());
    EXPECT_EQ(FindVisibleThreadWindow("THintWindow"), nullptr);
    if (row.Teardown == TTeardown::Destroy) {
        EXPECT_FALSE(IsWindow(targetWindow_));
        EXPECT_EQ(FindVisibleThreadWindow("SysMonthCal32"), nullptr);
        EXPECT_EQ(FindVisibleThreadWindow("ComboLBox"), nullptr);
    } else {
        WorksNatively(row.Interaction);
        ASSERT_FALSE(HasFatalFailure());
        skin_->SetActive(true);
        ASSERT_TRUE(PumpUntil(SkinActionDone, 3000));
    }
    if (!form_) {
        EXPECT_FALSE(IsWindow(window));
        MakeForm();
        ASSERT_FALSE(HasFatalFailure());
    }
    FormGoesOn();
    EXPECT_EQ(GetCapture(), nullptr);
    form_.reset();
    PumpPending();
    EXPECT_LE(GdiObjectCount(), gdi + Allowance);
    EXPECT_LE(UserObjectCount(), user + Allowance);
}

INSTANTIATE_TEST_SUITE_P(
    Interactions, InteractionTeardownTest,
    ::testing::Values(TRow{"ThumbDragDestroyed", TInteraction::ThumbDrag, TTeardown::Destroy},
                      TRow{"ThumbDragUnskinned", TInteraction::ThumbDrag, TTeardown::Unskin},
                      TRow{"ArrowHeldDestroyed", TInteraction::ArrowHeld, TTeardown::Destroy},
                      TRow{"ArrowHeldUnskinned", TInteraction::ArrowHeld, TTeardown::Unskin},
                      TRow{"ListDownDestroyed", TInteraction::ListDown, TTeardown::Destroy},
                      TRow{"ListDownUnskinned", TInteraction::ListDown, TTeardown::Unskin},
                      TRow{"CalendarOpenDestroyed", TInteraction::CalendarOpen, TTeardown::Destroy},
                      TRow{"CalendarOpenUnskinned", TInteraction::CalendarOpen, TTeardown::Unskin},
                      TRow{"CaptionHintDestroyed", TInteraction::CaptionHint, TTeardown::Destroy},
                      TRow{"CaptionHintUnskinned", TInteraction::CaptionHint, TTeardown::Unskin}),
    [](const ::testing::TestParamInfo<TRow>& info) { return std::string(info.param.Name); });
