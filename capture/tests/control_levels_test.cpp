// Levels in the Timer events of a real capture.

#include "capture/tests/control_fixture.h"

namespace capture_test {
namespace {

class ControlLevels : public ControlTest {
protected:
    // Captures the square waves and waits for a Timer event whose levels are `expected`.
    void expectLevels(testsound::PipeSource& source, const std::vector<std::int16_t>& amplitudes, LONG bits,
                      const std::vector<std::int16_t>& expected)
    {
        ASSERT_TRUE(selectSource(source));
        sink_->events.clear();
        ASSERT_EQ(control_->Start(44100, source.channels(), bits), S_OK);
        std::vector<std::int16_t> last;
        {
            FrameFeeder feeder(source, squareWaves(amplitudes, 22050));
            pumpUntil([&] {
                auto timers = sink_->of(DISPID_Timer);
                if (!timers.empty()) last = levelsOf(*timers.back());
                return last == expected;
            });
        }
        EXPECT_EQ(last, expected);
        control_->Stop();
        receiveAll();
        source.drain();
    }
};

TEST_F(ControlLevels, FullHalfHundredStepAndSilentChannels)
{
    auto& source = addSource("velmor_ctl_levels");
    createControl();
    expectLevels(source, {32767, 16384}, 16, {0, -6});
    expectLevels(source, {100, 0}, 16, {-50, -90});
    expectLevels(source, {1, 32767}, 16, {-90, 0});
    // The second Timer argument is the captured-frame count.
    auto timers = sink_->of(DISPID_Timer);
    ASSERT_FALSE(timers.empty());
    EXPECT_EQ(timers.back()->args[0].vt, VT_I8);
    EXPECT_GT(counterValue(timers.back()->args[0]), 0);
}

TEST_F(ControlLevels, MonoEightBitAndLevelWordSizeOne)
{
    auto& mono = addSource("velmor_ctl_levels_mono", 44100, 1);
    auto& stereo = addSource("velmor_ctl_levels_8bit");
    createControl();
    expectLevels(mono, {16384}, 16, {-6});
    // The server converts to 8 bits: full scale still reads 0, silence -90.
    expectLevels(stereo, {32767, 0}, 8, {0, -90});
    control_->put_LevelDynamicRange(1);
    expectLevels(stereo, {32767, 0}, 16, {0, -42});
}

} // namespace
} // namespace capture_test
