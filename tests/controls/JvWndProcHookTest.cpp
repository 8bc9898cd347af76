// The hook registry: chains and their order, handling, changes to the chains while a message
// is being dispatched (nested too), raw windows, and controls destroyed while hooked.
#include "JvWndProcHook.h"

#include "Form.h"
#include "Panel.h"
#include "UiTestSupport.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr UINT ProbeMsg = WM_APP + 7;

using TLog = std::vector<std::string>;

// A windowless control that notes when its own handling sees the probe.
class TProbeControl : public TGraphicControl {
  public:
    explicit TProbeControl(TLog& log) : TGraphicControl(nullptr), log_(log) {}
    void WndProc(TMessage& message) override {
        if (message.Msg == ProbeMsg) {
            log_.push_back("control");
            message.Result = 42;
            return;
        }
        TGraphicControl::WndProc(message);
    }

  private:
    TLog& log_;
};

struct TProbeHook {
    std::string Name;
    TLog* Log = nullptr;
    bool Handles = false;
    std::function<void(TMessage&)> Action;
    UINT Watched = ProbeMsg;

    bool Hook(TMessage& message) {
        if (message.Msg != Watched)
            return false;
        Log->push_back(Name);
        if (Action)
            Action(message);
        return Handles;
    }
    TJvControlHook Method() { return Bind<&TProbeHook::Hook>(this); }
};

class HookRegistry : public ::testing::Test {
  protected:
    TProbeHook MakeHook(const char* name) { return TProbeHook{name, &log, false, nullptr}; }
    TLog Perform(WPARAM wParam = 0) {
        log.clear();
        control->Perform(ProbeMsg, wParam, 0);
        return log;
    }
    void TearDown() override {
        control.reset();
        PumpPending(); // lets the releaser free the record
    }

    TLog log;
    TOwnedComponent<TProbeControl> control{new TProbeControl(log)};
};

TEST_F(HookRegistry, RunsTheChainsInAttachmentOrderUntilAHookHandlesTheMessage) {
    TProbeHook a1 = MakeHook("a1"), a2 = MakeHook("a2"), b1 = MakeHook("b1"), b2 = MakeHook("b2");
    ASSERT_TRUE(AttachHook(control.get(), a1.Method(), hoAfterMsg));
    ASSERT_TRUE(AttachHook(control.get(), b1.Method(), hoBeforeMsg));
    ASSERT_TRUE(AttachHook(control.get(), b2.Method(), hoBeforeMsg));
    ASSERT_TRUE(AttachHook(control.get(), a2.Method(), hoAfterMsg));
    LRESULT seen = 0;
    a1.Action = [&](TMessage& m) { seen = m.Result; };
    EXPECT_EQ(Perform(), (TLog{"b1", "b2", "control", "a1", "a2"}));
    EXPECT_EQ(seen, 42); // after hooks see the control's answer

    // A hook that handles the message stops the chain and the control's own handling.
    b1.Handles = true;
    b1.Action = [](TMessage& m) { m.Result = 7; };
    log.clear();
    EXPECT_EQ(control->Perform(ProbeMsg), 7);
    EXPECT_EQ(log, (TLog{"b1"}));
}

TEST_F(HookRegistry, GivesTheHandlerBackWhenTheLastHookGoesAndRefusesBadRequests) {
    const TWndMethod own = control->WindowProc();
    TProbeHook b1 = MakeHook("b1"), a1 = MakeHook("a1");
    AttachHook(control.get(), b1.Method(), hoBeforeMsg);
    AttachHook(control.get(), a1.Method(), hoAfterMsg);
    EXPECT_FALSE(control->WindowProc() == own);
    EXPECT_TRUE(DetachHook(control.get(), b1.Method(), hoBeforeMsg));
    EXPECT_FALSE(control->WindowProc() == own);
    EXPECT_TRUE(DetachHook(control.get(), a1.Method(), hoAfterMsg));
    EXPECT_TRUE(control->WindowProc() == own);
    EXPECT_EQ(Perform(), (TLog{"control"}));

    TJvControlHook lowAddress(&b1, reinterpret_cast<TJvControlHook::Thunk>(std::uintptr_t{0xFFFF}));
    EXPECT_FALSE(AttachHook(control.get(), lowAddress));
    EXPECT_FALSE(DetachHook(control.get(), lowAddress));
    EXPECT_FALSE(AttachHook(static_cast<TControl*>(nullptr), b1.Method()));
    TLog otherLog;
    TProbeControl never(otherLog);
    EXPECT_FALSE(DetachHook(&never, b1.Method())); // no record for it
}

