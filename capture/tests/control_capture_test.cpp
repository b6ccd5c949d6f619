// Blocks from a real capture: size, header, numbering, order and content.

#include "capture/tests/control_fixture.h"

#include "platform/testserver/tone_analysis.h"

namespace capture_test {
namespace {

const std::vector<std::uint8_t> kStereo16Header = {
    0xFE, 0xFF, 0x02, 0x00, 0x44, 0xAC, 0x00, 0x00, 0x10, 0xB1, 0x02, 0x00, 0x04, 0x00, 0x10, 0x00,
    0x16, 0x00, 0x10, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
    0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

using ControlCapture = ControlTest;

TEST_F(ControlCapture, DeliversOneSecondBlocksWithEveryFrameInOrder)
{
    auto& source = addSource("velmor_ctl_blocks");
    createControl();
    ASSERT_TRUE(selectSource(source));
    std::vector<std::vector<std::uint8_t>> blocks;
    sink_->onBlock = [&] {
        SAFEARRAY* a = nullptr;
        ASSERT_EQ(control_->ReceiveAudioArray(&a), S_OK);
        blocks.push_back(bytesOf(a));
        SafeArrayDestroy(a);
    };

    ASSERT_EQ(control_->Start(44100, 2, 16), S_OK);
    ASSERT_TRUE(started());
    const std::uint64_t frames = 11 * 44100 + 1234;
    testsound::SignalWriter writer(source, testsound::Signal::counter(2), 8.0);
    writer.start(frames);
    ASSERT_TRUE(pumpUntil(
        [&] {
            com::Variant v;
            control_->get_SamplesCurrent(v.put());
            return writer.finished() && counterValue(v) >= std::int64_t(frames);
        },
        20s));
    SAFEARRAY* snapshot = nullptr;
    ASSERT_EQ(control_->GetCurrentArray(100, &snapshot), S_OK);
    EXPECT_EQ(com::elementCount(snapshot), 440u);
    SafeArrayDestroy(snapshot);

    const std::size_t beforeStop = blocks.size();
    ASSERT_EQ(control_->Stop(), S_OK);
    EXPECT_FALSE(started());
    // Stop hands over the audio that had not made a whole block yet.
    ASSERT_EQ(blocks.size(), beforeStop + 1);
    // Eleven whole seconds: eleven blocks, or ten when Stop came before the last notification was served.
    EXPECT_GE(beforeStop, 10u);
    EXPECT_LE(beforeStop, 11u);

    auto ends = sink_->of(DISPID_EndArrayRecord);
    ASSERT_EQ(ends.size(), blocks.size());
    for (std::size_t i = 0; i < ends.size(); ++i) {
        ASSERT_EQ(ends[i]->args.size(), 1u);
        EXPECT_EQ(ends[i]->args[0].vt, VT_I8);
        EXPECT_EQ(counterValue(ends[i]->args[0]), std::int64_t(i + 1));
    }

    std::uint64_t next = 0;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        const auto& block = blocks[b];
        ASSERT_GE(block.size(), 40u);
        EXPECT_EQ(std::vector<std::uint8_t>(block.begin(), block.begin() + 40), kStereo16Header);
        EXPECT_EQ((block.size() - 40) % 4, 0u);
        if (b + 1 < blocks.size()) {
            // At least a second, and what arrived before the notification was served.
            EXPECT_GE(block.size() - 40, 176400u);
            EXPECT_LE(block.size() - 40, 176400u * 3 / 2);
        }
        auto samples = samplesOf(block);
        for (std::size_t f = 0; f < samples.size() / 2; ++f, ++next) {
            const std::uint32_t value = std::uint16_t(samples[2 * f]) | (std::uint32_t(std::uint16_t(samples[2 * f + 1])) << 16);
            ASSERT_EQ(value, next) << "block " << b << " frame " << f;
        }
    }
    EXPECT_EQ(next, frames);

    com::Variant captured, received;
    control_->get_SamplesCurrent(captured.put());
    control_->get_SamplesReceive(received.put());
    EXPECT_EQ(counterValue(captured), std::int64_t(frames));
    EXPECT_EQ(counterValue(received), std::int64_t(frames));
    EXPECT_EQ(lostFrames(), 0);
}

TEST_F(ControlCapture, BlocksHoldTheToneAndEachStartNumbersAfresh)
{
    auto& source = addSource("velmor_ctl_tone");
    createControl();
    ASSERT_TRUE(selectSource(source));
    control_->put_VariantTypeRangeMode(1);

    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        sink_->events.clear();
        const std::uint32_t startedAt = tickNow();
        ASSERT_EQ(control_->Start(44100, 2, 16), S_OK);
        testsound::SignalWriter writer(source, testsound::Signal::sine({1000.0, 440.0}, 0.5), 8.0);
        writer.start(4 * 44100); // blocks run long under load: a spare second
        ASSERT_TRUE(pumpUntil([&] { return sink_->count(DISPID_EndArrayRecord) >= 3; }, 10s));
        writer.waitFinished(5);
        control_->Stop();

        auto ends = sink_->of(DISPID_EndArrayRecord);
        ASSERT_GE(ends.size(), 3u);
        EXPECT_EQ(ends[0]->args[0].vt, VT_I4);
        EXPECT_EQ(counterValue(ends[0]->args[0]), 1);

        // Blocks stay queued after Stop; their clocks advance by their length.
        std::vector<std::int16_t> all;
        LONG previous = 0;
        for (int i = 0; i < 3; ++i) {
            SAFEARRAY* a = nullptr;
            LONG clock = 0;
            ASSERT_EQ(control_->ReceiveAudioArray2(&a, &clock), S_OK);
            auto bytes = bytesOf(a);
            SafeArrayDestroy(a);
            ASSERT_GT(bytes.size(), 40u);
            if (i == 0) {
                EXPECT_LE(std::uint32_t(clock) - startedAt, 1000u); // the tick count at Start
            } else {
                EXPECT_GE(clock - previous, 1000);
                EXPECT_LE(clock - previous, 1300);
            }
            previous = clock;
            auto samples = samplesOf(bytes);
            all.insert(all.end(), samples.begin(), samples.end());
        }
        receiveAll();
        EXPECT_NEAR(testsound::toneAmplitude(all, 2, 0, 1000, 44100), 0.5, 0.02);
        EXPECT_NEAR(testsound::toneAmplitude(all, 2, 1, 440, 44100), 0.5, 0.02);
        EXPECT_LT(testsound::toneAmplitude(all, 2, 0, 440, 44100), 0.01);
        EXPECT_NEAR(testsound::peak(all, 2, 0), 16384, 3);
        source.drain();
    }
}

TEST_F(ControlCapture, CountsTheFramesTheDeviceOverwroteWhileTheContainerWasBusy)
{
    auto& source = addSource("velmor_ctl_overrun");
    createControl();
    ASSERT_TRUE(selectSource(source));
    control_->put_AudioArrayDuration(100); // a ring of one second
    ASSERT_EQ(control_->Start(44100, 2, 16), S_OK);
    const std::uint64_t frames = 3 * 44100;
    testsound::SignalWriter writer(source, testsound::Signal::counter(2), 0);
    writer.start(frames);
    // The apartment serves nothing meanwhile: the ring goes round three times.
    ASSERT_TRUE(writer.waitFinished(10));
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(pumpUntil([&] {
        com::Variant v;
        control_->get_SamplesCurrent(v.put());
        return counterValue(v) == std::int64_t(frames);
    }));
    control_->Stop();

    const std::int64_t lost = lostFrames();
    EXPECT_GE(lost, std::int64_t(frames - 44100));
    std::uint64_t kept = 0, expected = std::uint64_t(lost);
    for (auto& block : receiveAll()) {
        auto samples = samplesOf(block);
        for (std::size_t f = 0; f < samples.size() / 2; ++f, ++kept, ++expected) {
            const std::uint32_t value = std::uint16_t(samples[2 * f]) | (std::uint32_t(std::uint16_t(samples[2 * f + 1])) << 16);
            ASSERT_EQ(value, expected) << "after the gap the frames run on in order";
        }
    }
    EXPECT_EQ(kept + std::uint64_t(lost), frames);

    // The next Start counts afresh.
    ASSERT_EQ(control_->Start(44100, 2, 16), S_OK);
    EXPECT_EQ(lostFrames(), 0);
    control_->Stop();
}

} // namespace
} // namespace capture_test

