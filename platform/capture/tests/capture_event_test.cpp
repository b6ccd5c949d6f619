#include "platform/capture/capture_event.h"

#include <gtest/gtest.h>

#include <thread>

using namespace capture;
using namespace std::chrono_literals;

TEST(CaptureEvent, SignalsMergeAndResetOnWait)
{
    CaptureEvent a, b;
    ASSERT_TRUE(a.valid() && b.valid());
    EXPECT_EQ(waitForAny({&a, &b}, 0ms), kWaitTimeout);
    a.set();
    a.set();
    b.set();
    // The earlier event wins; each wait takes one event's signal, merged.
    EXPECT_EQ(waitForAny({&a, &b}, 0ms), 0);
    EXPECT_EQ(waitForAny({&a, &b}, 0ms), 1);
    EXPECT_EQ(waitForAny({&a, &b}, 0ms), kWaitTimeout);
}

TEST(CaptureEvent, WakesAWaiterFromAnotherThread)
{
    CaptureEvent e;
    std::thread t([&] {
        std::this_thread::sleep_for(20ms);
        e.set();
    });
    EXPECT_EQ(waitForAny({&e}, std::chrono::milliseconds(-1)), 0);
    t.join();
    EXPECT_FALSE(e.reset());
}