TEST_F(HookRegistry, LeavesALaterSubclasserInPlaceWhenTheLastHookGoes) {
    TProbeHook b1 = MakeHook("b1");
    AttachHook(control.get(), b1.Method());
    // Someone else replaces the handler after us and passes on to ours.
    struct TLater {
        TWndMethod Previous;
        TLog* Log;
        void Handle(TMessage& m) {
            if (m.Msg == ProbeMsg)
                Log->push_back("later");
            Previous(m);
        }
    } later{control->WindowProc(), &log};
    const TWndMethod laterMethod = Bind<&TLater::Handle>(&later);
    control->SetWindowProc(laterMethod);

    DetachHook(control.get(), b1.Method());
    EXPECT_TRUE(control->WindowProc() == laterMethod);
    EXPECT_EQ(Perform(), (TLog{"later", "control"}));
    control->SetWindowProc(later.Previous);
}

TEST_F(HookRegistry, HooksMayDetachAndAttachHooksWhileBeingCalled) {
    TProbeHook b1 = MakeHook("b1"), b2 = MakeHook("b2"), b3 = MakeHook("b3"), a1 = MakeHook("a1");
    AttachHook(control.get(), b1.Method());
    AttachHook(control.get(), b2.Method());
    AttachHook(control.get(), a1.Method(), hoAfterMsg);

    // Itself: not called again, and the next hook still runs.
    b1.Action = [&](TMessage&) { DetachHook(control.get(), b1.Method()); };
    EXPECT_EQ(Perform(), (TLog{"b1", "b2", "control", "a1"}));
    EXPECT_EQ(Perform(), (TLog{"b2", "control", "a1"}));

    // The next one: skipped at once.
    AttachHook(control.get(), b3.Method());
    b2.Action = [&](TMessage&) { DetachHook(control.get(), b3.Method()); };
    EXPECT_EQ(Perform(), (TLog{"b2", "control", "a1"}));
    EXPECT_EQ(control->Perform(ProbeMsg), 42);

    // A hook attached while the last one runs is called for the same message.
    bool once = true;
    b2.Action = [&](TMessage&) {
        if (std::exchange(once, false))
            AttachHook(control.get(), b1.Method());
    };
    b1.Action = nullptr;
    EXPECT_EQ(Perform(), (TLog{"b2", "b1", "control", "a1"}));
}

TEST_F(HookRegistry, NestedMessagesRunTheirOwnChainsAndSeeChangesMadeInsideThem) {
    TProbeHook b1 = MakeHook("b1"), b2 = MakeHook("b2"), b3 = MakeHook("b3");
    AttachHook(control.get(), b1.Method());
    AttachHook(control.get(), b2.Method());
    AttachHook(control.get(), b3.Method());
    b2.Action = [&](TMessage& m) {
        if (m.WParam == 0)
            control->Perform(ProbeMsg, 1, 0);
    };
    b1.Action = [&](TMessage& m) {
        if (m.WParam == 1)
            DetachHook(control.get(), b3.Method());
    };
    // The outer level is about to call b3 when the inner message removes it.
    EXPECT_EQ(Perform(0), (TLog{"b1", "b2", "b1", "b2", "control", "control"}));
}

TEST_F(HookRegistry, AControlDestroyedInsideAHookStopsDispatchAndIsReleasedAfterIt) {
    TProbeHook b1 = MakeHook("b1"), b2 = MakeHook("b2"), a1 = MakeHook("a1");
    AttachHook(control.get(), b1.Method());
    AttachHook(control.get(), b2.Method());
    AttachHook(control.get(), a1.Method(), hoAfterMsg);
    TJvWndProcHook* registry = JvWndProcHook();
    TProbeControl* doomed = control.get();
    int pendingInside = -1;
    b1.Action = [&](TMessage&) {
        control.reset();
        EXPECT_EQ(registry->Find(doomed), nullptr);
        // A message loop inside the hook (a dialog, say) must not free the
        // record that this dispatch is still using.
        PumpPending();
        pendingInside = TJvReleaser::Instance().PendingCount();
    };
    log.clear();
    doomed->Perform(ProbeMsg);
    EXPECT_EQ(log, (TLog{"b1"}));
    EXPECT_EQ(pendingInside, 0);
    EXPECT_EQ(TJvReleaser::Instance().PendingCount(), 1);
    PumpPending();
    EXPECT_EQ(TJvReleaser::Instance().PendingCount(), 0);
}

