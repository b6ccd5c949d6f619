// Timer ticks: their rate, TimerEnabled, TimerInterval and Stop.

#include "capture/tests/control_fixture.h"

namespace capture_test {
namespace {

using ControlTimer = ControlTest;

TEST_F(ControlTimer, TicksAboutFiftyTimesASecondUntilDisabledOrStopped)
{
    auto& source = addSource("velmor_ctl_timer");
    createControl();
    ASSERT_TRUE(selectSource(source));
    ASSERT_EQ(control_->Start(44100, 2, 16), S_OK);
    pumpFor(2000ms);
    const auto ticks = sink_->count(DISPID_Timer);
    EXPECT_GE(ticks, 60u);
    EXPECT_LE(ticks, 140u);
    for (const auto* t : sink_->of(DISPID_Timer)) {
        ASSERT_EQ(t->args.size(), 2u);
        EXPECT_EQ(levelsOf(*t).size(), 2u);
    }
    EXPECT_EQ(sink_->count(DISPID_GainChange), 0u);

    // A new interval waits for the next Start.
    control_->put_TimerInterval(100);
    sink_->events.clear();
    pumpFor(1000ms);
    EXPECT_GE(sink_->count(DISPID_Timer), 30u);

    control_->put_TimerEnabled(VARIANT_FALSE);
    pumpFor(50ms);
    sink_->events.clear();
    pumpFor(500ms);
    EXPECT_EQ(sink_->count(DISPID_Timer), 0u);
    control_->put_TimerEnabled(1);
    VARIANT_BOOL enabled = 0;
    control_->get_TimerEnabled(&enabled);
    EXPECT_EQ(enabled, 1);

    control_->Stop();
    sink_->events.clear();
    pumpFor(300ms);
    EXPECT_TRUE(sink_->events.empty());

    ASSERT_EQ(control_->Start(44100, 2, 16), S_OK);
    pumpFor(1000ms);
    const auto slow = sink_->count(DISPID_Timer);
    EXPECT_GE(slow, 5u);
    EXPECT_LE(slow, 14u);
    control_->Stop();
}

} // namespace
} // namespace capture_test
