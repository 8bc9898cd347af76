// The UI test harness itself: work handed to the user-interface thread that throws must fail the
// test that handed it over, with the exception's text, never pass silently; and the object counters
// of the leak checks see what is made.
#include "GuiObjects.h"
#include "UiTestSupport.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

TEST(TestHarness, WorkThatThrowsOnTheUserInterfaceThreadFailsTheTestWithItsText) {
    TestApplication();
    bool result = true;
    EXPECT_NONFATAL_FAILURE_ON_ALL_THREADS(
        {
            std::atomic<bool> done{false};
            std::thread helper([&] {
                result = RunOnUiThread([] { throw std::runtime_error("broken on purpose"); });
                done = true;
            });
            PumpUntil([&] { return done.load(); }, 10000);
            helper.join();
        },
        "broken on purpose");
    EXPECT_FALSE(result);

    // From the user-interface thread itself the work runs at once, with the same outcome.
    EXPECT_NONFATAL_FAILURE(result = RunOnUiThread([] { throw std::runtime_error("also on purpose"); }),
                            "also on purpose");
    EXPECT_FALSE(result);

    // Work that does not throw reports success from either thread.
    int ran = 0;
    EXPECT_TRUE(RunOnUiThread([&] { ++ran; }));
    std::atomic<bool> done{false};
    std::thread helper([&] {
        result = RunOnUiThread([&] { ++ran; });
        done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }, 10000));
    helper.join();
    EXPECT_TRUE(result);
    EXPECT_EQ(ran, 2);
}

// The leak checks count on these counters: ten more objects of a kind must show as ten more.
TEST(TestHarness, ObjectCountersSeeEveryMenuWindowAndGdiObjectMade) {
    TestApplication();
    const DWORD gdi = GdiObjectCount(), user = UserObjectCount(), menus = CountMenus();
    std::vector<HMENU> made;
    std::vector<HWND> windows;
    std::vector<HBRUSH> brushes;
    for (int i = 0; i < 10; ++i) {
        made.push_back(CreatePopupMenu());
        windows.push_back(
            CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
        brushes.push_back(CreateSolidBrush(RGB(i, 0, 0)));
    }
    EXPECT_EQ(CountMenus(), menus + 10);
    EXPECT_EQ(UserObjectCount(), user + 20);
    EXPECT_EQ(GdiObjectCount(), gdi + 10);
    for (int i = 0; i < 10; ++i) {
        DestroyMenu(made[i]);
        DestroyWindow(windows[i]);
        DeleteObject(brushes[i]);
    }
    EXPECT_EQ(UserObjectCount(), user);
    EXPECT_EQ(GdiObjectCount(), gdi);
}

} // namespace