TEST_F(HookRegistry, AHookThatThrowsLeavesTheChainsWorkingAndTheRecordReleasable) {
    TProbeHook b1 = MakeHook("b1"), b2 = MakeHook("b2"), a1 = MakeHook("a1");
    AttachHook(control.get(), b1.Method());
    AttachHook(control.get(), b2.Method());
    AttachHook(control.get(), a1.Method(), hoAfterMsg);
    bool fail = true;
    b2.Action = [&](TMessage& m) {
        if (m.WParam == 1)
            control->Perform(ProbeMsg, 2, 0); // the throw comes out of a nested dispatch
        if (fail && m.WParam == 2)
            throw std::runtime_error("hook failed");
    };
    log.clear();
    EXPECT_THROW(control->Perform(ProbeMsg, 1, 0), std::runtime_error);
    EXPECT_EQ(log, (TLog{"b1", "b2", "b1", "b2"}));

    // Nothing of the aborted dispatch is left over: every hook runs again, once, in order ...
    fail = false;
    EXPECT_EQ(Perform(0), (TLog{"b1", "b2", "control", "a1"}));
    // ... and a control freed afterwards has its record released at once, which only happens
    // when no dispatch of it is under way.
    TJvHookInfos* infos = JvWndProcHook()->Find(control.get());
    ASSERT_NE(infos, nullptr);
    control.reset();
    EXPECT_EQ(TJvReleaser::Instance().PendingCount(), 1);
    PumpPending();
    EXPECT_EQ(TJvReleaser::Instance().PendingCount(), 0);
}

TEST(HookRegistryWindows, AFrameworkControlFreedWhileHookedLeavesTheRegistry) {
    TOwnedComponent<TForm> form(new TForm(&TestApplication()));
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->HandleNeeded();
    TLog log;
    TProbeHook hook{"hook", &log, false, nullptr};
    ASSERT_TRUE(AttachHook(panel, hook.Method()));
    SendMessageA(panel->Handle(), ProbeMsg, 0, 0);
    EXPECT_EQ(log, (TLog{"hook"}));
    const int before = JvWndProcHook()->Count();
    TComponent::Free(panel);
    EXPECT_EQ(JvWndProcHook()->Count(), before - 1);
    PumpPending();
    EXPECT_EQ(TJvReleaser::Instance().PendingCount(), 0);
}

// A window that is no control of ours.
struct TRawWindow {
    static inline TLog* log = nullptr;
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == ProbeMsg) {
            log->push_back("window");
            return 99;
        }
        if (msg == WM_NCDESTROY)
            log->push_back("ncdestroy");
        return DefWindowProcA(window, msg, wParam, lParam);
    }
    HWND Create() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "HookRegistryRawWindow";
        RegisterClassA(&wc);
        return CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               wc.hInstance, nullptr);
    }
};

