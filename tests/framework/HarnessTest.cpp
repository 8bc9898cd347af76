// The UI test harness itself: work handed to the user-interface thread that throws must fail the
// test that handed it over, with the exception's text, never pass silently.
#include "UiTestSupport.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

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

} // namespace
