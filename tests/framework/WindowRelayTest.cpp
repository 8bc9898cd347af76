// Subclassing through relays: a relay taken out under a later subclasser stays a pass-through, a
// relay installed again takes it over, every procedure of the chain runs once per message in
// every order of leaving, on ANSI and Unicode windows, and a window destroyed inside one of its
// messages ends cleanly.
#include "UiTestSupport.h"

#include "WindowRelay.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {
constexpr UINT ProbeMsg = WM_APP + 11;
constexpr char TestRelay[] = "PPTestRelay";

struct TCalls {
    int Relay = 0, Foreign = 0, Window = 0;
    bool operator==(const TCalls&) const = default;
};
TCalls calls;

LRESULT CALLBACK OwnProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == ProbeMsg || msg == WM_NCDESTROY)
        ++calls.Window;
    return IsWindowUnicode(window) ? DefWindowProcW(window, msg, wParam, lParam)
                                   : DefWindowProcA(window, msg, wParam, lParam);
}

// Somebody else's subclassing; it stops a runaway recursion instead of overflowing the stack.
WNDPROC foreignPrevious = nullptr;
LRESULT CALLBACK ForeignProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    static int depth = 0;
    if (msg == ProbeMsg || msg == WM_NCDESTROY)
        ++calls.Foreign;
    if (depth > 5)
        return 0;
    ++depth;
    const LRESULT result = IsWindowUnicode(window)
                               ? CallWindowProcW(foreignPrevious, window, msg, wParam, lParam)
                               : CallWindowProcA(foreignPrevious, window, msg, wParam, lParam);
    --depth;
    return result;
}

HWND MakeWindow(bool unicode) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    if (unicode) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = OwnProc;
        wc.hInstance = instance;
        wc.lpszClassName = L"PPRelayTestW";
        RegisterClassW(&wc);
        return CreateWindowExW(0, L"PPRelayTestW", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance,
                               nullptr);
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = OwnProc;
    wc.hInstance = instance;
    wc.lpszClassName = "PPRelayTestA";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "PPRelayTestA", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance,
                           nullptr);
}

// A user of relays: counts the probe and passes everything on.
struct TRelayUser {
    std::unique_ptr<TWindowRelay> Relay;
    bool DestroyOnProbe = false;
    LRESULT Message(UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == ProbeMsg || msg == WM_NCDESTROY)
            ++calls.Relay;
        if (msg == ProbeMsg && DestroyOnProbe) {
            const HWND window = Relay->Window();
            DestroyWindow(window);
            Relay.reset(); // freed while its message is still under way
            return 0;
        }
        return Relay->CallPrevious(msg, wParam, lParam);
    }
    void Install(HWND window) {
        Relay = std::make_unique<TWindowRelay>(RelayKind<TestRelay>, Bind<&TRelayUser::Message>(this));
        ASSERT_TRUE(Relay->Install(window));
    }
};

enum class TStep { InstallRelay, Subclass, RemoveRelay, Unsubclass, DestroyInsideProbe };
} // namespace

TEST(WindowRelay, EveryProcedureOfTheChainRunsOncePerMessageWhateverTheOrderOfComingAndGoing) {
    using enum TStep;
    struct TRow {
        const char* Name;
        std::vector<TStep> Steps;
        TCalls Expected; // for one probe, or for the destruction
        bool OwnProcBack;
    };
    const TRow rows[] = {
        {"relay alone", {InstallRelay}, {1, 0, 1}, false},
        {"relay out", {InstallRelay, RemoveRelay}, {0, 0, 1}, true},
        {"subclassed over the relay", {InstallRelay, Subclass}, {1, 1, 1}, false},
        {"relay out under the subclass", {InstallRelay, Subclass, RemoveRelay}, {0, 1, 1}, false},
        {"relay in again", {InstallRelay, Subclass, RemoveRelay, InstallRelay}, {1, 1, 1}, false},
        {"again, relay out, subclass out",
         {InstallRelay, Subclass, RemoveRelay, InstallRelay, RemoveRelay, Unsubclass},
         {0, 0, 1},
         false},
        {"again, subclass out, relay out",
         {InstallRelay, Subclass, RemoveRelay, InstallRelay, Unsubclass, RemoveRelay},
         {0, 0, 1},
         true},
        {"subclass out, relay out", {InstallRelay, Subclass, Unsubclass, RemoveRelay}, {0, 0, 1}, true},
        {"destroyed inside the relay's message", {InstallRelay, DestroyInsideProbe}, {2, 0, 1}, false},
        {"destroyed inside, under a subclass",
         {InstallRelay, Subclass, DestroyInsideProbe},
         {2, 2, 1},
         false},
    };
    for (bool unicode : {false, true}) {
        for (const TRow& row : rows) {
            SCOPED_TRACE(std::string(row.Name) + (unicode ? ", Unicode window" : ", ANSI window"));
            const HWND window = MakeWindow(unicode);
            ASSERT_NE(window, nullptr);
            const LONG_PTR own = GetWindowLongPtrA(window, GWLP_WNDPROC);
            const auto setProc = [&](WNDPROC proc) {
                const auto value = reinterpret_cast<LONG_PTR>(proc);
                return reinterpret_cast<WNDPROC>(unicode ? SetWindowLongPtrW(window, GWLP_WNDPROC, value)
                                                         : SetWindowLongPtrA(window, GWLP_WNDPROC, value));
            };
            TRelayUser user;
            bool destroyed = false;
            for (TStep step : row.Steps) {
                if (step == InstallRelay) {
                    user.Install(window);
                } else if (step == RemoveRelay) {
                    user.Relay.reset();
                } else if (step == Subclass) {
                    foreignPrevious = setProc(&ForeignProc);
                } else if (step == Unsubclass) {
                    setProc(foreignPrevious);
                } else {
                    user.DestroyOnProbe = true;
                    calls = {};
                    SendMessageA(window, ProbeMsg, 0, 0);
                    destroyed = true;
                }
            }
            if (destroyed) {
                EXPECT_FALSE(IsWindow(window));
                EXPECT_EQ(user.Relay, nullptr);
            } else {
                calls = {};
                SendMessageA(window, ProbeMsg, 0, 0);
                EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC) == own, row.OwnProcBack);
            }
            EXPECT_EQ(calls, row.Expected)
                << "relay " << calls.Relay << ", foreign " << calls.Foreign << ", window " << calls.Window;
            if (!destroyed)
                DestroyWindow(window);
        }
    }
}