TEST(HookRegistryWindows, HooksARawWindowThroughItsWindowProcedure) {
    TLog log;
    TRawWindow::log = &log;
    HWND window = TRawWindow().Create();
    ASSERT_NE(window, nullptr);
    const LONG_PTR original = GetWindowLongPtrA(window, GWLP_WNDPROC);
    TProbeHook before{"before", &log, false, nullptr}, after{"after", &log, false, nullptr};
    ASSERT_TRUE(AttachHook(window, before.Method(), hoBeforeMsg));
    ASSERT_TRUE(AttachHook(window, after.Method(), hoAfterMsg));
    EXPECT_NE(GetWindowLongPtrA(window, GWLP_WNDPROC), original);
    EXPECT_EQ(SendMessageA(window, ProbeMsg, 0, 0), 99);
    EXPECT_EQ(log, (TLog{"before", "window", "after"}));

    before.Handles = true;
    log.clear();
    EXPECT_EQ(SendMessageA(window, ProbeMsg, 0, 0), 0);
    EXPECT_EQ(log, (TLog{"before"}));

    DetachHook(window, before.Method(), hoBeforeMsg);
    DetachHook(window, after.Method(), hoAfterMsg);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), original);

    // Destroyed while hooked: the window's own procedure still sees the end,
    // the hooks see nothing after WM_DESTROY, and the record is released.
    AttachHook(window, after.Method(), hoAfterMsg);
    after.Watched = WM_NCDESTROY;
    log.clear();
    DestroyWindow(window);
    EXPECT_EQ(log, (TLog{"ncdestroy"}));
    EXPECT_EQ(JvWndProcHook()->Find(window), nullptr);
    PumpPending();
    EXPECT_EQ(TJvReleaser::Instance().PendingCount(), 0);
}

// Someone subclasses the raw window after the registry did, then the window goes: the other
// procedure keeps working to the end, and the record leaves and is freed.
struct TLaterSubclass {
    static inline WNDPROC previous = nullptr;
    static inline TLog* log = nullptr;
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == ProbeMsg)
            log->push_back("later");
        if (msg == WM_NCDESTROY)
            log->push_back("later ncdestroy");
        return CallWindowProcA(previous, window, msg, wParam, lParam);
    }
};

TEST(HookRegistryWindows, ARawWindowSubclassedAfterTheRegistryAndThenDestroyedEndsCleanly) {
    for (bool detachFirst : {false, true}) {
        SCOPED_TRACE(detachFirst ? "hook detached before the end" : "hook attached to the end");
        TLog log;
        TRawWindow::log = &log;
        TLaterSubclass::log = &log;
        HWND window = TRawWindow().Create();
        ASSERT_NE(window, nullptr);
        TProbeHook hook{"hook", &log, false, nullptr};
        ASSERT_TRUE(AttachHook(window, hook.Method()));
        TLaterSubclass::previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TLaterSubclass::Proc)));
        EXPECT_EQ(SendMessageA(window, ProbeMsg, 0, 0), 99);
        EXPECT_EQ(log, (TLog{"later", "hook", "window"}));

        if (detachFirst) {
            // Putting the old procedure back would cut the later one off: the registry stays a relay.
            EXPECT_TRUE(DetachHook(window, hook.Method()));
            EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC),
                      reinterpret_cast<LONG_PTR>(&TLaterSubclass::Proc));
            log.clear();
            EXPECT_EQ(SendMessageA(window, ProbeMsg, 0, 0), 99);
            EXPECT_EQ(log, (TLog{"later", "window"}));
        }
        hook.Watched = WM_NCDESTROY;
        log.clear();
        EXPECT_TRUE(DestroyWindow(window));
        EXPECT_EQ(log, (TLog{"later ncdestroy", "ncdestroy"})) << "the hooks see nothing after WM_DESTROY";
        EXPECT_EQ(JvWndProcHook()->Find(window), nullptr);
        PumpPending();
        EXPECT_EQ(TJvReleaser::Instance().PendingCount(), 0);
    }
}

// A registry that goes while someone subclassed a raw window after it leaves its procedure in
// their chain as a pass-through: the window's own procedure still gets every message.
TEST(HookRegistryWindows, ARegistryGoneUnderALaterSubclasserLeavesTheWindowWorking) {
    TLog log;
    TRawWindow::log = &log;
    TLaterSubclass::log = &log;
    HWND window = TRawWindow().Create();
    ASSERT_NE(window, nullptr);
    TProbeHook hook{"hook", &log, false, nullptr};
    {
        TJvWndProcHook registry;
        ASSERT_TRUE(registry.RegisterWndProcHook(window, hook.Method(), hoBeforeMsg));
        TLaterSubclass::previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TLaterSubclass::Proc)));
    }
    EXPECT_EQ(SendMessageA(window, ProbeMsg, 0, 0), 99);
    EXPECT_EQ(log, (TLog{"later", "window"}));
    log.clear();
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_EQ(log, (TLog{"later ncdestroy", "ncdestroy"}));
}