namespace capture_test {
namespace {

// The frame numbers a counter signal carries in a delivered array.
std::vector<std::uint32_t> countersOf(SAFEARRAY* a)
{
    auto samples = samplesOf(bytesOf(a));
    std::vector<std::uint32_t> out;
    for (std::size_t f = 0; f + 1 < samples.size(); f += 2)
        out.push_back(std::uint16_t(samples[f]) | (std::uint32_t(std::uint16_t(samples[f + 1])) << 16));
    return out;
}

using ControlSnapshot = ControlTest;

TEST_F(ControlSnapshot, GetCurrentArrayGivesOnlyWhatWasCapturedAndStaysClearOfTheDevicesWriting)
{
    auto& source = addSource("velmor_ctl_snapshot");
    createControl();
    ASSERT_TRUE(selectSource(source));
    control_->put_AudioArrayDuration(100); // a ring of one second: 176400 bytes
    ASSERT_EQ(control_->Start(44100, 2, 16), S_OK);

    SAFEARRAY* a = nullptr;
    ASSERT_EQ(control_->GetCurrentArray(44100, &a), S_OK);
    EXPECT_EQ(com::elementCount(a), 40u) << "nothing captured yet: the header alone, no stale ring bytes";

    // A known amount, then quiet: the snapshot holds exactly that, newest last.
    const std::uint64_t first = 4410;
    testsound::SignalWriter writer(source, testsound::Signal::counter(2), 4.0);
    writer.start(first);
    ASSERT_TRUE(writer.waitFinished(5));
    ASSERT_TRUE(pumpUntil([&] {
        control_->GetCurrentArray(44100, &a);
        return com::elementCount(a) >= 40 + first * 4;
    }));
    auto counters = countersOf(a);
    ASSERT_EQ(counters.size(), first);
    EXPECT_EQ(counters.front(), 0u);
    EXPECT_EQ(counters.back(), first - 1);

    // Round the ring and more: never the whole ring, and the newest frames in order.
    const std::uint64_t total = first + 2 * 44100;
    writer.start(total); // the counter runs on
    ASSERT_TRUE(writer.waitFinished(10));
    ASSERT_TRUE(pumpUntil([&] {
        com::Variant v;
        control_->get_SamplesCurrent(v.put());
        return counterValue(v) == std::int64_t(total);
    }));
    ASSERT_EQ(control_->GetCurrentArray(44100, &a), S_OK);
    const std::size_t audio = com::elementCount(a) - 40;
    EXPECT_LT(audio, 176400u) << "the oldest bytes are where the device writes next";
    EXPECT_GE(audio, 176400u * 8 / 10);
    counters = countersOf(a);
    ASSERT_FALSE(counters.empty());
    EXPECT_EQ(counters.back(), total - 1);
    for (std::size_t i = 1; i < counters.size(); ++i) ASSERT_EQ(counters[i], counters[i - 1] + 1) << i;
    SafeArrayDestroy(a);
    control_->Stop();
}

} // namespace
} // namespace capture_test
