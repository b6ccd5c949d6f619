// The Accu gate on a real capture: quiet, a loud stretch, quiet again.

#include "capture/tests/control_fixture.h"

namespace capture_test {
namespace {

using ControlGate = ControlTest;

TEST_F(ControlGate, OpensOnSoundAndClosesOnQuietAndQueuesNothingWhileClosed)
{
    auto& source = addSource("velmor_ctl_gate");
    createControl();
    ASSERT_TRUE(selectSource(source));
    control_->put_AudioArrayDuration(250);
    control_->put_AccuEnabled(VARIANT_TRUE);
    ASSERT_EQ(control_->Start(44100, 2, 16), S_OK);

    // 1 s quiet, 1.5 s of tone, 1.5 s quiet, at twice real time.
    std::vector<std::int16_t> samples(44100 * 2, 0);
    auto tone = testsound::Signal::sine(1000, 0.5, 2).next(66150);
    samples.insert(samples.end(), tone.begin(), tone.end());
    samples.resize(samples.size() + 66150 * 2, 0);
    {
        FrameFeeder feeder(source, std::move(samples), 2.0);
        ASSERT_TRUE(pumpUntil([&] { return sink_->count(DISPID_AccuChange) >= 2; }, 15s));
    }
    const auto closedAt = sink_->events.size();
    pumpFor(600ms);
    control_->Stop();

    // The order of events: no block before the gate opened, none after it closed.
    std::vector<LONG> changes;
    bool open = false;
    std::size_t blocksWhileOpen = 0;
    for (std::size_t i = 0; i < sink_->events.size(); ++i) {
        const auto& e = sink_->events[i];
        if (e.id == DISPID_AccuChange) {
            ASSERT_EQ(e.args.at(0).vt, VT_I4);
            changes.push_back(e.args[0].lVal);
            open = e.args[0].lVal == kAccuOpened;
        } else if (e.id == DISPID_EndArrayRecord) {
            EXPECT_TRUE(open) << "a block was queued while the gate was closed";
            EXPECT_LT(i, closedAt);
            ++blocksWhileOpen;
        }
    }
    EXPECT_EQ(changes, (std::vector<LONG>{kAccuOpened, kAccuClosed}));
    EXPECT_GE(blocksWhileOpen, 3u);
    // The AccuChange of a tick comes before its Timer event.
    for (std::size_t i = 0; i + 1 < sink_->events.size(); ++i)
        if (sink_->events[i].id == DISPID_AccuChange) {
            EXPECT_EQ(sink_->events[i + 1].id, DISPID_Timer);
        }

    // What was kept is the tone, not the quiet around it.
    auto blocks = receiveAll();
    ASSERT_FALSE(blocks.empty());
    auto first = samplesOf(blocks.front());
    EXPECT_GT(testsound::peak(first, 2, 0), 10000);
}

TEST_F(ControlGate, EnablingWhileStartedClosesAtOnceWithoutAnEvent)
{
    auto& source = addSource("velmor_ctl_gate_put");
    createControl();
    ASSERT_TRUE(selectSource(source));
    control_->put_AudioArrayDuration(100);
    ASSERT_EQ(control_->Start(44100, 2, 16), S_OK);
    testsound::SignalWriter writer(source, testsound::Signal::silence(2), 4.0);
    writer.start();
    ASSERT_TRUE(pumpUntil([&] { return sink_->count(DISPID_EndArrayRecord) >= 2; }));
    control_->put_AccuEnabled(VARIANT_TRUE);
    const auto blocks = sink_->count(DISPID_EndArrayRecord);
    pumpFor(500ms); // two seconds of silence at four times real time
    EXPECT_EQ(sink_->count(DISPID_EndArrayRecord), blocks);
    EXPECT_EQ(sink_->count(DISPID_AccuChange), 0u);
    // Disabled again: the gate opens, silently, and blocks flow.
    control_->put_AccuEnabled(VARIANT_FALSE);
    ASSERT_TRUE(pumpUntil([&] { return sink_->count(DISPID_EndArrayRecord) > blocks; }));
    EXPECT_EQ(sink_->count(DISPID_AccuChange), 0u);
    writer.stop();
    control_->Stop();
}

} // namespace
} // namespace capture_test