// An exception from a hook of a raw window stops at the window procedure: the application's
// error handler gets it, and the window goes on working.
TEST(HookRegistryWindows, AHookThatThrowsOnARawWindowReachesTheErrorHandler) {
    TLog log;
    TRawWindow::log = &log;
    HWND window = TRawWindow().Create();
    ASSERT_NE(window, nullptr);
    struct TErrors {
        std::vector<std::string> Texts;
        void Handle(TObject*, const std::exception& error) { Texts.push_back(error.what()); }
    } errors;
    TApplication& application = TestApplication();
    const TExceptionEvent saved = application.OnException;
    application.OnException = Bind<&TErrors::Handle>(&errors);
    struct TRestore {
        TApplication& Application;
        TExceptionEvent Saved;
        ~TRestore() { Application.OnException = Saved; }
    } restore{application, saved};

    TProbeHook thrower{"thrower", &log, false, [](TMessage&) { throw std::runtime_error("hook failed"); }};
    TProbeHook after{"after", &log, false, nullptr};
    ASSERT_TRUE(AttachHook(window, thrower.Method()));
    ASSERT_TRUE(AttachHook(window, after.Method(), hoAfterMsg));
    EXPECT_EQ(SendMessageA(window, ProbeMsg, 0, 0), 0);
    EXPECT_EQ(log, (TLog{"thrower"}));
    EXPECT_EQ(errors.Texts, (std::vector<std::string>{"hook failed"}));

    thrower.Action = nullptr;
    log.clear();
    EXPECT_EQ(SendMessageA(window, ProbeMsg, 0, 0), 99);
    EXPECT_EQ(log, (TLog{"thrower", "window", "after"}));
    DestroyWindow(window);
    EXPECT_EQ(JvWndProcHook()->Find(window), nullptr);
    PumpPending();
    EXPECT_EQ(TJvReleaser::Instance().PendingCount(), 0);
}

// Dispatch state belongs to the user-interface thread: another thread can neither attach nor
// detach, whether for a control or a window.
TEST(HookRegistryWindows, HooksFromAnotherThreadAreRefused) {
    TOwnedComponent<TForm> form(new TForm(&TestApplication()));
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->HandleNeeded();
    TLog log;
    TRawWindow::log = &log;
    HWND window = TRawWindow().Create();
    ASSERT_NE(window, nullptr);
    const LONG_PTR original = GetWindowLongPtrA(window, GWLP_WNDPROC);
    const TWndMethod own = panel->WindowProc();
    TJvWndProcHook* registry = JvWndProcHook();
    TProbeHook hook{"hook", &log, false, nullptr};

    bool controlAttached = true, windowAttached = true;
    std::thread([&] {
        controlAttached = AttachHook(panel, hook.Method());
        windowAttached = AttachHook(window, hook.Method());
    }).join();
    EXPECT_FALSE(controlAttached);
    EXPECT_FALSE(windowAttached);
    EXPECT_EQ(registry->Find(panel), nullptr);
    EXPECT_EQ(registry->Find(window), nullptr);
    EXPECT_TRUE(panel->WindowProc() == own);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), original);

    ASSERT_TRUE(AttachHook(panel, hook.Method()));
    ASSERT_TRUE(AttachHook(window, hook.Method()));
    bool controlDetached = true, windowDetached = true;
    std::thread([&] {
        controlDetached = DetachHook(panel, hook.Method());
        windowDetached = DetachHook(window, hook.Method());
    }).join();
    EXPECT_FALSE(controlDetached);
    EXPECT_FALSE(windowDetached);
    ASSERT_NE(registry->Find(panel), nullptr);
    EXPECT_EQ(registry->Find(panel)->HookCount(hoBeforeMsg), 1);
    ASSERT_NE(registry->Find(window), nullptr);
    EXPECT_EQ(registry->Find(window)->HookCount(hoBeforeMsg), 1);

    EXPECT_TRUE(DetachHook(panel, hook.Method()));
    EXPECT_TRUE(DetachHook(window, hook.Method()));
    EXPECT_TRUE(panel->WindowProc() == own);
    DestroyWindow(window);
    PumpPending();
}

} // namespace
